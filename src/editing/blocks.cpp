#include "editing/blocks.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "editing/cursor.h"
#include "reconstruct/block_merge.h"

namespace lexova::editing {
namespace {

bool contains(const BlockFrame& f, long long x, long long y) {
  return x >= f.x && x < static_cast<long long>(f.x) + f.width && y >= f.y &&
         y < static_cast<long long>(f.y) + f.height;
}

Band normalisedBand(Band b) {
  if (b.left > b.right) std::swap(b.left, b.right);
  if (b.top > b.bottom) std::swap(b.top, b.bottom);
  return b;
}

bool touches(const Band& b, long long x, long long y, long long w, long long h) {
  return x < b.right && x + w > b.left && y < b.bottom && y + h > b.top;
}
bool holds(const Band& b, long long x, long long y, long long w, long long h) {
  return x >= b.left && y >= b.top && x + w <= b.right && y + h <= b.bottom;
}

// A cursor or selection on a block that went would point into freed memory: it goes too.
void forgetRemoved(EditState& s, const std::unordered_set<const COcrBlock*>& removed) {
  if (s.cursor.set() && removed.count(s.cursor.block)) s.cursor = {};
  if ((s.selection.start.set() && removed.count(s.selection.start.block)) ||
      (s.selection.end.set() && removed.count(s.selection.end.block))) {
    s.selection.clear();
  }
}

void renumberReferences(PageEntry& entry) {
  entry.referenceCount = 0;
  for (BlockFrame& f : entry.frames) f.refNumber = f.sec == kSecRef ? ++entry.referenceCount : 0;
}

ViewPosition where(COcrPage& page, const EditState& s) {
  return s.cursor.set() ? positionOf(page, s.cursor) : ViewPosition{};
}

}  // namespace

int FrameAt(const PageEntry& entry, long long x, long long y) {
  for (std::size_t i = 0; i < entry.frames.size(); ++i) {
    if (contains(entry.frames[i], x, y)) return static_cast<int>(i);
  }
  return -1;
}

EditResult SelectFrame(EditState& s, EditTarget& t, int i) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page) return {};
  PageEntry& entry = t.pageEntry();
  if (i < 0 || i >= static_cast<int>(entry.frames.size())) return {};
  if (s.currentFrame >= 0 && s.currentFrame != i) {
    for (BlockFrame& f : entry.frames) f.selected = 0;
  }
  entry.frames[static_cast<std::size_t>(i)].selected = 1;
  s.currentFrame = i;
  // The current block is the one paired with the frame, whatever else overlaps it.
  if (auto start = blockStart(*std::next(page->blocks.begin(), i))) s.cursor = *start;
  return {false, Damage::Page};
}

bool SelectFrameAt(EditState& s, EditTarget& t, long long x, long long y) {
  if (!t.page(t.currentPageIndex())) return false;
  const int i = FrameAt(t.pageEntry(), x, y);
  if (i < 0) return false;
  SelectFrame(s, t, i);
  return true;
}

EditResult MergeBlocksInRect(EditState& s, EditTarget& t, Band band) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page) return {};
  PageEntry& entry = t.pageEntry();
  band = normalisedBand(band);
  int first = -1;
  for (std::size_t i = 0; i < entry.frames.size() && first < 0; ++i) {
    const BlockFrame& f = entry.frames[i];
    if (touches(band, f.x, f.y, f.width, f.height)) first = static_cast<int>(i);
  }
  if (first < 0) return {};
  const BlockFrame& hit = entry.frames[static_cast<std::size_t>(first)];
  if (!holds(band, hit.x, hit.y, hit.width, hit.height)) return SelectFrame(s, t, first);

  // Body-text blocks wholly inside the band, up to the first body table; blocks
  // without lines have nothing to merge.
  std::vector<OcrList<COcrBlock>::iterator> inside;
  for (auto b = page->blocks.begin(); b != page->blocks.end(); ++b) {
    if (b->sec != kSecText) continue;
    if (b->type == kBlockTable) break;
    if (b->type == kBlockText && !b->lines.empty() && holds(band, b->x, b->y, b->width, b->height)) inside.push_back(b);
  }
  if (inside.empty()) return {};
  const COcrBlock* target = &*inside.front();
  EditResult r{false, Damage::Page};
  if (inside.size() > 1) {
    t.recordUndo(kUndoBlockDeletion, [&] { return where(*page, s); });
    std::unordered_set<const COcrBlock*> removed;
    for (std::size_t i = 1; i < inside.size(); ++i) {
      reconstruct::AbsorbBlock(*inside.front(), *inside[i], t.reconstructionOptions().blankLinesBetweenBlocks);
      removed.insert(&*inside[i]);
      page->blocks.erase(inside[i]);
    }
    forgetRemoved(s, removed);
    r.changed = true;
  }
  rebuildFrames(entry, *page);
  int index = 0;
  for (const COcrBlock& b : page->blocks) {
    if (&b == target) entry.frames[static_cast<std::size_t>(index)].selected = 1;
    ++index;
  }
  s.currentFrame = -1;
  if (r.changed) {
    entry.changed = true;
    t.pageEdited();
  }
  return r;
}

