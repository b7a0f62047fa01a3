// Image files written straight through libtiff and libpng, not through the
// library under test, so that its readers meet files it did not make.
#pragma once

#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lexova::testing {

struct TiffSpec {
  TiffSpec(int w, int h, int bits, int samples, int photometricValue, int compressionValue = COMPRESSION_NONE)
      : width(w),
        height(h),
        bitsPerSample(bits),
        samplesPerPixel(samples),
        photometric(photometricValue),
        compression(compressionValue) {}
  int width = 0, height = 0;
  int bitsPerSample = 1, samplesPerPixel = 1;
  int photometric = PHOTOMETRIC_MINISWHITE;
  int compression = COMPRESSION_NONE;
  int rowsPerStrip = 0;  // 0: one strip
  int tile = 0;          // a tile side, 0: strips
  float resolution = 0;
  int resolutionUnit = RESUNIT_INCH;
  std::vector<std::uint16_t> colormap;  // 3 × 256 entries for palette images
  bool alpha = false;
};

// Writes path with rows of packed samples (each row (width × bits × samples + 7) / 8 bytes).
inline bool writeTiff(const std::string& path, const TiffSpec& s, const std::vector<std::vector<std::uint8_t>>& rows) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bitsPerSample);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samplesPerPixel);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (s.alpha) {
    std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (s.resolution > 0) {
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, s.resolutionUnit);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, s.resolution);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, s.resolution);
  }
  if (!s.colormap.empty()) {
    TIFFSetField(tif, TIFFTAG_COLORMAP, s.colormap.data(), s.colormap.data() + 256, s.colormap.data() + 512);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(s.width) * s.bitsPerSample * s.samplesPerPixel + 7) / 8;
  bool ok = true;
  if (s.tile > 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, s.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, s.tile);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(s.bitsPerSample * s.samplesPerPixel / 8);
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(s.tile) * s.tile * bytesPerPixel);
    for (int ty = 0; ty < s.height; ty += s.tile) {
      for (int tx = 0; tx < s.width; tx += s.tile) {
        std::fill(tile.begin(), tile.end(), 0);
        for (int y = 0; y < s.tile && ty + y < s.height; ++y) {
          for (int x = 0; x < s.tile && tx + x < s.width; ++x) {
            for (std::size_t b = 0; b < bytesPerPixel; ++b) {
              tile[(static_cast<std::size_t>(y) * s.tile + x) * bytesPerPixel + b] =
                  rows[static_cast<std::size_t>(ty + y)][static_cast<std::size_t>(tx + x) * bytesPerPixel + b];
            }
          }
        }
        ok = ok &&
             TIFFWriteTile(tif, tile.data(), static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty), 0, 0) >= 0;
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip > 0 ? s.rowsPerStrip : s.height);
    std::vector<std::uint8_t> line(rowBytes);
    for (int y = 0; y < s.height; ++y) {
      line = rows[static_cast<std::size_t>(y)];
      line.resize(rowBytes);
      ok = ok && TIFFWriteScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) >= 0;
    }
  }
  TIFFClose(tif);
  return ok;
}

struct PngSpec {
  PngSpec(int w, int h, int depth, int colour) : width(w), height(h), bitDepth(depth), colourType(colour) {}
  int width = 0, height = 0;
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_GRAY;
  std::vector<png_color> palette;
  std::uint32_t pixelsPerMetre = 0;
};

inline bool writePng(const std::string& path, const PngSpec& s, const std::vector<std::vector<std::uint8_t>>& rows) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height), s.bitDepth,
               s.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
  if (s.pixelsPerMetre > 0) png_set_pHYs(png, info, s.pixelsPerMetre, s.pixelsPerMetre, PNG_RESOLUTION_METER);
  png_write_info(png, info);
  for (const auto& r : rows) {
    std::vector<std::uint8_t> row = r;
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

}  // namespace lexova::testing
