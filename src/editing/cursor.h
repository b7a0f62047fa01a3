// The edit cursor in the reading order of a page: characters of a line, the
// ordinary lines of a block that hold characters (a table block's cell lines in
// cell order), the text and table blocks of the page, then the pages. Positions
// as three indexes for the undo store and scripts; moves; the start of a page;
// the selection kept in order.
#pragma once

#include <optional>

#include "editing/edit_state.h"

namespace lexova::editing {

// The cursor as (block index, line index in the block, character index or -1 at
// the end of the line).
ViewPosition positionOf(const COcrPage& page, const EditCursor& c);
// The cursor at a position (clamped into the page); unset for a page without
// text or table blocks.
EditCursor cursorAt(COcrPage& page, ViewPosition p);
// Index of the cursor's character in its line (the line's size at its end).
int charIndex(const EditCursor& c);

// The start position of a page: the first character of the first ordinary line
// of the first text or table block; unset when there is none.
EditCursor pageStart(COcrPage& page);
// The first character of the first ordinary line with characters of a block.
std::optional<EditCursor> blockStart(COcrBlock& block);

// The next / previous ordinary line with characters in reading order within the
// page (crossing blocks unless noCross); the cursor at its first character.
std::optional<EditCursor> nextLineStart(COcrPage& page, const EditCursor& c, bool noCross = false);
std::optional<EditCursor> previousLine(COcrPage& page, const EditCursor& c, bool noCross = false);

// The next line of the page in reading order, whatever it holds (annotation
// lines and empty lines too), the cursor at its first character. False at the
// page's last line.
bool stepToNextLine(COcrPage& page, EditCursor& c);

// The moves. Each returns whether the cursor moved; with noCross it stops at the
// block's boundary. Next and previous character cross pages: the selection
// collapses, next enters the next page at its start, previous the previous page
// at the end of its last line.
bool MoveNextChar(EditState& s, EditTarget& t, bool noCross = false);
bool MovePrevChar(EditState& s, EditTarget& t, bool noCross = false);
// The next / previous line, at the remembered column (taken from the cursor when
// unset) or at the line's end when it is shorter.
bool MoveNextLine(EditState& s, EditTarget& t, bool noCross = false);
bool MovePrevLine(EditState& s, EditTarget& t, bool noCross = false);

// Opening a page (a page change, reload, undo): the selection cleared, the cursor
// at the page's start.
void openPage(EditState& s, EditTarget& t);

// The edit modes. Character mode puts the cursor at the start of the block whose
// frame was current in block mode (of its first cell line with characters in a
// table), else at the page's start.
void SetEditMode(EditState& s, EditTarget& t, EditMode mode);

// Selection upkeep: collapsed to the cursor; extended from its start to the cursor.
void CollapseSelection(EditState& s);
void ExtendSelectionToCursor(EditState& s);
// Whether a comes after b in reading order.
bool after(const COcrPage& page, const EditCursor& a, const EditCursor& b);
// The selection with its start before its end.
EditSelection normalised(const COcrPage& page, const EditSelection& sel);

}  // namespace lexova::editing
