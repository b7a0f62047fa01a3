// What the program hands the office-document library page by page: the page
// set-up and the areas of its blocks. Geometry is in points (double) on the page,
// each writer converting to its own unit (twips, EMU, 1/96 inch).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace lexova::office {

enum class OfficeKind { Word = 101, PowerPoint = 103, Xps = 104 };

struct RectPt {
  double x = 0, y = 0, width = 0, height = 0;
};

// A ruby (or emphasis) over characters first..last of its line (UTF-16 units,
// inclusive).
struct OfficeRuby {
  std::size_t first = 0, last = 0;
  std::u16string text;
  bool emphasis = false;  // emphasis dots rather than a reading
};

struct OfficeLine {
  std::u16string text;  // code 13 is a line break
  std::vector<OfficeRuby> ruby;
};

struct PageSetup {
  double widthTw = 0, heightTw = 0;  // the page in twips (A4-snapped for Word and PowerPoint)
  double widthPt = 0, heightPt = 0;  // the page image in points
  int dpi = 400;
  double leftTw = 0, topTw = 0, rightTw = 0, bottomTw = 0;  // margins
  double offsetXTw = 0, offsetYTw = 0;
  std::u16string asianFont, latinFont;
  int langId = 128;
};

enum Direction : int { kHorizontalText = 1, kVerticalText = 2 };

struct TextArea {
  RectPt rect;
  int langId = 128;  // of the block
  std::vector<OfficeLine> lines;
  double fontSize = 10.5;  // points
  int direction = kHorizontalText;
  bool nonJapanese = false;
  double linePitch = 0;  // points, negative: exact line distance
};

struct TableCell {
  int row = 0, col = 0;
  RectPt rect;
  std::vector<OfficeLine> lines;
  double fontSize = 10.5;
};

struct TableArea {
  RectPt rect;
  int langId = 128;
  int direction = kHorizontalText;
  bool nonJapanese = false;
  int rows = 0, columns = 0;
  std::vector<TableCell> cells;  // row and col from 0
};

enum PictureKind : int { kPictureJpeg = 11, kPicturePng = 12 };

struct ImageArea {
  RectPt rect;
  int kind = kPictureJpeg;
  int pixelWidth = 0, pixelHeight = 0;
  int resolution = 96;  // dpi of the encoded picture
  std::vector<std::uint8_t> data;
};

enum LineOrientation : int { kLineHorizontal = 1, kLineVertical = 2 };

struct LineArea {
  RectPt rect;
  int orientation = kLineHorizontal;
};

// What an XPS document drew with one font: the language group (128 Japanese, 0
// the rest), the font file, and the characters and glyphs its subset must keep.
struct XpsFontUse {
  int langId = 128;
  std::string fontFile;
  std::set<char32_t> characters;
  std::set<unsigned> glyphs;
};

}  // namespace lexova::office
