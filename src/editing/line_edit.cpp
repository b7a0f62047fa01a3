#include "editing/line_edit.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "text/utf.h"

namespace lexova::editing::detail {

bool isBreak(const COcrChar& c) {
  return c.code[0] == u'\r' && c.code[1] == 0;
}

bool insertable(char16_t u) {
  return u == u'\r' || (u >= 0x20 && u != 0x7F);
}

std::vector<CharCode> charactersOf(std::u16string_view text, bool lineBreaks) {
  std::vector<CharCode> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u == u'\r' || u == u'\n') {
      if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      if (lineBreaks) out.push_back(makeCode(u'\r'));
    } else if (text::isHighSurrogate(u)) {
      if (i + 1 < text.size() && text::isLowSurrogate(text[i + 1])) {
        out.push_back(makeCode(u, text[i + 1]));
        ++i;
      }
    } else if (!text::isLowSurrogate(u) && insertable(u)) {
      out.push_back(makeCode(u));
    }
  }
  return out;
}

void addUnits(const EditCursor& c, int delta) {
  c.line->charCount += delta;
  if (c.cell) c.cell->charCount += delta;
  c.block->charCount += delta;
}

void recount(const EditCursor& c) {
  int units = 0;
  for (const COcrChar& ch : c.line->chars) units += codeLength(ch.code);
  addUnits(c, units - c.line->charCount);
}

COcrChar madeChar(const CharCode& code, int width, int height) {
  COcrChar c;
  c.code = code;
  c.x = c.y = -1;
  c.width = width;
  c.height = height;
  c.CC = 10;
  return c;
}

std::pair<int, int> sizeAt(const EditCursor& c) {
  if (!c.atEnd()) return {c.ch->width, c.ch->height};
  if (c.ch != c.line->chars.begin()) {
    const COcrChar& before = *std::prev(c.ch);
    return {before.width, before.height};
  }
  const int thickness = c.block->direction == kVertical ? c.line->width : c.line->height;
  return {thickness, thickness};
}

std::vector<COcrLine*> annotationsOf(LineList& lines, const COcrLine* base) {
  std::vector<COcrLine*> out;
  for (COcrLine& l : lines) {
    if (l.attr != kAttrNone && l.baseLine == base) out.push_back(&l);
  }
  return out;
}

bool shiftForTyping(LineList& lines, const COcrLine* base, int p) {
  bool changed = false;
  for (COcrLine* r : annotationsOf(lines, base)) {
    if (p < r->RCS) {
      ++r->RCS, ++r->RCE;
      changed = true;
    } else if (p <= r->RCE) {
      ++r->RCE;
      changed = true;
    }
  }
  return changed;
}

bool shiftForPaste(LineList& lines, const COcrLine* base, int i, int n) {
  bool changed = false;
  for (COcrLine* r : annotationsOf(lines, base)) {
    if (i < r->RCS) {
      r->RCS += n, r->RCE += n;
      changed = true;
    } else if (i <= r->RCE) {
      r->RCE += n;
      changed = true;
    }
  }
  return changed;
}

void removeLine(const EditCursor& c, LineList::iterator line) {
  LineList& lines = c.lines();
  // Its annotation lines annotate nothing any more.
  for (auto it = lines.begin(); it != lines.end();) {
    if (it->attr != kAttrNone && it->baseLine == &*line) {
      EditCursor at = c;
      at.line = it;
      addUnits(at, -it->charCount);
      it = lines.erase(it);
    } else {
      ++it;
    }
  }
  EditCursor at = c;
  at.line = line;
  addUnits(at, -line->charCount);
  lines.erase(line);
}

bool shiftForDeletion(const EditCursor& c, int p) {
  bool changed = false;
  LineList& lines = c.lines();
  for (auto it = lines.begin(); it != lines.end();) {
    COcrLine& r = *it;
    if (r.attr == kAttrNone || r.baseLine != &*c.line) {
      ++it;
      continue;
    }
    if (p < r.RCS) {
      --r.RCS, --r.RCE;
      changed = true;
    } else if (p <= r.RCE) {
      changed = true;
      if (r.RCS == r.RCE) {
        // The ruby of this character alone goes with it.
        EditCursor at = c;
        at.line = it;
        addUnits(at, -r.charCount);
        it = lines.erase(it);
        continue;
      }
      --r.RCE;
    }
    ++it;
  }
  return changed;
}

bool removable(const EditCursor& c) {
  int ordinary = 0;
  for (const COcrLine& l : c.lines()) ordinary += l.attr == kAttrNone;
  return ordinary > 1 || c.line->attr != kAttrNone;
}

bool insertCharacters(EditCursor& c, const std::vector<CharCode>& chars, bool paste, int width, int height) {
  if (chars.empty()) return false;
  const int index = static_cast<int>(std::distance(c.line->chars.begin(), c.ch));
  LineList& lines = c.lines();
  bool ruby = false;
  if (paste) ruby = shiftForPaste(lines, &*c.line, index, static_cast<int>(chars.size()));
  int units = 0;
  int p = index + 1;
  for (const CharCode& code : chars) {
    c.line->chars.insert(c.ch, madeChar(code, width, height));
    units += codeLength(code);
    if (!paste && shiftForTyping(lines, &*c.line, p)) ruby = true;
    ++p;
  }
  addUnits(c, units);
  return ruby;
}

bool deleteCharacters(const EditCursor& c, int from, int to) {
  bool ruby = false;
  to = std::min(to, static_cast<int>(c.line->chars.size()));
  if (from >= to) return false;
  auto first = std::next(c.line->chars.begin(), from);
  // From the last one back, so that the positions of the rest stay as they are.
  for (int p = to; p > from; --p) {
    if (shiftForDeletion(c, p)) ruby = true;
  }
  int units = 0;
  auto last = std::next(first, to - from);
  for (auto it = first; it != last; ++it) units += codeLength(it->code);
  c.line->chars.erase(first, last);
  addUnits(c, -units);
  return ruby;
}

}  // namespace lexova::editing::detail
