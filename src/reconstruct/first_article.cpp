#include "reconstruct/first_article.h"

#include <climits>

namespace lexova::reconstruct {
namespace {

bool opensArticle(int sec) {
  return sec == kSecTitle || sec == kSecAuthor || sec == kSecExTitle || sec == kSecExAuther;
}

// The position of the page holding the first opening block, or -1.
int openingPagePosition(const COcrPaper& paper) {
  int i = 0;
  for (const COcrPage& p : paper.pages) {
    for (const COcrBlock& b : p.blocks) {
      if (opensArticle(b.sec)) return i;
    }
    ++i;
  }
  return -1;
}

}  // namespace

int FindFirstArticlePage(const COcrPaper* paper) {
  if (!paper) return -1;
  for (const COcrPage& p : paper->pages) {
    for (const COcrBlock& b : p.blocks) {
      // Page numbers come from the file: the lowest one cannot go lower.
      if (opensArticle(b.sec)) return p.number == INT_MIN ? INT_MIN : p.number - 1;
    }
  }
  return -1;
}

int currentPageForArticle(const COcrPaper& paper, int firstArticlePage) {
  const int count = static_cast<int>(paper.pages.size());
  if (firstArticlePage == -1 || count == 0) return 0;
  if (firstArticlePage >= 0 && firstArticlePage < count) return firstArticlePage;
  const int position = openingPagePosition(paper);
  return position >= 0 ? position : 0;
}

}  // namespace lexova::reconstruct
