#include "layout/page_layout.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "editing/search.h"

namespace lexova::layout {
namespace {

constexpr Colour kRed = rgb(255, 0, 0);
constexpr Colour kBaseMark = rgb(255, 127, 127);
constexpr Colour kGrey = rgb(192, 192, 192);
constexpr Colour kTextStrip = rgb(192, 214, 255);
constexpr char16_t kTextDisplayFace[] = u"ＭＳ ゴッシク";
constexpr char16_t kTextDisplayVerticalFace[] = u"@ＭＳ ゴッシク";

long long trunc(double v) {
  return static_cast<long long>(v);
}

Rect scaled(double x, double y, double w, double h, double s) {
  const long long x0 = trunc(x * s), y0 = trunc(y * s);
  return {x0, y0, trunc((x + w) * s) - x0, trunc((y + h) * s) - y0};
}

bool isParenthesis(char16_t c) {
  return c == u'(' || c == u')';
}
bool endsWithBreak(const COcrLine& l) {
  return !l.chars.empty() && l.chars.back().code[0] == u'\r';
}

// Every character inside an occurrence of a registered word in the page's search
// text (an empty word would match everywhere: it is skipped).
std::unordered_set<const COcrChar*> registeredChars(const COcrPage& page, const std::vector<std::u16string>& words) {
  std::unordered_set<const COcrChar*> marked;
  // The search text is built as the find dialog builds it; nothing is changed.
  const editing::PageText pt = editing::buildPageText(const_cast<COcrPage&>(page));
  for (const std::u16string& w : words) {
    if (w.empty()) continue;
    for (std::size_t at = pt.text.find(w); at != std::u16string::npos; at = pt.text.find(w, at + 1)) {
      const auto first = std::upper_bound(
          pt.chars.begin(), pt.chars.end(), at,
          [](std::size_t v, const editing::PageText::Char& c) { return v < static_cast<std::size_t>(c.start); });
      for (auto c = first == pt.chars.begin() ? first : std::prev(first);
           c != pt.chars.end() && static_cast<std::size_t>(c->start) < at + w.size(); ++c) {
        marked.insert(&*c->at.ch);
      }
    }
  }
  return marked;
}

class Builder {
 public:
  Builder(const COcrPage& page, const LayoutSettings& s, PageGeometry& g)
      : page_(page), s_(s), g_(g), scale_(s.scale), parallel_(s.imageMode == 2) {
    if (s.colourMode == kRegisteredColours) registered_ = registeredChars(page, s.registeredWords);
  }

  void layoutDisplay() {
    for (const COcrBlock& b : page_.blocks) {
      const bool vertical = b.direction == kVertical;
      if (b.type == kBlockText) {
        if (parallel_) fill(scaled(b.x, b.y, b.width, b.height, scale_), s_.values.textBackground);
        lines(b, b.lines, vertical ? static_cast<long long>(b.x) + b.width : b.y,
              linePitch(b.lines, vertical ? b.width : b.height, vertical));
      } else if (b.type == kBlockTable) {
        if (parallel_) fill(scaled(b.x, b.y, b.width, b.height, scale_), s_.values.textBackground);
        for (const COcrCell& c : b.cells) {
          lines(b, c.lines, vertical ? static_cast<long long>(c.x) + c.width : static_cast<long long>(c.y) + 4,
                linePitch(c.lines, vertical ? c.width : c.height, vertical));
        }
        for (const COcrCell& c : b.cells) borders(c);
      } else if (b.type == kBlockImage) {
        DrawOp op;
        op.kind = DrawOp::BlockImage;
        op.rect = scaled(b.x, b.y, b.width, b.height, scale_);
        op.source = {b.x, b.y, b.width, b.height};
        g_.ops.push_back(op);
      }
    }
    frames();
  }

  void textDisplay() {
    const TextGrid t = textGrid(s_.screenDpi);
    const bool vertical = s_.display == kVerticalText;
    long long longest = 0, count = 0;
    for (const COcrBlock& b : page_.blocks) {
      if (b.type != kBlockText) continue;
      for (const COcrLine& l : b.lines) {
        longest = std::max<long long>(longest, static_cast<long long>(l.chars.size()) * t.A);
        ++count;
      }
    }
    const long long across = count * (t.R + t.G) + 20, along = longest + 20;
    g_.width = vertical ? across : along;
    g_.height = vertical ? along : across;
    long long k = 0;
    for (const COcrBlock& b : page_.blocks) {
      if (b.type != kBlockText) continue;
      for (const COcrLine& l : b.lines) textLine(b, l, k++, t, vertical);
    }
  }

