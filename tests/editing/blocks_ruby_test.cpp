// Block edits and ruby correction as a corrector does them, in short scripts: the
// order of frames and blocks, what a band merges, what delete and undo give back,
// and what the ruby dialog shows and leaves in the page. The model's invariants
// are checked after every operation.
#include <gtest/gtest.h>

#include <cstdio>

#include "editing/blocks.h"
#include "support/edit_script.h"
#include "support/workfile.h"

namespace lexova::editing {
namespace {

using lexova::testing::ScriptedEdit;

std::u16string num(long long v) {
  return text::fromUtf8(std::to_string(v));
}

// A block of one line of text at (x, y), w × h, characters laid along it.
std::u16string blockOf(std::u16string_view text, int x, int y, int w, int h, std::u16string_view sec = u"",
                       bool vertical = true) {
  std::u16string t = u"    <block type=\"text\" direction=\"" + std::u16string(vertical ? u"vertical" : u"horizontal") +
                     u"\" x=\"" + num(x) + u"\" y=\"" + num(y) + u"\" width=\"" + num(w) + u"\" height=\"" + num(h) +
                     u"\" sec=\"" + std::u16string(sec) + u"\">\n";
  if (!text.empty()) {
    t += u"      <line x=\"" + num(x) + u"\" y=\"" + num(y) + u"\" width=\"" + num(vertical ? 40 : w) +
         u"\" height=\"" + num(vertical ? h : 40) + u"\" attr=\"\">\n";
    int k = 0;
    for (const char16_t c : text) {
      t += u"        <char x=\"" + num(vertical ? x : x + k * 44) + u"\" y=\"" + num(vertical ? y + k * 44 : y) +
           u"\" width=\"40\" height=\"40\" num_cand=\"0\"><result CC=\"9\">" + std::u16string(1, c) +
           u"</result></char>\n";
      ++k;
    }
    t += u"      </line>\n";
  }
  return t + u"    </block>\n";
}

std::string pageOf(std::u16string_view blocks) {
  return lexova::testing::workFile(u"  <page number=\"1\" file=\"p1.tif\">\n" + std::u16string(blocks) +
                                   u"  </page>\n");
}

// The first character of every block, in order.
std::u16string order(ScriptedEdit& e) {
  std::u16string t;
  for (const COcrBlock& b : e.page().blocks) t += b.lines.empty() ? u'-' : b.lines.front().chars.front().code[0];
  return t;
}

// The first character of every frame's block, by the frames' boxes.
std::u16string frameOrder(ScriptedEdit& e) {
  std::u16string t;
  for (const BlockFrame& f : e.doc().pageEntries[0].frames) {
    for (const COcrBlock& b : e.page().blocks) {
      if (b.x == f.x && b.y == f.y && !b.lines.empty()) t += b.lines.front().chars.front().code[0];
    }
  }
  return t;
}

ScriptedEdit fiveBlocks() {
  std::u16string blocks;
  for (int i = 0; i < 5; ++i)
    blocks += blockOf(std::u16string(1, static_cast<char16_t>(u'1' + i)), 1000 - i * 100, 100, 40, 44);
  return ScriptedEdit(pageOf(blocks));
}

TEST(Blocks, MovingABlockMovesItsFrameAndIsOneUndoStep) {
  ScriptedEdit e = fiveBlocks();
  e.run("frame select 1\nblocks move 4");
  EXPECT_EQ(order(e), u"13425");
  EXPECT_EQ(frameOrder(e), u"13425");
  EXPECT_EQ(e.session().edit.currentFrame, 3);
  EXPECT_TRUE(e.doc().documentModified);
  EXPECT_EQ(e.doc().editedPages(), std::vector<int>{0});
  e.run("undo");
  EXPECT_EQ(order(e), u"12345");
  e.run("frame select 3\nblocks move 2");
  EXPECT_EQ(order(e), u"14235");
  EXPECT_EQ(frameOrder(e), u"14235");
  // Its own number, a number outside 1..N, or no current frame: nothing.
  e.run("blocks move 2\nblocks move 0\nblocks move 6");
  EXPECT_EQ(order(e), u"14235");
  const ReorderMenu menu = reorderMenu(e.doc().pageEntries[0], e.session().edit.currentFrame);
  EXPECT_TRUE(menu.offered);
  EXPECT_EQ(menu.count, 5);
  EXPECT_EQ(menu.checked, 2);
  EXPECT_TRUE(menu.columnBreaksBefore.empty());
  PageEntry many;
  many.frames.resize(1200);
  many.frames[7].selected = 1;
  const ReorderMenu big = reorderMenu(many, 7);
  EXPECT_EQ(big.count, 999);
  EXPECT_EQ(big.columnBreaksBefore.front(), 11);
  EXPECT_EQ(big.columnBreaksBefore.back(), 991);
}

TEST(Blocks, ABandMergesTheBodyBlocksInsideItAndNothingElse) {
  // A title between two body blocks, a third body block outside the band, a body
  // block without lines inside it.
  ScriptedEdit e(pageOf(blockOf(u"甲", 1000, 100, 40, 44) + blockOf(u"題", 900, 100, 40, 44, u"title") +
                        blockOf(u"", 850, 100, 20, 20) + blockOf(u"乙", 800, 100, 40, 44) +
                        blockOf(u"丙", 100, 100, 40, 44)));
  e.run("goto 3 0 0");  // the caret in a block that will be merged away
  e.run("blocks merge 700 50 400 200");
  EXPECT_EQ(order(e), u"甲題-丙");
  // Two line pitches missing between them: two blank lines (行間改行挿入 is on).
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"甲", u"\r", u"\r", u"乙"}));
  ASSERT_EQ(e.doc().pageEntries[0].frames.size(), 4u);
  EXPECT_EQ(e.doc().pageEntries[0].frames[0].selected, 1);
  EXPECT_EQ(e.session().edit.currentFrame, -1);
  EXPECT_FALSE(e.session().edit.cursor.set());  // it stood in the absorbed block
  e.run("type X");                              // and nothing is typed into freed memory
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"甲", u"\r", u"\r", u"乙"}));
  EXPECT_TRUE(e.doc().documentModified);
  e.run("undo");
  EXPECT_EQ(order(e), u"甲題-乙丙");
  // A band holding the first frame it meets only in part selects that frame alone.
  e.run("blocks merge 1010 50 400 200");
  EXPECT_EQ(order(e), u"甲題-乙丙");
  EXPECT_EQ(e.session().edit.currentFrame, 0);
}

