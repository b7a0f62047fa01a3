#include "document/vuzozoviv/reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "document/vuzozoviv/entities.h"
#include "document/vuzozoviv/scanner.h"
#include "document/vuzozoviv/writer.h"
#include "support/workfile.h"
#include "workgen/workgen.h"

namespace lexova::vuzozoviv {
namespace {

using lexova::testing::fileBytes;
using lexova::testing::lineWithResult;
using lexova::testing::pageWithLines;
using lexova::testing::readBytes;
using lexova::testing::workFile;

// The code and line of a read that must fail.
struct Failure {
  int code, line;
  bool operator==(const Failure&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Failure& f) {
  return os << "{" << f.code << ", " << f.line << "}";
}

Failure failureOf(const std::string& bytes) {
  const ReadResult r = readBytes(bytes);
  EXPECT_EQ(r.paper, nullptr);
  return {r.code, r.line};
}

COcrPaper readOk(const std::string& bytes) {
  ReadResult r = readBytes(bytes);
  if (!r.paper) {
    ADD_FAILURE() << "read failed: " << r.code << " at line " << r.line;
    return {};
  }
  return std::move(*r.paper);
}

const COcrChar& firstChar(const COcrPaper& p) {
  return p.pages.front().blocks.front().lines.front().chars.front();
}

// ---- the document level -----------------------------------------------------------

TEST(ReaderTop, EmptyAndBlankFilesHoldNoData) {
  EXPECT_EQ(failureOf(""), (Failure{kNoDataError, 1}));
  EXPECT_EQ(failureOf("\r\n  \r\n"), (Failure{kNoDataError, 3}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n\r\n"), (Failure{kNoDataError, 3}));
}

TEST(ReaderTop, DeclarationMustComeFirstAndBeComplete) {
  EXPECT_EQ(failureOf("<paper xmlns=\"x\">\r\n</paper>\r\n"), (Failure{kTagError, 1}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" ?>\r\n"), (Failure{kAttributeError, 1}));
  // "encoding=" is looked for only from the 14th character of the declaration on.
  EXPECT_EQ(failureOf("<?xml encoding=\"Shift_JIS\" ?>\r\n"), (Failure{kAttributeError, 1}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding= \"Shift_JIS\" ?>\r\n"), (Failure{kAttributeError, 1}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\"\r\n?>\r\n"), (Failure{kTagError, 1}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper\r\n>\r\n"), (Failure{kTagError, 2}));
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<pages/>\r\n"), (Failure{kTagError, 2}));
}

TEST(ReaderTop, EncodingNamesAreCaseSensitive) {
  const ReadResult r = readBytes("<?xml version=\"1.0\" encoding=\"shift_jis\" ?>\r\n<paper>\r\n</paper>\r\n");
  EXPECT_EQ(r.code, kEncodingError);
  EXPECT_EQ(readErrorMessage(r.code, r.line), u"未対応のエンコードタイプです。");
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n").code, kEncodingError);
}

TEST(ReaderTop, PaperOnOneLineWithTheDeclarationAndNoPages) {
  const COcrPaper p = readOk("<?xml version=\"1.0\" encoding=\"EUC-JP\" ?><paper xmlns=\"x\"></paper>");
  EXPECT_EQ(p.encoding, kEucJp);
  EXPECT_TRUE(p.pages.empty());
  EXPECT_EQ(p.maxPageWidth, 0);
}

TEST(ReaderTop, MissingPaperEndIsATagErrorAtTheEnd) {
  // Lines: declaration, paper, then the end of the file counts as read 3.
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper>\r\n"), (Failure{kTagError, 3}));
  // Without a final line end the last line is read once and the end once more.
  EXPECT_EQ(failureOf("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper>"), (Failure{kTagError, 3}));
}

TEST(ReaderTop, MessagesCarryTheLineNumber) {
  EXPECT_EQ(readErrorMessage(kTagError, 12), u"タグが間違っています。[12行目]");
  EXPECT_EQ(readErrorMessage(kAttributeError, 3), u"属性が間違っています。[3行目]");
  EXPECT_EQ(readErrorMessage(kNoDataError, 1), u"データ構造が間違っています。[1行目]");
  EXPECT_EQ(readErrorMessage(kElementError, 7), u"要素が間違っています。[7行目]");
  EXPECT_EQ(readErrorMessage(kOtherError, 9), u"何らかのエラーが起こりました。[9行目]");
  EXPECT_EQ(readErrorMessage(kFileOpenError, 0), u"ファイルオープンエラー");
}

// ---- pages --------------------------------------------------------------------------

TEST(ReaderPage, NumberAndFileAreRequired) {
  EXPECT_EQ(failureOf(workFile(u"  <page file=\"a\"/>\n")), (Failure{kAttributeError, 3}));
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\"/>\n")), (Failure{kAttributeError, 3}));
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a")), (Failure{kAttributeError, 3}));
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\"\n")), (Failure{kAttributeError, 4}));
}

TEST(ReaderPage, UnknownAttributesAreSkippedAndValuesCopiedAsTheyStand) {
  const COcrPaper p = readOk(workFile(
      u"  <page number=\"3\" xmlns:z=\"ignored\" file=\"&amp;b.tif\" upperpage=\"12\" lowerpage=\"13\"\n"
      u"   wareki=\"45\" year=\"1912\" month=\"7\" volume=\"2\" dpi=\"300\" fullpath=\"C:\\scan\\b.tif\" />\n"));
  ASSERT_EQ(p.pages.size(), 1u);
  const COcrPage& pg = p.pages.front();
  EXPECT_EQ(pg.number, 3);
  EXPECT_EQ(pg.file, u"&amp;b.tif");
  EXPECT_EQ(pg.fullpath, u"C:\\scan\\b.tif");
  EXPECT_EQ(pg.upperpage, 12);
  EXPECT_EQ(pg.lowerpage, 13);
  EXPECT_EQ(pg.wareki, 45);
  EXPECT_EQ(pg.year, 1912);
  EXPECT_EQ(pg.month, 7);
  EXPECT_EQ(pg.volume, 2);
  EXPECT_EQ(pg.dpi, 300);
  EXPECT_EQ(pg.width, -1);  // no blocks to measure
  EXPECT_EQ(pg.height, -1);
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\" junk>\n")), (Failure{kAttributeError, 3}));
}

