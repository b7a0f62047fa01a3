// Work files survive reading and writing: write -> read -> write is byte for
// byte the same, and read -> write -> read gives the same model except what the
// format does not carry.
#include <gtest/gtest.h>

#include "document/vuzozoviv/reader.h"
#include "document/vuzozoviv/writer.h"
#include "support/model_diff.h"
#include "support/workfile.h"
#include "workgen/workgen.h"

namespace lexova::vuzozoviv {
namespace {

using lexova::testing::DiffOptions;
using lexova::testing::diffPapers;
using lexova::testing::readBytes;
using lexova::testing::workFile;

std::string write(COcrPaper& p, int encoding = 0) {
  io::StringSink out;
  writePaper(p, out, encoding);
  return out.out;
}

const std::vector<workgen::Source>& sources() {
  static const auto s = workgen::bundledSources(LEXOVA_SOURCE_DIR "/samples/aozora");
  return s;
}

class GeneratedRoundTrip : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(GeneratedRoundTrip, WriteReadWriteIsByteIdenticalInBothEncodings) {
  workgen::Options o;
  o.seed = GetParam();
  o.pages = 14;
  for (int enc : {kShiftJis, kEucJp}) {
    COcrPaper paper = workgen::generate(sources(), o);
    const std::string first = write(paper, enc);
    ReadResult r = readBytes(first);
    ASSERT_NE(r.paper, nullptr) << "encoding " << enc << ": code " << r.code << " at line " << r.line;
    EXPECT_EQ(r.paper->encoding, enc);
    const std::string second = write(*r.paper);
    ASSERT_EQ(second.size(), first.size()) << "encoding " << enc;
    EXPECT_TRUE(second == first) << "encoding " << enc;
  }
}

TEST_P(GeneratedRoundTrip, ReadWriteReadKeepsTheModel) {
  workgen::Options o;
  o.seed = GetParam();
  o.pages = 14;
  COcrPaper generated = workgen::generate(sources(), o);
  const ReadResult a = readBytes(write(generated));
  ASSERT_NE(a.paper, nullptr);
  COcrPaper copy = *a.paper;  // writing changes link ids in the model; compare against a copy
  const ReadResult b = readBytes(write(copy));
  ASSERT_NE(b.paper, nullptr);
  EXPECT_EQ(diffPapers(*a.paper, *b.paper), "");
  // And the generated model itself came through whole (the generator states
  // every box, every size and links).
  DiffOptions o2;
  o2.blockIndex = false;
  o2.linkIds = false;
  EXPECT_EQ(diffPapers(generated, *a.paper, o2), "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedRoundTrip, ::testing::Values(1, 2, 3, 77));

TEST(RoundTrip, OnlyTheDocumentedDifferencesAppear) {
  const std::u16string body =
      u"  <page number=\"4\" file=\"a.tif\" upperpage=\"12\" lowerpage=\"3\" wareki=\"45\" year=\"1912\" month=\"7\""
      u" volume=\"2\" dpi=\"300\" width=\"800\" height=\"900\">\n"
      u"    <block type=\"text\" direction=\"horizontal\" x=\"10\" y=\"20\" width=\"300\" height=\"100\" sec=\"note\""
      u" index=\"5\">\n"
      u"      <line x=\"10\" y=\"10\" width=\"100\" height=\"10\" attr=\"ruby\" LID=\"7\" RLID=\"8\" RCS=\"1\""
      u" RCE=\"2\">\n"
      u"        <char x=\"10\" y=\"10\" width=\"10\" height=\"10\" num_cand=\"0\"><result>る</result></char>\n"
      u"      </line>\n"
      u"      <line x=\"10\" y=\"20\" width=\"100\" height=\"50\" attr=\"\" LID=\"8\">\n"
      u"        <char x=\"-1\" y=\"-1\" width=\"0\" height=\"0\" num_cand=\"0\"><result>字</result></char>\n"
      u"        <char x=\"30\" y=\"20\" width=\"40\" height=\"40\" num_cand=\"0\"><result>字</result></char>\n"
      u"      </line>\n"
      u"    </block>\n"
      u"  </page>\n";
  const ReadResult a = readBytes(workFile(body));
  ASSERT_NE(a.paper, nullptr);
  COcrPaper copy = *a.paper;
  const ReadResult b = readBytes(write(copy));
  ASSERT_NE(b.paper, nullptr);
  const COcrPage& pa = a.paper->pages.front();
  const COcrPage& pb = b.paper->pages.front();
  EXPECT_EQ(pa.number, 4);
  EXPECT_EQ(pb.number, 1);  // renumbered
  for (int v : {pb.upperpage, pb.lowerpage, pb.wareki, pb.year, pb.month, pb.volume}) EXPECT_EQ(v, 0);
  EXPECT_EQ(pb.blocks.front().index, 0);  // not written
  const COcrLine& baseB = pb.blocks.front().lines.back();
  EXPECT_EQ(pb.blocks.front().lines.front().baseLine, &baseB);  // the link survives
  EXPECT_EQ(baseB.chars.front().x, 10);                         // synthetic box now stored
  EXPECT_EQ(baseB.chars.front().y, 25);
  EXPECT_EQ(pa.blocks.front().lines.back().chars.front().x, -1);
  // Everything else is the same.
  DiffOptions o;
  o.pageNumbers = o.unwrittenPageFields = o.blockIndex = o.linkIds = false;
  COcrPaper expected = *a.paper;
  COcrChar& synth = expected.pages.front().blocks.front().lines.back().chars.front();
  synth.x = 10, synth.y = 25, synth.width = 40, synth.height = 40;
  EXPECT_EQ(diffPapers(expected, *b.paper, o), "");
}

}  // namespace
}  // namespace lexova::vuzozoviv
