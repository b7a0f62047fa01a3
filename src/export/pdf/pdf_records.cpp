#include "export/pdf/pdf_records.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "export/pdf/pdf_fonts.h"

namespace lexova::pdf {

namespace {

// Coordinates and sizes in points are kept within what a page can be (a work
// file may carry any int), so that no conversion or difference overflows.
constexpr double kMaxPoints = 1e6;  // also bounds hundredths of a point: 1e6 is 10,000 points

double limited(double v) {
  return std::isnan(v) ? 0 : std::clamp(v, -kMaxPoints, kMaxPoints);
}

int toInt(double v) {
  return static_cast<int>(limited(v));
}

double round2(double v) {
  return std::round(limited(v) * 100.0) / 100.0;
}

PixelBox boxOf(int x, int y, int w, int h) {
  return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(x) + w, static_cast<double>(y) + h};
}

bool usable(const PixelBox& b) {
  return b.left >= 0 && b.top >= 0 && b.width() > 0 && b.height() > 0;
}

PixelBox shifted(const PixelBox& b, bool vertical, double by) {
  PixelBox r = b;
  if (vertical) {
    r.top += by;
    r.bottom += by;
  } else {
    r.left += by;
    r.right += by;
  }
  return r;
}

PixelBox between(const PixelBox& a, const PixelBox& b, double t) {
  return {a.left + (b.left - a.left) * t, a.top + (b.top - a.top) * t, a.right + (b.right - a.right) * t,
          a.bottom + (b.bottom - a.bottom) * t};
}

bool isSkipped(char16_t c) {
  return c == 9 || c == 10;
}

// Blocks in these languages drop a space that directly follows a space.
bool dropsDoubleSpaces(int langId) {
  return langId == 161 || langId == 204;
}

// The characters of one line a record takes, with their boxes.
struct LineChars {
  std::vector<const COcrChar*> chars;
  std::vector<PixelBox> boxes;
  std::vector<bool> real;
  double tallest = -1;  // of the real boxes, else of the placed ones
};

LineChars keptChars(const COcrLine& line, bool vertical, const PixelBox& area, int langId, bool keepCarriageReturn) {
  LineChars out;
  const std::vector<PixelBox> placed = placeCharacters(line, vertical, area);
  const bool dropSpaces = dropsDoubleSpaces(langId);
  char16_t previous = 0;
  double tallestReal = -1, tallestPlaced = -1;
  std::size_t i = 0;
  for (const COcrChar& c : line.chars) {
    const PixelBox& box = placed[i++];
    const char16_t first = c.code[0];
    if (codeLength(c.code) == 0 || isSkipped(first)) continue;
    if (!keepCarriageReturn && first == 13) continue;
    if (dropSpaces && first == u' ' && previous == u' ') continue;
    previous = first;
    out.chars.push_back(&c);
    out.boxes.push_back(box);
    out.real.push_back(hasBox(c));
    if (hasBox(c)) tallestReal = std::max(tallestReal, box.height());
    tallestPlaced = std::max(tallestPlaced, box.height());
  }
  out.tallest = tallestReal >= 0 ? tallestReal : tallestPlaced;
  return out;
}

// Averages of the box sizes of a record: over the real boxes, else the placed ones.
struct BoxAverages {
  double sumH = 0, sumW = 0, sumPlacedH = 0, sumPlacedW = 0;
  int real = 0, placed = 0;
  void add(const PixelBox& b, bool isReal) {
    if (isReal) {
      sumH += b.height();
      sumW += b.width();
      ++real;
    }
    sumPlacedH += b.height();
    sumPlacedW += b.width();
    ++placed;
  }
  double height() const { return real > 0 ? sumH / real : (placed > 0 ? sumPlacedH / placed : 0); }
  double width() const { return real > 0 ? sumW / real : (placed > 0 ? sumPlacedW / placed : 0); }
};

// A size a reader can set: a record measured over nothing usable gets 10.5 points.
double usableSize(double size) {
  return size > 0 ? size : 10.5;
}

// Collects the lines of one visible text record (or table cell) and measures it.
class RecordBuilder {
 public:
  RecordBuilder(const CPDFdata& data, bool vertical, int font)
      : dpi_(data.dpi), pageHeight_(data.heightPoints()), vertical_(vertical), font_(font) {}

