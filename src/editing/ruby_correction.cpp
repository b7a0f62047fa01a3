#include "editing/ruby_correction.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "editing/cursor.h"
#include "editing/line_edit.h"
#include "text/utf.h"

namespace lexova::editing {

using namespace detail;

namespace {

int clampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The characters of a text, a surrogate pair as one.
std::vector<std::u16string> charactersIn(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text::isHighSurrogate(text[i]) && i + 1 < text.size() && text::isLowSurrogate(text[i + 1]);
    out.emplace_back(text.substr(i, pair ? 2 : 1));
    if (pair) ++i;
  }
  return out;
}

std::u16string joined(const std::vector<std::u16string>& chars, std::size_t from, std::size_t to) {
  std::u16string out;
  for (std::size_t i = from; i < to && i < chars.size(); ++i) out += chars[i];
  return out;
}

std::u16string textOf(const COcrLine& l) {
  std::u16string t;
  for (const COcrChar& c : l.chars) t += codeText(c.code);
  return t;
}

// The base characters first..last (1-based) as text.
std::u16string baseText(const COcrLine& base, int first, int last) {
  std::u16string t;
  int k = 0;
  for (const COcrChar& c : base.chars) {
    ++k;
    if (k >= first && k <= last) t += codeText(c.code);
  }
  return t;
}

COcrLine& rubyLine(RubyDialog& d) {
  return *d.ruby.line;
}

int baseCount(const COcrLine& ruby) {
  return static_cast<int>(ruby.baseLine->chars.size());
}

bool rangeWhole(const COcrLine& ruby) {
  return ruby.baseLine && ruby.RCS >= 1 && ruby.RCS <= ruby.RCE && ruby.RCE <= baseCount(ruby);
}

void updateOk(RubyDialog& d) {
  if (d.rubyText.empty() || d.rubyText.find(u'*') != std::u16string::npos) {
    d.okEnabled = false;
  } else if (d.split) {
    d.okEnabled = !d.rubyText2.empty() && d.rubyText2.find(u'*') == std::u16string::npos;
  } else {
    d.okEnabled = d.baseText != d.initialBase || d.rubyText != d.initialRuby;
  }
}

void refillBase(RubyDialog& d) {
  const COcrLine& r = rubyLine(d);
  d.baseText = baseText(*r.baseLine, r.RCS, r.RCE);
  updateOk(d);
}

// Another annotation of the same kind on the same base line, wherever it stands
// in the line list, for which `test` holds.
template <typename Test>
bool neighbour(RubyDialog& d, Test test) {
  const COcrLine& r = rubyLine(d);
  for (const COcrLine& other : d.ruby.lines()) {
    if (&other != &r && other.attr == r.attr && other.baseLine == r.baseLine && test(other)) return true;
  }
  return false;
}

// The characters of a text, without controls, as the line's characters spread
// evenly along its box: pitch q = length / count, each 0.8 q long, across the
// whole line.
void spreadCharacters(COcrLine& line, std::u16string_view text, bool vertical) {
  const std::vector<CharCode> codes = charactersOf(text, false);
  line.chars.clear();
  if (codes.empty()) return;
  const long long length = vertical ? line.height : line.width;
  const long long q = length / static_cast<long long>(codes.size());
  long long i = 0;
  for (const CharCode& code : codes) {
    COcrChar c;
    c.code = code;
    c.CC = 10;
    const long long along = (vertical ? line.y : line.x) + i * q;
    const int size = static_cast<int>(0.8 * static_cast<double>(q));
    c.x = vertical ? line.x : clampToInt(along);
    c.y = vertical ? clampToInt(along) : line.y;
    c.width = vertical ? line.width : size;
    c.height = vertical ? size : line.height;
    line.chars.push_back(std::move(c));
    ++i;
  }
}

void returnCaret(RubyDialog& d, EditState& s) {
  EditCursor c = d.returnTo;
  const int size = static_cast<int>(c.line->chars.size());
  c.ch = d.returnIndex < 0 || d.returnIndex >= size ? c.line->chars.end()
                                                    : std::next(c.line->chars.begin(), d.returnIndex);
  s.cursor = c;
  d.open = false;
}

}  // namespace

namespace {

// The ruby line at the caret, or over the caret's base character, and the caret's
// offset in it (-1 at its end); the list's end when there is none.
LineList::iterator rubyAt(const EditCursor& c, int& offset) {
  LineList& lines = c.lines();
  offset = 0;
  if (c.line->attr != kAttrNone) {
    offset = c.atEnd() ? -1 : charIndex(c);
    return c.line->RCS > 0 ? c.line : lines.end();
  }
  if (c.atEnd()) return lines.end();
  const int p = charIndex(c) + 1;
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->attr != kAttrNone && it->baseLine == &*c.line && it->RCS <= p && p <= it->RCE) {
      offset = p - it->RCS;
      return it;
    }
  }
  return lines.end();
}

}  // namespace

