// lexova convert: a work file, hOCR, ALTO or PAGE XML (recognised by content) to
// any of them; the work file's encoding and page range as before.
#include "cli/commands.h"
#include "document/vuzozoviv/writer.h"
#include "interchange/interchange.h"
#include "io/byte_io.h"

namespace lexova::cli {

int runConvert(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {"encoding", "first", "last", "to"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("convert takes an input and an output file");
  int encoding = 0, first = -1, last = -1;
  for (auto [name, target] : {std::pair{"encoding", &encoding}, {"first", &first}, {"last", &last}}) {
    const auto it = p->values.find(name);
    if (it == p->values.end()) continue;
    const auto v = parseInt(it->second);
    if (!v || *v < -1 || (target == &encoding && (*v < 0 || *v > 2))) {
      return usageError("invalid value for --" + std::string(name) + ": " + it->second);
    }
    *target = *v;
  }
  interchange::Format to = interchange::Format::WorkFile;
  if (const auto it = p->values.find("to"); it != p->values.end()) {
    const auto f = interchange::formatNamed(it->second);
    if (!f) return usageError("invalid value for --to: " + it->second + " (workfile, hocr, alto or page)");
    to = *f;
  }
  const std::string& in = p->positional[0];
  const std::string& out = p->positional[1];
  std::string bytes;
  try {
    bytes = io::readFile(in);
  } catch (const std::exception& e) {
    printError(in + ": " + e.what());
    return kExitReadError;
  }
  const interchange::Format from = interchange::detectFormat(bytes);
  std::unique_ptr<COcrPaper> paper;
  if (from == interchange::Format::Hocr || from == interchange::Format::Alto || from == interchange::Format::Page) {
    interchange::ImportResult r = interchange::readInterchange(bytes, from);
    if (!r.paper) {
      printError(in + (r.line > 0 ? ":" + std::to_string(r.line) : std::string()) + ": " + r.error);
      return kExitReadError;
    }
    paper = std::move(r.paper);
  } else {
    Loaded l = load(in);
    if (!l.result.paper) {
      printError(in + ": " + readFailure(l.result));
      return kExitReadError;
    }
    paper = std::move(l.result.paper);
  }
  if (to == interchange::Format::WorkFile) {
    const int r = vuzozoviv::writePaperFile(*paper, out, encoding, first, last, &error);
    if (r != vuzozoviv::kWriteOk) {
      printError("lexova: " + error);
      return kExitWriteError;
    }
    return kExitOk;
  }
  // Pages first..last of the other formats.
  if (first > 0 || last >= 0) {
    int i = 0;
    for (auto it = paper->pages.begin(); it != paper->pages.end(); ++i) {
      it = (i < first || (last >= 0 && i > last)) ? paper->pages.erase(it) : std::next(it);
    }
  }
  for (const auto& [name, contents] : interchange::interchangeFiles(*paper, to, out)) {
    try {
      io::SafeFileSink sink(name);
      sink.write(contents.data(), contents.size());
      sink.commit();
    } catch (const std::exception& e) {
      printError("lexova: cannot write " + name + ": " + e.what());
      return kExitWriteError;
    }
  }
  return kExitOk;
}

}  // namespace lexova::cli
