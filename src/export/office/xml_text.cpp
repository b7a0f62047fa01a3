#include "export/office/xml_text.h"

#include <charconv>
#include <cmath>

#include "text/utf.h"

namespace lexova::office {

void appendXml(std::string& out, std::u16string_view text) {
  // Plain stretches go through the one UTF-8 encoder (a lone surrogate becomes
  // U+FFFD there); markup characters are escaped, and what XML 1.0 cannot hold
  // (controls other than tab, line feed and carriage return; U+FFFE, U+FFFF) is
  // left out.
  std::size_t start = 0;
  auto flush = [&](std::size_t end) {
    if (end > start) out += text::toUtf8(text.substr(start, end - start));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char* escaped = nullptr;
    switch (c) {
      case u'&':
        escaped = "&amp;";
        break;
      case u'<':
        escaped = "&lt;";
        break;
      case u'>':
        escaped = "&gt;";
        break;
      case u'"':
        escaped = "&quot;";
        break;
      case 13:
        escaped = "&#13;";
        break;
      default:
        break;
    }
    const bool illegal = (c < 0x20 && c != 9 && c != 10 && c != 13) || c == 0xFFFE || c == 0xFFFF;
    if (escaped == nullptr && !illegal) continue;
    flush(i);
    if (escaped != nullptr) out += escaped;
    start = i + 1;
  }
  flush(text.size());
}

std::string xmlText(std::u16string_view text) {
  std::string out;
  appendXml(out, text);
  return out;
}

std::string xmlNumber(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[64];
  const double rounded = std::round(v * 100) / 100;
  const auto r = rounded == std::floor(rounded)
                     ? std::to_chars(buf, buf + sizeof buf, static_cast<long long>(rounded))
                     : std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, 2);
  std::string s(buf, r.ptr);
  if (s.find('.') != std::string::npos && s.back() == '0') s.pop_back();  // 595.20 is 595.2
  return s;
}

std::string xmlInt(long long v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace lexova::office
