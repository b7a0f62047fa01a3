#include "cli/edit_session.h"

#include <charconv>
#include <functional>

#include "cli/json.h"
#include "cli/model_json.h"
#include "document/page_range.h"
#include "document/vuzozoviv/writer.h"
#include "editing/blocks.h"
#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "text/utf.h"

namespace lexova::cli {
namespace {

// The answer that changes nothing for a set of buttons.
Answer harmlessAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
      return Answer::Cancel;
    case Buttons::YesNo:
      return Answer::No;
  }
  return Answer::Cancel;
}

const char* answerName(Answer a) {
  switch (a) {
    case Answer::Ok:
      return "ok";
    case Answer::Cancel:
      return "cancel";
    case Answer::Yes:
      return "yes";
    case Answer::No:
      return "no";
  }
  return "ok";
}

// A hash of what the paper would write: whether an operation changed it.
class HashSink final : public io::ByteSink {
 public:
  void write(const void* data, std::size_t n) override {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ULL;
  }
  using ByteSink::write;
  std::uint64_t hash = 14695981039346656037ULL;
};

std::uint64_t fingerprint(const COcrPaper* paper) {
  if (!paper) return 0;
  HashSink h;
  vuzozoviv::writePaper(*paper, h, paper->encoding);
  return h.hash;
}

std::optional<int> integer(std::u16string_view s) {
  const std::string a = text::toUtf8(s);
  int v = 0;
  const auto r = std::from_chars(a.data(), a.data() + a.size(), v);
  if (r.ec != std::errc() || r.ptr != a.data() + a.size()) return std::nullopt;
  return v;
}

