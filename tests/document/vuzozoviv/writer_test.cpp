#include "document/vuzozoviv/writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "document/vuzozoviv/reader.h"
#include "support/temp_dir.h"
#include "support/workfile.h"
#include "text/utf.h"

namespace lexova::vuzozoviv {
namespace {

using lexova::testing::readBytes;

std::string write(const COcrPaper& p, int encoding = 0, int first = -1, int last = -1) {
  io::StringSink out;
  EXPECT_EQ(writePaper(p, out, encoding, first, last), 0);
  return out.out;
}

// The file as text, with CR LF shown as "\n" (and checked to be CR LF throughout).
std::u16string asText(const std::string& bytes, text::Encoding e = text::Encoding::ShiftJis) {
  std::u16string t = text::decodeText(bytes, e);
  std::u16string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') continue;
    EXPECT_FALSE(t[i] == u'\n' && (i == 0 || t[i - 1] != u'\r')) << "bare LF at " << i;
    out += t[i];
  }
  return out;
}

COcrChar ch(char16_t a, int x = 10, int y = 20, std::uint16_t cc = 10) {
  COcrChar c;
  c.code = makeCode(a);
  c.x = x, c.y = y, c.width = 30, c.height = 31;
  c.CC = cc;
  return c;
}

COcrLine& addLine(COcrBlock& b, int x, int y, int w, int h, std::u16string_view text = {}) {
  COcrLine& l = b.lines.emplace_back();
  l.x = x, l.y = y, l.width = w, l.height = h;
  for (char16_t c : text) {
    l.chars.push_back(ch(c));
    ++l.charCount;
  }
  return l;
}

COcrPage& addPage(COcrPaper& p, int number = 1) {
  COcrPage& pg = p.pages.emplace_back();
  pg.number = number;
  pg.file = u"p1.tif";
  pg.fullpath = u"C:\\scan\\p1.tif";
  pg.width = 2000, pg.height = 3000, pg.dpi = 400;
  return pg;
}

const char16_t kHeader[] =
    u"<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n"
    u"<paper xmlns=\"http://www.tessaly.jp/2005/VuzOzovIV\">\n";

TEST(Writer, GoldenLayoutOfEveryElement) {
  COcrPaper p;
  COcrPage& pg = addPage(p, 7);
  COcrBlock& b = pg.blocks.emplace_back();
  b.direction = kVertical;
  b.x = 1, b.y = 2, b.width = 300, b.height = 900;
  b.sec = kSecTitle, b.BID = 4;
  COcrLine& ruby = addLine(b, 40, 20, 10, 50, u"か");
  ruby.attr = kAttrRuby;
  ruby.RCS = 1, ruby.RCE = 2;
  COcrLine& base = addLine(b, 10, 20, 30, 100);
  ruby.baseLine = &base;
  COcrChar& c = base.chars.emplace_back(ch(0x4E02, 12, 22, 8));
  c.allocateCandidates(2);
  c.setCand(0, makeCode(u'&'), 5);
  c.setCand(1, makeCode(u'漢'), 3);
  base.charCount = 1;
  COcrBlock& img = pg.blocks.emplace_back();
  img.type = kBlockImage;
  img.x = 5, img.y = 6, img.width = 7, img.height = 8;
  COcrBlock& table = pg.blocks.emplace_back();
  table.type = kBlockTable;
  COcrCell& cell = table.cells.emplace_back();
  cell.x = 1, cell.y = 2, cell.width = 3, cell.height = 4, cell.row = 5, cell.col = 6;
  cell.align = 1, cell.valign = 2, cell.connectGroup = 3;
  cell.left = kBorderSolid, cell.top = kBorderDotted, cell.right = kBorderDouble;
  COcrLine& cl = cell.lines.emplace_back();
  cl.x = 1, cl.y = 2, cl.width = 3, cl.height = 4, cl.LID = 9;
  cl.chars.push_back(ch(u'<', -1, -1));
  cl.charCount = 1;

  const std::u16string expected =
      std::u16string(kHeader) +
      u"  <page number=\"1\" dpi=\"400\" height=\"3000\" width=\"2000\" file=\"p1.tif\" "
      u"fullpath=\"C:\\scan\\p1.tif\">\n"
      u"    <block type=\"text\" direction=\"vertical\" x=\"1\" y=\"2\" width=\"300\" height=\"900\" sec=\"title\" "
      u"langId=\"128\" BID=\"4\">\n"
      u"      <line x=\"40\" y=\"20\" width=\"10\" height=\"50\" attr=\"ruby\" LID=\"1\" RLID=\"2\" RCS=\"1\" "
      u"RCE=\"2\">\n"
      u"        <char x=\"10\" y=\"20\" width=\"30\" height=\"31\" num_cand=\"0\">\n"
      u"          <result CC=\"10\">か</result>\n"
      u"        </char>\n"
      u"      </line>\n"
      u"      <line x=\"10\" y=\"20\" width=\"30\" height=\"100\" attr=\"\" LID=\"2\">\n"
      u"        <char x=\"12\" y=\"22\" width=\"30\" height=\"31\" num_cand=\"2\"  Unicode=\"1\">\n"
      u"          <result CC=\"8\">4e02</result>\n"
      u"          <cand CC=\"5\">&amp;</cand>\n"
      u"          <cand CC=\"3\">漢</cand>\n"
      u"        </char>\n"
      u"      </line>\n"
      u"    </block>\n"
      u"    <block type=\"image\" x=\"5\" y=\"6\" width=\"7\" height=\"8\"/>\n"
      u"    <block type=\"table\" direction=\"horizontal\" x=\"0\" y=\"0\" width=\"0\" height=\"0\" sec=\"text\" "
      u"langId=\"128\" BID=\"-1\">\n"
      u"    <CellData  x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"5\" col=\"6\" align=\"1\" valign=\"2\" "
      u"connectGroup=\"3\">\n"
      u"      <BorderData>\n"
      u"        <Left  style=\"solid\"/>\n"
      u"        <Top  style=\"dotted\"/>\n"
      u"        <Right  style=\"double\"/>\n"
      u"        <Bottom  style=\"none\"/>\n"
      u"      </BorderData>\n"
      u"      <line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\" LID=\"9\">\n"
      u"        <char x=\"-1\" y=\"-1\" width=\"30\" height=\"31\" num_cand=\"0\">\n"
      u"          <result CC=\"10\">&lt;</result>\n"
      u"        </char>\n"
      u"      </line>\n"
      u"    </CellData>\n"
      u"    </block>\n"
      u"  </page>\n"
      u"</paper>\n";
  EXPECT_EQ(asText(write(p)), expected);
  // Writing changes nothing in the paper: the link ids are the writer's own.
  EXPECT_EQ(ruby.LID, 0);
  EXPECT_EQ(base.LID, 0);
}

TEST(Writer, PageRangeWritesRenumberedPages) {
  COcrPaper p;
  for (int i = 1; i <= 5; ++i) addPage(p, 10 + i).file = u"p" + text::fromUtf8(std::to_string(i));
  const ReadResult r = readBytes(write(p, 0, 2, 3));
  ASSERT_NE(r.paper, nullptr);
  ASSERT_EQ(r.paper->pages.size(), 2u);
  EXPECT_EQ(r.paper->pages.front().number, 1);
  EXPECT_EQ(r.paper->pages.front().file, u"p3");
  EXPECT_EQ(r.paper->pages.back().number, 2);
  EXPECT_EQ(r.paper->pages.back().file, u"p4");
  EXPECT_EQ(readBytes(write(p, 0, -1, 0)).paper->pages.size(), 1u);
  EXPECT_EQ(readBytes(write(p, 0, 3, -1)).paper->pages.size(), 2u);
  EXPECT_EQ(readBytes(write(p, 0, 7, -1)).paper->pages.size(), 0u);
}

TEST(Writer, CharactersWithoutABoxGetTheirPlaceInAnEvenSplitOfTheLine) {
  COcrPaper p;
  COcrBlock& h = addPage(p).blocks.emplace_back();
  COcrLine& l = addLine(h, 100, 200, 100, 50, u"abcd");
  for (COcrChar& c : l.chars) c.x = -1;
  COcrLine& mixed = addLine(h, 0, 0, 100, 50, u"ab");
  mixed.chars.back().y = -1;  // boxed, then not boxed: position 1
  COcrBlock& v = p.pages.front().blocks.emplace_back();
  v.direction = kVertical;
  COcrLine& vl = addLine(v, 10, 20, 40, 90, u"xyz");
  for (COcrChar& c : vl.chars) c.x = c.y = -1;

  const COcrPaper back = std::move(*readBytes(write(p)).paper);
  const COcrBlock& hb = back.pages.front().blocks.front();
  int k = 0;
  for (const COcrChar& c : hb.lines.front().chars) {
    EXPECT_EQ(c.x, 100 + 25 * k++);
    EXPECT_EQ(c.y, 205);
    EXPECT_EQ(c.width, 20);
    EXPECT_EQ(c.height, 40);
  }
  const COcrChar& second = hb.lines.back().chars.back();
  EXPECT_EQ(second.x, 50);
  EXPECT_EQ(second.y, 5);
  const LineList& vls = back.pages.front().blocks.back().lines;
  k = 0;
  for (const COcrChar& c : vls.front().chars) {
    EXPECT_EQ(c.x, 14);
    EXPECT_EQ(c.y, 20 + 30 * k++);
    EXPECT_EQ(c.width, 32);
    EXPECT_EQ(c.height, 24);
  }
  // The model keeps its boxless characters.
  EXPECT_EQ(l.chars.front().x, -1);
}

TEST(Writer, CellCharactersKeepTheirStoredBox) {
  COcrPaper p;
  COcrBlock& t = addPage(p).blocks.emplace_back();
  t.type = kBlockTable;
  COcrLine& l = t.cells.emplace_back().lines.emplace_back();
  l.width = 100, l.height = 10;
  l.chars.push_back(ch(u'a', -1, -1));
  l.charCount = 1;
  const COcrPaper back = std::move(*readBytes(write(p)).paper);
  EXPECT_EQ(back.pages.front().blocks.front().cells.front().lines.front().chars.front().x, -1);
}

TEST(Writer, UnknownBlockTypeIsWrittenAsTextAndLeftInTheModel) {
  COcrPaper p;
  COcrBlock& b = addPage(p).blocks.emplace_back();
  b.type = 7;
  const std::u16string t = asText(write(p));
  EXPECT_NE(t.find(u"<block type=\"text\" direction=\"horizontal\""), std::u16string::npos);
  EXPECT_EQ(b.type, 7);
}

TEST(Writer, LineBlocksCarryNoDirectionAndPlainBlocksNoLinkIds) {
  COcrPaper p;
  COcrBlock& b = addPage(p).blocks.emplace_back();
  b.type = kBlockLine;
  COcrLine& l = addLine(b, 1, 2, 3, 4);
  l.LID = 5, l.RLID = 6;
  const std::u16string t = asText(write(p));
  EXPECT_NE(t.find(u"<block type=\"line\" x=\"0\""), std::u16string::npos);
  EXPECT_NE(t.find(u"<line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"\">"), std::u16string::npos);
}

TEST(Writer, UnicodeFlags) {
  EXPECT_EQ(unicodeFlag(makeCode(u'漢'), kShiftJis), 0);
  EXPECT_EQ(unicodeFlag(makeCode(0x4E02), kShiftJis), 1);
  EXPECT_EQ(unicodeFlag(makeCode(0xD840, 0xDC0B), kShiftJis), 2);
  EXPECT_EQ(unicodeFlag(makeCode(u'a', u'b'), kShiftJis), 2);
  EXPECT_EQ(unicodeFlag(makeCode(0x7E8A), kShiftJis), 0);
  EXPECT_EQ(unicodeFlag(makeCode(0x7E8A), kEucJp), 1);     // no EUC-JP form
  EXPECT_EQ(unicodeFlag(makeCode(0x00A5), kShiftJis), 1);  // best fit is not a form
}

TEST(Writer, ControlCharactersAreNeverWrittenRawAndReadBackAsThemselves) {
  COcrPaper p;
  COcrLine& l = addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4);
  for (const char16_t u : {char16_t{0x1B}, char16_t{0x09}, char16_t{0x7F}, char16_t{0x01}, u'\r'}) {
    l.chars.push_back(ch(u));
    ++l.charCount;
  }
  l.chars.front().allocateCandidates(1);
  l.chars.front().setCand(0, makeCode(0x1F), 5);
  const std::string bytes = write(p);
  for (const char raw : {'\x1B', '\x09', '\x7F', '\x01', '\x1F'})
    EXPECT_EQ(bytes.find(raw), std::string::npos) << int(raw);
  const auto back = readBytes(bytes);
  ASSERT_NE(back.paper, nullptr);
  const COcrLine& read = back.paper->pages.front().blocks.front().lines.front();
  std::u16string codes;
  for (const COcrChar& c : read.chars) codes += codeText(c.code);
  EXPECT_EQ(codes, u"\x1B\x09\x7F\x01\r");
  EXPECT_EQ(read.chars.front().candCode(0), makeCode(0x1F));
}