TEST(Blocks, DeletingSelectedBlocksKeepsFramesPairedAndUndoBringsThemBack) {
  ScriptedEdit e = fiveBlocks();
  e.run("frame select 1\ngoto 1 0 0");
  e.doc().pageEntries[0].frames[3].selected = 1;  // a second selected frame, as a view would mark it
  e.run("blocks delete");
  EXPECT_EQ(order(e), u"135");
  EXPECT_EQ(frameOrder(e), u"135");
  EXPECT_EQ(e.session().edit.currentFrame, -1);
  EXPECT_FALSE(e.session().edit.cursor.set());
  e.run("undo");
  EXPECT_EQ(order(e), u"12345");
  EXPECT_EQ(e.doc().pageEntries[0].frames.size(), 5u);
  // Without a current frame nothing is deleted.
  e.run("blocks delete");
  EXPECT_EQ(order(e), u"12345");
}

TEST(Blocks, AReferenceBlockGoesWithItsFrameAndTheLaterOnesAreRenumbered) {
  ScriptedEdit e(pageOf(blockOf(u"1", 1000, 100, 40, 44, u"ref") + blockOf(u"2", 900, 100, 40, 44, u"ref") +
                        blockOf(u"3", 800, 100, 40, 44) + blockOf(u"4", 700, 100, 40, 44, u"ref")));
  EXPECT_EQ(e.doc().pageEntries[0].frames[3].refNumber, 3);
  e.run("frame select 0\nblocks delete");
  EXPECT_EQ(order(e), u"234");
  const auto& frames = e.doc().pageEntries[0].frames;
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].refNumber, 1);
  EXPECT_EQ(frames[2].refNumber, 2);
  EXPECT_EQ(e.doc().pageEntries[0].referenceCount, 2);
}

TEST(Blocks, AClickMakesTheFramesOwnBlockCurrent) {
  // Two overlapping blocks: a click on the second frame makes the second block
  // current, although the first block's box holds the point too.
  ScriptedEdit e(pageOf(blockOf(u"甲", 900, 100, 200, 200) + blockOf(u"乙", 950, 150, 40, 44)));
  EXPECT_EQ(FrameAt(e.doc().pageEntries[0], 960, 160), 0);
  EXPECT_EQ(FrameAt(e.doc().pageEntries[0], 10, 10), -1);
  e.run("frame select 1");
  EXPECT_EQ(e.cursor(), (ViewPosition{1, 0, 0}));
  EXPECT_EQ(e.doc().pageEntries[0].frames[1].selected, 1);
  e.run("frame select 0");  // another frame was current: the selection starts again
  EXPECT_EQ(e.doc().pageEntries[0].frames[1].selected, 0);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 0}));
}

