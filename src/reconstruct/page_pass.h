// The page pass of reconstruction and the two commands over it: the current page
// (blocks merged, then mono ruby and full-size kana) and all pages (with or
// without merging; annotation lines split and attached again). Reading a work
// file runs all pages without merging.
#pragma once

#include <vector>

#include "document/model/model.h"
#include "settings/values.h"

namespace lexova::reconstruct {

struct PageResult {
  bool changed = false;  // the page's model changed: it is marked modified
  bool merged = false;   // blocks were merged: the page's block frames are stale
};

// One page: blocks merged (mergeBlocks), the standard size, then the annotation
// steps: all-pages variant, for every block splitting and attaching every
// annotation line and (monoRuby) mono ruby, where a block holding an annotation
// line counts as a change; current-page variant, mono ruby only. Finally full-size
// kana (smallKanaToNormal).
PageResult ProcessPage(COcrPage& page, const settings::ReconstructionOptions& options, bool mergeBlocks,
                       bool allPagesVariant);

struct Reconstruction {
  std::vector<int> pagesChanged;  // positions in the page list, ascending
  std::vector<int> pagesMerged;   // positions whose block frames are stale
};

// The current-page command's pass over the page at position pageIndex (nothing
// for an index outside the list).
Reconstruction ReconstructCurrentPage(COcrPaper& paper, int pageIndex, const settings::ReconstructionOptions& options);
// Every page in order, all-pages variant.
Reconstruction ReconstructAllPages(COcrPaper& paper, bool mergeBlocks, const settings::ReconstructionOptions& options);

}  // namespace lexova::reconstruct
