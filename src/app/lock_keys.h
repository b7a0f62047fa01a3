// The lock keys shown in the status bar: kana, caps, num and scroll lock, read
// from the X server's keyboard indicators (unknown on other platforms).
#pragma once

namespace lexova::app {

struct LockKeys {
  bool known = false;  // false: the platform does not tell
  bool kana = false, caps = false, num = false, scroll = false;
};

LockKeys currentLockKeys();

}  // namespace lexova::app
