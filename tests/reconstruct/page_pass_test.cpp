// The pass over generated pages: every invariant of the model holds afterwards, and
// a second pass changes nothing.
#include "reconstruct/page_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "reconstruct/annotation.h"
#include "support/model_diff.h"
#include "workgen/workgen.h"

namespace lexova::reconstruct {
namespace {

// The first broken invariant of the page, or empty.
std::string brokenInvariant(const COcrPage& page) {
  for (const COcrBlock& b : page.blocks) {
    int blockUnits = 0;
    std::set<const COcrLine*> lines;
    for (const COcrLine& l : b.lines) lines.insert(&l);
    int i = 0;
    for (const COcrLine& l : b.lines) {
      int units = 0;
      for (const COcrChar& c : l.chars) units += codeLength(c.code);
      if (units != l.charCount) return "line charCount " + std::to_string(l.charCount) + " != " + std::to_string(units);
      blockUnits += units;
      if (l.baseLine) {
        if (!lines.count(l.baseLine)) return "baseLine outside the block";
        if (l.baseLine == &l) return "a line annotates itself";
        if (l.attr == kAttrNone) return "an ordinary line has a base line";
        bool follows = false;
        int k = 0;
        for (const COcrLine& other : b.lines) {
          if (&other == l.baseLine) follows = k > i;
          ++k;
        }
        if (!follows) return "base line does not follow its annotation";
        const int n = static_cast<int>(l.baseLine->chars.size());
        if (l.RCS < 1 || l.RCS > l.RCE || l.RCE > n) {
          return "range " + std::to_string(l.RCS) + ".." + std::to_string(l.RCE) + " outside " + std::to_string(n);
        }
      }
      ++i;
    }
    if (b.type != kBlockTable && blockUnits != b.charCount) return "block charCount";
  }
  return {};
}

class GeneratedPages : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(GeneratedPages, InvariantsHoldAndASecondPassChangesNothing) {
  workgen::Options o;
  o.seed = GetParam();
  o.pages = 20;
  COcrPaper generated = workgen::generate(workgen::bundledSources(LEXOVA_SOURCE_DIR "/samples/aozora"), o);
  // As the editor gets it: through a file.
  io::StringSink out;
  vuzozoviv::writePaper(generated, out);
  io::MemorySource in(out.out);
  auto read = vuzozoviv::readPaper(in);
  ASSERT_NE(read.paper, nullptr);
  COcrPaper& paper = *read.paper;
  for (const bool mono : {true, false}) {
    COcrPaper once = paper;
    int changedPages = 0, attached = 0, split = 0;
    for (COcrPage& page : once.pages) {
      const std::size_t before = [&] {
        std::size_t n = 0;
        for (const COcrBlock& b : page.blocks) n += b.lines.size();
        return n;
      }();
      changedPages += AnnotatePageAfterReading(page, mono, true);
      std::size_t after = 0;
      for (const COcrBlock& b : page.blocks) {
        after += b.lines.size();
        for (const COcrLine& l : b.lines) attached += l.baseLine != nullptr;
      }
      split += static_cast<int>(after - before);
      EXPECT_EQ(brokenInvariant(page), "") << "page " << page.number;
    }
    EXPECT_GT(changedPages, 10);
    EXPECT_GT(attached, mono ? 150 : 80);
    EXPECT_GT(split, mono ? 40 : 10);
    COcrPaper twice = once;
    for (COcrPage& page : twice.pages) AnnotatePageAfterReading(page, mono, true);
    if (mono) {
      // Attaching again looks at geometry only: a ruby line made by mono ruby whose
      // last character starts exactly at its base character's far end (so mono ruby
      // did not move it on) but reaches into the next base character now covers both.
      // That is the only change a second pass makes.
      int widened = 0;
      auto p1 = once.pages.begin();
      for (auto p2 = twice.pages.begin(); p2 != twice.pages.end(); ++p1, ++p2) {
        auto b1 = p1->blocks.begin();
        for (auto b2 = p2->blocks.begin(); b2 != p2->blocks.end() && b1 != p1->blocks.end(); ++b1, ++b2) {
          auto l1 = b1->lines.begin();
          for (auto l2 = b2->lines.begin(); l2 != b2->lines.end() && l1 != b1->lines.end(); ++l1, ++l2) {
            if (l2->attr == kAttrRuby && l2->RCS == l1->RCS && l2->RCE == l1->RCE + 1) {
              l2->RCE = l1->RCE;
              ++widened;
            }
          }
        }
      }
      EXPECT_LT(widened, attached / 4);
    }
    EXPECT_EQ(lexova::testing::diffPapers(once, twice), "") << "monoRuby " << mono;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedPages, ::testing::Values(1, 5, 9));

// The indexed attaching of a whole block chooses what the walk over the block
// chooses for each line, on random blocks full of ties and overlaps.
TEST(AttachIndex, AgreesWithTheWalkOverTheBlock) {
  std::uint64_t state = 12345;
  auto rnd = [&state](int n) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
  };
  long long attachedSome = 0;
  for (int round = 0; round < 300; ++round) {
    COcrBlock block;
    block.direction = round % 2 ? kVertical : kHorizontal;
    const int lines = 1 + rnd(40);
    for (int i = 0; i < lines; ++i) {
      COcrLine& l = block.lines.emplace_back();
      l.attr = static_cast<std::int16_t>(rnd(3) == 0 ? kAttrRuby : kAttrNone);
      l.x = rnd(12) * 10, l.y = rnd(12) * 10, l.width = 10 + rnd(4) * 10, l.height = 10 + rnd(4) * 10;
      for (int k = rnd(5); k > 0; --k) {
        COcrChar& c = l.chars.emplace_back();
        c.code = makeCode(rnd(4) == 0 ? u'か' : u'字');
        c.x = l.x + rnd(3) * 10, c.y = l.y + rnd(3) * 10, c.width = c.height = 10;
        ++l.charCount;
      }
    }
    const int s = 15 + rnd(30);
    // The walk, for each annotation line on the block as it stands before any
    // attaching (attaching decides on that order; only afterwards do lines move).
    struct Result {
      long long base;
      int rcs, rce;
      bool operator==(const Result&) const = default;
    };
    auto indexOf = [](const COcrBlock& b) {
      std::map<const COcrLine*, long long> m;
      for (const COcrLine& l : b.lines) m.emplace(&l, static_cast<long long>(m.size()));
      return m;
    };
    std::vector<Result> walked;
    for (int q = 0; q < lines; ++q) {
      COcrBlock copy = block;
      const auto it = std::next(copy.lines.begin(), q);
      if (it->attr == kAttrNone) continue;
      const auto index = indexOf(copy);
      AttachAnnotationLine(copy, it, s);
      walked.push_back({it->baseLine ? index.at(it->baseLine) : -1, it->RCS, it->RCE});
    }
    COcrBlock indexed = block;
    const auto index = indexOf(indexed);
    std::vector<LineList::iterator> annotations;
    for (auto it = indexed.lines.begin(); it != indexed.lines.end(); ++it) {
      if (it->attr) annotations.push_back(it);
    }
    AttachAnnotationLines(indexed, annotations, s);
    std::vector<Result> got;
    for (const auto& it : annotations) got.push_back({it->baseLine ? index.at(it->baseLine) : -1, it->RCS, it->RCE});
    ASSERT_TRUE(got == walked) << "round " << round;
    attachedSome += std::count_if(got.begin(), got.end(), [](const Result& r) { return r.base >= 0; });
  }
  EXPECT_GT(attachedSome, 300);  // the rounds do attach
}

}  // namespace
}  // namespace lexova::reconstruct
