// A key press to a repainted line, measured in the text view: a page of twenty
// vertical columns of 100 characters, ruby over every fifth pair of characters,
// shown at 100 %; each typed character goes through the view's key handling
// (the model, the one-line repaint of the off-screen image) and the view paints
// its window synchronously. Prints the median, the 95th percentile and the
// slowest press (target: at most 16 ms for a line of 100 characters with ruby).
//   lexova-text-input-bench [--presses N] [--scale PERCENT]
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editing/block_frames.h"
#include "host/scripted_host.h"
#include "textview/text_view_model.h"
#include "views/text_view.h"

using namespace lexova;

namespace {

using Steady = std::chrono::steady_clock;

// One page and nothing else: the edits go nowhere but the page.
class BenchTarget final : public editing::EditTarget {
 public:
  explicit BenchTarget(COcrPage& page) : page_(page) { rebuildFrames(entry_, page_); }
  Host& host() override { return host_; }
  int pageCount() override { return 1; }
  int currentPageIndex() override { return 0; }
  COcrPage* page(int index) override { return index == 0 ? &page_ : nullptr; }
  void setCurrentPage(int) override {}
  void recordUndo(int, const std::function<ViewPosition()>&) override {}
  void pageEdited() override { entry_.edited = true; }
  void registerPair(std::u16string_view, std::u16string_view) override {}
  PageEntry& pageEntry() override { return entry_; }
  const settings::ReconstructionOptions& reconstructionOptions() override { return options_; }
  const editing::EditSettings& editSettings() override { return settings_; }
  std::uint64_t revision() override { return 1; }

 private:
  COcrPage& page_;
  PageEntry entry_;
  ScriptedHost host_;
  settings::ReconstructionOptions options_;
  editing::EditSettings settings_;
};

// Twenty columns of 100 characters from right to left, 40-pixel characters every
// 44 pixels; ruby (two small characters) over characters 5k+1..5k+2 of each.
COcrPage makePage() {
  static const std::u16string text =
      u"ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。広い門の下には、この男のほかに誰もいない";
  COcrPage page;
  page.width = 2400;
  page.height = 4700;
  COcrBlock& b = page.blocks.emplace_back();
  b.type = kBlockText;
  b.direction = kVertical;
  b.x = 300;
  b.y = 80;
  b.width = 2000;
  b.height = 4500;
  for (int col = 0; col < 20; ++col) {
    const int x = 2200 - col * 90;
    COcrLine base;
    base.x = x;
    base.y = 100;
    base.width = 40;
    base.height = 100 * 44;
    for (int k = 0; k < 100; ++k) {
      COcrChar& c = base.chars.emplace_back();
      c.code = makeCode(text[static_cast<std::size_t>(col + k) % text.size()]);
      c.x = x;
      c.y = 100 + k * 44;
      c.width = c.height = 40;
      ++base.charCount;
    }
    b.charCount += base.charCount;
    COcrLine& inserted = b.lines.emplace_back(std::move(base));
    for (int k = 0; k + 2 <= 100; k += 5) {
      COcrLine ruby;
      ruby.attr = kAttrRuby;
      ruby.baseLine = &inserted;
      ruby.RCS = k + 1;
      ruby.RCE = k + 2;
      ruby.x = x + 42;
      ruby.y = 100 + k * 44;
      ruby.width = 20;
      ruby.height = 84;
      for (int r = 0; r < 2; ++r) {
        COcrChar& c = ruby.chars.emplace_back();
        c.code = makeCode(u'か' + r);
        c.x = x + 42;
        c.y = ruby.y + r * 42;
        c.width = c.height = 20;
        ++ruby.charCount;
      }
      b.charCount += ruby.charCount;
      b.lines.push_back(std::move(ruby));
    }
  }
  return page;
}

}  // namespace

int main(int argc, char** argv) {
  int presses = 300, scale = 100;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--presses") == 0) presses = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--scale") == 0) scale = std::clamp(std::atoi(argv[i + 1]), 10, 100);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  COcrPage page = makePage();
  BenchTarget target(page);
  textview::ViewState state;
  textview::TextViewModel model(target, state);
  layout::LayoutSettings settings;
  settings.scale = scale / 100.0;
  views::CImageView view(nullptr);
  view.resize(1200, 900);
  view.setModel(&model, [&] {
    layout::LayoutSettings s = settings;
    s.cursorLine = model.emphasisedLine();
    return s;
  });
  view.show();
  model.pageOpened();
  view.refreshPage();
  QCoreApplication::processEvents();
  // The caret in the middle of the first column, scrolled into view.
  for (int i = 0; i < 50; ++i) model.keyPress({textview::Key::Down, false, false, false, {}, i > 0});
  textview::KeyPress down;
  down.key = textview::Key::Down;
  view.applyUpdate(model.keyRelease(down));
  QCoreApplication::processEvents();

  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(presses));
  const QString typed = QStringLiteral("あ");
  for (int i = 0; i < presses; ++i) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, typed);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, typed);
    const auto t0 = Steady::now();
    QCoreApplication::sendEvent(&view, &press);
    view.canvas()->repaint();
    times.push_back(std::chrono::duration<double, std::milli>(Steady::now() - t0).count());
    QCoreApplication::sendEvent(&view, &release);
    // A Backspace after each press keeps the line at 100 characters.
    QKeyEvent bs(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QCoreApplication::sendEvent(&view, &bs);
  }
  std::sort(times.begin(), times.end());
  const auto at = [&](double q) { return times[static_cast<std::size_t>(q * static_cast<double>(times.size() - 1))]; };
  const std::size_t length = page.blocks.front().lines.front().chars.size();
  std::printf("key press to repainted line, %d %%, line of %zu characters with ruby, %d presses:\n", scale, length,
              presses);
  std::printf("  median %.2f ms, 95th percentile %.2f ms, slowest %.2f ms (target 16 ms)\n", at(0.5), at(0.95),
              times.back());
  return 0;
}
