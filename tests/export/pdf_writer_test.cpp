// The PDF writer read back: the file structure against a golden file and by its
// cross-reference table, the fonts, and the page content of text, tables and
// invisible text, with the cases where a naive writer garbles or loses text.
#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <sstream>

#include "export/pdf/pdf_contents.h"
#include "export/pdf/pdf_export.h"
#include "export/pdf/pdf_fonts.h"
#include "export/pdf/pdf_format.h"
#include "export/pdf/pdf_records.h"
#include "host/scripted_host.h"
#include "support/page_builder.h"
#include "support/pdf_inspect.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::pdf {
namespace {

using testing::bodyLine;
using testing::countOf;
using testing::inspectPdf;
using testing::pdfObject;
using testing::pdfStream;

constexpr std::time_t kMoment = 1700000000;  // 2023-11-14 22:13:20 UTC

COcrPage& addPage(COcrPaper& paper, int width = 2480, int height = 3508, int dpi = 400) {
  COcrPage& page = paper.pages.emplace_back();
  page.number = static_cast<int>(paper.pages.size());
  page.width = width;
  page.height = height;
  page.dpi = dpi;
  return page;
}

COcrBlock& addBlock(COcrPage& page, int type, int direction, int langId = 128) {
  COcrBlock& b = page.blocks.emplace_back();
  b.type = type;
  b.direction = static_cast<std::int8_t>(direction);
  b.langId = langId;
  return b;
}

// A page as a scan gives it: a horizontal heading, a vertical paragraph of two
// columns with ruby beside the first, and a page number.
COcrPaper samplePaper() {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& heading = addBlock(page, kBlockText, kHorizontal);
  bodyLine(heading, 200, 300, u"羅生門");
  COcrBlock& body = addBlock(page, kBlockText, kVertical);
  testing::annotationLine(body, 2050, u"らしょう", {600, 622, 644, 666});
  bodyLine(body, 2000, 600, u"ある日の暮方の事である。");
  bodyLine(body, 1940, 600, u"一人の下人が雨やみを待っていた。");
  COcrBlock& number = addBlock(page, kBlockText, kHorizontal, 0);
  bodyLine(number, 3300, 1200, u"17");
  return paper;
}

// The data of a page before any builder ran.
CPDFdata emptyData(const COcrPage& page) {
  CPDFdata data;
  data.width = page.width;
  data.height = page.height;
  data.dpi = page.dpi;
  return data;
}

std::string writeTextPdf(const COcrPaper& paper, const PdfInformation& info = {}) {
  CPDFfile file;
  file.setCreationDate(pdfDateOf(kMoment, true));
  ScriptedHost host;
  PdfExportReport report;
  PdfExportOptions options;
  options.information = info;
  EXPECT_TRUE(fillTextPdf(file, paper, 0, -1, options, host, report));
  io::StringSink out;
  EXPECT_EQ(file.Save(out), 1);
  return out.out;
}

std::string contentOfPage(const std::string& pdf, int pageIndex) {
  const auto layout = inspectPdf(pdf);
  return std::string(pdfStream(pdfObject(pdf, layout, kFixedObjects + 2 + 2 * pageIndex)));
}

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(PdfFile, OnePageTextPdfMatchesTheGoldenFileAndReadsBackByItsTable) {
  const std::string pdf = writeTextPdf(samplePaper(), {u"羅生門", u"", u"芥川龍之介", u""});
  const std::string golden = std::string(LEXOVA_TEST_DATA) + "/pdf/one_page_text.pdf";
  if (std::getenv("LEXOVA_UPDATE_GOLDEN") != nullptr) std::ofstream(golden, std::ios::binary) << pdf;
  EXPECT_EQ(pdf, readWhole(golden)) << "regenerate with LEXOVA_UPDATE_GOLDEN=1 after checking the change";

  const auto layout = inspectPdf(pdf);
  ASSERT_EQ(layout.error, "");
  EXPECT_EQ(layout.size, 36);
  EXPECT_EQ(layout.offsets.size(), 36u);
  const std::vector<int> order = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 17,
                                  19, 21, 20, 22, 24, 23, 25, 27, 26, 28, 30, 29, 31, 33, 32, 34, 35};
  EXPECT_EQ(layout.writeOrder, order);

