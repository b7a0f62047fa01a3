// A scripted edit session: the document driven one operation a line, as the
// editor's commands drive it, with every question answered from the script. The
// lexova tool's `edit` command, its tests and a fuzz target run sessions; each
// editing step adds its operations to the same runner.
#pragma once

#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/lifecycle/document.h"
#include "document/lifecycle/document_edit.h"
#include "editing/edit_state.h"
#include "editing/registered_table.h"
#include "editing/ruby_correction.h"
#include "editing/search.h"
#include "host/host.h"
#include "platform/clock.h"
#include "textview/text_view_model.h"

namespace lexova::cli {

// Questions are answered from a queue; an unanswered question takes the answer
// that changes nothing (No, Cancel, or OK when that is the only button). Every
// message is kept with its answer until taken.
class SessionHost final : public Host {
 public:
  struct Shown {
    std::u16string text, caption;
    Answer answer;
  };
  std::deque<Answer> answers;
  std::vector<Shown> shown;
  std::FILE* echo = nullptr;  // where messages are also written as "caption: text", when set

  Answer message(std::u16string_view text, std::u16string_view caption, MessageIcon, Buttons buttons,
                 Answer defaultAnswer) override;
  void progressBegin(std::u16string_view, int) override {}
  void progressText(std::u16string_view) override {}
  void progressValue(int) override {}
  bool progressCancelled() override { return false; }
  void progressEnd() override {}
  void waitCursor(bool) override {}
  std::u16string clipboardText() override { return clipboard; }
  void setClipboardText(std::u16string_view text) override { clipboard = text; }
  std::u16string clipboard;
};

class EditSession {
 public:
  // out receives one JSON object a line (json) or the output of `state` and
  // `dump` only; nullptr: nothing is written.
  EditSession(DocumentOptions options, std::FILE* out, bool json);

  // Runs one line of a script. Blank lines and "#" comments do nothing. False for
  // a script error (an unknown operation, a malformed argument, a save that needs
  // a name), with *error set; a failed operation is reported and is not an error.
  bool runLine(int lineNumber, std::string_view line, std::string* error);

  // Opens a file as the editor's open command does (no save question) and puts
  // the cursor at its start.
  bool openDocument(const std::u16string& path);

  DAdovoVodovoDez& document() { return doc_; }
  SessionHost& host() { return host_; }
  ManualClock& clock() { return clock_; }
  // The text view's editing state: cursor, selection, mode.
  editing::EditState edit;
  // The registered-character table the character replace dialog adds to.
  RegisteredTable table;
  // The ruby correction dialog, while it is open.
  editing::RubyDialog ruby;
  // The find and replace dialogs' state, kept for the session.
  editing::SearchState search;
  // The view's settings: reject level, registration of replacements.
  editing::EditSettings& settings() { return target_.settings; }
  // The text view's input as the editor's view gives it (keys, clicks, menus).
  textview::TextViewModel& view() { return view_; }

 private:
  struct Step;
  bool run(Step& step, const std::vector<std::u16string>& args, std::string* error);

  SessionHost host_;
  ManualClock clock_;
  MemoryBackupOrigin origin_;
  DAdovoVodovoDez doc_;
  DocumentEditTarget target_;
  textview::TextViewModel view_{target_, edit, search, ruby};
  // The text view's layout for clicks and menus: display, scale.
  layout::LayoutSettings viewLayout_;
  std::FILE* out_;
  bool json_;
};

// The tokens of a script line: words separated by blanks; a word in double
// quotes is a JSON string ("\r", "\ud842\udfb7"). Nothing, with *error set, for
// an unterminated or malformed string.
std::optional<std::vector<std::u16string>> scriptTokens(std::string_view line, std::string* error);

}  // namespace lexova::cli
