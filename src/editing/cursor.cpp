#include "editing/cursor.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace lexova::editing {
namespace {

bool isBreak(const COcrChar& c) {
  return c.code[0] == u'\r' && c.code[1] == 0;
}
bool editable(const COcrBlock& b) {
  return b.type == kBlockText || b.type == kBlockTable;
}
// A line the cursor stops at in reading order.
bool stop(const COcrLine& l) {
  return l.attr == kAttrNone && !l.chars.empty();
}

OcrList<COcrCell>::iterator cellIterator(COcrBlock& b, COcrCell* cell) {
  auto it = b.cells.begin();
  while (it != b.cells.end() && &*it != cell) ++it;
  return it;
}

// A line of a block in reading order: the block's own lines, then each cell's.
struct LineAt {
  COcrCell* cell = nullptr;
  LineList::iterator line;
};

std::optional<LineAt> firstOf(COcrBlock& b) {
  if (!b.lines.empty()) return LineAt{nullptr, b.lines.begin()};
  for (COcrCell& c : b.cells) {
    if (!c.lines.empty()) return LineAt{&c, c.lines.begin()};
  }
  return std::nullopt;
}

std::optional<LineAt> lastOf(COcrBlock& b) {
  for (auto c = b.cells.rbegin(); c != b.cells.rend(); ++c) {
    if (!c->lines.empty()) return LineAt{&*c, std::prev(c->lines.end())};
  }
  if (!b.lines.empty()) return LineAt{nullptr, std::prev(b.lines.end())};
  return std::nullopt;
}

bool stepNext(COcrBlock& b, LineAt& at) {
  LineList& list = at.cell ? at.cell->lines : b.lines;
  if (std::next(at.line) != list.end()) {
    ++at.line;
    return true;
  }
  for (auto c = at.cell ? std::next(cellIterator(b, at.cell)) : b.cells.begin(); c != b.cells.end(); ++c) {
    if (!c->lines.empty()) {
      at = {&*c, c->lines.begin()};
      return true;
    }
  }
  return false;
}

bool stepPrev(COcrBlock& b, LineAt& at) {
  LineList& list = at.cell ? at.cell->lines : b.lines;
  if (at.line != list.begin()) {
    --at.line;
    return true;
  }
  if (!at.cell) return false;
  for (auto c = std::make_reverse_iterator(cellIterator(b, at.cell)); c != b.cells.rend(); ++c) {
    if (!c->lines.empty()) {
      at = {&*c, std::prev(c->lines.end())};
      return true;
    }
  }
  if (!b.lines.empty()) {
    at = {nullptr, std::prev(b.lines.end())};
    return true;
  }
  return false;
}

EditCursor cursorOn(COcrBlock& b, const LineAt& at, bool atLineEnd = false) {
  EditCursor c;
  c.block = &b;
  c.cell = at.cell;
  c.line = at.line;
  c.ch = atLineEnd ? at.line->chars.end() : at.line->chars.begin();
  return c;
}

// The end of a line as the previous-character move enters it: on its line break
// when it ends with one, else at its end.
EditCursor lineEnd(EditCursor c) {
  c.ch = c.line->chars.end();
  if (!c.line->chars.empty() && isBreak(c.line->chars.back())) --c.ch;
  return c;
}

OcrList<COcrBlock>::iterator blockIterator(COcrPage& page, const COcrBlock* b) {
  auto it = page.blocks.begin();
  while (it != page.blocks.end() && &*it != b) ++it;
  return it;
}

std::optional<EditCursor> lastLineOf(COcrBlock& b) {
  auto at = lastOf(b);
  if (!at) return std::nullopt;
  do {
    if (stop(*at->line)) return cursorOn(b, *at);
  } while (stepPrev(b, *at));
  return std::nullopt;
}

// The end of a page's reading order: the end of its last stopping line.
EditCursor pageEnd(COcrPage& page) {
  for (auto b = page.blocks.rbegin(); b != page.blocks.rend(); ++b) {
    if (!editable(*b)) continue;
    if (auto c = lastLineOf(*b)) return lineEnd(*c);
  }
  return pageStart(page);
}

std::tuple<int, int, int> order(const COcrPage& page, const EditCursor& c) {
  const ViewPosition p = positionOf(page, c);
  return {p.block, p.line, charIndex(c)};
}

bool crossPage(EditState& s, EditTarget& t, int delta) {
  const int next = t.currentPageIndex() + delta;
  if (next < 0 || next >= t.pageCount()) return false;
  t.setCurrentPage(next);
  s.selection.clear();
  s.pendingHigh = 0;
  COcrPage& page = *t.page(next);
  s.cursor = delta > 0 ? pageStart(page) : pageEnd(page);
  return true;
}

}  // namespace

