#include "layout/metrics.h"

#include <algorithm>
#include <cmath>

#include "text/codepage.h"

namespace lexova::layout {
namespace {

constexpr std::array<Colour, 16> kBasicColours = {
    rgb(0, 0, 0),     rgb(255, 255, 255), rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(0, 0, 255), rgb(255, 255, 0),
    rgb(255, 0, 255), rgb(0, 255, 255),   rgb(127, 127, 127), rgb(191, 191, 191), rgb(127, 0, 0), rgb(0, 127, 0),
    rgb(0, 0, 127),   rgb(127, 127, 0),   rgb(127, 0, 127),   rgb(0, 127, 127)};

bool contains(std::u16string_view set, char16_t c) {
  return set.find(c) != std::u16string_view::npos;
}

}  // namespace

Colour paletteColour(int index, const std::array<Colour, settings::kUserColours>& userColours) {
  if (index >= 0 && index < 16) return kBasicColours[static_cast<std::size_t>(index)];
  if (index >= 16 && index < kPaletteSize) return userColours[static_cast<std::size_t>(index - 16)];
  return kBasicColours[0];
}

double characterPitch(const COcrLine& line, bool vertical) {
  const std::size_t n = line.chars.size();
  if (n == 0) return 0;
  const double along = vertical ? line.height : line.width;
  const double across = vertical ? line.width : line.height;
  const double q = along + 0.2 * across;
  if (n > 1 && line.chars.back().code[0] == u'\r') return q / static_cast<double>(n - 1);
  return n > 2 ? q / static_cast<double>(n) : q * 0.5;
}

int linePitch(const LineList& lines, int extent, bool vertical) {
  long long sum = 0;
  long long n = 0;
  for (const COcrLine& l : lines) {
    if (l.attr != kAttrNone) continue;
    sum += vertical ? l.width : l.height;
    ++n;
  }
  if (n <= 1) return static_cast<int>(extent * 1.2 * 0.5);
  const long long widened = extent + (extent - sum) / n;
  return static_cast<int>(std::clamp<long long>(widened / n, INT32_MIN, INT32_MAX));
}

FontSize lineFontSize(const COcrBlock& block, const COcrLine& line, double scale, bool imageParallel) {
  const bool vertical = block.direction == kVertical;
  int h = 0;
  if (vertical) {
    h = static_cast<int>(line.width * 0.9 * scale);
  } else if (block.lineSize > 0 && line.attr == kAttrNone) {
    h = static_cast<int>(scale * block.lineSize * (block.langId == 0 ? 0.8 : 0.95));
  } else {
    h = static_cast<int>(line.height * 0.9 * scale);
  }
  FontSize f;
  if (imageParallel) {
    f.width = static_cast<int>(h * (vertical ? 0.7 : 0.4));
    h = static_cast<int>(h * (vertical ? 0.8 : 0.7));
  }
  f.height = std::max(2, h);
  return f;
}

int blockNumberFontHeight(double scale) {
  if (scale < 0.2) return 10;
  if (scale < 0.5) return 15;
  return static_cast<int>(40 * scale);
}

Colour blockNumberColour(int sec) {
  switch (sec) {
    case 8:
      return rgb(0, 0, 148);
    case 9:
      return rgb(148, 0, 148);
    case 10:
      return rgb(148, 148, 148);
    case 14:
      return rgb(188, 188, 148);
    case 15:
      return rgb(148, 148, 188);
    case 16:
      return rgb(63, 63, 63);
    case 0:
      return rgb(0, 190, 0);
    default:
      return rgb(190, 0, 0);
  }
}

int charKind(const CharCode& code) {
  if (code[1] != 0) return 0;  // a pair: outside every list
  const char16_t c = code[0];
  if (c == u'\r' || c == u' ') return 14;
  if (c >= u'A' && c <= u'Z') return 3;
  if (c >= u'a' && c <= u'z') return 12;
  if (c >= u'0' && c <= u'9') return 4;
  if ((c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E) ||
      (c >= 0xA0 && c <= 0xBF)) {
    return 5;
  }
  if (contains(u"がぎぐげござじずぜぞだぢづでどばびぶべぼ", c)) return 6;
  if (contains(u"ぱぴぷぺぽ", c)) return 7;
  if (contains(u"ぁぃぅぇぉっゃゅょゎ", c)) return 8;
  if (contains(u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ", c)) return 9;
  if (contains(u"パピプペポヴ", c)) return 10;
  if (contains(u"ァィゥェォッャュョヮヵヶ", c)) return 11;
  if (contains(u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん",
               c)) {
    return 1;
  }
  if (contains(u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン",
               c)) {
    return 2;
  }
  return 0;
}

VerticalPlacement verticalPlacement(const CharCode& code) {
  if (code[1] != 0) return {};
  const char16_t c = code[0];
  // The half-width brackets and full stop: the code page's single bytes A1..A3
  // are the half-width forms ｡｢｣, not U+00A1..U+00A3.
  if (c == u'(' || c == u')' || c == u'[' || c == u']' || c == u'｢' || c == u'｣') return {-1, 0, -90};
  if (c == u'｡') return {1, 0, 0};
  const std::uint16_t sjis = text::cp932Form(c);
  if (sjis >= 0x8141 && sjis <= 0x8144) return {-0.5, -1.0 / 3, 0};
  if (sjis == 0x815B) return {2.0 / 3, 0, 90};
  if (sjis == 0x8160 || sjis == 0x8163 || sjis == 0x8164 || (sjis >= 0x8169 && sjis <= 0x817A)) return {-1, 0, -90};
  return {};
}

Colour charColour(const CharColourInput& in, const settings::SettingsValues& s) {
  const bool rejectColour = s.rejectColour != 0;
  switch (in.mode) {
    case kEditLineColours:
      if (in.reject && rejectColour) return in.cursorLine ? rgb(255, 0, 0) : rgb(255, 127, 127);
      return in.cursorLine ? s.editLineColour : s.otherLineColour;
    case kKindColours:
      return paletteColour(
          s.kindColourIndex[static_cast<std::size_t>(std::clamp(in.kind, 0, settings::kCharKinds - 1))], s.userColours);
    case kRegisteredColours:
      return in.registered ? rgb(255, 0, 0) : rgb(0, 0, 0);
    default:
      return in.reject && rejectColour ? rgb(255, 0, 0) : rgb(0, 0, 0);
  }
}

}  // namespace lexova::layout
