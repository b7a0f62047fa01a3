// One PDF file being written: the fixed objects (information, ProcSet, catalog,
// page tree, the eleven fonts), then pages added one by one, then Save. A page's
// objects are finished when it is added and go to a private scratch file, so that
// memory holds one page whatever the page count; Save writes the fixed objects,
// the pages and the pictures in that order, the cross-reference table and the
// trailer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/pdf/pdf_data.h"
#include "export/pdf/pdf_format.h"
#include "export/pdf/pdf_objects.h"
#include "io/byte_io.h"
#include "io/spool_file.h"

namespace lexova::pdf {

// Object numbers of the fixed objects.
inline constexpr int kInfoObject = 1, kProcSetObject = 2, kCatalogObject = 3, kPagesObject = 4;
inline constexpr int kFixedObjects = 33;
// A page's side in points is kept within these.
inline constexpr int kMinPagePoints = 72, kMaxPagePoints = 3240;

class CPDFfile {
 public:
  CPDFfile();
  ~CPDFfile();
  CPDFfile(const CPDFfile&) = delete;
  CPDFfile& operator=(const CPDFfile&) = delete;

  // Appends a page with its pictures, texts and tables; returns the number of
  // pages so far. Throws io::IoError when the scratch file fails.
  int AddPage(const CPDFdata& data);

  // The information texts, taken as UTF-16; each replaces the previous one.
  void SetTitle(std::u16string_view text);
  void SetSubject(std::u16string_view text);
  void SetAuthor(std::u16string_view text);
  void SetKeywords(std::u16string_view text);
  void SetCreator(std::u16string_view text);
  void SetProducer(std::u16string_view text);
  // The creation date; without it Save takes pdfDateNow().
  void setCreationDate(const PdfDate& date) { date_ = date; }

  // Writes the file to out: 1 when written, 0 (nothing written) without pages.
  // Throws io::IoError when out or the scratch files fail.
  int Save(io::ByteSink& out);
  // Save through the safe file writer: the file at path is replaced only when
  // everything was written.
  int Save(const std::string& path);

  int pageCount() const { return static_cast<int>(pages_.kids.size()); }
  int objectCount() const { return counter_; }

 private:
  int next() { return ++counter_; }
  io::SpoolFile& spool(std::unique_ptr<io::SpoolFile>& s);

  int counter_ = 0;
  CPDFinfo info_;
  CPDFproc proc_;
  CPDFcatalog catalog_;
  CPDFpages pages_;
  std::vector<std::unique_ptr<CPDFobj>> fonts_;  // objects 5..33 by number
  int imageCount_ = 0;
  // Where each object from 34 on lies: in the page scratch file (pages and their
  // contents, in file order) or in the picture scratch file.
  struct Placed {
    bool picture;
    std::uint64_t offset;
  };
  std::vector<Placed> placed_;
  std::unique_ptr<io::SpoolFile> pageSpool_, pictureSpool_;
  std::optional<PdfDate> date_;
  std::string scratch_;
};

}  // namespace lexova::pdf
