// The host port: how the core talks to the person at the screen without knowing
// the window system. The editor implements it with message boxes and a progress
// dialog, the lexova tool on the terminal, tests with a scripted double.
#pragma once

#include <string>
#include <string_view>

namespace lexova {

// The caption of every message that is not about a file.
inline constexpr char16_t kApplicationName[] = u"Lexova PRO 訂正プログラム";

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Host {
 public:
  virtual ~Host() = default;

  // Shows text under caption with the given buttons; returns the button chosen.
  // defaultAnswer is the preselected button (Enter).
  virtual Answer message(std::u16string_view text, std::u16string_view caption, MessageIcon icon = MessageIcon::None,
                         Buttons buttons = Buttons::Ok, Answer defaultAnswer = Answer::Ok) = 0;

  // The modal progress window: one line of text, a bar from 0 to maximum and a
  // cancel button.
  virtual void progressBegin(std::u16string_view text, int maximum) = 0;
  virtual void progressText(std::u16string_view text) = 0;
  virtual void progressValue(int value) = 0;
  // Whether the person asked to cancel; keeps the window responsive.
  virtual bool progressCancelled() = 0;
  virtual void progressEnd() = 0;

  // The hourglass while a long operation runs without a progress window.
  virtual void waitCursor(bool on) = 0;

  virtual std::u16string clipboardText() = 0;
  virtual void setClipboardText(std::u16string_view text) = 0;
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  explicit WaitCursor(Host& host) : host_(host) { host_.waitCursor(true); }
  ~WaitCursor() { host_.waitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Host& host_;
};

}  // namespace lexova
