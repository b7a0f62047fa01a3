#include "export/pdf/pdf_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace lexova::pdf {

using imaging::CPICT_INFO;

PictureQuality imagePdfQuality(int setting) {
  switch (setting) {
    case 0:
      return {192, 30};
    case 2:
      return {600, 100};
    default:
      return {600, 75};
  }
}

namespace {

// Gray pages as 8-bit gray, colour tables expanded to what they name: the colour
// space of a picture is that of the pixels it holds.
void normalise(CPICT_INFO& image) {
  if (image.BitCount == 24 && imaging::isGray24(image)) {
    CPICT_INFO gray;
    if (imaging::Convert24BitColorImageTo8BitGrayscaleImage(image, gray)) image = std::move(gray);
  } else if (image.BitCount == 8 && !image.Palette.empty()) {
    const bool grayTable = std::all_of(image.Palette.begin(), image.Palette.end(), [](std::uint32_t c) {
      return ((c >> 16) & 255) == ((c >> 8) & 255) && ((c >> 8) & 255) == (c & 255);
    });
    CPICT_INFO expanded;
    const int ok = grayTable ? imaging::Convert24BitColorImageTo8BitGrayscaleImage(image, expanded)
                             : imaging::Convert8BitImageTo24BitImage(image, expanded);
    if (ok) image = std::move(expanded);
  }
}

// The encoded picture as a record (one bit: Group 4; else JPEG, its colour space
// from the components encoded). False when encoding failed.
bool encodeRecord(const CPICT_INFO& pict, int jpegQuality, tagPDFIMAGE& r) {
  if (pict.BitCount == 1) {
    r.data = imaging::encodeGroup4(pict);
    r.kind = 1;
  } else if (pict.Width > imaging::kJpegMaxSide || pict.Height > imaging::kJpegMaxSide) {
    // Past what JPEG can hold: the picture shrunk to fit (the PDF scales it back).
    CPICT_INFO fitted = pict;
    return imaging::fitForJpeg(fitted) && encodeRecord(fitted, jpegQuality, r);
  } else {
    imaging::Jpeg j = imaging::encodeJpeg(pict, jpegQuality);
    r.data = std::move(j.data);
    r.kind = j.components == 1 ? 8 : 24;
  }
  r.pixelWidth = pict.Width;
  r.pixelHeight = pict.Height;
  return !r.data.empty();
}

// The page height in pixels positions are measured from.
int pageHeightPixels(const CPDFdata& data, const CPICT_INFO& image) {
  return data.height > 0 ? data.height : image.Height;
}

}  // namespace

int PreparePictures(CPDFdata& data, CPICT_INFO& image, const std::vector<PixelRect>& rects, PictureQuality quality) {
  if (image.empty()) return 0;
  normalise(image);
  double target = quality.targetDpi;
  if (image.BitCount == 1) {
    const double own = image.XResolution > 0 ? image.XResolution : data.dpi;
    if (quality.jpegQuality == 30) target = own * 0.4;
    if (quality.jpegQuality == 75) target = own * 0.7;
  }
  const double ratio = target / data.dpi;
  const double scale = 72.0 / data.dpi;
  const int pageHeight = pageHeightPixels(data, image);
  for (const PixelRect& rect : rects) {
    // The whole page is used as it is; a part is cut out.
    const bool whole = rect.left <= 0 && rect.top <= 0 && rect.right >= image.Width && rect.bottom >= image.Height;
    CPICT_INFO cut;
    if (!whole && !imaging::MakeSubPictImageFromPict(image, rect.left, rect.top, rect.right, rect.bottom, cut)) {
      continue;
    }
    const CPICT_INFO* picture = whole ? &image : &cut;
    if (ratio > 0.1 && ratio < 1) {
      CPICT_INFO shrunk;
      if (!imaging::MakeShrinkImageFromPict(*picture, shrunk, ratio, 1)) continue;
      shrunk.XResolution = shrunk.YResolution = static_cast<std::int16_t>(std::lround(target));
      cut = std::move(shrunk);
      picture = &cut;
    }
    // The part of the region inside the image is what the picture shows.
    const int l = std::max(rect.left, 0), t = std::max(rect.top, 0);
    const int r = std::min(rect.right, image.Width), b = std::min(rect.bottom, image.Height);
    tagPDFIMAGE record;
    if (!encodeRecord(*picture, quality.jpegQuality, record)) continue;
    record.x = l * scale;
    record.y = (pageHeight - b) * scale;
    record.width = (r - l) * scale;
    record.height = (b - t) * scale;
    data.images.push_back(std::move(record));
  }
  return 1;
}

