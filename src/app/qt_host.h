// The host port in the editor: message boxes with the described captions, icons
// and buttons, the modal progress window, the wait cursor and the clipboard.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>

#include "host/host.h"

class QProgressDialog;
class QWidget;

namespace lexova::app {

inline QString qs(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::u16string u16(const QString& text) {
  return text.toStdU16String();
}

class QtHost final : public Host {
 public:
  QtHost();
  ~QtHost() override;
  // The window messages and the progress window belong to.
  void setWindow(QWidget* window) { window_ = window; }

  Answer message(std::u16string_view text, std::u16string_view caption, MessageIcon icon, Buttons buttons,
                 Answer defaultAnswer) override;
  void progressBegin(std::u16string_view text, int maximum) override;
  void progressText(std::u16string_view text) override;
  void progressValue(int value) override;
  bool progressCancelled() override;
  void progressEnd() override;
  void waitCursor(bool on) override;
  std::u16string clipboardText() override;
  void setClipboardText(std::u16string_view text) override;

 private:
  QPointer<QWidget> window_;
  std::unique_ptr<QProgressDialog> progress_;
  int waitDepth_ = 0;
};

}  // namespace lexova::app
