#include "interchange/ocr_import.h"

#include <algorithm>
#include <cmath>

#include "reconstruct/annotation.h"
#include "text/utf.h"

namespace lexova::interchange {
namespace {

// The code points of a text, each as a CharCode; control characters are no text.
std::vector<CharCode> codesOf(std::u16string_view text) {
  std::vector<CharCode> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20 || c == 0x7F) continue;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      out.push_back(makeCode(c, text[i + 1]));
      ++i;
    } else if (c < 0xD800 || c >= 0xE000) {
      out.push_back(makeCode(c));
    } else {
      out.push_back(makeCode(0xFFFD));
    }
  }
  return out;
}

bool isLatin(const CharCode& c) {
  const char16_t u = c[0];
  return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= 0xC0 && u < 0x250) ||
         u == u'\'' || u == u'-' || u == u'.' || u == u',';
}

void setCandidates(COcrChar& ch, const std::vector<Alternative>& alternatives) {
  std::vector<std::pair<CharCode, std::uint16_t>> cands;
  for (const Alternative& a : alternatives) {
    const std::vector<CharCode> codes = codesOf(a.text);
    if (codes.size() != 1) continue;
    const bool seen = std::any_of(cands.begin(), cands.end(), [&](const auto& c) { return c.first == codes[0]; });
    if (!seen) cands.emplace_back(codes[0], certaintyOf(a.confidence));
  }
  if (cands.empty()) cands.emplace_back(ch.code, ch.CC);
  // The result first: the work file's candidates begin with it.
  auto it = std::find_if(cands.begin(), cands.end(), [&](const auto& c) { return c.first == ch.code; });
  if (it == cands.end()) {
    cands.insert(cands.begin(), {ch.code, ch.CC});
  } else if (it != cands.begin()) {
    std::rotate(cands.begin(), it, it + 1);
  }
  const int n = static_cast<int>(std::min<std::size_t>(cands.size(), 30));
  ch.allocateCandidates(n);
  for (int i = 0; i < n; ++i)
    ch.setCand(i, cands[static_cast<std::size_t>(i)].first, cands[static_cast<std::size_t>(i)].second);
}

// The characters of a word: its glyphs when every one has a usable box inside the
// word's box (and one code point), else the word's text split evenly along the line.
void appendWord(COcrLine& line, const WordIn& w, bool vertical) {
  std::vector<GlyphIn> glyphs;
  const bool usable = !w.glyphs.empty() && std::all_of(w.glyphs.begin(), w.glyphs.end(), [&](const GlyphIn& g) {
    return g.box.valid() && (!w.box.valid() || w.box.contains(g.box)) && codesOf(g.text).size() == 1;
  });
  if (usable) {
    glyphs = w.glyphs;
  } else {
    // The glyphs' texts (with their alternatives) when there are glyphs, else the word's.
    std::vector<std::pair<CharCode, const GlyphIn*>> codes;
    if (!w.glyphs.empty()) {
      for (const GlyphIn& g : w.glyphs) {
        for (const CharCode& c : codesOf(g.text)) codes.emplace_back(c, &g);
      }
    } else {
      for (const CharCode& c : codesOf(w.text)) codes.emplace_back(c, nullptr);
    }
    const long long n = static_cast<long long>(codes.size());
    for (long long i = 0; i < n; ++i) {
      GlyphIn g;
      if (codes[static_cast<std::size_t>(i)].second) g = *codes[static_cast<std::size_t>(i)].second;
      g.text = std::u16string(codeText(codes[static_cast<std::size_t>(i)].first));
      if (!codes[static_cast<std::size_t>(i)].second) g.confidence = w.confidence;
      if (w.box.valid()) {
        if (vertical) {
          const long long y0 = w.box.y + w.box.height * i / n, y1 = w.box.y + w.box.height * (i + 1) / n;
          g.box = {w.box.x, y0, w.box.width, std::max(1LL, y1 - y0)};
        } else {
          const long long x0 = w.box.x + w.box.width * i / n, x1 = w.box.x + w.box.width * (i + 1) / n;
          g.box = {x0, w.box.y, std::max(1LL, x1 - x0), w.box.height};
        }
      } else {
        g.box = {-1, -1, 0, 0};
      }
      glyphs.push_back(std::move(g));
    }
  }
  bool first = true;
  for (const GlyphIn& g : glyphs) {
    const std::vector<CharCode> codes = codesOf(g.text);
    if (codes.empty()) continue;
    COcrChar& ch = line.chars.emplace_back();
    ch.code = codes.front();
    ch.CC = certaintyOf(g.confidence >= 0 ? g.confidence : w.confidence);
    ch.x = static_cast<int>(g.box.x);
    ch.y = static_cast<int>(g.box.y);
    ch.width = static_cast<int>(g.box.width);
    ch.height = static_cast<int>(g.box.height);
    ch.wordStart = first ? 1 : 0;
    first = false;
    const std::vector<Alternative>& alts =
        !g.alternatives.empty() ? g.alternatives : (glyphs.size() == 1 ? w.alternatives : g.alternatives);
    setCandidates(ch, alts);
    line.charCount += codeLength(ch.code);
  }
}