  const std::string_view info = pdfObject(pdf, layout, 1);
  EXPECT_EQ(info.substr(0, 13), "1 0 obj\r\n<<\n/");
  EXPECT_NE(info.find(">>\nendobj\r\n"), std::string_view::npos);
  EXPECT_NE(info.find("/Title <FEFF7F85751F9580>"), std::string_view::npos) << info;  // no language escape
  EXPECT_NE(info.find("/Subject <FEFF>"), std::string_view::npos);
  EXPECT_NE(info.find("/CreationDate (D:20231114221320+00'00')"), std::string_view::npos);
  EXPECT_EQ(pdfObject(pdf, layout, 2), "2 0 obj\r\n[ /PDF /Text ]\r\nendobj\r\n");
  const std::string_view catalog = pdfObject(pdf, layout, 3);
  EXPECT_EQ(catalog.find("StructTreeRoot"), std::string_view::npos);
  EXPECT_NE(catalog.find("/OpenAction [ 34 0 R /Fit ]"), std::string_view::npos);
  const std::string_view page = pdfObject(pdf, layout, 34);
  EXPECT_NE(page.find("/XObject <<\r\n>>"), std::string_view::npos);
  EXPECT_NE(page.find("/MediaBox [ 0 0 446 631 ]"), std::string_view::npos);
  // Every page lists all eleven fonts.
  EXPECT_NE(page.find("/Font <<\r\n/F0 5 0 R\r\n/F4 8 0 R\r\n/F1 11 0 R\r\n/F2 14 0 R\r\n/F3 15 0 R\r\n/F6 16 0 R\r\n"
                      "/F7 19 0 R\r\n/F8 22 0 R\r\n/F9 25 0 R\r\n/F10 28 0 R\r\n/F11 31 0 R\r\n>>"),
            std::string_view::npos);
  // The declared length is the stream's byte count.
  const std::string_view contents = pdfObject(pdf, layout, 35);
  const std::string length = "/Length " + std::to_string(pdfStream(contents).size()) + "\r\n";
  EXPECT_NE(contents.find(length), std::string_view::npos);
}

TEST(PdfFile, PageSizesAreClampedAndAFileWithoutPagesWritesNothing) {
  auto mediaBox = [](int w, int h, int dpi) {
    CPDFfile file;
    CPDFdata data;
    data.width = w;
    data.height = h;
    data.dpi = dpi;
    file.AddPage(data);
    io::StringSink out;
    file.Save(out);
    const auto at = out.out.find("/MediaBox");
    return out.out.substr(at, out.out.find(']', at) - at + 1);
  };
  EXPECT_EQ(mediaBox(100, 100, 400), "/MediaBox [ 0 0 72 72 ]");
  EXPECT_EQ(mediaBox(30000, 2000, 200), "/MediaBox [ 0 0 3240 720 ]");

  CPDFfile empty;
  io::StringSink out;
  EXPECT_EQ(empty.Save(out), 0);
  EXPECT_TRUE(out.out.empty());
}

