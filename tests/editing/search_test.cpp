// Find, replace and the reject characters as a corrector uses them hundreds of
// times a day: what gets selected, what gets replaced and how many, which prompts
// come on which page, and that nothing hangs or lands on a stale position. The
// model's invariants are checked after every operation.
#include "editing/search.h"

#include <gtest/gtest.h>

#include "support/edit_script.h"
#include "support/workfile.h"

namespace lexova::editing {
namespace {

using lexova::testing::ScriptedEdit;

std::u16string num(long long v) {
  return text::fromUtf8(std::to_string(v));
}

// A horizontal line of text at row y; certainties by character (9 unless given).
std::u16string lineXml(std::u16string_view text, int y, std::vector<int> cc = {}) {
  std::u16string t = u"      <line x=\"100\" y=\"" + num(y) + u"\" width=\"" +
                     num(static_cast<long long>(text.size()) * 20) + u"\" height=\"20\" attr=\"\">\n";
  int k = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text::isHighSurrogate(text[i]);
    std::u16string result(1, text[i]);
    if (pair) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%04x%04x", text[i], text[i + 1]);
      result = text::fromUtf8(hex);
    }
    const int c = k < static_cast<int>(cc.size()) ? cc[static_cast<std::size_t>(k)] : 9;
    t += u"        <char x=\"" + num(100 + k * 20) + u"\" y=\"" + num(y) +
         u"\" width=\"18\" height=\"18\" num_cand=\"0\"" + (pair ? u" Unicode=\"2\"" : u"") + u"><result CC=\"" +
         num(c) + u"\">" + result + u"</result></char>\n";
    if (pair) ++i;
    ++k;
  }
  return t + u"      </line>\n";
}

std::u16string blockXml(std::u16string_view lines) {
  return u"    <block type=\"text\" direction=\"horizontal\" x=\"90\" y=\"90\" width=\"900\" height=\"900\" "
         u"sec=\"\">\n" +
         std::u16string(lines) + u"    </block>\n";
}

// Pages of one block each, one line per text.
std::string pages(const std::vector<std::vector<std::u16string>>& texts) {
  std::u16string body;
  int n = 0;
  for (const auto& page : texts) {
    body += u"  <page number=\"" + num(++n) + u"\" file=\"p.tif\">\n";
    std::u16string lines;
    int y = 100;
    for (const std::u16string& t : page) lines += lineXml(t, y += 30);
    body += blockXml(lines) + u"  </page>\n";
  }
  return lexova::testing::workFile(body);
}

// The selected text, and where it starts.
std::u16string selected(ScriptedEdit& e) {
  const EditSelection& sel = e.session().edit.selection;
  std::u16string t;
  if (sel.empty()) return t;
  for (auto c = sel.start.ch; c != sel.end.ch; ++c) t += codeText(c->code);
  return t;
}
ViewPosition selectionStart(ScriptedEdit& e) {
  return positionOf(e.page(), e.session().edit.selection.start);
}

std::vector<std::u16string> shown(ScriptedEdit& e) {
  std::vector<std::u16string> out;
  for (const auto& m : e.session().host().shown) out.push_back(m.text);
  return out;
}

TEST(Find, BackwardFindsAdjacentHitsAndForwardFindsOverlappingOnes) {
  ScriptedEdit e(pages({{u"ABCABC"}}));
  e.run("goto 0 0 -1\nfind ABC --back");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 3}));
  // The next backward search ends where this hit starts: the adjacent one is found.
  e.run("find ABC --back");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 0}));
  EXPECT_EQ(selected(e), u"ABC");
  // Then nothing: the one-page prompt once, and no answer is No.
  e.run("find ABC --back");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。このページの最後から検索しますか？"});
  EXPECT_TRUE(e.session().edit.selection.empty() || selectionStart(e) == (ViewPosition{0, 0, 0}));
  // With Yes it searches again from the end, and finds the last one.
  e.run("answer yes\nfind ABC --back");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 3}));
  ScriptedEdit x(pages({{u"ABCxyz"}}));
  x.run("goto 0 0 -1\nfind ABC --back");
  EXPECT_EQ(selectionStart(x), (ViewPosition{0, 0, 0}));
  ScriptedEdit o(pages({{u"AAA"}}));
  o.run("goto 0 0 0\nfind AA\nfind AA");
  EXPECT_EQ(selectionStart(o), (ViewPosition{0, 0, 1}));
}

