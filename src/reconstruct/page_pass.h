// The pass over a page that follows reading a work file: annotation lines are
// split, attached, made mono ruby and given full-size kana; no blocks are merged.
#pragma once

#include "document/model/model.h"

namespace lexova::reconstruct {

// Standard size, then for every block: splitting of every annotation line,
// attaching of every annotation line, mono ruby of every ruby line (when
// monoRuby); finally the small-kana conversion (when smallKanaToNormal). Returns
// whether the page changed: a block holding an annotation line counts as a change.
bool AnnotatePageAfterReading(COcrPage& page, bool monoRuby, bool smallKanaToNormal);

}  // namespace lexova::reconstruct
