#include "reconstruct/block_merge.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace lexova::reconstruct {
namespace {

bool isCode(const COcrChar& c, char16_t u) {
  return c.code[0] == u && c.code[1] == 0;
}
bool isLineBreak(const COcrChar& c) {
  return isCode(c, u'\r');
}

int clampInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}
int clampInt(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

long long thickness(const COcrLine& l, bool vertical) {
  return vertical ? l.width : l.height;
}
long long startOf(const COcrLine& l, bool vertical) {
  return vertical ? l.y : l.x;
}
long long startEdge(const COcrBlock& b) {
  return b.direction == kVertical ? b.y : b.x;
}

// The largest extent along the line of its characters other than line ends, or
// -1 when it has none.
long long largestExtent(const COcrLine& l, bool vertical) {
  long long m = -1;
  for (const COcrChar& c : l.chars) {
    if (isLineBreak(c) || isCode(c, u'\n')) continue;
    m = std::max<long long>(m, vertical ? c.height : c.width);
  }
  return m;
}

// A character the engine makes: certainty 100, no candidates.
COcrChar madeChar(char16_t code, long long x, long long y, long long w, long long h) {
  COcrChar c;
  c.code = makeCode(code);
  c.CC = 100;
  c.x = clampInt(x);
  c.y = clampInt(y);
  c.width = clampInt(w);
  c.height = clampInt(h);
  return c;
}

int bodyLineCount(const COcrBlock& b) {
  return static_cast<int>(
      std::count_if(b.lines.begin(), b.lines.end(), [](const COcrLine& l) { return l.attr == kAttrNone; }));
}

// The block's lineSize, measured over its body lines (and stored) when it has none yet.
double measuredLineSize(COcrBlock& b) {
  if (b.lineSize > 0) return b.lineSize;
  const bool vertical = b.direction == kVertical;
  long long sum = 0;
  int n = 0;
  for (const COcrLine& l : b.lines) {
    if (l.attr != kAttrNone) continue;
    sum += thickness(l, vertical);
    ++n;
  }
  if (n == 0) return 0;
  b.lineSize = static_cast<float>(static_cast<double>(sum) / n);
  return b.lineSize;
}

// The average gap between the lines of a block with n body lines over extent E.
double averageLineGap(int n, double extent, double size) {
  return n == 1 ? size * 0.5 : (extent - n * size) / (n - 1);
}

}  // namespace

bool CanMergeBlocks(const COcrBlock& a, const COcrBlock& b) {
  if (a.sec != b.sec || a.type != b.type || a.direction != b.direction) return false;
  if (a.direction == kVertical) {
    return static_cast<long long>(a.y) + a.height >= b.y && a.y <= static_cast<long long>(b.y) + b.height;
  }
  return static_cast<long long>(a.x) + a.width >= b.x && a.x <= static_cast<long long>(b.x) + b.width;
}

namespace {

// AbsorbBlock with target's body line count known; returns the count afterwards.
// Merging a page keeps the count as it goes, so that joining many blocks into one
// never counts the growing block's lines again.
int absorb(COcrBlock& target, COcrBlock& other, bool blankLines, int targetBodyLines) {
  const bool vertical = target.direction == kVertical;
  const long long left = std::min(target.x, other.x), top = std::min(target.y, other.y);
  const long long right =
      std::max(static_cast<long long>(target.x) + target.width, static_cast<long long>(other.x) + other.width);
  const long long bottom =
      std::max(static_cast<long long>(target.y) + target.height, static_cast<long long>(other.y) + other.height);
  auto takeUnion = [&] {
    target.x = clampInt(left);
    target.y = clampInt(top);
    target.width = clampInt(right - left);
    target.height = clampInt(bottom - top);
  };
  if (other.lines.empty()) {
    takeUnion();
    return targetBodyLines;
  }

  const int h = targetBodyLines, f = bodyLineCount(other);
  const double sizeT = measuredLineSize(target), sizeO = measuredLineSize(other);
  // A side without body lines has no size or gap of its own: the other side's stand in.
  const double avg = h > 0 && f > 0 ? (sizeT + sizeO) * 0.5 : (h > 0 ? sizeT : sizeO);
  const long long avgSize = clampInt(std::trunc(avg));
  const double extentT = vertical ? target.width : target.height;
  const double extentO = vertical ? other.width : other.height;
  const double gapT = h > 0 ? averageLineGap(h, extentT, sizeT) : 0,
               gapO = f > 0 ? averageLineGap(f, extentO, sizeO) : 0;
  const double lineGap = h > 0 && f > 0 ? (gapT + gapO) * 0.5 : (h > 0 ? gapT : gapO);
  const double pitch = lineGap + static_cast<double>(avgSize);
  const long long gap = vertical ? static_cast<long long>(target.x) - other.x - other.width
                                 : static_cast<long long>(other.y) - target.y - target.height;

  // One blank line for each pitch missing in the gap: a gap of one pitch or less is
  // the ordinary space between lines. Never more lines than the gap holds.
  long long blanks = 0;
  if (blankLines && (h > 0 || f > 0) && pitch > 0 && gap > 0 && avgSize > 0) {
    const double missing = std::ceil(static_cast<double>(gap) / pitch) - 1;
    blanks = std::min<long long>({clampInt(missing), gap / avgSize, kMaxInsertedPerStep});
    blanks = std::max(0LL, blanks);
  }
  // Blank lines stand in the gap, spread evenly, in reading order: right to left
  // for vertical writing, downwards for horizontal; each holds one line-break
  // character inside its own box.
  for (long long j = 0; j < blanks; ++j) {
    const long long offset = gap * (j + 1) / (blanks + 1);
    COcrLine& blank = target.lines.emplace_back();
    const long long across = vertical ? target.x - offset - avgSize / 2
                                      : static_cast<long long>(target.y) + target.height + offset - avgSize / 2;
    blank.x = clampInt(vertical ? across : left);
    blank.y = clampInt(vertical ? top : across);
    blank.width = clampInt(avgSize);
    blank.height = clampInt(avgSize);
    blank.chars.push_back(madeChar(u'\r', blank.x, blank.y, avgSize, avgSize));
    blank.charCount = 1;
  }
  target.charCount += static_cast<int>(blanks) + other.charCount;
  target.lines.splice(target.lines.end(), other.lines);
  other.charCount = 0;
  takeUnion();
  if (h + f > 0) target.lineSize = static_cast<float>((sizeO * f + sizeT * h) / (f + h));
  return h + f + static_cast<int>(blanks);
}

}  // namespace

