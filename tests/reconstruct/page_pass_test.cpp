// The pass over generated pages: every invariant of the model holds afterwards, and
// a second pass changes nothing.
#include "reconstruct/page_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "reconstruct/annotation.h"
#include "support/invariants.h"
#include "support/model_diff.h"
#include "support/workfile.h"
#include "workgen/workgen.h"

namespace lexova::reconstruct {
namespace {

class GeneratedPages : public ::testing::TestWithParam<std::uint64_t> {
 protected:
  // Twenty generated pages as the editor gets them: through a file.
  std::unique_ptr<COcrPaper> generatedPaper() {
    workgen::Options o;
    o.seed = GetParam();
    o.pages = 20;
    COcrPaper generated = workgen::generate(workgen::bundledSources(LEXOVA_SOURCE_DIR "/samples/aozora"), o);
    io::StringSink out;
    vuzozoviv::writePaper(generated, out);
    io::MemorySource in(out.out);
    return vuzozoviv::readPaper(in).paper;
  }
};

TEST_P(GeneratedPages, InvariantsHoldAndASecondPassChangesNothing) {
  const auto read = generatedPaper();
  ASSERT_NE(read, nullptr);
  COcrPaper& paper = *read;
  for (const bool mono : {true, false}) {
    settings::ReconstructionOptions options;
    options.monoRuby = mono;
    COcrPaper once = paper;
    int changedPages = 0, attached = 0, split = 0;
    for (COcrPage& page : once.pages) {
      const std::size_t before = [&] {
        std::size_t n = 0;
        for (const COcrBlock& b : page.blocks) n += b.lines.size();
        return n;
      }();
      changedPages += ProcessPage(page, options, false, true).changed;
      std::size_t after = 0;
      for (const COcrBlock& b : page.blocks) {
        after += b.lines.size();
        for (const COcrLine& l : b.lines) attached += l.baseLine != nullptr;
      }
      split += static_cast<int>(after - before);
      EXPECT_EQ(lexova::testing::brokenInvariant(page), "");
    }
    EXPECT_GT(changedPages, 10);
    EXPECT_GT(attached, mono ? 150 : 80);
    EXPECT_GT(split, mono ? 40 : 10);
    COcrPaper twice = once;
    ReconstructAllPages(twice, false, options);
    // Attaching again looks at boxes only: a run that mono ruby split off reaches
    // into the next base character, yet keeps the range it was given.
    EXPECT_EQ(lexova::testing::diffPapers(once, twice), "") << "monoRuby " << mono;
  }
}

TEST_P(GeneratedPages, ReconstructingAllPagesKeepsTheModelWholeAndASecondTimeChangesNothing) {
  const auto paper = generatedPaper();
  ASSERT_NE(paper, nullptr);
  for (const bool everyOption : {true, false}) {
    settings::ReconstructionOptions options;
    if (!everyOption) options.blankLinesBetweenBlocks = options.noBreakAtBlockEnd = options.monoRuby = false;
    COcrPaper once = *paper;
    ReconstructAllPages(once, false, options);  // as opened
    std::size_t blocksBefore = 0, blocksAfter = 0;
    for (const COcrPage& p : once.pages) blocksBefore += p.blocks.size();
    const Reconstruction r = ReconstructAllPages(once, true, options);
    for (const COcrPage& p : once.pages) blocksAfter += p.blocks.size();
    EXPECT_LT(blocksAfter, blocksBefore);
    EXPECT_FALSE(r.pagesMerged.empty());
    EXPECT_EQ(lexova::testing::brokenInvariant(once), "");
    COcrPaper twice = once;
    ReconstructAllPages(twice, true, options);
    EXPECT_EQ(lexova::testing::diffPapers(once, twice), "") << "every option " << everyOption;
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

TEST(FileLinks, AnAnnotationLinkedToALineBeforeItIsMovedBeforeItsBase) {
  // The file links the ruby (LID 2 -> RLID 1) to the line before it; its box lies
  // beside no character, so attaching cannot replace the link.
  const std::string file = lexova::testing::workFile(
      u"<page number=\"1\" file=\"p1.tif\">\n"
      u"<block type=\"text\" direction=\"vertical\" x=\"0\" y=\"0\" width=\"900\" height=\"900\" sec=\"\">\n"
      u"<line x=\"500\" y=\"100\" width=\"40\" height=\"88\" attr=\"\" LID=\"1\">\n"
      u"<char x=\"500\" y=\"100\" width=\"40\" height=\"40\" num_cand=\"0\"><result CC=\"9\">漢</result></char>\n"
      u"<char x=\"500\" y=\"144\" width=\"40\" height=\"40\" num_cand=\"0\"><result CC=\"9\">字</result></char>\n"
      u"</line>\n"
      u"<line x=\"100\" y=\"700\" width=\"20\" height=\"40\" attr=\"ruby\" LID=\"2\" RLID=\"1\" RCS=\"1\" "
      u"RCE=\"9\">\n"
      u"<char x=\"100\" y=\"700\" width=\"20\" height=\"20\" num_cand=\"0\"><result CC=\"9\">か</result></char>\n"
      u"</line>\n"
      u"</block>\n</page>\n");
  io::MemorySource in(file);
  std::unique_ptr<COcrPaper> paper = vuzozoviv::readPaper(in).paper;
  ASSERT_TRUE(paper);
  ASSERT_EQ(paper->pages.front().blocks.front().lines.back().attr, kAttrRuby);
  settings::ReconstructionOptions o;
  ProcessPage(paper->pages.front(), o, false, true);
  const LineList& lines = paper->pages.front().blocks.front().lines;
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines.front().attr, kAttrRuby);  // now before the line it annotates
  EXPECT_EQ(lines.front().baseLine, &lines.back());
  EXPECT_EQ(lines.front().RCE, 2);  // the range within the base line
  EXPECT_EQ(testing::brokenInvariant(*paper), "");
}

}  // namespace
}  // namespace lexova::reconstruct
