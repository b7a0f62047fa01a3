// The text view's input as a person gives it: keys in both writing directions,
// held keys, the mouse, the context menus and the view's commands, run through
// the view's model in scripted sessions (the same the editor's view calls), with
// the model's invariants checked after every operation.
#include "textview/text_view_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "editing/cursor.h"
#include "layout/page_layout.h"
#include "shell/commands.h"
#include "support/edit_script.h"
#include "support/workfile.h"
#include "textview/key_rules.h"

namespace lexova::textview {
namespace {

using lexova::testing::ScriptedEdit;

std::u16string num(long long v) {
  return text::fromUtf8(std::to_string(v));
}

// One character with a box; `cands` its candidates.
std::u16string charXml(char16_t c, int x, int y, int size, const std::vector<std::u16string>& cands = {}, int cc = 9) {
  std::u16string out = u"<char x=\"" + num(x) + u"\" y=\"" + num(y) + u"\" width=\"" + num(size) + u"\" height=\"" +
                       num(size) + u"\" num_cand=\"" + num(static_cast<long long>(cands.size())) + u"\"><result CC=\"" +
                       num(cc) + u"\">" + std::u16string(1, c) + u"</result>";
  for (const std::u16string& k : cands) {
    std::u16string escaped;
    for (const char16_t u : k) escaped += u == u'&' ? std::u16string(u"&amp;") : std::u16string(1, u);
    out += u"<cand CC=\"3\">" + escaped + u"</cand>\n";
  }
  return out + u"</char>\n";
}

// A vertical column at x from y = 100, 40-pixel characters every 44 pixels.
std::u16string column(int x, std::u16string_view text, const std::vector<std::u16string>& firstCands = {}) {
  std::u16string out = u"<line x=\"" + num(x) + u"\" y=\"100\" width=\"40\" height=\"" +
                       num(static_cast<long long>(text.size()) * 44) + u"\" attr=\"\">\n";
  for (std::size_t k = 0; k < text.size(); ++k) {
    out += charXml(text[k], x, 100 + static_cast<int>(k) * 44, 40, k == 0 ? firstCands : std::vector<std::u16string>{});
  }
  return out + u"</line>\n";
}

// Ruby beside characters from..to (1-based) of the column at baseX.
std::u16string ruby(int baseX, int from, int to, std::u16string_view text) {
  const int top = 100 + (from - 1) * 44, bottom = 100 + to * 44 - 4;
  std::u16string out = u"<line x=\"" + num(baseX + 42) + u"\" y=\"" + num(top) + u"\" width=\"20\" height=\"" +
                       num(bottom - top) + u"\" attr=\"ruby\">\n";
  const int pitch = (bottom - top) / static_cast<int>(text.size());
  for (std::size_t k = 0; k < text.size(); ++k)
    out += charXml(text[k], baseX + 42, top + static_cast<int>(k) * pitch, 20);
  return out + u"</line>\n";
}

std::u16string block(int x, int width, std::u16string_view lines) {
  return u"<block type=\"text\" direction=\"vertical\" x=\"" + num(x) + u"\" y=\"90\" width=\"" + num(width) +
         u"\" height=\"400\" sec=\"\">\n" + std::u16string(lines) + u"</block>\n";
}

std::string document(std::u16string_view page1) {
  return lexova::testing::workFile(u"<page number=\"1\" file=\"p1.tif\" width=\"2000\" height=\"1000\">\n" +
                                   std::u16string(page1) + u"</page>\n<page number=\"2\" file=\"p2.tif\">\n" +
                                   block(500, 300, column(600, u"次頁")) + u"</page>\n");
}

settings::ReconstructionOptions plain() {
  settings::ReconstructionOptions o;
  o.monoRuby = o.smallKanaToNormal = false;
  return o;
}

// Three columns of 5, 2 and 5 characters (read right to left), and a second block.
ScriptedEdit columns() {
  return ScriptedEdit(
      document(block(1000, 300, column(1200, u"あいうえお") + column(1140, u"かき") + column(1080, u"さしすせそ")) +
               block(300, 300, column(500, u"たちつ"))),
      plain());
}

layout::LayoutSettings layoutAt(int scalePercent) {
  layout::LayoutSettings s;
  s.scale = scalePercent / 100.0;
  return s;
}

// The centre of a character's drawn cell in the layout display.
std::pair<long long, long long> centreOf(const layout::PageGeometry& g, const COcrChar* ch) {
  for (const layout::LineGeometry& l : g.lines) {
    for (const layout::CharGeometry& c : l.chars) {
      if (c.ch == ch) {
        const layout::Rect r = layout::charCell(g, l, c);
        return {r.x + r.width / 2, r.y + r.height / 2};
      }
    }
  }
  ADD_FAILURE() << "character not drawn";
  return {0, 0};
}

TEST(KeyRules, ArrowsFollowTheWritingDirectionAndOnlyTextReachesTheDocument) {
  using editing::EditMode;
  struct Row {
    Key key;
    KeyOp horizontal, vertical;
  };
  const Row rows[] = {{Key::Left, KeyOp::MovePrevChar, KeyOp::MoveNextLine},
                      {Key::Right, KeyOp::MoveNextChar, KeyOp::MovePrevLine},
                      {Key::Up, KeyOp::MovePrevLine, KeyOp::MovePrevChar},
                      {Key::Down, KeyOp::MoveNextLine, KeyOp::MoveNextChar},
                      {Key::Backspace, KeyOp::DeleteBackward, KeyOp::DeleteBackward},
                      {Key::Delete, KeyOp::DeleteForward, KeyOp::DeleteForward}};
  for (const Row& r : rows) {
    KeyPress k;
    k.key = r.key;
    k.shift = true;
    EXPECT_EQ(mapKey(k, false, EditMode::Character).op, r.horizontal);
    EXPECT_EQ(mapKey(k, true, EditMode::Character).op, r.vertical);
    EXPECT_EQ(mapKey(k, true, EditMode::Character).extend, isMove(r.vertical));
    // Block editing: the keys do nothing to the text.
    EXPECT_EQ(mapKey(k, false, EditMode::Block).op, KeyOp::None);
  }
  // Enter gives 13, in both modes; typed text reaches the text in both modes.
  KeyPress enter{Key::Enter, false, false, false, u"\r"};
  EXPECT_EQ(mapKey(enter, true, EditMode::Character).text, u"\r");
  EXPECT_EQ(mapKey(enter, true, EditMode::Block).op, KeyOp::Type);
  KeyPress a{Key::Other, false, false, false, u"a"};
  EXPECT_EQ(mapKey(a, false, EditMode::Block).text, u"a");
  // What the window system gives as text but is not: Esc, Delete, Tab, Ctrl+[ .. Ctrl+_,
  // and shortcuts with Ctrl or Alt.
  for (const std::u16string& control : {std::u16string(u"\x1b"), std::u16string(u"\x7f"), std::u16string(u"\t"),
                                        std::u16string(u"\x1c\x1d\x1e\x1f"), std::u16string(u"\b")}) {
    KeyPress k{Key::Other, false, false, false, control};
    EXPECT_EQ(mapKey(k, false, EditMode::Character).op, KeyOp::None) << int(control[0]);
  }
  KeyPress ctrl{Key::Other, false, true, false, u"c"}, alt{Key::Other, false, false, true, u"x"};
  EXPECT_EQ(mapKey(ctrl, false, EditMode::Character).op, KeyOp::None);
  EXPECT_EQ(mapKey(alt, false, EditMode::Character).op, KeyOp::None);
  EXPECT_EQ(typedUnits(u"a\x1b\x7f\rb\x01\U00020BB7"), u"a\rb\U00020BB7");
  // The writing direction: 0 horizontal, 1 vertical, 2 the block's own.
  COcrBlock v;
  v.direction = kVertical;
  EXPECT_FALSE(verticalWriting(0, &v));
  EXPECT_TRUE(verticalWriting(1, nullptr));
  EXPECT_TRUE(verticalWriting(2, &v));
}

TEST(KeyRules, TheWheelStepsFiveLinesPerNotchAndKeepsTouchpadRemainders) {
  WheelSteps w;
  EXPECT_EQ(w.add(-120), 5);  // down
  EXPECT_EQ(w.add(120), -5);
  int steps = 0;
  for (int i = 0; i < 8; ++i) steps += w.add(-15);  // a touchpad: 8 × 15 is one notch
  EXPECT_EQ(steps, 5);
  EXPECT_EQ(w.remainder(), 0);
  EXPECT_EQ(w.add(-10), 0);
  EXPECT_EQ(w.add(-14), 1);  // the remainder was kept
}

TEST(TextViewKeys, HeldAndRepeatedKeysKeepTheColumnAndTheSelection) {
  ScriptedEdit e = columns();
  e.run("view 2\ngoto 0 0 4");
  // Left in vertical text: the next column. Held (auto-repeat delivers releases
  // too): the short column clamps, the next one gets the column back.
  e.run("key left 2");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, 4}));
  // Pressed again and again, not held: the same.
  e.run("key right\nkey right");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 4}));
  // A move along the column forgets it: the next column move starts from 2.
  e.run("key up 2\nkey left\nkey left");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, 2}));
  // Shift held down the column: every repeat extends the one selection.
  e.run("goto 0 0 0\nkey down --shift 3");
  ASSERT_FALSE(e.session().edit.selection.empty());
  const editing::EditSelection sel = editing::normalised(e.page(), e.session().edit.selection);
  EXPECT_EQ(editing::positionOf(e.page(), sel.start), (ViewPosition{0, 0, 0}));
  EXPECT_EQ(editing::positionOf(e.page(), sel.end), (ViewPosition{0, 0, 3}));
  // Copy is enabled now, and copies the three characters.
  EXPECT_TRUE(e.session().view().enabled(shell::kCopy, false));
  e.run("copy");
  EXPECT_EQ(e.session().host().clipboard, u"あいう");
  // Shift+Left across to the next block's first line would leave the block: the
  // selection collapses at the new cursor instead (at the line's end: the column
  // 5 is past it).
  e.run("goto 0 2 4\nkey down --shift\nkey left --shift");
  EXPECT_EQ(e.cursor(), (ViewPosition{1, 0, -1}));
  EXPECT_TRUE(e.session().edit.selection.empty());
  EXPECT_FALSE(e.session().view().enabled(shell::kCopy, false));
  // Horizontal display of the same page: Down goes to the next line.
  e.run("view 0\ngoto 0 0 1\nkey down");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 1}));
}

