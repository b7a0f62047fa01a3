// The editor's rules without a window: where the views go for each placement,
// which commands a person can reach, what the display values become, and the
// start-up and open flows with their questions, on real work files.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "host/scripted_host.h"
#include "platform/clock.h"
#include "settings/values.h"
#include "shell/commands.h"
#include "shell/frame_layout.h"
#include "shell/session.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::shell {
namespace {

namespace fs = std::filesystem;

constexpr PaneMetrics kMetrics{4, 0};

TEST(FrameLayout, RepeatedPlacementSwapsTheViewsAndFullShowsTheOtherView) {
  FramePanes p;
  ASSERT_TRUE(layOut(p, kPlaceSideBySide, {1000, 600}, kMetrics));
  EXPECT_EQ(p.first, PaneView::Image);
  EXPECT_EQ(p.firstSize, 498);
  EXPECT_EQ(p.secondSize, 498);

  // 横並び again: text left, image right; a third time back.
  ASSERT_TRUE(choosePlacement(p, kPlaceSideBySide, {1000, 600}, kMetrics));
  EXPECT_EQ(p.first, PaneView::Text);
  EXPECT_FALSE(p.stacked);
  ASSERT_TRUE(choosePlacement(p, kPlaceSideBySide, {1000, 600}, kMetrics));
  EXPECT_EQ(p.first, PaneView::Image);

  // 縦並び: one column of halves; again swaps top and bottom.
  ASSERT_TRUE(choosePlacement(p, kPlaceStacked, {1000, 600}, kMetrics));
  EXPECT_TRUE(p.stacked);
  EXPECT_EQ(p.firstSize, 298);
  EXPECT_EQ(p.first, PaneView::Image);
  ASSERT_TRUE(choosePlacement(p, kPlaceStacked, {1000, 600}, kMetrics));
  EXPECT_EQ(p.first, PaneView::Text);

  // 全面: the first view fills the area and the placement before is kept;
  // again: the other view is shown full.
  ASSERT_TRUE(choosePlacement(p, kPlaceFull, {1000, 600}, kMetrics));
  EXPECT_EQ(p.placement, kPlaceFull);
  EXPECT_EQ(p.previousPlacement, kPlaceStacked);
  EXPECT_EQ(p.first, PaneView::Text);
  EXPECT_EQ(p.firstSize, 600);
  EXPECT_EQ(p.secondSize, 0);
  ASSERT_TRUE(choosePlacement(p, kPlaceFull, {1000, 600}, kMetrics));
  EXPECT_EQ(p.first, PaneView::Image);
  EXPECT_EQ(p.previousPlacement, kPlaceStacked);
}

TEST(FrameLayout, NarrowAreaLeavesTheLayoutAsItIs) {
  FramePanes p;
  ASSERT_TRUE(layOut(p, kPlaceStacked, {800, 600}, kMetrics));
  const FramePanes before = p;
  // (W - edge) / 2 - border = 9 pixels: nothing changes.
  EXPECT_FALSE(choosePlacement(p, kPlaceSideBySide, {22, 600}, kMetrics));
  EXPECT_EQ(p.placement, before.placement);
  EXPECT_EQ(p.firstSize, before.firstSize);
  EXPECT_TRUE(p.stacked);
  // 24 pixels give halves of 10: allowed.
  EXPECT_TRUE(choosePlacement(p, kPlaceSideBySide, {24, 600}, kMetrics));
  EXPECT_EQ(p.firstSize, 10);
}

TEST(FrameLayout, StoredWindowOffEveryScreenComesBackOntoOne) {
  const std::vector<Rect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  const Rect onSecond{2000, 100, 800, 600};
  EXPECT_EQ(placeOnScreen(onSecond, screens).x, 2000);               // a window on a screen stays
  const Rect gone = placeOnScreen({5000, 3000, 800, 600}, screens);  // its screen was unplugged
  EXPECT_GE(gone.x, 0);
  EXPECT_LE(gone.x + gone.width, 1920);
  EXPECT_LE(gone.y + gone.height, 1080);
  EXPECT_EQ(gone.width, 800);
  // Only a sliver visible: brought back too, and a too-large window shrinks to fit.
  const Rect sliver = placeOnScreen({1900, 1070, 4000, 3000}, {{0, 0, 1920, 1080}});
  EXPECT_EQ(sliver.width, 1920);
  EXPECT_EQ(sliver.x, 0);
}

TEST(DisplayValues, OutOfRangeStoredValuesAreMadeUsable) {
  settings::SettingsValues s;
  s.displayScale = 0;  // would divide by zero at the first click
  s.textLayout = 7;
  s.imageMode = -1;
  s.placement = 3;
  s.previousPlacement = 2;
  s.rejectLevel = 0;
  settings::settleDisplayValues(s);
  EXPECT_EQ(s.displayScale, 50);
  EXPECT_EQ(s.textLayout, 2);
  EXPECT_EQ(s.imageMode, 0);
  EXPECT_EQ(s.placement, 0);
  EXPECT_EQ(s.previousPlacement, 0);
  EXPECT_EQ(s.rejectLevel, 2);
  for (const auto& [stored, shown] :
       std::vector<std::pair<int, int>>{{1000, 50}, {55, 60}, {100, 100}, {10, 10}, {9, 50}}) {
    s.displayScale = stored;
    settings::settleDisplayValues(s);
    EXPECT_EQ(s.displayScale, shown) << stored;
  }
  s.rejectLevel = 9;
  settings::settleDisplayValues(s);
  EXPECT_EQ(s.rejectLevel, 9);
}

// ---- commands --------------------------------------------------------------------------------

std::vector<int> allMenuCommands() {
  std::vector<int> ids;
  for (const MenuSpec& m : menuBar()) {
    for (const int id : m.items) {
      if (id > 0) ids.push_back(id);
      if (id < 0 && id != kRecentFilesItems) {
        for (const int sub : submenus()[static_cast<std::size_t>(-id)].items) ids.push_back(sub);
      }
    }
  }
  return ids;
}

TEST(Commands, EveryMenuAndToolbarItemHasOneEntryAndNoKeyIsTakenTwice) {
  std::vector<int> ids = allMenuCommands();
  ids.insert(ids.end(), toolbar().begin(), toolbar().end());
  ids.insert(ids.end(), acceleratorOnly().begin(), acceleratorOnly().end());
  for (const int id : ids) {
    if (id != kNone) {
      EXPECT_NE(findCommand(id), nullptr) << id;
    }
  }
  // An ambiguous shortcut fires nothing: every key belongs to one command.
  std::set<std::string> keys;
  for (const CommandInfo& c : commandTable()) {
    std::string all(c.shortcuts);
    for (std::size_t start = 0; start < all.size();) {
      const std::size_t end = std::min(all.find(';', start), all.size());
      EXPECT_TRUE(keys.insert(all.substr(start, end - start)).second) << all.substr(start, end - start);
      start = end + 1;
    }
  }
  // Menu titles open with Alt and their letter: none may take a layout accelerator.
  for (const MenuSpec& m : menuBar()) {
    const char16_t letter = mnemonicOf(m.title);
    ASSERT_NE(letter, 0);
    const std::string altKey = std::string("Alt+") + static_cast<char>(letter);
    EXPECT_EQ(keys.count(altKey), 0u) << altKey;
    EXPECT_TRUE(letter != u'N' && letter != u'S' && letter != u'M');
  }
}

TEST(Commands, LayoutCommandsFollowTheEditModeAndTheLayout) {
  CommandContext c;
  c.hasPaper = true;
  const int layoutCommands[] = {kHorizontalText, kVerticalText, kTextOnly, kLineImage, kImageParallel};
  for (const int id : layoutCommands) EXPECT_TRUE(commandState(id, c).enabled) << id;
  c.editMode = 1;  // block editing
  for (const int id : layoutCommands) EXPECT_FALSE(commandState(id, c).enabled) << id;
  c.editMode = 3;

  c.imageMode = 1;
  EXPECT_TRUE(commandState(kLineImage, c).checked);
  EXPECT_FALSE(commandState(kTextOnly, c).checked);
  c.placement = kPlaceStacked;
  EXPECT_TRUE(commandState(kStacked, c).checked);
  // Horizontal text: the placement commands do nothing.
  c.textLayout = 0;
  EXPECT_TRUE(commandState(kHorizontalText, c).checked);
  EXPECT_FALSE(commandState(kLineImage, c).checked);
  for (const int id : {kSideBySide, kStacked, kFull}) EXPECT_FALSE(commandState(id, c).enabled);

  // Without a paper nothing can be saved or exported; opening always can.
  CommandContext none;
  for (const int id : {kFileSave, kFileSaveAs, kFileReload, kExportExternal, kImageFolder, kReconstructAll}) {
    EXPECT_FALSE(commandState(id, none).enabled) << id;
  }
  EXPECT_TRUE(commandState(kFileOpen, none).enabled);
  none.displayScale = 70;
  EXPECT_TRUE(commandState(kScaleFirst + 6, none).checked);
}

TEST(Commands, RecentFileLabelsNumberTheEntries) {
  EXPECT_EQ(recentFileLabel(0, u"/w/a&b.xml"), u"&1 /w/a&&b.xml");
  EXPECT_EQ(recentFileLabel(9, u"x.xml"), u"1&0 x.xml");
  EXPECT_EQ(recentFileLabel(11, u"x.xml"), u"12 x.xml");
}

// ---- start-up and opening --------------------------------------------------------------------

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(LEXOVA_SOURCE_DIR "/samples/rashomon.xml", dir / "rashomon.xml");
    fs::copy_file(LEXOVA_SOURCE_DIR "/samples/kumono_ito.xml", dir / "kumono.xml");
    options.backupFile = backupFileIn(text::fromUtf8((dir / "data").string()));
    fs::create_directory(dir / "data");
  }
  std::u16string file(const char* name) { return text::fromUtf8((dir / name).string()); }
  static COcrChar& firstChar(DAdovoVodovoDez& doc, int page) {
    return doc.page(page)->blocks.front().lines.front().chars.front();
  }

  testing::TempDir dir;
  DocumentOptions options;
  ManualClock clock;
  MemoryBackupOrigin origin;  // BackupOrgFileName, kept across "sessions" like the store
  std::vector<std::u16string> recent;
};