TEST(ReaderPage, SizeComesFromTheBlocksWhenNotStated) {
  const COcrPaper p =
      readOk(workFile(u"  <page number=\"1\" file=\"a\" height=\"500\">\n"
                      u"    <block type=\"image\" x=\"10\" y=\"20\" width=\"100\" height=\"50\"/>\n"
                      u"    <block type=\"image\" x=\"200\" y=\"0\" width=\"31\" height=\"10\"/>\n"
                      u"  </page>\n"
                      u"  <page number=\"2\" file=\"b\" width=\"900\" height=\"40\"></page>\n"));
  EXPECT_EQ(p.pages.front().width, 230);
  EXPECT_EQ(p.pages.front().height, 500);
  EXPECT_EQ(p.maxPageWidth, 900);
  EXPECT_EQ(p.maxPageHeight, 500);
}

TEST(ReaderPage, BareLineBecomesABlockOfItsOwn) {
  const COcrPaper p = readOk(
      workFile(u"  <page number=\"1\" file=\"a\">\n"
               u"    <line/>\n"
               u"    <line x=\"5\" y=\"6\" width=\"70\" height=\"30\" attr=\"\">\n"
               u"      <char x=\"5\" y=\"6\" width=\"30\" height=\"30\" num_cand=\"0\"><result>字</result></char>\n"
               u"    </line>\n"
               u"  </page>\n"));
  const auto& blocks = p.pages.front().blocks;
  ASSERT_EQ(blocks.size(), 1u);
  const COcrBlock& b = blocks.front();
  EXPECT_EQ(b.x, 5);
  EXPECT_EQ(b.width, 70);
  EXPECT_EQ(b.height, 30);
  EXPECT_FLOAT_EQ(b.lineSize, 30);
  EXPECT_EQ(b.charCount, 1);
  EXPECT_EQ(b.type, kBlockText);
  EXPECT_EQ(b.direction, kHorizontal);
  EXPECT_EQ(b.langId, 128);
  EXPECT_EQ(b.BID, -1);
}

TEST(ReaderPage, SomethingElseEndsThePageContent) {
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\">\n    <picture/>\n  </page>\n")),
            (Failure{kTagError, 4}));
}

TEST(ReaderPage, ProgressShowsTheReadAndCountsPages) {
  struct Recorder : ReadProgress {
    std::vector<std::u16string> texts;
    int shown = 0;
    void setText(std::u16string_view t) override { texts.emplace_back(t); }
    void show() override { ++shown; }
  } rec;
  const std::string bytes = workFile(u"  <page number=\"1\" file=\"a\"/>\n  <page number=\"2\" file=\"b\"/>\n");
  io::MemorySource in(bytes);
  ASSERT_NE(readPaper(in, &rec).paper, nullptr);
  EXPECT_EQ(rec.shown, 1);
  const std::vector<std::u16string> expected = {u"Xmlファイル読み込み中...", u"ファイル読み込み中\u30001",
                                                u"ファイル読み込み中\u30002"};
  EXPECT_EQ(rec.texts, expected);
}

// ---- blocks -----------------------------------------------------------------------------