TEST(TextViewKeys, ControlCharactersNeverEnterAndEditsNeedAVisibleView) {
  ScriptedEdit e = columns();
  e.run("view 2\ngoto 0 0 1");
  // Esc, Delete and Ctrl+[ as the window system gives them; Tab; a Ctrl shortcut.
  e.run("key esc\nkey tab\nkeytext \"\\u001b\"\nkeytext \"\\u007f\"\nkeytext \"\\u001d\"\nkeytext x --ctrl");
  EXPECT_FALSE(e.doc().documentModified);
  e.run("keytext 愛\nkey enter");
  EXPECT_EQ(e.lines(0)[0], u"あ愛\r");
  EXPECT_EQ(e.lines(0)[1], u"いうえお");
  // One undo takes the typing run back.
  e.run("undo");
  EXPECT_EQ(e.lines(0)[0], u"あいうえお");
  // With the image pane full the text pane has no size: keys and commands edit nothing.
  e.session().view().setVisible(false);
  e.run("goto 0 0 1\nkeytext 隠\nkey del\nkey bs\nclip 貼");
  EXPECT_FALSE(e.session().view().command(shell::kPaste).changed);
  e.session().view().setVisible(true);
  EXPECT_EQ(e.lines(0)[0], u"あいうえお");
  EXPECT_EQ(e.session().view().command(shell::kPaste).changed, true);
  EXPECT_EQ(e.lines(0)[0], u"あ貼いうえお");
  // Backspace at the very start of the first page does nothing (it never deletes forward).
  e.run("undo\ngoto 0 0 0\nkey bs 3");
  EXPECT_EQ(e.lines(0)[0], u"あいうえお");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 0}));
  // Saved and read again, the file is well-formed and holds what was typed only.
  const std::u16string out = e.path("out.xml");
  e.run("saveas " + text::toUtf8(out) + " all");
  std::ifstream in(text::toUtf8(out), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(lexova::testing::readBytes(bytes.str()).code, vuzozoviv::kReadOk);
  EXPECT_EQ(bytes.str().find('\x1b'), std::string::npos);
}

