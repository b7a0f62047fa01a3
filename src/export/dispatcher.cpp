#include "export/dispatcher.h"

#include "export/office/office_output.h"
#include "export/text_writer.h"
#include "text/utf.h"

namespace lexova::exporting {

bool exportWriterAvailable(int typeCode) {
  return typeCode == kExportText || typeCode == kExportPdf || typeCode == kExportImagePdf ||
         typeCode == kExportCompressedImagePdf || typeCode == kExportWord || typeCode == kExportPowerPoint ||
         typeCode == kExportXps;
}

ExportOptions exportOptionsFor(const settings::SettingsValues& s) {
  ExportOptions options;
  options.pdf.information = pdf::pdfInformation(s);
  options.pdf.imageQuality = s.pdfImageQuality;
  options.wordColumns = s.wordColumns;
  return options;
}

int ExportDocument(const COcrPaper& paper, const std::u16string& path, int typeCode, int first, int last, Host& host,
                   const ExportOptions& options) {
  switch (typeCode) {
    case kExportText:
      return WriteUnicodeText(paper, path, first, last, host);
    case kExportPdf:
      return pdf::ExportTextPdf(paper, path, first, last, options.pdf, host, options.pdfReport) == 1 ? 0 : -1;
    case kExportImagePdf:
    case kExportCompressedImagePdf:
      return pdf::ExportImagePdf(paper, path, first, last, typeCode == kExportCompressedImagePdf, options.pdf, host,
                                 options.pdfReport) == 1
                 ? 0
                 : -1;
    case kExportWord:
    case kExportPowerPoint:
    case kExportXps: {
      office::OfficeExportOptions o;
      o.pageImages = options.pdf.pageImages;
      o.columnPriority = options.wordColumns;
      return office::ExportOfficeDocument(paper, path, static_cast<office::OfficeKind>(typeCode), first, last, o,
                                          host) == 1
                 ? 0
                 : -1;
    }
    default:
      // An extension that names no writer (a spreadsheet among them) writes nothing, and says so.
      host.message(u"ファイル " + path + u" は、この形式では出力できません。", u"エラー", MessageIcon::Error);
      return kExportNotAvailable;
  }
}

}  // namespace lexova::exporting
