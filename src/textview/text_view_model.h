// What the text view does with its input, without a window: keys, typed and
// input-method text, the mouse, the context menus and the view's commands turned
// into the editing operations, with what each damaged, where the caret and the
// selection are drawn, and which of the view's commands are enabled. The Qt view
// translates its events into these calls and paints what they report.
#pragma once

#include <string>
#include <vector>

#include "editing/blocks.h"
#include "editing/edit_state.h"
#include "editing/ruby_correction.h"
#include "editing/search.h"
#include "layout/page_layout.h"
#include "textview/key_rules.h"

namespace lexova::textview {

// What the view must do after an input.
struct Update {
  editing::Damage damage = editing::Damage::None;
  const COcrLine* line = nullptr;  // Line damage: the line to paint again
  bool caret = false;              // the caret or the selection moved: draw them again, scroll to the caret
  bool pageChanged = false;        // another page became current
  bool changed = false;            // the model changed (marks, caption)

  void add(const Update& o);
};

// A rectangle of the canvas (device pixels of the layout).
using Rect = layout::Rect;

// The caret: a bar across the line before the cursor character (after the last
// one at the line's end); vertical lines get a horizontal bar.
struct Caret {
  bool shown = false;
  bool vertical = false;
  Rect bar;
  Rect cell;  // the cell the caret stands at (where the input method's text begins)
  int fontHeight = 0;
};

// One entry of a context menu. Entries carry their action and its data: nothing
// is computed from a command number and an index.
struct MenuEntry {
  enum Action {
    Separator,
    Candidate,     // data: the candidate index
    ReplaceChar,   // "置換(&R)..."
    RubyEdit,      // "ルビ修正(&M)..."
    DeleteBlocks,  // "削除"
    MoveBlock,     // data: the number (1..N) the current block moves to
    NextPage,      // "次のページへ"
    PrevPage,      // "前のページへ"
    Submenu,       // the entries of `children`
  } action = Separator;
  std::u16string text;  // as the menu shows it ("&" before a mnemonic; a literal "&" doubled)
  int data = 0;
  bool enabled = true;
  bool checked = false;
  bool columnBreak = false;  // starts a new column (the reorder menu)
  std::vector<MenuEntry> children;
};
using Menu = std::vector<MenuEntry>;

// A candidate's code as a menu text: "&" shown literally.
std::u16string menuText(std::u16string_view code);

// What the view's model works on, kept by its owner (the frame, a scripted session).
struct ViewState {
  editing::EditState edit;
  editing::SearchState search;
  editing::RubyDialog ruby;
};

class TextViewModel {
 public:
  TextViewModel(editing::EditTarget& target, editing::EditState& edit, editing::SearchState& search,
                editing::RubyDialog& ruby);
  TextViewModel(editing::EditTarget& target, ViewState& v) : TextViewModel(target, v.edit, v.search, v.ruby) {}

  editing::EditState& state() { return s_; }
  const editing::EditState& state() const { return s_; }
  editing::SearchState& search() { return search_; }
  editing::RubyDialog& ruby() { return ruby_; }
  editing::EditTarget& target() { return t_; }

  // The view's arrangement (View表示 0..2) and whether its pane has a size: a pane
  // of no size (the image pane full) takes no edits.
  void setTextLayout(int textLayout) { textLayout_ = textLayout; }
  int textLayout() const { return textLayout_; }
  void setVisible(bool hasSize) { visible_ = hasSize; }
  bool visible() const { return visible_; }

  // The document changed outside the view (opened, reloaded, undone,
  // reconstructed, another page chosen): the cursor goes to the page's start, or
  // to `where` (clamped) after an undo.
  void pageOpened();
  void restore(const ViewPosition& where);
  // Whether the cursor still stands on the page it was set on (false: call pageOpened).
  bool current() const;