 private:
  void fill(Rect r, Colour c) {
    DrawOp op;
    op.kind = DrawOp::Fill;
    op.rect = r;
    op.colour = c;
    g_.ops.push_back(op);
  }
  void frame(Rect r, Colour c, int pen, bool dashed = false) {
    DrawOp op;
    op.kind = DrawOp::Frame;
    op.rect = r;
    op.colour = c;
    op.penWidth = pen;
    op.dashed = dashed;
    g_.ops.push_back(op);
  }

  std::u16string faceFor(const COcrBlock& b, bool rotated) const {
    const settings::OutputFonts& f = s_.fonts;
    switch (b.langId) {
      case 128:
        return rotated ? f.japaneseVertical.name : f.japanese.name;
      case 129:
        return f.hangul.name;
      case 136:
        return f.traditional.name;
      case 134:
        return f.simplified.name;
      default:
        return f.western.name;
    }
  }

  CharGeometry shown(const COcrChar& c, bool cursorLine) const {
    CharGeometry g;
    g.ch = &c;
    const settings::SettingsValues& v = s_.values;
    g.reject = editing::isReject(c.CC, v.rejectLevel);
    g.registered = registered_.count(&c) != 0;
    const int kind = charKind(c.code);
    g.colour = charColour({s_.colourMode, g.reject, cursorLine && !s_.selectionShown, g.registered, kind}, v);
    const bool single = c.code[1] == 0;
    if (single && c.code[0] == 10) {
      g.shown = u"↵";
      g.colour = rgb(0, 0, 255);
    } else if (single && c.code[0] == u'\r') {
      g.shown = u"↵";
      if (s_.colourMode != kKindColours) g.colour = rgb(0, 255, 0);
    } else if (single && c.code[0] == u' ') {
      g.shown = u"▯";
      g.colour = kGrey;
    } else if (single && c.code[0] == 0x3000) {
      g.shown = u"□";
      g.colour = kGrey;
    } else if ((s_.colourMode == kNormalColours || s_.colourMode == kEditLineColours) && g.reject &&
               v.showRejectMark != 0) {
      g.shown = u"〓";
    } else {
      g.shown = std::u16string(codeText(c.code));
    }
    return g;
  }

  // The text of one character as drawn at the running position (x, y) of the line,
  // in page pixels.
  void charText(const COcrBlock& b, const CharGeometry& cg, double x, double y, FontSize f, bool vertical) {
    DrawOp op;
    op.kind = DrawOp::Text;
    op.text = cg.shown;
    op.colour = cg.colour;
    op.fontHeight = f.height;
    op.fontWidth = f.width;
    long long ox = trunc(x * scale_), oy = trunc(y * scale_);
    const char16_t first = cg.ch->code[0];
    const bool wide = first > 255 || cg.ch->code[1] != 0;
    if (s_.colourMode == kKindColours) {
      op.face = s_.values.kindFonts[static_cast<std::size_t>(charKind(cg.ch->code))];
      if (vertical) {
        if (op.face.find(u'@') != std::u16string::npos) {
          op.rotation = -90;
        } else {
          const VerticalPlacement p = verticalPlacement(cg.ch->code);
          ox += trunc(p.dx * f.height) - f.height;
          oy += trunc(p.dy * f.height);
          op.rotation = p.rotation;
        }
      }
    } else {
      const bool rotated = vertical && (wide || isParenthesis(first));
      op.face = faceFor(b, rotated);
      if (rotated) {
        op.rotation = -90;
      } else if (vertical) {
        ox -= f.height;  // upright in the column left of the running edge
      }
    }
    op.rect = {ox, oy, 0, 0};
    // Fast 0 stretches the glyph into the character's box; a space, a mark or a
    // character without a box is drawn with the font.
    const COcrChar& c = *cg.ch;
    if (!s_.fast && c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0 && cg.shown == codeText(c.code) &&
        first != u' ' && first != 0x3000) {
      op.stretch = true;
      op.rect = scaled(c.x, c.y, c.width, c.height, scale_);
    }
    g_.ops.push_back(op);
  }

