// Word and XPS documents of many text pages: milliseconds a page (target: at
// most 20) and the memory an export adds for a tenth of the pages and for all of
// them (target: the same; pages go into the package as they are made, and the
// XPS font subset is made once per export).
//   lexova-office-bench FILE [--pages N]     (default 1000)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "document/vuzozoviv/reader.h"
#include "export/office/office_output.h"
#include "host/scripted_host.h"
#include "proc_status.h"
#include "text/utf.h"

using namespace lexova;

namespace {

void resetPeak() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f != nullptr) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

struct Run {
  double msPerPage = 0;
  long addedKb = 0;
  std::uintmax_t bytes = 0;
};

Run exportPages(const COcrPaper& paper, office::OfficeKind kind, int pages, const std::string& out) {
  ScriptedHost host;
  resetPeak();
  const long base = bench::statusKb("VmRSS:");
  const auto t0 = std::chrono::steady_clock::now();
  office::ExportOfficeDocument(paper, text::fromUtf8(out), kind, 0, pages - 1, {}, host);
  Run r;
  r.msPerPage = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / pages;
  r.addedKb = bench::statusKb("VmHWM:") - base;
  r.bytes = std::filesystem::file_size(out);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: lexova-office-bench FILE [--pages N]\n", stderr);
    return 2;
  }
  int pages = 1000;
  if (argc > 3 && std::strcmp(argv[2], "--pages") == 0) pages = std::max(std::atoi(argv[3]), 10);
  auto read = vuzozoviv::readPaperFile(argv[1]);
  if (!read.paper) return 3;
  computeStandardDpi(*read.paper);
  COcrPaper& paper = *read.paper;
  // Text pages only: pictures would measure the image library.
  for (COcrPage& page : paper.pages) {
    page.blocks.remove_if([](const COcrBlock& b) { return b.type == kBlockImage; });
  }
  pages = std::min(pages, static_cast<int>(paper.pages.size()));
  const std::string out = (std::filesystem::temp_directory_path() / "lexova-office-bench").string();
  for (const auto& [kind, name] :
       {std::pair{office::OfficeKind::Word, "docx"}, std::pair{office::OfficeKind::Xps, "xps"}}) {
    const Run few = exportPages(paper, kind, pages / 10, out);
    const Run all = exportPages(paper, kind, pages, out);
    std::printf(
        "%s_ms_per_page %.2f\n%s_kb_per_page %.1f\n%s_added_rss_mb_%d_pages %.1f\n%s_added_rss_mb_%d_pages %.1f\n",
        name, all.msPerPage, name, all.bytes / 1024.0 / pages, name, pages / 10, few.addedKb / 1024.0, name, pages,
        all.addedKb / 1024.0);
  }
  std::filesystem::remove(out);
  return 0;
}