// Ruby: a line much thinner than the block's text (the format's own mark, or
// under 0.6 of the thickness of the line the median character stands in: ruby
// lines are many but short) beside a body line becomes an annotation line
// attached to its base characters; one with no base beside it stays a body line.
void attachRuby(COcrBlock& block, const std::vector<LineIn>& in) {
  const bool vertical = block.direction == kVertical;
  std::vector<std::pair<long long, std::size_t>> thickness;  // thickness, characters
  std::size_t characters = 0;
  auto line = block.lines.begin();
  for (const LineIn& l : in) {
    if (l.box.valid() && !line->chars.empty()) {
      thickness.emplace_back(vertical ? l.box.width : l.box.height, line->chars.size());
      characters += line->chars.size();
    }
    ++line;
  }
  if (thickness.size() < 2) return;
  std::sort(thickness.begin(), thickness.end());
  long long median = thickness.back().first;
  for (std::size_t seen = 0, i = 0; i < thickness.size(); ++i) {
    seen += thickness[i].second;
    if (2 * seen >= characters) {
      median = thickness[i].first;
      break;
    }
  }
  std::vector<LineList::iterator> ruby;
  std::size_t i = 0;
  for (auto it = block.lines.begin(); it != block.lines.end(); ++it, ++i) {
    const LineIn& l = in[i];
    const long long t = vertical ? l.box.width : l.box.height;
    if (!it->chars.empty() && (l.ruby || (l.box.valid() && 10 * t < 6 * median))) {
      it->attr = kAttrRuby;
      ruby.push_back(it);
    } else {
      it->attr = kAttrNone;
    }
  }
  if (ruby.empty()) return;
  const int standard = static_cast<int>(std::clamp<long long>(median + 1, 1, 100000));
  for (LineList::iterator r : ruby) {
    if (!reconstruct::AttachAnnotationLine(block, r, standard) || r->baseLine == nullptr) {
      r->attr = kAttrNone;
      r->baseLine = nullptr;
      r->RCS = r->RCE = 0;
    }
  }
}

int clampInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, -1'000'000'000LL, 1'000'000'000LL));
}

// A block's or line's box in the model.
template <typename T>
void place(T& to, const Box& b) {
  to.x = clampInt(b.x);
  to.y = clampInt(b.y);
  to.width = clampInt(b.width);
  to.height = clampInt(b.height);
}

}  // namespace

Box unite(const Box& a, const Box& b) {
  if (!a.valid()) return b;
  if (!b.valid()) return a;
  const long long x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const long long x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

std::u16string fromUtf8(std::string_view s) {
  return text::fromUtf8(s);
}
std::string toUtf8(std::u16string_view s) {
  return text::toUtf8(s);
}

std::uint16_t certaintyOf(double confidence) {
  if (!(confidence >= 0)) return 10;
  return static_cast<std::uint16_t>(std::lround(std::clamp(confidence, 0.0, 1.0) * 10));
}

double confidenceOf(std::uint16_t cc) {
  return std::clamp(static_cast<double>(cc) / 10.0, 0.0, 1.0);
}

bool linesLookVertical(const std::vector<LineIn>& lines) {
  int tall = 0, wide = 0;
  for (const LineIn& l : lines) {
    if (!l.box.valid()) continue;
    if (l.box.height > 2 * l.box.width) ++tall;
    if (l.box.width > 2 * l.box.height) ++wide;
  }
  return tall > wide;
}

std::unique_ptr<COcrPaper> buildPaper(std::vector<PageIn>& pages) {
  auto paper = std::make_unique<COcrPaper>();
  paper->encoding = kShiftJis;
  int number = 0;
  for (PageIn& in : pages) {
    COcrPage& page = paper->pages.emplace_back();
    page.number = ++number;
    page.width = clampInt(in.width);
    page.height = clampInt(in.height);
    page.dpi = in.dpi > 0 ? in.dpi : -1;
    page.fullpath = in.image;
    const std::size_t slash = in.image.find_last_of(u"/\\");
    page.file = slash == std::u16string::npos ? in.image : in.image.substr(slash + 1);
    for (BlockIn& b : in.blocks) {
      COcrBlock& block = page.blocks.emplace_back();
      place(block, b.box);
      block.BID = static_cast<int>(page.blocks.size());
      if (b.kind != BlockKind::Text) {
        block.type = b.kind == BlockKind::Image ? kBlockImage : kBlockLine;
        continue;
      }
      const bool vertical = b.vertical.value_or(linesLookVertical(b.lines));
      block.direction = vertical ? kVertical : kHorizontal;
      bool cjk = false;
      for (LineIn& l : b.lines) {
        COcrLine& line = block.lines.emplace_back();
        place(line, l.box);
        line.attr = l.ruby ? kAttrRuby : kAttrNone;
        const WordIn* previous = nullptr;
        for (const WordIn& w : l.words) {
          const std::vector<CharCode> codes =
              codesOf(w.text.empty() && !w.glyphs.empty() ? w.glyphs.front().text : w.text);
          // A space between two Latin words, in the gap between them.
          if (previous && !line.chars.empty() && !codes.empty() && isLatin(line.chars.back().code) &&
              isLatin(codes.front())) {
            COcrChar& space = line.chars.emplace_back();
            space.code = makeCode(u' ');
            space.CC = 10;
            if (previous->box.valid() && w.box.valid()) {
              const Box& a = previous->box;
              space.x = clampInt(vertical ? a.x : a.x + a.width);
              space.y = clampInt(vertical ? a.y + a.height : a.y);
              space.width = clampInt(vertical ? a.width : std::max(1LL, w.box.x - (a.x + a.width)));
              space.height = clampInt(vertical ? std::max(1LL, w.box.y - (a.y + a.height)) : a.height);
            } else {
              space.x = space.y = -1;
            }
            space.allocateCandidates(1);
            space.setCand(0, space.code, 10);
            line.charCount += 1;
          }
          if (!codes.empty() && !isLatin(codes.front())) cjk = true;
          appendWord(line, w, vertical);
          previous = &w;
        }
        block.charCount += line.charCount;
      }
      block.langId = cjk ? 128 : 0;
      attachRuby(block, b.lines);
    }
  }
  computeMaxPageSize(*paper);
  return paper;
}

}  // namespace lexova::interchange