TEST(TextViewKeys, ReconversionReplacesTheTextAroundTheCaret) {
  ScriptedEdit e = columns();
  TextViewModel& view = e.session().view();
  e.run("goto 0 0 3");
  int caret = -1;
  EXPECT_EQ(view.surroundingText(&caret), u"あいうえお");
  EXPECT_EQ(caret, 3);
  // The input method takes "いう" back (two units before the caret) and gives "言う".
  view.replaceAroundCaret(-2, 2, u"言う");
  EXPECT_EQ(e.lines(0)[0], u"あ言うえお");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 3}));
  // A longer and a shorter text; a range past the line only types.
  view.replaceAroundCaret(-2, 2, u"漢字語");
  EXPECT_EQ(e.lines(0)[0], u"あ漢字語えお");
  view.replaceAroundCaret(-3, 3, u"X");
  EXPECT_EQ(e.lines(0)[0], u"あXえお");
  view.replaceAroundCaret(-9, 2, u"Y");
  EXPECT_EQ(e.lines(0)[0], u"あXYえお");
  // Line breaks are not in the input method's text.
  e.run("key enter");
  EXPECT_EQ(view.surroundingText(&caret), u"えお");
}

TEST(TextViewMouse, ClicksPlaceTheCaretDragsSelectWithinTheBlockAndMenusCarryTheirData) {
  // The first character has candidates, one with "&"; ruby over う.
  ScriptedEdit e(
      document(block(1000, 300,
                     ruby(1200, 3, 3, u"ウ") + column(1200, u"あいうえお", {u"阿", u"&"}) + column(1140, u"かき")) +
               block(300, 300, column(500, u"たちつ"))),
      plain());
  TextViewModel& view = e.session().view();
  view.setTextLayout(layout::kLayoutDisplay);
  const layout::PageGeometry g = layout::layoutPage(e.page(), layoutAt(50));
  const COcrLine& first = e.line(0, 1);
  const auto at = [&](int line, int k) { return centreOf(g, &*std::next(e.line(0, line).chars.begin(), k)); };

  // A click on え puts the caret before it; the caret bar lies across the column at its top.
  auto [x, y] = at(1, 3);
  view.leftPress(g, x, y, false);
  view.leftRelease(g, x, y, false);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 3}));
  const Caret caret = view.caret(g);
  ASSERT_TRUE(caret.shown);
  EXPECT_TRUE(caret.vertical);
  EXPECT_EQ(caret.bar.height, 2);
  EXPECT_LE(caret.bar.y, y);
  // Dragging onto the next block's character keeps the selection in its block.
  auto [x2, y2] = at(1, 4);
  auto [bx, by] = centreOf(g, &e.block(1).lines.front().chars.front());
  view.leftPress(g, x, y, false);
  view.leftDrag(g, x2, y2);
  view.leftDrag(g, bx, by);
  view.leftRelease(g, bx, by, false);
  EXPECT_EQ(view.selectionCells(g).size(), 1u);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 4}));

  // The context menu of あ: its candidates ("&" shown literally), then 置換.
  std::tie(x, y) = at(1, 0);
  view.rightPress(g, x, y);
  Menu menu = view.contextMenu(g, x, y);
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].text, u"阿");
  EXPECT_EQ(menu[1].text, u"&&");
  EXPECT_EQ(menu[2].action, MenuEntry::Separator);
  EXPECT_EQ(menu[3].text, u"置換(&R)...");
  view.choose(menu[1]);
  EXPECT_EQ(codeText(first.chars.front().code), u"&");
  view.choose(menu[0]);
  EXPECT_EQ(codeText(first.chars.front().code), u"阿");
  EXPECT_EQ(first.chars.front().CC, 10);
  EXPECT_EQ(first.chars.front().num_cand(), 2);  // the list stays as it was
  // う is under ruby: the menu offers the ruby dialog; a character without
  // candidates starts with the separator.
  std::tie(x, y) = at(1, 2);
  view.rightPress(g, x, y);
  menu = view.contextMenu(g, x, y);
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].action, MenuEntry::Separator);
  EXPECT_EQ(menu[3].text, u"ルビ修正(&M)...");
  EXPECT_TRUE(view.enabled(shell::kRubyEdit, false));
  // The vertical text cursor over the vertical block, not outside it.
  EXPECT_TRUE(view.verticalBlockAt(g, x, y));
  EXPECT_FALSE(view.verticalBlockAt(g, 5, 5));
  // Outside every block: the page menu, "前のページへ" disabled on the first page.
  view.rightPress(g, 5, 5);
  menu = view.contextMenu(g, 5, 5);
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_TRUE(menu[0].enabled);
  EXPECT_FALSE(menu[1].enabled);
  view.choose(menu[0]);
  EXPECT_EQ(e.doc().currentPage, 1);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 0}));
}

