// The text PDF export: every page in range with its text set in the PDF fonts,
// its tables with their rules, and (with the picture step) its figures.
#pragma once

#include <string>

#include "document/model/model.h"
#include "export/pdf/pdf_data.h"
#include "export/pdf/pdf_file.h"
#include "host/host.h"
#include "settings/values.h"

namespace lexova::pdf {

// The creator and producer of every PDF we write.
inline constexpr char16_t kPdfProduct[] = u"Lexova PRO v.14.0訂正プログラム";

// The four editable texts of a PDF's document information.
struct PdfInformation {
  std::u16string title, subject, author, keywords;
};

// The information texts of the output settings; an empty author becomes the
// login name when "PDFAuthorCheck" is 1.
PdfInformation pdfInformation(const settings::SettingsValues& s);

// Sets the six information texts of a file, in the order the export uses.
void setInformation(CPDFfile& file, const PdfInformation& info);

// What an export left out.
struct PdfExportReport {
  int pages = 0;
  int figuresLeftOut = 0;  // figure blocks without a picture
  bool cancelled = false;
};

// A page of the text PDF: its size and resolution (the one dpi rule of every
// exporter), its text records and its tables with their rules.
CPDFdata textPdfPage(const COcrPaper& paper, const COcrPage& page);

// Adds pages first..last (positions from 0, inclusive; -1 no bound) to file and
// sets its information, stepping host's progress bar (two steps a page) and
// showing "ファイル保存中　n/m" when showProgressText. Returns false when the person cancelled.
bool fillTextPdf(CPDFfile& file, const COcrPaper& paper, int first, int last, const PdfInformation& info, Host& host,
                 bool showProgressText, PdfExportReport& report);

// Writes the text PDF of pages first..last to path through the safe file writer
// (the old file stays whole on failure). Returns 1 when written or cancelled (then
// nothing is written), 0 after telling the user "ファイル %s が保存できません。".
int ExportTextPdf(const COcrPaper& paper, const std::u16string& path, int first, int last, const PdfInformation& info,
                  Host& host, bool showProgressText = true, PdfExportReport* report = nullptr);

}  // namespace lexova::pdf