int PreparePictures(CPDFdata& data, const std::string& imageFile, const std::vector<PixelRect>& rects,
                    PictureQuality quality) {
  CPICT_INFO image;
  image.FileName = imageFile;
  if (!imaging::LoadImageFileProc(image, 0)) return 0;
  return PreparePictures(data, image, rects, quality);
}

namespace {

// What a character contributes to the masks and the painting.
struct Ink {
  int left, top, right, bottom;  // the widened box, right and bottom exclusive
  bool inverted = false;
  int group = -1;
  int fgLeft = 0, fgTop = 0, fgRight = 0, fgBottom = 0;  // of its foreground pixels, exclusive
  long pixels = 0;
};

struct Group {
  std::uint32_t colour = 0;
  bool inverted = false;
  long pixels = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool alive = true;
};

bool foreground(const CPICT_INFO& bits, int x, int y, bool inverted) {
  return (imaging::pixelAt(bits, x, y) != 0) != inverted;
}

// The colour of a pixel of the page, quantised: gray to steps of 32, colour to the
// top three bits of each component.
std::uint32_t quantised(const CPICT_INFO& image, int x, int y) {
  if (image.BitCount == 8) return (imaging::pixelAt(image, x, y) / 32 * 32) * 0x010101u;
  return imaging::pixelAt(image, x, y) & 0xE0E0E0u;
}

int colourDistance(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    sum += std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255));
  }
  return sum;
}

// Each component over a third of the colour's sum: black and every gray are
// neutral (1, 1, 1).
std::array<double, 3> balance(std::uint32_t c) {
  const double r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
  const double third = (r + g + b) / 3;
  if (third == 0) return {1, 1, 1};
  return {r / third, g / third, b / third};
}

bool sameHue(std::uint32_t a, std::uint32_t b) {
  const auto x = balance(a), y = balance(b);
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(x[i] - y[i]) > 0.2) return false;
  }
  return true;
}

void absorb(Group& into, Group& from) {
  into.pixels += from.pixels;
  into.left = std::min(into.left, from.left);
  into.top = std::min(into.top, from.top);
  into.right = std::max(into.right, from.right);
  into.bottom = std::max(into.bottom, from.bottom);
  from.alive = false;
}

// Grows a box-sized mask by `radius` pixels in every direction (a square).
std::vector<std::uint8_t> dilate(const std::vector<std::uint8_t>& m, int w, int h, int radius) {
  std::vector<std::uint8_t> across(m.size(), 0), out(m.size(), 0);
  for (int y = 0; y < h; ++y) {
    int last = -1000000;  // the nearest set pixel to the left
    for (int x = 0; x < w; ++x) {
      if (m[static_cast<std::size_t>(y) * w + x]) last = x;
      if (x - last <= radius) across[static_cast<std::size_t>(y) * w + x] = 1;
    }
    last = 1000000;
    for (int x = w - 1; x >= 0; --x) {
      if (m[static_cast<std::size_t>(y) * w + x]) last = x;
      if (last - x <= radius) across[static_cast<std::size_t>(y) * w + x] = 1;
    }
  }
  for (int x = 0; x < w; ++x) {
    int last = -1000000;
    for (int y = 0; y < h; ++y) {
      if (across[static_cast<std::size_t>(y) * w + x]) last = y;
      if (y - last <= radius) out[static_cast<std::size_t>(y) * w + x] = 1;
    }
    last = 1000000;
    for (int y = h - 1; y >= 0; --y) {
      if (across[static_cast<std::size_t>(y) * w + x]) last = y;
      if (last - y <= radius) out[static_cast<std::size_t>(y) * w + x] = 1;
    }
  }
  return out;
}

