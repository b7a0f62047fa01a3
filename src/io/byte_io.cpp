#include "io/byte_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <random>

namespace lexova::io {
namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
}

// Why a file of this type is not read or replaced.
std::string notRegular(const std::string& what, const std::string& path, mode_t mode) {
  const char* kind = S_ISDIR(mode)                    ? "is a folder"
                     : S_ISFIFO(mode)                 ? "is a FIFO, not a regular file"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "is a device, not a regular file"
                                                      : "is not a regular file";
  return what + " " + path + ": " + kind;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to path lands in: symbolic links followed, also when the last
// one names a file that does not exist yet.
std::string followLinks(const std::string& path) {
  std::string p = path;
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    if (hops == 40) throw IoError(describe("cannot write", path, ELOOP));
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
    if (n < 0) throw IoError(describe("cannot write", path, errno));
    link.resize(static_cast<std::size_t>(n));
    p = link.starts_with('/') ? link : folderOf(p) + "/" + link;
  }
}

constexpr char kTempMarker[] = ".lexova-";
constexpr std::size_t kRandomChars = 6;

void randomName(char* out, std::size_t n) {
  static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()) << 32);
  for (std::size_t i = 0; i < n; ++i) out[i] = alphabet[random() % (sizeof alphabet - 1)];
}

bool isTempName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kRandomChars || !name.starts_with(prefix)) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Removes the temporary files of target's earlier writers that died: a live
// writer holds the lock on its file, a dead one's lock went with its process.
void removeLeftovers(const std::string& folder, const std::string& prefix) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string name = e->d_name;
    if (!isTempName(name, prefix)) continue;
    const std::string path = folder + "/" + name;
    const Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat held {
    }, named{};
    if (fd.get() < 0 || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // its writer is alive
    // Still the same file under that name: unlink while holding the lock.
    if (::lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
      ::unlink(path.c_str());
    }
  }
}

}  // namespace

std::size_t MemorySource::read(std::uint8_t* dst, std::size_t n) {
  const std::size_t k = std::min(n, data_.size() - pos_);
  std::memcpy(dst, data_.data() + pos_, k);
  pos_ += k;
  return k;
}

FileSource::FileSource(const std::string& path) {
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    const int err = errno;
    throw IoError(describe("cannot open", path, err), err == ENOENT ? IoFailure::Missing : IoFailure::Other);
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int err = errno;
    ::close(fd_);
    fd_ = -1;
    throw IoError(describe("cannot open", path, err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw IoError(notRegular("cannot open", path, st.st_mode), IoFailure::NotRegularFile);
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
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

std::string temporaryPrefix(const std::string& targetName) {
  // Room for the dot, the marker and the random part within a name's 255 bytes;
  // a long name is cut at a character boundary.
  constexpr std::size_t room = NAME_MAX - 1 - (sizeof kTempMarker - 1) - kRandomChars;
  std::size_t cut = std::min(targetName.size(), room);
  while (cut > 0 && cut < targetName.size() && (static_cast<unsigned char>(targetName[cut]) & 0xC0) == 0x80) --cut;
  return "." + targetName.substr(0, cut) + kTempMarker;
}

SafeFileSink::SafeFileSink(const std::string& target, ReadOnlyTarget readOnly) : target_(followLinks(target)) {
  struct stat old {};
  const bool replacing = ::lstat(target_.c_str(), &old) == 0;
  if (replacing && !S_ISREG(old.st_mode)) {
    throw IoError(notRegular("cannot write", target, old.st_mode), IoFailure::NotRegularFile);
  }
  // Root may write anything: the permission bits say what the owner meant.
  if (replacing && readOnly == kKeepReadOnly && ((old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)) {
    throw IoError("cannot write " + target + ": the file is read-only", IoFailure::ReadOnly);
  }
  folder_ = folderOf(target_);
  tempPrefix_ = temporaryPrefix(nameOf(target_));
  std::string name = folder_ + "/" + tempPrefix_ + std::string(kRandomChars, 'X');
  char* const random = name.data() + name.size() - kRandomChars;
  for (int attempt = 0; fd_ < 0; ++attempt) {
    randomName(random, kRandomChars);
    // A new file gets 0666 less the umask from the system itself.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST && attempt < 100) continue;
      throw IoError(describe("cannot create", target, errno));
    }
    // Hold the lock while the file is ours. Another writer's clean-up may have
    // removed the file between its creation and the lock: then take another name.
    struct stat st {};
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
      ::close(fd);
      if (attempt < 100) continue;
      throw IoError(describe("cannot create", target, EAGAIN));
    }
    fd_ = fd;
  }
  temp_ = name;
  if (replacing) {
    // Best effort: only root may give a file away; the mode follows the owner.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd_, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Neither: the new file stays ours.
    }
    ::fchmod(fd_, (old.st_mode & 0777) | S_IRUSR | S_IWUSR);
  }
  buffer_.reserve(1 << 16);
}

SafeFileSink::~SafeFileSink() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
  if (fd_ >= 0) ::close(fd_);
}

void SafeFileSink::write(const void* data, std::size_t n) {
  if (temp_.empty()) throw IoError("write after commit: " + target_);
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
  if (temp_.empty()) throw IoError("committed twice: " + target_);
  flushBuffer();
  if (::fsync(fd_) != 0) throw IoError(describe("cannot flush", target_, errno));
  // Renamed while still locked, so that no clean-up can take it meanwhile.
  if (::rename(temp_.c_str(), target_.c_str()) != 0) throw IoError(describe("cannot replace", target_, errno));
  temp_.clear();
  ::close(fd_);  // the data reached the disk with fsync
  fd_ = -1;
  // The new name survives a crash once the folder is flushed too.
  const Fd folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  removeLeftovers(folder_, tempPrefix_);
}

std::string readFile(const std::string& path, std::uint64_t maxBytes) {
  FileSource in(path);
  auto tooLarge = [&] {
    return IoError("cannot read " + path + ": larger than " + std::to_string(maxBytes) + " bytes", IoFailure::TooLarge);
  };
  if (in.size() > maxBytes) throw tooLarge();
  std::string out;
  out.reserve(static_cast<std::size_t>(in.size()));
  std::uint8_t buf[1 << 16];
  for (std::size_t k; (k = in.read(buf, sizeof buf)) > 0;) {
    out.append(reinterpret_cast<char*>(buf), k);
    if (out.size() > maxBytes) throw tooLarge();  // it grew while being read
  }
  return out;
}

std::string keepNameFor(const std::string& path) {
  struct stat st {};
  std::string candidate = path + ".bak";
  for (int n = 2; ::lstat(candidate.c_str(), &st) == 0; ++n) candidate = path + ".bak" + std::to_string(n);
  return candidate;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace lexova::io
