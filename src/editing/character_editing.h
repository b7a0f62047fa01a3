// The character operations of the text view: typing, line breaks, deletion,
// overwriting a selection, candidates, the character replace dialog, copy and
// paste. Each acts at the state's cursor and selection on the current page,
// records its undo snapshot only when it will change the model, keeps every count
// and ruby range right, marks the page (and asks for the timed backup) when it
// changed something, and returns what it damaged.
#pragma once

#include <string_view>

#include "editing/edit_state.h"

namespace lexova::editing {

// A character message: unit u, n times. Only 13 and units from 0x20 up (not
// 0x7F) enter the text; a high surrogate waits for its low surrogate and a low
// surrogate without one is dropped. Over a one-line selection it overwrites it;
// over a selection of several lines it is dropped.
EditResult InsertChar(EditState& s, EditTarget& t, char16_t u, int n = 1);
// Enter: a line-break character before the cursor character, splitting the line
// behind it. Refused in a table, and inside ruby with "ルビに改行は挿入できません".
EditResult InsertLineBreak(EditState& s, EditTarget& t);
// Delete: the selection, or the cursor character (a line break joins the next
// line when it lies at the same place).
EditResult DeleteForward(EditState& s, EditTarget& t);
// Backspace: the character before the cursor on the same page.
EditResult DeleteBackward(EditState& s, EditTarget& t);
// Overwrites a one-line selection with text (the overwritten characters keep
// their boxes and candidates); a text with line breaks replaces the selection as
// a paste does. Does nothing for a selection of several lines.
EditResult ReplaceSelection(EditState& s, EditTarget& t, std::u16string_view text);
// The cursor character becomes its candidate i (certainty 10).
EditResult ChooseCandidate(EditState& s, EditTarget& t, int i);
// The character replace dialog's OK: the cursor character's code becomes the
// entered one or two units (one character, or a surrogate pair); with
// registerPair the pair (old, new) goes to the registered-character table.
EditResult ReplaceCharByDialog(EditState& s, EditTarget& t, std::u16string_view entered, bool registerPair);
// The selected characters onto the clipboard, line after line, nothing between.
bool CopySelection(EditState& s, EditTarget& t);
// The clipboard's text at the cursor (over a one-line selection: instead of it);
// CR LF, LF and CR each break the line as Enter does. Nothing for an empty text
// or one of 20000 units or more.
EditResult PasteText(EditState& s, EditTarget& t);

}  // namespace lexova::editing
