// The page where the first article starts: found from the first title, author,
// extitle or exauther block, so the editor opens there rather than on a cover.
#pragma once

#include "document/model/model.h"

namespace lexova::reconstruct {

// The `number` of the page holding the first block of section 8, 9, 14 or 15,
// minus 1; -1 when there is none or no paper.
int FindFirstArticlePage(const COcrPaper* paper);

// The page the editor shows for that result: firstArticlePage when it names a page
// of the list, 0 when there is no article, and the position of the page that holds
// the opening block when the number points outside the list. Always a valid index
// of a paper with pages (0 for one without).
int currentPageForArticle(const COcrPaper& paper, int firstArticlePage);

}  // namespace lexova::reconstruct
