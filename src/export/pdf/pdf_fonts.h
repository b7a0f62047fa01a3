// The eleven fonts every PDF page lists: nine composite fonts for Japanese,
// Simplified and Traditional Chinese and Korean in both writing directions, and
// two simple Latin fonts. Nothing is embedded; readers substitute the named faces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export/pdf/pdf_objects.h"

namespace lexova::pdf {

// Resource indexes (/F0 ... /F11; there is no F5).
enum PdfFont : int {
  kFontMincho = 0,
  kFontGothic = 1,
  kFontTimes = 2,
  kFontArial = 3,
  kFontMinchoV = 4,
  kFontSimplified = 6,
  kFontTraditional = 7,
  kFontKorean = 8,
  kFontSimplifiedV = 9,
  kFontTraditionalV = 10,
  kFontKoreanV = 11,
};

// The font of text from a block of this direction and language identifier.
int pdfFontFor(int direction, int langId);
// Whether the font sets text top to bottom.
bool isVerticalFont(int font);
// The advance of one UTF-16 unit in the font, in thousandths of the font size, as
// a reader places it: the Latin fonts by their metrics, the composite fonts by
// their width arrays (half width for ASCII, and in the Japanese fonts the
// half-width forms; full width otherwise).
int glyphAdvance(int font, char16_t unit);

// One composite face: the three objects of a Type0 font share it.
struct CompositeFace {
  int resource;
  std::string_view baseFont;     // of the Type0 font
  std::string_view encoding;     // its CMap
  std::string_view cidBaseFont;  // of the CIDFont
  int winCharSet;
  std::string_view ordering;  // of the character collection
  int supplement;
  std::string_view widths;    // the /W entries, one range per line
  std::string_view fontName;  // of the FontDescriptor
  int flags;
  std::string_view bbox;
  int capHeight, xHeight, ascent, descent;
  std::string_view panose;
};

enum class Face { Mincho, MinchoV, Gothic, Asia1, Asia2, Asia3, Asia1V, Asia2V, Asia3V };
const CompositeFace& faceOf(Face face);

class CPDFfontType0 : public CPDFobj {
 public:
  CPDFfontType0(int number, const CompositeFace& face) : CPDFobj(number), face_(face) {}
  void BuildText(std::string& out) const override;

 private:
  const CompositeFace& face_;
};

class CPDFfontCID : public CPDFobj {
 public:
  CPDFfontCID(int number, const CompositeFace& face) : CPDFobj(number), face_(face) {}
  void BuildText(std::string& out) const override;

 private:
  const CompositeFace& face_;
};

class CPDFfontDescriptor : public CPDFobj {
 public:
  CPDFfontDescriptor(int number, const CompositeFace& face) : CPDFobj(number), face_(face) {}
  void BuildText(std::string& out) const override;

 private:
  const CompositeFace& face_;
};

class CPDFfontTrueType : public CPDFobj {
 public:
  CPDFfontTrueType(int number, int resource, std::string_view baseFont)
      : CPDFobj(number), resource_(resource), baseFont_(baseFont) {}
  void BuildText(std::string& out) const override;

 private:
  int resource_;
  std::string_view baseFont_;
};

// The font classes by name: a Type0 font, its CIDFont ("Dst") and its
// FontDescriptor ("Dsr") for each face.
template <Face F>
class CPDFfontType0Of final : public CPDFfontType0 {
 public:
  explicit CPDFfontType0Of(int number) : CPDFfontType0(number, faceOf(F)) {}
};
template <Face F>
class CPDFfontCIDOf final : public CPDFfontCID {
 public:
  explicit CPDFfontCIDOf(int number) : CPDFfontCID(number, faceOf(F)) {}
};
template <Face F>
class CPDFfontDescriptorOf final : public CPDFfontDescriptor {
 public:
  explicit CPDFfontDescriptorOf(int number) : CPDFfontDescriptor(number, faceOf(F)) {}
};

using CPDFfontMintyou = CPDFfontType0Of<Face::Mincho>;
using CPDFfontMintyouDst = CPDFfontCIDOf<Face::Mincho>;
using CPDFfontMintyouDsr = CPDFfontDescriptorOf<Face::Mincho>;
using CPDFfontMintyouV = CPDFfontType0Of<Face::MinchoV>;
using CPDFfontMintyouDstV = CPDFfontCIDOf<Face::MinchoV>;
using CPDFfontMintyouDsrV = CPDFfontDescriptorOf<Face::MinchoV>;
using CPDFfontGosic = CPDFfontType0Of<Face::Gothic>;
using CPDFfontGosicDst = CPDFfontCIDOf<Face::Gothic>;
using CPDFfontGosicDsr = CPDFfontDescriptorOf<Face::Gothic>;
using CPDFfontAsia1 = CPDFfontType0Of<Face::Asia1>;
using CPDFfontAsia1Dst = CPDFfontCIDOf<Face::Asia1>;
using CPDFfontAsia1Dsr = CPDFfontDescriptorOf<Face::Asia1>;
using CPDFfontAsia2 = CPDFfontType0Of<Face::Asia2>;
using CPDFfontAsia2Dst = CPDFfontCIDOf<Face::Asia2>;
using CPDFfontAsia2Dsr = CPDFfontDescriptorOf<Face::Asia2>;
using CPDFfontAsia3 = CPDFfontType0Of<Face::Asia3>;
using CPDFfontAsia3Dst = CPDFfontCIDOf<Face::Asia3>;
using CPDFfontAsia3Dsr = CPDFfontDescriptorOf<Face::Asia3>;
using CPDFfontAsia1V = CPDFfontType0Of<Face::Asia1V>;
using CPDFfontAsia1VDst = CPDFfontCIDOf<Face::Asia1V>;
using CPDFfontAsia1VDsr = CPDFfontDescriptorOf<Face::Asia1V>;
using CPDFfontAsia2V = CPDFfontType0Of<Face::Asia2V>;
using CPDFfontAsia2VDst = CPDFfontCIDOf<Face::Asia2V>;
using CPDFfontAsia2VDsr = CPDFfontDescriptorOf<Face::Asia2V>;
using CPDFfontAsia3V = CPDFfontType0Of<Face::Asia3V>;
using CPDFfontAsia3VDst = CPDFfontCIDOf<Face::Asia3V>;
using CPDFfontAsia3VDsr = CPDFfontDescriptorOf<Face::Asia3V>;

class CPDFfontTNR final : public CPDFfontTrueType {
 public:
  explicit CPDFfontTNR(int number) : CPDFfontTrueType(number, kFontTimes, "/TimesNewRoman") {}
};
class CPDFfontArial final : public CPDFfontTrueType {
 public:
  explicit CPDFfontArial(int number) : CPDFfontTrueType(number, kFontArial, "/Arial") {}
};

}  // namespace lexova::pdf