  // Lays out and draws the lines of a block or a cell from the running position
  // `start`, `pitch` apart.
  void lines(const COcrBlock& b, const LineList& list, long long start, int pitch) {
    const bool vertical = b.direction == kVertical;
    std::unordered_map<const COcrLine*, std::size_t> drawn;
    std::vector<std::size_t> annotations;
    long long running = start;
    for (const COcrLine& l : list) {
      LineGeometry lg;
      lg.block = &b;
      lg.line = &l;
      lg.vertical = vertical;
      lg.annotation = l.attr != kAttrNone;
      lg.pitch = characterPitch(l, vertical);
      lg.font = lineFontSize(b, l, scale_, parallel_);
      const bool cursorLine = &l == s_.cursorLine;
      if (!lg.annotation) {
        lg.originX = vertical ? running : l.x;
        lg.originY = vertical ? l.y : running;
        if (parallel_) lineImage(b, l, running, pitch, vertical);
        if (s_.frameLines) {
          const Rect box = vertical ? scaled(running - l.width, l.y, l.width, l.height, scale_)
                                    : scaled(l.x, running, l.width, l.height, scale_);
          frame(box, s_.values.textBackground, 1);
        }
        running += vertical ? -pitch : pitch;
      } else {
        placeAnnotation(lg, l, list, running, vertical);
      }
      long long k = 0;
      for (const COcrChar& c : l.chars) {
        CharGeometry cg = shown(c, cursorLine);
        const double along = (vertical ? lg.originY : lg.originX) + static_cast<double>(k++) * lg.pitch;
        const double x = vertical ? static_cast<double>(lg.originX) : along;
        const double y = vertical ? along : static_cast<double>(lg.originY);
        cg.x = trunc(x * scale_);
        cg.y = trunc(y * scale_);
        charText(b, cg, x, y, lg.font, vertical);
        lg.chars.push_back(std::move(cg));
      }
      drawn[&l] = g_.lines.size();
      if (lg.annotation) annotations.push_back(g_.lines.size());
      g_.lines.push_back(std::move(lg));
    }
    // The base characters of each placed annotation line, once every line is drawn.
    for (const std::size_t i : annotations) {
      LineGeometry& a = g_.lines[i];
      frame(a.frame, kRed, 1);
      if (!a.hasBase) continue;
      const auto base = drawn.find(a.line->baseLine);
      if (base == drawn.end()) {
        a.hasBase = false;
        continue;
      }
      const LineGeometry& bl = g_.lines[base->second];
      const COcrLine& bline = *bl.line;
      const long long first = std::clamp<long long>(a.line->RCS, 1, static_cast<long long>(bline.chars.size()));
      const long long last = std::clamp<long long>(a.line->RCE, 1, static_cast<long long>(bline.chars.size()));
      const double from = (vertical ? bl.originY : bl.originX) + static_cast<double>(first - 1) * bl.pitch;
      const double to = (vertical ? bl.originY : bl.originX) + static_cast<double>(last) * bl.pitch;
      a.baseMark = vertical
                       ? scaled(static_cast<double>(bl.originX - bline.width), from, bline.width, to - from, scale_)
                       : scaled(from, static_cast<double>(bl.originY), to - from, bline.height, scale_);
      frame(a.baseMark, kBaseMark, 2);
    }
  }

  // An annotation line beside the base line that follows it: its characters start
  // at the base character RCS. Without a base line in the same list, or with no
  // base character in range, it stays at its own box with no base mark.
  void placeAnnotation(LineGeometry& lg, const COcrLine& l, const LineList& list, long long running, bool vertical) {
    const COcrLine* base = nullptr;
    for (const COcrLine& other : list) {
      if (&other == l.baseLine && other.attr == kAttrNone) base = &other;
    }
    const long long n = base ? static_cast<long long>(base->chars.size()) : 0;
    const long long first = std::max<long long>(1, l.RCS);
    const long long last = std::min<long long>(n, l.RCE);
    lg.hasBase = base != nullptr && n > 0 && first <= last;
    if (lg.hasBase) {
      const double basePitch = characterPitch(*base, vertical);
      const double along = (vertical ? base->y : base->x) + static_cast<double>(first - 1) * basePitch;
      lg.originX = vertical ? running + l.width + 2 : trunc(along);
      lg.originY = vertical ? trunc(along) : running - l.height - 2;
    } else {
      lg.originX = vertical ? static_cast<long long>(l.x) + l.width : l.x;
      lg.originY = l.y;
    }
    lg.frame =
        vertical ? scaled(static_cast<double>(lg.originX - l.width), static_cast<double>(lg.originY), l.width, l.height,
                          scale_)
                 : scaled(static_cast<double>(lg.originX), static_cast<double>(lg.originY), l.width, l.height, scale_);
  }