// Appends the UTF-16 of a JSON string's body at s[i] (after its opening quote);
// i ends after the closing quote.
bool jsonString(std::string_view s, std::size_t& i, std::u16string& out) {
  std::string plain;  // UTF-8 run between escapes
  auto flushPlain = [&] {
    out += text::fromUtf8(plain);
    plain.clear();
  };
  while (i < s.size()) {
    const char c = s[i++];
    if (c == '"') {
      flushPlain();
      return true;
    }
    if (c != '\\') {
      plain.push_back(c);
      continue;
    }
    if (i >= s.size()) return false;
    const char e = s[i++];
    flushPlain();
    switch (e) {
      case '"':
      case '\\':
      case '/':
        out.push_back(static_cast<char16_t>(e));
        break;
      case 'b':
        out.push_back(u'\b');
        break;
      case 'f':
        out.push_back(u'\f');
        break;
      case 'n':
        out.push_back(u'\n');
        break;
      case 'r':
        out.push_back(u'\r');
        break;
      case 't':
        out.push_back(u'\t');
        break;
      case 'u': {
        if (i + 4 > s.size()) return false;
        unsigned v = 0;
        const auto r = std::from_chars(s.data() + i, s.data() + i + 4, v, 16);
        if (r.ec != std::errc() || r.ptr != s.data() + i + 4) return false;
        out.push_back(static_cast<char16_t>(v));  // surrogates as they are: a pair takes two escapes
        i += 4;
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

}  // namespace

Answer SessionHost::message(std::u16string_view text, std::u16string_view caption, MessageIcon, Buttons buttons,
                            Answer) {
  Answer a = harmlessAnswer(buttons);
  if (!answers.empty() && buttons != Buttons::Ok) {
    a = answers.front();
    answers.pop_front();
  }
  shown.push_back({std::u16string(text), std::u16string(caption), a});
  if (echo) {
    const std::string line = text::toUtf8(caption) + ": " + text::toUtf8(text) + "\n";
    std::fputs(line.c_str(), echo);
  }
  return a;
}

std::optional<std::vector<std::u16string>> scriptTokens(std::string_view line, std::string* error) {
  std::vector<std::u16string> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    std::u16string token;
    if (line[i] == '"') {
      ++i;
      if (!jsonString(line, i, token)) {
        if (error) *error = "malformed string";
        return std::nullopt;
      }
    } else {
      const std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      token = text::fromUtf8(line.substr(start, i - start));
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

struct EditSession::Step {
  int line = 0;
  std::string op;
  bool ok = true;
  editing::Damage damage = editing::Damage::None;
  std::optional<bool> written;         // backup
  int dumpPage = -2;                   // dump: -1 the whole paper, else a page; -2 none
  bool frames = false;                 // frames: the frame list
  std::optional<int> replaced;         // replace-all: how many
  std::optional<textview::Menu> menu;  // menu: the context menu shown
};

EditSession::EditSession(DocumentOptions options, std::FILE* out, bool json)
    : doc_(host_, clock_, origin_, std::move(options)), target_(doc_, host_, &table), out_(out), json_(json) {
  if (!json_) host_.echo = stderr;
}

bool EditSession::openDocument(const std::u16string& path) {
  if (!doc_.open(path, false)) return false;
  view_.pageOpened();
  return true;
}

namespace {

const char* damageName(editing::Damage d) {
  switch (d) {
    case editing::Damage::None:
      return "none";
    case editing::Damage::Line:
      return "line";
    case editing::Damage::Page:
      return "page";
  }
  return "none";
}

void position(JsonWriter& j, const ViewPosition& p) {
  j.beginArray();
  j.value(p.block), j.value(p.line), j.value(p.character);
  j.endArray();
}

}  // namespace

bool EditSession::runLine(int lineNumber, std::string_view line, std::string* error) {
  const auto tokens = scriptTokens(line, error);
  if (!tokens) return false;
  if (tokens->empty() || (*tokens)[0].starts_with(u"#")) return true;
  Step step;
  step.line = lineNumber;
  step.op = text::toUtf8((*tokens)[0]);
  const std::vector<std::u16string> args(tokens->begin() + 1, tokens->end());
  host_.shown.clear();
  // Whether the paper changed is reported only on the JSON lines: it costs a pass over the paper.
  const bool reporting = out_ && json_;
  const std::uint64_t before = reporting ? fingerprint(doc_.paper()) : 0;
  const bool hadPaper = doc_.paper() != nullptr;
  // The ruby dialog is modal: anything but its own buttons (and looking) closes it first.
  if (ruby.open && step.op != "ruby" && step.op != "state" && step.op != "dump" && step.op != "frames" &&
      step.op != "answer") {
    editing::RubyCancel(ruby, edit, target_);
  }
  // A shown hit or reject stays only while the person keeps searching.
  if (step.op != "find" && step.op != "replace" && step.op != "replace-all" && step.op != "reject" &&
      step.op != "state" && step.op != "dump" && step.op != "answer") {
    search.highlighted = false;
  }
  if (!run(step, args, error)) return false;
  const bool changed = reporting && (hadPaper != (doc_.paper() != nullptr) || fingerprint(doc_.paper()) != before);
  if (!json_ && !step.ok) std::fprintf(stderr, "lexova: line %d: %s did not succeed\n", step.line, step.op.c_str());
  if (!json_ && step.op == "dump" && !step.ok) return true;
  if (!out_ || !(json_ || step.op == "state" || step.op == "dump")) return true;
  JsonWriter j(out_);
  if (!json_ && step.op == "dump") {
    if (step.dumpPage >= 0) {
      dumpPage(j, *doc_.page(step.dumpPage));
    } else if (doc_.paper()) {
      dumpPaper(j, *doc_.paper());
    } else {
      j.null();
    }
    j.finish();
    return true;
  }
  COcrPage* page = doc_.page(doc_.currentPage);
  j.beginObject();
  j.key("line"), j.value(step.line);
  j.key("op"), j.value(std::string_view(step.op));
  j.key("ok"), j.value(step.ok);
  j.key("changed"), j.value(changed);
  j.key("page"), j.value(doc_.currentPage);
  j.key("pages"), j.value(doc_.pageCount());
  j.key("cursor");
  if (page && edit.cursor.set()) {
    position(j, editing::positionOf(*page, edit.cursor));
  } else {
    j.null();
  }
  j.key("selection");
  if (page && !edit.selection.empty()) {
    const editing::EditSelection sel = editing::normalised(*page, edit.selection);
    j.beginArray();
    position(j, editing::positionOf(*page, sel.start));
    position(j, editing::positionOf(*page, sel.end));
    j.endArray();
  } else {
    j.null();
  }
  j.key("damage"), j.value(damageName(step.damage));
  j.key("modified"), j.value(doc_.documentModified);
  j.key("marks");
  j.beginArray();
  for (const int p : doc_.editedPages()) j.value(p);
  j.endArray();
  j.key("undo");
  j.beginObject();
  j.key("available"), j.value(doc_.undoStore.available());
  j.key("kind"), j.value(doc_.undoStore.kind());
  j.key("page"), j.value(doc_.undoStore.pageIndex());
  j.endObject();
  j.key("messages");
  j.beginArray();
  for (const SessionHost::Shown& m : host_.shown) {
    j.beginObject();
    j.key("text"), j.value(std::u16string_view(m.text));
    j.key("caption"), j.value(std::u16string_view(m.caption));
    j.key("answer"), j.value(answerName(m.answer));
    j.endObject();
  }
  j.endArray();
  if (step.written) j.key("written"), j.value(*step.written);
  if (step.replaced) j.key("replaced"), j.value(*step.replaced);
  if (step.frames && page) {
    j.key("frames");
    j.beginArray();
    for (const BlockFrame& f : doc_.pageEntries[static_cast<std::size_t>(doc_.currentPage)].frames) {
      j.beginObject();
      j.key("x"), j.value(f.x);
      j.key("y"), j.value(f.y);
      j.key("width"), j.value(f.width);
      j.key("height"), j.value(f.height);
      j.key("sec"), j.value(f.sec);
      j.key("kind"), j.value(f.kind);
      j.key("direction"), j.value(f.direction);
      j.key("refNumber"), j.value(f.refNumber);
      j.key("selected"), j.value(f.selected != 0);
      j.endObject();
    }
    j.endArray();
    j.key("currentFrame"), j.value(edit.currentFrame);
  }
  if (step.menu) {
    j.key("menu");
    j.beginArray();
    const std::function<void(const textview::Menu&)> entries = [&](const textview::Menu& m) {
      for (const textview::MenuEntry& e : m) {
        if (e.action == textview::MenuEntry::Separator) {
          j.value(std::string_view("-"));
        } else if (e.action == textview::MenuEntry::Submenu) {
          j.beginArray();
          j.value(std::u16string_view(e.text));
          entries(e.children);
          j.endArray();
        } else {
          j.value(std::u16string_view(e.enabled ? e.text : u"(" + e.text + u")"));
        }
      }
    };
    entries(*step.menu);
    j.endArray();
  }
  if (ruby.open) {
    const COcrLine& r = *ruby.ruby.line;
    j.key("ruby");
    j.beginObject();
    j.key("text"), j.value(std::u16string_view(ruby.rubyText));
    j.key("text2"), j.value(std::u16string_view(ruby.rubyText2));
    j.key("base"), j.value(std::u16string_view(ruby.baseText));
    j.key("base2"), j.value(std::u16string_view(ruby.baseText2));
    j.key("range");
    j.beginArray();
    j.value(r.RCS), j.value(r.RCE);
    j.endArray();
    j.key("guidance"), j.value(std::u16string_view(ruby.guidance));
    j.key("enabled");
    j.beginObject();
    j.key("text"), j.value(ruby.rubyEditEnabled);
    j.key("text2"), j.value(ruby.rubyEdit2Enabled);
    j.key("mark"), j.value(ruby.markEnabled);
    j.key("split"), j.value(ruby.splitEnabled);
    j.key("range"), j.value(ruby.rangeButtonsEnabled);
    j.key("ok"), j.value(ruby.okEnabled);
    j.endObject();
    j.endObject();
  }
  if (step.dumpPage >= 0) {
    j.key("dump"), dumpPage(j, *doc_.page(step.dumpPage));
  } else if (step.dumpPage == -1) {
    j.key("dump");
    if (doc_.paper()) {
      dumpPaper(j, *doc_.paper());
    } else {
      j.null();
    }
  }
  j.endObject();
  j.finish();
  return true;
}

bool EditSession::run(Step& step, const std::vector<std::u16string>& args, std::string* error) {
  const std::string& op = step.op;
  auto fail = [&](const std::string& why) {
    if (error) *error = op + ": " + why;
    return false;
  };
  auto arity = [&](std::size_t lo, std::size_t hi) { return args.size() >= lo && args.size() <= hi; };
  COcrPage* page = doc_.page(doc_.currentPage);
  const ViewPosition view = page && edit.cursor.set() ? editing::positionOf(*page, edit.cursor) : ViewPosition{};
  // An editing operation: its result is the step's.
  auto apply = [&](const editing::EditResult& r) {
    step.ok = step.ok && r.changed;
    step.damage = editing::worse(step.damage, r.damage);
  };
  // A repeat count N (default 1) from args[at], or nothing.
  auto count = [&](std::size_t at) -> std::optional<int> {
    if (args.size() <= at) return 1;
    const auto n = integer(args[at]);
    if (!n || *n < 1) return std::nullopt;
    return n;
  };

  if (op == "page") {
    if (!arity(1, 1)) return fail("takes a page index");
    const auto n = integer(args[0]);
    if (!n) return fail("not a page index: " + text::toUtf8(args[0]));
    step.ok = *n >= 0 && *n < doc_.pageCount();
    if (step.ok) {
      doc_.currentPage = *n;
      editing::openPage(edit, target_);
    }
  } else if (op == "open") {
    const bool append = args.size() == 2 && args[1] == u"--append";
    if (!arity(1, 2) || (args.size() == 2 && !append)) return fail("takes PATH [--append]");
    // Replacing the document asks first whether to save it.
    if (!append) {
      const auto discard = doc_.confirmDiscard();
      if (discard == DAdovoVodovoDez::Discard::NeedsName) return fail("the document has no file to save to");
      if (discard == DAdovoVodovoDez::Discard::Cancelled) {
        step.ok = false;
        return true;
      }
    }
    step.ok = doc_.open(args[0], append);
    if (step.ok) editing::openPage(edit, target_);
  } else if (op == "reload") {
    if (!arity(0, 0)) return fail("takes no arguments");
    step.ok = doc_.reload();
    if (step.ok) editing::openPage(edit, target_);
  } else if (op == "save") {
    if (!arity(0, 0)) return fail("takes no arguments");
    const auto r = doc_.save();
    if (r == DAdovoVodovoDez::SaveResult::NeedsName) return fail("the document has no file: use saveas PATH");
    step.ok = r == DAdovoVodovoDez::SaveResult::Saved;
  } else if (op == "saveas") {
    RangeChoice choice;
    if (args.size() == 2 && args[1] == u"all") {
      choice.mode = RangeMode::AllPages;
    } else if (args.size() == 2 && args[1] == u"current") {
      choice.mode = RangeMode::CurrentPage;
    } else if (args.size() == 3 && integer(args[1]) && integer(args[2])) {
      choice = {RangeMode::PageRange, *integer(args[1]), *integer(args[2])};
    } else {
      return fail("takes PATH all|current|FROM TO");
    }
    step.ok = doc_.paper() && confirmPageRange(choice, doc_.pageCount(), host_);
    if (step.ok) {
      const PageIndexes pages = pageIndexesFor(choice, doc_.pageCount(), doc_.currentPage);
      step.ok = doc_.saveAs(args[0], pages.first, pages.last);
    }
  } else if (op == "backup") {
    const bool force = args.size() == 1 && args[0] == u"--force";
    if (!arity(0, 1) || (args.size() == 1 && !force)) return fail("takes [--force]");
    step.written = doc_.backup(force);
    step.ok = true;
  } else if (op == "tick") {
    const auto ms = args.size() == 1 ? integer(args[0]) : std::nullopt;
    if (!ms || *ms < 0) return fail("takes milliseconds");
    clock_.now += *ms;
  } else if (op == "recover") {
    if (!arity(0, 0)) return fail("takes no arguments");
    step.ok = doc_.hasBackupNotYetOffered();
    doc_.offerRecovery();
    if (doc_.paper()) editing::openPage(edit, target_);
  } else if (op == "imgfolder") {
    if (!arity(2, 2)) return fail("takes BEFORE AFTER");
    step.ok = doc_.changeImageFolder(args[0], args[1]) > 0;
  } else if (op == "undo") {
    if (!arity(0, 0)) return fail("takes no arguments");
    ViewPosition v = view;
    step.ok = doc_.undo(v);
    if (step.ok) {
      // The view returns to where it was when the snapshot was taken.
      edit.selection.clear();
      edit.cursor = editing::cursorAt(*doc_.page(doc_.currentPage), v);
      step.damage = editing::Damage::Page;
    }
  } else if (op == "record") {
    const auto kind = args.size() == 1 ? integer(args[0]) : std::nullopt;
    if (!kind || *kind < 1 || *kind > 9) return fail("takes an undo kind from 1 to 9");
    step.ok = doc_.record(*kind, -1, view) == 0;
  } else if (op == "answer") {
    if (args.empty()) return fail("takes yes, no, ok or cancel");
    for (const std::u16string& a : args) {
      if (a == u"yes") {
        host_.answers.push_back(Answer::Yes);
      } else if (a == u"no") {
        host_.answers.push_back(Answer::No);
      } else if (a == u"ok") {
        host_.answers.push_back(Answer::Ok);
      } else if (a == u"cancel") {
        host_.answers.push_back(Answer::Cancel);
      } else {
        return fail("not an answer: " + text::toUtf8(a));
      }
    }
  } else if (op == "state") {
    if (!arity(0, 0)) return fail("takes no arguments");
  } else if (op == "dump") {
    if (!arity(0, 1)) return fail("takes [PAGE]");
    if (args.empty()) {
      step.dumpPage = -1;
    } else {
      const auto n = integer(args[0]);
      if (!n) return fail("not a page index: " + text::toUtf8(args[0]));
      step.ok = *n >= 0 && *n < doc_.pageCount();
      if (step.ok) step.dumpPage = *n;
    }
  } else if (op == "goto" || op == "select") {
    const std::size_t need = op == "goto" ? 3 : 6;
    if (args.size() != need) return fail(op == "goto" ? "takes B L C" : "takes B L C B L C");
    std::vector<int> v;
    for (const std::u16string& a : args) {
      const auto n = integer(a);
      if (!n) return fail("not an index: " + text::toUtf8(a));
      v.push_back(*n);
    }
    step.ok = page != nullptr;
    if (step.ok) {
      const editing::EditCursor first = editing::cursorAt(*page, {v[0], v[1], v[2]});
      edit.selection.clear();
      if (op == "goto") {
        edit.cursor = first;
      } else {
        edit.selection = {first, editing::cursorAt(*page, {v[3], v[4], v[5]})};
        edit.cursor = edit.selection.end;
      }
    }
  } else if (op == "move") {
    if (args.empty()) return fail("takes next|prev|up|down [--nocross] [N]");
    const std::u16string& way = args[0];
    std::size_t at = 1;
    const bool noCross = args.size() > at && args[at] == u"--nocross";
    if (noCross) ++at;
    const auto n = count(at);
    if (!n || args.size() > at + 1) return fail("takes next|prev|up|down [--nocross] [N]");
    bool (*move)(editing::EditState&, editing::EditTarget&, bool) = nullptr;
    if (way == u"next") move = editing::MoveNextChar;
    if (way == u"prev") move = editing::MovePrevChar;
    if (way == u"up") move = editing::MovePrevLine;
    if (way == u"down") move = editing::MoveNextLine;
    if (!move) return fail("moves next, prev, up or down");
    const int pageBefore = doc_.currentPage;
    for (int i = 0; i < *n; ++i) {
      if (!move(edit, target_, noCross)) {
        step.ok = false;
        break;
      }
    }
    // The key is let go: the remembered column goes; without Shift the selection collapses.
    edit.cursor.column = -1;
    edit.selection.clear();
    if (doc_.currentPage != pageBefore) step.damage = editing::Damage::Page;
  } else if (op == "mode") {
    if (args.size() != 1 || (args[0] != u"char" && args[0] != u"block")) return fail("takes char or block");
    editing::SetEditMode(edit, target_, args[0] == u"char" ? editing::EditMode::Character : editing::EditMode::Block);
  } else if (op == "type") {
    if (args.size() != 1) return fail("takes one TEXT");
    // As the input method delivers a result: one character message per unit.
    edit.pendingInput = static_cast<int>(args[0].size());
    bool any = false;
    for (const char16_t u : args[0]) {
      const editing::EditResult r = editing::InsertChar(edit, target_, u, 1);
      any = any || r.changed;
      step.damage = editing::worse(step.damage, r.damage);
      --edit.pendingInput;
    }
    step.ok = any;
  } else if (op == "enter") {
    if (!arity(0, 0)) return fail("takes no arguments");
    apply(editing::InsertLineBreak(edit, target_));
  } else if (op == "del" || op == "bs") {
    const auto n = count(0);
    if (!n || args.size() > 1) return fail("takes [N]");
    bool any = false;
    for (int i = 0; i < *n; ++i) {
      const editing::EditResult r =
          op == "del" ? editing::DeleteForward(edit, target_) : editing::DeleteBackward(edit, target_);
      any = any || r.changed;
      step.damage = editing::worse(step.damage, r.damage);
    }
    step.ok = any;
    edit.selection.clear();
  } else if (op == "overwrite") {
    if (args.size() != 1) return fail("takes one TEXT");
    apply(editing::ReplaceSelection(edit, target_, args[0]));
  } else if (op == "cand") {
    const auto i = args.size() == 1 ? integer(args[0]) : std::nullopt;
    if (!i) return fail("takes a candidate index");
    apply(editing::ChooseCandidate(edit, target_, *i));
  } else if (op == "charrep") {
    const bool registerPair = args.size() == 2 && args[1] == u"--register";
    if (!arity(1, 2) || (args.size() == 2 && !registerPair)) return fail("takes TEXT [--register]");
    apply(editing::ReplaceCharByDialog(edit, target_, args[0], registerPair));
  } else if (op == "copy") {
    if (!arity(0, 0)) return fail("takes no arguments");
    step.ok = editing::CopySelection(edit, target_);
  } else if (op == "clip") {
    if (args.size() != 1) return fail("takes one TEXT");
    host_.clipboard = args[0];
  } else if (op == "paste") {
    if (!arity(0, 0)) return fail("takes no arguments");
    apply(editing::PasteText(edit, target_));
  } else if (op == "frames") {
    if (!arity(0, 0)) return fail("takes no arguments");
    step.frames = true;
    step.ok = page != nullptr;
  } else if (op == "frame") {
    const auto i = args.size() == 2 && args[0] == u"select" ? integer(args[1]) : std::nullopt;
    if (!i) return fail("takes select I");
    step.ok = page && *i >= 0 && *i < static_cast<int>(page->blocks.size());
    if (step.ok) step.damage = editing::SelectFrame(edit, target_, *i).damage;
  } else if (op == "blocks") {
    if (args.empty()) return fail("takes delete, move K or merge X Y W H");
    if (args[0] == u"delete" && args.size() == 1) {
      apply(editing::DeleteSelectedBlocks(edit, target_));
    } else if (args[0] == u"move" && args.size() == 2 && integer(args[1])) {
      apply(editing::MoveBlockTo(edit, target_, *integer(args[1])));
    } else if (args[0] == u"merge" && args.size() == 5) {
      std::vector<int> v;
      for (std::size_t i = 1; i < 5; ++i) {
        const auto n = integer(args[i]);
        if (!n) return fail("takes merge X Y W H");
        v.push_back(*n);
      }
      const editing::Band band{v[0], v[1], static_cast<long long>(v[0]) + v[2], static_cast<long long>(v[1]) + v[3]};
      const editing::EditResult r = editing::MergeBlocksInRect(edit, target_, band);
      step.ok = r.changed;
      step.damage = r.damage;
    } else {
      return fail("takes delete, move K or merge X Y W H");
    }
  } else if (op == "ruby") {
    if (args.empty()) return fail("takes open, prev, dropfirst, next, droplast, text, mark, split, ok or cancel");
    const std::u16string& what = args[0];
    if (what != u"open" && !ruby.open) {
      step.ok = false;
      return true;
    }
    if (what == u"open" && args.size() == 1) {
      ruby = editing::OpenRubyCorrection(edit, target_);
      step.ok = ruby.open;
    } else if (what == u"prev" && args.size() == 1) {
      editing::ExtendPrev(ruby, target_);
    } else if (what == u"dropfirst" && args.size() == 1) {
      editing::DropFirst(ruby, target_);
    } else if (what == u"next" && args.size() == 1) {
      editing::ExtendNext(ruby, target_);
    } else if (what == u"droplast" && args.size() == 1) {
      editing::DropLast(ruby, target_);
    } else if (what == u"text" && (args.size() == 2 || args.size() == 3)) {
      editing::SetRubyText(ruby, args[1], args.size() == 3 ? std::u16string_view(args[2]) : std::u16string_view());
    } else if ((what == u"mark" || what == u"split") && args.size() == 2 && integer(args[1])) {
      if (what == u"mark") {
        editing::MarkSplit(ruby, target_, *integer(args[1]));
      } else {
        editing::SplitRuby(ruby, *integer(args[1]));
      }
    } else if (what == u"ok" && args.size() == 1) {
      apply(editing::RubyOk(ruby, edit, target_));
    } else if (what == u"cancel" && args.size() == 1) {
      editing::RubyCancel(ruby, edit, target_);
    } else {
      return fail("takes open, prev, dropfirst, next, droplast, text TEXT [TEXT2], mark M, split K, ok or cancel");
    }
  } else if (op == "find" || op == "replace" || op == "replace-all") {
    const bool find = op == "find";
    std::vector<std::u16string> words;
    bool back = false, noCase = false;
    for (const std::u16string& a : args) {
      if (a == u"--back" && find) {
        back = true;
      } else if (a == u"--nocase") {
        noCase = true;
      } else {
        words.push_back(a);
      }
    }
    if (words.size() != (find ? 1u : 2u)) return fail(find ? "takes TEXT [--back] [--nocase]" : "takes S R [--nocase]");
    const editing::SearchDialogKind kind = find ? editing::SearchDialogKind::Find : editing::SearchDialogKind::Replace;
    // The other dialog closes first: one of them is open at a time.
    if (search.dialog != kind) {
      if (search.dialog != editing::SearchDialogKind::None) editing::CloseSearchDialog(search, edit);
      const bool opened =
          find ? editing::OpenFindDialog(search, edit, target_) : editing::OpenReplaceDialog(search, edit, target_);
      if (!opened) {
        step.ok = false;
        return true;
      }
    }
    // The dialog's fields hold 79 units.
    search.search = words[0].substr(0, 79);
    if (!find) search.replacement = words[1].substr(0, 79);
    search.matchCase = !noCase;
    search.backward = back;
    const std::uint64_t before = target_.revision();
    if (find) {
      step.ok = editing::FindNext(search, edit, target_);
    } else if (op == "replace") {
      step.ok = editing::ReplaceOne(search, edit, target_);
    } else {
      step.replaced = editing::ReplaceAll(search, edit, target_);
      step.ok = *step.replaced > 0;
    }
    if (target_.revision() != before) step.damage = editing::Damage::Page;
  } else if (op == "reject") {
    if (args.size() != 1 || (args[0] != u"next" && args[0] != u"prev")) return fail("takes next or prev");
    step.ok = args[0] == u"next" ? editing::NextRejectChar(search, edit, target_)
                                 : editing::PrevRejectChar(search, edit, target_);
  } else if (op == "dialog") {
    if (args.size() != 1 || args[0] != u"close") return fail("takes close");
    step.ok = search.dialog != editing::SearchDialogKind::None;
    editing::CloseSearchDialog(search, edit);
  } else if (op == "view") {
    // The text view's display (0 horizontal, 1 vertical, 2 layout) and scale in percent.
    const int display = args.empty() ? -1 : integer(args[0]).value_or(-1);
    const int scale = args.size() == 2 ? integer(args[1]).value_or(-1) : 50;
    if (display < 0 || display > 2 || scale < 10 || scale > 100 || args.size() > 2) {
      return fail("takes DISPLAY (0..2) [SCALE (10..100)]");
    }
    viewLayout_.display = display;
    viewLayout_.scale = scale / 100.0;
    view_.setTextLayout(display);
  } else if (op == "key" || op == "keytext") {
    // A key as the view takes it: pressed (N times, the repeats as the window
    // system gives them) and let go.
    textview::KeyPress k;
    std::size_t at = 1;
    if (args.empty()) return fail("takes NAME|TEXT [--shift] [--ctrl] [N]");
    if (op == "keytext") {
      k.text = args[0];
    } else {
      static const std::pair<std::u16string_view, textview::Key> names[] = {
          {u"left", textview::Key::Left},   {u"right", textview::Key::Right},  {u"up", textview::Key::Up},
          {u"down", textview::Key::Down},   {u"bs", textview::Key::Backspace}, {u"del", textview::Key::Delete},
          {u"enter", textview::Key::Enter}, {u"esc", textview::Key::Escape},   {u"tab", textview::Key::Tab}};
      bool known = false;
      for (const auto& [name, key] : names) {
        if (args[0] == name) {
          k.key = key;
          known = true;
        }
      }
      if (!known) return fail("keys: left right up down bs del enter esc tab");
      // What the window system gives these keys as text.
      if (k.key == textview::Key::Enter) k.text = u"\r";
      if (k.key == textview::Key::Escape) k.text = u"\x1b";
      if (k.key == textview::Key::Delete) k.text = u"\x7f";
      if (k.key == textview::Key::Tab) k.text = u"\t";
      if (k.key == textview::Key::Backspace) k.text = u"\b";
    }
    while (at < args.size() && args[at].starts_with(u"--")) {
      if (args[at] == u"--shift") {
        k.shift = true;
      } else if (args[at] == u"--ctrl") {
        k.ctrl = true;
      } else {
        return fail("takes NAME|TEXT [--shift] [--ctrl] [N]");
      }
      ++at;
    }
    const auto n = count(at);
    if (!n || args.size() > at + 1) return fail("takes NAME|TEXT [--shift] [--ctrl] [N]");
    const int pageBefore = doc_.currentPage;
    step.ok = false;
    for (int i = 0; i < *n; ++i) {
      k.autoRepeat = i > 0;
      if (i > 0) view_.keyRelease(k);  // X11 repeats come with releases
      const textview::Update u = view_.keyPress(k);
      step.ok = step.ok || u.changed || u.caret;
      step.damage = editing::worse(step.damage, u.damage);
    }
    k.autoRepeat = false;
    const textview::Update u = view_.keyRelease(k);
    step.damage = editing::worse(step.damage, u.damage);
    if (doc_.currentPage != pageBefore) step.damage = editing::Damage::Page;
  } else if (op == "click" || op == "menu") {
    // A click at a point of the text view's canvas (device pixels of the layout):
    // the left button (--shift, a drag to --to X Y), or the right one and its menu,
    // whose entry N (counted over entries that are not separators) is chosen.
    std::vector<int> v;
    bool shift = false;
    std::size_t i = 0;
    for (; i < args.size() && v.size() < 2; ++i) {
      const auto n = integer(args[i]);
      if (!n) return fail("takes X Y [--shift] [--to X Y] | X Y [N]");
      v.push_back(*n);
    }
    if (v.size() != 2) return fail("takes X Y");
    if (!page) {
      step.ok = false;
      return true;
    }
    const layout::PageGeometry g = layout::layoutPage(*page, viewLayout_);
    if (op == "click") {
      std::optional<std::pair<int, int>> to;
      for (; i < args.size(); ++i) {
        if (args[i] == u"--shift") {
          shift = true;
        } else if (args[i] == u"--to" && i + 2 < args.size() && integer(args[i + 1]) && integer(args[i + 2])) {
          to = std::pair{*integer(args[i + 1]), *integer(args[i + 2])};
          i += 2;
        } else {
          return fail("takes X Y [--shift] [--to X Y]");
        }
      }
      textview::Update u = view_.leftPress(g, v[0], v[1], shift);
      if (to) u.add(view_.leftDrag(g, to->first, to->second));
      u.add(view_.leftRelease(g, to ? to->first : v[0], to ? to->second : v[1], shift));
      step.ok = u.caret || u.changed;
      step.damage = u.damage;
    } else {
      const int pick = i < args.size() ? integer(args[i]).value_or(-1) : -1;
      if (i < args.size() && (pick < 0 || i + 1 != args.size())) return fail("takes X Y [N]");
      view_.rightPress(g, v[0], v[1]);
      const textview::Menu m = view_.contextMenu(g, v[0], v[1]);
      step.menu = m;
      if (pick >= 0) {
        std::vector<textview::MenuEntry> flat;
        const std::function<void(const textview::Menu&)> add = [&](const textview::Menu& list) {
          for (const textview::MenuEntry& e : list) {
            if (e.action == textview::MenuEntry::Submenu) {
              add(e.children);
            } else if (e.action != textview::MenuEntry::Separator) {
              flat.push_back(e);
            }
          }
        };
        add(m);
        step.ok = pick < static_cast<int>(flat.size()) && flat[static_cast<std::size_t>(pick)].enabled;
        if (step.ok) {
          const textview::MenuEntry& e = flat[static_cast<std::size_t>(pick)];
          if (e.action == textview::MenuEntry::RubyEdit) {
            ruby = editing::OpenRubyCorrection(edit, target_);
            step.ok = ruby.open;
          } else {
            const textview::Update u = view_.choose(e);
            step.damage = u.damage;
            step.ok = u.changed || u.caret;
          }
        }
      }
    }
  } else {
    return fail("unknown operation");
  }
  return true;
}

}  // namespace lexova::cli