TEST(PdfFile, PicturesGetFileWideNamesAndObjectsAfterAllPages) {
  CPDFfile file;
  file.setCreationDate(pdfDateOf(kMoment, true));
  for (int p = 0; p < 2; ++p) {
    CPDFdata data;
    data.width = data.height = 800;
    tagPDFIMAGE picture;
    picture.data = {0xFF, 0xD8, 0xFF, 0xD9};
    picture.pixelWidth = picture.pixelHeight = 2;
    picture.width = picture.height = 20;
    picture.kind = 8;
    data.images.push_back(picture);
    tagPDFTEXT text;
    text.append(u'字');
    text.size = 10;
    data.texts.push_back(text);
    file.AddPage(data);
  }
  io::StringSink out;
  file.Save(out);
  const auto layout = inspectPdf(out.out);
  ASSERT_EQ(layout.error, "");
  EXPECT_EQ(layout.size, 40);  // 33 fixed, then page, contents, picture for each page
  const std::vector<int> tail(layout.writeOrder.end() - 6, layout.writeOrder.end());
  EXPECT_EQ(tail, (std::vector<int>{34, 35, 37, 38, 36, 39}));
  EXPECT_NE(pdfObject(out.out, layout, 37).find("/im1 39 0 R"), std::string_view::npos);
  EXPECT_EQ(pdfObject(out.out, layout, 2), "2 0 obj\r\n[ /PDF /Text /ImageB /ImageC ]\r\nendobj\r\n");
  // The picture is numbered first on its page, then the text.
  const std::string content(pdfStream(pdfObject(out.out, layout, 38)));
  EXPECT_NE(content.find("/Figure << /MCID 0 >>\rBDC\rq\r20.000 0 0 20.000 0.000 0.000 cm\r/im1 Do\rQ\rEMC\r"),
            std::string::npos);
  EXPECT_NE(content.find("/P << /MCID 1 >>"), std::string::npos);
  const std::string_view image = pdfObject(out.out, layout, 39);
  EXPECT_NE(image.find("/ColorSpace /DeviceGray\r\n/Length 4\r\n>>\r\nstream\r\n\xFF\xD8\xFF\xD9\rendstream"),
            std::string_view::npos);
}

TEST(PdfFile, ImageObjectsOfEveryKind) {
  auto text = [](int kind, bool mask) {
    CPDFimage image(40, 3);
    image.kind = kind;
    image.mask = mask;
    image.pixelWidth = 17;
    image.pixelHeight = 5;
    const std::vector<std::uint8_t> data = {1, 2, 3};
    image.data = data;
    std::string s;
    image.BuildText(s);
    return s;
  };
  EXPECT_EQ(text(1, true),
            "40 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im3\r\n/Width 17\r\n/Height 5\r\n"
            "/BitsPerComponent 1\r\n/ImageMask true\r\n/Length 3\r\n/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n"
            "/K -1\r\n/EndOfLine false\r\n/EncodeByteAlign false\r\n/Columns 17\r\n/Rows 5\r\n/EndOfBlock false\r\n\r\n"
            "/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\n\x01\x02\x03\rendstream\r\nendobj\r\n");
  EXPECT_EQ(
      text(1, false),
      "40 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im3\r\n/Width 17\r\n/Height 5\r\n"
      "/BitsPerComponent 1\r\n/ColorSpace /DeviceGray\r\n/Length 3\r\n/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n"
      "<<\r\n/K -1\r\n/EndOfLine false\r\n/EncodeByteAlign false\r\n/Columns 17\r\n/Rows 5\r\n/EndOfBlock false\r\n"
      "/BlackIs1 false\r\n/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\n\x01\x02\x03\rendstream\r\nendobj\r\n");
  EXPECT_EQ(text(24, false),
            "40 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im3\r\n/Filter /DCTDecode\r\n/Width 17\r\n"
            "/Height 5\r\n/BitsPerComponent 8\r\n/ColorSpace /DeviceRGB\r\n/Length 3\r\n>>\r\nstream\r\n\x01\x02\x03"
            "\rendstream\r\nendobj\r\n");
  EXPECT_NE(text(8, false).find("/ColorSpace /DeviceGray\r\n/Length 3"), std::string::npos);
}

