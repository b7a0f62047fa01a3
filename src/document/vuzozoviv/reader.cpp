#include "document/vuzozoviv/reader.h"

#include <locale.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <unordered_map>
#include <vector>

#include "document/vuzozoviv/entities.h"
#include "document/vuzozoviv/scanner.h"
#include "text/utf.h"

namespace lexova::vuzozoviv {
namespace {

constexpr char16_t kGeta = 0x3013;  // 〓: the code of a missing result or candidate

struct ReadFailure {
  int code;
};

[[noreturn]] void fail(int code) {
  throw ReadFailure{code};
}

double toDouble(const char* text) {
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, c);
}

// Truncation toward zero; a value beyond the int range saturates by its sign, as
// the target systems' conversion does.
int truncateToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483648.0) return INT_MAX;
  if (v <= -2147483649.0) return INT_MIN;
  return static_cast<int>(v);
}

int clampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

std::int16_t to16(int v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

std::u16string formatLine(std::u16string_view text, int line) {
  std::u16string out(text);
  out += u'[';
  out += text::fromUtf8(std::to_string(line));
  out += u"行目]";
  return out;
}

class Reader {
 public:
  Reader(io::ByteSource& in, ReadProgress* progress) : s_(in), progress_(progress) {}

  std::unique_ptr<COcrPaper> run() {
    paper_ = std::make_unique<COcrPaper>();
    readTop();
    return std::move(paper_);
  }
  int lineNumber() const { return s_.lineNumber(); }

 private:
  // ---- primitives -----------------------------------------------------------

  // The quoted value at the cursor, which must stand on a double quote; the value
  // ends at the next double quote of the same buffer line, which is consumed.
  std::u16string_view quotedValue() {
    const std::u16string_view line = s_.line();
    std::size_t p = s_.pos();
    if (p >= line.size() || line[p] != u'"') fail(kAttributeError);
    const std::size_t close = line.find(u'"', p + 1);
    if (close == std::u16string_view::npos) fail(kAttributeError);
    s_.setPos(close + 1);
    return line.substr(p + 1, close - p - 1);
  }
  int number() { return parseNumber(quotedValue()); }

  // Next token for an attribute list: end of file inside a tag is an attribute error.
  void attributeToken() {
    if (!s_.nextToken()) fail(kAttributeError);
  }
  // At '>' (consumed, true) or "/>" (consumed, selfClosing set, true).
  bool tagEnd(bool& selfClosing) {
    if (s_.peek() == u'>') {
      s_.setPos(s_.pos() + 1);
      selfClosing = false;
      return true;
    }
    if (s_.matchPrefix(u"/>")) {
      selfClosing = true;
      return true;
    }
    return false;
  }
  void expectEndTag(std::u16string_view tag) {
    if (!s_.nextToken() || !s_.matchPrefix(tag)) fail(kTagError);
  }

  // ---- the document ---------------------------------------------------------

  void readTop() {
    if (!s_.nextToken()) fail(kNoDataError);
    const std::size_t start = s_.pos();
    if (!s_.startsWith(u"<?xml ")) fail(kTagError);
    const std::u16string_view line = s_.line();
    const std::size_t from = start + 13;
    const std::size_t at = from < line.size() ? line.find(u"encoding=", from) : std::u16string_view::npos;
    if (at == std::u16string_view::npos) fail(kAttributeError);
    s_.setPos(at + 9);
    const std::u16string_view enc = quotedValue();
    if (enc == u"Shift_JIS") {
      encoding_ = kShiftJis;
    } else if (enc == u"EUC-JP") {
      encoding_ = kEucJp;
    } else {
      fail(kEncodingError);
    }
    const std::size_t end = line.find(u"?>", s_.pos());
    if (end == std::u16string_view::npos) fail(kTagError);
    s_.setPos(end + 2);
    // The declaration line is plain ASCII; everything after it is decoded as declared.
    s_.setEncoding(encoding_ == kShiftJis ? text::Encoding::ShiftJis : text::Encoding::EucJp);

    if (!s_.nextToken()) fail(kNoDataError);
    if (!s_.matchPrefix(u"<paper")) fail(kTagError);
    const std::size_t gt = s_.line().find(u'>', s_.pos());
    if (gt == std::u16string_view::npos) fail(kTagError);
    s_.setPos(gt + 1);

    if (progress_) {
      progress_->setText(u"Xmlファイル読み込み中...");
      progress_->show();
    }
    int pagesRead = 0;
    while (s_.nextToken() && s_.startsWith(u"<page ")) {
      readPage();
      ++pagesRead;
      if (progress_) {
        progress_->setText(u"ファイル読み込み中\u3000" + text::fromUtf8(std::to_string(pagesRead)));
      }
    }
    expectEndTag(u"</paper>");
    computeMaxPageSize(*paper_);
    paper_->encoding = encoding_;
  }

  void readPage() {
    s_.setPos(s_.pos() + 6);  // "<page "
    COcrPage& page = paper_->pages.emplace_back();
    bool haveNumber = false, haveFile = false, selfClosing = false;
    for (;;) {
      attributeToken();
      if (tagEnd(selfClosing)) break;
      if (s_.matchPrefix(u"number=")) {
        page.number = number();
        haveNumber = true;
      } else if (s_.matchPrefix(u"width=")) {
        page.width = number();
      } else if (s_.matchPrefix(u"height=")) {
        page.height = number();
      } else if (s_.matchPrefix(u"upperpage=")) {
        page.upperpage = number();
      } else if (s_.matchPrefix(u"lowerpage=")) {
        page.lowerpage = number();
      } else if (s_.matchPrefix(u"wareki=")) {
        page.wareki = number();
      } else if (s_.matchPrefix(u"year=")) {
        page.year = number();
      } else if (s_.matchPrefix(u"month=")) {
        page.month = number();
      } else if (s_.matchPrefix(u"volume=")) {
        page.volume = number();
      } else if (s_.matchPrefix(u"dpi=")) {
        page.dpi = number();
      } else if (s_.matchPrefix(u"file=")) {
        page.file = quotedValue();
        haveFile = true;
      } else if (s_.matchPrefix(u"fullpath=")) {
        page.fullpath = quotedValue();
      } else {
        skipUnknownAttribute();
      }
    }
    if (!haveNumber || !haveFile) fail(kAttributeError);
    if (!selfClosing) {
      while (s_.nextToken()) {
        if (s_.startsWith(u"<block ")) {
          readBlock(page);
        } else if (s_.matchPrefix(u"<line/>")) {
          // an empty line at page level is skipped
        } else if (s_.startsWith(u"<line ")) {
          readBareLine(page);
        } else {
          break;
        }
      }
      expectEndTag(u"</page>");
      for (COcrBlock& b : page.blocks) resolveRubyLinks(b);
    }
    if (page.width < 0 || page.height < 0) {
      long long right = LLONG_MIN, bottom = LLONG_MIN;
      for (const COcrBlock& b : page.blocks) {
        right = std::max(right, static_cast<long long>(b.x) + b.width - 1);
        bottom = std::max(bottom, static_cast<long long>(b.y) + b.height - 1);
      }
      if (page.width < 0 && !page.blocks.empty()) page.width = clampToInt(right);
      if (page.height < 0 && !page.blocks.empty()) page.height = clampToInt(bottom);
    }
  }

  // An attribute the page does not know: skip to the next double quote and past
  // the one after it.
  void skipUnknownAttribute() {
    const std::u16string_view line = s_.line();
    const std::size_t open = line.find(u'"', s_.pos());
    if (open == std::u16string_view::npos) fail(kAttributeError);
    const std::size_t close = line.find(u'"', open + 1);
    if (close == std::u16string_view::npos) fail(kAttributeError);
    s_.setPos(close + 1);
  }

  // A line directly inside a page becomes a block of its own.
  void readBareLine(COcrPage& page) {
    COcrBlock& b = page.blocks.emplace_back();
    readLine(b.lines);
    const COcrLine& l = b.lines.back();
    b.x = l.x;
    b.y = l.y;
    b.width = l.width;
    b.height = l.height;
    b.lineSize = static_cast<float>(l.height);
    b.charCount = l.charCount;
  }

  // Annotation lines find their base line by LID; the ids then have done their job.
  static void resolveRubyLinks(COcrBlock& b) {
    const bool any = std::any_of(b.lines.begin(), b.lines.end(), [](const COcrLine& l) { return l.attr != 0; });
    if (any) {
      // The first two lines of each LID: a line never annotates itself.
      std::unordered_map<int, std::pair<COcrLine*, COcrLine*>> byLid;
      for (COcrLine& l : b.lines) {
        auto [it, fresh] = byLid.try_emplace(l.LID, &l, nullptr);
        if (!fresh && !it->second.second) it->second.second = &l;
      }
      for (COcrLine& l : b.lines) {
        if (l.attr == 0) continue;
        const auto it = byLid.find(l.RLID);
        COcrLine* base = nullptr;
        if (it != byLid.end()) base = it->second.first != &l ? it->second.first : it->second.second;
        l.baseLine = base;
      }
    }
    for (COcrLine& l : b.lines) l.LID = l.RLID = 0;
  }

  void readBlock(COcrPage& page) {
    s_.setPos(s_.pos() + 7);  // "<block "
    COcrBlock& b = page.blocks.emplace_back();
    unsigned flags = 0;
    bool selfClosing = false;
    for (;;) {
      attributeToken();
      if (tagEnd(selfClosing)) break;
      if (s_.matchPrefix(u"x=")) {
        b.x = number(), flags |= 1;
      } else if (s_.matchPrefix(u"y=")) {
        b.y = number(), flags |= 2;
      } else if (s_.matchPrefix(u"width=")) {
        b.width = number(), flags |= 4;
      } else if (s_.matchPrefix(u"height=")) {
        b.height = number(), flags |= 8;
      } else if (s_.matchPrefix(u"sec=")) {
        b.sec = sectionCode(*paper_, quotedValue()), flags |= 16;
      } else if (s_.matchPrefix(u"direction=")) {
        const std::u16string_view v = quotedValue();
        if (v == u"horizontal") {
          b.direction = kHorizontal;
        } else if (v == u"vertical") {
          b.direction = kVertical;
        } else {
          fail(kAttributeError);
        }
        flags |= 32;
      } else if (s_.matchPrefix(u"index=")) {
        b.index = number();
      } else if (s_.matchPrefix(u"type=")) {
        const std::u16string_view v = quotedValue();
        if (v.starts_with(u"text")) {
          b.type = kBlockText;
        } else if (v.starts_with(u"table")) {
          b.type = kBlockTable;
        } else if (v.starts_with(u"image")) {
          b.type = kBlockImage;
        } else if (v.starts_with(u"line")) {
          b.type = kBlockLine;
        } else {
          b.type = kBlockText;
        }
      } else if (s_.matchPrefix(u"langId=")) {
        b.langId = number();
      } else if (s_.matchPrefix(u"BID=")) {
        b.BID = number();
      } else {
        fail(kAttributeError);
      }
    }
    if (selfClosing) return;
    if (b.type == kBlockText && flags != 63) fail(kAttributeError);
    if (b.type == kBlockTable) {
      readCells(b);
    } else if (b.type != kBlockImage) {
      readLines(b.lines, nullptr);
      long long sum = 0;
      for (const COcrLine& l : b.lines) {
        b.charCount += l.charCount;
        sum += b.direction == kVertical ? l.width : l.height;
      }
      b.lineSize = b.lines.empty() ? 0.0f : static_cast<float>(sum) / static_cast<float>(b.lines.size());
    }
    expectEndTag(u"</block>");
  }

  // Line elements until the next token is not a line; empty "<line/>" are skipped
  // (and counted in *count when given).
  void readLines(LineList& lines, int* count) {
    while (s_.nextToken()) {
      if (s_.matchPrefix(u"<line/>")) {
        if (count) ++*count;
      } else if (s_.startsWith(u"<line ")) {
        readLine(lines);
        if (count) ++*count;
      } else {
        break;
      }
    }
  }

  void readLine(LineList& lines) {
    s_.setPos(s_.pos() + 6);  // "<line "
    COcrLine& l = lines.emplace_back();
    unsigned flags = 0;
    bool selfClosing = false;
    for (;;) {
      attributeToken();
      if (tagEnd(selfClosing)) break;
      if (s_.matchPrefix(u"x=")) {
        l.x = number(), flags |= 1;
      } else if (s_.matchPrefix(u"y=")) {
        l.y = number(), flags |= 2;
      } else if (s_.matchPrefix(u"width=")) {
        l.width = number(), flags |= 4;
      } else if (s_.matchPrefix(u"height=")) {
        l.height = number(), flags |= 8;
      } else if (s_.matchPrefix(u"LID=")) {
        l.LID = number();
      } else if (s_.matchPrefix(u"RLID=")) {
        l.RLID = number();
      } else if (s_.matchPrefix(u"RCS=")) {
        l.RCS = number();
      } else if (s_.matchPrefix(u"RCE=")) {
        l.RCE = number();
      } else if (s_.matchPrefix(u"attr=")) {
        const std::u16string_view v = quotedValue();
        if (v.empty()) {
          l.attr = kAttrNone;
        } else if (v == u"ruby") {
          l.attr = kAttrRuby;
        } else if (v == u"emph") {
          l.attr = kAttrEmph;
        } else if (v == u"footnote") {
          l.attr = kAttrFootnote;
        } else {
          fail(kAttributeError);
        }
      } else {
        fail(kAttributeError);
      }
    }
    if (selfClosing) return;
    if (flags != 15) fail(kAttributeError);
    while (s_.nextToken() && s_.startsWith(u"<char ")) readChar(l);
    expectEndTag(u"</line>");
  }

  void readChar(COcrLine& line) {
    s_.setPos(s_.pos() + 6);  // "<char "
    COcrChar& c = line.chars.emplace_back();
    unsigned flags = 0;
    bool unicode = false;
    int numCand = 0;
    for (;;) {
      attributeToken();
      if (s_.peek() == u'>') {
        s_.setPos(s_.pos() + 1);
        break;
      }
      if (s_.matchPrefix(u"x=")) {
        c.x = number(), flags |= 1;
      } else if (s_.matchPrefix(u"y=")) {
        c.y = number(), flags |= 2;
      } else if (s_.matchPrefix(u"width=")) {
        c.width = number(), flags |= 4;
      } else if (s_.matchPrefix(u"height=")) {
        c.height = number(), flags |= 8;
      } else if (s_.matchPrefix(u"num_cand=")) {
        numCand = to16(number()), flags |= 16;
      } else if (s_.matchPrefix(u"Unicode=")) {
        quotedValue();
        unicode = true;
      } else {
        fail(kAttributeError);
      }
    }
    if (flags != 31 || numCand < 0) fail(kAttributeError);

    if (s_.nextToken() && s_.matchPrefix(u"<result")) {
      c.code = readContent(unicode, c.CC, u"</result>");
    } else {
      c.code = makeCode(kGeta);  // no result: shown as a reject
      c.CC = 0;
    }
    // Only the candidates the file holds are kept: a num_cand larger than the
    // candidates that follow must not make a few bytes allocate megabytes.
    cands_.clear();
    for (int i = 0; i < numCand; ++i) {
      if (!s_.nextToken() || !s_.matchPrefix(u"<cand")) break;
      COcrCand& cand = cands_.emplace_back();
      cand.code = readContent(unicode, cand.CC, u"</cand>");
    }
    if (!cands_.empty()) {
      c.allocateCandidates(static_cast<int>(cands_.size()));
      for (std::size_t i = 0; i < cands_.size(); ++i) c.setCand(static_cast<int>(i), cands_[i].code, cands_[i].CC);
    }
    expectEndTag(u"</char>");
    line.charCount += codeLength(c.code);
  }

  // The rest of a result or cand element after its name.
  CharCode readContent(bool unicode, std::uint16_t& cc, std::u16string_view endTag) {
    cc = 10;
    for (;;) {
      attributeToken();
      if (s_.peek() == u'>') {
        s_.setPos(s_.pos() + 1);
        break;
      }
      if (!s_.matchPrefix(u"CC=")) fail(kAttributeError);
      cc = static_cast<std::uint16_t>(number());
    }
    const std::u16string_view line = s_.line();
    const std::size_t start = s_.pos();
    const std::size_t lt = line.find(u'<', start);
    if (lt == std::u16string_view::npos) fail(kTagError);
    const std::u16string_view content = line.substr(start, lt - start);
    s_.setPos(lt);
    const CharCode code = decodeContent(content, unicode);
    expectEndTag(endTag);
    return code;
  }

  static CharCode decodeContent(std::u16string_view content, bool unicode) {
    if (content.empty() || content.size() > 11) fail(kElementError);
    if (content.find(u'\0') != std::u16string_view::npos) fail(kElementError);
    if (content[0] == u'&') {
      const char16_t ch = entityChar(content);
      if (ch == 0) fail(kElementError);
      return makeCode(ch);
    }
    if (content.size() <= 2) return makeCode(content[0], content.size() == 2 ? content[1] : 0);
    if (!unicode) fail(kElementError);
    const std::size_t groups = content.size() / 4;
    if (groups == 0) fail(kElementError);
    char16_t units[2] = {0, 0};
    for (std::size_t g = 0; g < groups && g < 2; ++g) {
      unsigned v = 0;
      for (std::size_t k = 0; k < 4; ++k) {
        const char16_t h = content[g * 4 + k];
        unsigned d;
        if (h >= u'0' && h <= u'9') {
          d = h - u'0';
        } else if (h >= u'a' && h <= u'f') {
          d = h - u'a' + 10;
        } else if (h >= u'A' && h <= u'F') {
          d = h - u'A' + 10;
        } else {
          fail(kElementError);
        }
        v = v << 4 | d;
      }
      units[g] = static_cast<char16_t>(v);
    }
    if (units[0] == 0) fail(kElementError);
    return makeCode(units[0], units[1]);
  }

  void readCells(COcrBlock& b) {
    float sizeSum = 0;
    int sized = 0;
    while (s_.nextToken()) {
      if (s_.matchPrefix(u"<CellData/>")) break;
      if (!s_.matchPrefix(u"<CellData ")) break;
      COcrCell& cell = b.cells.emplace_back();
      unsigned flags = 0;
      bool selfClosing = false;
      for (;;) {
        attributeToken();
        if (tagEnd(selfClosing)) break;
        if (s_.matchPrefix(u"x=")) {
          cell.x = number(), flags |= 1;
        } else if (s_.matchPrefix(u"y=")) {
          cell.y = number(), flags |= 2;
        } else if (s_.matchPrefix(u"width=")) {
          cell.width = number(), flags |= 4;
        } else if (s_.matchPrefix(u"height=")) {
          cell.height = number(), flags |= 8;
        } else if (s_.matchPrefix(u"row=")) {
          cell.row = number(), flags |= 16;
        } else if (s_.matchPrefix(u"col=")) {
          cell.col = number(), flags |= 32;
        } else if (s_.matchPrefix(u"align=")) {
          cell.align = number();
        } else if (s_.matchPrefix(u"valign=")) {
          cell.valign = number();
        } else if (s_.matchPrefix(u"connectGroup=")) {
          cell.connectGroup = number();
        } else {
          fail(kAttributeError);
        }
      }
      if (selfClosing) break;
      if (flags != 63) fail(kAttributeError);
      if (s_.nextToken() && s_.matchPrefix(u"<BorderData>")) readBorderData(cell);
      readLines(cell.lines, &cell.lineCount);
      long long sum = 0;
      for (const COcrLine& l : cell.lines) {
        cell.charCount += l.charCount;
        sum += b.direction == kVertical ? l.width : l.height;
      }
      cell.lineSize = cell.lines.empty() ? 0.0f : static_cast<float>(sum) / static_cast<float>(cell.lines.size());
      expectEndTag(u"</CellData>");
      b.charCount += cell.charCount;
      if (cell.lineSize > 0) {
        sizeSum += cell.lineSize;
        ++sized;
      }
    }
    b.lineSize = sized > 0 ? sizeSum / static_cast<float>(sized) : 0.0f;
  }

  void readBorderData(COcrCell& cell) {
    unsigned seen = 0;
    for (;;) {
      attributeToken();
      if (s_.matchPrefix(u"</BorderData>")) break;
      int* side;
      if (s_.matchPrefix(u"<Left ")) {
        side = &cell.left, seen |= 1;
      } else if (s_.matchPrefix(u"<Top ")) {
        side = &cell.top, seen |= 2;
      } else if (s_.matchPrefix(u"<Right ")) {
        side = &cell.right, seen |= 4;
      } else if (s_.matchPrefix(u"<Bottom ")) {
        side = &cell.bottom, seen |= 8;
      } else {
        fail(kAttributeError);
      }
      for (;;) {
        attributeToken();
        if (s_.matchPrefix(u"/>")) break;
        if (s_.matchPrefix(u"style=")) {
          const std::u16string_view v = quotedValue();
          if (v == u"none") {
            *side = kBorderNone;
          } else if (v == u"solid") {
            *side = kBorderSolid;
          } else if (v == u"dotted") {
            *side = kBorderDotted;
          } else if (v == u"double") {
            *side = kBorderDouble;
          }
        } else if (s_.matchPrefix(u"color=") || s_.matchPrefix(u"width=")) {
          quotedValue();
        } else {
          fail(kAttributeError);
        }
      }
    }
    if (seen != 15) fail(kAttributeError);
  }

  LineScanner s_;
  ReadProgress* progress_;
  std::unique_ptr<COcrPaper> paper_;
  int encoding_ = kShiftJis;
  std::vector<COcrCand> cands_;
};

}  // namespace

