// Any bytes the reader accepts, opened as the editor opens them, then reconstructed
// as the commands do (all pages with merging, then the current page) and exported
// as text and as PDF page content: nothing crashes or runs away, the page shown
// first is a page of the paper, after every pass every invariant of the model
// holds, every PDF text record has one colour per unit, and every page lays out
// in the text view.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "document/lifecycle/open_paper.h"
#include "export/pdf/pdf_contents.h"
#include "export/pdf/pdf_export.h"
#include "export/pdf/pdf_records.h"
#include "export/text_writer.h"
#include "layout/page_layout.h"
#include "pageview/image_geometry.h"
#include "reconstruct/page_pass.h"
#include "support/invariants.h"

using namespace lexova;

namespace {

void check(const COcrPaper& paper, const char* after) {
  const std::string broken = testing::brokenInvariant(paper);
  if (broken.empty()) return;
  std::fprintf(stderr, "after %s: %s\n", after, broken.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  io::MemorySource in(std::string_view(reinterpret_cast<const char*>(data), size));
  // The options vary with the input, so that every combination is met.
  settings::ReconstructionOptions o;
  o.monoRuby = size % 2 == 0;
  o.smallKanaToNormal = size % 3 == 0;
  o.blankLinesBetweenBlocks = size % 5 != 0;
  o.indentWithSpaces = size % 7 != 0;
  o.naturalLineBreaks = size % 11 != 0;
  o.noBreakAtBlockEnd = size % 13 != 0;
  OpenedPaper opened = openPaper(in, o);
  if (!opened.read.paper) return 0;
  COcrPaper& paper = *opened.read.paper;
  const int pages = static_cast<int>(paper.pages.size());
  const int current = opened.state.currentPage;
  if (pages > 0 ? current < 0 || current >= pages : current != -1) std::abort();
  check(paper, "opening");
  reconstruct::ReconstructAllPages(paper, true, o);
  check(paper, "reconstructing all pages");
  reconstruct::ReconstructCurrentPage(paper, current, o);
  check(paper, "reconstructing the current page");
  io::CountingSink text;
  exporting::writeUnicodeText(paper, 0, pages - 1, text);
  for (const COcrPage& page : paper.pages) {
    pdf::CPDFdata data = pdf::textPdfPage(paper, page);
    pdf::BuildInvisibleText(data, page, true);
    pdf::CPDFcontents contents(35);
    for (const pdf::tagPDFTEXT& r : data.texts) {
      if (r.colors.size() != r.text.size()) std::abort();
      contents.AddText(r);
    }
    for (const pdf::tagPDFTABLE& t : data.tables) {
      if (t.cells.size() != static_cast<std::size_t>(t.rows) * static_cast<std::size_t>(t.columns)) std::abort();
      contents.AddTable(t);
    }
    std::string stream;
    contents.BuildText(stream);
  }
  // The text view lays every page out in each display and hit-tests it: ruby with
  // any base range, zero or negative pitches and giant pages included.
  layout::LayoutSettings view;
  view.scale = (1 + size % 10) / 10.0;
  view.colourMode = static_cast<int>(size % 4);
  view.imageMode = static_cast<int>(size % 3);
  view.registeredWords = {u"", u"の"};
  for (const COcrPage& page : paper.pages) {
    for (const int display : {layout::kHorizontalText, layout::kVerticalText, layout::kLayoutDisplay}) {
      view.display = display;
      const layout::PageGeometry g = layout::layoutPage(page, view);
      if (g.width <= 0 || g.height <= 0 || g.width > layout::kMaxCanvasSide || g.height > layout::kMaxCanvasSide) {
        std::abort();
      }
      const layout::Hit hit = layout::hitTest(g, g.width / 2, g.height / 2);
      if (hit.line >= static_cast<int>(g.lines.size())) std::abort();
      // Every cut of the page image lies inside it, whatever the boxes say, and
      // lands inside its target.
      for (const layout::DrawOp& op : g.ops) {
        if (op.kind != layout::DrawOp::LineImage && op.kind != layout::DrawOp::BlockImage) continue;
        const pageview::CutPlan cut = pageview::planCut(op.source, op.rect, op.sourceRotation, 1000, 700);
        if (pageview::isEmpty(cut.source)) continue;
        const layout::Rect& c = cut.source;
        const layout::Rect& t = cut.target;
        if (c.x < 0 || c.y < 0 || c.x + c.width > 1000 || c.y + c.height > 700 || t.x < op.rect.x || t.y < op.rect.y ||
            t.x + t.width > op.rect.x + op.rect.width || t.y + t.height > op.rect.y + op.rect.height) {
          std::abort();
        }
      }
    }
    // The one-line window's cut of every line, clipped the same way.
    for (const COcrBlock& b : page.blocks) {
      const COcrLine* previous = nullptr;
      for (const COcrLine& l : b.lines) {
        const layout::Rect c =
            pageview::clipToImage(pageview::lineImageSource(previous, l, b.direction == kVertical), 1000, 700);
        if (!pageview::isEmpty(c) && (c.x < 0 || c.y < 0 || c.x + c.width > 1000 || c.y + c.height > 700)) {
          std::abort();
        }
        previous = &l;
      }
    }
  }
  return 0;
}
