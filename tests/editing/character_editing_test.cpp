// Character editing as a corrector does it, in short scripts over small pages: a
// vertical block with ruby, a horizontal block, a table. Each test checks what the
// person would see (the text, the ruby over it, where the caret is, what undo
// gives back) and, after every operation, the model's invariants.
#include <gtest/gtest.h>

#include <cstdio>

#include "document/vuzozoviv/reader.h"
#include "support/edit_script.h"
#include "support/workfile.h"

namespace lexova::editing {
namespace {

using lexova::testing::ScriptedEdit;

std::u16string num(long long v) {
  return text::fromUtf8(std::to_string(v));
}

// Characters of a line: vertical ones 40×40 every 44 pixels down from y, horizontal
// ones every `pitch` pixels right from x. The first character may carry candidates.
std::u16string charsXml(std::u16string_view text, bool vertical, int x, int y, int pitch, int size,
                        std::u16string_view cands = u"", bool boxes = true) {
  std::u16string out;
  int k = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character, written in hexadecimal as the format wants.
    const bool pair = text::isHighSurrogate(c) && i + 1 < text.size();
    const int cx = !boxes ? -1 : vertical ? x : x + k * pitch, cy = !boxes ? -1 : vertical ? y + k * pitch : y;
    const bool withCands = k == 0 && !cands.empty();
    out += u"        <char x=\"" + num(cx) + u"\" y=\"" + num(cy) + u"\" width=\"" + num(size) + u"\" height=\"" +
           num(size) + u"\" num_cand=\"" + num(withCands ? static_cast<long long>(cands.size()) : 0) + u"\"" +
           (pair ? u" Unicode=\"2\">" : u">");
    out += u"<result CC=\"3\">";
    if (pair) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%04x%04x", c, text[i + 1]);
      out += text::fromUtf8(hex);
      ++i;
    } else {
      out += c == u'\r' ? std::u16string(u"&#13;") : std::u16string(1, c);
    }
    out += u"</result>";
    if (withCands) {
      for (const char16_t cand : cands) {
        out += u"<cand CC=\"5\">";
        out += cand;
        out += u"</cand>";
      }
    }
    out += u"</char>\n";
    ++k;
  }
  return out;
}

// A vertical body line at column x from y (characters with boxes, or without).
std::u16string column(int x, std::u16string_view text, std::u16string_view cands = u"", int y = 100,
                      bool boxes = true) {
  return u"      <line x=\"" + num(x) + u"\" y=\"" + num(y) + u"\" width=\"40\" height=\"" +
         num(static_cast<long long>(text.size()) * 44) + u"\" attr=\"\">\n" +
         charsXml(text, true, x, y, 44, 40, cands, boxes) + u"      </line>\n";
}

// A ruby line beside base characters from..to (1-based) of the column at baseX
// that starts at baseY.
std::u16string ruby(int baseX, int from, int to, std::u16string_view text, int baseY = 100) {
  const int top = baseY + (from - 1) * 44, bottom = baseY + to * 44 - 4;
  const int pitch = static_cast<int>((bottom - top) / static_cast<int>(text.size()));
  return u"      <line x=\"" + num(baseX + 42) + u"\" y=\"" + num(top) + u"\" width=\"20\" height=\"" +
         num(bottom - top) + u"\" attr=\"ruby\">\n" + charsXml(text, true, baseX + 42, top, pitch, 20) +
         u"      </line>\n";
}

std::u16string block(bool vertical, std::u16string_view lines, std::u16string_view type = u"text") {
  return u"    <block type=\"" + std::u16string(type) + u"\" direction=\"" + (vertical ? u"vertical" : u"horizontal") +
         u"\" x=\"10\" y=\"90\" width=\"1400\" height=\"1900\" sec=\"\">\n" + std::u16string(lines) + u"    </block>\n";
}

std::string page(std::u16string_view blocks) {
  return lexova::testing::workFile(u"  <page number=\"1\" file=\"p1.tif\">\n" + std::u16string(blocks) +
                                   u"  </page>\n" + u"  <page number=\"2\" file=\"p2.tif\">\n" +
                                   block(true, column(600, u"次頁")) + u"  </page>\n");
}

settings::ReconstructionOptions plain() {
  settings::ReconstructionOptions o;
  o.monoRuby = o.smallKanaToNormal = false;
  return o;
}

