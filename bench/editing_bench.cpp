// Character editing on a long line, through the same operations the text view
// calls: typing 10,000 characters one by one into a line of 2,000, deleting them
// again one by one, and pasting 19,999 units at once. Operations per second and
// the time of one (target: well under a millisecond each: no operation walks the
// page when it changes one line).
//   lexova-editing-bench
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "document/lifecycle/document_edit.h"
#include "document/vuzozoviv/writer.h"
#include "editing/character_editing.h"
#include "editing/cursor.h"
#include "host/scripted_host.h"
#include "text/utf.h"

namespace {
using Timer = std::chrono::steady_clock;
double seconds(Timer::time_point a, Timer::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}
}  // namespace

int main() {
  using namespace lexova;
  ScriptedHost host;
  ManualClock clock;
  MemoryBackupOrigin origin;
  DAdovoVodovoDez doc(host, clock, origin, DocumentOptions{});  // no backup file: no backups
  // A work file of one page with one block of 40 lines, the middle one 2,000
  // characters long, opened as the editor opens it.
  {
    COcrPaper paper;
    COcrBlock& b = paper.pages.emplace_back().blocks.emplace_back();
    b.direction = kVertical;
    for (int l = 0; l < 40; ++l) {
      COcrLine& line = b.lines.emplace_back();
      line.x = 2000 - l * 60, line.y = 100, line.width = 40, line.height = 44 * 40;
      const int n = l == 20 ? 2000 : 40;
      for (int k = 0; k < n; ++k) {
        COcrChar& c = line.chars.emplace_back();
        c.code = makeCode(static_cast<char16_t>(0x4E00 + k % 200));
        c.x = line.x, c.y = 100 + k * 44, c.width = c.height = 40;
      }
      line.charCount = n;
      b.charCount += n;
    }
    std::string path = (std::filesystem::temp_directory_path() / "lexova-editing-bench-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return 1;
    ::close(fd);
    vuzozoviv::writePaperFile(paper, path);
    const bool opened = doc.open(text::fromUtf8(path), false);
    std::filesystem::remove(path);
    if (!opened) return 1;
  }
  DocumentEditTarget target(doc, host);
  editing::EditState s;
  s.cursor = editing::cursorAt(*doc.page(0), {0, 20, 1000});  // the middle of the long line

  constexpr int kTyped = 10000;
  const auto t0 = Timer::now();
  for (int i = 0; i < kTyped; ++i) editing::InsertChar(s, target, static_cast<char16_t>(u'あ' + i % 80), 1);
  const auto t1 = Timer::now();
  for (int i = 0; i < kTyped; ++i) editing::DeleteBackward(s, target);
  const auto t2 = Timer::now();
  host.clipboard = std::u16string(19999, u'字');
  editing::PasteText(s, target);
  const auto t3 = Timer::now();
  const std::size_t length = s.cursor.line->chars.size();
  const double typing = seconds(t0, t1), deleting = seconds(t1, t2), paste = seconds(t2, t3);
  std::printf("line_after %zu\n", length);
  std::printf("typing_ops_s %.0f\ntyping_us_per_op %.2f\n", kTyped / typing, typing / kTyped * 1e6);
  std::printf("backspace_ops_s %.0f\nbackspace_us_per_op %.2f\n", kTyped / deleting, deleting / kTyped * 1e6);
  std::printf("paste_19999_units_ms %.3f\n", paste * 1e3);
  return 0;
}