TEST(ReaderBlock, TextBlocksNeedAllSixAttributesOthersDoNot) {
  const std::u16string noDirection =
      u"  <page number=\"1\" file=\"a\">\n"
      u"    <block type=\"text\" x=\"1\" y=\"1\" width=\"1\" height=\"1\" sec=\"\">\n"
      u"    </block>\n  </page>\n";
  EXPECT_EQ(failureOf(workFile(noDirection)), (Failure{kAttributeError, 4}));
  const COcrPaper p = readOk(workFile(
      u"  <page number=\"1\" file=\"a\">\n"
      u"    <block type=\"image\" x=\"1\" y=\"2\" width=\"3\" height=\"4\"></block>\n"
      u"    <block type=\"text\" x=\"1\" y=\"2\"/>\n"
      u"    <block type=\"line\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" index=\"7\" langId=\"17\" BID=\"9\">\n"
      u"    </block>\n  </page>\n"));
  const auto& blocks = p.pages.front().blocks;
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks.front().type, kBlockImage);
  EXPECT_EQ(std::next(blocks.begin())->type, kBlockText);
  EXPECT_EQ(blocks.back().type, kBlockLine);
  EXPECT_EQ(blocks.back().index, 7);
  EXPECT_EQ(blocks.back().langId, 17);
  EXPECT_EQ(blocks.back().BID, 9);
}

TEST(ReaderBlock, TypeIsMatchedByPrefixAndDirectionExactly) {
  auto typeOf = [](std::u16string_view type) {
    std::u16string t = u"  <page number=\"1\" file=\"a\">\n    <block type=\"";
    t += type;
    t += u"\" direction=\"horizontal\" x=\"1\" y=\"1\" width=\"1\" height=\"1\" sec=\"\"></block>\n  </page>\n";
    return readOk(workFile(t)).pages.front().blocks.front().type;
  };
  EXPECT_EQ(typeOf(u"tablexyz"), kBlockTable);
  EXPECT_EQ(typeOf(u"images"), kBlockImage);
  EXPECT_EQ(typeOf(u"picture"), kBlockText);
  EXPECT_EQ(typeOf(u"lines"), kBlockLine);
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\">\n"
                               u"    <block type=\"text\" direction=\"Vertical\" x=\"1\"/>\n  </page>\n")),
            (Failure{kAttributeError, 4}));
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\">\n"
                               u"    <block type=\"text\" colour=\"red\"/>\n  </page>\n")),
            (Failure{kAttributeError, 4}));
}

TEST(ReaderBlock, SectionsUseTheFixedTableThenTheCustomRegistry) {
  std::u16string t = u"  <page number=\"1\" file=\"a\">\n";
  for (std::u16string_view sec :
       {u"", u"text", u"title", u"exauther", u"nooutput", u"caption", u"Title", u"caption", u"note"}) {
    t += u"    <block type=\"image\" x=\"1\" y=\"1\" width=\"1\" height=\"1\" sec=\"";
    t += sec;
    t += u"\"/>\n";
  }
  t += u"  </page>\n";
  const COcrPaper p = readOk(workFile(t));
  std::vector<int> secs;
  for (const COcrBlock& b : p.pages.front().blocks) secs.push_back(b.sec);
  EXPECT_EQ(secs, (std::vector<int>{0, 0, 8, 15, 16, 1000, 1001, 1000, 1002}));
  EXPECT_EQ(p.customSections, (std::vector<std::u16string>{u"caption", u"Title", u"note"}));
}

TEST(ReaderBlock, LineSizeAndCharCountAreDerived) {
  const COcrPaper p = readOk(workFile(
      pageWithLines(u"      <line x=\"1\" y=\"2\" width=\"30\" height=\"400\" attr=\"\">\n"
                    u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"><result>a</result></char>\n"
                    u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"><result>b</result></char>\n"
                    u"      </line>\n"
                    u"      <line/>\n"
                    u"      <line x=\"1\" y=\"2\" width=\"45\" height=\"400\" attr=\"\"/>\n")));
  const COcrBlock& b = p.pages.front().blocks.front();
  ASSERT_EQ(b.lines.size(), 2u);
  EXPECT_EQ(b.charCount, 2);
  EXPECT_FLOAT_EQ(b.lineSize, 37.5f);  // widths of a vertical block
}

// ---- lines and characters ---------------------------------------------------------------

TEST(ReaderLine, BoxIsRequiredAndAttrExact) {
  EXPECT_EQ(failureOf(workFile(pageWithLines(u"      <line x=\"1\" y=\"2\" width=\"3\" attr=\"\">\n      </line>\n"))),
            (Failure{kAttributeError, 5}));
  EXPECT_EQ(failureOf(workFile(pageWithLines(
                u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"Ruby\">\n      </line>\n"))),
            (Failure{kAttributeError, 5}));
  EXPECT_EQ(failureOf(workFile(pageWithLines(
                u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\" id=\"1\">\n      </line>\n"))),
            (Failure{kAttributeError, 5}));
  // A tag name must stand on the line of its first attribute.
  EXPECT_EQ(failureOf(workFile(pageWithLines(u"      <line\n x=\"1\" y=\"2\" width=\"3\" height=\"4\">\n"))),
            (Failure{kTagError, 5}));
}

