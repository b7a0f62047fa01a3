// PNG through libpng, from and to memory. One-bit gray PNGs (0 = black) become
// 1 = black; transparency is laid on white; 16-bit samples are cut to 8.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "imaging/codecs.h"

namespace lexova::imaging::detail {

namespace {

struct Reader {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
  std::string error;
};

void readData(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (n > r->bytes.size() - r->at) png_error(png, "the PNG data ends early");
  std::memcpy(out, r->bytes.data() + r->at, n);
  r->at += n;
}

void onError(png_structp png, png_const_charp message) {
  auto* r = static_cast<Reader*>(png_get_error_ptr(png));
  if (r != nullptr && r->error.empty()) r->error = message;
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

std::uint8_t over(unsigned c, unsigned a) {
  return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Every libpng call of a decode between setjmp and the end.
bool decodeInto(Reader& reader, CPICT_INFO& p, bool headerOnly, std::vector<std::uint8_t>& rowBuffer) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, onError, onWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, readData);
  png_set_user_limits(png, 1000000, 1000000);
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
  png_uint_32 xppu = 0, yppu = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xppu, &yppu, &unit) && unit == PNG_RESOLUTION_METER) {
    p.XResolution = dpiOf(xppu / 100.0, 3);
    p.YResolution = dpiOf(yppu / 100.0, 3);
  }
  const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const bool bilevel = colour == PNG_COLOR_TYPE_GRAY && depth == 1 && !transparent;
  const bool gray = !bilevel && (colour == PNG_COLOR_TYPE_GRAY) && !transparent;
  const bool indexed = colour == PNG_COLOR_TYPE_PALETTE && !transparent;
  const int bits = bilevel ? 1 : (gray || indexed) ? 8 : 24;
  p.ColorFlag = static_cast<std::int16_t>(bits == 24 || indexed ? 1 : 0);
  if (!sizeAllowed(width, height, bits)) {
    reader.error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels)";
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (headerOnly) {
    p.Width = static_cast<int>(width);
    p.Height = static_cast<int>(height);
    p.BitCount = static_cast<std::int16_t>(bits);
    p.LineBytes = static_cast<int>(lineBytesFor(width, bits));
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
  }
  // Transformations to one bit, 8-bit gray or indexes, or RGB(A) of 8 bits.
  if (depth == 16) png_set_strip_16(png);
  if (indexed || (gray && depth < 8)) png_set_packing(png);
  if (gray && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool withAlpha = bits == 24 && (transparent || (colour & PNG_COLOR_MASK_ALPHA) != 0);
  if (bits == 24) {
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (transparent) png_set_tRNS_to_alpha(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (!withAlpha) png_set_strip_alpha(png);
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (!allocate(p, width, height, bits, reader.error)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (indexed) {
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    p.Palette.assign(256, 0);
    for (int i = 0; i < count && i < 256; ++i) {
      p.Palette[static_cast<std::size_t>(i)] = (static_cast<std::uint32_t>(palette[i].red) << 16) |
                                               (static_cast<std::uint32_t>(palette[i].green) << 8) | palette[i].blue;
    }
  }
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if (withAlpha) {
    // Interlaced images need every row at once; the alpha rows are kept whole.
    if (static_cast<std::uint64_t>(rowBytes) * height > kMaxBufferBytes) png_error(png, "the image is too large");
    rowBuffer.assign(rowBytes * height, 0);
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, rowBuffer.data() + rowBytes * y, nullptr);
    }
    for (png_uint_32 y = 0; y < height; ++y) {
      const std::uint8_t* src = rowBuffer.data() + rowBytes * y;
      std::uint8_t* out = p.row(static_cast<int>(y));
      for (png_uint_32 x = 0; x < width; ++x) {
        const unsigned a = src[4 * x + 3];
        for (int c = 0; c < 3; ++c) out[3 * x + c] = over(src[4 * x + c], a);
      }
    }
  } else {
    if (rowBytes > static_cast<std::size_t>(p.LineBytes)) png_error(png, "a PNG row of a wrong size");
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, p.row(static_cast<int>(y)), nullptr);
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

struct Writer {
  std::vector<std::uint8_t>* out;
};

void writeData(png_structp png, png_bytep data, png_size_t n) {
  auto* w = static_cast<Writer*>(png_get_io_ptr(png));
  w->out->insert(w->out->end(), data, data + n);
}

void flushData(png_structp) {}

bool encodeInto(const CPICT_INFO& p, std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& line,
                std::vector<png_color>& palette) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  Writer w{&out};
  png_set_write_fn(png, &w, writeData, flushData);
  const bool indexed = p.BitCount == 8 && !p.Palette.empty();
  const int colour = p.BitCount == 24 ? PNG_COLOR_TYPE_RGB : (indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY);
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.Width), static_cast<png_uint_32>(p.Height),
               p.BitCount == 1 ? 1 : 8, colour, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (indexed) {
    for (const std::uint32_t c : p.Palette) {
      palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(std::min<std::size_t>(palette.size(), 256)));
  }
  if (p.XResolution > 0 && p.YResolution > 0) {
    png_set_pHYs(png, info, static_cast<png_uint_32>(p.XResolution / 0.0254 + 0.5),
                 static_cast<png_uint_32>(p.YResolution / 0.0254 + 0.5), PNG_RESOLUTION_METER);
  }
  png_write_info(png, info);
  line.resize(static_cast<std::size_t>(p.LineBytes));
  for (int y = 0; y < p.Height; ++y) {
    std::memcpy(line.data(), p.row(y), line.size());
    // PNG's one-bit gray is 0 = black.
    if (p.BitCount == 1) {
      for (auto& b : line) b = static_cast<std::uint8_t>(~b);
    }
    png_write_row(png, line.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Decoded pngDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly) {
  Reader reader{bytes, 0, {}};
  std::vector<std::uint8_t> rows;
  Decoded r;
  r.ok = decodeInto(reader, p, headerOnly, rows);
  if (!r.ok) r.error = reader.error.empty() ? "a damaged PNG image" : reader.error;
  if (r.ok && !headerOnly && p.BitCount == 1) {
    for (auto& b : p.Bits) b = static_cast<std::uint8_t>(~b);
    clearPadding(p);
  }
  return r;
}

std::vector<std::uint8_t> pngEncode(const CPICT_INFO& p) {
  std::vector<std::uint8_t> out, line;
  std::vector<png_color> palette;
  if (p.Bits.empty() || (p.BitCount != 1 && p.BitCount != 8 && p.BitCount != 24)) return out;
  if (!encodeInto(p, out, line, palette)) out.clear();
  return out;
}

}  // namespace lexova::imaging::detail
