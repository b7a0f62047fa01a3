// A page's content stream: text, table and figure fragments, each in its own
// marked-content sequence numbered from 0 in the order the fragments are added.
#pragma once

#include <string>

#include "export/pdf/pdf_data.h"
#include "export/pdf/pdf_objects.h"

namespace lexova::pdf {

class CPDFcontents final : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  void BuildText(std::string& out) const override;

  // Each appends one fragment and returns 1; AddTable returns 0 and adds nothing
  // for a table without rows or columns.
  int AddText(const tagPDFTEXT& record);
  int AddTable(const tagPDFTABLE& table);
  int AddFigure(const CPDFimage& image);

  // Bytes between "stream" and "endstream".
  std::size_t length() const { return texts_.size() + tables_.size() + figures_.size(); }
  int markedContentCount() const { return counter_; }

 private:
  std::string texts_, tables_, figures_;
  int counter_ = 0;
};

// Appends the codes of text as a reader of font expects them, inside an open
// string ("<" written, ">" to follow): four hex digits per UTF-16 unit, or for the
// Latin font the Windows-1252 byte as two; a character Windows-1252 lacks is set
// in a string of its own in the Mincho font at sizeText. Code 13 is left out.
void appendCodes(std::string& out, std::u16string_view text, int font, std::string_view sizeText);

}  // namespace lexova::pdf
