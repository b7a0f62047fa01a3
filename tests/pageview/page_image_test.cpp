// The page image's geometry and the shared decoded image: cuts clipped at every
// edge, the cursor frame, the one-line window's place, the preview, and one
// decode per page.
#include "pageview/page_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "imaging/pict_info.h"
#include "pageview/image_geometry.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::pageview {
namespace {

using layout::Rect;

TEST(ImageCuts, AreClippedToTheImageAtEveryEdge) {
  // A line touching the page's left edge (grown by one: x = -1).
  EXPECT_EQ(clipToImage({-1, 10, 50, 20}, 100, 200), (Rect{0, 10, 49, 20}));
  EXPECT_EQ(clipToImage({90, -5, 20, 20}, 100, 200), (Rect{90, 0, 10, 15}));
  EXPECT_EQ(clipToImage({10, 190, 20, 20}, 100, 200), (Rect{10, 190, 20, 10}));
  EXPECT_EQ(clipToImage({-10, -10, 500, 500}, 100, 200), (Rect{0, 0, 100, 200}));
  // Outside, negative or empty sizes, far-out values: nothing.
  for (const Rect& r :
       {Rect{100, 0, 5, 5}, Rect{0, 200, 5, 5}, Rect{-20, 0, 20, 5}, Rect{10, 10, -5, 5}, Rect{10, 10, 5, 0},
        Rect{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, Rect{INT32_MIN, 0, 10, 10}}) {
    EXPECT_TRUE(isEmpty(clipToImage(r, 100, 200))) << r.x << "," << r.y << " " << r.width << "x" << r.height;
  }
  EXPECT_TRUE(isEmpty(clipToImage({0, 0, 10, 10}, 0, 0)));  // no image
  EXPECT_EQ(clipToImage({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 100, 200), (Rect{0, 0, 0, 0}));
}

TEST(ImageCuts, TheTargetShrinksWithWhatClippingTookAway) {
  // Half of the source lies left of the image: the right half of the target is drawn.
  CutPlan p = planCut({-50, 0, 100, 10}, {0, 0, 200, 20}, 0, 1000, 1000);
  EXPECT_EQ(p.source, (Rect{0, 0, 50, 10}));
  EXPECT_EQ(p.target, (Rect{100, 0, 100, 20}));
  // Turned: a column whose bottom half lies below the image fills the left half of a row.
  p = planCut({0, 50, 10, 100}, {0, 0, 200, 20}, 270, 1000, 100);
  EXPECT_EQ(p.source, (Rect{0, 50, 10, 50}));
  EXPECT_EQ(p.target, (Rect{0, 0, 100, 20}));
  // Its right half outside: the top half of the turned target stays empty.
  p = planCut({995, 0, 10, 100}, {0, 0, 200, 20}, 270, 1000, 1000);
  EXPECT_EQ(p.target, (Rect{0, 10, 200, 10}));
  EXPECT_TRUE(isEmpty(planCut({2000, 0, 10, 10}, {0, 0, 5, 5}, 0, 1000, 1000).source));
  EXPECT_TRUE(isEmpty(planCut({0, 0, 10, 10}, {0, 0, 0, 5}, 0, 1000, 1000).target));
}

TEST(CursorFrame, FollowsTheScaleAndScrollAndIsNoneWithoutABox) {
  EXPECT_EQ(highlightFrame({100, 200, 40, 50}, 0.5, 10, 20), (Rect{37, 77, 26, 31}));
  EXPECT_EQ(highlightDamage({100, 200, 40, 50}, 0.5, 10, 20), (Rect{35, 75, 30, 35}));
  COcrChar typed;
  typed.x = -1;
  typed.y = -1;
  EXPECT_FALSE(highlightFrame(charBox(typed), 1, 0, 0));
  EXPECT_FALSE(highlightFrame({5, 5, 0, 10}, 1, 0, 0));
}

TEST(OneLineWindow, StandsBesideTheLineAndHidesWhenOutOfView) {
  LineWindowInput in;
  in.line = {100, 200, 400, 30};
  in.scale = 0.5;
  in.width = in.height = 40;
  in.viewportWidth = 800;
  in.viewportHeight = 600;
  // Below a horizontal line: (H + 10) × s + 5 under its top; above: as far over it.
  EXPECT_EQ(lineWindowRect(in), (Rect{50, 125, 40, 40}));
  in.horizontalPlace = 1;
  EXPECT_EQ(lineWindowRect(in)->y, 75);
  in.table = true;
  EXPECT_EQ(lineWindowRect(in)->y, 70);
  // A vertical line: right of the text, overlapping its edge by 2; left of it.
  in = {};
  in.line = {300, 100, 40, 600};
  in.vertical = true;
  in.scale = 1;
  in.width = 42;
  in.height = 600;
  in.viewportWidth = 800;
  in.viewportHeight = 600;
  EXPECT_EQ(lineWindowRect(in)->x, 338);
  in.verticalPlace = 0;
  EXPECT_EQ(lineWindowRect(in)->x, 300 - 102);
  in.table = true;
  EXPECT_EQ(lineWindowRect(in)->x, 300 - 62);
  // Scrolled so far that none of it is visible: hidden.
  in.scrollY = 2000;
  EXPECT_FALSE(lineWindowRect(in));
  EXPECT_TRUE(lineWindowWanted(layout::kLayoutDisplay, 3, 1, true));
  EXPECT_FALSE(lineWindowWanted(layout::kLayoutDisplay, 1, 1, true));
  EXPECT_FALSE(lineWindowWanted(layout::kHorizontalText, 3, 1, true));
  EXPECT_FALSE(lineWindowWanted(layout::kLayoutDisplay, 3, 2, true));
}

TEST(OneLineWindow, CutsTheSecondHalfOfASplitLineFromItsFirstCharacter) {
  COcrLine first, second;
  first.x = second.x = 50;
  first.y = second.y = 100;
  first.width = second.width = 30;
  first.height = second.height = 400;
  COcrChar c;
  c.x = 52;
  c.y = 300;
  second.chars.push_back(c);
  EXPECT_EQ(lineImageSource(nullptr, first, true), (Rect{49, 99, 32, 402}));
  EXPECT_EQ(lineImageSource(&first, second, true), (Rect{49, 299, 32, 202}));
  EXPECT_EQ(lineImageSize({0, 0, 200, 40}, 0.5).width, 100);
  EXPECT_EQ(lineImageSize({0, 0, 200, 40}, 0.96).width, 200);  // not shrunk from 0.95 up
}

TEST(PageList, PreviewScaleEntriesAndCounter) {
  EXPECT_FALSE(previewScale(120, 0));   // the image could not be examined
  EXPECT_FALSE(previewScale(0, 2480));  // the list collapsed to no width
  EXPECT_FALSE(previewScale(-3, 2480));
  EXPECT_DOUBLE_EQ(*previewScale(124, 2480), 0.05);
  EXPECT_DOUBLE_EQ(*previewScale(3000, 2480), 1.0);
  EXPECT_EQ(previewFrame({100, 200, 300, 40}, 0.1), (Rect{10, 20, 31, 5}));
  EXPECT_EQ(scaleEntry(1.5), 4);
  EXPECT_EQ(scaleEntry(0.05), 4);
  EXPECT_EQ(scaleEntry(0.3), 2);
  EXPECT_EQ(scaleEntry(1.0), 9);
  EXPECT_EQ(scaleEntryText(0), u"10 ％");
  EXPECT_EQ(scaleEntryText(9), u"100 ％");
  EXPECT_EQ(missingImageText(u"C:\\scan\\p1.tif"), u"C:\\scan\\p1.tifは見つかりません");
}

// A one-bit page of thin vertical strokes (one pixel every 10).
imaging::CPICT_INFO strokes(int w, int h) {
  imaging::CPICT_INFO p;
  p.Width = w;
  p.Height = h;
  p.BitCount = 1;
  EXPECT_TRUE(imaging::CreateNewImageToCPictInfo(p));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; x += 10) imaging::setBit(p, x, y, true);
  }
  return p;
}

TEST(ReducedPages, OneBitStrokesStayVisibleAsGrayBelowFullScale) {
  const imaging::CPICT_INFO page = strokes(400, 300);
  imaging::CPICT_INFO bits, gray;
  ASSERT_EQ(imaging::MakeShrinkImageFromPict(page, bits, 0.3), 1);
  ASSERT_EQ(imaging::MakeGrayShrinkImageFromPict(page, gray, 0.3), 1);
  ASSERT_EQ(gray.BitCount, 8);
  EXPECT_EQ(gray.Width, 120);
  int blackBits = 0, darkest = 255;
  for (int y = 0; y < bits.Height; ++y) {
    for (int x = 0; x < bits.Width; ++x) blackBits += static_cast<int>(imaging::pixelAt(bits, x, y));
  }
  for (int x = 0; x < gray.Width; ++x) darkest = std::min(darkest, static_cast<int>(imaging::pixelAt(gray, x, 5)));
  EXPECT_EQ(blackBits, 0);  // the one-bit reduction loses every stroke
  EXPECT_LT(darkest, 200);  // the gray one keeps them
  // All white stays white, all black black.
  imaging::CPICT_INFO white = strokes(64, 64), out;
  std::fill(white.Bits.begin(), white.Bits.end(), 0);
  ASSERT_EQ(imaging::MakeGrayShrinkImageFromPict(white, out, 0.5), 1);
  EXPECT_EQ(imaging::pixelAt(out, 3, 3), 255u);
  std::fill(white.Bits.begin(), white.Bits.end(), 0xFF);
  ASSERT_EQ(imaging::MakeGrayShrinkImageFromPict(white, out, 0.5), 1);
  EXPECT_EQ(imaging::pixelAt(out, 31, 31), 0u);
}

class SharedPageImage : public ::testing::Test {
 protected:
  std::u16string write(const std::string& name, const imaging::CPICT_INFO& p) {
    const auto bytes = imaging::encodeTiff(p);
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return text::fromUtf8((dir_ / name).string());
  }
  lexova::testing::TempDir dir_;
};

TEST_F(SharedPageImage, DecodesOncePerFileAndMakesItsCopiesInMemory) {
  const std::u16string one = write("p1.tif", strokes(400, 300));
  const std::u16string two = write("p2.tif", strokes(200, 100));
  PageImage image;
  EXPECT_TRUE(image.show(one));
  EXPECT_FALSE(image.show(one));  // shown again (an edit, another display): not decoded
  ASSERT_NE(image.picture(), nullptr);
  EXPECT_EQ(image.decodes(), 1);
  EXPECT_EQ(image.atScale(1.0), image.picture());
  const imaging::CPICT_INFO* half = image.atScale(0.5);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->BitCount, 8);
  EXPECT_EQ(image.atScale(0.5), half);
  double scale = 0;
  const imaging::CPICT_INFO* preview = image.preview(100, &scale);
  ASSERT_NE(preview, nullptr);
  EXPECT_DOUBLE_EQ(scale, 0.25);
  EXPECT_EQ(preview->Width, 100);
  EXPECT_EQ(image.preview(0), nullptr);
  // A cut at the page's edge is clipped; one outside it is empty.
  EXPECT_EQ(image.cut({-1, -1, 11, 11}).Width, 10);
  EXPECT_TRUE(image.cut({500, 0, 10, 10}).empty());

