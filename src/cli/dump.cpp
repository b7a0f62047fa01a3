// lexova dump: the model the reader built, as an outline or JSON; with --opened,
// after what opening the file in the editor does.
#include <cstdio>

#include "cli/commands.h"
#include "cli/model_json.h"
#include "cli/output.h"
#include "text/utf.h"

namespace lexova::cli {
namespace {

// The outline a person reads: pages, blocks and the text of every line.
void outlinePaper(const COcrPaper& paper) {
  std::string out;
  for (const COcrPage& p : paper.pages) {
    out += "page " + std::to_string(p.number) + " " + text::toUtf8(p.file) + " (" + std::to_string(p.width) + "x" +
           std::to_string(p.height) + ", " + std::to_string(p.blocks.size()) + " blocks)\n";
    int bn = 0;
    for (const COcrBlock& b : p.blocks) {
      static const char* const types[] = {"text", "table", "image", "line"};
      out += "  block " + std::to_string(++bn) + " " + (b.type >= 0 && b.type <= 3 ? types[b.type] : "?") +
             (b.direction == kVertical ? " vertical" : " horizontal") + " sec " +
             text::toUtf8(sectionValue(paper, b.sec)) + "\n";
      auto lines = [&out](const LineList& ls, const char* pad) {
        for (const COcrLine& l : ls) {
          std::u16string t;
          for (const COcrChar& c : l.chars) t += c.code[0] == u'\r' ? u"⏎" : codeText(c.code);
          out += pad;
          out += l.attr == kAttrRuby ? "ruby " : l.attr == kAttrEmph ? "emph " : l.attr == kAttrFootnote ? "note " : "";
          out += text::toUtf8(t);
          if (l.attr != kAttrNone && l.baseLine) {
            // What the annotation covers: base characters RCS..RCE.
            std::u16string covered;
            int k = 0;
            for (const COcrChar& c : l.baseLine->chars) {
              ++k;
              if (k >= l.RCS && k <= l.RCE) covered += codeText(c.code);
            }
            out += "  → " + std::to_string(l.RCS) + ".." + std::to_string(l.RCE) + " " + text::toUtf8(covered);
          }
          out += "\n";
        }
      };
      lines(b.lines, "    ");
      for (const COcrCell& c : b.cells) {
        out += "    cell " + std::to_string(c.row) + "," + std::to_string(c.col) + "\n";
        lines(c.lines, "      ");
      }
    }
  }
  writeTo(stdout, out);
}

}  // namespace

int runDump(Context& ctx, const Args& all) {
  Args args;
  bool opened = false;
  for (const std::string& a : all) {
    if (a == "--opened") {
      opened = true;
    } else {
      args.push_back(a);
    }
  }
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("dump takes one work file");
  std::unique_ptr<COcrPaper> paper;
  OpenedState state;
  if (opened) {
    // What opening the file in the editor does before the first page is shown.
    auto o = openAsEditor(ctx, p->positional[0]);
    if (!o) return kExitReadError;
    paper = std::move(o->read.paper);
    state = std::move(o->state);
  } else {
    Loaded l = load(p->positional[0]);
    if (!l.result.paper) {
      printError(p->positional[0] + ": " + readFailure(l.result));
      return kExitReadError;
    }
    paper = std::move(l.result.paper);
  }
  if (p->json) {
    JsonWriter j(stdout);
    dumpPaper(j, *paper, opened ? &state : nullptr);
    j.finish();
  } else {
    if (opened) std::printf("first article page %d, current page %d\n", state.firstArticlePage, state.currentPage);
    outlinePaper(*paper);
  }
  return kExitOk;
}

}  // namespace lexova::cli
