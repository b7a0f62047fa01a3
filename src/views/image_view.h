// The page image beside the text (CDrawView) and the one-line image window
// (CImgWindow). Both draw from the frame's one decoded page image: the image view
// its copy at the display scale (made once per page and scale), the window the
// cursor line cut from it.
#pragma once

#include <QAbstractScrollArea>
#include <QFrame>
#include <QImage>
#include <cstdint>

#include "document/model/model.h"
#include "layout/page_layout.h"

namespace lexova::pageview {
class PageImage;
}

namespace lexova::views {

class CDrawView final : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit CDrawView(QWidget* parent);
  void setPageImage(pageview::PageImage* image) { image_ = image; }
  // Where the focus goes when the view receives it (the text view).
  void setFocusTarget(QWidget* target) { focusTarget_ = target; }

  // The page at the display scale: its scroll size, its picture (the full one at
  // 0.99 and above, the reduced one below). `documentOpen` shows the message for
  // a missing image; `display` is the text view's display (the wheel acts only in
  // layout display).
  void showPage(const COcrPage* page, double scale, bool documentOpen, int display);
  // The frame around the cursor character (page-image pixels; x < 0 or an empty
  // size: none). Only the old and the new frame are repainted.
  void setHighlight(const layout::Rect& box);
  const layout::Rect& highlight() const { return highlight_; }
  void scrollTo(int x, int y);
  QPoint scrollPosition() const;
  // What is drawn (tests): the picture at the display scale, and the message.
  const QImage& shownImage() const { return shown_; }
  QString missingText() const { return missing_; }

 signals:
  // The person scrolled the view (scroll bars, wheel).
  void scrolled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void updateScrollBars();

  pageview::PageImage* image_ = nullptr;
  QWidget* focusTarget_ = nullptr;
  const COcrPage* page_ = nullptr;
  double scale_ = 1;
  int display_ = layout::kLayoutDisplay;
  QSize scrollSize_;
  QImage shown_;
  std::uint64_t shownGeneration_ = 0;
  double shownScale_ = -1;
  QString missing_;
  layout::Rect highlight_{-1, -1, 0, 0};
  bool programmatic_ = false;
};

// The image of the cursor line, shown next to its text over the text view: a
// child of the text view's viewport that never takes the focus or the mouse.
class CImgWindow final : public QFrame {
  Q_OBJECT

 public:
  explicit CImgWindow(QWidget* parent);
  // The line image at its displayed size.
  void setImage(const QImage& image);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace lexova::views
