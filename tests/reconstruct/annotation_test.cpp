#include "reconstruct/annotation.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "reconstruct/page_pass.h"
#include "support/page_builder.h"

namespace lexova::reconstruct {
namespace {

using lexova::testing::annotationLine;
using lexova::testing::bodyLine;
using lexova::testing::Layout;
using lexova::testing::lineText;

COcrBlock& verticalBlock(COcrPage& p) {
  COcrBlock& b = p.blocks.emplace_back();
  b.direction = kVertical;
  return b;
}

LineList::iterator nth(LineList& lines, int i) {
  return std::next(lines.begin(), i);
}

// ---- standard character size ------------------------------------------------------------

// A line of the given thickness holding `chars` characters.
void lineOfThickness(COcrBlock& b, int thickness, int chars = 25, int attr = kAttrNone) {
  COcrLine& l = b.lines.emplace_back();
  (b.direction == kVertical ? l.width : l.height) = thickness;
  l.charCount = chars;
  l.attr = static_cast<std::int16_t>(attr);
}

TEST(StandardSize, TheMostFrequentThicknessPlusOne) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  for (int i = 0; i < 5; ++i) lineOfThickness(b, 40);
  lineOfThickness(b, 60);
  lineOfThickness(b, 90, 10);  // too short to count
  EXPECT_EQ(StandardCharSize(p), 41);
}

TEST(StandardSize, SmoothingFavoursTheThinnerOfNeighbouringPeaks) {
  COcrPage p;
  COcrBlock& b = p.blocks.emplace_back();  // horizontal: heights count
  for (int i = 0; i < 3; ++i) lineOfThickness(b, 40);
  for (int i = 0; i < 4; ++i) lineOfThickness(b, 43);
  // bin 40: 3 + 0.8 × 4 = 6.2 beats bin 43's 4.
  EXPECT_EQ(StandardCharSize(p), 41);
  COcrPage q;
  COcrBlock& c = q.blocks.emplace_back();
  lineOfThickness(c, 30);
  lineOfThickness(c, 50);
  EXPECT_EQ(StandardCharSize(q), 31);  // a tie: the lowest bin
}

TEST(StandardSize, WithoutLongLinesTheMeanBodyLineAndThenTwentyOne) {
  COcrPage empty;
  EXPECT_EQ(StandardCharSize(empty), 21);
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  lineOfThickness(b, 30, 5);
  lineOfThickness(b, 41, 5);
  lineOfThickness(b, 10, 5, kAttrRuby);  // annotation lines are not body lines
  lineOfThickness(b, 250, 5);            // 200 or more is not measured
  EXPECT_EQ(StandardCharSize(p), 36);    // (30 + 41) / 2 + 1
  COcrPage thick;
  COcrBlock& t = verticalBlock(thick);
  for (int i = 0; i < 3; ++i) lineOfThickness(t, 300);  // counted in bin 199, which bin 196 smooths in
  EXPECT_EQ(StandardCharSize(thick), 197);
  COcrPage negative;
  lineOfThickness(verticalBlock(negative), -5);
  EXPECT_EQ(StandardCharSize(negative), 21);
}

// ---- classes and splitting ---------------------------------------------------------------

TEST(Classify, EmphasisFootnoteAndRuby) {
  for (char16_t c : {u'、', u',', u'●'}) EXPECT_EQ(ClassifyAnnotationChar(makeCode(c)), kAttrEmph);
  for (char16_t c : {u'＊', u'*'}) EXPECT_EQ(ClassifyAnnotationChar(makeCode(c)), kAttrFootnote);
  for (char16_t c : {u'あ', u'。', u'・'}) EXPECT_EQ(ClassifyAnnotationChar(makeCode(c)), kAttrRuby);
}

TEST(Split, TwoRubyRunsSeparatedByAGapBecomeTwoLines) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 145, u"はすいけ", {100, 120, 300, 320});  // gap of 160 between the runs
  bodyLine(b, 100, 100, u"蓮の花の池");
  EXPECT_TRUE(SplitAnnotationLines(b, b.lines.begin(), 41));
  ASSERT_EQ(b.lines.size(), 3u);
  EXPECT_EQ(lineText(*nth(b.lines, 0)), u"はす");
  EXPECT_EQ(lineText(*nth(b.lines, 1)), u"いけ");
  EXPECT_EQ(nth(b.lines, 0)->attr, kAttrRuby);
  EXPECT_EQ(nth(b.lines, 1)->attr, kAttrRuby);
  // Boxes and counts follow the characters.
  EXPECT_EQ(nth(b.lines, 0)->y, 100);
  EXPECT_EQ(nth(b.lines, 0)->height, 40);
  EXPECT_EQ(nth(b.lines, 1)->y, 300);
  EXPECT_EQ(nth(b.lines, 1)->charCount, 2);
  EXPECT_EQ(b.charCount, 9);
}

