#include "reconstruct/annotation.h"

#include <algorithm>
#include <array>
#include <climits>
#include <iterator>
#include <map>
#include <unordered_map>
#include <vector>

namespace lexova::reconstruct {
namespace {

bool isSingle(const CharCode& c, char16_t u) {
  return c[0] == u && c[1] == 0;
}
bool isLineBreak(const COcrChar& c) {
  return isSingle(c.code, u'\r');
}
bool isKana(const COcrChar& c) {
  const char16_t u = c.code[0];
  return c.code[1] == 0 && ((u >= 0x3041 && u <= 0x3093) || (u >= 0x30A1 && u <= 0x30F4));
}

long long thickness(const COcrLine& l, bool vertical) {
  return vertical ? l.width : l.height;
}
// Start and far end of a character along the line.
long long alongStart(const COcrChar& c, bool vertical) {
  return vertical ? c.y : c.x;
}
long long alongEnd(const COcrChar& c, bool vertical) {
  return vertical ? static_cast<long long>(c.y) + c.height : static_cast<long long>(c.x) + c.width;
}

int clampInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int unitCount(const COcrLine& l) {
  int n = 0;
  for (const COcrChar& c : l.chars) n += codeLength(c.code);
  return n;
}

// A new annotation line before `before`, taking chars [first, last) of `from`.
LineList::iterator splitOff(COcrBlock& b, LineList::iterator before, OcrList<COcrChar>::iterator first,
                            OcrList<COcrChar>::iterator last, int attr) {
  const auto fresh = b.lines.emplace(before);
  fresh->attr = static_cast<std::int16_t>(attr);
  fresh->chars.splice(fresh->chars.end(), before->chars, first, last);
  recomputeLineBox(*fresh);
  recomputeLineBox(*before);
  return fresh;
}

}  // namespace

void recomputeLineBox(COcrLine& line) {
  line.charCount = unitCount(line);
  if (line.chars.empty()) return;
  long long minX = LLONG_MAX, minY = LLONG_MAX, maxX = LLONG_MIN, maxY = LLONG_MIN;
  for (const COcrChar& c : line.chars) {
    if (c.x > 0) minX = std::min<long long>(minX, c.x);
    if (c.y > 0) minY = std::min<long long>(minY, c.y);
    maxX = std::max(maxX, static_cast<long long>(c.x) + c.width);
    maxY = std::max(maxY, static_cast<long long>(c.y) + c.height);
  }
  // Without a positive coordinate there is nothing to lower the minimum with.
  if (minX == LLONG_MAX) minX = line.x;
  if (minY == LLONG_MAX) minY = line.y;
  line.x = clampInt(minX);
  line.y = clampInt(minY);
  line.width = clampInt(std::max(0LL, maxX - minX));
  line.height = clampInt(std::max(0LL, maxY - minY));
}

int StandardCharSize(const COcrPage& page) {
  std::array<int, 200> counts{}, smoothed{};
  for (const COcrBlock& b : page.blocks) {
    const bool vertical = b.direction == kVertical;
    for (const COcrLine& l : b.lines) {
      if (l.charCount <= 20) continue;
      const long long s = thickness(l, vertical);
      if (s < 0) continue;  // a negative size has no bin
      ++counts[static_cast<std::size_t>(std::min<long long>(s, 199))];
    }
  }
  for (std::size_t s = 3; s <= 196; ++s) smoothed[s] = static_cast<int>(counts[s] + 0.8 * counts[s + 3]);
  std::size_t best = 0;
  for (std::size_t s = 1; s < smoothed.size(); ++s) {
    if (smoothed[s] > smoothed[best]) best = s;
  }
  if (best > 0) return static_cast<int>(best) + 1;
  long long sum = 0, count = 0;
  for (const COcrBlock& b : page.blocks) {
    for (const COcrLine& l : b.lines) {
      const long long s = thickness(l, b.direction == kVertical);
      if (l.attr == kAttrNone && s < 200) sum += s, ++count;
    }
  }
  if (count > 0 && sum > 0) return static_cast<int>(sum / count) + 1;
  return kFallbackStandardSize;
}

int ClassifyAnnotationChar(const CharCode& code) {
  if (isSingle(code, u'、') || isSingle(code, u',') || isSingle(code, u'●')) return kAttrEmph;
  if (isSingle(code, u'＊') || isSingle(code, u'*')) return kAttrFootnote;
  return kAttrRuby;
}

bool SplitAnnotationLines(COcrBlock& block, LineList::iterator L, int s) {
  const bool vertical = block.direction == kVertical;
  bool changed = false;
  for (;;) {
    auto& chars = L->chars;
    if (chars.empty()) break;
    if (chars.size() == 1) {
      const int cls = ClassifyAnnotationChar(chars.front().code);
      changed = changed || L->attr != cls;
      L->attr = static_cast<std::int16_t>(cls);
      break;
    }
    const int cls = ClassifyAnnotationChar(chars.front().code);
    auto end = std::next(chars.begin());
    if (cls != kAttrEmph) {
      // A run of one kind with no gap wider than the standard size.
      for (auto prev = chars.begin(); end != chars.end(); prev = end++) {
        const long long gap = alongStart(*end, vertical) - alongEnd(*prev, vertical);
        if (ClassifyAnnotationChar(end->code) != cls || gap > s) break;
      }
      if (end == chars.end()) {
        changed = changed || L->attr != cls;
        L->attr = static_cast<std::int16_t>(cls);
        break;
      }
    }
    splitOff(block, L, chars.begin(), end, cls);
    changed = true;
  }
  return changed;
}

namespace {

// The base line chosen for R by the rule of its direction (the first on a tie), or
// end(); gap is its distance from R.
LineList::iterator findBaseLine(COcrBlock& block, LineList::iterator R, long long& gap) {
  const bool vertical = block.direction == kVertical;
  const long long rRight = static_cast<long long>(R->x) + R->width;
  const long long rBottom = static_cast<long long>(R->y) + R->height;
  LineList::iterator base = block.lines.end();
  for (auto it = block.lines.begin(); it != block.lines.end(); ++it) {
    if (it == R) continue;
    const long long right = static_cast<long long>(it->x) + it->width;
    long long g;
    if (vertical) {
      if (it->attr != kAttrNone || !(right < rRight) || !(it->y < rBottom)) continue;
      g = R->x - right;
    } else {
      const bool overlaps = it->x < rRight && right > R->x;
      if (!(it->y > R->y) || !overlaps) continue;
      g = it->y - rBottom;
    }
    if (base == block.lines.end() || g < gap) base = it, gap = g;
  }
  return base;
}

bool attachTo(COcrBlock& block, LineList::iterator R, LineList::iterator base, long long bestGap, int s);

}  // namespace

bool AttachAnnotationLine(COcrBlock& block, LineList::iterator R, int s) {
  long long gap = 0;
  const LineList::iterator base = findBaseLine(block, R, gap);
  return attachTo(block, R, base, gap, s);
}

namespace {

bool attachTo(COcrBlock& block, LineList::iterator R, LineList::iterator base, long long bestGap, int s) {
  const bool vertical = block.direction == kVertical;
  const long long rRight = static_cast<long long>(R->x) + R->width;
  const long long rBottom = static_cast<long long>(R->y) + R->height;
  if (base == block.lines.end() || bestGap >= s) return false;
  if (!vertical && base->attr != kAttrNone) return false;

  // The range of base characters, numbered from 1.
  const std::vector<const COcrChar*> chars = [&] {
    std::vector<const COcrChar*> v;
    for (const COcrChar& c : base->chars) v.push_back(&c);
    return v;
  }();
  const int n = static_cast<int>(chars.size());
  int start = 0;
  for (int i = 1; i <= n && start == 0; ++i) {
    const COcrChar& c = *chars[static_cast<std::size_t>(i - 1)];
    if (vertical) {
      if (isSingle(c.code, u' ')) continue;
      if (c.y<rBottom&& static_cast<long long>(c.y) + c.height> R->y) start = i;
    } else {
      if (isLineBreak(c)) break;
      if (R->x < static_cast<long long>(c.x) + c.width && rRight > c.x) start = i;
    }
  }
  if (start == 0) return false;
  int end = n;
  for (int i = start + 1; i <= n; ++i) {
    const COcrChar& c = *chars[static_cast<std::size_t>(i - 1)];
    if (vertical) {
      if (isLineBreak(c)) {
        end = start;
        break;
      }
      if (c.y >= rBottom) {
        end = i - 1;
        break;
      }
    } else {
      if (c.x >= rRight) {
        end = i - 1;
        break;
      }
      if (isLineBreak(c)) {
        end = i;
        break;
      }
    }
  }
  // Reaching the end of the line ends the range with the last character, in both
  // directions, so that the range stays within the base line.

  if (R->attr == kAttrRuby) {
    int k = start;
    while (k <= end && isKana(*chars[static_cast<std::size_t>(k - 1)])) ++k;
    if (k <= end) {
      start = k;
      int e = end;
      while (e > start && isKana(*chars[static_cast<std::size_t>(e - 1)])) --e;
      end = e;
    }
  }
  R->baseLine = &*base;
  R->RCS = start;
  R->RCE = end;
  // An annotation line precedes the line it annotates.
  for (auto it = std::next(R); it != block.lines.end(); ++it) {
    if (it == base) return true;
  }
  block.lines.splice(base, block.lines, R);
  return true;
}

// Min x and max right edge over ranges of lines sorted by top edge: finds the first
// line below a given top that overlaps a horizontal extent, without looking at
// every line.
class OverlapTree {
 public:
  struct Item {
    long long y, x, right;
    LineList::iterator line;
  };
  explicit OverlapTree(std::vector<Item> items) : items_(std::move(items)) {
    size_ = 1;
    while (size_ < items_.size()) size_ <<= 1;
    minX_.assign(2 * size_, LLONG_MAX);
    maxRight_.assign(2 * size_, LLONG_MIN);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      minX_[size_ + i] = items_[i].x;
      maxRight_[size_ + i] = items_[i].right;
    }
    for (std::size_t n = size_ - 1; n >= 1; --n) {
      minX_[n] = std::min(minX_[2 * n], minX_[2 * n + 1]);
      maxRight_[n] = std::max(maxRight_[2 * n], maxRight_[2 * n + 1]);
    }
  }
  const std::vector<Item>& items() const { return items_; }
  // The first position at or after `from` whose line has x < right and right edge > x.
  std::size_t firstOverlapping(std::size_t from, long long x, long long right) const {
    return find(1, 0, size_, from, x, right);
  }

