#include "export/office/pptx_parts.h"

#include <cmath>

#include "export/office/package_parts.h"
#include "export/office/xml_text.h"

namespace lexova::office {

namespace {

constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kNs =
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
constexpr std::string_view kPml = "application/vnd.openxmlformats-officedocument.presentationml.";
constexpr std::string_view kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

constexpr std::string_view kEmptyTree =
    "<p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr><a:xfrm><a:off "
    "x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"0\" cy=\"0\"/></a:xfrm>"
    "</p:grpSpPr>";

std::string rel(std::string_view type) {
  return std::string(kRel) + std::string(type);
}

void transform(std::string& out, const RectPt& r, const SlidePlacement& at) {
  out += "<a:xfrm><a:off x=\"" + xmlInt(at.x(r.x)) + "\" y=\"" + xmlInt(at.y(r.y)) + "\"/><a:ext cx=\"" +
         xmlInt(at.length(r.width)) + "\" cy=\"" + xmlInt(at.length(r.height)) + "\"/></a:xfrm>";
}

// The runs of lines: code 13 breaks the line; ruby is not carried (text frames
// have none).
void runs(std::string& out, const std::vector<OfficeLine>& lines, double size, const SlidePlacement& at,
          const std::u16string& asianFont, const std::u16string& latinFont) {
  const std::string props =
      "<a:rPr lang=\"ja-JP\" altLang=\"en-US\" sz=\"" + xmlInt(std::max(100LL, std::llround(size * at.scale * 100))) +
      "\" dirty=\"0\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill><a:latin typeface=\"" + xmlText(latinFont) +
      "\"/><a:ea typeface=\"" + xmlText(asianFont) + "\"/></a:rPr>";
  for (const OfficeLine& line : lines) {
    const std::u16string_view text(line.text);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != 13) continue;
      if (i > start) {
        out += "<a:r>" + props + "<a:t>";
        appendXml(out, text.substr(start, i - start));
        out += "</a:t></a:r>";
      }
      if (i < text.size()) out += "<a:br>" + props + "</a:br>";
      start = i + 1;
    }
  }
}

void frame(std::string& out, const RectPt& r, const std::vector<OfficeLine>& lines, double size, double pitch,
           bool vertical, bool outlined, const SlidePlacement& at, int id, const std::u16string& asianFont,
           const std::u16string& latinFont) {
  out += "<p:sp><p:nvSpPr><p:cNvPr id=\"" + xmlInt(id) + "\" name=\"Text " + xmlInt(id) +
         "\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr><p:spPr>";
  transform(out, r, at);
  out += "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom><a:noFill/>";
  out += outlined ? "<a:ln w=\"6350\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln>" : "";
  out += "</p:spPr><p:txBody><a:bodyPr vert=\"";
  out += vertical ? "eaVert" : "horz";
  out +=
      "\" wrap=\"square\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" rtlCol=\"0\"><a:noAutofit/></a:bodyPr>"
      "<a:lstStyle/><a:p>";
  if (pitch < 0) {
    out +=
        "<a:pPr><a:lnSpc><a:spcPts val=\"" + xmlInt(std::llround(-pitch * at.scale * 100)) + "\"/></a:lnSpc></a:pPr>";
  }
  runs(out, lines, size, at, asianFont, latinFont);
  out += "</a:p></p:txBody></p:sp>";
}

}  // namespace

long long SlidePlacement::x(double points) const {
  return std::llround(points * 12700 * scale + offsetX);
}
long long SlidePlacement::y(double points) const {
  return std::llround(points * 12700 * scale + offsetY);
}
long long SlidePlacement::length(double points) const {
  return std::llround(points * 12700 * scale);
}