TEST(ReaderLine, AttributesMaySpreadOverLinesAndErrorsNameTheRightOne) {
  const std::u16string lines =
      u"      <line x=\"1\"\n"
      u"            y=\"2\" width=\"30\"\n"
      u"            height=\"40\" attr=\"\">\n"
      u"        <char x=\"1\" y=\"2\"\n"
      u"              width=\"30\" height=\"40\"\n"
      u"              num_cand=\"0\" colour=\"1\">\n";
  EXPECT_EQ(failureOf(workFile(pageWithLines(lines))), (Failure{kAttributeError, 10}));
}

TEST(ReaderChar, AllFiveAttributesAreRequiredAndSelfClosingIsRefused) {
  EXPECT_EQ(failureOf(workFile(pageWithLines(u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">\n"
                                             u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\">\n"))),
            (Failure{kAttributeError, 6}));
  EXPECT_EQ(
      failureOf(workFile(pageWithLines(u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">\n"
                                       u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"/>\n"))),
      (Failure{kAttributeError, 6}));
}

TEST(ReaderChar, NumCandIsSixteenBitsAndMustNotBeNegative) {
  auto withCands = [](std::u16string_view n) {
    std::u16string t = u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">\n";
    t += u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"";
    t += n;
    t += u"\">\n          <result CC=\"7\">字</result>\n          <cand CC=\"3\">宇</cand>\n"
         u"        </char>\n      </line>\n";
    return workFile(pageWithLines(t));
  };
  const COcrChar c = firstChar(readOk(withCands(u"65537")));
  ASSERT_EQ(c.num_cand(), 1);
  EXPECT_EQ(c.candCode(0), makeCode(u'宇'));
  EXPECT_EQ(c.candCC(0), 3);
  EXPECT_EQ(c.CC, 7);
  EXPECT_EQ(failureOf(withCands(u"40000")), (Failure{kAttributeError, 6}));
  EXPECT_EQ(failureOf(withCands(u"-1")), (Failure{kAttributeError, 6}));
  // More candidates than num_cand: the extra one is a tag error at </char>.
  EXPECT_EQ(failureOf(withCands(u"0")), (Failure{kTagError, 8}));
}

TEST(ReaderChar, MissingResultIsARejectAndMissingCandidatesAreNotInvented) {
  const COcrPaper p =
      readOk(workFile(pageWithLines(u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">\n"
                                    u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"30000\">\n"
                                    u"          <cand>字</cand>\n"
                                    u"        </char>\n      </line>\n")));
  const COcrChar& c = firstChar(p);
  EXPECT_EQ(c.code, makeCode(0x3013));
  EXPECT_EQ(c.CC, 0);
  ASSERT_EQ(c.num_cand(), 1);
  EXPECT_EQ(c.candCode(0), makeCode(u'字'));
  EXPECT_EQ(c.candCC(0), 10);
}

TEST(ReaderChar, EndTagsAreChecked) {
  const std::u16string open = u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">\n";
  const std::u16string ch = u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\">\n";
  EXPECT_EQ(failureOf(workFile(pageWithLines(open + ch + u"          <result>a</result>\n      </line>\n"))),
            (Failure{kTagError, 8}));
  EXPECT_EQ(failureOf(workFile(pageWithLines(open + ch + u"          <result>a</resul>\n"))), (Failure{kTagError, 7}));
  EXPECT_EQ(failureOf(workFile(pageWithLines(open + u"    </block>\n"))), (Failure{kTagError, 6}));
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\">\n")), (Failure{kTagError, 4}));
}

// ---- result and candidate content -----------------------------------------------------------

Failure contentFailure(std::u16string_view result, std::u16string_view charAttrs = u"") {
  return failureOf(workFile(pageWithLines(lineWithResult(result, charAttrs))));
}
CharCode contentCode(std::u16string_view result, std::u16string_view charAttrs = u"") {
  return firstChar(readOk(workFile(pageWithLines(lineWithResult(result, charAttrs))))).code;
}

TEST(ReaderContent, LengthMustBeOneToElevenOnTheStartTagsLine) {
  EXPECT_EQ(contentFailure(u"<result></result>"), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>abcdefghijkl</result>", u" Unicode=\"1\""), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>a\n</result>"), (Failure{kTagError, 7}));
  EXPECT_EQ(contentFailure(u"<result CC=\"1\" x=\"2\">a</result>"), (Failure{kAttributeError, 7}));
  EXPECT_EQ(contentCode(u"<result> </result>"), makeCode(u' '));
  EXPECT_EQ(contentCode(u"<result>ab</result>"), makeCode(u'a', u'b'));
}

TEST(ReaderContent, EveryEntityReadsAsItsCharacterAndNothingElseStartsWithAmpersand) {
  for (const Entity& e : kEntities) {
    std::u16string r = u"<result>";
    r += e.form;
    r += u"</result>";
    EXPECT_EQ(contentCode(r), makeCode(e.ch)) << std::string(e.form.begin(), e.form.end());
  }
  EXPECT_EQ(contentFailure(u"<result>&#9319;</result>"), (Failure{kElementError, 7}));  // ⑧ has no entity
  EXPECT_EQ(contentFailure(u"<result>&</result>"), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>&amp</result>"), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>&#x26;</result>"), (Failure{kElementError, 7}));
}

