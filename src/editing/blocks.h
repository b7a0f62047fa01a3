// The block edits of block edit mode: selecting frames, merging the blocks inside
// a drawn band, deleting the selected blocks, moving a block to another place in
// the page's order. Frames and blocks stay parallel; coordinates are page-image
// pixels (the view converts its screen rectangles).
#pragma once

#include <vector>

#include "editing/edit_state.h"

namespace lexova::editing {

struct Band {
  long long left = 0, top = 0, right = 0, bottom = 0;  // any corners: normalised when used
};

// The first frame, in list order, whose box holds the point; -1 when none.
int FrameAt(const PageEntry& entry, long long x, long long y);
// A click on frame i: when another frame was current every selection goes; then i
// is selected and current (its block is the current block).
EditResult SelectFrame(EditState& s, EditTarget& t, int i);
// A click at a point: SelectFrame of the frame there. Whether one was hit (else
// the view draws a band for MergeBlocksInRect).
bool SelectFrameAt(EditState& s, EditTarget& t, long long x, long long y);

// A band drawn outside every frame: when it holds the first frame it touches
// whole, the body-text blocks inside it (up to the first body table) are merged
// into the first of them; when it holds that frame only in part, that frame is
// selected. An undo step (kind 3).
EditResult MergeBlocksInRect(EditState& s, EditTarget& t, Band band);

// Deletes the selected blocks with their frames (the current frame being a
// reference block: that block alone). An undo step (kind 3).
EditResult DeleteSelectedBlocks(EditState& s, EditTarget& t);

// Moves the current block (and its frame) to number k (1..N) of the page's order.
// An undo step (kind 3).
EditResult MoveBlockTo(EditState& s, EditTarget& t, int k);

// The menu "領域の順番変更(&O)": numbers 1..N (at most 999), the current one checked,
// a new column before 11, 21, 31, ...; offered when exactly one frame is selected.
struct ReorderMenu {
  bool offered = false;
  int count = 0;
  int checked = 0;  // 1-based
  std::vector<int> columnBreaksBefore;
};
ReorderMenu reorderMenu(const PageEntry& entry, int currentFrame);

}  // namespace lexova::editing