EditResult DeleteSelectedBlocks(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || s.currentFrame < 0) return {};
  PageEntry& entry = t.pageEntry();
  const int current = s.currentFrame;
  if (current >= static_cast<int>(entry.frames.size()) || entry.frames.size() != page->blocks.size()) return {};
  std::vector<int> doomed;
  if (entry.frames[static_cast<std::size_t>(current)].sec == kSecRef) {
    doomed.push_back(current);  // a reference block: that one, block and frame together
  } else {
    for (std::size_t i = 0; i < entry.frames.size(); ++i) {
      if (entry.frames[i].selected) doomed.push_back(static_cast<int>(i));
    }
  }
  if (doomed.empty()) return {};
  t.recordUndo(kUndoBlockDeletion, [&] { return where(*page, s); });
  std::unordered_set<const COcrBlock*> removed;
  for (auto i = doomed.rbegin(); i != doomed.rend(); ++i) {
    const auto block = std::next(page->blocks.begin(), *i);
    removed.insert(&*block);
    page->blocks.erase(block);
    entry.frames.erase(entry.frames.begin() + *i);
  }
  renumberReferences(entry);
  if (std::find(doomed.begin(), doomed.end(), current) != doomed.end()) {
    s.currentFrame = -1;
    s.cursor = {};
  }
  forgetRemoved(s, removed);
  entry.changed = true;
  t.pageEdited();
  return {true, Damage::Page};
}

EditResult MoveBlockTo(EditState& s, EditTarget& t, int k) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page) return {};
  PageEntry& entry = t.pageEntry();
  const int n = static_cast<int>(entry.frames.size());
  const int j = s.currentFrame;
  if (j < 0 || j >= n || k < 1 || k > std::min(n, 999) || n != static_cast<int>(page->blocks.size())) return {};
  const int to = k - 1;
  if (to == j) return {};
  t.recordUndo(kUndoBlockDeletion, [&] { return where(*page, s); });
  const BlockFrame moved = entry.frames[static_cast<std::size_t>(j)];
  entry.frames.erase(entry.frames.begin() + j);
  entry.frames.insert(entry.frames.begin() + to, moved);
  // The block to the same place: before the block at `to` when it moves up,
  // after it when it moves down.
  const auto block = std::next(page->blocks.begin(), j);
  const auto before = std::next(page->blocks.begin(), j > to ? to : to + 1);
  page->blocks.splice(before, page->blocks, block);
  renumberReferences(entry);
  s.currentFrame = to;
  entry.changed = true;
  t.pageEdited();
  return {true, Damage::Page};
}

ReorderMenu reorderMenu(const PageEntry& entry, int currentFrame) {
  ReorderMenu m;
  const auto selected =
      std::count_if(entry.frames.begin(), entry.frames.end(), [](const BlockFrame& f) { return f.selected; });
  m.offered = selected == 1 && currentFrame >= 0 && currentFrame < static_cast<int>(entry.frames.size());
  m.count = std::min<int>(static_cast<int>(entry.frames.size()), 999);
  m.checked = currentFrame + 1;
  for (int k = 11; k <= m.count; k += 10) m.columnBreaksBefore.push_back(k);
  return m;
}

}  // namespace lexova::editing
