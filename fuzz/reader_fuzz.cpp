// Any bytes: the reader returns a paper or an error code, never crashes, hangs
// or reads out of bounds. Whatever it accepts, the writer writes so that it reads
// back and writes again byte for byte the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"

using namespace lexova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  io::MemorySource in(std::string_view(reinterpret_cast<const char*>(data), size));
  vuzozoviv::ReadResult r = vuzozoviv::readPaper(in);
  if (!r.paper) {
    if (r.code >= 0 || r.line < 1) std::abort();
    return 0;
  }
  io::StringSink first;
  vuzozoviv::writePaper(*r.paper, first);
  io::MemorySource again(first.out);
  vuzozoviv::ReadResult back = vuzozoviv::readPaper(again);
  if (!back.paper) std::abort();  // the writer wrote something its reader refuses
  io::StringSink second;
  vuzozoviv::writePaper(*back.paper, second);
  if (second.out != first.out) std::abort();
  return 0;
}
