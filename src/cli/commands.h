// The commands of the lexova tool, one file each. Each takes its own arguments
// (after the command name) and returns the process exit status.
#pragma once

#include <string>

#include "cli/common.h"

namespace lexova::cli {

int runCheck(const Args& args);
int runDump(Context& ctx, const Args& args);
int runConvert(const Args& args);
int runSettings(Context& ctx, const Args& args);
int runTable(Context& ctx, const Args& args);
int runReconstruct(Context& ctx, const Args& args);
int runExport(Context& ctx, const Args& args);
int runEdit(Context& ctx, const Args& args);
int runImage(const Args& args);
int runLayout(Context& ctx, const Args& args);
int runRender(Context& ctx, const Args& args);

// The whole tool: global options, then a command.
int runLexova(const Args& args);
std::string usageText();

}  // namespace lexova::cli
