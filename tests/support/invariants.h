// The one invariant checker of the model, run by the tests after every operation
// and by the fuzz targets after every pass: the first broken invariant, described,
// or an empty string.
//   - a line's charCount is the UTF-16 length of its characters' codes; a cell's
//     and a block's are the sums over their lines (or cells);
//   - a table block has no lines of its own; a picture block neither lines nor cells;
//   - an annotation line's base line is a body line of the same list that follows
//     it, and its range RCS..RCE lies within the base line's characters;
//   - a body line annotates nothing.
#pragma once

#include <string>
#include <unordered_map>

#include "document/model/model.h"

namespace lexova::testing {

namespace detail {

inline std::string brokenInLines(const LineList& lines, int& units) {
  std::unordered_map<const COcrLine*, int> position;
  int i = 0;
  for (const COcrLine& l : lines) position.emplace(&l, i++);
  i = 0;
  units = 0;
  for (const COcrLine& l : lines) {
    const std::string where = "line " + std::to_string(i) + ": ";
    int n = 0;
    for (const COcrChar& c : l.chars) n += codeLength(c.code);
    if (n != l.charCount)
      return where + "charCount " + std::to_string(l.charCount) + " but " + std::to_string(n) + " units";
    units += n;
    if (l.attr == kAttrNone) {
      if (l.baseLine) return where + "a body line with a base line";
    } else if (l.baseLine) {
      const auto base = position.find(l.baseLine);
      if (base == position.end()) return where + "its base line is not in the same list";
      if (base->second <= i) return where + "its base line does not follow it";
      if (l.baseLine->attr != kAttrNone) return where + "its base line is an annotation line";
      const int count = static_cast<int>(l.baseLine->chars.size());
      if (count > 0 && (l.RCS < 1 || l.RCS > l.RCE || l.RCE > count)) {
        return where + "range " + std::to_string(l.RCS) + ".." + std::to_string(l.RCE) + " outside 1.." +
               std::to_string(count);
      }
    }
    ++i;
  }
  return {};
}

}  // namespace detail

inline std::string brokenInvariant(const COcrPage& page) {
  int b = 0;
  for (const COcrBlock& block : page.blocks) {
    const std::string where = "page " + std::to_string(page.number) + " block " + std::to_string(b++) + ": ";
    int units = 0;
    if (block.type == kBlockTable && !block.lines.empty()) return where + "a table with lines of its own";
    if (block.type == kBlockImage && (!block.lines.empty() || !block.cells.empty()))
      return where + "a picture with text";
    std::string broken = detail::brokenInLines(block.lines, units);
    if (!broken.empty()) return where + broken;
    int c = 0;
    for (const COcrCell& cell : block.cells) {
      int cellUnits = 0;
      broken = detail::brokenInLines(cell.lines, cellUnits);
      if (!broken.empty()) return where + "cell " + std::to_string(c) + ": " + broken;
      if (cellUnits != cell.charCount) return where + "cell " + std::to_string(c) + ": charCount";
      units += cellUnits;
      ++c;
    }
    if (units != block.charCount) {
      return where + "charCount " + std::to_string(block.charCount) + " but " + std::to_string(units) + " units";
    }
  }
  return {};
}

inline std::string brokenInvariant(const COcrPaper& paper) {
  for (const COcrPage& page : paper.pages) {
    std::string broken = brokenInvariant(page);
    if (!broken.empty()) return broken;
  }
  return {};
}

}  // namespace lexova::testing
