// The main window as a person meets it, on the offscreen platform: the layout
// commands and their keys, drops, the export and save-as dialogs' rules, closing
// with unsaved work, the help commands' failures, and settings that survive
// restarts unchanged.
#include "app/main_frame.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <deque>

#include "app/dialogs.h"
#include "app/qt_host.h"
#include "app/settings/app_settings.h"
#include "app/settings_sheet.h"
#include "editing/cursor.h"
#include "host/scripted_host.h"
#include "interchange/interchange.h"
#include "platform/clock.h"
#include "settings/values.h"
#include "shell/commands.h"
#include "support/page_builder.h"
#include "views/text_view.h"

using namespace lexova;
using namespace lexova::app;

namespace {

class ScriptedDialogs final : public FrameDialogs {
 public:
  // The choices of the next dialogs; an empty queue cancels.
  std::deque<OpenChoice> opens;
  std::deque<SaveChoice> saves;
  int exportFileType = -1;  // the type the export dialog was opened with
  std::optional<OpenChoice> askOpen(QWidget*, const QString&, bool) override { return take(opens); }
  std::optional<SaveChoice> askSaveAs(QWidget*, int, int) override { return take(saves); }
  std::optional<SaveChoice> askExport(QWidget*, int, int fileType, RangeMode) override {
    exportFileType = fileType;
    return take(saves);
  }
  std::optional<FolderChoice> askImageFolder(QWidget*, const QString&, const QString&) override { return std::nullopt; }
  // The settings sheet: the script plays the person; the colour chooser answers
  // from a queue.
  std::function<int(CSetting&)> settingsScript;
  std::deque<settings::Colour> colours;
  int runSettings(QDialog& sheet) override {
    auto* s = qobject_cast<CSetting*>(&sheet);
    return s && settingsScript ? settingsScript(*s) : QDialog::Rejected;
  }
  SheetChoosers sheetChoosers() override {
    SheetChoosers c;
    c.colour = [this](settings::Colour, QWidget*) -> std::optional<settings::Colour> { return take(colours); };
    return c;
  }

 private:
  template <typename T>
  static std::optional<T> take(std::deque<T>& q) {
    if (q.empty()) return std::nullopt;
    std::optional<T> v(std::move(q.front()));
    q.pop_front();
    return v;
  }
};

// One editor session over a private settings file, as the application object
// makes it.
struct Session {
  explicit Session(const QString& ini, const QString& dataFolder)
      : store(ini), app(*loadApplicationSettings(store, host)), doc(host, clock, origin, options(dataFolder)) {
    settings::settleDisplayValues(app.values.settings);
    frame = std::make_unique<CMainFrame>(FrameServices{host, store, app, doc, dialogs, [this](const QUrl& url) {
                                                         opened << url;
                                                         return false;
                                                       }});
  }
  static DocumentOptions options(const QString& dataFolder) {
    DocumentOptions o;
    o.backupFile = backupFileIn(u16(dataFolder));
    return o;
  }
  ScriptedHost host;
  SettingsStore store;
  ApplicationSettings app;
  ManualClock clock;
  MemoryBackupOrigin origin;
  DAdovoVodovoDez doc;
  ScriptedDialogs dialogs;
  QList<QUrl> opened;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString ini() const { return dir_.filePath("settings.ini"); }
  QString sample() const { return dir_.filePath("rashomon.xml"); }
  std::unique_ptr<Session> start() {
    auto s = std::make_unique<Session>(ini(), dir_.path());
    s->frame->show();
    s->frame->resize(1000, 700);
    QCoreApplication::processEvents();
    return s;
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_DATA_HOME", dir_.filePath("data").toUtf8());
    QVERIFY(QFile::copy(LEXOVA_SOURCE_DIR "/samples/rashomon.xml", sample()));
  }
  void init() { QFile::remove(ini()); }

