#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <cmath>

#include "app/help_window.h"
#include "app/lock_keys.h"
#include "app/qt_host.h"
#include "app/settings_sheet.h"
#include "editing/cursor.h"
#include "pageview/image_geometry.h"
#include "shell/session.h"
#include "views/text_view.h"

namespace lexova::app {
namespace {

// The page list's width when none is stored.
constexpr int kDefaultListWidth = 140;

}  // namespace

CMainFrame::CMainFrame(FrameServices services) : s_(std::move(services)) {
  setObjectName(QStringLiteral("LXVEditClass"));
  setAcceptDrops(true);
  const settings::SettingsValues& v = s_.app.values.settings;
  textLayout_ = v.textLayout;
  imageMode_ = v.imageMode;
  panes_.placement = v.placement;
  panes_.previousPlacement = v.previousPlacement;
  panes_.stacked =
      v.placement == shell::kPlaceStacked || (v.placement == shell::kPlaceFull && v.previousPlacement == 1);

  // The page list | the right-hand area with the image view and the text view.
  outer_ = new QSplitter(Qt::Horizontal, this);
  outer_->setChildrenCollapsible(false);
  pageList_ = new views::CPSelectView(outer_);
  inner_ = new QSplitter(Qt::Horizontal, outer_);
  inner_->setChildrenCollapsible(false);
  imageView_ = new views::CDrawView(inner_);
  textView_ = new views::CImageView(inner_);
  target_ = std::make_unique<DocumentEditTarget>(s_.doc, s_.host, &s_.app.table);
  model_ = std::make_unique<textview::TextViewModel>(*target_, viewState_);
  textView_->setModel(model_.get(), [this] { return layoutSettings(); });
  // One decoded page image for the image view, the text view and the preview.
  textView_->setPageImage(&pageImage_);
  imageView_->setPageImage(&pageImage_);
  imageView_->setFocusTarget(textView_);
  pageList_->setPageImage(&pageImage_);
  connect(pageList_, &views::CPSelectView::pageChosen, this, &CMainFrame::choosePage);
  connect(pageList_, &views::CPSelectView::scaleChosen, this, [this](int entry) {
    runCommand(shell::kScaleFirst + entry);
    if (textView_->isVisible()) textView_->setFocus(Qt::OtherFocusReason);
  });
  connect(textView_, &views::CImageView::cursorMoved, this, &CMainFrame::followCursor);
  // The image view and the text view scroll together in layout display.
  for (QScrollBar* bar : {textView_->horizontalScrollBar(), textView_->verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] { syncScroll(true); });
  }
  connect(imageView_, &views::CDrawView::scrolled, this, [this] { syncScroll(false); });
  textView_->onRegisterChoice = [this](bool on) { s_.app.values.settings.registerReplacements = on ? 1 : 0; };
  connect(textView_, &views::CImageView::edited, this, &CMainFrame::textEdited);
  connect(textView_, &views::CImageView::status, this, [this](const QString& text) {
    if (text.isEmpty()) {
      statusBar()->clearMessage();
    } else {
      statusBar()->showMessage(text);
    }
  });
  inner_->addWidget(imageView_);
  inner_->addWidget(textView_);
  outer_->addWidget(pageList_);
  outer_->addWidget(inner_);
  // The list keeps its width when the window is resized.
  outer_->setStretchFactor(0, 0);
  outer_->setStretchFactor(1, 1);
  const int listWidth = shell::pageListWidth(s_.app.values.window.selViewWidth, kDefaultListWidth);
  outer_->setSizes({listWidth, std::max(1, s_.app.values.window.width - listWidth)});
  inner_->installEventFilter(this);
  setCentralWidget(outer_);

