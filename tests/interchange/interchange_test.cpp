// hOCR, ALTO and PAGE XML into the model and back: Tesseract's real output of a
// vertical and a horizontal page, round trips of the sample through each format
// (text, boxes, certainties and reading order), the published schemas, and bad
// input that must give a clear error.
#include "interchange/interchange.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "document/vuzozoviv/reader.h"
#include "interchange/markup.h"
#include "io/byte_io.h"
#include "support/invariants.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::interchange {
namespace {

std::string data(const std::string& name) {
  return io::readFile(std::string(LEXOVA_TEST_DATA) + "/interchange/" + name);
}

// The text of markup with its five entities decoded.
std::u16string unescaped(std::string t) {
  for (const auto& [entity, c] :
       {std::pair{"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t p = t.find(entity); p != std::string::npos; p = t.find(entity, p + 1)) {
      t.replace(p, std::string(entity).size(), c);
    }
  }
  return text::fromUtf8(t);
}

std::u16string lineText(const COcrLine& l) {
  std::u16string t;
  for (const COcrChar& c : l.chars) t += codeText(c.code);
  return t;
}

// The text of every ocr_line of an hOCR file, in order: its words' texts (the
// character boxes' texts, alternatives left out) joined.
std::vector<std::u16string> hocrLineTexts(const std::string& hocr) {
  std::vector<std::u16string> lines;
  const std::regex line("class='(ocr_line|ocr_caption|ocr_textfloat|ocr_header)'");
  const std::regex glyph("<span class='ocrx_cinfo' title='x_bboxes[^']*'>([^<]*)</span>");
  std::vector<std::size_t> starts;
  for (std::sregex_iterator it(hocr.begin(), hocr.end(), line), end; it != end; ++it) {
    starts.push_back(static_cast<std::size_t>(it->position()));
  }
  starts.push_back(hocr.size());
  for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
    const std::string part = hocr.substr(starts[i], starts[i + 1] - starts[i]);
    std::u16string text;
    for (std::sregex_iterator it(part.begin(), part.end(), glyph), end; it != end; ++it) {
      text += unescaped((*it)[1].str());
    }
    lines.push_back(text);
  }
  return lines;
}

std::vector<std::u16string> modelLineTexts(const COcrPaper& paper) {
  std::vector<std::u16string> out;
  for (const COcrPage& p : paper.pages) {
    for (const COcrBlock& b : p.blocks) {
      for (const COcrLine& l : b.lines) out.push_back(lineText(l));
    }
  }
  return out;
}

TEST(TesseractOutput, VerticalHocrKeepsEveryLineInOrderAndComesInVertical) {
  const std::string hocr = data("tesseract-vertical.hocr");
  ASSERT_EQ(detectFormat(hocr), Format::Hocr);
  const ImportResult r = readHocr(hocr);
  ASSERT_TRUE(r.paper) << r.error;
  const COcrPage& page = r.paper->pages.front();
  EXPECT_EQ(page.width, 2867);
  EXPECT_EQ(page.height, 4047);
  EXPECT_EQ(page.dpi, 400);
  EXPECT_EQ(page.file, u"p02.tif");
  // Every line's text, in Tesseract's order (its columns already run right to left).
  EXPECT_EQ(modelLineTexts(*r.paper), hocrLineTexts(hocr));
  // The body columns are vertical blocks; Tesseract's zero-width character boxes
  // are not used: every character has a width and lies across its column.
  int verticalLines = 0;
  for (const COcrBlock& b : page.blocks) {
    if (b.direction != kVertical) continue;
    for (const COcrLine& l : b.lines) {
      ++verticalLines;
      for (const COcrChar& c : l.chars) {
        EXPECT_GT(c.width, 0);
        EXPECT_LT(c.x, l.x + l.width);
        EXPECT_GT(c.x + c.width, l.x);
      }
    }
  }
  EXPECT_GE(verticalLines, 10);
  EXPECT_EQ(lexova::testing::brokenInvariant(page), "");
}

TEST(TesseractOutput, AltoOfBothPagesKeepsWordBoxesAndText) {
  for (const char* name : {"tesseract-vertical.xml", "tesseract-horizontal.xml"}) {
    const std::string alto = data(name);
    ASSERT_EQ(detectFormat(alto), Format::Alto) << name;
    const ImportResult r = readAlto(alto);
    ASSERT_TRUE(r.paper) << name << ": " << r.error;
    // Every String's box is the box of its characters taken together.
    const std::regex string(
        "<String ID=\"[^\"]*\" HPOS=\"(\\d+)\" VPOS=\"(\\d+)\" WIDTH=\"(\\d+)\" "
        "HEIGHT=\"(\\d+)\"[^>]*CONTENT=\"([^\"]*)\"");
    std::u16string fileText, modelText;
    std::vector<std::array<long long, 4>> boxes;
    for (std::sregex_iterator it(alto.begin(), alto.end(), string), end; it != end; ++it) {
      fileText += unescaped((*it)[5].str());
      boxes.push_back({std::stoll((*it)[1]), std::stoll((*it)[2]), std::stoll((*it)[3]), std::stoll((*it)[4])});
    }
    std::size_t word = 0;
    for (const COcrBlock& b : r.paper->pages.front().blocks) {
      for (const COcrLine& l : b.lines) {
        for (const COcrChar& c : l.chars) {
          if (c.code[0] == u' ') continue;
          modelText += codeText(c.code);
          if (c.wordStart && word < boxes.size()) {
            EXPECT_EQ(c.x, boxes[word][0]) << name;
            EXPECT_EQ(c.y, boxes[word][1]) << name;
            ++word;
          }
        }
      }
    }
    EXPECT_EQ(word, boxes.size()) << name;
    EXPECT_EQ(modelText, fileText) << name;
  }
  const ImportResult vertical = readAlto(data("tesseract-vertical.xml"));
  int verticalBlocks = 0;
  for (const COcrBlock& b : vertical.paper->pages.front().blocks) verticalBlocks += b.direction == kVertical;
  EXPECT_GE(verticalBlocks, 3);
}

TEST(TesseractOutput, CharacterBoxesConfidencesAndAlternativesOfTheHorizontalPage) {
  const ImportResult r = readHocr(data("tesseract-horizontal.hocr"));
  ASSERT_TRUE(r.paper) << r.error;
  const COcrBlock& b = r.paper->pages.front().blocks.front();
  EXPECT_EQ(b.direction, kHorizontal);
  const COcrChar& first = b.lines.front().chars.front();
  // <span class='ocrx_cinfo' title='x_bboxes 129 137 189 203; x_conf 99.567749'>あ</span>, then its choices.
  EXPECT_EQ(codeText(first.code), u"あ");
  EXPECT_EQ(first.x, 129);
  EXPECT_EQ(first.width, 60);
  EXPECT_EQ(first.CC, 10);
  ASSERT_GE(first.num_cand(), 5);
  EXPECT_EQ(codeText(first.candCode(0)), u"あ");
  EXPECT_EQ(codeText(first.candCode(1)), u"ぁ");
}

// The sample's first page through a format and back: the same characters with
// the same boxes, certainties within a step, the blocks in the same order.
void expectRoundTrip(Format f) {
  const auto read = vuzozoviv::readPaperFile(LEXOVA_SOURCE_DIR "/samples/rashomon.xml");
  ASSERT_TRUE(read.paper);
  read.paper->pages.resize(2);
  const auto files = interchangeFiles(*read.paper, f, "/out.xml");
  ASSERT_EQ(files.size(), f == Format::Hocr ? 1u : 2u);
  std::vector<std::unique_ptr<COcrPaper>> back;
  for (const auto& [name, contents] : files) {
    EXPECT_EQ(detectFormat(contents), f);
    ImportResult r = readInterchange(contents, f);
    ASSERT_TRUE(r.paper) << r.error << " at " << r.line;
    back.push_back(std::move(r.paper));
  }
  std::vector<const COcrPage*> pages;
  for (const auto& p : back) {
    for (const COcrPage& page : p->pages) pages.push_back(&page);
  }
  // The ruby beside the columns comes back as ruby, attached to its base.
  int rubyBefore = 0, rubyAfter = 0;
  for (const COcrBlock& b : read.paper->pages.front().blocks) {
    for (const COcrLine& l : b.lines) rubyBefore += l.attr == kAttrRuby;
  }
  for (const COcrBlock& b : pages.front()->blocks) {
    for (const COcrLine& l : b.lines) rubyAfter += l.attr == kAttrRuby && l.baseLine != nullptr;
  }
  EXPECT_GT(rubyBefore, 2);
  EXPECT_EQ(rubyAfter, rubyBefore);
  for (const COcrPage* page : pages) EXPECT_EQ(lexova::testing::brokenInvariant(*page), "");
  ASSERT_EQ(pages.size(), 2u);
  auto original = read.paper->pages.begin();
  for (const COcrPage* page : pages) {
    EXPECT_EQ(page->width, original->width);
    ASSERT_EQ(page->blocks.size(), original->blocks.size());
    auto ob = original->blocks.begin();
    for (const COcrBlock& b : page->blocks) {
      EXPECT_EQ(b.type == kBlockText, ob->type == kBlockText);
      EXPECT_NEAR(b.x, ob->x, 1);
      std::vector<const COcrChar*> before, after;
      for (const COcrLine& l : ob->lines) {
        for (const COcrChar& c : l.chars) {
          if (c.code[0] != u'\r' && c.code[0] != u' ') before.push_back(&c);
        }
      }
      for (const COcrLine& l : b.lines) {
        for (const COcrChar& c : l.chars) {
          if (c.code[0] != u' ') after.push_back(&c);
        }
      }
      ASSERT_EQ(after.size(), before.size()) << formatName(f);
      for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i]->code, before[i]->code);
        if (before[i]->x >= 0 && before[i]->width > 0) {
          EXPECT_NEAR(after[i]->x, before[i]->x, 1);
          EXPECT_NEAR(after[i]->y, before[i]->y, 1);
          EXPECT_NEAR(after[i]->width, before[i]->width, 1);
        }
        EXPECT_NEAR(after[i]->CC, std::min<int>(before[i]->CC, 10), 1);
      }
      ++ob;
    }
    ++original;
  }
}

