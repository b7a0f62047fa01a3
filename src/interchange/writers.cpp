// The writers of hOCR (Tesseract's form), ALTO 4.4 and PAGE 2019-07-15 from the
// model: words are the runs between spaces (or the source's words, where the
// characters remember them), characters keep their boxes, typed characters get
// boxes from their neighbours.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "interchange/interchange.h"

namespace lexova::interchange {
namespace {

std::string escape(std::u16string_view text) {
  std::string out;
  for (const char c : toUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // Control characters other than tab, LF and CR are not XML.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
        out += c;
    }
  }
  return out;
}

std::string num(long long v) {
  return std::to_string(v);
}

std::string fixed2(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

bool isSpaceCode(const CharCode& c) {
  return c[0] == u' ' || c[0] == 0x3000 || c[0] == u'\t';
}
bool isBreakCode(const CharCode& c) {
  return c[0] == u'\r' || c[0] == u'\n';
}

struct Word {
  std::vector<const COcrChar*> chars;
  std::vector<Box> boxes;
  Box box;
  std::u16string text;
  std::uint16_t cc = 10;
};

// The words of a line: runs between spaces; in a line of CJK text without the
// source's words, the whole line; where characters remember the source's words,
// those.
std::vector<Word> wordsOf(const COcrLine& line, bool vertical) {
  const std::vector<Box> boxes = characterBoxes(line, vertical);
  bool sourceWords = false;
  for (const COcrChar& c : line.chars) sourceWords = sourceWords || c.wordStart;
  std::vector<Word> words;
  Word current;
  const auto flush = [&] {
    if (!current.chars.empty()) words.push_back(std::move(current));
    current = Word{};
  };
  std::size_t i = 0;
  for (const COcrChar& c : line.chars) {
    const Box b = boxes[i++];
    if (isSpaceCode(c.code) || isBreakCode(c.code)) {
      flush();
      continue;
    }
    // Without the source's words a word runs to the next space (a CJK line: the whole line).
    if (sourceWords && c.wordStart != 0) flush();
    current.chars.push_back(&c);
    current.boxes.push_back(b);
    current.box = unite(current.box, b);
    current.text += codeText(c.code);
    current.cc = std::min(current.cc, c.CC);
  }
  flush();
  return words;
}

Box lineBox(const COcrLine& l) {
  return {l.x, l.y, l.width, l.height};
}
Box blockBox(const COcrBlock& b) {
  return {b.x, b.y, b.width, b.height};
}

// hOCR's corners of a box: "x0 y0 x1 y1".
std::string corners(const Box& b) {
  return num(b.x) + " " + num(b.y) + " " + num(b.x + b.width) + " " + num(b.y + b.height);
}
std::string hocrBox(const Box& b) {
  return "bbox " + corners(b);
}

std::string altoBox(const Box& b) {
  return "HPOS=\"" + num(b.x) + "\" VPOS=\"" + num(b.y) + "\" WIDTH=\"" + num(b.width) + "\" HEIGHT=\"" +
         num(b.height) + "\"";
}

std::string points(const Box& b) {
  const long long x0 = std::max(0LL, b.x), y0 = std::max(0LL, b.y);
  const long long x1 = std::max(x0, b.x + b.width), y1 = std::max(y0, b.y + b.height);
  return "<Coords points=\"" + num(x0) + "," + num(y0) + " " + num(x1) + "," + num(y0) + " " + num(x1) + "," + num(y1) +
         " " + num(x0) + "," + num(y1) + "\"/>";
}

std::u16string lineText(const COcrLine& l) {
  std::u16string t;
  for (const COcrChar& c : l.chars) {
    if (!isBreakCode(c.code)) t += codeText(c.code);
  }
  return t;
}

}  // namespace

std::vector<Box> characterBoxes(const COcrLine& line, bool vertical) {
  std::vector<Box> boxes;
  std::vector<bool> known;
  for (const COcrChar& c : line.chars) {
    const bool has = c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0;
    boxes.push_back(has ? Box{c.x, c.y, c.width, c.height} : Box{});
    known.push_back(has);
  }
  const Box whole = lineBox(line);
  const std::size_t n = boxes.size();
  std::size_t i = 0;
  while (i < n) {
    if (known[i]) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && !known[j]) ++j;
    // Characters i..j-1 have no box: the room between the known neighbours (or
    // the line's ends) is shared among them.
    const long long count = static_cast<long long>(j - i);
    const long long along0 =
        i > 0 ? (vertical ? boxes[i - 1].y + boxes[i - 1].height : boxes[i - 1].x + boxes[i - 1].width)
              : (vertical ? whole.y : whole.x);
    long long along1 =
        j < n ? (vertical ? boxes[j].y : boxes[j].x) : (vertical ? whole.y + whole.height : whole.x + whole.width);
    if (along1 <= along0) along1 = along0 + count;  // no room: a pixel each
    const Box& like = i > 0 ? boxes[i - 1] : (j < n ? boxes[j] : whole);
    for (long long k = 0; k < count; ++k) {
      const long long a0 = along0 + (along1 - along0) * k / count, a1 = along0 + (along1 - along0) * (k + 1) / count;
      Box b = vertical ? Box{like.x, a0, std::max(1LL, like.width), std::max(1LL, a1 - a0)}
                       : Box{a0, like.y, std::max(1LL, a1 - a0), std::max(1LL, like.height)};
      boxes[i + static_cast<std::size_t>(k)] = b;
    }
    i = j;
  }
  return boxes;
}

