// Annotation lines (ruby, emphasis marks, footnote marks): the page's standard
// character size, splitting mixed lines into runs of one kind, attaching each to
// the body characters it annotates, mono ruby and full-size kana. Plain functions
// on the model; each reports whether it changed it.
#pragma once

#include <vector>

#include "document/model/model.h"

namespace lexova::reconstruct {

inline constexpr int kFallbackStandardSize = 21;

// The most frequent line thickness of the page (200-bin histogram of lines of more
// than 20 characters, smoothed), plus 1; else the mean body-line thickness plus 1;
// else 21.
int StandardCharSize(const COcrPage& page);

// 2 for the emphasis marks "、" "," "●", 3 for the footnote marks "＊" "*", else 1 (ruby).
int ClassifyAnnotationChar(const CharCode& code);

// Splits annotation line L into lines of one kind each (runs of ruby or footnote
// characters whose gaps along the line do not exceed standardSize, single emphasis
// marks), inserted before L in the block; L keeps the last run and its kind.
bool SplitAnnotationLines(COcrBlock& block, LineList::iterator L, int standardSize);

// Finds the base line and the range of base characters annotation line R covers
// and sets baseLine, RCS and RCE (1-based, within the base line). An annotation
// line whose base line comes before it moves to just before its base line.
bool AttachAnnotationLine(COcrBlock& block, LineList::iterator R, int standardSize);

// AttachAnnotationLine for every line of `annotations`, in order, with the base
// lines found through an index rather than a walk over the block per line: the
// same results in time n log n for blocks of any size.
void AttachAnnotationLines(COcrBlock& block, const std::vector<LineList::iterator>& annotations, int standardSize);

// Splits a ruby line over several base characters into one ruby line per base
// character where the ruby characters' positions allow it.
bool SplitMonoRuby(COcrBlock& block, LineList::iterator R);

// Small kana in annotation lines become full-size kana.
bool NormaliseSmallKana(COcrPage& page);

// Sets a line's box to the union of its characters' boxes (an x or y of 0 or less
// does not lower the minimum) and its charCount to their length in UTF-16 units.
void recomputeLineBox(COcrLine& line);

}  // namespace lexova::reconstruct