// A page with a vertical block: 蜘蛛の糸 with ruby くも over 蜘蛛, then a second column.
ScriptedEdit rubyPage() {
  return ScriptedEdit(
      page(block(true, ruby(1000, 1, 2, u"くも") + column(1000, u"蜘蛛の糸", u"虫朱") + column(940, u"極楽の"))),
      plain());
}

std::u16string rubyCover(ScriptedEdit& e) {
  const COcrLine& r = e.line(0, 0);
  const COcrLine& base = *r.baseLine;
  std::u16string t;
  int k = 0;
  for (const COcrChar& c : base.chars) {
    ++k;
    if (k >= r.RCS && k <= r.RCE) t += codeText(c.code);
  }
  return t;
}

TEST(Typing, CharactersGoBeforeTheCaretAndRubyKeepsItsCharacters) {
  // くも over the 2nd and 3rd characters of の蜘蛛糸.
  ScriptedEdit e(page(block(true, ruby(1000, 2, 3, u"くも") + column(1000, u"の蜘蛛糸") + column(940, u"極楽の"))),
                 plain());
  ASSERT_EQ(e.lines(0), (std::vector<std::u16string>{u"(くも)", u"の蜘蛛糸", u"極楽の"}));
  ASSERT_EQ(rubyCover(e), u"蜘蛛");
  // Before the ruby's first character: the ruby moves with its characters.
  e.run("goto 0 1 0\ntype 大");
  EXPECT_EQ(e.lines(0)[1], u"大の蜘蛛糸");
  EXPECT_EQ(rubyCover(e), u"蜘蛛");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 1}));  // still before の
  // At its first position the typed character joins it; right behind its last it does not.
  e.run("goto 0 1 2\ntype 小");
  EXPECT_EQ(rubyCover(e), u"小蜘蛛");
  e.run("goto 0 1 5\ntype 々");
  EXPECT_EQ(e.lines(0)[1], u"大の小蜘蛛々糸");
  EXPECT_EQ(rubyCover(e), u"小蜘蛛");
  // At a line's end the character is appended, sized as the one before, without a box.
  e.run("goto 0 2 -1\ntype 池");
  EXPECT_EQ(e.lines(0)[2], u"極楽の池");
  EXPECT_EQ(e.line(0, 2).chars.back().width, 40);
  EXPECT_EQ(e.line(0, 2).chars.back().x, -1);
  // One typing run on the page: one undo step gives all of it back, a second brings it again.
  e.run("undo");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"(くも)", u"の蜘蛛糸", u"極楽の"}));
  e.run("undo");
  EXPECT_EQ(e.lines(0)[2], u"極楽の池");
}

TEST(Typing, SupplementaryCharactersArriveWholeAndControlsNever) {
  ScriptedEdit e = rubyPage();
  const int before = e.block(0).charCount;
  // As the input method delivers it: two character messages, one character.
  e.run("goto 0 1 0\ntype \"\\ud842\\udfb7\"");
  ASSERT_EQ(e.line(0, 1).chars.size(), 5u);
  EXPECT_EQ(e.line(0, 1).chars.front().code, makeCode(0xD842, 0xDFB7));
  EXPECT_EQ(e.block(0).charCount, before + 2);
  // A low surrogate on its own, a high surrogate not followed by its low one, and
  // control characters (Esc, DEL, the separators, Tab) never enter the text.
  e.run("type \"\\udfb7\\ud842a\\u001b\\u007f\\u001c\\u001f\\t\"");
  EXPECT_EQ(e.lines(0)[1], u"\U00020BB7a蜘蛛の糸");
  // Not even over a selection: the selection stays as it is.
  e.run("select 0 1 2 0 1 4\ntype \"\\u001b\"");
  EXPECT_EQ(e.lines(0)[1], u"\U00020BB7a蜘蛛の糸");
  EXPECT_FALSE(e.session().edit.selection.empty());
  // Saved and read again, the characters are what was typed.
  e.run("saveas " + text::toUtf8(e.path("out.xml")) + " all");
  const auto back = vuzozoviv::readPaperFile(text::toUtf8(e.path("out.xml")));
  ASSERT_NE(back.paper, nullptr);
  std::u16string t;
  for (const COcrChar& c : std::next(back.paper->pages.front().blocks.front().lines.begin())->chars) {
    t += codeText(c.code);
  }
  EXPECT_EQ(t, u"\U00020BB7a蜘蛛の糸");
}