std::u16string charElement(const std::u16string& file) {
  const std::size_t a = file.find(u"<char");
  return file.substr(a, file.find(u"</char>") - a);
}

TEST(Writer, ResultsAndCandidatesReadBackWhateverTheyHold) {
  const CharCode awkward[] = {
      makeCode(0x4E02), makeCode(0xD840, 0xDC0B), makeCode(u'a', u'<'), makeCode(u'&', u'b'), makeCode(u'x', u'\n'),
      makeCode(u'\r'),  makeCode(0x2467),         makeCode(0x00A5),     makeCode(u'a', u'&'), makeCode(0x7E8A),
      makeCode(0xFF71), makeCode(0xD800),         makeCode(u'\t'),      makeCode(0xE000),     makeCode(0x0080),
  };
  for (int enc : {kShiftJis, kEucJp}) {
    for (const CharCode& code : awkward) {
      for (const bool asCandidate : {false, true}) {
        COcrPaper p;
        p.encoding = enc;
        COcrLine& l = addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"字");
        COcrChar& c = l.chars.front();
        if (asCandidate) {
          c.allocateCandidates(1);
          c.setCand(0, code, 4);
        } else {
          c.code = code;
          l.charCount = codeLength(code);
        }
        const std::string bytes = write(p);
        const ReadResult r = readBytes(bytes);
        ASSERT_NE(r.paper, nullptr) << "encoding " << enc << ": " << text::toUtf8(asText(bytes));
        const COcrChar& back = r.paper->pages.front().blocks.front().lines.front().chars.front();
        EXPECT_EQ(back.code, c.code) << std::hex << int{code[0]} << " " << int{code[1]};
        ASSERT_EQ(back.num_cand(), c.num_cand());
        if (asCandidate) {
          EXPECT_EQ(back.candCode(0), code) << std::hex << int{code[0]} << " " << int{code[1]};
        }
      }
    }
  }
}

