// The results of other OCR engines: hOCR, ALTO (v2, v3, v4) and PAGE XML (2013,
// 2019), read into the model and written back from it, beside the work file.
// Formats are recognised by content, never by a file's extension.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/model/model.h"
#include "interchange/ocr_import.h"

namespace lexova::interchange {

enum class Format { Unknown, WorkFile, Hocr, Alto, Page };

// What the first element of the bytes says: a work file's paper, hOCR's html
// with an ocr_page, ALTO's alto, PAGE's PcGts.
Format detectFormat(std::string_view bytes);
// "workfile", "hocr", "alto", "page"; and back (nothing for another name).
std::string_view formatName(Format f);
std::optional<Format> formatNamed(std::string_view name);

// Reads hOCR, ALTO or PAGE. A clear error with its line for unparsable markup, an
// unknown root or missing required geometry, never a crash. `dpi` converts ALTO's
// mm10 and inch1200 units when the file gives no resolution.
ImportResult readHocr(std::string_view bytes);
ImportResult readAlto(std::string_view bytes, int dpi = 300);
ImportResult readPage(std::string_view bytes);
ImportResult readInterchange(std::string_view bytes, Format f);

// Writes a paper: hOCR as Tesseract does (all pages in one file); ALTO 4.4 in
// pixels and PAGE 2019-07-15, one page each. `created` is PAGE's Created and
// LastChange (xsd:dateTime).
std::string writeHocr(const COcrPaper& paper);
std::string writeAlto(const COcrPage& page, int pageIndex);
std::string writePage(const COcrPage& page, std::string_view created);

// The files a conversion writes: one for hOCR (and the work file); for ALTO and
// PAGE one a page, NAME-0001.xml, NAME-0002.xml, … when there are several pages.
std::vector<std::string> outputNames(const std::string& path, Format f, std::size_t pages);

// PAGE's Created and LastChange: SOURCE_DATE_EPOCH's moment when it is set, else now (UTC).
std::string timestampNow();

// The files (name, contents) of a paper written as hOCR, ALTO or PAGE to `path`.
std::vector<std::pair<std::string, std::string>> interchangeFiles(const COcrPaper& paper, Format f,
                                                                  const std::string& path);

// The boxes of a line's characters for writing: a character without a box (typed
// in the editor) gets one between its neighbours, or a share of the line.
std::vector<Box> characterBoxes(const COcrLine& line, bool vertical);

}  // namespace lexova::interchange
