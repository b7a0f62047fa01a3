// The page list (CPSelectView): one row per page with its edit mark and number,
// a model that fills at once for thousands of pages; the display scale box; the
// preview of the current page, made in memory from the shared page image, with
// the cursor line framed.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QWidget>
#include <optional>

#include "document/lifecycle/document.h"
#include "layout/page_layout.h"

class QComboBox;
class QTreeView;

namespace lexova::pageview {
class PageImage;
}

namespace lexova::views {

class PageListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit PageListModel(QObject* parent) : QAbstractTableModel(parent) {}
  // The document's pages: the rows are made again only when their count changed.
  void showDocument(const DAdovoVodovoDez* doc);
  void markPage(int index);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const DAdovoVodovoDez* doc_ = nullptr;
  int rows_ = 0;
  std::vector<int> numbers_;
};

class PreviewArea;

class CPSelectView final : public QWidget {
  Q_OBJECT

 public:
  explicit CPSelectView(QWidget* parent);
  void setPageImage(pageview::PageImage* image) { image_ = image; }
  // FillPageList: the rows, the current page's selected, the scale's entry.
  void showDocument(const DAdovoVodovoDez& doc, double scale);
  // One page's row again (its "*").
  void markPage(int index);
  // BuildPreview: the current page's preview from the page image (none when there
  // is no image or no width to show it in).
  void showPreview();
  // FramePreviewLine: the cursor line's box (page-image pixels), or none.
  void frameLine(const std::optional<layout::Rect>& box);

  QTreeView* list() const { return list_; }
  QComboBox* scaleBox() const { return scale_; }
  const QImage& preview() const;
  std::optional<layout::Rect> previewFrame() const;

 signals:
  // The person chose a page row, or a scale entry (0 for 10 % .. 9 for 100 %).
  void pageChosen(int index);
  void scaleChosen(int entry);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  PageListModel* model_;
  QTreeView* list_;
  QComboBox* scale_;
  PreviewArea* preview_;
  pageview::PageImage* image_ = nullptr;
  bool filling_ = false;
};

}  // namespace lexova::views
