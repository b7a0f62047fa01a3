// Importing other engines' results: the first 1,000 pages of a work file written
// as hOCR (Tesseract's form, one file), then read back into the model, against
// reading the same pages as a work file. Prints both times (the best of three)
// and their ratio (target: hOCR within twice the work file's time), and the same
// for ALTO and PAGE (one page a file, read one after the other).
//   lexova-interchange-bench WORKFILE [--pages N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "interchange/interchange.h"

using namespace lexova;

namespace {

double bestOfThree(const std::function<void()>& f) {
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    const auto t = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WORKFILE [--pages N]\n", argv[0]);
    return 2;
  }
  std::size_t pages = 1000;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--pages") == 0) pages = static_cast<std::size_t>(std::max(1, std::atoi(argv[i + 1])));
  }
  vuzozoviv::ReadResult read = vuzozoviv::readPaperFile(argv[1]);
  if (!read.paper) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  COcrPaper& paper = *read.paper;
  if (paper.pages.size() > pages) paper.pages.resize(pages);
  io::StringSink work;
  vuzozoviv::writePaper(paper, work);
  const std::string hocr = interchange::writeHocr(paper);
  std::vector<std::string> alto, page;
  int index = 0;
  for (const COcrPage& p : paper.pages) {
    alto.push_back(interchange::writeAlto(p, index++));
    page.push_back(interchange::writePage(p, "2026-01-01T00:00:00"));
  }
  const double workTime = bestOfThree([&] {
    io::MemorySource in(work.out);
    if (!vuzozoviv::readPaper(in).paper) std::abort();
  });
  const double hocrTime = bestOfThree([&] {
    interchange::ImportResult r = interchange::readHocr(hocr);
    if (!r.paper || r.paper->pages.size() != paper.pages.size()) std::abort();
  });
  const double altoTime = bestOfThree([&] {
    for (const std::string& a : alto) {
      if (!interchange::readAlto(a).paper) std::abort();
    }
  });
  const double pageTime = bestOfThree([&] {
    for (const std::string& p : page) {
      if (!interchange::readPage(p).paper) std::abort();
    }
  });
  std::printf("pages %zu\n", paper.pages.size());
  std::printf("workfile_mb %.1f read_s %.3f\n", static_cast<double>(work.out.size()) / 1e6, workTime);
  std::printf("hocr_mb %.1f read_s %.3f ratio %.2f\n", static_cast<double>(hocr.size()) / 1e6, hocrTime,
              hocrTime / workTime);
  std::printf("alto_read_s %.3f ratio %.2f\n", altoTime, altoTime / workTime);
  std::printf("page_read_s %.3f ratio %.2f\n", pageTime, pageTime / workTime);
  std::printf("%s\n", hocrTime <= 2 * workTime ? "within the target" : "OVER THE TARGET");
  return 0;
}
