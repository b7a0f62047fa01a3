// The readers of hOCR, ALTO and PAGE XML: markup to pages of blocks, lines, words
// and glyphs, then to the model through buildPaper.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "interchange/interchange.h"
#include "interchange/markup.h"

namespace lexova::interchange {
namespace {

struct Failure {
  std::string message;
  int line = 0;
};

// Numbers as the formats write them ("12", "12.5", "-3"); nothing for anything else.
std::optional<double> number(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  (void)end;
  return std::clamp(v, -1e9, 1e9);
}

std::vector<std::string_view> split(std::string_view s, char by) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    const std::size_t at = s.find(by, start);
    const std::string_view part = s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
    if (!part.empty()) out.push_back(part);
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

Box boxFromCorners(double x0, double y0, double x1, double y1) {
  const auto r = [](double v) { return static_cast<long long>(std::llround(v)); };
  return {r(std::min(x0, x1)), r(std::min(y0, y1)), r(std::fabs(x1 - x0)), r(std::fabs(y1 - y0))};
}

// ---- hOCR ---------------------------------------------------------------------------------

bool hasClass(const Node& n, std::string_view cls) {
  const std::string_view* c = n.attribute("class");
  if (!c) return false;
  // The space-separated tokens, without making a list of them.
  for (std::size_t at = c->find(cls); at != std::string_view::npos; at = c->find(cls, at + 1)) {
    const bool starts = at == 0 || (*c)[at - 1] == ' ';
    const bool ends = at + cls.size() == c->size() || (*c)[at + cls.size()] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

// The properties of a title attribute: "bbox 1 2 3 4; x_wconf 95; image \"p.tif\"".
struct Title {
  std::vector<std::pair<std::string_view, std::string_view>> props;
  const std::string_view* get(std::string_view key) const {
    for (const auto& [k, v] : props) {
      if (k == key) return &v;
    }
    return nullptr;
  }
  // The numbers of a property (at most four are ever needed).
  struct Numbers {
    double v[4] = {0, 0, 0, 0};
    int n = 0;
    bool empty() const { return n == 0; }
    std::size_t size() const { return static_cast<std::size_t>(n); }
    double front() const { return v[0]; }
    double operator[](std::size_t i) const { return v[i]; }
  };
  Numbers numbers(std::string_view key) const {
    Numbers out;
    if (const std::string_view* p = get(key)) {
      std::string_view rest = *p;
      while (!rest.empty() && out.n < 4) {
        const std::size_t space = rest.find(' ');
        const std::string_view part = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        if (part.empty()) continue;
        if (auto n = number(part)) out.v[out.n++] = *n;
      }
    }
    return out;
  }
  std::optional<Box> bbox(std::string_view key = "bbox") const {
    const Numbers n = numbers(key);
    if (n.size() < 4) return std::nullopt;
    return boxFromCorners(n[0], n[1], n[2], n[3]);
  }
};

Title titleOf(const Node& n) {
  Title t;
  const std::string_view* title = n.attribute("title");
  if (!title) return t;
  std::string_view rest = *title;
  while (!rest.empty()) {
    const std::size_t semi = rest.find(';');
    std::string_view part = rest.substr(0, semi);
    rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    if (part.empty()) continue;
    part = trim(part);
    const std::size_t space = part.find(' ');
    const std::string_view key = part.substr(0, space);
    std::string_view value = space == std::string_view::npos ? std::string_view() : trim(part.substr(space + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    t.props.emplace_back(key, value);
  }
  return t;
}

bool isAlternatives(const Node& n) {
  const std::string_view* id = n.attribute("id");
  return (id && id->starts_with("lstm_choices")) || hasClass(n, "alternatives") || hasClass(n, "ocr_alternatives");
}

// The text of a word without its alternatives (the first one of an alternatives
// element: its <ins>).
void wordText(const Node& n, std::string& out) {
  if (n.name.empty()) {
    out += n.text;
    return;
  }
  if (isAlternatives(n)) {
    if (hasClass(n, "alternatives") || hasClass(n, "ocr_alternatives")) {
      if (const Node* ins = n.child("ins")) out += ins->allText();
    }
    return;
  }
  for (const auto& c : n.children) wordText(*c, out);
}

std::vector<Alternative> alternativesIn(const Node& n) {
  std::vector<Alternative> out;
  for (const Node* c : n.children) {
    if (c->name.empty()) continue;
    Alternative a;
    a.text = fromUtf8(std::string(trim(c->allText())));
    const Title t = titleOf(*c);
    const Title::Numbers conf = t.numbers("x_confs");
    if (!conf.empty()) a.confidence = conf.front() / 100.0;
    if (!a.text.empty()) out.push_back(std::move(a));
  }
  return out;
}

WordIn hocrWord(const Node& w) {
  WordIn word;
  const Title t = titleOf(w);
  if (auto b = t.bbox()) word.box = *b;
  const Title::Numbers conf = t.numbers("x_wconf");
  if (!conf.empty()) word.confidence = conf.front() / 100.0;
  std::string text;
  wordText(w, text);
  word.text = fromUtf8(std::string(trim(text)));
  // Character boxes (ocrx_cinfo with x_bboxes), each followed by its alternatives.
  for (const Node* c : w.children) {
    if (c->name.empty()) continue;
    const Title ct = titleOf(*c);
    if (hasClass(*c, "ocrx_cinfo") && ct.get("x_bboxes")) {
      GlyphIn g;
      if (auto b = ct.bbox("x_bboxes")) g.box = *b;
      const Title::Numbers cc = ct.numbers("x_conf");
      if (!cc.empty()) g.confidence = cc.front() / 100.0;
      g.text = fromUtf8(std::string(trim(c->allText())));
      word.glyphs.push_back(std::move(g));
    } else if (isAlternatives(*c)) {
      std::vector<Alternative> alts = alternativesIn(*c);
      if (hasClass(*c, "alternatives") || hasClass(*c, "ocr_alternatives")) {
        word.alternatives = std::move(alts);
      } else if (!word.glyphs.empty()) {
        word.glyphs.back().alternatives = std::move(alts);
      }
    }
  }
  return word;
}

bool isHocrLine(const Node& n) {
  for (const char* cls : {"ocr_line", "ocrx_line", "ocr_caption", "ocr_textfloat", "ocr_header", "ocr_footer"}) {
    if (hasClass(n, cls)) return true;
  }
  return false;
}

void hocrLines(const Node& n, std::vector<LineIn>& lines, LineIn* current) {
  for (const Node* c : n.children) {
    if (c->name.empty()) continue;
    if (isHocrLine(*c)) {
      LineIn line;
      if (auto b = titleOf(*c).bbox()) line.box = *b;
      hocrLines(*c, lines, &line);
      if (!line.box.valid()) {
        for (const WordIn& w : line.words) line.box = unite(line.box, w.box);
      }
      lines.push_back(std::move(line));
    } else if (hasClass(*c, "ocrx_word")) {
      if (current) {
        current->words.push_back(hocrWord(*c));
      } else {
        // A word outside any line: a line of its own.
        LineIn line;
        line.words.push_back(hocrWord(*c));
        line.box = line.words.back().box;
        lines.push_back(std::move(line));
      }
    } else {
      hocrLines(*c, lines, current);
    }
  }
}

void hocrBlocks(const Node& n, PageIn& page) {
  for (const Node* c : n.children) {
    if (c->name.empty()) continue;
    const bool image = hasClass(*c, "ocr_photo") || hasClass(*c, "ocr_image") || hasClass(*c, "ocr_float");
    const bool separator = hasClass(*c, "ocr_separator");
    if (image || separator) {
      BlockIn b;
      b.kind = image ? BlockKind::Image : BlockKind::Separator;
      if (auto box = titleOf(*c).bbox()) b.box = *box;
      if (b.box.valid()) page.blocks.push_back(std::move(b));
    } else if (hasClass(*c, "ocr_carea") || hasClass(*c, "ocrx_block")) {
      BlockIn b;
      if (auto box = titleOf(*c).bbox()) b.box = *box;
      hocrLines(*c, b.lines, nullptr);
      if (!b.box.valid()) {
        for (const LineIn& l : b.lines) b.box = unite(b.box, l.box);
      }
      page.blocks.push_back(std::move(b));
    } else {
      hocrBlocks(*c, page);
    }
  }
}

void hocrPages(const Node& n, std::vector<PageIn>& pages) {
  for (const Node* c : n.children) {
    if (c->name.empty()) continue;
    if (hasClass(*c, "ocr_page")) {
      PageIn page;
      const Title t = titleOf(*c);
      if (auto b = t.bbox()) {
        page.width = b->x + b->width;
        page.height = b->y + b->height;
      }
      if (const std::string_view* image = t.get("image")) page.image = fromUtf8(*image);
      const Title::Numbers res = t.numbers("scan_res");
      if (!res.empty() && res.front() > 0 && res.front() < 10000) page.dpi = static_cast<int>(res.front());
      hocrBlocks(*c, page);
      pages.push_back(std::move(page));
    } else {
      hocrPages(*c, pages);
    }
  }
}

// ---- ALTO ---------------------------------------------------------------------------------

struct AltoUnits {
  double factor = 1;  // to pixels
};

std::optional<double> altoNumber(const Node& n, std::string_view attr, const AltoUnits& u) {
  const std::string_view* v = n.attribute(attr);
  if (!v) return std::nullopt;
  auto d = number(*v);
  if (!d) return std::nullopt;
  return *d * u.factor;
}

std::optional<Box> altoBox(const Node& n, const AltoUnits& u) {
  const auto x = altoNumber(n, "HPOS", u), y = altoNumber(n, "VPOS", u);
  const auto w = altoNumber(n, "WIDTH", u), h = altoNumber(n, "HEIGHT", u);
  if (!x || !y || !w || !h) return std::nullopt;
  return boxFromCorners(*x, *y, *x + *w, *y + *h);
}

std::optional<bool> altoDirection(const Node& n) {
  const std::string_view* d = n.attribute("BASEDIRECTION");
  if (!d) return std::nullopt;
  if (*d == "ttb" || *d == "btt") return true;
  if (*d == "ltr" || *d == "rtl") return false;
  return std::nullopt;
}

std::optional<Failure> altoBlock(const Node& n, const AltoUnits& u, PageIn& page, BlockIn* into);

std::optional<Failure> altoTextLine(const Node& l, const AltoUnits& u, BlockIn& block) {
  LineIn line;
  const auto box = altoBox(l, u);
  if (!box) return Failure{"a TextLine without HPOS, VPOS, WIDTH and HEIGHT", l.line};
  line.box = *box;
  if (!block.vertical) block.vertical = altoDirection(l);
  for (const Node* s : l.children) {
    if (s->name != "String") continue;
    WordIn w;
    const std::string_view* content = s->attribute("CONTENT");
    if (!content) return Failure{"a String without CONTENT", s->line};
    w.text = fromUtf8(*content);
    if (auto b = altoBox(*s, u)) w.box = *b;
    if (const std::string_view* wc = s->attribute("WC")) {
      if (auto c = number(*wc)) w.confidence = std::clamp(*c, 0.0, 1.0);
    }
    // CC: one digit a character, 0 sure .. 9 unsure.
    // (Numbers apart, or digits run together.)
    std::vector<double> characterConfidence;
    if (const std::string_view* cc = s->attribute("CC")) {
      for (std::string_view part : split(*cc, ' ')) {
        for (char ch : part) {
          if (ch >= '0' && ch <= '9') characterConfidence.push_back(1.0 - (ch - '0') / 9.0);
        }
      }
    }
    for (const Node* g : s->children) {
      if (g->name == "ALTERNATIVE") {
        Alternative a;
        a.text = fromUtf8(g->allText());
        if (!a.text.empty()) w.alternatives.push_back(std::move(a));
      } else if (g->name == "Glyph") {
        GlyphIn glyph;
        const std::string_view* gc = g->attribute("CONTENT");
        if (!gc) return Failure{"a Glyph without CONTENT", g->line};
        glyph.text = fromUtf8(*gc);
        if (auto b = altoBox(*g, u)) glyph.box = *b;
        if (const std::string_view* c = g->attribute("GC")) {
          if (auto v = number(*c)) glyph.confidence = std::clamp(*v, 0.0, 1.0);
        }
        for (const Node* v : g->children) {
          if (v->name != "Variant") continue;
          Alternative a;
          if (const std::string_view* vc = v->attribute("CONTENT")) a.text = fromUtf8(*vc);
          if (const std::string_view* c = v->attribute("VC")) {
            if (auto d = number(*c)) a.confidence = std::clamp(*d, 0.0, 1.0);
          }
          if (!a.text.empty()) glyph.alternatives.push_back(std::move(a));
        }
        w.glyphs.push_back(std::move(glyph));
      }
    }
    if (w.glyphs.empty() && !characterConfidence.empty()) {
      // Character confidences without glyphs: the word split evenly keeps them.
      std::size_t i = 0;
      for (char16_t c : w.text) {
        if (c >= 0xDC00 && c < 0xE000) continue;
        GlyphIn g;
        g.text = std::u16string(1, c);
        g.confidence = i < characterConfidence.size() ? characterConfidence[i] : w.confidence;
        ++i;
        w.glyphs.push_back(std::move(g));
      }
      // Surrogate pairs stay whole: only when every glyph is one unit.
      if (std::any_of(w.text.begin(), w.text.end(), [](char16_t c) { return c >= 0xD800 && c < 0xE000; })) {
        w.glyphs.clear();
      }
    }
    line.words.push_back(std::move(w));
  }
  block.lines.push_back(std::move(line));
  return std::nullopt;
}

std::optional<Failure> altoBlock(const Node& n, const AltoUnits& u, PageIn& page, BlockIn* into) {
  if (n.name == "TextBlock") {
    BlockIn own;
    BlockIn& b = into ? *into : own;
    const auto box = altoBox(n, u);
    if (!box && !into) return Failure{"a TextBlock without HPOS, VPOS, WIDTH and HEIGHT", n.line};
    if (box) b.box = into ? unite(b.box, *box) : *box;
    if (!b.vertical) b.vertical = altoDirection(n);
    for (const Node* l : n.children) {
      if (l->name != "TextLine") continue;
      if (auto f = altoTextLine(*l, u, b)) return f;
    }
    if (!into) page.blocks.push_back(std::move(own));
  } else if (n.name == "ComposedBlock") {
    // One block for all its text blocks; its pictures and separators stay their own.
    BlockIn b;
    if (auto box = altoBox(n, u)) b.box = *box;
    b.vertical = altoDirection(n);
    for (const Node* c : n.children) {
      if (c->name == "TextBlock") {
        if (auto f = altoBlock(*c, u, page, &b)) return f;
      } else if (!c->name.empty()) {
        if (auto f = altoBlock(*c, u, page, nullptr)) return f;
      }
    }
    if (!b.lines.empty()) page.blocks.push_back(std::move(b));
  } else if (n.name == "Illustration" || n.name == "GraphicalElement") {
    BlockIn b;
    b.kind = n.name == "Illustration" ? BlockKind::Image : BlockKind::Separator;
    if (auto box = altoBox(n, u)) {
      b.box = *box;
      page.blocks.push_back(std::move(b));
    }
  }
  return std::nullopt;
}

// ---- PAGE ---------------------------------------------------------------------------------

std::optional<Box> pageCoords(const Node& n) {
  const Node* coords = n.child("Coords");
  if (!coords) return std::nullopt;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool any = false;
  const auto add = [&](double x, double y) {
    if (!any) {
      x0 = x1 = x;
      y0 = y1 = y;
      any = true;
    }
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  };
  if (const std::string_view* points = coords->attribute("points")) {
    for (std::string_view pair : split(*points, ' ')) {
      const std::size_t comma = pair.find(',');
      if (comma == std::string_view::npos) return std::nullopt;
      const auto x = number(pair.substr(0, comma)), y = number(pair.substr(comma + 1));
      if (!x || !y) return std::nullopt;
      add(*x, *y);
    }
  } else {
    // PAGE 2010–2013: <Point x y/> children.
    for (const Node* p : coords->children) {
      if (p->name != "Point") continue;
      const std::string_view* xs = p->attribute("x");
      const std::string_view* ys = p->attribute("y");
      if (!xs || !ys) return std::nullopt;
      const auto x = number(*xs), y = number(*ys);
      if (!x || !y) return std::nullopt;
      add(*x, *y);
    }
  }
  if (!any) return std::nullopt;
  return boxFromCorners(x0, y0, x1, y1);
}

// The TextEquivs of an element: the first by index is the text, the others its alternatives.
struct Equiv {
  std::u16string text;
  double confidence = -1;
  std::vector<Alternative> alternatives;
  bool present = false;
};

Equiv textEquiv(const Node& n) {
  std::vector<std::pair<double, Alternative>> all;
  for (const Node* c : n.children) {
    if (c->name != "TextEquiv") continue;
    Alternative a;
    if (const Node* u = c->child("Unicode")) a.text = fromUtf8(u->allText());
    if (const std::string_view* conf = c->attribute("conf")) {
      if (auto v = number(*conf)) a.confidence = std::clamp(*v, 0.0, 1.0);
    }
    double index = static_cast<double>(all.size());
    if (const std::string_view* i = c->attribute("index")) {
      if (auto v = number(*i)) index = *v;
    }
    all.emplace_back(index, std::move(a));
  }
  Equiv e;
  if (all.empty()) return e;
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  e.present = true;
  e.text = all.front().second.text;
  e.confidence = all.front().second.confidence;
  for (auto& [index, a] : all) e.alternatives.push_back(a);
  return e;
}

std::optional<Failure> pageRegion(const Node& r, PageIn& page, std::vector<std::pair<std::string, std::size_t>>& ids) {
  const auto box = pageCoords(r);
  if (r.name == "TextRegion") {
    if (!box) return Failure{"a TextRegion without Coords", r.line};
    BlockIn b;
    b.box = *box;
    if (const std::string_view* d = r.attribute("readingDirection")) {
      if (*d == "top-to-bottom" || *d == "bottom-to-top") b.vertical = true;
      if (*d == "left-to-right" || *d == "right-to-left") b.vertical = false;
    }
    for (const Node* l : r.children) {
      if (l->name != "TextLine") continue;
      LineIn line;
      const auto lb = pageCoords(*l);
      if (!lb) return Failure{"a TextLine without Coords", l->line};
      line.box = *lb;
      for (const Node* w : l->children) {
        if (w->name != "Word") continue;
        WordIn word;
        if (auto wb = pageCoords(*w)) word.box = *wb;
        const Equiv we = textEquiv(*w);
        word.text = we.text;
        word.confidence = we.confidence;
        for (const Node* g : w->children) {
          if (g->name != "Glyph") continue;
          GlyphIn glyph;
          if (auto gb = pageCoords(*g)) glyph.box = *gb;
          const Equiv ge = textEquiv(*g);
          glyph.text = ge.text;
          glyph.confidence = ge.confidence;
          if (ge.alternatives.size() > 1) glyph.alternatives = ge.alternatives;
          word.glyphs.push_back(std::move(glyph));
        }
        if (word.text.empty()) {
          for (const GlyphIn& g : word.glyphs) word.text += g.text;
        }
        if (we.alternatives.size() > 1) word.alternatives = we.alternatives;
        line.words.push_back(std::move(word));
      }
      if (line.words.empty()) {
        // A line with its text only: one word over the line.
        const Equiv le = textEquiv(*l);
        WordIn word;
        word.box = line.box;
        word.text = le.text;
        word.confidence = le.confidence;
        if (!word.text.empty()) line.words.push_back(std::move(word));
      }
      b.lines.push_back(std::move(line));
    }
    if (const std::string_view* id = r.attribute("id")) ids.emplace_back(std::string(*id), page.blocks.size());
    page.blocks.push_back(std::move(b));
  } else if (r.name == "ImageRegion" || r.name == "GraphicRegion" || r.name == "ChartRegion" ||
             r.name == "SeparatorRegion") {
    if (!box) return std::nullopt;
    BlockIn b;
    b.kind = r.name == "SeparatorRegion" ? BlockKind::Separator : BlockKind::Image;
    b.box = *box;
    if (const std::string_view* id = r.attribute("id")) ids.emplace_back(std::string(*id), page.blocks.size());
    page.blocks.push_back(std::move(b));
  }
  return std::nullopt;
}

// The region ids of a ReadingOrder in order.
void readingOrder(const Node& n, std::vector<std::string>& order) {
  std::vector<std::pair<double, const Node*>> refs;
  for (const Node* c : n.children) {
    if (c->name.empty()) continue;
    double index = static_cast<double>(refs.size());
    if (const std::string_view* i = c->attribute("index")) {
      if (auto v = number(*i)) index = *v;
    }
    refs.emplace_back(index, c);
  }
  if (n.name == "OrderedGroup" || n.name == "OrderedGroupIndexed") {
    std::stable_sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  for (const auto& [index, c] : refs) {
    if (const std::string_view* ref = c->attribute("regionRef")) order.emplace_back(*ref);
    readingOrder(*c, order);
  }
}

ImportResult failed(const Failure& f) {
  ImportResult r;
  r.error = f.message;
  r.line = f.line;
  return r;
}

ImportResult built(std::vector<PageIn>& pages) {
  ImportResult r;
  r.paper = buildPaper(pages);
  return r;
}

}  // namespace

ImportResult readHocr(std::string_view bytes) {
  const Markup m = parseMarkup(bytes, true);
  if (!m.error.empty()) return failed({"not hOCR: " + m.error, m.errorLine});
  std::vector<PageIn> pages;
  hocrPages(*m.root, pages);
  if (pages.empty()) return failed({"not hOCR: no element of class ocr_page", 0});
  for (const PageIn& p : pages) {
    if (p.width <= 0 || p.height <= 0) return failed({"an ocr_page without its bbox", 0});
  }
  return built(pages);
}

ImportResult readAlto(std::string_view bytes, int dpi) {
  const Markup m = parseMarkup(bytes, false);
  if (!m.error.empty()) return failed({m.error, m.errorLine});
  const Node* root = m.documentElement();
  if (!root || root->name != "alto") return failed({"not ALTO: the root element is not <alto>", root ? root->line : 0});
  AltoUnits units;
  std::u16string image;
  if (const Node* d = root->child("Description")) {
    if (const Node* mu = d->child("MeasurementUnit")) {
      const std::string unit(trim(mu->allText()));
      const double resolution = dpi > 0 ? dpi : 300;
      if (unit == "mm10") {
        units.factor = resolution / 254.0;
      } else if (unit == "inch1200") {
        units.factor = resolution / 1200.0;
      } else if (unit != "pixel" && !unit.empty()) {
        return failed({"an unknown MeasurementUnit \"" + unit + "\"", mu->line});
      }
    }
    if (const Node* s = d->child("sourceImageInformation")) {
      if (const Node* f = s->child("fileName")) image = fromUtf8(std::string(trim(f->allText())));
    }
  }
  const Node* layout = root->child("Layout");
  if (!layout) return failed({"an ALTO file without <Layout>", root->line});
  std::vector<PageIn> pages;
  for (const Node* p : layout->children) {
    if (p->name != "Page") continue;
    PageIn page;
    page.image = image;
    const auto w = altoNumber(*p, "WIDTH", units), h = altoNumber(*p, "HEIGHT", units);
    if (!w || !h || *w <= 0 || *h <= 0) return failed({"a Page without WIDTH and HEIGHT", p->line});
    page.width = std::llround(*w);
    page.height = std::llround(*h);
    if (units.factor != 1) page.dpi = dpi;
    for (const Node* space : p->children) {
      if (space->name.empty()) continue;
      for (const Node* b : space->children) {
        if (b->name.empty()) continue;
        if (auto f = altoBlock(*b, units, page, nullptr)) return failed(*f);
      }
    }
    pages.push_back(std::move(page));
  }
  if (pages.empty()) return failed({"an ALTO file without <Page>", layout->line});
  return built(pages);
}

ImportResult readPage(std::string_view bytes) {
  const Markup m = parseMarkup(bytes, false);
  if (!m.error.empty()) return failed({m.error, m.errorLine});
  const Node* root = m.documentElement();
  if (!root || root->name != "PcGts")
    return failed({"not PAGE: the root element is not <PcGts>", root ? root->line : 0});
  std::vector<PageIn> pages;
  for (const Node* p : root->children) {
    if (p->name != "Page") continue;
    PageIn page;
    const std::string_view* w = p->attribute("imageWidth");
    const std::string_view* h = p->attribute("imageHeight");
    const auto wv = w ? number(*w) : std::nullopt, hv = h ? number(*h) : std::nullopt;
    if (!wv || !hv || *wv <= 0 || *hv <= 0) return failed({"a Page without imageWidth and imageHeight", p->line});
    page.width = std::llround(*wv);
    page.height = std::llround(*hv);
    if (const std::string_view* f = p->attribute("imageFilename")) page.image = fromUtf8(*f);
    std::vector<std::pair<std::string, std::size_t>> ids;
    std::vector<std::string> order;
    for (const Node* r : p->children) {
      if (r->name == "ReadingOrder") {
        readingOrder(*r, order);
      } else if (!r->name.empty()) {
        if (auto f = pageRegion(*r, page, ids)) return failed(*f);
      }
    }
    if (!order.empty()) {
      // The regions in reading order; those it leaves out after them, as they stand.
      std::vector<BlockIn> sorted;
      std::vector<bool> taken(page.blocks.size(), false);
      for (const std::string& id : order) {
        for (const auto& [name, index] : ids) {
          if (name == id && !taken[index]) {
            taken[index] = true;
            sorted.push_back(std::move(page.blocks[index]));
          }
        }
      }
      for (std::size_t i = 0; i < page.blocks.size(); ++i) {
        if (!taken[i]) sorted.push_back(std::move(page.blocks[i]));
      }
      page.blocks = std::move(sorted);
    }
    pages.push_back(std::move(page));
  }
  if (pages.empty()) return failed({"a PAGE file without <Page>", root->line});
  return built(pages);
}

ImportResult readInterchange(std::string_view bytes, Format f) {
  switch (f) {
    case Format::Hocr:
      return readHocr(bytes);
    case Format::Alto:
      return readAlto(bytes);
    case Format::Page:
      return readPage(bytes);
    default:
      return failed({"not hOCR, ALTO or PAGE XML", 0});
  }
}

Format detectFormat(std::string_view bytes) {
  // The first element's name, past the declaration, comments and the doctype.
  std::size_t i = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) i = 3;
  for (int guard = 0; guard < 64 && i < bytes.size(); ++guard) {
    const std::size_t lt = bytes.find('<', i);
    if (lt == std::string_view::npos) return Format::Unknown;
    if (bytes.substr(lt).starts_with("<!--")) {
      const std::size_t end = bytes.find("-->", lt);
      if (end == std::string_view::npos) return Format::Unknown;
      i = end + 3;
      continue;
    }
    if (bytes.substr(lt).starts_with("<?") || bytes.substr(lt).starts_with("<!")) {
      const std::size_t end = bytes.find('>', lt);
      if (end == std::string_view::npos) return Format::Unknown;
      i = end + 1;
      continue;
    }
    std::size_t end = lt + 1;
    while (end < bytes.size() && bytes[end] != ' ' && bytes[end] != '>' && bytes[end] != '/' && bytes[end] != '\t' &&
           bytes[end] != '\r' && bytes[end] != '\n') {
      ++end;
    }
    std::string_view name = bytes.substr(lt + 1, end - lt - 1);
    const std::size_t colon = name.rfind(':');
    if (colon != std::string_view::npos) name = name.substr(colon + 1);
    const std::string lower = lowerAscii(name);
    if (lower == "paper") return Format::WorkFile;
    if (name == "alto") return Format::Alto;
    if (name == "PcGts") return Format::Page;
    if (lower == "html" || lower == "body" || lower == "div") {
      return bytes.find("ocr_page") != std::string_view::npos ? Format::Hocr : Format::Unknown;
    }
    return Format::Unknown;
  }
  return Format::Unknown;
}

std::string_view formatName(Format f) {
  switch (f) {
    case Format::WorkFile:
      return "workfile";
    case Format::Hocr:
      return "hocr";
    case Format::Alto:
      return "alto";
    case Format::Page:
      return "page";
    default:
      return "unknown";
  }
}

std::optional<Format> formatNamed(std::string_view name) {
  for (Format f : {Format::WorkFile, Format::Hocr, Format::Alto, Format::Page}) {
    if (formatName(f) == name) return f;
  }
  return std::nullopt;
}

}  // namespace lexova::interchange
