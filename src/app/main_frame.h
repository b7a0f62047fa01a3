// CMainFrame: the single main window. Menu bar, toolbar and accelerators built
// from the command table, the status bar with its page pane, the page list beside
// an area where the text and image views sit side by side, stacked or one of them
// full, the layout and edit-mode commands, the file commands on the document, and
// the settings written when the window closes.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>

#include "app/dialogs.h"
#include "app/settings/app_settings.h"
#include "document/lifecycle/document.h"
#include "document/lifecycle/document_edit.h"
#include "layout/page_layout.h"
#include "pageview/page_image.h"
#include "shell/commands.h"
#include "shell/frame_layout.h"
#include "shell/session.h"
#include "textview/text_view_model.h"

class QLabel;
class QMenu;
class QSplitter;

namespace lexova::views {
class CPSelectView;
class CDrawView;
class CImageView;
}  // namespace lexova::views

namespace lexova::app {

class HelpWindow;

struct FrameServices {
  Host& host;
  SettingsStore& store;
  ApplicationSettings& app;
  DAdovoVodovoDez& doc;
  FrameDialogs& dialogs;
  // The desktop's default handler for a file or web address (the readme, the web pages).
  std::function<bool(const QUrl&)> openUrl;
};

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(FrameServices services);
  ~CMainFrame() override;

  // What a menu item, toolbar button or accelerator of the command does.
  void runCommand(int id);
  shell::CommandState commandState(int id) const;
  QAction* action(int id) const;

  // Start-up after the window is shown: recovery first, then the command-line file.
  void startSession(const QString& commandLineFile);
  // Another copy was started with `file` (empty: none): the window comes to the
  // front and the file is opened as a dropped one.
  void openRequested(const QString& file);
  // Files dropped on the window.
  void dropFiles(const QStringList& names);

  int editMode() const { return editMode_; }
  int textLayout() const { return textLayout_; }
  int imageMode() const { return imageMode_; }
  const shell::FramePanes& panes() const { return panes_; }
  QWidget* textView() const;
  QWidget* imageView() const;
  QWidget* pageList() const;
  QSplitter* viewArea() const { return inner_; }
  QString pagePaneText() const;

  // Shows the document as it is now: caption, panes, page pane, commands.
  void refresh();
  // The text view's model (cursor, selection, dialogs' state).
  textview::TextViewModel& textModel() { return *model_; }
  // The current page's decoded image, shared by the views.
  const pageview::PageImage& pageImage() const { return pageImage_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildCommands();
  void buildMenus();
  void fillRecentFiles(QMenu* menu);
  void updateCommands();
  void placeWindow();
  void rememberNormalRect();
  void writeFrameSettings();
  void updateLockPanes();
  layout::LayoutSettings layoutSettings() const;
  void showTextPage();
  // After the text view changed the document: marks, caption, page pane, commands.
  void textEdited(bool pageChanged);
  // The current page's image read (when it is another file) and shown in the
  // image view and the preview; whether the picture changed.
  bool showPageImage();
  // The status bar says once per page that its image is missing.
  void reportMissingImage();
  // The image view's frame and the preview's line frame at the cursor.
  void followCursor();
  void syncScroll(bool fromText);
  // A row of the page list was chosen.
  void choosePage(int index);
  // "環境設定(&K)...": the sheet over a draft; OK applies and stores it.
  void settingsCommand();
  static bool carriesOut(int id, const void* owner);

  // layout
  void chooseLayout(int id);
  void choosePlacement(int id);
  void applyPanes();
  shell::Size area() const;
  shell::PaneMetrics metrics() const;

  // file commands
  bool fileAvailable(int id) const;
  void openCommand();
  bool saveCommand();
  bool saveAsCommand();
  void exportCommand();
  void imageFolderCommand();
  void openRecent(int index);
  void openFileAsDropped(const QString& path);
  void newDocument();
  shell::SaveUnderName saveUnderName();
  void showHelp();
  void openReadme();
  void openWebPage(int id);

  FrameServices s_;
  std::map<int, QAction*> actions_;
  QMenu* fileMenu_ = nullptr;
  std::vector<QAction*> recentActions_;
  QAction* exitAction_ = nullptr;
  QLabel* pagePane_ = nullptr;
  std::vector<QLabel*> lockPanes_;  // ｶﾅ, CAP, NUM, SCRL
  QSplitter* outer_ = nullptr;
  QSplitter* inner_ = nullptr;
  views::CPSelectView* pageList_ = nullptr;
  views::CDrawView* imageView_ = nullptr;
  views::CImageView* textView_ = nullptr;
  HelpWindow* help_ = nullptr;
  std::unique_ptr<DocumentEditTarget> target_;
  textview::ViewState viewState_;
  std::unique_ptr<textview::TextViewModel> model_;
  pageview::PageImage pageImage_;
  int missingReported_ = -1;
  bool syncing_ = false;

  int editMode_ = 3;
  int textLayout_ = 2;
  int imageMode_ = 0;
  shell::FramePanes panes_;
  QRect normalRect_;
  // Remembered while the program runs.
  bool openAppends_ = false;
  RangeMode exportRangeMode_ = RangeMode::AllPages;
  QString imageFolderAfter_;
};

}  // namespace lexova::app
