// An Open Packaging Conventions package (the zip container of DOCX, PPTX and
// XPS) built through libzip. Parts are kept in a private scratch file, not in
// memory; the archive is made in a private folder and then written to the user's
// file through the safe file writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/byte_io.h"
#include "io/spool_file.h"

namespace lexova::office {

class OpcPackage {
 public:
  OpcPackage();
  ~OpcPackage();
  OpcPackage(const OpcPackage&) = delete;
  OpcPackage& operator=(const OpcPackage&) = delete;

  // Adds a part (its name without the leading "/"). Throws io::IoError.
  void addPart(const std::string& name, std::string_view bytes);
  void addPart(const std::string& name, const std::vector<std::uint8_t>& bytes);
  // A part written piece by piece (while whole parts are added): begin, write
  // through the sink, end.
  io::ByteSink& beginPart(const std::string& name);
  void endPart();
  bool hasPart(std::string_view name) const;

  // Writes the archive to path through the safe file writer (the file there stays
  // whole on failure). Throws io::IoError.
  void save(const std::string& path);
  // The archive's bytes (for tests).
  std::string bytes();

 private:
  struct Part {
    std::string name;
    io::SpoolFile* spool;
    std::uint64_t offset, length;
  };
  class Stream;
  void writeArchive(io::ByteSink& out);

  io::SpoolFile spool_;                                  // whole parts
  std::vector<std::unique_ptr<io::SpoolFile>> streams_;  // one for each part written piece by piece
  std::vector<Part> parts_;
  std::unique_ptr<Stream> open_;
};

}  // namespace lexova::office
