#include "views/picture.h"

#include <QPainter>
#include <QTransform>
#include <array>
#include <cstring>

#include "pageview/image_geometry.h"
#include "pageview/page_image.h"

namespace lexova::views {

QImage toQImage(const imaging::CPICT_INFO& p) {
  if (p.empty() || p.Width <= 0 || p.Height <= 0) return {};
  if (p.BitCount == 24) {
    QImage out(p.Width, p.Height, QImage::Format_RGB888);
    if (out.isNull()) return {};
    for (int y = 0; y < p.Height; ++y) std::memcpy(out.scanLine(y), p.row(y), static_cast<std::size_t>(p.Width) * 3);
    return out;
  }
  if (p.BitCount == 8 && !p.Palette.empty()) {
    QImage out(p.Width, p.Height, QImage::Format_Indexed8);
    if (out.isNull()) return {};
    QList<QRgb> table;
    for (std::uint32_t c : p.Palette) table.push_back(0xFF000000u | c);
    while (table.size() < 256) table.push_back(0xFF000000u);
    out.setColorTable(table);
    for (int y = 0; y < p.Height; ++y) std::memcpy(out.scanLine(y), p.row(y), static_cast<std::size_t>(p.Width));
    return out;
  }
  QImage out(p.Width, p.Height, QImage::Format_Grayscale8);
  if (out.isNull()) return {};
  // One-bit rows eight pixels at a time: the gray bytes of every bit pattern.
  static const auto patterns = [] {
    std::array<std::array<std::uint8_t, 8>, 256> t{};
    for (int b = 0; b < 256; ++b) {
      for (int bit = 0; bit < 8; ++bit) t[b][bit] = (b >> (7 - bit)) & 1 ? 0 : 255;
    }
    return t;
  }();
  const int whole = p.Width / 8;
  for (int y = 0; y < p.Height; ++y) {
    std::uint8_t* to = out.scanLine(y);
    const std::uint8_t* from = p.row(y);
    if (p.BitCount == 8) {
      std::memcpy(to, from, static_cast<std::size_t>(p.Width));
      continue;
    }
    for (int i = 0; i < whole; ++i) std::memcpy(to + 8 * i, patterns[from[i]].data(), 8);
    for (int x = whole * 8; x < p.Width; ++x) to[x] = ((from[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255;
  }
  return out;
}

void drawPagePart(QPainter& p, const pageview::PageImage& image, const layout::Rect& source, int rotation,
                  const layout::Rect& target) {
  const pageview::CutPlan plan = pageview::planCut(source, target, rotation, image.width(), image.height());
  if (pageview::isEmpty(plan.source) || pageview::isEmpty(plan.target)) return;
  QImage part = toQImage(image.cut(plan.source));
  if (part.isNull()) return;
  if (rotation == 270) part = part.transformed(QTransform().rotate(270));
  const QSize size(static_cast<int>(plan.target.width), static_cast<int>(plan.target.height));
  if (part.size() != size) part = part.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  p.drawImage(QPoint(static_cast<int>(plan.target.x), static_cast<int>(plan.target.y)), part);
}

}  // namespace lexova::views
