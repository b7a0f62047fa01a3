// lexova edit: a scripted edit session. Opens IN as the editor does, runs the
// script one operation a line and, with OUT, saves the document there at the end.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "cli/commands.h"
#include "cli/edit_session.h"
#include "text/utf.h"

namespace lexova::cli {

int runEdit(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, true, {"script", "backup-dir", "image-dir"}, error);
  if (!p) return usageError(error);
  if (p->positional.empty() || p->positional.size() > 2) return usageError("edit takes IN [OUT]");
  const auto script = p->values.find("script");
  if (script == p->values.end()) return usageError("edit needs --script FILE");
  std::ifstream in(script->second, std::ios::binary);
  if (!in) {
    printError("lexova: cannot open the script " + script->second);
    return kExitReadError;
  }

  // The backup goes into DIR, or into a private folder that goes with the session.
  std::string backupDir;
  std::string privateDir;
  if (const auto dir = p->values.find("backup-dir"); dir != p->values.end()) {
    backupDir = dir->second;
  } else {
    std::string pattern = (std::filesystem::temp_directory_path() / "lexova-edit-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      printError("lexova: cannot make a folder for the backup");
      return kExitWriteError;
    }
    backupDir = privateDir = pattern;
  }
  struct RemoveFolder {
    std::string path;
    ~RemoveFolder() {
      std::error_code ec;
      if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
  } removeLater{privateDir};

  const DocumentOptions options = documentOptionsFor(ctx.values, text::fromUtf8(backupDir));
  EditSession session(options, stdout, p->json);
  session.settings().rejectLevel = ctx.values.settings.rejectLevel;
  session.settings().registerReplacements = ctx.values.settings.registerReplacements != 0;
  if (const auto dir = p->values.find("image-dir"); dir != p->values.end()) {
    session.document().imageFolder = text::fromUtf8(dir->second);
  }

  if (!session.openDocument(text::fromUtf8(p->positional[0]))) return kExitReadError;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!session.runLine(number, line, &error)) {
      printError("lexova: " + script->second + ":" + std::to_string(number) + ": " + error);
      return kExitUsage;
    }
  }
  int status = kExitOk;
  if (p->positional.size() == 2) {
    // The end of the session: saveas OUT all.
    DAdovoVodovoDez& doc = session.document();
    if (!doc.paper() || !doc.saveAs(text::fromUtf8(p->positional[1]), 0, doc.pageCount() - 1)) {
      status = kExitWriteError;
    }
  }
  session.document().removeBackupAtExit();
  return status;
}

}  // namespace lexova::cli
