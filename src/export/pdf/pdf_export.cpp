#include "export/pdf/pdf_export.h"

#include <algorithm>

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

CPDFdata textPdfPage(const COcrPaper& paper, const COcrPage& page) {
  CPDFdata data;
  data.width = page.width;
  data.height = page.height;
  data.dpi = pageDpi(page, paper);
  BuildTextRecords(data, page);
  BuildTableRecords(data, page, true);
  return data;
}

bool fillTextPdf(CPDFfile& file, const COcrPaper& paper, int first, int last, const PdfInformation& info, Host& host,
                 bool showProgressText, PdfExportReport& report) {
  const int count = static_cast<int>(paper.pages.size());
  const int from = std::max(first, 0);
  const int to = last < 0 ? count - 1 : std::min(last, count - 1);
  const int inRange = std::max(to - from + 1, 0);
  int step = 0;
  int index = 0;
  for (const COcrPage& page : paper.pages) {
    const int at = index++;
    if (at < from) continue;
    if (at > to) break;
    if (showProgressText) {
      host.progressText(u"ファイル保存中　" + text::fromUtf8(std::to_string(at + 1)) + u"/" +
                        text::fromUtf8(std::to_string(inRange)));
    }
    host.progressValue(++step);
    CPDFdata data = textPdfPage(paper, page);
    for (const COcrBlock& block : page.blocks) {
      if (block.type == kBlockImage) ++report.figuresLeftOut;
    }
    file.AddPage(data);
    ++report.pages;
    host.progressValue(++step);
    if (host.progressCancelled()) {
      report.cancelled = true;
      return false;
    }
  }
  setInformation(file, info);
  return true;
}

int ExportTextPdf(const COcrPaper& paper, const std::u16string& path, int first, int last, const PdfInformation& info,
                  Host& host, bool showProgressText, PdfExportReport* report) {
  PdfExportReport local;
  PdfExportReport& r = report != nullptr ? *report : local;
  const int count = static_cast<int>(paper.pages.size());
  const int to = last < 0 ? count - 1 : std::min(last, count - 1);
  host.progressBegin(u"ファイル保存中", std::max(to - std::max(first, 0) + 1, 0) * 2);
  bool failed = false;
  try {
    CPDFfile file;
    if (fillTextPdf(file, paper, first, last, info, host, showProgressText, r)) file.Save(text::toUtf8(path));
  } catch (const io::IoError&) {
    failed = true;
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  host.progressEnd();
  if (failed) {
    host.message(u"ファイル " + path + u" が保存できません。", u"エラー", MessageIcon::Error);
    return 0;
  }
  return 1;
}

}  // namespace lexova::pdf
