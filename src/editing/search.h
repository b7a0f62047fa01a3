// Find, replace and the reject characters: the page's search text, the find and
// replace dialogs' state (kept for the life of the view), searching forwards and
// backwards with the prompts to go on across pages, Replace and Replace All, and
// stepping to the next or previous reject character.
#pragma once

#include <string>
#include <vector>

#include "editing/edit_state.h"

namespace lexova::editing {

// A reject: a certainty below the reject level, or bit 15 set.
inline bool isReject(std::uint16_t cc, int rejectLevel) {
  return cc < rejectLevel || (cc & 0x8000) != 0;
}

// The units of every character of every line (ruby lines too) of the page's text
// and table blocks (a table's cells in order), in order; nothing between lines or
// blocks. Each character keeps where it stands, for mapping a hit back.
struct PageText {
  struct Char {
    EditCursor at;  // block, cell, line, character
    int start;      // its first unit's position in the text
  };
  std::u16string text;
  std::vector<Char> chars;
  const COcrPage* page = nullptr;
  std::uint64_t revision = 0;
};
PageText buildPageText(COcrPage& page);

enum class SearchDialogKind { None, Find, Replace };
enum class SearchMode { Find = 0, Replace = 1, ReplaceAll = 2 };

struct SearchState {
  SearchDialogKind dialog = SearchDialogKind::None;
  std::u16string search, replacement;  // at most 79 units each
  bool matchCase = true;
  bool backward = false;     // the find dialog's direction
  PageText page;             // the current page's text as last built
  int position = 0;          // where the next search starts (backward: its exclusive end)
  bool highlighted = false;  // a hit (or reject) is shown: the next reject starts after it
  int replaced = 0;          // what the last Replace All replaced
};

// Folds a text for a search without match case: ASCII and full-width Latin letters
// to upper case, unit by unit (never the locale's rules; lengths stay).
std::u16string foldCase(std::u16string_view text);

// Opens the find or replace dialog (nothing when one is open): the page's text and
// the position at the caret; a one-line selection of at most 79 units becomes the
// search string.
bool OpenFindDialog(SearchState& f, EditState& s, EditTarget& t);
bool OpenReplaceDialog(SearchState& f, EditState& s, EditTarget& t);
// The dialog's close button: the selection goes.
void CloseSearchDialog(SearchState& f, EditState& s);

// Find Next in the dialog's direction. Whether something was found.
bool FindNext(SearchState& f, EditState& s, EditTarget& t);
// Replace: the selection, when it is the search string (by the case rule), then
// the next hit. Whether the selection was replaced.
bool ReplaceOne(SearchState& f, EditState& s, EditTarget& t);
// Replace All, from the start of the current page and on to the next pages as the
// person agrees. Returns the number of replacements (also in f.replaced).
int ReplaceAll(SearchState& f, EditState& s, EditTarget& t);
// The search itself, with its not-found prompts. Whether something was found.
bool SearchText(SearchState& f, EditState& s, EditTarget& t, bool backward, SearchMode mode);

// The next / previous reject character of the page, with the prompts to go on.
bool NextRejectChar(SearchState& f, EditState& s, EditTarget& t);
bool PrevRejectChar(SearchState& f, EditState& s, EditTarget& t);

}  // namespace lexova::editing