  // ---- keys and text ------------------------------------------------------------------
  Update keyPress(const KeyPress& k);
  Update keyRelease(const KeyPress& k);
  // Text that arrives as character messages: an input method's result, or text
  // typed without one. Unit by unit to InsertChar, one redraw at the end.
  Update typeText(std::u16string_view text);
  // An input method's reconversion: the units [caret + start, caret + start +
  // length) of the cursor line's text (its line breaks left out, as the surrounding
  // text gives it) are replaced by `text` (nothing is removed when the range is not
  // wholly inside the line).
  Update replaceAroundCaret(int start, int length, std::u16string_view text);
  // The cursor line's text as the input method sees it (line breaks left out) and
  // the caret's position in it, in units.
  std::u16string surroundingText(int* caret) const;

  // ---- the mouse (canvas device pixels) --------------------------------------------------
  Update leftPress(const layout::PageGeometry& g, long long x, long long y, bool shift);
  Update leftDrag(const layout::PageGeometry& g, long long x, long long y);
  Update leftRelease(const layout::PageGeometry& g, long long x, long long y, bool shift);
  Update rightPress(const layout::PageGeometry& g, long long x, long long y);
  // Whether the point lies in the frame of a vertical text or table block (the
  // vertical text cursor is shown there).
  bool verticalBlockAt(const layout::PageGeometry& g, long long x, long long y) const;
  // The block-mode band being drawn from the press (empty when none).
  bool banding() const { return banding_; }
  Rect band() const;
  // The context menu at a point (after rightPress there).
  Menu contextMenu(const layout::PageGeometry& g, long long x, long long y);
  // An entry chosen from a context menu. ReplaceChar and RubyEdit open dialogs:
  // the view does that; here they do nothing.
  Update choose(const MenuEntry& e);

  // ---- commands ---------------------------------------------------------------------------
  // Whether a command the view carries out is enabled now (copy with a selection,
  // paste with text on the clipboard, ruby on ruby, the rest with a page).
  bool enabled(int command, bool clipboardHasText) const;
  // Copy, paste, next and previous reject, next and previous page.
  Update command(int command);
  // Find and replace through their dialog's state (the dialogs show it).
  Update findNext();
  Update replaceOne();
  Update replaceAll();
  // The character replace dialog's OK.
  Update replaceChar(std::u16string_view entered, bool registerPair);
  // The ruby dialog's OK and Cancel.
  Update rubyOk();
  void rubyCancel();

  // ---- drawing ----------------------------------------------------------------------------
  Caret caret(const layout::PageGeometry& g) const;
  // The cells of the selected characters (or of the last hit).
  std::vector<Rect> selectionCells(const layout::PageGeometry& g) const;
  // The geometry line of the cursor (-1: none).
  int cursorLineIndex(const layout::PageGeometry& g) const;
  // The line drawn with emphasis: the cursor line, or the shift anchor while an
  // extension runs.
  const COcrLine* emphasisedLine() const;

 private:
  struct Target;
  COcrPage* page() const;
  bool vertical() const;
  Update afterMove(bool moved, bool extend, const editing::EditSelection& before, int pageBefore);
  Update apply(const editing::EditResult& r, const COcrLine* line);
  // The character under a point, as a cursor (layout display: in the block frame
  // under the point, on its ordinary lines).
  bool cursorAtPoint(const layout::PageGeometry& g, long long x, long long y, bool withinBlock,
                     editing::EditCursor& out) const;
  void remember();

  editing::EditTarget& t_;
  editing::EditState& s_;
  editing::SearchState& search_;
  editing::RubyDialog& ruby_;
  KeyRun run_;
  int textLayout_ = 2;
  bool visible_ = true;
  // The page and document revision the cursor was set on.
  const COcrPage* cursorPage_ = nullptr;
  std::uint64_t revision_ = 0;
  const COcrLine* anchorLine_ = nullptr;  // the shift anchor line
  bool dragging_ = false, dragged_ = false;
  bool banding_ = false;
  long long bandX0_ = 0, bandY0_ = 0, bandX1_ = 0, bandY1_ = 0;
  double scale_ = 1;  // of the geometry the band was drawn on
};

}  // namespace lexova::textview
