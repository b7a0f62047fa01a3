// The text a person gets from the export, byte for byte, and the rules of the
// export dialog: which pages, which format, when it asks first.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "document/page_range.h"
#include "export/dispatcher.h"
#include "export/export_rules.h"
#include "export/text_writer.h"
#include "host/scripted_host.h"
#include "io/byte_io.h"
#include "support/page_builder.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::exporting {
namespace {

using lexova::testing::bodyLine;

// UTF-16LE bytes of text, with the byte order mark.
std::string utf16(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string exported(const COcrPaper& paper, int first, int last) {
  io::StringSink out;
  writeUnicodeText(paper, first, last, out);
  return out.out;
}

COcrBlock& textBlock(COcrPage& page) {
  return page.blocks.emplace_back();
}

COcrCell& cell(COcrBlock& table, int row, int col, std::u16string_view text) {
  COcrCell& c = table.cells.emplace_back();
  c.row = row, c.col = col;
  COcrBlock holder;
  bodyLine(holder, 0, 0, text);
  c.lines.splice(c.lines.end(), holder.lines);
  c.charCount = static_cast<int>(text.size());
  table.charCount += c.charCount;
  return c;
}

TEST(TextExport, LinesAsTheyStandBreaksAsCrLfTablesWithTabs) {
  COcrPaper paper;
  COcrPage& one = paper.pages.emplace_back();
  COcrBlock& b = textBlock(one);
  bodyLine(b, 0, 0, u"ABC\rDE");
  bodyLine(b, 50, 0, u"続き");  // no break in the model: none in the text
  // A character made of a surrogate pair, and units that pair with nothing.
  COcrLine& odd = bodyLine(b, 100, 0, u"x");
  odd.chars.front().code = makeCode(0xD840, 0xDC0B);
  odd.chars.emplace_back().code = makeCode(0xDC0B);
  odd.chars.emplace_back().code = makeCode(0xD840, u'a');
  COcrBlock& table = textBlock(one);
  table.type = kBlockTable;
  cell(table, 0, 0, u"明治");
  cell(table, 0, 1, u"二銭");
  cell(table, 1, 0, u"大正");
  cell(table, 1, 1, u"一円");
  COcrBlock& picture = textBlock(one);
  picture.type = kBlockImage;
  COcrBlock& note = textBlock(one);
  note.sec = kSecNoOutput;  // every section is written
  bodyLine(note, 0, 0, u"註");
  COcrPage& two = paper.pages.emplace_back();
  bodyLine(textBlock(two), 0, 0, u"二頁");

  EXPECT_EQ(exported(paper, 0, 1), utf16(u"ABC\r\nDE続き\U0002000B\uFFFD\uFFFDa明治\t二銭\r\n大正\t一円\r\n註二頁"));
  EXPECT_EQ(exported(paper, 1, 1), utf16(u"二頁"));
  EXPECT_EQ(exported(paper, 5, 3), utf16(u""));
}

TEST(TextExport, AFailedExportSaysSoAndLeavesTheOldFileWhole) {
  lexova::testing::TempDir dir;
  COcrPaper paper;
  for (int i = 0; i < 300; ++i) bodyLine(textBlock(paper.pages.emplace_back()), 0, 0, std::u16string(200, u'字'));
  const std::u16string target = text::fromUtf8((dir / "out.txt").string());
  std::ofstream(dir / "out.txt") << "the last export";
  // Files may grow to 64 KiB only: the writes fail as on a full disk.
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1 << 16;
  ::setrlimit(RLIMIT_FSIZE, &small);
  ScriptedHost host;
  const int r = ExportDocument(paper, target, kExportText, 0, 299, host);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r, -1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, u"ファイル " + target + u" が保存できません。");
  EXPECT_EQ(host.messages[0].caption, u"エラー");
  EXPECT_EQ(io::readFile((dir / "out.txt").string()), "the last export");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);

