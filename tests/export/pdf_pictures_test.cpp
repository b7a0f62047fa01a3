// The pictures of PDF pages on small synthetic pages: regions cut within the
// image and compacted when they fail, colour spaces from what is encoded, and the
// high-compression page (background painted out, one mask per colour group: a
// red heading, light characters on a dark band, a tiny mark that joins its
// neighbours).
#include "export/pdf/pdf_pictures.h"

#include <gtest/gtest.h>

#include "export/pdf/pdf_contents.h"
#include "export/pdf/pdf_export.h"
#include "host/scripted_host.h"
#include "imaging/pict_info.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::pdf {
namespace {

using imaging::CPICT_INFO;

constexpr int kDpi = 200;

// A white page of 24 bits (or one bit) at 200 dpi.
CPICT_INFO blankPage(int w, int h, int bits = 24) {
  CPICT_INFO p;
  p.Width = w;
  p.Height = h;
  p.BitCount = static_cast<std::int16_t>(bits);
  EXPECT_TRUE(imaging::CreateNewImageToCPictInfo(p));
  if (bits != 1) std::fill(p.Bits.begin(), p.Bits.end(), 255);
  p.XResolution = p.YResolution = kDpi;
  return p;
}

void fill(CPICT_INFO& p, int l, int t, int r, int b, std::uint32_t rgb) {
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>(rgb >> 16);
      px[1] = static_cast<std::uint8_t>(rgb >> 8);
      px[2] = static_cast<std::uint8_t>(rgb);
    }
  }
}

// A glyph: a square ring of 4-pixel strokes, with a character box around it.
void glyph(CPICT_INFO& p, COcrLine& line, int x, int y, int size, std::uint32_t rgb, char16_t code = u'口') {
  fill(p, x, y, x + size, y + 4, rgb);
  fill(p, x, y + size - 4, x + size, y + size, rgb);
  fill(p, x, y, x + 4, y + size, rgb);
  fill(p, x + size - 4, y, x + size, y + size, rgb);
  COcrChar& c = line.chars.emplace_back();
  c.code = makeCode(code);
  c.x = x;
  c.y = y;
  c.width = c.height = size;
}

COcrBlock& block(COcrPage& page, int x, int y, int w, int h) {
  COcrBlock& b = page.blocks.emplace_back();
  b.x = x;
  b.y = y;
  b.width = w;
  b.height = h;
  b.lines.emplace_back();
  return b;
}

std::string save(const CPICT_INFO& p, const testing::TempDir& dir, const std::string& name) {
  CPICT_INFO copy = p;
  copy.FileName = (dir / name).string();
  copy.FileType = imaging::kFilePng;
  EXPECT_EQ(imaging::SaveImageFileProc(copy), 1);
  return copy.FileName;
}

CPDFdata pageData(int w, int h) {
  CPDFdata data;
  data.width = w;
  data.height = h;
  data.dpi = kDpi;
  return data;
}

CPICT_INFO decodeJpeg(const tagPDFIMAGE& r) {
  CPICT_INFO p;
  EXPECT_TRUE(imaging::loadImage(r.data, p).ok);
  return p;
}

