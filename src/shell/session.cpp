#include "shell/session.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace lexova::shell {

bool settleBeforeDiscard(DAdovoVodovoDez& doc, bool recentFileRoute, const SaveUnderName& saveUnderName) {
  switch (doc.confirmDiscard(recentFileRoute)) {
    case DAdovoVodovoDez::Discard::Proceed:
      return true;
    case DAdovoVodovoDez::Discard::NeedsName:
      return saveUnderName && saveUnderName();
    case DAdovoVodovoDez::Discard::Cancelled:
      return false;
  }
  return false;
}

OpenOutcome openWorkFile(DAdovoVodovoDez& doc, const std::u16string& path, bool append, bool recentFileRoute,
                         const SaveUnderName& saveUnderName, std::vector<std::u16string>& recent, int maxRecent) {
  // Appending keeps the document: nothing is discarded.
  if (!append && doc.paper() != nullptr && !settleBeforeDiscard(doc, recentFileRoute, saveUnderName)) {
    return OpenOutcome::Cancelled;
  }
  const bool takesPath = !append || doc.path().empty();
  if (!doc.open(path, append)) return OpenOutcome::Failed;
  if (takesPath) addRecentFile(recent, path, maxRecent);
  return OpenOutcome::Opened;
}

OpenOutcome startSession(DAdovoVodovoDez& doc, const std::u16string& commandLineFile,
                         const SaveUnderName& saveUnderName, std::vector<std::u16string>& recent, int maxRecent,
                         const std::function<void()>& recovered) {
  doc.offerRecovery();
  if (recovered) recovered();
  if (commandLineFile.empty()) return OpenOutcome::Opened;
  return openWorkFile(doc, commandLineFile, false, false, saveUnderName, recent, maxRecent);
}

void addRecentFile(std::vector<std::u16string>& recent, const std::u16string& path, int max) {
  if (path.empty() || max <= 0) return;
  recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  recent.insert(recent.begin(), path);
  if (static_cast<int>(recent.size()) > max) recent.resize(static_cast<std::size_t>(max));
}

std::u16string windowCaption(const DAdovoVodovoDez& doc) {
  return std::u16string(kApplicationName) + u" " + doc.title();
}

std::u16string pagePaneText(const DAdovoVodovoDez& doc) {
  const int count = doc.pageCount();
  if (doc.paper() == nullptr || count <= 0) return u"(0/0)";
  const int current = doc.currentPage >= 0 ? doc.currentPage + 1 : 0;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%4d / %4d", current, count);
  std::u16string out;
  for (const char* c = buf; *c; ++c) out += static_cast<char16_t>(*c);
  return out;
}

}  // namespace lexova::shell
