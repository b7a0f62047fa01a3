// The parts of an XPS document: the fixed document sequence, one fixed document,
// a fixed page per page with Glyphs (glyph indices and advances of an embedded
// font subset), image brushes and paths.
#pragma once

#include <string>
#include <vector>

namespace lexova::office {

std::string xpsContentTypes();
std::string xpsPackageRels();
std::string xpsDocumentSequence();
// The pages with their sizes in 1/96 inch.
struct XpsPageSize {
  double width, height;
};
std::string xpsFixedDocument(const std::vector<XpsPageSize>& pages);
std::string xpsPageStart(const XpsPageSize& size);
std::string xpsPageEnd();
std::string xpsPageRels(const std::vector<std::string>& resources);

// A Glyphs element: the text at an origin in a font, each glyph with its index
// and advance (hundredths of the em).
struct XpsGlyph {
  unsigned index;
  double advance;
};
void xpsGlyphs(std::string& out, const std::string& fontUri, double emSize, double x, double y,
               std::u16string_view text, const std::vector<XpsGlyph>& glyphs);
void xpsImage(std::string& out, const std::string& imageUri, double x, double y, double width, double height,
              double viewWidth, double viewHeight);
// A stroked path: a line, or a rectangle when closed.
void xpsStroke(std::string& out, const std::vector<std::pair<double, double>>& points, bool closed);

}  // namespace lexova::office
