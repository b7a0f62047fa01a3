// The document as a person uses it: open, append, save, save as, reload, the
// automatic backup and recovery, the image folder, undo. Every scenario checks
// what would be on disk and what the window would show afterwards.
#include "document/lifecycle/document.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "document/lifecycle/file_checks.h"
#include "document/lifecycle/page_images.h"
#include "host/scripted_host.h"
#include "io/byte_io.h"
#include "support/invariants.h"
#include "support/temp_dir.h"
#include "support/workfile.h"
#include "text/utf.h"

namespace lexova {
namespace {

namespace fs = std::filesystem;
using lexova::testing::brokenInvariant;

// A work file of n pages; page k (from 1) holds one line "頁k" and names image pk.tif.
std::string workFileOfPages(int n, std::u16string_view prefix = u"頁") {
  std::u16string body;
  for (int k = 1; k <= n; ++k) {
    const std::u16string num = text::fromUtf8(std::to_string(k));
    body += u"  <page number=\"" + num + u"\" file=\"p" + num + u".tif\" fullpath=\"C:\\scan\\p" + num + u".tif\">\n";
    body +=
        u"    <block type=\"text\" direction=\"vertical\" x=\"10\" y=\"20\" width=\"300\" height=\"900\" sec=\"\">\n";
    body += u"      <line x=\"10\" y=\"20\" width=\"30\" height=\"40\" attr=\"\">\n";
    for (char16_t c : std::u16string(prefix) + num) {
      body += u"        <char x=\"10\" y=\"20\" width=\"30\" height=\"40\" num_cand=\"0\"><result>";
      body += c;
      body += u"</result></char>\n";
    }
    body += u"      </line>\n    </block>\n  </page>\n";
  }
  return lexova::testing::workFile(body);
}

std::u16string firstLine(const COcrPage& p) {
  std::u16string t;
  for (const COcrChar& c : p.blocks.front().lines.front().chars) t += codeText(c.code);
  return t;
}

class Document : public ::testing::Test {
 protected:
  Document() {
    options_.backupFile = path("data/_$backup.xml");
    fs::create_directories(dir_ / "data");
  }
  std::u16string path(const std::string& name) const { return text::fromUtf8((dir_ / name).string()); }
  std::u16string file(const std::string& name, const std::string& bytes) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return path(name);
  }
  std::string bytes(const std::u16string& p) const { return io::readFile(text::toUtf8(p)); }
  DAdovoVodovoDez& doc() {
    if (!doc_) doc_ = std::make_unique<DAdovoVodovoDez>(host_, clock_, origin_, options_);
    return *doc_;
  }
  // What is left in a folder besides the names given.
  std::vector<std::string> others(const std::string& folder, std::initializer_list<std::string> known) const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_ / folder)) {
      const std::string name = e.path().filename().string();
      if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
    }
    return out;
  }

  lexova::testing::TempDir tmp_;
  fs::path dir_ = tmp_.path();
  ScriptedHost host_;
  ManualClock clock_;
  MemoryBackupOrigin origin_;
  DocumentOptions options_;
  std::unique_ptr<DAdovoVodovoDez> doc_;
};

TEST_F(Document, OpeningShowsTheFirstPageAndBacksUpUnderTheNewPath) {
  const std::u16string one = file("one.xml", workFileOfPages(2));
  ASSERT_TRUE(doc().open(one, false));
  EXPECT_EQ(doc().pageCount(), 2);
  EXPECT_EQ(doc().currentPage, 0);
  EXPECT_EQ(doc().path(), one);
  EXPECT_EQ(doc().title(), u"one.xml");
  EXPECT_FALSE(doc().documentModified);
  EXPECT_EQ(doc().pageEntries.size(), 2u);
  EXPECT_EQ(doc().pageEntries[0].frames.size(), 1u);
  // The forced backup of the opening: the file and the path it belongs to.
  const auto backedUp = vuzozoviv::readPaperFile(text::toUtf8(options_.backupFile));
  ASSERT_NE(backedUp.paper, nullptr);
  EXPECT_EQ(firstLine(backedUp.paper->pages.back()), u"頁2");
  EXPECT_EQ(origin_.value, one);
  // Opening another file backs it up under its own path, not the previous one's.
  const std::u16string two = file("two.xml", workFileOfPages(3));
  ASSERT_TRUE(doc().open(two, false));
  EXPECT_EQ(origin_.value, two);
  EXPECT_EQ(doc().pageCount(), 3);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.progressOpen, 0);
  EXPECT_EQ(host_.waitCursorDepth, 0);
}

