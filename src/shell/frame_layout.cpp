#include "shell/frame_layout.h"

#include <algorithm>
#include <utility>

namespace lexova::shell {

bool layOut(FramePanes& panes, int placement, Size area, PaneMetrics m) {
  if (placement == kPlaceFull) {
    const bool stacked = panes.placement == kPlaceFull ? panes.stacked : panes.placement == kPlaceStacked;
    panes.stacked = stacked;
    panes.firstSize = std::max(0, stacked ? area.height : area.width);
    panes.secondSize = 0;
    panes.placement = kPlaceFull;
    return true;
  }
  const bool stacked = placement == kPlaceStacked;
  const int length = stacked ? area.height : area.width;
  const int first = (length - m.edge) / 2 - m.border;
  if (first < 10) return false;
  panes.stacked = stacked;
  panes.firstSize = first;
  panes.secondSize = std::max(0, length - m.edge - first);
  panes.placement = placement;
  return true;
}

bool choosePlacement(FramePanes& panes, int placement, Size area, PaneMetrics m) {
  if (placement != kPlaceSideBySide && placement != kPlaceStacked && placement != kPlaceFull) return false;
  if (panes.placement == placement) {
    // The same choice again: the two views exchange their panes.
    panes.first = panes.second();
    return true;
  }
  FramePanes next = panes;
  if (placement == kPlaceFull) next.previousPlacement = panes.placement;
  if (!layOut(next, placement, area, m)) return false;
  panes = next;
  return true;
}

int validPlacement(int stored) {
  return stored == kPlaceStacked || stored == kPlaceFull ? stored : kPlaceSideBySide;
}

int pageListWidth(int selViewWidth, int defaultWidth) {
  return selViewWidth > 0 ? selViewWidth : defaultWidth;
}

Rect placeOnScreen(Rect stored, const std::vector<Rect>& screens, int grip) {
  if (screens.empty()) return stored;
  for (const Rect& s : screens) {
    const int w = std::min(stored.x + stored.width, s.x + s.width) - std::max(stored.x, s.x);
    const int h = std::min(stored.y + stored.height, s.y + s.height) - std::max(stored.y, s.y);
    if (w >= std::min(grip, stored.width) && h >= std::min(grip, stored.height) && w > 0 && h > 0) return stored;
  }
  const Rect& s = screens.front();
  Rect r;
  r.width = std::clamp(stored.width, 1, std::max(1, s.width));
  r.height = std::clamp(stored.height, 1, std::max(1, s.height));
  r.x = s.x + (s.width - r.width) / 2;
  r.y = s.y + (s.height - r.height) / 2;
  return r;
}

}  // namespace lexova::shell