TEST(RoundTrips, HocrAltoAndPageKeepTextBoxesCertaintiesAndOrder) {
  for (Format f : {Format::Hocr, Format::Alto, Format::Page}) {
    SCOPED_TRACE(std::string(formatName(f)));
    expectRoundTrip(f);
  }
}

TEST(RoundTrips, AltoAndPageOutputValidateAgainstThePublishedSchemas) {
  const std::filesystem::path schemas = std::filesystem::path(LEXOVA_SOURCE_DIR) / ".." / "shared" / "data" / "schemas";
  if (!std::filesystem::exists(schemas / "alto-4-4.xsd") || std::system("command -v xmllint > /dev/null") != 0) {
    GTEST_SKIP() << "no schemas or no xmllint here";
  }
  const auto read = vuzozoviv::readPaperFile(LEXOVA_SOURCE_DIR "/samples/rashomon.xml");
  ASSERT_TRUE(read.paper);
  // A typed character (no box) and markup characters must still validate.
  COcrLine& line = read.paper->pages.front().blocks.back().lines.front();
  line.chars.emplace_back().code = makeCode(u'<');
  line.chars.back().x = line.chars.back().y = -1;
  line.charCount += 1;
  lexova::testing::TempDir dir;
  for (Format f : {Format::Alto, Format::Page}) {
    for (const auto& [name, contents] : interchangeFiles(*read.paper, f, (dir.path() / "out.xml").string())) {
      std::ofstream(name) << contents;
      const std::string schema =
          (schemas / (f == Format::Alto ? "alto-4-4.xsd" : "pagecontent-2019-07-15.xsd")).string();
      const std::string command = "XML_CATALOG_FILES=" + (schemas / "catalog.xml").string() +
                                  " xmllint --noout --schema " + schema + " " + name + " 2> " + name + ".log";
      EXPECT_EQ(std::system(command.c_str()), 0) << io::readFile(name + ".log");
    }
  }
}

