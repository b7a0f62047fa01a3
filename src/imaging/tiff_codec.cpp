// TIFF through libtiff, from and to memory. One-bit images come as 1 = black
// whatever their photometric interpretation; everything libtiff can only give as
// RGBA is read top row first and laid on white.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "imaging/codecs.h"

namespace lexova::imaging::detail {

namespace {

// A growable or read-only buffer libtiff reads and writes through.
struct MemoryFile {
  const std::uint8_t* in = nullptr;
  std::vector<std::uint8_t>* out = nullptr;
  std::uint64_t size = 0, at = 0;
  std::string error;
};

tmsize_t readProc(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  const std::uint8_t* data = f->out ? f->out->data() : f->in;
  if (f->at >= f->size || n <= 0) return 0;
  const auto k = static_cast<tmsize_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), f->size - f->at));
  std::memcpy(buf, data + f->at, static_cast<std::size_t>(k));
  f->at += static_cast<std::uint64_t>(k);
  return k;
}

tmsize_t writeProc(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  if (f->out == nullptr || n < 0) return -1;
  const std::uint64_t end = f->at + static_cast<std::uint64_t>(n);
  if (end > kMaxBufferBytes) return -1;
  if (end > f->out->size()) f->out->resize(end);
  std::memcpy(f->out->data() + f->at, buf, static_cast<std::size_t>(n));
  f->at = end;
  f->size = std::max<std::uint64_t>(f->size, end);
  return n;
}

toff_t seekProc(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = f->at;
  if (whence == SEEK_END) base = f->size;
  const std::uint64_t to = base + off;
  if (to > kMaxBufferBytes * 2) return static_cast<toff_t>(-1);
  if (f->out != nullptr && to > f->out->size()) f->out->resize(to);
  if (f->out != nullptr) f->size = std::max<std::uint64_t>(f->size, to);
  f->at = to;
  return to;
}

int closeProc(thandle_t) {
  return 0;
}

toff_t sizeProc(thandle_t h) {
  return static_cast<MemoryFile*>(h)->size;
}

int errorHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* f = static_cast<MemoryFile*>(user);
  if (f->error.empty()) {
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    f->error = std::string(module ? module : "TIFF") + ": " + buf;
  }
  return 1;
}

int warningHandler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

// Opens a memory file with the library's single allocation held to our limit.
struct Tiff {
  TIFF* tif = nullptr;
  ~Tiff() {
    if (tif != nullptr) TIFFClose(tif);
  }
};

TIFF* open(MemoryFile& f, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxBufferBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options, errorHandler, &f);
  TIFFOpenOptionsSetWarningHandlerExtR(options, warningHandler, &f);
  TIFF* tif = TIFFClientOpenExt("memory", mode, &f, readProc, writeProc, seekProc, closeProc, sizeProc, nullptr,
                                nullptr, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

Decoded failure(MemoryFile& f, const std::string& fallback) {
  Decoded r;
  r.error = f.error.empty() ? fallback : f.error;
  return r;
}

}  // namespace

Decoded tiffDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly) {
  MemoryFile f;
  f.in = bytes.data();
  f.size = bytes.size();
  Tiff t;
  t.tif = open(f, "rm");
  if (t.tif == nullptr) return failure(f, "not a TIFF file");
  TIFF* tif = t.tif;
  std::uint32_t width = 0, height = 0;
  std::uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG,
                unit = RESUNIT_INCH;
  std::uint16_t compression = COMPRESSION_NONE;
  float xres = 0, yres = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height)) {
    return failure(f, "a TIFF file without its size");
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISWHITE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres)) xres = 0;
  if (!TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres)) yres = 0;

  const bool strips = !TIFFIsTiled(tif) && planar == PLANARCONFIG_CONTIG;
  const bool bilevel = strips && bps == 1 && spp == 1 &&
                       (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  const bool gray = strips && bps == 8 && spp == 1 &&
                    (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  const bool indexed = strips && bps == 8 && spp == 1 && photometric == PHOTOMETRIC_PALETTE;
  const bool rgb = strips && bps == 8 && spp == 3 && photometric == PHOTOMETRIC_RGB;
  const int bits = bilevel ? 1 : (gray || indexed) ? 8 : 24;

  p.XResolution = dpiOf(xres, unit);
  p.YResolution = dpiOf(yres, unit);
  p.TiffCompression = static_cast<std::int16_t>(compression == COMPRESSION_CCITTFAX4 ? kTiffGroup4 : 0);
  p.ColorFlag = static_cast<std::int16_t>(bits == 24 || indexed ? 1 : 0);
  Decoded r;
  if (!sizeAllowed(width, height, bits)) {
    r.error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels)";
    return r;
  }
  if (headerOnly) {
    p.Width = static_cast<int>(width);
    p.Height = static_cast<int>(height);
    p.BitCount = static_cast<std::int16_t>(bits);
    p.LineBytes = static_cast<int>(lineBytesFor(width, bits));
    r.ok = true;
    return r;
  }
  if (!allocate(p, width, height, bits, r.error)) return r;

  if (bilevel || gray || indexed || rgb) {
    const tmsize_t scan = TIFFScanlineSize(tif);
    const std::int64_t need = (static_cast<std::int64_t>(width) * bits + 7) / 8;
    if (scan < need || scan > static_cast<tmsize_t>(kMaxBufferBytes)) return failure(f, "a TIFF row of a wrong size");
    std::vector<std::uint8_t> line(static_cast<std::size_t>(scan));
    for (std::uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return failure(f, "a damaged TIFF image");
      std::memcpy(p.row(static_cast<int>(y)), line.data(), static_cast<std::size_t>(need));
    }
    if (bilevel && photometric == PHOTOMETRIC_MINISBLACK) {
      for (auto& b : p.Bits) b = static_cast<std::uint8_t>(~b);
    }
    clearPadding(p);
    if (gray && photometric == PHOTOMETRIC_MINISWHITE) {
      for (int y = 0; y < p.Height; ++y) {
        std::uint8_t* row = p.row(y);
        for (int x = 0; x < p.Width; ++x) row[x] = static_cast<std::uint8_t>(255 - row[x]);
      }
    }
    if (indexed) {
      std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
      if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        return failure(f, "a palette TIFF without colours");
      p.Palette.resize(256);
      for (int i = 0; i < 256; ++i) {
        p.Palette[static_cast<std::size_t>(i)] = (static_cast<std::uint32_t>(red[i] >> 8) << 16) |
                                                 (static_cast<std::uint32_t>(green[i] >> 8) << 8) | (blue[i] >> 8);
      }
    }
  } else {
    // Everything else as RGBA, top row first, laid on white.
    if (static_cast<std::uint64_t>(width) * height * 4 > kMaxBufferBytes) {
      r.error = "the image is too large to be read as colour (" + std::to_string(width) + " x " +
                std::to_string(height) + " pixels)";
      ClearCPictInfo(p);
      return r;
    }
    std::vector<std::uint32_t> rgba(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tif, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0)) {
      return failure(f, "a TIFF image of a kind that cannot be read");
    }
    for (std::uint32_t y = 0; y < height; ++y) {
      std::uint8_t* row = p.row(static_cast<int>(y));
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t v = rgba[static_cast<std::size_t>(y) * width + x];
        const std::uint32_t a = TIFFGetA(v);
        auto over = [a](std::uint32_t c) { return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255); };
        row[3 * x] = over(TIFFGetR(v));
        row[3 * x + 1] = over(TIFFGetG(v));
        row[3 * x + 2] = over(TIFFGetB(v));
      }
    }
  }
  r.ok = true;
  return r;
}