// Paints one character out of the page: the pixels within 4 of its ink take the
// mean of the background around it (white when that is nearly white).
void paintOut(CPICT_INFO& image, const CPICT_INFO& bits, const Ink& ink) {
  const int w = ink.right - ink.left, h = ink.bottom - ink.top;
  if (w <= 0 || h <= 0) return;
  std::vector<std::uint8_t> fg(static_cast<std::size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      fg[static_cast<std::size_t>(y) * w + x] = foreground(bits, ink.left + x, ink.top + y, ink.inverted) ? 1 : 0;
    }
  }
  const std::vector<std::uint8_t> near = dilate(fg, w, h, 4);
  const int channels = image.BitCount == 24 ? 3 : 1;
  std::array<double, 3> far{}, all{};
  long farCount = 0, allCount = 0;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = image.row(ink.top + y);
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      if (fg[i]) continue;
      for (int c = 0; c < channels; ++c) {
        const double v = row[(ink.left + x) * channels + c];
        all[static_cast<std::size_t>(c)] += v;
        if (!near[i]) far[static_cast<std::size_t>(c)] += v;
      }
      ++allCount;
      if (!near[i]) ++farCount;
    }
  }
  std::array<std::uint8_t, 3> mean{255, 255, 255};
  if (allCount > 0) {
    const auto& sum = farCount > 0 ? far : all;
    const long n = farCount > 0 ? farCount : allCount;
    bool light = true;
    for (int c = 0; c < channels; ++c) {
      mean[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(std::lround(sum[static_cast<std::size_t>(c)] / n));
      light = light && mean[static_cast<std::size_t>(c)] > 242;
    }
    if (light) mean = {255, 255, 255};
  }
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = image.row(ink.top + y);
    for (int x = 0; x < w; ++x) {
      if (!near[static_cast<std::size_t>(y) * w + x]) continue;
      for (int c = 0; c < channels; ++c) row[(ink.left + x) * channels + c] = mean[static_cast<std::size_t>(c)];
    }
  }
}

}  // namespace

