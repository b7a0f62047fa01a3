// The one document of the editor: the paper, the current page, the page entries,
// the modified state, the automatic backup and the one-page undo, and everything
// a person does to get a paper, keep it safe and get rid of it. Plain C++ over the
// model, the host port and the settings values: the editor's dialogs and the
// lexova tool's edit sessions call the same operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/undo/undo_store.h"
#include "editing/block_frames.h"
#include "host/host.h"
#include "interchange/interchange.h"
#include "platform/clock.h"
#include "reconstruct/page_pass.h"
#include "settings/values.h"

namespace lexova {

// What the document takes from the settings.
struct DocumentOptions {
  settings::ReconstructionOptions reconstruction;
  int outputEncoding = 0;  // Output/Encoding: 0 the file's own, 1 Shift_JIS, 2 EUC-JP
  bool backupEnabled = true;
  int backupIntervalMinutes = 5;
  std::u16string backupFile;  // "_$backup.xml" in the user data folder; empty: no backups
};

// Where the path of the backed-up document (BackupOrgFileName) is kept: the
// settings store in the editor, memory in the tool.
class BackupOrigin {
 public:
  virtual ~BackupOrigin() = default;
  virtual std::u16string get() = 0;
  virtual void set(std::u16string_view path) = 0;
};

class MemoryBackupOrigin final : public BackupOrigin {
 public:
  std::u16string get() override { return value; }
  void set(std::u16string_view path) override { value = path; }
  std::u16string value;
};

// The backup file in a folder (the user data folder: the program's folder is
// rarely writable, and each user has a session of their own).
inline std::u16string backupFileIn(std::u16string_view folder) {
  std::u16string f(folder);
  if (!f.empty() && f.back() != u'/') f += u'/';
  return f + u"_$backup.xml";
}

// The format of a file by its first bytes (a work file when it is none of the others).
interchange::Format formatOfFile(const std::u16string& path);
// Another engine's result is read whole: at most this many bytes.
inline constexpr std::uint64_t kMaxInterchangeBytes = 1ULL << 30;

// The document's options as the settings give them, with the backup file in
// backupFolder (empty: no backups).
DocumentOptions documentOptionsFor(const settings::AllSettings& s, std::u16string_view backupFolder);

// The file name of a recovered document whose original path is unknown.
inline constexpr char16_t kRecoveredTitle[] = u"回復した文書";
inline constexpr char16_t kUntitled[] = u"無題";

class DAdovoVodovoDez {
 public:
  DAdovoVodovoDez(Host& host, Clock& clock, BackupOrigin& origin, DocumentOptions options);
  ~DAdovoVodovoDez();
  DAdovoVodovoDez(const DAdovoVodovoDez&) = delete;
  DAdovoVodovoDez& operator=(const DAdovoVodovoDez&) = delete;

  // ---- the state ---------------------------------------------------------------------
  COcrPaper* paper() { return paper_.get(); }
  const COcrPaper* paper() const { return paper_.get(); }
  int pageCount() const;
  COcrPage* page(int index);
  int currentPage = -1;
  std::vector<PageEntry> pageEntries;  // one per page, in page order
  bool documentModified = false;
  std::int64_t lastBackupTime = 0;
  int firstArticlePage = -1;
  UndoStore undoStore;
  // The folder the page images were moved to (the "after" of the last image-folder
  // change), searched by the page-image resolver.
  std::u16string imageFolder;
  // The file the document saves to; empty when it has none (never saved, or
  // recovered without a known original).
  const std::u16string& path() const { return path_; }
  // The window title's name: the path's file name, "回復した文書" or "無題".
  std::u16string title() const;
  const DocumentOptions& options() const { return options_; }
  // Changes whenever a page may have changed: marks, undo, loading, reconstruction.
  std::uint64_t revision() const { return revision_; }
  void setOptions(const DocumentOptions& options) { options_ = options; }

