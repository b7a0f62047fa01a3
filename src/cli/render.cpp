// lexova render: opens a work file as the editor does and draws one page of the
// text view off screen, with the editor's own layout and painter and the line and
// block images cut from the page's image (found as the editor finds it), into a
// PNG file (written through the safe file writer).
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "cli/commands.h"
#include "cli/view_options.h"
#include "document/lifecycle/page_images.h"
#include "io/byte_io.h"
#include "pageview/page_image.h"
#include "platform/folders.h"
#include "text/utf.h"
#include "views/page_painter.h"

namespace lexova::cli {

int runRender(Context& ctx, const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, viewOptionNames(), error);
  if (!p) return usageError(error);
  if (p->positional.size() != 1) return usageError("render takes one work file");
  const auto out = p->values.find("out");
  if (out == p->values.end()) return usageError("render needs --out FILE.png");
  auto view = viewOptions(ctx, *p, error);
  if (!view) return usageError(error);
  auto opened = openAsEditor(ctx, p->positional[0]);
  if (!opened) return kExitReadError;
  const COcrPage* page = pageAt(*opened->read.paper, view->page, error);
  if (!page) return usageError(error);
  const layout::PageGeometry g = layout::layoutPage(*page, view->settings);

  // Fonts need a GUI application; no display is needed to draw into an image.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::provideRuntimeFolder();
  int argc = 1;
  char name[] = "lexova";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  QImage image(static_cast<int>(g.width), static_cast<int>(g.height), QImage::Format_RGB32);
  if (image.isNull()) {
    printError("lexova: the page is too large to draw (" + std::to_string(g.width) + " x " + std::to_string(g.height) +
               ")");
    return kExitWriteError;
  }
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    views::PagePainter pagePainter;
    pageview::PageImage pageImage;
    pageImage.show(resolvePageImage(*page, u"", text::fromUtf8(p->positional[0])));
    pagePainter.setPageImage(&pageImage);
    pagePainter.paint(painter, g);
  }
  if (g.limited) printError("note: the page is larger than an image may be: only its first part is drawn");
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    printError("lexova: the image could not be encoded");
    return kExitWriteError;
  }
  try {
    io::SafeFileSink sink(out->second);
    sink.write(png.constData(), static_cast<std::size_t>(png.size()));
    sink.commit();
  } catch (const std::exception& e) {
    printError(std::string("lexova: cannot write ") + out->second + ": " + e.what());
    return kExitWriteError;
  }
  return kExitOk;
}

}  // namespace lexova::cli
