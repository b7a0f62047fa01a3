#include "document/vuzozoviv/writer.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "document/vuzozoviv/entities.h"
#include "text/codepage.h"
#include "text/utf.h"

namespace lexova::vuzozoviv {
namespace {

constexpr char16_t kGeta = 0x3013;
// A read takes at most 1023 units including the LF: a physical line of more
// characters is read in pieces, and a value split between pieces would not read back.
constexpr std::size_t kMaxLineUnits = 1022;

text::Encoding toEncoding(int e) {
  return e == kShiftJis ? text::Encoding::ShiftJis : text::Encoding::EucJp;
}

// The model holds no empty character; should one appear it is written as the
// reject mark so that the file stays readable.
// A control unit that has no place in the text of an XML file.
bool isRawControl(char16_t u) {
  return (u < 0x20 && u != u'\r' && u != u'\n') || u == 0x7F;
}

CharCode writable(const CharCode& c) {
  return c[0] == 0 ? makeCode(kGeta) : c;
}

std::u16string_view attrName(int attr) {
  switch (attr) {
    case kAttrRuby:
      return u"ruby";
    case kAttrEmph:
      return u"emph";
    case kAttrFootnote:
      return u"footnote";
    default:
      return u"";
  }
}

const char* borderName(int style) {
  switch (style) {
    case kBorderSolid:
      return "solid";
    case kBorderDotted:
      return "dotted";
    case kBorderDouble:
      return "double";
    default:
      return "none";
  }
}

const char* typeName(int type) {
  switch (type) {
    case kBlockTable:
      return "table";
    case kBlockImage:
      return "image";
    case kBlockLine:
      return "line";
    default:
      return "text";
  }
}

class Writer {
 public:
  Writer(const COcrPaper& paper, io::ByteSink& out, int encoding)
      : paper_(paper), out_(out), encoding_(encoding), enc_(toEncoding(encoding)) {
    buf_.reserve(kFlushAt + 4096);
  }

