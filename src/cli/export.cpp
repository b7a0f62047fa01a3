// lexova export: opens a work file as the editor does and exports pages of it
// through the export dispatcher.
#include "cli/commands.h"
#include "export/dispatcher.h"
#include "text/utf.h"

namespace lexova::cli {

int runExport(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {"type", "first", "last"}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2) return usageError("export takes an input work file and an output file");
  const auto typeArg = p->values.find("type");
  if (typeArg == p->values.end()) return usageError("export needs --type CODE");
  const auto type = parseInt(typeArg->second);
  if (!type) return usageError("invalid value for --type: " + typeArg->second);
  if (!exporting::exportWriterAvailable(*type)) {
    return usageError("export type " + typeArg->second +
                      " has no writer in this version (1: Unicode text, 5: text PDF)");
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
  exporting::ExportOptions options;
  options.pdfInformation = pdf::pdfInformation(ctx.values.settings);
  options.pdfReport = &report;
  const int r = exporting::ExportDocument(paper, text::fromUtf8(p->positional[1]), *type, bounds->first, bounds->last,
                                          ctx.host, options);
  if (r == 0 && report.figuresLeftOut > 0) {
    printError("note: " + std::to_string(report.figuresLeftOut) +
               " figure block(s) left out: this version writes no pictures into a PDF");
  }
  return r == 0 ? kExitOk : kExitWriteError;
}

}  // namespace lexova::cli
