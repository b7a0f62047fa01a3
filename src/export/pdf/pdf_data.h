// The collected content of one PDF page: text records, table records and picture
// records, filled by the builders and handed to CPDFfile::AddPage.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace lexova::pdf {

// One text object. Positions and sizes are in points.
struct tagPDFTEXT {
  std::u16string text;  // code 10 separates lines
  int x = 0, y = 0;     // start of the text (visible text and table cells)
  int font = 0;         // resource index
  double size = 0;      // font size
  double advance = 0;   // line pitch
  int render = 0;       // text render mode: 0 visible, 3 invisible
  // Invisible text: UTF-16 units per run, and the move to each run's start from
  // the previous run's start (from the origin for the first), y downwards.
  std::vector<int> runLengths, runDx, runDy;
  // One colour per UTF-16 unit of text: red, green and blue in the low three
  // bytes. Every colour is black.
  std::vector<std::uint32_t> colors;

  void append(char16_t unit, std::uint32_t color = 0) {
    text.push_back(unit);
    colors.push_back(color);
  }
};

// One rule of a table: a line from (x1, y1) to (x2, y2) in hundredths of a point,
// PDF orientation, in a cell border style (0 none, 1 solid, 2 dotted, 3 double).
struct PdfRule {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::int16_t style = 0;
};

struct tagPDFTABLE {
  std::vector<tagPDFTEXT> cells;  // rows × columns, row by row
  int rows = 0, columns = 0;
  std::vector<PdfRule> horizontalRules;  // columns × (rows + 1), row by row
  std::vector<PdfRule> verticalRules;    // rows × (columns + 1), row by row
  bool drawRules = false;
};

// One picture of a page.
struct tagPDFIMAGE {
  std::vector<std::uint8_t> data;  // a JPEG file, or the Group 4 data of a TIFF strip
  double x = 0, y = 0;             // lower left corner in points
  double width = 0, height = 0;    // size on the page in points
  int pixelWidth = 0, pixelHeight = 0;
  int kind = 24;  // 1 one-bit, 8 gray, 24 colour
  bool mask = false;
  std::uint32_t color = 0;  // a mask's fill colour, 0xRRGGBB
};

struct CPDFdata {
  int width = 0, height = 0;  // of the page image, pixels
  int dpi = 400;
  std::vector<tagPDFTEXT> texts;
  std::vector<tagPDFTABLE> tables;
  std::vector<tagPDFIMAGE> images;

  // The page size in points: the pixel size at the page's resolution, rounded
  // (kept within a million points; a resolution of 0 or less counts as 72).
  int widthPoints() const { return toPoints(width); }
  int heightPoints() const { return toPoints(height); }

 private:
  int toPoints(int pixels) const {
    const double v = pixels * 72.0 / (dpi > 0 ? dpi : 72) + 0.5;
    return static_cast<int>(std::clamp(v, -1e6, 1e6));
  }
};

}  // namespace lexova::pdf
