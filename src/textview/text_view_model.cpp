#include "textview/text_view_model.h"

#include <cmath>

#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "editing/line_edit.h"
#include "shell/commands.h"
#include "text/utf.h"

namespace lexova::textview {

using editing::Damage;
using editing::EditCursor;
using editing::EditMode;

void Update::add(const Update& o) {
  if (static_cast<int>(o.damage) > static_cast<int>(damage)) {
    damage = o.damage;
    line = o.line;
  } else if (o.damage == Damage::Line && damage == Damage::Line && o.line != line) {
    damage = Damage::Page;  // two lines: the page
  }
  caret = caret || o.caret;
  pageChanged = pageChanged || o.pageChanged;
  changed = changed || o.changed;
}

std::u16string menuText(std::u16string_view code) {
  std::u16string out;
  for (const char16_t u : code) {
    if (u == u'&') out.push_back(u'&');
    out.push_back(u);
  }
  return out;
}

namespace {

// The page's place of a drawn line and character, as a cursor.
EditCursor cursorFor(COcrPage& page, const COcrLine* line, const COcrChar* ch) {
  const auto place = [&](COcrBlock& b, COcrCell* cell, LineList& lines) -> EditCursor {
    for (auto l = lines.begin(); l != lines.end(); ++l) {
      if (&*l != line) continue;
      EditCursor c;
      c.block = &b;
      c.cell = cell;
      c.line = l;
      c.ch = l->chars.end();
      for (auto it = l->chars.begin(); it != l->chars.end(); ++it) {
        if (&*it == ch) {
          c.ch = it;
          break;
        }
      }
      return c;
    }
    return {};
  };
  for (COcrBlock& b : page.blocks) {
    if (b.type != kBlockText && b.type != kBlockTable) continue;
    if (b.type == kBlockTable) {
      for (COcrCell& cell : b.cells) {
        if (EditCursor c = place(b, &cell, cell.lines); c.set()) return c;
      }
    } else if (EditCursor c = place(b, nullptr, b.lines); c.set()) {
      return c;
    }
  }
  return {};
}

MenuEntry entry(MenuEntry::Action action, std::u16string text = {}, int data = 0) {
  MenuEntry e;
  e.action = action;
  e.text = std::move(text);
  e.data = data;
  return e;
}

// A canvas coordinate in page-image pixels: divided by the display scale, truncated.
long long toPage(long long v, double scale) {
  return static_cast<long long>(std::trunc(static_cast<double>(v) / (scale > 0 ? scale : 1)));
}

int blockIndex(const COcrPage& page, const COcrBlock* block) {
  int i = 0;
  for (const COcrBlock& b : page.blocks) {
    if (&b == block) return i;
    ++i;
  }
  return -1;
}

const layout::LineGeometry* lineGeometry(const layout::PageGeometry& g, const COcrLine* line, int* index = nullptr) {
  for (std::size_t i = 0; i < g.lines.size(); ++i) {
    if (g.lines[i].line == line) {
      if (index) *index = static_cast<int>(i);
      return &g.lines[i];
    }
  }
  return nullptr;
}

}  // namespace

TextViewModel::TextViewModel(editing::EditTarget& target, editing::EditState& edit, editing::SearchState& search,
                             editing::RubyDialog& ruby)
    : t_(target), s_(edit), search_(search), ruby_(ruby) {}

COcrPage* TextViewModel::page() const {
  return t_.pageCount() > 0 ? t_.page(t_.currentPageIndex()) : nullptr;
}

bool TextViewModel::vertical() const {
  return verticalWriting(textLayout_, s_.cursor.block);
}

void TextViewModel::remember() {
  cursorPage_ = page();
  revision_ = t_.revision();
}

bool TextViewModel::current() const {
  return page() == cursorPage_ && t_.revision() == revision_;
}

void TextViewModel::pageOpened() {
  anchorLine_ = nullptr;
  dragging_ = dragged_ = banding_ = false;
  run_.interrupt();
  if (ruby_.open) ruby_ = {};
  s_.pendingInput = 0;
  s_.pendingHigh = 0;
  if (page()) {
    editing::openPage(s_, t_);
  } else {
    s_.cursor = {};
    s_.selection.clear();
  }
  s_.currentFrame = -1;
  remember();
}

void TextViewModel::restore(const ViewPosition& where) {
  pageOpened();
  if (COcrPage* p = page()) {
    const EditCursor c = editing::cursorAt(*p, where);
    if (c.set()) {
      s_.cursor = c;
      editing::CollapseSelection(s_);
      s_.currentFrame = blockIndex(*p, c.block);
    }
  }
  remember();
}

Update TextViewModel::apply(const editing::EditResult& r, const COcrLine* line) {
  Update u;
  u.damage = r.damage;
  u.line = r.damage == Damage::Line ? line : nullptr;
  u.changed = r.changed;
  u.caret = true;
  remember();
  return u;
}

// ---- keys ---------------------------------------------------------------------------------

Update TextViewModel::afterMove(bool moved, bool extend, const editing::EditSelection& before, int pageBefore) {
  Update u;
  if (!moved) return u;
  u.caret = true;
  if (t_.currentPageIndex() != pageBefore) {
    // The moves collapse the selection when they cross pages.
    u.pageChanged = true;
    anchorLine_ = nullptr;
    remember();
    return u;
  }
  if (extend) {
    anchorLine_ = nullptr;
    if (before.start.set() && before.start.block == s_.cursor.block) {
      s_.selection.start = before.start;
      editing::ExtendSelectionToCursor(s_);
    } else {
      editing::CollapseSelection(s_);
    }
  } else {
    editing::CollapseSelection(s_);
  }
  remember();
  return u;
}

Update TextViewModel::keyPress(const KeyPress& k) {
  if (!page() || !visible_) return {};
  const KeyMapping m = mapKey(k, vertical(), s_.mode);
  if (m.op == KeyOp::Type) {
    run_.interrupt();
    return typeText(m.text);
  }
  if (!s_.cursor.set() || m.op == KeyOp::None) return {};
  const KeyRun::Step step = run_.press(m.op);
  if (step.forgetColumn) s_.cursor.column = -1;
  if (step.startsRun && textLayout_ == layout::kLayoutDisplay && s_.selection.empty()) {
    anchorLine_ = &*s_.cursor.line;
  }
  // A selection not yet begun begins at the cursor.
  editing::EditSelection before = s_.selection;
  if (!before.start.set() || !before.end.set()) before.start = before.end = s_.cursor;
  const int pageBefore = t_.currentPageIndex();
  switch (m.op) {
    case KeyOp::MovePrevChar:
      return afterMove(editing::MovePrevChar(s_, t_), m.extend, before, pageBefore);
    case KeyOp::MoveNextChar:
      return afterMove(editing::MoveNextChar(s_, t_), m.extend, before, pageBefore);
    case KeyOp::MovePrevLine:
      return afterMove(editing::MovePrevLine(s_, t_), m.extend, before, pageBefore);
    case KeyOp::MoveNextLine:
      return afterMove(editing::MoveNextLine(s_, t_), m.extend, before, pageBefore);
    case KeyOp::DeleteBackward:
    case KeyOp::DeleteForward: {
      const COcrLine* line = &*s_.cursor.line;
      const editing::EditResult r =
          m.op == KeyOp::DeleteForward ? editing::DeleteForward(s_, t_) : editing::DeleteBackward(s_, t_);
      // A deletion may cross to the previous line: that line is the one to paint.
      if (s_.cursor.set() && &*s_.cursor.line != line && r.damage == Damage::Line) line = &*s_.cursor.line;
      editing::CollapseSelection(s_);
      return apply(r, line);
    }
    default:
      return {};
  }
}

Update TextViewModel::keyRelease(const KeyPress& k) {
  // The window system's repeats come as releases too: they end nothing.
  if (k.autoRepeat || !page() || !visible_) return {};
  run_.release();
  if (s_.mode == EditMode::Block) {
    if (k.key == Key::Delete && s_.currentFrame >= 0) {
      return apply(editing::DeleteSelectedBlocks(s_, t_), nullptr);
    }
    return {};
  }
  Update u;
  if (anchorLine_ && s_.cursor.set() && anchorLine_ != &*s_.cursor.line && s_.selection.empty()) {
    anchorLine_ = nullptr;
    u.caret = true;
  }
  return u;
}

Update TextViewModel::typeText(std::u16string_view text) {
  if (!page() || !visible_ || !s_.cursor.set()) return {};
  const std::u16string units = typedUnits(text);
  if (units.empty()) return {};
  run_.interrupt();
  s_.cursor.column = -1;
  anchorLine_ = nullptr;
  const COcrLine* line = &*s_.cursor.line;
  // One redraw at the end: the units arrive as character messages, counted down.
  s_.pendingInput = static_cast<int>(units.size());
  Update u;
  for (const char16_t unit : units) {
    const editing::EditResult r = editing::InsertChar(s_, t_, unit, 1);
    --s_.pendingInput;
    Update one;
    one.damage = r.damage;
    one.line = r.damage == Damage::Line ? line : nullptr;
    one.changed = r.changed;
    u.add(one);
  }
  s_.pendingInput = 0;
  u.caret = true;
  remember();
  return u;
}

std::u16string TextViewModel::surroundingText(int* caret) const {
  std::u16string text;
  if (caret) *caret = 0;
  if (!s_.cursor.set()) return text;
  for (auto it = s_.cursor.line->chars.begin(); it != s_.cursor.line->chars.end(); ++it) {
    if (it == s_.cursor.ch && caret) *caret = static_cast<int>(text.size());
    if (it->code[0] != 13) text += codeText(it->code);
  }
  if (s_.cursor.atEnd() && caret) *caret = static_cast<int>(text.size());
  return text;
}

Update TextViewModel::replaceAroundCaret(int start, int length, std::u16string_view text) {
  if (!page() || !visible_ || !s_.cursor.set()) return {};
  int caret = 0;
  const std::u16string line = surroundingText(&caret);
  const long long from = static_cast<long long>(caret) + start, to = from + length;
  if (length <= 0 || from < 0 || to > static_cast<long long>(line.size())) return typeText(text);
  // The characters whose units begin at `from` and `to` (line breaks do not count).
  EditCursor first = s_.cursor, last = s_.cursor;
  bool haveFirst = false, haveLast = false;
  long long at = 0;
  for (auto it = s_.cursor.line->chars.begin();; ++it) {
    if (!haveFirst && at == from) first.ch = it, haveFirst = true;
    if (!haveLast && at == to) last.ch = it, haveLast = true;
    if (it == s_.cursor.line->chars.end()) break;
    if (it->code[0] != 13) at += codeLength(it->code);
  }
  // A range that splits a surrogate pair is not taken.
  if (!haveFirst || !haveLast) return typeText(text);
  s_.selection.start = first;
  s_.selection.end = last;
  s_.cursor = first;
  Update u = typeText(text);
  editing::CollapseSelection(s_);
  return u;
}

// ---- the mouse ----------------------------------------------------------------------------

bool TextViewModel::cursorAtPoint(const layout::PageGeometry& g, long long x, long long y, bool withinBlock,
                                  EditCursor& out) const {
  COcrPage* p = page();
  if (!p) return false;
  const COcrBlock* block = nullptr;
  if (withinBlock && textLayout_ == layout::kLayoutDisplay) {
    // The block frame under the point, in page pixels (truncated).
    const long long px = toPage(x, g.scale);
    const long long py = toPage(y, g.scale);
    const int i = editing::FrameAt(t_.pageEntry(), px, py);
    if (i < 0 || i >= static_cast<int>(p->blocks.size())) return false;
    block = &*std::next(p->blocks.begin(), i);
    if (block->type != kBlockText && block->type != kBlockTable) return false;
  }
  const layout::LineGeometry* bestLine = nullptr;
  std::size_t bestChar = 0;
  double best = -1;
  for (const layout::LineGeometry& l : g.lines) {
    if (l.annotation || (block && l.block != block)) continue;
    for (std::size_t ci = 0; ci < l.chars.size(); ++ci) {
      const layout::Rect cell = layout::charCell(g, l, l.chars[ci]);
      const double dx =
          static_cast<double>(x < cell.x ? cell.x - x : (x > cell.x + cell.width ? x - cell.x - cell.width : 0));
      const double dy =
          static_cast<double>(y < cell.y ? cell.y - y : (y > cell.y + cell.height ? y - cell.y - cell.height : 0));
      const double d = dx * dx + dy * dy;
      if (best < 0 || d < best) {
        best = d;
        bestLine = &l;
        bestChar = ci;
      }
    }
  }
  if (!bestLine) return false;
  const layout::CharGeometry& c = bestLine->chars[bestChar];
  const COcrChar* ch = c.ch;
  // Past the far end of a line's last character: the end of the line.
  if (bestChar + 1 == bestLine->chars.size()) {
    const layout::Rect cell = layout::charCell(g, *bestLine, c);
    if (bestLine->vertical ? y > cell.y + cell.height : x > cell.x + cell.width) ch = nullptr;
  }
  out = cursorFor(*p, bestLine->line, ch);
  return out.set();
}

Update TextViewModel::leftPress(const layout::PageGeometry& g, long long x, long long y, bool shift) {
  COcrPage* p = page();
  if (!p || !visible_) return {};
  run_.interrupt();
  const bool layoutDisplay = textLayout_ == layout::kLayoutDisplay;
  const double scale = g.scale > 0 ? g.scale : 1;
  if (s_.mode == EditMode::Block && layoutDisplay) {
    const long long px = toPage(x, scale);
    const long long py = toPage(y, scale);
    Update u;
    if (editing::SelectFrameAt(s_, t_, px, py)) {
      u.damage = Damage::Page;  // the frames are drawn again
    } else {
      banding_ = true;
      bandX0_ = bandX1_ = x;
      bandY0_ = bandY1_ = y;
      scale_ = scale;
    }
    remember();
    return u;
  }
  EditCursor c;
  if (!cursorAtPoint(g, x, y, true, c)) return {};
  const editing::EditSelection before = s_.selection;
  s_.cursor = c;
  s_.currentFrame = blockIndex(*p, c.block);
  anchorLine_ = nullptr;
  if (shift && before.start.set() && before.start.block == c.block) {
    s_.selection.start = before.start;
    editing::ExtendSelectionToCursor(s_);
  } else {
    editing::CollapseSelection(s_);
  }
  dragging_ = s_.mode == EditMode::Character;
  dragged_ = false;
  remember();
  Update u;
  u.caret = true;
  return u;
}

Update TextViewModel::leftDrag(const layout::PageGeometry& g, long long x, long long y) {
  if (banding_) {
    bandX1_ = x;
    bandY1_ = y;
    Update u;
    u.caret = true;
    return u;
  }
  if (!dragging_ || !page() || !s_.selection.start.set()) return {};
  EditCursor c;
  if (!cursorAtPoint(g, x, y, true, c)) return {};
  // Layout display: the selection stays within its block.
  if (textLayout_ == layout::kLayoutDisplay && c.block != s_.selection.start.block) return {};
  if (c.samePlace(s_.cursor)) return {};
  s_.cursor = c;
  editing::ExtendSelectionToCursor(s_);
  anchorLine_ = nullptr;
  dragged_ = true;
  remember();
  Update u;
  u.caret = true;
  return u;
}

Update TextViewModel::leftRelease(const layout::PageGeometry& g, long long x, long long y, bool shift) {
  if (banding_) {
    banding_ = false;
    const editing::Band band{toPage(bandX0_, scale_), toPage(bandY0_, scale_), toPage(x, scale_), toPage(y, scale_)};
    Update u = apply(editing::MergeBlocksInRect(s_, t_, band), nullptr);
    if (u.damage == Damage::None) u.damage = Damage::Page;  // the band and the frames are drawn again
    return u;
  }
  if (!dragging_) return {};
  dragging_ = false;
  Update u;
  if (shift) u.add(leftDrag(g, x, y));
  u.caret = true;
  remember();
  return u;
}

Update TextViewModel::rightPress(const layout::PageGeometry& g, long long x, long long y) {
  COcrPage* p = page();
  if (!p || !visible_) return {};
  run_.interrupt();
  if (s_.mode == EditMode::Block) {
    if (textLayout_ != layout::kLayoutDisplay) return {};
    Update u;
    if (editing::SelectFrameAt(s_, t_, toPage(x, g.scale), toPage(y, g.scale))) {
      u.damage = Damage::Page;
    }
    remember();
    return u;
  }
  EditCursor c;
  if (!cursorAtPoint(g, x, y, true, c)) return {};
  s_.cursor = c;
  s_.currentFrame = blockIndex(*p, c.block);
  anchorLine_ = nullptr;
  editing::CollapseSelection(s_);
  remember();
  Update u;
  u.caret = true;
  return u;
}

bool TextViewModel::verticalBlockAt(const layout::PageGeometry& g, long long x, long long y) const {
  COcrPage* p = page();
  if (!p) return false;
  const int i = editing::FrameAt(t_.pageEntry(), toPage(x, g.scale), toPage(y, g.scale));
  if (i < 0 || i >= static_cast<int>(p->blocks.size())) return false;
  const COcrBlock& b = *std::next(p->blocks.begin(), i);
  return (b.type == kBlockText || b.type == kBlockTable) && b.direction == kVertical;
}

Rect TextViewModel::band() const {
  if (!banding_) return {};
  return {std::min(bandX0_, bandX1_), std::min(bandY0_, bandY1_), std::llabs(bandX1_ - bandX0_),
          std::llabs(bandY1_ - bandY0_)};
}

// ---- context menus ------------------------------------------------------------------------

Menu TextViewModel::contextMenu(const layout::PageGeometry& g, long long x, long long y) {
  Menu menu;
  COcrPage* p = page();
  if (!p) return menu;
  const long long px = toPage(x, g.scale);
  const long long py = toPage(y, g.scale);
  const bool layoutDisplay = textLayout_ == layout::kLayoutDisplay;
  const int frame = layoutDisplay ? editing::FrameAt(t_.pageEntry(), px, py) : -1;
  if (s_.mode == EditMode::Block && layoutDisplay && frame >= 0 && frame == s_.currentFrame) {
    menu.push_back(entry(MenuEntry::DeleteBlocks, u"削除"));
    const editing::ReorderMenu order = editing::reorderMenu(t_.pageEntry(), s_.currentFrame);
    if (order.offered) {
      menu.push_back(entry(MenuEntry::Separator));
      MenuEntry sub = entry(MenuEntry::Submenu, u"領域の順番変更(&O)");
      std::size_t nextBreak = 0;
      for (int k = 1; k <= order.count; ++k) {
        MenuEntry e = entry(MenuEntry::MoveBlock, text::fromUtf8(std::to_string(k)), k);
        e.checked = k == order.checked;
        if (nextBreak < order.columnBreaksBefore.size() && order.columnBreaksBefore[nextBreak] == k) {
          e.columnBreak = true;
          ++nextBreak;
        }
        sub.children.push_back(std::move(e));
      }
      menu.push_back(std::move(sub));
    }
    return menu;
  }
  const bool onCharacterBlock = !layoutDisplay || (frame >= 0 && frame == s_.currentFrame &&
                                                   (std::next(p->blocks.begin(), frame)->type == kBlockText ||
                                                    std::next(p->blocks.begin(), frame)->type == kBlockTable));
  if (s_.mode == EditMode::Character && onCharacterBlock && s_.cursor.set() && !s_.cursor.atEnd()) {
    const COcrChar& ch = *s_.cursor.ch;
    for (int i = 0; i < ch.num_cand(); ++i) {
      menu.push_back(entry(MenuEntry::Candidate, menuText(codeText(ch.candCode(i))), i));
    }
    menu.push_back(entry(MenuEntry::Separator));
    menu.push_back(entry(MenuEntry::ReplaceChar, u"置換(&R)..."));
    if (editing::RubyAtCursor(s_)) {
      menu.push_back(entry(MenuEntry::Separator));
      menu.push_back(entry(MenuEntry::RubyEdit, u"ルビ修正(&M)..."));
    }
    return menu;
  }
  MenuEntry next = entry(MenuEntry::NextPage, u"次のページへ");
  next.enabled = t_.currentPageIndex() + 1 < t_.pageCount();
  MenuEntry prev = entry(MenuEntry::PrevPage, u"前のページへ");
  prev.enabled = t_.currentPageIndex() > 0;
  menu.push_back(std::move(next));
  menu.push_back(std::move(prev));
  return menu;
}

Update TextViewModel::choose(const MenuEntry& e) {
  if (!page()) return {};
  switch (e.action) {
    case MenuEntry::Candidate:
      return apply(editing::ChooseCandidate(s_, t_, e.data), nullptr);
    case MenuEntry::DeleteBlocks:
      return apply(editing::DeleteSelectedBlocks(s_, t_), nullptr);
    case MenuEntry::MoveBlock:
      return apply(editing::MoveBlockTo(s_, t_, e.data), nullptr);
    case MenuEntry::NextPage:
    case MenuEntry::PrevPage: {
      const int to = t_.currentPageIndex() + (e.action == MenuEntry::NextPage ? 1 : -1);
      if (to < 0 || to >= t_.pageCount()) return {};
      t_.setCurrentPage(to);
      pageOpened();
      Update u;
      u.pageChanged = u.caret = true;
      return u;
    }
    default:
      return {};
  }
}

// ---- commands -----------------------------------------------------------------------------

bool TextViewModel::enabled(int command, bool clipboardHasText) const {
  if (!page()) return false;
  const bool character = s_.mode == EditMode::Character;
  switch (command) {
    case shell::kCopy:
      return character && !s_.selection.empty();
    case shell::kPaste:
      return character && clipboardHasText && s_.cursor.set();
    case shell::kFind:
    case shell::kReplace:
    case shell::kNextReject:
    case shell::kPrevReject:
      return true;
    case shell::kRubyEdit:
      return editing::RubyAtCursor(s_);
    default:
      return false;
  }
}

Update TextViewModel::command(int command) {
  if (!page() || !visible_) return {};
  const int pageBefore = t_.currentPageIndex();
  const std::uint64_t revision = t_.revision();
  Update u;
  switch (command) {
    case shell::kCopy:
      editing::CopySelection(s_, t_);
      return {};
    case shell::kPaste: {
      const COcrLine* line = s_.cursor.set() ? &*s_.cursor.line : nullptr;
      return apply(editing::PasteText(s_, t_), line);
    }
    case shell::kNextReject:
      editing::NextRejectChar(search_, s_, t_);
      break;
    case shell::kPrevReject:
      editing::PrevRejectChar(search_, s_, t_);
      break;
    default:
      return {};
  }
  run_.interrupt();
  u.caret = true;
  u.pageChanged = t_.currentPageIndex() != pageBefore;
  if (t_.revision() != revision) u.damage = Damage::Page;
  remember();
  return u;
}

namespace {

template <typename F>
Update searchStep(TextViewModel& m, editing::EditTarget& t, F&& f) {
  const int pageBefore = t.currentPageIndex();
  const std::uint64_t revision = t.revision();
  f();
  Update u;
  u.caret = true;
  u.pageChanged = t.currentPageIndex() != pageBefore;
  if (t.revision() != revision) {
    u.damage = Damage::Page;
    u.changed = true;
  }
  (void)m;
  return u;
}

}  // namespace

Update TextViewModel::findNext() {
  if (!page()) return {};
  run_.interrupt();
  Update u = searchStep(*this, t_, [&] { editing::FindNext(search_, s_, t_); });
  remember();
  return u;
}

Update TextViewModel::replaceOne() {
  if (!page()) return {};
  run_.interrupt();
  Update u = searchStep(*this, t_, [&] { editing::ReplaceOne(search_, s_, t_); });
  remember();
  return u;
}

Update TextViewModel::replaceAll() {
  if (!page()) return {};
  run_.interrupt();
  Update u = searchStep(*this, t_, [&] { editing::ReplaceAll(search_, s_, t_); });
  remember();
  return u;
}

Update TextViewModel::replaceChar(std::u16string_view entered, bool registerPair) {
  if (!page()) return {};
  Update u = apply(editing::ReplaceCharByDialog(s_, t_, entered, registerPair), nullptr);
  if (u.changed) u.damage = Damage::Page;
  return u;
}

Update TextViewModel::rubyOk() {
  if (!page() || !ruby_.open) return {};
  return apply(editing::RubyOk(ruby_, s_, t_), nullptr);
}

void TextViewModel::rubyCancel() {
  if (ruby_.open) editing::RubyCancel(ruby_, s_, t_);
  remember();
}

// ---- drawing ------------------------------------------------------------------------------

int TextViewModel::cursorLineIndex(const layout::PageGeometry& g) const {
  int index = -1;
  if (s_.cursor.set()) lineGeometry(g, &*s_.cursor.line, &index);
  return index;
}

const COcrLine* TextViewModel::emphasisedLine() const {
  if (anchorLine_) return anchorLine_;
  return s_.cursor.set() ? &*s_.cursor.line : nullptr;
}

Caret TextViewModel::caret(const layout::PageGeometry& g) const {
  Caret c;
  if (!s_.cursor.set() || s_.mode != EditMode::Character) return c;
  const layout::LineGeometry* l = lineGeometry(g, &*s_.cursor.line);
  if (!l || l->chars.empty()) return c;
  const COcrChar* at = s_.cursor.atEnd() ? nullptr : &*s_.cursor.ch;
  const layout::CharGeometry* cg = &l->chars.back();
  bool end = true;
  for (const layout::CharGeometry& x : l->chars) {
    if (x.ch == at) {
      cg = &x;
      end = false;
      break;
    }
  }
  layout::Rect cell = layout::charCell(g, *l, *cg);
  c.shown = true;
  c.vertical = l->vertical;
  c.fontHeight = l->font.height;
  if (l->vertical) {
    const long long y = end ? cell.y + cell.height : cell.y;
    c.bar = {cell.x, y, cell.width, 2};
    if (end) cell.y += cell.height;
  } else {
    const long long x = end ? cell.x + cell.width : cell.x;
    c.bar = {x, cell.y, 2, cell.height};
    if (end) cell.x += cell.width;
  }
  c.cell = cell;
  return c;
}

std::vector<Rect> TextViewModel::selectionCells(const layout::PageGeometry& g) const {
  std::vector<Rect> cells;
  COcrPage* p = page();
  if (!p || s_.selection.empty()) return cells;
  const editing::EditSelection sel = editing::normalised(*p, s_.selection);
  for (const editing::detail::LineRange& r : editing::detail::selectedRanges(*p, sel)) {
    const layout::LineGeometry* l = lineGeometry(g, &*r.line.line);
    if (!l) continue;
    int index = 0;
    for (const COcrChar& ch : r.line.line->chars) {
      if (index >= r.from && index < r.to) {
        for (const layout::CharGeometry& cg : l->chars) {
          if (cg.ch == &ch) {
            cells.push_back(layout::charCell(g, *l, cg));
            break;
          }
        }
      }
      ++index;
    }
  }
  return cells;
}

}  // namespace lexova::textview
