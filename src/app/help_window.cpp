#include "app/help_window.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lexova::app {

HelpWindow::HelpWindow(QWidget* parent, const QString& file) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Lexova PRO 訂正プログラム ヘルプ"));
  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  browser_->setSource(QUrl::fromLocalFile(file));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(640, 720);
}

}  // namespace lexova::app