std::string writeHocr(const COcrPaper& paper) {
  std::string o;
  o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"\n"
       "    \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
       "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"ja\" lang=\"ja\">\n"
       " <head>\n  <title></title>\n"
       "  <meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"/>\n"
       "  <meta name='ocr-system' content='Lexova'/>\n"
       "  <meta name='ocr-capabilities' content='ocr_page ocr_carea ocr_par ocr_line ocrx_word ocrp_wconf'/>\n"
       " </head>\n <body>\n";
  int p = 0;
  for (const COcrPage& page : paper.pages) {
    ++p;
    const std::string pn = num(p);
    o += "  <div class='ocr_page' id='page_" + pn + "' title='image \"" +
         escape(page.fullpath.empty() ? page.file : page.fullpath) + "\"; " +
         hocrBox({0, 0, std::max(0, page.width), std::max(0, page.height)}) + "; ppageno " + num(p - 1);
    if (page.dpi > 0) o += "; scan_res " + num(page.dpi) + " " + num(page.dpi);
    o += "'>\n";
    int b = 0, l = 0, w = 0;
    for (const COcrBlock& block : page.blocks) {
      ++b;
      const std::string id = pn + "_" + num(b);
      if (block.type == kBlockImage || block.type == kBlockLine) {
        o += "   <div class='" + std::string(block.type == kBlockImage ? "ocr_photo" : "ocr_separator") +
             "' id='block_" + id + "' title=\"" + hocrBox(blockBox(block)) + "\"></div>\n";
        continue;
      }
      const bool vertical = block.direction == kVertical;
      o += "   <div class='ocr_carea' id='block_" + id + "' title=\"" + hocrBox(blockBox(block)) + "\">\n";
      o += "    <p class='ocr_par' id='par_" + id + "' lang='" + (vertical ? "jpn_vert" : "jpn") + "' title=\"" +
           hocrBox(blockBox(block)) + "\">\n";
      const auto lines = [&](const LineList& list) {
        for (const COcrLine& line : list) {
          ++l;
          o += "     <span class='ocr_line' id='line_" + pn + "_" + num(l) + "' title=\"" + hocrBox(lineBox(line)) +
               "\">\n";
          for (const Word& word : wordsOf(line, vertical)) {
            ++w;
            o += "      <span class='ocrx_word' id='word_" + pn + "_" + num(w) + "' title='" + hocrBox(word.box) +
                 "; x_wconf " + num(word.cc * 10) + "'>";
            for (std::size_t k = 0; k < word.chars.size(); ++k) {
              o += "<span class='ocrx_cinfo' title='x_bboxes " + corners(word.boxes[k]) + "; x_conf " +
                   num(word.chars[k]->CC * 10) + "'>" + escape(codeText(word.chars[k]->code)) + "</span>";
            }
            o += "</span>\n";
          }
          o += "     </span>\n";
        }
      };
      lines(block.lines);
      for (const COcrCell& cell : block.cells) lines(cell.lines);
      o += "    </p>\n   </div>\n";
    }
    o += "  </div>\n";
  }
  o += " </body>\n</html>\n";
  return o;
}

