// Reconstruction and text export over a large work file, as the editor runs them:
// the pass after reading (all pages, no merging), the all-pages command with
// merging (target: at most 3 times the pass after reading), and the text export
// (target: at least 100 MB/s of output). Best of N runs each.
//   lexova-reconstruct-bench FILE [--repeat N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/vuzozoviv/reader.h"
#include "export/text_writer.h"
#include "reconstruct/page_pass.h"

namespace {
using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: lexova-reconstruct-bench FILE [--repeat N]\n", stderr);
    return 2;
  }
  int repeat = 3;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::atoi(argv[++i]);
  }
  const lexova::settings::ReconstructionOptions options;  // every option on, as by default
  double bestRead = 1e9, bestPass = 1e9, bestAll = 1e9, bestText = 1e9;
  std::size_t pages = 0, changedOpen = 0, changedAll = 0, blocksBefore = 0, blocksAfter = 0;
  std::uint64_t textBytes = 0;
  for (int i = 0; i < repeat; ++i) {
    const auto t0 = Clock::now();
    auto r = lexova::vuzozoviv::readPaperFile(argv[1]);
    const auto t1 = Clock::now();
    if (!r.paper) return 3;
    lexova::COcrPaper& paper = *r.paper;
    pages = paper.pages.size();
    blocksBefore = 0;
    for (const auto& p : paper.pages) blocksBefore += p.blocks.size();
    changedOpen = lexova::reconstruct::ReconstructAllPages(paper, false, options).pagesChanged.size();
    const auto t2 = Clock::now();
    changedAll = lexova::reconstruct::ReconstructAllPages(paper, true, options).pagesChanged.size();
    const auto t3 = Clock::now();
    blocksAfter = 0;
    for (const auto& p : paper.pages) blocksAfter += p.blocks.size();
    lexova::io::CountingSink text;
    lexova::exporting::writeUnicodeText(paper, 0, static_cast<int>(pages) - 1, text);
    const auto t4 = Clock::now();
    textBytes = text.count;
    bestRead = std::min(bestRead, seconds(t0, t1));
    bestPass = std::min(bestPass, seconds(t1, t2));
    bestAll = std::min(bestAll, seconds(t2, t3));
    bestText = std::min(bestText, seconds(t3, t4));
  }
  std::printf("pages %zu\nread_s %.3f\n", pages, bestRead);
  std::printf("open_pass_s %.3f\nopen_pass_pages_changed %zu\n", bestPass, changedOpen);
  std::printf("reconstruct_all_s %.3f\nreconstruct_all_pages_changed %zu\nblocks %zu -> %zu\n", bestAll, changedAll,
              blocksBefore, blocksAfter);
  std::printf("reconstruct_all_over_open_pass %.2f\n", bestAll / bestPass);
  std::printf("text_export_s %.3f\ntext_bytes %llu\ntext_mb_s %.0f\n", bestText,
              static_cast<unsigned long long>(textBytes), textBytes / 1e6 / bestText);
  return 0;
}