  bool started() const { return started_; }
  double lastTallest() const { return lastTallest_; }

  void addLine(const LineChars& line) {
    if (started_) ++pendingBreaks_;
    for (std::size_t i = 0; i < line.chars.size(); ++i) {
      const PixelBox& b = line.boxes[i];
      if (pendingBreaks_ > 0) {
        for (; pendingBreaks_ > 0; --pendingBreaks_) {
          record_.append(10);
          ++lines_;
        }
      }
      if (!started_) {
        started_ = true;
        lines_ = 1;
        first_ = b;
        extent_ = b;
      }
      for (const char16_t u : codeText(line.chars[i]->code)) record_.append(u);
      extent_.left = std::min(extent_.left, b.left);
      extent_.top = std::min(extent_.top, b.top);
      extent_.right = std::max(extent_.right, b.right);
      extent_.bottom = std::max(extent_.bottom, b.bottom);
      averages_.add(b, line.real[i]);
    }
    if (!line.chars.empty()) lastTallest_ = line.tallest;
  }

  // The finished record, measured: a paragraph's size to two decimals, or a
  // table cell's to the nearest point from the mean of height and width.
  tagPDFTEXT finish(bool tableCell, PixelBox& extent, PixelBox& first) {
    tagPDFTEXT r = std::move(record_);
    r.font = font_;
    r.render = 0;
    const double scale = 72.0 / dpi_;
    if (started_) {
      r.size = tableCell ? std::floor(limited((averages_.height() + averages_.width()) / 2 * scale) + 0.5)
                         : round2(averages_.height() * scale);
      r.size = usableSize(r.size);
      if (vertical_) {
        r.x = toInt((first_.left + first_.right) / 2 * scale);
        r.y = toInt(pageHeight_ - extent_.top * scale);
        r.advance = lines_ > 1 ? (first_.left - extent_.left) / (lines_ - 1) * scale : extent_.width() * scale;
      } else {
        r.x = toInt(extent_.left * scale);
        r.y = toInt(pageHeight_ - first_.bottom * scale);
        r.advance = lines_ > 1 ? (extent_.bottom - first_.bottom) / (lines_ - 1) * scale : extent_.height() * scale;
      }
      r.advance = round2(r.advance);
    }
    extent = extent_;
    first = first_;
    *this = RecordBuilder(dpi_, pageHeight_, vertical_, font_);
    return r;
  }

 private:
  RecordBuilder(int dpi, int pageHeight, bool vertical, int font)
      : dpi_(dpi), pageHeight_(pageHeight), vertical_(vertical), font_(font) {}

