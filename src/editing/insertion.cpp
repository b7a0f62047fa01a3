// Typing and line breaks.
#include <algorithm>
#include <iterator>

#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "editing/line_edit.h"
#include "text/utf.h"

namespace lexova::editing {
namespace detail {

namespace {

int clampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// Whether the character at 1-based position p of the line is covered by one of
// its annotation lines.
bool covered(const EditCursor& c, int p) {
  for (const COcrLine* r : annotationsOf(c.lines(), &*c.line)) {
    if (r->RCS <= p && p <= r->RCE) return true;
  }
  return false;
}

}  // namespace

bool lineBreakAllowed(const EditCursor& c, Host* tellWhyNot) {
  if (!c.set() || c.block->type == kBlockTable) return false;
  const int p = static_cast<int>(std::distance(c.line->chars.begin(), c.ch)) + 1;
  if (c.line->attr != kAttrNone || (!c.atEnd() && covered(c, p))) {
    if (tellWhyNot) tellWhyNot->message(u"ルビに改行は挿入できません", kApplicationName, MessageIcon::Warning);
    return false;
  }
  return true;
}

void breakLine(COcrPage& page, EditCursor& c) {
  const bool atEnd = c.atEnd();
  const auto [width, height] = sizeAt(c);
  const auto lineBreak = c.line->chars.insert(c.ch, madeChar(makeCode(u'\r'), width, height));
  addUnits(c, 1);
  if (atEnd) {
    if (lineBreak == c.line->chars.begin() || !isBreak(*std::prev(lineBreak))) {
      // The line now ends with its break: the cursor goes on to the next line of
      // the block. The block's last line gets a new empty line after it, so that
      // nothing typed next lands behind a break.
      if (auto next = nextLineStart(page, c, true)) {
        c = *next;
        return;
      }
    } else {
      // Enter pressed twice at the end of a line: the new break makes a line of its own.
      c.ch = lineBreak;
    }
  }
  COcrLine& old = *c.line;
  LineList& lines = c.lines();
  const int k = static_cast<int>(std::distance(old.chars.begin(), c.ch));  // characters that go
  const int n = static_cast<int>(old.chars.size());
  // Ruby positions are those before the break was inserted: the old characters
  // that go are the first k - 1, or all k when the break is the cursor character.
  const int gone = c.ch == lineBreak ? k : k - 1;
  const std::vector<COcrLine*> annotations = annotationsOf(lines, &old);
  // The new line goes before the first annotation line that stays with the old
  // one, so that each annotation still stands before its base line.
  auto where = c.line;
  for (auto it = lines.begin(); it != c.line; ++it) {
    if (it->attr != kAttrNone && it->baseLine == &old && it->RCE > gone) {
      where = it;
      break;
    }
  }
  const auto fresh = lines.emplace(where);
  fresh->attr = old.attr;
  fresh->baseLine = old.baseLine;
  fresh->RCS = old.RCS;
  fresh->RCE = old.RCE;
  fresh->groupId = old.groupId;
  fresh->groupIndex = old.groupIndex;
  fresh->chars.splice(fresh->chars.end(), old.chars, old.chars.begin(), c.ch);
  int units = 0;
  for (const COcrChar& ch : fresh->chars) units += codeLength(ch.code);
  fresh->charCount = units;
  old.charCount -= units;
  // The old box shared along the line in proportion to the characters.
  const bool vertical = c.block->direction == kVertical;
  fresh->x = old.x, fresh->y = old.y, fresh->width = old.width, fresh->height = old.height;
  const long long along = vertical ? old.height : old.width;
  const long long share = n > 0 ? static_cast<long long>(k) * along / n : 0;
  (vertical ? fresh->height : fresh->width) = clampToInt(share);
  (vertical ? old.height : old.width) = clampToInt(along - share);
  for (COcrLine* r : annotations) {
    if (r->RCE <= gone) {
      r->baseLine = &*fresh;
      // An annotation of the new line must stand before it.
      bool before = false;
      for (auto it = lines.begin(); it != fresh && !before; ++it) before = &*it == r;
      if (!before) {
        for (auto it = lines.begin(); it != lines.end(); ++it) {
          if (&*it == r) {
            lines.splice(fresh, lines, it);
            break;
          }
        }
      }
    } else {
      r->RCS -= gone;
      r->RCE -= gone;
    }
  }
}

Damage insertAsPaste(COcrPage& page, EditCursor& c, const std::vector<CharCode>& chars) {
  Damage damage = Damage::Line;
  std::vector<CharCode> run;
  auto flush = [&] {
    if (run.empty()) return;
    const auto [width, height] = sizeAt(c);
    if (insertCharacters(c, run, true, width, height)) damage = Damage::Page;
    run.clear();
  };
  for (const CharCode& code : chars) {
    if (code[0] != u'\r') {
      run.push_back(code);
      continue;
    }
    flush();
    if (lineBreakAllowed(c, nullptr)) {
      breakLine(page, c);
      damage = Damage::Page;
    }
  }
  flush();
  return damage;
}

}  // namespace detail

using namespace detail;

EditResult InsertLineBreak(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return {};
  if (!lineBreakAllowed(s.cursor, s.cursor.block->type == kBlockTable ? nullptr : &t.host())) return {};
  t.recordUndo(kUndoTyping, [&] { return positionOf(*page, s.cursor); });
  s.selection.clear();
  breakLine(*page, s.cursor);
  t.pageEdited();
  return {true, Damage::Page};
}

EditResult InsertChar(EditState& s, EditTarget& t, char16_t u, int n) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (u == 8 || !page || !s.cursor.set()) return {};
  n = std::max(n, 1);
  // Only 13 and the units from 0x20 up (not DEL) ever enter the text, and a
  // surrogate pair only whole.
  CharCode code;
  if (text::isLowSurrogate(u)) {
    if (s.pendingHigh == 0) return {};
    code = makeCode(s.pendingHigh, u);
    s.pendingHigh = 0;
  } else {
    s.pendingHigh = 0;
    if (text::isHighSurrogate(u)) {
      s.pendingHigh = u;
      return {};
    }
    if (!insertable(u)) return {};
    code = makeCode(u);
  }
  if (!s.selection.empty()) {
    if (!s.selection.start.sameLine(s.selection.end)) return {};
    std::u16string text;
    for (int i = 0; i < n; ++i) text += codeText(code);
    return ReplaceSelection(s, t, text);
  }
  if (code[0] == u'\r') {
    EditResult r;
    for (int i = 0; i < n; ++i) {
      const EditResult one = InsertLineBreak(s, t);
      if (!one.changed) break;
      r = one;
    }
    return r;
  }
  t.recordUndo(kUndoTyping, [&] { return positionOf(*page, s.cursor); });
  const auto [width, height] = sizeAt(s.cursor);
  const bool ruby =
      insertCharacters(s.cursor, std::vector<CharCode>(static_cast<std::size_t>(n), code), false, width, height);
  t.pageEdited();
  return {true, ruby ? Damage::Page : Damage::Line};
}

}  // namespace lexova::editing
