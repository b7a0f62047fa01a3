// The host of the lexova tool: messages go to standard error as "caption: text";
// questions take their default answer; there is no progress window.
#pragma once

#include <cstdio>

#include "host/host.h"
#include "text/utf.h"

namespace lexova::cli {

class ConsoleHost final : public Host {
 public:
  Answer message(std::u16string_view text, std::u16string_view caption, MessageIcon, Buttons,
                 Answer defaultAnswer) override {
    const std::string line = text::toUtf8(caption) + ": " + text::toUtf8(text) + "\n";
    std::fputs(line.c_str(), stderr);
    return defaultAnswer;
  }
  void progressBegin(std::u16string_view, int) override {}
  void progressText(std::u16string_view) override {}
  void progressValue(int) override {}
  bool progressCancelled() override { return false; }
  void progressEnd() override {}
  void waitCursor(bool) override {}
  std::u16string clipboardText() override { return {}; }
  void setClipboardText(std::u16string_view) override {}
};

}  // namespace lexova::cli