// ---- ruby correction ------------------------------------------------------------------------

// A vertical body line of text at x = 1000 from y = 100, 40 × 40 characters every
// 44 pixels, with ruby lines over the given base ranges (1-based).
std::string rubyPage(std::u16string_view base, std::vector<std::tuple<int, int, std::u16string>> rubies,
                     bool inCell = false) {
  // Linked by id, as the engine writes them (a cell's lines are linked only so).
  std::u16string lines;
  const int baseId = static_cast<int>(rubies.size()) + 1;
  int id = 0;
  for (const auto& [from, to, text] : rubies) {
    const int top = 100 + (from - 1) * 44, bottom = 100 + to * 44 - 4;
    std::vector<std::u16string> chars;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool pair = text::isHighSurrogate(text[i]);
      chars.push_back(text.substr(i, pair ? 2 : 1));
      if (pair) ++i;
    }
    const int pitch = (bottom - top) / static_cast<int>(chars.size());
    lines += u"      <line x=\"1042\" y=\"" + num(top) + u"\" width=\"20\" height=\"" + num(bottom - top) +
             u"\" attr=\"ruby\" LID=\"" + num(++id) + u"\" RLID=\"" + num(baseId) + u"\" RCS=\"" + num(from) +
             u"\" RCE=\"" + num(to) + u"\">\n";
    int k = 0;
    for (const std::u16string& c : chars) {
      std::u16string result = c;
      if (c.size() == 2) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%04x%04x", c[0], c[1]);
        result = text::fromUtf8(hex);
      }
      lines += u"        <char x=\"1042\" y=\"" + num(top + k++ * pitch) +
               u"\" width=\"20\" height=\"20\" num_cand=\"0\"" + (c.size() == 2 ? u" Unicode=\"2\"" : u"") +
               u"><result CC=\"7\">" + result + u"</result></char>\n";
    }
    lines += u"      </line>\n";
  }
  lines += u"      <line x=\"1000\" y=\"100\" width=\"40\" height=\"" + num(static_cast<long long>(base.size()) * 44) +
           u"\" attr=\"\" LID=\"" + num(baseId) + u"\">\n";
  int k = 0;
  for (const char16_t c : base) {
    lines += u"        <char x=\"1000\" y=\"" + num(100 + k++ * 44) +
             u"\" width=\"40\" height=\"40\" num_cand=\"0\"><result CC=\"9\">" + std::u16string(1, c) +
             u"</result></char>\n";
  }
  lines += u"      </line>\n";
  const std::u16string block =
      inCell ? u"    <block type=\"table\" direction=\"vertical\" x=\"900\" y=\"90\" width=\"300\" height=\"600\" "
               u"sec=\"\">\n"
               u"    <CellData  x=\"900\" y=\"90\" width=\"300\" height=\"600\" row=\"0\" col=\"0\">\n" +
                   lines + u"    </CellData>\n    </block>\n"
             : u"    <block type=\"text\" direction=\"vertical\" x=\"900\" y=\"90\" width=\"300\" height=\"600\" "
               u"sec=\"\">\n" +
                   lines + u"    </block>\n";
  return lexova::testing::workFile(u"  <page number=\"1\" file=\"p1.tif\">\n" + block + u"  </page>\n");
}

settings::ReconstructionOptions plain() {
  settings::ReconstructionOptions o;
  o.monoRuby = o.smallKanaToNormal = false;
  return o;
}

std::pair<int, int> range(ScriptedEdit& e, int line) {
  const COcrLine& r = e.line(0, line);
  return {r.RCS, r.RCE};
}

