// Opening a paper as the editor opens it, in one place: the work file read, the
// standard dpi, the first article and the page shown first (what loading a file
// does), then the pass over every page without merging blocks (annotation lines
// split and attached, mono ruby, full-size kana: what opening adds). The document,
// the lexova tool, the fuzz targets and the benchmarks all open through here.
#pragma once

#include <string>
#include <vector>

#include "document/vuzozoviv/reader.h"
#include "host/host.h"
#include "settings/values.h"

namespace lexova {

// Where the editor stands after a paper is prepared.
struct OpenedState {
  int firstArticlePage = -1;      // the first article's page number minus 1, -1 without one
  int currentPage = -1;           // the page shown first: always a valid index, -1 without pages
  std::vector<int> pagesChanged;  // positions of the pages the pass changed (their modified mark)
};

// What loading does after reading (a paper just read, or just appended to): the
// standard dpi, the first article and the page shown first. With a host, the
// progress window steps to 30, shows "ファイル後処理中" and steps to 70.
OpenedState settleLoadedPaper(COcrPaper& paper, Host* progress = nullptr);
// What opening adds: the pass over every page without merging. The positions of
// the pages it changed.
std::vector<int> runOpenPass(COcrPaper& paper, const settings::ReconstructionOptions& options);
// Both, for a paper just read.
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