 private:
  std::size_t find(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from, long long x,
                   long long right) const {
    if (hi <= from || lo >= items_.size() || !(minX_[node] < right) || !(maxRight_[node] > x)) return kNone;
    if (hi - lo == 1) return lo;
    const std::size_t mid = (lo + hi) / 2;
    const std::size_t left = find(2 * node, lo, mid, from, x, right);
    return left != kNone ? left : find(2 * node + 1, mid, hi, from, x, right);
  }

 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

 private:
  std::vector<Item> items_;
  std::size_t size_ = 1;
  std::vector<long long> minX_, maxRight_;
};

}  // namespace

void AttachAnnotationLines(COcrBlock& block, const std::vector<LineList::iterator>& annotations, int s) {
  if (annotations.empty()) return;
  const bool vertical = block.direction == kVertical;
  // Attaching changes no line's box, and only moves annotation lines: every base
  // line can be chosen first, by the order of the lines as they stand now.
  std::unordered_map<const COcrLine*, std::size_t> order;
  for (auto it = block.lines.begin(); it != block.lines.end(); ++it) order.emplace(&*it, order.size());
  std::vector<std::pair<LineList::iterator, long long>> chosen(annotations.size(), {block.lines.end(), 0});
  if (vertical) {
    // The body line with the largest right edge left of R's right edge among those
    // whose top is above R's bottom: a sweep down the tops with the right edges in
    // an ordered map (the first line in list order for each right edge).
    struct Body {
      long long y, right;
      std::size_t index;
      LineList::iterator line;
    };
    std::vector<Body> bodies;
    for (auto it = block.lines.begin(); it != block.lines.end(); ++it) {
      if (it->attr == kAttrNone) bodies.push_back({it->y, static_cast<long long>(it->x) + it->width, order[&*it], it});
    }
    std::sort(bodies.begin(), bodies.end(), [](const Body& a, const Body& b) { return a.y < b.y; });
    std::vector<std::size_t> queries(annotations.size());
    for (std::size_t i = 0; i < queries.size(); ++i) queries[i] = i;
    auto bottom = [&](std::size_t q) { return static_cast<long long>(annotations[q]->y) + annotations[q]->height; };
    std::sort(queries.begin(), queries.end(), [&](std::size_t a, std::size_t b) { return bottom(a) < bottom(b); });
    std::map<long long, const Body*> byRight;
    std::size_t next = 0;
    for (std::size_t q : queries) {
      while (next < bodies.size() && bodies[next].y < bottom(q)) {
        const Body& b = bodies[next++];
        auto [it, fresh] = byRight.emplace(b.right, &b);
        if (!fresh && b.index < it->second->index) it->second = &b;
      }
      const LineList::iterator R = annotations[q];
      auto it = byRight.lower_bound(static_cast<long long>(R->x) + R->width);
      if (it == byRight.begin()) continue;
      --it;
      chosen[q] = {it->second->line, R->x - it->first};
    }
  } else {
    // The line of the smallest top below R's top that overlaps R horizontally.
    std::vector<OverlapTree::Item> items;
    for (auto it = block.lines.begin(); it != block.lines.end(); ++it) {
      items.push_back({it->y, it->x, static_cast<long long>(it->x) + it->width, it});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const OverlapTree::Item& a, const OverlapTree::Item& b) { return a.y < b.y; });
    const OverlapTree tree(std::move(items));
    for (std::size_t q = 0; q < annotations.size(); ++q) {
      const LineList::iterator R = annotations[q];
      const auto from = std::upper_bound(tree.items().begin(), tree.items().end(), static_cast<long long>(R->y),
                                         [](long long y, const OverlapTree::Item& i) { return y < i.y; }) -
                        tree.items().begin();
      const std::size_t found =
          tree.firstOverlapping(static_cast<std::size_t>(from), R->x, static_cast<long long>(R->x) + R->width);
      if (found == OverlapTree::kNone) continue;
      const OverlapTree::Item& item = tree.items()[found];
      chosen[q] = {item.line, item.y - (static_cast<long long>(R->y) + R->height)};
    }
  }
  for (std::size_t q = 0; q < annotations.size(); ++q)
    attachTo(block, annotations[q], chosen[q].first, chosen[q].second, s);
}

