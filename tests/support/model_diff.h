// Compares two papers field by field and describes the first difference.
#pragma once

#include <iterator>
#include <sstream>
#include <string>

#include "document/model/model.h"
#include "text/utf.h"

namespace lexova::testing {

struct DiffOptions {
  bool pageNumbers = true;          // compare page `number`
  bool unwrittenPageFields = true;  // upperpage, lowerpage, wareki, year, month, volume
  bool blockIndex = true;
  bool linkIds = true;  // LID, RLID of block lines
};

namespace detail {

template <typename T>
std::size_t indexOf(const OcrList<T>& list, const T* item) {
  std::size_t i = 0;
  for (const T& e : list) {
    if (&e == item) return i;
    ++i;
  }
  return static_cast<std::size_t>(-1);
}

class Differ {
 public:
  explicit Differ(const DiffOptions& o) : o_(o) {}
  std::string result() const { return first_; }

  template <typename V>
  void eq(const std::string& where, const V& a, const V& b) {
    if (!first_.empty() || a == b) return;
    std::ostringstream s;
    s << where << ": ";
    if constexpr (std::is_same_v<V, std::u16string>) {
      s << text::toUtf8(a) << " != " << text::toUtf8(b);
    } else if constexpr (std::is_same_v<V, CharCode>) {
      s << std::hex << int{a[0]} << "," << int{a[1]} << " != " << int{b[0]} << "," << int{b[1]};
    } else {
      s << a << " != " << b;
    }
    first_ = s.str();
  }

  void paper(const COcrPaper& a, const COcrPaper& b) {
    eq("encoding", a.encoding, b.encoding);
    eq("maxPageWidth", a.maxPageWidth, b.maxPageWidth);
    eq("maxPageHeight", a.maxPageHeight, b.maxPageHeight);
    eq("page count", a.pages.size(), b.pages.size());
    auto pb = b.pages.begin();
    int i = 0;
    for (auto pa = a.pages.begin(); pa != a.pages.end() && pb != b.pages.end(); ++pa, ++pb, ++i) {
      page(a, b, *pa, *pb, "page " + std::to_string(i));
    }
  }

 private:
  void page(const COcrPaper& pa, const COcrPaper& pb, const COcrPage& a, const COcrPage& b, const std::string& w) {
    if (o_.pageNumbers) eq(w + " number", a.number, b.number);
    eq(w + " file", a.file, b.file);
    eq(w + " fullpath", a.fullpath, b.fullpath);
    eq(w + " width", a.width, b.width);
    eq(w + " height", a.height, b.height);
    eq(w + " dpi", a.dpi, b.dpi);
    if (o_.unwrittenPageFields) {
      eq(w + " upperpage", a.upperpage, b.upperpage);
      eq(w + " lowerpage", a.lowerpage, b.lowerpage);
      eq(w + " wareki", a.wareki, b.wareki);
      eq(w + " year", a.year, b.year);
      eq(w + " month", a.month, b.month);
      eq(w + " volume", a.volume, b.volume);
    }
    eq(w + " block count", a.blocks.size(), b.blocks.size());
    auto bb = b.blocks.begin();
    int i = 0;
    for (auto ba = a.blocks.begin(); ba != a.blocks.end() && bb != b.blocks.end(); ++ba, ++bb, ++i) {
      block(pa, pb, *ba, *bb, w + " block " + std::to_string(i));
    }
  }

