#include "editing/search.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "editing/character_editing.h"
#include "editing/cursor.h"

namespace lexova::editing {
namespace {

constexpr std::size_t kFieldLength = 79;

bool searchable(const COcrBlock& b) {
  return b.type == kBlockText || b.type == kBlockTable;
}

// Every line of a searchable block in order: its own, then its cells'.
template <typename Visit>
void eachLine(COcrBlock& b, Visit visit) {
  for (auto l = b.lines.begin(); l != b.lines.end(); ++l) visit(nullptr, l);
  for (COcrCell& c : b.cells) {
    for (auto l = c.lines.begin(); l != c.lines.end(); ++l) visit(&c, l);
  }
}

// The units before the caret in the page's text.
int unitsBefore(COcrPage& page, const EditCursor& c) {
  int units = 0;
  for (COcrBlock& b : page.blocks) {
    if (!searchable(b)) continue;
    bool done = false;
    eachLine(b, [&](COcrCell*, LineList::iterator l) {
      if (done) return;
      for (auto ch = l->chars.begin(); ch != l->chars.end(); ++ch) {
        if (c.set() && &*l == &*c.line && ch == c.ch) {
          done = true;
          return;
        }
        units += codeLength(ch->code);
      }
      if (c.set() && &*l == &*c.line) done = true;  // the caret at the line's end
    });
    if (done) return units;
  }
  return c.set() ? units : 0;
}

// A class of the not-found situation and its prompts.
struct Prompt {
  std::u16string text;
  bool question;  // Yes/No, else OK
};

// The page text is rebuilt when the page changed since it was built; the position
// then comes from the caret.
void ensureText(SearchState& f, EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page) return;
  if (f.page.page == page && f.page.revision == t.revision()) return;
  f.page = buildPageText(*page);
  f.page.revision = t.revision();
  f.position = unitsBefore(*page, s.cursor);
}

void newPage(SearchState& f, EditState& s, EditTarget& t, int index) {
  t.setCurrentPage(index);
  openPage(s, t);
  f.page = {};
  ensureText(f, s, t);
}

// The characters of a hit [p, p + n): its first character's index in f.page.chars,
// and the index after its last. Nothing when it does not start and end at
// character boundaries or does not lie within one line.
std::optional<std::pair<std::size_t, std::size_t>> hitChars(const PageText& pt, std::size_t p, std::size_t n) {
  const auto byStart = [](const PageText::Char& c, std::size_t v) { return static_cast<std::size_t>(c.start) < v; };
  const auto first = std::lower_bound(pt.chars.begin(), pt.chars.end(), p, byStart);
  if (first == pt.chars.end() || static_cast<std::size_t>(first->start) != p) return std::nullopt;
  const auto end = std::lower_bound(first, pt.chars.end(), p + n, byStart);
  if (end != pt.chars.end() && static_cast<std::size_t>(end->start) != p + n) return std::nullopt;
  if (end == first) return std::nullopt;
  const COcrLine* line = &*first->at.line;
  for (auto c = first; c != end; ++c) {
    if (&*c->at.line != line) return std::nullopt;
  }
  return std::pair{static_cast<std::size_t>(first - pt.chars.begin()),
                   static_cast<std::size_t>(end - pt.chars.begin())};
}

// The first (or, backward, last) acceptable hit from the position.
std::optional<std::size_t> findHit(const SearchState& f, bool backward, const std::u16string& folded,
                                   const std::u16string& needle) {
  if (needle.empty() || needle.size() > folded.size()) return std::nullopt;
  if (!backward) {
    for (std::size_t p = folded.find(needle, static_cast<std::size_t>(std::max(0, f.position)));
         p != std::u16string::npos; p = folded.find(needle, p + 1)) {
      if (hitChars(f.page, p, needle.size())) return p;
    }
    return std::nullopt;
  }
  // Backward: wholly before the position (its exclusive end).
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(std::max(0, f.position)), folded.size());
  if (end < needle.size()) return std::nullopt;
  for (std::size_t p = folded.rfind(needle, end - needle.size()); p != std::u16string::npos;
       p = p == 0 ? std::u16string::npos : folded.rfind(needle, p - 1)) {
    if (hitChars(f.page, p, needle.size())) return p;
  }
  return std::nullopt;
}

void selectChars(EditState& s, const PageText& pt, std::size_t first, std::size_t end) {
  EditCursor start = pt.chars[first].at;
  EditCursor after = pt.chars[end - 1].at;
  ++after.ch;
  s.selection = {start, after};
  s.cursor = start;
  s.cursor.column = -1;
}

