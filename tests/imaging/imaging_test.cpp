// The image library against files written straight through libtiff and libpng:
// every kind comes back right side up, 1 = black, at the resolution it declares;
// declared sizes past the limits are refused before anything is allocated; and
// the pictures made from pictures (cut, shrink, rotate, convert, binarise).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "imaging/image_files.h"
#include "imaging/pict_info.h"
#include "io/byte_io.h"
#include "support/temp_dir.h"

namespace lexova::imaging {
namespace {

using testing::PngSpec;
using testing::TiffSpec;

constexpr int kW = 13, kH = 7;
// An L of three marked pixels: any flip or turn moves it.
const std::set<std::pair<int, int>> kMarks = {{1, 0}, {2, 0}, {1, 1}};

bool marked(int x, int y) {
  return kMarks.count({x, y}) != 0;
}

// Rows of packed one-bit samples, `ink` for the marked pixels.
std::vector<std::vector<std::uint8_t>> bitRows(int ink) {
  std::vector<std::vector<std::uint8_t>> rows(kH, std::vector<std::uint8_t>((kW + 7) / 8, 0));
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      if ((marked(x, y) ? ink : 1 - ink) == 1) rows[y][x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return rows;
}

std::vector<std::vector<std::uint8_t>> byteRows(int channels, std::vector<std::uint8_t> mark,
                                                std::vector<std::uint8_t> rest) {
  std::vector<std::vector<std::uint8_t>> rows(kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const auto& v = marked(x, y) ? mark : rest;
      rows[y].insert(rows[y].end(), v.begin(), v.begin() + channels);
    }
  }
  return rows;
}

// Every pixel of p is `mark` where the L is and `rest` elsewhere.
void expectL(const CPICT_INFO& p, std::uint32_t mark, std::uint32_t rest) {
  ASSERT_EQ(p.Width, kW);
  ASSERT_EQ(p.Height, kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) ASSERT_EQ(pixelAt(p, x, y), marked(x, y) ? mark : rest) << x << "," << y;
  }
}

CPICT_INFO load(const std::string& path) {
  CPICT_INFO p;
  p.FileName = path;
  EXPECT_EQ(LoadImageFileProc(p), 1) << path;
  return p;
}

class Images : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return (dir_ / name).string(); }
  testing::TempDir dir_;
};

TEST_F(Images, OneBitTiffsAreOneForBlackWhateverTheirPolarityAndStrips) {
  TiffSpec white{kW, kH, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4};
  white.resolution = 157.48f;  // per centimetre: 400 dpi
  white.resolutionUnit = RESUNIT_CENTIMETER;
  ASSERT_TRUE(testing::writeTiff(path("white.tif"), white, bitRows(1)));
  const CPICT_INFO a = load(path("white.tif"));
  EXPECT_EQ(a.BitCount, 1);
  EXPECT_EQ(a.XResolution, 400);
  EXPECT_EQ(a.TiffCompression, kTiffGroup4);
  expectL(a, 1, 0);

  // 0 = black, several strips each coded on its own.
  TiffSpec black{kW, kH, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4};
  black.rowsPerStrip = 2;
  black.resolution = 300;
  ASSERT_TRUE(testing::writeTiff(path("black.tif"), black, bitRows(0)));
  const CPICT_INFO b = load(path("black.tif"));
  EXPECT_EQ(b.XResolution, 300);
  expectL(b, 1, 0);
  // The row padding stays clear.
  EXPECT_EQ(b.row(3)[1] & 0x07, 0);

  // Tiled: read through the RGBA path, still right side up.
  TiffSpec tiled{kW, kH, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW};
  tiled.tile = 16;
  ASSERT_TRUE(testing::writeTiff(path("tiled.tif"), tiled, byteRows(3, {200, 10, 20}, {255, 255, 255})));
  expectL(load(path("tiled.tif")), 0xC80A14, 0xFFFFFF);
}

