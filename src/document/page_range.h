// The page range of the save-as and export dialogs: all pages, the current page,
// or a range of 1-based page numbers; checked when the person confirms, then
// turned into page positions.
#pragma once

#include <string_view>

#include "host/host.h"

namespace lexova {

enum class RangeMode : int { AllPages = 0, CurrentPage = 1, PageRange = 2 };

struct RangeChoice {
  RangeMode mode = RangeMode::AllPages;
  int from = 0, to = 0;  // the two page fields (PageRange), as pageFieldValue reads them
};

struct PageIndexes {
  int first = 0, last = -1;  // positions from 0, inclusive; empty when last < first
  bool empty() const { return last < first; }
};

// A page field's value: its whole decimal number, 0 when it is not one.
int pageFieldValue(std::u16string_view text);

// The positions a choice selects in a paper of pageCount pages.
PageIndexes pageIndexesFor(const RangeChoice& choice, int pageCount, int currentPage);

// What the dialog does on OK. A range with a field of 0 or less, or one that
// selects no page, gets "保存範囲が指定されていません。"; 100 pages or more ask
// whether to go on (No preselected). False keeps the dialog open.
bool confirmPageRange(const RangeChoice& choice, int pageCount, Host& host);

}  // namespace lexova
