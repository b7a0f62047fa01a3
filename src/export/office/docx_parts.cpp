#include "export/office/docx_parts.h"

#include <cmath>

#include "export/office/package_parts.h"
#include "export/office/xml_text.h"

namespace lexova::office {

namespace {

constexpr std::string_view kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\" "
    "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"";

long long twips(double v) {
  return std::llround(v);
}

// Half points, as w:sz takes them.
std::string halfPoints(double size) {
  return xmlInt(std::max(1LL, std::llround(size * 2)));
}

// wp:anchor up to a:graphicData's content: the drawing at rect on the page.
void anchorStart(std::string& out, const RectPt& r, int id, std::string_view name, std::string_view uri) {
  out +=
      "<w:r><w:drawing><wp:anchor distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\" simplePos=\"0\" relativeHeight=\"" +
      xmlInt(id) +
      "\" behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/>"
      "<wp:positionH relativeFrom=\"page\"><wp:posOffset>" +
      xmlInt(emu(r.x)) + "</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"page\"><wp:posOffset>" +
      xmlInt(emu(r.y)) + "</wp:posOffset></wp:positionV><wp:extent cx=\"" + xmlInt(emu(r.width)) + "\" cy=\"" +
      xmlInt(emu(r.height)) + "\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/><wp:wrapNone/><wp:docPr id=\"" +
      xmlInt(id) + "\" name=\"" + std::string(name) + " " + xmlInt(id) +
      "\"/><wp:cNvGraphicFramePr/><a:graphic><a:graphicData uri=\"" + std::string(uri) + "\">";
}

void anchorEnd(std::string& out) {
  out += "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
}

constexpr std::string_view kShapeUri = "http://schemas.microsoft.com/office/word/2010/wordprocessingShape";

void shapeProperties(std::string& out, const RectPt& r, std::string_view geometry, bool line) {
  out += "<wps:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + xmlInt(emu(r.width)) + "\" cy=\"" +
         xmlInt(emu(r.height)) + "\"/></a:xfrm><a:prstGeom prst=\"" + std::string(geometry) +
         "\"><a:avLst/></a:prstGeom>";
  out += line ? "<a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln>"
              : "<a:noFill/><a:ln><a:noFill/></a:ln>";
  out += "</wps:spPr>";
}

void textRun(std::string& out, std::u16string_view text, double size, bool emphasis = false) {
  if (text.empty()) return;
  out += "<w:r><w:rPr>";
  if (emphasis) out += "<w:em w:val=\"dot\"/>";
  out += "<w:sz w:val=\"" + halfPoints(size) + "\"/><w:szCs w:val=\"" + halfPoints(size) +
         "\"/></w:rPr><w:t xml:space=\"preserve\">";
  appendXml(out, text);
  out += "</w:t></w:r>";
}

// The text of a line as runs, breaking at code 13.
void plainRuns(std::string& out, std::u16string_view text, double size, bool emphasis = false) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == 13) {
      textRun(out, text.substr(start, i - start), size, emphasis);
      if (i < text.size()) out += "<w:r><w:br/></w:r>";
      start = i + 1;
    }
  }
}

void paragraph(std::string& out, const std::vector<OfficeLine>& lines, double size, double pitch) {
  out += "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\"";
  if (pitch < 0) out += " w:line=\"" + xmlInt(twips(-pitch * 20)) + "\" w:lineRule=\"exact\"";
  out += "/></w:pPr>";
  for (const OfficeLine& line : lines) docxRuns(out, line, size);
  out += "</w:p>";
}

}  // namespace

long long emu(double points) {
  return std::llround(points * 12700);
}

