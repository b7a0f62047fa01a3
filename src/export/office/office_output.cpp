#include "export/office/office_output.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "export/office/glyph_font.h"
#include "imaging/pict_info.h"
#include "text/utf.h"

namespace lexova::office {

namespace {

constexpr double kA4Short = 11905, kA4ShortLimit = 11906, kA4Long = 16837, kA4LongLimit = 16838;

// A side in twips snapped to A4's: anything below the A4 limit, or less than 5 %
// above it, becomes A4's side.
double snap(double side, double a4, double limit) {
  if (side < limit || side < limit * 1.05) return a4;
  return side;
}

struct Box {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool empty = true;
  void add(double l, double t, double r, double b) {
    if (empty) {
      left = l, top = t, right = r, bottom = b;
      empty = false;
    } else {
      left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
    }
  }
};

// The line's characters as text (tab and line feed left out), with the UTF-16
// offset where each character starts.
struct LineText {
  std::u16string text;
  std::vector<std::size_t> starts;
};

LineText lineText(const COcrLine& line) {
  LineText t;
  for (const COcrChar& c : line.chars) {
    t.starts.push_back(t.text.size());
    if (c.code[0] == 9 || c.code[0] == 10) continue;
    t.text += codeText(c.code);
  }
  t.starts.push_back(t.text.size());
  return t;
}

// The lines of a block or cell as the library takes them: annotation lines become
// the ruby (or emphasis) of the characters of their base line they cover.
std::vector<OfficeLine> officeLines(const LineList& lines) {
  std::vector<OfficeLine> out;
  std::vector<const COcrLine*> bases;
  std::vector<LineText> texts;
  for (const COcrLine& line : lines) {
    if (line.attr != kAttrNone && line.baseLine != nullptr) continue;
    bases.push_back(&line);
    texts.push_back(lineText(line));
  }
  out.resize(bases.size());
  for (std::size_t i = 0; i < bases.size(); ++i) out[i].text = texts[i].text;
  for (const COcrLine& line : lines) {
    if (line.attr == kAttrNone || line.baseLine == nullptr) continue;
    const auto at = std::find(bases.begin(), bases.end(), line.baseLine);
    if (at == bases.end()) continue;
    const std::size_t b = static_cast<std::size_t>(at - bases.begin());
    const LineText& base = texts[b];
    const int chars = static_cast<int>(base.starts.size()) - 1;
    const int first = std::clamp(line.RCS, 1, std::max(chars, 1)) - 1;
    const int last = std::clamp(line.RCE, line.RCS, std::max(chars, 1)) - 1;
    if (chars <= 0 || base.starts[static_cast<std::size_t>(last) + 1] <= base.starts[static_cast<std::size_t>(first)]) {
      continue;
    }
    OfficeRuby ruby;
    ruby.first = base.starts[static_cast<std::size_t>(first)];
    ruby.last = base.starts[static_cast<std::size_t>(last) + 1] - 1;
    ruby.text = lineText(line).text;
    ruby.emphasis = line.attr == kAttrEmph;
    out[b].ruby.push_back(std::move(ruby));
  }
  for (OfficeLine& l : out) {
    std::sort(l.ruby.begin(), l.ruby.end(), [](const OfficeRuby& a, const OfficeRuby& c) { return a.first < c.first; });
  }
  return out;
}

RectPt toPoints(double l, double t, double r, double b, int dpi, const PageGeometry& g) {
  const double s = 72.0 / dpi;
  return {(l + g.offsetXPx) * s, (t + g.offsetYPx) * s, (r - l) * s, (b - t) * s};
}

bool hasCharacters(const COcrPage& page) {
  for (const COcrBlock& b : page.blocks) {
    if (b.type == kBlockText && !b.lines.empty()) return true;
    if (b.type == kBlockTable) {
      for (const COcrCell& c : b.cells) {
        if (!c.lines.empty()) return true;
      }
    }
  }
  return false;
}

}  // namespace

PageGeometry pageGeometry(const COcrPage& page, int dpi, OfficeKind kind, int columnPriority) {
  PageGeometry g;
  PageSetup& s = g.setup;
  s.dpi = dpi;
  const double widthPx = std::max(page.width, 1), heightPx = std::max(page.height, 1);
  s.widthPt = widthPx * 72 / dpi;
  s.heightPt = heightPx * 72 / dpi;
  s.langId = 128;
  const double tw = 1440.0 / dpi;
  if (kind == OfficeKind::Xps) {
    s.widthTw = widthPx * tw;
    s.heightTw = heightPx * tw;
    return g;
  }
  double w = widthPx * tw, h = heightPx * tw;
  if (w > h) {
    w = snap(w, kA4Long, kA4LongLimit);
    h = snap(h, kA4Short, kA4ShortLimit);
  } else {
    w = snap(w, kA4Short, kA4ShortLimit);
    h = snap(h, kA4Long, kA4LongLimit);
  }
  s.widthTw = w;
  s.heightTw = h;
  Box content;
  for (const COcrBlock& b : page.blocks) {
    content.add(b.x, b.y, static_cast<double>(b.x) + b.width, static_cast<double>(b.y) + b.height);
  }
  if (content.empty) return g;
  if (columnPriority == 1) {
    g.offsetXPx = (widthPx - (content.right - content.left)) / 2 - content.left;
    g.offsetYPx = (heightPx - (content.bottom - content.top)) / 2 - content.top;
    content.left += g.offsetXPx, content.right += g.offsetXPx;
    content.top += g.offsetYPx, content.bottom += g.offsetYPx;
    s.offsetXTw = g.offsetXPx * tw + 400;
    s.offsetYTw = g.offsetYPx * tw + 400;
  }
  s.leftTw = std::max(content.left * tw, 0.0);
  s.topTw = std::max(content.top * tw, 0.0);
  s.rightTw = std::max(w - content.right * tw, 0.0);
  s.bottomTw = std::max(h - content.bottom * tw, 0.0);
  if (s.rightTw > 210) s.rightTw -= 210;
  if (s.bottomTw > 210) s.bottomTw -= 210;
  return g;
}

TextArea textArea(const COcrBlock& block, int dpi, const PageGeometry& g) {
  TextArea a;
  const bool vertical = block.direction == kVertical;
  a.direction = vertical ? kVerticalText : kHorizontalText;
  a.nonJapanese = block.langId != 128;
  a.langId = block.langId;
  a.lines = officeLines(block.lines);
  Box area;
  double sizeSum = 0, gapSum = 0;
  int sized = 0, gaps = 0;
  const COcrLine* previous = nullptr;
  for (const COcrLine& line : block.lines) {
    if (line.attr != kAttrNone && line.baseLine != nullptr) continue;
    area.add(line.x, line.y, static_cast<double>(line.x) + line.width, static_cast<double>(line.y) + line.height);
    double charSize = 0;
    for (const COcrChar& c : line.chars) charSize = std::max<double>(charSize, vertical ? c.width : c.height);
    sizeSum += std::max<double>(vertical ? line.width : line.height, charSize);
    ++sized;
    if (previous != nullptr) {
      gapSum += vertical ? previous->x - (static_cast<double>(line.x) + line.width)
                         : line.y - (static_cast<double>(previous->y) + previous->height);
      ++gaps;
    }
    previous = &line;
  }
  if (area.empty)
    area.add(block.x, block.y, static_cast<double>(block.x) + block.width, static_cast<double>(block.y) + block.height);
  const double lineSize = sized > 0 ? sizeSum / sized : std::max(vertical ? block.width : block.height, 1);
  double gap = gaps > 0 ? gapSum / gaps : lineSize / 5;
  if (gaps == 0 && !vertical) {
    area.left -= lineSize / 2, area.right += lineSize / 2;
    area.top -= gap / 2, area.bottom += gap / 2;
  }
  a.rect = toPoints(area.left, area.top, area.right, area.bottom, dpi, g);
  a.fontSize = std::max(1.0, std::round(lineSize * 72 / dpi));
  a.linePitch = -(lineSize + std::max(gap, 0.0)) * 72 / dpi;
  return a;
}

TableArea tableArea(const COcrBlock& block, int dpi, const PageGeometry& g) {
  TableArea t;
  t.direction = block.direction == kVertical ? kVerticalText : kHorizontalText;
  t.nonJapanese = block.langId != 128;
  t.langId = block.langId;
  const double growW = std::min(block.width * 0.01, 3.0), growH = std::min(block.height * 0.01, 3.0);
  t.rect = toPoints(block.x, block.y, block.x + block.width + growW, block.y + block.height + growH, dpi, g);
  if (block.cells.empty()) return t;
  int minRow = INT_MAX, minCol = INT_MAX, maxRow = INT_MIN, maxCol = INT_MIN;
  for (const COcrCell& c : block.cells) {
    minRow = std::min(minRow, c.row), maxRow = std::max(maxRow, c.row);
    minCol = std::min(minCol, c.col), maxCol = std::max(maxCol, c.col);
  }
  const long long rows = 0LL + maxRow - minRow + 1, columns = 0LL + maxCol - minCol + 1;
  const bool grid = rows <= 1000 && columns <= 1000 && rows * columns <= 65536;
  // Without a grid of a sensible size the cells go one under another.
  t.rows = grid ? static_cast<int>(rows) : static_cast<int>(block.cells.size());
  t.columns = grid ? static_cast<int>(columns) : 1;
  int order = 0;
  for (const COcrCell& c : block.cells) {
    TableCell cell;
    cell.row = grid ? c.row - minRow : order;
    cell.col = grid ? c.col - minCol : 0;
    ++order;
    cell.rect = toPoints(c.x, c.y, static_cast<double>(c.x) + c.width, static_cast<double>(c.y) + c.height, dpi, g);
    cell.lines = officeLines(c.lines);
    double heights = 0;
    int n = 0;
    for (const COcrLine& line : c.lines) {
      if (line.attr != kAttrNone) continue;
      heights += t.direction == kVerticalText ? line.width : line.height;
      ++n;
    }
    cell.fontSize = n > 0 ? std::max(1.0, std::round(heights / n * 72 / dpi)) : 10.5;
    t.cells.push_back(std::move(cell));
  }
  return t;
}

LineArea lineArea(const COcrBlock& block, int dpi, const PageGeometry& g) {
  LineArea l;
  const double x = block.x + g.offsetXPx - 80, y = block.y + g.offsetYPx - 20;
  const bool vertical = block.height > block.width;
  l.orientation = vertical ? kLineVertical : kLineHorizontal;
  l.rect = toPoints(x, y, x + block.width, y + (vertical ? block.height : 0), dpi, PageGeometry{});
  return l;
}

namespace {

// The picture of an image block: one-bit pages as PNG at their resolution rule,
// gray and colour as JPEG at quality 75 and at most 300 dpi.
bool pictureOf(imaging::CPICT_INFO& image, const COcrBlock& block, int dpi, ImageArea& area) {
  imaging::CPICT_INFO cut;
  if (!imaging::MakeSubPictImageFromPict(image, block.x, block.y, block.x + block.width, block.y + block.height, cut)) {
    return false;
  }
  double target = 300;
  if (image.BitCount == 1) {
    target = (image.XResolution > 0 ? image.XResolution : dpi) * 0.4;
    if (target <= 72 || dpi <= 72) target = 72;
    if (target >= dpi) target = dpi;
  }
  const double ratio = target / dpi;
  if (ratio > 0.1 && ratio < 1) {
    imaging::CPICT_INFO small;
    if (!imaging::MakeShrinkImageFromPict(cut, small, ratio, 1)) return false;
    cut = std::move(small);
  }
  if (cut.BitCount == 1) {
    area.data = imaging::encodePng(cut);
    area.kind = kPicturePng;
  } else {
    if (cut.BitCount == 24 && imaging::isGray24(cut)) {
      imaging::CPICT_INFO gray;
      if (imaging::Convert24BitColorImageTo8BitGrayscaleImage(cut, gray)) cut = std::move(gray);
    }
    if (!imaging::fitForJpeg(cut)) return false;
    area.data = imaging::encodeJpeg(cut, 75).data;
    area.kind = kPictureJpeg;
  }
  area.pixelWidth = cut.Width;
  area.pixelHeight = cut.Height;
  area.resolution = cut.XResolution > 0 ? cut.XResolution : static_cast<int>(target);
  return !area.data.empty();
}

std::u16string asianFontFor(OfficeKind kind, const COcrPage& page) {
  for (const COcrBlock& b : page.blocks) {
    if (b.type != kBlockText && b.type != kBlockTable) continue;
    if (b.langId == 134 || b.langId == 136 || b.langId == 129) return u"Arial Unicode MS";
    break;
  }
  return kind == OfficeKind::Word ? u"ＭＳ 明朝" : u"MS Pゴシック";
}

}  // namespace

int addOfficePage(OfficeLibrary& library, OfficeKind kind, const COcrPaper& paper, const COcrPage& page,
                  const std::string& imageFile, const OfficeExportOptions& options) {
  const int dpi = pageDpi(page, paper);
  PageGeometry g = pageGeometry(page, dpi, kind, options.columnPriority);
  g.setup.asianFont = asianFontFor(kind, page);
  g.setup.latinFont = u"Century";
  // Every page gives its geometry first, whatever it holds.
  if (library.addPage(g.setup) != 0) return -1;
  const bool text = hasCharacters(page);
  imaging::CPICT_INFO image;
  bool imageLoaded = false;
  for (const COcrBlock& block : page.blocks) {
    int r = 0;
    if (block.type == kBlockText && text) {
      r = library.addTextArea(textArea(block, dpi, g));
    } else if (block.type == kBlockTable && text) {
      r = library.addTableArea(tableArea(block, dpi, g));
    } else if (block.type == kBlockLine) {
      r = library.addLineArea(lineArea(block, dpi, g));
    } else if (block.type == kBlockImage && !imageFile.empty()) {
      if (!imageLoaded) {
        image.FileName = imageFile;
        imageLoaded = imaging::LoadImageFileProc(image) == 1;
        if (!imageLoaded) continue;
      }
      ImageArea area;
      if (!pictureOf(image, block, dpi, area)) continue;
      const double s = 72.0 / dpi;
      if (kind == OfficeKind::Xps) {
        area.rect = {block.x * s, block.y * s, block.width * s, block.height * s};
      } else {
        area.rect = {std::max(0.0, g.setup.offsetXTw / 20 + block.x * s - 15), block.y * s + g.setup.offsetYTw / 20,
                     block.width * s, block.height * s};
      }
      r = library.addImageArea(area);
    }
    if (r != 0) return -1;
  }
  return 0;
}

bool CDocxOutput::AddPage(const COcrPaper& paper, const COcrPage& page) {
  const std::string image = options_.pageImages ? options_.pageImages(page) : std::string();
  if (addOfficePage(library_, kind_, paper, page, image, options_) != 0) return false;
  ++pages_;
  library_.addPageBreak();
  return true;
}

int CDocxOutput::Create(const std::string& path) {
  const bool moreThanFive = pages_ > 5;
  switch (kind_) {
    case OfficeKind::Word:
      return library_.createDocX(path, moreThanFive);
    case OfficeKind::PowerPoint:
      return library_.createPPTX(path, moreThanFive, "PptXTemplate");
    case OfficeKind::Xps:
      // The fonts go in as subsets of the glyphs drawn (by Unicode character, in
      // every script); a font HarfBuzz cannot subset goes in whole.
      for (const XpsFontUse& use : library_.xpsFontUsage()) {
        const auto font = GlyphFont::load(use.fontFile);
        if (!font) continue;
        std::vector<std::uint8_t> subset = font->subset(use.characters, use.glyphs);
        if (subset.empty()) subset = font->bytes();
        library_.addXPSFontSubset(use.langId, std::move(subset));
      }
      return library_.createXPS(path, moreThanFive);
  }
  return -1;
}

int ExportOfficeDocument(const COcrPaper& paper, const std::u16string& path, OfficeKind kind, int first, int last,
                         const OfficeExportOptions& options, Host& host, OfficeExportReport* report) {
  OfficeExportReport local;
  OfficeExportReport& r = report != nullptr ? *report : local;
  const int count = static_cast<int>(paper.pages.size());
  const int from = std::max(first, 0), to = last < 0 ? count - 1 : std::min(last, count - 1);
  const char16_t* title = kind == OfficeKind::Word         ? u"Wordファイル保存中..."
                          : kind == OfficeKind::PowerPoint ? u"PowerPointファイル保存中..."
                                                           : u"XPSファイル保存中...";
  auto failed = [&] {
    host.message(
        kind == OfficeKind::Word ? path + u"は保存できませんでした" : u"ファイル " + path + u" が保存できません。",
        u"エラー", MessageIcon::Error);
    return 0;
  };
  CDocxOutput output(kind, options);
  if (!output.Init()) {
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
    return 0;
  }
  host.progressBegin(title, count * 2);
  int step = 0, index = 0;
  for (const COcrPage& page : paper.pages) {
    const int at = index++;
    if (at < from) continue;
    if (at > to) break;
    host.progressText(u"ファイル保存中　" + text::fromUtf8(std::to_string(r.pages + 1)) + u"/" +
                      text::fromUtf8(std::to_string(count)));
    if (!output.AddPage(paper, page)) {
      host.progressEnd();
      host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
      return 0;
    }
    ++r.pages;
    host.progressValue(step += 2);
    // A cancel still writes the pages done so far.
    if (host.progressCancelled()) {
      r.cancelled = true;
      break;
    }
  }
  host.progressEnd();
  r.moreThanFivePages = r.pages > 5;
  return output.Create(text::toUtf8(path)) == 0 ? 1 : failed();
}

}  // namespace lexova::office
