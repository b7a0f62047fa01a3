#include "document/undo/undo_store.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace lexova {
namespace {

int clampIndex(int i, std::size_t size) {
  return size == 0 ? 0 : std::clamp(i, 0, static_cast<int>(size) - 1);
}

}  // namespace

ViewPosition clampPosition(const COcrPage& page, ViewPosition p) {
  p.block = clampIndex(p.block, page.blocks.size());
  if (page.blocks.empty()) return {0, 0, -1};
  const COcrBlock& b = *std::next(page.blocks.begin(), p.block);
  // The lines of the block, or of all its cells in order.
  std::vector<const COcrLine*> lines;
  for (const COcrLine& l : b.lines) lines.push_back(&l);
  for (const COcrCell& c : b.cells) {
    for (const COcrLine& l : c.lines) lines.push_back(&l);
  }
  p.line = clampIndex(p.line, lines.size());
  if (lines.empty()) return {p.block, 0, -1};
  const int chars = static_cast<int>(lines[static_cast<std::size_t>(p.line)]->chars.size());
  if (p.character < -1 || p.character >= chars) p.character = -1;
  return p;
}

int UndoStore::record(int kind, int pageIndex, const COcrPaper& paper, ViewPosition view) {
  if (pageIndex < 0 || pageIndex >= static_cast<int>(paper.pages.size())) return -1;
  if ((kind == kUndoTyping || kind == kUndoDeletion) && kind == kind_ && pageIndex == pageIndex_) return -1;
  page_ = std::make_unique<COcrPage>(*std::next(paper.pages.begin(), pageIndex));
  pageIndex_ = pageIndex;
  kind_ = kind;
  available_ = true;
  view_ = view;
  return 0;
}

bool UndoStore::undo(COcrPaper& paper, int currentPage, ViewPosition& view) {
  if (!available_ || !page_ || currentPage != pageIndex_ || pageIndex_ < 0 ||
      pageIndex_ >= static_cast<int>(paper.pages.size())) {
    return false;
  }
  // A swap: the live page becomes the snapshot. Lists move their nodes, so the
  // annotation links inside each page stay valid.
  COcrPage& live = *std::next(paper.pages.begin(), pageIndex_);
  std::swap(live, *page_);
  std::swap(view, view_);
  view = clampPosition(live, view);
  kind_ = kUndoAfterUndo;
  return true;
}

void UndoStore::reset() {
  page_.reset();
  pageIndex_ = -1;
  kind_ = kUndoNone;
  available_ = false;
  view_ = {};
}

}  // namespace lexova
