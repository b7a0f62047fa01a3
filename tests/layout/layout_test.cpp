// The text view's geometry as a corrector sees it: where lines, ruby and
// characters land, what they are drawn as and in which colour, and that files
// with odd values (ruby without a base, zero-size boxes, giant pages) lay out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "layout/metrics.h"
#include "layout/page_layout.h"
#include "support/page_builder.h"

namespace lexova::layout {
namespace {

using lexova::testing::annotationLine;
using lexova::testing::bodyLine;

COcrLine lineOf(int n, int length, int thickness, bool breakAtEnd = false) {
  COcrLine l;
  l.width = length;
  l.height = thickness;
  for (int i = 0; i < n; ++i) l.chars.emplace_back().code = makeCode(breakAtEnd && i == n - 1 ? u'\r' : u'字');
  return l;
}

TEST(Metrics, PitchesFollowTheLineAndTheBlock) {
  EXPECT_DOUBLE_EQ(characterPitch(lineOf(5, 100, 20), false), 20.8);
  EXPECT_DOUBLE_EQ(characterPitch(lineOf(2, 100, 20), false), 52.0);
  EXPECT_DOUBLE_EQ(characterPitch(lineOf(5, 100, 20, true), false), 26.0);  // the break is not a step
  EXPECT_DOUBLE_EQ(characterPitch(lineOf(0, 100, 20), false), 0.0);
  // A pair (one character of two units) is one step, not two.
  COcrLine pair = lineOf(3, 90, 10);
  pair.chars.front().code = CharCode{0xD840, 0xDC0B, 0};
  pair.charCount = 4;
  EXPECT_DOUBLE_EQ(characterPitch(pair, false), 92.0 / 3);

  COcrBlock b;
  b.lines.push_back(lineOf(3, 200, 30));
  EXPECT_EQ(linePitch(b.lines, 30, false), 18);  // one ordinary line: (int)(30 × 1.2 × 0.5)
  b.lines.push_back(lineOf(3, 200, 30));
  EXPECT_EQ(linePitch(b.lines, 100, false), (100 + (100 - 60) / 2) / 2);
  // A block thinner than its lines keeps the described (negative) value.
  EXPECT_EQ(linePitch(b.lines, 10, false), (10 + (10 - 60) / 2) / 2);
}

TEST(Metrics, FontsNumbersKindsAndColours) {
  EXPECT_EQ(blockNumberFontHeight(0.1), 10);
  EXPECT_EQ(blockNumberFontHeight(0.4), 15);
  EXPECT_EQ(blockNumberFontHeight(0.6), 24);
  COcrBlock v;
  v.direction = kVertical;
  COcrLine l = lineOf(3, 40, 50);
  EXPECT_EQ(lineFontSize(v, l, 0.5, false).height, 18);  // (int)(line width 40 × 0.9 × 0.5)
  EXPECT_EQ(lineFontSize(v, l, 0.5, true).height, 14);   // 0.8 h beside the line images
  EXPECT_EQ(lineFontSize(v, l, 0.01, false).height, 2);
  COcrBlock h;
  h.lineSize = 60;
  EXPECT_EQ(lineFontSize(h, l, 0.5, false).height, 28);  // 0.5 × 60 × 0.95
  h.langId = 0;
  EXPECT_EQ(lineFontSize(h, l, 0.5, false).height, 24);

  settings::SettingsValues s;
  EXPECT_EQ(charKind(makeCode(u'ガ')), 9);
  EXPECT_EQ(charColour({kKindColours, false, false, false, charKind(makeCode(u'ガ'))}, s), rgb(0, 127, 0));
  EXPECT_EQ(charKind(makeCode(u'ゔ')), 0);  // outside the lists: a kanji's colour
  // Indexes 16..31 are the user colours.
  s.kindColourIndex[0] = 20;
  s.userColours[4] = rgb(1, 2, 3);
  EXPECT_EQ(charColour({kKindColours, false, false, false, 0}, s), rgb(1, 2, 3));
  EXPECT_EQ(charColour({kEditLineColours, true, false, false, 0}, s), rgb(255, 127, 127));
  EXPECT_EQ(charColour({kEditLineColours, false, false, false, 0}, s), rgb(192, 192, 192));
}

TEST(Metrics, VerticalPlacementMatchesTheHalfWidthForms) {
  EXPECT_EQ(verticalPlacement(makeCode(u'｢')).rotation, -90);
  EXPECT_EQ(verticalPlacement(makeCode(u'｡')).dx, 1);
  EXPECT_EQ(verticalPlacement(makeCode(0xA2)).rotation, 0);  // ¢ is not a bracket
  EXPECT_EQ(verticalPlacement(makeCode(u'、')).dx, -0.5);
  EXPECT_EQ(verticalPlacement(makeCode(u'ー')).rotation, 90);
  EXPECT_EQ(verticalPlacement(makeCode(u'「')).rotation, -90);
  EXPECT_EQ(verticalPlacement(makeCode(u'～')).rotation, -90);
  EXPECT_EQ(verticalPlacement(makeCode(u'字')).rotation, 0);
}

// A vertical page: block at x 100..300, a body line of five characters 44 apart
// with a ruby over characters 2..3, and a second body line.
struct VerticalPage {
  VerticalPage() {
    page.width = 1000;
    page.height = 1000;
    COcrBlock& b = page.blocks.emplace_back();
    b.direction = kVertical;
    b.x = 100, b.y = 0, b.width = 200, b.height = 600;
    ruby = &annotationLine(b, 262, u"らし", {54, 88});
    base = &bodyLine(b, 220, 10, u"羅生門下人");
    ruby->baseLine = base;
    ruby->RCS = 2, ruby->RCE = 3;
    bodyLine(b, 150, 10, u"雨");
  }
  COcrPage page;
  COcrLine* ruby;
  COcrLine* base;
};

const LineGeometry& geometryOf(const PageGeometry& g, const COcrLine* l) {
  return *std::find_if(g.lines.begin(), g.lines.end(), [l](const LineGeometry& x) { return x.line == l; });
}

TEST(PageLayout, RubyStandsBesideItsBaseCharactersWithTheirMark) {
  VerticalPage v;
  LayoutSettings s;
  s.scale = 1.0;
  const PageGeometry g = layoutPage(v.page, s);
  EXPECT_EQ(g.width, 1000);
  const LineGeometry& base = geometryOf(g, v.base);
  EXPECT_EQ(base.originX, 300);  // the first column's right edge
  const LineGeometry& ruby = geometryOf(g, v.ruby);
  ASSERT_TRUE(ruby.hasBase);
  EXPECT_EQ(ruby.originX, 300 + 20 + 2);
  EXPECT_EQ(ruby.originY, static_cast<long long>(10 + base.pitch));
  EXPECT_EQ(ruby.baseMark.x, 300 - 40);
  EXPECT_EQ(ruby.baseMark.y, static_cast<long long>(10 + base.pitch));
  EXPECT_EQ(ruby.baseMark.height,
            static_cast<long long>(10 + 3 * base.pitch) - static_cast<long long>(10 + base.pitch));
  // The second column one line pitch to the left.
  const int pitch = linePitch(v.page.blocks.front().lines, 200, true);
  EXPECT_EQ(g.lines.back().originX, 300 - pitch);
}

TEST(PageLayout, ATypedCharacterRepaintsItsLineAndItsRubyOnly) {
  VerticalPage v;
  LayoutSettings s;
  s.scale = 1.0;
  const PageGeometry before = layoutPage(v.page, s);
  EXPECT_EQ(changedArea(before, before), Rect{});
  // A character typed at the start of the base line, its ruby moved with its
  // characters: the column and the ruby beside it change, the other column not.
  COcrChar typed;
  typed.code = makeCode(u'大');
  typed.x = typed.y = -1;
  typed.width = typed.height = 40;
  v.base->chars.push_front(typed);
  ++v.base->charCount;
  ++v.page.blocks.front().charCount;
  ++v.ruby->RCS, ++v.ruby->RCE;
  const PageGeometry after = layoutPage(v.page, s);
  const Rect area = changedArea(before, after);
  const auto indexOf = [](const PageGeometry& g, const COcrLine* l) {
    return static_cast<std::size_t>(&geometryOf(g, l) - g.lines.data());
  };
  const Rect column = unite(lineBounds(before, indexOf(before, v.base)), lineBounds(after, indexOf(after, v.base)));
  const Rect ruby = unite(lineBounds(before, indexOf(before, v.ruby)), lineBounds(after, indexOf(after, v.ruby)));
  const LineGeometry& rain = geometryOf(after, &v.page.blocks.front().lines.back());
  const Rect other = charCell(after, rain, rain.chars.front());
  EXPECT_TRUE(intersects(area, column));
  EXPECT_TRUE(intersects(area, ruby));
  EXPECT_FALSE(intersects(area, other));
  // Nothing past the column and its ruby.
  const Rect both = unite(column, ruby);
  EXPECT_GE(area.x, both.x);
  EXPECT_LE(area.x + area.width, both.x + both.width);
}

TEST(PageLayout, RubyWithoutAUsableBaseStaysAtItsBoxWithoutAMark) {
  for (const auto& [rcs, rce, linked] :
       std::vector<std::tuple<int, int, bool>>{{0, 1000000, true}, {-5, -1, true}, {7, 9, true}, {2, 3, false}}) {
    VerticalPage v;
    v.ruby->RCS = rcs, v.ruby->RCE = rce;
    if (!linked) v.ruby->baseLine = nullptr;
    LayoutSettings s;
    s.scale = 1.0;
    const PageGeometry g = layoutPage(v.page, s);
    const LineGeometry& ruby = geometryOf(g, v.ruby);
    if (rcs == 0) {
      // A range past both ends is clamped to the base line: all five characters.
      ASSERT_TRUE(ruby.hasBase);
      EXPECT_EQ(ruby.originY, 10);
      EXPECT_EQ(ruby.baseMark.height, static_cast<long long>(10 + 5 * geometryOf(g, v.base).pitch) - 10);
    } else {
      EXPECT_FALSE(ruby.hasBase) << rcs << ".." << rce;
      EXPECT_EQ(ruby.originY, v.ruby->y);
    }
  }
}

TEST(PageLayout, RejectsRegisteredWordsAndSpecialCharacters) {
  VerticalPage v;
  auto ch = v.base->chars.begin();
  ch->CC = 1;  // 羅: a reject under level 2
  std::next(ch, 4)->code = makeCode(u' ');
  LayoutSettings s;
  const PageGeometry g = layoutPage(v.page, s);
  const LineGeometry& base = geometryOf(g, v.base);
  EXPECT_EQ(base.chars[0].shown, u"〓");
  EXPECT_EQ(base.chars[0].colour, rgb(255, 0, 0));
  EXPECT_EQ(base.chars[4].shown, u"▯");
  EXPECT_EQ(base.chars[4].colour, rgb(192, 192, 192));

  s.colourMode = kRegisteredColours;
  s.registeredWords = {u"", u"生門"};  // the empty word matches nothing
  const PageGeometry r = layoutPage(v.page, s);
  const LineGeometry& marked = geometryOf(r, v.base);
  EXPECT_EQ(marked.chars[0].shown, u"羅");  // no reject mark in colour mode 3
  EXPECT_FALSE(marked.chars[0].registered);
  EXPECT_TRUE(marked.chars[1].registered);
  EXPECT_TRUE(marked.chars[2].registered);
  EXPECT_EQ(marked.chars[2].colour, rgb(255, 0, 0));
  EXPECT_FALSE(marked.chars[3].registered);
}

TEST(PageLayout, DrawListOfASmallHorizontalPage) {
  COcrPage page;
  page.width = 400, page.height = 300;
  COcrBlock& b = page.blocks.emplace_back();
  b.x = 10, b.y = 20, b.width = 300, b.height = 100;
  bodyLine(b, 20, 10, u"ab");
  LayoutSettings s;
  s.scale = 0.5;
  s.fonts.western.name = u"Latin";
  b.langId = 9;
  const PageGeometry g = layoutPage(page, s);
  ASSERT_EQ(g.width, 200);
  std::vector<std::u16string> texts;
  for (const DrawOp& op : g.ops) {
    if (op.kind == DrawOp::Text) {
      texts.push_back(op.text);
      EXPECT_EQ(op.face, u"Latin");
      EXPECT_EQ(op.rotation, 0);
      EXPECT_EQ(op.rect.y, 10);  // the block's top × 0.5
    }
  }
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"a", u"b"}));
  // Then the block's frame, green in character editing.
  EXPECT_EQ(g.ops.back().kind, DrawOp::Frame);
  EXPECT_EQ(g.ops.back().colour, rgb(0, 255, 0));
  EXPECT_EQ(g.ops.back().rect, (Rect{5, 10, 150, 50}));
}