int parseNumber(std::u16string_view v) {
  std::size_t i = 0;
  const std::size_t n = v.size();
  while (i < n && (v[i] == u' ' || (v[i] >= u'\t' && v[i] <= u'\r'))) ++i;
  // Plain integers, the common case.
  {
    std::size_t j = i;
    const bool neg = j < n && v[j] == u'-';
    if (j < n && (v[j] == u'-' || v[j] == u'+')) ++j;
    const std::size_t digits = j;
    long long acc = 0;
    while (j < n && j - digits < 10 && v[j] >= u'0' && v[j] <= u'9') acc = acc * 10 + (v[j++] - u'0');
    if (j > digits && (j == n || (v[j] != u'.' && v[j] != u'e' && v[j] != u'E' && (v[j] < u'0' || v[j] > u'9')))) {
      return truncateToInt(static_cast<double>(neg ? -acc : acc));
    }
  }
  // The decimal prefix, copied as ASCII for the C library's exact conversion.
  std::string ascii;
  std::size_t j = i;
  if (j < n && (v[j] == u'-' || v[j] == u'+')) ascii.push_back(static_cast<char>(v[j++]));
  std::size_t mantissa = 0;
  while (j < n && v[j] >= u'0' && v[j] <= u'9') ascii.push_back(static_cast<char>(v[j++])), ++mantissa;
  if (j < n && v[j] == u'.') {
    ascii.push_back('.');
    ++j;
    while (j < n && v[j] >= u'0' && v[j] <= u'9') ascii.push_back(static_cast<char>(v[j++])), ++mantissa;
  }
  if (mantissa == 0) return 0;
  if (j < n && (v[j] == u'e' || v[j] == u'E')) {
    std::size_t k = j + 1;
    std::string exp = "e";
    if (k < n && (v[k] == u'-' || v[k] == u'+')) exp.push_back(static_cast<char>(v[k++]));
    const std::size_t expDigits = k;
    while (k < n && v[k] >= u'0' && v[k] <= u'9') exp.push_back(static_cast<char>(v[k++]));
    if (k > expDigits) ascii += exp;
  }
  return truncateToInt(toDouble(ascii.c_str()));
}

