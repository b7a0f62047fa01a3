#include "workgen/workgen.h"

#include <algorithm>
#include <climits>

#include "document/vuzozoviv/writer.h"
#include "io/byte_io.h"
#include "text/utf.h"

namespace lexova::workgen {
namespace {

// splitmix64: the same numbers on every platform and library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in lo..hi, both inclusive.
  int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
  bool chance(int percentTimesTen) { return range(0, 999) < percentTimesTen; }

 private:
  std::uint64_t s_;
};

bool isKanji(char16_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || c == 0x3005 || c == 0x3006 || c == 0x3007 ||
         c == 0x30F6;
}
bool isSmallMark(char16_t c) {
  return c == u'、' || c == u'。' || c == u'，' || c == u'．';
}

std::vector<std::u16string> splitLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::u16string cur;
  for (char16_t c : text) {
    if (c == u'\n') {
      lines.push_back(cur);
      cur.clear();
    } else if (c != u'\r') {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

Paragraph parseParagraph(const std::u16string& line) {
  Paragraph p;
  std::u16string buf;
  std::size_t baseStart = std::u16string::npos;
  auto flush = [&](std::u16string text, std::u16string ruby, bool emph) {
    if (text.empty()) return;
    p.segments.push_back(Segment{std::move(text), std::move(ruby), emph});
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char16_t c = line[i];
    if (c == u'｜') {
      baseStart = buf.size();
    } else if (c == u'《') {
      const std::size_t close = line.find(u'》', i);
      if (close == std::u16string::npos) break;
      const std::u16string ruby = line.substr(i + 1, close - i - 1);
      std::size_t start = baseStart;
      if (start == std::u16string::npos) {
        start = buf.size();
        while (start > 0 && isKanji(buf[start - 1])) --start;
      }
      flush(buf.substr(0, start), u"", false);
      flush(buf.substr(start), ruby, false);
      buf.clear();
      baseStart = std::u16string::npos;
      i = close;
    } else if (c == u'［' && i + 1 < line.size() && line[i + 1] == u'＃') {
      const std::size_t close = line.find(u'］', i);
      if (close == std::u16string::npos) break;
      const std::u16string note = line.substr(i + 2, close - i - 2);
      if (note.find(u"中見出し") != std::u16string::npos) p.heading = true;
      const std::size_t q = note.find(u"」に傍点");
      if (note.starts_with(u"「") && q != std::u16string::npos) {
        const std::u16string target = note.substr(1, q - 1);
        if (!target.empty() && buf.ends_with(target)) {
          flush(buf.substr(0, buf.size() - target.size()), u"", false);
          flush(target, u"", true);
          buf.clear();
        }
      }
      i = close;
    } else {
      buf.push_back(c);
    }
  }
  flush(buf, u"", false);
  return p;
}

// One character to place, flattened from the segments of an article.
struct Glyph {
  char16_t code[2] = {0, 0};
  bool emphasis = false;
  int ruby = -1;  // index into Article::rubies
  bool paragraphStart = false, indent = false, heading = false;
};
struct Ruby {
  std::u16string text;
  int first = 0, last = 0;  // glyph indexes of the base
};
struct Article {
  std::u16string title, author;
  std::vector<Glyph> glyphs;
  std::vector<Ruby> rubies;
};

Article flatten(const Source& s) {
  Article a{s.title, s.author, {}, {}};
  for (const Paragraph& p : s.paragraphs) {
    bool first = true;
    for (const Segment& seg : p.segments) {
      std::u16string_view text = seg.text;
      if (first && text.starts_with(u"\u3000")) {
        text.remove_prefix(1);
        if (text.empty()) continue;
      }
      const int rubyIndex = seg.ruby.empty() ? -1 : static_cast<int>(a.rubies.size());
      if (rubyIndex >= 0) a.rubies.push_back(Ruby{seg.ruby, static_cast<int>(a.glyphs.size()), 0});
      for (std::size_t i = 0; i < text.size(); ++i) {
        Glyph g;
        g.code[0] = text[i];
        if (text::isHighSurrogate(text[i]) && i + 1 < text.size()) g.code[1] = text[++i];
        g.emphasis = seg.emphasis;
        g.ruby = rubyIndex;
        g.paragraphStart = first;
        g.indent = first && seg.text.starts_with(u"\u3000");
        g.heading = p.heading;
        first = false;
        a.glyphs.push_back(g);
      }
      if (rubyIndex >= 0) a.rubies[static_cast<std::size_t>(rubyIndex)].last = static_cast<int>(a.glyphs.size()) - 1;
    }
  }
  return a;
}

// Characters that exercise every path of the format: a supplementary character,
// characters code page 932 lacks, entities, markup characters, half-width kana,
// an IBM extension without an EUC-JP form, the user-defined area.
constexpr char16_t kOdd[][2] = {
    {0xD840, 0xDC0B}, {0xD867, 0xDE3D}, {0x4E02, 0}, {0x00A5, 0}, {0x2460, 0}, {0xFF5E, 0}, {0x3231, 0},
    {0x3349, 0},      {u'&', 0},        {u'<', 0},   {0xFF71, 0}, {0x7E8A, 0}, {0x2467, 0}, {0xE000, 0},
};

class Generator {
 public:
  Generator(const std::vector<Source>& sources, const Options& o) : opt_(o), rng_(o.seed) {
    for (const Source& s : sources) articles_.push_back(flatten(s));
    for (const Article& a : articles_) {
      for (const Glyph& g : a.glyphs) {
        if (g.code[1] == 0 && g.code[0] > 0x3000) pool_.push_back(g.code[0]);
      }
    }
    if (pool_.empty()) pool_.push_back(u'あ');
  }

  COcrPaper run() {
    COcrPaper paper;
    paper_ = &paper;
    paper.encoding = kShiftJis;
    std::uint64_t bytes = 0;
    std::size_t articleNo = 0;
    while (!articles_.empty()) {
      const Article& a = articles_[articleNo % articles_.size()];
      const bool vertical = articleNo % 3 != 2;
      std::size_t g = 0;
      bool opening = true;
      while (g < a.glyphs.size() || opening) {
        COcrPage& page = paper.pages.emplace_back();
        page.number = static_cast<int>(paper.pages.size());
        layoutPage(page, a, g, opening, vertical);
        opening = false;
        if (opt_.targetBytes > 0) {
          bytes += pageBytes(paper);
          if (bytes >= opt_.targetBytes) return finish(paper);
        } else if (static_cast<int>(paper.pages.size()) >= opt_.pages) {
          return finish(paper);
        }
      }
      ++articleNo;
      if (opt_.once && articleNo == articles_.size()) break;
    }
    return finish(paper);
  }

 private:
  static COcrPaper finish(COcrPaper& paper) {
    computeMaxPageSize(paper);
    computeStandardDpi(paper);
    return std::move(paper);
  }

  // The written size of the last page, for size targets.
  std::uint64_t pageBytes(COcrPaper& paper) {
    COcrPaper one;
    one.customSections = paper.customSections;
    one.pages.splice(one.pages.end(), paper.pages, std::prev(paper.pages.end()));
    io::CountingSink count;
    vuzozoviv::writePaper(one, count, kShiftJis);
    paper.pages.splice(paper.pages.end(), one.pages);
    return count.count;
  }

  void setCandidates(COcrChar& c, const char16_t code[2]) {
    const int roll = rng_.range(0, 999);
    c.CC = roll < 850   ? 10
           : roll < 970 ? static_cast<std::uint16_t>(rng_.range(5, 9))
                        : static_cast<std::uint16_t>(rng_.range(0, 1));
    if (!opt_.candidates || rng_.chance(200)) return;
    const int n = rng_.range(1, 5);
    c.allocateCandidates(n);
    c.setCand(0, makeCode(code[0], code[1]), c.CC);
    for (int i = 1; i < n; ++i) {
      const char16_t other = pool_[rng_.next() % pool_.size()];
      c.setCand(i, makeCode(other), static_cast<std::uint16_t>(rng_.range(1, 7)));
    }
  }

  COcrChar& addChar(COcrLine& line, const char16_t code[2], int x, int y, int w, int h) {
    COcrChar& c = line.chars.emplace_back();
    c.code = makeCode(code[0], code[1]);
    c.x = x, c.y = y, c.width = w, c.height = h;
    line.charCount += codeLength(c.code);
    setCandidates(c, code);
    return c;
  }

  static void fitLine(COcrLine& l) {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const COcrChar& c : l.chars) {
      x0 = std::min(x0, c.x), y0 = std::min(y0, c.y);
      x1 = std::max(x1, c.x + c.width), y1 = std::max(y1, c.y + c.height);
    }
    if (l.chars.empty()) return;
    l.x = x0, l.y = y0, l.width = x1 - x0, l.height = y1 - y0;
  }

  static void fitBlock(COcrBlock& b) {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    long long thickness = 0;
    int body = 0;
    auto take = [&](const COcrLine& l) {
      x0 = std::min(x0, l.x), y0 = std::min(y0, l.y);
      x1 = std::max(x1, l.x + l.width), y1 = std::max(y1, l.y + l.height);
    };
    for (const COcrLine& l : b.lines) {
      take(l);
      b.charCount += l.charCount;
      thickness += b.direction == kVertical ? l.width : l.height;
      ++body;
    }
    for (const COcrCell& c : b.cells) {
      x0 = std::min(x0, c.x), y0 = std::min(y0, c.y);
      x1 = std::max(x1, c.x + c.width), y1 = std::max(y1, c.y + c.height);
      b.charCount += c.charCount;
    }
    if (x0 == INT_MAX) return;
    b.x = x0 - 4, b.y = y0 - 4, b.width = x1 - x0 + 8, b.height = y1 - y0 + 8;
    b.lineSize = body > 0 ? static_cast<float>(thickness) / static_cast<float>(body) : 0.0f;
  }

  COcrBlock& newBlock(COcrPage& page, int direction, int sec) {
    COcrBlock& b = page.blocks.emplace_back();
    b.direction = static_cast<std::int8_t>(direction);
    b.sec = sec;
    b.BID = static_cast<int>(page.blocks.size());
    b.index = b.BID - 1;
    return b;
  }

  // A short line of large characters (title, author), or a running head.
  void singleLineBlock(COcrPage& page, std::u16string_view text, int sec, bool vertical, int x, int y, int size) {
    COcrBlock& b = newBlock(page, vertical ? kVertical : kHorizontal, sec);
    COcrLine& l = b.lines.emplace_back();
    int k = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++k) {
      char16_t code[2] = {text[i], 0};
      if (text::isHighSurrogate(text[i]) && i + 1 < text.size()) code[1] = text[++i];
      const int along = k * (size + size / 8);
      if (vertical) {
        addChar(l, code, x, y + along, size, size);
      } else {
        addChar(l, code, x + along, y, size, size);
      }
    }
    fitLine(l);
    fitBlock(b);
  }

  void layoutPage(COcrPage& page, const Article& a, std::size_t& g, bool opening, bool vertical) {
    const int W = 1512, H = 2150;  // a B6 book page at 300 dpi
    page.width = W, page.height = H, page.dpi = 300;
    const std::string name = "p" + std::to_string(100000 + page.number).substr(1) + ".tif";
    page.file = text::fromUtf8(name);
    page.fullpath = text::fromUtf8("C:\\scan\\book\\" + name);
    const int cs = 40 + rng_.range(-3, 3);
    const int pitch = cs + 4;
    const int linePitch = cs * 2;
    int left = 150, right = W - 150, top = 200, bottom = H - 200;

    // Running head and page number.
    singleLineBlock(page, a.title, page.number % 2 ? kSecRightPillar : kSecLeftPillar, false,
                    page.number % 2 ? W - 450 : 160, 90, 28);
    const std::u16string num = text::fromUtf8(std::to_string(page.number));
    singleLineBlock(page, num, kSecLowerPageNum, false, W / 2 - 20, H - 120, 28);

    if (opening) {
      if (vertical) {
        singleLineBlock(page, a.title, kSecTitle, true, right - 90, top + 150, 80);
        singleLineBlock(page, a.author, kSecAuthor, true, right - 200, top + 700, 50);
        right -= 300;
      } else {
        singleLineBlock(page, a.title, kSecTitle, false, left + 250, top, 80);
        singleLineBlock(page, a.author, kSecAuthor, false, right - 400, top + 140, 50);
        top += 280;
      }
    }
    if (opt_.tables && page.number % 6 == 0) {
      tableBlock(page, W / 2 - 525, H - 620);
      bottom = H - 680;
    } else if (opt_.tables && page.number % 5 == 0) {
      COcrBlock& img = newBlock(page, kHorizontal, kSecText);
      img.type = kBlockImage;
      img.BID = -1;  // a picture block carries only its box
      img.x = left + 100, img.y = H - 800, img.width = 900, img.height = 460;
      singleLineBlock(page, u"図　挿絵", sectionCode(*paper_, u"caption"), false, left + 100, H - 300, 32);
      bottom = H - 860;
    }
    layoutBody(page, a, g, vertical, cs, pitch, linePitch, left, right, top, bottom);
  }

  // How many glyphs from g go on one line of `capacity` places.
  static std::size_t lineLength(const Article& a, std::size_t g, int capacity) {
    std::size_t n = 0;
    while (g + n < a.glyphs.size() && static_cast<int>(n) < capacity) {
      if (n > 0 && a.glyphs[g + n].paragraphStart) break;
      const Glyph& gl = a.glyphs[g + n];
      // Keep a ruby base on one line when it fits on the next one.
      if (gl.ruby >= 0 && a.rubies[static_cast<std::size_t>(gl.ruby)].first == static_cast<int>(g + n)) {
        const int len = a.rubies[static_cast<std::size_t>(gl.ruby)].last - static_cast<int>(g + n) + 1;
        if (static_cast<int>(n) + len > capacity && n > 0 && len < capacity) break;
      }
      ++n;
    }
    return n;
  }

  struct Placed {
    int along0, along1;  // extent of the base glyph along the line
  };

  // Body lines in blocks of a few lines each: columns from right to left for
  // vertical writing, rows from top to bottom for horizontal writing.
  void layoutBody(COcrPage& page, const Article& a, std::size_t& g, bool vertical, int cs, int pitch, int linePitch,
                  int left, int right, int top, int bottom) {
    const int capacity = (vertical ? bottom - top : right - left) / pitch;
    int x = right - cs, y = top + cs / 2 + 4;
    COcrBlock* block = nullptr;
    int linesLeft = 0;
    while (g < a.glyphs.size() && (vertical ? x >= left : y + cs <= bottom)) {
      if (!block || linesLeft == 0) {
        if (block) fitBlock(*block);
        block = &newBlock(page, vertical ? kVertical : kHorizontal, kSecText);
        linesLeft = rng_.range(6, 20);
      }
      const Glyph& first = a.glyphs[g];
      const int offset = (first.heading ? 8 : (first.paragraphStart && first.indent ? 1 : 0)) * pitch;
      const std::size_t n = lineLength(a, g, capacity - offset / pitch);
      if (vertical) {
        placeLine(*block, a, g, n, true, x, top + offset, cs, pitch);
        x -= linePitch;
      } else {
        placeLine(*block, a, g, n, false, left + offset, y, cs, pitch);
        y += linePitch;
      }
      g += n;
      --linesLeft;
    }
    if (block) fitBlock(*block);
  }

  // One body line of n glyphs starting at (x, y), preceded in the block by the
  // annotation line of its ruby and emphasis marks, as a scan delivers it.
  void placeLine(COcrBlock& b, const Article& a, std::size_t g, std::size_t n, bool vertical, int x, int y, int cs,
                 int pitch) {
    LineList annotation;
    COcrLine& ann = annotation.emplace_back();
    ann.attr = kAttrRuby;
    LineList body;
    COcrLine& line = body.emplace_back();
    std::vector<Placed> placed;
    for (std::size_t i = 0; i < n; ++i) {
      const Glyph& gl = a.glyphs[g + i];
      char16_t code[2] = {gl.code[0], gl.code[1]};
      if (opt_.oddCharacters && rng_.chance(4)) {
        const auto& odd = kOdd[rng_.next() % std::size(kOdd)];
        code[0] = odd[0], code[1] = odd[1];
      }
      const int along = static_cast<int>(i) * pitch;
      const bool small = isSmallMark(code[0]);
      const int size = small ? cs / 2 : cs - rng_.range(0, 5);
      const int jitter = rng_.range(-2, 2);
      if (vertical) {
        addChar(line, code, x + jitter + (small ? cs / 2 : 0), y + along + rng_.range(0, 3), size, size);
      } else {
        addChar(line, code, x + along + rng_.range(0, 3), y + jitter + (small ? cs / 2 : 0), size, size);
      }
      placed.push_back({along, along + cs});
      if (gl.emphasis) {
        const char16_t mark[2] = {u'、', 0};
        const int m = cs / 3;
        if (vertical) {
          addChar(ann, mark, x + cs + 4, y + along + cs / 3, m, m);
        } else {
          addChar(ann, mark, x + along + cs / 3, y - m - 4, m, m);
        }
      }
      // The ruby of a base, centred over it, once its last glyph is placed.
      if (gl.ruby >= 0) {
        const Ruby& r = a.rubies[static_cast<std::size_t>(gl.ruby)];
        const bool last = static_cast<int>(g + i) == r.last || i + 1 == n;
        if (last) {
          const int firstIndex = std::max(r.first, static_cast<int>(g)) - static_cast<int>(g);
          const int span0 = placed[static_cast<std::size_t>(firstIndex)].along0;
          const int span1 = placed[i].along1;
          const int rs = cs / 2;
          const int len = static_cast<int>(r.text.size()) * rs;
          int start = (span0 + span1) / 2 - len / 2;
          for (std::size_t k = 0; k < r.text.size(); ++k, start += rs) {
            const char16_t rc[2] = {r.text[k], 0};
            if (vertical) {
              addChar(ann, rc, x + cs + 3, y + start, rs, rs);
            } else {
              addChar(ann, rc, x + start, y - rs - 3, rs, rs);
            }
          }
        }
      }
    }
    fitLine(line);
    if (!ann.chars.empty()) {
      // Annotation characters in order along the line.
      std::vector<COcrChar> sorted(std::make_move_iterator(ann.chars.begin()),
                                   std::make_move_iterator(ann.chars.end()));
      std::stable_sort(sorted.begin(), sorted.end(),
                       [vertical](const COcrChar& p, const COcrChar& q) { return vertical ? p.y < q.y : p.x < q.x; });
      ann.chars.clear();
      for (COcrChar& c : sorted) ann.chars.push_back(std::move(c));
      fitLine(ann);
      b.lines.splice(b.lines.end(), annotation);
    }
    b.lines.splice(b.lines.end(), body);
    if (!ann.chars.empty() && rng_.chance(700)) {
      COcrLine& annotated = *std::prev(b.lines.end(), 2);
      annotated.baseLine = &b.lines.back();
      annotated.RCS = 1;
      annotated.RCE = b.lines.back().charCount;
    }
  }

  void tableBlock(COcrPage& page, int x, int y) {
    COcrBlock& b = newBlock(page, kHorizontal, kSecText);
    b.type = kBlockTable;
    static constexpr std::u16string_view words[] = {u"明治",   u"大正", u"昭和", u"三十",
                                                    u"百五十", u"一円", u"二銭", u"合計"};
    const int rows = 3, cols = 3, cw = 350, ch = 120;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        COcrCell& cell = b.cells.emplace_back();
        cell.row = r, cell.col = c;
        cell.x = x + c * cw, cell.y = y + r * ch, cell.width = cw, cell.height = ch;
        cell.left = rng_.range(0, 3), cell.top = rng_.range(0, 3);
        cell.right = rng_.range(0, 3), cell.bottom = rng_.range(0, 3);
        cell.align = rng_.range(0, 2), cell.valign = rng_.range(0, 2);
        const std::u16string_view w = words[rng_.next() % std::size(words)];
        COcrLine& l = cell.lines.emplace_back();
        for (std::size_t k = 0; k < w.size(); ++k) {
          const char16_t code[2] = {w[k], 0};
          addChar(l, code, cell.x + 20 + static_cast<int>(k) * 44, cell.y + 30, 40, 40);
        }
        fitLine(l);
        cell.lineCount = 1;
        cell.charCount = l.charCount;
        cell.lineSize = static_cast<float>(l.height);
      }
    }
    fitBlock(b);
    float sum = 0;
    for (const COcrCell& c : b.cells) sum += c.lineSize;
    b.lineSize = sum / static_cast<float>(b.cells.size());
  }

 private:
  COcrPaper* paper_ = nullptr;  // the paper being made
  Options opt_;
  Rng rng_;
  std::vector<Article> articles_;
  std::vector<char16_t> pool_;
};

}  // namespace