TEST(ReaderContent, HexadecimalNeedsTheUnicodeFlagAndWholeGroups) {
  EXPECT_EQ(contentCode(u"<result>4e02</result>", u" Unicode=\"1\""), makeCode(0x4E02));
  EXPECT_EQ(contentCode(u"<result>4E02</result>", u" Unicode=\"\""), makeCode(0x4E02));
  EXPECT_EQ(contentCode(u"<result>4e02abc</result>", u" Unicode=\"1\""), makeCode(0x4E02));
  EXPECT_EQ(contentFailure(u"<result>4e02</result>"), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>4e0</result>", u" Unicode=\"1\""), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>0000</result>", u" Unicode=\"1\""), (Failure{kElementError, 7}));
  EXPECT_EQ(contentFailure(u"<result>4g02</result>", u" Unicode=\"1\""), (Failure{kElementError, 7}));
}

TEST(ReaderContent, SurrogatePairInHexCountsTwoUnits) {
  const COcrPaper p = readOk(workFile(pageWithLines(lineWithResult(u"<result>d840dc0b</result>", u"  Unicode=\"2\""))));
  const COcrLine& l = p.pages.front().blocks.front().lines.front();
  EXPECT_EQ(l.chars.front().code, makeCode(0xD840, 0xDC0B));
  EXPECT_EQ(l.charCount, 2);
  EXPECT_EQ(p.pages.front().blocks.front().charCount, 2);
}

TEST(ReaderContent, NulCharacterIsMalformedContent) {
  std::string bytes = workFile(pageWithLines(lineWithResult(u"<result>a</result>")));
  bytes[bytes.find(">a<") + 1] = '\0';
  EXPECT_EQ(failureOf(bytes), (Failure{kElementError, 7}));
}

TEST(ReaderContent, CertaintyDefaultsToTenAndIsSixteenBits) {
  EXPECT_EQ(firstChar(readOk(workFile(pageWithLines(lineWithResult(u"<result>a</result>"))))).CC, 10);
  EXPECT_EQ(firstChar(readOk(workFile(pageWithLines(lineWithResult(u"<result CC=\"65538\">a</result>"))))).CC, 2);
  EXPECT_EQ(firstChar(readOk(workFile(pageWithLines(lineWithResult(u"<result CC=\"32769\">a</result>"))))).CC, 32769);
}

// ---- annotation links --------------------------------------------------------------------------

TEST(ReaderLinks, AnnotationLinesFindTheirBaseLineByLid) {
  const COcrPaper p = readOk(workFile(pageWithLines(
      u"      <line x=\"50\" y=\"2\" width=\"10\" height=\"40\" attr=\"ruby\" LID=\"1\" RLID=\"3\" RCS=\"1\" "
      u"RCE=\"2\"/>\n"
      u"      <line x=\"50\" y=\"2\" width=\"10\" height=\"40\" attr=\"emph\" LID=\"2\" RLID=\"9\" RCS=\"4\" "
      u"RCE=\"4\"/>\n"
      u"      <line x=\"10\" y=\"2\" width=\"30\" height=\"400\" attr=\"\" LID=\"3\"/>\n"
      u"      <line x=\"50\" y=\"2\" width=\"10\" height=\"40\" attr=\"footnote\" LID=\"4\" RLID=\"4\"/>\n")));
  const LineList& lines = p.pages.front().blocks.front().lines;
  ASSERT_EQ(lines.size(), 4u);
  auto it = lines.begin();
  const COcrLine& ruby = *it++;
  const COcrLine& emph = *it++;
  const COcrLine& base = *it++;
  const COcrLine& note = *it;
  EXPECT_EQ(ruby.baseLine, &base);
  EXPECT_EQ(ruby.attr, kAttrRuby);
  EXPECT_EQ(ruby.RCS, 1);
  EXPECT_EQ(ruby.RCE, 2);
  EXPECT_EQ(emph.baseLine, nullptr);  // RLID names no line
  EXPECT_EQ(note.baseLine, nullptr);  // a line never annotates itself
  for (const COcrLine& l : lines) {
    EXPECT_EQ(l.LID, 0);
    EXPECT_EQ(l.RLID, 0);
  }
}

// ---- tables ------------------------------------------------------------------------------------

const std::u16string kTableStart =
    u"  <page number=\"1\" file=\"a\">\n"
    u"    <block type=\"table\" direction=\"vertical\" x=\"0\" y=\"0\" width=\"500\" height=\"500\">\n";

