#include "cli/json.h"

#include <charconv>

#include "cli/output.h"
#include "text/utf.h"

namespace lexova::cli {

void JsonWriter::raw(std::string_view s) {
  buf_.append(s);
  if (buf_.size() >= (1 << 16)) flush();
}

void JsonWriter::flush() {
  writeTo(out_, buf_);
  buf_.clear();
}

void JsonWriter::finish() {
  raw("\n");
  flush();
  flushTo(out_);
}

void JsonWriter::separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) raw(", ");
    first_.back() = false;
  }
}

void JsonWriter::open(char c) {
  separate();
  buf_.push_back(c);
  first_.push_back(true);
}

void JsonWriter::close(char c) {
  buf_.push_back(c);
  first_.pop_back();
}

void JsonWriter::key(std::string_view k) {
  separate();
  quoted(k);
  raw(": ");
  afterKey_ = true;
}

void JsonWriter::value(long long v) {
  separate();
  char tmp[24];
  const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
  raw(std::string_view(tmp, static_cast<std::size_t>(r.ptr - tmp)));
}

void JsonWriter::value(float v) {
  separate();
  char tmp[32];
  const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
  raw(std::string_view(tmp, static_cast<std::size_t>(r.ptr - tmp)));
}

void JsonWriter::value(bool v) {
  separate();
  raw(v ? "true" : "false");
}

void JsonWriter::null() {
  separate();
  raw("null");
}

void JsonWriter::value(std::string_view utf8) {
  separate();
  quoted(utf8);
}

void JsonWriter::value(std::u16string_view s) {
  value(std::string_view(text::toUtf8(s)));
}

void JsonWriter::quoted(std::string_view s) {
  buf_.push_back('"');
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        buf_.append("\\\"");
        break;
      case '\\':
        buf_.append("\\\\");
        break;
      case '\n':
        buf_.append("\\n");
        break;
      case '\r':
        buf_.append("\\r");
        break;
      case '\t':
        buf_.append("\\t");
        break;
      default:
        if (c < 0x20) {
          static constexpr char hex[] = "0123456789abcdef";
          buf_.append("\\u00");
          buf_.push_back(hex[c >> 4]);
          buf_.push_back(hex[c & 0xF]);
        } else {
          buf_.push_back(ch);
        }
    }
  }
  buf_.push_back('"');
}

}  // namespace lexova::cli