TEST(Writing, TypedCharactersGetBoxesFromTheirNeighboursAndLatinWordsTheirSpaces) {
  COcrLine line;
  line.x = 100;
  line.y = 10;
  line.width = 400;
  line.height = 40;
  const auto add = [&](char16_t c, int x) {
    COcrChar& ch = line.chars.emplace_back();
    ch.code = makeCode(c);
    ch.x = x;
    ch.y = x < 0 ? -1 : 10;
    ch.width = x < 0 ? 0 : 40;
    ch.height = x < 0 ? 0 : 40;
  };
  add(u'a', 100);
  add(u'b', -1);
  add(u'c', -1);
  add(u'd', 240);
  add(u'e', -1);
  const std::vector<Box> boxes = characterBoxes(line, false);
  EXPECT_EQ(boxes[1].x, 140);
  EXPECT_EQ(boxes[2].x, 190);
  EXPECT_EQ(boxes[2].x + boxes[2].width, 240);
  EXPECT_EQ(boxes[4].x, 280);
  EXPECT_EQ(boxes[4].x + boxes[4].width, 500);
  // Two Latin words read from hOCR get a space between them; CJK words none.
  const std::string hocr =
      "<html><body><div class='ocr_page' title='bbox 0 0 500 100'><div class='ocr_carea' title='bbox 0 0 500 100'>"
      "<span class='ocr_line' title='bbox 0 0 500 40'>"
      "<span class='ocrx_word' title='bbox 0 0 100 40; x_wconf 90'>Rasho</span>"
      "<span class='ocrx_word' title='bbox 120 0 200 40; x_wconf 50'>mon</span>"
      "<span class='ocrx_word' title='bbox 220 0 260 40'>門</span>"
      "<span class='ocrx_word' title='bbox 260 0 300 40'>下</span></span></div></div></body></html>";
  const ImportResult r = readHocr(hocr);
  ASSERT_TRUE(r.paper) << r.error;
  const COcrLine& read = r.paper->pages.front().blocks.front().lines.front();
  EXPECT_EQ(lineText(read), u"Rasho mon門下");
  auto space = std::next(read.chars.begin(), 5);
  EXPECT_EQ(space->x, 100);
  EXPECT_EQ(space->width, 20);
  EXPECT_EQ(std::next(read.chars.begin(), 7)->CC, 5);  // x_wconf 50
  // Written back, the words are the source's: "Rasho", "mon", "門", "下".
  const std::string written = writeHocr(*r.paper);
  EXPECT_NE(written.find("bbox 0 0 100 40; x_wconf 90'>"), std::string::npos);
  EXPECT_NE(written.find("bbox 120 0 200 40; x_wconf 50'>"), std::string::npos);
  EXPECT_NE(written.find("bbox 220 0 260 40; x_wconf 100'>"), std::string::npos);
}

