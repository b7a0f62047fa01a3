// The pictures of PDF pages, made from the page image: figure regions of a text
// PDF, the whole page of an image PDF, and for a high-compression PDF a
// background with the characters painted out plus one-bit masks that carry the
// characters in their colours. Everything is encoded in memory.
#pragma once

#include <string>
#include <vector>

#include "document/model/model.h"
#include "export/pdf/pdf_data.h"
#include "imaging/pict_info.h"

namespace lexova::pdf {

// A region of the page image in pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The picture parameters of the image PDFs by the "PDFImageQuality" setting
// (0 compact .. 2 fine), and of the text PDF's figures.
struct PictureQuality {
  int targetDpi;
  int jpegQuality;
};
PictureQuality imagePdfQuality(int setting);
inline constexpr PictureQuality kFigureQuality{72, 75};

// The regions of the page image as pictures at targetDpi (one-bit pages by their
// own rule), appended to data.images in order; a region that fails or lies outside
// the image leaves no record. Returns 1, or 0 when the image cannot be loaded.
int PreparePictures(CPDFdata& data, const std::string& imageFile, const std::vector<PixelRect>& rects,
                    PictureQuality quality);
// The same with the page image already loaded.
int PreparePictures(CPDFdata& data, imaging::CPICT_INFO& image, const std::vector<PixelRect>& rects,
                    PictureQuality quality);

// The high-compression pictures of a page: record 0 the background, then one mask
// per colour group of characters. Returns 1 when pictures were made.
int PrepareHighCompression(CPDFdata& data, const std::string& imageFile, const COcrPage& page, PictureQuality quality);

}  // namespace lexova::pdf
