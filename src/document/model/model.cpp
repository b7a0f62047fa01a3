#include "document/model/model.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace lexova {

// ---- COcrChar ---------------------------------------------------------------

COcrChar::COcrChar(const COcrChar& other)
    : x(other.x),
      y(other.y),
      width(other.width),
      height(other.height),
      code(other.code),
      CC(other.CC),
      wordStart(other.wordStart) {
  std::copy(std::begin(other.viewWork), std::end(other.viewWork), viewWork);
  if (other.cands_) {
    const std::size_t units = 1 + static_cast<std::size_t>(other.cands_[0]) * 4;
    cands_ = std::make_unique_for_overwrite<char16_t[]>(units);
    std::memcpy(cands_.get(), other.cands_.get(), units * sizeof(char16_t));
  }
}

COcrChar& COcrChar::operator=(const COcrChar& other) {
  if (this != &other) *this = COcrChar(other);
  return *this;
}

void COcrChar::allocateCandidates(int n) {
  if (n <= 0) {
    cands_.reset();
    return;
  }
  const std::size_t count = static_cast<std::size_t>(std::min(n, 0x7FFF));
  cands_ = std::make_unique<char16_t[]>(1 + count * 4);
  cands_[0] = static_cast<char16_t>(count);
  std::fill_n(cands_.get() + 1 + count * 3, count, char16_t{10});
}

CharCode COcrChar::candCode(int i) const {
  const char16_t* p = cands_.get() + 1 + i * 3;
  return CharCode{p[0], p[1], p[2]};
}

std::uint16_t COcrChar::candCC(int i) const {
  return cands_[1 + cands_[0] * 3 + i];
}

void COcrChar::setCand(int i, const CharCode& c, std::uint16_t cc) {
  char16_t* p = cands_.get() + 1 + i * 3;
  p[0] = c[0];
  p[1] = c[1];
  p[2] = 0;
  cands_[1 + cands_[0] * 3 + i] = cc;
}

// ---- copies that relink annotation lines --------------------------------------

void copyLines(const LineList& src, LineList& dst) {
  const auto firstCopy = dst.insert(dst.end(), src.begin(), src.end());
  bool anyLink = false;
  for (const COcrLine& l : src) anyLink = anyLink || l.baseLine != nullptr;
  if (!anyLink) return;
  std::unordered_map<const COcrLine*, COcrLine*> copyOf;
  auto c = firstCopy;
  for (const COcrLine& l : src) copyOf.emplace(&l, &*c++);
  // A base line counts only when it follows the annotation line.
  std::unordered_map<const COcrLine*, std::size_t> position;
  std::size_t i = 0;
  for (const COcrLine& l : src) position.emplace(&l, i++);
  i = 0;
  c = firstCopy;
  for (const COcrLine& l : src) {
    COcrLine& copy = *c++;
    if (l.baseLine) {
      const auto found = position.find(l.baseLine);
      if (found != position.end() && found->second > i) {
        copy.baseLine = copyOf.at(l.baseLine);
      } else {
        copy.baseLine = nullptr;
        copy.attr = kAttrNone;
        copy.RCS = 0;
      }
    }
    ++i;
  }
}

COcrCell::COcrCell(const COcrCell& o)
    : row(o.row),
      col(o.col),
      x(o.x),
      y(o.y),
      width(o.width),
      height(o.height),
      lineCount(o.lineCount),
      left(o.left),
      top(o.top),
      right(o.right),
      bottom(o.bottom),
      connectGroup(o.connectGroup),
      align(o.align),
      valign(o.valign),
      charCount(o.charCount),
      lineSize(o.lineSize) {
  copyLines(o.lines, lines);
}

COcrCell& COcrCell::operator=(const COcrCell& other) {
  if (this != &other) *this = COcrCell(other);
  return *this;
}

COcrBlock::COcrBlock(const COcrBlock& o)
    : x(o.x),
      y(o.y),
      width(o.width),
      height(o.height),
      charCount(o.charCount),
      direction(o.direction),
      index(o.index),
      type(o.type),
      lineSize(o.lineSize),
      sec(o.sec),
      langId(o.langId),
      BID(o.BID),
      cells(o.cells),
      reconstructState(o.reconstructState),
      reconstructValue(o.reconstructValue) {
  copyLines(o.lines, lines);
}

COcrBlock& COcrBlock::operator=(const COcrBlock& other) {
  if (this != &other) *this = COcrBlock(other);
  return *this;
}

// ---- sections -----------------------------------------------------------------

namespace {

constexpr std::u16string_view kSectionValues[] = {
    u"text",       u"ref",         u"upperpagenum", u"lowerpagenum", u"header",     u"footer",
    u"leftpillar", u"rightpillar", u"title",        u"author",       u"terminater", u"year",
    u"month",      u"vol",         u"extitle",      u"exauther",     u"nooutput",
};

}  // namespace

std::u16string_view sectionValue(const COcrPaper& paper, int code) {
  if (code >= 0 && code <= kSecNoOutput) return kSectionValues[code];
  if (code >= kSecCustomBase) {
    const auto n = static_cast<std::size_t>(code - kSecCustomBase);
    if (n < paper.customSections.size()) return paper.customSections[n];
  }
  return kSectionValues[kSecText];
}

int sectionCode(COcrPaper& paper, std::u16string_view value) {
  if (value.empty()) return kSecText;
  for (int i = 0; i <= kSecNoOutput; ++i) {
    if (kSectionValues[i] == value) return i;
  }
  auto& reg = paper.customSections;
  const auto it = std::find(reg.begin(), reg.end(), value);
  if (it != reg.end()) return kSecCustomBase + static_cast<int>(it - reg.begin());
  reg.emplace_back(value);
  return kSecCustomBase + static_cast<int>(reg.size() - 1);
}

// ---- paper-wide values ----------------------------------------------------------

void computeMaxPageSize(COcrPaper& paper) {
  // A page without a stated size (-1) counts as 0.
  paper.maxPageWidth = 0;
  paper.maxPageHeight = 0;
  for (const COcrPage& p : paper.pages) {
    paper.maxPageWidth = std::max(paper.maxPageWidth, p.width);
    paper.maxPageHeight = std::max(paper.maxPageHeight, p.height);
  }
}

void computeStandardDpi(COcrPaper& paper) {
  std::vector<std::pair<int, int>> counts;  // value, pages, in order of first appearance
  for (const COcrPage& p : paper.pages) {
    auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& e) { return e.first == p.dpi; });
    if (it == counts.end()) {
      counts.emplace_back(p.dpi, 1);
    } else {
      ++it->second;
    }
  }
  int best = -1, bestCount = 0;
  for (const auto& [value, n] : counts) {
    if (n > bestCount) best = value, bestCount = n;
  }
  paper.standardDpi = best == -1 ? 400 : best;
}

int pageDpi(const COcrPage& page, const COcrPaper& paper) {
  if (page.dpi >= kMinDpi && page.dpi <= kMaxDpi) return page.dpi;
  if (paper.standardDpi >= kMinDpi && paper.standardDpi <= kMaxDpi) return paper.standardDpi;
  return 400;
}

void appendPages(COcrPaper& target, COcrPaper& source) {
  if (&target == &source) return;
  for (COcrPage& page : source.pages) {
    for (COcrBlock& b : page.blocks) {
      if (b.sec >= kSecCustomBase) b.sec = sectionCode(target, sectionValue(source, b.sec));
    }
  }
  target.pages.splice(target.pages.end(), source.pages);
}

void renumberPages(COcrPaper& paper) {
  int n = 1;
  for (COcrPage& p : paper.pages) p.number = n++;
}

}  // namespace lexova
