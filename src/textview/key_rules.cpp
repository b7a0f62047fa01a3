#include "textview/key_rules.h"

namespace lexova::textview {

bool verticalWriting(int textLayout, const COcrBlock* block) {
  if (textLayout == 0) return false;
  if (textLayout == 1) return true;
  return block != nullptr && block->direction == 1;
}

std::u16string typedUnits(std::u16string_view text) {
  std::u16string out(text.size(), u'\0');
  std::size_t n = 0;
  for (const char16_t u : text) {
    if (u == 13 || (u >= 0x20 && u != 0x7F)) out[n++] = u;
  }
  out.resize(n);
  return out;
}

KeyMapping mapKey(const KeyPress& k, bool vertical, editing::EditMode mode) {
  KeyMapping m;
  // Block editing: the keys do nothing, but characters still arrive (and act on
  // the cursor kept from character editing).
  const bool character = mode == editing::EditMode::Character;
  m.extend = k.shift;
  if (!character && k.key != Key::Enter && k.key != Key::Other) return {};
  switch (k.key) {
    case Key::Left:
      m.op = vertical ? KeyOp::MoveNextLine : KeyOp::MovePrevChar;
      return m;
    case Key::Right:
      m.op = vertical ? KeyOp::MovePrevLine : KeyOp::MoveNextChar;
      return m;
    case Key::Up:
      m.op = vertical ? KeyOp::MovePrevChar : KeyOp::MovePrevLine;
      return m;
    case Key::Down:
      m.op = vertical ? KeyOp::MoveNextChar : KeyOp::MoveNextLine;
      return m;
    case Key::Backspace:
      m.op = KeyOp::DeleteBackward;
      m.extend = false;
      return m;
    case Key::Delete:
      m.op = KeyOp::DeleteForward;
      m.extend = false;
      return m;
    case Key::Enter:
      m.op = KeyOp::Type;
      m.extend = false;
      m.text = std::u16string(1, u'\r');
      return m;
    default:
      break;
  }
  m.extend = false;
  // Shortcuts are not text: with Ctrl or Alt held nothing is typed.
  if (k.ctrl || k.alt) return m;
  m.text = typedUnits(k.text);
  if (!m.text.empty()) m.op = KeyOp::Type;
  return m;
}

KeyRun::Step KeyRun::press(KeyOp op) {
  Step s;
  if (!isMove(op)) {
    s.forgetColumn = true;
    interrupt();
    return s;
  }
  s.startsRun = !moving;
  // The column is kept only from one move to another line to the next.
  s.forgetColumn = !(isVerticalMove(op) && isVerticalMove(last));
  moving = true;
  last = op;
  return s;
}

int WheelSteps::add(int delta) {
  // 120 of delta is five steps: one step per 24, kept exactly in integers.
  const long long total = static_cast<long long>(rest_) - delta;
  const long long steps = total / 24;  // toward zero
  rest_ = static_cast<int>(total - steps * 24);
  return static_cast<int>(steps);
}

}  // namespace lexova::textview
