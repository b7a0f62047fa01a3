#include "io/spool_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lexova::io {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

[[noreturn]] void fail(const std::string& what, int err) {
  throw IoError(what + ": " + std::strerror(err));
}

void writeAll(int fd, const char* p, std::size_t left) {
  while (left > 0) {
    const ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      fail("cannot write a scratch file", errno);
    }
    p += w;
    left -= static_cast<std::size_t>(w);
  }
}

}  // namespace

std::string temporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && tmp[0] == '/') return tmp;
  return "/tmp";
}

SpoolFile::SpoolFile() {
  std::string pattern = temporaryFolder() + "/lexova-XXXXXX";
  std::vector<char> folder(pattern.begin(), pattern.end());
  folder.push_back(0);
  if (::mkdtemp(folder.data()) == nullptr) fail("cannot make a scratch folder in " + temporaryFolder(), errno);
  const std::string file = std::string(folder.data()) + "/spool";
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const int err = errno;
  if (fd_ >= 0) ::unlink(file.c_str());
  ::rmdir(folder.data());
  if (fd_ < 0) fail("cannot make a scratch file in " + temporaryFolder(), err);
  buffer_.reserve(kBufferSize);
}

SpoolFile::~SpoolFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t SpoolFile::append(const void* data, std::size_t n) {
  const std::uint64_t at = size_;
  if (buffer_.size() + n > kBufferSize) flushBuffer();
  if (n >= kBufferSize) {
    writeAll(fd_, static_cast<const char*>(data), n);
  } else {
    buffer_.append(static_cast<const char*>(data), n);
  }
  size_ += n;
  return at;
}

void SpoolFile::flushBuffer() {
  writeAll(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
}

std::size_t SpoolFile::readAt(std::uint64_t offset, void* dst, std::size_t n) {
  if (!buffer_.empty()) flushBuffer();
  if (offset >= size_) return 0;
  n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
  for (;;) {
    const ssize_t r = ::pread(fd_, dst, n, static_cast<off_t>(offset));
    if (r >= 0) return static_cast<std::size_t>(r);
    if (errno != EINTR) fail("cannot read a scratch file", errno);
  }
}

void SpoolFile::copyTo(ByteSink& out) {
  flushBuffer();
  std::vector<char> chunk(kBufferSize);
  std::uint64_t offset = 0;
  while (offset < size_) {
    const ssize_t r = ::pread(fd_, chunk.data(), chunk.size(), static_cast<off_t>(offset));
    if (r < 0) {
      if (errno == EINTR) continue;
      fail("cannot read a scratch file", errno);
    }
    if (r == 0) throw IoError("a scratch file ended early");
    out.write(chunk.data(), static_cast<std::size_t>(r));
    offset += static_cast<std::uint64_t>(r);
  }
}

}  // namespace lexova::io
