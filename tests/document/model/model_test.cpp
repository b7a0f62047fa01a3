#include "document/model/model.h"

#include <gtest/gtest.h>

namespace lexova {
namespace {

COcrPage& pageWithDpi(COcrPaper& p, int dpi) {
  COcrPage& pg = p.pages.emplace_back();
  pg.dpi = dpi;
  return pg;
}

TEST(Paper, StandardDpiIsTheMostCommonFirstMetWinningTies) {
  auto dpiOf = [](std::initializer_list<int> values) {
    COcrPaper p;
    for (int v : values) pageWithDpi(p, v);
    computeStandardDpi(p);
    return p.standardDpi;
  };
  EXPECT_EQ(dpiOf({}), 400);
  EXPECT_EQ(dpiOf({-1, -1}), 400);
  EXPECT_EQ(dpiOf({300, 400, 300}), 300);
  EXPECT_EQ(dpiOf({300, 400}), 300);
  EXPECT_EQ(dpiOf({400, 300}), 400);
  EXPECT_EQ(dpiOf({600, 300, 300, 600, 200}), 600);
  EXPECT_EQ(dpiOf({-1, -1, 300}), 400);
}

TEST(Paper, MaxPageSize) {
  COcrPaper p;
  computeMaxPageSize(p);
  EXPECT_EQ(p.maxPageWidth, 0);
  COcrPage& a = p.pages.emplace_back();
  a.width = 100, a.height = 900;
  COcrPage& b = p.pages.emplace_back();
  b.width = 700, b.height = 50;
  computeMaxPageSize(p);
  EXPECT_EQ(p.maxPageWidth, 700);
  EXPECT_EQ(p.maxPageHeight, 900);  // Pages that state no size (-1) count as 0, never as -1.
  COcrPaper unsized;
  unsized.pages.emplace_back();
  unsized.pages.emplace_back();
  computeMaxPageSize(unsized);
  EXPECT_EQ(unsized.maxPageWidth, 0);
  EXPECT_EQ(unsized.maxPageHeight, 0);
}

TEST(Candidates, CopiesAreDeepAndCountsMatchTheArrays) {
  COcrChar c;
  EXPECT_EQ(c.num_cand(), 0);
  c.allocateCandidates(3);
  EXPECT_EQ(c.num_cand(), 3);
  EXPECT_EQ(c.candCC(2), 10);
  c.setCand(1, makeCode(0xD840, 0xDC0B), 4);
  COcrChar copy = c;
  c.setCand(1, makeCode(u'x'), 9);
  EXPECT_EQ(copy.candCode(1), makeCode(0xD840, 0xDC0B));
  EXPECT_EQ(copy.candCC(1), 4);
  EXPECT_EQ(codeLength(copy.candCode(1)), 2);
  c.allocateCandidates(0);
  EXPECT_EQ(c.num_cand(), 0);
  copy = c;
  EXPECT_EQ(copy.num_cand(), 0);
}

// A block: ruby (annotating base), base, stray (annotating a line before it).
COcrBlock blockWithAnnotations() {
  COcrBlock b;
  COcrLine& ruby = b.lines.emplace_back();
  COcrLine& base = b.lines.emplace_back();
  COcrLine& stray = b.lines.emplace_back();
  ruby.attr = kAttrRuby, ruby.baseLine = &base, ruby.RCS = 2, ruby.RCE = 3;
  stray.attr = kAttrEmph, stray.baseLine = &base, stray.RCS = 1, stray.RCE = 1;
  base.chars.emplace_back().code = makeCode(u'字');
  return b;
}

TEST(Copies, BlockCopyLinksAnnotationsToTheCopiedLines) {
  const COcrBlock original = blockWithAnnotations();
  const COcrBlock copy = original;
  ASSERT_EQ(copy.lines.size(), 3u);
  auto it = copy.lines.begin();
  const COcrLine& ruby = *it++;
  const COcrLine& base = *it++;
  const COcrLine& stray = *it;
  EXPECT_EQ(ruby.baseLine, &base);
  EXPECT_EQ(ruby.attr, kAttrRuby);
  EXPECT_EQ(ruby.RCS, 2);
  // A line whose base line precedes it loses its annotation.
  EXPECT_EQ(stray.baseLine, nullptr);
  EXPECT_EQ(stray.attr, kAttrNone);
  EXPECT_EQ(stray.RCS, 0);
  EXPECT_EQ(base.chars.front().code, makeCode(u'字'));
}

TEST(Copies, CellCopiesRelinkAndPagesCopyWhole) {
  COcrPage page;
  COcrBlock& t = page.blocks.emplace_back();
  t.type = kBlockTable;
  COcrCell& cell = t.cells.emplace_back();
  COcrLine& r = cell.lines.emplace_back();
  COcrLine& b = cell.lines.emplace_back();
  r.attr = kAttrRuby, r.baseLine = &b;
  const COcrPage copy = page;
  const LineList& ls = copy.blocks.front().cells.front().lines;
  EXPECT_EQ(ls.front().baseLine, &ls.back());
  releaseBlocks(page);
  EXPECT_TRUE(page.blocks.empty());
  EXPECT_EQ(ls.front().baseLine, &ls.back());  // the copy is independent
}

TEST(Copies, AssignmentReplacesAndRelinks) {
  COcrBlock target = blockWithAnnotations();
  target = blockWithAnnotations();
  EXPECT_EQ(target.lines.front().baseLine, &*std::next(target.lines.begin()));
}

TEST(Sections, FixedValuesAndTheCustomRegistry) {
  COcrPaper p;
  EXPECT_EQ(sectionCode(p, u""), kSecText);
  EXPECT_EQ(sectionCode(p, u"text"), kSecText);
  EXPECT_EQ(sectionCode(p, u"exauther"), kSecExAuther);
  EXPECT_EQ(sectionCode(p, u"terminater"), kSecTerminater);
  EXPECT_EQ(sectionCode(p, u"caption"), 1000);
  EXPECT_EQ(sectionCode(p, u"caption"), 1000);
  EXPECT_EQ(sectionCode(p, u"Caption"), 1001);
  EXPECT_EQ(sectionValue(p, 1001), u"Caption");
  EXPECT_EQ(sectionValue(p, kSecVol), u"vol");
  EXPECT_EQ(sectionValue(p, 1002), u"text");
  EXPECT_EQ(sectionValue(p, 500), u"text");
}

TEST(Sections, AppendingMapsCustomCodesIntoTheReceivingPaper) {
  COcrPaper first;
  first.pages.emplace_back().blocks.emplace_back().sec = sectionCode(first, u"caption");
  COcrPaper second;
  COcrPage& pg = second.pages.emplace_back();
  pg.blocks.emplace_back().sec = sectionCode(second, u"margin");   // 1000 in second
  pg.blocks.emplace_back().sec = sectionCode(second, u"caption");  // 1001 in second
  pg.blocks.emplace_back().sec = kSecTitle;
  appendPages(first, second);
  EXPECT_TRUE(second.pages.empty());
  ASSERT_EQ(first.pages.size(), 2u);
  const auto& blocks = first.pages.back().blocks;
  auto it = blocks.begin();
  EXPECT_EQ(sectionValue(first, it++->sec), u"margin");
  EXPECT_EQ(sectionValue(first, it++->sec), u"caption");
  EXPECT_EQ(it->sec, kSecTitle);
  EXPECT_EQ(first.pages.front().blocks.front().sec, 1000);  // unchanged
  EXPECT_EQ(first.customSections.size(), 2u);
}

TEST(Pages, RenumberingFollowsListOrder) {
  COcrPaper p;
  for (int n : {7, 3, 9}) p.pages.emplace_back().number = n;
  renumberPages(p);
  int expected = 1;
  for (const COcrPage& pg : p.pages) EXPECT_EQ(pg.number, expected++);
}

}  // namespace
}  // namespace lexova
