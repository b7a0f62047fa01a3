// The in-memory form of one recognition result: a paper of pages, blocks, table
// cells, lines, characters and candidates. Plain data; every list is node-based
// (stable element addresses, moves by splicing) and owns its elements.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lexova {

template <typename T>
using OcrList = std::list<T>;

// One UTF-16 unit or a surrogate pair, followed by a 0 unit.
using CharCode = std::array<char16_t, 3>;

inline CharCode makeCode(char16_t first, char16_t second = 0) {
  return CharCode{first, second, 0};
}
// Length of a code in UTF-16 units: 0 (empty), 1 or 2.
inline int codeLength(const CharCode& c) {
  return c[0] == 0 ? 0 : (c[1] == 0 ? 1 : 2);
}
inline std::u16string_view codeText(const CharCode& c) {
  return std::u16string_view(c.data(), static_cast<std::size_t>(codeLength(c)));
}

enum OcrEncoding : int { kShiftJis = 1, kEucJp = 2 };

enum BlockType : int { kBlockText = 0, kBlockTable = 1, kBlockImage = 2, kBlockLine = 3 };

enum BlockDirection : std::int8_t { kHorizontal = 0, kVertical = 1 };

enum SectionCode : int {
  kSecText = 0,
  kSecRef = 1,
  kSecUpperPageNum = 2,
  kSecLowerPageNum = 3,
  kSecHeader = 4,
  kSecFooter = 5,
  kSecLeftPillar = 6,
  kSecRightPillar = 7,
  kSecTitle = 8,
  kSecAuthor = 9,
  kSecTerminater = 10,
  kSecYear = 11,
  kSecMonth = 12,
  kSecVol = 13,
  kSecExTitle = 14,
  kSecExAuther = 15,
  kSecNoOutput = 16,
  kSecCustomBase = 1000,
};

enum LineAttr : std::int16_t { kAttrNone = 0, kAttrRuby = 1, kAttrEmph = 2, kAttrFootnote = 3 };

enum BorderStyle : int { kBorderNone = 0, kBorderSolid = 1, kBorderDotted = 2, kBorderDouble = 3 };

// One recognition candidate (a view of one entry of a character's candidate arrays).
struct COcrCand {
  CharCode code{};
  std::uint16_t CC = 10;
};

// A recognised character. Its candidates are two parallel arrays (codes and
// certainties) held in one allocation and freed with the character.
class COcrChar {
 public:
  int x = 0, y = 0, width = 0, height = 0;  // x or y below 0: no box
  CharCode code{};
  std::uint16_t CC = 10;
  // Read from another engine's format: this character begins one of its words
  // (kept when writing that format back); not in the work file.
  std::uint8_t wordStart = 0;
  int viewWork[3] = {0, 0, 0};  // working values of the views; not in the file

  COcrChar() = default;
  COcrChar(const COcrChar& other);
  COcrChar& operator=(const COcrChar& other);
  COcrChar(COcrChar&&) noexcept = default;
  COcrChar& operator=(COcrChar&&) noexcept = default;

  // Number of candidates; always the length of both arrays.
  std::int16_t num_cand() const { return cands_ ? static_cast<std::int16_t>(cands_[0]) : 0; }
  // Replaces the candidate arrays by n entries of empty code and certainty 10.
  void allocateCandidates(int n);
  CharCode candCode(int i) const;
  std::uint16_t candCC(int i) const;
  COcrCand cand(int i) const { return {candCode(i), candCC(i)}; }
  void setCand(int i, const CharCode& c, std::uint16_t cc);

 private:
  // [0] count, then count codes of 3 units, then count certainties.
  std::unique_ptr<char16_t[]> cands_;
};

class COcrLine {
 public:
  int x = 0, y = 0, width = 0, height = 0;
  int charCount = 0;                         // UTF-16 units of all character codes
  std::int16_t groupId = 0, groupIndex = 0;  // working values of the editing engine
  std::int16_t attr = kAttrNone;             // LineAttr
  // For a ruby, emphasis or footnote line: the line of the same block (or cell) it
  // annotates. Non-owning; copies of a single line keep it unchanged.
  COcrLine* baseLine = nullptr;
  int RCS = 0, RCE = 0;   // first and last base character covered (1-based)
  int RLID = 0, LID = 0;  // file-level link ids, only meaningful while reading and writing
  OcrList<COcrChar> chars;
};

