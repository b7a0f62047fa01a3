// The image library: page images loaded, cut, scaled, rotated, converted and
// encoded. A picture is a CPICT_INFO record: rows top first, each LineBytes long
// (a multiple of 4), one bit (1 = black), eight bits (gray, or indexes into a
// colour table) or 24 bits (red, green, blue) a pixel. Sizes are checked in 64
// bits before anything is allocated.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lexova::imaging {

enum FileType : std::int16_t { kFileUnknown = 0, kFileTiff = 2, kFilePreview = 3, kFileJpeg = 4, kFilePng = 7 };

inline constexpr std::int16_t kTiffGroup4 = 4;

// The largest picture the library makes or loads: 300 megapixels, and no one
// buffer over 1 GiB.
inline constexpr std::uint64_t kMaxPixels = 300'000'000;
inline constexpr std::uint64_t kMaxBufferBytes = 1ULL << 30;

// LookImageInfo's result for a file that does not exist.
inline constexpr int kImageMissing = -121;

struct CPICT_INFO {
  std::string FileName;  // a file-system path (UTF-8)
  std::vector<std::uint8_t> Bits;
  int Width = 0, LineBytes = 0, Height = 0;
  std::int16_t BitCount = 0;                      // 1, 8 or 24
  std::int16_t XResolution = 0, YResolution = 0;  // dpi; 0 when the file does not say
  std::int16_t ColorFlag = 0;                     // non-zero: colour data
  std::vector<std::uint32_t> Palette;             // 0xRRGGBB entries of an 8-bit picture with a colour table
  std::int16_t FileType = kFileUnknown;
  std::int16_t TiffCompression = 0, TiffOption = 0;  // 4: CCITT Group 4
  std::int16_t JpegQuality = 0, JpegOption = 0;      // 1..100 (0: 75)
  std::int16_t PngOption1 = 0, PngOption2 = 0;

  std::uint8_t* row(int y) { return Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(LineBytes); }
  const std::uint8_t* row(int y) const {
    return Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(LineBytes);
  }
  bool empty() const { return Bits.empty(); }
};

// Bytes of one row: the pixels rounded up to 16 bits, then to 4 bytes.
std::int64_t lineBytesFor(std::int64_t width, int bitCount);
// Whether a picture of this size may be made (positive sizes, within the limits).
bool sizeAllowed(std::int64_t width, std::int64_t height, int bitCount);

// Every field back to its start; the pixels and the colour table are freed.
void InitCPictInfo(CPICT_INFO& p);
// Frees the pixels and the colour table; keeps the file name.
void ClearCPictInfo(CPICT_INFO& p);
// Allocates zeroed pixels for p's Width, Height and BitCount; false when the size
// is not allowed.
bool CreateNewImageToCPictInfo(CPICT_INFO& p);

// The header of p.FileName: size, bits, resolution, colour and type, no pixels.
// 1 when read, kImageMissing when there is no such file, another negative value
// for a file that is not an image we read.
int LookImageInfo(CPICT_INFO& p);
// The whole image of p.FileName. 1 when loaded, 0 otherwise (p is left empty).
int LoadImageFileProc(CPICT_INFO& p, int flag = 0);
// Writes p to p.FileName as p.FileType (TIFF Group 4 for one-bit pictures, JPEG
// at JpegQuality, PNG) through the safe file writer. 1 when written.
int SaveImageFileProc(const CPICT_INFO& p);

// The same from bytes in memory: what the file holds, and why not when it fails.
struct Decoded {
  bool ok = false;
  std::string error;
};
Decoded lookImage(std::span<const std::uint8_t> bytes, CPICT_INFO& p);
Decoded loadImage(std::span<const std::uint8_t> bytes, CPICT_INFO& p);
// The file type the first bytes announce.
std::int16_t sniffFileType(std::span<const std::uint8_t> bytes);