bool SplitMonoRuby(COcrBlock& block, LineList::iterator R) {
  if (!R->baseLine || R->chars.empty()) return false;
  const bool vertical = block.direction == kVertical;
  const COcrLine& baseLine = *R->baseLine;
  const int baseChars = static_cast<int>(baseLine.chars.size());
  // The range is checked before it is measured: values from a file may lie anywhere.
  if (R->RCS < 1 || R->RCS > baseChars || R->RCE <= R->RCS) return false;
  int n = R->RCE - R->RCS + 1;
  if (R->RCE >= baseChars) {
    n = R->RCE - R->RCS;
    if (baseLine.chars.empty() || !isLineBreak(baseLine.chars.back())) ++n;
  }
  if (R->charCount < n) return false;

  std::vector<const COcrChar*> base;
  for (const COcrChar& c : baseLine.chars) base.push_back(&c);
  bool changed = false;
  const int first = R->RCS;
  for (int i = first; i < first + n - 1 && i <= baseChars; ++i) {
    const long long farEnd = alongEnd(*base[static_cast<std::size_t>(i - 1)], vertical);
    auto found = R->chars.begin();
    while (found != R->chars.end() && !(alongStart(*found, vertical) > farEnd)) ++found;
    if (found == R->chars.end()) continue;  // nothing beyond this base character: R keeps its range
    if (found == R->chars.begin()) {
      // The base character has no ruby of its own: R moves on to the next one.
      ++R->RCS;
      continue;
    }
    const long long formerStart = vertical ? R->y : R->x;
    const long long formerEnd =
        vertical ? static_cast<long long>(R->y) + R->height : static_cast<long long>(R->x) + R->width;
    const auto fresh = block.lines.emplace(R);
    fresh->attr = kAttrRuby;
    fresh->baseLine = R->baseLine;
    fresh->RCS = fresh->RCE = i;
    fresh->chars.splice(fresh->chars.end(), R->chars, R->chars.begin(), found);
    ++R->RCS;
    // The new line spans from R's former start to its last character's far end; R
    // starts at the character found.
    const long long freshEnd = alongEnd(fresh->chars.back(), vertical);
    const long long rStart = alongStart(R->chars.front(), vertical);
    fresh->x = R->x, fresh->y = R->y, fresh->width = R->width, fresh->height = R->height;
    if (vertical) {
      fresh->y = clampInt(formerStart);
      fresh->height = clampInt(std::max(0LL, freshEnd - formerStart));
      R->y = clampInt(rStart);
      R->height = clampInt(std::max(0LL, formerEnd - rStart));
    } else {
      fresh->x = clampInt(formerStart);
      fresh->width = clampInt(std::max(0LL, freshEnd - formerStart));
      R->x = clampInt(rStart);
      R->width = clampInt(std::max(0LL, formerEnd - rStart));
    }
    fresh->charCount = unitCount(*fresh);
    R->charCount = unitCount(*R);
    changed = true;
  }
  if (R->RCS > R->RCE) R->RCS = R->RCE;  // R keeps at least the last character of its range
  return changed;
}

bool NormaliseSmallKana(COcrPage& page) {
  static constexpr std::u16string_view small = u"ぁぃぅぇぉゃゅょっァィゥェォャュョッ";
  static constexpr std::u16string_view full = u"あいうえおやゆよつアイウエオヤユヨツ";
  bool changed = false;
  auto lines = [&](LineList& ls) {
    for (COcrLine& l : ls) {
      if (l.attr == kAttrNone) continue;
      for (COcrChar& c : l.chars) {
        if (c.code[1] != 0) continue;
        const std::size_t k = small.find(c.code[0]);
        if (k == std::u16string_view::npos) continue;
        c.code[0] = full[k];
        changed = true;
      }
    }
  };
  for (COcrBlock& b : page.blocks) {
    lines(b.lines);
    for (COcrCell& cell : b.cells) lines(cell.lines);
  }
  return changed;
}

}  // namespace lexova::reconstruct
