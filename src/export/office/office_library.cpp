#include "export/office/office_library.h"

#include "export/office/docx_parts.h"
#include "export/office/office_writer.h"
#include "export/office/package_parts.h"

namespace lexova::office {

OfficeLibrary::OfficeLibrary() = default;
OfficeLibrary::~OfficeLibrary() = default;

int OfficeLibrary::initDocxData(OfficeKind kind) {
  try {
    package_ = std::make_unique<OpcPackage>();
    writer_ = makeWriter(kind, *package_);
  } catch (const io::IoError&) {
    return -1;
  }
  kind_ = kind;
  return writer_ ? 0 : -1;
}

std::vector<XpsFontUse> OfficeLibrary::xpsFontUsage() const {
  return writer_ ? writer_->fontUsage() : std::vector<XpsFontUse>{};
}

int OfficeLibrary::pageCount() const {
  return writer_ ? writer_->pages() : 0;
}

#define LEXOVA_OFFICE_CALL(expr)   \
  do {                             \
    if (!writer_) return -1;       \
    try {                          \
      expr;                        \
    } catch (const io::IoError&) { \
      return -1;                   \
    }                              \
    return 0;                      \
  } while (false)

int OfficeLibrary::addPage(const PageSetup& page) {
  LEXOVA_OFFICE_CALL(writer_->beginPage(page));
}
int OfficeLibrary::addTextArea(const TextArea& area) {
  LEXOVA_OFFICE_CALL(writer_->text(area));
}
int OfficeLibrary::addTableArea(const TableArea& area) {
  LEXOVA_OFFICE_CALL(writer_->table(area));
}
int OfficeLibrary::addImageArea(const ImageArea& area) {
  LEXOVA_OFFICE_CALL(writer_->picture(area));
}
int OfficeLibrary::addLineArea(const LineArea& area) {
  LEXOVA_OFFICE_CALL(writer_->line(area));
}
int OfficeLibrary::addPageBreak() {
  LEXOVA_OFFICE_CALL(writer_->endPage());
}
int OfficeLibrary::addXPSFontSubset(int langId, std::vector<std::uint8_t> font) {
  LEXOVA_OFFICE_CALL(writer_->font(langId, std::move(font)));
}

#undef LEXOVA_OFFICE_CALL

int OfficeLibrary::create(OfficeKind kind, const std::string& path) {
  if (!writer_ || kind != kind_) return -1;
  try {
    writer_->finish();
    package_->save(path);
  } catch (const io::IoError&) {
    return -1;
  }
  return 0;
}

int OfficeLibrary::createDocX(const std::string& path, bool) {
  return create(OfficeKind::Word, path);
}
int OfficeLibrary::createPPTX(const std::string& path, bool, const std::string&) {
  return create(OfficeKind::PowerPoint, path);
}
int OfficeLibrary::createXPS(const std::string& path, bool) {
  return create(OfficeKind::Xps, path);
}

std::string OfficeLibrary::packageBytes() {
  if (!writer_) return {};
  try {
    writer_->finish();
    return package_->bytes();
  } catch (const io::IoError&) {
    return {};
  }
}

}  // namespace lexova::office
