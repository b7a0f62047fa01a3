// The office-document library: the entry points the export calls, as plain C++.
// initDocxData names the kind at the start so that each page is written into the
// package as it is finished (memory holds one page); the create call completes
// the package and writes it through the safe file writer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "export/office/office_model.h"
#include "export/office/opc_package.h"

namespace lexova::office {

class OfficeLibrary {
 public:
  OfficeLibrary();
  ~OfficeLibrary();
  OfficeLibrary(const OfficeLibrary&) = delete;
  OfficeLibrary& operator=(const OfficeLibrary&) = delete;

  // Each returns 0, or -1 when the call came out of order or the scratch file failed.
  int initDocxData(OfficeKind kind);
  int addPage(const PageSetup& page);
  int addTextArea(const TextArea& area);
  int addTableArea(const TableArea& area);
  int addImageArea(const ImageArea& area);
  int addLineArea(const LineArea& area);
  int addPageBreak();
  // The font of a language group's glyphs in an XPS document (a subset).
  int addXPSFontSubset(int langId, std::vector<std::uint8_t> font);

  // Complete the package and write it to path: 0 when written.
  int createDocX(const std::string& path, bool moreThanFivePages);
  int createPPTX(const std::string& path, bool moreThanFivePages, const std::string& templatePath);
  int createXPS(const std::string& path, bool moreThanFivePages);

  int pageCount() const;
  // The fonts an XPS document used so far, for their subsets.
  std::vector<XpsFontUse> xpsFontUsage() const;
  // Completes the package without writing it (for tests); empty when it cannot.
  std::string packageBytes();

  class Writer;  // one per kind

 private:
  int create(OfficeKind kind, const std::string& path);
  std::unique_ptr<OpcPackage> package_;
  std::unique_ptr<Writer> writer_;
  OfficeKind kind_ = OfficeKind::Word;
};

}  // namespace lexova::office
