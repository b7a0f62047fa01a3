// Code page 932 (Shift_JIS with the Windows vendor extensions) and EUC-JP, both
// ways, table-driven and exact. Shared by the work-file reader and writer and by
// every other reader or writer of these encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexova::text {

enum class Encoding : int { ShiftJis = 1, EucJp = 2 };

// What an undefined byte sequence reads as.
inline constexpr char16_t kUndefinedChar = 0x30FB;  // ・
// cp932Form() of a unit that code page 932 does not hold.
inline constexpr std::uint16_t kNoForm = 0xFFFF;

struct Decoded {
  char16_t unit;
  std::uint8_t length;     // bytes consumed, 1 to 3
  bool undefined = false;  // the bytes name no character: unit is kUndefinedChar in its place
};

// Decodes the character at p (p < end). A lead byte without a valid trail byte
// yields kUndefinedChar and consumes only the lead byte. Never reads past end.
Decoded decodeCp932(const std::uint8_t* p, const std::uint8_t* end);
// EUC-JP: ASCII, JIS X 0208 through the code page 932 form, 0x8E half-width
// katakana, 0x8F JIS X 0212.
Decoded decodeEucJp(const std::uint8_t* p, const std::uint8_t* end);
inline Decoded decode(Encoding e, const std::uint8_t* p, const std::uint8_t* end) {
  return e == Encoding::ShiftJis ? decodeCp932(p, end) : decodeEucJp(p, end);
}

// The code page 932 form the target systems write for u: a single byte (0x00-0xFF),
// a two-byte code (0x8140 and above), or kNoForm. Among duplicates JIS X 0208 wins,
// then the NEC special row, then the IBM extensions; never the NEC-selected copies.
std::uint16_t cp932Form(char16_t u);

// Encodes u into out; returns the byte count (1 to 2), or 0 when u has no form in
// the encoding (such a unit is not representable: it would not read back as itself).
int encodeUnit(char16_t u, Encoding e, std::uint8_t out[2]);
inline bool representable(char16_t u, Encoding e) {
  std::uint8_t b[2];
  return encodeUnit(u, e, b) != 0;
}

// The EUC-JP bytes of a two-byte code page 932 code, or 0 when it has none.
std::uint16_t cp932ToEuc(std::uint16_t sjis);
// The code page 932 code of an EUC-JP JIS X 0208 pair (both bytes 0xA1-0xFE).
std::uint16_t eucToCp932(std::uint8_t b1, std::uint8_t b2);

// Whole texts. Decoding never fails (undefined sequences read as kUndefinedChar);
// undefined, when given, receives how many did.
std::u16string decodeText(std::string_view bytes, Encoding e, std::size_t* undefined = nullptr);
// Encoding replaces each character (a surrogate pair counts as one) that has no
// form by `replacement`.
std::string encodeText(std::u16string_view text, Encoding e, char replacement = '?');

}  // namespace lexova::text
