// Builds small pages the way a scan lays them out: body lines of evenly pitched
// characters and annotation lines of small characters beside them.
#pragma once

#include <string_view>
#include <vector>

#include "document/model/model.h"

namespace lexova::testing {

struct Layout {
  int pitch = 44;  // along the line, from one character to the next
  int size = 40;   // body characters are size × size
  int rubySize = 20;
};

// Adds a body line whose k-th character starts at `start` + k × pitch along the line
// (y for a vertical block, x for a horizontal one) and at `across` across it.
inline COcrLine& bodyLine(COcrBlock& b, int across, int start, std::u16string_view text, const Layout& l = {}) {
  COcrLine& line = b.lines.emplace_back();
  const bool vertical = b.direction == kVertical;
  int k = 0;
  for (char16_t c : text) {
    COcrChar& ch = line.chars.emplace_back();
    ch.code = makeCode(c);
    ch.width = ch.height = l.size;
    (vertical ? ch.x : ch.y) = across;
    (vertical ? ch.y : ch.x) = start + k++ * l.pitch;
    ++line.charCount;
  }
  line.x = vertical ? across : start;
  line.y = vertical ? start : across;
  line.width = vertical ? l.size : k * l.pitch;
  line.height = vertical ? k * l.pitch : l.size;
  b.charCount += line.charCount;
  return line;
}

// Adds an annotation line (attr ruby as delivered) whose characters start at the
// given positions along the line, at `across` across it.
inline COcrLine& annotationLine(COcrBlock& b, int across, std::u16string_view text, const std::vector<int>& starts,
                                const Layout& l = {}) {
  COcrLine& line = b.lines.emplace_back();
  line.attr = kAttrRuby;
  const bool vertical = b.direction == kVertical;
  int lo = starts.empty() ? 0 : starts.front(), hi = lo;
  for (std::size_t k = 0; k < text.size(); ++k) {
    COcrChar& ch = line.chars.emplace_back();
    ch.code = makeCode(text[k]);
    ch.width = ch.height = l.rubySize;
    (vertical ? ch.x : ch.y) = across;
    (vertical ? ch.y : ch.x) = starts[k];
    lo = std::min(lo, starts[k]);
    hi = std::max(hi, starts[k] + l.rubySize);
    ++line.charCount;
  }
  line.x = vertical ? across : lo;
  line.y = vertical ? lo : across;
  line.width = vertical ? l.rubySize : hi - lo;
  line.height = vertical ? hi - lo : l.rubySize;
  b.charCount += line.charCount;
  return line;
}

inline std::u16string lineText(const COcrLine& l) {
  std::u16string t;
  for (const COcrChar& c : l.chars) t += codeText(c.code);
  return t;
}

}  // namespace lexova::testing