TEST(LineBreaks, EnterSplitsBehindTheBreakAndSharesTheBox) {
  // The Part's example: a horizontal line of 10 characters, 200 wide; Enter on the 5th.
  ScriptedEdit e(page(block(false, u"      <line x=\"100\" y=\"50\" width=\"200\" height=\"20\" attr=\"\">\n" +
                                       charsXml(u"あいうえおかきくけこ", false, 100, 50, 20, 18) + u"      </line>\n")),
                 plain());
  e.run("goto 0 0 4\nenter");
  ASSERT_EQ(e.lines(0), (std::vector<std::u16string>{u"あいうえ\r", u"おかきくけこ"}));
  EXPECT_EQ(e.line(0, 0).width, 90);
  EXPECT_EQ(e.line(0, 1).width, 110);
  EXPECT_EQ(e.line(0, 0).x, 100);
  EXPECT_EQ(e.line(0, 1).x, 100);
  EXPECT_EQ(e.line(0, 1).height, 20);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 0}));
  // Delete on the break joins them again, the box the union of the characters'.
  e.run("goto 0 0 4\ndel");
  ASSERT_EQ(e.lines(0), (std::vector<std::u16string>{u"あいうえおかきくけこ"}));
  EXPECT_EQ(e.line(0, 0).width, 198);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 4}));
  // At the end of a line Enter only ends it; pressed again it makes an empty line.
  // The block's last line gets an empty line after it, the caret there.
  e.run("goto 0 0 -1\nenter");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"あいうえおかきくけこ\r", u""}));
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, -1}));
  // Pressed again at the end of the first line, it splits off an empty line of its own.
  e.run("goto 0 0 -1\nenter");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"あいうえおかきくけこ\r", u"\r", u""}));
}

TEST(LineBreaks, NeitherInsideRubyNorInATableAndTheLastSnapshotStays) {
  ScriptedEdit e(page(block(true, ruby(1000, 1, 2, u"くも") + column(1000, u"蜘蛛の糸")) +
                      block(false,
                            u"      <CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n"
                            u"      <line x=\"1\" y=\"2\" width=\"30\" height=\"20\" attr=\"\">\n" +
                                charsXml(u"表", false, 1, 2, 20, 18) + u"      </line>\n      </CellData>\n",
                            u"table")),
                 plain());
  e.run("goto 0 1 3\ntype 々");  // a snapshot of the typing run
  const COcrPage* snapshot = e.doc().undoStore.snapshot();
  e.run("goto 0 1 1\nenter");
  ASSERT_EQ(e.session().host().shown.size(), 1u);
  EXPECT_EQ(e.session().host().shown[0].text, u"ルビに改行は挿入できません");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の々糸");
  EXPECT_EQ(e.doc().undoStore.snapshot(), snapshot);  // the refused Enter took no snapshot
  e.run("goto 1 0 0\nenter");
  EXPECT_TRUE(e.session().host().shown.empty());
  EXPECT_EQ(e.block(1).cells.front().lines.size(), 1u);
  e.run("undo");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の糸");
}

TEST(Deletion, EmptiedLinesGoButTheBlocksLastStays) {
  ScriptedEdit e = rubyPage();
  // Deleting the last character under a one-character ruby removes that ruby; a
  // ruby over more shrinks.
  e.run("goto 0 1 1\ndel");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"(くも)", u"蜘の糸", u"極楽の"}));
  EXPECT_EQ(rubyCover(e), u"蜘");
  e.run("goto 0 1 0\ndel");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"の糸", u"極楽の"}));
  // The last character of a line: the line goes, the caret to the next line.
  e.run("goto 0 0 0\ndel 2");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"極楽の"}));
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 0}));
  // The block's only line stays, empty, with the caret at its end.
  e.run("del 3");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u""}));
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, -1}));
  // The deletions on the page were one run: one undo step gives all of them back.
  e.run("undo");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"(くも)", u"蜘蛛の糸", u"極楽の"}));
}

