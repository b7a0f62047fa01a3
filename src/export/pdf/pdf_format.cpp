#include "export/pdf/pdf_format.h"

#include <charconv>
#include <cstdlib>

namespace lexova::pdf {

namespace {

void appendPadded(std::string& out, std::string_view digits, bool negative, int width, bool zero, int precision) {
  std::string body;
  if (precision > static_cast<int>(digits.size())) body.assign(precision - digits.size(), '0');
  body.append(digits);
  const int len = static_cast<int>(body.size()) + (negative ? 1 : 0);
  if (width > len && !zero) out.append(width - len, ' ');
  if (negative) out.push_back('-');
  if (width > len && zero) out.append(width - len, '0');
  out.append(body);
}

}  // namespace

void pdfFormat(std::string& out, std::string_view fmt, std::initializer_list<PdfArg> args) {
  auto next = args.begin();
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    const char c = fmt[i];
    if (c != '%' || i + 1 >= fmt.size()) {
      out.push_back(c);
      continue;
    }
    std::size_t j = i + 1;
    if (fmt[j] == '%') {
      out.push_back('%');
      i = j;
      continue;
    }
    bool zero = false;
    if (fmt[j] == '0') {
      zero = true;
      ++j;
    }
    int width = 0, precision = -1;
    while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') width = width * 10 + (fmt[j++] - '0');
    if (j < fmt.size() && fmt[j] == '.') {
      precision = 0;
      ++j;
      while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') precision = precision * 10 + (fmt[j++] - '0');
    }
    if (j >= fmt.size()) {
      out.append(fmt.substr(i));
      return;
    }
    const char conv = fmt[j];
    if (conv != 'd' && conv != 'X' && conv != 's' && conv != 'f') {
      out.append(fmt.substr(i, j - i + 1));
      i = j;
      continue;
    }
    i = j;
    if (next == args.end()) continue;
    const PdfArg& a = *next++;
    char buf[64];
    switch (conv) {
      case 'd': {
        const long long v = a.kind == PdfArg::Real ? static_cast<long long>(a.d) : a.i;
        const unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v;
        const auto r = std::to_chars(buf, buf + sizeof buf, mag);
        appendPadded(out, std::string_view(buf, r.ptr - buf), v < 0, width, zero, precision);
        break;
      }
      case 'X': {
        const auto v = static_cast<unsigned long long>(a.i) & 0xFFFFFFFFULL;
        auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
        for (char* p = buf; p != r.ptr; ++p) {
          if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
        }
        appendPadded(out, std::string_view(buf, r.ptr - buf), false, width, zero, precision);
        break;
      }
      case 's':
        out.append(a.s);
        break;
      case 'f': {
        double v = a.kind == PdfArg::Real ? a.d : static_cast<double>(a.i);
        const int digits = precision < 0 ? 6 : precision;
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
        std::string_view text(buf, r.ptr - buf);
        // A value that rounds to zero is written without a sign.
        if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) text.remove_prefix(1);
        out.append(text);
        break;
      }
    }
  }
}

std::string utf16Hex(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 4);
  for (const char16_t u : text) {
    out.push_back(kHex[(u >> 12) & 15]);
    out.push_back(kHex[(u >> 8) & 15]);
    out.push_back(kHex[(u >> 4) & 15]);
    out.push_back(kHex[u & 15]);
  }
  return out;
}

std::optional<std::uint8_t> windows1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  // The 27 characters Windows-1252 keeps in 0x80..0x9F.
  static constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

PdfDate pdfDateOf(std::time_t t, bool utc) {
  std::tm tm{};
  if (utc) {
    gmtime_r(&t, &tm);
  } else {
    localtime_r(&t, &tm);
  }
  PdfDate d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  d.offsetMinutes = utc ? 0 : static_cast<int>(tm.tm_gmtoff / 60);
  return d;
}

PdfDate pdfDateNow() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != 0) {
    long long seconds = 0;
    const char* end = epoch + std::char_traits<char>::length(epoch);
    const auto r = std::from_chars(epoch, end, seconds);
    if (r.ec == std::errc() && r.ptr == end && seconds >= 0) return pdfDateOf(static_cast<std::time_t>(seconds), true);
  }
  return pdfDateOf(std::time(nullptr), false);
}

std::string formatPdfDate(const PdfDate& d) {
  std::string out;
  const int offset = d.offsetMinutes < 0 ? -d.offsetMinutes : d.offsetMinutes;
  pdfFormat(
      out, "%04d%02d%02d%02d%02d%02d%s%02d'%02d'",
      {d.year, d.month, d.day, d.hour, d.minute, d.second, d.offsetMinutes < 0 ? "-" : "+", offset / 60, offset % 60});
  return out;
}

}  // namespace lexova::pdf
