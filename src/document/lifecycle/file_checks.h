// The checks of the open dialog and of files dropped on the main window, as plain
// functions over names: the dialog and the drop handler only call them and show
// the message they return.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lexova {

// The message for a name the open dialog must not accept (it stays open), or
// nothing: an empty name, one over 260 characters, or one that does not start
// with a drive letter, "\" or "/" gets "ファイル名が長すぎるか、…"; a file that
// does not exist gets "%s\nこのファイルが見つかりません。\n…".
std::optional<std::u16string> openDialogNameError(const std::u16string& name,
                                                  const std::function<bool(const std::u16string&)>& exists);

// What dropping files on the main window does: open `path` (after the save
// question), or show `message` (caption: the application name) and open nothing.
struct DropDecision {
  std::u16string path;
  std::u16string message;
};
// A file whose name does not end in .xml is still taken when isOtherEngineResult
// says it is hOCR, ALTO or PAGE XML.
DropDecision checkDroppedFiles(const std::vector<std::u16string>& names,
                               const std::function<bool(const std::u16string&)>& isFolder,
                               const std::function<bool(const std::u16string&)>& isOtherEngineResult = {});

}  // namespace lexova