TEST(PdfFile, DatesCarryTheRealOffsetAndNumbersIgnoreTheLocale) {
  EXPECT_EQ(formatPdfDate({2024, 3, 9, 8, 5, 7, -300}), "20240309080507-05'00'");
  EXPECT_EQ(formatPdfDate({2024, 3, 9, 8, 5, 7, 330}), "20240309080507+05'30'");
  EXPECT_EQ(formatPdfDate({2024, 3, 9, 8, 5, 7, -210}), "20240309080507-03'30'");

  // The editor's process takes the user's locale; a German one writes decimal commas.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  char printed[32];
  std::snprintf(printed, sizeof printed, "%f", 0.5);
  std::string out;
  pdfFormat(out, "%f %.2f %d %010d %02X %4.4X %s%%", {0.5, 12.345, -7, 1234567LL, 0xB, 0x30A2, "x"});
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_EQ(out, "0.500000 12.35 -7 0001234567 0B 30A2 x%");
  if (!german) GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh makes it)";
  EXPECT_STREQ(printed, "0,500000");  // the locale was in force
}

TEST(PdfFonts, EachCollectionHasItsOwnWidthsAndTheVerticalAsianFontsShareTheHorizontalTexts) {
  CPDFfile file;
  CPDFdata data;
  data.width = data.height = 400;
  file.AddPage(data);
  io::StringSink out;
  file.Save(out);
  const auto layout = inspectPdf(out.out);
  const std::string_view japan = pdfObject(out.out, layout, 6);
  EXPECT_NE(japan.find("/W [\r\n1 100 500\r\n231 389 500\r\n631 631 500\r\n]"), std::string_view::npos);
  for (const int cid : {17, 20, 23}) {
    const std::string_view asian = pdfObject(out.out, layout, cid);
    EXPECT_NE(asian.find("/W [\r\n1 95 500\r\n]"), std::string_view::npos) << asian;
    EXPECT_EQ(asian.find("231 389"), std::string_view::npos);  // full-width hanzi and hangul stay full width
  }
  // F9's CIDFont and FontDescriptor say what F6's say.
  auto from = [&](int n, std::string_view key) {
    const std::string_view o = pdfObject(out.out, layout, n);
    return std::string(o.substr(o.find(key)));
  };
  EXPECT_EQ(from(26, "/CIDSystemInfo"), from(17, "/CIDSystemInfo"));
  EXPECT_EQ(from(27, "/FontName"), from(18, "/FontName"));
  EXPECT_NE(from(26, "/BaseFont").find("/BaseFont /SimSun\r\n"), std::string::npos);
  EXPECT_NE(pdfObject(out.out, layout, 25).find("/Encoding /UniGB-UTF16-V"), std::string_view::npos);
  EXPECT_NE(pdfObject(out.out, layout, 8).find("/BaseFont /@#82l#82r#96#BE#92#A9"), std::string_view::npos);
  EXPECT_NE(pdfObject(out.out, layout, 14).find("/BaseFont /TimesNewRoman\r\n/Encoding /WinAnsiEncoding"),
            std::string_view::npos);

  EXPECT_EQ(pdfFontFor(kVertical, 136), kFontTraditionalV);
  EXPECT_EQ(pdfFontFor(kHorizontal, 0), kFontTimes);
  EXPECT_EQ(pdfFontFor(kHorizontal, 204), kFontMincho);
  EXPECT_EQ(pdfFontFor(kVertical, 0), kFontMinchoV);
}

// The codes of a visible text fragment as written.
std::string visibleFragment(std::u16string_view text, int font, double advance = 12) {
  tagPDFTEXT r;
  for (const char16_t u : text) r.append(u);
  r.font = font;
  r.size = 10.5;
  r.advance = advance;
  CPDFcontents contents(35);
  contents.AddText(r);
  std::string s;
  contents.BuildText(s);
  return std::string(pdfStream(s));
}

