// Our PDFs as real readers take them: qpdf finds nothing to warn about, poppler
// and MuPDF give the text back line for line with no space pushed between
// characters, and every page renders. The readers are installed by
// scripts/install-deps.sh; a missing one fails the test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../bench/workgen/workgen.h"
#include "document/lifecycle/open_paper.h"
#include "document/lifecycle/page_images.h"
#include "export/pdf/pdf_export.h"
#include "export/pdf/pdf_records.h"
#include "host/scripted_host.h"
#include "imaging/pict_info.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/utf.h"

namespace lexova::pdf {
namespace {

struct ToolRun {
  int status = -1;
  std::string output;  // standard output and error
};

ToolRun run(const std::string& command) {
  ToolRun r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string quoted(const std::filesystem::path& p) {
  return "'" + p.string() + "'";
}

// Readers give vertical punctuation back in its vertical presentation form, and
// a few characters as a look-alike of their own.
std::u16string normalized(std::u16string_view s) {
  static const std::u16string kFrom = u"︐︑︒︓︔︕︖︗︘︙︰︱︲︳︴︵︶︷︸︹︺︻︼︽︾︿﹀﹁﹂﹃﹄ʼ—";
  static const std::u16string kTo = u"，、。：；！？〖〗…‥―–__（）｛｝〔〕【】《》〈〉「」『』’―";
  std::u16string out;
  for (const char16_t c : s) {
    const std::size_t at = kFrom.find(c);
    out.push_back(at == std::u16string::npos ? c : kTo[at]);
  }
  return out;
}

std::u16string withoutSpaces(std::u16string_view s) {
  std::u16string out;
  for (const char16_t c : s) {
    if (c != u' ' && c != u'\u3000') out.push_back(c);
  }
  return out;
}

// Whether every character of the line maps back to itself through the Japanese
// character collection (JIS X 0208 and ASCII).
bool collectionCharacters(std::u16string_view line) {
  for (const char16_t c : line) {
    std::uint8_t b[2];
    const int n = text::encodeUnit(c, text::Encoding::ShiftJis, b);
    if (n == 0 || (n == 1 && c >= 0x80) || (n == 2 && (b[0] == 0x87 || b[0] >= 0xED))) return false;
  }
  return true;
}

// A line of the model as a reader should give it back. Body lines and cells must
// come back exactly, with no space pushed between their characters; ruby lines
// are set beside their base text, where a reader may take them apart.
struct Expected {
  std::u16string text;
  bool exact;
};

std::vector<Expected> expectedLines(const COcrPaper& paper) {
  std::vector<Expected> out;
  auto take = [&](const COcrLine& line, bool exact) {
    std::u16string t;
    for (const COcrChar& c : line.chars) {
      for (const char16_t u : codeText(c.code)) {
        if (u != u'\r' && u != u'\t' && u != u'\n') t.push_back(u);
      }
    }
    if (t.size() >= 2 && t.find_first_of(u" \u3000") == std::u16string::npos && collectionCharacters(t)) {
      out.push_back({normalized(t), exact});
    }
  };
  for (const COcrPage& page : paper.pages) {
    for (const COcrBlock& block : page.blocks) {
      if (block.type == kBlockText) {
        for (const COcrLine& line : block.lines) take(line, line.attr == kAttrNone);
      } else if (block.type == kBlockTable) {
        for (const COcrCell& cell : block.cells) {
          for (const COcrLine& line : cell.lines) take(line, line.attr == kAttrNone);
        }
      }
    }
  }
  return out;
}

// How strictly a reader's text is held to the lines.
enum class Check {
  Strict,      // exact lines verbatim, the rest with spaces ignored
  Exact,       // as Strict, but a line with a colon may lose it (poppler)
  Characters,  // every line's characters in order, spaces ignored (poppler)
};

// Lines of `expected` that appear in no line of the reader's text.
std::vector<std::string> missing(const std::vector<Expected>& expected, const std::string& readerText, Check check) {
  std::vector<std::u16string> got, gotLoose, gotNoColon;
  std::istringstream in(readerText);
  for (std::string l; std::getline(in, l);) {
    got.push_back(normalized(text::fromUtf8(l)));
    gotLoose.push_back(withoutSpaces(got.back()));
    gotNoColon.push_back(gotLoose.back());
    std::erase(gotNoColon.back(), u'：');
  }
  std::vector<std::string> out;
  for (const Expected& e : expected) {
    // Poppler's character maps give the vertical colon no Unicode: it comes back
    // as a space.
    const bool colon = check != Check::Strict && e.text.find(u'：') != std::u16string::npos;
    const bool exact = e.exact && check != Check::Characters && !colon;
    std::u16string want = exact ? e.text : withoutSpaces(e.text);
    if (colon) std::erase(want, u'：');
    const auto& lines = exact ? got : (colon ? gotNoColon : gotLoose);
    const bool found =
        std::any_of(lines.begin(), lines.end(), [&](const std::u16string& g) { return g.find(want) != g.npos; });
    if (!found) out.push_back(text::toUtf8(e.text));
  }
  return out;
}

std::string listed(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += "\n  " + l;
  return all;
}

void checkWithReaders(const COcrPaper& paper, const testing::TempDir& dir, const std::string& name,
                      Check popplerCheck) {
  const auto pdf = dir / (name + ".pdf");
  ScriptedHost host;
  PdfExportOptions options;
  options.information = {u"題", u"", u"著者", u""};
  ASSERT_EQ(ExportTextPdf(paper, text::fromUtf8(pdf.string()), 0, -1, options, host), 1);
  ASSERT_TRUE(host.messages.empty());
  const int pages = static_cast<int>(paper.pages.size());

  const ToolRun check = run("qpdf --check " + quoted(pdf));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find("No syntax or stream encoding errors"), std::string::npos) << check.output;
  EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;

  const std::vector<Expected> expected = expectedLines(paper);
  ASSERT_GT(expected.size(), 10u);

  const ToolRun mupdf = run("mutool draw -q -F txt -o - " + quoted(pdf));
  ASSERT_EQ(mupdf.status, 0) << mupdf.output;
  const auto lostByMupdf = missing(expected, mupdf.output, Check::Strict);
  EXPECT_TRUE(lostByMupdf.empty()) << lostByMupdf.size() << " of " << expected.size()
                                   << " lines not given back by mutool:" << listed(lostByMupdf);

  const ToolRun poppler = run("pdftotext -enc UTF-8 " + quoted(pdf) + " -");
  ASSERT_EQ(poppler.status, 0) << poppler.output;
  const auto lostByPoppler = missing(expected, poppler.output, popplerCheck);
  EXPECT_TRUE(lostByPoppler.empty()) << lostByPoppler.size() << " of " << expected.size()
                                     << " lines not given back by pdftotext:" << listed(lostByPoppler);

  const auto images = dir / (name + "-page");
  const ToolRun render = run("pdftoppm -r 12 -png " + quoted(pdf) + " " + quoted(images));
  EXPECT_EQ(render.status, 0) << render.output;
  EXPECT_EQ(render.output.find("Error"), std::string::npos) << render.output;
  int rendered = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    if (e.path().filename().string().rfind(name + "-page", 0) == 0) ++rendered;
  }
  EXPECT_EQ(rendered, pages);
}

TEST(PdfReaders, TheBundledSampleReadsBackInEveryReader) {
  testing::TempDir dir;
  settings::SettingsValues defaults;
  OpenedPaper opened = openPaper(LEXOVA_SOURCE_DIR "/samples/rashomon.xml", settings::reconstructionOptions(defaults));
  ASSERT_TRUE(opened.read.paper);
  checkWithReaders(*opened.read.paper, dir, "sample", Check::Exact);
}

TEST(PdfReaders, GeneratedPagesWithTablesLatinAndChineseReadBack) {
  testing::TempDir dir;
  workgen::Options o;
  o.seed = 7;
  o.pages = 6;
  COcrPaper paper = workgen::generate(workgen::bundledSources(LEXOVA_SOURCE_DIR "/samples/aozora"), o);
  // A page with a Latin paragraph and a Traditional Chinese one.
  COcrPage& first = paper.pages.emplace_back();
  first.number = static_cast<int>(paper.pages.size());
  first.width = 2480;
  first.height = 3508;
  first.dpi = 400;
  for (const auto& [langId, text] : {std::pair<int, std::u16string>{0, u"Corrected text, exported as PDF."},
                                     std::pair<int, std::u16string>{136, u"繁體中文的段落"}}) {
    COcrBlock& b = first.blocks.emplace_back();
    b.langId = langId;
    COcrLine& line = b.lines.emplace_back();
    int x = 300;
    for (const char16_t c : text) {
      COcrChar& ch = line.chars.emplace_back();
      ch.code = makeCode(c);
      ch.x = x;
      ch.y = langId == 0 ? 400 : 500;
      ch.width = c < 0x80 ? 22 : 44;
      ch.height = 44;
      x += ch.width + 2;
    }
  }
  // Poppler's layout analysis sometimes takes a column that starts near the top
  // of a page apart into one word per character; MuPDF is held to exact lines.
  checkWithReaders(paper, dir, "generated", Check::Characters);
  // Poppler keeps Latin words whole: no "C o r r e c t e d".
  const std::string last = std::to_string(paper.pages.size());
  const ToolRun poppler =
      run("pdftotext -enc UTF-8 -f " + last + " -l " + last + " " + quoted(dir / "generated.pdf") + " -");
  EXPECT_NE(poppler.output.find("Corrected text, exported as PDF."), std::string::npos) << poppler.output;
  EXPECT_NE(poppler.output.find("繁體中文的段落"), std::string::npos);
}

// ---- the image PDFs ------------------------------------------------------------------

// A picture as gray levels on a coarse grid: what a person sees at a glance.
std::vector<double> grid(const imaging::CPICT_INFO& p, int columns = 24, int rows = 32) {
  std::vector<double> sum(static_cast<std::size_t>(columns * rows), 0), count(sum.size(), 0);
  for (int y = 0; y < p.Height; ++y) {
    for (int x = 0; x < p.Width; ++x) {
      const std::uint32_t v = imaging::pixelAt(p, x, y);
      const double gray = p.BitCount == 1 ? (v ? 0 : 255) : (p.BitCount == 8 ? v : (v >> 8) & 255);
      const std::size_t cell = static_cast<std::size_t>(y * rows / p.Height * columns + x * columns / p.Width);
      sum[cell] += gray;
      count[cell] += 1;
    }
  }
  for (std::size_t i = 0; i < sum.size(); ++i) sum[i] = count[i] > 0 ? sum[i] / count[i] : 255;
  return sum;
}

double gridDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += std::fabs(a[i] - b[i]);
  return d / static_cast<double>(a.size());
}