void AbsorbBlock(COcrBlock& target, COcrBlock& other, bool blankLines) {
  absorb(target, other, blankLines, bodyLineCount(target));
}

namespace {

// The line options for the lines from `from` on. The lines before it have been
// seen by an earlier call with the block's start edge where it is now; the lines
// from `from` on are new to the block (with their annotation lines), so the
// annotation lines of a line are looked for among them only.
bool applyLineOptions(COcrBlock& block, bool indent, int natural, LineList::iterator from) {
  const bool vertical = block.direction == kVertical;
  const long long edge = startEdge(block);
  const long long blockExtent = vertical ? block.height : block.width;
  // The annotation lines of each base line, found once: a line's indentation
  // shifts the ranges of the lines annotating it.
  std::unordered_map<const COcrLine*, std::vector<COcrLine*>> annotations;
  bool annotationsIndexed = false;
  bool changed = false;
  for (auto it = from; it != block.lines.end(); ++it) {
    COcrLine& line = *it;
    if (line.attr != kAttrNone) continue;
    // A line at (or before) the start edge is not indented; that also makes a
    // line that already received its spaces safe from a second application.
    const long long indentation = startOf(line, vertical) - edge;
    if (indentation <= 0) continue;
    const long long m = largestExtent(line, vertical);
    if (m < 0) continue;
    long long cell = thickness(line, vertical);
    if (m > cell / 2) cell = m;
    if (cell <= 0) continue;
    long long k = indentation / cell;

    // A paragraph ends where the line before an indented one ends in 。 or 」. The
    // line before is the nearest body line: annotation lines stand between.
    if (natural == 1 && k >= 1) {
      auto before = it;
      while (before != block.lines.begin() && std::prev(before)->attr != kAttrNone) --before;
      if (before != block.lines.begin()) {
        COcrLine& previous = *std::prev(before);
        if (!previous.chars.empty() && (isCode(previous.chars.back(), u'。') || isCode(previous.chars.back(), u'」'))) {
          const COcrChar& last = previous.chars.back();
          const long long size = std::max(0LL, largestExtent(previous, vertical));
          const long long along =
              vertical ? static_cast<long long>(last.y) + last.height : static_cast<long long>(last.x) + last.width;
          previous.chars.push_back(madeChar(u'\r', vertical ? last.x : along, vertical ? along : last.y, size, size));
          ++previous.charCount;
          ++block.charCount;
          changed = true;
        }
      }
    }

    if (!indent) continue;
    // No more spaces than the block holds cells along the line.
    k = std::min<long long>({k, kMaxInsertedPerStep, std::max(0LL, blockExtent / cell)});
    // The start edge moves to the block's; the far edge stays where it was.
    const long long farEdge = startOf(line, vertical) + (vertical ? line.height : line.width);
    if (vertical) {
      line.y = clampInt(edge);
      line.height = clampInt(farEdge - edge);
    } else {
      line.x = clampInt(edge);
      line.width = clampInt(farEdge - edge);
    }
    const long long across = vertical ? line.x : line.y;
    for (long long i = k - 1; i >= 0; --i) {
      const long long along =
          edge + static_cast<long long>(std::trunc(static_cast<double>(i) * 1.2 * static_cast<double>(cell)));
      line.chars.push_front(madeChar(u' ', vertical ? across : along, vertical ? along : across, cell, cell));
    }
    changed = true;
    if (k == 0) continue;
    line.charCount += static_cast<int>(k);
    block.charCount += static_cast<int>(k);
    if (!annotationsIndexed) {
      for (auto l = from; l != block.lines.end(); ++l) {
        if (l->attr != kAttrNone && l->baseLine) annotations[l->baseLine].push_back(&*l);
      }
      annotationsIndexed = true;
    }
    const auto found = annotations.find(&line);
    if (found == annotations.end()) continue;
    for (COcrLine* a : found->second) {
      a->RCS = clampInt(static_cast<long long>(a->RCS) + k);
      a->RCE = clampInt(static_cast<long long>(a->RCE) + k);
    }
  }
  return changed;
}

}  // namespace

