// The editor's file flows over the document and the host: the save question
// before a document is replaced or closed, opening by every route, the start-up
// order (recovery before the command-line file) and the recent-file list. The
// main frame and its dialogs only call these.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/lifecycle/document.h"

namespace lexova::shell {

// Saves the document under a name the person chooses (the save-as dialog); false
// when they cancel or the save fails.
using SaveUnderName = std::function<bool()>;

// The save question; Yes on a document without a file asks for a name. True when
// the document may be replaced or closed.
bool settleBeforeDiscard(DAdovoVodovoDez& doc, bool recentFileRoute, const SaveUnderName& saveUnderName);

enum class OpenOutcome { Opened, Cancelled, Failed };

// Opens a work file as the open dialog (not appending), the recent-file list, a
// drop, a second copy or the command line do: the save question first, then
// open. An opened file goes to the front of `recent`.
OpenOutcome openWorkFile(DAdovoVodovoDez& doc, const std::u16string& path, bool append, bool recentFileRoute,
                         const SaveUnderName& saveUnderName, std::vector<std::u16string>& recent, int maxRecent);

// Start-up after the window is shown: recovery is offered first, so that nothing
// replaces an earlier session's backup before the person has seen it; then the
// command-line file (when given) is opened through the normal route. A failed
// open leaves the program running without that file. `recovered` runs between
// the two, so the window shows a restored document behind the save question.
OpenOutcome startSession(DAdovoVodovoDez& doc, const std::u16string& commandLineFile,
                         const SaveUnderName& saveUnderName, std::vector<std::u16string>& recent, int maxRecent,
                         const std::function<void()>& recovered = {});

// The recent-file list: `path` first, no other entry for the same file, at most max.
void addRecentFile(std::vector<std::u16string>& recent, const std::u16string& path, int max);

// The window caption: "Lexova PRO 訂正プログラム " and the document's title.
std::u16string windowCaption(const DAdovoVodovoDez& doc);

// The status-bar page pane: "%4d / %4d" (the current page from 1, the page count),
// "(0/0)" without pages.
std::u16string pagePaneText(const DAdovoVodovoDez& doc);

}  // namespace lexova::shell