TEST(PdfContent, LatinTextIsWindows1252AndWhatItLacksGoesToMincho) {
  const std::string s = visibleFragment(u"Ab\u0100c x\u000B\u20AC", kFontTimes);
  EXPECT_NE(s.find("<> Tj 0.000000 0.000000 0.000000 rg<4162> Tj\r/F0 10.50 Tf\r<0100> Tj\r/F2 10.50 Tf\r<632078"
                   "0B80> Tj\rET"),
            std::string::npos)
      << s;
  // A character outside the basic plane is two units in the Mincho font.
  EXPECT_NE(visibleFragment(u"x\U00020B9F", kFontTimes).find("<D842DF9F>"), std::string::npos);
}

TEST(PdfContent, LineFeedsMoveByTheAdvanceAndCarriageReturnsAreNeverDrawn) {
  const std::string h = visibleFragment(u"あ\r\nい", kFontMincho, 14.254);
  EXPECT_NE(h.find("<3042> Tj\r0 -14.25 TD\r<3044> Tj"), std::string::npos) << h;
  const std::string v = visibleFragment(u"あ\r\nい", kFontMinchoV, 14.256);
  EXPECT_NE(v.find("<3042> Tj\r-14.26 0 TD\r<3044> Tj"), std::string::npos) << v;
  EXPECT_EQ(v.find("000D"), std::string::npos);
}

TEST(PdfRecords, ParagraphsSplitAtAnnotationsAndSizeChangesAndMeasureToHundredths) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& block = addBlock(page, kBlockText, kHorizontal);
  testing::Layout body{44, 41, 20};
  for (int i = 0; i < 40; ++i) bodyLine(block, 400 + i * 57, 300, u"本文の行です", body);
  testing::Layout big{90, 88, 40};
  bodyLine(block, 2800, 300, u"大見出し", big);
  testing::annotationLine(block, 2900, u"るび", {300, 330});

  CPDFdata data = emptyData(page);
  BuildTextRecords(data, page);
  ASSERT_EQ(data.texts.size(), 3u);
  const tagPDFTEXT& para = data.texts[0];
  EXPECT_EQ(countOf(text::toUtf8(para.text), "\n"), 39);
  EXPECT_DOUBLE_EQ(para.advance, 10.26);  // 57 px at 400 dpi, not truncated to 10
  EXPECT_DOUBLE_EQ(para.size, 7.38);      // 41 px
  EXPECT_EQ(para.x, 54);
  EXPECT_EQ(para.y, static_cast<int>(631 - 441 * 0.18));
  // The last line of a 40-line paragraph lands where the scan has it.
  EXPECT_NEAR(para.y - 39 * para.advance, 631 - (400 + 39 * 57 + 41) * 0.18, 1.0);
  EXPECT_EQ(data.texts[1].text, u"大見出し");
  EXPECT_EQ(data.texts[2].text, u"るび");
  for (const tagPDFTEXT& r : data.texts) EXPECT_EQ(r.colors.size(), r.text.size());
}

TEST(PdfRecords, CharactersWithoutBoxesTakePlacesBetweenTheirNeighbours) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& block = addBlock(page, kBlockText, kHorizontal);
  COcrLine& line = bodyLine(block, 1000, 400, u"文字を");
  // Typed characters: one between the first two, two at the end.
  auto typed = [](char16_t c) {
    COcrChar ch;
    ch.code = makeCode(c);
    ch.x = ch.y = -1;
    return ch;
  };
  line.chars.insert(std::next(line.chars.begin()), typed(u'入'));
  line.chars.push_back(typed(u'足'));
  line.chars.push_back(typed(u'す'));
  const auto boxes = placeCharacters(line, false, {});
  ASSERT_EQ(boxes.size(), 6u);
  EXPECT_DOUBLE_EQ(boxes[1].left, 422);  // halfway between 400 and 444
  EXPECT_DOUBLE_EQ(boxes[4].left, 528);  // continuing after the last boxed one at its width
  EXPECT_DOUBLE_EQ(boxes[5].left, 568);
  EXPECT_DOUBLE_EQ(boxes[5].top, 1000);

  // A paragraph typed from scratch sits in its line box, not at the page corner.
  COcrBlock& typedBlock = addBlock(page, kBlockText, kHorizontal);
  COcrLine& typedLine = typedBlock.lines.emplace_back();
  typedLine.x = 800;
  typedLine.y = 2000;
  typedLine.width = 400;
  typedLine.height = 50;
  for (const char16_t c : std::u16string(u"新しい")) typedLine.chars.push_back(typed(c));
  CPDFdata data = emptyData(page);
  BuildTextRecords(data, page);
  ASSERT_EQ(data.texts.size(), 2u);
  EXPECT_EQ(data.texts[0].x, 72);
  EXPECT_EQ(data.texts[1].x, 144);
  EXPECT_EQ(data.texts[1].y, static_cast<int>(631 - 2050 * 0.18));
  EXPECT_DOUBLE_EQ(data.texts[1].size, 9.0);
}