  // Image-parallel display: the line's image in the second half of its band.
  void lineImage(const COcrBlock& b, const COcrLine& l, long long running, int pitch, bool vertical) {
    DrawOp op;
    op.kind = DrawOp::LineImage;
    // A line continuing the one before starts its image at its first character.
    const bool continues = !l.chars.empty() && (vertical ? l.y > b.y : l.x > b.x);
    if (vertical) {
      const long long top = continues ? l.y : b.y;
      const long long length = std::min<long long>(b.height, static_cast<long long>(l.height) + 20);
      op.source = {l.x, top, l.width, l.y + length - top};
      const long long x0 = trunc(static_cast<double>(running - pitch) * scale_);
      const long long x1 = trunc((static_cast<double>(running) - pitch / 2.0) * scale_);
      op.rect = {x0, trunc(static_cast<double>(top) * scale_), x1 - x0, trunc(static_cast<double>(length) * scale_)};
    } else {
      const long long left = continues ? l.x : b.x;
      const long long length = std::min<long long>(b.width, static_cast<long long>(l.width) + 20);
      op.source = {left, l.y, l.x + length - left, l.height};
      const long long y0 = trunc((static_cast<double>(running) + pitch / 2.0) * scale_) + 2;
      const long long y1 = trunc(static_cast<double>(running + pitch) * scale_);
      op.rect = {trunc(static_cast<double>(left) * scale_), y0, trunc(static_cast<double>(length) * scale_), y1 - y0};
    }
    g_.ops.push_back(op);
  }

  void borders(const COcrCell& c) {
    const auto side = [this](int style, Rect r) {
      if (style == kBorderSolid || style == kBorderDotted) frame(r, rgb(0, 0, 0), 1, style == kBorderDotted);
    };
    const Rect r = scaled(c.x, c.y, c.width, c.height, scale_);
    side(c.left, {r.x, r.y, 0, r.height});
    side(c.top, {r.x, r.y, r.width, 0});
    side(c.right, {r.x + r.width, r.y, 0, r.height});
    side(c.bottom, {r.x, r.y + r.height, r.width, 0});
  }

  // The block frames drawn over the page, and their numbers in block editing.
  void frames() {
    if (s_.editMode == 3 && parallel_) return;
    int number = 0;
    for (const COcrBlock& b : page_.blocks) {
      ++number;
      const Rect r = scaled(b.x, b.y, b.width, b.height, scale_);
      if (b.sec == 8) {
        frame(r, rgb(213, 0, 0), 2);
      } else {
        frame(r, parallel_ ? rgb(127, 255, 127) : (b.sec == 2 || b.sec == 3) ? kRed : rgb(0, 255, 0), 1);
      }
      if (s_.editMode == 1 && s_.values.showBlockNumbers != 0) {
        DrawOp op;
        op.kind = DrawOp::Text;
        op.rect = {r.x, r.y, 0, 0};
        op.text = std::u16string();
        for (const char c : std::to_string(number)) op.text += static_cast<char16_t>(c);
        op.face = u"monospace";
        op.fontHeight = blockNumberFontHeight(scale_);
        op.weight = 700;
        op.colour = blockNumberColour(b.sec);
        g_.ops.push_back(op);
      }
    }
  }