std::u16string selectionText(COcrPage& page, const EditSelection& sel) {
  std::u16string t;
  if (sel.empty() || !sel.start.sameLine(sel.end)) return t;
  const EditSelection n = normalised(page, sel);
  for (auto c = n.start.ch; c != n.end.ch && c != n.start.line->chars.end(); ++c) t += codeText(c->code);
  return t;
}

bool sameText(const SearchState& f, std::u16string_view a, std::u16string_view b) {
  return f.matchCase ? a == b : foldCase(a) == foldCase(b);
}

void registerReplacement(SearchState& f, EditState& s, EditTarget& t) {
  if (!t.editSettings().registerReplacements) return;
  if (f.search == s.lastRegisteredSearch && f.replacement == s.lastRegisteredReplacement) return;
  t.registerPair(f.search, f.replacement);
  s.lastRegisteredSearch = f.search;
  s.lastRegisteredReplacement = f.replacement;
}

bool refuseSameStrings(const SearchState& f, EditTarget& t) {
  if (f.search != f.replacement) return false;
  t.host().message(u"検索文字と置換文字が同じです。", kApplicationName, MessageIcon::Information);
  return true;
}

bool ask(EditTarget& t, const std::u16string& text) {
  return t.host().message(text, kApplicationName, MessageIcon::Question, Buttons::YesNo, Answer::Yes) == Answer::Yes;
}
void tell(EditTarget& t, const std::u16string& text) {
  t.host().message(text, kApplicationName, MessageIcon::Information);
}

// Everything but the document: the snapshot of a Replace All page is taken once.
class NoSnapshot final : public EditTarget {
 public:
  explicit NoSnapshot(EditTarget& t) : t_(t) {}
  Host& host() override { return t_.host(); }
  int pageCount() override { return t_.pageCount(); }
  int currentPageIndex() override { return t_.currentPageIndex(); }
  COcrPage* page(int index) override { return t_.page(index); }
  void setCurrentPage(int index) override { t_.setCurrentPage(index); }
  void recordUndo(int, const std::function<ViewPosition()>&) override {}
  void pageEdited() override { t_.pageEdited(); }
  void registerPair(std::u16string_view a, std::u16string_view b) override { t_.registerPair(a, b); }
  PageEntry& pageEntry() override { return t_.pageEntry(); }
  const settings::ReconstructionOptions& reconstructionOptions() override { return t_.reconstructionOptions(); }
  const EditSettings& editSettings() override { return t_.editSettings(); }
  std::uint64_t revision() override { return t_.revision(); }

 private:
  EditTarget& t_;
};

}  // namespace

PageText buildPageText(COcrPage& page) {
  PageText pt;
  pt.page = &page;
  for (COcrBlock& b : page.blocks) {
    if (!searchable(b)) continue;
    eachLine(b, [&](COcrCell* cell, LineList::iterator l) {
      for (auto ch = l->chars.begin(); ch != l->chars.end(); ++ch) {
        EditCursor at;
        at.block = &b;
        at.cell = cell;
        at.line = l;
        at.ch = ch;
        pt.chars.push_back({at, static_cast<int>(pt.text.size())});
        pt.text += codeText(ch->code);
      }
    });
  }
  return pt;
}

std::u16string foldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& u : out) {
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - u'a' + u'A');
    if (u >= 0xFF41 && u <= 0xFF5A) u = static_cast<char16_t>(u - 0xFF41 + 0xFF21);
  }
  return out;
}

namespace {

bool openDialog(SearchState& f, EditState& s, EditTarget& t, SearchDialogKind kind) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (f.dialog != SearchDialogKind::None || !page) return false;
  f.page = {};
  ensureText(f, s, t);
  // A longer selection keeps the previous search string.
  const std::u16string selected = selectionText(*page, s.selection);
  if (!selected.empty() && selected.size() <= kFieldLength) f.search = selected;
  f.dialog = kind;
  if (kind == SearchDialogKind::Find) f.backward = false;
  return true;
}

}  // namespace

bool OpenFindDialog(SearchState& f, EditState& s, EditTarget& t) {
  return openDialog(f, s, t, SearchDialogKind::Find);
}

bool OpenReplaceDialog(SearchState& f, EditState& s, EditTarget& t) {
  return openDialog(f, s, t, SearchDialogKind::Replace);
}

void CloseSearchDialog(SearchState& f, EditState& s) {
  f.dialog = SearchDialogKind::None;
  f.highlighted = false;
  s.selection.clear();
}