  void block(const COcrPaper& pa, const COcrPaper& pb, const COcrBlock& a, const COcrBlock& b, const std::string& w) {
    eq(w + " box",
       std::to_string(a.x) + "," + std::to_string(a.y) + "," + std::to_string(a.width) + "," + std::to_string(a.height),
       std::to_string(b.x) + "," + std::to_string(b.y) + "," + std::to_string(b.width) + "," +
           std::to_string(b.height));
    eq(w + " charCount", a.charCount, b.charCount);
    eq(w + " direction", int{a.direction}, int{b.direction});
    if (o_.blockIndex) eq(w + " index", a.index, b.index);
    eq(w + " type", a.type, b.type);
    eq(w + " lineSize", a.lineSize, b.lineSize);
    eq(w + " sec", std::u16string(sectionValue(pa, a.sec)), std::u16string(sectionValue(pb, b.sec)));
    eq(w + " langId", a.langId, b.langId);
    eq(w + " BID", a.BID, b.BID);
    lines(a.lines, b.lines, w, o_.linkIds);
    eq(w + " cell count", a.cells.size(), b.cells.size());
    auto cb = b.cells.begin();
    int i = 0;
    for (auto ca = a.cells.begin(); ca != a.cells.end() && cb != b.cells.end(); ++ca, ++cb, ++i) {
      const std::string cw = w + " cell " + std::to_string(i);
      eq(cw + " row", ca->row, cb->row);
      eq(cw + " col", ca->col, cb->col);
      eq(cw + " x", ca->x, cb->x);
      eq(cw + " y", ca->y, cb->y);
      eq(cw + " width", ca->width, cb->width);
      eq(cw + " height", ca->height, cb->height);
      eq(cw + " lineCount", ca->lineCount, cb->lineCount);
      eq(cw + " borders",
         std::to_string(ca->left) + std::to_string(ca->top) + std::to_string(ca->right) + std::to_string(ca->bottom),
         std::to_string(cb->left) + std::to_string(cb->top) + std::to_string(cb->right) + std::to_string(cb->bottom));
      eq(cw + " connectGroup", ca->connectGroup, cb->connectGroup);
      eq(cw + " align", ca->align, cb->align);
      eq(cw + " valign", ca->valign, cb->valign);
      eq(cw + " charCount", ca->charCount, cb->charCount);
      eq(cw + " lineSize", ca->lineSize, cb->lineSize);
      lines(ca->lines, cb->lines, cw, true);
    }
  }

  void lines(const LineList& a, const LineList& b, const std::string& w, bool linkIds) {
    eq(w + " line count", a.size(), b.size());
    auto lb = b.begin();
    int i = 0;
    for (auto la = a.begin(); la != a.end() && lb != b.end(); ++la, ++lb, ++i) {
      const std::string lw = w + " line " + std::to_string(i);
      eq(lw + " box",
         std::to_string(la->x) + "," + std::to_string(la->y) + "," + std::to_string(la->width) + "," +
             std::to_string(la->height),
         std::to_string(lb->x) + "," + std::to_string(lb->y) + "," + std::to_string(lb->width) + "," +
             std::to_string(lb->height));
      eq(lw + " charCount", la->charCount, lb->charCount);
      eq(lw + " attr", la->attr, lb->attr);
      eq(lw + " baseLine", la->baseLine ? static_cast<long long>(indexOf(a, la->baseLine)) : -1LL,
         lb->baseLine ? static_cast<long long>(indexOf(b, lb->baseLine)) : -1LL);
      eq(lw + " RCS", la->RCS, lb->RCS);
      eq(lw + " RCE", la->RCE, lb->RCE);
      if (linkIds) {
        eq(lw + " LID", la->LID, lb->LID);
        eq(lw + " RLID", la->RLID, lb->RLID);
      }
      eq(lw + " char count", la->chars.size(), lb->chars.size());
      auto cb = lb->chars.begin();
      int k = 0;
      for (auto ca = la->chars.begin(); ca != la->chars.end() && cb != lb->chars.end(); ++ca, ++cb, ++k) {
        const std::string cw = lw + " char " + std::to_string(k);
        eq(cw + " box",
           std::to_string(ca->x) + "," + std::to_string(ca->y) + "," + std::to_string(ca->width) + "," +
               std::to_string(ca->height),
           std::to_string(cb->x) + "," + std::to_string(cb->y) + "," + std::to_string(cb->width) + "," +
               std::to_string(cb->height));
        eq(cw + " code", ca->code, cb->code);
        eq(cw + " CC", ca->CC, cb->CC);
        eq(cw + " num_cand", ca->num_cand(), cb->num_cand());
        for (int n = 0; n < ca->num_cand() && n < cb->num_cand(); ++n) {
          eq(cw + " cand " + std::to_string(n), ca->candCode(n), cb->candCode(n));
          eq(cw + " cand CC " + std::to_string(n), ca->candCC(n), cb->candCC(n));
        }
      }
    }
  }

  DiffOptions o_;
  std::string first_;
};

}  // namespace detail

// Empty when the papers are equal under the options, else the first difference.
inline std::string diffPapers(const COcrPaper& a, const COcrPaper& b, const DiffOptions& o = {}) {
  detail::Differ d(o);
  d.paper(a, b);
  return d.result();
}

}  // namespace lexova::testing
