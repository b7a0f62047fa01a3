// Any bytes decode in both encodings without reading out of bounds, and every
// decoded character that has a form encodes to bytes that decode back to it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/codepage.h"

using namespace lexova::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (Encoding e : {Encoding::ShiftJis, Encoding::EucJp}) {
    const std::u16string text = decodeText(bytes, e);
    if (text.size() > size) std::abort();
    for (char16_t u : text) {
      std::uint8_t b[2];
      const int n = encodeUnit(u, e, b);
      if (n == 0) continue;
      const Decoded d = decode(e, b, b + n);
      if (d.unit != u || d.length != n) std::abort();
    }
    const std::string again = encodeText(text, e);
    if (decodeText(again, e).size() != text.size()) std::abort();
  }
  return 0;
}
