// The rules of the export dialog as plain functions: the file types it offers, the
// one preselected from the last export, and the type code a chosen name gives.
// The page range rules it shares with saving under another name are in
// document/page_range.h.
#pragma once

#include <string_view>

namespace lexova::exporting {

// The file types of the export dialog, in this order, as one filter string.
inline constexpr char16_t kExportFilter[] =
    u"Unicodeテキスト (*.txt)|*.txt|Word2007以降(*.docx)|*.docx|PDF (*.pdf)|*.pdf|"
    u"PDF画像 (透明テキスト付き) (*.pdf)|*.pdf|高圧縮PDF画像 (透明テキスト付き) (*.pdf)|*.pdf||";

// The file type (0 to 4 in the filter) selected when the dialog opens, after the last type code.
int preselectedFileType(int lastTypeCode);

// The export type code of a file name (its extension, any case) with the file type
// chosen in the dialog (0 to 4): a .pdf is an image PDF for the fourth type, a
// high-compression one for the fifth, else a text PDF. 0 when the extension names
// no writer.
int exportTypeFor(std::u16string_view fileName, int fileType);

}  // namespace lexova::exporting
