// lexova convert: reads a work file and writes it again, safely, in the chosen
// encoding and page range.
#include "cli/commands.h"
#include "document/vuzozoviv/writer.h"

namespace lexova::cli {

int runConvert(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {"encoding", "first", "last"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("convert takes an input and an output work file");
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
  const Loaded l = load(p->positional[0]);
  if (!l.result.paper) {
    printError(p->positional[0] + ": " + readFailure(l.result));
    return kExitReadError;
  }
  const int r = vuzozoviv::writePaperFile(*l.result.paper, p->positional[1], encoding, first, last, &error);
  if (r != vuzozoviv::kWriteOk) {
    printError("lexova: " + error);
    return kExitWriteError;
  }
  return kExitOk;
}

}  // namespace lexova::cli