TEST(PdfRecords, OneLineRecordsFollowedByAnEarlierColumnGetASeparator) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& block = addBlock(page, kBlockText, kVertical);
  bodyLine(block, 2000, 600, u"一行目");
  testing::Layout small{24, 20, 10};
  bodyLine(block, 1900, 500, u"小さな次の行", small);
  CPDFdata data = emptyData(page);
  BuildTextRecords(data, page);
  ASSERT_EQ(data.texts.size(), 2u);
  EXPECT_EQ(data.texts[0].text, u"一行目\n \n");
  EXPECT_EQ(data.texts[0].colors.size(), data.texts[0].text.size());
  EXPECT_EQ(data.texts[1].text, u"小さな次の行");
}

COcrCell& addCell(COcrBlock& table, int row, int col, std::u16string_view text, int x, int y) {
  COcrCell& cell = table.cells.emplace_back();
  cell.row = row;
  cell.col = col;
  cell.x = x;
  cell.y = y;
  cell.width = 300;
  cell.height = 100;
  cell.top = cell.left = cell.right = cell.bottom = kBorderSolid;
  COcrBlock scratch;
  scratch.direction = table.direction;
  if (table.direction == kVertical) {
    bodyLine(scratch, x + 20, y + 10, text);
  } else {
    bodyLine(scratch, y + 30, x + 20, text);
  }
  cell.lines.splice(cell.lines.end(), scratch.lines);
  return cell;
}

TEST(PdfTables, ZeroBasedVerticalTablesKeepEveryCellAndDrawEveryRule) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& table = addBlock(page, kBlockTable, kVertical);
  // Two rows of three columns, numbered from 0 as the bundled sample numbers them.
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c)
      addCell(table, r, c, std::u16string(1, static_cast<char16_t>(u'甲' + r * 3 + c)), 400 + c * 300, 800 + r * 100);
  }
  table.cells.back().bottom = kBorderDotted;
  CPDFdata data = emptyData(page);
  BuildTableRecords(data, page, true);
  ASSERT_EQ(data.tables.size(), 1u);
  const tagPDFTABLE& t = data.tables[0];
  EXPECT_EQ(t.rows, 2);
  EXPECT_EQ(t.columns, 3);
  ASSERT_EQ(t.cells.size(), 6u);
  EXPECT_EQ(t.cells[5].text, std::u16string(1, u'甲' + 5));
  EXPECT_EQ(t.cells[0].font, kFontMinchoV);

  CPDFcontents contents(35);
  ASSERT_EQ(contents.AddTable(t), 1);
  std::string s;
  contents.BuildText(s);
  // 3 × 3 horizontal and 2 × 4 vertical rules, all drawn; one dotted.
  EXPECT_EQ(countOf(s, " l\rS\r"), 17);
  EXPECT_EQ(countOf(s, "0 w\r[2] 1 d\r"), 1);
  EXPECT_NE(s.find("72.00 487.00 m\r126.00 487.00 l\rS\r"), std::string::npos) << s;  // top rule of the first cell
  EXPECT_EQ(countOf(s, "BT\r0 0 0 rg 0 Tc 0 Tw\r"), 6);
}

