#include "export/pdf/pdf_fonts.h"

#include "export/pdf/pdf_format.h"

namespace lexova::pdf {

namespace {

// The Shift_JIS bytes of the Japanese face names, bytes from 0x80 written as #XX;
// "@" names the vertical face.
constexpr std::string_view kMincho = "/#82l#82r#96#BE#92#A9";
constexpr std::string_view kMinchoV = "/@#82l#82r#96#BE#92#A9";
constexpr std::string_view kGothic = "/#82l#82r#83S#83V#83b#83N";

// Every collection sets its ASCII glyphs (CIDs 1 to 95; in Japan1 the JIS-Roman
// forms reach CID 100) at half width; Japan1 also its half-width forms.
constexpr std::string_view kJapanWidths = "1 100 500\r\n231 389 500\r\n631 631 500\r\n";
constexpr std::string_view kAsciiWidths = "1 95 500\r\n";

constexpr std::string_view kBox = "[ -250 -140 600 860 ]";
constexpr std::string_view kBoxV = "[ -250 -136 600 864 ]";
constexpr std::string_view kAsiaBox = "[ 0 -141 996 855]";
constexpr std::string_view kSerifPanose = "010502020609000000000000";
constexpr std::string_view kSansPanose = "0805020B0609000000000000";

constexpr CompositeFace kFaces[] = {
    {kFontMincho, kMincho, "/UniJIS-UTF16-H", kMincho, 128, "Japan1", 2, kJapanWidths, kMincho, 7, kBox, 860, 602, 860,
     -140, kSerifPanose},
    {kFontMinchoV, kMinchoV, "/UniJIS-UTF16-V", kMinchoV, 128, "Japan1", 2, kJapanWidths, kMinchoV, 7, kBoxV, 864, 604,
     864, -136, kSerifPanose},
    {kFontGothic, kGothic, "/UniJIS-UTF16-H", kGothic, 128, "Japan1", 2, kJapanWidths, kGothic, 5, kBox, 860, 602, 860,
     -140, kSansPanose},
    {kFontSimplified, "/SimSun", "/UniGB-UTF16-H", "/SimSun", 134, "GB1", 2, kAsciiWidths, "/SimSun", 7, kAsiaBox, 860,
     602, 860, -140, kSerifPanose},
    {kFontTraditional, "/MingLiU", "/UniCNS-UTF16-H", "/MingLiU", 136, "CNS1", 0, kAsciiWidths, "/MingLiU", 7, kAsiaBox,
     860, 602, 860, -140, kSerifPanose},
    {kFontKorean, "/Gulim", "/UniKS-UTF16-H", "/Gulim", 136, "Korea1", 1, kAsciiWidths, "/Gulim", 7, kAsiaBox, 860, 602,
     860, -140, kSerifPanose},
    {kFontSimplifiedV, "/SimSun", "/UniGB-UTF16-V", "/SimSun", 134, "GB1", 2, kAsciiWidths, "/SimSun", 7, kAsiaBox, 860,
     602, 860, -140, kSerifPanose},
    {kFontTraditionalV, "/MingLiU", "/UniCNS-UTF16-V", "/MingLiU", 136, "CNS1", 0, kAsciiWidths, "/MingLiU", 7,
     kAsiaBox, 860, 602, 860, -140, kSerifPanose},
    {kFontKoreanV, "/Gulim", "/UniKS-UTF16-V", "/Gulim", 136, "Korea1", 1, kAsciiWidths, "/Gulim", 7, kAsiaBox, 860,
     602, 860, -140, kSerifPanose},
};

// Times Roman advances of the Windows-1252 codes 0x20..0xFF, in thousandths of
// an em (0 where the code page has no character).
constexpr short kTimesWidths[224] = {
    250, 333, 408, 500, 500, 833,  778, 180,  333, 333,  500, 564, 250, 333, 250, 278,  // 0x20
    500, 500, 500, 500, 500, 500,  500, 500,  500, 500,  278, 278, 564, 564, 564, 444,  // 0x30
    921, 722, 667, 667, 722, 611,  556, 722,  722, 333,  389, 722, 611, 889, 722, 722,  // 0x40
    556, 722, 667, 556, 611, 722,  722, 944,  722, 722,  611, 333, 278, 333, 469, 500,  // 0x50
    333, 444, 500, 444, 500, 444,  333, 500,  500, 278,  278, 500, 278, 778, 500, 500,  // 0x60
    500, 500, 333, 389, 278, 500,  500, 722,  500, 500,  444, 480, 200, 480, 541, 0,    // 0x70
    500, 0,   333, 500, 444, 1000, 500, 500,  333, 1000, 556, 333, 889, 0,   611, 0,    // 0x80
    0,   333, 333, 444, 444, 350,  500, 1000, 333, 980,  389, 333, 722, 0,   444, 722,  // 0x90
    250, 333, 500, 500, 500, 500,  200, 500,  333, 760,  276, 500, 564, 333, 760, 333,  // 0xA0
    400, 564, 300, 300, 333, 510,  453, 250,  333, 300,  310, 500, 750, 750, 750, 444,  // 0xB0
    722, 722, 722, 722, 722, 722,  889, 667,  611, 611,  611, 611, 333, 333, 333, 333,  // 0xC0
    722, 722, 722, 722, 722, 722,  722, 564,  722, 722,  722, 722, 722, 722, 556, 500,  // 0xD0
    444, 444, 444, 444, 444, 444,  667, 444,  444, 444,  444, 444, 278, 278, 278, 278,  // 0xE0
    500, 500, 500, 500, 500, 500,  500, 564,  500, 500,  500, 500, 500, 500, 500, 500,  // 0xF0
};

}  // namespace

const CompositeFace& faceOf(Face face) {
  return kFaces[static_cast<int>(face)];
}

int pdfFontFor(int direction, int langId) {
  if (direction == 1) {
    switch (langId) {
      case 134:
        return kFontSimplifiedV;
      case 136:
        return kFontTraditionalV;
      case 129:
        return kFontKoreanV;
      default:
        return kFontMinchoV;
    }
  }
  switch (langId) {
    case 134:
      return kFontSimplified;
    case 136:
      return kFontTraditional;
    case 129:
      return kFontKorean;
    case 0:
      return kFontTimes;
    default:
      return kFontMincho;
  }
}

bool isVerticalFont(int font) {
  return font == kFontMinchoV || font == kFontSimplifiedV || font == kFontTraditionalV || font == kFontKoreanV;
}

int glyphAdvance(int font, char16_t unit) {
  if (font == kFontTimes || font == kFontArial) {
    const auto byte = windows1252(unit);
    if (byte && *byte >= 0x20 && kTimesWidths[*byte - 0x20] > 0) return kTimesWidths[*byte - 0x20];
    return 500;
  }
  if (unit >= 0x20 && unit <= 0x7E) return 500;
  if ((font == kFontMincho || font == kFontGothic || font == kFontMinchoV) && unit >= 0xFF61 && unit <= 0xFF9F) {
    return 500;
  }
  return 1000;
}

void CPDFfontType0::BuildText(std::string& out) const {
  pdfFormat(out,
            "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type0\r\n/Name /F%d\r\n/BaseFont %s\r\n"
            "/DescendantFonts [ %d 0 R ]\r\n/Encoding %s\r\n>>\r\nendobj\r\n",
            {number(), face_.resource, face_.baseFont, number() + 1, face_.encoding});
}

void CPDFfontCID::BuildText(std::string& out) const {
  pdfFormat(
      out,
      "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /CIDFontType2\r\n/BaseFont %s\r\n/WinCharSet %d "
      "/FontDescriptor %d 0 R\r\n/CIDSystemInfo\r\n<<\r\n/Registry(Adobe)\r\n/Ordering(%s)\r\n/Supplement %d\r\n"
      ">>\r\n/DW 1000\r\n/W [\r\n%s]\r\n>>\r\nendobj\r\n",
      {number(), face_.cidBaseFont, face_.winCharSet, number() + 1, face_.ordering, face_.supplement, face_.widths});
}

void CPDFfontDescriptor::BuildText(std::string& out) const {
  pdfFormat(out,
            "%d 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName %s\r\n/Flags %d\r\n/FontBBox %s\r\n"
            "/MissingWidth 500\r\n/StemV 91\r\n/StemH 91\r\n/ItalicAngle 0\r\n/CapHeight %d\r\n/XHeight %d\r\n"
            "/Ascent %d\r\n/Descent %d\r\n/Leading 0\r\n/MaxWidth 1000\r\n/AvgWidth 500\r\n/Style\r\n"
            "<< /Panose <%s> >>\r\n>>\r\nendobj\r\n",
            {number(), face_.fontName, face_.flags, face_.bbox, face_.capHeight, face_.xHeight, face_.ascent,
             face_.descent, face_.panose});
}

void CPDFfontTrueType::BuildText(std::string& out) const {
  pdfFormat(out,
            "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /TrueType\r\n/Name /F%d\r\n/BaseFont %s\r\n"
            "/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n",
            {number(), resource_, baseFont_});
}

}  // namespace lexova::pdf
