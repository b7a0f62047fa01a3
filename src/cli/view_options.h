// The text view's options on the command line (layout, render): the page, the
// display, the image and colour modes, the scale, the edit mode; the rest from
// the settings, as the editor's view takes them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/common.h"
#include "layout/page_layout.h"

namespace lexova::cli {

struct ViewOptions {
  int page = 0;
  layout::LayoutSettings settings;
};

// --page N --display 0|1|2 --image-mode 0|1|2 --colour-mode 0..3 --scale 10..100 --edit-mode 1|3
const std::vector<std::string>& viewOptionNames();
std::optional<ViewOptions> viewOptions(Context& ctx, const Parsed& p, std::string& error);
// The page at a position, or nothing with error set.
const COcrPage* pageAt(const COcrPaper& paper, int index, std::string& error);

}  // namespace lexova::cli