TEST_F(Document, AFailedOpenKeepsWhatWasOpen) {
  const std::u16string good = file("good.xml", workFileOfPages(2));
  ASSERT_TRUE(doc().open(good, false));
  doc().markPageEdited(1, true);
  doc().record(kUndoTyping, 1, {});
  const std::u16string bad =
      file("bad.xml", lexova::testing::workFile(u"  <page number=\"1\" file=\"a\">\n  <oops/>\n"));
  EXPECT_FALSE(doc().open(bad, false));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, u"タグが間違っています。[4行目]");
  EXPECT_EQ(host_.messages[0].caption, u"エラー");
  EXPECT_EQ(doc().pageCount(), 2);
  EXPECT_EQ(doc().path(), good);
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), std::vector<int>{1});
  EXPECT_TRUE(doc().undoStore.available());
  EXPECT_FALSE(doc().open(path("missing.xml"), true));
  EXPECT_EQ(host_.messages.back().text, u"ファイルオープンエラー");
  EXPECT_EQ(doc().pageCount(), 2);
  EXPECT_EQ(host_.progressOpen, 0);
}

TEST_F(Document, AppendingNumbersThePagesAgainAndModifiesTheDocument) {
  const std::u16string two = file("two.xml", workFileOfPages(2, u"甲"));
  ASSERT_TRUE(doc().open(two, false));
  ASSERT_TRUE(doc().open(file("three.xml", workFileOfPages(3, u"乙")), true));
  ASSERT_EQ(doc().pageCount(), 5);
  int expected = 1;
  for (const COcrPage& p : doc().paper()->pages) EXPECT_EQ(p.number, expected++);
  EXPECT_EQ(firstLine(doc().paper()->pages.back()), u"乙3");
  EXPECT_EQ(doc().path(), two);  // the document stays attached to its file
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), (std::vector<int>{2, 3, 4}));
  // Saved, the five pages are in the file and nothing is marked any more.
  EXPECT_EQ(doc().save(), DAdovoVodovoDez::SaveResult::Saved);
  EXPECT_FALSE(doc().documentModified);
  EXPECT_TRUE(doc().editedPages().empty());
  EXPECT_EQ(vuzozoviv::readPaperFile(text::toUtf8(two)).paper->pages.size(), 5u);
}

TEST_F(Document, AFailedSaveKeepsTheOldFileTheMarksAndTheQuestion) {
  const std::u16string work = file("work.xml", workFileOfPages(40));
  ASSERT_TRUE(doc().open(work, false));
  const std::string before = bytes(work);
  for (auto& p : doc().paper()->pages) p.blocks.front().lines.front().chars.front().code = makeCode(u'改');
  doc().markPageEdited(3, true);
  // A full disk: files may grow to 4 KiB only.
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const auto result = doc().save();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, DAdovoVodovoDez::SaveResult::Failed);
  EXPECT_EQ(host_.messages.back().text, u"ファイルオープンエラー");
  EXPECT_EQ(host_.messages.back().caption, u"エラー");
  EXPECT_EQ(bytes(work), before);
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), std::vector<int>{3});
  EXPECT_EQ(others("", {"work.xml", "data"}), std::vector<std::string>{});  // no temporary file left
  // A folder that cannot be written to (root writes anywhere).
  if (::geteuid() != 0) {
    ::chmod(dir_.c_str(), 0555);
    EXPECT_EQ(doc().save(), DAdovoVodovoDez::SaveResult::Failed);
    ::chmod(dir_.c_str(), 0755);
    EXPECT_EQ(bytes(work), before);
    EXPECT_TRUE(doc().documentModified);
  }
  // Closing now asks, and a failed save cancels the close.
  ::chmod(text::toUtf8(work).c_str(), 0444);  // a read-only work file is refused, not replaced
  host_.answers.push_back(Answer::Yes);
  EXPECT_EQ(doc().confirmDiscard(), DAdovoVodovoDez::Discard::Cancelled);
  EXPECT_EQ(bytes(work), before);
  EXPECT_TRUE(doc().documentModified);
  ::chmod(text::toUtf8(work).c_str(), 0644);
  host_.answers.push_back(Answer::Yes);
  EXPECT_EQ(doc().confirmDiscard(), DAdovoVodovoDez::Discard::Proceed);
  EXPECT_FALSE(doc().documentModified);
  EXPECT_NE(bytes(work), before);
  // Nothing modified: no question.
  const std::size_t asked = host_.messages.size();
  EXPECT_EQ(doc().confirmDiscard(), DAdovoVodovoDez::Discard::Proceed);
  EXPECT_EQ(host_.messages.size(), asked);
}