namespace {

// Writes p as a one-directory TIFF into out: Group 4 for one bit, else none.
bool writeTiff(const CPICT_INFO& p, std::vector<std::uint8_t>& out) {
  if (p.Bits.empty() || p.Width <= 0 || p.Height <= 0) return false;
  MemoryFile f;
  f.out = &out;
  Tiff t;
  t.tif = open(f, "w");
  if (t.tif == nullptr) return false;
  TIFF* tif = t.tif;
  const bool bilevel = p.BitCount == 1;
  const bool rgb = p.BitCount == 24 || !p.Palette.empty();
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.Width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.Height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bilevel ? 1 : 8));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(rgb ? 3 : 1));
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
               bilevel ? PHOTOMETRIC_MINISWHITE : (rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, bilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(p.Height));  // one strip
  if (p.XResolution > 0 && p.YResolution > 0) {
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(p.XResolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(p.YResolution));
  }
  std::vector<std::uint8_t> line(static_cast<std::size_t>(p.Width) * 3 + 4);
  for (int y = 0; y < p.Height; ++y) {
    const std::uint8_t* src = p.row(y);
    if (rgb && p.BitCount == 8) {
      for (int x = 0; x < p.Width; ++x) {
        const std::uint32_t c = p.Palette[src[x]];
        line[3 * static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(c >> 16);
        line[3 * static_cast<std::size_t>(x) + 1] = static_cast<std::uint8_t>(c >> 8);
        line[3 * static_cast<std::size_t>(x) + 2] = static_cast<std::uint8_t>(c);
      }
    } else {
      std::memcpy(line.data(), src,
                  static_cast<std::size_t>(std::min<int>(p.LineBytes, static_cast<int>(line.size()))));
    }
    if (TIFFWriteScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) < 0) return false;
  }
  if (!TIFFWriteDirectory(tif)) return false;
  TIFFClose(tif);
  t.tif = nullptr;
  out.resize(f.size);
  return f.error.empty();
}

}  // namespace

std::vector<std::uint8_t> tiffEncode(const CPICT_INFO& p) {
  std::vector<std::uint8_t> out;
  if (!writeTiff(p, out)) out.clear();
  return out;
}

std::vector<std::uint8_t> tiffGroup4Strip(const CPICT_INFO& p) {
  if (p.BitCount != 1) return {};
  std::vector<std::uint8_t> file;
  if (!writeTiff(p, file)) return {};
  // Read the one strip back as it was coded.
  MemoryFile f;
  f.in = file.data();
  f.size = file.size();
  Tiff t;
  t.tif = open(f, "rm");
  if (t.tif == nullptr || TIFFNumberOfStrips(t.tif) != 1) return {};
  const std::uint64_t* counts = nullptr;
  if (!TIFFGetField(t.tif, TIFFTAG_STRIPBYTECOUNTS, &counts) || counts == nullptr) return {};
  std::vector<std::uint8_t> strip(static_cast<std::size_t>(counts[0]));
  if (TIFFReadRawStrip(t.tif, 0, strip.data(), static_cast<tmsize_t>(strip.size())) !=
      static_cast<tmsize_t>(strip.size())) {
    return {};
  }
  return strip;
}

}  // namespace lexova::imaging::detail