TEST(Find, CaseRulesAndSupplementaryCharactersBeforeAHit) {
  ScriptedEdit e(pages({{u"\U0002000Bxｘabc"}}));
  e.run("goto 0 0 0\nfind ABC");
  EXPECT_TRUE(e.session().edit.selection.empty());
  e.run("goto 0 0 0\nfind ABC --nocase");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 3}));  // the pair is one character before the hit
  // The search goes on from where it stood; opened again, from the caret.
  e.run("dialog close\ngoto 0 0 0\nfind Ｘ --nocase");  // full-width letters fold too
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 2}));
}

TEST(Find, AHitOverTwoLinesIsNoHit) {
  ScriptedEdit e(pages({{u"xA", u"Bx"}}));
  e.run("goto 0 0 0\nfind AB");
  EXPECT_TRUE(e.session().edit.selection.empty());
}

TEST(Find, EditsWhileTheDialogStaysOpenAreSeen) {
  ScriptedEdit e(pages({{u"abcXdefX"}}));
  e.run("goto 0 0 0\nfind X");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 3}));
  // The person deletes characters before the next hit, with the dialog still open.
  e.run("goto 0 0 0\ndel 3\nfind X");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 0}));
  e.run("find X");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 4}));
  // Undo swaps the page back: the search reads the page as it is now.
  e.run("undo\ngoto 0 0 0\nfind X");
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 3}));
}

TEST(Find, PromptsOnTheFirstMiddleAndLastPages) {
  ScriptedEdit e(pages({{u"aaa"}, {u"bXb"}, {u"ccc"}}));
  e.run("find X");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。次のページを検索しますか？"});
  EXPECT_EQ(e.doc().currentPage, 0);
  e.run("answer yes\nfind X");
  EXPECT_EQ(e.doc().currentPage, 1);
  EXPECT_EQ(selectionStart(e), (ViewPosition{0, 0, 1}));
  e.run("answer yes\nfind X");
  EXPECT_EQ(e.doc().currentPage, 2);
  EXPECT_EQ(shown(e), (std::vector<std::u16string>{u"文字列が見つかりません。次のページを検索しますか？",
                                                   u"文字列が見つかりません。最終ページです。"}));
  e.run("find X --back");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。前のページを検索しますか？"});
  e.run("page 0\nfind X --back");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。先頭ページです。"});
}

TEST(Find, OnePageIsSearchedAgainOnceNotForever) {
  ScriptedEdit e(pages({{u"abc"}}));
  e.run("answer yes yes yes\nfind Z");
  EXPECT_EQ(shown(e).size(), 1u);
  EXPECT_TRUE(e.session().edit.selection.empty());
}

TEST(Replace, AllReplacementsAreCountedAndNeverRunAway) {
  const std::tuple<std::u16string, std::string, std::string, int, std::u16string> cases[] = {
      {u"AAA", "A", "B", 3, u"BBB"},
      {u"ABAB", "AB", "X", 2, u"XX"},
      {u"A", "A", "AAA", 1, u"AAA"},
      {u"xAyA", "a", "A\\u0300", 0, u"xAyA"},
  };
  for (const auto& [before, search, replacement, count, after] : cases) {
    SCOPED_TRACE(search + " -> " + replacement);
    ScriptedEdit e(pages({{before}}));
    e.run("replace-all " + search + " \"" + replacement + "\"");
    EXPECT_EQ(e.session().search.replaced, count);
    EXPECT_EQ(e.lines(0)[0], after);
    EXPECT_TRUE(shown(e).empty());  // one page: it stops without a word
  }
  // Without match case, by the same rule as the search.
  ScriptedEdit nocase(pages({{u"aBc abc"}}));
  nocase.run("replace-all ABC 字 --nocase");
  EXPECT_EQ(nocase.lines(0)[0], u"字 字");
  // One undo step per page gives the page back.
  nocase.run("undo");
  EXPECT_EQ(nocase.lines(0)[0], u"aBc abc");
}

TEST(Replace, PageByPageWithItsPromptsAndTheSameStringsRefused) {
  ScriptedEdit e(pages({{u"AxA"}, {u"A"}, {u"zA"}}));
  e.run("answer yes no\nreplace-all A B");
  EXPECT_EQ(e.session().search.replaced, 3);
  EXPECT_EQ(shown(e),
            (std::vector<std::u16string>{u"このページでの置換処理が終了しました。次のページを置換処理しますか？",
                                         u"このページでの置換処理が終了しました。次のページを置換処理しますか？"}));
  EXPECT_EQ(e.doc().currentPage, 1);
  e.run("page 2\nreplace-all A B");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"このページでの置換処理が終了しました。"});
  EXPECT_EQ(e.doc().editedPages(), (std::vector<int>{0, 1, 2}));
  e.run("replace-all B B");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"検索文字と置換文字が同じです。"});
}