bool RubyAtCursor(const EditState& s) {
  if (!s.cursor.set()) return false;
  int offset = 0;
  const auto ruby = rubyAt(s.cursor, offset);
  return ruby != s.cursor.lines().end() && rangeWhole(*ruby);
}

RubyDialog OpenRubyCorrection(EditState& s, EditTarget& t) {
  RubyDialog d;
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return d;
  const EditCursor c = s.cursor;
  LineList& lines = c.lines();
  int offset = 0;
  const auto ruby = rubyAt(c, offset);
  // A ruby without a whole base line and range (possible from a file) is not corrected.
  if (ruby == lines.end() || !rangeWhole(*ruby)) return d;
  d.open = true;
  d.returnTo = c;
  d.returnIndex = c.atEnd() ? -1 : charIndex(c);
  d.ruby = c;
  d.ruby.line = ruby;
  const int size = static_cast<int>(ruby->chars.size());
  d.ruby.ch = offset < 0 || offset >= size ? ruby->chars.end() : std::next(ruby->chars.begin(), offset);
  s.cursor = d.ruby;
  d.originalRCS = ruby->RCS;
  d.originalRCE = ruby->RCE;
  d.initialRuby = d.rubyText = textOf(*ruby);
  d.initialBase = d.baseText = baseText(*ruby->baseLine, ruby->RCS, ruby->RCE);
  updateOk(d);
  return d;
}

void ExtendPrev(RubyDialog& d, EditTarget& t) {
  if (!d.open || !d.rangeButtonsEnabled) return;
  COcrLine& r = rubyLine(d);
  if (r.RCS < 2) return;
  if (neighbour(d, [&](const COcrLine& o) { return o.RCS < r.RCS && o.RCE >= r.RCS - 1; })) {
    t.host().message(u"前の文字は他のルビの被ルビ文字となっているため追加できません", kApplicationName,
                     MessageIcon::Information);
    return;
  }
  --r.RCS;
  refillBase(d);
}

void DropFirst(RubyDialog& d, EditTarget&) {
  if (!d.open || !d.rangeButtonsEnabled) return;
  COcrLine& r = rubyLine(d);
  if (r.RCS < baseCount(r) && r.RCS < r.RCE) ++r.RCS;
  refillBase(d);
}

void ExtendNext(RubyDialog& d, EditTarget& t) {
  if (!d.open || !d.rangeButtonsEnabled) return;
  COcrLine& r = rubyLine(d);
  if (r.RCE >= baseCount(r)) return;
  if (neighbour(d, [&](const COcrLine& o) { return o.RCS > r.RCE && o.RCS <= r.RCE + 1; })) {
    t.host().message(u"次の文字は他のルビの被ルビ文字となっているため追加できません", kApplicationName,
                     MessageIcon::Information);
    return;
  }
  ++r.RCE;
  refillBase(d);
}

void DropLast(RubyDialog& d, EditTarget&) {
  if (!d.open || !d.rangeButtonsEnabled) return;
  COcrLine& r = rubyLine(d);
  if (r.RCE > 1 && r.RCS < r.RCE) --r.RCE;
  refillBase(d);
}

void SetRubyText(RubyDialog& d, std::u16string_view text, std::u16string_view text2) {
  if (!d.open || !d.rubyEditEnabled) return;
  d.rubyText = text;
  if (d.split) d.rubyText2 = text2;
  updateOk(d);
}

void MarkSplit(RubyDialog& d, EditTarget& t, int m) {
  if (!d.open || !d.markEnabled) return;
  std::vector<std::u16string> chars = charactersIn(d.rubyText);
  // An earlier marker goes; the point counts without it.
  const auto old = std::find(chars.begin(), chars.end(), u"*");
  if (old != chars.end()) {
    if (old - chars.begin() < m) --m;
    chars.erase(old);
  }
  if (m <= 0 || m >= static_cast<int>(chars.size())) {
    t.host().message(u"文字列の最初または最後を分割位置に指定できません", kApplicationName, MessageIcon::Information);
    return;
  }
  chars.insert(chars.begin() + m, u"*");
  d.rubyText = joined(chars, 0, chars.size());
  d.markedAt = m;
  d.rubyEditEnabled = d.rubyEdit2Enabled = d.markEnabled = false;
  d.splitEnabled = true;
  d.guidance = u"本文の分割位置をクリックしてください";
  updateOk(d);
}