  // ---- getting a paper -----------------------------------------------------------------
  // Reads path into a new paper and installs it (or appends its pages, numbering
  // all pages again), with the progress window. On failure the message of the
  // error and nothing else changes. False on failure.
  bool loadFile(const std::u16string& path, bool append);
  // loadFile, then the pass over every page without merging (the pages it changes
  // get their mark), the forced backup, the path (when not appending or without
  // one) and an empty undo store.
  bool open(const std::u16string& path, bool append);
  // After "編集中のデータは最初の状態に戻りますが、よろしいですか？": open the path again.
  bool reload();
  // The framework's new document: no paper, no path.
  void newDocument();

  // ---- keeping it ----------------------------------------------------------------------
  enum class SaveResult { Saved, Failed, NeedsName };
  // Writes every page to the document's path. NeedsName without a path (the
  // editor then saves under another name).
  SaveResult save();
  // Writes pages first..last (positions) to path, moving the images that moved
  // into the folder named after the document's file. The document stays modified
  // unless it wrote all its pages to its own path.
  bool saveAs(const std::u16string& path, int first, int last);
  // The same in a format (a work file, hOCR, ALTO or PAGE XML); saving under the
  // document's own path in its own format keeps the marks' meaning.
  bool saveAs(const std::u16string& path, int first, int last, interchange::Format format);
  // The format the document was read from: save writes it again.
  interchange::Format sourceFormat() const { return sourceFormat_; }
  // The automatic backup: written when forced or when the interval has passed
  // since the last one, recording originPath (default the document's path).
  // False when nothing was written.
  bool backup(bool force, std::u16string_view originPath = {});
  // A backup left by an earlier session that recovery has not offered yet: no
  // backup replaces it until offerRecovery has run.
  bool hasBackupNotYetOffered() const { return backupPending_; }
  // Start-up: offers to restore the backup of an earlier session. A backup that
  // is not restored (refused, or unreadable) is kept aside under a free name.
  void offerRecovery();
  // Normal exit: the backup file goes (unless it was never offered).
  void removeBackupAtExit();
  enum class Discard { Proceed, Cancelled, NeedsName };
  // The save question before the document is closed or replaced.
  Discard confirmDiscard(bool recentFileRoute = false);

  // ---- marks and entries ---------------------------------------------------------------
  // The page list's "*": on also sets documentModified.
  void markPageEdited(int page, bool on);
  std::vector<int> editedPages() const;
  void rebuildPageEntries();

  // ---- undo ---------------------------------------------------------------------------
  // Takes a snapshot before an edit (pageIndex -1: the current page).
  int record(int kind, int pageIndex, ViewPosition view);
  // Swaps the snapshot in; `view` becomes the position to return to. The page and
  // the document are marked modified.
  bool undo(ViewPosition& view);
  // A page changed without a snapshot: the next typing run records anew.
  void pageChangedWithoutRecord();

  // ---- commands on the paper -----------------------------------------------------------
  // The image of a page (see resolvePageImage), empty when none is found.
  std::u16string pageImagePath(int page) const;
  // Moves the images of the pages in `before` to `after`; the pages changed get
  // their mark. The number of pages changed.
  int changeImageFolder(const std::u16string& before, const std::u16string& after);
  // The command "現ページ再構成": a snapshot (undo kind 9), the forced backup, the
  // pass with merging on the current page.
  reconstruct::Reconstruction reconstructCurrentPage(ViewPosition view);
  // The command "全ページ再構成": every page with merging, the forced backup, the
  // first article again as the current page, every entry rebuilt, undo emptied.
  reconstruct::Reconstruction reconstructAllPages();

 private:
  void install(std::unique_ptr<COcrPaper> paper);
  void markPages(const std::vector<int>& pages);
  void clearMarks();
  void setPath(const std::u16string& path);
  void keepBackupAside();
  void reportBackupFailure();

  Host& host_;
  Clock& clock_;
  BackupOrigin& origin_;
  DocumentOptions options_;
  std::unique_ptr<COcrPaper> paper_;
  std::u16string path_;
  std::u16string title_;  // set when the document has no path but a name to show
  bool backupPending_ = false;
  std::uint64_t revision_ = 0;
  std::vector<COcrPage*> pageIndex_;  // the pages by position
  bool backupFailureReported_ = false;
  interchange::Format sourceFormat_ = interchange::Format::WorkFile;
};

}  // namespace lexova