  void textLine(const COcrBlock& b, const COcrLine& l, long long k, const TextGrid& t, bool vertical) {
    const long long n = static_cast<long long>(l.chars.size()) - (endsWithBreak(l) ? 1 : 0);
    const long long step = t.R + t.G;
    DrawOp image;
    image.kind = DrawOp::LineImage;
    image.source = {l.x, l.y, l.width, l.height};
    const bool rotate = (b.direction == kVertical) != vertical;
    image.sourceRotation = rotate ? 270 : 0;
    LineGeometry lg;
    lg.block = &b;
    lg.line = &l;
    lg.vertical = vertical;
    lg.annotation = l.attr != kAttrNone;
    lg.pitch = t.A;
    lg.font = {t.fontHeight, 0};
    if (!vertical) {
      const long long x = 10, y = 10 + k * step;
      fill({x - 10, y - 10, g_.width + 10, t.R + 10}, kTextStrip);
      fill({x - 10, y + t.R, g_.width + 10, t.G}, rgb(255, 255, 255));
      image.rect = {x, y + t.R + trunc(0.1 * t.G), std::max<long long>(0, n * t.A - t.A / 2), trunc(0.6 * t.G)};
      lg.originX = x;
      lg.originY = y;
    } else {
      const long long right = g_.width - 10 - k * step, y = 10;
      fill({right - t.R, 0, t.R + 10, g_.height}, kTextStrip);
      fill({right - t.R - t.G, 0, t.G, g_.height}, rgb(255, 255, 255));
      image.rect = {right - t.R - trunc(0.7 * t.G), y, trunc(0.6 * t.G), std::max<long long>(0, n * t.A - t.A / 2)};
      lg.originX = right;
      lg.originY = y;
    }
    g_.ops.push_back(image);
    long long j = 0;
    for (const COcrChar& c : l.chars) {
      CharGeometry cg;
      cg.ch = &c;
      cg.shown = std::u16string(codeText(c.code));
      DrawOp op;
      op.kind = DrawOp::Text;
      op.text = cg.shown;
      op.fontHeight = t.fontHeight;
      op.weight = 700;
      op.face = kTextDisplayFace;
      if (!vertical) {
        cg.x = lg.originX + j * t.A;
        cg.y = lg.originY;
      } else {
        cg.x = lg.originX;
        cg.y = lg.originY + j * t.A;
        if (c.code[0] > 255 || c.code[1] != 0 || isParenthesis(c.code[0])) {
          op.face = kTextDisplayVerticalFace;
          op.rotation = -90;
        } else {
          cg.x -= t.fontHeight;
        }
      }
      op.rect = {cg.x, cg.y, 0, 0};
      g_.ops.push_back(op);
      lg.chars.push_back(std::move(cg));
      ++j;
    }
    g_.lines.push_back(std::move(lg));
  }

