// Runs scripted edit sessions for tests: a work file opened as the editor opens
// it, then one operation a line, with the model's invariants checked after every
// operation (a broken one fails the test, naming the line).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "cli/edit_session.h"
#include "editing/cursor.h"
#include "support/invariants.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::testing {

class ScriptedEdit {
 public:
  // Opens the bytes of a work file; the pass after reading runs with `options`.
  explicit ScriptedEdit(const std::string& workFile, settings::ReconstructionOptions options = {}) {
    std::ofstream(dir_ / "in.xml", std::ios::binary) << workFile;
    DocumentOptions d;
    d.reconstruction = options;
    d.backupFile = backupFileIn(text::fromUtf8(dir_.path().string()));
    session_ = std::make_unique<cli::EditSession>(d, nullptr, true);
    EXPECT_TRUE(session_->openDocument(path("in.xml")));
  }

  // Runs the lines of a script; a script error or a broken invariant fails the test.
  void run(std::string_view script) {
    int number = 0;
    std::size_t start = 0;
    while (start <= script.size()) {
      std::size_t end = script.find('\n', start);
      if (end == std::string_view::npos) end = script.size();
      const std::string line(script.substr(start, end - start));
      start = end + 1;
      ++number;
      std::string error;
      if (!session_->runLine(number, line, &error)) {
        ADD_FAILURE() << "script error at \"" << line << "\": " << error;
        return;
      }
      if (const COcrPaper* p = session_->document().paper()) {
        const std::string broken = brokenInvariant(*p);
        if (!broken.empty()) {
          ADD_FAILURE() << "after \"" << line << "\": " << broken;
          return;
        }
      }
    }
  }

  cli::EditSession& session() { return *session_; }
  DAdovoVodovoDez& doc() { return session_->document(); }
  COcrPage& page() { return *doc().page(doc().currentPage); }
  COcrBlock& block(int b) { return *std::next(page().blocks.begin(), b); }
  COcrLine& line(int b, int l) { return *std::next(block(b).lines.begin(), l); }
  // The text of every line of a block, ruby lines as "(text)".
  std::vector<std::u16string> lines(int b) {
    std::vector<std::u16string> out;
    for (const COcrLine& l : block(b).lines) {
      std::u16string t;
      for (const COcrChar& c : l.chars) t += codeText(c.code);
      out.push_back(l.attr == kAttrNone ? t : u"(" + t + u")");
    }
    return out;
  }
  // The cursor as [block, line, character].
  ViewPosition cursor() { return editing::positionOf(page(), session_->edit.cursor); }
  std::u16string path(const std::string& name) const { return text::fromUtf8((dir_ / name).string()); }

 private:
  TempDir dir_;
  std::unique_ptr<cli::EditSession> session_;
};

}  // namespace lexova::testing
