// The three panes of the main frame: the page list (CPSelectView), the page image
// view (CDrawView) and the text view (CImageView). The steps that draw text, take
// input and show page images fill them; until then each shows which document and
// page it stands for.
#pragma once

#include <QFrame>
#include <QImage>
#include <QScrollArea>

#include "document/lifecycle/document.h"
#include "layout/page_layout.h"

class QLabel;
class QListWidget;

namespace lexova::views {

class Pane : public QFrame {
  Q_OBJECT

 public:
  Pane(const QString& role, QWidget* parent);
  // Shows the document's title and its page counter.
  virtual void showDocument(const DAdovoVodovoDez& doc);

 protected:
  QLabel* label_;
  QString role_;
};

class CPSelectView final : public QFrame {
  Q_OBJECT

 public:
  explicit CPSelectView(QWidget* parent);
  // The pages, one row each, "*" beside the ones edited since the last save.
  void showDocument(const DAdovoVodovoDez& doc);
  QListWidget* list() const { return list_; }

 private:
  QListWidget* list_;
};

class CDrawView final : public Pane {
  Q_OBJECT

 public:
  explicit CDrawView(QWidget* parent) : Pane(QStringLiteral("画像"), parent) {}
};

// The text view: the current page's text laid out and painted (read-only until
// the input step). The page is painted once into an off-screen image at the
// screen's pixel ratio; scrolling and window painting only copy from it. A page
// too large for one image is painted a visible part at a time.
class CImageView final : public QScrollArea {
  Q_OBJECT

 public:
  explicit CImageView(QWidget* parent);
  ~CImageView() override;
  // Lays out and paints `page` (nullptr: nothing) with the view's settings.
  void showPage(const COcrPage* page, const layout::LayoutSettings& settings);
  // After an edit of one line (index in the geometry's lines, as before the
  // edit): only what that line covered and covers now is painted again.
  void redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line);
  const layout::PageGeometry& geometry() const;
  // The canvas' off-screen image (null when painted in parts or empty).
  const QImage& image() const;

 signals:
  // A message for the status bar ("" clears it).
  void status(const QString& text);

 private:
  class Canvas;
  Canvas* canvas_;
};

}  // namespace lexova::views