TEST(Reading, AltoUnitsAndPageReadingOrderAndAlternatives) {
  // mm10 at 300 dpi: 254 tenths of a millimetre are 300 pixels.
  const std::string alto =
      "<alto xmlns='http://www.loc.gov/standards/alto/ns-v2#'><Description><MeasurementUnit>mm10</MeasurementUnit>"
      "</Description><Layout><Page WIDTH='2540' HEIGHT='2540'><PrintSpace>"
      "<TextBlock ID='b' HPOS='254' VPOS='254' WIDTH='254' HEIGHT='1270' BASEDIRECTION='ttb'>"
      "<TextLine HPOS='254' VPOS='254' WIDTH='254' HEIGHT='1270'><String CONTENT='羅生' HPOS='254' VPOS='254' "
      "WIDTH='254' HEIGHT='508' WC='0.8'><ALTERNATIVE>羅</ALTERNATIVE></String></TextLine></TextBlock>"
      "</PrintSpace></Page></Layout></alto>";
  ImportResult r = readAlto(alto);
  ASSERT_TRUE(r.paper) << r.error;
  const COcrBlock& b = r.paper->pages.front().blocks.front();
  EXPECT_EQ(r.paper->pages.front().width, 3000);
  EXPECT_EQ(b.direction, kVertical);
  EXPECT_EQ(b.x, 300);
  const COcrChar& second = *std::next(b.lines.front().chars.begin());
  EXPECT_EQ(second.y, 300 + 300);  // split evenly down the column
  EXPECT_EQ(second.CC, 8);
  // PAGE: the reading order puts r2 first; TextEquiv index 2 is a candidate.
  const std::string page =
      "<PcGts xmlns='http://schema.primaresearch.org/PAGE/gts/pagecontent/2013-07-15'><Page imageFilename='p.tif' "
      "imageWidth='1000' imageHeight='800'><ReadingOrder><OrderedGroup id='g'>"
      "<RegionRefIndexed index='1' regionRef='r1'/><RegionRefIndexed index='0' regionRef='r2'/></OrderedGroup>"
      "</ReadingOrder>"
      "<TextRegion id='r1'><Coords><Point x='10' y='10'/><Point x='110' y='50'/></Coords>"
      "<TextLine id='l1'><Coords points='10,10 110,10 110,50 10,50'/><TextEquiv><Unicode>一</Unicode></TextEquiv>"
      "</TextLine></TextRegion>"
      "<TextRegion id='r2' readingDirection='left-to-right'><Coords points='10,100 110,100 110,150 10,150'/>"
      "<TextLine id='l2'><Coords points='10,100 110,100 110,150 10,150'/><Word id='w'>"
      "<Coords points='10,100 60,100 60,150 10,150'/><Glyph id='g'><Coords points='10,100 60,100 60,150 10,150'/>"
      "<TextEquiv index='2' conf='0.3'><Unicode>土</Unicode></TextEquiv>"
      "<TextEquiv index='1' conf='0.9'><Unicode>二</Unicode></TextEquiv></Glyph></Word></TextLine></TextRegion>"
      "</Page></PcGts>";
  ASSERT_EQ(detectFormat(page), Format::Page);
  r = readPage(page);
  ASSERT_TRUE(r.paper) << r.error;
  const COcrPage& p = r.paper->pages.front();
  EXPECT_EQ(lineText(p.blocks.front().lines.front()), u"二");
  EXPECT_EQ(lineText(p.blocks.back().lines.front()), u"一");
  const COcrChar& c = p.blocks.front().lines.front().chars.front();
  ASSERT_EQ(c.num_cand(), 2);
  EXPECT_EQ(codeText(c.candCode(1)), u"土");
  EXPECT_EQ(c.CC, 9);
}

