// Pictures made from pictures: cut, scale, rotate, convert, binarise.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "imaging/codecs.h"

namespace lexova::imaging {

namespace {

// dst takes src's resolution, colour and table, with new pixels of the given size.
bool like(const CPICT_INFO& src, CPICT_INFO& dst, std::int64_t width, std::int64_t height, int bits) {
  std::string error;
  CPICT_INFO out;
  out.FileName = dst.FileName;
  out.XResolution = src.XResolution;
  out.YResolution = src.YResolution;
  out.ColorFlag = src.ColorFlag;
  out.FileType = src.FileType;
  if (!detail::allocate(out, width, height, bits, error)) return false;
  if (bits == src.BitCount) out.Palette = src.Palette;
  dst = std::move(out);
  return true;
}

std::uint8_t grayOf(std::uint32_t rgb) {
  return static_cast<std::uint8_t>((299 * ((rgb >> 16) & 255) + 587 * ((rgb >> 8) & 255) + 114 * (rgb & 255) + 500) /
                                   1000);
}

bool grayTable(const std::vector<std::uint32_t>& palette) {
  return std::all_of(palette.begin(), palette.end(), [](std::uint32_t c) {
    return ((c >> 16) & 255) == ((c >> 8) & 255) && ((c >> 8) & 255) == (c & 255);
  });
}

}  // namespace

int MakeSubPictImageFromPict(const CPICT_INFO& src, int left, int top, int right, int bottom, CPICT_INFO& dst) {
  if (src.Bits.empty()) return 0;
  const int l = std::max(left, 0), t = std::max(top, 0);
  const int r = std::min(right, src.Width), b = std::min(bottom, src.Height);
  if (l >= r || t >= b) return 0;
  CPICT_INFO out;
  if (!like(src, out, r - l, b - t, src.BitCount)) return 0;
  for (int y = t; y < b; ++y) {
    const std::uint8_t* from = src.row(y);
    std::uint8_t* to = out.row(y - t);
    if (src.BitCount == 1) {
      for (int x = l; x < r; ++x) {
        if ((from[x >> 3] >> (7 - (x & 7))) & 1) setBit(out, x - l, y - t, true);
      }
    } else {
      const int bpp = src.BitCount / 8;
      std::memcpy(to, from + static_cast<std::size_t>(l) * bpp, static_cast<std::size_t>(r - l) * bpp);
    }
  }
  dst = std::move(out);
  return 1;
}

int MakeShrinkImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio, int) {
  if (src.Bits.empty() || !(ratio > 0 && ratio < 1)) return 0;
  // A colour table does not average: its colours do.
  if (src.BitCount == 8 && !src.Palette.empty()) {
    CPICT_INFO expanded;
    const bool gray = grayTable(src.Palette);
    if (!(gray ? Convert24BitColorImageTo8BitGrayscaleImage(src, expanded)
               : Convert8BitImageTo24BitImage(src, expanded))) {
      return 0;
    }
    return MakeShrinkImageFromPict(expanded, dst, ratio);
  }
  const std::int64_t w = std::max<std::int64_t>(1, std::llround(src.Width * ratio));
  const std::int64_t h = std::max<std::int64_t>(1, std::llround(src.Height * ratio));
  CPICT_INFO out;
  if (!like(src, out, w, h, src.BitCount)) return 0;
  // The source columns of each target column, by area.
  std::vector<int> x0(static_cast<std::size_t>(w)), x1(static_cast<std::size_t>(w));
  for (std::int64_t dx = 0; dx < w; ++dx) {
    x0[static_cast<std::size_t>(dx)] = static_cast<int>(dx * src.Width / w);
    x1[static_cast<std::size_t>(dx)] =
        std::max(x0[static_cast<std::size_t>(dx)] + 1, static_cast<int>((dx + 1) * src.Width / w));
  }
  const int channels = src.BitCount == 24 ? 3 : 1;
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(w) * channels);
  for (std::int64_t dy = 0; dy < h; ++dy) {
    const int y0 = static_cast<int>(dy * src.Height / h);
    const int y1 = std::max(y0 + 1, static_cast<int>((dy + 1) * src.Height / h));
    std::fill(sums.begin(), sums.end(), 0);
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* row = src.row(y);
      for (std::int64_t dx = 0; dx < w; ++dx) {
        const auto i = static_cast<std::size_t>(dx);
        for (int x = x0[i]; x < x1[i]; ++x) {
          if (src.BitCount == 1) {
            sums[i] += (row[x >> 3] >> (7 - (x & 7))) & 1u;
          } else if (channels == 1) {
            sums[i] += row[x];
          } else {
            sums[3 * i] += row[3 * x];
            sums[3 * i + 1] += row[3 * x + 1];
            sums[3 * i + 2] += row[3 * x + 2];
          }
        }
      }
    }
    std::uint8_t* to = out.row(static_cast<int>(dy));
    for (std::int64_t dx = 0; dx < w; ++dx) {
      const auto i = static_cast<std::size_t>(dx);
      const std::uint32_t area = static_cast<std::uint32_t>((x1[i] - x0[i]) * (y1 - y0));
      if (src.BitCount == 1) {
        if (sums[i] * 2 >= area) setBit(out, static_cast<int>(dx), static_cast<int>(dy), true);
      } else {
        for (int c = 0; c < channels; ++c) {
          to[channels * i + c] = static_cast<std::uint8_t>((sums[channels * i + c] + area / 2) / area);
        }
      }
    }
  }
  out.XResolution = static_cast<std::int16_t>(std::lround(src.XResolution * ratio));
  out.YResolution = static_cast<std::int16_t>(std::lround(src.YResolution * ratio));
  dst = std::move(out);
  return 1;
}

int MakeGrayShrinkImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio) {
  if (src.BitCount != 1) return MakeShrinkImageFromPict(src, dst, ratio);
  if (src.Bits.empty() || !(ratio > 0 && ratio < 1)) return 0;
  const std::int64_t w = std::max<std::int64_t>(1, std::llround(src.Width * ratio));
  const std::int64_t h = std::max<std::int64_t>(1, std::llround(src.Height * ratio));
  CPICT_INFO out;
  if (!like(src, out, w, h, 8)) return 0;
  out.Palette.clear();
  out.ColorFlag = 0;
  // The black pixels of each source column over a band of rows, then summed over
  // each target column's source columns: white bytes (most of a page) cost one test.
  std::vector<std::uint32_t> columns(static_cast<std::size_t>(src.Width) + 1);
  std::vector<int> x0(static_cast<std::size_t>(w)), x1(static_cast<std::size_t>(w));
  for (std::int64_t dx = 0; dx < w; ++dx) {
    x0[static_cast<std::size_t>(dx)] = static_cast<int>(dx * src.Width / w);
    x1[static_cast<std::size_t>(dx)] =
        std::max(x0[static_cast<std::size_t>(dx)] + 1, static_cast<int>((dx + 1) * src.Width / w));
  }
  const int fullBytes = (src.Width + 7) / 8;
  for (std::int64_t dy = 0; dy < h; ++dy) {
    const int y0 = static_cast<int>(dy * src.Height / h);
    const int y1 = std::max(y0 + 1, static_cast<int>((dy + 1) * src.Height / h));
    std::fill(columns.begin(), columns.end(), 0);
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* row = src.row(y);
      for (int i = 0; i < fullBytes; ++i) {
        const std::uint8_t b = row[i];
        if (b == 0) continue;
        const int base = i * 8;
        for (int bit = 0; bit < 8 && base + bit < src.Width; ++bit) {
          columns[static_cast<std::size_t>(base + bit)] += (b >> (7 - bit)) & 1u;
        }
      }
    }
    std::uint8_t* to = out.row(static_cast<int>(dy));
    for (std::int64_t dx = 0; dx < w; ++dx) {
      const auto i = static_cast<std::size_t>(dx);
      std::uint32_t black = 0;
      for (int x = x0[i]; x < x1[i]; ++x) black += columns[static_cast<std::size_t>(x)];
      const std::uint32_t area = static_cast<std::uint32_t>((x1[i] - x0[i]) * (y1 - y0));
      to[i] = static_cast<std::uint8_t>(255 - (black * 255 + area / 2) / area);
    }
  }
  out.XResolution = static_cast<std::int16_t>(std::lround(src.XResolution * ratio));
  out.YResolution = static_cast<std::int16_t>(std::lround(src.YResolution * ratio));
  dst = std::move(out);
  return 1;
}

