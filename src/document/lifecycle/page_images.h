// Where a page's image is: the one resolver every view and export asks, the
// relocation of moved images when saving under another name, and the change of
// the image folder. Paths from work files made on Windows use "\", ours "/": both
// separate folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/model/model.h"

namespace lexova {

// The file name at the end of a path.
std::u16string_view fileNameOf(std::u16string_view path);
// The folder part of a path, without its last separator ("" for a bare name).
std::u16string_view folderOf(std::u16string_view path);
// The folder named after a work file, with a separator at its end: /w/book.xml
// gives /w/book/.
std::u16string folderNamedAfter(std::u16string_view workFile);

// The image of a page, the first of these that is a regular file: its fullpath;
// the image folder + its file name; the folder named after the work file + its
// file name; the work file's own folder + its file name. Empty when none is.
std::u16string resolvePageImage(const COcrPage& page, std::u16string_view imageFolder, std::u16string_view workFile);

// Save as: when the page's fullpath names no file and the folder named after the
// work file holds the image (by the fullpath's file name), fullpath becomes that.
// Returns whether it changed.
bool relocatePageImage(COcrPage& page, std::u16string_view workFile);

// The first page's image folder: the "before" the image-folder dialog starts with.
std::u16string imageFolderOfFirstPage(const COcrPaper& paper);

// Every page whose fullpath lies in the folder `before` (a whole folder name: C:\a
// does not hold C:\ab\p.tif) gets `after` + a separator + its file name. Returns
// the positions of the pages changed.
std::vector<int> changeImageFolder(COcrPaper& paper, std::u16string_view before, std::u16string_view after);

}  // namespace lexova