TEST_F(Images, GrayPaletteAndColourTiffsReadAsTheyLook) {
  ASSERT_TRUE(
      testing::writeTiff(path("gray.tif"), TiffSpec(kW, kH, 8, 1, PHOTOMETRIC_MINISWHITE), byteRows(1, {200}, {0})));
  const CPICT_INFO g = load(path("gray.tif"));
  expectL(g, 55, 255);         // 200 on a MinIsWhite scale is dark gray
  EXPECT_EQ(g.row(2)[kW], 0);  // the row padding is not turned over with the pixels

  TiffSpec indexed{kW, kH, 8, 1, PHOTOMETRIC_PALETTE};
  indexed.colormap.assign(768, 0);
  indexed.colormap[7] = 0xFFFF;                                                                  // red of entry 7
  for (int i = 0; i < 3; ++i) indexed.colormap[static_cast<std::size_t>(i * 256 + 9)] = 0xFFFF;  // white 9
  ASSERT_TRUE(testing::writeTiff(path("palette.tif"), indexed, byteRows(1, {7}, {9})));
  const CPICT_INFO p = load(path("palette.tif"));
  EXPECT_EQ(p.BitCount, 8);
  ASSERT_EQ(p.Palette.size(), 256u);
  EXPECT_EQ(p.Palette[7], 0xFF0000u);
  expectL(p, 7, 9);

  TiffSpec rgba{kW, kH, 8, 4, PHOTOMETRIC_RGB};
  rgba.alpha = true;
  ASSERT_TRUE(testing::writeTiff(path("alpha.tif"), rgba, byteRows(4, {0, 0, 255, 255}, {0, 0, 0, 0})));
  expectL(load(path("alpha.tif")), 0x0000FF, 0xFFFFFF);  // transparency lies on white
}

TEST_F(Images, PngsOfEveryKindAndTheirResolution) {
  PngSpec bilevel{kW, kH, 1, PNG_COLOR_TYPE_GRAY};
  bilevel.pixelsPerMetre = 15748;                                            // 400 dpi
  ASSERT_TRUE(testing::writePng(path("bilevel.png"), bilevel, bitRows(0)));  // 0 = black in PNG
  const CPICT_INFO a = load(path("bilevel.png"));
  EXPECT_EQ(a.BitCount, 1);
  EXPECT_EQ(a.XResolution, 400);
  expectL(a, 1, 0);

  ASSERT_TRUE(testing::writePng(path("gray.png"), PngSpec(kW, kH, 8, PNG_COLOR_TYPE_GRAY), byteRows(1, {30}, {240})));
  expectL(load(path("gray.png")), 30, 240);

  PngSpec indexed{kW, kH, 8, PNG_COLOR_TYPE_PALETTE};
  indexed.palette = {{255, 255, 255}, {0, 128, 0}};
  ASSERT_TRUE(testing::writePng(path("palette.png"), indexed, byteRows(1, {1}, {0})));
  const CPICT_INFO p = load(path("palette.png"));
  EXPECT_EQ(p.Palette.at(1), 0x008000u);
  expectL(p, 1, 0);

  ASSERT_TRUE(testing::writePng(path("rgba.png"), PngSpec(kW, kH, 8, PNG_COLOR_TYPE_RGB_ALPHA),
                                byteRows(4, {255, 0, 0, 128}, {0, 0, 0, 0})));
  expectL(load(path("rgba.png")), 0xFF7F7F, 0xFFFFFF);  // half red on white
}

TEST_F(Images, JpegsKeepTheirOrientationAndDensity) {
  CPICT_INFO gray;
  gray.Width = kW;
  gray.Height = kH;
  gray.BitCount = 8;
  ASSERT_TRUE(CreateNewImageToCPictInfo(gray));
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) gray.row(y)[x] = marked(x, y) ? 0 : 255;
  }
  gray.XResolution = gray.YResolution = 200;
  gray.FileName = path("gray.jpg");
  gray.FileType = kFileJpeg;
  gray.JpegQuality = 100;
  ASSERT_EQ(SaveImageFileProc(gray), 1);
  const CPICT_INFO back = load(path("gray.jpg"));
  EXPECT_EQ(back.BitCount, 8);
  EXPECT_EQ(back.XResolution, 200);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) EXPECT_NEAR(pixelAt(back, x, y), marked(x, y) ? 0 : 255, 60) << x << "," << y;
  }
  CPICT_INFO colour;
  ASSERT_EQ(Convert8BitImageTo24BitImage(gray, colour), 1);
  const Jpeg j = encodeJpeg(colour, 90);
  EXPECT_EQ(j.components, 3);
  // A gray colour table is encoded as one component.
  CPICT_INFO table = gray;
  table.Palette.resize(256);
  for (std::uint32_t i = 0; i < 256; ++i) table.Palette[i] = i * 0x010101u;
  EXPECT_EQ(encodeJpeg(table, 75).components, 1);
}