  void run(int firstPage, int lastPage) {
    writeHeader();
    int i = 0, written = 0;
    for (const COcrPage& page : paper_.pages) {
      if (firstPage >= 0 && i < firstPage) {
        ++i;
        continue;
      }
      if (lastPage >= 0 && i > lastPage) break;
      writePage(page, ++written);
      ++i;
    }
    raw("</paper>\r\n");
    flush();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;

  // ---- output primitives ---------------------------------------------------------

  void raw(std::string_view s) {
    buf_.append(s);
    lineUnits_ += s.size();
  }
  void endLine() {
    buf_.append("\r\n");
    lineUnits_ = 0;
    if (buf_.size() >= kFlushAt) flush();
  }
  void flush() {
    out_.write(buf_.data(), buf_.size());
    buf_.clear();
  }
  void indent(int n) { raw(std::string_view("                    ", static_cast<std::size_t>(n))); }
  void decimal(long long v) {
    char tmp[24];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    raw(std::string_view(tmp, static_cast<std::size_t>(r.ptr - tmp)));
  }
  // ` name="value"` with a decimal value.
  void numberAttr(std::string_view name, long long v) {
    buf_.push_back(' ');
    ++lineUnits_;
    raw(name);
    raw("=\"");
    decimal(v);
    buf_.push_back('"');
    ++lineUnits_;
  }
  void box(int x, int y, int w, int h) {
    numberAttr("x", x);
    numberAttr("y", y);
    numberAttr("width", w);
    numberAttr("height", h);
  }
  // ` name="value"` with a text value that the format cannot escape: characters
  // without a form become "?", and so do the quote and line ends, which would end
  // the value early. A value that would take the physical line past one read
  // starts a line of its own (the reader takes attributes on separate lines).
  void stringAttr(std::string_view name, std::u16string_view value, int indentation, std::size_t tail = 1) {
    std::string bytes;
    std::size_t units = 0;
    for (std::size_t i = 0; i < value.size(); ++i, ++units) {
      const char16_t u = value[i];
      std::uint8_t b[2];
      int n = 0;
      if (text::isHighSurrogate(u) && i + 1 < value.size() && text::isLowSurrogate(value[i + 1])) {
        ++i;
      } else if (u != u'"' && u != u'\r' && u != u'\n') {
        n = text::encodeUnit(u, enc_, b);
      }
      if (n == 0) {
        bytes.push_back('?');
      } else {
        bytes.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
      }
    }
    const std::size_t need = 1 + name.size() + 2 + units + 1 + tail;  // ` name="value"` and what follows
    if (lineUnits_ + need > kMaxLineUnits && lineUnits_ > static_cast<std::size_t>(indentation)) {
      endLine();
      indent(indentation);
    }
    buf_.push_back(' ');
    raw(name);
    raw("=\"");
    buf_.append(bytes);
    buf_.push_back('"');
    lineUnits_ += 2 + units;
  }
  // One unit of character text (escaped, or encoded as it stands).
  void textUnit(char16_t u) {
    const std::u16string_view entity = entityFor(u);
    if (!entity.empty()) {
      for (char16_t c : entity) buf_.push_back(static_cast<char>(c));
      return;
    }
    plainUnit(u);
  }
  void plainUnit(char16_t u) {
    std::uint8_t b[2];
    const int n = text::encodeUnit(u, enc_, b);
    buf_.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
  }
  void hex(const CharCode& c) {
    static constexpr char digits[] = "0123456789abcdef";
    for (int k = 0; k < codeLength(c); ++k) {
      for (int shift = 12; shift >= 0; shift -= 4) buf_.push_back(digits[(c[k] >> shift) & 0xF]);
    }
  }

  // Whether a candidate, written as escaped text, would read back as itself.
  bool candidateNeedsHex(const CharCode& c) const {
    if (codeLength(c) == 1) return isRawControl(c[0]) || (entityFor(c[0]).empty() && !text::representable(c[0], enc_));
    const char16_t a = c[0], b = c[1];
    if (text::isHighSurrogate(a) && text::isLowSurrogate(b)) return true;
    if (a == u'&' || a == u'<' || b == u'<' || a == u'\r' || b == u'\r' || a == u'\n' || b == u'\n') return true;
    return isRawControl(a) || isRawControl(b) || !text::representable(a, enc_) || !text::representable(b, enc_);
  }

  // ---- elements ---------------------------------------------------------------

  void writeHeader() {
    raw(enc_ == text::Encoding::ShiftJis ? "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>"
                                         : "<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>");
    endLine();
    raw("<paper xmlns=\"http://www.tessaly.jp/2005/VuzOzovIV\">");
    endLine();
  }

  void writePage(const COcrPage& page, int number) {
    indent(2);
    raw("<page");
    numberAttr("number", number);
    numberAttr("dpi", page.dpi);
    numberAttr("height", page.height);
    numberAttr("width", page.width);
    stringAttr("file", page.file, 2);
    stringAttr("fullpath", page.fullpath, 2);
    raw(">");
    endLine();
    for (const COcrBlock& b : page.blocks) writeBlock(b);
    indent(2);
    raw("</page>");
    endLine();
  }

  void writeBlock(const COcrBlock& b) {
    // A type the format does not know is written as text.
    const int type = b.type < kBlockText || b.type > kBlockLine ? kBlockText : b.type;
    indent(4);
    raw("<block type=\"");
    raw(typeName(type));
    raw("\"");
    if (type == kBlockText || type == kBlockTable) {
      raw(b.direction == kVertical ? " direction=\"vertical\"" : " direction=\"horizontal\"");
    }
    box(b.x, b.y, b.width, b.height);
    if (type == kBlockImage) {
      raw("/>");
      endLine();
      return;
    }
    // langId and BID follow on the same line.
    stringAttr("sec", sectionValue(paper_, b.sec), 4, 40);
    numberAttr("langId", b.langId);
    numberAttr("BID", b.BID);
    raw(">");
    endLine();
    if (type == kBlockTable) {
      for (const COcrCell& cell : b.cells) writeCell(cell, b.direction);
    }
    numberLinks(b.lines);
    for (const COcrLine& l : b.lines) {
      writeLine(l, b.direction, 6, true, linkId(&l), l.attr != 0 ? linkId(l.baseLine) : 0);
    }
    indent(4);
    raw("</block>");
    endLine();
  }

  // The link ids of a block's lines: numbered 1, 2, ... in order when the block
  // holds an annotation line, else none. Kept for the block being written.
  void numberLinks(const LineList& lines) {
    links_.clear();
    const bool any = std::any_of(lines.begin(), lines.end(), [](const COcrLine& l) { return l.attr != 0; });
    if (!any) return;
    int n = 0;
    for (const COcrLine& l : lines) links_.emplace(&l, ++n);
  }
  int linkId(const COcrLine* l) const {
    const auto it = l ? links_.find(l) : links_.end();
    return it != links_.end() ? it->second : 0;
  }

  void writeCell(const COcrCell& c, std::int8_t direction) {
    indent(4);
    raw("<CellData ");
    box(c.x, c.y, c.width, c.height);
    numberAttr("row", c.row);
    numberAttr("col", c.col);
    numberAttr("align", c.align);
    numberAttr("valign", c.valign);
    numberAttr("connectGroup", c.connectGroup);
    raw(">");
    endLine();
    indent(6);
    raw("<BorderData>");
    endLine();
    const std::pair<const char*, int> sides[] = {
        {"<Left ", c.left}, {"<Top ", c.top}, {"<Right ", c.right}, {"<Bottom ", c.bottom}};
    for (const auto& [tag, style] : sides) {
      indent(8);
      raw(tag);
      raw(" style=\"");
      raw(borderName(style));
      raw("\"/>");
      endLine();
    }
    indent(6);
    raw("</BorderData>");
    endLine();
    // Cell lines keep the link ids they were read with.
    for (const COcrLine& l : c.lines) writeLine(l, direction, 6, false, l.LID, l.attr != 0 ? l.RLID : 0);
    indent(4);
    raw("</CellData>");
    endLine();
  }

  void writeLine(const COcrLine& l, std::int8_t direction, int ind, bool synthesise, int lid, int rlid) {
    indent(ind);
    raw("<line");
    box(l.x, l.y, l.width, l.height);
    raw(" attr=\"");
    for (char16_t c : attrName(l.attr)) buf_.push_back(static_cast<char>(c));
    raw("\"");
    if (lid > 0) numberAttr("LID", lid);
    if (rlid > 0) {
      numberAttr("RLID", rlid);
      numberAttr("RCS", l.RCS);
      numberAttr("RCE", l.RCE);
    }
    raw(">");
    endLine();

    // Characters without a box get the box of their position in an even split of the line.
    const int n = l.charCount;
    const bool vertical = direction == kVertical;
    const long long pitch = n > 0 ? (vertical ? l.height : l.width) / n : 0;
    long long k = 0;
    for (const COcrChar& c : l.chars) {
      int x = c.x, y = c.y, w = c.width, h = c.height;
      if (synthesise && n > 0 && (c.x < 0 || c.y < 0)) {
        if (vertical) {
          x = static_cast<int>(l.x + static_cast<long long>(0.1 * l.width));
          y = static_cast<int>(l.y + k * pitch);
          w = static_cast<int>(0.8 * l.width);
          h = static_cast<int>(0.8 * static_cast<double>(pitch));
        } else {
          x = static_cast<int>(l.x + k * pitch);
          y = static_cast<int>(l.y + static_cast<long long>(0.1 * l.height));
          w = static_cast<int>(0.8 * static_cast<double>(pitch));
          h = static_cast<int>(0.8 * l.height);
        }
      }
      writeChar(c, x, y, w, h);
      ++k;
    }
    indent(ind);
    raw("</line>");
    endLine();
  }

  void writeChar(const COcrChar& c, int x, int y, int w, int h) {
    const CharCode code = writable(c.code);
    int flag = unicodeFlag(code, encoding_);
    const int cands = c.num_cand();
    bool hexCands = false;
    for (int i = 0; i < cands && !hexCands; ++i) hexCands = candidateNeedsHex(writable(c.candCode(i)));
    indent(8);
    raw("<char");
    box(x, y, w, h);
    numberAttr("num_cand", cands);
    // Hexadecimal candidates read back only when the char carries the flag.
    const int written = flag == 0 && hexCands ? 1 : flag;
    if (written >= 1) {
      raw(" ");
      numberAttr("Unicode", written);
    }
    raw(">");
    endLine();
    indent(10);
    raw("<result");
    numberAttr("CC", c.CC);
    raw(">");
    if (flag == 0) {
      textUnit(code[0]);
    } else {
      hex(flag == 1 ? makeCode(code[0]) : code);
    }
    raw("</result>");
    endLine();
    for (int i = 0; i < cands; ++i) {
      const CharCode cc = writable(c.candCode(i));
      indent(10);
      raw("<cand");
      numberAttr("CC", c.candCC(i));
      raw(">");
      if (candidateNeedsHex(cc)) {
        hex(cc);
      } else if (codeLength(cc) == 1) {
        textUnit(cc[0]);
      } else {
        // Only a whole one-unit code is an entity: two units stand as they are.
        plainUnit(cc[0]);
        plainUnit(cc[1]);
      }
      raw("</cand>");
      endLine();
    }
    indent(8);
    raw("</char>");
    endLine();
  }

  const COcrPaper& paper_;
  std::unordered_map<const COcrLine*, int> links_;
  io::ByteSink& out_;
  int encoding_;
  text::Encoding enc_;
  std::string buf_;
  std::size_t lineUnits_ = 0;  // characters on the current physical line (for stringAttr)
};

}  // namespace

int unicodeFlag(const CharCode& code, int encoding) {
  int flag = 0;
  // A control character other than the line ends (which have entities) is never
  // written raw: as hexadecimal it reads back as itself.
  if (!text::representable(code[0], toEncoding(encoding)) || isRawControl(code[0])) flag = 1;
  if (code[1] != 0) flag = 2;
  return flag;
}

int writePaper(const COcrPaper& paper, io::ByteSink& out, int encoding, int firstPage, int lastPage) {
  if (encoding == 0) encoding = paper.encoding;
  Writer(paper, out, encoding).run(firstPage, lastPage);
  return 0;
}

int writePaperFile(const COcrPaper& paper, const std::string& path, int encoding, int firstPage, int lastPage,
                   std::string* error) {
  std::unique_ptr<io::SafeFileSink> sink;
  try {
    sink = std::make_unique<io::SafeFileSink>(path, io::SafeFileSink::kKeepReadOnly);
  } catch (const io::IoError& e) {
    if (error) *error = e.what();
    return kCreateError;
  }
  try {
    writePaper(paper, *sink, encoding, firstPage, lastPage);
    sink->commit();
  } catch (const io::IoError& e) {
    if (error) *error = e.what();
    return kWriteError;
  }
  return kWriteOk;
}

}  // namespace lexova::vuzozoviv
