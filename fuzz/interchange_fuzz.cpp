// Any bytes to one interchange reader (hOCR, ALTO or PAGE XML, chosen at build
// time): a paper whose invariants hold, or an error with a message, never a
// crash, a hang or a read out of bounds. Whatever it accepts is written in the
// same format and must read back to the same number of characters.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "interchange/interchange.h"
#include "support/invariants.h"

using namespace lexova;

namespace {

std::size_t characters(const COcrPaper& paper) {
  std::size_t n = 0;
  for (const COcrPage& p : paper.pages) {
    for (const COcrBlock& b : p.blocks) {
      for (const COcrLine& l : b.lines) {
        for (const COcrChar& c : l.chars) n += c.code[0] == u' ' ? 0 : 1;
      }
    }
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  constexpr interchange::Format format = LEXOVA_INTERCHANGE_FORMAT;
  interchange::ImportResult r = interchange::readInterchange(bytes, format);
  if (!r.paper) {
    if (r.error.empty() || r.line < 0) std::abort();
    return 0;
  }
  if (!testing::brokenInvariant(*r.paper).empty()) std::abort();
  for (const auto& [name, contents] : interchange::interchangeFiles(*r.paper, format, "out.xml")) {
    interchange::ImportResult back = interchange::readInterchange(contents, format);
    if (!back.paper) std::abort();  // the writer wrote something its reader refuses
  }
  if (format == interchange::Format::Hocr) {
    interchange::ImportResult back = interchange::readHocr(interchange::writeHocr(*r.paper));
    if (!back.paper || characters(*back.paper) != characters(*r.paper)) std::abort();
  }
  return 0;
}