int MakeExpandImageFromPict(const CPICT_INFO& src, CPICT_INFO& dst, double ratio) {
  if (src.Bits.empty() || !(ratio > 1)) return 0;
  const double w = std::floor(src.Width * ratio + 0.5), h = std::floor(src.Height * ratio + 0.5);
  if (!(w <= static_cast<double>(kMaxPixels) && h <= static_cast<double>(kMaxPixels))) return 0;
  CPICT_INFO out;
  if (!like(src, out, static_cast<std::int64_t>(w), static_cast<std::int64_t>(h), src.BitCount)) return 0;
  for (int y = 0; y < out.Height; ++y) {
    const int sy = std::min(static_cast<int>(y / ratio), src.Height - 1);
    const std::uint8_t* from = src.row(sy);
    std::uint8_t* to = out.row(y);
    for (int x = 0; x < out.Width; ++x) {
      const int sx = std::min(static_cast<int>(x / ratio), src.Width - 1);
      if (src.BitCount == 1) {
        if ((from[sx >> 3] >> (7 - (sx & 7))) & 1) setBit(out, x, y, true);
      } else {
        const int bpp = src.BitCount / 8;
        std::memcpy(to + static_cast<std::size_t>(x) * bpp, from + static_cast<std::size_t>(sx) * bpp,
                    static_cast<std::size_t>(bpp));
      }
    }
  }
  out.XResolution = static_cast<std::int16_t>(std::clamp<long>(std::lround(src.XResolution * ratio), 0, 32767));
  out.YResolution = static_cast<std::int16_t>(std::clamp<long>(std::lround(src.YResolution * ratio), 0, 32767));
  dst = std::move(out);
  return 1;
}

int MIMakeRotatedImage(CPICT_INFO& p, int degrees) {
  degrees = ((degrees % 360) + 360) % 360;
  if (p.Bits.empty() || degrees % 90 != 0) return 0;
  if (degrees == 0) return 1;
  const bool quarter = degrees != 180;
  CPICT_INFO out;
  if (!like(p, out, quarter ? p.Height : p.Width, quarter ? p.Width : p.Height, p.BitCount)) return 0;
  out.FileName = p.FileName;
  const int bpp = p.BitCount / 8;
  for (int y = 0; y < p.Height; ++y) {
    for (int x = 0; x < p.Width; ++x) {
      // Clockwise: 90 takes (x, y) to (H-1-y, x); 180 to (W-1-x, H-1-y); 270 to (y, W-1-x).
      int nx = 0, ny = 0;
      if (degrees == 90) {
        nx = p.Height - 1 - y;
        ny = x;
      } else if (degrees == 180) {
        nx = p.Width - 1 - x;
        ny = p.Height - 1 - y;
      } else {
        nx = y;
        ny = p.Width - 1 - x;
      }
      if (p.BitCount == 1) {
        if (pixelAt(p, x, y)) setBit(out, nx, ny, true);
      } else {
        std::memcpy(out.row(ny) + static_cast<std::size_t>(nx) * bpp, p.row(y) + static_cast<std::size_t>(x) * bpp,
                    static_cast<std::size_t>(bpp));
      }
    }
  }
  if (quarter) std::swap(out.XResolution, out.YResolution);
  p = std::move(out);
  return 1;
}

