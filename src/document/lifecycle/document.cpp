#include "document/lifecycle/document.h"

#include <algorithm>
#include <iterator>

#include "document/lifecycle/open_paper.h"
#include "document/lifecycle/page_images.h"
#include "io/byte_io.h"
#include "reconstruct/first_article.h"
#include "text/utf.h"

namespace lexova {
namespace {

// The reader's progress texts shown in the host's progress window.
class HostReadProgress final : public vuzozoviv::ReadProgress {
 public:
  explicit HostReadProgress(Host& host) : host_(host) {}
  void setText(std::u16string_view text) override { host_.progressText(text); }
  void show() override {}

 private:
  Host& host_;
};

}  // namespace

DocumentOptions documentOptionsFor(const settings::AllSettings& s, std::u16string_view backupFolder) {
  DocumentOptions options;
  options.reconstruction = settings::reconstructionOptions(s.settings);
  options.outputEncoding = s.output.encoding;
  const settings::BackupOptions backup = settings::backupOptions(s);
  options.backupEnabled = backup.enabled;
  options.backupIntervalMinutes = backup.intervalMinutes;
  if (!backupFolder.empty()) options.backupFile = backupFileIn(backupFolder);
  return options;
}

DAdovoVodovoDez::DAdovoVodovoDez(Host& host, Clock& clock, BackupOrigin& origin, DocumentOptions options)
    : host_(host), clock_(clock), origin_(origin), options_(std::move(options)) {
  backupPending_ = !options_.backupFile.empty() && io::fileExists(text::toUtf8(options_.backupFile));
}

DAdovoVodovoDez::~DAdovoVodovoDez() = default;

int DAdovoVodovoDez::pageCount() const {
  return paper_ ? static_cast<int>(paper_->pages.size()) : 0;
}

COcrPage* DAdovoVodovoDez::page(int index) {
  if (index < 0 || index >= pageCount()) return nullptr;
  // Pages are added only by loading: the index is rebuilt then (undo swaps a
  // page's contents, never the page itself).
  if (pageIndex_.size() != paper_->pages.size()) {
    pageIndex_.clear();
    for (COcrPage& p : paper_->pages) pageIndex_.push_back(&p);
  }
  return pageIndex_[static_cast<std::size_t>(index)];
}

std::u16string DAdovoVodovoDez::title() const {
  if (!path_.empty()) return std::u16string(fileNameOf(path_));
  return title_.empty() ? std::u16string(kUntitled) : title_;
}

void DAdovoVodovoDez::setPath(const std::u16string& path) {
  // The backup file is deleted at exit: a document never lives there.
  if (path == options_.backupFile || path.empty()) {
    path_.clear();
    title_ = path.empty() ? std::u16string(kRecoveredTitle) : std::u16string(fileNameOf(path));
    return;
  }
  path_ = path;
  title_.clear();
}

// ---- getting a paper ----------------------------------------------------------------------

void DAdovoVodovoDez::install(std::unique_ptr<COcrPaper> paper) {
  ++revision_;
  paper_ = std::move(paper);
  pageIndex_.clear();
  pageEntries.assign(paper_->pages.size(), {});
}

interchange::Format formatOfFile(const std::u16string& path) {
  // The first bytes say it; a file that cannot be read is left to the work-file
  // reader, which reports why.
  try {
    io::FileSource in(text::toUtf8(path));
    std::string head(64 * 1024, '\0');
    std::size_t n = 0;
    while (n < head.size()) {
      const std::size_t got = in.read(reinterpret_cast<std::uint8_t*>(head.data()) + n, head.size() - n);
      if (got == 0) break;
      n += got;
    }
    head.resize(n);
    const interchange::Format f = interchange::detectFormat(head);
    return f == interchange::Format::Unknown ? interchange::Format::WorkFile : f;
  } catch (const std::exception&) {
    return interchange::Format::WorkFile;
  }
}

bool DAdovoVodovoDez::loadFile(const std::u16string& path, bool append) {
  const WaitCursor wait(host_);
  host_.progressBegin(u"", 100);
  host_.progressValue(0);
  host_.progressValue(10);
  HostReadProgress progress(host_);
  // Read into a paper of its own: the open one stays as it is until this one is whole.
  // Another engine's result (hOCR, ALTO, PAGE XML) is known by its content.
  const interchange::Format format = formatOfFile(path);
  vuzozoviv::ReadResult read;
  if (format == interchange::Format::WorkFile) {
    read = vuzozoviv::readPaperFile(text::toUtf8(path), &progress);
  } else {
    std::string bytes;
    interchange::ImportResult imported;
    try {
      bytes = io::readFile(text::toUtf8(path), kMaxInterchangeBytes);
      imported = interchange::readInterchange(bytes, format);
    } catch (const std::exception& e) {
      imported.error = e.what();
    }
    if (!imported.paper) {
      host_.progressEnd();
      std::u16string where = imported.line > 0 ? u"[" + text::fromUtf8(std::to_string(imported.line)) + u"行目]" : u"";
      host_.message(u"ファイルを読み込めません。" + text::fromUtf8(imported.error) + where, u"エラー",
                    MessageIcon::Error);
      if (!paper_) currentPage = -1;
      return false;
    }
    read.paper = std::move(imported.paper);
  }
  if (!read.paper) {
    host_.progressEnd();
    host_.message(vuzozoviv::readErrorMessage(read.code, read.line), u"エラー", MessageIcon::Error);
    if (!paper_) currentPage = -1;
    return false;
  }
  if (!append || !paper_) sourceFormat_ = format;
  std::vector<int> appended;
  if (append && paper_) {
    const int before = pageCount();
    appendPages(*paper_, *read.paper);
    pageIndex_.clear();
    renumberPages(*paper_);
    pageEntries.resize(paper_->pages.size());
    for (int i = before; i < pageCount(); ++i) appended.push_back(i);
  } else {
    install(std::move(read.paper));
  }
  const OpenedState state = settleLoadedPaper(*paper_, &host_);
  firstArticlePage = state.firstArticlePage;
  currentPage = state.currentPage;
  rebuildPageEntries();
  host_.progressValue(100);
  host_.progressEnd();
  lastBackupTime = clock_.nowMs();
  // A snapshot of another paper's page would be swapped into this one.
  undoStore.reset();
  documentModified = false;
  if (appended.empty()) {
    clearMarks();
  } else {
    // The appended pages are not in the document's file yet.
    markPages(appended);
  }
  return true;
}

bool DAdovoVodovoDez::open(const std::u16string& path, bool append) {
  const bool takesPath = !append || path_.empty();
  const bool appending = append && paper_;
  if (!loadFile(path, append)) return false;
  ++revision_;
  const std::vector<int> changed = runOpenPass(*paper_, options_.reconstruction);
  // The pass is done again at every opening: its pages are marked, but the
  // document is modified only by what an append added.
  for (const int i : changed) pageEntries[static_cast<std::size_t>(i)].edited = true;
  documentModified = appending;
  // The backup records the path the document will have, not the one it had.
  backup(true, takesPath ? path : path_);
  if (takesPath) setPath(path);
  undoStore.reset();
  return true;
}

bool DAdovoVodovoDez::reload() {
  if (!paper_) return false;
  if (path_.empty() || !io::fileExists(text::toUtf8(path_))) {
    host_.message(u"ファイルが読み込めません", u"エラー", MessageIcon::Error);
    return false;
  }
  if (host_.message(u"編集中のデータは最初の状態に戻りますが、よろしいですか？", kApplicationName,
                    MessageIcon::Question, Buttons::OkCancel, Answer::Ok) != Answer::Ok) {
    return false;
  }
  const std::u16string path = path_;
  return open(path, false);
}

void DAdovoVodovoDez::newDocument() {
  ++revision_;
  paper_.reset();
  pageIndex_.clear();
  path_.clear();
  title_.clear();
  currentPage = -1;
  firstArticlePage = -1;
  pageEntries.clear();
  documentModified = false;
  undoStore.reset();
}

// ---- marks and entries --------------------------------------------------------------------

void DAdovoVodovoDez::markPageEdited(int index, bool on) {
  ++revision_;
  if (index < 0 || index >= static_cast<int>(pageEntries.size())) return;
  pageEntries[static_cast<std::size_t>(index)].edited = on;
  if (on) documentModified = true;
}

void DAdovoVodovoDez::markPages(const std::vector<int>& pages) {
  for (const int i : pages) markPageEdited(i, true);
}

void DAdovoVodovoDez::clearMarks() {
  for (PageEntry& e : pageEntries) e.edited = false;
}

std::vector<int> DAdovoVodovoDez::editedPages() const {
  std::vector<int> out;
  for (std::size_t i = 0; i < pageEntries.size(); ++i) {
    if (pageEntries[i].edited) out.push_back(static_cast<int>(i));
  }
  return out;
}

void DAdovoVodovoDez::rebuildPageEntries() {
  if (!paper_) {
    pageEntries.clear();
    return;
  }
  pageEntries.resize(paper_->pages.size());
  std::size_t i = 0;
  for (const COcrPage& p : paper_->pages) rebuildFrames(pageEntries[i++], p);
}

// ---- undo ---------------------------------------------------------------------------------

int DAdovoVodovoDez::record(int kind, int pageIndex, ViewPosition view) {
  if (!paper_) return -1;
  return undoStore.record(kind, pageIndex < 0 ? currentPage : pageIndex, *paper_, view);
}

bool DAdovoVodovoDez::undo(ViewPosition& view) {
  if (!paper_ || !undoStore.undo(*paper_, currentPage, view)) return false;
  rebuildFrames(pageEntries[static_cast<std::size_t>(currentPage)], *page(currentPage));
  markPageEdited(currentPage, true);
  return true;
}

void DAdovoVodovoDez::pageChangedWithoutRecord() {
  ++revision_;
  undoStore.breakRun();
}

// ---- commands on the paper ----------------------------------------------------------------

std::u16string DAdovoVodovoDez::pageImagePath(int index) const {
  if (index < 0 || index >= pageCount()) return {};
  return resolvePageImage(*std::next(paper_->pages.begin(), index), imageFolder, path_);
}

int DAdovoVodovoDez::changeImageFolder(const std::u16string& before, const std::u16string& after) {
  if (!paper_ || before.empty() || after.empty()) return 0;
  const std::vector<int> changed = lexova::changeImageFolder(*paper_, before, after);
  // What Save writes changed: the pages are marked and the document modified.
  markPages(changed);
  imageFolder = after;
  return static_cast<int>(changed.size());
}

reconstruct::Reconstruction DAdovoVodovoDez::reconstructCurrentPage(ViewPosition view) {
  COcrPage* current = page(currentPage);
  if (!current) return {};
  pageEntries[static_cast<std::size_t>(currentPage)].changed = true;
  // Undo after the reconstruction returns the page as it was before it.
  record(kUndoReconstruction, currentPage, view);
  backup(true);
  ++revision_;
  reconstruct::Reconstruction r = reconstruct::ReconstructCurrentPage(*paper_, currentPage, options_.reconstruction);
  if (!r.pagesMerged.empty()) rebuildFrames(pageEntries[static_cast<std::size_t>(currentPage)], *current);
  markPages(r.pagesChanged);
  return r;
}

reconstruct::Reconstruction DAdovoVodovoDez::reconstructAllPages() {
  if (!paper_) return {};
  const WaitCursor wait(host_);
  ++revision_;
  reconstruct::Reconstruction r = reconstruct::ReconstructAllPages(*paper_, true, options_.reconstruction);
  markPages(r.pagesChanged);
  // Many pages changed at once: no snapshot can undo that.
  undoStore.reset();
  backup(true);
  firstArticlePage = reconstruct::FindFirstArticlePage(paper_.get());
  currentPage = paper_->pages.empty() ? -1 : reconstruct::currentPageForArticle(*paper_, firstArticlePage);
  rebuildPageEntries();
  return r;
}

}  // namespace lexova
