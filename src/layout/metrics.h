// The measures of the text view as plain arithmetic: character and line pitches,
// font heights, block-number sizes, the character kinds with their palette
// colours, the text colour of each colour mode and the vertical placement of
// colour mode 2. The views, the caret, hit-testing and the render tool share them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/model/model.h"
#include "settings/values.h"

namespace lexova::layout {

using settings::Colour;
using settings::rgb;

// The palette of the kind colours: the 16 basic colours, then the 16 user
// colours of 文字種別色定義 (indexes 16..31).
inline constexpr int kPaletteSize = 32;
Colour paletteColour(int index, const std::array<Colour, settings::kUserColours>& userColours);

// Pitch of the characters along a line: (L + 0.2 T) / (n − 1) when more than one
// character ends with a line break, else (L + 0.2 T) / n for more than two and
// half of it for one or two; 0 without characters. n counts characters, not
// UTF-16 units.
double characterPitch(const COcrLine& line, bool vertical);

// Pitch of the ordinary lines across a block or cell of extent E (width when
// vertical, height when horizontal): (int)(E × 1.2 × 0.5) for at most one line,
// else (E + (E − S) / n) / n with S the lines' summed thickness (integer division).
int linePitch(const LineList& lines, int extent, bool vertical);

// The font of a line: its height, and its width when narrowed (0: the face's own).
struct FontSize {
  int height = 2;
  int width = 0;
};
// Vertical blocks (int)(line width × 0.9 × s); horizontal ordinary lines of a block
// with a mean line size s × lineSize × 0.95 (0.8 for langId 0), others
// (int)(line height × 0.9 × s); narrower in image-parallel display; at least 2.
FontSize lineFontSize(const COcrBlock& block, const COcrLine& line, double scale, bool imageParallel);

// The block numbers' font height: 10 below 20 %, 15 below 50 %, else (int)(40 × s).
int blockNumberFontHeight(double scale);
// The colour of a block number by the block's section code.
Colour blockNumberColour(int sec);

// Character kinds 0..14 (漢字, ひらがな, カタカナ, 英字大文字, 数字, 記号, the voiced and
// small kana groups, 英小文字, タブ, and 14 for the line break and the space).
int charKind(const CharCode& code);

// How colour mode 2 places a character of a vertical block drawn upright: an offset
// in font heights and a rotation in degrees.
struct VerticalPlacement {
  double dx = 0, dy = 0;  // in units of the font height h
  int rotation = 0;
};
VerticalPlacement verticalPlacement(const CharCode& code);

// The colour modes of 文字表示モード.
enum ColourMode : int { kNormalColours = 0, kEditLineColours = 1, kKindColours = 2, kRegisteredColours = 3 };

// What the colour of a character depends on.
struct CharColourInput {
  int mode = kNormalColours;
  bool reject = false;
  bool cursorLine = false;  // mode 1: the line of the cursor, while no selection is shown
  bool registered = false;  // mode 3: inside an occurrence of a registered word
  int kind = 0;
};
Colour charColour(const CharColourInput& in, const settings::SettingsValues& s);

}  // namespace lexova::layout