TEST_F(Images, DeclaredSizesPastTheLimitsAreRefusedUnread) {
  // A tiny Group 4 file that claims 60000 × 60000.
  TiffSpec bomb{60000, 60000, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4};
  bomb.rowsPerStrip = 60000;
  {
    TIFF* tif = TIFFOpen(path("bomb.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 60000);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 60000);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 60000);
    std::vector<std::uint8_t> row(7500, 0);
    TIFFWriteScanline(tif, row.data(), 0, 0);
    TIFFClose(tif);
  }
  CPICT_INFO p;
  p.FileName = path("bomb.tif");
  EXPECT_LT(LookImageInfo(p), 0);
  EXPECT_EQ(LoadImageFileProc(p), 0);
  EXPECT_TRUE(p.Bits.empty());
  std::string bytes = io::readFile(path("bomb.tif"));
  Decoded d = loadImage({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, p);
  EXPECT_NE(d.error.find("too large"), std::string::npos) << d.error;

  EXPECT_FALSE(sizeAllowed(20000, 20000, 8));  // 400 megapixels
  EXPECT_TRUE(sizeAllowed(17000, 17000, 24));  // 289 megapixels in 867 MB
  EXPECT_FALSE(sizeAllowed(0, 10, 8));
  EXPECT_FALSE(sizeAllowed(1LL << 40, 1, 1));
  p.FileName = path("none.tif");
  EXPECT_EQ(LookImageInfo(p), kImageMissing);
}

// A gray picture with the L drawn in `ink` on white.
CPICT_INFO grayL(std::uint8_t ink = 0) {
  CPICT_INFO p;
  p.Width = kW;
  p.Height = kH;
  p.BitCount = 8;
  EXPECT_TRUE(CreateNewImageToCPictInfo(p));
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) p.row(y)[x] = marked(x, y) ? ink : 255;
  }
  p.XResolution = p.YResolution = 400;
  return p;
}

TEST(ImageTransforms, CutsAreIntersectedWithThePictureAndKeepEveryColumn) {
  CPICT_INFO bits;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grayL(), bits), 1);
  expectL(bits, 1, 0);
  CPICT_INFO cut;
  // From left of the picture to past its right: everything, not one column less.
  ASSERT_EQ(MakeSubPictImageFromPict(bits, -5, -2, kW + 40, kH + 3, cut), 1);
  expectL(cut, 1, 0);
  ASSERT_EQ(MakeSubPictImageFromPict(bits, 1, 0, 3, 2, cut), 1);
  EXPECT_EQ(cut.Width, 2);
  EXPECT_EQ(pixelAt(cut, 0, 0) + pixelAt(cut, 1, 0) + pixelAt(cut, 0, 1) + pixelAt(cut, 1, 1), 3u);
  EXPECT_EQ(MakeSubPictImageFromPict(bits, kW, 0, kW + 10, 5, cut), 0);  // nothing left
  EXPECT_EQ(MakeSubPictImageFromPict(bits, 4, 4, 4, 9, cut), 0);
}

