// The records of a PDF page built from the document model: visible text records
// (one per paragraph) and tables for the text PDF, invisible text runs placed over
// the characters for the image PDFs.
#pragma once

#include <vector>

#include "document/model/model.h"
#include "export/pdf/pdf_data.h"

namespace lexova::pdf {

// Tables larger than this (per axis, or in cells) are written as plain text.
inline constexpr int kMaxTableAxis = 1000;
inline constexpr int kMaxTableCells = 65536;

// A character box in pixels of the page image (right and bottom exclusive).
struct PixelBox {
  double left = 0, top = 0, right = 0, bottom = 0;
  double width() const { return right - left; }
  double height() const { return bottom - top; }
};

// Whether the character has a box of its own: typed characters (x = y = -1) and
// made-up ones have none.
inline bool hasBox(const COcrChar& c) {
  return c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0;
}

// A box for every character of the line, in order: its own when it has one; else
// spread evenly between its boxed neighbours in the line, or continued from the
// one it has; in a line without any boxed character, spread over the line box,
// else over `area` (the block or cell).
std::vector<PixelBox> placeCharacters(const COcrLine& line, bool vertical, const PixelBox& area);

// The page's text blocks as visible text records, measured at dpi.
void BuildTextRecords(CPDFdata& data, const COcrPage& page);
// The page's table blocks as table records (with their rules when drawRules).
void BuildTableRecords(CPDFdata& data, const COcrPage& page, bool drawRules);
// The text of the page's text blocks and table cells as text records placed
// character by character; render mode 3 when invisible.
void BuildInvisibleText(CPDFdata& data, const COcrPage& page, bool invisible);

}  // namespace lexova::pdf