TEST(PdfPictures, RegionsAreCutInsideTheImageAndFailuresLeaveNoHole) {
  testing::TempDir dir;
  CPICT_INFO page = blankPage(400, 300);
  fill(page, 380, 0, 400, 300, 0x2040C0);  // a blue strip at the right edge
  const std::string file = save(page, dir, "page.png");
  CPDFdata data = pageData(400, 300);
  // One region runs past the right edge, one lies wholly outside, one is whole.
  ASSERT_EQ(PreparePictures(data, file, {{300, 100, 500, 200}, {600, 0, 700, 50}, {0, 0, 400, 300}}, {600, 75}), 1);
  ASSERT_EQ(data.images.size(), 2u);
  const tagPDFIMAGE& edge = data.images[0];
  EXPECT_EQ(edge.pixelWidth, 100);  // 300..400, the last column kept
  EXPECT_DOUBLE_EQ(edge.width, 36.0);
  EXPECT_DOUBLE_EQ(edge.y, 36.0);  // (300 - 200) × 72 / 200
  EXPECT_EQ(edge.kind, 24);
  const CPICT_INFO back = decodeJpeg(edge);
  EXPECT_GT(imaging::pixelAt(back, 99, 50) & 0xFF, 150u);  // the strip's blue at the last column
  EXPECT_EQ(data.images[1].pixelWidth, 400);

  // A gray page (24 bits, all gray) is encoded as one component.
  CPICT_INFO gray = blankPage(64, 48);
  fill(gray, 10, 10, 20, 20, 0x404040);
  CPDFdata grayData = pageData(64, 48);
  ASSERT_EQ(PreparePictures(grayData, save(gray, dir, "gray.png"), {{0, 0, 64, 48}}, {600, 75}), 1);
  EXPECT_EQ(grayData.images.at(0).kind, 8);
  EXPECT_EQ(decodeJpeg(grayData.images[0]).BitCount, 8);

  // A one-bit page at the compact setting: its own resolution × 0.4.
  CPICT_INFO bits = blankPage(400, 200, 1);
  bits.XResolution = bits.YResolution = 400;
  for (int x = 0; x < 200; ++x) imaging::setBit(bits, x, 10, true);
  CPDFdata bitData = pageData(400, 200);
  bitData.dpi = 400;
  ASSERT_EQ(PreparePictures(bitData, save(bits, dir, "bits.png"), {{0, 0, 400, 200}}, {192, 30}), 1);
  EXPECT_EQ(bitData.images.at(0).kind, 1);
  EXPECT_EQ(bitData.images[0].pixelWidth, 160);
  EXPECT_EQ(PreparePictures(bitData, (dir / "none.png").string(), {{0, 0, 10, 10}}, {192, 30}), 0);

  // A colour picture taller than JPEG allows is shrunk to fit, not left out.
  CPICT_INFO tall = blankPage(4, 66000);
  fill(tall, 0, 0, 4, 66000, 0xC02020);
  CPDFdata tallData = pageData(4, 66000);
  ASSERT_EQ(PreparePictures(tallData, save(tall, dir, "tall.png"), {{0, 0, 4, 66000}}, {600, 75}), 1);
  ASSERT_EQ(tallData.images.size(), 1u);
  EXPECT_LE(tallData.images[0].pixelHeight, imaging::kJpegMaxSide);
  EXPECT_GT(tallData.images[0].pixelHeight, 65000);
  EXPECT_DOUBLE_EQ(tallData.images[0].height, 66000 * 72.0 / kDpi);  // still covers its place
  EXPECT_EQ(decodeJpeg(tallData.images[0]).Height, tallData.images[0].pixelHeight);
}

// A page of three blocks: a red heading, black text with a tiny mark, light
// characters on a dark band.
struct HighCompressionPage {
  CPICT_INFO image = blankPage(800, 600);
  COcrPage page;
  HighCompressionPage() {
    page.width = 800;
    page.height = 600;
    page.dpi = kDpi;
    COcrLine& heading = block(page, 90, 30, 300, 60).lines.front();
    for (int i = 0; i < 4; ++i) glyph(image, heading, 100 + i * 60, 40, 40, 0xC81010);
    COcrBlock& text = block(page, 90, 140, 600, 60);
    for (int i = 0; i < 8; ++i) glyph(image, text.lines.front(), 100 + i * 50, 150, 32, 0x101010);
    fill(image, 560, 160, 563, 163, 0x404040);  // a gray mark of 9 pixels
    COcrChar& dot = text.lines.front().chars.emplace_back();
    dot.code = makeCode(u'・');
    dot.x = 559;
    dot.y = 159;
    dot.width = dot.height = 5;
    fill(image, 50, 300, 750, 380, 0x282828);  // the dark band
    COcrBlock& band = block(page, 50, 300, 700, 80);
    for (int i = 0; i < 6; ++i) glyph(image, band.lines.front(), 100 + i * 60, 320, 40, 0xFFFFFF);
  }
};

