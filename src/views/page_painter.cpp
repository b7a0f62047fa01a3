#include "views/page_painter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include "export/office/glyph_font.h"
#include "platform/fonts.h"
#include "text/utf.h"
#include "views/picture.h"

namespace lexova::views {
namespace {

QColor colourOf(settings::Colour c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QRectF rectOf(const layout::Rect& r) {
  return QRectF(static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                static_cast<double>(r.height));
}

char32_t firstCodePoint(const std::u16string& s) {
  if (s.empty()) return 0;
  if (s.size() > 1 && s[0] >= 0xD800 && s[0] < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
    return 0x10000 + ((static_cast<char32_t>(s[0]) - 0xD800) << 10) + (s[1] - 0xDC00);
  }
  return s[0];
}

}  // namespace

PagePainter::PagePainter() {
  fallback_ = familyFor(u"IPAGothic");
}
PagePainter::~PagePainter() = default;

PagePainter::Face& PagePainter::face(const std::u16string& name) {
  auto it = faces_.find(name);
  if (it != faces_.end()) return it->second;
  Face f;
  f.file = platform::fontFileForFace(name, "ja");
  if (!f.file.empty()) {
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(f.file));
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (!families.isEmpty()) f.family = families.front();
    f.glyphs = office::GlyphFont::load(f.file);
  }
  return faces_.emplace(name, std::move(f)).first->second;
}

QString PagePainter::familyFor(const std::u16string& name) {
  return face(name).family;
}

PagePainter::Sized& PagePainter::sized(const layout::DrawOp& op, Face& fc) {
  const int h = std::max(2, op.fontHeight);
  const auto key = std::make_tuple(op.face, h, op.fontWidth, op.weight);
  auto it = sized_.find(key);
  if (it != sized_.end()) return it->second;
  Sized s;
  s.font = QFont(fc.family.isEmpty() ? fallback_ : fc.family);
  s.font.setPixelSize(h);
  s.font.setWeight(op.weight >= 700 ? QFont::Bold : QFont::Normal);
  if (op.fontWidth > 0) s.font.setStretch(static_cast<int>(std::clamp(op.fontWidth * 200LL / h, 1LL, 4000LL)));
  s.metrics = QFontMetricsF(s.font);
  return sized_.emplace(key, std::move(s)).first->second;
}

bool PagePainter::covered(Sized& s, char32_t c) {
  const auto it = s.covered.find(c);
  if (it != s.covered.end()) return it->second;
  bool in = s.metrics.inFontUcs4(c);
  if (!in) {
    QFont other(s.font);
    other.setFamily(fallback_);
    in = QFontMetricsF(other).inFontUcs4(c);
  }
  s.covered.emplace(c, in);
  return in;
}

void PagePainter::paint(QPainter& p, const layout::PageGeometry& g, const layout::Rect* within) {
  p.setRenderHint(QPainter::TextAntialiasing, true);
  for (const layout::DrawOp& op : g.ops) {
    if (within && !layout::intersects(layout::opBounds(op), *within)) continue;
    switch (op.kind) {
      case layout::DrawOp::Fill:
        p.fillRect(rectOf(op.rect), colourOf(op.colour));
        break;
      case layout::DrawOp::Frame: {
        QPen pen(colourOf(op.colour));
        pen.setWidth(op.penWidth);
        pen.setStyle(op.dashed ? Qt::DashLine : Qt::SolidLine);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF r = rectOf(op.rect);
        if (op.rect.width == 0 || op.rect.height == 0) {
          p.drawLine(r.topLeft(), r.bottomRight());
        } else {
          p.drawRect(r.adjusted(0, 0, -1, -1));
        }
        break;
      }
      case layout::DrawOp::Text:
        text(p, op);
        break;
      case layout::DrawOp::LineImage:
      case layout::DrawOp::BlockImage:
        if (image_) drawPagePart(p, *image_, op.source, op.sourceRotation, op.rect);
        break;
    }
  }
}

void PagePainter::text(QPainter& p, const layout::DrawOp& op) {
  Face& fc = face(op.face);
  Sized& sz = sized(op, fc);
  const QFont& font = sz.font;
  const int h = std::max(2, op.fontHeight);
  const QString s = QString::fromStdU16String(op.text);
  const char32_t c = firstCodePoint(op.text);
  const QFontMetricsF& fm = sz.metrics;
  const QColor colour = colourOf(op.colour);
  const double x = static_cast<double>(op.rect.x), y = static_cast<double>(op.rect.y);
  p.save();
  p.setPen(colour);
  p.setFont(font);
  const bool wide = c > 255;
  if (!covered(sz, c)) {
    // No installed face has it: a box with its code, never the reject mark.
    const QRectF box = op.rotation == -90 ? QRectF(x - h, y, h, h) : QRectF(x, y, h, h);
    p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    QFont small(fallback_);
    small.setPixelSize(std::max(2, h / 4));
    p.setFont(small);
    p.drawText(box, Qt::AlignCenter | Qt::TextWrapAnywhere, QString::number(static_cast<uint>(c), 16).toUpper());
  } else if (op.stretch) {
    // Fast 0: the inked part of the glyph stretched into the character's box.
    QPainterPath path;
    path.addText(0, 0, font, s);
    const QRectF ink = path.boundingRect();
    const QRectF box = rectOf(op.rect);
    if (ink.width() > 0 && ink.height() > 0 && box.width() > 0 && box.height() > 0) {
      p.translate(box.topLeft());
      p.scale(box.width() / ink.width(), box.height() / ink.height());
      p.translate(-ink.topLeft());
      p.setRenderHint(QPainter::Antialiasing, true);
      p.fillPath(path, colour);
    }
  } else if (op.rotation == -90 && wide) {
    // A vertical run: the character upright in the column left of x, in the
    // face's vertical form when it has one.
    const unsigned vertical = fc.glyphs ? fc.glyphs->verticalGlyph(c) : 0;
    const unsigned plain = fc.glyphs ? fc.glyphs->glyph(c) : 0;
    if (vertical != 0 && vertical != plain) {
      if (!sz.rawMade) {
        sz.raw = QRawFont(QString::fromStdString(fc.file), h);
        sz.rawMade = true;
      }
      const QRawFont& raw = sz.raw;
      QGlyphRun run;
      run.setRawFont(raw);
      run.setGlyphIndexes({static_cast<quint32>(vertical)});
      run.setPositions({QPointF(0, 0)});
      p.drawGlyphRun(QPointF(x - h, y + raw.ascent()), run);
    } else if (const layout::VerticalPlacement vp = layout::verticalPlacement(
                   CharCode{static_cast<char16_t>(op.text[0]), op.text.size() > 1 ? op.text[1] : u'\0', 0});
               vp.rotation != 0) {
      // No vertical form in the face: the rotation of the placement table.
      p.translate(x - h / 2.0, y + h / 2.0);
      p.rotate(-vp.rotation);
      p.drawText(QPointF(-h / 2.0, -h / 2.0 + fm.ascent()), s);
    } else {
      p.drawText(QPointF(x - h, y + fm.ascent()), s);
    }
  } else if (op.rotation != 0) {
    // Turned text: −90 runs down the column with the top of the glyphs at x.
    p.translate(x, y);
    p.rotate(-op.rotation);
    p.drawText(QPointF(0, fm.ascent()), s);
  } else {
    p.drawText(QPointF(x, y + fm.ascent()), s);
  }
  p.restore();
}

}  // namespace lexova::views