TEST(TextViewMouse, AThousandCandidatesStayCandidatesAndBlockMenusReorder) {
  std::vector<std::u16string> many;
  // Hiragana over and over (the file is Shift_JIS): candidate i is ぁ + i % 80.
  for (int i = 0; i < 1000; ++i) many.push_back(std::u16string(1, static_cast<char16_t>(0x3041 + i % 80)));
  ScriptedEdit e(document(block(1000, 300, column(1200, u"あい", many)) + block(300, 300, column(500, u"たちつ")) +
                          block(100, 150, column(200, u"な"))),
                 plain());
  TextViewModel& view = e.session().view();
  const layout::PageGeometry g = layout::layoutPage(e.page(), layoutAt(50));
  auto [x, y] = centreOf(g, &e.line(0, 0).chars.front());
  view.rightPress(g, x, y);
  const Menu menu = view.contextMenu(g, x, y);
  ASSERT_EQ(menu.size(), 1002u);
  EXPECT_EQ(menu[999].data, 999);
  view.choose(menu[999]);
  EXPECT_EQ(e.line(0, 0).chars.front().code[0], 0x3041 + 999 % 80);
  // Nothing else changed: the blocks, their order, the other characters.
  EXPECT_EQ(e.page().blocks.size(), 3u);
  EXPECT_EQ(e.lines(1)[0], u"たちつ");

  // Block editing: a click selects the frame; its menu deletes or reorders.
  e.run("mode block");
  std::tie(x, y) = centreOf(g, &e.block(1).lines.front().chars.front());
  view.leftPress(g, x, y, false);
  view.leftRelease(g, x, y, false);
  ASSERT_EQ(e.session().edit.currentFrame, 1);
  Menu blockMenu = view.contextMenu(g, x, y);
  ASSERT_EQ(blockMenu.size(), 3u);
  EXPECT_EQ(blockMenu[0].text, u"削除");
  ASSERT_EQ(blockMenu[2].action, MenuEntry::Submenu);
  EXPECT_EQ(blockMenu[2].text, u"領域の順番変更(&O)");
  ASSERT_EQ(blockMenu[2].children.size(), 3u);
  EXPECT_TRUE(blockMenu[2].children[1].checked);
  view.choose(blockMenu[2].children[0]);  // to number 1
  EXPECT_EQ(e.lines(0)[0], u"たちつ");
  // Delete, let go, in block editing: the selected block goes.
  KeyPress del{Key::Delete, false, false, false, u"\x7f"};
  EXPECT_EQ(view.keyPress(del).damage, editing::Damage::None);
  view.keyRelease(del);
  EXPECT_EQ(e.page().blocks.size(), 2u);
}

}  // namespace
}  // namespace lexova::textview