TEST(Split, RunsWithinTheStandardSizeStayTogether) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 145, u"はすいけ", {100, 120, 181, 201});  // gap 41: not more than the size
  EXPECT_FALSE(SplitAnnotationLines(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.size(), 1u);
}

TEST(Split, ASingleDotBecomesAnEmphasisLine) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 145, u"●", {100});
  EXPECT_TRUE(SplitAnnotationLines(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.front().attr, kAttrEmph);
}

TEST(Split, MarksMixedWithRubyAreSeparated) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 145, u"、、よう＊", {100, 144, 188, 208, 400});
  SplitAnnotationLines(b, b.lines.begin(), 41);
  ASSERT_EQ(b.lines.size(), 4u);
  EXPECT_EQ(lineText(*nth(b.lines, 0)), u"、");
  EXPECT_EQ(nth(b.lines, 0)->attr, kAttrEmph);
  EXPECT_EQ(lineText(*nth(b.lines, 1)), u"、");
  EXPECT_EQ(lineText(*nth(b.lines, 2)), u"よう");
  EXPECT_EQ(nth(b.lines, 2)->attr, kAttrRuby);
  EXPECT_EQ(lineText(*nth(b.lines, 3)), u"＊");
  EXPECT_EQ(nth(b.lines, 3)->attr, kAttrFootnote);
}

TEST(Split, BoxesIgnoreCharactersWithoutPosition) {
  COcrLine l;
  l.x = 7, l.y = 8;
  COcrChar& a = l.chars.emplace_back();
  a.x = 0, a.y = 50, a.width = 10, a.height = 10;
  COcrChar& c = l.chars.emplace_back();
  c.x = 30, c.y = -1, c.width = 10, c.height = 10;
  c.code = makeCode(0xD840, 0xDC0B);
  recomputeLineBox(l);
  EXPECT_EQ(l.x, 30);  // x 0 does not lower the minimum
  EXPECT_EQ(l.y, 50);  // neither does y -1
  EXPECT_EQ(l.width, 10);
  EXPECT_EQ(l.charCount, 2);  // a surrogate pair counts two units
}

// ---- attaching --------------------------------------------------------------------------

TEST(Attach, VerticalRubyFindsTheLineOnItsLeftAndTheCharactersBeside) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 142, u"じごく", {150, 170, 190});  // beside the 2nd and 3rd characters
  bodyLine(b, 100, 100, u"丁地獄の底");
  bodyLine(b, 20, 100, u"別の行");
  ASSERT_TRUE(AttachAnnotationLine(b, b.lines.begin(), 41));
  const COcrLine& r = b.lines.front();
  EXPECT_EQ(r.baseLine, &*nth(b.lines, 1));
  EXPECT_EQ(r.RCS, 2);
  EXPECT_EQ(r.RCE, 3);
}

TEST(Attach, RubyTooFarAwayStaysUnattached) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 181, u"じごく", {150, 170, 190});  // 41 right of the line's right edge (140)
  bodyLine(b, 100, 100, u"丁地獄の底");
  EXPECT_FALSE(AttachAnnotationLine(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.front().baseLine, nullptr);
  EXPECT_TRUE(AttachAnnotationLine(b, b.lines.begin(), 42));
}