TEST_F(SessionTest, AfterACrashRecoveryComesBeforeTheCommandLineFileAndKeepsTheEdits) {
  {
    // The first session: open, correct a character on two pages with the timed
    // backup after the second, then the process dies without exiting.
    ScriptedHost host;
    DAdovoVodovoDez doc(host, clock, origin, options);
    ASSERT_EQ(startSession(doc, file("rashomon.xml"), nullptr, recent, 5), OpenOutcome::Opened);
    ASSERT_NE(codeText(firstChar(doc, 2).code), u"訂");
    firstChar(doc, 0).code = makeCode(u'訂');
    doc.markPageEdited(0, true);
    EXPECT_FALSE(doc.backup(false));  // within the interval
    firstChar(doc, 2).code = makeCode(u'正');
    doc.markPageEdited(2, true);
    clock.now += 6 * 60000;
    ASSERT_TRUE(doc.backup(false));
  }
  // Double-clicking another work file: the restore question comes first, and the
  // other file waits behind the save question of the restored document.
  ScriptedHost host;
  host.answers = {Answer::Ok, Answer::Cancel};
  DAdovoVodovoDez doc(host, clock, origin, options);
  EXPECT_EQ(startSession(doc, file("kumono.xml"), nullptr, recent, 5), OpenOutcome::Cancelled);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text.rfind(u"プログラムの異常終了などが原因で", 0), 0u);
  EXPECT_EQ(host.messages[1].text, u"文書は変更されています。保存しますか");
  EXPECT_EQ(codeText(firstChar(doc, 0).code), u"訂");
  EXPECT_EQ(codeText(firstChar(doc, 2).code), u"正");
  EXPECT_EQ(doc.path(), file("rashomon.xml"));
  EXPECT_TRUE(doc.documentModified);

  // Saving the restored document, then the other file opens.
  host.answers = {Answer::Yes};
  EXPECT_EQ(openWorkFile(doc, file("kumono.xml"), false, false, nullptr, recent, 5), OpenOutcome::Opened);
  EXPECT_EQ(doc.title(), u"kumono.xml");
  DAdovoVodovoDez reread(host, clock, origin, {});
  ASSERT_TRUE(reread.loadFile(file("rashomon.xml"), false));
  EXPECT_EQ(codeText(firstChar(reread, 2).code), u"正");
  EXPECT_EQ(recent.front(), file("kumono.xml"));
}