TEST(RubyCorrection, TheRangeWidensUpToTheLineAndItsNeighboursAndCancelRestoresIt) {
  ScriptedEdit e(rubyPage(u"一二三四五六七", {{3, 5, u"さんし"}, {7, 7, u"なな"}}), plain());
  e.run("goto 0 2 3\nruby open");
  ASSERT_TRUE(e.session().ruby.open);
  EXPECT_EQ(e.session().ruby.baseText, u"三四五");
  EXPECT_FALSE(e.session().ruby.okEnabled);
  e.run("ruby prev");
  EXPECT_EQ(range(e, 0), (std::pair{2, 5}));
  EXPECT_TRUE(e.session().ruby.okEnabled);
  e.run("ruby prev\nruby prev");
  EXPECT_EQ(range(e, 0), (std::pair{1, 5}));
  EXPECT_EQ(e.session().ruby.baseText, u"一二三四五");
  // The next character is free; the one after it is another ruby's.
  e.run("ruby next\nruby next");
  EXPECT_EQ(range(e, 0), (std::pair{1, 6}));
  EXPECT_EQ(e.session().host().shown.back().text, u"次の文字は他のルビの被ルビ文字となっているため追加できません");
  e.run("ruby cancel");
  EXPECT_EQ(range(e, 0), (std::pair{3, 5}));
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, 3}));  // the caret back where it was
  EXPECT_FALSE(e.doc().documentModified);
  // One base character: dropping the last does nothing.
  e.run("goto 0 2 6\nruby open\nruby droplast\nruby dropfirst");
  EXPECT_EQ(range(e, 1), (std::pair{7, 7}));
  e.run("ruby cancel");
}

TEST(RubyCorrection, NeighboursCountByPositionWhereverTheyStandInTheList) {
  // The ruby over 1..2 stands after the ruby over 4..5 in the line list.
  ScriptedEdit e(rubyPage(u"一二三四五", {{4, 5, u"しご"}, {1, 2, u"いちに"}}), plain());
  ASSERT_EQ(e.lines(0)[0], u"(しご)");
  e.run("goto 0 2 3\nruby open\nruby prev");
  EXPECT_EQ(range(e, 0), (std::pair{3, 5}));
  e.run("ruby prev");
  EXPECT_EQ(range(e, 0), (std::pair{3, 5}));
  EXPECT_EQ(e.session().host().shown.back().text, u"前の文字は他のルビの被ルビ文字となっているため追加できません");
}

TEST(RubyCorrection, OkOfARangeIsOneUndoStepAndKeepsTheRubyCharacters) {
  ScriptedEdit e(rubyPage(u"一二三四五", {{3, 4, u"さ\U0002000B"}}), plain());
  const COcrChar before = e.line(0, 0).chars.front();
  e.run("goto 0 1 2\nruby open\nruby next\nruby ok");
  EXPECT_FALSE(e.session().ruby.open);
  EXPECT_EQ(range(e, 0), (std::pair{3, 5}));
  // The text did not change: the characters, pair included, are as they were.
  EXPECT_EQ(e.lines(0)[0], u"(さ\U0002000B)");
  EXPECT_EQ(e.line(0, 0).chars.front().y, before.y);
  EXPECT_EQ(e.line(0, 0).chars.front().CC, before.CC);
  EXPECT_EQ(e.doc().undoStore.kind(), kUndoRuby);
  EXPECT_TRUE(e.doc().documentModified);
  e.run("undo");
  EXPECT_EQ(range(e, 0), (std::pair{3, 4}));
}

TEST(RubyCorrection, ANewTextIsSpreadEvenlyAlongTheRubyLine) {
  // A horizontal ruby line of three characters, 30 wide, above its base line.
  const std::u16string block =
      u"    <block type=\"text\" direction=\"horizontal\" x=\"90\" y=\"80\" width=\"400\" height=\"200\" sec=\"\">\n"
      u"      <line x=\"100\" y=\"100\" width=\"30\" height=\"10\" attr=\"ruby\">\n"
      u"        <char x=\"100\" y=\"100\" width=\"10\" height=\"10\" num_cand=\"0\"><result>か</result></char>\n"
      u"        <char x=\"110\" y=\"100\" width=\"10\" height=\"10\" num_cand=\"0\"><result>ん</result></char>\n"
      u"        <char x=\"120\" y=\"100\" width=\"10\" height=\"10\" num_cand=\"0\"><result>じ</result></char>\n"
      u"      </line>\n"
      u"      <line x=\"100\" y=\"112\" width=\"40\" height=\"20\" attr=\"\">\n"
      u"        <char x=\"100\" y=\"112\" width=\"20\" height=\"20\" num_cand=\"0\"><result>漢</result></char>\n"
      u"        <char x=\"120\" y=\"112\" width=\"20\" height=\"20\" num_cand=\"0\"><result>字</result></char>\n"
      u"      </line>\n    </block>\n";
  ScriptedEdit e(lexova::testing::workFile(u"  <page number=\"1\" file=\"p1.tif\">\n" + block + u"  </page>\n"),
                 plain());
  ASSERT_EQ(range(e, 0), (std::pair{1, 2}));
  e.run("goto 0 1 0\nruby open\nruby text ご字\nruby ok");
  const auto& chars = e.line(0, 0).chars;
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars.front().x, 100);
  EXPECT_EQ(std::next(chars.begin())->x, 115);
  EXPECT_EQ(chars.front().width, 12);
  EXPECT_EQ(chars.front().height, 10);
  EXPECT_EQ(chars.front().CC, 10);
}

