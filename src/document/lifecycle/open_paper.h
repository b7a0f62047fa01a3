// Opening a paper as the editor opens it, in one place: the work file read, the
// standard dpi, the first article and the page shown first, then the pass over
// every page without merging blocks (annotation lines split and attached, mono
// ruby, full-size kana). The document, the lexova tool, the fuzz targets and the
// benchmarks all open through here.
#pragma once

#include <string>
#include <vector>

#include "document/vuzozoviv/reader.h"
#include "settings/values.h"

namespace lexova {

// Where the editor stands after a paper is prepared.
struct OpenedState {
  int firstArticlePage = -1;      // the first article's page number minus 1, -1 without one
  int currentPage = -1;           // the page shown first: always a valid index, -1 without pages
  std::vector<int> pagesChanged;  // positions of the pages the pass changed (their modified mark)
};

// The steps after reading, for a paper just read or just appended to.
OpenedState prepareOpenedPaper(COcrPaper& paper, const settings::ReconstructionOptions& options);

struct OpenedPaper {
  vuzozoviv::ReadResult read;  // the paper, or why there is none
  OpenedState state;
};

// Reads and prepares. Without a paper (read.code says why) the state is empty.
OpenedPaper openPaper(const std::string& path, const settings::ReconstructionOptions& options,
                      vuzozoviv::ReadProgress* progress = nullptr);
OpenedPaper openPaper(io::ByteSource& in, const settings::ReconstructionOptions& options,
                      vuzozoviv::ReadProgress* progress = nullptr);

}  // namespace lexova
