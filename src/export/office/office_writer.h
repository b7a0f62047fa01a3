// The writer behind the office library for one kind of package: pages go into
// the package as they are finished.
#pragma once

#include <memory>
#include <vector>

#include "export/office/office_library.h"
#include "export/office/office_model.h"
#include "export/office/opc_package.h"

namespace lexova::office {

class OfficeLibrary::Writer {
 public:
  virtual ~Writer() = default;
  virtual void beginPage(const PageSetup& page) = 0;
  virtual void text(const TextArea& area) = 0;
  virtual void table(const TableArea& area) = 0;
  virtual void picture(const ImageArea& area) = 0;
  virtual void line(const LineArea& area) = 0;
  virtual void endPage() = 0;
  virtual void font(int, std::vector<std::uint8_t>) {}
  virtual std::vector<XpsFontUse> fontUsage() const { return {}; }
  // Writes what is left (the last page, the parts that list the pages); once.
  virtual void finish() = 0;
  int pages() const { return pages_; }

 protected:
  int pages_ = 0;
};

std::unique_ptr<OfficeLibrary::Writer> makeWriter(OfficeKind kind, OpcPackage& package);
std::unique_ptr<OfficeLibrary::Writer> makeDocxWriter(OpcPackage& package);
std::unique_ptr<OfficeLibrary::Writer> makePptxWriter(OpcPackage& package);
std::unique_ptr<OfficeLibrary::Writer> makeXpsWriter(OpcPackage& package);

}  // namespace lexova::office
