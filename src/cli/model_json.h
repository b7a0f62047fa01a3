// The model as JSON (`lexova dump --json`): every page, block, cell, line,
// character and candidate of a paper, codes as UTF-16 units.
#pragma once

#include "cli/json.h"
#include "document/model/model.h"

namespace lexova::cli {

// The positions the editor takes after opening (dump --opened).
struct OpenedState {
  int firstArticlePage, currentPage;
};

// Writes the paper as one JSON object; with opened, its two page positions too.
void dumpPaper(JsonWriter& j, const COcrPaper& paper, const OpenedState* opened = nullptr);

}  // namespace lexova::cli
