// The three panes of the main frame: the page list (CPSelectView), the page image
// view (CDrawView) and the text view (CImageView). The steps that draw text, take
// input and show page images fill them; until then each shows which document and
// page it stands for.
#pragma once

#include <QFrame>

#include "document/lifecycle/document.h"

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

class CImageView final : public Pane {
  Q_OBJECT

 public:
  explicit CImageView(QWidget* parent) : Pane(QStringLiteral("テキスト"), parent) {}
};

}  // namespace lexova::views