TEST(Writer, HexadecimalCandidateGivesThePlainResultTheFlag) {
  COcrPaper p;
  COcrLine& l = addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"字");
  l.chars.front().allocateCandidates(2);
  l.chars.front().setCand(0, makeCode(u'&'), 4);
  l.chars.front().setCand(1, makeCode(0xD840, 0xDC0B), 3);
  EXPECT_EQ(charElement(asText(write(p))),
            u"<char x=\"10\" y=\"20\" width=\"30\" height=\"31\" num_cand=\"2\"  Unicode=\"1\">\n"
            u"          <result CC=\"10\">字</result>\n"
            u"          <cand CC=\"4\">&amp;</cand>\n"
            u"          <cand CC=\"3\">d840dc0b</cand>\n        ");
}

TEST(Writer, SurrogatePairResultAndEighthCircledDigit) {
  COcrPaper p;
  COcrLine& l = addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"⑧");
  l.chars.push_back(ch(0));
  l.chars.back().code = makeCode(0xD840, 0xDC0B);
  l.charCount = 3;
  const std::u16string t = asText(write(p));
  EXPECT_NE(t.find(u"<result CC=\"10\">⑧</result>"), std::u16string::npos);
  EXPECT_NE(t.find(u"num_cand=\"0\"  Unicode=\"2\">\n          <result CC=\"10\">d840dc0b</result>"),
            std::u16string::npos);
}

