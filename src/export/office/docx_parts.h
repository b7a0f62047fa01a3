// The parts of a Word document (WordprocessingML), one writer per element: a
// section per page with its size and margins, each block a text box anchored to
// the page at its place (vertical blocks in vertical text), tables as tables,
// ruby as Word ruby, pictures and lines as anchored shapes.
#pragma once

#include <string>
#include <vector>

#include "export/office/office_model.h"

namespace lexova::office {

std::string docxContentTypes();
std::string docxPackageRels();
std::string docxDocumentRels(const std::vector<std::string>& media);  // media/imageN.ext, rId100 + index
std::string docxStyles(const std::u16string& asianFont, const std::u16string& latinFont);
std::string docxDocumentStart();
std::string docxDocumentEnd();

// w:sectPr of a page: its size and margins in twips.
std::string docxSectionProperties(const PageSetup& page);

// The runs of a line at size: text, a break for code 13, Word ruby over the
// characters a ruby covers.
void docxRuns(std::string& out, const OfficeLine& line, double size);

// Anchored drawings (each a w:r), id unique in the document.
void docxTextBox(std::string& out, const TextArea& area, int id);
void docxTableBox(std::string& out, const TableArea& area, int id);
void docxPicture(std::string& out, const ImageArea& area, const std::string& relId, int id);
void docxLine(std::string& out, const LineArea& area, int id);

// EMU of a length in points.
long long emu(double points);

}  // namespace lexova::office