TEST(PdfTables, AbsurdCellNumbersKeepTheTextWithoutAGrid) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& table = addBlock(page, kBlockTable, kHorizontal);
  addCell(table, 0, 0, u"表頭", 400, 800);
  addCell(table, 1000000, 0, u"遠い行", 400, 900);
  addCell(table, -5, 2, u"負の行", 700, 800);
  COcrBlock& dup = addBlock(page, kBlockTable, kHorizontal);
  addCell(dup, 3, 3, u"一つ目", 400, 1500);
  addCell(dup, 3, 3, u"二つ目", 400, 1600);
  CPDFdata data = emptyData(page);
  BuildTableRecords(data, page, true);
  ASSERT_EQ(data.tables.size(), 1u);  // the second table: one cell, the other written as text
  EXPECT_EQ(data.tables[0].rows, 1);
  EXPECT_EQ(data.tables[0].cells[0].text, u"一つ目");
  std::u16string all;
  for (const tagPDFTEXT& r : data.texts) all += r.text + u"|";
  EXPECT_EQ(all, u"表頭|遠い行|負の行|二つ目|");
}

TEST(PdfRecords, ChineseAndLatinBlocksKeepTheirFontsInEveryKind) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  COcrBlock& chinese = addBlock(page, kBlockText, kHorizontal, 136);
  bodyLine(chinese, 400, 300, u"繁體中文");
  COcrBlock& latin = addBlock(page, kBlockText, kHorizontal, 0);
  bodyLine(latin, 600, 300, u"ABC");
  COcrBlock& table = addBlock(page, kBlockTable, kHorizontal, 136);
  addCell(table, 1, 1, u"表格", 400, 1000);

  const std::string pdf = writeTextPdf(paper);
  const std::string content = contentOfPage(pdf, 0);
  EXPECT_NE(content.find("/F7 7.20 Tf\r<> Tj 0.000000 0.000000 0.000000 rg<7E419AD44E2D6587> Tj"), std::string::npos)
      << content;
  EXPECT_NE(content.find("/F2 7.20 Tf\r<> Tj 0.000000 0.000000 0.000000 rg<414243> Tj"), std::string::npos);
  EXPECT_NE(content.find("/F7 7 Tf <> Tj 0.000000 0.000000 0.000000 rg<8868683C> Tj\rET"), std::string::npos);
  EXPECT_EQ(page.blocks.front().langId, 136);

  CPDFdata data = emptyData(page);
  BuildInvisibleText(data, page, true);
  ASSERT_EQ(data.texts.size(), 3u);
  EXPECT_EQ(data.texts[0].font, kFontTraditional);
  EXPECT_EQ(data.texts[1].font, kFontTimes);
  EXPECT_EQ(data.texts[2].font, kFontTraditional);
}