int Convert24BitColorImageTo8BitGrayscaleImage(const CPICT_INFO& src, CPICT_INFO& dst) {
  if (src.Bits.empty() || (src.BitCount != 24 && !(src.BitCount == 8 && !src.Palette.empty()))) return 0;
  CPICT_INFO out;
  if (!like(src, out, src.Width, src.Height, 8)) return 0;
  out.Palette.clear();
  out.ColorFlag = 0;
  for (int y = 0; y < src.Height; ++y) {
    const std::uint8_t* from = src.row(y);
    std::uint8_t* to = out.row(y);
    for (int x = 0; x < src.Width; ++x) {
      const std::uint32_t rgb =
          src.BitCount == 24 ? pixelAt(src, x, y) : (from[x] < src.Palette.size() ? src.Palette[from[x]] : 0);
      to[x] = grayOf(rgb);
    }
  }
  dst = std::move(out);
  return 1;
}

int Convert8BitImageTo24BitImage(const CPICT_INFO& src, CPICT_INFO& dst) {
  if (src.Bits.empty() || src.BitCount != 8) return 0;
  CPICT_INFO out;
  if (!like(src, out, src.Width, src.Height, 24)) return 0;
  out.Palette.clear();
  out.ColorFlag = 1;
  for (int y = 0; y < src.Height; ++y) {
    const std::uint8_t* from = src.row(y);
    std::uint8_t* to = out.row(y);
    for (int x = 0; x < src.Width; ++x) {
      const std::uint32_t c =
          src.Palette.empty() ? from[x] * 0x010101u : (from[x] < src.Palette.size() ? src.Palette[from[x]] : 0);
      to[3 * x] = static_cast<std::uint8_t>(c >> 16);
      to[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
      to[3 * x + 2] = static_cast<std::uint8_t>(c);
    }
  }
  dst = std::move(out);
  return 1;
}

int MakeBinDataFromGrayscaleData(const CPICT_INFO& src, CPICT_INFO& dst) {
  if (src.Bits.empty() || src.BitCount != 8 || !src.Palette.empty()) return 0;
  // Otsu's threshold: the split of the histogram with the largest variance between its sides.
  std::array<std::uint64_t, 256> histogram{};
  for (int y = 0; y < src.Height; ++y) {
    const std::uint8_t* row = src.row(y);
    for (int x = 0; x < src.Width; ++x) ++histogram[row[x]];
  }
  const double total = static_cast<double>(src.Width) * src.Height;
  double sumAll = 0;
  for (int i = 0; i < 256; ++i) sumAll += static_cast<double>(i) * static_cast<double>(histogram[i]);
  double weightDark = 0, sumDark = 0, best = -1;
  int threshold = 127;
  for (int t = 0; t < 256; ++t) {
    weightDark += static_cast<double>(histogram[t]);
    if (weightDark == 0) continue;
    const double weightLight = total - weightDark;
    if (weightLight == 0) break;
    sumDark += static_cast<double>(t) * static_cast<double>(histogram[t]);
    const double meanDark = sumDark / weightDark, meanLight = (sumAll - sumDark) / weightLight;
    const double between = weightDark * weightLight * (meanDark - meanLight) * (meanDark - meanLight);
    if (between > best) {
      best = between;
      threshold = t;
    }
  }
  // A picture of one value has no split: it is all light.
  if (best <= 0) threshold = -1;
  CPICT_INFO out;
  if (!like(src, out, src.Width, src.Height, 1)) return 0;
  out.ColorFlag = 0;
  for (int y = 0; y < src.Height; ++y) {
    const std::uint8_t* row = src.row(y);
    for (int x = 0; x < src.Width; ++x) {
      if (row[x] <= threshold) setBit(out, x, y, true);
    }
  }
  dst = std::move(out);
  return 1;
}

bool isGray24(const CPICT_INFO& p) {
  if (p.BitCount != 24 || p.Bits.empty()) return false;
  for (int y = 0; y < p.Height; ++y) {
    const std::uint8_t* row = p.row(y);
    for (int x = 0; x < p.Width; ++x) {
      if (row[3 * x] != row[3 * x + 1] || row[3 * x + 1] != row[3 * x + 2]) return false;
    }
  }
  return true;
}

}  // namespace lexova::imaging
