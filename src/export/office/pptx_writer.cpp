// The PowerPoint writer: a slide part per page as it is finished. The slide size
// is the first page's; other pages are scaled to fit and centred.
#include <algorithm>
#include <optional>

#include "export/office/office_writer.h"
#include "export/office/package_parts.h"
#include "export/office/pptx_parts.h"
#include "export/office/xml_text.h"

namespace lexova::office {

namespace {

class PptxWriter final : public OfficeLibrary::Writer {
 public:
  explicit PptxWriter(OpcPackage& package) : package_(package) {}

  void beginPage(const PageSetup& page) override {
    endPage();
    if (!slide_) {
      slideWidth_ = static_cast<double>(std::max(1.0, page.widthTw) * 635);
      slideHeight_ = static_cast<double>(std::max(1.0, page.heightTw) * 635);
      asianFont_ = page.asianFont;
      latinFont_ = page.latinFont;
    }
    page_ = page;
    const double w = std::max(1.0, page.widthTw) * 635, h = std::max(1.0, page.heightTw) * 635;
    placement_.scale = std::min(slideWidth_ / w, slideHeight_ / h);
    placement_.offsetX = (slideWidth_ - w * placement_.scale) / 2;
    placement_.offsetY = (slideHeight_ - h * placement_.scale) / 2;
    content_ = pptxSlideStart();
    media_.clear();
    ids_ = 1;
    slide_ = true;
    ++pages_;
  }
  void text(const TextArea& area) override {
    if (page_) pptxTextFrame(content_, area, placement_, ++ids_, page_->asianFont, page_->latinFont);
  }
  void table(const TableArea& area) override {
    if (page_) pptxTableCells(content_, area, placement_, ids_, page_->asianFont, page_->latinFont);
  }
  void picture(const ImageArea& area) override {
    if (!page_ || area.data.empty()) return;
    const std::string name = "image" + xmlInt(++pictures_) + (area.kind == kPicturePng ? ".png" : ".jpeg");
    package_.addPart("ppt/media/" + name, area.data);
    media_.push_back("../media/" + name);
    pptxPicture(content_, area, placement_, "rId" + xmlInt(1 + static_cast<long long>(media_.size())), ++ids_);
  }
  void line(const LineArea& area) override {
    if (page_) pptxLine(content_, area, placement_, ++ids_);
  }
  void endPage() override {
    if (!page_) return;
    const std::string n = xmlInt(pages_);
    package_.addPart("ppt/slides/slide" + n + ".xml", content_ + pptxSlideEnd());
    package_.addPart("ppt/slides/_rels/slide" + n + ".xml.rels", pptxSlideRels(media_));
    page_.reset();
  }
  void finish() override {
    if (finished_) return;
    finished_ = true;
    endPage();
    if (!slide_) slideWidth_ = 11906 * 635, slideHeight_ = 16838 * 635;
    package_.addPart("[Content_Types].xml", pptxContentTypes(pages_));
    package_.addPart("_rels/.rels", pptxPackageRels());
    package_.addPart("ppt/presentation.xml", pptxPresentation(pages_, static_cast<long long>(slideWidth_),
                                                              static_cast<long long>(slideHeight_)));
    package_.addPart("ppt/_rels/presentation.xml.rels", pptxPresentationRels(pages_));
    package_.addPart("ppt/slideMasters/slideMaster1.xml", pptxMaster());
    package_.addPart("ppt/slideMasters/_rels/slideMaster1.xml.rels", pptxMasterRels());
    package_.addPart("ppt/slideLayouts/slideLayout1.xml", pptxLayout());
    package_.addPart("ppt/slideLayouts/_rels/slideLayout1.xml.rels", pptxLayoutRels());
    package_.addPart("ppt/theme/theme1.xml", pptxTheme(asianFont_.empty() ? u"MS Pゴシック" : asianFont_,
                                                       latinFont_.empty() ? u"Century" : latinFont_));
    package_.addPart("docProps/core.xml", coreProperties());
    package_.addPart("docProps/app.xml", appProperties(pages_));
  }

 private:
  OpcPackage& package_;
  std::optional<PageSetup> page_;
  SlidePlacement placement_;
  double slideWidth_ = 0, slideHeight_ = 0;
  std::u16string asianFont_, latinFont_;
  std::string content_;
  std::vector<std::string> media_;
  int ids_ = 1, pictures_ = 0;
  bool slide_ = false, finished_ = false;
};

}  // namespace

std::unique_ptr<OfficeLibrary::Writer> makePptxWriter(OpcPackage& package) {
  return std::make_unique<PptxWriter>(package);
}

}  // namespace lexova::office
