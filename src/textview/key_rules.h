// The text view's keyboard and wheel rules as plain functions: which editing or
// cursor operation a key press makes in each writing direction and edit mode,
// which typed units may enter the text, the run of held keys (the remembered
// column and the shift anchor), and the wheel's line steps.
#pragma once

#include <string>
#include <string_view>

#include "document/model/model.h"
#include "editing/edit_state.h"

namespace lexova::textview {

enum class Key { Other, Left, Right, Up, Down, Backspace, Delete, Enter, Escape, Tab };

struct KeyPress {
  Key key = Key::Other;
  bool shift = false, ctrl = false, alt = false;
  std::u16string text;  // what the window system gives the key as text
  bool autoRepeat = false;
};

enum class KeyOp {
  None,  // the default handling: nothing in the text
  MovePrevChar,
  MoveNextChar,
  MovePrevLine,
  MoveNextLine,
  DeleteBackward,
  DeleteForward,
  Type,  // the units of `text` as character messages (Enter gives 13)
};

struct KeyMapping {
  KeyOp op = KeyOp::None;
  bool extend = false;  // Shift held on a move: the selection's end follows the cursor
  std::u16string text;  // Type: the units that may enter the text
};

// The writing direction the arrows follow: View表示 0 horizontal, 1 vertical, 2
// the cursor block's own direction.
bool verticalWriting(int textLayout, const COcrBlock* block);

// Only 13 (Enter) and units from 0x20 up, except 0x7F, reach the text: the window
// system gives Esc, Delete, Tab and Ctrl+letters as control units, which would
// make the saved work file ill-formed.
std::u16string typedUnits(std::u16string_view text);

// The operation of a key press. In block edit mode keys do nothing to the text.
// Vertical lines run right to left, so Left goes to the next line there.
KeyMapping mapKey(const KeyPress& k, bool vertical, editing::EditMode mode);

inline bool isVerticalMove(KeyOp op) {
  return op == KeyOp::MovePrevLine || op == KeyOp::MoveNextLine;
}
inline bool isMove(KeyOp op) {
  return op == KeyOp::MovePrevChar || op == KeyOp::MoveNextChar || isVerticalMove(op);
}

// A run of moves: the window system reports a held key's repeats as presses and
// releases, so nothing may be keyed to "first press" or "key released". The
// remembered column lasts across consecutive moves to other lines and goes with
// any other key or click; the shift anchor is taken at the first move of a run.
struct KeyRun {
  bool moving = false;
  KeyOp last = KeyOp::None;
  // Before a key's operation runs: whether it starts a run (take the anchor), and
  // whether the remembered column must be forgotten first.
  struct Step {
    bool startsRun = false;
    bool forgetColumn = false;
  };
  Step press(KeyOp op);
  // A key was really let go (not a repeat): the next move starts a new run; the
  // column stays for a following move to another line.
  void release() { moving = false; }
  // Something other than a key moved the cursor (a click, a search).
  void interrupt() {
    moving = false;
    last = KeyOp::None;
  }
};

// The wheel: five line steps per 120 of delta; smaller deltas (touchpads) are
// added up and their remainder kept. A negative delta scrolls down (positive steps).
class WheelSteps {
 public:
  int add(int delta);
  int remainder() const { return rest_; }

 private:
  int rest_ = 0;  // in 1/120 of five steps, i.e. in units of 24 per step
};

}  // namespace lexova::textview
