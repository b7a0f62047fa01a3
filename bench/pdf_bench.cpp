// The text PDF of every page of a large work file: pages per second (target: at
// least 500) and the memory the export adds, for a quarter of the pages and for
// all of them (target: the same; pages go to a scratch file, not memory).
//   lexova-pdf-bench FILE [--out PDF]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/vuzozoviv/reader.h"
#include "export/pdf/pdf_export.h"
#include "host/scripted_host.h"
#include "proc_status.h"
#include "text/utf.h"

namespace {

// Starts a new peak: the kernel sets the high-water mark back to the current size.
void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lexova;
  if (argc < 2) {
    std::fputs("usage: lexova-pdf-bench FILE [--out PDF]\n", stderr);
    return 2;
  }
  std::string out = (std::filesystem::temp_directory_path() / "lexova-pdf-bench.pdf").string();
  if (argc > 3 && std::strcmp(argv[2], "--out") == 0) out = argv[3];
  auto read = vuzozoviv::readPaperFile(argv[1]);
  if (!read.paper) {
    std::fputs("cannot read the work file\n", stderr);
    return 3;
  }
  computeStandardDpi(*read.paper);
  const COcrPaper& paper = *read.paper;
  const int pages = static_cast<int>(paper.pages.size());
  ScriptedHost host;
  pdf::PdfExportOptions options;
  options.information = {u"ベンチマーク", u"", u"", u""};

  auto exportPages = [&](int last, long& addedKb) {
    resetPeak();
    const long base = lexova::bench::statusKb("VmRSS:");
    const auto t0 = std::chrono::steady_clock::now();
    const int r = pdf::ExportTextPdf(paper, text::fromUtf8(out), 0, last, options, host);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    addedKb = lexova::bench::statusKb("VmHWM:") - base;
    return r == 1 ? s : -1.0;
  };
  long quarterKb = 0, allKb = 0;
  const int quarter = std::max(pages / 4, 1);
  const double quarterS = exportPages(quarter - 1, quarterKb);
  const double allS = exportPages(-1, allKb);
  if (quarterS < 0 || allS < 0) {
    std::fputs("the export failed\n", stderr);
    return 4;
  }
  const auto bytes = std::filesystem::file_size(out);
  std::printf("pages %d\npdf_mb %.1f\nexport_s %.3f\npages_per_s %.0f\n", pages, bytes / 1048576.0, allS, pages / allS);
  std::printf("added_rss_mb_%d_pages %.1f\nadded_rss_mb_%d_pages %.1f\n", quarter, quarterKb / 1024.0, pages,
              allKb / 1024.0);
  if (argc <= 3) std::filesystem::remove(out);
  return 0;
}
