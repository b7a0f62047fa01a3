#include "document/lifecycle/open_paper.h"

#include "reconstruct/first_article.h"
#include "reconstruct/page_pass.h"

namespace lexova {
namespace {

OpenedPaper prepared(vuzozoviv::ReadResult read, const settings::ReconstructionOptions& options) {
  OpenedPaper out{std::move(read), {}};
  if (out.read.paper) out.state = prepareOpenedPaper(*out.read.paper, options);
  return out;
}

}  // namespace

OpenedState settleLoadedPaper(COcrPaper& paper, Host* progress) {
  OpenedState s;
  computeStandardDpi(paper);
  if (progress) {
    progress->progressValue(30);
    progress->progressText(u"ファイル後処理中");
    progress->progressValue(70);
  }
  s.firstArticlePage = reconstruct::FindFirstArticlePage(&paper);
  s.currentPage = paper.pages.empty() ? -1 : reconstruct::currentPageForArticle(paper, s.firstArticlePage);
  return s;
}

std::vector<int> runOpenPass(COcrPaper& paper, const settings::ReconstructionOptions& options) {
  return reconstruct::ReconstructAllPages(paper, false, options).pagesChanged;
}

OpenedState prepareOpenedPaper(COcrPaper& paper, const settings::ReconstructionOptions& options) {
  OpenedState s = settleLoadedPaper(paper);
  s.pagesChanged = runOpenPass(paper, options);
  return s;
}

OpenedPaper openPaper(const std::string& path, const settings::ReconstructionOptions& options,
                      vuzozoviv::ReadProgress* progress) {
  return prepared(vuzozoviv::readPaperFile(path, progress), options);
}

OpenedPaper openPaper(io::ByteSource& in, const settings::ReconstructionOptions& options,
                      vuzozoviv::ReadProgress* progress) {
  return prepared(vuzozoviv::readPaper(in, progress), options);
}

}  // namespace lexova
