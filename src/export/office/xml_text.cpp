#include "export/office/xml_text.h"

#include <charconv>
#include <cmath>

namespace lexova::office {

namespace {

void putUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

void appendXml(std::string& out, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate
    }
    // XML 1.0 holds tab, line feed, carriage return and everything from space up,
    // except U+FFFE and U+FFFF.
    if ((c < 0x20 && c != 9 && c != 10 && c != 13) || c == 0xFFFE || c == 0xFFFF) continue;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case 13:
        out += "&#13;";
        break;
      default:
        putUtf8(out, c);
    }
  }
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
