// The main frame's layout as plain arithmetic: where the text and image views sit
// for each placement (side by side, stacked, one view full), what a repeated
// choice swaps, the 10-pixel rule, the sizes a new window starts with, what is
// stored at close, and a stored window rectangle brought back onto a screen. The
// frame only applies what these return.
#pragma once

#include <vector>

namespace lexova::shell {

enum class PaneView { Image, Text };

// Placement values (View配置).
inline constexpr int kPlaceSideBySide = 0, kPlaceStacked = 1, kPlaceFull = 2;

struct Size {
  int width = 0, height = 0;
};
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The two panes of the right-hand area.
struct FramePanes {
  int placement = kPlaceSideBySide;
  int previousPlacement = kPlaceSideBySide;  // the placement before "full" was chosen
  PaneView first = PaneView::Image;          // the view in the left or top pane
  bool stacked = false;                      // the panes lie in one column
  int firstSize = 0, secondSize = 0;         // along the split; 0: that pane is hidden
  PaneView second() const { return first == PaneView::Image ? PaneView::Text : PaneView::Image; }
};

// The splitter's edge and the frame border, in pixels.
struct PaneMetrics {
  int edge = 0;
  int border = 0;
};

// Lays the panes out for `placement` in an area (the halves for side by side and
// stacked, the first view over the whole area for full), as a resize does. False
// when the half would be under 10 pixels: then nothing changes.
bool layOut(FramePanes& panes, int placement, Size area, PaneMetrics m);

// The commands 32901 (side by side), 32902 (stacked) and 32903 (full) with their
// swapping on a repeated choice. False when nothing changed.
bool choosePlacement(FramePanes& panes, int placement, Size area, PaneMetrics m);

// A stored placement value outside 0..2 reads as side by side.
int validPlacement(int stored);

// The page list's width at creation: SelViewWidth, or the default width when it
// is not positive.
int pageListWidth(int selViewWidth, int defaultWidth);

// A stored window rectangle that lies on no screen (less than `grip` pixels of it
// on any) is moved onto the first screen's available area and shrunk to fit it;
// one that lies on a screen stays as it is.
Rect placeOnScreen(Rect stored, const std::vector<Rect>& screens, int grip = 40);

}  // namespace lexova::shell
