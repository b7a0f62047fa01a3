// The Word writer: word/document.xml is written page by page into the package;
// each page ends its section (its size and margins), the last one the body's.
#include <optional>

#include "export/office/docx_parts.h"
#include "export/office/office_writer.h"
#include "export/office/package_parts.h"
#include "export/office/xml_text.h"

namespace lexova::office {

namespace {

class DocxWriter final : public OfficeLibrary::Writer {
 public:
  explicit DocxWriter(OpcPackage& package) : package_(package), body_(package.beginPart("word/document.xml")) {
    body_.write(docxDocumentStart());
  }

  void beginPage(const PageSetup& page) override {
    closePage(false);
    page_ = page;
    if (pages_ == 0) first_ = page;
    ++pages_;
    content_.clear();
  }
  void text(const TextArea& area) override {
    if (page_) docxTextBox(content_, area, ++ids_);
  }
  void table(const TableArea& area) override {
    if (page_) docxTableBox(content_, area, ++ids_);
  }
  void picture(const ImageArea& area) override {
    if (!page_ || area.data.empty()) return;
    const std::string name = "media/image" + xmlInt(static_cast<long long>(media_.size()) + 1) +
                             (area.kind == kPicturePng ? ".png" : ".jpeg");
    package_.addPart("word/" + name, area.data);
    media_.push_back(name);
    docxPicture(content_, area, "rId" + xmlInt(99 + static_cast<long long>(media_.size())), ++ids_);
  }
  void line(const LineArea& area) override {
    if (page_) docxLine(content_, area, ++ids_);
  }
  void endPage() override { flushContent(); }

  void finish() override {
    if (finished_) return;
    finished_ = true;
    closePage(true);
    if (pages_ == 0) {
      // A document without pages still has a body and a section.
      PageSetup a4;
      a4.widthTw = 11906;
      a4.heightTw = 16838;
      body_.write("<w:p/>");
      body_.write(docxSectionProperties(a4));
    }
    body_.write(docxDocumentEnd());
    package_.endPart();
    package_.addPart("[Content_Types].xml", docxContentTypes());
    package_.addPart("_rels/.rels", docxPackageRels());
    package_.addPart("word/_rels/document.xml.rels", docxDocumentRels(media_));
    const PageSetup fonts = first_.value_or(PageSetup{});
    package_.addPart("word/styles.xml", docxStyles(fonts.asianFont.empty() ? u"ＭＳ 明朝" : fonts.asianFont,
                                                   fonts.latinFont.empty() ? u"Century" : fonts.latinFont));
    package_.addPart("docProps/core.xml", coreProperties());
    package_.addPart("docProps/app.xml", appProperties(pages_));
  }

 private:
  // The page's drawings go out in one paragraph.
  void flushContent() {
    if (content_.empty()) return;
    pendingContent_ += content_;
    content_.clear();
  }
  // Ends the open page: its drawings and its section.
  void closePage(bool last) {
    if (!page_) return;
    flushContent();
    const std::string section = docxSectionProperties(*page_);
    if (last) {
      body_.write("<w:p>" + pendingContent_ + "</w:p>" + section);
    } else {
      body_.write("<w:p><w:pPr>" + section + "</w:pPr>" + pendingContent_ + "</w:p>");
    }
    pendingContent_.clear();
    page_.reset();
  }

  OpcPackage& package_;
  io::ByteSink& body_;
  std::optional<PageSetup> page_, first_;
  std::string content_, pendingContent_;
  std::vector<std::string> media_;
  int ids_ = 0;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<OfficeLibrary::Writer> makeDocxWriter(OpcPackage& package) {
  return std::make_unique<DocxWriter>(package);
}

std::unique_ptr<OfficeLibrary::Writer> makeWriter(OfficeKind kind, OpcPackage& package) {
  switch (kind) {
    case OfficeKind::Word:
      return makeDocxWriter(package);
    case OfficeKind::PowerPoint:
      return makePptxWriter(package);
    case OfficeKind::Xps:
      return makeXpsWriter(package);
    default:
      return nullptr;
  }
}

}  // namespace lexova::office
