#include "views/image_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "pageview/image_geometry.h"
#include "pageview/page_image.h"
#include "views/picture.h"

namespace lexova::views {
namespace {

constexpr QRgb kBackground = qRgb(192, 192, 192);
constexpr QRgb kHighlight = qRgb(0, 127, 255);
constexpr int kWheelStep = 50;  // pixels per notch

QRect qrect(const layout::Rect& r) {
  return QRect(static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width), static_cast<int>(r.height));
}

}  // namespace

CDrawView::CDrawView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
}

void CDrawView::showPage(const COcrPage* page, double scale, bool documentOpen, int display) {
  page_ = page;
  scale_ = scale;
  display_ = display;
  // A page without a size in its file takes its image's.
  const long long width = page && page->width > 0 ? page->width : image_ ? image_->width() : 0;
  const long long height = page && page->height > 0 ? page->height : image_ ? image_->height() : 0;
  scrollSize_ = page ? QSize(static_cast<int>(static_cast<double>(width) * scale),
                             static_cast<int>(static_cast<double>(height) * scale))
                     : QSize();
  // The picture at the scale is made once per page and scale; painting only copies it.
  const std::uint64_t generation = image_ ? image_->generation() : 0;
  if (generation != shownGeneration_ || scale != shownScale_) {
    shownGeneration_ = generation;
    shownScale_ = scale;
    const imaging::CPICT_INFO* picture = image_ ? image_->atScale(scale) : nullptr;
    shown_ = picture ? toQImage(*picture) : QImage();
  }
  missing_.clear();
  if (documentOpen && page && (image_ == nullptr || image_->picture() == nullptr)) {
    missing_ = QString::fromStdU16String(pageview::missingImageText(page->fullpath));
  }
  if (!page) highlight_ = {-1, -1, 0, 0};
  updateScrollBars();
  // Below 0.99 without a reduced picture the view goes back to its origin.
  if (shown_.isNull()) scrollTo(0, 0);
  viewport()->update();
}

void CDrawView::updateScrollBars() {
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, scrollSize_.width() - area.width()));
  verticalScrollBar()->setRange(0, std::max(0, scrollSize_.height() - area.height()));
  horizontalScrollBar()->setPageStep(area.width());
  verticalScrollBar()->setPageStep(area.height());
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
}

void CDrawView::setHighlight(const layout::Rect& box) {
  const QPoint at = scrollPosition();
  for (const layout::Rect& b : {highlight_, box}) {
    if (auto damage = pageview::highlightDamage(b, scale_, at.x(), at.y())) viewport()->update(qrect(*damage));
  }
  highlight_ = box;
}

void CDrawView::scrollTo(int x, int y) {
  programmatic_ = true;
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
  programmatic_ = false;
}

QPoint CDrawView::scrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CDrawView::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  p.fillRect(area, QColor(kBackground));
  const QPoint at = scrollPosition();
  if (!shown_.isNull()) {
    // The picture at its own size, from the scroll position.
    const QRect source = area.translated(at).intersected(shown_.rect());
    if (!source.isEmpty()) p.drawImage(source.translated(-at), shown_, source);
  } else if (!missing_.isEmpty()) {
    QFont font(QStringLiteral("IPAMincho"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPoint(10, 10 + QFontMetrics(font).ascent()), missing_);
  }
  // The frame marks a character of the picture: none without one.
  if (shown_.isNull()) return;
  if (auto frame = pageview::highlightFrame(highlight_, scale_, at.x(), at.y())) {
    QPen pen{QColor(kHighlight)};
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(qrect(*frame));
  }
}

void CDrawView::scrollContentsBy(int, int) {
  viewport()->update();
  if (!programmatic_) emit scrolled();
}

void CDrawView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void CDrawView::wheelEvent(QWheelEvent* event) {
  if (display_ != layout::kLayoutDisplay) {
    event->ignore();
    return;
  }
  const int notches = event->angleDelta().y() / 120;
  if (notches != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() - notches * kWheelStep);
  event->accept();
}

void CDrawView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  // The image view never keeps the focus: typing goes to the text.
  if (focusTarget_ && focusTarget_->isVisible()) focusTarget_->setFocus(Qt::OtherFocusReason);
}

CImgWindow::CImgWindow(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  hide();
}

void CImgWindow::setImage(const QImage& image) {
  image_ = image;
  const int frame = 2 * frameWidth();
  resize(image.width() + frame, image.height() + frame);
  update();
}

void CImgWindow::paintEvent(QPaintEvent* event) {
  {
    QPainter p(this);
    const QRect inside = contentsRect();
    p.fillRect(inside, Qt::white);
    if (!image_.isNull()) p.drawImage(inside.topLeft(), image_);
  }
  QFrame::paintEvent(event);
}

}  // namespace lexova::views