  // Written, it replaces the old file.
  ScriptedHost quiet;
  EXPECT_EQ(ExportDocument(paper, target, kExportText, 0, 0, quiet), 0);
  EXPECT_EQ(io::readFile((dir / "out.txt").string()), utf16(std::u16string(200, u'字')));
  EXPECT_TRUE(quiet.messages.empty());
  // A format that names no writer is refused with a message, not a silent success.
  EXPECT_EQ(ExportDocument(paper, target + u".xlsx", kExportSpreadsheet, 0, 0, quiet), kExportNotAvailable);
  EXPECT_EQ(quiet.messages.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt.xlsx"));
}

TEST(ExportDialog, TheFormatFollowsTheExtensionAndTheChosenType) {
  const std::pair<const char16_t*, int> names[] = {
      {u"a.TXT", kExportText}, {u"a.docx", kExportWord},        {u"a.PPTX", kExportPowerPoint},
      {u"a.xps", kExportXps},  {u"a.xlsx", kExportSpreadsheet}, {u"a.csv", kExportNone},
      {u"a", kExportNone},     {u"dir.txt/a", kExportNone}};
  for (const auto& [name, code] : names) EXPECT_EQ(exportTypeFor(name, 0), code) << text::toUtf8(name);
  EXPECT_EQ(exportTypeFor(u"a.pdf", 2), kExportPdf);
  EXPECT_EQ(exportTypeFor(u"a.pdf", 3), kExportImagePdf);
  EXPECT_EQ(exportTypeFor(u"a.Pdf", 4), kExportCompressedImagePdf);
  // The type preselected, after the last export.
  const std::pair<int, int> last[] = {{1, 0}, {101, 1}, {5, 2}, {11, 3}, {15, 4}, {103, 0}, {0, 0}};
  for (const auto& [code, type] : last) EXPECT_EQ(preselectedFileType(code), type) << code;
}

TEST(ExportDialog, TheRangeIsCheckedBeforeAnythingIsWritten) {
  const RangeChoice all{RangeMode::AllPages}, current{RangeMode::CurrentPage};
  ScriptedHost host;
  EXPECT_TRUE(confirmPageRange(all, 99, host));
  EXPECT_TRUE(host.messages.empty());
  // 100 pages ask first, No preselected; No keeps the dialog open.
  EXPECT_FALSE(confirmPageRange(all, 100, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            u"保存ページが100ページ選択されています。\n認識結果の内容によっては、保存に時間がかかる場合があります。\n"
            u"保存を実行しますか？");
  EXPECT_EQ(host.messages[0].buttons, Buttons::YesNo);
  host.answers.push_back(Answer::Yes);
  EXPECT_TRUE(confirmPageRange(RangeChoice{RangeMode::PageRange, 1, 150}, 200, host));
  EXPECT_TRUE(confirmPageRange(current, 500, host));  // one page, never asked
  EXPECT_EQ(host.messages.size(), 2u);

  // Unset fields, and a range that selects no page, keep the dialog open.
  for (const RangeChoice bad : {RangeChoice{RangeMode::PageRange, 0, 3}, RangeChoice{RangeMode::PageRange, 2, -1},
                                RangeChoice{RangeMode::PageRange, 5, 3}, RangeChoice{RangeMode::PageRange, 9, 12}}) {
    ScriptedHost h;
    EXPECT_FALSE(confirmPageRange(bad, 8, h)) << bad.from << "~" << bad.to;
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, u"保存範囲が指定されていません。");
  }
  EXPECT_EQ(pageFieldValue(u"12"), 12);
  EXPECT_EQ(pageFieldValue(u"1x"), 0);
  EXPECT_EQ(pageFieldValue(u""), 0);

  // What each choice selects, positions from 0.
  const auto indexes = [](const RangeChoice& c) {
    const PageIndexes p = pageIndexesFor(c, 10, 4);
    return std::pair{p.first, p.last};
  };
  EXPECT_EQ(indexes(all), (std::pair{0, 9}));
  EXPECT_EQ(indexes(current), (std::pair{4, 4}));
  EXPECT_EQ(indexes({RangeMode::PageRange, 2, 5}), (std::pair{1, 4}));
  EXPECT_EQ(indexes({RangeMode::PageRange, 3, 40}), (std::pair{2, 9}));
}

}  // namespace
}  // namespace lexova::exporting
