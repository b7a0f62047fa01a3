#include "views/page_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>

#include "pageview/image_geometry.h"
#include "pageview/page_image.h"
#include "views/picture.h"

namespace lexova::views {

void PageListModel::showDocument(const DAdovoVodovoDez* doc) {
  const int rows = doc && doc->paper() ? doc->pageCount() : 0;
  // The pages are a list: their numbers are taken once here, not per row shown.
  numbers_.clear();
  if (rows > 0) {
    numbers_.reserve(static_cast<std::size_t>(rows));
    for (const COcrPage& page : doc->paper()->pages) numbers_.push_back(page.number);
  }
  if (doc != doc_ || rows != rows_) {
    beginResetModel();
    doc_ = doc;
    rows_ = rows;
    endResetModel();
  } else if (rows_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, 1));
  }
}

void PageListModel::markPage(int row) {
  if (row >= 0 && row < rows_) emit dataChanged(index(row, 0), index(row, 0));
}

int PageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int PageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant PageListModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  if (!doc_ || row < 0 || row >= rows_) return {};
  if (role == Qt::DisplayRole) {
    if (index.column() == 0) {
      const bool edited = static_cast<std::size_t>(row) < doc_->pageEntries.size() && doc_->pageEntries[row].edited;
      return edited ? QStringLiteral("*") : QString();
    }
    return static_cast<std::size_t>(row) < numbers_.size() ? QString::number(numbers_[static_cast<std::size_t>(row)])
                                                           : QString();
  }
  if (role == Qt::TextAlignmentRole && index.column() == 0) return int(Qt::AlignCenter);
  if (role == Qt::UserRole) return row;
  return {};
}

QVariant PageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? QStringLiteral("修") : QStringLiteral("ページ");
}

// The preview control: white, the preview at its own size, the line frame over it.
class PreviewArea final : public QWidget {
 public:
  explicit PreviewArea(QWidget* parent) : QWidget(parent) { setMinimumHeight(0); }

  void set(QImage image, double scale) {
    image_ = std::move(image);
    scale_ = scale;
    frame_.reset();
    setFixedHeight(image_.isNull() ? 0 : image_.height());
    update();
  }
  void frame(const std::optional<layout::Rect>& box) {
    frame_.reset();
    if (box && !image_.isNull()) frame_ = pageview::previewFrame(*box, scale_);
    update();
  }
  const QImage& image() const { return image_; }
  const std::optional<layout::Rect>& frameRect() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (image_.isNull()) return;
    p.drawImage(QPoint(0, 0), image_);
    if (frame_) {
      QPen pen(QColor(0, 127, 127));
      pen.setWidth(2);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRect(static_cast<int>(frame_->x), static_cast<int>(frame_->y), static_cast<int>(frame_->width),
                       static_cast<int>(frame_->height)));
    }
  }

 private:
  QImage image_;
  double scale_ = 0;
  std::optional<layout::Rect> frame_;
};

CPSelectView::CPSelectView(QWidget* parent) : QWidget(parent) {
  scale_ = new QComboBox(this);
  for (int entry = 0; entry < 10; ++entry) scale_->addItem(QString::fromStdU16String(pageview::scaleEntryText(entry)));
  model_ = new PageListModel(this);
  list_ = new QTreeView(this);
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);  // thousands of rows without measuring each
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setAllColumnsShowFocus(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->header()->setStretchLastSection(false);
  list_->header()->resizeSection(0, 25);
  list_->header()->resizeSection(1, 60);
  preview_ = new PreviewArea(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(scale_);
  layout->addWidget(list_, 1);
  layout->addWidget(preview_);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (!filling_ && current.isValid()) emit pageChosen(current.row());
  });
  connect(scale_, &QComboBox::activated, this, [this](int entry) { emit scaleChosen(entry); });
}

void CPSelectView::showDocument(const DAdovoVodovoDez& doc, double scale) {
  filling_ = true;
  model_->showDocument(&doc);
  scale_->setCurrentIndex(pageview::scaleEntry(scale));
  if (doc.paper() && doc.currentPage >= 0 && doc.currentPage < model_->rowCount()) {
    const QModelIndex row = model_->index(doc.currentPage, 1);
    if (list_->currentIndex().row() != doc.currentPage) {
      list_->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    list_->scrollTo(row);
  }
  filling_ = false;
}

void CPSelectView::markPage(int index) {
  model_->markPage(index);
}

void CPSelectView::showPreview() {
  double scale = 0;
  const imaging::CPICT_INFO* picture = image_ ? image_->preview(preview_->width(), &scale) : nullptr;
  preview_->set(picture ? toQImage(*picture) : QImage(), scale);
}

void CPSelectView::frameLine(const std::optional<layout::Rect>& box) {
  preview_->frame(box);
}

const QImage& CPSelectView::preview() const {
  return preview_->image();
}

std::optional<layout::Rect> CPSelectView::previewFrame() const {
  return preview_->frameRect();
}

void CPSelectView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A new width makes a new preview (none while the list has no width).
  if (preview_->image().width() != preview_->width()) showPreview();
}

}  // namespace lexova::views
