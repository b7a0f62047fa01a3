// Byte sources and sinks shared by every reader and writer, and the safe way of
// writing a file: a temporary file in the target folder, flushed, then renamed
// over the target, so that a crash or a full disk never leaves half a file.
// Files are read only when they are regular files: a FIFO, a device or a folder
// named as input is refused at once instead of blocking or reading forever.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lexova::io {

// What kind of failure an IoError reports, for callers that word it themselves.
enum class IoFailure { Other, Missing, NotRegularFile, TooLarge, ReadOnly };

// Raised by sources and sinks when the operating system reports a failure, or
// when a file is not one they may read or replace. what() names the file.
class IoError : public std::runtime_error {
 public:
  explicit IoError(const std::string& what, IoFailure kind = IoFailure::Other)
      : std::runtime_error(what), kind_(kind) {}
  IoFailure kind() const { return kind_; }

 private:
  IoFailure kind_;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes into dst; returns 0 only at the end of the data.
  virtual std::size_t read(std::uint8_t* dst, std::size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  std::size_t read(std::uint8_t* dst, std::size_t n) override;

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

class FileSource final : public ByteSource {
 public:
  // Opens path for reading without blocking; throws IoError when it cannot be
  // opened or is not a regular file (a folder, FIFO, device or socket).
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  std::size_t read(std::uint8_t* dst, std::size_t n) override;
  // The size of the file when it was opened.
  std::uint64_t size() const { return size_; }

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(const void* data, std::size_t n) = 0;
  void write(std::string_view s) { write(s.data(), s.size()); }
};

class StringSink final : public ByteSink {
 public:
  void write(const void* data, std::size_t n) override { out.append(static_cast<const char*>(data), n); }
  using ByteSink::write;
  std::string out;
};

// Counts bytes without keeping them.
class CountingSink final : public ByteSink {
 public:
  void write(const void*, std::size_t n) override { count += n; }
  using ByteSink::write;
  std::uint64_t count = 0;
};

// Writes a file safely. Bytes go to a temporary file beside the target; commit()
// flushes it to disk and renames it over the target. Destroying an uncommitted
// SafeFileSink removes the temporary file and leaves the target untouched.
//
// A target that is a symbolic link is written through: the file it names is
// replaced (beside that file), the link stays. A target that exists but is not a
// regular file is refused. A new file gets the usual mode (0666 less the umask);
// a replaced one keeps its mode, owner and group, with the owner's read and write
// bits added so that it can be read back. The temporary file is hidden and named
// after the target (".NAME.lexova-XXXXXX") and locked while it is in use; a
// successful commit removes such files that earlier, dead writers left behind.
class SafeFileSink final : public ByteSink {
 public:
  // What to do with a target that exists but is marked read-only (no write
  // permission for anyone, or none for us): replace it as any other, or refuse it.
  enum ReadOnlyTarget { kReplaceReadOnly, kKeepReadOnly };
  // Throws IoError when the target may not be replaced or the temporary file
  // cannot be created.
  explicit SafeFileSink(const std::string& target, ReadOnlyTarget readOnly = kReplaceReadOnly);
  ~SafeFileSink() override;
  SafeFileSink(const SafeFileSink&) = delete;
  SafeFileSink& operator=(const SafeFileSink&) = delete;
  void write(const void* data, std::size_t n) override;
  using ByteSink::write;
  // Throws IoError when the data cannot be written, flushed or renamed.
  void commit();
  // The file that commit() replaces: the target with its symbolic links followed.
  const std::string& resolvedTarget() const { return target_; }

 private:
  void flushBuffer();
  std::string target_;
  std::string folder_, tempPrefix_;
  std::string temp_;
  int fd_ = -1;
  std::string buffer_;
};

// The hidden temporary names SafeFileSink uses for target start with this.
std::string temporaryPrefix(const std::string& targetName);

// A free name for keeping a copy of path beside it: path + ".bak", else ".bak2",
// ".bak3", ... (a dangling link counts as taken).
std::string keepNameFor(const std::string& path);

// Reads a whole file; throws IoError, with IoFailure::TooLarge past maxBytes.
std::string readFile(const std::string& path, std::uint64_t maxBytes = UINT64_MAX);
bool fileExists(const std::string& path);

}  // namespace lexova::io