  void placementTwiceSwapsAndLayoutKeysFollowTheEditMode() {
    auto s = start();
    CMainFrame& f = *s->frame;
    QSplitter* area = f.viewArea();
    QCOMPARE(area->widget(0), f.imageView());
    QCOMPARE(area->orientation(), Qt::Horizontal);
    QTest::keyClick(&f, Qt::Key_Y, Qt::ControlModifier);  // 横並び again: the views swap
    QCOMPARE(area->widget(0), f.textView());
    QTest::keyClick(&f, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(area->widget(0), f.imageView());
    QTest::keyClick(&f, Qt::Key_T, Qt::ControlModifier);  // 縦並び
    QCOMPARE(area->orientation(), Qt::Vertical);
    QVERIFY(qAbs(f.imageView()->height() - f.textView()->height()) <= 1);
    QTest::keyClick(&f, Qt::Key_W, Qt::ControlModifier);  // 全面: the image view alone
    QVERIFY(f.imageView()->isVisible());
    QVERIFY(!f.textView()->isVisible());
    QTest::keyClick(&f, Qt::Key_W, Qt::ControlModifier);  // again: the text view alone
    QVERIFY(!f.imageView()->isVisible());
    QVERIFY(f.textView()->isVisible());
    QCOMPARE(f.panes().previousPlacement, 1);

    // Alt+S is the one-line image, not a menu.
    QTest::keyClick(&f, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(f.imageMode(), 1);
    // Block editing: the five layout commands are disabled and their keys do nothing.
    s->doc.open(u16(sample()), false);
    f.runCommand(shell::kBlockEdit);
    for (const int id :
         {shell::kHorizontalText, shell::kVerticalText, shell::kTextOnly, shell::kLineImage, shell::kImageParallel}) {
      QVERIFY(!f.action(id)->isEnabled());
    }
    QTest::keyClick(&f, Qt::Key_M, Qt::AltModifier);
    QTest::keyClick(&f, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(f.imageMode(), 1);
    QCOMPARE(f.textLayout(), 2);
    f.runCommand(shell::kCharEdit);
    // Horizontal text: the text view takes the area and the placement keys do nothing.
    QTest::keyClick(&f, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(f.textLayout(), 0);
    QVERIFY(!f.imageView()->isVisible());
    const int placement = f.panes().placement;
    QTest::keyClick(&f, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.panes().placement, placement);
    QTest::keyClick(&f, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(f.textLayout(), 2);
    QCOMPARE(f.imageMode(), 0);
    QVERIFY(f.imageView()->isVisible() || f.textView()->isVisible());
  }

  void narrowWindowKeepsItsLayout() {
    auto s = start();
    CMainFrame& f = *s->frame;
    f.runCommand(shell::kStacked);
    QCOMPARE(f.panes().placement, 1);
    // An area of 20 pixels: half of it is below 10, so side by side is refused.
    f.viewArea()->resize(20, 400);
    f.runCommand(shell::kSideBySide);
    QCOMPARE(f.panes().placement, 1);
    QCOMPARE(f.viewArea()->orientation(), Qt::Vertical);
  }

  void dropsOpenOneWorkFileAndExplainTheRest() {
    auto s = start();
    CMainFrame& f = *s->frame;
    f.dropFiles({sample(), sample()});
    f.dropFiles({dir_.path()});
    QFile::copy(sample(), dir_.filePath("copy.xml.bak"));
    f.dropFiles({dir_.filePath("copy.xml.bak")});
    QCOMPARE(s->host.messages.size(), size_t{3});
    QVERIFY(s->host.messages[0].text.starts_with(u"複数のファイルがドラッグ/ドロップされました！"));
    QVERIFY(s->host.messages[1].text.starts_with(u"フォルダがドラッグ/ドロップされました！"));
    QVERIFY(s->host.messages[2].text.starts_with(u"拡張子が違うファイル"));
    QCOMPARE(s->doc.paper(), nullptr);
    QCOMPARE(f.pagePaneText(), QStringLiteral("(0/0)"));

    QFile::copy(sample(), dir_.filePath("UPPER.XML"));
    f.dropFiles({dir_.filePath("UPPER.XML")});
    QCOMPARE(s->doc.pageCount(), 6);
    QCOMPARE(f.windowTitle(), QStringLiteral("Lexova PRO 訂正プログラム UPPER.XML"));
    QVERIFY(f.pagePaneText().endsWith(QStringLiteral(" /    6")));
    QCOMPARE(qs(s->app.values.recentFiles.front()), dir_.filePath("UPPER.XML"));
  }

  void theTextViewEditsByKeysClicksAndTheInputMethod() {
    auto s = start();
    CMainFrame& f = *s->frame;
    f.dropFiles({sample()});
    QCOMPARE(s->doc.pageCount(), 6);
    auto* view = qobject_cast<views::CImageView*>(f.textView());
    QVERIFY(view);
    // Without a selection copy is disabled; paste follows the clipboard.
    QVERIFY(!f.commandState(shell::kCopy).enabled);
    QVERIFY(f.commandState(shell::kFind).enabled);
    // A click on a character puts the caret before it.
    const layout::PageGeometry& g = view->geometry();
    const layout::LineGeometry* line = nullptr;
    for (const layout::LineGeometry& l : g.lines) {
      if (!l.annotation && l.chars.size() > 4) {
        line = &l;
        break;
      }
    }
    QVERIFY(line);
    // The geometry is made again after edits: what the test needs of it is taken now.
    const COcrLine* edited = line->line;
    const bool vertical = line->vertical;
    const layout::Rect cell = layout::charCell(g, *line, line->chars[2]);
    const QPoint point(static_cast<int>(cell.x + cell.width / 2), static_cast<int>(cell.y + cell.height / 2));
    view->ensureVisible(point.x(), point.y());
    QTest::mouseClick(view->canvas(), Qt::LeftButton, {}, point);
    QVERIFY(view->hasFocus());
    QCOMPARE(&*f.textModel().state().cursor.line, edited);
    const std::u16string before = lexova::testing::lineText(*edited);
    // Typed keys go in before the caret; Esc and a Ctrl shortcut never do.
    QTest::keyClicks(view, QStringLiteral("ab"));
    QTest::keyClick(view, Qt::Key_Escape);
    {
      // Ctrl+[ as the window system gives it: the text is Esc.
      QKeyEvent press(QEvent::KeyPress, Qt::Key_BracketLeft, Qt::ControlModifier, QStringLiteral("\x1b"));
      QCoreApplication::sendEvent(view, &press);
    }
    QCOMPARE(lexova::testing::lineText(*edited), before.substr(0, 2) + u"ab" + before.substr(2));
    QVERIFY(f.windowTitle().contains(QLatin1Char('*')) || s->doc.documentModified);
    // The menu key: the context menu of the character at the caret (after "b").
    QStringList menuTexts;
    QTimer::singleShot(0, [&menuTexts] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        for (QAction* a : popup->actions()) menuTexts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        popup->close();
      }
    });
    {
      QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), view->mapToGlobal(QPoint(0, 0)));
      QCoreApplication::sendEvent(view, &menuKey);
    }
    QVERIFY(menuTexts.contains(QStringLiteral("置換(&R)...")));
    // Backspace takes the b back.
    QTest::keyClick(view, Qt::Key_Backspace);
    // Shift and the arrow against the writing direction selects the a, which copy takes.
    QTest::keyClick(view, vertical ? Qt::Key_Up : Qt::Key_Left, Qt::ShiftModifier);
    QVERIFY(f.commandState(shell::kCopy).enabled);
    f.runCommand(shell::kCopy);
    QCOMPARE(s->host.clipboardText(), u"a");
    QTest::keyClick(view, vertical ? Qt::Key_Down : Qt::Key_Right);
    QVERIFY(!f.commandState(shell::kCopy).enabled);
    // The input method: a preedit is drawn at the caret, not inserted; its commit
    // goes in once, as one typing run with what was typed before.
    {
      QInputMethodEvent pre(QStringLiteral("らしょうもん"),
                            {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 6, 1, QVariant())});
      QCoreApplication::sendEvent(view, &pre);
    }
    QCOMPARE(view->preeditText(), QStringLiteral("らしょうもん"));
    QCOMPARE(lexova::testing::lineText(*edited), before.substr(0, 2) + u"a" + before.substr(2));
    QVERIFY(view->inputMethodQuery(Qt::ImEnabled).toBool());
    const QRect caret = view->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(caret.isValid());
    QVERIFY(view->rect().intersects(caret));
    {
      QInputMethodEvent commit;
      commit.setCommitString(QStringLiteral("羅生門\x1b"));
      QCoreApplication::sendEvent(view, &commit);
    }
    QVERIFY(view->preeditText().isEmpty());
    QCOMPARE(lexova::testing::lineText(*edited), before.substr(0, 2) + u"a羅生門" + before.substr(2));
    // One undo removes the whole committed text (the typing run after the deletion).
    QVERIFY(f.commandState(shell::kUndo).enabled);
    f.runCommand(shell::kUndo);
    const std::u16string afterBackspace = before.substr(0, 2) + u"a" + before.substr(2);
    QCOMPARE(lexova::testing::lineText(*f.textModel().state().cursor.line), afterBackspace);
    // With the image pane full, the hidden text view takes no edits from the frame's commands.
    s->host.setClipboardText(u"貼");
    QVERIFY(f.commandState(shell::kPaste).enabled);
    view->hide();
    QVERIFY(!f.commandState(shell::kPaste).enabled);
    f.runCommand(shell::kPaste);
    QCOMPARE(lexova::testing::lineText(*f.textModel().state().cursor.line), afterBackspace);
    view->show();
  }