TEST(ReaderTable, CellsWithBordersLinesAndDerivedSizes) {
  const COcrPaper p = readOk(workFile(
      kTableStart +
      u"    <CellData  x=\"1\" y=\"2\" width=\"30\" height=\"40\" row=\"1\" col=\"2\" align=\"1\" valign=\"2\" "
      u"connectGroup=\"3\">\n"
      u"      <BorderData>\n"
      u"        <Top  style=\"dotted\" color=\"#000\" width=\"2\"/>\n"
      u"        <Left  style=\"solid\"/>\n"
      u"        <Right  style=\"double\"/>\n"
      u"        <Bottom  style=\"wavy\"/>\n"
      u"      </BorderData>\n"
      u"      <line x=\"1\" y=\"2\" width=\"20\" height=\"40\" attr=\"ruby\" LID=\"5\" RLID=\"6\" RCS=\"1\" "
      u"RCE=\"1\">\n"
      u"        <char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"><result>a</result></char>\n"
      u"      </line>\n"
      u"      <line/>\n"
      u"    </CellData>\n"
      u"    <CellData x=\"1\" y=\"2\" width=\"30\" height=\"40\" row=\"1\" col=\"3\"></CellData>\n"
      u"    <CellData x=\"1\" y=\"2\" width=\"30\" height=\"40\" row=\"2\" col=\"1\">\n"
      u"      <line x=\"1\" y=\"2\" width=\"40\" height=\"40\" attr=\"\"/>\n"
      u"    </CellData>\n"
      u"    </block>\n  </page>\n"));
  const COcrBlock& b = p.pages.front().blocks.front();
  ASSERT_EQ(b.cells.size(), 3u);
  const COcrCell& c = b.cells.front();
  EXPECT_EQ(c.row, 1);
  EXPECT_EQ(c.col, 2);
  EXPECT_EQ(c.align, 1);
  EXPECT_EQ(c.valign, 2);
  EXPECT_EQ(c.connectGroup, 3);
  EXPECT_EQ(c.left, kBorderSolid);
  EXPECT_EQ(c.top, kBorderDotted);
  EXPECT_EQ(c.right, kBorderDouble);
  EXPECT_EQ(c.bottom, kBorderNone);
  EXPECT_EQ(c.lineCount, 2);  // the empty line counts
  EXPECT_EQ(c.charCount, 1);
  EXPECT_FLOAT_EQ(c.lineSize, 20);
  // Cell lines keep their link ids and get no base line.
  EXPECT_EQ(c.lines.front().LID, 5);
  EXPECT_EQ(c.lines.front().RLID, 6);
  EXPECT_EQ(c.lines.front().baseLine, nullptr);
  EXPECT_EQ(b.charCount, 1);
  EXPECT_FLOAT_EQ(b.lineSize, 30);  // mean of the cells measured: 20 and 40
  EXPECT_TRUE(b.lines.empty());
}

TEST(ReaderTable, EmptyCellEndsTheCellsAndALaterCellIsMisplaced) {
  const std::u16string cell =
      u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\"></CellData>\n";
  const COcrPaper p = readOk(workFile(kTableStart + cell + u"    <CellData/>\n    </block>\n  </page>\n"));
  EXPECT_EQ(p.pages.front().blocks.front().cells.size(), 1u);
  EXPECT_EQ(failureOf(workFile(kTableStart + cell + u"    <CellData/>\n" + cell + u"    </block>\n  </page>\n")),
            (Failure{kTagError, 7}));
  const COcrPaper q = readOk(workFile(
      kTableStart +
      u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\"/>\n    </block>\n  </page>\n"));
  EXPECT_EQ(q.pages.front().blocks.front().cells.size(), 1u);
}

TEST(ReaderTable, CellAndBorderErrors) {
  EXPECT_EQ(failureOf(workFile(kTableStart + u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\">\n")),
            (Failure{kAttributeError, 5}));
  EXPECT_EQ(
      failureOf(workFile(kTableStart + u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n"
                                       u"      <BorderData>\n        <Left style=\"none\"/>\n      </BorderData>\n")),
      (Failure{kAttributeError, 8}));
  EXPECT_EQ(
      failureOf(workFile(kTableStart + u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n"
                                       u"      <BorderData>\n        <Middle style=\"none\"/>\n")),
      (Failure{kAttributeError, 7}));
  EXPECT_EQ(
      failureOf(workFile(kTableStart + u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n"
                                       u"      <BorderData>\n        <Left style=\"none\"")),
      (Failure{kAttributeError, 7}));  // "</paper>" follows on that line
  std::string cut = workFile(kTableStart +
                             u"    <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n"
                             u"      <BorderData>\n");
  cut.resize(cut.rfind("</paper>"));
  EXPECT_EQ(failureOf(cut), (Failure{kAttributeError, 7}));  // the end of the file inside
}

// ---- numbers -------------------------------------------------------------------------------------