using LineList = OcrList<COcrLine>;

class COcrCell {
 public:
  int row = 0, col = 0;
  int x = 0, y = 0, width = 0, height = 0;
  int lineCount = 0;
  int left = kBorderNone, top = kBorderNone, right = kBorderNone, bottom = kBorderNone;
  int connectGroup = 0;
  int align = 0, valign = 0;
  int charCount = 0;
  float lineSize = 0;
  LineList lines;

  COcrCell() = default;
  COcrCell(const COcrCell& other);  // relinks baseLine inside the copy
  COcrCell& operator=(const COcrCell& other);
  COcrCell(COcrCell&&) noexcept = default;
  COcrCell& operator=(COcrCell&&) noexcept = default;
};

class COcrBlock {
 public:
  int x = 0, y = 0, width = 0, height = 0;
  int charCount = 0;
  std::int8_t direction = kHorizontal;  // BlockDirection
  int index = 0;                        // as read; not written back
  int type = kBlockText;                // BlockType
  float lineSize = 0;
  int sec = kSecText;  // SectionCode, 1000 + n for the n-th custom value of the paper
  int langId = 128;
  int BID = -1;
  LineList lines;
  OcrList<COcrCell> cells;
  // Working values of reconstruction; not in the file.
  std::uint8_t reconstructState = 3;
  int reconstructValue = 0;

  COcrBlock() = default;
  COcrBlock(const COcrBlock& other);  // relinks baseLine inside the copy
  COcrBlock& operator=(const COcrBlock& other);
  COcrBlock(COcrBlock&&) noexcept = default;
  COcrBlock& operator=(COcrBlock&&) noexcept = default;
};

class COcrPage {
 public:
  int number = 0;
  std::u16string file;
  std::u16string fullpath;
  int width = -1, height = -1;
  int dpi = -1;
  int upperpage = 0, lowerpage = 0, wareki = 0, year = 0, month = 0, volume = 0;
  OcrList<COcrBlock> blocks;
};

class COcrPaper {
 public:
  OcrList<COcrPage> pages;
  int encoding = kShiftJis;  // OcrEncoding of the file it was read from
  int maxPageWidth = 0;
  int maxPageHeight = 0;
  int standardDpi = 400;
  // Custom section values of this paper, numbered from 1000 in order of appearance.
  // Kept with the paper so that reading another file never renumbers them.
  std::vector<std::u16string> customSections;
};

// Copies a list of lines into dst (appended), giving every annotation line of the
// copy the copy of its base line, searched among the lines that follow it; a line
// whose base line is not found there loses its annotation (attr, RCS, baseLine).
void copyLines(const LineList& src, LineList& dst);

// Releases everything a page holds (blocks, cells, lines, characters, candidates).
inline void releaseBlocks(COcrPage& page) {
  page.blocks.clear();
}

// The file value of a section code: the fixed table, or the paper's custom registry
// for 1000 and above. Codes that name nothing give "text".
std::u16string_view sectionValue(const COcrPaper& paper, int code);
// The code of a section value as the reader assigns it: the fixed table (the empty
// value is 0), else the custom registry, appending the value when it is missing.
int sectionCode(COcrPaper& paper, std::u16string_view value);

// Largest width and height of the pages (0 for a paper without pages).
void computeMaxPageSize(COcrPaper& paper);
// The dpi carried by the most pages (first met wins a tie); 400 when that is -1.
void computeStandardDpi(COcrPaper& paper);

// Resolutions a page may be measured in; anything else (no dpi= gives -1) is not
// a resolution.
inline constexpr int kMinDpi = 50, kMaxDpi = 4800;
// The resolution every exporter measures a page in: its own dpi when that is one,
// else the paper's standard dpi when that is, else 400.
int pageDpi(const COcrPage& page, const COcrPaper& paper);

// Moves all pages of source to the end of target, mapping source's custom section
// codes into target's registry. Source is left without pages.
void appendPages(COcrPaper& target, COcrPaper& source);
// Numbers the pages 1, 2, ... in list order.
void renumberPages(COcrPaper& paper);

}  // namespace lexova
