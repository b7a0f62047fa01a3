// Any bytes given to one image decoder (built once per codec: TIFF, JPEG, PNG):
// nothing crashes or reads out of bounds, a declared size past the limits is
// refused before it is allocated, a loaded picture is consistent (rows, padding,
// header and pixels agree), and cutting, shrinking, turning and encoding it work.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "imaging/pict_info.h"

#ifndef LEXOVA_IMAGE_TYPE
#error "LEXOVA_IMAGE_TYPE names the codec"
#endif

using namespace lexova::imaging;

namespace {

// Fuzzing stays fast: pictures above this many pixels are only looked at.
constexpr std::uint64_t kLoadAtMost = 4'000'000;

// A failed check names its line, so a finding says which rule broke.
void require(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "image_fuzz.cpp:%d: check failed\n", line);
  std::abort();
}

void checkPicture(const CPICT_INFO& p) {
  require(p.BitCount == 1 || p.BitCount == 8 || p.BitCount == 24);
  require(p.LineBytes == lineBytesFor(p.Width, p.BitCount) && p.LineBytes % 4 == 0);
  require(p.Bits.size() == static_cast<std::size_t>(p.LineBytes) * static_cast<std::size_t>(p.Height));
  require(p.Palette.empty() || (p.BitCount == 8 && p.Palette.size() <= 256));
  if (p.BitCount == 1 && p.Width % 8 != 0) {
    for (int y = 0; y < p.Height; ++y) require((p.row(y)[(p.Width - 1) / 8] & (0xFF >> (p.Width % 8))) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (sniffFileType(bytes) != LEXOVA_IMAGE_TYPE) return 0;
  CPICT_INFO head;
  if (!lookImage(bytes, head).ok) return 0;
  require(sizeAllowed(head.Width, head.Height, head.BitCount) && head.Bits.empty());
  if (static_cast<std::uint64_t>(head.Width) * static_cast<std::uint64_t>(head.Height) > kLoadAtMost) return 0;
  CPICT_INFO p;
  if (!loadImage(bytes, p).ok) return 0;
  require(p.Width == head.Width && p.Height == head.Height);
  checkPicture(p);
  CPICT_INFO cut, small;
  if (MakeSubPictImageFromPict(p, p.Width / 3, p.Height / 4, p.Width, p.Height, cut)) checkPicture(cut);
  if (MakeShrinkImageFromPict(p, small, 0.37)) checkPicture(small);
  CPICT_INFO turned = p;
  require(MIMakeRotatedImage(turned, 270) == 1);
  checkPicture(turned);
  require(turned.Width == p.Height);
  // What the PDF pictures take: Group 4 of one bit, JPEG of the rest; lossless
  // files read back equal.
  if (p.BitCount == 1) {
    require(!encodeGroup4(p).empty());
  } else if (p.Width <= kJpegMaxSide && p.Height <= kJpegMaxSide) {
    require(!encodeJpeg(p, 50).data.empty());
  } else {
    // Past JPEG's sides: refused as it is, taken once shrunk to fit.
    require(encodeJpeg(p, 50).data.empty());
    CPICT_INFO fitted = p;
    require(fitForJpeg(fitted) && std::max(fitted.Width, fitted.Height) <= kJpegMaxSide);
    require(!encodeJpeg(fitted, 50).data.empty());
  }
  const auto png = encodePng(p);
  CPICT_INFO back;
  require(!png.empty() && loadImage(png, back).ok);
  require(back.Bits == p.Bits);
  return 0;
}
