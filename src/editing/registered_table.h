// The registered-character table: pairs of a search word and a replacement word,
// loaded at start-up from its file and written back at program end when changed.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host.h"

namespace lexova {

using RegisteredPair = std::pair<std::u16string, std::u16string>;

class RegisteredTable {
 public:
  std::vector<RegisteredPair> registeredPairs;  // insertion order; the replacement may be empty
  std::u16string registeredTableFile;
  bool registeredTableModified = false;

  // Reads the pairs of path (encoding by byte order mark: UTF-16LE, UTF-16BE,
  // UTF-8, else code page 932). Returns the number of pairs, or -1: the file cannot
  // be opened (no message), or it holds an empty line (message; the table is empty).
  int LoadRegisteredTable(std::u16string_view path, Host& host);

  // Writes the pairs to path as UTF-16LE with byte order mark, "search,replacement"
  // and CR LF per pair. Returns 0, or -1 with the open-failure message.
  // A file whose last load failed is first kept beside itself (see backupPath).
  int SaveRegisteredTable(std::u16string_view path, Host& host);

  // Appends a pair unless the same pair is present: the new count, or -1.
  int AddRegisteredPair(std::u16string_view search, std::u16string_view replacement);

  // Start-up: the table file of the settings, loaded (a missing file is an empty table).
  void loadAtStartUp(std::u16string_view path, Host& host);
  // Program end: saved when modified, then emptied.
  void saveAtProgramEnd(Host& host);

  // Where the original of a file that failed to load was kept, if it was.
  const std::u16string& keptOriginal() const { return keptOriginal_; }

 private:
  // The path of the last load that failed although the file was there.
  std::u16string failedPath_;
  std::u16string keptOriginal_;
};

// Splits the bytes of a table file into pairs; false at the first empty line.
bool parseRegisteredTable(std::string_view bytes, std::vector<RegisteredPair>& pairs);
// The bytes of a table file for the pairs.
std::string formatRegisteredTable(const std::vector<RegisteredPair>& pairs);
// A free name for keeping a file: path + ".bak", else ".bak2", ".bak3", ...
std::u16string backupPath(std::u16string_view path);

}  // namespace lexova
