// The registered-character table: pairs of a search word and a replacement word,
// loaded at start-up from its file and written back at program end when changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host.h"

namespace lexova {

using RegisteredPair = std::pair<std::u16string, std::u16string>;

// A table file larger than this is not read.
inline constexpr std::uint64_t kMaxRegisteredTableBytes = 64 << 20;

// Why the last load of a table gave -1.
enum class TableLoadFailure {
  None,
  Missing,         // no such file (no message)
  Unopenable,      // it cannot be opened (no message)
  NotRegularFile,  // a folder, FIFO or device
  TooLarge,        // over kMaxRegisteredTableBytes
  Undecodable,     // not UTF-16, UTF-8 or code page 932: a replacement character would be needed
  EmptyLine,       // it holds an empty line
};

class RegisteredTable {
 public:
  std::vector<RegisteredPair> registeredPairs;  // insertion order; the replacement may be empty
  std::u16string registeredTableFile;
  bool registeredTableModified = false;

  // Reads the pairs of path (see decodeTableText for the encoding). Returns the
  // number of pairs, or -1 with the table empty: the file is missing or cannot be
  // opened (no message), or it is not a regular file, too large, in no encoding
  // the table may have, or holds an empty line (each with its message). A file
  // that is there but failed to load is kept when the table is next saved to it.
  int LoadRegisteredTable(std::u16string_view path, Host& host);

  // Writes the pairs to path as UTF-16LE with byte order mark, "search,replacement"
  // and CR LF per pair. Returns 0, or -1 with the open-failure message.
  // A file whose last load failed is first kept beside itself (see io::keepNameFor).
  int SaveRegisteredTable(std::u16string_view path, Host& host);

  // Appends a pair unless the same pair is present: the new count, or -1.
  int AddRegisteredPair(std::u16string_view search, std::u16string_view replacement);

  // Start-up: the table file of the settings, loaded (a missing file is an empty table).
  void loadAtStartUp(std::u16string_view path, Host& host);
  // Program end: saved when modified, then emptied.
  void saveAtProgramEnd(Host& host);

  // Where the original of a file that failed to load was kept, if it was.
  const std::u16string& keptOriginal() const { return keptOriginal_; }
  // Why the last load failed, and what the system said when it could not open the file.
  TableLoadFailure lastLoadFailure() const { return lastFailure_; }
  const std::string& lastOpenError() const { return lastOpenError_; }

 private:
  int failLoad(TableLoadFailure why, std::u16string_view path, Host& host);

  TableLoadFailure lastFailure_ = TableLoadFailure::None;
  std::string lastOpenError_;
  // The path of the last load that failed although the file was there.
  std::u16string failedPath_;
  std::u16string keptOriginal_;
};

// The text of a table file. By byte order mark: UTF-16LE, UTF-16BE or UTF-8;
// without one, UTF-8 when the bytes are valid UTF-8, else code page 932. Nothing
// when the decoding would need a replacement character (an odd UTF-16 byte count,
// malformed UTF-8 after its mark, an undefined code page 932 sequence) or the text
// holds a NUL, which no table has: such a file is not read as a table at all.
std::optional<std::u16string> decodeTableText(std::string_view bytes);

// Splits the bytes of a table file into pairs: Ok, or Undecodable, or EmptyLine
// at the first empty line.
TableLoadFailure parseRegisteredTable(std::string_view bytes, std::vector<RegisteredPair>& pairs);
// The bytes of a table file for the pairs.
std::string formatRegisteredTable(const std::vector<RegisteredPair>& pairs);

}  // namespace lexova
