// What character editing works on: the edit cursor and selection of the text
// view, the page around them, what each operation damaged, and the document
// services an edit needs (the undo snapshot, the modified marks, the timed
// backup, the clipboard). Plain C++: the text view maps keys, input-method text
// and menus onto the operations; the lexova tool's edit sessions call the same.
#pragma once

#include <functional>
#include <string>

#include "document/model/model.h"
#include "document/undo/undo_store.h"
#include "editing/block_frames.h"
#include "host/host.h"
#include "settings/values.h"

namespace lexova::editing {

using CharList = OcrList<COcrChar>;

// What an operation changed, so that the view redraws exactly that.
enum class Damage { None, Line, Page };
inline Damage worse(Damage a, Damage b) {
  return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

struct EditResult {
  bool changed = false;  // the model changed
  Damage damage = Damage::None;
};

// A place in the current page: a line of a text block (or of a table block's
// cell) and a character of it, or the line's end (the caret stands before the
// character, or after the last one).
struct EditCursor {
  COcrBlock* block = nullptr;  // none: no cursor
  COcrCell* cell = nullptr;    // the line's cell, in a table block
  LineList::iterator line;
  CharList::iterator ch;
  int column = -1;  // remembered character index for moves up and down; -1 unset

  bool set() const { return block != nullptr; }
  LineList& lines() const { return cell ? cell->lines : block->lines; }
  bool atEnd() const { return ch == line->chars.end(); }
  bool sameLine(const EditCursor& o) const { return set() && o.set() && &*line == &*o.line; }
  bool samePlace(const EditCursor& o) const { return sameLine(o) && ch == o.ch; }
};

// The characters from start (inclusive) to end (exclusive), from start's line
// through end's line. Empty when unset or when both stand at one place.
struct EditSelection {
  EditCursor start, end;
  bool empty() const { return !start.set() || !end.set() || start.samePlace(end); }
  void clear() { start = end = {}; }
};

enum class EditMode { Character, Block };

// The view's settings the editing operations read.
struct EditSettings {
  int rejectLevel = 2;                // リジェクト値: a certainty below it makes a reject
  bool registerReplacements = false;  // 置換文字文字テーブル登録: replacements go to the registered table
};

// The text view's editing state.
struct EditState {
  EditCursor cursor;
  EditSelection selection;
  EditMode mode = EditMode::Character;
  int pendingInput = 0;      // units of an input-method result still to arrive as character messages
  char16_t pendingHigh = 0;  // a high surrogate waiting for its low surrogate
  int currentFrame = -1;     // the block whose frame is current in block edit mode
  // The pair the character replace dialog added to the registered table last.
  std::u16string lastRegisteredSearch, lastRegisteredReplacement;
};

// The document services around an edit of the current page.
class EditTarget {
 public:
  virtual ~EditTarget() = default;
  virtual Host& host() = 0;
  virtual int pageCount() = 0;
  virtual int currentPageIndex() = 0;
  virtual COcrPage* page(int index) = 0;
  // Makes another page current (the moves cross pages).
  virtual void setCurrentPage(int index) = 0;
  // The undo snapshot of the current page, taken before a change; where() gives
  // the cursor's position when a snapshot is taken.
  virtual void recordUndo(int kind, const std::function<ViewPosition()>& where) = 0;
  // After a change of the current page: its mark, the document modified, the timed backup.
  virtual void pageEdited() = 0;
  // A pair of the character replace dialog for the registered-character table.
  virtual void registerPair(std::u16string_view search, std::u16string_view replacement) = 0;
  // The current page's block frames and marks.
  virtual PageEntry& pageEntry() = 0;
  // The options of reconstruction (the rectangle merge inserts blank lines by them).
  virtual const settings::ReconstructionOptions& reconstructionOptions() = 0;
  virtual const EditSettings& editSettings() = 0;
  // A number that changes whenever any page of the document changes (edits, undo,
  // opening, reconstruction): what was derived from a page is stale when it moved.
  virtual std::uint64_t revision() = 0;
};

}  // namespace lexova::editing
