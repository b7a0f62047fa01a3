// A host for tests and batch runs: records every message and progress step and
// answers questions from a queue (the default button when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host/host.h"

namespace lexova {

class ScriptedHost : public Host {
 public:
  struct Message {
    std::u16string text, caption;
    MessageIcon icon;
    Buttons buttons;
  };

  std::vector<Message> messages;
  std::deque<Answer> answers;            // the next answers, in order
  std::vector<std::u16string> progress;  // every text the progress window showed
  std::vector<int> progressValues;
  int progressOpen = 0;       // windows begun and not ended
  int cancelAfterPolls = -1;  // progressCancelled() turns true after this many polls
  int waitCursorDepth = 0;
  std::u16string clipboard;

  Answer message(std::u16string_view text, std::u16string_view caption, MessageIcon icon, Buttons buttons,
                 Answer defaultAnswer) override {
    messages.push_back({std::u16string(text), std::u16string(caption), icon, buttons});
    if (answers.empty()) return defaultAnswer;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void progressBegin(std::u16string_view text, int) override {
    ++progressOpen;
    progress.emplace_back(text);
  }
  void progressText(std::u16string_view text) override { progress.emplace_back(text); }
  void progressValue(int value) override { progressValues.push_back(value); }
  bool progressCancelled() override { return cancelAfterPolls >= 0 && polls_++ >= cancelAfterPolls; }
  void progressEnd() override { --progressOpen; }
  void waitCursor(bool on) override { waitCursorDepth += on ? 1 : -1; }
  std::u16string clipboardText() override { return clipboard; }
  void setClipboardText(std::u16string_view text) override { clipboard = text; }

  // The texts of the messages shown so far.
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> t;
    for (const Message& m : messages) t.push_back(m.text);
    return t;
  }

 private:
  int polls_ = 0;
};

}  // namespace lexova
