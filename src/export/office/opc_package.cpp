#include "export/office/opc_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace lexova::office {

class OpcPackage::Stream final : public io::ByteSink {
 public:
  Stream(io::SpoolFile& spool, std::string name) : spool_(spool), name_(std::move(name)), start_(spool.size()) {}
  void write(const void* data, std::size_t n) override { spool_.append(data, n); }
  using io::ByteSink::write;
  Part part() const { return {name_, &spool_, start_, spool_.size() - start_}; }

 private:
  io::SpoolFile& spool_;
  std::string name_;
  std::uint64_t start_;
};

namespace {

// What libzip reads a part through: a window of the scratch file.
struct Window {
  io::SpoolFile* spool;
  std::uint64_t offset, length, at;
};

zip_int64_t readWindow(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* w = static_cast<Window*>(user);
  switch (cmd) {
    case ZIP_SOURCE_OPEN:
      w->at = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const std::uint64_t n = std::min<std::uint64_t>(len, w->length - w->at);
      if (n == 0) return 0;
      try {
        const std::size_t got = w->spool->readAt(w->offset + w->at, data, static_cast<std::size_t>(n));
        w->at += got;
        return static_cast<zip_int64_t>(got);
      } catch (const io::IoError&) {
        return -1;
      }
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->valid = ZIP_STAT_SIZE;
      st->size = w->length;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return 2 * sizeof(int);
    case ZIP_SOURCE_FREE:
      delete w;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      return -1;
  }
}

// The moment every part is dated: SOURCE_DATE_EPOCH when set, else now.
std::time_t packageTime() {
  if (const char* e = std::getenv("SOURCE_DATE_EPOCH"); e != nullptr && *e != 0) {
    char* end = nullptr;
    const long long v = std::strtoll(e, &end, 10);
    if (end != nullptr && *end == 0 && v >= 315532800) return static_cast<std::time_t>(v);  // zip dates start in 1980
  }
  return std::time(nullptr);
}

// A private folder that goes when the object does.
struct PrivateFolder {
  std::string path;
  PrivateFolder() {
    std::string pattern = io::temporaryFolder() + "/lexova-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (::mkdtemp(buf.data()) == nullptr)
      throw io::IoError("cannot make a scratch folder: " + std::string(std::strerror(errno)));
    path = buf.data();
  }
  ~PrivateFolder() {
    ::unlink((path + "/package.zip").c_str());
    ::rmdir(path.c_str());
  }
};

}  // namespace

OpcPackage::OpcPackage() = default;
OpcPackage::~OpcPackage() = default;

void OpcPackage::addPart(const std::string& name, std::string_view bytes) {
  const std::uint64_t at = spool_.append(bytes);
  parts_.push_back({name, &spool_, at, bytes.size()});
}

void OpcPackage::addPart(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  addPart(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

io::ByteSink& OpcPackage::beginPart(const std::string& name) {
  streams_.push_back(std::make_unique<io::SpoolFile>());
  open_ = std::make_unique<Stream>(*streams_.back(), name);
  return *open_;
}

void OpcPackage::endPart() {
  if (open_) parts_.push_back(open_->part());
  open_.reset();
}

bool OpcPackage::hasPart(std::string_view name) const {
  for (const Part& p : parts_) {
    if (p.name == name) return true;
  }
  return false;
}

void OpcPackage::writeArchive(io::ByteSink& out) {
  PrivateFolder folder;
  const std::string archive = folder.path + "/package.zip";
  int error = 0;
  zip_t* za = zip_open(archive.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
  if (za == nullptr) throw io::IoError("cannot make a package (libzip error " + std::to_string(error) + ")");
  const std::time_t when = packageTime();
  for (const Part& p : parts_) {
    zip_source_t* src = zip_source_function(za, readWindow, new Window{p.spool, p.offset, p.length, 0});
    if (src == nullptr) {
      zip_discard(za);
      throw io::IoError("cannot add a part to a package");
    }
    const zip_int64_t index = zip_file_add(za, p.name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(src);
      zip_discard(za);
      throw io::IoError("cannot add " + p.name + " to a package");
    }
    zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6);
    zip_file_set_mtime(za, static_cast<zip_uint64_t>(index), when, 0);
  }
  if (zip_close(za) != 0) {
    const std::string why = zip_strerror(za);
    zip_discard(za);
    throw io::IoError("cannot write a package: " + why);
  }
  io::FileSource in(archive);
  std::vector<std::uint8_t> buf(1 << 20);
  for (std::size_t n; (n = in.read(buf.data(), buf.size())) > 0;) out.write(buf.data(), n);
}

void OpcPackage::save(const std::string& path) {
  io::SafeFileSink sink(path);
  writeArchive(sink);
  sink.commit();
}

std::string OpcPackage::bytes() {
  io::StringSink out;
  writeArchive(out);
  return out.out;
}

}  // namespace lexova::office
