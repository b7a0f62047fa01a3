// The PDF exports: the text PDF (text set in the PDF fonts, tables with their
// rules, figures cut from the page image) and the two image PDFs (the page image,
// or a painted-out background with character masks, under an invisible text
// layer).
#pragma once

#include <functional>
#include <string>

#include "document/model/model.h"
#include "export/pdf/pdf_data.h"
#include "export/pdf/pdf_file.h"
#include "export/pdf/pdf_pictures.h"
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

// Where a page's image file is: a file-system path, empty when it cannot be found.
using PageImageResolver = std::function<std::string(const COcrPage&)>;

// What an export needs besides the pages.
struct PdfExportOptions {
  PdfInformation information;
  PageImageResolver pageImages;  // none: no pictures
  int imageQuality = 0;          // "PDFImageQuality" of the image PDFs
  bool showProgressText = true;
};

// What an export did.
struct PdfExportReport {
  int pages = 0;
  int figuresLeftOut = 0;              // figure blocks without a picture
  std::vector<int> pagesWithoutImage;  // positions of pages written without their image
  bool cancelled = false;
};

// A page of the text PDF: its size and resolution (the one dpi rule of every
// exporter), its figures (when its image is found), text records and tables.
CPDFdata textPdfPage(const COcrPaper& paper, const COcrPage& page, const std::string& imageFile = {},
                     int* figuresLeftOut = nullptr);
// A page of an image PDF: the page image (whole, or background and masks when
// highCompression) under its text placed character by character, invisible.
CPDFdata imagePdfPage(const COcrPaper& paper, const COcrPage& page, const std::string& imageFile, bool highCompression,
                      PictureQuality quality);

// Adds pages first..last (positions from 0, inclusive; -1 no bound) of the text
// PDF to file and sets its information, stepping host's progress bar (two steps
// a page) and showing "ファイル保存中　n/m" when wanted. False when the person
// cancelled.
bool fillTextPdf(CPDFfile& file, const COcrPaper& paper, int first, int last, const PdfExportOptions& options,
                 Host& host, PdfExportReport& report);

// Writes the text PDF (type 5) of pages first..last to path through the safe file
// writer. Pages whose figures need an image that cannot be found are listed and
// the person is asked whether to write them without. Returns 1 when written or
// cancelled (nothing written then), 0 after telling the user "ファイル %s が保存
// できません。".
int ExportTextPdf(const COcrPaper& paper, const std::u16string& path, int first, int last,
                  const PdfExportOptions& options, Host& host, PdfExportReport* report = nullptr);

// Writes an image PDF: type 11 the page image, type 15 (highCompression) the
// background and masks, each under the invisible text. Progress "PDFファイル保存
// 中..." with a cancel that leaves no file. Results as ExportTextPdf.
int ExportImagePdf(const COcrPaper& paper, const std::u16string& path, int first, int last, bool highCompression,
                   const PdfExportOptions& options, Host& host, PdfExportReport* report = nullptr);

}  // namespace lexova::pdf