TEST(PdfPictures, HighCompressionPaintsCharactersOutAndMasksThemInTheirColours) {
  testing::TempDir dir;
  HighCompressionPage p;
  const std::string file = save(p.image, dir, "page.png");
  CPDFdata data = pageData(800, 600);
  ASSERT_EQ(PrepareHighCompression(data, file, p.page, {600, 75}), 1);
  ASSERT_EQ(data.images.size(), 4u);  // the background, then one mask per block

  const tagPDFIMAGE& background = data.images[0];
  EXPECT_FALSE(background.mask);
  EXPECT_EQ(background.kind, 24);
  EXPECT_EQ(background.pixelWidth, 400);  // half the page's resolution
  EXPECT_DOUBLE_EQ(background.width, 288.0);
  const CPICT_INFO painted = decodeJpeg(background);
  // Where a black glyph's stroke was: white again. Where a light glyph was on the
  // band: the band's dark gray.
  EXPECT_GT(imaging::pixelAt(painted, 51, 76) & 0xFF, 230u);
  EXPECT_LT(imaging::pixelAt(painted, 51, 161) & 0xFF, 80u);
  // Where a red glyph was: white, not a red ghost.
  EXPECT_GT((imaging::pixelAt(painted, 51, 21) >> 8) & 0xFF, 200u);

  const tagPDFIMAGE& red = data.images[1];
  EXPECT_TRUE(red.mask);
  EXPECT_EQ(red.kind, 1);
  EXPECT_EQ(red.color, 0xC00000u);
  EXPECT_EQ(red.pixelWidth, 220);  // 100 .. 320 (the last glyph's right edge)
  EXPECT_EQ(red.pixelHeight, 40);
  EXPECT_DOUBLE_EQ(red.y, (600 - 80) * 72.0 / kDpi);  // the bottom row is 79: exclusive 80

  const tagPDFIMAGE& text = data.images[2];
  EXPECT_EQ(text.color, 0u);  // black, and the 9-pixel mark joined it
  EXPECT_EQ(text.pixelWidth, 563 - 100);

  const tagPDFIMAGE& light = data.images[3];
  EXPECT_EQ(light.color, 0xE0E0E0u);  // light ink found inverted on the band
  EXPECT_EQ(light.pixelWidth, 440 - 100);

  // The masks are drawn in their colours, at three decimals.
  CPDFfile pdf;
  pdf.AddPage(data);
  io::StringSink out;
  pdf.Save(out);
  EXPECT_NE(out.out.find("q\r0.753 0 0 rg\r79.200 0 0 14.400 36.000 187.200 cm\r/im1 Do\rQ"), std::string::npos);
  EXPECT_NE(out.out.find("q\r0 0 0 rg\r"), std::string::npos);
  EXPECT_NE(out.out.find("/ImageMask true"), std::string::npos);
}

TEST(PdfPictures, OneBitPagesAndPagesWithoutCharactersAreWholePictures) {
  testing::TempDir dir;
  HighCompressionPage p;
  COcrPage empty = p.page;
  empty.blocks.clear();
  CPDFdata data = pageData(800, 600);
  ASSERT_EQ(PrepareHighCompression(data, save(p.image, dir, "page.png"), empty, {192, 30}), 1);
  ASSERT_EQ(data.images.size(), 1u);
  EXPECT_FALSE(data.images[0].mask);
  EXPECT_EQ(data.images[0].pixelWidth, 768);  // 192 / 200 of the page

  CPICT_INFO bits = blankPage(800, 600, 1);
  CPDFdata bitData = pageData(800, 600);
  ASSERT_EQ(PrepareHighCompression(bitData, save(bits, dir, "bits.png"), p.page, {600, 100}), 1);
  ASSERT_EQ(bitData.images.size(), 1u);
  EXPECT_EQ(bitData.images[0].kind, 1);
  EXPECT_EQ(PrepareHighCompression(bitData, (dir / "none.png").string(), p.page, {600, 100}), 0);
}

TEST(PdfPictures, ImagePdfExportsAskAboutMissingImagesAndCancelWithoutAFile) {
  testing::TempDir dir;
  HighCompressionPage p;
  const std::string image = save(p.image, dir, "page.png");
  COcrPaper paper;
  for (int i = 0; i < 3; ++i) paper.pages.push_back(p.page);
  paper.pages.back().file = u"lost.tif";
  PdfExportOptions options;
  options.pageImages = [&](const COcrPage& page) { return page.file == u"lost.tif" ? std::string() : image; };
  const std::string out = (dir / "out.pdf").string();

  ScriptedHost no;
  no.answers.push_back(Answer::No);
  PdfExportReport report;
  EXPECT_EQ(ExportImagePdf(paper, text::fromUtf8(out), 0, -1, true, options, no, &report), 1);
  ASSERT_EQ(no.messages.size(), 1u);
  EXPECT_NE(no.messages[0].text.find(u"3: lost.tif"), std::u16string::npos);
  EXPECT_EQ(report.pagesWithoutImage, std::vector<int>{2});
  EXPECT_FALSE(std::filesystem::exists(out));

  ScriptedHost cancelling;
  cancelling.cancelAfterPolls = 1;  // during the second page
  PdfExportReport cancelled;
  EXPECT_EQ(ExportImagePdf(paper, text::fromUtf8(out), 0, 1, false, options, cancelling, &cancelled), 1);
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(cancelling.progress.at(0), u"PDFファイル保存中...");
  EXPECT_EQ(cancelling.progressOpen, 0);

  ScriptedHost yes;
  PdfExportReport written;
  EXPECT_EQ(ExportImagePdf(paper, text::fromUtf8(out), 0, -1, false, options, yes, &written), 1);
  EXPECT_EQ(written.pages, 3);
  EXPECT_TRUE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace lexova::pdf
