// Copying the selection and pasting the clipboard.
#include <algorithm>

#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "editing/line_edit.h"

namespace lexova::editing {

using namespace detail;

bool CopySelection(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || s.selection.empty()) return false;
  std::u16string text;
  for (const LineRange& r : selectedRanges(*page, normalised(*page, s.selection))) {
    auto it = std::next(r.line.line->chars.begin(), r.from);
    for (int i = r.from; i < r.to; ++i, ++it) text += codeText(it->code);
  }
  t.host().setClipboardText(text);
  return true;
}

EditResult PasteText(EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page || !s.cursor.set()) return {};
  const std::u16string text = t.host().clipboardText();
  if (text.empty() || text.size() >= 20000) return {};
  // Over a one-line selection the text replaces it; over several lines nothing.
  if (!s.selection.empty()) {
    const EditSelection sel = normalised(*page, s.selection);
    if (!sel.start.sameLine(sel.end)) return {};
    return ReplaceSelection(s, t, text);
  }
  const std::vector<CharCode> chars = charactersOf(text, true);
  if (chars.empty()) return {};
  t.recordUndo(kUndoReplacement, [&] { return positionOf(*page, s.cursor); });
  const Damage damage = insertAsPaste(*page, s.cursor, chars);
  s.cursor.column = -1;
  t.pageEdited();
  return {true, damage};
}

}  // namespace lexova::editing