TEST(Replace, OneAtATimeComparesByTheCaseRuleAndRegistersOnce) {
  ScriptedEdit e(pages({{u"abc ABC abc"}}));
  e.session().settings().registerReplacements = true;
  e.run("goto 0 0 0\nreplace ABC 字 --nocase");  // selects the first hit
  EXPECT_EQ(selected(e), u"abc");
  e.run("replace ABC 字 --nocase");  // replaces it, selects the next
  EXPECT_EQ(e.lines(0)[0], u"字 ABC abc");
  EXPECT_EQ(selected(e), u"ABC");
  e.run("replace ABC 字 --nocase\nreplace ABC 字 --nocase");
  EXPECT_EQ(e.lines(0)[0], u"字 字 字");
  EXPECT_EQ(e.session().table.registeredPairs, (std::vector<RegisteredPair>{{u"ABC", u"字"}}));
}

// ---- reject characters ----------------------------------------------------------------------

std::string rejectPages() {
  // Page 1: a text block (CC 9, 1, 9, 0x8000) and a table cell with a reject (CC 0).
  std::u16string one =
      blockXml(lineXml(u"一二三四", 100, {9, 1, 9, 0x8000})) +
      u"    <block type=\"table\" direction=\"horizontal\" x=\"90\" y=\"500\" width=\"300\" height=\"50\" sec=\"\">\n"
      u"    <CellData  x=\"90\" y=\"500\" width=\"300\" height=\"50\" row=\"0\" col=\"0\">\n" +
      lineXml(u"表格", 510, {9, 0}) + u"    </CellData>\n    </block>\n";
  std::u16string two = blockXml(lineXml(u"五六", 100, {2, 5}));
  return lexova::testing::workFile(u"  <page number=\"1\" file=\"p.tif\">\n" + one + u"  </page>\n" +
                                   u"  <page number=\"2\" file=\"p.tif\">\n" + two + u"  </page>\n");
}

TEST(Rejects, CertaintyBelowTheLevelBit15AndCellsInReadingOrder) {
  ScriptedEdit e(rejectPages());
  e.run("reject next");
  EXPECT_EQ(selected(e), u"二");
  e.run("reject next");
  EXPECT_EQ(selected(e), u"四");  // bit 15
  e.run("reject next");
  EXPECT_EQ(selected(e), u"格");  // in the table's cell
  EXPECT_EQ(selectionStart(e), (ViewPosition{1, 0, 1}));
  // Nothing more on the page: on to the next, whose CC 2 is no reject at level 2.
  e.run("answer yes\nreject next");
  EXPECT_EQ(e.doc().currentPage, 1);
  EXPECT_EQ(shown(e), (std::vector<std::u16string>{u"文字列が見つかりません。次のページを検索しますか？",
                                                   u"文字列が見つかりません。このページの最初から検索しますか？"}));
  e.session().settings().rejectLevel = 3;
  e.run("reject next");
  EXPECT_EQ(selected(e), u"五");
  // The caret on a reject with nothing shown: that one counts.
  e.run("page 0\ngoto 0 0 1\nreject next");
  EXPECT_EQ(selected(e), u"二");
  e.run("reject prev");
  EXPECT_TRUE(e.session().edit.selection.empty());
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。このページの最後から検索しますか？"});
  EXPECT_EQ(e.cursor(), (ViewPosition{0, 0, 1}));  // No: the caret where it was
  e.run("answer yes\nreject prev");
  EXPECT_EQ(selected(e), u"格");
}

TEST(Rejects, OnTheLastPageThePageIsSearchedAgainOnceAndACaretGoneStartsAtTheTop) {
  ScriptedEdit e(rejectPages());
  e.run("page 1\ngoto 0 0 1\nanswer yes yes\nreject next");
  EXPECT_EQ(shown(e), std::vector<std::u16string>{u"文字列が見つかりません。このページの最初から検索しますか？"});
  EXPECT_TRUE(e.session().edit.selection.empty());  // CC 2 and 5 are no rejects at level 2: asked once only
  // A block deletion clears the caret: the next reject is looked for from the page's top.
  e.run("page 0\nframe select 0\nblocks delete\nreject next");
  EXPECT_EQ(selected(e), u"格");
}

}  // namespace
}  // namespace lexova::editing
