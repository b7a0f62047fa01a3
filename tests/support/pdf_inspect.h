// Reads back the PDF files our writer makes: the cross-reference table, the
// objects it points to, and the content streams, so that tests check what a
// reader would find rather than what the writer meant.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lexova::testing {

struct PdfLayout {
  std::uint64_t startxref = 0;         // as written after "startxref"
  std::uint64_t xrefAt = 0;            // where "xref" actually is
  int size = 0;                        // /Size of the trailer
  std::vector<std::uint64_t> offsets;  // by object number (0 unused)
  std::vector<int> writeOrder;         // object numbers in file order
  std::string error;                   // empty when the structure is sound
};

// Checks the structure: header, cross-reference entries of 20 bytes each pointing
// at "N 0 obj", startxref at "xref", one trailer.
inline PdfLayout inspectPdf(std::string_view pdf) {
  PdfLayout r;
  auto fail = [&](std::string why) {
    r.error = std::move(why);
    return r;
  };
  if (pdf.substr(0, 10) != "%PDF-1.4\r\n") return fail("no header");
  const std::size_t sx = pdf.rfind("startxref\r\n");
  if (sx == std::string_view::npos) return fail("no startxref");
  r.startxref = std::stoull(std::string(pdf.substr(sx + 11, 20)));
  r.xrefAt = pdf.rfind("xref\r\n0 ", sx);
  if (r.xrefAt == std::string_view::npos || r.xrefAt == 0) return fail("no xref");
  if (r.xrefAt != r.startxref) return fail("startxref is not the position of xref");
  std::size_t p = r.xrefAt + 8;
  const std::size_t eol = pdf.find("\r\n", p);
  const int count = std::stoi(std::string(pdf.substr(p, eol - p)));
  p = eol + 2;
  if (pdf.substr(p, 20) != "0000000000 65535 f\r\n") return fail("bad free entry");
  p += 20;
  r.offsets.assign(static_cast<std::size_t>(count), 0);
  std::multimap<std::uint64_t, int> byOffset;
  for (int n = 1; n < count; ++n, p += 20) {
    const std::string_view e = pdf.substr(p, 20);
    if (e.size() != 20 || e.substr(10, 10) != " 00000 n\r\n") return fail("bad entry " + std::to_string(n));
    r.offsets[static_cast<std::size_t>(n)] = std::stoull(std::string(e.substr(0, 10)));
    const std::string head = std::to_string(n) + " 0 obj\r\n";
    if (pdf.substr(r.offsets[static_cast<std::size_t>(n)], head.size()) != head) {
      return fail("entry " + std::to_string(n) + " does not point at its object");
    }
    byOffset.emplace(r.offsets[static_cast<std::size_t>(n)], n);
  }
  if (pdf.substr(p, 9) != "trailer\r\n") return fail("no trailer after the table");
  const std::size_t size = pdf.find("/Size ", p);
  r.size = std::stoi(std::string(pdf.substr(size + 6, 12)));
  for (const auto& [offset, n] : byOffset) r.writeOrder.push_back(n);
  return r;
}

// The text of object n (from "n 0 obj" to its "endobj").
inline std::string_view pdfObject(std::string_view pdf, const PdfLayout& l, int n) {
  const std::size_t at = l.offsets.at(static_cast<std::size_t>(n));
  const std::size_t end = pdf.find("endobj\r\n", at);
  return pdf.substr(at, end + 8 - at);
}

// The bytes of a stream object between "stream\r\n" and the CR before "endstream".
inline std::string_view pdfStream(std::string_view object) {
  const std::size_t s = object.find("stream\r\n");
  const std::size_t e = object.rfind("\rendstream");
  return object.substr(s + 8, e - s - 8);
}

inline int countOf(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string_view::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

}  // namespace lexova::testing
