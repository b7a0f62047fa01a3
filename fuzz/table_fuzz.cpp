// Any bytes as a registered-character table file. The reader returns pairs or
// refuses the file, never crashes; pairs it reads are saved so that they read
// back equal. And the user's file is never lost: after a load and an add, the
// file holds the table, and a file that did not load (an empty line, or bytes
// that would need a replacement character to decode) is kept byte for byte
// beside it before anything is written.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "editing/registered_table.h"
#include "host/scripted_host.h"
#include "io/byte_io.h"
#include "text/utf.h"

namespace {

// A private folder for the run, in memory when the system has one.
const std::filesystem::path& folder() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                                               : std::filesystem::temp_directory_path().string()) +
                          "/lexova-table-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(folder()); });
    return std::filesystem::path(pattern);
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lexova;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<RegisteredPair> pairs;
  const TableLoadFailure parsed = parseRegisteredTable(bytes, pairs);
  if (parsed == TableLoadFailure::None) {
    std::vector<RegisteredPair> back;
    if (parseRegisteredTable(formatRegisteredTable(pairs), back) != TableLoadFailure::None || back != pairs) {
      std::abort();
    }
  }

  // The same bytes as the table of a run that adds a pair and ends.
  const std::filesystem::path file = folder() / "registTable.csv";
  const std::filesystem::path kept = folder() / "registTable.csv.bak";
  std::filesystem::remove(kept);
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(size));
  ScriptedHost host;
  RegisteredTable table;
  table.loadAtStartUp(text::fromUtf8(file.string()), host);
  if (table.lastLoadFailure() != parsed) std::abort();
  table.AddRegisteredPair(u"\u65B0", u"");
  table.saveAtProgramEnd(host);
  if (parsed != TableLoadFailure::None && io::readFile(kept.string()) != bytes) std::abort();
  if (parsed == TableLoadFailure::None && std::filesystem::exists(kept)) std::abort();
  // What the file holds now: the pairs read (none after a failed load) and the added one.
  std::vector<RegisteredPair> expected = parsed == TableLoadFailure::None ? pairs : std::vector<RegisteredPair>{};
  const RegisteredPair added(u"\u65B0", u"");
  if (std::find(expected.begin(), expected.end(), added) == expected.end()) expected.push_back(added);
  std::vector<RegisteredPair> saved;
  if (parseRegisteredTable(io::readFile(file.string()), saved) != TableLoadFailure::None || saved != expected) {
    std::abort();
  }
  return 0;
}
