#include "export/pdf/pdf_file.h"

#include <algorithm>

#include "export/pdf/pdf_contents.h"
#include "export/pdf/pdf_fonts.h"

namespace lexova::pdf {

namespace {

constexpr std::string_view kHeader = "%PDF-1.4\r\n";

// Forwards to a sink and counts what went through: the offsets of the file.
class OffsetSink final : public io::ByteSink {
 public:
  explicit OffsetSink(io::ByteSink& out) : out_(out) {}
  void write(const void* data, std::size_t n) override {
    out_.write(data, n);
    count += n;
  }
  using io::ByteSink::write;
  std::uint64_t count = 0;

 private:
  io::ByteSink& out_;
};

// The largest offset a cross-reference entry of ten digits can hold.
constexpr std::uint64_t kMaxOffset = 9999999999ULL;

}  // namespace

CPDFfile::CPDFfile() : info_(kInfoObject), proc_(kProcSetObject), catalog_(kCatalogObject), pages_(kPagesObject) {
  counter_ = kPagesObject;
  fonts_.resize(kFixedObjects + 1);
  auto add = [this](std::unique_ptr<CPDFobj> obj) {
    const int n = obj->number();
    fonts_[n] = std::move(obj);
  };
  add(std::make_unique<CPDFfontMintyou>(5));
  add(std::make_unique<CPDFfontMintyouDst>(6));
  add(std::make_unique<CPDFfontMintyouDsr>(7));
  add(std::make_unique<CPDFfontMintyouV>(8));
  add(std::make_unique<CPDFfontMintyouDstV>(9));
  add(std::make_unique<CPDFfontMintyouDsrV>(10));
  add(std::make_unique<CPDFfontGosic>(11));
  add(std::make_unique<CPDFfontGosicDst>(12));
  add(std::make_unique<CPDFfontGosicDsr>(13));
  add(std::make_unique<CPDFfontTNR>(14));
  add(std::make_unique<CPDFfontArial>(15));
  add(std::make_unique<CPDFfontAsia1>(16));
  add(std::make_unique<CPDFfontAsia1Dst>(17));
  add(std::make_unique<CPDFfontAsia1Dsr>(18));
  add(std::make_unique<CPDFfontAsia2>(19));
  add(std::make_unique<CPDFfontAsia2Dst>(20));
  add(std::make_unique<CPDFfontAsia2Dsr>(21));
  add(std::make_unique<CPDFfontAsia3>(22));
  add(std::make_unique<CPDFfontAsia3Dst>(23));
  add(std::make_unique<CPDFfontAsia3Dsr>(24));
  add(std::make_unique<CPDFfontAsia1V>(25));
  add(std::make_unique<CPDFfontAsia1VDst>(26));
  add(std::make_unique<CPDFfontAsia1VDsr>(27));
  add(std::make_unique<CPDFfontAsia2V>(28));
  add(std::make_unique<CPDFfontAsia2VDst>(29));
  add(std::make_unique<CPDFfontAsia2VDsr>(30));
  add(std::make_unique<CPDFfontAsia3V>(31));
  add(std::make_unique<CPDFfontAsia3VDst>(32));
  add(std::make_unique<CPDFfontAsia3VDsr>(33));
  counter_ = kFixedObjects;
}

CPDFfile::~CPDFfile() = default;

io::SpoolFile& CPDFfile::spool(std::unique_ptr<io::SpoolFile>& s) {
  if (!s) s = std::make_unique<io::SpoolFile>();
  return *s;
}

int CPDFfile::AddPage(const CPDFdata& data) {
  CPDFpage page(next());
  CPDFcontents contents(next());
  placed_.push_back({false, 0});
  placed_.push_back({false, 0});
  if (pages_.kids.empty()) catalog_.firstPage = page.number();
  pages_.kids.push_back(page.number());
  page.parent = kPagesObject;
  page.contents = contents.number();
  page.procSet = kProcSetObject;

  static constexpr int kFontLines[11][2] = {{0, 5},  {4, 8},  {1, 11}, {2, 14},  {3, 15}, {6, 16},
                                            {7, 19}, {8, 22}, {9, 25}, {10, 28}, {11, 31}};
  for (const auto& [resource, object] : kFontLines) pdfFormat(page.fontLines, "/F%d %d 0 R\r\n", {resource, object});

  page.width = std::clamp(data.widthPoints(), kMinPagePoints, kMaxPagePoints);
  page.height = std::clamp(data.heightPoints(), kMinPagePoints, kMaxPagePoints);

  for (const tagPDFIMAGE& record : data.images) {
    CPDFimage image(next(), imageCount_++);
    image.x = record.x;
    image.y = record.y;
    image.width = record.width;
    image.height = record.height;
    image.pixelWidth = record.pixelWidth;
    image.pixelHeight = record.pixelHeight;
    image.kind = record.kind;
    image.mask = record.mask;
    image.color = record.color;
    image.data = record.data;
    pdfFormat(page.imageLines, "/im%d %d 0 R\r\n", {image.nameIndex(), image.number()});
    contents.AddFigure(image);
    scratch_.clear();
    image.BuildText(scratch_);
    placed_.push_back({true, spool(pictureSpool_).append(scratch_)});
    proc_.hasImages = true;
  }
  for (const tagPDFTEXT& text : data.texts) contents.AddText(text);
  for (const tagPDFTABLE& table : data.tables) contents.AddTable(table);

  io::SpoolFile& pages = spool(pageSpool_);
  const std::size_t at = static_cast<std::size_t>(page.number() - kFixedObjects - 1);
  scratch_.clear();
  page.BuildText(scratch_);
  placed_[at].offset = pages.append(scratch_);
  scratch_.clear();
  contents.BuildText(scratch_);
  placed_[at + 1].offset = pages.append(scratch_);
  if (scratch_.capacity() > (8u << 20)) std::string().swap(scratch_);  // keep no giant page around
  return pageCount();
}

void CPDFfile::SetTitle(std::u16string_view text) {
  info_.title = utf16Hex(text);
}
void CPDFfile::SetSubject(std::u16string_view text) {
  info_.subject = utf16Hex(text);
}
void CPDFfile::SetAuthor(std::u16string_view text) {
  info_.author = utf16Hex(text);
}
void CPDFfile::SetKeywords(std::u16string_view text) {
  info_.keywords = utf16Hex(text);
}
void CPDFfile::SetCreator(std::u16string_view text) {
  info_.creator = utf16Hex(text);
}
void CPDFfile::SetProducer(std::u16string_view text) {
  info_.producer = utf16Hex(text);
}

int CPDFfile::Save(io::ByteSink& sink) {
  if (pages_.kids.empty()) return 0;
  info_.creationDate = formatPdfDate(date_ ? *date_ : pdfDateNow());

  OffsetSink out(sink);
  std::vector<std::uint64_t> offsets(static_cast<std::size_t>(counter_) + 1, 0);
  out.write(kHeader);
  auto put = [&](const CPDFobj& obj) {
    offsets[static_cast<std::size_t>(obj.number())] = out.count;
    obj.WriteTo(out);
  };
  put(info_);
  put(proc_);
  put(catalog_);
  put(pages_);
  // The Chinese and Korean groups write the FontDescriptor before the CIDFont.
  static constexpr int kFontOrder[] = {5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 17, 19,
                                       21, 20, 22, 24, 23, 25, 27, 26, 28, 30, 29, 31, 33, 32};
  for (const int n : kFontOrder) put(*fonts_[static_cast<std::size_t>(n)]);

  const std::uint64_t pagesAt = out.count;
  if (pageSpool_) pageSpool_->copyTo(out);
  const std::uint64_t picturesAt = out.count;
  if (pictureSpool_) pictureSpool_->copyTo(out);
  for (std::size_t i = 0; i < placed_.size(); ++i) {
    offsets[kFixedObjects + 1 + i] = (placed_[i].picture ? picturesAt : pagesAt) + placed_[i].offset;
  }

  const std::uint64_t xref = out.count;
  if (xref > kMaxOffset) throw io::IoError("the file is too large for a PDF cross-reference table");
  std::string tail;
  tail.reserve(64 + offsets.size() * 20);
  pdfFormat(tail, "xref\r\n0 %d\r\n0000000000 65535 f\r\n", {counter_ + 1});
  for (int n = 1; n <= counter_; ++n) pdfFormat(tail, "%010d 00000 n\r\n", {offsets[static_cast<std::size_t>(n)]});
  pdfFormat(tail, "trailer\r\n<<\r\n/Size %d\r\n/Root %d 0 R\r\n/Info %d 0 R\r\n>>\r\nstartxref\r\n%d\r\n%%%%EOF\r\n",
            {counter_ + 1, kCatalogObject, kInfoObject, xref});
  out.write(tail);
  return 1;
}

int CPDFfile::Save(const std::string& path) {
  if (pages_.kids.empty()) return 0;
  io::SafeFileSink sink(path);
  Save(sink);
  sink.commit();
  return 1;
}

}  // namespace lexova::pdf
