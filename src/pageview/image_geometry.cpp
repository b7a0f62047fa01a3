#include "pageview/image_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/utf.h"

namespace lexova::pageview {
namespace {

long long trunc(double v) {
  return static_cast<long long>(v);
}

Rect grown(const Rect& r, long long by) {
  return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

std::optional<Rect> scaledBox(const Rect& box, double scale, long long scrollX, long long scrollY, long long by) {
  if (box.x < 0 || box.y < 0 || box.width <= 0 || box.height <= 0) return std::nullopt;
  const Rect r{trunc(static_cast<double>(box.x) * scale) - scrollX, trunc(static_cast<double>(box.y) * scale) - scrollY,
               trunc(static_cast<double>(box.width) * scale), trunc(static_cast<double>(box.height) * scale)};
  return grown(r, by);
}

std::u16string ascii(const char* s) {
  std::u16string out;
  for (; *s; ++s) out += static_cast<char16_t>(static_cast<unsigned char>(*s));
  return out;
}

}  // namespace

Rect clipToImage(const Rect& r, long long width, long long height) {
  if (r.width <= 0 || r.height <= 0 || width <= 0 || height <= 0) return {};
  // Far-out boxes from a file cannot overflow: every value is bounded first.
  const long long left = std::clamp(r.x, 0LL, width), top = std::clamp(r.y, 0LL, height);
  const long long right = r.x > width - r.width ? width : std::max(0LL, r.x + r.width);
  const long long bottom = r.y > height - r.height ? height : std::max(0LL, r.y + r.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

CutPlan planCut(const Rect& source, const Rect& target, int rotation, long long imageWidth, long long imageHeight) {
  CutPlan plan;
  plan.source = clipToImage(source, imageWidth, imageHeight);
  if (isEmpty(plan.source) || target.width <= 0 || target.height <= 0) return {};
  // The clipped part as fractions of the whole source, turned with it.
  const double w = static_cast<double>(source.width), h = static_cast<double>(source.height);
  double fx0 = static_cast<double>(plan.source.x - source.x) / w;
  double fx1 = static_cast<double>(plan.source.x + plan.source.width - source.x) / w;
  double fy0 = static_cast<double>(plan.source.y - source.y) / h;
  double fy1 = static_cast<double>(plan.source.y + plan.source.height - source.y) / h;
  if (rotation == 270) {
    // The source's top goes to the left, its right edge to the top.
    const double nx0 = fy0, nx1 = fy1, ny0 = 1 - fx1, ny1 = 1 - fx0;
    fx0 = nx0;
    fx1 = nx1;
    fy0 = ny0;
    fy1 = ny1;
  }
  const double tw = static_cast<double>(target.width), th = static_cast<double>(target.height);
  const long long x0 = target.x + std::llround(fx0 * tw), x1 = target.x + std::llround(fx1 * tw);
  const long long y0 = target.y + std::llround(fy0 * th), y1 = target.y + std::llround(fy1 * th);
  if (x1 <= x0 || y1 <= y0) return {};
  plan.target = {x0, y0, x1 - x0, y1 - y0};
  return plan;
}

std::optional<Rect> highlightFrame(const Rect& box, double scale, long long scrollX, long long scrollY) {
  return scaledBox(box, scale, scrollX, scrollY, 3);
}

std::optional<Rect> highlightDamage(const Rect& box, double scale, long long scrollX, long long scrollY) {
  return scaledBox(box, scale, scrollX, scrollY, 5);
}

Rect charBox(const COcrChar& c) {
  if (c.x < 0 || c.y < 0) return {-1, -1, 0, 0};
  return {c.x, c.y, c.width, c.height};
}

Rect lineImageSource(const COcrLine* previous, const COcrLine& line, bool vertical) {
  Rect r{line.x, line.y, line.width, line.height};
  const bool secondHalf = previous != nullptr && previous->x == line.x && previous->y == line.y;
  if (secondHalf && !line.chars.empty() && line.chars.front().x >= 0 && line.chars.front().y >= 0) {
    const COcrChar& first = line.chars.front();
    // Along the line from its first character to the line's end.
    if (vertical) {
      r.height = std::max(0LL, r.y + r.height - first.y);
      r.y = first.y;
    } else {
      r.width = std::max(0LL, r.x + r.width - first.x);
      r.x = first.x;
    }
  }
  return grown(r, 1);
}

std::optional<Rect> lineWindowRect(const LineWindowInput& in) {
  const double s = in.scale;
  const double L = static_cast<double>(in.line.x), T = static_cast<double>(in.line.y);
  const double W = static_cast<double>(in.line.width), H = static_cast<double>(in.line.height);
  const long long X = trunc(L * s) - in.scrollX, Y = trunc(T * s) - in.scrollY;
  Rect r{0, 0, in.width, in.height};
  if (!in.vertical) {
    const long long u = trunc((H + 10) * s) + (in.table ? 10 : 5);
    r.x = X;
    r.y = in.horizontalPlace == 1 ? Y - u : Y + u;
  } else {
    if (in.verticalPlace == 1) {
      r.x = in.table ? X + trunc((W + 10) * s) + 2 : X + trunc(W * s) - 2;
    } else {
      r.x = in.table ? X - (trunc((W + 20) * s) + 2) : X - (trunc(2 * (W + 10) * s) + 2);
    }
    r.y = Y;
  }
  const Rect visible = clipToImage(r, in.viewportWidth, in.viewportHeight);
  if (isEmpty(visible)) return std::nullopt;
  return r;
}

Size lineImageSize(const Rect& source, double scale) {
  if (source.width <= 0 || source.height <= 0) return {};
  if (scale < 0.95) {
    return {std::max(1LL, trunc(static_cast<double>(source.width) * scale)),
            std::max(1LL, trunc(static_cast<double>(source.height) * scale))};
  }
  return {source.width, source.height};
}

bool lineWindowWanted(int display, int editMode, int imageMode, bool hasLine) {
  return display == layout::kLayoutDisplay && editMode == 3 && imageMode == 1 && hasLine;
}

std::optional<double> previewScale(long long previewWidth, long long imageWidth) {
  if (previewWidth <= 0 || imageWidth <= 0) return std::nullopt;
  return std::min(1.0, static_cast<double>(previewWidth) / static_cast<double>(imageWidth));
}

Rect previewFrame(const Rect& r, double scale) {
  const long long x0 = trunc(static_cast<double>(r.x) * scale), y0 = trunc(static_cast<double>(r.y) * scale);
  const long long x1 = trunc(static_cast<double>(r.x + r.width) * scale) + 1;
  const long long y1 = trunc(static_cast<double>(r.y + r.height) * scale) + 1;
  return {x0, y0, x1 - x0, y1 - y0};
}

int scaleEntry(double scale) {
  if (!(scale >= 0.1 && scale <= 1)) scale = 0.5;
  const int entry = static_cast<int>(scale * 10 + 0.1) - 1;
  return entry < 0 || entry > 9 ? 4 : entry;
}

std::u16string scaleEntryText(int entry) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2.2d ", (std::clamp(entry, 0, 9) + 1) * 10);
  return ascii(buf) + u"％";
}

std::u16string missingImageText(std::u16string_view path) {
  return std::u16string(path) + u"は見つかりません";
}

}  // namespace lexova::pageview