TEST(Deletion, JoiningTakesTheNextOrdinaryLineWithItsRuby) {
  // Two lines of one column (split by the engine), the second with its own ruby,
  // and a surrogate pair to delete.
  ScriptedEdit e(
      page(block(true, column(1000, u"羅生\r") + ruby(1006, 1, 1, u"もん", 190) + column(1006, u"門𠀋", u"", 190))),
      plain());
  ASSERT_EQ(e.lines(0).size(), 3u);
  e.run("goto 0 0 2\ndel");
  // The ruby of the joined line now covers its character in the joined line,
  // and stands before it.
  ASSERT_EQ(e.lines(0).size(), 2u) << text::toUtf8(e.lines(0)[0]);
  EXPECT_EQ(e.lines(0)[0], u"(もん)");
  EXPECT_EQ(e.line(0, 1).chars.size(), 4u);
  EXPECT_EQ(rubyCover(e), u"門");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 2}));
  // A pair deleted lowers the counts by two.
  const int units = e.block(0).charCount;
  e.run("goto 0 1 3\ndel");
  EXPECT_EQ(e.block(0).charCount, units - 2);
  // A line break whose next line stands elsewhere only goes itself.
  ScriptedEdit apart(page(block(true, column(1000, u"一\r") + column(700, u"二"))), plain());
  apart.run("goto 0 0 1\ndel");
  EXPECT_EQ(apart.lines(0), (std::vector<std::u16string>{u"一", u"二"}));
}

TEST(Deletion, AJoinedLineOfTypedCharactersKeepsTheUnionOfBothBoxes) {
  // Characters without boxes (as typed ones are): only the lines' boxes are left to join.
  ScriptedEdit e(page(block(true, column(1000, u"甲\r", u"", 100, false) + column(1000, u"乙", u"", 200, false))),
                 plain());
  e.run("goto 0 0 1\ndel");
  ASSERT_EQ(e.lines(0), (std::vector<std::u16string>{u"甲乙"}));
  EXPECT_EQ(e.line(0, 0).y, 100);
  EXPECT_EQ(e.line(0, 0).height, 144);
}

TEST(Deletion, BackspaceNeverReachesAnotherPage) {
  ScriptedEdit e = rubyPage();
  e.run("page 1\nbs");
  EXPECT_EQ(e.doc().currentPage, 1);
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"次頁"}));
  EXPECT_FALSE(e.doc().documentModified);
  // Within a page it deletes the character before, across lines too.
  e.run("page 0\ngoto 0 2 0\nbs");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, -1}));
}

TEST(Overwriting, KeepsBoxesAndCandidatesAndMovesRubyForExtraCharacters) {
  ScriptedEdit e = rubyPage();
  // Two characters overwritten by one: the first keeps its box and candidates, the second goes.
  e.run("select 0 1 0 0 1 2\noverwrite 網");
  EXPECT_EQ(e.lines(0)[1], u"網の糸");
  const COcrChar& first = e.line(0, 1).chars.front();
  EXPECT_EQ(first.y, 100);
  EXPECT_EQ(first.num_cand(), 2);
  EXPECT_EQ(first.CC, 10);
  EXPECT_EQ(rubyCover(e), u"網");
  EXPECT_EQ(e.doc().undoStore.kind(), kUndoReplacement);
  // More characters than selected: the extra ones join the ruby as typed ones would,
  // and a supplementary character stays whole.
  e.run("select 0 1 0 0 1 1\noverwrite \"蜘\\ud840\\udc0b\"");
  EXPECT_EQ(e.lines(0)[1], u"蜘\U0002000Bの糸");
  EXPECT_EQ(rubyCover(e), u"蜘");  // right behind the ruby's last character: not joined
  // A pair overwritten by one unit leaves no half of it behind.
  e.run("select 0 1 1 0 1 2\noverwrite 蛛");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の糸");
  // Over several lines nothing happens, and the snapshot stays.
  const COcrPage* snapshot = e.doc().undoStore.snapshot();
  e.run("select 0 1 1 0 2 1\noverwrite X");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の糸");
  EXPECT_EQ(e.doc().undoStore.snapshot(), snapshot);
}

TEST(Candidates, AChosenCandidateReplacesTheCodeAndTheListStays) {
  ScriptedEdit e = rubyPage();
  e.run("goto 0 1 0\ncand 1");
  EXPECT_EQ(e.lines(0)[1], u"朱蛛の糸");
  const COcrChar& c = e.line(0, 1).chars.front();
  EXPECT_EQ(c.CC, 10);
  EXPECT_EQ(c.candCode(0), makeCode(u'虫'));
  EXPECT_EQ(c.candCode(1), makeCode(u'朱'));
  e.run("cand 5\ngoto 0 1 -1\ncand 0\ncharrep X");  // beyond the list; at the end of the line
  EXPECT_EQ(e.lines(0)[1], u"朱蛛の糸");
  e.run("undo");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛の糸");
}