// How far a reader's render of one page lies from the page image, and from the
// image turned upside down and from its negative (which it must not look like).
struct Likeness {
  double same, upsideDown, negative;
};

Likeness compareRender(const std::string& renderPng, const imaging::CPICT_INFO& page) {
  imaging::CPICT_INFO shown;
  shown.FileName = renderPng;
  EXPECT_EQ(imaging::LoadImageFileProc(shown), 1) << renderPng;
  const auto want = grid(page), got = grid(shown);
  imaging::CPICT_INFO turned = page;
  imaging::MIMakeRotatedImage(turned, 180);
  std::vector<double> negative = want;
  for (double& v : negative) v = 255 - v;
  return {gridDifference(want, got), gridDifference(grid(turned), got), gridDifference(negative, got)};
}

// The images pdfimages lists: page, type, width, height, colour, bits, x-ppi.
struct Listed {
  int page;
  std::string type, colour;
  int width, height, bits;
  std::string ppi;
};

std::vector<Listed> listImages(const std::filesystem::path& pdf) {
  const ToolRun r = run("pdfimages -list " + quoted(pdf));
  EXPECT_EQ(r.status, 0) << r.output;
  std::vector<Listed> out;
  std::istringstream in(r.output);
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream f(line);
    Listed l;
    std::string num, comp, enc, interp, object, id;
    f >> l.page >> num >> l.type >> l.width >> l.height >> l.colour >> comp >> l.bits >> enc >> interp >> object >>
        id >> l.ppi;
    out.push_back(l);
  }
  return out;
}

