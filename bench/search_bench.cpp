// Replace All of one character over every page of a large work file, as the
// replace dialog runs it (every "next page?" answered Yes): replacements per
// second (target: 100,000 in under a second; linear in each page's length).
//   lexova-search-bench FILE [SEARCH REPLACEMENT]
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "document/lifecycle/document_edit.h"
#include "editing/cursor.h"
#include "editing/search.h"
#include "host/scripted_host.h"
#include "text/utf.h"

int main(int argc, char** argv) {
  using namespace lexova;
  if (argc < 2) {
    std::fputs("usage: lexova-search-bench FILE [SEARCH REPLACEMENT]\n", stderr);
    return 2;
  }
  ScriptedHost host;  // every question takes its default: Yes
  ManualClock clock;
  MemoryBackupOrigin origin;
  DAdovoVodovoDez doc(host, clock, origin, DocumentOptions{});
  if (!doc.open(text::fromUtf8(argv[1]), false)) return 3;
  doc.currentPage = 0;
  DocumentEditTarget target(doc, host);
  editing::EditState s;
  editing::openPage(s, target);
  editing::SearchState f;
  // Without a pair given, ten common kana one after another, each over every page,
  // so that well over 100,000 replacements are measured together.
  std::vector<std::pair<std::u16string, std::u16string>> pairs;
  if (argc > 3) {
    pairs.emplace_back(text::fromUtf8(argv[2]), text::fromUtf8(argv[3]));
  } else {
    for (const char16_t c : std::u16string(u"のいたてにるしかとな")) {
      pairs.emplace_back(std::u16string(1, c), std::u16string(1, static_cast<char16_t>(c + 0x60)));
    }
  }
  long long total = 0;
  double seconds = 0;
  for (const auto& [search, replacement] : pairs) {
    doc.currentPage = 0;
    editing::openPage(s, target);
    editing::CloseSearchDialog(f, s);
    editing::OpenReplaceDialog(f, s, target);
    f.search = search;
    f.replacement = replacement;
    const auto t0 = std::chrono::steady_clock::now();
    total += editing::ReplaceAll(f, s, target);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  std::printf("pages %d\nreplacements %lld\nreplace_all_s %.3f\nreplacements_per_s %.0f\n", doc.pageCount(), total,
              seconds, static_cast<double>(total) / seconds);
  return 0;
}
