#include "text/codepage.h"

#include <array>
#include <memory>

namespace lexova::text {
namespace {

#include "text/cp932_table.inc"
#include "text/jisx0212_table.inc"

constexpr bool isCp932Lead(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool isCp932Trail(std::uint8_t b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
constexpr bool isEucByte(std::uint8_t b) {
  return b >= 0xA1 && b <= 0xFE;
}

constexpr int leadRow(std::uint8_t lead) {
  return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

char16_t doubleByte(std::uint8_t lead, std::uint8_t trail) {
  return kCp932Double[leadRow(lead) * 189 + (trail - 0x40)];
}

// Preference among the codes that decode to the same unit: lower wins.
int formRank(std::uint16_t code) {
  if (code < 0x100) return 0;
  const int lead = code >> 8;
  if (lead == 0x87) return 2;                  // NEC special row
  if (lead >= 0xFA && lead <= 0xFC) return 3;  // IBM extensions
  if (lead == 0xED || lead == 0xEE) return 4;  // NEC-selected IBM extensions
  return 1;                                    // JIS X 0208 and the user-defined area
}

struct EncodeTable {
  std::array<std::uint16_t, 0x10000> form;
  EncodeTable() {
    form.fill(kNoForm);
    auto offer = [this](char16_t u, std::uint16_t code) {
      std::uint16_t& slot = form[u];
      if (slot == kNoForm || formRank(code) < formRank(slot)) slot = code;
    };
    for (int b = 0; b < 256; ++b) {
      if (!isCp932Lead(static_cast<std::uint8_t>(b))) offer(kCp932Single[b], static_cast<std::uint16_t>(b));
    }
    for (int lead = 0; lead < 256; ++lead) {
      if (!isCp932Lead(static_cast<std::uint8_t>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char16_t u = doubleByte(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
        if (u != 0) offer(u, static_cast<std::uint16_t>(lead << 8 | trail));
      }
    }
  }
};

const EncodeTable& encodeTable() {
  static const auto table = std::make_unique<EncodeTable>();
  return *table;
}

}  // namespace

Decoded decodeCp932(const std::uint8_t* p, const std::uint8_t* end) {
  const std::uint8_t b = *p;
  if (!isCp932Lead(b)) return {kCp932Single[b], 1};
  if (end - p < 2 || !isCp932Trail(p[1])) return {kUndefinedChar, 1, true};
  const char16_t u = doubleByte(b, p[1]);
  return u != 0 ? Decoded{u, 2} : Decoded{kUndefinedChar, 2, true};
}

std::uint16_t eucToCp932(std::uint8_t b1, std::uint8_t b2) {
  const int row = b1 - 0xA0;   // 1..94
  const int cell = b2 - 0xA0;  // 1..94
  const int lead = ((row - 1) >> 1) + (row <= 62 ? 0x81 : 0xC1);
  int trail;
  if (row & 1) {
    trail = cell + (cell <= 63 ? 0x3F : 0x40);
  } else {
    trail = cell + 0x9E;
  }
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

std::uint16_t cp932ToEuc(std::uint16_t sjis) {
  const int lead = sjis >> 8;
  const int trail = sjis & 0xFF;
  if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF))) return 0;
  if (!isCp932Trail(static_cast<std::uint8_t>(trail))) return 0;
  int row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 1;
  int cell;
  if (trail >= 0x9F) {
    ++row;
    cell = trail - 0x9E;
  } else {
    cell = trail - 0x3F - (trail >= 0x80 ? 1 : 0);
  }
  return static_cast<std::uint16_t>((row + 0xA0) << 8 | (cell + 0xA0));
}

Decoded decodeEucJp(const std::uint8_t* p, const std::uint8_t* end) {
  const std::uint8_t b = *p;
  if (b < 0x80) return {static_cast<char16_t>(b), 1};
  const std::ptrdiff_t avail = end - p;
  if (b == 0x8E) {
    if (avail >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF) return {static_cast<char16_t>(0xFF61 + (p[1] - 0xA1)), 2};
    return {kUndefinedChar, 1, true};
  }
  if (b == 0x8F) {
    if (avail < 2 || !isEucByte(p[1])) return {kUndefinedChar, 1, true};
    if (avail < 3 || !isEucByte(p[2])) return {kUndefinedChar, 2, true};
    const char16_t u = kJisX0212[(p[1] - 0xA1) * 94 + (p[2] - 0xA1)];
    return u != 0 ? Decoded{u, 3} : Decoded{kUndefinedChar, 3, true};
  }
  if (!isEucByte(b) || avail < 2 || !isEucByte(p[1])) return {kUndefinedChar, 1, true};
  const std::uint16_t sjis = eucToCp932(b, p[1]);
  const char16_t u = doubleByte(static_cast<std::uint8_t>(sjis >> 8), static_cast<std::uint8_t>(sjis & 0xFF));
  return u != 0 ? Decoded{u, 2} : Decoded{kUndefinedChar, 2, true};
}

std::uint16_t cp932Form(char16_t u) {
  return encodeTable().form[u];
}

int encodeUnit(char16_t u, Encoding e, std::uint8_t out[2]) {
  const std::uint16_t form = cp932Form(u);
  if (form == kNoForm) return 0;
  if (e == Encoding::ShiftJis) {
    if (form < 0x100) {
      out[0] = static_cast<std::uint8_t>(form);
      return 1;
    }
    out[0] = static_cast<std::uint8_t>(form >> 8);
    out[1] = static_cast<std::uint8_t>(form);
    return 2;
  }
  if (form < 0x80) {
    out[0] = static_cast<std::uint8_t>(form);
    return 1;
  }
  if (form >= 0xA1 && form <= 0xDF) {  // half-width katakana
    out[0] = 0x8E;
    out[1] = static_cast<std::uint8_t>(form);
    return 2;
  }
  if (form < 0x100) return 0;  // 0x80, 0xA0, 0xFD-0xFF have no EUC-JP form
  const std::uint16_t euc = cp932ToEuc(form);
  if (euc == 0) return 0;
  out[0] = static_cast<std::uint8_t>(euc >> 8);
  out[1] = static_cast<std::uint8_t>(euc);
  return 2;
}

std::u16string decodeText(std::string_view bytes, Encoding e, std::size_t* undefined) {
  std::u16string out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const Decoded d = decode(e, p, end);
    out.push_back(d.unit);
    p += d.length;
    if (d.undefined && undefined) ++*undefined;
  }
  return out;
}

std::string encodeText(std::u16string_view text, Encoding e, char replacement) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out.push_back(replacement);  // a supplementary character has no form
      ++i;
      continue;
    }
    std::uint8_t b[2];
    const int n = encodeUnit(u, e, b);
    if (n == 0) {
      out.push_back(replacement);
    } else {
      out.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
    }
  }
  return out;
}

}  // namespace lexova::text