Source parseAozora(std::string_view utf8) {
  const std::vector<std::u16string> lines = splitLines(text::fromUtf8(utf8));
  Source s;
  if (!lines.empty()) s.title = lines[0];
  if (lines.size() > 1) s.author = lines[1];
  std::size_t body = std::min<std::size_t>(2, lines.size());
  int dashes = 0;
  for (std::size_t i = 0; i < lines.size() && i < 40; ++i) {
    if (lines[i].starts_with(u"-----") && ++dashes == 2) body = i + 1;
  }
  for (std::size_t i = body; i < lines.size(); ++i) {
    if (lines[i].starts_with(u"底本：")) break;
    if (lines[i].empty()) continue;
    Paragraph p = parseParagraph(lines[i]);
    if (!p.segments.empty()) s.paragraphs.push_back(std::move(p));
  }
  return s;
}

COcrPaper generate(const std::vector<Source>& sources, const Options& options) {
  return Generator(sources, options).run();
}

std::vector<Source> bundledSources(const std::string& sourceDir) {
  std::vector<Source> out;
  for (const char* name : {"kumono_ito.txt", "torokko.txt"}) {
    out.push_back(parseAozora(io::readFile(sourceDir + "/" + name)));
  }
  return out;
}

}  // namespace lexova::workgen
