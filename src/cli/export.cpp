// lexova export: opens a work file as the editor does and exports pages of it
// through the export dispatcher.
#include "cli/commands.h"
#include "document/lifecycle/page_images.h"
#include "export/dispatcher.h"
#include "text/utf.h"

namespace lexova::cli {

int runExport(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {"type", "first", "last", "image-dir"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("export takes an input work file and an output file");
  const auto typeArg = p->values.find("type");
  if (typeArg == p->values.end()) return usageError("export needs --type CODE");
  const auto type = parseInt(typeArg->second);
  if (!type) return usageError("invalid value for --type: " + typeArg->second);
  if (!exporting::exportWriterAvailable(*type)) {
    return usageError("export type " + typeArg->second +
                      " has no writer in this version (1: Unicode text, 5: text PDF, 11: image PDF, "
                      "15: high-compression image PDF, 101: Word, 103: PowerPoint, 104: XPS)");
  }
  auto opened = openAsEditor(ctx, p->positional[0]);
  if (!opened) return kExitReadError;
  const COcrPaper& paper = *opened->read.paper;
  const auto bounds = pageBounds(*p, static_cast<int>(paper.pages.size()), error);
  if (!bounds) return usageError(error);
  if (bounds->last < bounds->first) {
    return usageError("the page range " + std::to_string(bounds->first) + ".." + std::to_string(bounds->last) +
                      " selects no page");
  }
  pdf::PdfExportReport report;
  exporting::ExportOptions options = exporting::exportOptionsFor(ctx.values.settings);
  // Page images as the editor finds them: the image folder (--image-dir), the
  // folder named after the work file, the work file's own folder.
  const auto dir = p->values.find("image-dir");
  const std::u16string imageFolder = dir == p->values.end() ? std::u16string() : text::fromUtf8(dir->second);
  const std::u16string workFile = text::fromUtf8(p->positional[0]);
  options.pdf.pageImages = [imageFolder, workFile](const COcrPage& page) {
    return text::toUtf8(resolvePageImage(page, imageFolder, workFile));
  };
  options.pdfReport = &report;
  const int r = exporting::ExportDocument(paper, text::fromUtf8(p->positional[1]), *type, bounds->first, bounds->last,
                                          ctx.host, options);
  if (r == 0 && report.figuresLeftOut > 0) {
    printError("note: " + std::to_string(report.figuresLeftOut) + " figure block(s) written without their picture");
  }
  return r == 0 ? kExitOk : kExitWriteError;
}

}  // namespace lexova::cli