  void thePageImageAndThePageListFollowTheCursor() {
    // The sample with its page images, in a folder of its own.
    QDir(dir_.path()).mkpath(QStringLiteral("scans/rashomon"));
    const QString work = dir_.filePath("scans/rashomon.xml");
    QVERIFY(QFile::copy(sample(), work));
    for (const QString& name : QDir(LEXOVA_SOURCE_DIR "/samples/rashomon").entryList(QDir::Files)) {
      QVERIFY(QFile::copy(LEXOVA_SOURCE_DIR "/samples/rashomon/" + name, dir_.filePath("scans/rashomon/" + name)));
    }
    auto s = start();
    CMainFrame& f = *s->frame;
    f.dropFiles({work});
    auto* image = qobject_cast<views::CDrawView*>(f.imageView());
    auto* list = qobject_cast<views::CPSelectView*>(f.pageList());
    auto* text = qobject_cast<views::CImageView*>(f.textView());
    QVERIFY(image && list && text);
    const COcrPage& first = *s->doc.page(s->doc.currentPage);
    // At 50 % the page is drawn reduced, in gray; the cursor character is framed.
    QCOMPARE(s->app.values.settings.displayScale, 50);
    QCOMPARE(image->shownImage().width(), static_cast<int>(std::lround(first.width * 0.5)));
    QCOMPARE(image->shownImage().format(), QImage::Format_Grayscale8);
    QCOMPARE(f.pageImage().decodes(), 1);
    const editing::EditCursor& cursor = f.textModel().state().cursor;
    QVERIFY(cursor.set() && !cursor.atEnd());
    QCOMPARE(image->highlight(), (layout::Rect{cursor.ch->x, cursor.ch->y, cursor.ch->width, cursor.ch->height}));
    QVERIFY(list->previewFrame().has_value());
    QVERIFY(!list->preview().isNull());
    QVERIFY(list->preview().width() <= list->width());
    // A typed character: the image is not read again; the typed character has no
    // box, so with the cursor on it nothing is framed; its row gets its "*".
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("x"));
    QTest::keyClick(text, first.blocks.front().direction == kVertical ? Qt::Key_Up : Qt::Key_Left);
    QCOMPARE(f.pageImage().decodes(), 1);
    QCOMPARE(image->highlight().x, -1LL);
    QCOMPARE(list->list()->model()->index(s->doc.currentPage, 0).data().toString(), QStringLiteral("*"));
    // Scrolling the text scrolls the image in layout display.
    text->verticalScrollBar()->setValue(300);
    QCOMPARE(image->scrollPosition().y(), 300);
    image->verticalScrollBar()->setValue(120);
    QCOMPARE(text->verticalScrollBar()->value(), 120);
    // Alt+S: the cursor line's image next to it, over the text view, never focused.
    f.runCommand(shell::kLineImage);
    QVERIFY(text->lineWindow()->isVisible());
    QCOMPARE(text->lineWindow()->parentWidget(), text->viewport());
    QVERIFY(!text->lineWindow()->image().isNull());
    QVERIFY(text->hasFocus());
    f.runCommand(shell::kBlockEdit);
    QVERIFY(!text->lineWindow()->isVisible());
    f.runCommand(shell::kCharEdit);
    // Another row of the page list: the page, the counter, the preview change;
    // the text view has the focus.
    const QImage previewBefore = list->preview();
    list->list()->setCurrentIndex(list->list()->model()->index(2, 1));
    QCOMPARE(s->doc.currentPage, 2);
    QCOMPARE(f.pagePaneText(), QStringLiteral("   3 /    6"));
    QCOMPARE(f.pageImage().decodes(), 2);
    QVERIFY(list->preview() != previewBefore);
    QVERIFY(text->hasFocus());
    // The scale box: 100 % draws the page at its own size.
    emit list->scaleBox()->activated(9);
    QCOMPARE(s->app.values.settings.displayScale, 100);
    QCOMPARE(image->shownImage().width(), s->doc.page(2)->width);
    QCOMPARE(f.pageImage().decodes(), 2);
    // In text display the views do not scroll together.
    f.runCommand(shell::kHorizontalText);
    const QPoint imageAt = image->scrollPosition();
    text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
    QCOMPARE(image->scrollPosition(), imageAt);
    // The images moved away: the area is grey with the message, said once in the
    // status bar, and no dialog is raised.
    f.runCommand(shell::kTextOnly);
    QVERIFY(QDir(dir_.filePath("scans")).rename(QStringLiteral("rashomon"), QStringLiteral("moved")));
    const std::size_t messages = s->host.messages.size();
    list->list()->setCurrentIndex(list->list()->model()->index(3, 1));
    QCOMPARE(s->doc.currentPage, 3);
    QVERIFY(image->shownImage().isNull());
    QVERIFY(image->missingText().endsWith(QStringLiteral("p04.tifは見つかりません")));
    QCOMPARE(f.statusBar()->currentMessage(), image->missingText());
    QVERIFY(list->preview().isNull());
    image->repaint();
    QTest::keyClick(text, Qt::Key_Down);
    QCOMPARE(s->host.messages.size(), messages);
  }