int charIndex(const EditCursor& c) {
  return static_cast<int>(std::distance(c.line->chars.begin(), c.ch));
}

ViewPosition positionOf(const COcrPage& page, const EditCursor& c) {
  if (!c.set()) return {};
  ViewPosition p;
  for (const COcrBlock& b : page.blocks) {
    if (&b == c.block) break;
    ++p.block;
  }
  auto at = firstOf(*c.block);
  while (at && &*at->line != &*c.line && stepNext(*c.block, *at)) ++p.line;
  p.character = c.atEnd() ? -1 : charIndex(c);
  return p;
}

EditCursor cursorAt(COcrPage& page, ViewPosition p) {
  if (page.blocks.empty()) return {};
  p.block = std::clamp(p.block, 0, static_cast<int>(page.blocks.size()) - 1);
  COcrBlock& b = *std::next(page.blocks.begin(), p.block);
  auto at = editable(b) ? firstOf(b) : std::nullopt;
  if (!at) return pageStart(page);
  for (int i = 0; i < p.line && stepNext(b, *at); ++i) {
  }
  EditCursor c = cursorOn(b, *at);
  const int size = static_cast<int>(c.line->chars.size());
  c.ch = p.character < 0 || p.character >= size ? c.line->chars.end() : std::next(c.line->chars.begin(), p.character);
  return c;
}

std::optional<EditCursor> blockStart(COcrBlock& block) {
  if (!editable(block)) return std::nullopt;
  auto at = firstOf(block);
  if (!at) return std::nullopt;
  do {
    if (stop(*at->line)) return cursorOn(block, *at);
  } while (stepNext(block, *at));
  return std::nullopt;
}

EditCursor pageStart(COcrPage& page) {
  for (COcrBlock& b : page.blocks) {
    if (auto c = blockStart(b)) return *c;
  }
  // No line holds a character: the first ordinary line of the first block.
  for (COcrBlock& b : page.blocks) {
    if (!editable(b)) continue;
    auto at = firstOf(b);
    if (!at) continue;
    do {
      if (at->line->attr == kAttrNone) return cursorOn(b, *at);
    } while (stepNext(b, *at));
  }
  return {};
}

std::optional<EditCursor> nextLineStart(COcrPage& page, const EditCursor& c, bool noCross) {
  LineAt at{c.cell, c.line};
  while (stepNext(*c.block, at)) {
    if (stop(*at.line)) return cursorOn(*c.block, at);
  }
  if (noCross) return std::nullopt;
  for (auto b = std::next(blockIterator(page, c.block)); b != page.blocks.end(); ++b) {
    if (auto start = blockStart(*b)) return start;
  }
  return std::nullopt;
}

std::optional<EditCursor> previousLine(COcrPage& page, const EditCursor& c, bool noCross) {
  LineAt at{c.cell, c.line};
  while (stepPrev(*c.block, at)) {
    if (stop(*at.line)) return cursorOn(*c.block, at);
  }
  if (noCross) return std::nullopt;
  auto b = std::make_reverse_iterator(blockIterator(page, c.block));
  for (; b != page.blocks.rend(); ++b) {
    if (!editable(*b)) continue;
    if (auto last = lastLineOf(*b)) return last;
  }
  return std::nullopt;
}