TEST(Reading, BadInputGivesAClearErrorWithItsLine) {
  struct Case {
    Format format;
    std::string bytes;
    std::string error;
    int line;
  };
  const Case cases[] = {
      {Format::Alto, "<alto>\n<Layout>\n<Page WIDTH='10' HEIGHT='10'>\n</Layout></alto>", "does not close", 4},
      {Format::Alto, "<alto><Layout><Page WIDTH='10'/></Layout></alto>", "WIDTH and HEIGHT", 1},
      {Format::Alto,
       "<alto><Layout><Page WIDTH='9' HEIGHT='9'><PrintSpace>\n<TextBlock ID='b'/></PrintSpace></Page></Layout></alto>",
       "TextBlock without", 2},
      {Format::Page, "<PcGts><Page imageWidth='5' imageHeight='5'>\n<TextRegion id='r'/></Page></PcGts>",
       "TextRegion without Coords", 2},
      {Format::Page, "<html/>", "root element is not <PcGts>", 1},
      {Format::Hocr, "<html><body><p>no pages</p></body></html>", "no element of class ocr_page", 0},
      {Format::Alto, "<alto><Layout>&bogus;</Layout></alto>", "unknown entity", 1},
  };
  for (const Case& c : cases) {
    const ImportResult r = readInterchange(c.bytes, c.format);
    EXPECT_FALSE(r.paper) << c.bytes;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    EXPECT_EQ(r.line, c.line) << r.error;
  }
  // hOCR as browsers see it: unquoted values, void elements, tags closed out of order.
  const ImportResult lenient = readHocr(
      "<HTML><head><meta charset=utf-8><title>x</head><body><div class=ocr_page title='bbox 0 0 100 100'>"
      "<div class=ocr_carea><span class=ocr_line title='bbox 0 0 100 20'><span class=ocrx_word "
      "title='bbox 0 0 40 20'>A&amp;B<br></div></body>");
  ASSERT_TRUE(lenient.paper) << lenient.error;
  EXPECT_EQ(lineText(lenient.paper->pages.front().blocks.front().lines.front()), u"A&B");
  EXPECT_EQ(detectFormat("<?xml version='1.0'?><!-- x --><paper xmlns='http://www.tessaly.jp/2005/VuzOzovIV'/>"),
            Format::WorkFile);
  EXPECT_EQ(detectFormat("<html><body>plain</body></html>"), Format::Unknown);
  EXPECT_EQ(outputNames("/d/book.xml", Format::Page, 3)[2], "/d/book-0003.xml");
  EXPECT_EQ(outputNames("/d/book.xml", Format::Alto, 1)[0], "/d/book.xml");
}

}  // namespace
}  // namespace lexova::interchange