TEST(Attach, KanaAtTheEndsOfARubyRangeAreDropped) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  // Ruby spanning お釈迦さま: the kana お and さま are not its base.
  annotationLine(b, 142, u"しゃか", {150, 170, 190});
  bodyLine(b, 100, 100, u"お釈迦さま");
  b.lines.front().y = 100, b.lines.front().height = 220;  // the line box spans all five
  ASSERT_TRUE(AttachAnnotationLine(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.front().RCS, 2);
  EXPECT_EQ(b.lines.front().RCE, 3);
  // Over kana only, the range stays as found.
  COcrPage q;
  COcrBlock& c = verticalBlock(q);
  annotationLine(c, 142, u"ふりがな", {100, 120, 140, 160});
  bodyLine(c, 100, 100, u"かなのみ");
  ASSERT_TRUE(AttachAnnotationLine(c, c.lines.begin(), 41));
  EXPECT_EQ(c.lines.front().RCS, 1);
  EXPECT_EQ(c.lines.front().RCE, 2);
  // Emphasis keeps its kana.
  COcrPage e;
  COcrBlock& d = verticalBlock(e);
  annotationLine(d, 142, u"、", {150}).attr = kAttrEmph;
  bodyLine(d, 100, 100, u"あいう");
  ASSERT_TRUE(AttachAnnotationLine(d, d.lines.begin(), 41));
  EXPECT_EQ(d.lines.front().RCS, 2);
}

TEST(Attach, SpacesAreSkippedAndALineBreakEndsTheRange) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 142, u"じ", {150});
  bodyLine(b, 100, 100, u" 字\r");
  b.lines.back().chars.front().height = 60;  // the space overlaps the ruby too
  ASSERT_TRUE(AttachAnnotationLine(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.front().RCS, 2);
  EXPECT_EQ(b.lines.front().RCE, 2);
}

TEST(Attach, RubyOverTheLastCharacterBeforeALineBreak) {
  // Horizontal: the ruby stands above; a line break ends the range with itself,
  // and mono ruby then leaves the line break out.
  COcrPage p;
  COcrBlock& b = p.blocks.emplace_back();
  annotationLine(b, 75, u"かんじ", {55, 95, 135});  // above 漢 and 字, reaching over the line break
  bodyLine(b, 100, 10, u"の漢字\r");
  ASSERT_TRUE(AttachAnnotationLine(b, b.lines.begin(), 41));
  EXPECT_EQ(b.lines.front().RCS, 2);
  EXPECT_EQ(b.lines.front().RCE, 4);
  EXPECT_TRUE(SplitMonoRuby(b, b.lines.begin()));  // two base characters: the break is not one
  ASSERT_EQ(b.lines.size(), 3u);
  EXPECT_EQ(lineText(b.lines.front()), u"か");
  EXPECT_EQ(b.lines.front().RCS, 2);
  EXPECT_EQ(b.lines.front().RCE, 2);
  EXPECT_EQ(lineText(*nth(b.lines, 1)), u"んじ");
  EXPECT_EQ(nth(b.lines, 1)->RCS, 3);
  // Vertical: a line break after the start makes the range the start alone.
  COcrPage v;
  COcrBlock& vb = verticalBlock(v);
  annotationLine(vb, 142, u"じ", {150, 175});
  bodyLine(vb, 100, 100, u"漢字\r");
  vb.lines.front().height = 60;  // reaching over the line break
  ASSERT_TRUE(AttachAnnotationLine(vb, vb.lines.begin(), 41));
  EXPECT_EQ(vb.lines.front().RCS, 2);
  EXPECT_EQ(vb.lines.front().RCE, 2);
  // Reaching the end of a line without a break ends with its last character.
  COcrPage q;
  COcrBlock& c = q.blocks.emplace_back();
  annotationLine(c, 75, u"じ", {95});
  bodyLine(c, 100, 10, u"の漢字");
  ASSERT_TRUE(AttachAnnotationLine(c, c.lines.begin(), 41));
  EXPECT_EQ(c.lines.front().RCS, 3);
  EXPECT_EQ(c.lines.front().RCE, 3);
}

TEST(Attach, HorizontalNeedsABodyLineBelow) {
  COcrPage p;
  COcrBlock& b = p.blocks.emplace_back();
  annotationLine(b, 75, u"かん", {55, 75});
  annotationLine(b, 85, u"べつ", {55, 75});  // another annotation line nearer below
  bodyLine(b, 100, 10, u"の漢字");
  EXPECT_FALSE(AttachAnnotationLine(b, b.lines.begin(), 41));
  EXPECT_TRUE(AttachAnnotationLine(b, nth(b.lines, 1), 41));
}

