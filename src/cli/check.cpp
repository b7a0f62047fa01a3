// lexova check: reads a work file with the reader only and reports the result.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"

namespace lexova::cli {

int runCheck(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("check takes one work file");
  const Loaded l = load(p->positional[0]);
  if (p->json) {
    JsonWriter j(stdout);
    j.beginObject();
    j.key("ok"), j.value(l.result.paper != nullptr);
    if (l.result.paper) {
      j.key("pages"), j.value(static_cast<long long>(l.result.paper->pages.size()));
    } else {
      j.key("code"), j.value(l.result.code);
      j.key("line"), j.value(l.result.line);
      j.key("message"), j.value(std::string_view(l.message));
    }
    j.endObject();
    j.finish();
  } else if (l.result.paper) {
    std::printf("%s: ok, %zu pages\n", p->positional[0].c_str(), l.result.paper->pages.size());
  } else {
    printError(p->positional[0] + ": " + readFailure(l.result));
  }
  return l.result.paper ? kExitOk : kExitReadError;
}

}  // namespace lexova::cli
