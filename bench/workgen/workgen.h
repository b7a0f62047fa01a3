// Generator of large, realistic work files: vertical and horizontal text blocks
// laid out from Japanese prose in Aozora notation, ruby and emphasis lines as a
// scan delivers them, tables, pictures, OCR candidates and certainties, rejects,
// and the awkward characters (supplementary planes, characters outside code page
// 932, entities). Deterministic for a seed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/model/model.h"

namespace lexova::workgen {

// A run of text with the ruby printed beside it (empty for plain text).
struct Segment {
  std::u16string text;
  std::u16string ruby;
  bool emphasis = false;
};

struct Paragraph {
  std::vector<Segment> segments;
  bool heading = false;
};

struct Source {
  std::u16string title, author;
  std::vector<Paragraph> paragraphs;
};

// Parses Aozora notation (UTF-8): 漢字《かんじ》, ｜ before a ruby base, ［＃「x」に傍点］
// for emphasis; the title and author lines, the notation legend and the colophon
// are taken apart from the body.
Source parseAozora(std::string_view utf8);

struct Options {
  std::uint64_t seed = 1;
  int pages = 4;                  // used when targetBytes is 0
  std::uint64_t targetBytes = 0;  // generate pages until the Shift_JIS file reaches this size
  bool tables = true;             // table and picture blocks now and then
  bool oddCharacters = true;      // surrogate pairs, characters outside code page 932, entities
  bool candidates = true;
  bool once = false;  // lay every source out once and stop
};

// Lays the sources out as pages, one article after another (title and author
// blocks open each), repeating them until enough pages are made.
COcrPaper generate(const std::vector<Source>& sources, const Options& options);

// The texts bundled with the project (samples/aozora).
std::vector<Source> bundledSources(const std::string& sourceDir);

}  // namespace lexova::workgen