TEST_F(Document, SaveAsWritesTheRangeAndClearsOnlyWhatItSaved) {
  const std::u16string work = file("book.xml", workFileOfPages(10));
  // Page 2's image moved into the folder named after the work file.
  file("book/p2.tif", "image");
  ASSERT_TRUE(doc().open(work, false));
  doc().markPageEdited(0, true);
  const std::u16string part = path("part.xml");
  ASSERT_TRUE(doc().saveAs(part, 2, 98));
  const auto written = vuzozoviv::readPaperFile(text::toUtf8(part));
  ASSERT_EQ(written.paper->pages.size(), 8u);
  EXPECT_EQ(written.paper->pages.front().number, 1);
  EXPECT_EQ(firstLine(written.paper->pages.front()), u"頁3");
  // Not the document's own file: still modified, marks kept.
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), std::vector<int>{0});
  // The moved image is found when its page is written; the others stay as they were.
  ASSERT_TRUE(doc().saveAs(path("p2.xml"), 1, 1));
  EXPECT_EQ(doc().page(1)->fullpath, path("book/p2.tif"));
  EXPECT_EQ(doc().page(2)->fullpath, u"C:\\scan\\p3.tif");
  EXPECT_EQ(doc().editedPages(), (std::vector<int>{0, 1}));  // what Save writes changed
  // A range outside the pages is refused without writing.
  EXPECT_FALSE(doc().saveAs(path("none.xml"), 10, 12));
  EXPECT_EQ(host_.messages.back().text, u"保存範囲が指定されていません。");
  EXPECT_FALSE(fs::exists(dir_ / "none.xml"));
  // All pages to its own file: clean.
  ASSERT_TRUE(doc().saveAs(work, 0, 9));
  EXPECT_FALSE(doc().documentModified);
  EXPECT_TRUE(doc().editedPages().empty());
}

TEST_F(Document, TheBackupFollowsTheIntervalOfTheInjectedClock) {
  options_.backupIntervalMinutes = 5;
  clock_.now = 1'000'000;
  ASSERT_TRUE(doc().open(file("w.xml", workFileOfPages(1)), false));
  fs::remove(text::toUtf8(options_.backupFile));
  clock_.now += 4 * 60'000;
  EXPECT_FALSE(doc().backup(false));  // an edit four minutes later
  EXPECT_FALSE(fs::exists(text::toUtf8(options_.backupFile)));
  clock_.now += 2 * 60'000;
  EXPECT_TRUE(doc().backup(false));  // six minutes
  EXPECT_TRUE(fs::exists(text::toUtf8(options_.backupFile)));
  EXPECT_FALSE(doc().backup(false));  // just written
  EXPECT_TRUE(doc().backup(true));
  // Switched off, or without an interval: never.
  options_.backupIntervalMinutes = 0;
  doc().setOptions(options_);
  EXPECT_FALSE(doc().backup(true));
}

TEST_F(Document, ABackupThatCannotBeWrittenIsReportedOnce) {
  options_.backupFile = path("no/such/folder/_$backup.xml");
  ASSERT_TRUE(doc().open(file("w.xml", workFileOfPages(1)), false));
  EXPECT_FALSE(doc().backup(true));
  EXPECT_FALSE(doc().backup(true));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(u"_$backup.xml"), std::u16string::npos);
}