TEST(Writer, EucJpOutputEncodesTextAndWritesWhatItLacksInHex) {
  COcrPaper p;
  p.encoding = kEucJp;
  addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"漢ｱ纊");
  const std::string bytes = write(p);
  EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>\r\n"));
  EXPECT_NE(bytes.find(">\xB4\xC1</result>"), std::string::npos);
  EXPECT_NE(bytes.find(">\x8E\xB1</result>"), std::string::npos);
  EXPECT_NE(bytes.find("Unicode=\"1\">\r\n          <result CC=\"10\">7e8a</result>"), std::string::npos);
  // In Shift_JIS the same character is plain text from the IBM extensions.
  const std::string sjis = write(p, kShiftJis);
  EXPECT_NE(sjis.find(">\xFA\x5C</result>"), std::string::npos);
}

TEST(Writer, EncodingChoice) {
  COcrPaper p;
  p.encoding = kEucJp;
  EXPECT_TRUE(write(p).find("EUC-JP") != std::string::npos);
  EXPECT_TRUE(write(p, 1).find("Shift_JIS") != std::string::npos);
  EXPECT_TRUE(write(p, 5).find("EUC-JP") != std::string::npos);
}

TEST(Writer, UnescapableValuesGetAQuestionMarkNeverABrokenFile) {
  COcrPaper p;
  COcrPage& pg = addPage(p);
  pg.file = u"a\u00A5b\U0002000B\"c.tif";
  pg.fullpath = u"/x\ny";
  const std::string bytes = write(p);
  EXPECT_NE(bytes.find("file=\"a?b??c.tif\" fullpath=\"/x?y\">"), std::string::npos);
  EXPECT_NE(readBytes(bytes).paper, nullptr);
}