TEST(Attach, AnAnnotationLineMovesBeforeItsBaseLine) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  bodyLine(b, 100, 100, u"丁地獄の底");
  annotationLine(b, 142, u"じごく", {150, 170, 190});
  ASSERT_TRUE(AttachAnnotationLine(b, nth(b.lines, 1), 41));
  EXPECT_EQ(b.lines.front().attr, kAttrRuby);
  EXPECT_EQ(b.lines.front().baseLine, &b.lines.back());
  // A block copy (as undo takes) keeps the annotation.
  const COcrBlock copy = b;
  EXPECT_EQ(copy.lines.front().baseLine, &copy.lines.back());
}

// ---- mono ruby ---------------------------------------------------------------------------

// Ruby line attached over base characters 1..3 of 漢字字.
COcrBlock& monoBlock(COcrPage& p, std::u16string_view ruby, const std::vector<int>& starts) {
  COcrBlock& b = verticalBlock(p);
  COcrLine& r = annotationLine(b, 142, ruby, starts);
  COcrLine& base = bodyLine(b, 100, 100, u"蜘蛛糸");
  r.baseLine = &base;
  r.RCS = 1, r.RCE = 3;
  return b;
}

TEST(MonoRuby, ThreeSeparatedRubyCharactersOverThreeBaseCharacters) {
  COcrPage p;
  COcrBlock& b = monoBlock(p, u"くもい", {110, 154, 198});
  EXPECT_TRUE(SplitMonoRuby(b, b.lines.begin()));
  ASSERT_EQ(b.lines.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    const COcrLine& l = *nth(b.lines, i);
    EXPECT_EQ(l.attr, kAttrRuby);
    EXPECT_EQ(l.chars.size(), 1u);
    EXPECT_EQ(l.RCS, i + 1);
    EXPECT_EQ(l.RCE, i + 1);
    EXPECT_EQ(l.baseLine, &b.lines.back());
  }
  EXPECT_EQ(lineText(*nth(b.lines, 0)), u"く");
  EXPECT_EQ(lineText(*nth(b.lines, 2)), u"い");
  // The split line spans from the former start to its character's far end.
  EXPECT_EQ(nth(b.lines, 0)->y, 110);
  EXPECT_EQ(nth(b.lines, 0)->height, 20);
  EXPECT_EQ(nth(b.lines, 2)->y, 198);
}

TEST(MonoRuby, TwoRubyCharactersOverThreeStayTogether) {
  COcrPage p;
  COcrBlock& b = monoBlock(p, u"くも", {110, 154});
  EXPECT_FALSE(SplitMonoRuby(b, b.lines.begin()));
  EXPECT_EQ(b.lines.size(), 2u);
}

TEST(MonoRuby, ABaseCharacterWithoutRubyMovesTheRangeOn) {
  // Nothing stands beside 蜘: R keeps all its characters and starts at 蛛.
  COcrPage p;
  COcrBlock& b = monoBlock(p, u"もいと", {150, 198, 220});
  SplitMonoRuby(b, b.lines.begin());
  ASSERT_EQ(b.lines.size(), 3u);
  EXPECT_EQ(lineText(*nth(b.lines, 0)), u"も");
  EXPECT_EQ(nth(b.lines, 0)->RCS, 2);
  EXPECT_EQ(lineText(*nth(b.lines, 1)), u"いと");
  EXPECT_EQ(nth(b.lines, 1)->RCS, 3);
  EXPECT_EQ(nth(b.lines, 1)->RCE, 3);
}

TEST(MonoRuby, NothingWithoutABaseOrWithOneCharacter) {
  COcrPage p;
  COcrBlock& b = monoBlock(p, u"くもい", {110, 154, 198});
  b.lines.front().baseLine = nullptr;
  EXPECT_FALSE(SplitMonoRuby(b, b.lines.begin()));
  b.lines.front().baseLine = &b.lines.back();
  b.lines.front().RCE = 1;
  EXPECT_FALSE(SplitMonoRuby(b, b.lines.begin()));
  // Ranges as a file may hold them, far outside the base line.
  for (auto [rcs, rce] : {std::pair{1, INT_MIN}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}, {0, 3}}) {
    b.lines.front().RCS = rcs;
    b.lines.front().RCE = rce;
    EXPECT_FALSE(SplitMonoRuby(b, b.lines.begin())) << rcs << ".." << rce;
    EXPECT_EQ(b.lines.size(), 2u);
  }
}

