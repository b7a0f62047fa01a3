// lexova reconstruct: opens a work file as the editor does, runs a reconstruction
// command (all pages with merging, or the current-page pass on one page) and writes
// the result in the output encoding of the settings.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "document/vuzozoviv/writer.h"
#include "reconstruct/first_article.h"
#include "reconstruct/page_pass.h"

namespace lexova::cli {
namespace {

long long blockCount(const COcrPaper& paper) {
  long long n = 0;
  for (const COcrPage& p : paper.pages) n += static_cast<long long>(p.blocks.size());
  return n;
}

}  // namespace

int runReconstruct(Context& ctx, const Args& all) {
  Args args;
  bool allPages = false;
  for (const std::string& a : all) {
    if (a == "--all") {
      allPages = true;
    } else {
      args.push_back(a);
    }
  }
  std::string error;
  const auto p = parseArgs(args, true, {"page"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("reconstruct takes an input and an output work file");
  const auto pageArg = p->values.find("page");
  if (allPages == (pageArg != p->values.end())) return usageError("reconstruct takes one of --all and --page N");
  int page = -1;
  if (!allPages) {
    const auto v = parseInt(pageArg->second);
    if (!v || *v < 0) return usageError("invalid value for --page: " + pageArg->second);
    page = *v;
  }

  auto opened = openAsEditor(ctx, p->positional[0]);
  if (!opened) return kExitReadError;
  COcrPaper& paper = *opened->read.paper;
  if (!allPages && page >= static_cast<int>(paper.pages.size())) {
    return usageError("--page " + std::to_string(page) + " names no page: the file has " +
                      std::to_string(paper.pages.size()));
  }
  const settings::ReconstructionOptions options = settings::reconstructionOptions(ctx.values.settings);
  const long long before = blockCount(paper);
  reconstruct::Reconstruction r;
  int currentPage = page;
  if (allPages) {
    // The all-pages command, then the first article again, as the editor does.
    r = reconstruct::ReconstructAllPages(paper, true, options);
    currentPage = reconstruct::currentPageForArticle(paper, reconstruct::FindFirstArticlePage(&paper));
  } else {
    r = reconstruct::ReconstructCurrentPage(paper, page, options);
  }
  const long long after = blockCount(paper);
  if (vuzozoviv::writePaperFile(paper, p->positional[1], ctx.values.output.encoding, -1, -1, &error) !=
      vuzozoviv::kWriteOk) {
    printError("lexova: " + error);
    return kExitWriteError;
  }
  if (p->json) {
    JsonWriter j(stdout);
    j.beginObject();
    j.key("pagesChanged");
    j.beginArray();
    for (int i : r.pagesChanged) j.value(i);
    j.endArray();
    j.key("blocksBefore"), j.value(before);
    j.key("blocksAfter"), j.value(after);
    j.key("currentPage"), j.value(currentPage);
    j.endObject();
    j.finish();
  } else {
    std::printf("%zu pages changed, blocks %lld -> %lld, current page %d\n", r.pagesChanged.size(), before, after,
                currentPage);
  }
  return kExitOk;
}

}  // namespace lexova::cli