TEST(PageLayout, VerticalTextTurnsWideCharactersAndKeepsNarrowOnesUpright) {
  VerticalPage v;
  v.base->chars.back().code = makeCode(u'A');
  LayoutSettings s;
  s.scale = 1.0;
  s.fonts.japanese.name = u"横";
  s.fonts.japaneseVertical.name = u"@縦";
  const PageGeometry g = layoutPage(v.page, s);
  std::vector<const DrawOp*> texts;
  for (const DrawOp& op : g.ops) {
    if (op.kind == DrawOp::Text) texts.push_back(&op);
  }
  ASSERT_GE(texts.size(), 7u);
  const DrawOp& first = *texts[2];  // after the two ruby characters
  EXPECT_EQ(first.text, u"羅");
  EXPECT_EQ(first.face, u"@縦");
  EXPECT_EQ(first.rotation, -90);
  EXPECT_EQ(first.rect.x, 300);
  const DrawOp& latin = *texts[6];
  EXPECT_EQ(latin.text, u"A");
  EXPECT_EQ(latin.face, u"横");
  EXPECT_EQ(latin.rotation, 0);
  EXPECT_EQ(latin.rect.x, 300 - latin.fontHeight);
}

TEST(PageLayout, OddFilesStillLayOut) {
  // A page claiming 100,000 pixels square: the canvas is limited and says so.
  VerticalPage v;
  v.page.width = v.page.height = 100000;
  LayoutSettings s;
  s.scale = 1.0;
  PageGeometry g = layoutPage(v.page, s);
  EXPECT_TRUE(g.limited);
  EXPECT_LE(g.width * g.height, kMaxCanvasPixels);
  // Coordinates at the ends of the int range: positions are computed in 64 bits.
  VerticalPage edge;
  COcrBlock& far = edge.page.blocks.front();
  far.x = INT32_MAX;
  far.width = 300;
  edge.ruby->RCS = INT32_MIN;
  edge.ruby->RCE = INT32_MAX;
  const PageGeometry e = layoutPage(edge.page, s);
  EXPECT_EQ(geometryOf(e, edge.base).originX, static_cast<long long>(INT32_MAX) + 300);
  EXPECT_GE(hitTest(e, 0, 0).line, 0);
  // Zero-size boxes and Fast 0: a space and a boxless character are drawn with the font.
  for (COcrChar& c : v.base->chars) c.width = 0;
  v.base->chars.front().width = 40;
  v.base->chars.front().height = 40;
  v.base->chars.back().code = makeCode(u' ');
  v.base->chars.back().width = 40;
  v.base->chars.back().height = 40;
  v.page.width = v.page.height = 1000;
  s.fast = false;
  g = layoutPage(v.page, s);
  std::u16string stretched;
  for (const DrawOp& op : g.ops) {
    if (op.kind == DrawOp::Text && op.stretch) stretched += op.text;
  }
  EXPECT_EQ(stretched, u"らし羅雨");  // not the boxless 生門下, not the space
}