TEST(Candidates, TheReplaceDialogCanBeUndoneAndRegistersAPairOnce) {
  ScriptedEdit e = rubyPage();
  e.run("goto 0 1 2\ncharrep 乃 --register\ngoto 0 2 2\ncharrep 乃 --register");
  EXPECT_EQ(e.lines(0)[1], u"蜘蛛乃糸");
  EXPECT_EQ(e.lines(0)[2], u"極楽乃");
  EXPECT_EQ(e.session().table.registeredPairs, (std::vector<RegisteredPair>{{u"の", u"乃"}}));
  EXPECT_EQ(e.doc().undoStore.kind(), kUndoReplacement);
  e.run("undo");
  EXPECT_EQ(e.lines(0)[2], u"極楽の");
  // Two units that are not a pair, and control characters, are not a character.
  e.run("charrep ab\ncharrep \"\\u001b\"");
  EXPECT_EQ(e.lines(0)[2], u"極楽の");
}

TEST(Clipboard, CopyTakesLinesAsTheyArePasteBreaksLinesAsEnterDoes) {
  ScriptedEdit e = rubyPage();
  e.run("select 0 1 2 0 2 2\ncopy");
  EXPECT_EQ(e.session().host().clipboard, u"の糸極楽");
  // CR LF, LF and CR each break the line; control characters stay out.
  e.run("clip \"甲\\r\\n乙\\n丙\\u001b\"\ngoto 0 2 -1\npaste");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"(くも)", u"蜘蛛の糸", u"極楽の甲\r", u"乙\r", u"丙"}));
  EXPECT_EQ(e.doc().undoStore.kind(), kUndoReplacement);
  // Inside ruby no line breaks, and characters pasted at its first position move it.
  e.run("goto 0 1 1\npaste");
  EXPECT_EQ(e.lines(0)[1], u"蜘甲乙丙蛛の糸");
  EXPECT_EQ(rubyCover(e), u"蜘甲乙丙蛛");
  e.run("clip \"\\ud840\\udc0b\\ud840\\udc0b\"\ngoto 0 1 0\npaste");
  EXPECT_EQ(rubyCover(e), u"蜘甲乙丙蛛");  // moved by two characters, not four units
  // Over a one-line selection the paste replaces it.
  e.run("clip 網\nselect 0 1 2 0 1 3\npaste");
  EXPECT_EQ(e.lines(0)[1], u"\U0002000B\U0002000B網甲乙丙蛛の糸");
  // Too long a text is not pasted.
  e.run("clip \"" + std::string(20000, 'x') + "\"\npaste");
  EXPECT_EQ(e.lines(0)[1], u"\U0002000B\U0002000B網甲乙丙蛛の糸");
}

TEST(Selection, DeletingAcrossBlocksLeavesTheCaretOnWhatRemains) {
  ScriptedEdit e(page(block(true, column(1000, u"一二")) + block(true, column(600, u"三") + column(540, u"四五"))),
                 plain());
  // Selected backwards, from the second block into the first.
  e.run("select 1 1 1 0 0 1\ndel");
  EXPECT_EQ(e.lines(0), (std::vector<std::u16string>{u"一"}));
  EXPECT_EQ(e.lines(1), (std::vector<std::u16string>{u"五"}));
  EXPECT_EQ(e.cursor(), (ViewPosition{1, 0, 0}));
  EXPECT_TRUE(e.session().edit.selection.empty());
  // Everything from the second block: its emptied last line stays, the caret at its end.
  e.run("select 1 0 0 1 0 -1\ndel");
  EXPECT_EQ(e.lines(1), (std::vector<std::u16string>{u""}));
  EXPECT_EQ(e.cursor(), (ViewPosition{1, 0, -1}));
}

TEST(Moves, ReadingOrderSkipsRubyAndCrossesBlocksAndPages) {
  ScriptedEdit e = rubyPage();
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 0}));  // the page's start skips the ruby
  e.run("move next 4");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, -1}));
  e.run("move next");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, 0}));
  e.run("move prev");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, -1}));
  // Each move is a key pressed and let go: the column is taken afresh each time.
  e.run("move down\nmove up");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 1, 3}));
  e.run("move down");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, -1}));
  e.run("goto 0 1 3\nmove down");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, -1}));  // a shorter line: its end
  e.run("move next --nocross 9");
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, -1}));
  e.run("move next");
  EXPECT_EQ(e.doc().currentPage, 1);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 0}));
  e.run("move prev");
  EXPECT_EQ(e.doc().currentPage, 0);
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 2, -1}));
}

}  // namespace
}  // namespace lexova::editing
