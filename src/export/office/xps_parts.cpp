#include "export/office/xps_parts.h"

#include "export/office/package_parts.h"
#include "export/office/xml_text.h"

namespace lexova::office {

namespace {

constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kXpsNs = "xmlns=\"http://schemas.microsoft.com/xps/2005/06\"";

std::string point(double x, double y) {
  return xmlNumber(x) + "," + xmlNumber(y);
}

}  // namespace

std::string xpsContentTypes() {
  return contentTypes({{"rels", "application/vnd.openxmlformats-package.relationships+xml"},
                       {"fdseq", "application/vnd.ms-package.xps-fixeddocumentsequence+xml"},
                       {"fdoc", "application/vnd.ms-package.xps-fixeddocument+xml"},
                       {"fpage", "application/vnd.ms-package.xps-fixedpage+xml"},
                       {"ttf", "application/vnd.ms-opentype"},
                       {"jpeg", "image/jpeg"},
                       {"png", "image/png"},
                       {"xml", "application/vnd.openxmlformats-package.core-properties+xml"}},
                      {});
}

std::string xpsPackageRels() {
  return relationships(
      {{"rId1", "http://schemas.microsoft.com/xps/2005/06/fixedrepresentation", "/FixedDocumentSequence.fdseq"},
       {"rId2", std::string(kRelCore), "/docProps/core.xml"}});
}

std::string xpsDocumentSequence() {
  return std::string(kHead) + "<FixedDocumentSequence " + std::string(kXpsNs) +
         "><DocumentReference Source=\"/Documents/1/FixedDocument.fdoc\"/></FixedDocumentSequence>";
}

std::string xpsFixedDocument(const std::vector<XpsPageSize>& pages) {
  std::string s = std::string(kHead) + "<FixedDocument " + std::string(kXpsNs) + ">";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    s += "<PageContent Source=\"/Documents/1/Pages/" + xmlInt(static_cast<long long>(i) + 1) + ".fpage\" Width=\"" +
         xmlNumber(pages[i].width) + "\" Height=\"" + xmlNumber(pages[i].height) + "\"/>";
  }
  s += "</FixedDocument>";
  return s;
}

std::string xpsPageStart(const XpsPageSize& size) {
  return std::string(kHead) + "<FixedPage " + std::string(kXpsNs) + " xml:lang=\"ja-JP\" Width=\"" +
         xmlNumber(size.width) + "\" Height=\"" + xmlNumber(size.height) + "\">";
}

std::string xpsPageEnd() {
  return "</FixedPage>";
}

std::string xpsPageRels(const std::vector<std::string>& resources) {
  std::vector<Relationship> rels;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    rels.push_back({"rId" + xmlInt(static_cast<long long>(i) + 1),
                    "http://schemas.microsoft.com/xps/2005/06/required-resource", resources[i]});
  }
  return relationships(rels);
}

void xpsGlyphs(std::string& out, const std::string& fontUri, double emSize, double x, double y,
               std::u16string_view text, const std::vector<XpsGlyph>& glyphs) {
  if (glyphs.empty()) return;
  out += "<Glyphs Fill=\"#FF000000\" FontUri=\"" + fontUri + "\" FontRenderingEmSize=\"" + xmlNumber(emSize) +
         "\" OriginX=\"" + xmlNumber(x) + "\" OriginY=\"" + xmlNumber(y) + "\" UnicodeString=\"";
  // A string that begins with "{" is escaped by "{}".
  if (!text.empty() && text.front() == u'{') out += "{}";
  appendXml(out, text);
  out += "\" Indices=\"";
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    if (i > 0) out += ";";
    out += xmlInt(glyphs[i].index) + "," + xmlNumber(glyphs[i].advance);
  }
  out += "\"/>";
}

void xpsImage(std::string& out, const std::string& imageUri, double x, double y, double width, double height,
              double viewWidth, double viewHeight) {
  out += "<Path Data=\"M " + point(x, y) + " L " + point(x + width, y) + " " + point(x + width, y + height) + " " +
         point(x, y + height) + " Z\"><Path.Fill><ImageBrush ImageSource=\"" + imageUri + "\" Viewbox=\"0,0," +
         xmlNumber(viewWidth) + "," + xmlNumber(viewHeight) + "\" ViewboxUnits=\"Absolute\" Viewport=\"" + point(x, y) +
         "," + xmlNumber(width) + "," + xmlNumber(height) +
         "\" ViewportUnits=\"Absolute\" TileMode=\"None\"/></Path.Fill></Path>";
}

void xpsStroke(std::string& out, const std::vector<std::pair<double, double>>& points, bool closed) {
  if (points.size() < 2) return;
  out +=
      "<Path Stroke=\"#FF000000\" StrokeThickness=\"0.75\" Data=\"M " + point(points[0].first, points[0].second) + " L";
  for (std::size_t i = 1; i < points.size(); ++i) out += " " + point(points[i].first, points[i].second);
  if (closed) out += " Z";
  out += "\"/>";
}

}  // namespace lexova::office