  int dpi_;
  int pageHeight_;
  bool vertical_;
  int font_;
  tagPDFTEXT record_;
  bool started_ = false;
  int lines_ = 0, pendingBreaks_ = 0;
  PixelBox first_, extent_;
  BoxAverages averages_;
  double lastTallest_ = -1;
};

// A finished visible record with what the page pass needs of it.
struct Closed {
  tagPDFTEXT record;
  PixelBox extent, first;
};

PixelBox areaOf(const COcrBlock& b) {
  return boxOf(b.x, b.y, b.width, b.height);
}

// Whether a line starts a new record: the record holds characters and the line is
// an annotation, or its tallest character differs by more than 3 points.
bool startsRecord(bool started, double lastTallest, const COcrLine& line, const LineChars& chars, int dpi) {
  if (!started) return false;
  if (line.attr != kAttrNone) return true;
  return !chars.chars.empty() && std::fabs(chars.tallest - lastTallest) > dpi * 3.0 / 72.0;
}

void textRecordsOfLines(const CPDFdata& data, const LineList& lines, bool vertical, int langId, const PixelBox& area,
                        std::vector<Closed>& out) {
  RecordBuilder builder(data, vertical, pdfFontFor(vertical ? kVertical : kHorizontal, langId));
  auto close = [&] {
    if (!builder.started()) return;
    Closed c;
    c.record = builder.finish(false, c.extent, c.first);
    out.push_back(std::move(c));
  };
  for (const COcrLine& line : lines) {
    const LineChars chars = keptChars(line, vertical, area, langId, true);
    if (startsRecord(builder.started(), builder.lastTallest(), line, chars, data.dpi)) close();
    builder.addLine(chars);
  }
  close();
}

// A one-line record followed by a record that starts left of it and above its
// bottom gets a line feed, a space and a line feed, so that readers keep the two
// apart.
void separateOneLineRecords(std::vector<Closed>& records) {
  for (std::size_t i = 0; i + 1 < records.size(); ++i) {
    tagPDFTEXT& r = records[i].record;
    if (r.text.find(u'\n') != std::u16string::npos) continue;
    const Closed& next = records[i + 1];
    if (next.first.left < records[i].extent.left && next.first.top < records[i].extent.bottom) {
      r.append(10);
      r.append(u' ');
      r.append(10);
    }
  }
}

tagPDFTEXT cellRecord(const CPDFdata& data, const COcrCell& cell, bool vertical, int langId) {
  RecordBuilder builder(data, vertical, pdfFontFor(vertical ? kVertical : kHorizontal, langId));
  const PixelBox area = boxOf(cell.x, cell.y, cell.width, cell.height);
  for (const COcrLine& line : cell.lines) builder.addLine(keptChars(line, vertical, area, langId, true));
  PixelBox extent, first;
  return builder.finish(true, extent, first);
}

PdfRule ruleOf(double x1, double y1, double x2, double y2, int style, const CPDFdata& data) {
  const double scale = 7200.0 / data.dpi;
  const double top = data.heightPoints() * 100.0;
  PdfRule r;
  r.x1 = toInt(x1 * scale);
  r.x2 = toInt(x2 * scale);
  r.y1 = toInt(top - y1 * scale);
  r.y2 = toInt(top - y2 * scale);
  r.style = static_cast<std::int16_t>(style >= 0 && style <= 3 ? style : 0);
  return r;
}

}  // namespace

std::vector<PixelBox> placeCharacters(const COcrLine& line, bool vertical, const PixelBox& area) {
  const std::size_t n = line.chars.size();
  std::vector<PixelBox> out(n);
  std::vector<bool> real(n, false);
  bool any = false;
  std::size_t i = 0;
  for (const COcrChar& c : line.chars) {
    if (hasBox(c)) {
      out[i] = boxOf(c.x, c.y, c.width, c.height);
      real[i] = true;
      any = true;
    }
    ++i;
  }
  if (n == 0) return out;
  if (!any) {
    PixelBox base = boxOf(line.x, line.y, line.width, line.height);
    if (!usable(base)) base = area;
    const double step = (vertical ? base.height() : base.width()) / static_cast<double>(n);
    for (std::size_t k = 0; k < n; ++k) {
      out[k] = base;
      if (vertical) {
        out[k].top = base.top + step * k;
        out[k].bottom = out[k].top + step;
      } else {
        out[k].left = base.left + step * k;
        out[k].right = out[k].left + step;
      }
    }
    return out;
  }
  for (std::size_t a = 0; a < n;) {
    if (real[a]) {
      ++a;
      continue;
    }
    std::size_t b = a;
    while (b < n && !real[b]) ++b;
    const std::size_t m = b - a;
    if (a > 0 && b < n) {
      for (std::size_t k = 0; k < m; ++k) {
        out[a + k] = between(out[a - 1], out[b], static_cast<double>(k + 1) / static_cast<double>(m + 1));
      }
    } else if (a > 0) {
      const PixelBox& p = out[a - 1];
      const double pitch = vertical ? p.height() : p.width();
      for (std::size_t k = 0; k < m; ++k) out[a + k] = shifted(p, vertical, pitch * static_cast<double>(k + 1));
    } else {
      const PixelBox& q = out[b];
      const double pitch = vertical ? q.height() : q.width();
      for (std::size_t k = 0; k < m; ++k) out[a + k] = shifted(q, vertical, -pitch * static_cast<double>(m - k));
    }
    a = b;
  }
  return out;
}

