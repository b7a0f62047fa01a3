// The byte formats of the PDF writer: a small printf of our own that never looks
// at the process locale (a German locale must not turn 0.000000 into 0,000000),
// the hex forms of texts, the creation date, and Windows-1252.
#pragma once

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace lexova::pdf {

// One argument of pdfFormat: a whole number, a real number or bytes.
struct PdfArg {
  enum Kind { Int, Real, Text } kind;
  long long i = 0;
  double d = 0;
  std::string_view s;
  PdfArg(int v) : kind(Int), i(v) {}
  PdfArg(long v) : kind(Int), i(v) {}
  PdfArg(long long v) : kind(Int), i(v) {}
  PdfArg(unsigned v) : kind(Int), i(v) {}
  PdfArg(unsigned long v) : kind(Int), i(static_cast<long long>(v)) {}
  PdfArg(unsigned long long v) : kind(Int), i(static_cast<long long>(v)) {}
  PdfArg(double v) : kind(Real), d(v) {}
  PdfArg(std::string_view v) : kind(Text), s(v) {}
  PdfArg(const std::string& v) : kind(Text), s(v) {}
  PdfArg(const char* v) : kind(Text), s(v) {}
};

// Appends fmt to out with its conversions filled from args in order. Understands
// %d (with a width and a 0 flag: %010d, %04d, %02d), %X (%02X, %4.4X), %s, %f
// (six decimals), %.2f and %%; anything else is copied as it stands. A conversion
// without an argument writes nothing.
void pdfFormat(std::string& out, std::string_view fmt, std::initializer_list<PdfArg> args);

// Upper-case hexadecimal, four digits per UTF-16 unit, high byte first.
std::string utf16Hex(std::u16string_view text);

// The Windows-1252 byte of a character, or nothing when the code page lacks it.
std::optional<std::uint8_t> windows1252(char16_t c);

// A moment with the offset of its local time from UTC.
struct PdfDate {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int offsetMinutes = 0;  // east of UTC positive
};

// The creation date of a file written now: with SOURCE_DATE_EPOCH set to a whole
// number of seconds, that moment in UTC (reproducible output); else local time.
PdfDate pdfDateNow();
// The moment t in local time (utc false) or UTC.
PdfDate pdfDateOf(std::time_t t, bool utc);
// "YYYYMMDDHHmmSS" followed by the offset as "+HH'mm'" or "-HH'mm'".
std::string formatPdfDate(const PdfDate& date);

}  // namespace lexova::pdf