int PrepareHighCompression(CPDFdata& data, const std::string& imageFile, const COcrPage& page, PictureQuality quality) {
  CPICT_INFO look;
  look.FileName = imageFile;
  if (imaging::LookImageInfo(look) <= 0) return 0;
  // The characters of the page, block by block.
  std::vector<std::vector<const COcrChar*>> blocks;
  std::vector<PixelRect> blockAreas;
  bool anyCharacter = false;
  for (const COcrBlock& block : page.blocks) {
    if (block.type != kBlockText && block.type != kBlockTable) continue;
    std::vector<const COcrChar*> chars;
    auto take = [&](const LineList& lines) {
      for (const COcrLine& line : lines) {
        for (const COcrChar& c : line.chars) {
          if (c.code[0] == 9 || c.code[0] == 10 || c.x < 0 || c.y < 0 || c.width <= 0 || c.height <= 0) continue;
          chars.push_back(&c);
        }
      }
    };
    if (block.type == kBlockText) {
      take(block.lines);
    } else {
      for (const COcrCell& cell : block.cells) take(cell.lines);
    }
    anyCharacter = anyCharacter || !chars.empty();
    blocks.push_back(std::move(chars));
    blockAreas.push_back({block.x, block.y, block.x + block.width, block.y + block.height});
  }
  const PixelRect whole{0, 0, look.Width, look.Height};
  if (look.BitCount == 1 || !anyCharacter) return PreparePictures(data, imageFile, {whole}, quality);

  CPICT_INFO image;
  image.FileName = imageFile;
  if (!imaging::LoadImageFileProc(image, 0)) return 0;
  normalise(image);
  if (image.BitCount == 1) return PreparePictures(data, image, {whole}, quality);
  CPICT_INFO bits;
  {
    CPICT_INFO gray;
    const CPICT_INFO* source = &image;
    if (image.BitCount == 24) {
      if (!imaging::Convert24BitColorImageTo8BitGrayscaleImage(image, gray)) return 0;
      source = &gray;
    }
    if (!imaging::MakeBinDataFromGrayscaleData(*source, bits)) return 0;
  }
  const double scale = 72.0 / data.dpi;
  const int pageHeight = pageHeightPixels(data, image);
  std::vector<tagPDFIMAGE> masks;
  std::vector<Ink> inks;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    std::vector<Group> groups;
    const std::size_t firstInk = inks.size();
    for (const COcrChar* c : blocks[b]) {
      Ink ink;
      ink.left = std::min(c->x, image.Width);
      ink.top = std::min(c->y, image.Height);
      ink.right = static_cast<int>(std::min<long long>(static_cast<long long>(c->x) + c->width + 1, image.Width));
      ink.bottom = static_cast<int>(std::min<long long>(static_cast<long long>(c->y) + c->height + 1, image.Height));
      if (ink.left >= ink.right || ink.top >= ink.bottom) continue;
      // The ring just outside the box: mostly dark means light ink on a dark ground.
      long ring = 0, dark = 0;
      auto count = [&](int x, int y) {
        ++ring;
        dark += imaging::pixelAt(bits, x, y) != 0;
      };
      for (int x = ink.left; x < ink.right; ++x) {
        if (ink.top > 0) count(x, ink.top - 1);
        if (ink.bottom < image.Height) count(x, ink.bottom);
      }
      for (int y = ink.top; y < ink.bottom; ++y) {
        if (ink.left > 0) count(ink.left - 1, y);
        if (ink.right < image.Width) count(ink.right, y);
      }
      ink.inverted = ring > 0 && dark * 10 > ring * 6;
      // The most frequent quantised colour of its ink, the first found on a tie.
      std::array<long, 512> votes{};
      std::array<int, 512> firstSeen{};
      firstSeen.fill(-1);
      std::array<std::uint32_t, 512> colourOf{};
      int order = 0;
      ink.fgLeft = ink.right;
      ink.fgTop = ink.bottom;
      for (int y = ink.top; y < ink.bottom; ++y) {
        for (int x = ink.left; x < ink.right; ++x) {
          if (!foreground(bits, x, y, ink.inverted)) continue;
          const std::uint32_t q = quantised(image, x, y);
          const std::size_t key = ((q >> 21) & 7) << 6 | ((q >> 13) & 7) << 3 | ((q >> 5) & 7);
          if (firstSeen[key] < 0) firstSeen[key] = order++;
          ++votes[key];
          colourOf[key] = q;
          ++ink.pixels;
          ink.fgLeft = std::min(ink.fgLeft, x);
          ink.fgTop = std::min(ink.fgTop, y);
          ink.fgRight = std::max(ink.fgRight, x + 1);
          ink.fgBottom = std::max(ink.fgBottom, y + 1);
        }
      }
      if (ink.pixels == 0) {
        inks.push_back(ink);
        continue;
      }
      std::size_t best = 0;
      for (std::size_t k = 0; k < votes.size(); ++k) {
        if (votes[k] > votes[best] || (votes[k] == votes[best] && votes[k] > 0 && firstSeen[k] < firstSeen[best])) {
          best = k;
        }
      }
      const std::uint32_t colour = colourOf[best];
      auto g = std::find_if(groups.begin(), groups.end(), [&](const Group& gr) { return gr.colour == colour; });
      if (g == groups.end()) {
        groups.push_back({colour, ink.inverted, 0, ink.fgLeft, ink.fgTop, ink.fgRight, ink.fgBottom, true});
        g = groups.end() - 1;
      }
      g->pixels += ink.pixels;
      g->left = std::min(g->left, ink.fgLeft);
      g->top = std::min(g->top, ink.fgTop);
      g->right = std::max(g->right, ink.fgRight);
      g->bottom = std::max(g->bottom, ink.fgBottom);
      ink.group = static_cast<int>(g - groups.begin());
      inks.push_back(ink);
    }
    // Tiny groups join the nearest colour; then groups of one hue, where one is small
    // against the block, join the larger.
    std::vector<int> target(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i) target[i] = static_cast<int>(i);
    for (std::size_t i = 0; i < groups.size(); ++i) {
      if (!groups[i].alive || groups[i].pixels >= 40) continue;
      int nearest = -1, best = 1000;
      for (std::size_t j = 0; j < groups.size(); ++j) {
        if (j == i || !groups[j].alive) continue;
        const int d = colourDistance(groups[i].colour, groups[j].colour);
        if (d < best) best = d, nearest = static_cast<int>(j);
      }
      if (nearest >= 0) {
        absorb(groups[static_cast<std::size_t>(nearest)], groups[i]);
        target[i] = nearest;
      }
    }
    const PixelRect& area = blockAreas[b];
    const double blockArea = (static_cast<double>(area.right - area.left) + 1) * (area.bottom - area.top + 1);
    for (bool merged = true; merged;) {
      merged = false;
      for (std::size_t i = 0; i < groups.size() && !merged; ++i) {
        for (std::size_t j = i + 1; j < groups.size() && !merged; ++j) {
          Group &a = groups[i], &c = groups[j];
          if (!a.alive || !c.alive || a.inverted != c.inverted) continue;
          if (std::min(a.pixels, c.pixels) >= blockArea / 10 || !sameHue(a.colour, c.colour)) continue;
          const bool intoA = a.pixels >= c.pixels;
          absorb(intoA ? a : c, intoA ? c : a);
          target[intoA ? j : i] = static_cast<int>(intoA ? i : j);
          merged = true;
        }
      }
    }
    auto finalGroup = [&](int g) {
      while (target[static_cast<std::size_t>(g)] != g) g = target[static_cast<std::size_t>(g)];
      return g;
    };
    for (std::size_t k = firstInk; k < inks.size(); ++k) {
      if (inks[k].group >= 0) inks[k].group = finalGroup(inks[k].group);
    }
    // One mask per group left, in its colour.
    for (std::size_t g = 0; g < groups.size(); ++g) {
      const Group& gr = groups[g];
      if (!gr.alive || gr.pixels == 0) continue;
      CPICT_INFO mask;
      mask.Width = gr.right - gr.left;
      mask.Height = gr.bottom - gr.top;
      mask.BitCount = 1;
      mask.XResolution = image.XResolution;
      mask.YResolution = image.YResolution;
      if (!imaging::CreateNewImageToCPictInfo(mask)) continue;
      for (std::size_t k = firstInk; k < inks.size(); ++k) {
        const Ink& ink = inks[k];
        if (ink.group != static_cast<int>(g)) continue;
        for (int y = ink.fgTop; y < ink.fgBottom; ++y) {
          for (int x = ink.fgLeft; x < ink.fgRight; ++x) {
            if (foreground(bits, x, y, ink.inverted)) imaging::setBit(mask, x - gr.left, y - gr.top, true);
          }
        }
      }
      tagPDFIMAGE record;
      if (!encodeRecord(mask, quality.jpegQuality, record)) continue;
      record.mask = true;
      record.color = gr.colour;
      record.x = gr.left * scale;
      record.y = (pageHeight - gr.bottom) * scale;
      record.width = mask.Width * scale;
      record.height = mask.Height * scale;
      masks.push_back(std::move(record));
    }
  }
  for (const Ink& ink : inks) paintOut(image, bits, ink);

  // The background at half the page's resolution (the page's own for the finest setting).
  const bool fine = quality.targetDpi > 300 && quality.jpegQuality == 100;
  const double resolution = fine ? data.dpi : data.dpi / 2.0;
  const int jpegQuality = fine || quality.jpegQuality == 100 ? 75 : quality.jpegQuality;
  const double ratio = resolution / data.dpi;
  CPICT_INFO background;
  if (ratio > 0.1 && ratio < 1) {
    if (!imaging::MakeShrinkImageFromPict(image, background, ratio, 1)) return 0;
  } else {
    background = std::move(image);
  }
  tagPDFIMAGE record;
  if (!encodeRecord(background, jpegQuality, record)) return 0;
  record.x = 0;
  record.y = 0;
  record.width = (data.width > 0 ? data.width : look.Width) * scale;
  record.height = pageHeight * scale;
  data.images.push_back(std::move(record));
  for (tagPDFIMAGE& m : masks) data.images.push_back(std::move(m));
  return 1;
}

}  // namespace lexova::pdf
