// The office documents: the part writers against exact strings, the program's
// page geometry (A4 snapping, the column priority in double precision), every
// page giving its geometry first, pictures by depth, golden document parts for a
// vertical page with ruby and a horizontal page with a table and a picture, and
// the packages as python-docx and LibreOffice take them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/office/docx_parts.h"
#include "export/office/office_output.h"
#include "export/office/pptx_parts.h"
#include "export/office/xml_text.h"
#include "host/scripted_host.h"
#include "imaging/pict_info.h"
#include "support/page_builder.h"
#include "support/temp_dir.h"
#include "support/zip_parts.h"
#include "text/utf.h"

namespace lexova::office {
namespace {

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct ToolRun {
  int status = -1;
  std::string output;
};

ToolRun run(const std::string& command) {
  ToolRun r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
  const int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(OfficeParts, TextIsEscapedWithoutWhatXmlCannotHold) {
  std::u16string text = u"a<b>&\"c\u0001\u000B\uFFFEzx\U0001F600";
  text[10] = 0xD800;  // a lone surrogate in place of z
  EXPECT_EQ(xmlText(text), "a&lt;b&gt;&amp;&quot;c\xEF\xBF\xBDx\xF0\x9F\x98\x80");
  EXPECT_EQ(xmlNumber(12.345), "12.35");
  EXPECT_EQ(xmlNumber(7), "7");
}

TEST(OfficeParts, SectionsRunsAndRubyAsWordWritesThem) {
  PageSetup a4;
  a4.widthTw = 11905;
  a4.heightTw = 16837;
  a4.leftTw = 1440;
  a4.topTw = 720.4;
  a4.rightTw = 1000;
  a4.bottomTw = 990;
  EXPECT_EQ(docxSectionProperties(a4),
            "<w:sectPr><w:pgSz w:w=\"11905\" w:h=\"16837\"/><w:pgMar w:top=\"720\" w:right=\"1000\" w:bottom=\"990\" "
            "w:left=\"1440\" w:header=\"0\" w:footer=\"0\" w:gutter=\"0\"/></w:sectPr>");

  OfficeLine line;
  line.text = u"羅生門の\r下";
  line.ruby.push_back({0, 2, u"らしょうもん", false});
  std::string out;
  docxRuns(out, line, 10.5);
  EXPECT_EQ(
      out,
      "<w:r><w:ruby><w:rubyPr><w:rubyAlign w:val=\"distributeSpace\"/><w:hps w:val=\"11\"/><w:hpsRaise "
      "w:val=\"21\"/><w:hpsBaseText w:val=\"21\"/><w:lid w:val=\"ja-JP\"/></w:rubyPr><w:rt><w:r><w:rPr><w:sz "
      "w:val=\"11\"/><w:szCs w:val=\"11\"/></w:rPr><w:t xml:space=\"preserve\">らしょうもん</w:t></w:r></w:rt>"
      "<w:rubyBase><w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr><w:t xml:space=\"preserve\">羅生門"
      "</w:t></w:r></w:rubyBase></w:ruby></w:r><w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr><w:t "
      "xml:space=\"preserve\">の</w:t></w:r><w:r><w:br/></w:r><w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs "
      "w:val=\"21\"/></w:rPr><w:t xml:space=\"preserve\">下</w:t></w:r>");
  EXPECT_EQ(docxContentTypes().substr(0, 56), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
  EXPECT_NE(docxDocumentRels({"media/image1.png"})
                .find("<Relationship Id=\"rId100\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/image\" Target=\"media/image1.png\"/>"),
            std::string::npos);
}

COcrPage pageOf(int w, int h, int dpi = 400) {
  COcrPage p;
  p.width = w;
  p.height = h;
  p.dpi = dpi;
  return p;
}

TEST(OfficeGeometry, PagesSnapToA4AndTheContentIsCentredInDoublePrecision) {
  const PageGeometry a4 = pageGeometry(pageOf(3307, 4677), 400, OfficeKind::Word, 0);
  EXPECT_DOUBLE_EQ(a4.setup.widthTw, 11905);
  EXPECT_DOUBLE_EQ(a4.setup.heightTw, 16837);
  // Under 5 % larger than A4 snaps to it; 10 % larger keeps its size.
  EXPECT_DOUBLE_EQ(pageGeometry(pageOf(3400, 4800), 400, OfficeKind::Word, 0).setup.heightTw, 16837);
  EXPECT_DOUBLE_EQ(pageGeometry(pageOf(3650, 5150), 400, OfficeKind::Word, 0).setup.heightTw, 5150 * 3.6);
  const PageGeometry wide = pageGeometry(pageOf(4677, 3307), 400, OfficeKind::PowerPoint, 0);
  EXPECT_DOUBLE_EQ(wide.setup.widthTw, 16837);
  EXPECT_DOUBLE_EQ(pageGeometry(pageOf(2000, 3000), 300, OfficeKind::Xps, 1).setup.widthTw, 9600);

  COcrPage page = pageOf(3307, 4677);
  COcrBlock& b = page.blocks.emplace_back();
  b.x = 1000;
  b.y = 1000;
  b.width = 1000;
  b.height = 2000;
  testing::Layout big{50, 48, 24};
  testing::bodyLine(b, 1000, 1000, u"一行目", big);
  testing::bodyLine(b, 1100, 1000, u"二行目", big);
  const PageGeometry centred = pageGeometry(page, 400, OfficeKind::Word, 1);
  EXPECT_DOUBLE_EQ(centred.offsetXPx, (3307 - 1000) / 2.0 - 1000);
  // 3.6 twips a pixel at 400 dpi, not 3.
  EXPECT_DOUBLE_EQ(centred.setup.offsetXTw, centred.offsetXPx * 3.6 + 400);
  EXPECT_DOUBLE_EQ(centred.setup.leftTw, (1000 + centred.offsetXPx) * 3.6);
  EXPECT_DOUBLE_EQ(centred.setup.rightTw, 11905 - (2000 + centred.offsetXPx) * 3.6 - 210);
  const TextArea area = textArea(b, 400, centred);
  EXPECT_DOUBLE_EQ(area.rect.x, (1000 + centred.offsetXPx) * 0.18);
  EXPECT_DOUBLE_EQ(area.fontSize, 9);                   // 48 px at 400 dpi, to the point
  EXPECT_DOUBLE_EQ(area.linePitch, -(48 + 52) * 0.18);  // line size and gap
}

// A vertical page: a column with ruby over its first two characters.
COcrPaper verticalRubyPaper() {
  COcrPaper paper;
  COcrPage& page = paper.pages.emplace_back(pageOf(2480, 3508));
  COcrBlock& b = page.blocks.emplace_back();
  b.direction = kVertical;
  b.x = 1800;
  b.y = 400;
  b.width = 300;
  b.height = 800;
  testing::Layout l{44, 40, 20};
  COcrLine& ruby = testing::annotationLine(b, 2050, u"らしょう", {400, 420, 440, 460}, l);
  COcrLine& base = testing::bodyLine(b, 2000, 400, u"羅生門の下\r", l);
  testing::bodyLine(b, 1940, 400, u"雨やみを待つ", l);
  ruby.baseLine = &base;
  ruby.RCS = 1;
  ruby.RCE = 2;
  return paper;
}

// A horizontal page: a paragraph, a 2 × 2 table (rows from 0) and a picture.
COcrPaper horizontalTablePaper() {
  COcrPaper paper;
  COcrPage& page = paper.pages.emplace_back(pageOf(2480, 3508));
  page.file = u"page.png";
  COcrBlock& text = page.blocks.emplace_back();
  text.x = 300;
  text.y = 300;
  text.width = 1800;
  text.height = 50;
  testing::bodyLine(text, 300, 300, u"表と図のあるページ");
  COcrBlock& table = page.blocks.emplace_back();
  table.type = kBlockTable;
  table.x = 300;
  table.y = 500;
  table.width = 1200;
  table.height = 200;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      COcrCell& cell = table.cells.emplace_back();
      cell.row = r;
      cell.col = c;
      cell.x = 300 + c * 600;
      cell.y = 500 + r * 100;
      cell.width = 600;
      cell.height = 100;
      COcrBlock scratch;
      testing::bodyLine(scratch, cell.y + 30, cell.x + 20, std::u16string(1, u"甲乙丙丁"[r * 2 + c]));
      cell.lines.splice(cell.lines.end(), scratch.lines);
    }
  }
  COcrBlock& figure = page.blocks.emplace_back();
  figure.type = kBlockImage;
  figure.x = 300;
  figure.y = 900;
  figure.width = 400;
  figure.height = 300;
  return paper;
}

std::string onePagePicture(const testing::TempDir& dir, int bits) {
  imaging::CPICT_INFO p;
  p.Width = 2480;
  p.Height = 3508;
  p.BitCount = static_cast<std::int16_t>(bits);
  EXPECT_TRUE(imaging::CreateNewImageToCPictInfo(p));
  if (bits == 1) {
    for (int y = 950; y < 1000; ++y) {
      for (int x = 350; x < 650; ++x) imaging::setBit(p, x, y, true);
    }
  } else {
    std::fill(p.Bits.begin(), p.Bits.end(), 200);
  }
  p.XResolution = p.YResolution = 400;
  p.FileName = (dir / "page.png").string();
  p.FileType = imaging::kFilePng;
  EXPECT_EQ(imaging::SaveImageFileProc(p), 1);
  return p.FileName;
}

std::map<std::string, std::string> docxParts(const COcrPaper& paper, const std::string& image) {
  OfficeLibrary library;
  EXPECT_EQ(library.initDocxData(OfficeKind::Word), 0);
  OfficeExportOptions options;
  options.columnPriority = 0;
  for (const COcrPage& page : paper.pages) {
    EXPECT_EQ(addOfficePage(library, OfficeKind::Word, paper, page, image, options), 0);
    library.addPageBreak();
  }
  return testing::zipParts(library.packageBytes());
}

void expectGolden(const std::string& actual, const std::string& name) {
  const std::string golden = std::string(LEXOVA_TEST_DATA) + "/office/" + name;
  if (std::getenv("LEXOVA_UPDATE_GOLDEN") != nullptr) std::ofstream(golden, std::ios::binary) << actual;
  EXPECT_EQ(actual, readWhole(golden)) << name << ": regenerate with LEXOVA_UPDATE_GOLDEN=1 after checking the change";
}

TEST(OfficeDocx, GoldenPagesOfVerticalRubyAndOfATableWithAPicture) {
  testing::TempDir dir;
  const auto vertical = docxParts(verticalRubyPaper(), "");
  ASSERT_EQ(vertical.size(), 7u);
  expectGolden(vertical.at("word/document.xml"), "vertical_ruby.document.xml");
  EXPECT_NE(vertical.at("word/document.xml").find("vert=\"eaVert\""), std::string::npos);
  EXPECT_NE(vertical.at("word/document.xml").find("<w:rt>"), std::string::npos);

  const auto horizontal = docxParts(horizontalTablePaper(), onePagePicture(dir, 1));
  expectGolden(horizontal.at("word/document.xml"), "horizontal_table.document.xml");
  // The one-bit picture is a PNG of one bit a pixel, not a JPEG.
  ASSERT_EQ(horizontal.count("word/media/image1.png"), 1u);
  imaging::CPICT_INFO picture;
  ASSERT_TRUE(
      imaging::loadImage(std::span(reinterpret_cast<const std::uint8_t*>(horizontal.at("word/media/image1.png").data()),
                                   horizontal.at("word/media/image1.png").size()),
                         picture)
          .ok);
  EXPECT_EQ(picture.BitCount, 1);
  EXPECT_EQ(imaging::pixelAt(picture, 30, 30), 1u);  // black stays black
  EXPECT_EQ(imaging::pixelAt(picture, 150, 100), 0u);

  const auto gray = docxParts(horizontalTablePaper(), onePagePicture(dir, 8));
  EXPECT_EQ(gray.count("word/media/image1.jpeg"), 1u);
}

TEST(OfficeDocx, APageWithoutTextStillGivesItsPageToItsPicture) {
  testing::TempDir dir;
  COcrPaper paper = horizontalTablePaper();
  COcrPage second = paper.pages.front();
  second.blocks.erase(second.blocks.begin(), std::prev(second.blocks.end()));  // only the figure
  paper.pages.push_back(second);
  const auto parts = docxParts(paper, onePagePicture(dir, 8));
  const std::string& doc = parts.at("word/document.xml");
  // Two sections, the second holding the second picture.
  const std::size_t firstSection = doc.find("<w:sectPr>");
  ASSERT_NE(firstSection, std::string::npos);
  EXPECT_NE(doc.find("r:embed=\"rId101\"", firstSection), std::string::npos);
  EXPECT_EQ(doc.find("r:embed=\"rId101\""), doc.find("r:embed=\"rId101\"", firstSection));
  EXPECT_NE(doc.find("<w:sectPr>", firstSection + 1), std::string::npos);
}

TEST(OfficeDocx, FailuresAreReportedAndACancelKeepsThePagesDone) {
  testing::TempDir dir;
  COcrPaper paper = verticalRubyPaper();
  paper.pages.push_back(paper.pages.front());
  paper.pages.push_back(paper.pages.front());
  ScriptedHost host;
  const std::u16string missing = text::fromUtf8((dir / "no" / "out.docx").string());
  EXPECT_EQ(ExportOfficeDocument(paper, missing, OfficeKind::Word, 0, -1, {}, host), 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, missing + u"は保存できませんでした");

  ScriptedHost cancelling;
  cancelling.cancelAfterPolls = 1;
  OfficeExportReport report;
  const std::string path = (dir / "cancelled.docx").string();
  EXPECT_EQ(ExportOfficeDocument(paper, text::fromUtf8(path), OfficeKind::Word, 0, -1, {}, cancelling, &report), 1);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.pages, 2);
  EXPECT_EQ(cancelling.progress.at(0), u"Wordファイル保存中...");
  const auto parts = testing::zipParts(readWhole(path));
  std::size_t sections = 0;
  for (std::size_t at = 0; (at = parts.at("word/document.xml").find("<w:sectPr>", at)) != std::string::npos; ++at) {
    ++sections;
  }
  EXPECT_EQ(sections, 2u);
}

TEST(OfficeDocx, WordAndLibreOfficeReadTheDocument) {
  testing::TempDir dir;
  COcrPaper paper = horizontalTablePaper();
  for (const COcrPage& p : verticalRubyPaper().pages) paper.pages.push_back(p);
  const std::string path = (dir / "doc.docx").string();
  ScriptedHost host;
  OfficeExportOptions options;
  const std::string image = onePagePicture(dir, 8);
  options.pageImages = [image](const COcrPage& page) { return page.file.empty() ? std::string() : image; };
  ASSERT_EQ(ExportOfficeDocument(paper, text::fromUtf8(path), OfficeKind::Word, 0, -1, options, host), 1);
  const auto parts = testing::zipParts(readWhole(path));
  for (const auto& [name, data] : parts) {
    if (name.find("media/") != std::string::npos) continue;
    const std::string file = (dir / "part.xml").string();
    std::ofstream(file, std::ios::binary) << data;
    EXPECT_EQ(run("xmllint --noout " + file).status, 0) << name;
  }
  const ToolRun docx =
      run("/usr/bin/python3 -c \"import docx, sys; d = docx.Document(sys.argv[1]); "
          "print(len(d.sections), d.sections[0].page_width)\" " +
          path);
  EXPECT_EQ(docx.status, 0) << docx.output;
  EXPECT_EQ(docx.output, "2 7559675\n");
  const std::string profile = "-env:UserInstallation=file://" + (dir / "profile").string();
  const ToolRun lo = run("cd " + dir.path().string() + " && soffice " + profile +
                         " --headless --convert-to pdf --outdir " + (dir / "pdf").string() + " " + path);
  ASSERT_EQ(lo.status, 0) << lo.output;
  const std::string pdf = (dir / "pdf" / "doc.pdf").string();
  EXPECT_NE(run("pdfinfo " + pdf).output.find("Pages:           2"), std::string::npos);
  const std::string text = run("pdftotext -enc UTF-8 -f 1 -l 1 " + pdf + " -").output;
  EXPECT_NE(text.find("表と図のあるページ"), std::string::npos) << text;
  EXPECT_LT(text.find("表と図のあるページ"), text.find("甲"));
  for (const char* cell : {"甲", "乙", "丙", "丁"}) EXPECT_NE(text.find(cell), std::string::npos) << cell;
}

std::map<std::string, std::string> packageParts(OfficeKind kind, const COcrPaper& paper, const std::string& image) {
  OfficeLibrary library;
  EXPECT_EQ(library.initDocxData(kind), 0);
  OfficeExportOptions options;
  options.columnPriority = 0;
  for (const COcrPage& page : paper.pages) {
    EXPECT_EQ(addOfficePage(library, kind, paper, page, image, options), 0);
    library.addPageBreak();
  }
  return testing::zipParts(library.packageBytes());
}

TEST(OfficePptx, SlidesTakeTheFirstPagesSizeAndFitTheOthers) {
  EXPECT_EQ(pptxPresentation(2, 7560310, 10692130),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<p:presentation "
            "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
            "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:sldMasterIdLst><p:sldMasterId "
            "id=\"2147483648\" r:id=\"rId1\"/></p:sldMasterIdLst><p:sldIdLst><p:sldId id=\"256\" r:id=\"rId10\"/>"
            "<p:sldId id=\"257\" r:id=\"rId11\"/></p:sldIdLst><p:sldSz cx=\"7560310\" cy=\"10692130\"/><p:notesSz "
            "cx=\"6858000\" cy=\"9144000\"/></p:presentation>");
  testing::TempDir dir;
  COcrPaper paper = verticalRubyPaper();
  COcrPage wide = horizontalTablePaper().pages.front();
  wide.width = 4677;  // landscape: scaled into the portrait slide and centred
  wide.height = 3307;
  paper.pages.push_back(wide);
  const auto parts = packageParts(OfficeKind::PowerPoint, paper, onePagePicture(dir, 8));
  expectGolden(parts.at("ppt/slides/slide1.xml"), "vertical_ruby.slide1.xml");
  EXPECT_NE(parts.at("ppt/presentation.xml").find("<p:sldSz cx=\"7559675\" cy=\"10691495\"/>"), std::string::npos);
  EXPECT_NE(parts.at("ppt/slides/slide1.xml").find("vert=\"eaVert\""), std::string::npos);
  // The landscape page: A4 across (16837 twips) in a slide 11905 twips wide.
  const std::string& second = parts.at("ppt/slides/slide2.xml");
  const double scale = 11905.0 / 16837;
  const long long top = std::llround((16837 - 11905 * scale) * 635 / 2);
  // The first text frame: its line's top (300 px, less half the gap of a single line).
  const std::size_t frame = second.find("<a:off x=", second.find("<p:sp>"));
  const long long y = std::stoll(second.substr(second.find("y=\"", frame) + 3));
  EXPECT_NEAR(static_cast<double>(y), static_cast<double>(top) + 296 * 0.18 * 12700 * scale, 2.0);
  EXPECT_EQ(parts.count("ppt/media/image1.jpeg"), 1u);
  EXPECT_NE(parts.at("[Content_Types].xml").find("/ppt/slides/slide2.xml"), std::string::npos);
}

TEST(OfficePptx, LibreOfficeShowsEverySlide) {
  testing::TempDir dir;
  COcrPaper paper = horizontalTablePaper();
  for (const COcrPage& p : verticalRubyPaper().pages) paper.pages.push_back(p);
  const std::string path = (dir / "show.pptx").string();
  ScriptedHost host;
  ASSERT_EQ(ExportOfficeDocument(paper, text::fromUtf8(path), OfficeKind::PowerPoint, 0, -1, {}, host), 1);
  for (const auto& [name, data] : testing::zipParts(readWhole(path))) {
    const std::string file = (dir / "part.xml").string();
    std::ofstream(file, std::ios::binary) << data;
    EXPECT_EQ(run("xmllint --noout " + file).status, 0) << name;
  }
  const std::string profile = "-env:UserInstallation=file://" + (dir / "profile").string();
  const ToolRun lo = run("cd " + dir.path().string() + " && soffice " + profile +
                         " --headless --convert-to pdf --outdir " + (dir / "pdf").string() + " " + path);
  ASSERT_EQ(lo.status, 0) << lo.output;
  const std::string pdf = (dir / "pdf" / "show.pdf").string();
  EXPECT_NE(run("pdfinfo " + pdf).output.find("Pages:           2"), std::string::npos);
  const std::string text = run("pdftotext -enc UTF-8 -f 1 -l 1 " + pdf + " -").output;
  EXPECT_NE(text.find("表と図のあるページ"), std::string::npos) << text;
  EXPECT_NE(text.find("甲"), std::string::npos);
}

// The characters of a text, spaces and line ends left out.
std::u16string withoutBlanks(std::u16string_view s) {
  std::u16string out;
  for (const char16_t c : s) {
    if (c != u' ' && c != u'\n' && c != u'\r' && c != u'\t' && c != 0x3000) out.push_back(c);
  }
  return out;
}

// Whether a font file's character set (as fc-query prints it) holds every character.
bool coversAll(const std::string& fontFile, const std::u32string& characters) {
  const ToolRun q = run("fc-query --format '%{charset}' " + fontFile);
  if (q.status != 0) return false;
  std::vector<std::pair<char32_t, char32_t>> ranges;
  std::istringstream in(q.output);
  for (std::string item; in >> item;) {
    const std::size_t dash = item.find('-');
    const auto lo = static_cast<char32_t>(std::stoul(item.substr(0, dash), nullptr, 16));
    const auto hi =
        dash == std::string::npos ? lo : static_cast<char32_t>(std::stoul(item.substr(dash + 1), nullptr, 16));
    ranges.emplace_back(lo, hi);
  }
  for (const char32_t c : characters) {
    if (std::none_of(ranges.begin(), ranges.end(), [c](const auto& r) { return c >= r.first && c <= r.second; })) {
      return false;
    }
  }
  return true;
}

TEST(OfficeXps, PagesDrawTheirTextInAnEmbeddedSubsetThatMuPdfReads) {
  testing::TempDir dir;
  COcrPaper paper = horizontalTablePaper();
  for (const COcrPage& p : verticalRubyPaper().pages) paper.pages.push_back(p);
  // A character outside the basic plane and traditional forms in a Japanese block.
  testing::bodyLine(paper.pages.front().blocks.front(), 360, 300, u"\U00020B9F繁體");
  const std::string path = (dir / "doc.xps").string();
  ScriptedHost host;
  OfficeExportOptions options;
  const std::string image = onePagePicture(dir, 8);
  options.pageImages = [image](const COcrPage& page) { return page.file.empty() ? std::string() : image; };
  ASSERT_EQ(ExportOfficeDocument(paper, text::fromUtf8(path), OfficeKind::Xps, 0, -1, options, host), 1);
  const auto parts = testing::zipParts(readWhole(path));
  ASSERT_EQ(parts.count("Documents/1/Pages/2.fpage"), 1u);
  ASSERT_EQ(parts.count("Resources/Fonts/japanese.ttf"), 1u);
  EXPECT_EQ(parts.count("Resources/Images/image1.jpeg"), 1u);
  const std::string& page1 = parts.at("Documents/1/Pages/1.fpage");
  // 2480 px at 400 dpi is 595.2 of 1/96 inch.
  EXPECT_NE(page1.find("Width=\"595.2\" Height=\"841.92\""), std::string::npos);
  EXPECT_NE(page1.find("UnicodeString=\"表と図のあるページ\""), std::string::npos);
  EXPECT_NE(parts.at("Documents/1/Pages/_rels/1.fpage.rels").find("/Resources/Fonts/japanese.ttf"), std::string::npos);
  for (const auto& [name, data] : parts) {
    if (name.find("Resources/") == 0) continue;
    const std::string file = (dir / "part.xml").string();
    std::ofstream(file, std::ios::binary) << data;
    EXPECT_EQ(run("xmllint --noout " + file).status, 0) << name;
  }
  // The subset holds every character drawn, whatever its plane or script.
  const std::string font = (dir / "font.ttf").string();
  std::ofstream(font, std::ios::binary) << parts.at("Resources/Fonts/japanese.ttf");
  std::u32string used = U"表と図のあるページ甲乙丙丁羅生門の下雨やみを待つ\U00020B9F繁體";
  EXPECT_TRUE(coversAll(font, used));
  EXPECT_LT(parts.at("Resources/Fonts/japanese.ttf").size(), 200000u);  // a subset, not the whole font

  // MuPDF draws every page and gives back the text of the body lines in order.
  ASSERT_EQ(run("mutool draw -q -r 20 -o " + (dir / "page-%d.png").string() + " " + path).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "page-2.png"));
  const std::u16string got = withoutBlanks(text::fromUtf8(run("mutool draw -q -F txt -o - " + path).output));
  for (const std::u16string want :
       {u"表と図のあるページ", u"羅生門の下", u"雨やみを待つ", u"甲乙", u"\U00020B9F繁體"}) {
    EXPECT_NE(got.find(want), std::u16string::npos) << text::toUtf8(want) << " in " << text::toUtf8(got);
  }
}

}  // namespace
}  // namespace lexova::office