  EXPECT_TRUE(image.show(two));
  EXPECT_EQ(image.width(), 200);
  EXPECT_EQ(image.decodes(), 2);
  // The file replaced under the same name is decoded again.
  std::filesystem::remove(dir_ / "p2.tif");
  write("p2.tif", strokes(120, 80));
  EXPECT_TRUE(image.show(two));
  EXPECT_EQ(image.width(), 120);
}

TEST_F(SharedPageImage, NothingFoundOrNothingReadableLeavesNoPicture) {
  PageImage image;
  image.show(u"");
  EXPECT_EQ(image.picture(), nullptr);
  EXPECT_EQ(image.atScale(0.5), nullptr);
  EXPECT_EQ(image.preview(120), nullptr);
  EXPECT_FALSE(image.show(u""));
  // A FIFO is never opened (that would block the interface thread); a file that
  // is not an image gives no picture.
  ASSERT_EQ(::mkfifo((dir_ / "fifo.tif").c_str(), 0600), 0);
  image.show(text::fromUtf8((dir_ / "fifo.tif").string()));
  EXPECT_EQ(image.picture(), nullptr);
  EXPECT_EQ(image.decodes(), 0);
  std::ofstream(dir_ / "bad.tif") << "not an image";
  image.show(text::fromUtf8((dir_ / "bad.tif").string()));
  EXPECT_EQ(image.picture(), nullptr);
}

}  // namespace
}  // namespace lexova::pageview
