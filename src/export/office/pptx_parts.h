// The parts of a PowerPoint presentation (PresentationML): one slide per page
// with text frames at their place (vertical blocks in vertical text), table
// cells as framed text, pictures and lines; one master, one blank layout, one
// theme.
#pragma once

#include <string>
#include <vector>

#include "export/office/office_model.h"

namespace lexova::office {

std::string pptxContentTypes(int slides);
std::string pptxPackageRels();
std::string pptxPresentation(int slides, long long widthEmu, long long heightEmu);
std::string pptxPresentationRels(int slides);
std::string pptxMaster();
std::string pptxMasterRels();
std::string pptxLayout();
std::string pptxLayoutRels();
std::string pptxTheme(const std::u16string& asianFont, const std::u16string& latinFont);
std::string pptxSlideRels(const std::vector<std::string>& media);  // ../media/..., rId2 + index

// Where a page lies on the slide: scale and offset in EMU.
struct SlidePlacement {
  double scale = 1;
  double offsetX = 0, offsetY = 0;
  long long x(double points) const;
  long long y(double points) const;
  long long length(double points) const;
};

std::string pptxSlideStart();
std::string pptxSlideEnd();
void pptxTextFrame(std::string& out, const TextArea& area, const SlidePlacement& at, int id,
                   const std::u16string& asianFont, const std::u16string& latinFont);
void pptxTableCells(std::string& out, const TableArea& area, const SlidePlacement& at, int& id,
                    const std::u16string& asianFont, const std::u16string& latinFont);
void pptxPicture(std::string& out, const ImageArea& area, const SlidePlacement& at, const std::string& relId, int id);
void pptxLine(std::string& out, const LineArea& area, const SlidePlacement& at, int id);

}  // namespace lexova::office
