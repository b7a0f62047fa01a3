// Helpers that build work-file bytes for tests.
#pragma once

#include <string>
#include <string_view>

#include "document/vuzozoviv/reader.h"
#include "text/codepage.h"

namespace lexova::testing {

// Encodes text (where '\n' stands for CR LF) as Shift_JIS or EUC-JP bytes.
inline std::string fileBytes(std::u16string_view text, text::Encoding e = text::Encoding::ShiftJis) {
  std::u16string crlf;
  for (char16_t c : text) {
    if (c == u'\n') crlf += u'\r';
    crlf += c;
  }
  return text::encodeText(crlf, e);
}

// A work file: declaration (line 1), paper start (line 2), body from line 3.
inline std::string workFile(std::u16string_view body, text::Encoding e = text::Encoding::ShiftJis) {
  std::u16string t = e == text::Encoding::ShiftJis ? u"<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n"
                                                   : u"<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>\n";
  t += u"<paper xmlns=\"http://www.tessaly.jp/2005/VuzOzovIV\">\n";
  t += body;
  t += u"</paper>\n";
  return fileBytes(t, e);
}

inline vuzozoviv::ReadResult readBytes(const std::string& bytes) {
  io::MemorySource in(bytes);
  return vuzozoviv::readPaper(in);
}

// One page holding one vertical text block with the given lines.
inline std::u16string pageWithLines(std::u16string_view lines) {
  std::u16string t = u"  <page number=\"1\" file=\"p1.tif\">\n";
  t +=
      u"    <block type=\"text\" direction=\"vertical\" x=\"10\" y=\"20\" width=\"300\" height=\"900\" sec=\"text\">\n";
  t += lines;
  t += u"    </block>\n  </page>\n";
  return t;
}

// A line holding one character with the given result element text.
inline std::u16string lineWithResult(std::u16string_view result, std::u16string_view charAttrs = u"") {
  std::u16string t = u"      <line x=\"1\" y=\"2\" width=\"30\" height=\"40\" attr=\"\">\n";
  t += u"        <char x=\"1\" y=\"2\" width=\"30\" height=\"40\" num_cand=\"0\"";
  t += charAttrs;
  t += u">\n          ";
  t += result;
  t += u"\n        </char>\n      </line>\n";
  return t;
}

}  // namespace lexova::testing