TEST_F(Document, RecoveryRestoresOrKeepsTheLostSessionAside) {
  // An earlier session left its backup: opening a file must not write over it.
  const std::string lost = workFileOfPages(3, u"失");
  file("data/_$backup.xml", lost);
  origin_.value.clear();
  ASSERT_TRUE(doc().hasBackupNotYetOffered());
  ASSERT_TRUE(doc().open(file("other.xml", workFileOfPages(1)), false));
  EXPECT_EQ(bytes(options_.backupFile), lost);
  // Restored: no known path, the title says so, and it counts as modified.
  host_.answers.push_back(Answer::Ok);
  doc().offerRecovery();
  EXPECT_EQ(host_.messages.back().text,
            u"プログラムの異常終了などが原因で、前回作業時のデータが残っています。\n可能な限り復元を試みますか？");
  EXPECT_EQ(doc().pageCount(), 3);
  EXPECT_EQ(doc().path(), u"");
  EXPECT_EQ(doc().title(), kRecoveredTitle);
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), std::vector<int>{0});
  EXPECT_EQ(doc().save(), DAdovoVodovoDez::SaveResult::NeedsName);
  EXPECT_FALSE(doc().hasBackupNotYetOffered());
  doc().removeBackupAtExit();
  EXPECT_FALSE(fs::exists(text::toUtf8(options_.backupFile)));
}

TEST_F(Document, ABackupThatIsNotRestoredIsNeverDeleted) {
  const std::string corrupt = "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper>\r\n<page\r\n";
  for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
    SCOPED_TRACE(answer == Answer::Ok ? "unreadable" : "refused");
    file("data/_$backup.xml", corrupt);
    doc_.reset();
    host_.answers.push_back(answer);
    doc().offerRecovery();
    EXPECT_EQ(doc().pageCount(), 0);
    EXPECT_FALSE(fs::exists(text::toUtf8(options_.backupFile)));
    EXPECT_NE(host_.messages.back().text.find(u"として残しました"), std::u16string::npos);
  }
  EXPECT_EQ(bytes(options_.backupFile + u".bak"), corrupt);
  EXPECT_EQ(bytes(options_.backupFile + u".bak2"), corrupt);
  // Exit before the offer: the backup stays for the next start.
  file("data/_$backup.xml", corrupt);
  doc_.reset();
  doc().removeBackupAtExit();
  EXPECT_TRUE(fs::exists(text::toUtf8(options_.backupFile)));
}

TEST_F(Document, ReloadAsksFirstAndNeedsItsFile) {
  const std::u16string work = file("w.xml", workFileOfPages(2));
  ASSERT_TRUE(doc().open(work, false));
  doc().page(0)->blocks.clear();
  doc().markPageEdited(0, true);
  host_.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(doc().reload());
  EXPECT_TRUE(doc().page(0)->blocks.empty());
  EXPECT_EQ(host_.messages.back().text, u"編集中のデータは最初の状態に戻りますが、よろしいですか？");
  host_.answers.push_back(Answer::Ok);
  EXPECT_TRUE(doc().reload());
  EXPECT_EQ(doc().page(0)->blocks.size(), 1u);
  EXPECT_FALSE(doc().documentModified);
  fs::remove(text::toUtf8(work));
  EXPECT_FALSE(doc().reload());
  EXPECT_EQ(host_.messages.back().text, u"ファイルが読み込めません");
}

TEST_F(Document, AFileAtTheBackupsPlaceHasNoPathOfItsOwn) {
  // The backup file goes at exit: a document opened from there must be saved elsewhere.
  ASSERT_FALSE(doc().hasBackupNotYetOffered());
  file("data/_$backup.xml", workFileOfPages(1));
  ASSERT_TRUE(doc().open(options_.backupFile, false));
  EXPECT_EQ(doc().path(), u"");
  EXPECT_EQ(doc().title(), u"_$backup.xml");
  EXPECT_EQ(doc().save(), DAdovoVodovoDez::SaveResult::NeedsName);
}

