#include "export/pdf/pdf_export.h"

#include <algorithm>
#include <climits>

#include "export/pdf/pdf_records.h"
#include "io/byte_io.h"
#include "platform/folders.h"
#include "text/utf.h"

namespace lexova::pdf {

PdfInformation pdfInformation(const settings::SettingsValues& s) {
  PdfInformation info{s.pdfFileTitle, s.pdfFileSubtitle, s.pdfAuthor, s.pdfKeywords};
  if (info.author.empty() && s.pdfAuthorCheck == 1) info.author = platform::loginName();
  return info;
}

void setInformation(CPDFfile& file, const PdfInformation& info) {
  file.SetTitle(info.title);
  file.SetSubject(info.subject);
  file.SetAuthor(info.author);
  file.SetKeywords(info.keywords);
  file.SetCreator(kPdfProduct);
  file.SetProducer(kPdfProduct);
}

namespace {

// The page's size and resolution; a page without a size takes its image's.
CPDFdata pageData(const COcrPaper& paper, const COcrPage& page, const std::string& imageFile) {
  CPDFdata data;
  data.width = page.width;
  data.height = page.height;
  data.dpi = pageDpi(page, paper);
  if ((data.width <= 0 || data.height <= 0) && !imageFile.empty()) {
    imaging::CPICT_INFO look;
    look.FileName = imageFile;
    if (imaging::LookImageInfo(look) > 0) {
      data.width = look.Width;
      data.height = look.Height;
    }
  }
  return data;
}

std::vector<PixelRect> figureRegions(const COcrPage& page) {
  std::vector<PixelRect> rects;
  for (const COcrBlock& block : page.blocks) {
    if (block.type != kBlockImage) continue;
    rects.push_back({block.x, block.y, static_cast<int>(std::min<long long>(INT_MAX, 0LL + block.x + block.width)),
                     static_cast<int>(std::min<long long>(INT_MAX, 0LL + block.y + block.height))});
  }
  return rects;
}

struct Range {
  int from = 0, to = -1;
  int count() const { return std::max(to - from + 1, 0); }
};

Range rangeOf(const COcrPaper& paper, int first, int last) {
  const int count = static_cast<int>(paper.pages.size());
  return {std::max(first, 0), last < 0 ? count - 1 : std::min(last, count - 1)};
}

std::string imageOf(const PdfExportOptions& options, const COcrPage& page) {
  return options.pageImages ? options.pageImages(page) : std::string();
}

// Pages in range that need their image and have none. When there are any, lists
// them and asks whether to go on; false when the person says no.
bool confirmMissingImages(const COcrPaper& paper, Range range, const PdfExportOptions& options, bool everyPage,
                          Host& host, PdfExportReport& report) {
  std::u16string list;
  int index = 0;
  for (const COcrPage& page : paper.pages) {
    const int at = index++;
    if (at < range.from || at > range.to) continue;
    if (!everyPage && figureRegions(page).empty()) continue;
    if (!imageOf(options, page).empty()) continue;
    report.pagesWithoutImage.push_back(at);
    if (report.pagesWithoutImage.size() <= 20) {
      list += u"\n  " + text::fromUtf8(std::to_string(at + 1)) + u": " +
              (page.file.empty() ? std::u16string(u"(ファイル名なし)") : page.file);
    }
  }
  if (report.pagesWithoutImage.empty()) return true;
  if (report.pagesWithoutImage.size() > 20) {
    list += u"\n  ほか " + text::fromUtf8(std::to_string(report.pagesWithoutImage.size() - 20)) + u" ページ";
  }
  const Answer a = host.message(u"次のページの画像が見つかりません:" + list + u"\n\n画像なしで出力しますか？",
                                kApplicationName, MessageIcon::Warning, Buttons::YesNo, Answer::Yes);
  if (a == Answer::Yes) return true;
  report.cancelled = true;
  return false;
}

// Saves file to path; false after telling the user why not.
bool save(CPDFfile& file, const std::u16string& path, Host& host) {
  try {
    file.Save(text::toUtf8(path));
    return true;
  } catch (const io::IoError&) {
  } catch (const std::bad_alloc&) {
  }
  host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
  return false;
}

}  // namespace

CPDFdata textPdfPage(const COcrPaper& paper, const COcrPage& page, const std::string& imageFile, int* figuresLeftOut) {
  CPDFdata data = pageData(paper, page, imageFile);
  const std::vector<PixelRect> figures = figureRegions(page);
  if (!figures.empty()) {
    const bool made = !imageFile.empty() && PreparePictures(data, imageFile, figures, kFigureQuality) == 1;
    if (figuresLeftOut != nullptr) {
      *figuresLeftOut +=
          made ? static_cast<int>(figures.size() - data.images.size()) : static_cast<int>(figures.size());
    }
  }
  BuildTextRecords(data, page);
  BuildTableRecords(data, page, true);
  return data;
}

CPDFdata imagePdfPage(const COcrPaper& paper, const COcrPage& page, const std::string& imageFile, bool highCompression,
                      PictureQuality quality) {
  CPDFdata data = pageData(paper, page, imageFile);
  if (!imageFile.empty()) {
    if (highCompression) {
      PrepareHighCompression(data, imageFile, page, quality);
    } else {
      PreparePictures(data, imageFile, {{0, 0, INT_MAX, INT_MAX}}, quality);
    }
  }
  BuildInvisibleText(data, page, true);
  return data;
}

bool fillTextPdf(CPDFfile& file, const COcrPaper& paper, int first, int last, const PdfExportOptions& options,
                 Host& host, PdfExportReport& report) {
  const Range range = rangeOf(paper, first, last);
  int step = 0, index = 0;
  for (const COcrPage& page : paper.pages) {
    const int at = index++;
    if (at < range.from) continue;
    if (at > range.to) break;
    if (options.showProgressText) {
      host.progressText(u"ファイル保存中　" + text::fromUtf8(std::to_string(at + 1)) + u"/" +
                        text::fromUtf8(std::to_string(range.count())));
    }
    host.progressValue(++step);
    file.AddPage(textPdfPage(paper, page, imageOf(options, page), &report.figuresLeftOut));
    ++report.pages;
    host.progressValue(++step);
    if (host.progressCancelled()) {
      report.cancelled = true;
      return false;
    }
  }
  setInformation(file, options.information);
  return true;
}

int ExportTextPdf(const COcrPaper& paper, const std::u16string& path, int first, int last,
                  const PdfExportOptions& options, Host& host, PdfExportReport* report) {
  PdfExportReport local;
  PdfExportReport& r = report != nullptr ? *report : local;
  const Range range = rangeOf(paper, first, last);
  if (options.pageImages && !confirmMissingImages(paper, range, options, false, host, r)) return 1;
  host.progressBegin(u"ファイル保存中", range.count() * 2);
  bool written = true;
  try {
    CPDFfile file;
    if (fillTextPdf(file, paper, first, last, options, host, r)) written = save(file, path, host);
  } catch (const io::IoError&) {
    written = false;
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
  } catch (const std::bad_alloc&) {
    written = false;
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
  }
  host.progressEnd();
  return written ? 1 : 0;
}

int ExportImagePdf(const COcrPaper& paper, const std::u16string& path, int first, int last, bool highCompression,
                   const PdfExportOptions& options, Host& host, PdfExportReport* report) {
  PdfExportReport local;
  PdfExportReport& r = report != nullptr ? *report : local;
  const Range range = rangeOf(paper, first, last);
  if (!confirmMissingImages(paper, range, options, true, host, r)) return 1;
  const PictureQuality quality = imagePdfQuality(options.imageQuality);
  host.progressBegin(u"PDFファイル保存中...", (static_cast<int>(paper.pages.size()) + 1) * 2);
  bool written = true;
  try {
    CPDFfile file;
    int step = 0, index = 0;
    for (const COcrPage& page : paper.pages) {
      const int at = index++;
      if (at < range.from) continue;
      if (at > range.to) break;
      host.progressValue(++step);
      file.AddPage(imagePdfPage(paper, page, imageOf(options, page), highCompression, quality));
      ++r.pages;
      host.progressValue(++step);
      if (host.progressCancelled()) {
        r.cancelled = true;
        break;
      }
    }
    if (!r.cancelled) {
      setInformation(file, options.information);
      written = save(file, path, host);
    }
  } catch (const io::IoError&) {
    written = false;
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
  } catch (const std::bad_alloc&) {
    written = false;
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
  }
  host.progressEnd();
  return written ? 1 : 0;
}

}  // namespace lexova::pdf