TEST(Writer, LongPathsMoveToALineOfTheirOwnSoTheFileReadsBack) {
  COcrPaper p;
  COcrPage& pg = addPage(p);
  pg.fullpath = u"/" + std::u16string(700, u'd') + u"/" + std::u16string(200, u'漢') + u".tif";
  pg.file = std::u16string(150, u'f') + u".tif";
  const std::string bytes = write(p);
  const ReadResult r = readBytes(bytes);
  ASSERT_NE(r.paper, nullptr) << r.code << " at " << r.line;
  EXPECT_EQ(r.paper->pages.front().fullpath, pg.fullpath);
  EXPECT_EQ(r.paper->pages.front().file, pg.file);
  // Short values stay on the page's line.
  COcrPaper q;
  addPage(q);
  EXPECT_NE(write(q).find("file=\"p1.tif\" fullpath="), std::string::npos);
}

TEST(Writer, CustomSectionsAreWrittenFromThePapersOwnRegistry) {
  COcrPaper p;
  COcrPage& pg = addPage(p);
  pg.blocks.emplace_back().sec = sectionCode(p, u"caption");
  pg.blocks.emplace_back().sec = sectionCode(p, u"margin");
  pg.blocks.emplace_back().sec = 1005;  // names nothing
  const std::u16string t = asText(write(p));
  EXPECT_NE(t.find(u"sec=\"caption\""), std::u16string::npos);
  EXPECT_NE(t.find(u"sec=\"margin\""), std::u16string::npos);
  EXPECT_EQ(t.find(u"sec=\"caption\""), t.rfind(u"sec=\"caption\""));
}

TEST(Writer, EmptyCharacterIsWrittenAsTheRejectMark) {
  COcrPaper p;
  COcrLine& l = addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"a");
  l.chars.front().code = CharCode{};
  const ReadResult r = readBytes(write(p));
  ASSERT_NE(r.paper, nullptr);
  EXPECT_EQ(r.paper->pages.front().blocks.front().lines.front().chars.front().code, makeCode(0x3013));
}

// ---- files ------------------------------------------------------------------------------------

class WriterFiles : public ::testing::Test {
 protected:
  static void touch(const std::filesystem::path& f) {
    std::filesystem::create_directories(f.parent_path());
    std::ofstream(f) << "image";
  }
  lexova::testing::TempDir tmp_;
  std::filesystem::path dir_ = tmp_.path();
};

TEST_F(WriterFiles, SafeWriteReplacesTheFileOnlyWhenComplete) {
  const std::string target = (dir_ / "out.xml").string();
  std::ofstream(target) << "old contents";
  COcrPaper p;
  addPage(p);
  ASSERT_EQ(writePaperFile(p, target), kWriteOk);
  const std::string written = io::readFile(target);
  EXPECT_EQ(written, write(p));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
}

TEST_F(WriterFiles, UnwritableFolderIsReportedAndTheOldFileKept) {
  if (::geteuid() == 0) {
    // root ignores permissions; a missing folder still cannot be written.
    COcrPaper p;
    std::string error;
    EXPECT_EQ(writePaperFile(p, (dir_ / "missing" / "out.xml").string(), 0, -1, -1, &error), kCreateError);
    EXPECT_NE(error.find("missing"), std::string::npos);
    return;
  }
  const std::string target = (dir_ / "out.xml").string();
  std::ofstream(target) << "old contents";
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  COcrPaper p;
  EXPECT_EQ(writePaperFile(p, target), kCreateError);
  EXPECT_EQ(io::readFile(target), "old contents");
}

TEST_F(WriterFiles, WriteFailurePartWayLeavesTheTargetUntouched) {
  const std::string target = (dir_ / "out.xml").string();
  std::ofstream(target) << "old contents";
  COcrPaper p;
  for (int i = 0; i < 200; ++i) addLine(addPage(p).blocks.emplace_back(), 1, 2, 3, 4, u"あいうえお");
  // Files may grow to 64 KiB only: the writes fail as on a full disk.
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1 << 16;
  ::setrlimit(RLIMIT_FSIZE, &small);
  std::string error;
  const int r = writePaperFile(p, target, 0, -1, -1, &error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r, kWriteError);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(io::readFile(target), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace lexova::vuzozoviv
