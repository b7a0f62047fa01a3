// The export dispatcher: one entry for every external format, chosen by the
// export type code.
#pragma once

#include <string>

#include "document/model/model.h"
#include "export/pdf/pdf_export.h"
#include "host/host.h"

namespace lexova::exporting {

enum ExportType : int {
  kExportNone = 0,  // an extension that names no writer
  kExportText = 1,
  kExportPdf = 5,
  kExportImagePdf = 11,
  kExportCompressedImagePdf = 15,
  kExportWord = 101,
  kExportSpreadsheet = 102,  // no writer: nothing is written
  kExportPowerPoint = 103,
  kExportXps = 104,
};

// What ExportDocument returns besides a writer's own result.
inline constexpr int kExportNotAvailable = -2;

// Whether this build has a writer for the type code.
bool exportWriterAvailable(int typeCode);

// What the writers take besides the pages: for PDFs the information texts, the
// page images and the picture quality, and where a PDF export reports what it
// left out.
struct ExportOptions {
  pdf::PdfExportOptions pdf;  // also the page images of the office documents
  pdf::PdfExportReport* pdfReport = nullptr;
  int wordColumns = 1;  // "Word段組み出力"
};

// The options the settings give (information texts, picture quality, Word
// columns); the page images and the report are the caller's.
ExportOptions exportOptionsFor(const settings::SettingsValues& s);

// Writes pages first..last (positions from 0, inclusive) of the paper to path in
// the format of typeCode. Returns 0 when written (or cancelled by the person), -1
// after the writer told the user why it failed. A code without a writer, or a
// format whose writer this build does not have yet, writes nothing and is refused
// with a message and kExportNotAvailable.
int ExportDocument(const COcrPaper& paper, const std::u16string& path, int typeCode, int first, int last, Host& host,
                   const ExportOptions& options = {});

}  // namespace lexova::exporting
