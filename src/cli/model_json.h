// The model as JSON (`lexova dump --json`): every page, block, cell, line,
// character and candidate of a paper, codes as UTF-16 units.
#pragma once

#include "cli/json.h"
#include "document/lifecycle/open_paper.h"
#include "document/model/model.h"

namespace lexova::cli {

// Writes one page as a JSON object: its fields, blocks, cells, lines, characters.
void dumpPage(JsonWriter& j, const COcrPage& page);
// Writes the paper as one JSON object; with opened, its two page positions too.
void dumpPaper(JsonWriter& j, const COcrPaper& paper, const OpenedState* opened = nullptr);

}  // namespace lexova::cli
