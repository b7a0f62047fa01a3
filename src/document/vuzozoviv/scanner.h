// The line-buffered scanner of the work-file reader. It reads the byte stream as
// text, one physical line at a time, into a buffer of 1024 UTF-16 units the way a
// text-mode wide-line read does: CR LF arrives as LF, the LF stays in the buffer
// and counts as one of the at most 1023 units of one read; a lone CR is an
// ordinary character.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "io/byte_io.h"
#include "text/codepage.h"

namespace lexova::vuzozoviv {

class LineScanner {
 public:
  static constexpr std::size_t kBufferUnits = 1024;
  static constexpr std::size_t kMaxRead = kBufferUnits - 1;

  explicit LineScanner(io::ByteSource& in);

  // Decoding applies to every read after this call.
  void setEncoding(text::Encoding e) { encoding_ = e; }

  // Reads the next physical line (or 1023-unit chunk of it). Counts every read in
  // lineNumber(), the one that meets the end of the file once. False at the end.
  bool readLine();
  int lineNumber() const { return lineNumber_; }

  // The current buffer line and the cursor into it.
  std::u16string_view line() const { return {buf_, len_}; }
  std::size_t pos() const { return pos_; }
  void setPos(std::size_t p) { pos_ = p; }

  // Skips blanks (9, 10, 13, 32), reading further lines as needed; true when the
  // cursor stands on another character, false at the end of the file.
  bool nextToken() {
    for (;;) {
      while (pos_ < len_) {
        const char16_t c = buf_[pos_];
        if (c != u' ' && c != u'\n' && c != u'\r' && c != u'\t') return true;
        ++pos_;
      }
      if (!readLine()) return false;
    }
  }
  // The text at the cursor begins with s (within the buffer line).
  bool startsWith(std::u16string_view s) const {
    return len_ - pos_ >= s.size() && buf_[pos_] == s[0] && std::u16string_view(buf_ + pos_, s.size()) == s;
  }
  // startsWith, and on success the cursor advances past s.
  bool matchPrefix(std::u16string_view s) {
    if (!startsWith(s)) return false;
    pos_ += s.size();
    return true;
  }
  char16_t peek() const { return pos_ < len_ ? buf_[pos_] : char16_t{0}; }

 private:
  bool ensureBytes(std::size_t n);

  io::ByteSource& in_;
  text::Encoding encoding_ = text::Encoding::ShiftJis;
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t bytePos_ = 0, byteEnd_ = 0;
  bool inputEnded_ = false;
  bool endCounted_ = false;

  char16_t buf_[kBufferUnits];
  std::size_t len_ = 0, pos_ = 0;
  int lineNumber_ = 0;
};

}  // namespace lexova::vuzozoviv
