// Random edit sessions over any work file: the input's last bytes choose a
// sequence of operations (open, append, save as ranges, open what was saved,
// record, undo, reload, page, the backup clock, answers; the caret and
// selections, typing pairs, controls and line breaks, Enter, Delete, Backspace,
// overwrite, candidates, the replace dialog, copy and paste; block selection,
// deletion, moves and band merges; the ruby dialog's buttons, texts, split, OK
// and Cancel; find, replace, replace all and the rejects), the rest is the work
// file. Nothing crashes; after every operation the model's invariants hold, the
// page entries match the pages, the current page is one of them and the undo
// store names a page that exists; the result writes and reads back whole.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/edit_session.h"
#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "support/invariants.h"
#include "text/utf.h"

using namespace lexova;

namespace {

const std::filesystem::path& folder() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                                               : std::filesystem::temp_directory_path().string()) +
                          "/lexova-edit-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(folder()); });
    return std::filesystem::path(pattern);
  }();
  return dir;
}

void check(cli::EditSession& s, const std::string& line) {
  DAdovoVodovoDez& d = s.document();
  std::string broken;
  if (d.paper()) broken = testing::brokenInvariant(*d.paper());
  const int pages = d.pageCount();
  if (broken.empty() && static_cast<int>(d.pageEntries.size()) != pages) broken = "page entries";
  if (broken.empty() && (pages > 0 ? d.currentPage < 0 || d.currentPage >= pages : d.currentPage != -1)) {
    broken = "current page " + std::to_string(d.currentPage);
  }
  if (broken.empty() && d.undoStore.available() && (d.undoStore.pageIndex() < 0 || d.undoStore.pageIndex() >= pages)) {
    broken = "undo page " + std::to_string(d.undoStore.pageIndex());
  }
  if (broken.empty()) return;
  std::fprintf(stderr, "after \"%s\": %s\n", line.c_str(), broken.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t ops = std::min<std::size_t>(data[0] % 40, size - 1);
  const std::string work(reinterpret_cast<const char*>(data) + 1, size - 1 - ops);
  const std::uint8_t* op = data + size - ops;
  const std::string in = (folder() / "in.xml").string(), out = (folder() / "out.xml").string();
  std::filesystem::remove(out);
  std::filesystem::remove(folder() / "_$backup.xml");
  std::ofstream(in, std::ios::binary | std::ios::trunc) << work;

  DocumentOptions options;
  options.backupFile = text::fromUtf8((folder() / "_$backup.xml").string());
  cli::EditSession session(options, nullptr, true);
  session.runLine(0, "open " + in, nullptr);
  check(session, "open");
  for (std::size_t i = 0; i < ops; ++i) {
    const int a = op[i] >> 4, b = op[i] & 15;
    std::string line;
    const std::string ab = std::to_string(a), bb = std::to_string(b), ba = std::to_string(b % 4);
    static const char* const texts[] = {"\"\\ud842\\udfb7\"",  "\"a\\r\\nb\"", "\"\\u001b\\u007f\\t\"",
                                        "\"\\udc00x\\ud800\"", "\"\\r\"",      "字"};
    const std::string some = texts[a % 6];
    switch (op[i] % 39) {
      case 0:
        line = "open " + in;
        break;
      case 1:
        line = "open " + in + " --append";
        break;
      case 2:
        line = "saveas " + out + " " + ab + " " + bb;
        break;
      case 3:
        line = "open " + out + " --append";
        break;
      case 4:
        line = "undo";
        break;
      case 5:
        line = "record " + std::to_string(1 + a % 9);
        break;
      case 6:
        line = "reload";
        break;
      case 7:
        line = "page " + ab;
        break;
      case 8:
        line = std::string("answer ") + (a % 4 == 0 ? "yes" : a % 4 == 1 ? "no" : a % 4 == 2 ? "ok" : "cancel");
        break;
      case 9:
        line = "tick 400000\nbackup";
        break;
      case 10:
        line = "saveas " + out + " all";
        break;
      case 11:
        line = "imgfolder C:\\scan /srv/images";
        break;
      case 12:
        line = "goto " + std::to_string(a % 4) + " " + ba + " " + std::to_string(b - 1);
        break;
      case 13:
        line =
            "select " + std::to_string(a % 3) + " " + ba + " " + ab + " " + std::to_string(b % 3) + " " + ba + " " + bb;
        break;
      case 14:
        line = "type " + some;
        break;
      case 15:
        line = "enter";
        break;
      case 16:
        line = "del " + std::to_string(1 + a % 3);
        break;
      case 17:
        line = "bs " + std::to_string(1 + a % 3);
        break;
      case 18:
        line = "overwrite " + some;
        break;
      case 19:
        line = "cand " + ab;
        break;
      case 20:
        line = "charrep " + some + (b % 2 ? " --register" : "");
        break;
      case 21:
        line = "copy\nclip " + some;
        break;
      case 22:
        line = "paste";
        break;
      case 24:
        line = "frame select " + std::to_string(a % 6);
        break;
      case 25:
        line = "blocks delete";
        break;
      case 26:
        line = "blocks move " + std::to_string(b % 7);
        break;
      case 27:
        line = "blocks merge " + std::to_string(a * 150) + " " + std::to_string(b * 150) + " " +
               std::to_string(a * 300 + 1) + " " + std::to_string(3000 - b * 100);
        break;
      case 28:
        line = "ruby open";
        break;
      case 29:
        line = std::string("ruby ") + (a % 4 == 0   ? "prev"
                                       : a % 4 == 1 ? "dropfirst"
                                       : a % 4 == 2 ? "next"
                                                    : "droplast");
        break;
      case 30:
        line = "ruby text " + some + (b % 2 ? " " + some : "");
        break;
      case 31:
        line = "ruby mark " + std::to_string(a % 5) + "\nruby split " + std::to_string(b % 4);
        break;
      case 32:
        line = b % 3 ? "ruby ok" : "ruby cancel";
        break;
      case 33:
        line = "find " + some + (a % 2 ? " --back" : "") + (b % 2 ? " --nocase" : "");
        break;
      case 34:
        line = "replace " + some + " " + texts[b % 6] + (a % 2 ? " --nocase" : "");
        break;
      case 35:
        line = "replace-all " + some + " " + texts[b % 6] + (a % 2 ? " --nocase" : "");
        break;
      case 36:
        line = std::string("reject ") + (a % 2 ? "next" : "prev");
        break;
      case 37:
        line = "dialog close";
        break;
      default:
        line = std::string("move ") +
               (a % 4 == 0   ? "next"
                : a % 4 == 1 ? "prev"
                : a % 4 == 2 ? "up"
                             : "down") +
               (b % 2 ? " --nocross " : " ") + std::to_string(1 + b % 5);
        break;
    }
    std::size_t start = 0;
    for (std::size_t end; start <= line.size(); start = end + 1) {
      end = line.find('\n', start);
      if (end == std::string::npos) end = line.size();
      session.runLine(static_cast<int>(i + 1), line.substr(start, end - start), nullptr);
      check(session, line);
    }
  }
  // What the session made writes and reads back as a work file whose model is whole.
  if (const COcrPaper* paper = session.document().paper()) {
    io::StringSink written;
    vuzozoviv::writePaper(*paper, written);
    io::MemorySource source(written.out);
    const vuzozoviv::ReadResult back = vuzozoviv::readPaper(source);
    if (!back.paper || !testing::brokenInvariant(*back.paper).empty()) {
      std::fprintf(stderr, "the edited paper does not read back: %d\n", back.code);
      std::abort();
    }
  }
  return 0;
}