  void theSettingsSheetAppliesOnOkAndTakesBackOnCancel() {
    auto s = start();
    CMainFrame& f = *s->frame;
    f.dropFiles({sample()});
    settings::SettingsValues& v = s->app.values.settings;
    const settings::Colour red = settings::rgb(220, 0, 0), green = settings::rgb(0, 160, 0);
    // OK: a user colour defined and given to ひらがな, a check box, the reject level.
    s->dialogs.colours = {red};
    // What the scripts inside the sheet found wrong (QCOMPARE cannot return from them).
    QStringList wrong;
    const auto check = [&wrong](bool ok, const char* what) {
      if (!ok) wrong << QString::fromUtf8(what);
    };
    s->dialogs.settingsScript = [&](CSetting& sheet) -> int {
      check(sheet.windowTitle() == QStringLiteral("環境設定"), "title");
      check(sheet.pages()->count() == 7, "seven pages");
      check(sheet.pages()->tabText(3) == QStringLiteral("登録文字テーブル"), "table page title");
      sheet.kindList()->setCurrentRow(1);  // ひらがな
      check(!sheet.defineColourButton()->isEnabled(), "define disabled on a basic colour");
      sheet.colourButtons()->button(18)->click();
      check(sheet.defineColourButton()->isEnabled(), "define enabled on a user colour");
      sheet.defineColourButton()->click();
      check(sheet.kindSample()->palette().color(QPalette::WindowText) == QColor(220, 0, 0), "sample colour");
      sheet.registerReplacements()->setChecked(true);
      sheet.rejectSlider()->setValue(5);
      check(sheet.rejectField()->value() == 5, "field follows the slider");
      return QDialog::Accepted;
    };
    f.runCommand(shell::kSettings);
    QCOMPARE(v.kindColourIndex[1], 18);
    QCOMPARE(v.userColours[2], red);
    QCOMPARE(v.registerReplacements, 1);
    QCOMPARE(v.rejectLevel, 5);
    // Written at once: a crash now loses nothing.
    const settings::AllSettings stored = SettingsStore(ini()).load();
    QCOMPARE(stored.settings.kindColourIndex[1], 18);
    QCOMPARE(stored.settings.userColours[2], red);
    QCOMPARE(stored.settings.rejectLevel, 5);
    // Cancel after a colour shown live and the reject slider moved: both go back,
    // and the text view is drawn as before.
    auto* text = qobject_cast<views::CImageView*>(f.textView());
    const QImage before = text->image().copy();
    const settings::Colour otherBefore = v.otherLineColour;
    s->dialogs.colours = {green};
    s->dialogs.settingsScript = [&](CSetting& sheet) -> int {
      sheet.otherLineColourButton()->click();
      sheet.rejectSlider()->setValue(8);
      check(v.otherLineColour == green && v.rejectLevel == 8, "shown live");
      check(text->image() != before, "the view drawn live");
      return QDialog::Rejected;
    };
    f.runCommand(shell::kSettings);
    QCOMPARE(v.otherLineColour, otherBefore);
    QCOMPARE(v.rejectLevel, 5);
    QCOMPARE(text->image(), before);
    // すべて基本色に戻す, then OK: the default indexes; Esc cancels the sheet.
    s->dialogs.settingsScript = [&](CSetting& sheet) -> int {
      sheet.resetColoursButton()->click();
      return QDialog::Accepted;
    };
    f.runCommand(shell::kSettings);
    QCOMPARE(settings::joinNumbers(v.kindColourIndex.data(), 15), std::u16string(u"0,0,11,4,0,0,0,0,0,11,11,11,4,2,9"));
    s->dialogs.settingsScript = [&](CSetting& sheet) -> int {
      sheet.show();
      QTest::keyClick(&sheet, Qt::Key_Escape);
      check(sheet.result() == QDialog::Rejected, "Esc cancels");
      return sheet.result();
    };
    f.runCommand(shell::kSettings);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
  }

