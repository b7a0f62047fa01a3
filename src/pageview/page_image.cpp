#include "pageview/page_image.h"

#include <sys/stat.h>

#include "pageview/image_geometry.h"
#include "text/utf.h"

namespace lexova::pageview {

PageImage::Stamp PageImage::stampOf(std::u16string_view path) {
  struct stat st {};
  if (path.empty() || ::stat(text::toUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {static_cast<long long>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec,
          static_cast<long long>(st.st_ino)};
}

void PageImage::clear() {
  if (path_.empty() && full_.empty()) return;
  path_.clear();
  stamp_ = {};
  imaging::InitCPictInfo(full_);
  imaging::InitCPictInfo(reduced_);
  imaging::InitCPictInfo(preview_);
  reducedScale_ = 0;
  reducedFailed_ = false;
  previewWidth_ = 0;
  ++generation_;
}

bool PageImage::show(std::u16string_view path) {
  const Stamp stamp = stampOf(path);
  if (path == path_ && stamp == stamp_ && (!full_.empty() || stamp.size < 0)) return false;
  clear();
  path_ = std::u16string(path);
  stamp_ = stamp;
  if (stamp.size >= 0) {
    // LoadImageFileProc opens regular files only, without waiting on a FIFO.
    full_.FileName = text::toUtf8(path);
    ++decodes_;
    if (imaging::LoadImageFileProc(full_) != 1) imaging::InitCPictInfo(full_);
  }
  ++generation_;
  return true;
}

const imaging::CPICT_INFO* PageImage::atScale(double scale) {
  if (full_.empty()) return nullptr;
  if (scale >= 0.99 || !(scale > 0)) return &full_;
  if (scale != reducedScale_) {
    reducedScale_ = scale;
    reducedFailed_ = imaging::MakeGrayShrinkImageFromPict(full_, reduced_, scale) != 1;
    if (reducedFailed_) imaging::InitCPictInfo(reduced_);
  }
  return reducedFailed_ ? nullptr : &reduced_;
}

const imaging::CPICT_INFO* PageImage::preview(long long width, double* scale) {
  const std::optional<double> s = previewScale(width, this->width());
  if (!s) return nullptr;
  if (width != previewWidth_ || preview_.empty()) {
    previewWidth_ = width;
    previewScale_ = *s;
    imaging::InitCPictInfo(preview_);
    if (*s >= 1) {
      preview_ = full_;
    } else if (imaging::MakeGrayShrinkImageFromPict(full_, preview_, *s) != 1) {
      imaging::InitCPictInfo(preview_);
    }
  }
  if (preview_.empty()) return nullptr;
  if (scale) *scale = previewScale_;
  return &preview_;
}

imaging::CPICT_INFO PageImage::cut(const layout::Rect& r) const {
  imaging::CPICT_INFO out;
  const layout::Rect c = clipToImage(r, width(), height());
  if (isEmpty(c) ||
      imaging::MakeSubPictImageFromPict(full_, static_cast<int>(c.x), static_cast<int>(c.y),
                                        static_cast<int>(c.x + c.width), static_cast<int>(c.y + c.height), out) != 1) {
    return {};
  }
  return out;
}

}  // namespace lexova::pageview