TEST(ReaderNumbers, DecimalConversionTruncatedTowardZero) {
  EXPECT_EQ(parseNumber(u"42"), 42);
  EXPECT_EQ(parseNumber(u"-42"), -42);
  EXPECT_EQ(parseNumber(u"+7"), 7);
  EXPECT_EQ(parseNumber(u"  12.9"), 12);
  EXPECT_EQ(parseNumber(u"-3.99"), -3);
  EXPECT_EQ(parseNumber(u"1e3"), 1000);
  EXPECT_EQ(parseNumber(u"2.5E+1x"), 25);
  EXPECT_EQ(parseNumber(u"7e"), 7);
  EXPECT_EQ(parseNumber(u"12px"), 12);
  EXPECT_EQ(parseNumber(u".5"), 0);
  EXPECT_EQ(parseNumber(u""), 0);
  EXPECT_EQ(parseNumber(u"abc"), 0);
  EXPECT_EQ(parseNumber(u"-"), 0);
  EXPECT_EQ(parseNumber(u"2147483647"), INT_MAX);
  // Beyond the int range a value saturates by its sign, as the target systems convert.
  EXPECT_EQ(parseNumber(u"2147483648"), INT_MAX);
  EXPECT_EQ(parseNumber(u"-2147483648"), INT_MIN);
  EXPECT_EQ(parseNumber(u"-2147483649"), INT_MIN);
  EXPECT_EQ(parseNumber(u"99999999999"), INT_MAX);
  EXPECT_EQ(parseNumber(u"1e400"), INT_MAX);
  EXPECT_EQ(parseNumber(u"-1e400"), INT_MIN);
  EXPECT_EQ(parseNumber(u"1e-400"), 0);
  EXPECT_EQ(parseNumber(u"00000000000000000012"), 12);
}

// ---- encodings -----------------------------------------------------------------------------------

TEST(ReaderEncoding, EucJpTextIsDecodedAsDeclared) {
  const std::u16string lines = lineWithResult(u"<result>漢</result>") + lineWithResult(u"<result>ｱ</result>");
  const COcrPaper p = readOk(workFile(pageWithLines(lines), text::Encoding::EucJp));
  EXPECT_EQ(p.encoding, kEucJp);
  const LineList& ls = p.pages.front().blocks.front().lines;
  EXPECT_EQ(ls.front().chars.front().code, makeCode(u'漢'));
  EXPECT_EQ(ls.back().chars.front().code, makeCode(0xFF71));
  // JIS X 0212 by the 0x8F single shift.
  std::string bytes = workFile(pageWithLines(lineWithResult(u"<result>X</result>")), text::Encoding::EucJp);
  bytes.replace(bytes.find(">X<") + 1, 1, "\x8F\xB0\xA1");
  EXPECT_EQ(firstChar(readOk(bytes)).code, makeCode(0x4E02));
}

TEST(ReaderEncoding, ShiftJisFileReadAsEucJpKeepsGoing) {
  // The same bytes under the other declaration: characters change, nothing crashes.
  std::string bytes = workFile(pageWithLines(lineWithResult(u"<result>漢</result>")));
  bytes.replace(bytes.find("Shift_JIS"), 9, "EUC-JP");
  const ReadResult r = readBytes(bytes);
  ASSERT_NE(r.paper, nullptr);
  EXPECT_EQ(r.paper->encoding, kEucJp);
}

// ---- the line-buffered scanner ------------------------------------------------------------------

std::vector<std::u16string> readsOf(const std::string& bytes) {
  io::MemorySource in(bytes);
  LineScanner s(in);
  std::vector<std::u16string> out;
  while (s.readLine()) out.emplace_back(s.line());
  EXPECT_EQ(s.lineNumber(), static_cast<int>(out.size()) + 1);
  EXPECT_FALSE(s.readLine());
  EXPECT_EQ(s.lineNumber(), static_cast<int>(out.size()) + 1);  // the end counts once
  return out;
}

TEST(Scanner, LinesAreReadInPiecesOf1023UnitsWithTheLineEndCounting) {
  const std::string a1022(1022, 'a'), a1023(1023, 'a');
  EXPECT_EQ(readsOf(a1022 + "\r\nb").size(), 2u);  // 1022 + LF in one read
  const auto r = readsOf(a1023 + "\r\nb");
  ASSERT_EQ(r.size(), 3u);  // 1023, then the LF alone, then b
  EXPECT_EQ(r[0].size(), 1023u);
  EXPECT_EQ(r[1], u"\n");
  EXPECT_EQ(readsOf(std::string(2500, 'x')).size(), 3u);
}

TEST(Scanner, CrLfArrivesAsLfAndALoneCrStays) {
  const auto r = readsOf("a\r\nb\rc\nd\r");
  const std::vector<std::u16string> expected = {u"a\n", u"b\rc\n", u"d\r"};
  EXPECT_EQ(r, expected);
}

TEST(Scanner, CrLfSplitAcrossTheInputBufferIsStillOneLineEnd) {
  // A CR as the last byte of one 64 KiB block and its LF as the first of the next.
  std::string bytes(65535, 'a');
  for (std::size_t i = 1000; i < bytes.size(); i += 1000) bytes[i] = '\n';
  bytes += "\r\nz";
  const auto r = readsOf(bytes);
  EXPECT_EQ(r.back(), u"z");
  EXPECT_EQ(r[r.size() - 2].back(), u'\n');
  EXPECT_NE(r[r.size() - 2][r[r.size() - 2].size() - 2], u'\r');
}

