// The help window: the Japanese help page shipped with the program.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace lexova::app {

class HelpWindow final : public QDialog {
  Q_OBJECT

 public:
  // file: the help page (HTML); its links to other local pages are followed.
  HelpWindow(QWidget* parent, const QString& file);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace lexova::app
