// JPEG through libjpeg, from and to memory. The library's long jump on error is
// taken in one function each way; nothing is allocated by us across it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "imaging/codecs.h"

namespace lexova::imaging::detail {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  std::longjmp(e->jump, 1);
}

void silent(j_common_ptr, int) {}

// The decoding itself: every libjpeg call between setjmp and the end. Returns
// false with the library's message.
bool decodeInto(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly, std::string& error,
                std::vector<std::uint8_t>& cmyk) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = errorExit;
  err.pub.emit_message = silent;
  err.message[0] = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    error = err.message[0] ? err.message : "a damaged JPEG image";
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool inkColours = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  const int bits = gray ? 8 : 24;
  if (cinfo.density_unit == 1 || cinfo.density_unit == 2) {
    p.XResolution = dpiOf(cinfo.X_density, cinfo.density_unit == 1 ? 2 : 3);
    p.YResolution = dpiOf(cinfo.Y_density, cinfo.density_unit == 1 ? 2 : 3);
  }
  p.ColorFlag = static_cast<std::int16_t>(gray ? 0 : 1);
  if (!sizeAllowed(cinfo.image_width, cinfo.image_height, bits)) {
    error = "the image is too large (" + std::to_string(cinfo.image_width) + " x " +
            std::to_string(cinfo.image_height) + " pixels)";
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (headerOnly) {
    p.Width = static_cast<int>(cinfo.image_width);
    p.Height = static_cast<int>(cinfo.image_height);
    p.BitCount = static_cast<std::int16_t>(bits);
    p.LineBytes = static_cast<int>(lineBytesFor(p.Width, bits));
    jpeg_destroy_decompress(&cinfo);
    return true;
  }
  cinfo.out_color_space = gray ? JCS_GRAYSCALE : (inkColours ? JCS_CMYK : JCS_RGB);
  cinfo.dct_method = JDCT_IFAST;
  jpeg_start_decompress(&cinfo);
  if (!allocate(p, cinfo.output_width, cinfo.output_height, bits, error)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (inkColours) cmyk.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    const auto y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = inkColours ? cmyk.data() : p.row(y);
    jpeg_read_scanlines(&cinfo, &row, 1);
    if (inkColours) {
      // Adobe's CMYK JPEGs store the inks inverted.
      std::uint8_t* out = p.row(y);
      for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
        const unsigned k = cmyk[4 * x + 3];
        for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<std::uint8_t>(cmyk[4 * x + c] * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool encodeInto(const CPICT_INFO& p, int quality, const std::vector<std::uint8_t>& expanded, int components,
                unsigned char*& buffer, unsigned long& size) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = errorExit;
  err.pub.emit_message = silent;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(p.Width);
  cinfo.image_height = static_cast<JDIMENSION>(p.Height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_IFAST;
  if (p.XResolution > 0 && p.YResolution > 0) {
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(p.XResolution);
    cinfo.Y_density = static_cast<UINT16>(p.YResolution);
  }
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(p.Width) * static_cast<std::size_t>(components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const auto y = static_cast<int>(cinfo.next_scanline);
    // libjpeg takes rows as non-const pointers; it does not write them.
    auto row =
        const_cast<JSAMPROW>(expanded.empty() ? p.row(y) : expanded.data() + stride * static_cast<std::size_t>(y));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

Decoded jpegDecode(std::span<const std::uint8_t> bytes, CPICT_INFO& p, bool headerOnly) {
  Decoded r;
  std::vector<std::uint8_t> cmyk;
  r.ok = decodeInto(bytes, p, headerOnly, r.error, cmyk);
  return r;
}

Jpeg jpegEncode(const CPICT_INFO& p, int quality) {
  Jpeg out;
  if (p.Bits.empty() || (p.BitCount != 8 && p.BitCount != 24)) return out;
  if (p.Width > kJpegMaxSide || p.Height > kJpegMaxSide) return out;
  // A colour table is expanded to the colours it names (gray when they all are).
  std::vector<std::uint8_t> expanded;
  int components = p.BitCount == 24 ? 3 : 1;
  if (p.BitCount == 8 && !p.Palette.empty()) {
    bool allGray = true;
    for (const std::uint32_t c : p.Palette) {
      allGray = allGray && ((c >> 16) & 255) == ((c >> 8) & 255) && ((c >> 8) & 255) == (c & 255);
    }
    components = allGray ? 1 : 3;
    expanded.resize(static_cast<std::size_t>(p.Width) * static_cast<std::size_t>(p.Height) *
                    static_cast<std::size_t>(components));
    std::size_t at = 0;
    for (int y = 0; y < p.Height; ++y) {
      const std::uint8_t* row = p.row(y);
      for (int x = 0; x < p.Width; ++x) {
        const std::uint32_t c = row[x] < p.Palette.size() ? p.Palette[row[x]] : 0;
        if (components == 1) {
          expanded[at++] = static_cast<std::uint8_t>(c);
        } else {
          expanded[at++] = static_cast<std::uint8_t>(c >> 16);
          expanded[at++] = static_cast<std::uint8_t>(c >> 8);
          expanded[at++] = static_cast<std::uint8_t>(c);
        }
      }
    }
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = encodeInto(p, quality < 1 ? 1 : (quality > 100 ? 100 : quality), expanded, components, buffer, size);
  if (ok && buffer != nullptr) {
    out.data.assign(buffer, buffer + size);
    out.components = components;
  }
  std::free(buffer);
  return out;
}

}  // namespace lexova::imaging::detail