TEST_F(Document, TheImageFolderMovesWholeFoldersOnly) {
  std::u16string body;
  for (const char16_t* full : {u"C:\\a\\x\\p1.tif", u"C:\\ab\\p2.tif", u"E:\\c\\p3.tif"}) {
    body += u"  <page number=\"1\" file=\"p.tif\" fullpath=\"" + std::u16string(full) + u"\"/>\n";
  }
  ASSERT_TRUE(doc().open(file("w.xml", lexova::testing::workFile(body)), false));
  EXPECT_EQ(imageFolderOfFirstPage(*doc().paper()), u"C:\\a\\x");
  EXPECT_EQ(doc().changeImageFolder(u"C:\\a", u"D:\\b\\"), 1);
  EXPECT_EQ(doc().page(0)->fullpath, u"D:\\b\\p1.tif");
  EXPECT_EQ(doc().page(1)->fullpath, u"C:\\ab\\p2.tif");
  EXPECT_EQ(doc().page(2)->fullpath, u"E:\\c\\p3.tif");
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(doc().editedPages(), std::vector<int>{0});
  // Without a separator at the end of "after", one is added.
  EXPECT_EQ(doc().changeImageFolder(u"E:\\c", u"/srv/scans"), 1);
  EXPECT_EQ(doc().page(2)->fullpath, u"/srv/scans/p3.tif");
}

TEST_F(Document, PageImagesAreFoundWhereTheyAreAndNowhereElse) {
  const std::u16string work = file("book.xml", workFileOfPages(4));
  ASSERT_TRUE(doc().open(work, false));
  file("moved/p1.tif", "image");
  file("book/p1.tif", "image");
  file("book/p2.tif", "image");
  file("p3.tif", "image");
  ASSERT_EQ(::mkfifo((dir_ / "book" / "p4.tif").c_str(), 0600), 0);  // never a FIFO
  doc().imageFolder = path("moved");
  EXPECT_EQ(doc().pageImagePath(0), path("moved/p1.tif"));
  EXPECT_EQ(doc().pageImagePath(1), path("book/p2.tif"));
  EXPECT_EQ(doc().pageImagePath(2), path("p3.tif"));
  EXPECT_EQ(doc().pageImagePath(3), u"");
  doc().page(1)->fullpath = path("p3.tif");  // a fullpath that exists wins
  EXPECT_EQ(doc().pageImagePath(1), path("p3.tif"));
}

TEST_F(Document, OtherEnginesResultsOpenByContentAndSaveInTheirOwnFormat) {
  // Tesseract's hOCR under a name that says nothing, with its image beside it.
  const std::u16string hocr = file("scan.out", io::readFile(LEXOVA_TEST_DATA "/interchange/tesseract-horizontal.hocr"));
  file("horizontal.png", "not really a picture");
  ASSERT_EQ(formatOfFile(hocr), interchange::Format::Hocr);
  EXPECT_EQ(checkDroppedFiles(
                {hocr}, [](const std::u16string&) { return false; },
                [](const std::u16string& p) { return formatOfFile(p) != interchange::Format::WorkFile; })
                .path,
            hocr);
  ASSERT_TRUE(doc().open(hocr, false)) << (host_.messages.empty() ? "" : text::toUtf8(host_.messages.back().text));
  EXPECT_EQ(doc().sourceFormat(), interchange::Format::Hocr);
  EXPECT_EQ(doc().pageImagePath(0), path("horizontal.png"));
  COcrChar& first = doc().page(0)->blocks.front().lines.front().chars.front();
  ASSERT_EQ(first.code, makeCode(u'あ'));
  first.code = makeCode(u'或');
  doc().markPageEdited(0, true);
  // Save writes hOCR again, with the correction and the character's box.
  ASSERT_EQ(doc().save(), DAdovoVodovoDez::SaveResult::Saved);
  const std::string saved = bytes(hocr);
  EXPECT_EQ(interchange::detectFormat(saved), interchange::Format::Hocr);
  EXPECT_NE(saved.find("x_bboxes 129 137 189 203; x_conf 100'>或</span>"), std::string::npos);
  // Save as PAGE: a PAGE file; the document stays hOCR and modified.
  ASSERT_TRUE(doc().saveAs(path("scan.page.xml"), 0, 0, interchange::Format::Page));
  EXPECT_EQ(interchange::detectFormat(bytes(path("scan.page.xml"))), interchange::Format::Page);
  EXPECT_EQ(doc().sourceFormat(), interchange::Format::Hocr);
  // A broken file gives the reader's message with its line and changes nothing.
  const std::u16string broken = file("broken.xml", "<alto>\n<Layout>\n</alto>");
  EXPECT_FALSE(doc().open(broken, false));
  EXPECT_NE(host_.messages.back().text.find(u"[3行目]"), std::u16string::npos);
  EXPECT_EQ(doc().sourceFormat(), interchange::Format::Hocr);
  EXPECT_EQ(codeText(doc().page(0)->blocks.front().lines.front().chars.front().code), u"或");
}