  buildCommands();
  buildMenus();
  // The lock keys, shown while they are on.
  for (const QString& text :
       {QStringLiteral("ｶﾅ"), QStringLiteral("CAP"), QStringLiteral("NUM"), QStringLiteral("SCRL")}) {
    auto* pane = new QLabel(this);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
    pane->setProperty("lockText", text);
    statusBar()->addPermanentWidget(pane);
    lockPanes_.push_back(pane);
  }
  auto* lockTimer = new QTimer(this);
  connect(lockTimer, &QTimer::timeout, this, &CMainFrame::updateLockPanes);
  lockTimer->start(400);
  pagePane_ = new QLabel(QStringLiteral("(0/0)"), this);
  pagePane_->setMinimumWidth(100);
  pagePane_->setAlignment(Qt::AlignCenter);
  statusBar()->addPermanentWidget(pagePane_);
  placeWindow();
  applyPanes();
  refresh();
}

CMainFrame::~CMainFrame() {
  // The views outlive the frame's members while the window closes: they let go
  // of the model first.
  textView_->setModel(nullptr, {});
}

QWidget* CMainFrame::textView() const {
  return textView_;
}
QWidget* CMainFrame::imageView() const {
  return imageView_;
}
QWidget* CMainFrame::pageList() const {
  return pageList_;
}
QString CMainFrame::pagePaneText() const {
  return pagePane_->text();
}

// ---- commands ------------------------------------------------------------------------------