// Encoded pictures in memory. Empty on failure.
// A baseline JPEG of an 8-bit (gray, or a colour table expanded) or 24-bit picture;
// its components tell the colour space: 1 gray, 3 colour. JPEG holds at most
// kJpegMaxSide pixels a side: a larger picture gives nothing (fitForJpeg first).
inline constexpr int kJpegMaxSide = 65500;
struct Jpeg {
  std::vector<std::uint8_t> data;
  int components = 0;
};
Jpeg encodeJpeg(const CPICT_INFO& p, int quality);
// p shrunk in place (area averaging, proportions kept) until both sides fit in a
// JPEG; nothing happens to a picture that fits. False when shrinking failed.
bool fitForJpeg(CPICT_INFO& p);
// The CCITT Group 4 data of a one-bit picture, one strip, 1 = black coded as black.
std::vector<std::uint8_t> encodeGroup4(const CPICT_INFO& p);
// A whole file of the picture: TIFF (Group 4 for one bit, else uncompressed), PNG.
std::vector<std::uint8_t> encodeTiff(const CPICT_INFO& p);
std::vector<std::uint8_t> encodePng(const CPICT_INFO& p);

// ---- pictures made from pictures (each returns 1 and fills dst, or 0) ----------------

// The part of src inside left..right, top..bottom (right and bottom exclusive),
// intersected with the image; 0 when nothing is left.
int MakeSubPictImageFromPict(const CPICT_INFO& src, int left, int top, int right, int bottom, CPICT_INFO& dst);
// src scaled by ratio (0 < ratio < 1) by area averaging; a one-bit picture stays
// one-bit (a pixel is black when at least half of what it covers is). Mode 0 and 1
// are the same filter here.
int MakeShrinkImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio, int mode = 1);
// The same for the screen: a one-bit picture becomes 8-bit gray (255 white), each
// pixel the share of white it covers, so thin strokes stay visible when reduced.
int MakeGrayShrinkImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio);
// src enlarged by ratio (> 1), each pixel repeated.
int MakeExpandImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio);
// p turned by 90, 180 or 270 degrees clockwise, in place.
int MIMakeRotatedImage(CPICT_INFO& p, int degrees);
// 8-bit gray of a 24-bit picture (or of an 8-bit one with a colour table).
int Convert24BitColorImageTo8BitGrayscaleImage(const CPICT_INFO& src, CPICT_INFO& dst);
// 24-bit copy of an 8-bit picture (its colour table, or gray).
int Convert8BitImageTo24BitImage(const CPICT_INFO& src, CPICT_INFO& dst);
// One-bit copy of an 8-bit gray picture, dark pixels set, at Otsu's threshold.
int MakeBinDataFromGrayscaleData(const CPICT_INFO& src, CPICT_INFO& dst);
// Whether a 24-bit picture holds only gray pixels (each row over its pixels).
bool isGray24(const CPICT_INFO& p);

// The value of a pixel: one-bit 1 = black; 8-bit the byte; 24-bit 0xRRGGBB.
inline std::uint32_t pixelAt(const CPICT_INFO& p, int x, int y) {
  const std::uint8_t* r = p.row(y);
  switch (p.BitCount) {
    case 1:
      return (r[x >> 3] >> (7 - (x & 7))) & 1u;
    case 8:
      return r[x];
    default:
      return (static_cast<std::uint32_t>(r[3 * x]) << 16) | (static_cast<std::uint32_t>(r[3 * x + 1]) << 8) |
             r[3 * x + 2];
  }
}
inline void setBit(CPICT_INFO& p, int x, int y, bool on) {
  std::uint8_t& b = p.row(y)[x >> 3];
  const std::uint8_t m = static_cast<std::uint8_t>(0x80u >> (x & 7));
  b = on ? static_cast<std::uint8_t>(b | m) : static_cast<std::uint8_t>(b & ~m);
}

}  // namespace lexova::imaging