void BuildTextRecords(CPDFdata& data, const COcrPage& page) {
  std::vector<Closed> records;
  for (const COcrBlock& block : page.blocks) {
    if (block.type != kBlockText) continue;
    textRecordsOfLines(data, block.lines, block.direction == kVertical, block.langId, areaOf(block), records);
  }
  separateOneLineRecords(records);
  for (Closed& c : records) data.texts.push_back(std::move(c.record));
}

void BuildTableRecords(CPDFdata& data, const COcrPage& page, bool drawRules) {
  for (const COcrBlock& block : page.blocks) {
    if (block.type != kBlockTable || block.cells.empty()) continue;
    const bool vertical = block.direction == kVertical;
    long long minRow = block.cells.front().row, maxRow = minRow;
    long long minCol = block.cells.front().col, maxCol = minCol;
    for (const COcrCell& c : block.cells) {
      minRow = std::min<long long>(minRow, c.row);
      maxRow = std::max<long long>(maxRow, c.row);
      minCol = std::min<long long>(minCol, c.col);
      maxCol = std::max<long long>(maxCol, c.col);
    }
    const long long rows = maxRow - minRow + 1, columns = maxCol - minCol + 1;
    std::vector<Closed> plain;
    auto asPlainText = [&](const COcrCell& c) {
      textRecordsOfLines(data, c.lines, vertical, block.langId, boxOf(c.x, c.y, c.width, c.height), plain);
    };
    if (rows > kMaxTableAxis || columns > kMaxTableAxis || rows * columns > kMaxTableCells) {
      // Too large to be a real grid: the text is kept, the grid is not.
      for (const COcrCell& c : block.cells) asPlainText(c);
    } else {
      std::vector<const COcrCell*> grid(static_cast<std::size_t>(rows * columns), nullptr);
      for (const COcrCell& c : block.cells) {
        const auto at = static_cast<std::size_t>((c.row - minRow) * columns + (c.col - minCol));
        if (grid[at] == nullptr) {
          grid[at] = &c;
        } else {
          asPlainText(c);  // a second cell at one position keeps its text
        }
      }
      tagPDFTABLE table;
      table.rows = static_cast<int>(rows);
      table.columns = static_cast<int>(columns);
      table.drawRules = drawRules;
      table.horizontalRules.resize(static_cast<std::size_t>(columns * (rows + 1)));
      table.verticalRules.resize(static_cast<std::size_t>(rows * (columns + 1)));
      const int font = pdfFontFor(block.direction, block.langId);
      for (long long r = 0; r < rows; ++r) {
        for (long long c = 0; c < columns; ++c) {
          const COcrCell* cell = grid[static_cast<std::size_t>(r * columns + c)];
          if (cell == nullptr) {
            tagPDFTEXT empty;
            empty.font = font;
            table.cells.push_back(std::move(empty));
            continue;
          }
          table.cells.push_back(cellRecord(data, *cell, vertical, block.langId));
          const double left = cell->x, top = cell->y;
          const double right = left + cell->width, bottom = top + cell->height;
          table.horizontalRules[static_cast<std::size_t>(r * columns + c)] =
              ruleOf(left, top, right, top, cell->top, data);
          if (r == rows - 1) {
            table.horizontalRules[static_cast<std::size_t>(rows * columns + c)] =
                ruleOf(left, bottom, right, bottom, cell->bottom, data);
          }
          table.verticalRules[static_cast<std::size_t>(r * (columns + 1) + c)] =
              ruleOf(left, top, left, bottom, cell->left, data);
          if (c == columns - 1) {
            table.verticalRules[static_cast<std::size_t>(r * (columns + 1) + columns)] =
                ruleOf(right, top, right, bottom, cell->right, data);
          }
        }
      }
      data.tables.push_back(std::move(table));
    }
    for (Closed& c : plain) data.texts.push_back(std::move(c.record));
  }
}

