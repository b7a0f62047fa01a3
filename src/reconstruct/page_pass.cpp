#include "reconstruct/page_pass.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "reconstruct/annotation.h"
#include "reconstruct/block_merge.h"

namespace lexova::reconstruct {
namespace {

// The annotation lines of a block (with the given attr, or any non-zero one), taken
// before an operation inserts or moves lines.
std::vector<LineList::iterator> annotationLines(LineList& lines, int attr = -1) {
  std::vector<LineList::iterator> out;
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (attr < 0 ? it->attr != kAttrNone : it->attr == attr) out.push_back(it);
  }
  return out;
}

// A link read from the file that attaching could not replace keeps its base line,
// with its range brought inside it (file values are not checked when read). A
// link to another annotation line, or to a line of no block list here, annotates
// no text: it is dropped. Annotation lines precede their base line: one that a
// file put after its base is moved before it, as attaching would have.
void keepRangeWithinBase(LineList& lines, LineList::iterator l) {
  if (!l->baseLine) return;
  const auto base = std::find_if(lines.begin(), lines.end(), [&](const COcrLine& x) { return &x == l->baseLine; });
  if (l->baseLine->attr != kAttrNone || base == lines.end()) {
    l->baseLine = nullptr;
    l->RCS = l->RCE = 0;
    return;
  }
  const int n = std::max<int>(1, static_cast<int>(l->baseLine->chars.size()));
  l->RCS = std::clamp(l->RCS, 1, n);
  l->RCE = std::clamp(l->RCE, l->RCS, n);
  const bool follows =
      std::find_if(std::next(l), lines.end(), [&](const COcrLine& x) { return &x == l->baseLine; }) != lines.end();
  if (!follows) lines.splice(base, lines, l);
}

// Annotations of one kind on one base line cover disjoint ranges (a base
// character has one ruby). Attaching looks at boxes only, and a run that mono ruby
// split off ends at its base character's far end while its last character may
// reach into the next one: its range would grow over the next run's first base
// character. Each range ends before the next one of its kind on the same base line.
void keepRangesApart(LineList& lines) {
  std::unordered_map<const COcrLine*, COcrLine*> previous[4];
  for (COcrLine& l : lines) {
    if (!l.baseLine || l.attr < kAttrRuby || l.attr > kAttrFootnote) continue;
    COcrLine*& before = previous[l.attr][l.baseLine];
    if (before && before->RCS < l.RCS && before->RCE >= l.RCS) before->RCE = l.RCS - 1;
    before = &l;
  }
}

}  // namespace

PageResult ProcessPage(COcrPage& page, const settings::ReconstructionOptions& options, bool mergeBlocks,
                       bool allPagesVariant) {
  PageResult r;
  if (mergeBlocks) r.changed = MergeTextBlocks(page, options, &r.merged);
  const int s = StandardCharSize(page);
  for (COcrBlock& b : page.blocks) {
    if (!allPagesVariant) {
      if (!options.monoRuby) continue;
      for (const auto& l : annotationLines(b.lines, kAttrRuby)) {
        if (SplitMonoRuby(b, l)) r.changed = true;
      }
      continue;
    }
    const auto annotations = annotationLines(b.lines);
    if (annotations.empty()) continue;
    r.changed = true;
    for (const auto& l : annotations) SplitAnnotationLines(b, l, s);
    const auto toAttach = annotationLines(b.lines);
    AttachAnnotationLines(b, toAttach, s);
    for (const auto& l : toAttach) keepRangeWithinBase(b.lines, l);
    keepRangesApart(b.lines);
    if (options.monoRuby) {
      for (const auto& l : annotationLines(b.lines, kAttrRuby)) SplitMonoRuby(b, l);
    }
  }
  if (options.smallKanaToNormal && NormaliseSmallKana(page)) r.changed = true;
  return r;
}

namespace {

void record(Reconstruction& out, int index, const PageResult& r) {
  if (r.changed) out.pagesChanged.push_back(index);
  if (r.merged) out.pagesMerged.push_back(index);
}

}  // namespace

Reconstruction ReconstructCurrentPage(COcrPaper& paper, int pageIndex, const settings::ReconstructionOptions& options) {
  Reconstruction out;
  if (pageIndex < 0 || pageIndex >= static_cast<int>(paper.pages.size())) return out;
  record(out, pageIndex, ProcessPage(*std::next(paper.pages.begin(), pageIndex), options, true, false));
  return out;
}

Reconstruction ReconstructAllPages(COcrPaper& paper, bool mergeBlocks, const settings::ReconstructionOptions& options) {
  Reconstruction out;
  int index = 0;
  for (COcrPage& page : paper.pages) record(out, index++, ProcessPage(page, options, mergeBlocks, true));
  return out;
}

}  // namespace lexova::reconstruct