bool SearchText(SearchState& f, EditState& s, EditTarget& t, bool backward, SearchMode mode) {
  bool wrapped = false;
  for (;;) {
    ensureText(f, s, t);
    if (!t.page(t.currentPageIndex())) return false;
    const std::u16string folded = f.matchCase ? f.page.text : foldCase(f.page.text);
    const std::u16string needle = f.matchCase ? f.search : foldCase(f.search);
    if (const auto p = findHit(f, backward, folded, needle)) {
      const auto chars = *hitChars(f.page, *p, needle.size());
      selectChars(s, f.page, chars.first, chars.second);
      // The next search may start within this hit, or end right where it starts.
      f.position = backward ? static_cast<int>(*p) : static_cast<int>(*p) + 1;
      f.highlighted = true;
      return true;
    }
    const int n = t.pageCount(), i = t.currentPageIndex();
    const bool replaceAll = mode == SearchMode::ReplaceAll;
    if (n == 1) {
      // One page: at most one more round, from the other end of the page.
      if (replaceAll || wrapped) return false;
      if (!ask(t, backward ? u"文字列が見つかりません。このページの最後から検索しますか？"
                           : u"文字列が見つかりません。このページの最初から検索しますか？")) {
        return false;
      }
      wrapped = true;
      f.position = backward ? static_cast<int>(f.page.text.size()) : 0;
      continue;
    }
    const bool atEnd = backward ? i == 0 : i == n - 1;
    if (atEnd) {
      tell(t, replaceAll ? u"このページでの置換処理が終了しました。"
                         : (backward ? u"文字列が見つかりません。先頭ページです。"
                                     : u"文字列が見つかりません。最終ページです。"));
      return false;
    }
    const std::u16string question =
        replaceAll ? (backward ? u"このページでの置換処理が終了しました。前のページを置換処理しますか？"
                               : u"このページでの置換処理が終了しました。次のページを置換処理しますか？")
                   : (backward ? u"文字列が見つかりません。前のページを検索しますか？"
                               : u"文字列が見つかりません。次のページを検索しますか？");
    if (!ask(t, question)) return false;
    newPage(f, s, t, backward ? i - 1 : i + 1);
    f.position = backward ? static_cast<int>(f.page.text.size()) : 0;
  }
}

bool FindNext(SearchState& f, EditState& s, EditTarget& t) {
  if (f.dialog == SearchDialogKind::None) return false;
  return SearchText(f, s, t, f.dialog == SearchDialogKind::Find && f.backward, SearchMode::Find);
}

bool ReplaceOne(SearchState& f, EditState& s, EditTarget& t) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (f.dialog != SearchDialogKind::Replace || !page || refuseSameStrings(f, t)) return false;
  ensureText(f, s, t);
  bool replaced = false;
  const std::u16string selected = selectionText(*page, s.selection);
  // The selection is compared by the dialog's case rule, and only a hit within one
  // line is ever replaced.
  if (!selected.empty() && sameText(f, selected, f.search)) {
    const EditResult r = ReplaceSelection(s, t, f.replacement);
    if (r.changed) {
      replaced = true;
      registerReplacement(f, s, t);
      s.selection.clear();
      // The page changed: its text is built again, the position behind the replacement.
      ensureText(f, s, t);
    }
  }
  SearchText(f, s, t, false, SearchMode::Replace);
  return replaced;
}

