#include "cli/view_options.h"

#include <iterator>

#include "editing/registered_table.h"
#include "platform/folders.h"
#include "platform/fonts.h"

namespace lexova::cli {

const std::vector<std::string>& viewOptionNames() {
  static const std::vector<std::string> names = {"page",  "display",   "image-mode", "colour-mode",
                                                 "scale", "edit-mode", "out"};
  return names;
}

std::optional<ViewOptions> viewOptions(Context& ctx, const Parsed& p, std::string& error) {
  settings::SettingsValues fontValues = ctx.values.settings;
  const settings::OutputFonts fonts = settings::applyFontDefaults(fontValues, platform::firstInstalledFont);
  ViewOptions v;
  v.settings = layout::layoutSettingsFor(ctx.values, fonts, {});
  layout::LayoutSettings& s = v.settings;
  int scale = s.values.displayScale;
  const struct {
    const char* name;
    int* target;
    int low, high;
  } ints[] = {{"page", &v.page, 0, 1 << 30},        {"display", &s.display, 0, 2}, {"image-mode", &s.imageMode, 0, 2},
              {"colour-mode", &s.colourMode, 0, 3}, {"scale", &scale, 10, 100},    {"edit-mode", &s.editMode, 1, 3}};
  for (const auto& o : ints) {
    const auto it = p.values.find(o.name);
    if (it == p.values.end()) continue;
    const auto n = parseInt(it->second);
    if (!n || *n < o.low || *n > o.high || (o.target == &s.editMode && *n == 2)) {
      error = std::string("invalid value for --") + o.name + ": " + it->second;
      return std::nullopt;
    }
    *o.target = *n;
  }
  s.scale = scale / 100.0;
  if (s.colourMode == layout::kRegisteredColours) {
    RegisteredTable table;
    table.LoadRegisteredTable(
        settings::registeredTablePath(ctx.values.settings, platform::userDataFolder(ctx.values).path), ctx.host);
    for (const RegisteredPair& pair : table.registeredPairs) s.registeredWords.push_back(pair.first);
  }
  return v;
}

const COcrPage* pageAt(const COcrPaper& paper, int index, std::string& error) {
  if (index < 0 || index >= static_cast<int>(paper.pages.size())) {
    error = "--page " + std::to_string(index) + " names no page: the file has " + std::to_string(paper.pages.size());
    return nullptr;
  }
  return &*std::next(paper.pages.begin(), index);
}

}  // namespace lexova::cli