bool ApplyLineOptions(COcrBlock& block, bool indent, int natural) {
  return applyLineOptions(block, indent, natural, block.lines.begin());
}

bool RemoveBlockEndBreaks(COcrPage& page) {
  bool changed = false;
  for (COcrBlock& b : page.blocks) {
    if (b.type != kBlockText || b.lines.empty()) continue;
    COcrLine& last = b.lines.back();
    if (last.charCount <= 1 || last.chars.empty() || !isLineBreak(last.chars.back())) continue;
    last.chars.pop_back();
    --last.charCount;
    --b.charCount;
    changed = true;
    // A range that ended on the removed character now ends on the one before it.
    const int n = static_cast<int>(last.chars.size());
    for (COcrLine& l : b.lines) {
      if (l.baseLine != &last) continue;
      l.RCE = std::min(l.RCE, n);
      l.RCS = std::min(l.RCS, l.RCE);
    }
  }
  return changed;
}

bool MergeTextBlocks(COcrPage& page, const settings::ReconstructionOptions& options, bool* merged) {
  const bool indent = options.indentWithSpaces;
  const int natural = options.naturalLineBreaks;
  auto& blocks = page.blocks;
  auto isText = [](const COcrBlock& b) { return b.type == kBlockText; };
  bool changed = false, mergedAny = false;

  // The line options run again after every absorb. Lines they have seen need no
  // second look while the block's start edge stays where it was (indented lines
  // have been moved to it; the others gave what they give), so only the lines an
  // absorb appended are visited: linear, however many blocks join one.
  struct Seen {
    const COcrBlock* block = nullptr;
    long long edge = 0;
    LineList::iterator last;
  } seen;
  auto applyOptions = [&](COcrBlock& b) {
    const bool resume = seen.block == &b && seen.edge == startEdge(b);
    const auto from = resume ? std::next(seen.last) : b.lines.begin();
    if (applyLineOptions(b, indent, natural, from)) changed = true;
    seen = {&b, startEdge(b), b.lines.empty() ? b.lines.end() : std::prev(b.lines.end())};
    if (b.lines.empty()) seen.block = nullptr;
  };

  auto anchor = std::find_if(blocks.begin(), blocks.end(), isText);
  int anchorBodyLines = -1;  // counted when the anchor first absorbs
  if (anchor != blocks.end()) {
    if (std::next(anchor) == blocks.end()) {
      if (indent) applyOptions(*anchor);
    } else {
      auto candidate = std::next(anchor);
      while (candidate != blocks.end()) {
        if (CanMergeBlocks(*anchor, *candidate)) {
          if (anchorBodyLines < 0) anchorBodyLines = bodyLineCount(*anchor);
          anchorBodyLines = absorb(*anchor, *candidate, options.blankLinesBetweenBlocks, anchorBodyLines);
          if (indent || natural == 1) applyOptions(*anchor);
          blocks.erase(candidate);
          mergedAny = changed = true;
          candidate = std::next(anchor);
          continue;
        }
        if (indent) applyOptions(*anchor);
        anchor = std::find_if(candidate, blocks.end(), isText);
        anchorBodyLines = -1;
        if (anchor == blocks.end()) break;
        if (std::next(anchor) == blocks.end()) {
          if (indent) applyOptions(*anchor);
          break;
        }
        candidate = std::next(anchor);
      }
    }
  }
  if (options.noBreakAtBlockEnd && RemoveBlockEndBreaks(page)) changed = true;
  if (merged) *merged = mergedAny;
  return changed;
}

}  // namespace lexova::reconstruct