TEST(PdfRecords, InvisibleRunsStartAtLinesSpacesAndWhereThePenWouldDrift) {
  COcrPaper paper;
  COcrPage& page = addPage(paper);
  // Latin letters much wider on the scan than the font sets them: the runs must
  // restart so that no character strays a quarter of the size off its box.
  COcrBlock& latin = addBlock(page, kBlockText, kHorizontal, 0);
  testing::Layout wide{80, 40, 20};
  bodyLine(latin, 400, 200, u"iiiiiiiiii", wide);
  bodyLine(latin, 460, 200, u"ab cd", wide);
  COcrBlock& vertical = addBlock(page, kBlockText, kVertical);
  bodyLine(vertical, 2000, 600, u"縦書き");

  CPDFdata data = emptyData(page);
  BuildInvisibleText(data, page, true);
  ASSERT_EQ(data.texts.size(), 2u);
  const tagPDFTEXT& r = data.texts[0];
  EXPECT_EQ(r.render, 3);
  EXPECT_EQ(r.size, 8);  // 1 + 40 px at 400 dpi, rounded
  // Replay the runs as a reader would and compare every character with its box.
  double x = 0, y = 0;
  std::size_t at = 0;
  std::vector<double> starts;
  for (std::size_t run = 0; run < r.runLengths.size(); ++run) {
    x += r.runDx[run];
    y -= r.runDy[run];
    double pen = x;
    for (int k = 0; k < r.runLengths[run]; ++k, ++at) {
      starts.push_back(pen);
      pen += glyphAdvance(r.font, r.text[at]) * r.size / 1000.0;
    }
  }
  ASSERT_EQ(starts.size(), 15u);
  for (std::size_t i = 0; i < 15; ++i) {
    const int k = i < 10 ? static_cast<int>(i) : static_cast<int>(i - 10);
    EXPECT_NEAR(starts[i], (200 + k * 80) * 0.18, r.size / 4 + 1) << i;
  }
  EXPECT_GT(r.runLengths.size(), 4u);

  const tagPDFTEXT& v = data.texts[1];
  EXPECT_EQ(v.runLengths, (std::vector<int>{1, 1, 1}));
  CPDFcontents contents(35);
  contents.AddText(v);
  std::string s;
  contents.BuildText(s);
  // Every character of vertical text moves to its own place, even by zero.
  EXPECT_EQ(countOf(s, " TD\r<"), 3);
  EXPECT_NE(s.find("/F4 8 Tf\r"), std::string::npos);
  EXPECT_NE(s.find("3 Tr\r"), std::string::npos);
}

TEST(PdfExport, PagesWithoutAResolutionAreMeasuredAtTheStandardOne) {
  COcrPaper paper;
  COcrPage& page = addPage(paper, 2000, 2000, -1);
  paper.standardDpi = 200;
  EXPECT_EQ(pageDpi(page, paper), 200);
  EXPECT_EQ(textPdfPage(paper, page).heightPoints(), 720);
  paper.standardDpi = 0;
  EXPECT_EQ(pageDpi(page, paper), 400);
  page.dpi = 49;
  EXPECT_EQ(pageDpi(page, paper), 400);
  page.dpi = 4800;
  EXPECT_EQ(pageDpi(page, paper), 4800);
}

TEST(PdfExport, AFileThatCannotBeWrittenIsReported) {
  testing::TempDir dir;
  ScriptedHost host;
  const COcrPaper paper = samplePaper();
  const std::string target = (dir / "missing" / "out.pdf").string();
  EXPECT_EQ(ExportTextPdf(paper, text::fromUtf8(target), 0, -1, {}, host), 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, u"ファイル " + text::fromUtf8(target) + u" が保存できません。");
  EXPECT_EQ(host.progressOpen, 0);
}

TEST(PdfExport, AFolderInTheWayFailsAndCancellingWritesNothing) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "taken.pdf");
  ScriptedHost host;
  const COcrPaper paper = samplePaper();
  EXPECT_EQ(ExportTextPdf(paper, text::fromUtf8((dir / "taken.pdf").string()), 0, -1, {}, host), 0);
  EXPECT_EQ(host.messages.size(), 1u);

  COcrPaper three = samplePaper();
  addPage(three);
  addPage(three);
  ScriptedHost cancelling;
  cancelling.cancelAfterPolls = 0;
  PdfExportReport report;
  const std::string path = (dir / "cancelled.pdf").string();
  EXPECT_EQ(ExportTextPdf(three, text::fromUtf8(path), 0, -1, {}, cancelling, &report), 1);
  EXPECT_TRUE(report.cancelled);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(cancelling.messages.empty());
  EXPECT_EQ(cancelling.progress.at(1), u"ファイル保存中　1/3");

  ScriptedHost host2;
  EXPECT_EQ(ExportTextPdf(three, text::fromUtf8(path), 1, 2, {}, host2, &report), 1);
  EXPECT_EQ(inspectPdf(readWhole(path)).size, 38);
  EXPECT_EQ(host2.progressOpen, 0);
}

}  // namespace
}  // namespace lexova::pdf
