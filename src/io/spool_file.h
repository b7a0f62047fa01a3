// A private scratch file for data that should not stay in memory: made in a
// folder of our own under the temporary folder and unlinked at once, so it has no
// name anyone can find, and its space returns when it is closed.
#pragma once

#include <cstdint>
#include <string>

#include "io/byte_io.h"

namespace lexova::io {

class SpoolFile {
 public:
  // Throws IoError when no scratch file can be made.
  SpoolFile();
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  // Appends bytes; returns the offset where they begin. Throws IoError.
  std::uint64_t append(const void* data, std::size_t n);
  std::uint64_t append(std::string_view s) { return append(s.data(), s.size()); }
  std::uint64_t size() const { return size_; }
  // Writes everything appended so far to out. Throws IoError.
  void copyTo(ByteSink& out);
  // Reads up to n bytes from offset; returns how many (0 at the end). Throws IoError.
  std::size_t readAt(std::uint64_t offset, void* dst, std::size_t n);

 private:
  void flushBuffer();
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string buffer_;
};

// The folder for scratch files: $TMPDIR when it is an absolute path, else /tmp.
std::string temporaryFolder();

}  // namespace lexova::io
