// Rebuilding the text flow of a page from its blocks: text blocks that continue
// each other are merged (blank lines for the gap between them), indentation
// becomes spaces, paragraph ends get a line-break character, and the break that
// ends a block goes. Plain functions on the model; each reports whether it changed
// it and keeps every line's and block's charCount equal to its units.
#pragma once

#include "document/model/model.h"
#include "settings/values.h"

namespace lexova::reconstruct {

// No more blank lines between two blocks, nor spaces before one line, than this,
// whatever coordinates a file holds.
inline constexpr int kMaxInsertedPerStep = 1000;

// Same sec, type and direction, and overlapping extents across the writing
// direction (vertical writing: vertical extents; horizontal: horizontal ones).
bool CanMergeBlocks(const COcrBlock& a, const COcrBlock& b);

// Moves other's lines to the end of target (other follows target in reading
// order), after one blank line for each line pitch missing in the gap between
// them (with blankLines), and makes target's box the union and its lineSize the
// mean. A block without lines only widens target's box. Blank lines are placed in
// the gap, evenly, and never more than fit in it.
void AbsorbBlock(COcrBlock& target, COcrBlock& other, bool blankLines);

// For every indented body line of the block: the natural line break after the
// nearest preceding body line ending in "。" or "」" (natural == 1, indentation of
// at least one cell), then, with indent, the indentation as spaces and the line
// moved to the block's start edge (its far edge stays). Returns whether anything
// changed. A line at the start edge is left alone, so a second call changes nothing.
bool ApplyLineOptions(COcrBlock& block, bool indent, int natural);

// Merges the text blocks of the page that continue each other, applying the line
// options as it goes, then removes block-end breaks (noBreakAtBlockEnd). Returns
// whether the page changed; *merged (when given) says whether blocks were merged,
// which makes the page's block frames stale.
bool MergeTextBlocks(COcrPage& page, const settings::ReconstructionOptions& options, bool* merged = nullptr);

// Deletes the line-break character that ends the last line of a text block (a
// line of that character alone keeps it). Returns whether any was deleted.
bool RemoveBlockEndBreaks(COcrPage& page);

}  // namespace lexova::reconstruct
