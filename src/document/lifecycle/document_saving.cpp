// Saving, saving under another name, the automatic backup, recovery and the save
// question of the document. Every write goes through the safe file writer: a
// failed write leaves the file there before it whole and the document as it was.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "document/lifecycle/document.h"
#include "document/lifecycle/page_images.h"
#include "document/vuzozoviv/writer.h"
#include "io/byte_io.h"
#include "text/utf.h"

namespace lexova {
namespace {

bool writeWorkFile(const COcrPaper& paper, const std::u16string& path, int encoding, int first, int last) {
  return vuzozoviv::writePaperFile(paper, text::toUtf8(path), encoding, first, last) == vuzozoviv::kWriteOk;
}

// Pages first..last (-1: no bound) in a format: a work file, or another engine's
// (ALTO and PAGE one file a page), each file through the safe writer.
bool writeDocumentFile(const COcrPaper& paper, const std::u16string& path, interchange::Format format, int encoding,
                       int first, int last) {
  if (format == interchange::Format::WorkFile || format == interchange::Format::Unknown) {
    return writeWorkFile(paper, path, encoding, first, last);
  }
  const int count = static_cast<int>(paper.pages.size());
  const bool whole = first <= 0 && (last < 0 || last >= count - 1);
  COcrPaper part;
  if (!whole) {
    int i = 0;
    for (const COcrPage& page : paper.pages) {
      if (i >= first && (last < 0 || i <= last)) part.pages.push_back(page);
      ++i;
    }
  }
  try {
    for (const auto& [name, contents] :
         interchange::interchangeFiles(whole ? paper : part, format, text::toUtf8(path))) {
      io::SafeFileSink sink(name);
      sink.write(contents.data(), contents.size());
      sink.commit();
    }
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

void fileOpenError(Host& host) {
  host.message(u"ファイルオープンエラー", u"エラー", MessageIcon::Error);
}

}  // namespace

DAdovoVodovoDez::SaveResult DAdovoVodovoDez::save() {
  if (!paper_) return SaveResult::Failed;
  if (path_.empty()) return SaveResult::NeedsName;
  // Saved in the format it was read from.
  if (!writeDocumentFile(*paper_, path_, sourceFormat_, options_.outputEncoding, -1, -1)) {
    fileOpenError(host_);
    return SaveResult::Failed;
  }
  clearMarks();
  documentModified = false;
  return SaveResult::Saved;
}

bool DAdovoVodovoDez::saveAs(const std::u16string& path, int first, int last) {
  return saveAs(path, first, last, interchange::Format::WorkFile);
}

bool DAdovoVodovoDez::saveAs(const std::u16string& path, int first, int last, interchange::Format format) {
  if (!paper_) return false;
  const int count = pageCount();
  if (first < 0 || last < first || first >= count) {
    host_.message(u"保存範囲が指定されていません。", kApplicationName, MessageIcon::Warning);
    return false;
  }
  last = std::min(last, count - 1);
  // Images that moved into the folder named after the document's file are found
  // there; the pages written name them where they are now.
  std::vector<int> relocated;
  if (!path_.empty()) {
    int index = 0;
    for (COcrPage& p : paper_->pages) {
      if (index >= first && index <= last && relocatePageImage(p, path_)) relocated.push_back(index);
      ++index;
    }
  }
  markPages(relocated);
  if (!writeDocumentFile(*paper_, path, format, options_.outputEncoding, first, last)) {
    fileOpenError(host_);
    return false;
  }
  // Only the document's own file, written whole in its own format, holds
  // everything it has.
  if (path == path_ && first == 0 && last == count - 1 && format == sourceFormat_) {
    clearMarks();
    documentModified = false;
  }
  return true;
}

void DAdovoVodovoDez::reportBackupFailure() {
  if (backupFailureReported_) return;
  backupFailureReported_ = true;
  host_.message(u"バックアップファイル " + options_.backupFile + u" が保存できません。", u"エラー",
                MessageIcon::Warning);
}

bool DAdovoVodovoDez::backup(bool force, std::u16string_view originPath) {
  if (!options_.backupEnabled || options_.backupIntervalMinutes <= 0 || options_.backupFile.empty()) return false;
  const std::int64_t now = clock_.nowMs();
  const std::int64_t interval = static_cast<std::int64_t>(options_.backupIntervalMinutes) * 60000;
  if (!force && now - lastBackupTime <= interval && now >= lastBackupTime) return false;
  // An earlier session's backup stays until recovery has offered it.
  if (!paper_ || backupPending_) return false;
  const WaitCursor wait(host_);
  lastBackupTime = now;
  if (!writeWorkFile(*paper_, options_.backupFile, options_.outputEncoding, -1, -1)) {
    reportBackupFailure();
    return false;
  }
  origin_.set(originPath.empty() ? std::u16string_view(path_) : originPath);
  return true;
}

void DAdovoVodovoDez::keepBackupAside() {
  const std::string backupFile = text::toUtf8(options_.backupFile);
  const std::string kept = io::keepNameFor(backupFile);
  if (std::rename(backupFile.c_str(), kept.c_str()) != 0) {
    // Where it is, it must not be written over.
    backupPending_ = true;
    host_.message(u"バックアップファイル " + options_.backupFile + u" を別名で残せませんでした。", u"エラー",
                  MessageIcon::Warning);
    return;
  }
  host_.message(u"前回作業時のデータを " + text::fromUtf8(kept) + u" として残しました。", kApplicationName,
                MessageIcon::Information);
}

void DAdovoVodovoDez::offerRecovery() {
  if (!backupPending_) return;
  backupPending_ = false;
  const Answer answer = host_.message(
      u"プログラムの異常終了などが原因で、前回作業時のデータが残っています。\n可能な限り復元を試みますか？",
      kApplicationName, MessageIcon::Question, Buttons::OkCancel, Answer::Ok);
  if (answer != Answer::Ok) {
    keepBackupAside();
    return;
  }
  const std::u16string origin = origin_.get();
  if (!loadFile(options_.backupFile, false)) {
    keepBackupAside();
    return;
  }
  setPath(origin);
  // Saved again in the format of the file it came from.
  sourceFormat_ = origin.empty() ? interchange::Format::WorkFile : formatOfFile(origin);
  markPageEdited(currentPage, true);
  documentModified = true;
}

void DAdovoVodovoDez::removeBackupAtExit() {
  if (backupPending_ || options_.backupFile.empty()) return;
  std::remove(text::toUtf8(options_.backupFile).c_str());
}

DAdovoVodovoDez::Discard DAdovoVodovoDez::confirmDiscard(bool recentFileRoute) {
  if (!documentModified) return Discard::Proceed;
  switch (host_.message(u"文書は変更されています。保存しますか", kApplicationName, MessageIcon::Question,
                        Buttons::YesNoCancel, Answer::Yes)) {
    case Answer::Yes:
      switch (save()) {
        case SaveResult::Saved:
          return Discard::Proceed;
        case SaveResult::NeedsName:
          return Discard::NeedsName;
        case SaveResult::Failed:
          return Discard::Cancelled;
      }
      return Discard::Cancelled;
    case Answer::No:
      if (recentFileRoute) documentModified = false;
      return Discard::Proceed;
    default:
      return Discard::Cancelled;
  }
}

}  // namespace lexova
