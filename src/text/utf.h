// UTF-8 and UTF-16 conversions for file names, command-line text and JSON.
#pragma once

#include <string>
#include <string_view>

namespace lexova::text {

// Lone surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);
// Malformed UTF-8 sequences become U+FFFD; replaced, when given, receives how many did.
std::u16string fromUtf8(std::string_view text, std::size_t* replaced = nullptr);

inline bool isHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
inline bool isLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace lexova::text