std::string writeAlto(const COcrPage& page, int pageIndex) {
  std::string o;
  o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<alto xmlns=\"http://www.loc.gov/standards/alto/ns-v4#\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
       "xsi:schemaLocation=\"http://www.loc.gov/standards/alto/ns-v4# "
       "http://www.loc.gov/alto/v4/alto-4-4.xsd\">\n"
       "  <Description>\n    <MeasurementUnit>pixel</MeasurementUnit>\n";
  o += "    <sourceImageInformation>\n      <fileName>" + escape(page.fullpath.empty() ? page.file : page.fullpath) +
       "</fileName>\n    </sourceImageInformation>\n";
  o += "    <OCRProcessing ID=\"OCR_0\">\n      <ocrProcessingStep>\n        <processingSoftware>\n"
       "          <softwareName>Lexova</softwareName>\n        </processingSoftware>\n      </ocrProcessingStep>\n"
       "    </OCRProcessing>\n  </Description>\n  <Layout>\n";
  const long long w = std::max(1, page.width), h = std::max(1, page.height);
  o += "    <Page WIDTH=\"" + num(w) + "\" HEIGHT=\"" + num(h) + "\" PHYSICAL_IMG_NR=\"" + num(pageIndex + 1) +
       "\" ID=\"page_" + num(pageIndex) + "\">\n";
  o += "      <PrintSpace HPOS=\"0\" VPOS=\"0\" WIDTH=\"" + num(w) + "\" HEIGHT=\"" + num(h) + "\">\n";
  int b = 0, l = 0, s = 0, g = 0;
  for (const COcrBlock& block : page.blocks) {
    const std::string id = num(b++);
    if (block.type == kBlockImage || block.type == kBlockLine) {
      o += "        <" + std::string(block.type == kBlockImage ? "Illustration" : "GraphicalElement") + " ID=\"block_" +
           id + "\" " + altoBox(blockBox(block)) + "/>\n";
      continue;
    }
    const bool vertical = block.direction == kVertical;
    std::vector<const COcrLine*> lines;
    for (const COcrLine& line : block.lines) lines.push_back(&line);
    for (const COcrCell& cell : block.cells) {
      for (const COcrLine& line : cell.lines) lines.push_back(&line);
    }
    if (lines.empty()) {
      o += "        <TextBlock ID=\"block_" + id + "\" " + altoBox(blockBox(block)) + "/>\n";
      continue;
    }
    o += "        <TextBlock ID=\"block_" + id + "\" " + altoBox(blockBox(block)) + " BASEDIRECTION=\"" +
         (vertical ? "ttb" : "ltr") + "\">\n";
    for (const COcrLine* line : lines) {
      const std::vector<Word> words = wordsOf(*line, vertical);
      if (words.empty()) continue;  // a TextLine needs a String
      o += "          <TextLine ID=\"line_" + num(l++) + "\" " + altoBox(lineBox(*line)) + ">\n";
      bool first = true;
      for (const Word& word : words) {
        if (!first) o += "            <SP/>\n";
        first = false;
        std::string cc;
        for (const COcrChar* c : word.chars) {
          if (!cc.empty()) cc += ' ';
          cc += num(std::clamp(9 - static_cast<int>(std::lround(c->CC * 0.9)), 0, 9));
        }
        o += "            <String ID=\"string_" + num(s++) + "\" " + altoBox(word.box) + " CONTENT=\"" +
             escape(word.text) + "\" WC=\"" + fixed2(confidenceOf(word.cc)) + "\" CC=\"" + cc + "\">\n";
        for (std::size_t k = 0; k < word.chars.size(); ++k) {
          const COcrChar& c = *word.chars[k];
          o += "              <Glyph ID=\"glyph_" + num(g++) + "\" " + altoBox(word.boxes[k]) + " CONTENT=\"" +
               escape(codeText(c.code)) + "\" GC=\"" + fixed2(confidenceOf(c.CC)) + "\"";
          if (c.num_cand() > 1) {
            o += ">\n";
            for (int i = 0; i < c.num_cand(); ++i) {
              const COcrCand cand = c.cand(i);
              if (cand.code == c.code || codeLength(cand.code) == 0) continue;
              o += "                <Variant CONTENT=\"" + escape(codeText(cand.code)) + "\" VC=\"" +
                   fixed2(confidenceOf(cand.CC)) + "\"/>\n";
            }
            o += "              </Glyph>\n";
          } else {
            o += "/>\n";
          }
        }
        o += "            </String>\n";
      }
      o += "          </TextLine>\n";
    }
    o += "        </TextBlock>\n";
  }
  o += "      </PrintSpace>\n    </Page>\n  </Layout>\n</alto>\n";
  return o;
}