TEST(Scanner, MultiByteCharactersCountOneUnitEach) {
  std::string line;
  for (int i = 0; i < 1100; ++i) line += "\x8A\xBF";  // 漢
  const auto r = readsOf(line);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].size(), 1023u);
  EXPECT_EQ(r[1].size(), 77u);
}

TEST(Scanner, ErrorLinesCountEveryPieceOfALongLine) {
  // A blank line of 2000 characters takes two reads, so the bad token on the
  // next physical line (5) is reported at read 6.
  const std::u16string body = std::u16string(2000, u' ') + u"\n  <bad/>\n";
  EXPECT_EQ(failureOf(workFile(u"  <page number=\"1\" file=\"a\">\n" + body)), (Failure{kTagError, 6}));
}

TEST(Scanner, ValueSplitBetweenPiecesIsAnAttributeError) {
  // The page tag runs past 1023 characters with file= straddling the boundary.
  std::u16string t = u"  <page number=\"1\" ";
  t += std::u16string(1000, u' ');
  t += u"file=\"abcdefghijklmnopqrstuvwxyz\"/>\n";
  EXPECT_EQ(failureOf(workFile(t)), (Failure{kAttributeError, 3}));
}

}  // namespace
}  // namespace lexova::vuzozoviv

namespace lexova::vuzozoviv {
namespace {

// Errors deep inside a large realistic file name the physical line they stand on.
class DeepErrors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    workgen::Options o;
    o.pages = 30;
    COcrPaper paper = workgen::generate(workgen::bundledSources(LEXOVA_SOURCE_DIR "/samples/aozora"), o);
    io::StringSink out;
    writePaper(paper, out);
    lines_ = new std::vector<std::string>();
    std::size_t start = 0;
    for (std::size_t nl; (nl = out.out.find("\r\n", start)) != std::string::npos; start = nl + 2) {
      lines_->push_back(out.out.substr(start, nl - start));
    }
  }
  static void TearDownTestSuite() { delete lines_; }

  // The file with the first line at or after `from` that contains `what` changed
  // by `edit`; returns the 1-based number of that line.
  static int corrupt(std::size_t from, const std::string& what, const std::function<void(std::string&)>& edit,
                     std::string& bytes) {
    std::size_t i = from;
    while (i < lines_->size() && (*lines_)[i].find(what) == std::string::npos) ++i;
    if (i == lines_->size()) {
      ADD_FAILURE() << "no line with " << what;
      return -1;
    }
    bytes.clear();
    for (std::size_t k = 0; k < lines_->size(); ++k) {
      std::string l = (*lines_)[k];
      if (k == i) edit(l);
      bytes += l + "\r\n";
    }
    return static_cast<int>(i) + 1;
  }

  static std::vector<std::string>* lines_;
};
std::vector<std::string>* DeepErrors::lines_ = nullptr;

TEST_F(DeepErrors, EveryCodeAtSeveralDepths) {
  ASSERT_GT(lines_->size(), 60000u);
  for (std::size_t depth : {100u, 5000u, 30000u, 60000u}) {
    std::string bytes;
    int line = corrupt(
        depth, "<result", [](std::string& l) { l.replace(l.find("</result>"), 9, "</reslt>"); }, bytes);
    EXPECT_EQ(failureOf(bytes), (Failure{kTagError, line})) << depth;
    line = corrupt(
        depth, "<char ", [](std::string& l) { l.replace(l.find("num_cand="), 9, "numcand="); }, bytes);
    EXPECT_EQ(failureOf(bytes), (Failure{kAttributeError, line})) << depth;
    line = corrupt(
        depth, "<cand", [](std::string& l) { l.replace(l.find('>') + 1, 0, "&bad;"); }, bytes);
    EXPECT_EQ(failureOf(bytes), (Failure{kElementError, line})) << depth;
    line = corrupt(
        depth, "<line ", [](std::string& l) { l.replace(l.find("height="), 7, "h="); }, bytes);
    EXPECT_EQ(failureOf(bytes), (Failure{kAttributeError, line})) << depth;
    line = corrupt(
        depth, "</block>", [](std::string& l) { l = "    <block/>"; }, bytes);
    EXPECT_EQ(failureOf(bytes), (Failure{kTagError, line})) << depth;  // a start tag where the end belongs
  }
  // Truncated at a deep line: the end of the file is one read past the last line.
  std::string bytes;
  for (std::size_t k = 0; k < 40000; ++k) bytes += (*lines_)[k] + "\r\n";
  const Failure f = failureOf(bytes);
  EXPECT_TRUE(f.code == kTagError || f.code == kAttributeError) << f;
  EXPECT_EQ(f.line, 40001);
}

}  // namespace
}  // namespace lexova::vuzozoviv
