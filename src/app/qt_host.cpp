#include "app/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QProgressDialog>

namespace lexova::app {
namespace {

QMessageBox::StandardButton standardButton(Answer a) {
  switch (a) {
    case Answer::Ok:
      return QMessageBox::Ok;
    case Answer::Cancel:
      return QMessageBox::Cancel;
    case Answer::Yes:
      return QMessageBox::Yes;
    case Answer::No:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

Answer QtHost::message(std::u16string_view text, std::u16string_view caption, MessageIcon icon, Buttons buttons,
                       Answer defaultAnswer) {
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
    case MessageIcon::None:
      break;
    case MessageIcon::Information:
      qicon = QMessageBox::Information;
      break;
    case MessageIcon::Warning:
      qicon = QMessageBox::Warning;
      break;
    case MessageIcon::Error:
      qicon = QMessageBox::Critical;
      break;
    case MessageIcon::Question:
      qicon = QMessageBox::Question;
      break;
  }
  QMessageBox::StandardButtons set = QMessageBox::Ok;
  switch (buttons) {
    case Buttons::Ok:
      set = QMessageBox::Ok;
      break;
    case Buttons::OkCancel:
      set = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case Buttons::YesNo:
      set = QMessageBox::Yes | QMessageBox::No;
      break;
    case Buttons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  // Messages written for the other platform end their lines with CR LF.
  QString body = qs(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(qicon, qs(caption), body, set, window_);
  box.setDefaultButton(standardButton(defaultAnswer));
  // A wait cursor of a running operation must not hide the question's buttons.
  const bool waiting = waitDepth_ > 0;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int chosen = box.exec();
  if (waiting) QApplication::restoreOverrideCursor();
  switch (chosen) {
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      // Escape or the close box: the button that changes nothing.
      if (buttons == Buttons::Ok) return Answer::Ok;
      return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
}

void QtHost::progressBegin(std::u16string_view text, int maximum) {
  progress_ = std::make_unique<QProgressDialog>(qs(text), QStringLiteral("キャンセル"), 0, maximum, window_);
  progress_->setWindowTitle(qs(kApplicationName));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setMinimumDuration(300);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
  progress_->setValue(0);
}

void QtHost::progressText(std::u16string_view text) {
  if (progress_) progress_->setLabelText(qs(text));
}

void QtHost::progressValue(int value) {
  if (progress_) progress_->setValue(value);
}

bool QtHost::progressCancelled() {
  if (!progress_) return false;
  QApplication::processEvents();
  return progress_->wasCanceled();
}

void QtHost::progressEnd() {
  progress_.reset();
}

void QtHost::waitCursor(bool on) {
  if (on) {
    if (waitDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (waitDepth_ > 0 && --waitDepth_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

std::u16string QtHost::clipboardText() {
  return u16(QApplication::clipboard()->text());
}

void QtHost::setClipboardText(std::u16string_view text) {
  QApplication::clipboard()->setText(qs(text));
}

}  // namespace lexova::app
