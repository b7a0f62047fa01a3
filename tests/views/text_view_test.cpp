// The text view on the offscreen platform at twice the pixel density: the page
// is painted crisp (an image of twice the logical size), a one-line repaint after
// an edit gives exactly what a whole repaint gives, and a page too large for one
// image is drawn in parts and said so.
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include "document/lifecycle/open_paper.h"
#include "layout/page_layout.h"
#include "views/text_view.h"

using namespace lexova;

class TextViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<COcrPaper> paper_;
  COcrPage* page_ = nullptr;
  layout::LayoutSettings settings_;

 private slots:
  void initTestCase() {
    OpenedPaper opened = openPaper(LEXOVA_SOURCE_DIR "/samples/rashomon.xml", settings::ReconstructionOptions{});
    QVERIFY(opened.read.paper);
    paper_ = std::move(opened.read.paper);
    page_ = &*std::next(paper_->pages.begin());
    settings_.scale = 0.3;
    settings_.fonts.japanese.name = u"ＭＳ 明朝";
    settings_.fonts.japaneseVertical.name = u"@ＭＳ 明朝";
  }

  void pageIsPaintedAtTheScreensPixelRatio() {
    views::CImageView view(nullptr);
    view.resize(400, 400);
    view.show();
    view.showPage(page_, settings_);
    const layout::PageGeometry& g = view.geometry();
    QCOMPARE(view.devicePixelRatioF(), 2.0);
    QCOMPARE(view.image().width(), static_cast<int>(g.width * 2));
    QCOMPARE(view.image().height(), static_cast<int>(g.height * 2));
  }

  void oneLineRepaintMatchesAWholeRepaint() {
    views::CImageView view(nullptr);
    view.resize(400, 400);
    view.show();
    view.showPage(page_, settings_);
    const QImage before = view.image().copy();
    // The first body line with at least three characters: its third character corrected.
    std::size_t index = 0;
    COcrLine* edited = nullptr;
    for (const layout::LineGeometry& l : view.geometry().lines) {
      if (!l.annotation && l.chars.size() >= 3) {
        edited = const_cast<COcrLine*>(l.line);
        break;
      }
      ++index;
    }
    QVERIFY(edited);
    std::next(edited->chars.begin(), 2)->code = makeCode(u'訂');
    view.redrawLine(page_, settings_, index);
    const QImage line = view.image().copy();
    QVERIFY(line != before);
    view.showPage(page_, settings_);
    QVERIFY(line == view.image());
  }

  void tooLargeAPageIsDrawnInPartsAndSaysSo() {
    views::CImageView view(nullptr);
    view.resize(300, 300);
    view.show();
    QSignalSpy status(&view, &views::CImageView::status);
    COcrPage giant = *page_;
    giant.width = giant.height = 400000;
    view.showPage(&giant, settings_);
    QVERIFY(view.image().isNull());
    QVERIFY(view.geometry().limited);
    QCOMPARE(status.size(), 1);
    QVERIFY(!status.front().front().toString().isEmpty());
    // Painting the visible part works.
    QVERIFY(!view.grab().isNull());
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TextViewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "text_view_test.moc"