std::string pptxContentTypes(int slides) {
  std::vector<std::string> names;
  std::vector<ContentType> overrides{
      {"/ppt/presentation.xml", "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml"},
      {"/ppt/slideMasters/slideMaster1.xml",
       "application/vnd.openxmlformats-officedocument.presentationml.slideMaster+xml"},
      {"/ppt/slideLayouts/slideLayout1.xml",
       "application/vnd.openxmlformats-officedocument.presentationml.slideLayout+xml"},
      {"/ppt/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml"},
      {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
      {"/docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml"}};
  names.reserve(static_cast<std::size_t>(slides));
  for (int i = 1; i <= slides; ++i) names.push_back("/ppt/slides/slide" + xmlInt(i) + ".xml");
  for (const std::string& n : names) {
    overrides.push_back({n, "application/vnd.openxmlformats-officedocument.presentationml.slide+xml"});
  }
  return contentTypes({{"rels", "application/vnd.openxmlformats-package.relationships+xml"},
                       {"xml", "application/xml"},
                       {"jpeg", "image/jpeg"},
                       {"png", "image/png"}},
                      overrides);
}

std::string pptxPackageRels() {
  return relationships({{"rId1", std::string(kRelOfficeDocument), "ppt/presentation.xml"},
                        {"rId2", std::string(kRelCore), "docProps/core.xml"},
                        {"rId3", std::string(kRelApp), "docProps/app.xml"}});
}

std::string pptxPresentation(int slides, long long widthEmu, long long heightEmu) {
  std::string s = std::string(kHead) + "<p:presentation " + std::string(kNs) +
                  "><p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rId1\"/></p:sldMasterIdLst><p:sldIdLst>";
  for (int i = 0; i < slides; ++i) s += "<p:sldId id=\"" + xmlInt(256 + i) + "\" r:id=\"rId" + xmlInt(10 + i) + "\"/>";
  s += "</p:sldIdLst><p:sldSz cx=\"" + xmlInt(widthEmu) + "\" cy=\"" + xmlInt(heightEmu) +
       "\"/><p:notesSz cx=\"6858000\" cy=\"9144000\"/></p:presentation>";
  return s;
}

std::string pptxPresentationRels(int slides) {
  std::vector<Relationship> rels{{"rId1", rel("slideMaster"), "slideMasters/slideMaster1.xml"},
                                 {"rId2", rel("theme"), "theme/theme1.xml"}};
  for (int i = 0; i < slides; ++i)
    rels.push_back({"rId" + xmlInt(10 + i), rel("slide"), "slides/slide" + xmlInt(i + 1) + ".xml"});
  return relationships(rels);
}

std::string pptxMaster() {
  return std::string(kHead) + "<p:sldMaster " + std::string(kNs) + "><p:cSld><p:spTree>" + std::string(kEmptyTree) +
         "</p:spTree></p:cSld><p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" tx2=\"dk2\" accent1=\"accent1\" "
         "accent2=\"accent2\" accent3=\"accent3\" accent4=\"accent4\" accent5=\"accent5\" accent6=\"accent6\" "
         "hlink=\"hlink\" folHlink=\"folHlink\"/><p:sldLayoutIdLst><p:sldLayoutId id=\"2147483649\" r:id=\"rId1\"/>"
         "</p:sldLayoutIdLst></p:sldMaster>";
}

std::string pptxMasterRels() {
  return relationships({{"rId1", rel("slideLayout"), "../slideLayouts/slideLayout1.xml"},
                        {"rId2", rel("theme"), "../theme/theme1.xml"}});
}

std::string pptxLayout() {
  return std::string(kHead) + "<p:sldLayout " + std::string(kNs) +
         " type=\"blank\" preserve=\"1\"><p:cSld name=\"Blank\"><p:spTree>" + std::string(kEmptyTree) +
         "</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sldLayout>";
}

std::string pptxLayoutRels() {
  return relationships({{"rId1", rel("slideMaster"), "../slideMasters/slideMaster1.xml"}});
}

std::string pptxTheme(const std::u16string& asianFont, const std::u16string& latinFont) {
  std::string colours;
  const std::pair<const char*, const char*> scheme[] = {
      {"dk1", "000000"},     {"lt1", "FFFFFF"},     {"dk2", "44546A"},     {"lt2", "E7E6E6"},
      {"accent1", "4472C4"}, {"accent2", "ED7D31"}, {"accent3", "A5A5A5"}, {"accent4", "FFC000"},
      {"accent5", "5B9BD5"}, {"accent6", "70AD47"}, {"hlink", "0563C1"},   {"folHlink", "954F72"}};
  for (const auto& [name, rgb] : scheme) {
    colours += "<a:" + std::string(name) + "><a:srgbClr val=\"" + rgb + "\"/></a:" + name + ">";
  }
  const std::string font = "<a:latin typeface=\"" + xmlText(latinFont) + "\"/><a:ea typeface=\"" + xmlText(asianFont) +
                           "\"/><a:cs typeface=\"\"/>";
  const std::string fill = "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill>";
  const std::string line = "<a:ln w=\"6350\">" + fill + "</a:ln>";
  return std::string(kHead) +
         "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"Lexova\"><a:themeElements>"
         "<a:clrScheme name=\"Lexova\">" +
         colours + "</a:clrScheme><a:fontScheme name=\"Lexova\"><a:majorFont>" + font + "</a:majorFont><a:minorFont>" +
         font + "</a:minorFont></a:fontScheme><a:fmtScheme name=\"Lexova\"><a:fillStyleLst>" + fill + fill + fill +
         "</a:fillStyleLst><a:lnStyleLst>" + line + line + line +
         "</a:lnStyleLst><a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/>"
         "</a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle></a:effectStyleLst><a:bgFillStyleLst>" +
         fill + fill + fill + "</a:bgFillStyleLst></a:fmtScheme></a:themeElements></a:theme>";
}

std::string pptxSlideRels(const std::vector<std::string>& media) {
  std::vector<Relationship> rels{{"rId1", rel("slideLayout"), "../slideLayouts/slideLayout1.xml"}};
  for (std::size_t i = 0; i < media.size(); ++i) {
    rels.push_back({"rId" + xmlInt(2 + static_cast<long long>(i)), std::string(kRelImage), media[i]});
  }
  return relationships(rels);
}

std::string pptxSlideStart() {
  return std::string(kHead) + "<p:sld " + std::string(kNs) + "><p:cSld><p:spTree>" + std::string(kEmptyTree);
}

std::string pptxSlideEnd() {
  return "</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sld>";
}

void pptxTextFrame(std::string& out, const TextArea& area, const SlidePlacement& at, int id,
                   const std::u16string& asianFont, const std::u16string& latinFont) {
  frame(out, area.rect, area.lines, area.fontSize, area.linePitch, area.direction == kVerticalText, false, at, id,
        asianFont, latinFont);
}

void pptxTableCells(std::string& out, const TableArea& area, const SlidePlacement& at, int& id,
                    const std::u16string& asianFont, const std::u16string& latinFont) {
  for (const TableCell& cell : area.cells) {
    frame(out, cell.rect, cell.lines, cell.fontSize, 0, area.direction == kVerticalText, true, at, ++id, asianFont,
          latinFont);
  }
}

void pptxPicture(std::string& out, const ImageArea& area, const SlidePlacement& at, const std::string& relId, int id) {
  out += "<p:pic><p:nvPicPr><p:cNvPr id=\"" + xmlInt(id) + "\" name=\"Picture " + xmlInt(id) +
         "\"/><p:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></p:cNvPicPr><p:nvPr/></p:nvPicPr><p:blipFill><a:blip "
         "r:embed=\"" +
         relId + "\"/><a:stretch><a:fillRect/></a:stretch></p:blipFill><p:spPr>";
  transform(out, area.rect, at);
  out += "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr></p:pic>";
}

void pptxLine(std::string& out, const LineArea& area, const SlidePlacement& at, int id) {
  out += "<p:cxnSp><p:nvCxnSpPr><p:cNvPr id=\"" + xmlInt(id) + "\" name=\"Line " + xmlInt(id) +
         "\"/><p:cNvCxnSpPr/><p:nvPr/></p:nvCxnSpPr><p:spPr>";
  transform(out, area.rect, at);
  out +=
      "<a:prstGeom prst=\"line\"><a:avLst/></a:prstGeom><a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"000000\"/>"
      "</a:solidFill></a:ln></p:spPr></p:cxnSp>";
}

}  // namespace lexova::office
