#include "reconstruct/page_pass.h"

#include <algorithm>
#include <vector>

#include "reconstruct/annotation.h"

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
// with its range brought inside it (file values are not checked when read).
void keepRangeWithinBase(COcrLine& l) {
  if (!l.baseLine) return;
  const int n = std::max<int>(1, static_cast<int>(l.baseLine->chars.size()));
  l.RCS = std::clamp(l.RCS, 1, n);
  l.RCE = std::clamp(l.RCE, l.RCS, n);
}

}  // namespace

bool AnnotatePageAfterReading(COcrPage& page, bool monoRuby, bool smallKanaToNormal) {
  const int s = StandardCharSize(page);
  bool changed = false;
  for (COcrBlock& b : page.blocks) {
    const auto annotations = annotationLines(b.lines);
    if (annotations.empty()) continue;
    changed = true;
    for (const auto& l : annotations) SplitAnnotationLines(b, l, s);
    const auto toAttach = annotationLines(b.lines);
    AttachAnnotationLines(b, toAttach, s);
    for (const auto& l : toAttach) keepRangeWithinBase(*l);
    if (monoRuby) {
      for (const auto& l : annotationLines(b.lines, kAttrRuby)) SplitMonoRuby(b, l);
    }
  }
  if (smallKanaToNormal && NormaliseSmallKana(page)) changed = true;
  return changed;
}

}  // namespace lexova::reconstruct