namespace {

// Places the characters of one invisible record run by run.
class InvisibleBuilder {
 public:
  InvisibleBuilder(CPDFdata& data, bool vertical, int font, int render)
      : data_(data), vertical_(vertical), font_(font), render_(render) {}

  bool started() const { return !chars_.empty(); }
  double lastTallest() const { return lastTallest_; }

  void addLine(const LineChars& line) {
    for (std::size_t i = 0; i < line.chars.size(); ++i) {
      chars_.push_back({line.chars[i], line.boxes[i], line.real[i], i == 0});
      averages_.add(line.boxes[i], line.real[i]);
    }
    if (!line.chars.empty()) lastTallest_ = line.tallest;
  }

  void close() {
    if (chars_.empty()) return;
    const double scale = 72.0 / data_.dpi;
    const double pageHeight = data_.heightPoints();
    tagPDFTEXT r;
    r.font = font_;
    r.render = render_;
    // The averages are taken to whole pixels first.
    const double h = std::floor(averages_.height() + 0.5), w = std::floor(averages_.width() + 0.5);
    r.size = std::floor(limited(1 + (h + w) / 2 * scale) + 0.5);
    int runX = 0, runY = 0;  // the previous run's start, PDF orientation
    double pen = 0;          // where the reader's pen stands, in points
    const PixelBox* previous = nullptr;
    for (const Item& item : chars_) {
      const PixelBox& b = item.box;
      const double x = vertical_ ? (b.left + b.right) / 2 * scale : b.left * scale;
      const double y = pageHeight - (vertical_ ? b.top : b.bottom) * scale;
      const char16_t first = item.c->code[0];
      bool startRun = vertical_ || previous == nullptr || item.lineStart;
      if (!startRun) {
        // A new line by position, a space, or the pen drifted off the box.
        startRun = b.top >= previous->bottom || first == u' ' || first == 0x3000 || std::fabs(pen - x) > r.size / 4;
      }
      const int units = codeLength(item.c->code);
      if (startRun) {
        const int X = toInt(x), Y = toInt(std::floor(y));
        r.runLengths.push_back(0);
        r.runDx.push_back(X - runX);
        r.runDy.push_back(runY - Y);
        runX = X;
        runY = Y;
        pen = X;
      }
      for (const char16_t u : codeText(item.c->code)) {
        r.append(u);
        pen += glyphAdvance(font_, u) * r.size / 1000.0;
      }
      r.runLengths.back() += units;
      previous = &item.box;
    }
    data_.texts.push_back(std::move(r));
    chars_.clear();
    averages_ = BoxAverages();
  }

 private:
  struct Item {
    const COcrChar* c;
    PixelBox box;
    bool real;
    bool lineStart;
  };
  CPDFdata& data_;
  bool vertical_;
  int font_, render_;
  std::vector<Item> chars_;
  BoxAverages averages_;
  double lastTallest_ = -1;
};

void invisibleRecordsOfLines(CPDFdata& data, const LineList& lines, bool vertical, int langId, const PixelBox& area,
                             int render) {
  InvisibleBuilder builder(data, vertical, pdfFontFor(vertical ? kVertical : kHorizontal, langId), render);
  for (const COcrLine& line : lines) {
    const LineChars chars = keptChars(line, vertical, area, langId, false);
    if (startsRecord(builder.started(), builder.lastTallest(), line, chars, data.dpi)) builder.close();
    builder.addLine(chars);
  }
  builder.close();
}

}  // namespace

void BuildInvisibleText(CPDFdata& data, const COcrPage& page, bool invisible) {
  const int render = invisible ? 3 : 0;
  for (const COcrBlock& block : page.blocks) {
    const bool vertical = block.direction == kVertical;
    if (block.type == kBlockText) {
      invisibleRecordsOfLines(data, block.lines, vertical, block.langId, areaOf(block), render);
    } else if (block.type == kBlockTable) {
      for (const COcrCell& cell : block.cells) {
        invisibleRecordsOfLines(data, cell.lines, vertical, block.langId,
                                boxOf(cell.x, cell.y, cell.width, cell.height), render);
      }
    }
  }
}

}  // namespace lexova::pdf