TEST(PageLayout, HitTestingFindsTheNearestCharacterEvenWithoutAPitch) {
  VerticalPage v;
  LayoutSettings s;
  s.scale = 1.0;
  const PageGeometry g = layoutPage(v.page, s);
  const LineGeometry& base = geometryOf(g, v.base);
  const long long step = static_cast<long long>(base.pitch);
  // Inside the third character of the base column.
  Hit hit = hitTest(g, 300 - 5, 10 + 2 * step + step / 2);
  ASSERT_GE(hit.line, 0);
  EXPECT_EQ(g.lines[static_cast<std::size_t>(hit.line)].line, v.base);
  EXPECT_EQ(hit.character, 2);
  // Far below the column: its last character.
  hit = hitTest(g, 300 - 5, 100000);
  EXPECT_EQ(g.lines[static_cast<std::size_t>(hit.line)].line, v.base);
  EXPECT_EQ(hit.character, 4);

  // Zero-size boxes from a file: every pitch is 0, and a click still lands.
  for (COcrBlock& b : v.page.blocks) {
    b.width = 0;
    for (COcrLine& l : b.lines) l.width = l.height = 0;
  }
  const PageGeometry flat = layoutPage(v.page, s);
  hit = hitTest(flat, 50, 50);
  EXPECT_GE(hit.line, 0);
  EXPECT_GE(hit.character, 0);
  EXPECT_EQ(hitTest(PageGeometry{}, 1, 1).line, -1);
}

TEST(PageLayout, TextDisplayGridCountsCharactersNotUnits) {
  VerticalPage v;
  v.base->chars.front().code = CharCode{0xD840, 0xDC0B, 0};
  v.base->charCount = 6;
  LayoutSettings s;
  s.display = kHorizontalText;
  s.screenDpi = 96;
  const TextGrid t = textGrid(96);
  EXPECT_EQ(t.F, 21);
  EXPECT_EQ(t.R, 31);
  EXPECT_EQ(t.G, 46);
  const PageGeometry g = layoutPage(v.page, s);
  // Three lines (the ruby too); the longest has five characters.
  EXPECT_EQ(g.width, 5 * t.A + 20);
  EXPECT_EQ(g.height, 3 * (t.R + t.G) + 20);
  s.display = kVerticalText;
  const PageGeometry vg = layoutPage(v.page, s);
  EXPECT_EQ(vg.width, 3 * (t.R + t.G) + 20);
  EXPECT_EQ(vg.lines.front().originX, vg.width - 10);
}

}  // namespace
}  // namespace lexova::layout
