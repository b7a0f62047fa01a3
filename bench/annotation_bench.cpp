// The pass that follows reading a work file, over a large file: pages per second,
// and the time it adds to reading (target: less than 20%).
//   lexova-annotation-bench FILE [--repeat N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/vuzozoviv/reader.h"
#include "reconstruct/page_pass.h"

namespace {
using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: lexova-annotation-bench FILE [--repeat N]\n", stderr);
    return 2;
  }
  int repeat = 3;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::atoi(argv[++i]);
  }
  double bestRead = 1e9, bestPass = 1e9;
  std::size_t pages = 0;
  int changed = 0;
  for (int i = 0; i < repeat; ++i) {
    const auto t0 = Clock::now();
    auto r = lexova::vuzozoviv::readPaperFile(argv[1]);
    const auto t1 = Clock::now();
    if (!r.paper) return 3;
    pages = r.paper->pages.size();
    changed = 0;
    const auto t2 = Clock::now();
    for (lexova::COcrPage& p : r.paper->pages) changed += lexova::reconstruct::AnnotatePageAfterReading(p, true, true);
    const auto t3 = Clock::now();
    bestRead = std::min(bestRead, seconds(t0, t1));
    bestPass = std::min(bestPass, seconds(t2, t3));
  }
  std::printf("pages %zu\npages_changed %d\nread_s %.3f\npass_s %.3f\npass_pages_s %.0f\npass_over_read %.3f\n", pages,
              changed, bestRead, bestPass, pages / bestPass, bestPass / bestRead);
  return 0;
}
