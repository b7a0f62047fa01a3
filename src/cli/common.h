// What every command of the lexova tool shares: the exit statuses, the argument
// parser, error output, the settings context and reading a work file.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/settings/settings_store.h"
#include "cli/console_host.h"
#include "document/lifecycle/open_paper.h"
#include "document/vuzozoviv/reader.h"
#include "settings/values.h"

namespace lexova::cli {

enum ExitStatus : int {
  kExitOk = 0,
  kExitUsage = 2,
  kExitReadError = 3,
  kExitWriteError = 4,
  kExitParameter = 255,  // the program's -1: an invalid value of section Parameter
};

using Args = std::vector<std::string>;

// What every command starts from: the settings as read (with this run's
// overrides) and the host that shows messages.
struct Context {
  app::SettingsStore store;
  settings::AllSettings values;
  ConsoleHost host;
};

// Prints one line on standard error.
void printError(const std::string& text);
// Prints the usage error and the hint; returns kExitUsage.
int usageError(const std::string& text);
// A whole decimal int, or nothing.
std::optional<int> parseInt(const std::string& s);

// Options of one command: the flags it accepts and the positional arguments.
struct Parsed {
  bool json = false;
  std::unordered_map<std::string, std::string> values;
  std::vector<std::string> positional;
};

// Parses args: --json (when accepted), --NAME VALUE for each of valued, the
// rest positional. Nothing, with error set, for an unknown or incomplete option.
std::optional<Parsed> parseArgs(const Args& args, bool acceptJson, const std::vector<std::string>& valued,
                                std::string& error);

// Why a read failed, for a person on the terminal: the message as the editor shows
// it, with what the system said.
std::string readFailure(const vuzozoviv::ReadResult& r);

// A work file read as the tool reads it: the reader, then the standard dpi.
struct Loaded {
  vuzozoviv::ReadResult result;
  std::string message;  // UTF-8, as the editor shows it; empty when ok
};
Loaded load(const std::string& path);

// A work file opened as the editor opens it, with this run's settings; nothing
// (after the reason on standard error) when it cannot be read.
std::optional<OpenedPaper> openAsEditor(const Context& ctx, const std::string& path);

// The page positions of --first/--last (-1: no bound) in a paper of pageCount
// pages; nothing when a value is not a number of -1 or more.
struct PageBounds {
  int first = 0, last = -1;
};
std::optional<PageBounds> pageBounds(const Parsed& p, int pageCount, std::string& error);

}  // namespace lexova::cli
