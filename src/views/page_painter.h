// Paints a page's draw list with Qt: text runs in the faces fontconfig gives for
// the stored face names, vertical runs upright with the font's vertical glyph
// forms (HarfBuzz 'vert'), rotated by the colour-mode table where a face has
// none, glyphs stretched into their boxes for Fast 0, a visible code box for a
// character no installed face covers, and the line and block images cut from the
// page image.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRawFont>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "layout/page_layout.h"

class QPainter;

namespace lexova::office {
class GlyphFont;
}
namespace lexova::pageview {
class PageImage;
}

namespace lexova::views {

class PagePainter {
 public:
  PagePainter();
  ~PagePainter();
  PagePainter(const PagePainter&) = delete;
  PagePainter& operator=(const PagePainter&) = delete;

  // Paints the operations, or only those that may touch `within` (the painter
  // is expected to clip to it).
  void paint(QPainter& p, const layout::PageGeometry& g, const layout::Rect* within = nullptr);

  // The page image the line and block images are cut from (nullptr: none drawn).
  void setPageImage(const pageview::PageImage* image) { image_ = image; }

  // The installed family a stored face name resolves to.
  QString familyFor(const std::u16string& face);

 private:
  struct Face {
    QString family;
    std::string file;
    std::unique_ptr<office::GlyphFont> glyphs;
  };
  // A face at one size, made once: the font, its metrics, the raw font of its
  // vertical glyphs (made when first needed) and what it covers.
  struct Sized {
    QFont font;
    QFontMetricsF metrics{QFont()};
    QRawFont raw;
    bool rawMade = false;
    std::unordered_map<char32_t, bool> covered;
  };
  Face& face(const std::u16string& name);
  Sized& sized(const layout::DrawOp& op, Face& f);
  void text(QPainter& p, const layout::DrawOp& op);
  bool covered(Sized& s, char32_t c);

  std::map<std::u16string, Face> faces_;
  std::map<std::tuple<std::u16string, int, int, int>, Sized> sized_;
  QString fallback_;
  const pageview::PageImage* image_ = nullptr;
};

}  // namespace lexova::views
