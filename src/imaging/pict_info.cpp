#include "imaging/pict_info.h"

#include <algorithm>
#include <cmath>

#include "imaging/codecs.h"
#include "io/byte_io.h"

namespace lexova::imaging {

std::int64_t lineBytesFor(std::int64_t width, int bitCount) {
  const std::int64_t bits = width * bitCount;
  return ((bits + 15) / 16 * 2 + 3) / 4 * 4;
}

bool sizeAllowed(std::int64_t width, std::int64_t height, int bitCount) {
  if (width <= 0 || height <= 0 || (bitCount != 1 && bitCount != 8 && bitCount != 24)) return false;
  if (width > static_cast<std::int64_t>(kMaxPixels) || height > static_cast<std::int64_t>(kMaxPixels)) return false;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) return false;
  const std::int64_t line = lineBytesFor(width, bitCount);
  return static_cast<std::uint64_t>(line) * static_cast<std::uint64_t>(height) <= kMaxBufferBytes;
}

namespace detail {

bool allocate(CPICT_INFO& p, std::int64_t width, std::int64_t height, int bitCount, std::string& error) {
  if (!sizeAllowed(width, height, bitCount)) {
    error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels, " +
            std::to_string(bitCount) + " bits; at most 300 megapixels and 1 GiB)";
    return false;
  }
  p.Width = static_cast<int>(width);
  p.Height = static_cast<int>(height);
  p.BitCount = static_cast<std::int16_t>(bitCount);
  p.LineBytes = static_cast<int>(lineBytesFor(width, bitCount));
  p.Bits.assign(static_cast<std::size_t>(p.LineBytes) * static_cast<std::size_t>(p.Height), 0);
  return true;
}

void clearPadding(CPICT_INFO& p) {
  if (p.BitCount != 1 || p.Bits.empty()) return;
  const int used = (p.Width + 7) / 8;
  const auto keep = static_cast<std::uint8_t>(p.Width % 8 == 0 ? 0xFF : 0xFF << (8 - p.Width % 8));
  for (int y = 0; y < p.Height; ++y) {
    std::uint8_t* row = p.row(y);
    row[used - 1] &= keep;
    std::fill(row + used, row + p.LineBytes, 0);
  }
}

std::int16_t dpiOf(double value, int unit) {
  double dpi = 0;
  if (unit == 2) dpi = value;
  if (unit == 3) dpi = value * 2.54;
  if (!(dpi >= 1 && dpi <= 32767)) return 0;
  return static_cast<std::int16_t>(std::lround(dpi));
}

}  // namespace detail

void InitCPictInfo(CPICT_INFO& p) {
  p = CPICT_INFO{};
}

void ClearCPictInfo(CPICT_INFO& p) {
  std::vector<std::uint8_t>().swap(p.Bits);
  std::vector<std::uint32_t>().swap(p.Palette);
  p.Width = p.Height = p.LineBytes = 0;
  p.BitCount = 0;
}

bool CreateNewImageToCPictInfo(CPICT_INFO& p) {
  std::string error;
  p.Palette.clear();
  return detail::allocate(p, p.Width, p.Height, p.BitCount, error);
}

std::int16_t sniffFileType(std::span<const std::uint8_t> b) {
  if (b.size() >= 4 && ((b[0] == 'I' && b[1] == 'I' && b[2] == 42 && b[3] == 0) ||
                        (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == 42))) {
    return kFileTiff;
  }
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return kFileJpeg;
  if (b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return kFilePng;
  return kFileUnknown;
}

namespace {

Decoded decode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly) {
  const std::int16_t type = sniffFileType(bytes);
  Decoded r;
  std::string name = std::move(p.FileName);
  InitCPictInfo(p);
  p.FileName = std::move(name);
  switch (type) {
    case kFileTiff:
      r = detail::tiffDecode(bytes, p, headerOnly);
      break;
    case kFileJpeg:
      r = detail::jpegDecode(bytes, p, headerOnly);
      break;
    case kFilePng:
      r = detail::pngDecode(bytes, p, headerOnly);
      break;
    default:
      r.error = "not a TIFF, JPEG or PNG image";
      break;
  }
  if (r.ok) {
    p.FileType = type;
  } else {
    ClearCPictInfo(p);
  }
  return r;
}

// Image files are read whole; a page image is far below this.
constexpr std::uint64_t kMaxFileBytes = 1ULL << 30;

}  // namespace

Decoded lookImage(std::span<const std::uint8_t> bytes, CPICT_INFO& p) {
  return decode(bytes, p, true);
}

Decoded loadImage(std::span<const std::uint8_t> bytes, CPICT_INFO& p) {
  return decode(bytes, p, false);
}

int LookImageInfo(CPICT_INFO& p) {
  std::string bytes;
  try {
    bytes = io::readFile(p.FileName, kMaxFileBytes);
  } catch (const io::IoError& e) {
    return e.kind() == io::IoFailure::Missing ? kImageMissing : -1;
  }
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  return lookImage({data, bytes.size()}, p).ok ? 1 : -2;
}

int LoadImageFileProc(CPICT_INFO& p, int) {
  std::string bytes;
  try {
    bytes = io::readFile(p.FileName, kMaxFileBytes);
  } catch (const io::IoError&) {
    ClearCPictInfo(p);
    return 0;
  }
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  return loadImage({data, bytes.size()}, p).ok ? 1 : 0;
}

int SaveImageFileProc(const CPICT_INFO& p) {
  std::vector<std::uint8_t> bytes;
  switch (p.FileType) {
    case kFileTiff:
      bytes = encodeTiff(p);
      break;
    case kFileJpeg:
      bytes = encodeJpeg(p, p.JpegQuality > 0 ? p.JpegQuality : 75).data;
      break;
    case kFilePng:
      bytes = encodePng(p);
      break;
    default:
      return 0;
  }
  if (bytes.empty()) return 0;
  try {
    io::SafeFileSink sink(p.FileName);
    sink.write(bytes.data(), bytes.size());
    sink.commit();
  } catch (const io::IoError&) {
    return 0;
  }
  return 1;
}

Jpeg encodeJpeg(const CPICT_INFO& p, int quality) {
  return detail::jpegEncode(p, quality);
}
bool fitForJpeg(CPICT_INFO& p) {
  const int side = std::max(p.Width, p.Height);
  if (side <= kJpegMaxSide) return true;
  // A little under the exact ratio, so that rounding never lands one pixel over.
  const double ratio = (kJpegMaxSide - 1.0) / side;
  CPICT_INFO small;
  if (!MakeShrinkImageFromPict(p, small, ratio, 1) || std::max(small.Width, small.Height) > kJpegMaxSide) return false;
  p = std::move(small);
  return true;
}
std::vector<std::uint8_t> encodeGroup4(const CPICT_INFO& p) {
  return detail::tiffGroup4Strip(p);
}
std::vector<std::uint8_t> encodeTiff(const CPICT_INFO& p) {
  return detail::tiffEncode(p);
}
std::vector<std::uint8_t> encodePng(const CPICT_INFO& p) {
  return detail::pngEncode(p);
}

}  // namespace lexova::imaging
