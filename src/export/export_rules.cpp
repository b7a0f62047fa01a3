#include "export/export_rules.h"

#include <string>

#include "export/dispatcher.h"

namespace lexova::exporting {

int preselectedFileType(int lastTypeCode) {
  switch (lastTypeCode) {
    case kExportWord:
      return 1;
    case kExportPdf:
      return 2;
    case kExportImagePdf:
      return 3;
    case kExportCompressedImagePdf:
      return 4;
    default:
      return 0;
  }
}

int exportTypeFor(std::u16string_view fileName, int fileType) {
  const std::size_t dot = fileName.rfind(u'.');
  const std::size_t slash = fileName.find_last_of(u"/\\");
  if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash)) return kExportNone;
  std::u16string ext(fileName.substr(dot + 1));
  for (char16_t& c : ext) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  if (ext == u"docx") return kExportWord;
  if (ext == u"pptx") return kExportPowerPoint;
  if (ext == u"xlsx") return kExportSpreadsheet;
  if (ext == u"xps") return kExportXps;
  if (ext == u"txt") return kExportText;
  if (ext == u"pdf") return fileType == 4 ? kExportCompressedImagePdf : fileType == 3 ? kExportImagePdf : kExportPdf;
  return kExportNone;
}

}  // namespace lexova::exporting
