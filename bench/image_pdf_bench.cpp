// The image PDFs of a 400 dpi A4 page in gray and in colour: seconds a page for
// the image PDF (target: at most 0.25) and the high-compression PDF (at most 1),
// the size of one against the other (the high-compression at least 4 times
// smaller), and the memory an export adds for few and for many pages (the same:
// pictures are spooled, not kept).
//   lexova-image-pdf-bench [--pages N]     (default 200; the few are 10)
// The page is the demo's second scan laid on an A4 sheet, as gray and as colour
// (dark blue ink on cream paper), with the demo's blocks and characters.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "document/vuzozoviv/reader.h"
#include "export/pdf/pdf_export.h"
#include "host/scripted_host.h"
#include "imaging/pict_info.h"
#include "proc_status.h"
#include "text/utf.h"

using namespace lexova;

namespace {

constexpr int kA4Width = 3307, kA4Height = 4677;  // at 400 dpi
constexpr int kLeft = 220, kTop = 315;            // where the scan lies on the sheet

void resetPeak() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f != nullptr) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// The scan on an A4 sheet: gray, or blue ink on cream.
bool makeSheet(const imaging::CPICT_INFO& scan, bool colour, const std::string& path) {
  imaging::CPICT_INFO sheet;
  sheet.Width = kA4Width;
  sheet.Height = kA4Height;
  sheet.BitCount = colour ? 24 : 8;
  if (!imaging::CreateNewImageToCPictInfo(sheet)) return false;
  sheet.XResolution = sheet.YResolution = 400;
  const std::uint32_t paper = colour ? 0xF4EEDC : 0xF0F0F0, ink = colour ? 0x1A2250 : 0x202020;
  for (int y = 0; y < kA4Height; ++y) {
    std::uint8_t* row = sheet.row(y);
    for (int x = 0; x < kA4Width; ++x) {
      const int sx = x - kLeft, sy = y - kTop;
      const bool dark = sx >= 0 && sy >= 0 && sx < scan.Width && sy < scan.Height && imaging::pixelAt(scan, sx, sy);
      const std::uint32_t c = dark ? ink : paper;
      if (colour) {
        row[3 * x] = static_cast<std::uint8_t>(c >> 16);
        row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(c);
      } else {
        row[x] = static_cast<std::uint8_t>(c);
      }
    }
  }
  sheet.FileName = path;
  sheet.FileType = imaging::kFileJpeg;
  sheet.JpegQuality = 90;
  return imaging::SaveImageFileProc(sheet) == 1;
}

struct Run {
  double seconds = 0;
  long addedKb = 0;
  std::uintmax_t bytes = 0;
};

Run exportPages(const COcrPage& model, int pages, bool highCompression, const std::string& image,
                const std::string& out) {
  COcrPaper paper;
  for (int i = 0; i < pages; ++i) paper.pages.push_back(model);
  ScriptedHost host;
  pdf::PdfExportOptions options;
  options.imageQuality = 1;
  options.pageImages = [image](const COcrPage&) { return image; };
  resetPeak();
  const long base = bench::statusKb("VmRSS:");
  const auto t0 = std::chrono::steady_clock::now();
  pdf::ExportImagePdf(paper, text::fromUtf8(out), 0, -1, highCompression, options, host);
  Run r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.addedKb = bench::statusKb("VmHWM:") - base;
  r.bytes = std::filesystem::file_size(out);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int many = 200;
  if (argc > 2 && std::strcmp(argv[1], "--pages") == 0) many = std::max(std::atoi(argv[2]), 11);
  const std::string demo = LEXOVA_SOURCE_DIR "/samples/";
  auto read = vuzozoviv::readPaperFile(demo + "rashomon.xml");
  if (!read.paper || read.paper->pages.size() < 2) return 3;
  COcrPage model = *std::next(read.paper->pages.begin());
  model.width = kA4Width;
  model.height = kA4Height;
  for (COcrBlock& b : model.blocks) {
    b.x += kLeft, b.y += kTop;
    for (COcrLine& l : b.lines) {
      for (COcrChar& c : l.chars) c.x += kLeft, c.y += kTop;
    }
    for (COcrCell& cell : b.cells) {
      cell.x += kLeft, cell.y += kTop;
      for (COcrLine& l : cell.lines) {
        for (COcrChar& c : l.chars) c.x += kLeft, c.y += kTop;
      }
    }
  }
  imaging::CPICT_INFO scan;
  scan.FileName = demo + "rashomon/p02.tif";
  if (!imaging::LoadImageFileProc(scan)) return 3;
  const auto dir = std::filesystem::temp_directory_path() / "lexova-image-pdf-bench";
  std::filesystem::create_directories(dir);
  for (const bool colour : {false, true}) {
    const std::string image = (dir / (colour ? "colour.jpg" : "gray.jpg")).string();
    if (!makeSheet(scan, colour, image)) return 4;
    const char* kind = colour ? "colour" : "gray";
    const std::string out = (dir / "out.pdf").string();
    const Run image10 = exportPages(model, 10, false, image, out);
    const Run compact10 = exportPages(model, 10, true, image, out);
    const Run imageMany = exportPages(model, many, false, image, out);
    const Run compactMany = exportPages(model, many, true, image, out);
    std::printf("%s_type11_s_per_page %.3f\n%s_type15_s_per_page %.3f\n", kind, imageMany.seconds / many, kind,
                compactMany.seconds / many);
    std::printf("%s_type11_kb_per_page %.0f\n%s_type15_kb_per_page %.0f\n%s_size_ratio %.1f\n", kind,
                imageMany.bytes / 1024.0 / many, kind, compactMany.bytes / 1024.0 / many, kind,
                static_cast<double>(imageMany.bytes) / static_cast<double>(compactMany.bytes));
    std::printf("%s_added_rss_mb_10_pages %.1f %.1f\n%s_added_rss_mb_%d_pages %.1f %.1f\n", kind,
                image10.addedKb / 1024.0, compact10.addedKb / 1024.0, kind, many, imageMany.addedKb / 1024.0,
                compactMany.addedKb / 1024.0);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
