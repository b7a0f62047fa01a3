// Reconstruction and text export over a large work file, as the editor runs them:
// the pass after reading (all pages, no merging), the all-pages command with
// merging (target: at most 3 times the pass after reading), and the text export
// (target: at least 100 MB/s of output). Best of N runs each.
// With --crafted N, one page of N vertical text blocks that all merge into one
// (target: 10,000 in under a second).
//   lexova-reconstruct-bench FILE [--repeat N]
//   lexova-reconstruct-bench --crafted N
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
// One page of n blocks of two columns each, side by side, every one continuing
// the one before it, the second column of each indented.
lexova::COcrPaper craftedPage(int n) {
  lexova::COcrPaper paper;
  lexova::COcrPage& page = paper.pages.emplace_back();
  for (int i = 0; i < n; ++i) {
    lexova::COcrBlock& b = page.blocks.emplace_back();
    b.direction = lexova::kVertical;
    const int right = 2'000'000'000 - i * 130;
    for (int col = 0; col < 2; ++col) {
      lexova::COcrLine& l = b.lines.emplace_back();
      l.x = right - 40 - col * 60;
      l.y = 100 + col * 44;
      l.width = 40;
      l.height = 20 * 44;
      for (int k = 0; k < 20; ++k) {
        lexova::COcrChar& c = l.chars.emplace_back();
        c.code = lexova::makeCode(k == 19 ? u'。' : u'字');
        c.x = l.x, c.y = l.y + k * 44, c.width = c.height = 40;
      }
      l.charCount = 20;
    }
    b.x = right - 100, b.y = 100, b.width = 100, b.height = 20 * 44 + 44;
    b.charCount = 40;
    b.lineSize = 40;
  }
  return paper;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: lexova-reconstruct-bench FILE [--repeat N] | --crafted N\n", stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--crafted") == 0 && argc > 2) {
    const int n = std::atoi(argv[2]);
    lexova::COcrPaper paper = craftedPage(n);
    const auto t0 = Clock::now();
    lexova::reconstruct::ReconstructAllPages(paper, true, {});
    const auto t1 = Clock::now();
    std::printf("crafted_blocks %d\nblocks_after %zu\nlines_after %zu\ncrafted_reconstruct_s %.3f\n", n,
                paper.pages.front().blocks.size(), paper.pages.front().blocks.front().lines.size(), seconds(t0, t1));
    return 0;
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
    // The text is small beside the work file: written 20 times for a steady figure.
    lexova::io::CountingSink text;
    for (int k = 0; k < 20; ++k) lexova::exporting::writeUnicodeText(paper, 0, static_cast<int>(pages) - 1, text);
    const auto t4 = Clock::now();
    textBytes = text.count / 20;
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
  std::printf("text_export_s %.4f\ntext_bytes %llu\ntext_mb_s %.0f\n", bestText / 20,
              static_cast<unsigned long long>(textBytes), textBytes * 20 / 1e6 / bestText);
  return 0;
}
