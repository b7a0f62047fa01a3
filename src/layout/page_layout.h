// The layout of one page in the text view, computed without a window: where every
// line, ruby line and character is drawn in the layout display (blocks as they lie
// on the page, scaled) and in the horizontal and vertical text displays (a grid),
// with colours, fonts and marks, and the draw list the view paints from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layout/metrics.h"

namespace lexova::layout {

enum Display : int { kHorizontalText = 0, kVerticalText = 1, kLayoutDisplay = 2 };

// What the view takes from the settings and its own state.
struct LayoutSettings {
  int display = kLayoutDisplay;
  int imageMode = 0;  // View画像表示: 2 image parallel
  int colourMode = kNormalColours;
  double scale = 0.5;
  int editMode = 3;  // 1 block editing, 3 character editing
  int screenDpi = 96;
  settings::SettingsValues values;  // colours, reject settings, kind fonts
  settings::OutputFonts fonts;
  bool fast = true;                             // View/Fast
  bool frameLines = false;                      // View/Line
  std::vector<std::u16string> registeredWords;  // the table's search words (colour mode 3)
  const COcrLine* cursorLine = nullptr;         // colour mode 1
  bool selectionShown = false;
};

struct Rect {
  long long x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// One operation of the draw list, in device pixels of the off-screen image.
struct DrawOp {
  enum Kind { Fill, Frame, Text, LineImage, BlockImage } kind = Fill;
  Rect rect;  // fill, frame, image target; text: origin (x, y), and the box for stretching
  Colour colour = 0;
  int penWidth = 1;
  bool dashed = false;
  // Text: the units, the face, the size, the rotation in degrees (−90: the top
  // of the glyphs to the right, running down), and the glyph box to stretch into
  // when drawing with Fast 0 (empty: drawn with the font).
  std::u16string text;
  std::u16string face;
  int fontHeight = 0, fontWidth = 0, weight = 400;
  int rotation = 0;
  bool stretch = false;
  // Images: the rectangle of the page image, in page pixels, and its rotation.
  Rect source;
  int sourceRotation = 0;
  bool operator==(const DrawOp&) const = default;
};

struct CharGeometry {
  const COcrChar* ch = nullptr;
  long long x = 0, y = 0;  // the drawn origin (device pixels)
  std::u16string shown;    // what is drawn: the units, "↵", "▯", "□" or "〓"
  Colour colour = 0;
  bool reject = false, registered = false;
};

struct LineGeometry {
  const COcrBlock* block = nullptr;
  const COcrLine* line = nullptr;
  bool vertical = false;
  bool annotation = false;
  double pitch = 0;                    // along the line, in page pixels
  long long originX = 0, originY = 0;  // the running position the line starts at (page pixels)
  FontSize font;
  std::vector<CharGeometry> chars;
  bool hasBase = false;  // an annotation line placed against its base characters
  Rect baseMark;         // around base characters RCS..RCE (device pixels), when hasBase
  Rect frame;            // annotation lines: their red frame (device pixels)
};

struct PageGeometry {
  long long width = 0, height = 0;          // the off-screen image
  long long fullWidth = 0, fullHeight = 0;  // the whole page or text canvas
  bool limited = false;                     // larger than an off-screen image may be: drawn a visible part at a time
  double scale = 1;                         // page pixels to device pixels (layout display)
  std::vector<LineGeometry> lines;
  std::vector<DrawOp> ops;
};

// The largest off-screen image: a side of at most 32,000 pixels and 200 million
// pixels in all. Larger canvases are cut to it and reported as limited.
inline constexpr long long kMaxCanvasSide = 32000;
inline constexpr long long kMaxCanvasPixels = 200'000'000;

PageGeometry layoutPage(const COcrPage& page, const LayoutSettings& s);

// The view's settings as the stored values give them: the display, image and
// colour modes, the scale in percent, the fonts after their defaults, View/Fast
// and View/Line, and the registered table's search words.
LayoutSettings layoutSettingsFor(const settings::AllSettings& all, const settings::OutputFonts& fonts,
                                 std::vector<std::u16string> registeredWords);

// The line and character under a point of the off-screen image: the nearest
// character cell over all lines, found by scanning them in order. Nothing is ever
// divided by a pitch: zero or negative pitches from a file still hit-test.
struct Hit {
  int line = -1;       // index in PageGeometry::lines; -1: the page has no characters
  int character = -1;  // index in that line's chars
};
Hit hitTest(const PageGeometry& g, long long x, long long y);

// What an operation may touch (generous for text, whose ink the layout does not know).
Rect opBounds(const DrawOp& op);
// A character's cell as drawn: down from its origin in a column left of the
// running edge (vertical), right from its origin in a row (horizontal); one
// pitch long (at least a pixel) and one font height thick.
Rect charCell(const PageGeometry& g, const LineGeometry& l, const CharGeometry& c);
// What a line covers on the page: its character cells, its frame and base mark.
Rect lineBounds(const PageGeometry& g, std::size_t line);
Rect unite(const Rect& a, const Rect& b);
// What differs between two draw lists of one page (the same image size): the
// bounds of every operation of one list that the other does not have. Empty:
// nothing.
Rect changedArea(const PageGeometry& before, const PageGeometry& after);
bool intersects(const Rect& a, const Rect& b);

// Text display: F = 16 pt, R = 1.5 F (text row), G = 1.5 R (image row), A = 2 F
// (advance) at the screen's dpi.
struct TextGrid {
  int F = 0, R = 0, G = 0, A = 0, fontHeight = 0;
};
TextGrid textGrid(int screenDpi);

}  // namespace lexova::layout