// ---- small kana ---------------------------------------------------------------------------

TEST(SmallKana, OnlyAnnotationLinesAreConverted) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  annotationLine(b, 142, u"しゃっょェ", {100, 120, 140, 160, 180});
  bodyLine(b, 100, 100, u"ちょっと");
  EXPECT_TRUE(NormaliseSmallKana(p));
  EXPECT_EQ(lineText(b.lines.front()), u"しやつよエ");
  EXPECT_EQ(lineText(b.lines.back()), u"ちょっと");
  EXPECT_FALSE(NormaliseSmallKana(p));
}

// ---- the pass -----------------------------------------------------------------------------

// The pass that follows reading, on one page.
bool AnnotatePageAfterReading(COcrPage& page, bool monoRuby, bool smallKanaToNormal) {
  settings::ReconstructionOptions o;
  o.monoRuby = monoRuby;
  o.smallKanaToNormal = smallKanaToNormal;
  return ProcessPage(page, o, false, true).changed;
}

TEST(PagePass, SplitsAttachesAndMakesMonoRubyWithFullSizeKana) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  // One delivered annotation line beside the whole body line: two ruby runs.
  annotationLine(b, 142, u"くもいとゃ", {110, 154, 330, 374, 1000});
  bodyLine(b, 100, 100, u"蜘蛛の先の糸屑");
  ASSERT_TRUE(AnnotatePageAfterReading(p, true, true));
  const COcrLine& base = b.lines.back();
  const std::pair<std::u16string, int> expected[] = {{u"く", 1}, {u"も", 2}, {u"い", 6}, {u"と", 7}};
  // The lone small ゃ far below became a full-size ruby line of its own, attached to nothing.
  EXPECT_EQ(b.lines.size(), 6u);
  EXPECT_EQ(lineText(*nth(b.lines, 4)), u"や");
  EXPECT_EQ(nth(b.lines, 4)->baseLine, nullptr);
  for (int i = 0; i < 4; ++i) {
    const COcrLine& l = *nth(b.lines, i);
    EXPECT_EQ(lineText(l), expected[i].first) << i;
    EXPECT_EQ(l.baseLine, &base) << i;
    EXPECT_EQ(l.RCS, expected[i].second) << i;
    EXPECT_EQ(l.RCE, expected[i].second) << i;
  }
  // Without mono ruby the runs stay whole.
  COcrPage q;
  COcrBlock& c = verticalBlock(q);
  annotationLine(c, 142, u"くもいと", {110, 154, 330, 374});
  bodyLine(c, 100, 100, u"蜘蛛の先の糸屑");
  AnnotatePageAfterReading(q, false, true);
  EXPECT_EQ(c.lines.size(), 3u);
  EXPECT_EQ(c.lines.front().RCE, 2);
}

TEST(PagePass, APageWithoutAnnotationsDoesNotChange) {
  COcrPage p;
  bodyLine(verticalBlock(p), 100, 100, u"ちょっと");
  EXPECT_FALSE(AnnotatePageAfterReading(p, true, true));
}

TEST(PagePass, AFileRangeOutsideItsBaseLineIsBroughtInside) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  COcrLine& r = annotationLine(b, 900, u"ふ", {2000});  // nowhere near: attaching fails
  COcrLine& base = bodyLine(b, 100, 100, u"字字");
  r.baseLine = &base;
  r.RCS = 5, r.RCE = 9;
  AnnotatePageAfterReading(p, false, false);
  EXPECT_EQ(r.baseLine, &base);
  EXPECT_EQ(r.RCS, 2);
  EXPECT_EQ(r.RCE, 2);
}

TEST(PagePass, AFileLinkToAnotherAnnotationLineIsDropped) {
  COcrPage p;
  COcrBlock& b = verticalBlock(p);
  COcrLine& r = annotationLine(b, 900, u"ふ", {2000});  // nowhere near: attaching fails
  COcrLine& other = annotationLine(b, 950, u"り", {2000});
  bodyLine(b, 100, 100, u"字字");
  r.baseLine = &other;
  r.RCS = r.RCE = 1;
  AnnotatePageAfterReading(p, false, false);
  EXPECT_EQ(r.baseLine, nullptr);
  EXPECT_EQ(r.RCS, 0);
}

}  // namespace
}  // namespace lexova::reconstruct
