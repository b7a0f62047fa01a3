#include "export/pdf/pdf_objects.h"

#include "export/pdf/pdf_format.h"

namespace lexova::pdf {

std::uint64_t CPDFobj::WriteTo(io::ByteSink& out) const {
  std::string text;
  BuildText(text);
  out.write(text);
  return text.size();
}

void CPDFinfo::BuildText(std::string& out) const {
  // Each text is UTF-16 after its byte order mark; readers show it as it stands.
  pdfFormat(out,
            "%d 0 obj\r\n<<\n/Creator <FEFF%s>\r\n/CreationDate (D:%s)\r\n/Producer <FEFF%s>\r\n/Title <FEFF%s>\r\n"
            "/Subject <FEFF%s>\r\n/Author <FEFF%s>\r\n/Keywords <FEFF%s>\r\n>>\nendobj\r\n",
            {number(), creator, creationDate, producer, title, subject, author, keywords});
}

void CPDFproc::BuildText(std::string& out) const {
  pdfFormat(out,
            hasImages ? "%d 0 obj\r\n[ /PDF /Text /ImageB /ImageC ]\r\nendobj\r\n"
                      : "%d 0 obj\r\n[ /PDF /Text ]\r\nendobj\r\n",
            {number()});
}

void CPDFcatalog::BuildText(std::string& out) const {
  // No structure tree is written, so the catalog names none.
  pdfFormat(out,
            "%d 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages %d 0 R\r\n/MarkInfo << /Marked true >>\r\n"
            "/OpenAction [ %d 0 R /Fit ]\r\n",
            {number(), pages, firstPage});
  out.append(
      "/DefaultGray [/CalGray\r\n<<\r\n/WhitePoint [0.9643 1 0.8251 ]\r\n/Gamma 1.9002\r\n>>\r\n]\r\n"
      "/DefaultRGB [/CalRGB\r\n<<\r\n/WhitePoint [0.9643 1 0.8251 ]\r\n/Gamma [1.9002 1.9002 1.9002 ]\r\n"
      "/Matrix [0.5347 0.2919 0.0252 0.3 0.653 0.1177 0.129 0.055 0.6812 ]\r\n>>\r\n]\r\n>>\r\nendobj\r\n");
}

void CPDFpages::BuildText(std::string& out) const {
  pdfFormat(out, "%d 0 obj\r\n<<\r\n/Type /Pages\r\n/Kids [ ", {number()});
  for (const int kid : kids) pdfFormat(out, "%d 0 R ", {kid});
  pdfFormat(out, "]\r\n/Count %d\r\n>>\r\nendobj\r\n", {static_cast<int>(kids.size())});
}

void CPDFpage::BuildText(std::string& out) const {
  pdfFormat(
      out,
      "%d 0 obj\r\n<<\r\n/Type /Page\r\n/Parent %d 0 R\r\n/Resources <<\r\n/Font <<\r\n%s>>\r\n/XObject <<\r\n%s>>"
      "\r\n/ProcSet %d 0 R\r\n>>\r\n/Contents [ %d 0 R ]\r\n/MediaBox [ 0 0 %d %d ]\r\n/StructParents %d\r\n>>\r\n"
      "endobj\r\n",
      {number(), parent, fontLines, imageLines, procSet, contents, width, height, structParents});
}

void CPDFimage::BuildText(std::string& out) const {
  const int bits = kind == 1 ? 1 : 8;
  const int length = static_cast<int>(data.size());
  if (kind == 1) {
    const char* head = mask ? "%d 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im%d\r\n/Width %d\r\n"
                              "/Height %d\r\n/BitsPerComponent %d\r\n/ImageMask true\r\n/Length %d\r\n"
                            : "%d 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im%d\r\n/Width %d\r\n"
                              "/Height %d\r\n/BitsPerComponent %d\r\n/ColorSpace /DeviceGray\r\n/Length %d\r\n";
    pdfFormat(out, head, {number(), nameIndex_, pixelWidth, pixelHeight, bits, length});
    pdfFormat(out,
              mask ? "/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n/K -1\r\n/EndOfLine false\r\n"
                     "/EncodeByteAlign false\r\n/Columns %d\r\n/Rows %d\r\n/EndOfBlock false\r\n\r\n"
                     "/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\n"
                   : "/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n/K -1\r\n/EndOfLine false\r\n"
                     "/EncodeByteAlign false\r\n/Columns %d\r\n/Rows %d\r\n/EndOfBlock false\r\n/BlackIs1 false\r\n"
                     "/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\n",
              {pixelWidth, pixelHeight});
  } else {
    pdfFormat(
        out,
        "%d 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im%d\r\n/Filter /DCTDecode\r\n/Width %d\r\n"
        "/Height %d\r\n/BitsPerComponent %d\r\n/ColorSpace %s\r\n/Length %d\r\n>>\r\nstream\r\n",
        {number(), nameIndex_, pixelWidth, pixelHeight, bits, kind == 24 ? "/DeviceRGB" : "/DeviceGray", length});
  }
  out.append(reinterpret_cast<const char*>(data.data()), data.size());
  out.append("\rendstream\r\nendobj\r\n");
}

}  // namespace lexova::pdf
