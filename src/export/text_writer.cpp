#include "export/text_writer.h"

#include <iterator>

#include "text/utf.h"

namespace lexova::exporting {
namespace {

// Collects UTF-16LE bytes and hands them on in large pieces.
class Utf16Out {
 public:
  explicit Utf16Out(io::ByteSink& sink) : sink_(sink) { buf_.reserve(kChunk + 16); }
  ~Utf16Out() = default;
  void unit(char16_t u) {
    buf_.push_back(static_cast<char>(u & 0xFF));
    buf_.push_back(static_cast<char>(u >> 8));
  }
  void lineEnd() {
    unit(u'\r');
    unit(u'\n');
  }
  void maybeFlush() {
    if (buf_.size() >= kChunk) flush();
  }
  void flush() {
    sink_.write(buf_);
    buf_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  io::ByteSink& sink_;
  std::string buf_;
};

void writeChar(Utf16Out& out, const COcrChar& c) {
  const char16_t a = c.code[0], b = c.code[1];
  if (a == u'\r' && b == 0) {
    out.lineEnd();
  } else if (text::isHighSurrogate(a) && text::isLowSurrogate(b)) {
    out.unit(a);
    out.unit(b);
  } else {
    // Units that pair with nothing are not text: each becomes U+FFFD.
    for (const char16_t u : codeText(c.code)) {
      out.unit(text::isHighSurrogate(u) || text::isLowSurrogate(u) ? char16_t{0xFFFD} : u);
    }
  }
}

void writeLines(Utf16Out& out, const LineList& lines) {
  for (const COcrLine& l : lines) {
    for (const COcrChar& c : l.chars) writeChar(out, c);
    out.maybeFlush();
  }
}

}  // namespace

void writeUnicodeText(const COcrPaper& paper, int first, int last, io::ByteSink& sink) {
  Utf16Out out(sink);
  out.unit(0xFEFF);
  int index = 0;
  for (const COcrPage& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    for (const COcrBlock& b : page.blocks) {
      if (b.type == kBlockText) {
        writeLines(out, b.lines);
      } else if (b.type == kBlockTable) {
        for (auto cell = b.cells.begin(); cell != b.cells.end(); ++cell) {
          writeLines(out, cell->lines);
          const auto next = std::next(cell);
          if (next == b.cells.end() || next->row > cell->row) {
            out.lineEnd();
          } else {
            out.unit(u'\t');
          }
        }
      }
    }
  }
  out.flush();
}

int WriteUnicodeText(const COcrPaper& paper, const std::u16string& path, int first, int last, Host& host) {
  try {
    io::SafeFileSink sink(text::toUtf8(path));
    writeUnicodeText(paper, first, last, sink);
    sink.commit();
  } catch (const io::IoError&) {
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
    return -1;
  }
  return 0;
}

}  // namespace lexova::exporting
