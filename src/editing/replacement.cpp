// Overwriting a selection, choosing a candidate, the character replace dialog.
#include <algorithm>
#include <iterator>

#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "editing/line_edit.h"
#include "text/utf.h"

namespace lexova::editing {

using namespace detail;

namespace {

// A code that may stand in the text as one character: one insertable unit, or a
// surrogate pair.
bool validCharacter(const CharCode& code) {
  const int n = codeLength(code);
  if (n == 1) return !text::isHighSurrogate(code[0]) && !text::isLowSurrogate(code[0]) && insertable(code[0]);
  return n == 2 && text::isHighSurrogate(code[0]) && text::isLowSurrogate(code[1]);
}

}  // namespace

EditResult ReplaceSelection(EditState& s, EditTarget& t, std::u16string_view text) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set() || s.selection.empty()) return {};
  const EditSelection sel = normalised(*page, s.selection);
  if (!sel.start.sameLine(sel.end)) return {};
  const std::vector<CharCode> chars = charactersOf(text, true);
  t.recordUndo(kUndoReplacement, [&] { return positionOf(*page, s.cursor); });
  const bool breaks = std::any_of(chars.begin(), chars.end(), [](const CharCode& c) { return c[0] == u'\r'; });
  if (breaks) {
    // Text over several lines replaces the selection as a paste would.
    Damage damage = deleteSelection(*page, s);
    damage = worse(damage, insertAsPaste(*page, s.cursor, chars));
    t.pageEdited();
    return {true, damage};
  }
  EditCursor c = sel.start;
  const int first = charIndex(sel.start), m = charIndex(sel.end) - first;
  const int l = static_cast<int>(chars.size());
  bool ruby = false;
  // Overwritten characters keep their boxes and candidates.
  auto it = c.ch;
  for (int i = 0; i < std::min(m, l); ++i, ++it) {
    it->code = chars[static_cast<std::size_t>(i)];
    it->CC = 10;
  }
  c.ch = it;
  if (l > m) {
    // The extra characters have no box and join the ruby as typing does.
    ruby = insertCharacters(c, std::vector<CharCode>(chars.begin() + m, chars.end()), false, 0, 0);
  } else if (l < m) {
    const int from = first + l;
    ruby = deleteCharacters(c, from, first + m);
    c.ch = std::next(c.line->chars.begin(), from);
  }
  recount(c);
  s.selection.clear();
  s.cursor = c;
  s.cursor.column = -1;
  t.pageEdited();
  return {true, ruby ? Damage::Page : Damage::Line};
}

EditResult ChooseCandidate(EditState& s, EditTarget& t, int i) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set() || s.cursor.atEnd()) return {};
  COcrChar& ch = *s.cursor.ch;
  if (i < 0 || i >= ch.num_cand() || !validCharacter(ch.candCode(i))) return {};
  t.recordUndo(kUndoReplacement, [&] { return positionOf(*page, s.cursor); });
  ch.code = ch.candCode(i);
  ch.CC = 10;
  recount(s.cursor);
  t.pageEdited();
  return {true, Damage::Page};
}

EditResult ReplaceCharByDialog(EditState& s, EditTarget& t, std::u16string_view entered, bool registerPair) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set() || s.cursor.atEnd() || entered.empty() || entered.size() > 2) return {};
  const CharCode code = entered.size() == 1 ? makeCode(entered[0]) : makeCode(entered[0], entered[1]);
  if (!validCharacter(code)) return {};
  t.recordUndo(kUndoReplacement, [&] { return positionOf(*page, s.cursor); });
  const std::u16string before(codeText(s.cursor.ch->code));
  s.cursor.ch->code = code;
  recount(s.cursor);
  const std::u16string after(codeText(code));
  if (registerPair && !(before == s.lastRegisteredSearch && after == s.lastRegisteredReplacement)) {
    t.registerPair(before, after);
    s.lastRegisteredSearch = before;
    s.lastRegisteredReplacement = after;
  }
  t.pageEdited();
  return {true, Damage::Page};
}

}  // namespace lexova::editing
