#include "export/pdf/pdf_contents.h"

#include "export/pdf/pdf_fonts.h"
#include "export/pdf/pdf_format.h"

namespace lexova::pdf {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendHex4(std::string& out, char16_t u) {
  out.push_back(kHex[(u >> 12) & 15]);
  out.push_back(kHex[(u >> 8) & 15]);
  out.push_back(kHex[(u >> 4) & 15]);
  out.push_back(kHex[u & 15]);
}

std::string formatSize(const char* fmt, double size) {
  std::string s;
  pdfFormat(s, fmt, {size});
  return s;
}

// The body of a visible text or a table cell: "<" ... ">", line feeds as moves to
// the next line by advance, the colour set before the first character and at
// every change.
void appendBody(std::string& out, const tagPDFTEXT& r, std::string_view sizeText) {
  const bool vertical = isVerticalFont(r.font);
  out.push_back('<');
  bool haveColor = false;
  std::uint32_t color = 0;
  std::size_t i = 0;
  while (i < r.text.size()) {
    const char16_t u = r.text[i];
    if (u == 10) {
      pdfFormat(out, vertical ? "> Tj\r-%.2f 0 TD\r<" : "> Tj\r0 -%.2f TD\r<", {r.advance});
      ++i;
      continue;
    }
    const std::uint32_t c = i < r.colors.size() ? r.colors[i] : 0;
    if (!haveColor || c != color) {
      pdfFormat(out, "> Tj %f %f %f rg<", {((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0});
      haveColor = true;
      color = c;
    }
    // The characters up to the next line feed or colour change go out together.
    std::size_t j = i + 1;
    while (j < r.text.size() && r.text[j] != 10 && (j < r.colors.size() ? r.colors[j] : 0) == color) ++j;
    appendCodes(out, std::u16string_view(r.text).substr(i, j - i), r.font, sizeText);
    i = j;
  }
  out.push_back('>');
}

}  // namespace

void appendCodes(std::string& out, std::u16string_view text, int font, std::string_view sizeText) {
  if (font != kFontTimes && font != kFontArial) {
    for (const char16_t u : text) {
      if (u != 13) appendHex4(out, u);
    }
    return;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t u = text[i];
    if (u == 13) {
      ++i;
      continue;
    }
    if (const auto byte = windows1252(u)) {
      out.push_back(kHex[*byte >> 4]);
      out.push_back(kHex[*byte & 15]);
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && text[j] != 13 && !windows1252(text[j])) ++j;
    pdfFormat(out, "> Tj\r/F%d %s Tf\r<", {static_cast<int>(kFontMincho), sizeText});
    for (std::size_t k = i; k < j; ++k) appendHex4(out, text[k]);
    pdfFormat(out, "> Tj\r/F%d %s Tf\r<", {font, sizeText});
    i = j;
  }
}

int CPDFcontents::AddText(const tagPDFTEXT& r) {
  if (r.render == 3) {
    const std::string size = formatSize("%d", r.size);
    pdfFormat(texts_, "/P << /MCID %d >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz %d Tr\r/F%d %s Tf\r",
              {counter_, r.render, r.font, size});
    const bool vertical = isVerticalFont(r.font);
    const std::u16string_view text(r.text);
    std::size_t at = 0;
    bool open = false;
    for (std::size_t run = 0; run < r.runLengths.size() && at < text.size(); ++run) {
      const int dx = run < r.runDx.size() ? r.runDx[run] : 0;
      const int dy = run < r.runDy.size() ? r.runDy[run] : 0;
      const bool moves = run == 0 || dx != 0 || dy != 0 || vertical;
      if (moves) {
        if (open) texts_.append("> Tj\r");
        pdfFormat(texts_, "%d %d TD\r<", {dx, -dy});
        open = true;
      }
      const std::size_t n =
          std::min<std::size_t>(static_cast<std::size_t>(std::max(r.runLengths[run], 0)), text.size() - at);
      appendCodes(texts_, text.substr(at, n), r.font, size);
      at += n;
    }
    if (open) texts_.append("> Tj\r");
    texts_.append("\rET\rEMC\r");
  } else {
    const std::string size = formatSize("%.2f", r.size);
    pdfFormat(texts_, "/P << /MCID %d >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz %d Tr\r%d %d TD\r/F%d %s Tf\r",
              {counter_, r.render, r.x, r.y, r.font, size});
    appendBody(texts_, r, size);
    texts_.append(" Tj\rET\rEMC\r");
  }
  ++counter_;
  return 1;
}

int CPDFcontents::AddTable(const tagPDFTABLE& t) {
  if (t.rows <= 0 || t.columns <= 0) return 0;
  if (t.drawRules) {
    auto rule = [this](const PdfRule& r) {
      switch (r.style) {
        case 0:
          return;
        case 2:
          tables_.append("0 w\r[2] 1 d\r");
          break;
        case 3:
          tables_.append("2 w\r[] 0 d\r");
          break;
        default:
          tables_.append("0 w\r[] 0 d\r");
          break;
      }
      pdfFormat(tables_, "%.2f %.2f m\r%.2f %.2f l\rS\r", {r.x1 / 100.0, r.y1 / 100.0, r.x2 / 100.0, r.y2 / 100.0});
    };
    // The counts are those of the table in every writing direction.
    for (const PdfRule& r : t.horizontalRules) rule(r);
    for (const PdfRule& r : t.verticalRules) rule(r);
  }
  pdfFormat(tables_, "/P << /MCID %d >>\rBDC\r", {counter_});
  for (const tagPDFTEXT& cell : t.cells) {
    if (cell.text.empty()) continue;
    const std::string size = formatSize("%d", cell.size);
    pdfFormat(tables_, "BT\r0 0 0 rg 0 Tc 0 Tw\r%d %d TD\r/F%d %s Tf ", {cell.x, cell.y, cell.font, size});
    appendBody(tables_, cell, size);
    tables_.append(" Tj\rET\r");
  }
  tables_.append("EMC\r");
  ++counter_;
  return 1;
}

namespace {

// A colour component: 0 and 1 as they are, else to three decimals.
std::string component(std::uint32_t value) {
  if (value == 0) return "0";
  if (value == 255) return "1";
  std::string s;
  pdfFormat(s, "%.3f", {value / 255.0});
  return s;
}

}  // namespace

int CPDFcontents::AddFigure(const CPDFimage& image) {
  // Positions to three decimals: a mask a few pixels high must neither vanish
  // nor move against the background it was cut from.
  pdfFormat(figures_, "/Figure << /MCID %d >>\rBDC\rq\r", {counter_});
  if (image.mask) {
    // A mask is painted in the fill colour: its characters' own colour.
    pdfFormat(
        figures_, "%s %s %s rg\r",
        {component((image.color >> 16) & 255), component((image.color >> 8) & 255), component(image.color & 255)});
  }
  std::string size;
  pdfFormat(size, "%.3f 0 0 %.3f %.3f %.3f cm\r", {image.width, image.height, image.x, image.y});
  pdfFormat(figures_, "%s/im%d Do\rQ\rEMC\r", {size, image.nameIndex()});
  ++counter_;
  return 1;
}

void CPDFcontents::BuildText(std::string& out) const {
  out.reserve(out.size() + length() + 64);
  pdfFormat(out, "%d 0 obj\r\n<<\r\n/Length %d\r\n>>\rstream\r\n", {number(), static_cast<long long>(length())});
  out.append(texts_);
  out.append(tables_);
  out.append(figures_);
  out.append("\rendstream\r\nendobj\r\n");
}

}  // namespace lexova::pdf
