// Reconstruction of small pages laid out as a scan lays them out: what the text
// flow looks like afterwards (which blocks joined, where spaces and line breaks
// went, what the ruby covers), and that hostile coordinates cannot make it divide
// by zero or run away.
#include "reconstruct/block_merge.h"

#include <gtest/gtest.h>

#include <climits>

#include "reconstruct/page_pass.h"
#include "support/invariants.h"
#include "support/page_builder.h"

namespace lexova::reconstruct {
namespace {

using lexova::testing::annotationLine;
using lexova::testing::bodyLine;
using lexova::testing::brokenInvariant;
using lexova::testing::lineText;

// Body characters are 40 × 40 at a 44 pixel pitch; columns are 40 wide, 60 apart.
constexpr int kColumnPitch = 60;

// A vertical text block of columns from right to left; each column is its text
// and how far below the block's top it starts.
COcrBlock& columns(COcrPage& page, int right, int top, std::vector<std::pair<std::u16string, int>> cols,
                   int sec = kSecText) {
  COcrBlock& b = page.blocks.emplace_back();
  b.direction = kVertical;
  b.sec = sec;
  long long bottom = top;
  int i = 0;
  for (const auto& [text, indent] : cols) {
    const COcrLine& l = bodyLine(b, right - 40 - i++ * kColumnPitch, top + indent, text);
    bottom = std::max<long long>(bottom, l.y + l.height);
  }
  b.x = right - 40 - (i - 1) * kColumnPitch;
  b.y = top;
  b.width = right - b.x;
  b.height = static_cast<int>(bottom - top);
  b.lineSize = 40;
  return b;
}

std::vector<std::u16string> texts(const COcrBlock& b) {
  std::vector<std::u16string> out;
  for (const COcrLine& l : b.lines) out.push_back(lineText(l));
  return out;
}

settings::ReconstructionOptions allOn() {
  return {};
}

TEST(Reconstruction, ColumnsOfOneSectionJoinWithABlankLineForEachMissingLine) {
  // The title stands apart whatever its distance; the body continues in a second
  // block to the left. Gaps: the ordinary one, exactly one pitch, 2.5 pitches.
  const std::pair<int, int> gaps[] = {{20, 0}, {kColumnPitch, 0}, {kColumnPitch * 5 / 2, 2}};
  for (const auto& [gap, blanks] : gaps) {
    SCOPED_TRACE(gap);
    COcrPage page;
    columns(page, 1400, 100, {{u"羅生門", 0}}, kSecTitle);
    const COcrBlock& first = columns(page, 1300, 100, {{u"ある日の", 0}, {u"暮方の事", 0}});
    COcrBlock& second = columns(page, first.x - gap, 100, {{u"である。", 0}});
    // A ruby beside the first character of the second block, not yet attached.
    annotationLine(second, second.x + 42, u"ふり", {100, 120});
    second.lines.splice(second.lines.begin(), second.lines, std::prev(second.lines.end()));
    const int firstX = first.x;

    const PageResult r = ProcessPage(page, allOn(), true, true);
    EXPECT_TRUE(r.changed);
    EXPECT_TRUE(r.merged);
    ASSERT_EQ(page.blocks.size(), 2u);
    EXPECT_EQ(texts(page.blocks.front()), std::vector<std::u16string>{u"羅生門"});
    const COcrBlock& body = page.blocks.back();
    std::vector<std::u16string> expected = {u"ある日の", u"暮方の事"};
    for (int i = 0; i < blanks; ++i) expected.push_back(u"\r");
    expected.push_back(u"ふり");
    expected.push_back(u"である。");
    EXPECT_EQ(texts(body), expected);
    // The ruby belongs to its column, never to a blank line beside it.
    const COcrLine& ruby = *std::prev(body.lines.end(), 2);
    EXPECT_EQ(ruby.baseLine, &body.lines.back());
    EXPECT_EQ(ruby.RCS, 1);
    EXPECT_EQ(ruby.RCE, 1);
    // The union of both boxes.
    EXPECT_EQ(body.x, firstX - gap - 40);
    EXPECT_EQ(body.x + body.width, 1300);
    // Blank lines stand in the gap, their break inside their own box.
    for (const COcrLine& l : body.lines) {
      if (lineText(l) != u"\r") continue;
      EXPECT_GT(l.x, firstX - gap - 40 + 40);
      EXPECT_LT(l.x + l.width, firstX);
      EXPECT_EQ(l.chars.front().x, l.x);
      EXPECT_EQ(l.chars.front().y, l.y);
    }
    EXPECT_EQ(brokenInvariant(page), "");
  }
}

TEST(Reconstruction, IndentationBecomesSpacesParagraphsEndAndTheRubyFollows) {
  COcrPage page;
  COcrBlock& b = columns(page, 1300, 100,
                         {
                             {u"ある日の事である。", 0},  // ends a paragraph
                             {u"一人の下人が、", 116},    // 2.9 cells down: two spaces
                             {u"待っていた。", 0},
                             {u"広い門の", 5},  // 5 pixels of scan jitter: no paragraph
                             {u"下には", 44},   // one cell down, but after no "。"
                         });
  // Ruby げにん beside 下人 (the 4th and 5th characters of the second column), as
  // read from the file: linked, and before its base line.
  const auto second = std::next(b.lines.begin());
  COcrLine& base = *second;
  annotationLine(b, base.x + 42, u"げにん", {348, 374, 400});
  b.lines.splice(second, b.lines, std::prev(b.lines.end()));
  COcrLine& ruby = *std::prev(second);
  ruby.baseLine = &base;
  ruby.RCS = 4, ruby.RCE = 5;
  const int farEdge = base.y + base.height;

  EXPECT_TRUE(ProcessPage(page, allOn(), true, true).changed);
  // Mono ruby (on by default) gives each base character its own ruby.
  EXPECT_EQ(texts(b), (std::vector<std::u16string>{u"ある日の事である。\r", u"げに", u"ん", u"  一人の下人が、",
                                                   u"待っていた。", u"広い門の", u" 下には"}));
  // The line starts at the block's edge and still ends where it did.
  EXPECT_EQ(base.y, b.y);
  EXPECT_EQ(base.y + base.height, farEdge);
  // Spaces a cell wide at 1.2 cells apart.
  EXPECT_EQ(base.chars.front().y, b.y);
  EXPECT_EQ(std::next(base.chars.begin())->y, b.y + 48);
  // The ruby still covers 下人, attached again after the spaces.
  std::u16string covered;
  for (const COcrLine& l : b.lines) {
    if (l.attr != kAttrRuby) continue;
    ASSERT_EQ(l.baseLine, &base);
    covered += lineText(l) + u"→" + lineText(base).substr(l.RCS - 1, l.RCE - l.RCS + 1) + u" ";
  }
  EXPECT_EQ(covered, u"げに→下 ん→人 ");
  EXPECT_EQ(brokenInvariant(page), "");

  // "、" ends no paragraph; without natural line breaks nothing does.
  COcrPage comma;
  columns(comma, 1300, 100, {{u"ある日の事である、", 0}, {u"一人の", 88}});
  ProcessPage(comma, allOn(), true, true);
  EXPECT_EQ(texts(comma.blocks.front()), (std::vector<std::u16string>{u"ある日の事である、", u"  一人の"}));
  settings::ReconstructionOptions noBreaks;
  noBreaks.naturalLineBreaks = 0;
  COcrPage other;
  columns(other, 1300, 100, {{u"ある日の事である。", 0}, {u"一人の", 88}});
  ProcessPage(other, noBreaks, true, true);
  EXPECT_EQ(texts(other.blocks.front()), (std::vector<std::u16string>{u"ある日の事である。", u"  一人の"}));
}

TEST(Reconstruction, TheBreakThatEndsABlockGoesButALoneBreakStays) {
  COcrPage page;
  COcrBlock& a = columns(page, 1300, 100, {{u"一行目", 0}, {u"終わり。\r", 0}});
  COcrBlock& b = columns(page, 700, 900, {{u"\r", 0}});  // does not overlap a vertically: stays apart
  const int units = a.charCount;
  EXPECT_TRUE(RemoveBlockEndBreaks(page));
  EXPECT_EQ(texts(a).back(), u"終わり。");
  EXPECT_EQ(a.charCount, units - 1);
  EXPECT_EQ(texts(b).back(), u"\r");
  EXPECT_FALSE(RemoveBlockEndBreaks(page));
  EXPECT_EQ(brokenInvariant(page), "");
}

TEST(Reconstruction, EveryTextBlockGetsItsSpacesMergedOrNot) {
  // One block alone.
  COcrPage single;
  columns(single, 1300, 100, {{u"一", 0}, {u"二", 44}});
  settings::ReconstructionOptions spacesOnly;
  spacesOnly.naturalLineBreaks = 0;
  spacesOnly.noBreakAtBlockEnd = false;
  EXPECT_TRUE(MergeTextBlocks(single, spacesOnly));
  EXPECT_EQ(texts(single.blocks.front()).back(), u" 二");
  // Blocks that cannot merge: a heading between, then a block of another section.
  COcrPage page;
  columns(page, 1300, 100, {{u"一", 0}, {u"二", 44}});
  columns(page, 1000, 100, {{u"見出し", 0}}, kSecHeader);
  columns(page, 800, 100, {{u"三", 0}, {u"四", 44}});
  columns(page, 600, 100, {{u"五", 0}, {u"六", 88}}, kSecRef);
  bool merged = true;
  EXPECT_TRUE(MergeTextBlocks(page, spacesOnly, &merged));
  EXPECT_FALSE(merged);
  ASSERT_EQ(page.blocks.size(), 4u);
  EXPECT_EQ(texts(page.blocks.front()).back(), u" 二");
  EXPECT_EQ(texts(*std::next(page.blocks.begin(), 2)).back(), u" 四");
  EXPECT_EQ(texts(page.blocks.back()).back(), u"  六");
  // Applied again, nothing changes: the lines stand at the edge now.
  EXPECT_FALSE(MergeTextBlocks(page, spacesOnly));
  // With natural breaks alone, a block that absorbed nothing gets none.
  settings::ReconstructionOptions breaksOnly;
  breaksOnly.indentWithSpaces = false;
  COcrPage lone;
  columns(lone, 1300, 100, {{u"終わり。", 0}, {u"次", 88}});
  EXPECT_FALSE(MergeTextBlocks(lone, breaksOnly));
  EXPECT_EQ(texts(lone.blocks.front()).front(), u"終わり。");
}

TEST(Reconstruction, HostileCoordinatesNeitherDivideByZeroNorRunAway) {
  // A block without lines only widens the one that absorbs it, either way round.
  COcrPage page;
  COcrBlock& body = columns(page, 1300, 100, {{u"本文", 0}});
  COcrBlock& empty = page.blocks.emplace_back();
  empty.direction = kVertical;
  empty.x = 100, empty.y = 50, empty.width = 10, empty.height = 10;
  AbsorbBlock(body, empty, true);
  EXPECT_EQ(texts(body), std::vector<std::u16string>{u"本文"});
  EXPECT_EQ(body.x, 100);
  EXPECT_EQ(body.y, 50);
  COcrBlock hollow;
  hollow.direction = kVertical;
  AbsorbBlock(hollow, body, true);
  EXPECT_EQ(texts(hollow), std::vector<std::u16string>{u"本文"});
  EXPECT_EQ(hollow.charCount, 2);

  // A gap of a billion pixels, lines without size, an indentation of a billion.
  COcrPage wild;
  COcrBlock& a = columns(wild, 2'000'000'000, 100, {{u"一", 0}});
  COcrBlock& b = columns(wild, 1000, 100, {{u"二", 0}});
  a.lineSize = b.lineSize = 0;
  COcrLine& flat = bodyLine(b, 900, 100, u"平");
  flat.width = 0;
  flat.chars.front().width = flat.chars.front().height = 0;
  COcrLine& far = bodyLine(b, 800, 1'000'000'000, u"遠");
  const PageResult r = ProcessPage(wild, allOn(), true, true);
  EXPECT_TRUE(r.merged);
  const COcrBlock& joined = wild.blocks.front();
  int blanks = 0;
  for (const COcrLine& l : joined.lines) blanks += lineText(l) == u"\r";
  EXPECT_EQ(blanks, kMaxInsertedPerStep);
  EXPECT_LE(static_cast<int>(lineText(far).size()), kMaxInsertedPerStep + 1);
  EXPECT_EQ(brokenInvariant(wild), "");
}

TEST(Reconstruction, ManyBlocksOfOneColumnRunJoinIntoOne) {
  COcrPage page;
  constexpr int kBlocks = 2000;
  for (int i = 0; i < kBlocks; ++i) columns(page, 1'000'000 - i * kColumnPitch, 100, {{u"字。", 0}, {u"字", 44}});
  EXPECT_TRUE(ProcessPage(page, allOn(), true, true).merged);
  ASSERT_EQ(page.blocks.size(), 1u);
  EXPECT_EQ(page.blocks.front().lines.size(), 2u * kBlocks);
  EXPECT_EQ(brokenInvariant(page), "");
}

TEST(Reconstruction, ChangedPagesAreNamedByTheirPlaceInTheList) {
  COcrPaper paper;
  for (const int number : {7, 3, 5}) paper.pages.emplace_back().number = number;
  columns(*std::next(paper.pages.begin()), 1300, 100, {{u"一", 0}, {u"二", 44}});
  EXPECT_EQ(ReconstructAllPages(paper, true, allOn()).pagesChanged, std::vector<int>{1});
  columns(paper.pages.back(), 1300, 100, {{u"一", 0}, {u"二", 44}});
  columns(paper.pages.back(), 1200, 100, {{u"三", 0}});
  const Reconstruction r = ReconstructCurrentPage(paper, 2, allOn());
  EXPECT_EQ(r.pagesChanged, std::vector<int>{2});
  EXPECT_EQ(r.pagesMerged, std::vector<int>{2});
  EXPECT_TRUE(ReconstructCurrentPage(paper, 3, allOn()).pagesChanged.empty());
}

}  // namespace
}  // namespace lexova::reconstruct