  const COcrPage& page_;
  const LayoutSettings& s_;
  PageGeometry& g_;
  double scale_;
  bool parallel_;
  std::unordered_set<const COcrChar*> registered_;
};

void limitCanvas(PageGeometry& g) {
  const long long w = g.width, h = g.height;
  g.fullWidth = w;
  g.fullHeight = h;
  g.width = std::clamp<long long>(g.width, 1, kMaxCanvasSide);
  g.height = std::clamp<long long>(g.height, 1, kMaxCanvasSide);
  if (g.width * g.height > kMaxCanvasPixels) g.height = std::max<long long>(1, kMaxCanvasPixels / g.width);
  g.limited = g.width < w || g.height < h;
}

}  // namespace

Rect unite(const Rect& a, const Rect& b) {
  if (a.width <= 0 && a.height <= 0) return b;
  if (b.width <= 0 && b.height <= 0) return a;
  const long long x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const long long x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

bool intersects(const Rect& a, const Rect& b) {
  return a.x <= b.x + b.width && b.x <= a.x + a.width && a.y <= b.y + b.height && b.y <= a.y + a.height;
}

Rect opBounds(const DrawOp& op) {
  if (op.kind != DrawOp::Text || op.stretch) {
    const long long pen = op.kind == DrawOp::Frame ? op.penWidth + 1 : 0;
    return {op.rect.x - pen, op.rect.y - pen, op.rect.width + 2 * pen, op.rect.height + 2 * pen};
  }
  const long long h = std::max(2, op.fontHeight);
  return {op.rect.x - 2 * h, op.rect.y - 2 * h, 4 * h + static_cast<long long>(op.text.size()) * h, 4 * h};
}

Rect charCell(const PageGeometry& g, const LineGeometry& l, const CharGeometry& c) {
  const long long step = std::max<long long>(1, trunc(l.pitch * g.scale));
  const long long thick = std::max(1, l.font.height);
  return l.vertical ? Rect{c.x - thick, c.y, thick, step} : Rect{c.x, c.y, step, thick};
}

Rect lineBounds(const PageGeometry& g, std::size_t index) {
  Rect r;
  if (index >= g.lines.size()) return r;
  const LineGeometry& l = g.lines[index];
  const long long step = std::max<long long>(1, trunc(l.pitch * g.scale));
  const long long thick = std::max(2, l.font.height);
  for (const CharGeometry& c : l.chars) {
    r = unite(r, {c.x - 2 * thick, c.y - 2 * thick, 4 * thick + step, 4 * thick + step});
  }
  if (l.annotation) r = unite(r, {l.frame.x - 2, l.frame.y - 2, l.frame.width + 4, l.frame.height + 4});
  if (l.hasBase) r = unite(r, {l.baseMark.x - 3, l.baseMark.y - 3, l.baseMark.width + 6, l.baseMark.height + 6});
  return r;
}

namespace {

auto fields(const DrawOp& o) {
  return std::tie(o.kind, o.rect.x, o.rect.y, o.rect.width, o.rect.height, o.colour, o.penWidth, o.dashed, o.text,
                  o.face, o.fontHeight, o.fontWidth, o.weight, o.rotation, o.stretch, o.source.x, o.source.y,
                  o.source.width, o.source.height, o.sourceRotation);
}

}  // namespace

Rect changedArea(const PageGeometry& before, const PageGeometry& after) {
  // The operations of either list that the other does not have (counted as a
  // multiset: a character typed moves the rest of its line, nothing else).
  const auto less = [](const DrawOp* a, const DrawOp* b) { return fields(*a) < fields(*b); };
  std::vector<const DrawOp*> a, b;
  a.reserve(before.ops.size());
  b.reserve(after.ops.size());
  for (const DrawOp& op : before.ops) a.push_back(&op);
  for (const DrawOp& op : after.ops) b.push_back(&op);
  std::sort(a.begin(), a.end(), less);
  std::sort(b.begin(), b.end(), less);
  Rect area;
  bool any = false;
  const auto add = [&](const DrawOp* op) {
    area = any ? unite(area, opBounds(*op)) : opBounds(*op);
    any = true;
  };
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (j == b.size() || (i < a.size() && less(a[i], b[j]))) {
      add(a[i++]);
    } else if (i == a.size() || less(b[j], a[i])) {
      add(b[j++]);
    } else {
      ++i, ++j;
    }
  }
  return area;
}

Hit hitTest(const PageGeometry& g, long long x, long long y) {
  Hit best;
  double bestDistance = -1;  // squared; a double, since coordinates from a file may be huge
  for (std::size_t li = 0; li < g.lines.size(); ++li) {
    const LineGeometry& l = g.lines[li];
    for (std::size_t ci = 0; ci < l.chars.size(); ++ci) {
      const Rect cell = charCell(g, l, l.chars[ci]);
      const long long left = cell.x, right = cell.x + cell.width;
      const long long top = cell.y, bottom = cell.y + cell.height;
      const double dx = static_cast<double>(x < left ? left - x : (x > right ? x - right : 0));
      const double dy = static_cast<double>(y < top ? top - y : (y > bottom ? y - bottom : 0));
      const double d = dx * dx + dy * dy;
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = {static_cast<int>(li), static_cast<int>(ci)};
      }
    }
  }
  return best;
}

TextGrid textGrid(int screenDpi) {
  TextGrid t;
  const int d = screenDpi > 0 ? screenDpi : 96;
  t.F = (16 * d + 36) / 72;
  t.R = static_cast<int>(1.5 * t.F);
  t.G = static_cast<int>(1.5 * t.R);
  t.A = 2 * t.F;
  t.fontHeight = (19 * d + 36) / 72;
  return t;
}

LayoutSettings layoutSettingsFor(const settings::AllSettings& all, const settings::OutputFonts& fonts,
                                 std::vector<std::u16string> registeredWords) {
  LayoutSettings s;
  s.values = all.settings;
  settings::settleDisplayValues(s.values);
  s.display = s.values.textLayout;
  s.imageMode = s.values.imageMode;
  s.colourMode = std::clamp(s.values.textDisplayMode, 0, 3);
  s.scale = s.values.displayScale / 100.0;
  s.fonts = fonts;
  s.fast = all.view.fast != 0;
  s.frameLines = all.view.line != 0;
  s.registeredWords = std::move(registeredWords);
  return s;
}

PageGeometry layoutPage(const COcrPage& page, const LayoutSettings& s) {
  PageGeometry g;
  g.scale = s.display == kLayoutDisplay ? s.scale : 1.0;
  Builder b(page, s, g);
  if (s.display == kLayoutDisplay) {
    g.width = trunc(std::max(0, page.width) * s.scale);
    g.height = trunc(std::max(0, page.height) * s.scale);
    b.layoutDisplay();
  } else {
    b.textDisplay();
  }
  limitCanvas(g);
  return g;
}

}  // namespace lexova::layout
