// A page change as the editor makes it, on 400 dpi A4 one-bit scans (3307 × 4677,
// Group 4, columns of character-like marks): the page image decoded once, the
// image view's reduced gray copy made and the window repainted, the page list's
// preview and row, the text view's page laid out and painted. The document is the
// large generated work file (its page list: one row per page), its pages pointing
// at two scans in turn so that every change decodes another file. Prints the time
// to fill the page list and the median and slowest page change (targets: the list
// in under 50 ms, a page change in at most 0.2 s).
//   lexova-page-change-bench WORKFILE [--changes N] [--scale PERCENT]
#include <QApplication>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "document/lifecycle/document.h"
#include "document/lifecycle/document_edit.h"
#include "host/scripted_host.h"
#include "imaging/pict_info.h"
#include "io/byte_io.h"
#include "pageview/page_image.h"
#include "platform/clock.h"
#include "text/utf.h"
#include "textview/text_view_model.h"
#include "views/text_view.h"

using namespace lexova;

namespace {

using Steady = std::chrono::steady_clock;

double msSince(Steady::time_point t) {
  return std::chrono::duration<double, std::milli>(Steady::now() - t).count();
}

// A scan of vertical columns of 50-pixel character cells, each a few strokes.
std::vector<std::uint8_t> makeScan(unsigned seed) {
  imaging::CPICT_INFO p;
  p.Width = 3307;
  p.Height = 4677;
  p.BitCount = 1;
  p.XResolution = p.YResolution = 400;
  if (!imaging::CreateNewImageToCPictInfo(p)) return {};
  std::mt19937 random(seed);
  for (int column = 0; column < 40; ++column) {
    const int x0 = 3000 - column * 70;
    for (int y0 = 300; y0 + 50 < 4400; y0 += 56) {
      for (int stroke = 0; stroke < 4; ++stroke) {
        const bool across = random() % 2 == 0;
        const int at = static_cast<int>(random() % 44);
        for (int t = 0; t < 44; ++t) {
          for (int w = 0; w < 4; ++w) {
            const int x = x0 + (across ? t : at + w), y = y0 + (across ? at + w : t);
            imaging::setBit(p, x, y, true);
          }
        }
      }
    }
  }
  return imaging::encodeTiff(p);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WORKFILE [--changes N] [--scale PERCENT]\n", argv[0]);
    return 2;
  }
  int changes = 20, scale = 50;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--changes") == 0) changes = std::max(2, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--scale") == 0) scale = std::clamp(std::atoi(argv[i + 1]), 10, 100);
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  char folderName[] = "/tmp/lexova-page-bench-XXXXXX";
  if (::mkdtemp(folderName) == nullptr) return 1;
  const std::filesystem::path folder(folderName);
  std::u16string scans[2];
  for (int i = 0; i < 2; ++i) {
    const std::vector<std::uint8_t> tiff = makeScan(static_cast<unsigned>(i + 1));
    const std::filesystem::path path = folder / ("scan" + std::to_string(i) + ".tif");
    io::SafeFileSink sink(path.string());
    sink.write(reinterpret_cast<const char*>(tiff.data()), tiff.size());
    sink.commit();
    scans[i] = text::fromUtf8(path.string());
  }

  ScriptedHost host;
  ManualClock clock;
  MemoryBackupOrigin origin;
  DocumentOptions options;
  options.backupEnabled = false;
  DAdovoVodovoDez doc(host, clock, origin, options);
  if (!doc.open(text::fromUtf8(argv[1]), false)) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  int k = 0;
  for (COcrPage& page : doc.paper()->pages) page.fullpath = scans[k++ % 2];
  DocumentEditTarget target(doc, host, nullptr);
  textview::ViewState state;
  textview::TextViewModel model(target, state);

  QSplitter window;
  window.resize(1280, 900);
  auto* list = new views::CPSelectView(&window);
  auto* imageView = new views::CDrawView(&window);
  auto* textView = new views::CImageView(&window);
  pageview::PageImage image;
  list->setPageImage(&image);
  imageView->setPageImage(&image);
  textView->setPageImage(&image);
  layout::LayoutSettings settings;
  settings.scale = scale / 100.0;
  textView->setModel(&model, [&settings] { return settings; });
  window.setSizes({140, 570, 570});
  window.show();
  QApplication::processEvents();

  // The page list of every page, filled and painted.
  const Steady::time_point fillStart = Steady::now();
  list->showDocument(doc, settings.scale);
  list->list()->viewport()->repaint();
  const double fill = msSince(fillStart);

  std::vector<double> times;
  const int pages = doc.pageCount();
  // The first page is the one opened (fonts and caches warm up), not a change.
  for (int i = -1; i < changes; ++i) {
    const int page = (i * 7 + 8) % pages;
    const Steady::time_point t = Steady::now();
    doc.currentPage = page;
    image.show(doc.pageImagePath(page));
    imageView->showPage(doc.page(page), settings.scale, true, layout::kLayoutDisplay);
    list->showDocument(doc, settings.scale);
    list->showPreview();
    model.pageOpened();
    textView->showPage(doc.page(page), settings);
    imageView->viewport()->repaint();
    textView->viewport()->repaint();
    list->repaint();
    if (i >= 0) times.push_back(msSince(t));
  }
  std::sort(times.begin(), times.end());
  std::printf("pages %d\n", pages);
  std::printf("page_list_fill_ms %.1f\n", fill);
  std::printf("page_change_median_ms %.1f\n", times[times.size() / 2]);
  std::printf("page_change_slowest_ms %.1f\n", times.back());
  std::printf("decodes %d (%lld x %lld, shown %d x %d)\n", image.decodes(), image.width(), image.height(),
              imageView->shownImage().width(), imageView->shownImage().height());
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  const bool ok = fill < 50 && times.back() <= 200;
  std::printf("%s\n", ok ? "within the targets" : "OVER THE TARGETS");
  return 0;
}
