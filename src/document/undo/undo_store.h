// The one-page undo of the document: a snapshot of one page taken just before an
// edit, swapped with the live page by undo, so that a second undo restores the
// edit. The editing view's position travels with the page.
#pragma once

#include <memory>

#include "document/model/model.h"

namespace lexova {

// Kinds of the edits that take a snapshot.
enum UndoKind : int {
  kUndoNone = 0,      // after a reset, or after a change that took no snapshot
  kUndoTyping = 1,    // coalesces per page
  kUndoDeletion = 2,  // coalesces per page
  kUndoBlockDeletion = 3,
  kUndoReplacement = 6,  // replace, paste, candidate
  kUndoRuby = 7,
  kUndoAfterUndo = 8,
  kUndoReconstruction = 9,  // the current-page reconstruction
};

// The editing view's cursor as three indexes: the block in the page, the line in
// the block (in a table, over the lines of all its cells in order) and the
// character in the line (-1: the end of the line).
struct ViewPosition {
  int block = 0, line = 0, character = 0;
  bool operator==(const ViewPosition&) const = default;
};

// The position brought inside a page: each index within its list, a character
// past the last one at the end of the line.
ViewPosition clampPosition(const COcrPage& page, ViewPosition p);

class UndoStore {
 public:
  // Takes a snapshot of the page at pageIndex before an edit of `kind`, with the
  // view's position. A run of typing (or of deleting) on one page keeps the
  // snapshot of its first edit: -1, nothing taken. Else 0.
  int record(int kind, int pageIndex, const COcrPaper& paper, ViewPosition view);
  // Swaps the snapshot with the page it belongs to, when that page is the current
  // one and in the paper. `view` is the view's position now; it becomes the
  // position to return to, clamped to the restored page.
  bool undo(COcrPaper& paper, int currentPage, ViewPosition& view);
  // Empties the store; undo is unavailable until the next record.
  void reset();
  // A change that took no snapshot: the next typing or deleting starts a new run.
  void breakRun() { kind_ = kUndoNone; }

  bool available() const { return available_; }
  int kind() const { return kind_; }
  int pageIndex() const { return pageIndex_; }
  const COcrPage* snapshot() const { return page_.get(); }

 private:
  std::unique_ptr<COcrPage> page_;
  int pageIndex_ = -1;
  int kind_ = kUndoNone;
  bool available_ = false;
  ViewPosition view_;
};

}  // namespace lexova