TEST(RubyCorrection, SplittingGivesTwoRubiesOverTwoParts) {
  ScriptedEdit e(rubyPage(u"漢字", {{1, 2, u"かんじ"}}), plain());
  e.run("goto 0 1 0\nruby open");
  // The split point cannot be the start or the end of the ruby text.
  e.run("ruby mark 0");
  EXPECT_EQ(e.session().host().shown.back().text, u"文字列の最初または最後を分割位置に指定できません");
  e.run("ruby mark 1");
  EXPECT_EQ(e.session().ruby.rubyText, u"か*んじ");
  EXPECT_EQ(e.session().ruby.guidance, u"本文の分割位置をクリックしてください");
  EXPECT_FALSE(e.session().ruby.okEnabled);
  e.run("ruby split 0\nruby split 1");
  EXPECT_EQ(e.session().ruby.rubyText, u"か");
  EXPECT_EQ(e.session().ruby.rubyText2, u"んじ");
  EXPECT_EQ(e.session().ruby.baseText2, u"字");
  EXPECT_FALSE(e.session().ruby.rangeButtonsEnabled);
  e.run("ruby ok");
  ASSERT_EQ(e.lines(0), (std::vector<std::u16string>{u"(か)", u"(んじ)", u"漢字"}));
  EXPECT_EQ(range(e, 0), (std::pair{1, 1}));
  EXPECT_EQ(range(e, 1), (std::pair{2, 2}));
  // The moved character kept its box; the boxes of the lines split at it.
  EXPECT_EQ(e.line(0, 0).chars.front().y, 100);
  EXPECT_EQ(e.line(0, 1).y, e.line(0, 0).y + e.line(0, 0).height);
  e.run("undo");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"(かんじ)", u"漢字"}));
}

TEST(RubyCorrection, ASplitTakesTheTextsAsEditedAndStaysInItsCell) {
  ScriptedEdit e(rubyPage(u"漢字", {{1, 2, u"かんじ"}}, true), plain());
  // The reader links no cell lines; a ruby of a cell comes from editing. Linked here.
  COcrCell& cell = e.block(0).cells.front();
  cell.lines.front().baseLine = &cell.lines.back();
  cell.lines.front().RCS = 1;
  cell.lines.front().RCE = 2;
  e.run("goto 0 1 0\nruby open\nruby mark 2\nruby split 1\nruby text から じい\nruby ok");
  const COcrBlock& table = e.block(0);
  EXPECT_TRUE(table.lines.empty());  // the new line went into the cell
  ASSERT_EQ(table.cells.front().lines.size(), 3u);
  std::vector<std::u16string> texts;
  for (const COcrLine& l : table.cells.front().lines) {
    std::u16string t;
    for (const COcrChar& c : l.chars) t += codeText(c.code);
    texts.push_back(t);
  }
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"から", u"じい", u"漢字"}));
}

TEST(RubyCorrection, ARubyWithoutAWholeBaseIsNotOpened) {
  ScriptedEdit e(rubyPage(u"一二", {{1, 2, u"いに"}}), plain());
  // As a file may hold them (the session runs without the invariant checker here).
  e.line(0, 0).RCE = 9;
  std::string error;
  ASSERT_TRUE(e.session().runLine(1, "goto 0 0 0", &error));
  ASSERT_TRUE(e.session().runLine(2, "ruby open", &error));
  EXPECT_FALSE(e.session().ruby.open);
  e.line(0, 0).RCE = 2;
  e.line(0, 0).baseLine = nullptr;
  ASSERT_TRUE(e.session().runLine(3, "ruby open", &error));
  EXPECT_FALSE(e.session().ruby.open);
}

}  // namespace
}  // namespace lexova::editing
