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

namespace {

QString rowText(const DAdovoVodovoDez& doc, int i) {
  const bool edited = static_cast<std::size_t>(i) < doc.pageEntries.size() && doc.pageEntries[i].edited;
  return QStringLiteral("%1%2").arg(i + 1).arg(edited ? QStringLiteral(" *") : QString());
}

}  // namespace

void CPSelectView::markPage(const DAdovoVodovoDez& doc, int index) {
  if (QListWidgetItem* item = list_->item(index)) item->setText(rowText(doc, index));
}

void CPSelectView::showDocument(const DAdovoVodovoDez& doc) {
  list_->clear();
  for (int i = 0; i < doc.pageCount(); ++i) list_->addItem(rowText(doc, i));
  if (doc.currentPage >= 0 && doc.currentPage < list_->count()) list_->setCurrentRow(doc.currentPage);
}

}  // namespace lexova::views
