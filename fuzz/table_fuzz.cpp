// Any bytes in any encoding: the table reader returns pairs or refuses an empty
// line, never crashes; the pairs it reads are saved so that they read back equal.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editing/registered_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<lexova::RegisteredPair> pairs;
  if (!lexova::parseRegisteredTable(std::string_view(reinterpret_cast<const char*>(data), size), pairs)) return 0;
  std::vector<lexova::RegisteredPair> back;
  if (!lexova::parseRegisteredTable(lexova::formatRegisteredTable(pairs), back) || back != pairs) std::abort();
  return 0;
}
