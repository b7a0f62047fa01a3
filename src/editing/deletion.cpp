// Deleting characters and selections, joining lines, removing emptied lines.
#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <unordered_set>

#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "editing/line_edit.h"

namespace lexova::editing {
namespace detail {
namespace {

int clampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool inList(const LineList& lines, const COcrLine* l) {
  return std::any_of(lines.begin(), lines.end(), [l](const COcrLine& x) { return &x == l; });
}

// The next ordinary line of the same list.
LineList::iterator nextOrdinary(const EditCursor& c) {
  LineList& lines = c.lines();
  for (auto it = std::next(c.line); it != lines.end(); ++it) {
    if (it->attr == kAttrNone) return it;
  }
  return lines.end();
}

// Whether two lines stand at the same place: across the writing direction within
// a fifth of this line's thickness, in position and in size.
bool samePlace(const COcrLine& a, const COcrLine& b, bool vertical) {
  const double position = std::abs(static_cast<double>(vertical ? a.x : a.y) - (vertical ? b.x : b.y));
  const double size = std::abs(static_cast<double>(vertical ? a.width : a.height) - (vertical ? b.width : b.height));
  const double limit = 0.2 * (vertical ? a.width : a.height);
  return position < limit && size < limit;
}

// The union of the boxes of the line's characters that have one (line breaks
// left out); the given box when none has.
void boxOfCharacters(COcrLine& l, long long x0, long long y0, long long x1, long long y1) {
  long long minX = LLONG_MAX, minY = LLONG_MAX, maxX = LLONG_MIN, maxY = LLONG_MIN;
  for (const COcrChar& c : l.chars) {
    if (c.x < 0 || c.y < 0 || isBreak(c)) continue;
    minX = std::min<long long>(minX, c.x);
    minY = std::min<long long>(minY, c.y);
    maxX = std::max<long long>(maxX, static_cast<long long>(c.x) + c.width);
    maxY = std::max<long long>(maxY, static_cast<long long>(c.y) + c.height);
  }
  if (minX == LLONG_MAX) minX = x0, minY = y0, maxX = x1, maxY = y1;
  l.x = clampToInt(minX);
  l.y = clampToInt(minY);
  l.width = clampToInt(maxX - minX);
  l.height = clampToInt(maxY - minY);
}

// Joins the next ordinary line of the list to the line at c: its characters
// follow, its annotation lines come to the joined line (moved before it, their
// ranges after the characters before). The cursor goes to its first character.
void join(EditCursor& c, LineList::iterator next) {
  LineList& lines = c.lines();
  COcrLine& line = *c.line;
  const int before = static_cast<int>(line.chars.size());
  const long long x0 = std::min(line.x, next->x), y0 = std::min(line.y, next->y);
  const long long x1 =
      std::max(static_cast<long long>(line.x) + line.width, static_cast<long long>(next->x) + next->width);
  const long long y1 =
      std::max(static_cast<long long>(line.y) + line.height, static_cast<long long>(next->y) + next->height);
  for (auto it = lines.begin(); it != lines.end();) {
    const auto current = it++;
    if (current->attr == kAttrNone || current->baseLine != &*next) continue;
    current->baseLine = &line;
    current->RCS += before;
    current->RCE += before;
    lines.splice(c.line, lines, current);
  }
  const auto firstMoved = next->chars.begin();
  const bool anyMoved = !next->chars.empty();
  line.chars.splice(line.chars.end(), next->chars);
  line.charCount += next->charCount;
  next->charCount = 0;
  lines.erase(next);
  boxOfCharacters(line, x0, y0, x1, y1);
  c.ch = anyMoved ? firstMoved : line.chars.end();
}

// Where the cursor goes when its line is removed: the next line with characters
// (found before the removal), else the end of the last line before that survives,
// else the page's start.
struct Landing {
  std::optional<EditCursor> next, previous;
};
Landing landingAround(COcrPage& page, const EditCursor& c) {
  return {nextLineStart(page, c), previousLine(page, c)};
}
EditCursor land(COcrPage& page, const Landing& l) {
  if (l.next) return *l.next;
  if (l.previous) {
    EditCursor c = *l.previous;
    c.ch = c.line->chars.end();
    return c;
  }
  return pageStart(page);
}

}  // namespace

std::vector<LineRange> selectedRanges(COcrPage& page, const EditSelection& sel) {
  std::vector<LineRange> out;
  EditCursor at = sel.start;
  at.ch = at.line->chars.begin();
  for (;;) {
    const bool first = at.sameLine(sel.start), last = at.sameLine(sel.end);
    if (first || last || at.line->attr == kAttrNone) {
      const int from = first ? charIndex(sel.start) : 0;
      const int to = last ? charIndex(sel.end) : static_cast<int>(at.line->chars.size());
      if (to > from) out.push_back({at, from, to});
    }
    if (last || !stepToNextLine(page, at)) break;
  }
  return out;
}

Damage deleteSelection(COcrPage& page, EditState& s) {
  const EditSelection sel = normalised(page, s.selection);
  s.selection.clear();
  if (sel.empty()) return Damage::None;
  const std::vector<LineRange> ranges = selectedRanges(page, sel);
  Damage damage = sel.start.sameLine(sel.end) ? Damage::Line : Damage::Page;
  for (const LineRange& r : ranges) {
    if (!inList(r.line.lines(), &*r.line.line)) continue;  // went with its base line
    auto it = std::next(r.line.line->chars.begin(), r.from);
    for (int i = r.from; i < r.to && it != r.line.line->chars.end(); ++i, ++it) {
      if (isBreak(*it)) damage = Damage::Page;
    }
    if (deleteCharacters(r.line, r.from, r.to)) damage = Damage::Page;
  }
  // The cursor where the deletion ended; emptied lines go.
  EditCursor end = sel.end;
  const bool endSurvives = inList(end.lines(), &*end.line) && !end.line->chars.empty();
  Landing landing;
  if (endSurvives) {
    end.ch = std::next(end.line->chars.begin(), std::min<int>(sel.start.sameLine(sel.end) ? charIndex(sel.start) : 0,
                                                              static_cast<int>(end.line->chars.size())));
  } else if (inList(end.lines(), &*end.line)) {
    landing = landingAround(page, end);
  }
  for (const LineRange& r : ranges) {
    if (!inList(r.line.lines(), &*r.line.line) || !r.line.line->chars.empty() || !removable(r.line)) continue;
    removeLine(r.line, r.line.line);
    damage = Damage::Page;
  }
  if (endSurvives) {
    s.cursor = end;
  } else if (inList(end.lines(), &*end.line)) {
    end.ch = end.line->chars.end();  // an emptied line that stays: its end
    s.cursor = end;
  } else {
    s.cursor = land(page, landing);
  }
  s.cursor.column = -1;
  return damage;
}

}  // namespace detail

using namespace detail;

EditResult DeleteForward(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return {};
  auto where = [&] { return positionOf(*page, s.cursor); };
  if (!s.selection.empty()) {
    t.recordUndo(kUndoDeletion, where);
    const Damage d = deleteSelection(*page, s);
    t.pageEdited();
    return {true, d};
  }
  EditCursor& c = s.cursor;
  if (c.atEnd()) return {};
  t.recordUndo(kUndoDeletion, where);
  const int p = charIndex(c) + 1;
  const bool lineBreak = isBreak(*c.ch);
  bool ruby = shiftForDeletion(c, p);
  const int units = codeLength(c.ch->code);
  c.ch = c.line->chars.erase(c.ch);
  addUnits(c, -units);
  Damage damage = ruby ? Damage::Page : Damage::Line;
  if (lineBreak) {
    damage = Damage::Page;
    const auto next = nextOrdinary(c);
    if (next != c.lines().end() && samePlace(*c.line, *next, c.block->direction == kVertical)) {
      join(c, next);
    } else if (c.line->chars.empty() && removable(c)) {
      const Landing landing = landingAround(*page, c);
      removeLine(c, c.line);
      c = land(*page, landing);
    }
  } else if (c.line->chars.empty() && removable(c)) {
    const Landing landing = landingAround(*page, c);
    removeLine(c, c.line);
    c = land(*page, landing);
    damage = Damage::Page;
  }
  c.column = -1;
  t.pageEdited();
  return {true, damage};
}

EditResult DeleteBackward(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return {};
  if (!s.selection.empty()) return DeleteForward(s, t);
  // Nothing before the cursor on this page: nothing to delete.
  if (s.cursor.ch == s.cursor.line->chars.begin() && !previousLine(*page, s.cursor)) return {};
  MovePrevChar(s, t);
  // At the end of a line without a break: its last character.
  if (s.cursor.atEnd() && !s.cursor.line->chars.empty()) --s.cursor.ch;
  return DeleteForward(s, t);
}

}  // namespace lexova::editing