// ---- undo -----------------------------------------------------------------------------------

// Types text at the end of page `index`'s line as the editing step will: the view
// records first, then changes the page.
void type(DAdovoVodovoDez& d, int index, std::u16string_view text) {
  for (char16_t c : text) {
    d.record(kUndoTyping, index, {0, 0, -1});
    COcrLine& line = d.page(index)->blocks.front().lines.front();
    line.chars.emplace_back().code = makeCode(c);
    ++line.charCount;
    ++d.page(index)->blocks.front().charCount;
    d.markPageEdited(index, true);
  }
}

void deleteLast(DAdovoVodovoDez& d, int index) {
  d.record(kUndoDeletion, index, {0, 0, -1});
  COcrLine& line = d.page(index)->blocks.front().lines.front();
  line.chars.pop_back();
  --line.charCount;
  --d.page(index)->blocks.front().charCount;
}

TEST_F(Document, UndoTogglesBetweenBeforeAndAfterTheLastRun) {
  ASSERT_TRUE(doc().open(file("w.xml", workFileOfPages(4)), false));
  EXPECT_FALSE(doc().undoStore.available());
  ViewPosition view{0, 0, 2};
  EXPECT_FALSE(doc().undo(view));  // nothing recorded: nothing happens

  doc().currentPage = 1;
  type(doc(), 1, u"abc");
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(1)), u"頁2");
  EXPECT_EQ(view, (ViewPosition{0, 0, -1}));
  ASSERT_TRUE(doc().undo(view));  // the edit comes back
  EXPECT_EQ(firstLine(*doc().page(1)), u"頁2abc");
  // The next edit after an undo records anew.
  type(doc(), 1, u"d");
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(1)), u"頁2abc");

  // Typing on page 2, then on page 3: page 2 cannot be undone any more.
  type(doc(), 1, u"x");
  doc().currentPage = 2;
  type(doc(), 2, u"y");
  doc().currentPage = 1;
  EXPECT_FALSE(doc().undo(view));
  doc().currentPage = 2;
  EXPECT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(2)), u"頁3");

  // Typing, deleting, typing: the snapshot is the state before the last typing run.
  doc().currentPage = 3;
  type(doc(), 3, u"ab");
  deleteLast(doc(), 3);
  type(doc(), 3, u"cd");
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(3)), u"頁4a");
  // A change without a snapshot ends the run: the next typing records again.
  doc().pageChangedWithoutRecord();
  type(doc(), 3, u"e");
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(3)), u"頁4a");
  EXPECT_TRUE(doc().documentModified);
  EXPECT_EQ(brokenInvariant(*doc().paper()), "");

  // Opening another file empties the store; typing on the same index records anew.
  ASSERT_TRUE(doc().open(file("v.xml", workFileOfPages(4)), false));
  EXPECT_FALSE(doc().undoStore.available());
  doc().currentPage = 3;
  EXPECT_FALSE(doc().undo(view));
  type(doc(), 3, u"z");
  EXPECT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(3)), u"頁4");
}

