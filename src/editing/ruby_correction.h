// The ruby correction dialog ("ルビ修正") as a state object: the ruby and base texts
// it shows, the range buttons, marking the split points and splitting, OK and
// Cancel, and which controls are enabled. The dialog of the views only shows this
// state and forwards the person's actions.
#pragma once

#include <string>

#include "editing/edit_state.h"

namespace lexova::editing {

struct RubyDialog {
  bool open = false;
  // The ruby line being corrected (block, cell, line) and where the caret was.
  EditCursor ruby;
  EditCursor returnTo;
  int returnIndex = -1;  // the caret's character index on its line; -1 at its end
  int originalRCS = 0, originalRCE = 0;
  std::u16string initialRuby, initialBase;
  // The controls: ruby text (1047), its second part after a split (1052), the base
  // text covered (1048) and its second part (1053), the guidance (1051).
  std::u16string rubyText, rubyText2, baseText, baseText2, guidance;
  int markedAt = 0;  // the ruby split point p marked with "*" (0: none)
  bool split = false;
  int splitRuby = 0, splitBase = 0;  // characters of the first parts after a split
  // Enabled controls.
  bool rubyEditEnabled = true, rubyEdit2Enabled = false, markEnabled = true, splitEnabled = false, okEnabled = false;
  bool rangeButtonsEnabled = true;
};

// Whether the caret lies on a ruby line or on a base character covered by ruby
// (a ruby whose base line and range are whole): the dialog can be opened.
bool RubyAtCursor(const EditState& s);
// Opens the dialog on the ruby line at the caret, or on the ruby over the caret's
// base character. Nothing (closed) without one, or for a ruby whose base line or
// range is not whole.
RubyDialog OpenRubyCorrection(EditState& s, EditTarget& t);

// The range buttons: widen by the previous / next base character, drop the first
// / last. They change the ruby's range at once (Cancel restores it).
void ExtendPrev(RubyDialog& d, EditTarget& t);
void DropFirst(RubyDialog& d, EditTarget& t);
void ExtendNext(RubyDialog& d, EditTarget& t);
void DropLast(RubyDialog& d, EditTarget& t);
// The person edits the ruby text (and, after a split, its second part).
void SetRubyText(RubyDialog& d, std::u16string_view text, std::u16string_view text2 = {});
// "分割位置設定": marks the split of the ruby text before character m.
void MarkSplit(RubyDialog& d, EditTarget& t, int m);
// "ルビ分割": splits the base text before its character k.
void SplitRuby(RubyDialog& d, int k);
// OK: an undo step (kind 7) holding the ruby as it was when the dialog opened,
// then the new range, text or split. Closes the dialog.
EditResult RubyOk(RubyDialog& d, EditState& s, EditTarget& t);
// Cancel: the range as it was. Closes the dialog.
void RubyCancel(RubyDialog& d, EditState& s, EditTarget& t);

}  // namespace lexova::editing
