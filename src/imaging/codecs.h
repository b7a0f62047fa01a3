// The codecs behind the image library, one file each; every library's error
// handling (libjpeg's and libpng's long jumps, libtiff's handlers) stays inside
// its file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/pict_info.h"

namespace lexova::imaging::detail {

// Sets p's size and allocates zeroed rows; false (with error) beyond the limits.
bool allocate(CPICT_INFO& p, std::int64_t width, std::int64_t height, int bitCount, std::string& error);
// Clears the bits past the width of every one-bit row.
void clearPadding(CPICT_INFO& p);
// A resolution as dpi in 16 bits: value per inch (unit 2) or per centimetre
// (unit 3); anything else, or out of range, is 0.
std::int16_t dpiOf(double value, int unit);

Decoded tiffDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly);
std::vector<std::uint8_t> tiffEncode(const CPICT_INFO& p);
std::vector<std::uint8_t> tiffGroup4Strip(const CPICT_INFO& p);

Decoded jpegDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly);
Jpeg jpegEncode(const CPICT_INFO& p, int quality);

Decoded pngDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly);
std::vector<std::uint8_t> pngEncode(const CPICT_INFO& p);

}  // namespace lexova::imaging::detail
