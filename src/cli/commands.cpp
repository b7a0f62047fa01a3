#include "cli/commands.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "app/settings/settings_store.h"
#include "cli/console_host.h"
#include "cli/json.h"
#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "editing/registered_table.h"
#include "reconstruct/first_article.h"
#include "reconstruct/page_pass.h"
#include "text/utf.h"

namespace lexova::cli {

// What every command starts from: the settings as read (with this run's
// overrides) and the host that shows messages.
struct Context {
  app::SettingsStore store;
  settings::AllSettings values;
  ConsoleHost host;
};

namespace {

void printError(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

int usageError(const std::string& text) {
  printError("lexova: " + text);
  printError("Try 'lexova --help'.");
  return kExitUsage;
}

std::optional<int> parseInt(const std::string& s) {
  int v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

// Options of one command: flags it accepts and the positional arguments.
struct Parsed {
  bool json = false;
  std::unordered_map<std::string, std::string> values;
  std::vector<std::string> positional;
};

std::optional<Parsed> parseArgs(const Args& args, bool acceptJson, const std::vector<std::string>& valued,
                                std::string& error) {
  Parsed p;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json" && acceptJson) {
      p.json = true;
    } else if (a.size() > 2 && a.starts_with("--")) {
      bool known = false;
      for (const std::string& name : valued) {
        if (a == "--" + name) {
          if (i + 1 >= args.size()) {
            error = "option " + a + " needs a value";
            return std::nullopt;
          }
          p.values[name] = args[++i];
          known = true;
        }
      }
      if (!known) {
        error = "unknown option " + a;
        return std::nullopt;
      }
    } else {
      p.positional.push_back(a);
    }
  }
  return p;
}

struct Loaded {
  vuzozoviv::ReadResult result;
  std::string message;  // UTF-8, empty when ok
};

Loaded load(const std::string& path) {
  Loaded l{vuzozoviv::readPaperFile(path), {}};
  if (l.result.paper) {
    computeStandardDpi(*l.result.paper);
  } else {
    l.message = text::toUtf8(vuzozoviv::readErrorMessage(l.result.code, l.result.line));
  }
  return l;
}

// ---- dump -------------------------------------------------------------------

void dumpChar(JsonWriter& j, const COcrChar& c) {
  auto code = [&j](const CharCode& k) {
    j.beginArray();
    for (int i = 0; i < codeLength(k); ++i) j.value(static_cast<int>(k[i]));
    j.endArray();
  };
  j.beginObject();
  j.key("x"), j.value(c.x);
  j.key("y"), j.value(c.y);
  j.key("width"), j.value(c.width);
  j.key("height"), j.value(c.height);
  j.key("code"), code(c.code);
  j.key("CC"), j.value(static_cast<int>(c.CC));
  j.key("cands");
  j.beginArray();
  for (int i = 0; i < c.num_cand(); ++i) {
    j.beginObject();
    j.key("code"), code(c.candCode(i));
    j.key("CC"), j.value(static_cast<int>(c.candCC(i)));
    j.endObject();
  }
  j.endArray();
  j.endObject();
}

void dumpLines(JsonWriter& j, const LineList& lines) {
  std::unordered_map<const COcrLine*, int> index;
  int n = 0;
  for (const COcrLine& l : lines) index.emplace(&l, n++);
  j.beginArray();
  for (const COcrLine& l : lines) {
    j.beginObject();
    j.key("x"), j.value(l.x);
    j.key("y"), j.value(l.y);
    j.key("width"), j.value(l.width);
    j.key("height"), j.value(l.height);
    j.key("charCount"), j.value(l.charCount);
    j.key("attr"), j.value(static_cast<int>(l.attr));
    j.key("baseLine");
    const auto it = l.baseLine ? index.find(l.baseLine) : index.end();
    if (it != index.end()) {
      j.value(it->second);
    } else {
      j.null();
    }
    j.key("RCS"), j.value(l.RCS);
    j.key("RCE"), j.value(l.RCE);
    j.key("LID"), j.value(l.LID);
    j.key("RLID"), j.value(l.RLID);
    j.key("chars");
    j.beginArray();
    for (const COcrChar& c : l.chars) dumpChar(j, c);
    j.endArray();
    j.endObject();
  }
  j.endArray();
}

void dumpCell(JsonWriter& j, const COcrCell& c) {
  j.beginObject();
  j.key("row"), j.value(c.row);
  j.key("col"), j.value(c.col);
  j.key("x"), j.value(c.x);
  j.key("y"), j.value(c.y);
  j.key("width"), j.value(c.width);
  j.key("height"), j.value(c.height);
  j.key("lineCount"), j.value(c.lineCount);
  j.key("left"), j.value(c.left);
  j.key("top"), j.value(c.top);
  j.key("right"), j.value(c.right);
  j.key("bottom"), j.value(c.bottom);
  j.key("connectGroup"), j.value(c.connectGroup);
  j.key("align"), j.value(c.align);
  j.key("valign"), j.value(c.valign);
  j.key("charCount"), j.value(c.charCount);
  j.key("lineSize"), j.value(c.lineSize);
  j.key("lines"), dumpLines(j, c.lines);
  j.endObject();
}

void dumpBlock(JsonWriter& j, const COcrBlock& b) {
  j.beginObject();
  j.key("x"), j.value(b.x);
  j.key("y"), j.value(b.y);
  j.key("width"), j.value(b.width);
  j.key("height"), j.value(b.height);
  j.key("charCount"), j.value(b.charCount);
  j.key("direction"), j.value(static_cast<int>(b.direction));
  j.key("index"), j.value(b.index);
  j.key("type"), j.value(b.type);
  j.key("lineSize"), j.value(b.lineSize);
  j.key("sec"), j.value(b.sec);
  j.key("langId"), j.value(b.langId);
  j.key("BID"), j.value(b.BID);
  j.key("lines"), dumpLines(j, b.lines);
  j.key("cells");
  j.beginArray();
  for (const COcrCell& c : b.cells) dumpCell(j, c);
  j.endArray();
  j.endObject();
}

void dumpPage(JsonWriter& j, const COcrPage& p) {
  j.beginObject();
  j.key("number"), j.value(p.number);
  j.key("file"), j.value(std::u16string_view(p.file));
  j.key("fullpath"), j.value(std::u16string_view(p.fullpath));
  j.key("width"), j.value(p.width);
  j.key("height"), j.value(p.height);
  j.key("dpi"), j.value(p.dpi);
  j.key("upperpage"), j.value(p.upperpage);
  j.key("lowerpage"), j.value(p.lowerpage);
  j.key("wareki"), j.value(p.wareki);
  j.key("year"), j.value(p.year);
  j.key("month"), j.value(p.month);
  j.key("volume"), j.value(p.volume);
  j.key("blocks");
  j.beginArray();
  for (const COcrBlock& b : p.blocks) dumpBlock(j, b);
  j.endArray();
  j.endObject();
}

// The positions the editor takes after opening (with --opened).
struct OpenedState {
  int firstArticlePage, currentPage;
};

void dumpPaper(JsonWriter& j, const COcrPaper& paper, const OpenedState* opened = nullptr) {
  j.beginObject();
  j.key("encoding"), j.value(paper.encoding);
  j.key("maxPageWidth"), j.value(paper.maxPageWidth);
  j.key("maxPageHeight"), j.value(paper.maxPageHeight);
  j.key("standardDpi"), j.value(paper.standardDpi);
  if (opened) {
    j.key("firstArticlePage"), j.value(opened->firstArticlePage);
    j.key("currentPage"), j.value(opened->currentPage);
  }
  j.key("sections");
  j.beginArray();
  for (const std::u16string& s : paper.customSections) j.value(std::u16string_view(s));
  j.endArray();
  j.key("pages");
  j.beginArray();
  for (const COcrPage& p : paper.pages) dumpPage(j, p);
  j.endArray();
  j.endObject();
}

// The outline a person reads: pages, blocks and the text of every line.
void outlinePaper(const COcrPaper& paper) {
  std::string out;
  for (const COcrPage& p : paper.pages) {
    out += "page " + std::to_string(p.number) + " " + text::toUtf8(p.file) + " (" + std::to_string(p.width) + "x" +
           std::to_string(p.height) + ", " + std::to_string(p.blocks.size()) + " blocks)\n";
    int bn = 0;
    for (const COcrBlock& b : p.blocks) {
      static const char* const types[] = {"text", "table", "image", "line"};
      out += "  block " + std::to_string(++bn) + " " + (b.type >= 0 && b.type <= 3 ? types[b.type] : "?") +
             (b.direction == kVertical ? " vertical" : " horizontal") + " sec " +
             text::toUtf8(sectionValue(paper, b.sec)) + "\n";
      auto lines = [&out](const LineList& ls, const char* pad) {
        for (const COcrLine& l : ls) {
          std::u16string t;
          for (const COcrChar& c : l.chars) t += c.code[0] == u'\r' ? u"⏎" : codeText(c.code);
          out += pad;
          out += l.attr == kAttrRuby ? "ruby " : l.attr == kAttrEmph ? "emph " : l.attr == kAttrFootnote ? "note " : "";
          out += text::toUtf8(t);
          if (l.attr != kAttrNone && l.baseLine) {
            // What the annotation covers: base characters RCS..RCE.
            std::u16string covered;
            int k = 0;
            for (const COcrChar& c : l.baseLine->chars) {
              ++k;
              if (k >= l.RCS && k <= l.RCE) covered += codeText(c.code);
            }
            out += "  → " + std::to_string(l.RCS) + ".." + std::to_string(l.RCE) + " " + text::toUtf8(covered);
          }
          out += "\n";
        }
      };
      lines(b.lines, "    ");
      for (const COcrCell& c : b.cells) {
        out += "    cell " + std::to_string(c.row) + "," + std::to_string(c.col) + "\n";
        lines(c.lines, "      ");
      }
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int runCheck(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("check takes one work file");
  const Loaded l = load(p->positional[0]);
  if (p->json) {
    JsonWriter j(stdout);
    j.beginObject();
    j.key("ok"), j.value(l.result.paper != nullptr);
    if (l.result.paper) {
      j.key("pages"), j.value(static_cast<long long>(l.result.paper->pages.size()));
    } else {
      j.key("code"), j.value(l.result.code);
      j.key("line"), j.value(l.result.line);
      j.key("message"), j.value(std::string_view(l.message));
    }
    j.endObject();
    j.finish();
  } else if (l.result.paper) {
    std::printf("%s: ok, %zu pages\n", p->positional[0].c_str(), l.result.paper->pages.size());
  } else {
    printError(p->positional[0] + ": " + l.message);
  }
  return l.result.paper ? kExitOk : kExitReadError;
}

int runDump(Context& ctx, const Args& all) {
  Args args;
  bool opened = false;
  for (const std::string& a : all) {
    if (a == "--opened") {
      opened = true;
    } else {
      args.push_back(a);
    }
  }
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("dump takes one work file");
  Loaded l = load(p->positional[0]);
  if (!l.result.paper) {
    printError(p->positional[0] + ": " + l.message);
    return kExitReadError;
  }
  COcrPaper& paper = *l.result.paper;
  OpenedState state{};
  if (opened) {
    // What opening the file in the editor does before the first page is shown.
    state.firstArticlePage = reconstruct::FindFirstArticlePage(&paper);
    state.currentPage = reconstruct::currentPageForArticle(paper, state.firstArticlePage);
    const settings::ReconstructionOptions o = settings::reconstructionOptions(ctx.values.settings);
    for (COcrPage& page : paper.pages) reconstruct::AnnotatePageAfterReading(page, o.monoRuby, o.smallKanaToNormal);
  }
  if (p->json) {
    JsonWriter j(stdout);
    dumpPaper(j, paper, opened ? &state : nullptr);
    j.finish();
  } else {
    if (opened) std::printf("first article page %d, current page %d\n", state.firstArticlePage, state.currentPage);
    outlinePaper(paper);
  }
  return kExitOk;
}

int runConvert(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {"encoding", "first", "last"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("convert takes an input and an output work file");
  int encoding = 0, first = -1, last = -1;
  for (auto [name, target] : {std::pair{"encoding", &encoding}, {"first", &first}, {"last", &last}}) {
    const auto it = p->values.find(name);
    if (it == p->values.end()) continue;
    const auto v = parseInt(it->second);
    if (!v || *v < -1 || (target == &encoding && (*v < 0 || *v > 2))) {
      return usageError("invalid value for --" + std::string(name) + ": " + it->second);
    }
    *target = *v;
  }
  const Loaded l = load(p->positional[0]);
  if (!l.result.paper) {
    printError(p->positional[0] + ": " + l.message);
    return kExitReadError;
  }
  const int r = vuzozoviv::writePaperFile(*l.result.paper, p->positional[1], encoding, first, last, {}, &error);
  if (r != vuzozoviv::kWriteOk) {
    printError("lexova: " + error);
    return kExitWriteError;
  }
  return kExitOk;
}

namespace {

void jsonValue(JsonWriter& j, const app::SettingValue& v) {
  if (const auto* n = std::get_if<long long>(&v)) {
    j.value(*n);
  } else if (const auto* d = std::get_if<double>(&v)) {
    j.value(static_cast<float>(*d));
  } else if (const auto* t = std::get_if<std::u16string>(&v)) {
    j.value(std::u16string_view(*t));
  } else {
    j.beginArray();
    for (long long x : std::get<std::vector<long long>>(v)) j.value(x);
    j.endArray();
  }
}

std::string utf8(const QString& s) {
  return s.toStdString();
}

}  // namespace

int runSettings(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, {}, error);
  if (!p) return usageError(error);
  if (!p->positional.empty()) return usageError("settings takes no arguments");
  const settings::AllSettings defaults;
  if (p->json) {
    JsonWriter j(stdout);
    j.beginObject();
    std::string section;
    for (const app::SettingEntry& e : app::SettingsStore::schema()) {
      if (e.section != section) {
        if (!section.empty()) j.endObject();
        section = e.section;
        j.key(section);
        j.beginObject();
      }
      j.key(text::toUtf8(e.name));
      jsonValue(j, e.get(ctx.values));
    }
    if (!section.empty()) j.endObject();
    j.endObject();
    j.finish();
    return kExitOk;
  }
  std::string out;
  for (const app::SettingEntry& e : app::SettingsStore::schema()) {
    out += utf8(e.key()) + " = " + text::toUtf8(app::displayText(e.get(ctx.values))) + " (default " +
           text::toUtf8(app::displayText(e.get(defaults))) + ")\n";
  }
  settings::SettingsValues s = ctx.values.settings;
  const settings::OutputFonts f = settings::applyFontDefaults(s, app::firstInstalledFont);
  const std::pair<const char*, const settings::FontChoice*> fonts[] = {{"japanese", &f.japanese},
                                                                       {"japanese vertical", &f.japaneseVertical},
                                                                       {"western", &f.western},
                                                                       {"simplified Chinese", &f.simplified},
                                                                       {"traditional Chinese", &f.traditional},
                                                                       {"Korean", &f.hangul}};
  out += "\nOutput fonts at start-up:\n";
  for (const auto& [name, font] : fonts) {
    out +=
        std::string("  ") + name + ": " + text::toUtf8(font->name) + " (height " + std::to_string(font->height) + ")\n";
  }
  out += "\nStore: " + utf8(ctx.store.fileName()) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

namespace {

bool readable(std::u16string_view path) {
  try {
    io::FileSource probe(text::toUtf8(path));
    return true;
  } catch (const io::IoError&) {
    return false;
  }
}

// The configured table file: 登録テーブル名, or registTable.csv in the user data folder.
std::u16string configuredTable(const Context& ctx) {
  return settings::registeredTablePath(ctx.values.settings, app::userDataFolder(ctx.values).path);
}

int tableList(Context& ctx, const Parsed& p) {
  if (p.positional.size() > 1) return usageError("table list takes at most one file");
  const bool explicitFile = p.positional.size() == 1;
  const std::u16string path = explicitFile ? text::fromUtf8(p.positional[0]) : configuredTable(ctx);
  RegisteredTable table;
  if (table.LoadRegisteredTable(path, ctx.host) < 0) {
    const bool missing = !std::filesystem::exists(text::toUtf8(path));
    if (missing && !explicitFile) {
      // A configured table that does not exist yet is an empty one.
    } else {
      // A table with an empty line has shown its message; one that cannot be opened has not.
      if (!readable(path)) printError("lexova: cannot open " + text::toUtf8(path));
      return kExitReadError;
    }
  }
  if (p.json) {
    JsonWriter j(stdout);
    j.beginObject();
    j.key("file"), j.value(std::u16string_view(path));
    j.key("pairs");
    j.beginArray();
    for (const auto& [search, replacement] : table.registeredPairs) {
      j.beginObject();
      j.key("search"), j.value(std::u16string_view(search));
      j.key("replacement"), j.value(std::u16string_view(replacement));
      j.endObject();
    }
    j.endArray();
    j.endObject();
    j.finish();
  } else {
    std::string out;
    for (const auto& [search, replacement] : table.registeredPairs) {
      out += text::toUtf8(search) + "\t" + text::toUtf8(replacement) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return kExitOk;
}

int tableAdd(Context& ctx, const Parsed& p) {
  if (p.positional.empty() || p.positional.size() > 2) return usageError("table add takes SEARCH [REPLACEMENT]");
  const std::u16string search = text::fromUtf8(p.positional[0]);
  const std::u16string replacement = p.positional.size() == 2 ? text::fromUtf8(p.positional[1]) : u"";
  for (char16_t c : search + replacement) {
    if (c == u' ' || c == u',' || c == u'\t' || c == u'\n' || c == u'\r') {
      return usageError("words of the table hold no blank, comma, tab or line end");
    }
  }
  if (search.empty()) return usageError("the search word is empty");
  RegisteredTable table;
  table.loadAtStartUp(configuredTable(ctx), ctx.host);
  if (table.AddRegisteredPair(search, replacement) < 0) {
    printError("lexova: the pair is registered already");
    return kExitOk;
  }
  if (table.SaveRegisteredTable(table.registeredTableFile, ctx.host) != 0) return kExitWriteError;
  return kExitOk;
}

}  // namespace

int runTable(Context& ctx, const Args& args) {
  if (args.empty()) return usageError("table needs list or add");
  std::string error;
  const auto p = parseArgs(Args(args.begin() + 1, args.end()), args[0] == "list", {}, error);
  if (!p) return usageError(error);
  if (args[0] == "list") return tableList(ctx, *p);
  if (args[0] == "add") return tableAdd(ctx, *p);
  return usageError("unknown table command '" + args[0] + "'");
}

std::string usageText() {
  return "Usage: lexova COMMAND [OPTIONS] ARGS\n"
         "\n"
         "Checks, inspects and converts the VuzOzovIV work files of the Lexova correction editor.\n"
         "\n"
         "Commands:\n"
         "  check [--json] FILE      read FILE and report whether it is a valid work file\n"
         "  dump [--json] [--opened] FILE\n"
         "                           print the model read from FILE (an outline, or JSON); with\n"
         "                           --opened, after the pass opening a file runs (annotation lines\n"
         "                           split and attached, mono ruby and full-size kana by the settings)\n"
         "                           and with the first-article and current page\n"
         "  convert IN OUT [--encoding 0|1|2] [--first N] [--last M]\n"
         "                           read IN and write it to OUT (0: IN's own encoding,\n"
         "                           1: Shift_JIS, 2: EUC-JP; pages N..M from 0, -1: no bound)\n"
         "  settings [--json]        print every setting with its default\n"
         "  table list [FILE] [--json]\n"
         "                           print the registered-character table (default: the configured one)\n"
         "  table add SEARCH [REPLACEMENT]\n"
         "                           add a pair to the configured table and save it\n"
         "\n"
         "Options for every command (neither writes to the settings store):\n"
         "  --set Section/Name=value override one setting for this run (repeatable)\n"
         "  --defaults               ignore the stored settings\n"
         "\n"
         "Options:\n"
         "  --help                   show this help\n"
         "  --version                show the version\n"
         "\n"
         "Exit status: 0 success, 2 usage error, 3 the work file or table cannot be read,\n"
         "4 the output cannot be written, 255 an invalid value of section Parameter.\n";
}

int runLexova(const Args& all) {
  // Global options first, wherever they stand.
  Args args;
  std::vector<std::pair<std::string, std::string>> overrides;
  bool defaults = false;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == "--set") {
      if (i + 1 >= all.size()) return usageError("--set needs Section/Name=value");
      const std::string& a = all[++i];
      const std::size_t eq = a.find('=');
      if (eq == std::string::npos) return usageError("--set needs Section/Name=value, not " + a);
      overrides.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    } else if (all[i] == "--defaults") {
      defaults = true;
    } else {
      args.push_back(all[i]);
    }
  }
  if (args.empty()) {
    std::fputs(usageText().c_str(), stderr);
    return kExitUsage;
  }
  const std::string& cmd = args[0];
  const Args rest(args.begin() + 1, args.end());
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    std::fputs(usageText().c_str(), stdout);
    return kExitOk;
  }
  if (cmd == "--version") {
    std::printf("lexova %s\n", LEXOVA_VERSION);
    return kExitOk;
  }
  for (const std::string& a : rest) {
    if (a == "--help") {
      std::fputs(usageText().c_str(), stdout);
      return kExitOk;
    }
  }
  if (cmd != "check" && cmd != "dump" && cmd != "convert" && cmd != "settings" && cmd != "table") {
    return usageError("unknown command '" + cmd + "'");
  }

  Context ctx;
  ctx.store.setIgnoreStored(defaults);
  for (const auto& [key, value] : overrides) {
    if (!ctx.store.setOverride(QString::fromStdString(key), QString::fromStdString(value))) {
      return usageError("no setting " + key);
    }
  }
  ctx.values = ctx.store.load();
  if (!settings::checkParameters(ctx.values.parameter, ctx.host)) return kExitParameter;

  if (cmd == "check") return runCheck(rest);
  if (cmd == "dump") return runDump(ctx, rest);
  if (cmd == "convert") return runConvert(rest);
  if (cmd == "settings") return runSettings(ctx, rest);
  return runTable(ctx, rest);
}

}  // namespace lexova::cli