namespace {

// The commands the text view carries out (and decides the enabling of).
bool viewCommand(int id) {
  switch (id) {
    case shell::kCopy:
    case shell::kPaste:
    case shell::kFind:
    case shell::kReplace:
    case shell::kNextReject:
    case shell::kPrevReject:
    case shell::kRubyEdit:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool CMainFrame::carriesOut(int id, const void* owner) {
  const auto* frame = static_cast<const CMainFrame*>(owner);
  if (viewCommand(id)) {
    const bool clip = id == shell::kPaste && !frame->s_.host.clipboardText().empty();
    return frame->model_->visible() && frame->model_->enabled(id, clip);
  }
  return true;
}

void CMainFrame::buildCommands() {
  for (const shell::CommandInfo& info : shell::commandTable()) {
    auto* a = new QAction(qs(info.label), this);
    QList<QKeySequence> keys;
    for (const QString& k : QString::fromLatin1(info.shortcuts.data(), static_cast<qsizetype>(info.shortcuts.size()))
                                .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      keys << QKeySequence::fromString(k, QKeySequence::PortableText);
    }
    a->setShortcuts(keys);
    // Accelerators work wherever the focus is in the window.
    a->setShortcutContext(Qt::WindowShortcut);
    a->setStatusTip(qs(info.statusText));
    if (!info.toolbarText.empty()) a->setIconText(qs(info.toolbarText));
    a->setCheckable(shell::commandState(info.id, {}).checkable);
    const int id = info.id;
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    actions_[id] = a;
  }
  actions_[shell::kFileOpen]->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  actions_[shell::kFileSave]->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  for (const int id : shell::acceleratorOnly()) addAction(actions_[id]);
}

void CMainFrame::buildMenus() {
  const auto fill = [this](QMenu* menu, const std::vector<int>& items) {
    for (const int id : items) {
      if (id == shell::kNone) {
        menu->addSeparator();
      } else if (id == shell::kRecentFilesItems) {
        fileMenu_ = menu;
      } else if (id < 0) {
        const shell::MenuSpec& sub = shell::submenus()[static_cast<std::size_t>(-id)];
        QMenu* m = menu->addMenu(qs(sub.title));
        for (const int subId : sub.items) m->addAction(actions_[subId]);
      } else {
        menu->addAction(actions_[id]);
        if (id == shell::kAppExit) exitAction_ = actions_[id];
      }
    }
  };
  for (const shell::MenuSpec& spec : shell::menuBar()) {
    QMenu* menu = menuBar()->addMenu(qs(spec.title));
    fill(menu, spec.items);
    // The enabling rules are evaluated before a menu is shown.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
      if (menu == fileMenu_) fillRecentFiles(menu);
      updateCommands();
    });
  }
  QToolBar* bar = addToolBar(QStringLiteral("ツールバー"));
  bar->setObjectName(QStringLiteral("toolbar128"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->setMovable(false);
  for (const int id : shell::toolbar()) {
    if (id == shell::kNone) {
      bar->addSeparator();
    } else {
      bar->addAction(actions_[id]);
    }
  }
}

void CMainFrame::fillRecentFiles(QMenu* menu) {
  for (QAction* a : recentActions_) {
    menu->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  const std::vector<std::u16string>& recent = s_.app.values.recentFiles;
  for (std::size_t i = 0; i < recent.size() && i <= shell::kRecentLast - shell::kRecentFirst; ++i) {
    auto* a = new QAction(qs(shell::recentFileLabel(static_cast<int>(i), recent[i])), menu);
    const int index = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, index] { openRecent(index); });
    menu->insertAction(exitAction_, a);
    recentActions_.push_back(a);
  }
  if (!recentActions_.empty()) {
    QAction* separator = new QAction(menu);
    separator->setSeparator(true);
    menu->insertAction(exitAction_, separator);
    recentActions_.push_back(separator);
  }
}

shell::CommandState CMainFrame::commandState(int id) const {
  shell::CommandContext c;
  const settings::SettingsValues& v = s_.app.values.settings;
  c.hasPaper = s_.doc.paper() != nullptr;
  c.editMode = editMode_;
  c.textLayout = textLayout_;
  c.imageMode = imageMode_;
  c.placement = panes_.placement;
  c.undoAvailable = s_.doc.undoStore.available();
  c.colourMode = v.textDisplayMode;
  c.displayScale = v.displayScale;
  c.showBlockNumbers = v.showBlockNumbers != 0;
  c.recentFiles = static_cast<int>(s_.app.values.recentFiles.size());
  c.available = &CMainFrame::carriesOut;
  c.owner = this;
  return shell::commandState(id, c);
}

QAction* CMainFrame::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::updateCommands() {
  for (auto& [id, a] : actions_) {
    const shell::CommandState st = commandState(id);
    a->setEnabled(st.enabled);
    if (a->isCheckable()) a->setChecked(st.checked);
  }
}

void CMainFrame::runCommand(int id) {
  if (!commandState(id).enabled) {
    updateCommands();
    return;
  }
  if (viewCommand(id)) {
    textView_->runCommand(id);
    updateCommands();
    return;
  }
  settings::SettingsValues& v = s_.app.values.settings;
  switch (id) {
    case shell::kFileNew:
      newDocument();
      break;
    case shell::kFileOpen:
      openCommand();
      break;
    case shell::kFileSave:
      saveCommand();
      break;
    case shell::kFileSaveAs:
      saveAsCommand();
      break;
    case shell::kFileReload:
      s_.doc.reload();
      break;
    case shell::kImageFolder:
      imageFolderCommand();
      break;
    case shell::kExportExternal:
      exportCommand();
      break;
    case shell::kAppExit:
      close();
      break;
    case shell::kUndo: {
      ViewPosition position;
      if (s_.doc.undo(position)) model_->restore(position);
      break;
    }
    case shell::kBlockEdit:
    case shell::kCharEdit:
      editMode_ = id == shell::kBlockEdit ? 1 : 3;
      editing::SetEditMode(model_->state(), *target_,
                           id == shell::kBlockEdit ? editing::EditMode::Block : editing::EditMode::Character);
      break;

    case shell::kHorizontalText:
    case shell::kVerticalText:
    case shell::kTextOnly:
    case shell::kLineImage:
    case shell::kImageParallel:
      chooseLayout(id);
      break;
    case shell::kSideBySide:
    case shell::kStacked:
    case shell::kFull:
      choosePlacement(id);
      break;
    case shell::kBlockNumbers:
      v.showBlockNumbers = v.showBlockNumbers ? 0 : 1;
      break;
    case shell::kReconstructPage:
      s_.doc.reconstructCurrentPage(ViewPosition{});
      break;
    case shell::kReconstructAll:
      s_.doc.reconstructAllPages();
      break;
    case shell::kHelpTopics:
      showHelp();
      break;
    case shell::kReadme:
      openReadme();
      break;
    case shell::kHomePage:
    case shell::kSupport:
    case shell::kFaq:
      openWebPage(id);
      break;
    case shell::kSettings:
      settingsCommand();
      break;
    case shell::kAbout:
      s_.host.message(std::u16string(kApplicationName) + u"\nバージョン " + u16(QStringLiteral(LEXOVA_VERSION)),
                      u"バージョン情報", MessageIcon::Information);
      break;
    default:
      if (id >= shell::kColourFirst && id <= shell::kColourLast) {
        v.textDisplayMode = id - shell::kColourFirst;
        s_.store.writeNow(s_.app.values, QStringLiteral("Settings/文字表示モード"));
      } else if (id >= shell::kScaleFirst && id <= shell::kScaleLast) {
        const int scale = (id - shell::kScaleFirst + 1) * 10;
        if (scale == v.displayScale) break;
        v.displayScale = scale;
        s_.store.writeNow(s_.app.values, QStringLiteral("Settings/表示縮尺"));
      }
      break;
  }
  refresh();
}

// ---- layout ----------------------------------------------------------------------------------

shell::Size CMainFrame::area() const {
  return {inner_->width(), inner_->height()};
}

shell::PaneMetrics CMainFrame::metrics() const {
  return {inner_->handleWidth(), 0};
}

void CMainFrame::chooseLayout(int id) {
  if (editMode_ == 1) return;
  int layout = 2;
  int mode = imageMode_;
  if (id == shell::kHorizontalText) {
    layout = 0;
  } else if (id == shell::kVerticalText) {
    layout = 1;
  } else {
    mode = id - shell::kTextOnly;
  }
  // The current combination chosen again changes nothing.
  if (layout == textLayout_ && (layout != 2 || mode == imageMode_)) return;
  textLayout_ = layout;
  imageMode_ = mode;
  if (textLayout_ == 2) shell::layOut(panes_, panes_.placement, area(), metrics());
  applyPanes();
}

void CMainFrame::choosePlacement(int id) {
  if (textLayout_ != 2) return;
  if (shell::choosePlacement(panes_, id - shell::kSideBySide, area(), metrics())) applyPanes();
}

void CMainFrame::applyPanes() {
  if (textLayout_ != 2) {
    // Horizontal or vertical text: the text view takes the whole area.
    imageView_->hide();
    textView_->show();
    return;
  }
  QWidget* first = panes_.first == shell::PaneView::Image ? static_cast<QWidget*>(imageView_) : textView_;
  QWidget* second = first == imageView_ ? static_cast<QWidget*>(textView_) : imageView_;
  inner_->setOrientation(panes_.stacked ? Qt::Vertical : Qt::Horizontal);
  inner_->insertWidget(0, first);
  inner_->insertWidget(1, second);
  first->show();
  second->setVisible(panes_.secondSize > 0 || panes_.placement != shell::kPlaceFull);
  if (panes_.firstSize > 0) inner_->setSizes({panes_.firstSize, panes_.secondSize});
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  // The area was resized (not while minimised): the panes are laid out again for
  // the current placement.
  if (watched == inner_ && event->type() == QEvent::Resize && !isMinimized() && textLayout_ == 2) {
    shell::layOut(panes_, panes_.placement, area(), metrics());
    applyPanes();
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- the window ------------------------------------------------------------------------------

void CMainFrame::placeWindow() {
  const settings::WindowValues& w = s_.app.values.window;
  std::vector<shell::Rect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  const shell::Rect r = shell::placeOnScreen({w.x, w.y, w.width, w.height}, screens);
  move(r.x, r.y);
  resize(r.width, r.height);
  normalRect_ = QRect(r.x, r.y, r.width, r.height);
}

void CMainFrame::rememberNormalRect() {
  // Only the restored window's rectangle is stored: a maximised or minimised one
  // would come back as a normal window of that size.
  if (isVisible() && (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) == 0) {
    normalRect_ = QRect(pos(), size());
  }
}

void CMainFrame::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  rememberNormalRect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  rememberNormalRect();
}

void CMainFrame::writeFrameSettings() {
  settings::SettingsValues& v = s_.app.values.settings;
  v.placement = panes_.placement;
  v.previousPlacement = panes_.previousPlacement;
  v.textLayout = textLayout_;
  v.imageMode = imageMode_;
  settings::WindowValues& w = s_.app.values.window;
  w.x = normalRect_.x();
  w.y = normalRect_.y();
  w.width = normalRect_.width();
  w.height = normalRect_.height();
  w.zoomed = isMaximized() ? 1 : 0;
  // Exactly what is read back at the next start: nothing is added.
  QRect panes;
  for (QWidget* view : {static_cast<QWidget*>(imageView_), static_cast<QWidget*>(textView_)}) {
    if (view->isVisible()) panes = panes.united(view->geometry());
  }
  w.imagePaneHeight = panes.isValid() ? panes.height() : w.imagePaneHeight;
  w.imagePaneWidth = panes.isValid() ? panes.width() : w.imagePaneWidth;
  w.selViewWidth = pageList_->width();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!shell::settleBeforeDiscard(s_.doc, false, saveUnderName())) {
    event->ignore();
    refresh();
    return;
  }
  writeFrameSettings();
  saveApplicationSettings(s_.store, s_.app, s_.host);
  if (help_) help_->close();
  event->accept();
}

layout::LayoutSettings CMainFrame::layoutSettings() const {
  std::vector<std::u16string> words;
  for (const RegisteredPair& pair : s_.app.table.registeredPairs) words.push_back(pair.first);
  layout::LayoutSettings ls = layout::layoutSettingsFor(s_.app.values, s_.app.fonts, std::move(words));
  ls.display = textLayout_;
  ls.imageMode = imageMode_;
  ls.editMode = editMode_;
  ls.screenDpi = static_cast<int>(std::lround(logicalDpiY()));
  ls.cursorLine = model_->emphasisedLine();
  ls.selectionShown = !model_->state().selection.empty();
  return ls;
}

void CMainFrame::showTextPage() {
  const settings::SettingsValues& v = s_.app.values.settings;
  target_->settings.rejectLevel = v.rejectLevel;
  target_->settings.registerReplacements = v.registerReplacements != 0;
  model_->setTextLayout(textLayout_);
  // Opened, reloaded, reconstructed or another page: the cursor starts again,
  // and in character editing the text view takes the focus.
  const bool opened = !model_->current();
  if (opened) model_->pageOpened();
  textView_->showPage(s_.doc.page(s_.doc.currentPage), layoutSettings());
  if (opened && editMode_ == 3 && s_.doc.paper() != nullptr && textView_->isVisible()) textView_->setFocus();
}

void CMainFrame::textEdited(bool pageChanged) {
  setWindowTitle(qs(shell::windowCaption(s_.doc)));
  pagePane_->setText(qs(shell::pagePaneText(s_.doc)));
  if (pageChanged) {
    pageList_->showDocument(s_.doc, layoutSettings().scale);
    // The text view laid the new page out before its image was read: line images
    // need it drawn again.
    if (showPageImage() && (textLayout_ != 2 || imageMode_ == 2)) textView_->refreshPage();
    reportMissingImage();
  } else {
    pageList_->markPage(s_.doc.currentPage);
  }
  updateCommands();
}

void CMainFrame::settingsCommand() {
  settings::SettingsValues& v = s_.app.values.settings;
  const settings::SettingsValues before = v;
  CSetting sheet(this, shell::draftOf(v, s_.app.fonts), s_.app.table, s_.host, s_.dialogs.sheetChoosers());
  // The values of 表示テキスト情報 are shown while the sheet is open.
  sheet.onLiveChange = [this](const settings::SettingsValues& live) {
    shell::applyLiveValues(live, s_.app.values.settings);
    refresh();
  };
  if (s_.dialogs.runSettings(sheet) != QDialog::Accepted) {
    // Cancel: what was shown live goes back.
    if (shell::liveValuesDiffer(before, v)) {
      shell::applyLiveValues(before, v);
      refresh();
    }
    return;
  }
  shell::applyDraft(sheet.draft(), v, s_.app.fonts);
  // A table read or written under another name is the table from now on.
  if (s_.app.table.registeredTableFile != settings::registeredTablePath(v, s_.app.userDataFolder)) {
    v.registeredTableName = s_.app.table.registeredTableFile;
  }
  DocumentOptions options = s_.doc.options();
  options.reconstruction = settings::reconstructionOptions(v);
  s_.doc.setOptions(options);
  // Written at once: a crash must not lose them.
  writeFrameSettings();
  s_.store.saveAtClose(s_.app.values);
  s_.store.sync();
  if (s_.app.table.registeredTableModified &&
      s_.app.table.SaveRegisteredTable(s_.app.table.registeredTableFile, s_.host) == 0) {
    s_.app.table.registeredTableModified = false;
  }
  refresh();
}

bool CMainFrame::showPageImage() {
  const COcrPage* page = s_.doc.paper() ? s_.doc.page(s_.doc.currentPage) : nullptr;
  const bool changed = pageImage_.show(page ? s_.doc.pageImagePath(s_.doc.currentPage) : std::u16string());
  imageView_->showPage(page, layoutSettings().scale, s_.doc.paper() != nullptr, textLayout_);
  if (changed) pageList_->showPreview();
  return changed;
}

void CMainFrame::reportMissingImage() {
  const COcrPage* page = s_.doc.paper() ? s_.doc.page(s_.doc.currentPage) : nullptr;
  if (!page || pageImage_.picture() != nullptr) {
    missingReported_ = -1;
    return;
  }
  // Said once per page in the status bar; painting never raises a dialog.
  if (missingReported_ == s_.doc.currentPage) return;
  missingReported_ = s_.doc.currentPage;
  statusBar()->showMessage(qs(pageview::missingImageText(page->fullpath)));
}

void CMainFrame::followCursor() {
  const editing::EditCursor& c = model_->state().cursor;
  layout::Rect box{-1, -1, 0, 0};
  std::optional<layout::Rect> line;
  if (c.set() && editMode_ == 3) {
    if (!c.atEnd()) box = pageview::charBox(*c.ch);
    line = layout::Rect{c.line->x, c.line->y, c.line->width, c.line->height};
  }
  imageView_->setHighlight(box);
  pageList_->frameLine(line);
}

void CMainFrame::syncScroll(bool fromText) {
  // Only in layout display, where both show the page at one scale; never from
  // inside another synchronisation.
  if (syncing_ || textLayout_ != 2 || !imageView_->isVisible() || !textView_->isVisible()) return;
  syncing_ = true;
  if (fromText) {
    imageView_->scrollTo(textView_->horizontalScrollBar()->value(), textView_->verticalScrollBar()->value());
  } else {
    const QPoint at = imageView_->scrollPosition();
    textView_->horizontalScrollBar()->setValue(at.x());
    textView_->verticalScrollBar()->setValue(at.y());
  }
  syncing_ = false;
}

void CMainFrame::choosePage(int index) {
  if (!s_.doc.paper() || index < 0 || index >= s_.doc.pageCount() || index == s_.doc.currentPage) return;
  s_.doc.currentPage = index;
  refresh();
  if (textView_->isVisible()) {
    textView_->activateWindow();
    textView_->setFocus(Qt::OtherFocusReason);
  }
}

void CMainFrame::updateLockPanes() {
  if (!isActiveWindow()) return;
  const LockKeys keys = currentLockKeys();
  const bool on[] = {keys.kana, keys.caps, keys.num, keys.scroll};
  for (std::size_t i = 0; i < lockPanes_.size(); ++i) {
    lockPanes_[i]->setText(on[i] ? lockPanes_[i]->property("lockText").toString() : QString());
  }
}

void CMainFrame::refresh() {
  setWindowTitle(qs(shell::windowCaption(s_.doc)));
  pagePane_->setText(qs(shell::pagePaneText(s_.doc)));
  pageList_->showDocument(s_.doc, layoutSettings().scale);
  showPageImage();
  showTextPage();
  reportMissingImage();
  updateCommands();
}

// ---- drops and other copies ------------------------------------------------------------------

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  QStringList names;
  for (const QUrl& url : event->mimeData()->urls()) names << (url.isLocalFile() ? url.toLocalFile() : url.toString());
  event->acceptProposedAction();
  // The drop source is not kept waiting while questions are asked.
  QMetaObject::invokeMethod(
      this, [this, names] { dropFiles(names); }, Qt::QueuedConnection);
}

void CMainFrame::openRequested(const QString& file) {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  if (!file.isEmpty()) dropFiles({file});
}

}  // namespace lexova::app
