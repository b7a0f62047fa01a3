#include "document/lifecycle/page_images.h"

#include "io/byte_io.h"
#include "text/utf.h"

namespace lexova {
namespace {

bool isSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

bool isRegularFile(std::u16string_view path) {
  return !path.empty() && io::fileExists(text::toUtf8(path));
}

// folder + name, with a separator between them unless the folder ends with one.
std::u16string join(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (!out.empty() && !isSeparator(out.back()))
    out += folder.find(u'\\') != std::u16string_view::npos && folder.find(u'/') == std::u16string_view::npos ? u'\\'
                                                                                                             : u'/';
  out += name;
  return out;
}

}  // namespace

std::u16string_view fileNameOf(std::u16string_view path) {
  const std::size_t sep = path.find_last_of(u"/\\");
  return sep == std::u16string_view::npos ? path : path.substr(sep + 1);
}

std::u16string_view folderOf(std::u16string_view path) {
  const std::size_t sep = path.find_last_of(u"/\\");
  return sep == std::u16string_view::npos ? std::u16string_view() : path.substr(0, sep);
}

std::u16string folderNamedAfter(std::u16string_view workFile) {
  const std::u16string_view name = fileNameOf(workFile);
  const std::size_t dot = name.rfind(u'.');
  const std::u16string_view base = dot == std::u16string_view::npos ? name : name.substr(0, dot);
  std::u16string out(workFile.substr(0, workFile.size() - name.size()));
  out += base;
  out += u'/';
  return out;
}

std::u16string resolvePageImage(const COcrPage& page, std::u16string_view imageFolder, std::u16string_view workFile) {
  if (isRegularFile(page.fullpath)) return page.fullpath;
  const std::u16string_view name = page.file.empty() ? fileNameOf(page.fullpath) : fileNameOf(page.file);
  if (name.empty()) return {};
  std::vector<std::u16string> candidates;
  if (!imageFolder.empty()) candidates.push_back(join(imageFolder, name));
  if (!workFile.empty()) {
    candidates.push_back(folderNamedAfter(workFile) + std::u16string(name));
    const std::u16string_view own = folderOf(workFile);
    candidates.push_back(own.empty() ? std::u16string(name) : join(own, name));
  }
  for (const std::u16string& c : candidates) {
    if (isRegularFile(c)) return c;
  }
  return {};
}

bool relocatePageImage(COcrPage& page, std::u16string_view workFile) {
  if (workFile.empty() || page.fullpath.empty() || isRegularFile(page.fullpath)) return false;
  std::u16string candidate = folderNamedAfter(workFile) + std::u16string(fileNameOf(page.fullpath));
  if (!isRegularFile(candidate)) return false;
  page.fullpath = std::move(candidate);
  return true;
}

std::u16string imageFolderOfFirstPage(const COcrPaper& paper) {
  return paper.pages.empty() ? std::u16string() : std::u16string(folderOf(paper.pages.front().fullpath));
}

std::vector<int> changeImageFolder(COcrPaper& paper, std::u16string_view before, std::u16string_view after) {
  std::vector<int> changed;
  if (before.empty() || after.empty()) return changed;
  int index = 0;
  for (COcrPage& page : paper.pages) {
    const std::u16string_view full = page.fullpath;
    // In the folder: the name continues after a separator, or "before" ends with one.
    const bool inside = full.size() > before.size() && full.starts_with(before) &&
                        (isSeparator(before.back()) || isSeparator(full[before.size()]));
    if (inside) {
      std::u16string moved = join(after, fileNameOf(full));
      if (moved != page.fullpath) {
        page.fullpath = std::move(moved);
        changed.push_back(index);
      }
    }
    ++index;
  }
  return changed;
}

}  // namespace lexova