void SplitRuby(RubyDialog& d, int k) {
  if (!d.open || !d.splitEnabled || d.markedAt <= 0) return;
  const COcrLine& r = rubyLine(d);
  if (k <= 0 || k >= r.RCE - r.RCS + 1) return;
  std::vector<std::u16string> chars = charactersIn(d.rubyText);
  chars.erase(std::remove(chars.begin(), chars.end(), u"*"), chars.end());
  const int p = d.markedAt;
  d.rubyText = joined(chars, 0, static_cast<std::size_t>(p));
  d.rubyText2 = joined(chars, static_cast<std::size_t>(p), chars.size());
  d.baseText = baseText(*r.baseLine, r.RCS, r.RCS + k - 1);
  d.baseText2 = baseText(*r.baseLine, r.RCS + k, r.RCE);
  d.guidance.clear();
  d.split = true;
  d.splitRuby = p;
  d.splitBase = k;
  d.markedAt = 0;
  d.splitEnabled = d.markEnabled = d.rangeButtonsEnabled = false;
  d.rubyEditEnabled = d.rubyEdit2Enabled = true;
  updateOk(d);
}

EditResult RubyOk(RubyDialog& d, EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!d.open || !d.okEnabled || !page) return {};
  COcrLine& r = rubyLine(d);
  // The snapshot holds the ruby as it was when the dialog opened: the range the
  // buttons changed goes back for it, then comes again.
  const int rcs = r.RCS, rce = r.RCE;
  r.RCS = d.originalRCS, r.RCE = d.originalRCE;
  t.recordUndo(kUndoRuby, [&] { return positionOf(*page, d.returnTo); });
  r.RCS = rcs, r.RCE = rce;
  const bool vertical = d.ruby.block->direction == kVertical;
  EditCursor at = d.ruby;
  if (!d.split) {
    // Characters are rebuilt only when the text changed: boxes, certainties and
    // candidates stay otherwise.
    if (d.rubyText != d.initialRuby) {
      spreadCharacters(r, d.rubyText, vertical);
      recount(at);
    }
  } else {
    LineList& lines = d.ruby.lines();
    const std::vector<std::u16string> original = charactersIn(d.initialRuby);
    const int oldCount = static_cast<int>(r.chars.size());
    const int p = std::min(d.splitRuby, oldCount);
    const auto fresh = lines.emplace(d.ruby.line);
    fresh->attr = r.attr;
    fresh->baseLine = r.baseLine;
    fresh->groupId = r.groupId;
    fresh->groupIndex = r.groupIndex;
    fresh->RCS = r.RCS;
    fresh->RCE = r.RCS + d.splitBase - 1;
    r.RCS += d.splitBase;
    // The first characters move with their fields; the boxes split as they stand.
    fresh->chars.splice(fresh->chars.end(), r.chars, r.chars.begin(), std::next(r.chars.begin(), p));
    fresh->x = r.x, fresh->y = r.y, fresh->width = r.width, fresh->height = r.height;
    const bool boxed = !fresh->chars.empty() && fresh->chars.front().x >= 0 && fresh->chars.front().y >= 0 &&
                       fresh->chars.back().x >= 0 && fresh->chars.back().y >= 0;
    long long length;
    if (boxed) {
      const COcrChar& first = fresh->chars.front();
      const COcrChar& last = fresh->chars.back();
      length = vertical ? static_cast<long long>(last.y) + last.height - first.y
                        : static_cast<long long>(last.x) + last.width - first.x;
      (vertical ? fresh->y : fresh->x) = vertical ? first.y : first.x;
    } else {
      length = oldCount > 0 ? static_cast<long long>(vertical ? r.height : r.width) * p / oldCount : 0;
    }
    (vertical ? fresh->height : fresh->width) = clampToInt(length);
    (vertical ? r.y : r.x) = clampToInt(static_cast<long long>(vertical ? r.y : r.x) + length);
    (vertical ? r.height : r.width) = clampToInt(static_cast<long long>(vertical ? r.height : r.width) - length);
    // Texts edited in the dialog become the characters of their line.
    if (d.rubyText != joined(original, 0, static_cast<std::size_t>(p))) spreadCharacters(*fresh, d.rubyText, vertical);
    if (d.rubyText2 != joined(original, static_cast<std::size_t>(p), original.size())) {
      spreadCharacters(r, d.rubyText2, vertical);
    }
    // Counted afresh: the new line from nothing, the old line from what it held,
    // each difference carried to the cell and the block.
    EditCursor first = d.ruby;
    first.line = fresh;
    recount(first);
    recount(at);
  }
  returnCaret(d, s);
  t.pageEdited();
  return {true, Damage::Page};
}

void RubyCancel(RubyDialog& d, EditState& s, EditTarget&) {
  if (!d.open) return;
  COcrLine& r = rubyLine(d);
  r.RCS = d.originalRCS;
  r.RCE = d.originalRCE;
  returnCaret(d, s);
}

}  // namespace lexova::editing
