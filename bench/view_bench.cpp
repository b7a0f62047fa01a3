// The text view's layout and drawing: every page of a work file laid out
// (geometry and draw list) and painted into an off-screen image as the view does,
// in pages a second; the slowest page; and the page with the most characters,
// with its ruby, laid out and painted alone (target: at most 50 ms for a page of
// 1,500 characters) and one of its lines alone (target: at most 2 ms).
//   lexova-view-bench FILE [--pages N] [--scale PERCENT]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/vuzozoviv/reader.h"
#include "layout/page_layout.h"
#include "platform/folders.h"
#include "views/page_painter.h"

using namespace lexova;

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Lays out and paints one page into the view's off-screen image (kept while its
// size stays, as the view keeps it); the milliseconds taken.
double drawPage(const COcrPage& page, const layout::LayoutSettings& s, views::PagePainter& painter) {
  static QImage image;
  const auto t0 = Clock::now();
  const layout::PageGeometry g = layout::layoutPage(page, s);
  const QSize size(static_cast<int>(g.width), static_cast<int>(g.height));
  if (image.size() != size) image = QImage(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  painter.paint(p, g);
  p.end();
  return ms(Clock::now() - t0);
}

long long characters(const COcrPage& page) {
  long long n = 0;
  for (const COcrBlock& b : page.blocks) {
    for (const COcrLine& l : b.lines) n += static_cast<long long>(l.chars.size());
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lexova-view-bench FILE [--pages N] [--scale PERCENT]\n");
    return 2;
  }
  int most = 1 << 30, scale = 50;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--pages") == 0) most = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--scale") == 0) scale = std::atoi(argv[i + 1]);
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::provideRuntimeFolder();
  int qargc = 1;
  char name[] = "lexova-view-bench";
  char* qargv[] = {name, nullptr};
  QGuiApplication app(qargc, qargv);

  auto read = vuzozoviv::readPaperFile(argv[1]);
  if (!read.paper) {
    std::fprintf(stderr, "cannot read %s (%d)\n", argv[1], read.code);
    return 3;
  }
  layout::LayoutSettings s;
  s.scale = scale / 100.0;
  s.fonts.japanese.name = u"ＭＳ 明朝";
  s.fonts.japaneseVertical.name = u"@ＭＳ 明朝";
  s.fonts.western.name = u"Century";
  views::PagePainter painter;

  int pages = 0;
  double total = 0, layoutOnly = 0, slowest = 0;
  const COcrPage* biggest = nullptr;
  for (const COcrPage& page : read.paper->pages) {
    if (pages >= most) break;
    const auto t0 = Clock::now();
    const layout::PageGeometry g = layout::layoutPage(page, s);
    layoutOnly += ms(Clock::now() - t0);
    const double t = drawPage(page, s, painter);
    total += t;
    slowest = std::max(slowest, t);
    if (!biggest || characters(page) > characters(*biggest)) biggest = &page;
    ++pages;
  }
  std::printf(
      "%d pages at %d %%: layout %.2f ms a page, layout and painting %.1f ms a page (%.0f pages/s), "
      "slowest %.1f ms\n",
      pages, scale, layoutOnly / pages, total / pages, pages * 1000.0 / total, slowest);
  if (!biggest) return 0;

  // A page of at least 1,500 characters: the largest page with the blocks of
  // others laid over it, ruby and all.
  COcrPage dense = *biggest;
  for (const COcrPage& other : read.paper->pages) {
    if (characters(dense) >= 1500) break;
    if (&other == biggest) continue;
    for (const COcrBlock& b : other.blocks) dense.blocks.push_back(b);
  }
  // The largest page again, and one of its body lines alone, best of five.
  double page = 1e9, line = 1e9, full = 1e9;
  COcrPage one = *biggest;
  for (COcrBlock& b : one.blocks) {
    if (b.lines.size() > 1) {
      auto body = std::find_if(b.lines.begin(), b.lines.end(), [](const COcrLine& l) { return l.attr == kAttrNone; });
      if (body == b.lines.end()) continue;
      LineList kept;
      kept.splice(kept.end(), b.lines, body);
      b.lines.swap(kept);
      break;
    }
  }
  COcrPage lonely = one;
  lonely.blocks.remove_if([](const COcrBlock& b) { return b.lines.size() != 1; });
  for (int i = 0; i < 5; ++i) {
    page = std::min(page, drawPage(*biggest, s, painter));
    line = std::min(line, drawPage(lonely, s, painter));
    full = std::min(full, drawPage(dense, s, painter));
  }
  std::printf(
      "largest page (%lld characters): %.1f ms laid out and painted; one line: %.2f ms; "
      "a page of %lld characters: %.1f ms\n",
      characters(*biggest), page, line, characters(dense), full);
  return 0;
}
