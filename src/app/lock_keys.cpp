#include "app/lock_keys.h"

#include <QGuiApplication>

// After Qt: X11 defines names (Bool, Status) that Qt's headers use.
#include <X11/XKBlib.h>

namespace lexova::app {

LockKeys currentLockKeys() {
  LockKeys keys;
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (display == nullptr) return keys;
  const auto indicator = [display](const char* name) {
    Bool on = False;
    const Atom atom = XInternAtom(display, name, True);
    return atom != None && XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
  };
  keys.known = true;
  keys.caps = indicator("Caps Lock");
  keys.num = indicator("Num Lock");
  keys.scroll = indicator("Scroll Lock");
  keys.kana = indicator("Kana");
  return keys;
}

}  // namespace lexova::app