TEST_F(Document, BlockDeletionsAreUndoneOneAtATimeWithTheCursorBroughtBack) {
  std::u16string body = u"  <page number=\"1\" file=\"p1.tif\">\n";
  for (int b = 0; b < 3; ++b) {
    body +=
        u"    <block type=\"text\" direction=\"vertical\" x=\"10\" y=\"20\" width=\"300\" height=\"900\" sec=\"\">\n"
        u"      <line x=\"10\" y=\"20\" width=\"30\" height=\"40\" attr=\"\">\n"
        u"        <char x=\"10\" y=\"20\" width=\"30\" height=\"40\" num_cand=\"0\"><result>字</result></char>\n"
        u"      </line>\n    </block>\n";
  }
  body += u"  </page>\n";
  ASSERT_TRUE(doc().open(file("w.xml", lexova::testing::workFile(body)), false));
  auto& blocks = doc().page(0)->blocks;
  doc().record(kUndoBlockDeletion, -1, {2, 0, 0});
  blocks.pop_back();
  doc().record(kUndoBlockDeletion, -1, {1, 0, 5});
  blocks.pop_back();
  ViewPosition view{0, 0, 0};
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(blocks.size(), 2u);               // the state before the second deletion only
  EXPECT_EQ(view, (ViewPosition{1, 0, -1}));  // the recorded cursor, inside the page
  EXPECT_EQ(doc().pageEntries[0].frames.size(), 2u);
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(blocks.size(), 1u);
  EXPECT_EQ(view, (ViewPosition{0, 0, 0}));  // {0, 0, 0} taken back, clamped to the one block
}

TEST_F(Document, ReconstructingThePageCanBeUndoneAndAllPagesCannot) {
  ASSERT_TRUE(doc().open(file("w.xml", workFileOfPages(2)), false));
  doc().currentPage = 1;
  COcrLine& line = doc().page(1)->blocks.front().lines.front();
  line.chars.emplace_back().code = makeCode(u'\r');  // a block-end break the pass removes
  ++line.charCount;
  ++doc().page(1)->blocks.front().charCount;
  const auto r = doc().reconstructCurrentPage({});
  EXPECT_EQ(r.pagesChanged, std::vector<int>{1});
  EXPECT_EQ(doc().undoStore.kind(), kUndoReconstruction);
  ViewPosition view;
  ASSERT_TRUE(doc().undo(view));
  EXPECT_EQ(firstLine(*doc().page(1)), u"頁2\r");
  doc().reconstructAllPages();
  EXPECT_FALSE(doc().undoStore.available());
  EXPECT_EQ(doc().currentPage, 0);
  EXPECT_EQ(brokenInvariant(*doc().paper()), "");
}

// ---- the checks of the open dialog and of dropped files --------------------------------------

TEST(FileChecks, TheOpenDialogAndDroppedFilesSayWhatIsWrong) {
  const auto exists = [](const std::u16string& n) { return n == u"/w/a.xml"; };
  EXPECT_EQ(openDialogNameError(u"/w/a.xml", exists), std::nullopt);
  EXPECT_EQ(openDialogNameError(u"/w/b.xml", exists),
            u"/w/b.xml\nこのファイルが見つかりません。\nファイル名を確認してください。");
  const std::u16string tooLong = u"ファイル名が長すぎるか、または複数選択されたファイル数が多すぎます。";
  EXPECT_EQ(openDialogNameError(u"", exists), tooLong);
  EXPECT_EQ(openDialogNameError(u"?x.xml", exists), tooLong);
  EXPECT_EQ(openDialogNameError(u"/" + std::u16string(260, u'a'), exists), tooLong);

  const auto folder = [](const std::u16string& n) { return n == u"/w/dir"; };
  EXPECT_EQ(checkDroppedFiles({u"/w/a.xml", u"/w/b.xml"}, folder).message,
            u"複数のファイルがドラッグ/ドロップされました！\r\n1つのファイルをドラッグ/ドロップしてください");
  EXPECT_EQ(checkDroppedFiles({u"/w/dir"}, folder).message,
            u"フォルダがドラッグ/ドロップされました！\r\nファイルをドラッグ/ドロップしてください。");
  EXPECT_EQ(checkDroppedFiles({u"/w/a.xml.bak"}, folder).message,
            u"拡張子が違うファイルがドラッグ/ドロップされました！\r\nXMLファイルをドラッグ/ドロップしてください。");
  const DropDecision ok = checkDroppedFiles({u"/w/A.XML"}, folder);
  EXPECT_EQ(ok.path, u"/w/A.XML");
  EXPECT_EQ(ok.message, u"");
}

}  // namespace
}  // namespace lexova