TEST(ImageTransforms, ShrinkingKeepsOneBitAndAveragesGray) {
  // 4 × 4: two dark pixels in the top-left square, one in the top-right one.
  CPICT_INFO gray;
  gray.Width = gray.Height = 4;
  gray.BitCount = 8;
  ASSERT_TRUE(CreateNewImageToCPictInfo(gray));
  std::fill(gray.Bits.begin(), gray.Bits.end(), 255);
  gray.row(0)[0] = gray.row(1)[1] = gray.row(0)[3] = 0;
  gray.XResolution = 400;
  CPICT_INFO bits, half;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(gray, bits), 1);
  ASSERT_EQ(MakeShrinkImageFromPict(bits, half, 0.5), 1);
  EXPECT_EQ(half.BitCount, 1);
  EXPECT_EQ(half.Width, 2);
  EXPECT_EQ(half.XResolution, 200);
  EXPECT_EQ(pixelAt(half, 0, 0), 1u);  // half covered: black
  EXPECT_EQ(pixelAt(half, 1, 0), 0u);  // a quarter: white
  EXPECT_EQ(pixelAt(half, 0, 1), 0u);
  ASSERT_EQ(MakeShrinkImageFromPict(gray, half, 0.5), 1);
  EXPECT_EQ(pixelAt(half, 0, 0), 128u);
  EXPECT_EQ(pixelAt(half, 1, 0), 191u);
  EXPECT_EQ(MakeShrinkImageFromPict(gray, half, 1.0), 0);
  // Odd sizes: every source pixel falls in one target pixel.
  ASSERT_EQ(MakeShrinkImageFromPict(grayL(), half, 0.5), 1);
  EXPECT_EQ(half.Width, 7);
  EXPECT_EQ(pixelAt(half, 1, 0), 0u);  // (1,0) and (2,0) both fall in it
}

TEST(ImageTransforms, TurnsAreClockwiseAndRoundTrip) {
  CPICT_INFO p = grayL();
  p.XResolution = 300;
  ASSERT_EQ(MIMakeRotatedImage(p, 90), 1);
  EXPECT_EQ(p.Width, kH);
  EXPECT_EQ(p.XResolution, 400);
  // (1,0) goes to (H-1-0, 1) = (6, 1).
  EXPECT_EQ(pixelAt(p, kH - 1, 1), 0u);
  ASSERT_EQ(MIMakeRotatedImage(p, 270), 1);
  expectL(p, 0, 255);
  CPICT_INFO bits;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grayL(), bits), 1);
  ASSERT_EQ(MIMakeRotatedImage(bits, 180), 1);
  EXPECT_EQ(pixelAt(bits, kW - 2, kH - 1), 1u);
  ASSERT_EQ(MIMakeRotatedImage(bits, 180), 1);
  expectL(bits, 1, 0);
}

TEST(ImageTransforms, TheGrayTestLooksAtPixelsOnlyAndOtsuSplitsTheHistogram) {
  CPICT_INFO colour;
  ASSERT_EQ(Convert8BitImageTo24BitImage(grayL(90), colour), 1);
  ASSERT_GT(colour.LineBytes, 3 * colour.Width);  // 39 bytes of pixels in rows of 40
  for (int y = 0; y < colour.Height; ++y) colour.row(y)[colour.LineBytes - 1] = 0x5A;  // padding noise
  EXPECT_TRUE(isGray24(colour));
  colour.row(3)[3 * 4 + 1] = 17;
  EXPECT_FALSE(isGray24(colour));

  CPICT_INFO gray;
  ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(colour, gray), 1);
  EXPECT_EQ(pixelAt(gray, 1, 0), 90u);
  // Dark marks on a light ground at any levels split between them.
  CPICT_INFO bits;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grayL(180), bits), 1);
  expectL(bits, 1, 0);
  // A blank page has no dark pixels.
  CPICT_INFO blank = grayL(255);
  ASSERT_EQ(MakeBinDataFromGrayscaleData(blank, bits), 1);
  EXPECT_EQ(std::count(bits.Bits.begin(), bits.Bits.end(), 0), static_cast<long>(bits.Bits.size()));
}

TEST(ImageTransforms, GroupFourDataDecodesToThePicture) {
  CPICT_INFO bits;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grayL(), bits), 1);
  const auto strip = encodeGroup4(bits);
  ASSERT_FALSE(strip.empty());
  const auto file = encodeTiff(bits);
  CPICT_INFO back;
  ASSERT_TRUE(loadImage(file, back).ok);
  expectL(back, 1, 0);
  // The file's one strip is the data on its own.
  EXPECT_NE(std::search(file.begin(), file.end(), strip.begin(), strip.end()), file.end());
}

}  // namespace
}  // namespace lexova::imaging
