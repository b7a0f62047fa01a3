// Pictures of the image library as Qt images, and the parts of the page image the
// views draw: a cut clipped to the image, turned, and stretched by area averaging
// into its place.
#pragma once

#include <QImage>

#include "imaging/pict_info.h"
#include "layout/page_layout.h"

class QPainter;

namespace lexova::pageview {
class PageImage;
}

namespace lexova::views {

// A copy of p: one-bit pictures as 8-bit gray (black 0, white 255), 8-bit ones
// gray or through their colour table, 24-bit ones as RGB. Null for an empty picture.
QImage toQImage(const imaging::CPICT_INFO& p);

// Draws the part `source` of the page image (page pixels, clipped to the image),
// turned by `rotation` (0 or 270), stretched into `target`. Nothing when the
// clipped part is empty.
void drawPagePart(QPainter& p, const pageview::PageImage& image, const layout::Rect& source, int rotation,
                  const layout::Rect& target);

}  // namespace lexova::views
