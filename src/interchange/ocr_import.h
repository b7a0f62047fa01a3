// What the readers of the interchange formats find, before it becomes the model:
// pages of blocks of lines of words, with boxes, certainties and alternatives.
// buildPaper turns them into a paper the editor corrects: the writing direction
// of each block, the characters of each word (from their boxes where those are
// usable, else the word split evenly), spaces between Latin words, certainties on
// the work file's 0–10 scale, alternatives as candidates.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/model/model.h"

namespace lexova::interchange {

struct Box {
  long long x = 0, y = 0, width = 0, height = 0;
  bool valid() const { return width > 0 && height > 0; }
  bool contains(const Box& b) const {
    return b.x >= x && b.y >= y && b.x + b.width <= x + width && b.y + b.height <= y + height;
  }
};

// The smallest box holding both (a box without a size counts for nothing).
Box unite(const Box& a, const Box& b);

struct Alternative {
  std::u16string text;
  double confidence = -1;  // 0..1; -1 unknown
};

struct GlyphIn {
  Box box;
  std::u16string text;
  double confidence = -1;  // 0..1; -1 unknown
  std::vector<Alternative> alternatives;
};

struct WordIn {
  Box box;
  std::u16string text;
  double confidence = -1;
  std::vector<GlyphIn> glyphs;            // may be empty
  std::vector<Alternative> alternatives;  // of the whole word (a one-character word's are candidates)
};

struct LineIn {
  Box box;
  std::vector<WordIn> words;
  bool ruby = false;  // a small line beside a column or over a row: an annotation line
};

enum class BlockKind { Text, Image, Separator };

struct BlockIn {
  Box box;
  BlockKind kind = BlockKind::Text;
  std::optional<bool> vertical;  // from the format, when it says
  std::vector<LineIn> lines;
};

struct PageIn {
  long long width = 0, height = 0;
  int dpi = 0;
  std::u16string image;  // the page image's path as the file gives it
  std::vector<BlockIn> blocks;
};

struct ImportResult {
  std::unique_ptr<COcrPaper> paper;
  std::string error;  // empty when read
  int line = 0;       // where the error is (1-based), 0 when unknown
};

// The paper of the pages (pages numbered from 1).
std::unique_ptr<COcrPaper> buildPaper(std::vector<PageIn>& pages);

// Whether a block's lines read top to bottom: most of its lines much taller than wide.
bool linesLookVertical(const std::vector<LineIn>& lines);
// A certainty 0..1 on the work file's scale 0..10 (unknown: 10).
std::uint16_t certaintyOf(double confidence);
// The confidence 0..1 of a work-file certainty.
double confidenceOf(std::uint16_t cc);

// UTF-8 to UTF-16 and back for the readers and writers (invalid bytes become U+FFFD).
std::u16string fromUtf8(std::string_view s);
std::string toUtf8(std::u16string_view s);

}  // namespace lexova::interchange