std::string docxContentTypes() {
  return contentTypes(
      {{"rels", "application/vnd.openxmlformats-package.relationships+xml"},
       {"xml", "application/xml"},
       {"jpeg", "image/jpeg"},
       {"png", "image/png"}},
      {{"/word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"},
       {"/word/styles.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"},
       {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
       {"/docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml"}});
}

std::string docxPackageRels() {
  return relationships({{"rId1", std::string(kRelOfficeDocument), "word/document.xml"},
                        {"rId2", std::string(kRelCore), "docProps/core.xml"},
                        {"rId3", std::string(kRelApp), "docProps/app.xml"}});
}

std::string docxDocumentRels(const std::vector<std::string>& media) {
  std::vector<Relationship> rels{
      {"rId1", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles", "styles.xml"}};
  for (std::size_t i = 0; i < media.size(); ++i) {
    rels.push_back({"rId" + xmlInt(100 + static_cast<long long>(i)), std::string(kRelImage), media[i]});
  }
  return relationships(rels);
}

std::string docxStyles(const std::u16string& asianFont, const std::u16string& latinFont) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<w:styles "
         "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:docDefaults><w:rPrDefault>"
         "<w:rPr><w:rFonts w:ascii=\"" +
         xmlText(latinFont) + "\" w:hAnsi=\"" + xmlText(latinFont) + "\" w:eastAsia=\"" + xmlText(asianFont) +
         "\" w:cs=\"" + xmlText(latinFont) +
         "\"/><w:sz w:val=\"21\"/><w:lang w:val=\"en-US\" w:eastAsia=\"ja-JP\"/></w:rPr></w:rPrDefault>"
         "<w:pPrDefault><w:pPr><w:spacing w:after=\"0\"/></w:pPr></w:pPrDefault></w:docDefaults>"
         "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
         "</w:styles>";
}

std::string docxDocumentStart() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document " + std::string(kWordNs) +
         "><w:body>";
}

std::string docxDocumentEnd() {
  return "</w:body></w:document>";
}

std::string docxSectionProperties(const PageSetup& p) {
  return "<w:sectPr><w:pgSz w:w=\"" + xmlInt(twips(p.widthTw)) + "\" w:h=\"" + xmlInt(twips(p.heightTw)) + "\"" +
         (p.widthTw > p.heightTw ? " w:orient=\"landscape\"" : "") + "/><w:pgMar w:top=\"" + xmlInt(twips(p.topTw)) +
         "\" w:right=\"" + xmlInt(twips(p.rightTw)) + "\" w:bottom=\"" + xmlInt(twips(p.bottomTw)) + "\" w:left=\"" +
         xmlInt(twips(p.leftTw)) + "\" w:header=\"0\" w:footer=\"0\" w:gutter=\"0\"/></w:sectPr>";
}

void docxRuns(std::string& out, const OfficeLine& line, double size) {
  const std::u16string_view text(line.text);
  std::size_t at = 0;
  for (const OfficeRuby& ruby : line.ruby) {
    if (ruby.first < at || ruby.last >= text.size() || ruby.first > ruby.last) continue;
    plainRuns(out, text.substr(at, ruby.first - at), size);
    const std::u16string_view base = text.substr(ruby.first, ruby.last - ruby.first + 1);
    if (ruby.emphasis) {
      plainRuns(out, base, size, true);
    } else {
      const double rubySize = std::max(1.0, size / 2);
      out += "<w:r><w:ruby><w:rubyPr><w:rubyAlign w:val=\"distributeSpace\"/><w:hps w:val=\"" + halfPoints(rubySize) +
             "\"/><w:hpsRaise w:val=\"" + halfPoints(size) + "\"/><w:hpsBaseText w:val=\"" + halfPoints(size) +
             "\"/><w:lid w:val=\"ja-JP\"/></w:rubyPr><w:rt>";
      textRun(out, ruby.text, rubySize);
      out += "</w:rt><w:rubyBase>";
      textRun(out, base, size);
      out += "</w:rubyBase></w:ruby></w:r>";
    }
    at = ruby.last + 1;
  }
  plainRuns(out, text.substr(at), size);
}

void docxTextBox(std::string& out, const TextArea& area, int id) {
  anchorStart(out, area.rect, id, "Text", kShapeUri);
  out += "<wps:wsp><wps:cNvSpPr txBox=\"1\"/>";
  shapeProperties(out, area.rect, "rect", false);
  out += "<wps:txbx><w:txbxContent>";
  paragraph(out, area.lines, area.fontSize, area.linePitch);
  out += "</w:txbxContent></wps:txbx><wps:bodyPr rot=\"0\" vert=\"";
  out += area.direction == kVerticalText ? "eaVert" : "horz";
  out +=
      "\" wrap=\"square\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" anchor=\"t\"><a:noAutofit/></wps:bodyPr>"
      "</wps:wsp>";
  anchorEnd(out);
}

void docxTableBox(std::string& out, const TableArea& area, int id) {
  anchorStart(out, area.rect, id, "Table", kShapeUri);
  out += "<wps:wsp><wps:cNvSpPr txBox=\"1\"/>";
  shapeProperties(out, area.rect, "rect", false);
  out += "<wps:txbx><w:txbxContent><w:tbl><w:tblPr><w:tblW w:w=\"" + xmlInt(twips(area.rect.width * 20)) +
         "\" w:type=\"dxa\"/><w:tblBorders>";
  for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
    out += "<w:" + std::string(side) + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>";
  }
  out +=
      "</w:tblBorders><w:tblLayout w:type=\"fixed\"/><w:tblCellMar><w:left w:w=\"0\" w:type=\"dxa\"/><w:right "
      "w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr><w:tblGrid>";
  // Column widths from the cells of each column.
  std::vector<double> widths(static_cast<std::size_t>(std::max(area.columns, 0)), 0);
  std::vector<double> heights(static_cast<std::size_t>(std::max(area.rows, 0)), 0);
  std::vector<const TableCell*> grid(widths.size() * heights.size(), nullptr);
  for (const TableCell& c : area.cells) {
    if (c.row < 0 || c.col < 0 || c.row >= area.rows || c.col >= area.columns) continue;
    widths[static_cast<std::size_t>(c.col)] = std::max(widths[static_cast<std::size_t>(c.col)], c.rect.width);
    heights[static_cast<std::size_t>(c.row)] = std::max(heights[static_cast<std::size_t>(c.row)], c.rect.height);
    const std::size_t at = static_cast<std::size_t>(c.row) * widths.size() + static_cast<std::size_t>(c.col);
    if (grid[at] == nullptr) grid[at] = &c;
  }
  for (double& w : widths) {
    if (w <= 0) w = area.rect.width / std::max<std::size_t>(widths.size(), 1);
    out += "<w:gridCol w:w=\"" + xmlInt(twips(w * 20)) + "\"/>";
  }
  out += "</w:tblGrid>";
  for (std::size_t r = 0; r < heights.size(); ++r) {
    out += "<w:tr><w:trPr><w:trHeight w:val=\"" + xmlInt(twips(heights[r] * 20)) + "\" w:hRule=\"atLeast\"/></w:trPr>";
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const TableCell* cell = grid[r * widths.size() + c];
      out += "<w:tc><w:tcPr><w:tcW w:w=\"" + xmlInt(twips(widths[c] * 20)) + "\" w:type=\"dxa\"/>";
      if (area.direction == kVerticalText) out += "<w:textDirection w:val=\"tbRl\"/>";
      out += "</w:tcPr>";
      if (cell != nullptr) {
        paragraph(out, cell->lines, cell->fontSize, 0);
      } else {
        out += "<w:p/>";
      }
      out += "</w:tc>";
    }
    out += "</w:tr>";
  }
  // A text box's content ends with a paragraph.
  out +=
      "</w:tbl><w:p/></w:txbxContent></wps:txbx><wps:bodyPr rot=\"0\" vert=\"horz\" wrap=\"square\" lIns=\"0\" "
      "tIns=\"0\" rIns=\"0\" bIns=\"0\" anchor=\"t\"><a:noAutofit/></wps:bodyPr></wps:wsp>";
  anchorEnd(out);
}

void docxPicture(std::string& out, const ImageArea& area, const std::string& relId, int id) {
  anchorStart(out, area.rect, id, "Picture", "http://schemas.openxmlformats.org/drawingml/2006/picture");
  out +=
      "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"" + xmlInt(id) + "\" name=\"Picture " + xmlInt(id) +
      "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + relId +
      "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" +
      xmlInt(emu(area.rect.width)) + "\" cy=\"" + xmlInt(emu(area.rect.height)) +
      "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>";
  anchorEnd(out);
}

void docxLine(std::string& out, const LineArea& area, int id) {
  anchorStart(out, area.rect, id, "Line", kShapeUri);
  out += "<wps:wsp><wps:cNvCnPr/>";
  shapeProperties(out, area.rect, "line", true);
  out += "<wps:bodyPr/></wps:wsp>";
  anchorEnd(out);
}

}  // namespace lexova::office
