// Byte sources and sinks shared by every reader and writer, and the safe way of
// writing a file: a temporary file in the target folder, flushed, then renamed
// over the target, so that a crash or a full disk never leaves half a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lexova::io {

// Raised by sources and sinks when the operating system reports a failure.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
  // Opens path for reading; throws IoError when it cannot be opened.
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  std::size_t read(std::uint8_t* dst, std::size_t n) override;

 private:
  int fd_ = -1;
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
class SafeFileSink final : public ByteSink {
 public:
  // Throws IoError when the temporary file cannot be created.
  explicit SafeFileSink(const std::string& target);
  ~SafeFileSink() override;
  SafeFileSink(const SafeFileSink&) = delete;
  SafeFileSink& operator=(const SafeFileSink&) = delete;
  void write(const void* data, std::size_t n) override;
  using ByteSink::write;
  // Throws IoError when the data cannot be written, flushed or renamed.
  void commit();

 private:
  void flushBuffer();
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  std::string buffer_;
};

// Reads a whole file; throws IoError.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

}  // namespace lexova::io
