// The program's side of the office documents: what each page and block hands to
// the office library (page geometry with the A4 snapping and the column priority,
// text, table, picture and line areas), the progress and the messages.
#pragma once

#include <string>

#include "document/model/model.h"
#include "export/office/office_library.h"
#include "export/pdf/pdf_export.h"
#include "host/host.h"

namespace lexova::office {

struct OfficeExportOptions {
  pdf::PageImageResolver pageImages;  // none: no pictures
  int columnPriority = 1;             // "Word段組み出力": centre the content on the page
};

struct OfficeExportReport {
  int pages = 0;
  bool moreThanFivePages = false;
  bool cancelled = false;
};

// The page set-up of a page for kind: sizes and margins in twips (Word and
// PowerPoint: A4-snapped), and the offsets of the column priority.
struct PageGeometry {
  PageSetup setup;
  double offsetXPx = 0, offsetYPx = 0;  // how far the content moves, pixels
};
PageGeometry pageGeometry(const COcrPage& page, int dpi, OfficeKind kind, int columnPriority);

// The areas of a page's blocks (text, tables, lines; pictures need the image) as
// handed to the library.
TextArea textArea(const COcrBlock& block, int dpi, const PageGeometry& g);
TableArea tableArea(const COcrBlock& block, int dpi, const PageGeometry& g);
LineArea lineArea(const COcrBlock& block, int dpi, const PageGeometry& g);

// Adds one page to the library (geometry first, whatever the page holds).
// Returns 0, or -1 when the library failed.
int addOfficePage(OfficeLibrary& library, OfficeKind kind, const COcrPaper& paper, const COcrPage& page,
                  const std::string& imageFile, const OfficeExportOptions& options);

// One office export: the library, its kind, the options, and the pages added.
class CDocxOutput {
 public:
  CDocxOutput(OfficeKind kind, OfficeExportOptions options) : kind_(kind), options_(std::move(options)) {}
  // Loads the library: false when it cannot start.
  bool Init() { return library_.initDocxData(kind_) == 0; }
  // Adds a page and its page break; false when the library failed.
  bool AddPage(const COcrPaper& paper, const COcrPage& page);
  // Makes the XPS font subsets (XPS only) and completes the document at path: 0 when written.
  int Create(const std::string& path);
  int pages() const { return pages_; }
  OfficeLibrary& library() { return library_; }

 private:
  OfficeKind kind_;
  OfficeExportOptions options_;
  OfficeLibrary library_;
  int pages_ = 0;
};

// Exports pages first..last (positions from 0, inclusive; -1 no bound) as kind to
// path. Returns 1 when written (a cancel writes the pages done so far), 0 after
// the message: "%sは保存できませんでした" for Word, "ファイル %s が保存できません。"
// otherwise.
int ExportOfficeDocument(const COcrPaper& paper, const std::u16string& path, OfficeKind kind, int first, int last,
                         const OfficeExportOptions& options, Host& host, OfficeExportReport* report = nullptr);

}  // namespace lexova::office
