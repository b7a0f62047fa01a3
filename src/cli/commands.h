// The commands of the lexova tool. Each takes its own arguments (after the
// command name) and returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace lexova::cli {

enum ExitStatus : int {
  kExitOk = 0,
  kExitUsage = 2,
  kExitReadError = 3,
  kExitWriteError = 4,
  kExitParameter = 255,  // the program's -1: an invalid value of section Parameter
};

using Args = std::vector<std::string>;

struct Context;

int runCheck(const Args& args);
int runDump(Context& ctx, const Args& args);
int runConvert(const Args& args);
int runSettings(Context& ctx, const Args& args);
int runTable(Context& ctx, const Args& args);

// The whole tool: global options, then a command.
int runLexova(const Args& args);
std::string usageText();

}  // namespace lexova::cli
