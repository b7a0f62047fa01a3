#include "views/panes.h"

#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <memory>

#include "views/page_painter.h"

namespace lexova::views {
namespace {

QString qs(const std::u16string& s) {
  return QString::fromStdU16String(s);
}

}  // namespace

Pane::Pane(const QString& role, QWidget* parent) : QFrame(parent), role_(role) {
  setFrameShape(QFrame::StyledPanel);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  label_ = new QLabel(this);
  label_->setAlignment(Qt::AlignCenter);
  label_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  setMinimumSize(0, 0);
}

void Pane::showDocument(const DAdovoVodovoDez& doc) {
  if (doc.paper() == nullptr) {
    label_->setText(role_);
    return;
  }
  label_->setText(QStringLiteral("%1\n%2\n%3 / %4 ページ")
                      .arg(role_, qs(doc.title()))
                      .arg(doc.currentPage + 1)
                      .arg(doc.pageCount()));
}

CPSelectView::CPSelectView(QWidget* parent) : QFrame(parent) {
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
}

void CPSelectView::showDocument(const DAdovoVodovoDez& doc) {
  list_->clear();
  for (int i = 0; i < doc.pageCount(); ++i) {
    const bool edited = static_cast<std::size_t>(i) < doc.pageEntries.size() && doc.pageEntries[i].edited;
    list_->addItem(QStringLiteral("%1%2").arg(i + 1).arg(edited ? QStringLiteral(" *") : QString()));
  }
  if (doc.currentPage >= 0 && doc.currentPage < list_->count()) list_->setCurrentRow(doc.currentPage);
}

// ---- the text view ------------------------------------------------------------------------------

class CImageView::Canvas final : public QWidget {
 public:
  explicit Canvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
  }

  void show(const COcrPage* page, const layout::LayoutSettings& settings) {
    geometry_ = page ? layout::layoutPage(*page, settings) : layout::PageGeometry{};
    // The widget has the whole page's size; a widget cannot be larger than this.
    constexpr long long kWidgetMax = 16'000'000;
    resize(static_cast<int>(std::min(kWidgetMax, std::max<long long>(1, geometry_.fullWidth))),
           static_cast<int>(std::min(kWidgetMax, std::max<long long>(1, geometry_.fullHeight))));
    if (page && !geometry_.limited) {
      // The image is kept while its size stays: making a new one costs more than painting.
      const qreal ratio = devicePixelRatioF();
      const QSize size(static_cast<int>(geometry_.width * ratio), static_cast<int>(geometry_.height * ratio));
      if (image_.size() != size || image_.devicePixelRatio() != ratio) {
        image_ = QImage(size, QImage::Format_RGB32);
      }
      if (!image_.isNull()) {
        image_.setDevicePixelRatio(ratio);
        image_.fill(Qt::white);
        QPainter p(&image_);
        painter_.paint(p, geometry_);
      }
    } else {
      image_ = QImage();
    }
    update();
  }

  const layout::PageGeometry& geometry() const { return geometry_; }
  const QImage& image() const { return image_; }

  void redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line) {
    if (!page || image_.isNull()) {
      show(page, settings);
      return;
    }
    layout::Rect area = layout::lineBounds(geometry_, line);
    layout::PageGeometry next = layout::layoutPage(*page, settings);
    if (next.width != geometry_.width || next.height != geometry_.height) {
      show(page, settings);
      return;
    }
    geometry_ = std::move(next);
    area = layout::unite(area, layout::lineBounds(geometry_, line));
    const QRect r(static_cast<int>(area.x), static_cast<int>(area.y), static_cast<int>(area.width),
                  static_cast<int>(area.height));
    QPainter p(&image_);
    p.setClipRect(r);
    p.fillRect(r, Qt::white);
    painter_.paint(p, geometry_, &area);
    p.end();
    update(r);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    if (!image_.isNull()) {
      const qreal ratio = image_.devicePixelRatio();
      const QRect r = event->rect();
      p.drawImage(r, image_, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    } else if (geometry_.limited) {
      // Too large for one image: the visible part is painted from the draw list.
      p.setClipRect(event->rect());
      painter_.paint(p, geometry_);
    }
  }

 private:
  layout::PageGeometry geometry_;
  QImage image_;
  PagePainter painter_;
};

CImageView::CImageView(QWidget* parent) : QScrollArea(parent), canvas_(new Canvas(this)) {
  setWidget(canvas_);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Base);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setFocusPolicy(Qt::StrongFocus);
}

CImageView::~CImageView() = default;

void CImageView::showPage(const COcrPage* page, const layout::LayoutSettings& settings) {
  canvas_->show(page, settings);
  emit status(canvas_->geometry().limited ? QStringLiteral("ページが大きいため、表示されている部分だけを描いています。")
                                          : QString());
}

void CImageView::redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line) {
  canvas_->redrawLine(page, settings, line);
}

const layout::PageGeometry& CImageView::geometry() const {
  return canvas_->geometry();
}
const QImage& CImageView::image() const {
  return canvas_->image();
}

}  // namespace lexova::views
