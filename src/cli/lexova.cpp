// The lexova tool as a whole: the global options, the start-up check of the
// settings, then one command.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/output.h"

namespace lexova::cli {

std::string usageText() {
  return "Usage: lexova COMMAND [OPTIONS] ARGS\n"
         "\n"
         "Checks, inspects, converts, reconstructs and exports the VuzOzovIV work files of the Lexova\n"
         "correction editor.\n"
         "\n"
         "Commands:\n"
         "  check [--json] FILE      read FILE and report whether it is a valid work file\n"
         "  dump [--json] [--opened] FILE\n"
         "                           print the model read from FILE (an outline, or JSON); with\n"
         "                           --opened, after the pass opening a file runs (annotation lines\n"
         "                           split and attached, mono ruby and full-size kana by the settings)\n"
         "                           and with the first-article and current page\n"
         "  convert IN OUT [--to workfile|hocr|alto|page] [--encoding 0|1|2] [--first N] [--last M]\n"
         "                           read IN (a work file, hOCR, ALTO or PAGE XML, known by its\n"
         "                           content) and write it to OUT as a work file (0: IN's own\n"
         "                           encoding, 1: Shift_JIS, 2: EUC-JP) or in another format (ALTO\n"
         "                           and PAGE: one file a page, OUT-0001.xml, ...); pages N..M from 0\n"
         "  reconstruct IN OUT (--all | --page N) [--json]\n"
         "                           open IN as the editor does, reconstruct all pages (blocks merged,\n"
         "                           then the first article again) or page N (from 0), write OUT\n"
         "                           in the output encoding of the settings\n"
         "  export IN OUT --type 1|5|11|15|101|103|104 [--first N] [--last M] [--image-dir DIR]\n"
         "                           open IN as the editor does and export pages N..M (from 0,\n"
         "                           -1: no bound): 1 Unicode text, 5 text PDF, 11 image PDF,\n"
         "                           15 high-compression image PDF (quality: Settings/PDFImageQuality),\n"
         "                           101 Word, 103 PowerPoint, 104 XPS\n"
         "  edit IN [OUT] --script FILE [--backup-dir DIR] [--image-dir DIR] [--json]\n"
         "                           open IN as the editor does, run the script's operations one a\n"
         "                           line (see the README), then save to OUT; --json prints the\n"
         "                           state after every operation\n"
         "  image info FILE          print the record the image library makes of FILE (JSON)\n"
         "  layout IN --page N [--display 0|1|2] [--image-mode 0|1|2] [--colour-mode 0..3]\n"
         "         [--scale 10..100] [--edit-mode 1|3] --json\n"
         "                           open IN as the editor does and print where the text view draws\n"
         "                           page N (from 0): lines, characters, colours, ruby base marks\n"
         "  render IN --page N [the options of layout] --out FILE.png\n"
         "                           draw page N of the text view off screen into a PNG file\n"
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

namespace {

int runCommandLine(const Args& all) {
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
  if (cmd != "check" && cmd != "dump" && cmd != "convert" && cmd != "reconstruct" && cmd != "export" && cmd != "edit" &&
      cmd != "settings" && cmd != "table" && cmd != "image" && cmd != "layout" && cmd != "render") {
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
  if (cmd == "image") return runImage(rest);
  if (cmd == "dump") return runDump(ctx, rest);
  if (cmd == "convert") return runConvert(rest);
  if (cmd == "reconstruct") return runReconstruct(ctx, rest);
  if (cmd == "export") return runExport(ctx, rest);
  if (cmd == "edit") return runEdit(ctx, rest);
  if (cmd == "settings") return runSettings(ctx, rest);
  if (cmd == "layout") return runLayout(ctx, rest);
  if (cmd == "render") return runRender(ctx, rest);
  return runTable(ctx, rest);
}

}  // namespace

int runLexova(const Args& args) {
  // A reader that went away is a failed write (EPIPE), reported like any other,
  // not a silent death by signal.
  std::signal(SIGPIPE, SIG_IGN);
  const int status = runCommandLine(args);
  // Output that did not arrive is a failure: a full disk, a closed pipe.
  if (flushTo(stdout) && standardOutputError() == 0) return status;
  printError(std::string("lexova: cannot write standard output: ") + std::strerror(standardOutputError()));
  return status == kExitOk ? kExitWriteError : status;
}

}  // namespace lexova::cli
