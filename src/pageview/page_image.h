// The current page's image, decoded once and shared by the image view, the text
// view's line images, the one-line image window and the page list's preview. A
// page change decodes once; showing the same file again (text edits, another
// display) decodes nothing. The reduced copy for the display scale and the
// preview are made from it in memory, once each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/pict_info.h"
#include "layout/page_layout.h"

namespace lexova::pageview {

class PageImage {
 public:
  // Shows the image at `path` (a regular file the document's resolver found;
  // empty: none was found). Decodes it unless it is the file already held,
  // unchanged. Returns whether the picture changed.
  bool show(std::u16string_view path);
  // Nothing held.
  void clear();

  // The decoded picture, or nullptr when there is none (not found, not readable).
  const imaging::CPICT_INFO* picture() const { return full_.empty() ? nullptr : &full_; }
  long long width() const { return full_.empty() ? 0 : full_.Width; }
  long long height() const { return full_.empty() ? 0 : full_.Height; }
  const std::u16string& path() const { return path_; }
  // Changes whenever another picture is held (for the users' own caches).
  std::uint64_t generation() const { return generation_; }
  // How many files were decoded so far.
  int decodes() const { return decodes_; }

  // The picture for a display scale: the full picture at 0.99 and above, a copy
  // reduced by area averaging below (one-bit pages become gray). nullptr when
  // there is no picture or reducing failed.
  const imaging::CPICT_INFO* atScale(double scale);
  // The preview for a preview area `width` wide, at previewScale; nullptr when
  // there is none (no picture, or either width not positive).
  const imaging::CPICT_INFO* preview(long long width, double* scale = nullptr);
  // The part r of the picture (clipped to it); empty when nothing is left.
  imaging::CPICT_INFO cut(const layout::Rect& r) const;

 private:
  struct Stamp {
    long long size = -1, mtime = 0, inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  static Stamp stampOf(std::u16string_view path);

  std::u16string path_;
  Stamp stamp_;
  imaging::CPICT_INFO full_;
  imaging::CPICT_INFO reduced_;
  double reducedScale_ = 0;
  bool reducedFailed_ = false;
  imaging::CPICT_INFO preview_;
  long long previewWidth_ = 0;
  double previewScale_ = 0;
  std::uint64_t generation_ = 0;
  int decodes_ = 0;
};

}  // namespace lexova::pageview