bool stepToNextLine(COcrPage& page, EditCursor& c) {
  LineAt at{c.cell, c.line};
  if (stepNext(*c.block, at)) {
    c = cursorOn(*c.block, at);
    return true;
  }
  for (auto b = std::next(blockIterator(page, c.block)); b != page.blocks.end(); ++b) {
    if (!editable(*b)) continue;
    if (auto first = firstOf(*b)) {
      c = cursorOn(*b, *first);
      return true;
    }
  }
  return false;
}

bool MoveNextChar(EditState& s, EditTarget& t, bool noCross) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return false;
  EditCursor& c = s.cursor;
  if (c.atEnd() || isBreak(*c.ch)) {
    if (auto next = nextLineStart(*page, c, noCross)) {
      c = *next;
      return true;
    }
    return !noCross && crossPage(s, t, +1);
  }
  ++c.ch;
  return true;
}

bool MovePrevChar(EditState& s, EditTarget& t, bool noCross) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return false;
  EditCursor& c = s.cursor;
  if (c.ch == c.line->chars.begin()) {
    if (auto previous = previousLine(*page, c, noCross)) {
      c = lineEnd(*previous);
      return true;
    }
    return !noCross && crossPage(s, t, -1);
  }
  --c.ch;
  return true;
}

namespace {

bool moveLine(EditState& s, EditTarget& t, bool noCross, bool forward) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return false;
  const int column = s.cursor.column >= 0 ? s.cursor.column : charIndex(s.cursor);
  auto target = forward ? nextLineStart(*page, s.cursor, noCross) : previousLine(*page, s.cursor, noCross);
  if (!target) {
    if (noCross || !crossPage(s, t, forward ? +1 : -1)) return false;
    if (s.cursor.set()) s.cursor.ch = s.cursor.line->chars.begin();
    target = s.cursor;
  }
  EditCursor c = *target;
  const int size = static_cast<int>(c.line->chars.size());
  c.ch = column >= size ? c.line->chars.end() : std::next(c.line->chars.begin(), column);
  c.column = column;
  s.cursor = c;
  return true;
}

}  // namespace

bool MoveNextLine(EditState& s, EditTarget& t, bool noCross) {
  return moveLine(s, t, noCross, true);
}

bool MovePrevLine(EditState& s, EditTarget& t, bool noCross) {
  return moveLine(s, t, noCross, false);
}

void openPage(EditState& s, EditTarget& t) {
  s.selection.clear();
  s.pendingHigh = 0;
  COcrPage* page = t.page(t.currentPageIndex());
  s.cursor = page ? pageStart(*page) : EditCursor{};
}

void SetEditMode(EditState& s, EditTarget& t, EditMode mode) {
  s.mode = mode;
  if (mode == EditMode::Block) return;
  COcrPage* page = t.page(t.currentPageIndex());
  s.selection.clear();
  if (!page) {
    s.cursor = {};
    return;
  }
  std::optional<EditCursor> c;
  if (s.currentFrame >= 0 && s.currentFrame < static_cast<int>(page->blocks.size())) {
    c = blockStart(*std::next(page->blocks.begin(), s.currentFrame));
  }
  s.cursor = c ? *c : pageStart(*page);
}

void CollapseSelection(EditState& s) {
  s.selection.start = s.selection.end = s.cursor;
}

void ExtendSelectionToCursor(EditState& s) {
  if (!s.selection.start.set()) s.selection.start = s.cursor;
  s.selection.end = s.cursor;
}

bool after(const COcrPage& page, const EditCursor& a, const EditCursor& b) {
  // On one line the characters decide, without a walk over the page.
  if (a.sameLine(b)) return charIndex(a) > charIndex(b);
  return order(page, a) > order(page, b);
}

EditSelection normalised(const COcrPage& page, const EditSelection& sel) {
  if (sel.empty() || !after(page, sel.start, sel.end)) return sel;
  return {sel.end, sel.start};
}

}  // namespace lexova::editing