int ReplaceAll(SearchState& f, EditState& s, EditTarget& t) {
  f.replaced = 0;
  if (f.dialog != SearchDialogKind::Replace || !t.page(t.currentPageIndex()) || refuseSameStrings(f, t)) return 0;
  NoSnapshot quiet(t);
  for (;;) {
    COcrPage& page = *t.page(t.currentPageIndex());
    f.page = {};
    ensureText(f, s, t);
    // Every hit of the page, left to right, none overlapping; replaced from the
    // last back, so that the characters of the earlier ones stay where they are.
    const std::u16string folded = f.matchCase ? f.page.text : foldCase(f.page.text);
    const std::u16string needle = f.matchCase ? f.search : foldCase(f.search);
    std::vector<std::pair<std::size_t, std::size_t>> hits;
    if (!needle.empty()) {
      for (std::size_t p = folded.find(needle); p != std::u16string::npos;) {
        if (const auto chars = hitChars(f.page, p, needle.size())) {
          hits.push_back(*chars);
          p = folded.find(needle, p + needle.size());
        } else {
          p = folded.find(needle, p + 1);
        }
      }
    }
    if (!hits.empty()) {
      // One undo snapshot for the page.
      t.recordUndo(kUndoReplacement, [&] { return positionOf(page, s.cursor); });
      std::unordered_set<const COcrLine*> live;
      auto collect = [&] {
        live.clear();
        for (COcrBlock& b : page.blocks) eachLine(b, [&](COcrCell*, LineList::iterator l) { live.insert(&*l); });
      };
      collect();
      std::size_t lines = live.size();
      for (auto h = hits.rbegin(); h != hits.rend(); ++h) {
        const PageText::Char& first = f.page.chars[h->first];
        if (!live.count(&*first.at.line)) continue;  // went with a base line replaced before
        selectChars(s, f.page, h->first, h->second);
        if (ReplaceSelection(s, quiet, f.replacement).changed) {
          ++f.replaced;
          registerReplacement(f, s, t);
        }
        // A ruby that lost its characters goes: the lines still there are counted again.
        std::size_t now = 0;
        for (COcrBlock& b : page.blocks) eachLine(b, [&](COcrCell*, LineList::iterator) { ++now; });
        if (now != lines) {
          collect();
          lines = now;
        }
      }
      s.selection.clear();
    }
    f.position = static_cast<int>(f.page.text.size());
    // This page is done: on to the next one as the person agrees.
    const int n = t.pageCount(), i = t.currentPageIndex();
    if (n == 1) break;
    if (i == n - 1) {
      tell(t, u"このページでの置換処理が終了しました。");
      break;
    }
    if (!ask(t, u"このページでの置換処理が終了しました。次のページを置換処理しますか？")) break;
    newPage(f, s, t, i + 1);
  }
  f.page = {};
  return f.replaced;
}

namespace {

bool findReject(SearchState& f, EditState& s, EditTarget& t, bool forward) {
  COcrPage* page = t.page(t.currentPageIndex());
  if (!page) return false;
  // A caret that went with its block: the page's start.
  if (!s.cursor.set()) s.cursor = pageStart(*page);
  const EditCursor started = s.cursor;
  const bool highlighted = f.highlighted;
  s.selection.clear();
  f.highlighted = false;
  const int level = t.editSettings().rejectLevel;
  bool wrapped = false;
  // Where the walk starts: the caret's character (after it when a hit is shown).
  PageText pt = buildPageText(*page);
  long long from = 0;
  {
    const int units = unitsBefore(*page, s.cursor);
    const auto at = std::lower_bound(pt.chars.begin(), pt.chars.end(), units,
                                     [](const PageText::Char& c, int v) { return c.start < v; });
    from = at - pt.chars.begin();
    if (forward && highlighted) ++from;
    if (!forward) --from;
  }
  for (;;) {
    if (forward) {
      for (long long i = std::max(0LL, from); i < static_cast<long long>(pt.chars.size()); ++i) {
        if (isReject(pt.chars[static_cast<std::size_t>(i)].at.ch->CC, level)) {
          selectChars(s, pt, static_cast<std::size_t>(i), static_cast<std::size_t>(i) + 1);
          f.highlighted = true;
          return true;
        }
      }
    } else {
      for (long long i = std::min<long long>(from, static_cast<long long>(pt.chars.size()) - 1); i >= 0; --i) {
        if (isReject(pt.chars[static_cast<std::size_t>(i)].at.ch->CC, level)) {
          selectChars(s, pt, static_cast<std::size_t>(i), static_cast<std::size_t>(i) + 1);
          f.highlighted = true;
          return true;
        }
      }
    }
    const int n = t.pageCount(), i = t.currentPageIndex();
    const bool other = forward ? n > 1 && i < n - 1 : n > 1 && i > 0;
    if (other) {
      if (!ask(t, forward ? u"文字列が見つかりません。次のページを検索しますか？"
                          : u"文字列が見つかりません。前のページを検索しますか？")) {
        if (!forward) s.cursor = started;
        return false;
      }
      newPage(f, s, t, forward ? i + 1 : i - 1);
    } else {
      // This page again, from its other end, once.
      if (wrapped || !ask(t, forward ? u"文字列が見つかりません。このページの最初から検索しますか？"
                                     : u"文字列が見つかりません。このページの最後から検索しますか？")) {
        if (!forward) s.cursor = started;
        return false;
      }
      wrapped = true;
    }
    page = t.page(t.currentPageIndex());
    pt = buildPageText(*page);
    from = forward ? 0 : static_cast<long long>(pt.chars.size()) - 1;
  }
}

}  // namespace

bool NextRejectChar(SearchState& f, EditState& s, EditTarget& t) {
  return findReject(f, s, t, true);
}

bool PrevRejectChar(SearchState& f, EditState& s, EditTarget& t) {
  return findReject(f, s, t, false);
}

}  // namespace lexova::editing
