// What the character operations share: which units may enter the text, the
// characters a text makes, counts kept in step, the ruby ranges kept on their
// characters, lines removed with their annotation lines. Internal to editing/.
#pragma once

#include <string_view>
#include <vector>

#include "editing/edit_state.h"

namespace lexova::editing::detail {

bool isBreak(const COcrChar& c);
// A unit that may be inserted: the line break (13), or anything from 0x20 up
// except DEL (0x7F). Surrogates are taken as pairs only (charactersOf).
bool insertable(char16_t u);
// The characters of a text: one unit each, a high surrogate followed by its low
// surrogate one character; units that may not be inserted and lone surrogates are
// dropped. With lineBreaks, CR LF, LF and CR each give one code 13; else none.
std::vector<CharCode> charactersOf(std::u16string_view text, bool lineBreaks);

// Adds delta units to the line at c, its cell and its block.
void addUnits(const EditCursor& c, int delta);
// Recounts the units of the line at c and carries the difference up.
void recount(const EditCursor& c);

// A character made by editing: no box on the page image (x, y -1), certainty 10,
// no candidates, the given size.
COcrChar madeChar(const CharCode& code, int width, int height);
// The size a typed or pasted character takes: the cursor character's; at the end
// of a line, the previous character's; in an empty line, the line's thickness.
std::pair<int, int> sizeAt(const EditCursor& c);

// The annotation lines of a base line, in list order.
std::vector<COcrLine*> annotationsOf(LineList& lines, const COcrLine* base);
// Typing at 1-based position p (the new character's): before a ruby it moves the
// ruby, at its first position up to its last it joins it. Whether any changed.
bool shiftForTyping(LineList& lines, const COcrLine* base, int p);
// A paste of n characters before the character at 0-based index i: at or before a
// ruby's first character it moves the ruby, inside or right behind it it joins it.
bool shiftForPaste(LineList& lines, const COcrLine* base, int i, int n);
// Deleting the character at 1-based position p of the line at c: later ruby moves
// back, a ruby over it shrinks, a ruby over it alone goes (with its units).
// Whether any annotation line changed.
bool shiftForDeletion(const EditCursor& c, int p);
// Removes a line of c's list with its annotation lines (their units too).
void removeLine(const EditCursor& c, LineList::iterator line);
// Whether the line may be removed when it has no characters: not the only line
// of its block (or of its cell).
bool removable(const EditCursor& c);

// Inserts the characters before the cursor character (the cursor stays on it),
// shifting ruby by the paste rule (paste) or per character by the typing rule.
// Whether ruby ranges changed.
bool insertCharacters(EditCursor& c, const std::vector<CharCode>& chars, bool paste, int width, int height);
// Deletes the characters [from, to) of the line at c (by index), with their ruby
// shifts. Whether ruby ranges changed.
bool deleteCharacters(const EditCursor& c, int from, int to);

// The line-break rules shared by Enter and paste: no break in a table, on an
// annotation line or inside ruby (the message is shown when asked).
bool lineBreakAllowed(const EditCursor& c, Host* tellWhyNot);
// Enter at the cursor, without the undo snapshot: the line-break character, and
// the line split behind it unless it ends the line.
void breakLine(COcrPage& page, EditCursor& c);
// Inserts characters at the cursor as a paste does: runs of text by the paste
// rule of ruby, and a line break for each break where Enter could make one (none
// in a table or inside ruby). What it damaged.
Damage insertAsPaste(COcrPage& page, EditCursor& c, const std::vector<CharCode>& chars);
// Deletes the normalised selection, without the undo snapshot; the cursor goes
// where the deletion ended, the selection is cleared. What it damaged.
Damage deleteSelection(COcrPage& page, EditState& s);
// The lines a normalised selection touches, in reading order, with the range of
// characters of each: the lines at its ends and the ordinary lines between.
struct LineRange {
  EditCursor line;
  int from, to;
};
std::vector<LineRange> selectedRanges(COcrPage& page, const EditSelection& normalisedSelection);

}  // namespace lexova::editing::detail