std::string writePage(const COcrPage& page, std::string_view created) {
  std::string o;
  o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15\" "
       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
       "xsi:schemaLocation=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15 "
       "http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15/pagecontent.xsd\">\n";
  o += "  <Metadata>\n    <Creator>Lexova</Creator>\n    <Created>" + std::string(created) +
       "</Created>\n    <LastChange>" + std::string(created) + "</LastChange>\n  </Metadata>\n";
  o += "  <Page imageFilename=\"" + escape(page.fullpath.empty() ? page.file : page.fullpath) + "\" imageWidth=\"" +
       num(std::max(1, page.width)) + "\" imageHeight=\"" + num(std::max(1, page.height)) + "\">\n";
  if (!page.blocks.empty()) {
    o += "    <ReadingOrder>\n      <OrderedGroup id=\"ro_1\">\n";
    for (std::size_t i = 0; i < page.blocks.size(); ++i) {
      o += "        <RegionRefIndexed index=\"" + num(static_cast<long long>(i)) + "\" regionRef=\"r_" +
           num(static_cast<long long>(i + 1)) + "\"/>\n";
    }
    o += "      </OrderedGroup>\n    </ReadingOrder>\n";
  }
  int r = 0, l = 0, w = 0, g = 0;
  for (const COcrBlock& block : page.blocks) {
    const std::string id = "r_" + num(++r);
    if (block.type == kBlockImage || block.type == kBlockLine) {
      const char* kind = block.type == kBlockImage ? "ImageRegion" : "SeparatorRegion";
      o += "    <" + std::string(kind) + " id=\"" + id + "\">\n      " + points(blockBox(block)) + "\n    </" + kind +
           ">\n";
      continue;
    }
    const bool vertical = block.direction == kVertical;
    o += "    <TextRegion id=\"" + id + "\" readingDirection=\"" + (vertical ? "top-to-bottom" : "left-to-right") +
         "\" textLineOrder=\"" + (vertical ? "right-to-left" : "top-to-bottom") + "\">\n      " +
         points(blockBox(block)) + "\n";
    std::u16string regionText;
    const auto lines = [&](const LineList& list) {
      for (const COcrLine& line : list) {
        o += "      <TextLine id=\"l_" + num(++l) + "\">\n        " + points(lineBox(line)) + "\n";
        for (const Word& word : wordsOf(line, vertical)) {
          o += "        <Word id=\"w_" + num(++w) + "\">\n          " + points(word.box) + "\n";
          for (std::size_t k = 0; k < word.chars.size(); ++k) {
            const COcrChar& c = *word.chars[k];
            o += "          <Glyph id=\"g_" + num(++g) + "\">\n            " + points(word.boxes[k]) + "\n";
            o += "            <TextEquiv index=\"1\" conf=\"" + fixed2(confidenceOf(c.CC)) + "\"><Unicode>" +
                 escape(codeText(c.code)) + "</Unicode></TextEquiv>\n";
            int index = 1;
            for (int i = 0; i < c.num_cand(); ++i) {
              const COcrCand cand = c.cand(i);
              if (cand.code == c.code || codeLength(cand.code) == 0) continue;
              o += "            <TextEquiv index=\"" + num(++index) + "\" conf=\"" + fixed2(confidenceOf(cand.CC)) +
                   "\"><Unicode>" + escape(codeText(cand.code)) + "</Unicode></TextEquiv>\n";
            }
            o += "          </Glyph>\n";
          }
          o += "          <TextEquiv conf=\"" + fixed2(confidenceOf(word.cc)) + "\"><Unicode>" + escape(word.text) +
               "</Unicode></TextEquiv>\n        </Word>\n";
        }
        const std::u16string text = lineText(line);
        o += "        <TextEquiv><Unicode>" + escape(text) + "</Unicode></TextEquiv>\n      </TextLine>\n";
        if (!regionText.empty()) regionText += u'\n';
        regionText += text;
      }
    };
    lines(block.lines);
    for (const COcrCell& cell : block.cells) lines(cell.lines);
    o += "      <TextEquiv><Unicode>" + escape(regionText) + "</Unicode></TextEquiv>\n    </TextRegion>\n";
  }
  o += "  </Page>\n</PcGts>\n";
  return o;
}

std::string timestampNow() {
  std::time_t t = std::time(nullptr);
  if (const char* e = std::getenv("SOURCE_DATE_EPOCH"); e != nullptr && *e != 0) t = std::strtoll(e, nullptr, 10);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

std::vector<std::pair<std::string, std::string>> interchangeFiles(const COcrPaper& paper, Format f,
                                                                  const std::string& path) {
  std::vector<std::pair<std::string, std::string>> out;
  if (f == Format::Hocr) {
    out.emplace_back(path, writeHocr(paper));
    return out;
  }
  const std::vector<std::string> names = outputNames(path, f, paper.pages.size());
  const std::string created = timestampNow();
  std::size_t i = 0;
  for (const COcrPage& page : paper.pages) {
    if (i >= names.size()) break;
    out.emplace_back(names[i], f == Format::Alto ? writeAlto(page, static_cast<int>(i)) : writePage(page, created));
    ++i;
  }
  return out;
}

std::vector<std::string> outputNames(const std::string& path, Format f, std::size_t pages) {
  if ((f != Format::Alto && f != Format::Page) || pages <= 1) return {path};
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExtension ? path.substr(0, dot) : path;
  const std::string extension = hasExtension ? path.substr(dot) : ".xml";
  std::vector<std::string> out;
  for (std::size_t i = 1; i <= pages; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "-%04zu", i);
    out.push_back(stem + buf + extension);
  }
  return out;
}

}  // namespace lexova::interchange