TEST_F(SessionTest, StartWithAFileAndNoBackupAsksNothingAndAFailedOpenKeepsRunning) {
  ScriptedHost host;
  {
    DAdovoVodovoDez doc(host, clock, origin, options);
    EXPECT_EQ(startSession(doc, file("kumono.xml"), nullptr, recent, 5), OpenOutcome::Opened);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(windowCaption(doc), u"Lexova PRO 訂正プログラム kumono.xml");
    ASSERT_EQ(doc.pageCount(), 7);
    doc.currentPage = 2;
    EXPECT_EQ(pagePaneText(doc), u"   3 /    7");  // each right-aligned in four places
    doc.removeBackupAtExit();
  }
  DAdovoVodovoDez doc(host, clock, origin, options);
  EXPECT_EQ(startSession(doc, file("missing.xml"), nullptr, recent, 5), OpenOutcome::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, u"エラー");
  EXPECT_EQ(doc.paper(), nullptr);
  EXPECT_EQ(pagePaneText(doc), u"(0/0)");
}

TEST_F(SessionTest, SaveQuestionOnADocumentWithoutAFileAsksForAName) {
  ScriptedHost host;
  DAdovoVodovoDez doc(host, clock, origin, options);
  ASSERT_EQ(startSession(doc, file("kumono.xml"), nullptr, recent, 5), OpenOutcome::Opened);
  doc.newDocument();
  ASSERT_TRUE(doc.open(file("rashomon.xml"), false));
  doc.markPageEdited(0, true);
  int asked = 0;
  host.answers = {Answer::Yes};
  // Refusing the name keeps the document.
  const auto refuse = [&asked] {
    ++asked;
    return false;
  };
  EXPECT_EQ(openWorkFile(doc, file("kumono.xml"), false, false, refuse, recent, 5), OpenOutcome::Opened)
      << "a document with a file saves without asking for a name";
  EXPECT_EQ(asked, 0);
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesAndCapped) {
  std::vector<std::u16string> recent;
  for (const char16_t* f : {u"a", u"b", u"c", u"a"}) addRecentFile(recent, f, 3);
  EXPECT_EQ(recent, (std::vector<std::u16string>{u"a", u"c", u"b"}));
  addRecentFile(recent, u"d", 3);
  EXPECT_EQ(recent, (std::vector<std::u16string>{u"d", u"a", u"c"}));
}

}  // namespace
}  // namespace lexova::shell
