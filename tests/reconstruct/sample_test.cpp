// Reconstruction of the bundled documents as a person would check the result: the
// columns of a page read as one flow, headings stay apart, paragraphs start with
// their indentation and end with a line end where the printed page ends them,
// and ruby stays on its characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "document/lifecycle/open_paper.h"
#include "io/byte_io.h"
#include "reconstruct/page_pass.h"
#include "support/invariants.h"
#include "support/page_builder.h"
#include "text/utf.h"

namespace lexova::reconstruct {
namespace {

using lexova::testing::brokenInvariant;
using lexova::testing::lineText;

std::unique_ptr<COcrPaper> openSample(const std::string& name) {
  OpenedPaper opened = openPaper(LEXOVA_SOURCE_DIR "/samples/" + name, {});
  EXPECT_NE(opened.read.paper, nullptr) << name;
  return std::move(opened.read.paper);
}

bool isBreak(const COcrChar& c) {
  return c.code[0] == u'\r' && c.code[1] == 0;
}

// Leading spaces of a line.
int indentOf(const COcrLine& l) {
  int n = 0;
  for (const COcrChar& c : l.chars) {
    if (c.code[0] != u' ') break;
    ++n;
  }
  return n;
}

TEST(BundledSample, ColumnsMergeHeadingsStayApartParagraphsAndRubyComeOut) {
  const auto paper = openSample("kumono_ito.xml");
  ASSERT_NE(paper, nullptr);
  std::map<int, int> sectionsBefore;
  for (const COcrPage& p : paper->pages) {
    for (const COcrBlock& b : p.blocks) ++sectionsBefore[b.sec];
  }
  const Reconstruction r = ReconstructAllPages(*paper, true, {});
  EXPECT_EQ(brokenInvariant(*paper), "");
  // The pages set in two columns are the ones whose blocks merged; only body
  // blocks did (titles, authors, pillars and page numbers stay as many as they were).
  EXPECT_EQ(r.pagesMerged, (std::vector<int>{2, 4, 5}));
  std::map<int, int> sectionsAfter;
  for (const COcrPage& p : paper->pages) {
    for (const COcrBlock& b : p.blocks) ++sectionsAfter[b.sec];
  }
  EXPECT_EQ(sectionsAfter[kSecText], sectionsBefore[kSecText] - 3);
  sectionsAfter.erase(kSecText);
  sectionsBefore.erase(kSecText);
  EXPECT_EQ(sectionsAfter, sectionsBefore);
  const COcrPage& first = paper->pages.front();
  EXPECT_EQ(lineText(std::next(first.blocks.begin(), 2)->lines.front()), u"蜘蛛の糸");
  EXPECT_EQ(lineText(std::next(first.blocks.begin(), 3)->lines.front()), u"芥川龍之介");

  int paragraphs = 0, breaksBeforeRuby = 0, indentedWithRuby = 0;
  for (const COcrPage& p : paper->pages) {
    for (const COcrBlock& b : p.blocks) {
      if (b.type != kBlockText || b.sec != kSecText) continue;
      const COcrLine* previousBody = nullptr;
      bool annotationBetween = false;
      for (const COcrLine& l : b.lines) {
        if (l.attr != kAttrNone) {
          annotationBetween = true;
          // Ruby over an indented line covers its characters, never its spaces.
          if (l.baseLine && indentOf(*l.baseLine) > 0) {
            EXPECT_GT(l.RCS, indentOf(*l.baseLine)) << text::toUtf8(lineText(*l.baseLine));
            ++indentedWithRuby;
          }
          continue;
        }
        // A line end closes a paragraph only where the next line starts one
        // (indented), and the line before an indented one ends its paragraph.
        const bool ended = previousBody && !previousBody->chars.empty() && isBreak(previousBody->chars.back()) &&
                           lineText(*previousBody) != u"\r";
        if (ended) {
          ++paragraphs;
          breaksBeforeRuby += annotationBetween;
          EXPECT_GT(indentOf(l), 0) << "a break before " << text::toUtf8(lineText(l));
        }
        if (previousBody && indentOf(l) > 0 && indentOf(l) < static_cast<int>(l.chars.size())) {
          const std::u16string before = lineText(*previousBody);
          if (before.ends_with(u"。") || before.ends_with(u"」"))
            ADD_FAILURE() << "no break after " << text::toUtf8(before);
        }
        previousBody = &l;
        annotationBetween = false;
      }
    }
  }
  EXPECT_GT(paragraphs, 10);
  EXPECT_GT(breaksBeforeRuby, 2);
  EXPECT_GT(indentedWithRuby, 2);
}

// The demo article's paragraphs as printed: the Aozora text it was set from, ruby
// and notes removed, one paragraph a line.
std::vector<std::u16string> sourceParagraphs() {
  const std::u16string all = text::fromUtf8(io::readFile(LEXOVA_SOURCE_DIR "/samples/demo/rashomon.aozora.txt"));
  const std::u16string from = u"　ある日の暮方", to = u"多分女の死骸であろう。";
  const std::u16string story = all.substr(all.find(from), all.find(to) + to.size() - all.find(from));
  std::vector<std::u16string> out;
  std::u16string p;
  bool inRuby = false;
  for (const char16_t c : story) {
    if (c == u'《') inRuby = true;
    if (!inRuby && c != u'｜' && c != u'\r') p += c;
    if (c == u'》') inRuby = false;
    if (c == u'\n') {
      p.pop_back();
      out.push_back(p);
      p.clear();
    }
  }
  out.push_back(p);
  return out;
}

TEST(DemoDocument, EveryLineEndFallsWhereAPrintedParagraphEnds) {
  const auto paper = openSample("rashomon.xml");
  ASSERT_NE(paper, nullptr);
  ReconstructAllPages(*paper, true, {});
  EXPECT_EQ(brokenInvariant(*paper), "");
  // The body text of the story as the flow now reads, page after page (the last
  // page is an editor's note).
  std::u16string flow;
  for (const COcrPage& p : paper->pages) {
    if (&p == &paper->pages.back()) break;
    for (const COcrBlock& b : p.blocks) {
      if (b.sec != kSecText) continue;
      for (const COcrLine& l : b.lines) {
        if (l.attr == kAttrNone) flow += lineText(l);
      }
    }
  }
  // Where each printed paragraph begins: its first characters after the indentation.
  std::set<std::u16string> starts;
  for (const std::u16string& p : sourceParagraphs()) starts.insert(p.substr(1, 6));
  // Recognition errors may touch a paragraph's first characters: four of six will do.
  auto beginsAParagraph = [&](std::u16string_view s) {
    return std::any_of(starts.begin(), starts.end(), [&](const std::u16string& start) {
      int same = 0;
      for (std::size_t i = 0; i < start.size() && i < s.size(); ++i) same += start[i] == s[i];
      return same >= 4;
    });
  };
  int breaks = 0;
  for (std::size_t at = flow.find(u'\r'); at != std::u16string::npos; at = flow.find(u'\r', at + 1)) {
    ++breaks;
    const std::u16string next = flow.substr(at + 1, 7);
    // One space of indentation, then the first words of a printed paragraph.
    ASSERT_EQ(next.substr(0, 1), u" ") << text::toUtf8(flow.substr(at > 20 ? at - 20 : 0, 40));
    EXPECT_TRUE(beginsAParagraph(next.substr(1))) << text::toUtf8(next);
  }
  // Fourteen paragraphs, so thirteen ends before the last: one ends in a misread
  // "。" (recognised as "○"), one at the foot of a page, where a page's flow
  // ends without a line end; each of the others has its line end.
  EXPECT_EQ(breaks, 11);
}

}  // namespace
}  // namespace lexova::reconstruct
