// lexova layout: opens a work file as the editor does and prints where the text
// view draws one page: per line its origin, pitch and font height, per character
// its drawn position, what it shows and its colour, per annotation line its base
// mark; the same geometry the editor paints from.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/view_options.h"

namespace lexova::cli {
namespace {

std::string colourText(settings::Colour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

void rect(JsonWriter& j, const layout::Rect& r) {
  j.beginArray();
  j.value(r.x);
  j.value(r.y);
  j.value(r.width);
  j.value(r.height);
  j.endArray();
}

}  // namespace

int runLayout(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, viewOptionNames(), error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("layout takes one work file");
  if (!p->json) return usageError("layout prints JSON: give --json");
  auto view = viewOptions(ctx, *p, error);
  if (!view) return usageError(error);
  auto opened = openAsEditor(ctx, p->positional[0]);
  if (!opened) return kExitReadError;
  const COcrPage* page = pageAt(*opened->read.paper, view->page, error);
  if (!page) return usageError(error);
  const layout::PageGeometry g = layout::layoutPage(*page, view->settings);

  JsonWriter j(stdout);
  j.beginObject();
  j.key("page");
  j.value(view->page);
  j.key("display");
  j.value(view->settings.display);
  j.key("scale");
  j.value(static_cast<float>(view->settings.scale));
  j.key("width");
  j.value(g.width);
  j.key("height");
  j.value(g.height);
  j.key("limited");
  j.value(g.limited);
  j.key("lines");
  j.beginArray();
  for (const layout::LineGeometry& l : g.lines) {
    j.beginObject();
    j.key("vertical");
    j.value(l.vertical);
    j.key("annotation");
    j.value(l.annotation);
    j.key("origin");
    j.beginArray();
    j.value(l.originX);
    j.value(l.originY);
    j.endArray();
    j.key("pitch");
    j.value(static_cast<float>(l.pitch));
    j.key("fontHeight");
    j.value(l.font.height);
    if (l.annotation) {
      j.key("baseMark");
      if (l.hasBase) {
        rect(j, l.baseMark);
      } else {
        j.null();
      }
    }
    j.key("chars");
    j.beginArray();
    for (const layout::CharGeometry& c : l.chars) {
      j.beginObject();
      j.key("code");
      j.value(codeText(c.ch->code));
      j.key("shown");
      j.value(std::u16string_view(c.shown));
      j.key("rect");
      rect(j, layout::charCell(g, l, c));
      j.key("colour");
      j.value(colourText(c.colour));
      if (c.reject) {
        j.key("reject");
        j.value(true);
      }
      if (c.registered) {
        j.key("registered");
        j.value(true);
      }
      j.endObject();
    }
    j.endArray();
    j.endObject();
  }
  j.endArray();
  j.key("drawOperations");
  j.value(static_cast<long long>(g.ops.size()));
  j.endObject();
  j.finish();
  return kExitOk;
}

}  // namespace lexova::cli
