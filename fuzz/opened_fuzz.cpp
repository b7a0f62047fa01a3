// Any bytes the reader accepts, opened as the editor opens them: the annotation
// pass runs over every page without crashing, and leaves every line's count and
// every annotation range within its base line.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "document/vuzozoviv/reader.h"
#include "reconstruct/first_article.h"
#include "reconstruct/page_pass.h"

using namespace lexova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  io::MemorySource in(std::string_view(reinterpret_cast<const char*>(data), size));
  vuzozoviv::ReadResult r = vuzozoviv::readPaper(in);
  if (!r.paper) return 0;
  const int first = reconstruct::FindFirstArticlePage(r.paper.get());
  const int current = reconstruct::currentPageForArticle(*r.paper, first);
  if (!r.paper->pages.empty() && (current < 0 || current >= static_cast<int>(r.paper->pages.size()))) std::abort();
  for (COcrPage& page : r.paper->pages) {
    reconstruct::AnnotatePageAfterReading(page, size % 2 == 0, size % 3 == 0);
    for (const COcrBlock& b : page.blocks) {
      std::set<const COcrLine*> lines;
      for (const COcrLine& l : b.lines) lines.insert(&l);
      for (const COcrLine& l : b.lines) {
        int units = 0;
        for (const COcrChar& c : l.chars) units += codeLength(c.code);
        if (units != l.charCount && l.attr != kAttrNone) std::abort();
        if (!l.baseLine) continue;
        if (!lines.count(l.baseLine) || l.baseLine == &l) std::abort();
        const int n = static_cast<int>(l.baseLine->chars.size());
        if (n > 0 && (l.RCS < 1 || l.RCS > l.RCE || l.RCE > n)) std::abort();
      }
    }
  }
  return 0;
}
