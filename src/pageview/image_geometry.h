// The page image's geometry, computed without a window: the parts of the page
// image cut for line and block images and where they land, the frame around the
// cursor character in the image view, the one-line image window's place, the page
// list's preview scale and line frame, and its texts.
#pragma once

#include <optional>
#include <string>

#include "document/model/model.h"
#include "layout/page_layout.h"

namespace lexova::pageview {

using layout::Rect;

// r intersected with an image of width × height. Negative sizes and boxes lying
// outside give an empty rectangle (width or height 0): nothing is drawn.
Rect clipToImage(const Rect& r, long long width, long long height);
inline bool isEmpty(const Rect& r) {
  return r.width <= 0 || r.height <= 0;
}

// A line or block image: the part of the page image to cut (clipped) and the part
// of the target it fills, the target shrunk in proportion to what the clipping
// took away. `rotation` 270 turns the cut a quarter counter-clockwise (the top of
// a column to the left of a row) before it is stretched into the target. Empty
// source: nothing is drawn.
struct CutPlan {
  Rect source;
  Rect target;
};
CutPlan planCut(const Rect& source, const Rect& target, int rotation, long long imageWidth, long long imageHeight);

// The image view's frame around the cursor character (box in page pixels; x < 0 or
// an empty size: none): the box × scale less the scroll position, 3 pixels larger
// on every side. `damage` is what to repaint when it comes or goes (5 larger).
std::optional<Rect> highlightFrame(const Rect& box, double scale, long long scrollX, long long scrollY);
std::optional<Rect> highlightDamage(const Rect& box, double scale, long long scrollX, long long scrollY);
// A character's box, or none (inserted characters have no box).
Rect charBox(const COcrChar& c);

// The part of the page image the one-line window shows for `line` (`previous`: the
// line before it in its list, or nullptr): the line's box grown by one pixel,
// starting at its first character when it is the second half of a split line (it
// starts where the line before it starts).
Rect lineImageSource(const COcrLine* previous, const COcrLine& line, bool vertical);

// The one-line window, in the text view's viewport.
struct LineWindowInput {
  Rect line;  // the line as drawn (page pixels): left, top, width, height
  bool vertical = false, table = false;
  double scale = 1;
  long long scrollX = 0, scrollY = 0;
  int horizontalPlace = 0;          // 0 below the text, 1 above
  int verticalPlace = 1;            // 1 right of the text, 0 left
  long long width = 0, height = 0;  // the window with its frame
  long long viewportWidth = 0, viewportHeight = 0;
};
// Where the window goes; none when nothing of it would be visible.
std::optional<Rect> lineWindowRect(const LineWindowInput& in);
// The line image's displayed size: shrunk by the scale below 0.95, else as cut.
struct Size {
  long long width = 0, height = 0;
};
Size lineImageSize(const Rect& source, double scale);
// The window is shown in layout display, character editing, with the one-line
// image option and a current line.
bool lineWindowWanted(int display, int editMode, int imageMode, bool hasLine);

// The preview scale: the preview's width over the image's width, at most 1; none
// when either width is not positive.
std::optional<double> previewScale(long long previewWidth, long long imageWidth);
// A line's frame in the preview: the rectangle × the preview scale, one pixel
// more to the right and below.
Rect previewFrame(const Rect& r, double previewScale);

// The page list's scale entry (0 for 10 % .. 9 for 100 %): scales above 1, below
// 0.1 or beyond the entries count as 0.5.
int scaleEntry(double scale);
// "%2.2d ％" for entry 0..9.
std::u16string scaleEntryText(int entry);
// The image view's message for a page whose image is not found.
std::u16string missingImageText(std::u16string_view path);

}  // namespace lexova::pageview
