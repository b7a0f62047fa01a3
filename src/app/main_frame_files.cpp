// The main frame's file, help and web commands: each asks its dialog, then calls
// the document or the shared flows; the rules live there.
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/qt_host.h"
#include "document/lifecycle/file_checks.h"
#include "document/lifecycle/page_images.h"
#include "export/dispatcher.h"
#include "export/export_rules.h"
#include "platform/folders.h"
#include "shell/session.h"
#include "text/utf.h"
#include "views/text_view.h"

namespace lexova::app {
namespace {

// The addresses behind the web commands.
QUrl webPage(int id) {
  switch (id) {
    case shell::kHomePage:
      return QUrl(QStringLiteral("https://lexova.example/"));
    case shell::kSupport:
      return QUrl(QStringLiteral("https://lexova.example/support/"));
    default:
      return QUrl(QStringLiteral("https://lexova.example/faq/"));
  }
}

}  // namespace

shell::SaveUnderName CMainFrame::saveUnderName() {
  return [this] { return saveAsCommand(); };
}

void CMainFrame::openCommand() {
  QString folder = qs(s_.app.values.settings.xmlFolder);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::currentPath();
  const auto choice = s_.dialogs.askOpen(this, folder, openAppends_);
  if (!choice) return;
  openAppends_ = choice->append;
  const int maxRecent = settings::clampMaxMru(s_.app.values.settings.nMaxMRU);
  const shell::OpenOutcome outcome = shell::openWorkFile(s_.doc, u16(choice->path), choice->append, false,
                                                         saveUnderName(), s_.app.values.recentFiles, maxRecent);
  if (outcome == shell::OpenOutcome::Cancelled) return;
  // The folder of the chosen file is where the next open dialog starts.
  s_.app.values.settings.xmlFolder = u16(QFileInfo(choice->path).absolutePath());
  s_.store.writeNow(s_.app.values, QStringLiteral("Settings/XmlFolder"));
  textView_->setFocus();
}

bool CMainFrame::saveCommand() {
  switch (s_.doc.save()) {
    case DAdovoVodovoDez::SaveResult::Saved:
      return true;
    case DAdovoVodovoDez::SaveResult::NeedsName:
      return saveAsCommand();
    case DAdovoVodovoDez::SaveResult::Failed:
      return false;
  }
  return false;
}

bool CMainFrame::saveAsCommand() {
  if (s_.doc.paper() == nullptr) return false;
  // The entries of the dialog's types follow interchange::Format from WorkFile on.
  const int own =
      std::max(0, static_cast<int>(s_.doc.sourceFormat()) - static_cast<int>(interchange::Format::WorkFile));
  const auto choice = s_.dialogs.askSaveAs(this, s_.doc.pageCount(), own);
  if (!choice) return false;
  const PageIndexes pages = pageIndexesFor(choice->range, s_.doc.pageCount(), s_.doc.currentPage);
  const auto format = static_cast<interchange::Format>(static_cast<int>(interchange::Format::WorkFile) +
                                                       std::clamp(choice->fileType, 0, 3));
  const bool saved = s_.doc.saveAs(u16(choice->path), pages.first, pages.last, format);
  refresh();
  return saved;
}

void CMainFrame::exportCommand() {
  if (s_.doc.paper() == nullptr) return;
  settings::SettingsValues& v = s_.app.values.settings;
  const auto choice = s_.dialogs.askExport(this, s_.doc.pageCount(), exporting::preselectedFileType(v.externalFileType),
                                           exportRangeMode_);
  if (!choice) return;
  const PageIndexes pages = pageIndexesFor(choice->range, s_.doc.pageCount(), s_.doc.currentPage);
  const int code = exporting::exportTypeFor(u16(choice->path), choice->fileType);
  exporting::ExportOptions options = exporting::exportOptionsFor(v);
  const DAdovoVodovoDez& doc = s_.doc;
  options.pdf.pageImages = [&doc](const COcrPage& page) {
    return text::toUtf8(resolvePageImage(page, doc.imageFolder, doc.path()));
  };
  exporting::ExportDocument(*s_.doc.paper(), u16(choice->path), code, pages.first, pages.last, s_.host, options);
  v.externalFileType = code;
  exportRangeMode_ = choice->range.mode;
}

void CMainFrame::imageFolderCommand() {
  if (s_.doc.paper() == nullptr) return;
  const auto choice = s_.dialogs.askImageFolder(this, qs(imageFolderOfFirstPage(*s_.doc.paper())), imageFolderAfter_);
  if (!choice) return;
  imageFolderAfter_ = choice->after;
  if (choice->before.isEmpty() || choice->after.isEmpty()) return;
  s_.doc.changeImageFolder(u16(choice->before), u16(choice->after));
}

void CMainFrame::openRecent(int index) {
  std::vector<std::u16string>& recent = s_.app.values.recentFiles;
  if (index < 0 || index >= static_cast<int>(recent.size())) return;
  const std::u16string path = recent[static_cast<std::size_t>(index)];
  const int maxRecent = settings::clampMaxMru(s_.app.values.settings.nMaxMRU);
  const shell::OpenOutcome outcome = shell::openWorkFile(s_.doc, path, false, true, saveUnderName(), recent, maxRecent);
  // A file that is gone leaves the list.
  if (outcome == shell::OpenOutcome::Failed && !QFileInfo(qs(path)).isFile()) {
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  }
  refresh();
}

void CMainFrame::dropFiles(const QStringList& names) {
  std::vector<std::u16string> list;
  for (const QString& n : names) list.push_back(u16(n));
  // Another engine's result is taken whatever its name: its content says what it is.
  const DropDecision d = checkDroppedFiles(
      list, [](const std::u16string& p) { return QFileInfo(qs(p)).isDir(); },
      [](const std::u16string& p) {
        return QFileInfo(qs(p)).isFile() && formatOfFile(p) != interchange::Format::WorkFile;
      });
  if (!d.message.empty()) {
    s_.host.message(d.message, kApplicationName, MessageIcon::Warning);
    return;
  }
  openFileAsDropped(qs(d.path));
}

void CMainFrame::openFileAsDropped(const QString& path) {
  const int maxRecent = settings::clampMaxMru(s_.app.values.settings.nMaxMRU);
  shell::openWorkFile(s_.doc, u16(QFileInfo(path).absoluteFilePath()), false, true, saveUnderName(),
                      s_.app.values.recentFiles, maxRecent);
  refresh();
  textView_->setFocus();
}

void CMainFrame::startSession(const QString& commandLineFile) {
  const int maxRecent = settings::clampMaxMru(s_.app.values.settings.nMaxMRU);
  const QString path = commandLineFile.isEmpty() ? QString() : QFileInfo(commandLineFile).absoluteFilePath();
  shell::startSession(s_.doc, u16(path), saveUnderName(), s_.app.values.recentFiles, maxRecent, [this] { refresh(); });
  refresh();
}

void CMainFrame::newDocument() {
  if (!shell::settleBeforeDiscard(s_.doc, false, saveUnderName())) return;
  s_.doc.newDocument();
}

void CMainFrame::showHelp() {
  const std::u16string file = platform::programDataFile(u"help/index.html");
  if (file.empty()) {
    s_.host.message(u"ヘルプファイルが見つかりません。", kApplicationName, MessageIcon::Error);
    return;
  }
  if (!help_) help_ = new HelpWindow(this, qs(file));
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void CMainFrame::openReadme() {
  const std::u16string file = platform::programDataFile(u"readme.htm");
  if (file.empty() || !s_.openUrl(QUrl::fromLocalFile(qs(file)))) {
    s_.host.message(u"readme.htm が見つかりません。", kApplicationName, MessageIcon::Error);
  }
}

void CMainFrame::openWebPage(int id) {
  if (!s_.openUrl(webPage(id))) {
    s_.host.message(u"Webページが開けませんでした。\nWebブラウザがインストールされているか確認してください。",
                    kApplicationName, MessageIcon::Error);
  }
}

}  // namespace lexova::app
