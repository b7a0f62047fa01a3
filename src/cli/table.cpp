// lexova table: lists the registered-character table or adds a pair to it.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/output.h"
#include "editing/registered_table.h"
#include "platform/folders.h"
#include "text/utf.h"

namespace lexova::cli {

namespace {

// The configured table file: 登録テーブル名, or registTable.csv in the user data folder.
std::u16string configuredTable(const Context& ctx) {
  return settings::registeredTablePath(ctx.values.settings, platform::userDataFolder(ctx.values).path);
}

int tableList(Context& ctx, const Parsed& p) {
  if (p.positional.size() > 1) return usageError("table list takes at most one file");
  const bool explicitFile = p.positional.size() == 1;
  const std::u16string path = explicitFile ? text::fromUtf8(p.positional[0]) : configuredTable(ctx);
  RegisteredTable table;
  if (table.LoadRegisteredTable(path, ctx.host) < 0) {
    const TableLoadFailure why = table.lastLoadFailure();
    // A configured table that does not exist yet is an empty one.
    if (why != TableLoadFailure::Missing || explicitFile) {
      // The other failures have shown their message; these have not.
      if (why == TableLoadFailure::Missing || why == TableLoadFailure::Unopenable) {
        printError("lexova: " + table.lastOpenError());
      }
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
    writeTo(stdout, out);
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
}  // namespace lexova::cli
