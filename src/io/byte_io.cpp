#include "io/byte_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace lexova::io {
namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
}

mode_t currentUmask() {
  const mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

}  // namespace

std::size_t MemorySource::read(std::uint8_t* dst, std::size_t n) {
  const std::size_t k = std::min(n, data_.size() - pos_);
  std::memcpy(dst, data_.data() + pos_, k);
  pos_ += k;
  return k;
}

FileSource::FileSource(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw IoError(describe("cannot open", path, errno));
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw IoError(describe("cannot open", path, EISDIR));
  }
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t FileSource::read(std::uint8_t* dst, std::size_t n) {
  for (;;) {
    const ssize_t k = ::read(fd_, dst, n);
    if (k >= 0) return static_cast<std::size_t>(k);
    if (errno != EINTR) throw IoError(std::string("read error: ") + std::strerror(errno));
  }
}

SafeFileSink::SafeFileSink(const std::string& target) : target_(target) {
  std::vector<char> pattern(target.begin(), target.end());
  const std::string suffix = ".XXXXXX";
  pattern.insert(pattern.end(), suffix.begin(), suffix.end());
  pattern.push_back('\0');
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) throw IoError(describe("cannot create", target, errno));
  temp_ = pattern.data();
  // Keep the permissions of the file being replaced, else the usual ones.
  struct stat st {};
  const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
  ::fchmod(fd_, mode);
  buffer_.reserve(1 << 16);
}

SafeFileSink::~SafeFileSink() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void SafeFileSink::write(const void* data, std::size_t n) {
  if (fd_ < 0) throw IoError("write after commit: " + target_);
  buffer_.append(static_cast<const char*>(data), n);
  if (buffer_.size() >= (1 << 16)) flushBuffer();
}

void SafeFileSink::flushBuffer() {
  const char* p = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t k = ::write(fd_, p, left);
    if (k < 0) {
      if (errno == EINTR) continue;
      throw IoError(describe("cannot write", target_, errno));
    }
    p += k;
    left -= static_cast<std::size_t>(k);
  }
  buffer_.clear();
}

void SafeFileSink::commit() {
  flushBuffer();
  if (::fsync(fd_) != 0) throw IoError(describe("cannot flush", target_, errno));
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw IoError(describe("cannot close", target_, errno));
  if (::rename(temp_.c_str(), target_.c_str()) != 0) throw IoError(describe("cannot replace", target_, errno));
  temp_.clear();
}

std::string readFile(const std::string& path) {
  FileSource in(path);
  std::string out;
  std::uint8_t buf[1 << 16];
  for (std::size_t k; (k = in.read(buf, sizeof buf)) > 0;) out.append(reinterpret_cast<char*>(buf), k);
  return out;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace lexova::io