  void theSettingsSheetIsUsableFromTheKeyboard() {
    ScriptedHost host;
    RegisteredTable table;
    CSetting sheet(nullptr, shell::draftOf(settings::SettingsValues{}, settings::OutputFonts{}), table, host, {});
    sheet.show();
    for (int page = 0; page < sheet.pages()->count(); ++page) {
      QWidget* w = sheet.pages()->widget(page);
      // Every label with a mnemonic leads to a control; every control takes the
      // focus from the keyboard.
      for (QLabel* label : w->findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1Char('&')) && !label->text().startsWith(QLatin1Char('<'))) {
          QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
        }
      }
      for (QWidget* control : w->findChildren<QWidget*>()) {
        // (Scroll bars and list headers belong to their views.)
        if (qobject_cast<QScrollBar*>(control) || qobject_cast<QHeaderView*>(control)) continue;
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QAbstractSlider*>(control) || qobject_cast<QAbstractItemView*>(control)) {
          QVERIFY2(control->focusPolicy() & Qt::TabFocus, control->metaObject()->className());
        }
      }
    }
    // The document information dialog keeps its four texts.
    settings::SettingsValues values;
    DocumentInfoDialog info(nullptr, values);
    QCOMPARE(info.windowTitle(), QStringLiteral("保存ファイル情報の入力"));
    info.field(0)->setText(QStringLiteral("羅生門"));
    info.field(2)->setText(QStringLiteral("芥川"));
    info.storeInto(values);
    QCOMPARE(values.pdfFileTitle, std::u16string(u"羅生門"));
    QCOMPARE(values.pdfAuthor, std::u16string(u"芥川"));
    QTest::keyClick(&sheet, Qt::Key_Escape);
    QCOMPARE(sheet.result(), int(QDialog::Rejected));
  }

  void everyPageOfTheSheetEditsItsDraft() {
    ScriptedHost host;
    RegisteredTable table;
    table.registeredTableFile = u16(dir_.filePath("table.csv"));
    SheetChoosers choosers;
    choosers.font = [](const settings::FontChoice&, QWidget*) -> std::optional<settings::FontChoice> {
      return settings::FontChoice{u"IPAGothic", -16};
    };
    choosers.documentInfo = [](settings::SettingsValues& v, QWidget*) {
      v.pdfKeywords = u"羅生門";
      return true;
    };
    choosers.tableFile = [this](bool save, const QString&, QWidget*) {
      return save ? dir_.filePath("saved.csv") : dir_.filePath("missing.csv");
    };
    CSetting sheet(nullptr, shell::draftOf(settings::SettingsValues{}, settings::OutputFonts{}), table, host, choosers);
    const settings::SettingsValues& d = sheet.draft().values;
    // 条件設定
    sheet.option(0)->setChecked(false);
    QCOMPARE(d.monoRuby, 0);
    QCOMPARE(sheet.option(5)->text(), QStringLiteral("ブロックの終わりには改行を入れない(&E)"));
    // 文字種別: the font of the selected class, shown in the sample.
    sheet.kindList()->setCurrentRow(5);  // カタカナ
    sheet.kindFontButton()->click();
    QCOMPARE(d.kindFonts[2], std::u16string(u"IPAGothic"));
    QCOMPARE(sheet.colourButtons()->checkedId(), 11);
    // 登録文字テーブル: 登録 only with a search word, 削除 only with a row.
    QVERIFY(!sheet.addButton()->isEnabled());
    QVERIFY(!sheet.deleteButton()->isEnabled());
    sheet.searchField()->setText(QStringLiteral("辺"));
    sheet.replacementField()->setText(QStringLiteral("邊"));
    QVERIFY(sheet.addButton()->isEnabled());
    sheet.addButton()->click();
    QCOMPARE(sheet.tableList()->topLevelItemCount(), 1);
    QVERIFY(sheet.searchField()->text().isEmpty());
    sheet.tableList()->setCurrentItem(sheet.tableList()->topLevelItem(0));
    QCOMPARE(sheet.searchField()->text(), QStringLiteral("辺"));
    QVERIFY(sheet.deleteButton()->isEnabled());
    sheet.loadTableButton()->click();  // a missing file: nothing changes
    QCOMPARE(sheet.tableList()->topLevelItemCount(), 1);
    QCOMPARE(sheet.tableFileField()->text(), dir_.filePath("table.csv"));
    sheet.saveTableButton()->click();
    QCOMPARE(sheet.tableFileField()->text(), dir_.filePath("saved.csv"));
    QVERIFY(QFile::exists(dir_.filePath("saved.csv")));
    // 保存・外部出力
    sheet.imageQuality()->setValue(2);
    QCOMPARE(d.pdfImageQuality, 2);
    sheet.documentInfoButton()->click();
    QCOMPARE(d.pdfKeywords, std::u16string(u"羅生門"));
    // フォント: the chosen font in the draft, its sample beside the button.
    sheet.fontButton(shell::FontSlot::Hangul)->click();
    QCOMPARE(sheet.draft().fonts.hangul.name, std::u16string(u"IPAGothic"));
    QCOMPARE(sheet.fontSampleLabel(shell::FontSlot::Hangul)->text(), QStringLiteral("ABCDEabcde12345"));
    QCOMPARE(sheet.fontSampleLabel(shell::FontSlot::Japanese)->text(), QStringLiteral("あいうえおアイウ安以宇"));
    // 表示テキスト情報: the places, the level field and slider as one.
    int liveCalls = 0;
    sheet.onLiveChange = [&liveCalls](const settings::SettingsValues&) { ++liveCalls; };
    sheet.imagePlace(3)->setChecked(true);
    QCOMPARE(d.verticalImagePosition, 1);
    sheet.rejectField()->setValue(7);
    QCOMPARE(sheet.rejectSlider()->value(), 7);
    QCOMPARE(d.rejectLevel, 7);
    QCOMPARE(liveCalls, 2);
    // OK: the rows reach the table.
    sheet.accept();
    QCOMPARE(table.registeredPairs.size(), std::size_t{1});
  }

  void anotherEnginesResultIsDroppedAndSavedAsAlto() {
    auto s = start();
    CMainFrame& f = *s->frame;
    // Tesseract's hOCR under a name the drop rule would refuse by its extension.
    const QString hocr = dir_.filePath("scan.hocr");
    QVERIFY(QFile::copy(LEXOVA_SOURCE_DIR "/tests/data/interchange/tesseract-horizontal.hocr", hocr));
    f.dropFiles({hocr});
    QCOMPARE(s->doc.pageCount(), 1);
    QCOMPARE(s->doc.sourceFormat(), interchange::Format::Hocr);
    // Save as: the dialog starts at the document's own type (hOCR, the second);
    // ALTO (the third) is chosen.
    s->dialogs.saves.push_back(FrameDialogs::SaveChoice{dir_.filePath("scan.alto.xml"), RangeChoice{}, 2});
    f.runCommand(shell::kFileSaveAs);
    QFile out(dir_.filePath("scan.alto.xml"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(interchange::detectFormat(out.readAll().toStdString()), interchange::Format::Alto);
  }

  void exportWritesTheChosenTypeAndRemembersIt() {
    auto s = start();
    QVERIFY(s->doc.open(u16(sample()), false));
    s->frame->refresh();
    const QString out = dir_.filePath("out.txt");
    s->dialogs.saves.push_back(FrameDialogs::SaveChoice{out, RangeChoice{RangeMode::PageRange, 2, 3}, 0});
    s->frame->runCommand(shell::kExportExternal);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    QVERIFY(bytes.size() > 100);
    QCOMPARE(s->app.values.settings.externalFileType, 1);
    // The next export opens with the PowerPoint-free list's Word entry after a .docx.
    s->dialogs.saves.push_back(FrameDialogs::SaveChoice{dir_.filePath("out.docx"), RangeChoice{}, 0});
    s->frame->runCommand(shell::kExportExternal);
    QCOMPARE(s->app.values.settings.externalFileType, 101);
    QVERIFY(QFile::exists(dir_.filePath("out.docx")));
    s->frame->runCommand(shell::kExportExternal);  // cancelled
    QCOMPARE(s->dialogs.exportFileType, 1);
    QVERIFY(!s->doc.documentModified);
  }

  void closingWithUnsavedWorkAsksAndCancelKeepsTheWindow() {
    auto s = start();
    QVERIFY(s->doc.open(u16(sample()), false));
    s->doc.markPageEdited(0, true);
    s->host.answers = {Answer::Cancel};
    QVERIFY(!s->frame->close());
    QVERIFY(s->frame->isVisible());
    QCOMPARE(s->host.messages.back().text, std::u16string(u"文書は変更されています。保存しますか"));
    // A cancelled close writes nothing of the window's.
    QFile written(ini());
    QVERIFY(!written.open(QIODevice::ReadOnly) || !written.readAll().contains("[Window]"));
    s->host.answers = {Answer::No};
    QVERIFY(s->frame->close());
  }

  void helpAndWebCommandsReportWhatFailed() {
    auto s = start();
    s->frame->runCommand(shell::kHomePage);
    QCOMPARE(s->opened.size(), 1);
    QCOMPARE(s->host.messages.back().text,
             std::u16string(u"Webページが開けませんでした。\nWebブラウザがインストールされているか確認してください。"));
    QCOMPARE(s->host.messages.back().icon, MessageIcon::Error);
    s->frame->runCommand(shell::kReadme);
    QCOMPARE(s->host.messages.back().text, std::u16string(u"readme.htm が見つかりません。"));
  }

  void rangeDialogRefusesAnEmptyRangeAndStaysOpen() {
    ScriptedHost host;
    RangeSaveDialog d(nullptr, host, RangeSaveDialog::Kind::Export, 10, 0, RangeMode::PageRange);
    d.selectFile(dir_.filePath("range.txt"));
    d.accept();
    QCOMPARE(host.messages.size(), size_t{1});
    QCOMPARE(host.messages[0].text, std::u16string(u"保存範囲が指定されていません。"));
    QCOMPARE(d.result(), int(QDialog::Rejected));
    const QList<QLineEdit*> fields = d.findChildren<QLineEdit*>();
    int enabledRangeFields = 0;
    for (QLineEdit* e : fields) enabledRangeFields += e->validator() != nullptr && e->isEnabled();
    QCOMPARE(enabledRangeFields, 2);
  }

  void fiveRestartsLeaveTheSettingsFileUnchanged() {
    QByteArray first;
    for (int run = 0; run < 5; ++run) {
      auto s = start();
      if (run == 0) s->frame->runCommand(shell::kStacked);
      QVERIFY(s->frame->close());
      QFile f(ini());
      QVERIFY(f.open(QIODevice::ReadOnly));
      const QByteArray bytes = f.readAll();
      if (run == 0) {
        first = bytes;
        QVERIFY(first.contains("SelViewWidth=140"));
        QVERIFY(first.contains("width=1000"));
      } else {
        QCOMPARE(bytes, first);
      }
    }
  }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
