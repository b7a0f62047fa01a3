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

OpenedState prepareOpenedPaper(COcrPaper& paper, const settings::ReconstructionOptions& options) {
  OpenedState s;
  computeStandardDpi(paper);
  s.firstArticlePage = reconstruct::FindFirstArticlePage(&paper);
  s.currentPage = paper.pages.empty() ? -1 : reconstruct::currentPageForArticle(paper, s.firstArticlePage);
  s.pagesChanged = reconstruct::ReconstructAllPages(paper, false, options).pagesChanged;
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