ReadResult readPaper(io::ByteSource& in, ReadProgress* progress) {
  ReadResult result;
  Reader reader(in, progress);
  try {
    result.paper = reader.run();
  } catch (const ReadFailure& f) {
    result.code = f.code;
  } catch (const io::IoError& e) {
    result.code = kOtherError;
    result.detail = e.what();
  } catch (const std::bad_alloc&) {
    result.code = kOtherError;
  }
  if (result.code != kReadOk) result.line = reader.lineNumber();
  return result;
}

ReadResult readPaperFile(const std::string& path, ReadProgress* progress) {
  std::unique_ptr<io::FileSource> in;
  try {
    in = std::make_unique<io::FileSource>(path);
  } catch (const io::IoError& e) {
    ReadResult r;
    r.code = kFileOpenError;
    r.detail = e.what();
    return r;
  }
  return readPaper(*in, progress);
}

std::u16string readErrorMessage(int code, int line) {
  switch (code) {
    case kReadOk:
      return {};
    case kFileOpenError:
      return u"ファイルオープンエラー";
    case kTagError:
      return formatLine(u"タグが間違っています。", line);
    case kAttributeError:
      return formatLine(u"属性が間違っています。", line);
    case kEncodingError:
      return u"未対応のエンコードタイプです。";
    case kNoDataError:
      return formatLine(u"データ構造が間違っています。", line);
    case kElementError:
      return formatLine(u"要素が間違っています。", line);
    default:
      return formatLine(u"何らかのエラーが起こりました。", line);
  }
}

}  // namespace lexova::vuzozoviv