// Every character of the pages' lines is in the reader's text, spaces aside: the
// invisible layer carries the page's text.
double textCoverage(const COcrPaper& paper, const std::string& readerText) {
  std::u16string got = withoutSpaces(normalized(text::fromUtf8(readerText)));
  std::vector<int> have(65536, 0);
  for (const char16_t c : got) ++have[c];
  long total = 0, found = 0;
  for (const Expected& e : expectedLines(paper)) {
    for (const char16_t c : withoutSpaces(e.text)) {
      ++total;
      if (have[c] > 0) {
        --have[c];
        ++found;
      }
    }
  }
  return total > 0 ? static_cast<double>(found) / static_cast<double>(total) : 0;
}

TEST(PdfReaders, ImagePdfsShowThePageRightSideUpAndCarryItsText) {
  testing::TempDir dir;
  settings::SettingsValues defaults;
  const std::string work = LEXOVA_SOURCE_DIR "/samples/rashomon.xml";
  OpenedPaper opened = openPaper(work, settings::reconstructionOptions(defaults));
  ASSERT_TRUE(opened.read.paper);
  COcrPaper& paper = *opened.read.paper;
  PdfExportOptions options;
  options.imageQuality = 1;
  options.pageImages = [work](const COcrPage& page) {
    return text::toUtf8(resolvePageImage(page, u"", text::fromUtf8(work)));
  };
  const auto pdf = dir / "image.pdf";
  ScriptedHost host;
  PdfExportReport report;
  ASSERT_EQ(ExportImagePdf(paper, text::fromUtf8(pdf.string()), 0, -1, false, options, host, &report), 1);
  EXPECT_TRUE(report.pagesWithoutImage.empty());
  const ToolRun check = run("qpdf --check " + quoted(pdf));
  EXPECT_EQ(check.status, 0) << check.output;
  const auto images = listImages(pdf);
  ASSERT_EQ(images.size(), paper.pages.size());  // one picture a page
  for (const Listed& l : images) EXPECT_NE(l.ppi, "inf");

  // Page 2 as poppler and MuPDF draw it, against its scan.
  imaging::CPICT_INFO scan;
  scan.FileName = LEXOVA_SOURCE_DIR "/samples/rashomon/p02.tif";
  ASSERT_EQ(imaging::LoadImageFileProc(scan), 1);
  ASSERT_EQ(run("pdftoppm -r 40 -f 2 -l 2 -gray -png " + quoted(pdf) + " " + quoted(dir / "poppler")).status, 0);
  ASSERT_EQ(run("mutool draw -q -r 40 -c gray -o " + quoted(dir / "mupdf.png") + " " + quoted(pdf) + " 2").status, 0);
  for (const std::string& render : {(dir / "poppler-2.png").string(), (dir / "mupdf.png").string()}) {
    const Likeness l = compareRender(render, scan);
    EXPECT_LT(l.same, 8) << render;
    EXPECT_GT(l.upsideDown, 2 * l.same + 4) << render;
    EXPECT_GT(l.negative, 100) << render;
  }
  EXPECT_GT(textCoverage(paper, run("pdftotext -enc UTF-8 " + quoted(pdf) + " -").output), 0.98);
  EXPECT_GT(textCoverage(paper, run("mutool draw -q -F txt -o - " + quoted(pdf)).output), 0.98);

  // A gray scan of the same page (drawn at 400 dpi from the first PDF): the
  // high-compression PDF is a painted-out background under character masks.
  ASSERT_EQ(run("pdftoppm -r 400 -f 2 -l 2 -gray -png " + quoted(pdf) + " " + quoted(dir / "gray")).status, 0);
  COcrPaper one;
  auto second = std::next(paper.pages.begin());
  one.pages.splice(one.pages.end(), paper.pages, second);
  one.standardDpi = 400;
  COcrPage& page = one.pages.front();
  const std::string grayScan = (dir / "gray-2.png").string();
  options.pageImages = [grayScan](const COcrPage&) { return grayScan; };
  const auto compact = dir / "compact.pdf", whole = dir / "whole.pdf";
  ASSERT_EQ(ExportImagePdf(one, text::fromUtf8(compact.string()), 0, 0, true, options, host), 1);
  ASSERT_EQ(ExportImagePdf(one, text::fromUtf8(whole.string()), 0, 0, false, options, host), 1);
  EXPECT_EQ(run("qpdf --check " + quoted(compact)).status, 0);
  const auto layers = listImages(compact);
  ASSERT_GE(layers.size(), 2u);
  EXPECT_EQ(layers[0].type, "image");
  EXPECT_EQ(layers[0].colour, "gray");
  for (std::size_t i = 1; i < layers.size(); ++i) {
    EXPECT_EQ(layers[i].type, "stencil");
    EXPECT_NE(layers[i].ppi, "inf");
  }
  EXPECT_GE(std::filesystem::file_size(whole), 4 * std::filesystem::file_size(compact))
      << std::filesystem::file_size(whole) << " vs " << std::filesystem::file_size(compact);
  imaging::CPICT_INFO gray;
  gray.FileName = grayScan;
  ASSERT_EQ(imaging::LoadImageFileProc(gray), 1);
  ASSERT_EQ(run("pdftoppm -r 40 -gray -png " + quoted(compact) + " " + quoted(dir / "compact")).status, 0);
  const Likeness l = compareRender((dir / "compact-1.png").string(), gray);
  EXPECT_LT(l.same, 8);
  EXPECT_GT(l.negative, 100);
  EXPECT_GT(textCoverage(one, run("pdftotext -enc UTF-8 " + quoted(compact) + " -").output), 0.98);
  (void)page;
}

}  // namespace
}  // namespace lexova::pdf
