// Reader and writer throughput on a work file, and the peak memory of reading.
//   lexova-io-bench FILE [--repeat N] [--memory]
// --memory reads the file once and reports the process's peak resident memory
// (run it in a fresh process: nothing else has touched the heap).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "proc_status.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: lexova-io-bench FILE [--repeat N] [--memory]\n", stderr);
    return 2;
  }
  const std::string path = argv[1];
  int repeat = 3;
  bool memory = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--memory") == 0) memory = true;
  }
  std::ifstream probe(path, std::ios::binary | std::ios::ate);
  const double bytes = static_cast<double>(probe.tellg());
  const double mb = bytes / (1 << 20);

  if (memory) {
    const long before = lexova::bench::statusKb("VmHWM:");
    const auto r = lexova::vuzozoviv::readPaperFile(path);
    if (!r.paper) return 3;
    const long peak = lexova::bench::statusKb("VmHWM:");
    std::printf("file_mb %.1f\npeak_rss_mb %.1f\npeak_over_start_mb %.1f\nratio_to_file %.3f\n", mb, peak / 1024.0,
                (peak - before) / 1024.0, peak * 1024.0 / bytes);
    return 0;
  }

  double bestRead = 1e9, bestWrite = 1e9;
  std::size_t pages = 0;
  for (int i = 0; i < repeat; ++i) {
    const auto t0 = Clock::now();
    auto r = lexova::vuzozoviv::readPaperFile(path);
    const auto t1 = Clock::now();
    if (!r.paper) {
      std::fprintf(stderr, "read error %d at line %d\n", r.code, r.line);
      return 3;
    }
    pages = r.paper->pages.size();
    bestRead = std::min(bestRead, seconds(t0, t1));
    lexova::io::CountingSink sink;
    const auto t2 = Clock::now();
    lexova::vuzozoviv::writePaper(*r.paper, sink);
    const auto t3 = Clock::now();
    bestWrite = std::min(bestWrite, seconds(t2, t3));
  }
  std::printf("file_mb %.1f\npages %zu\nread_s %.3f\nread_mb_s %.1f\nwrite_s %.3f\nwrite_mb_s %.1f\n", mb, pages,
              bestRead, mb / bestRead, bestWrite, mb / bestWrite);
  return 0;
}
