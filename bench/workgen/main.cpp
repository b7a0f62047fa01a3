// lexova-workgen: writes a generated work file (see workgen.h).
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "document/vuzozoviv/writer.h"
#include "io/byte_io.h"
#include "workgen/workgen.h"

namespace {

int usage() {
  std::fputs(
      "Usage: lexova-workgen [--seed N] [--pages N | --size MB | --once] [--encoding 1|2] [--plain]\n"
      "                      [--sources DIR | --text FILE...] OUT\n"
      "Writes a realistic generated work file (deterministic for a seed).\n"
      "  --once     lay every text out once and stop\n"
      "  --plain    no tables, pictures or awkward characters\n"
      "  --text     an Aozora-notation text to use (repeatable; default: the bundled texts)\n",
      stderr);
  return 2;
}

bool number(const char* s, unsigned long long& v) {
  const std::string t(s);
  return std::from_chars(t.data(), t.data() + t.size(), v).ptr == t.data() + t.size() && !t.empty();
}

}  // namespace

int main(int argc, char** argv) {
  lexova::workgen::Options opt;
  int encoding = 1;
  std::string sources = LEXOVA_SAMPLES_DIR "/aozora", out;
  std::vector<std::string> texts;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    unsigned long long v = 0;
    const bool hasValue = i + 1 < argc;
    if (a == "--seed" && hasValue && number(argv[i + 1], v)) {
      opt.seed = v, ++i;
    } else if (a == "--pages" && hasValue && number(argv[i + 1], v) && v > 0) {
      opt.pages = static_cast<int>(v), ++i;
    } else if (a == "--size" && hasValue && number(argv[i + 1], v) && v > 0) {
      opt.targetBytes = v << 20, ++i;
    } else if (a == "--encoding" && hasValue && number(argv[i + 1], v) && (v == 1 || v == 2)) {
      encoding = static_cast<int>(v), ++i;
    } else if (a == "--sources" && hasValue) {
      sources = argv[++i];
    } else if (a == "--text" && hasValue) {
      texts.emplace_back(argv[++i]);
    } else if (a == "--once") {
      opt.once = true;
      opt.pages = 1 << 30;
    } else if (a == "--plain") {
      opt.tables = opt.oddCharacters = false;
    } else if (!a.starts_with("--") && out.empty()) {
      out = a;
    } else {
      return usage();
    }
  }
  if (out.empty()) return usage();
  try {
    std::vector<lexova::workgen::Source> src;
    if (texts.empty()) {
      src = lexova::workgen::bundledSources(sources);
    } else {
      for (const std::string& t : texts) src.push_back(lexova::workgen::parseAozora(lexova::io::readFile(t)));
    }
    lexova::COcrPaper paper = lexova::workgen::generate(src, opt);
    std::string error;
    if (lexova::vuzozoviv::writePaperFile(paper, out, encoding, -1, -1, &error) != 0) {
      std::fprintf(stderr, "lexova-workgen: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %zu pages\n", out.c_str(), paper.pages.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lexova-workgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
