// Picture loading: every BMP layout, GIF, PNG with and without transparency,
// JPEG, and broken or hostile files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "image_fixtures.h"
#include "media/image/decoders.h"
#include "media/image/get_image.h"
#include "media/image/mod_png.h"
#include "support/checkers.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

using image_test::Bytes;

// 0x00RRGGBB of every pixel, top row first.
std::vector<uint32_t> Colours(const image::Picture& p) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < p.bgra.size(); i += 4)
    out.push_back((uint32_t{p.bgra[i + 2]} << 16) | (uint32_t{p.bgra[i + 1]} << 8) | p.bgra[i]);
  return out;
}

// Top row red, green, blue; bottom row white, black, grey.
const std::vector<uint32_t> kSixColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};

Bytes Bgr(std::initializer_list<uint32_t> colours) {
  Bytes out;
  for (uint32_t c : colours) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
  return out;
}

image::Picture Decode(const Bytes& bmp) {
  auto picture = image::DecodeBMP(bmp);
  EXPECT_TRUE(picture.has_value());
  return picture.value_or(image::Picture{});
}

TEST(BmpDecoder, TrueColourLayoutsBottomUpAndTopDown) {
  const Bytes top = Bgr({0xFF0000, 0x00FF00, 0x0000FF}), bottom = Bgr({0xFFFFFF, 0x000000, 0x808080});
  image_test::BmpLayout layout{.width = 3, .height = 2, .bits = 24};
  layout.pixelData = image_test::PadRows({bottom, top});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);

  layout.height = -2;
  layout.pixelData = image_test::PadRows({top, bottom});
  image::Picture topDown = Decode(image_test::MakeBmp(layout));
  EXPECT_EQ(topDown.height, 2);
  EXPECT_EQ(Colours(topDown), kSixColours);

  layout = {.width = 3, .height = 2, .bits = 24, .headerSize = 12};
  layout.pixelData = image_test::PadRows({bottom, top});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);

  auto bgrx = [](const Bytes& bgr) {
    Bytes out;
    for (size_t i = 0; i < bgr.size(); i += 3) out.insert(out.end(), {bgr[i], bgr[i + 1], bgr[i + 2], 0x00});
    return out;
  };
  layout = {.width = 3, .height = 2, .bits = 32};
  layout.pixelData = image_test::PadRows({bgrx(bottom), bgrx(top)});
  image::Picture thirtyTwo = Decode(image_test::MakeBmp(layout));
  EXPECT_EQ(Colours(thirtyTwo), kSixColours);
  EXPECT_EQ(thirtyTwo.bgra[3], 255) << "a BMP's fourth byte is not alpha";

  // Bit fields in the other byte order (red lowest).
  auto rgbx = [](const Bytes& bgr) {
    Bytes out;
    for (size_t i = 0; i < bgr.size(); i += 3) out.insert(out.end(), {bgr[i + 2], bgr[i + 1], bgr[i], 0x00});
    return out;
  };
  layout = {.width = 3, .height = 2, .bits = 32, .compression = 3, .masks = {0xFF, 0xFF00, 0xFF0000}};
  layout.pixelData = image_test::PadRows({rgbx(bottom), rgbx(top)});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);
}

TEST(BmpDecoder, SixteenBitDefaultAndBitFields) {
  auto le16 = [](std::initializer_list<uint16_t> values) {
    Bytes out;
    for (uint16_t v : values) out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
    return out;
  };
  image_test::BmpLayout layout{.width = 3, .height = 1, .bits = 16};
  layout.pixelData = image_test::PadRows({le16({0x7C00, 0x03E0, 0x4210})});  // 5-5-5: red, green, grey 16/31
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x848484}));

  layout = {.width = 3, .height = 1, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}};
  layout.pixelData = image_test::PadRows({le16({0xF800, 0x07E0, 0x001F})});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
}

TEST(BmpDecoder, PaletteDepths) {
  image_test::BmpLayout layout{.width = 3, .height = 2, .bits = 8, .palette = kSixColours};
  layout.pixelData = image_test::PadRows({{3, 4, 5}, {0, 1, 2}});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);

  layout.bits = 4;
  layout.pixelData = image_test::PadRows({{0x34, 0x50}, {0x01, 0x20}});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);

  layout.headerSize = 12;
  layout.palette.resize(16);
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), kSixColours);

  // 1 bit, 10 pixels wide: bits run from the top of each byte.
  layout = {.width = 10, .height = 1, .bits = 1, .palette = {0x000000, 0xFFFFFF}};
  layout.pixelData = image_test::PadRows({{0b10110000, 0b01000000}});
  std::vector<uint32_t> expected = {0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF};
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), expected);

  // Indices past a short palette are black rather than a read past it.
  layout = {.width = 2, .height = 1, .bits = 8, .palette = {0xFFFFFF}};
  layout.pixelData = image_test::PadRows({{0, 200}});
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), (std::vector<uint32_t>{0xFFFFFF, 0}));
}

TEST(BmpDecoder, RunLengthEncodings) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // RLE8, 4 x 3, rows bottom-up: a run, an absolute run with padding, a delta
  // that skips into the top row, and the end of the bitmap.
  image_test::BmpLayout layout{.width = 4, .height = 3, .bits = 8, .compression = 1, .palette = palette};
  layout.pixelData = {4, 1, 0, 0,        // bottom row: four of colour 1
                      0, 3, 2, 3, 1, 0,  // middle row: absolute 2, 3, 1 (+ pad)
                      1, 2, 0, 0,        // then one of colour 2
                      0, 2, 1, 0,        // delta: one to the right
                      2, 3, 0, 1};       // top row from x = 1: two of colour 3; end
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))),
            (std::vector<uint32_t>{0x000000, 0x0000FF, 0x0000FF, 0x000000,  //
                                   0x00FF00, 0x0000FF, 0xFF0000, 0x00FF00,  //
                                   0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));

  // RLE4, 5 x 2: alternating nibbles in a run, and an absolute run of three
  // nibbles (two bytes, already even).
  layout = {.width = 5, .height = 2, .bits = 4, .compression = 2, .palette = palette};
  layout.pixelData = {5, 0x12, 0, 0, 0, 3, 0x30, 0x10, 2, 0x22, 0, 1};
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))),
            (std::vector<uint32_t>{0x0000FF, 0x000000, 0xFF0000, 0x00FF00, 0x00FF00,  //
                                   0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000}));

  // Runs longer than the row are clipped, not wrapped or written past it.
  layout = {.width = 2, .height = 1, .bits = 8, .compression = 1, .palette = palette};
  layout.pixelData = {255, 1, 0, 1};
  EXPECT_EQ(Colours(Decode(image_test::MakeBmp(layout))), (std::vector<uint32_t>{0xFF0000, 0xFF0000}));

  // An absolute run cut off by the end of the file.
  layout.pixelData = {0, 200, 1, 2, 3};
  EXPECT_FALSE(image::DecodeBMP(image_test::MakeBmp(layout)).has_value());
}

TEST(BmpDecoder, BrokenAndHostileHeaders) {
  image_test::BmpLayout layout{.width = 3, .height = 2, .bits = 24};
  layout.pixelData = Bytes(24, 0);
  Bytes good = image_test::MakeBmp(layout);
  ASSERT_TRUE(image::DecodeBMP(good).has_value());
  EXPECT_EQ(image::DecodeBMP(Bytes(good.begin(), good.end() - 1)).message(), "不正なBMPファイルです")
      << "pixel rows cut short";

  for (auto [width, height] : {std::pair{100000, 1}, {1, -100000}, {30000, 30000}, {0, 5}, {-3, 2}, {3, 0}}) {
    layout.width = width;
    layout.height = height;
    EXPECT_EQ(image::DecodeBMP(image_test::MakeBmp(layout)).message(), "BMP画像の大きさが扱える範囲にありません")
        << width << "x" << height;
  }
  layout = {.width = 3, .height = 2, .bits = 24, .compression = 4};  // embedded JPEG
  layout.pixelData = Bytes(24, 0);
  EXPECT_FALSE(image::DecodeBMP(image_test::MakeBmp(layout)).has_value());
  layout = {.width = 3, .height = 2, .bits = 7};
  layout.pixelData = Bytes(24, 0);
  EXPECT_FALSE(image::DecodeBMP(image_test::MakeBmp(layout)).has_value());

  // A colour count far beyond the file.
  layout = {.width = 1, .height = 1, .bits = 8, .palette = {0}};
  layout.pixelData = Bytes(4, 0);
  Bytes manyColours = image_test::MakeBmp(layout);
  manyColours[46] = 0xFF;
  manyColours[47] = 0xFF;
  EXPECT_FALSE(image::DecodeBMP(manyColours).has_value());
}

TEST(GifDecoder, FirstImageOnItsLogicalScreen) {
  image_test::GifLayout layout{.screenWidth = 3,
                               .screenHeight = 2,
                               .globalPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0, 0},
                               .width = 3,
                               .height = 2,
                               .indices = {0, 1, 2, 3, 4, 5}};
  auto picture = image::DecodeGIF(image_test::MakeGif(layout));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Colours(*picture), kSixColours);

  // A transparent index keeps its colour; the key colour makes it clear.
  layout.transparentIndex = 1;
  picture = image::DecodeGIF(image_test::MakeGif(layout));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Colours(*picture), kSixColours);

  // A smaller image on a larger screen: the rest is the background colour.
  layout = {.screenWidth = 3,
            .screenHeight = 2,
            .globalPalette = {0xFF0000, 0x00FF00},
            .background = 1,
            .left = 1,
            .top = 1,
            .width = 2,
            .height = 1,
            .indices = {0, 0}};
  picture = image::DecodeGIF(image_test::MakeGif(layout));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Colours(*picture), (std::vector<uint32_t>{0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00, 0xFF0000, 0xFF0000}));
}

TEST(GifDecoder, InterlacedRowsLandInDisplayOrder) {
  image_test::GifLayout layout{
      .screenWidth = 2, .screenHeight = 11, .globalPalette = {}, .width = 2, .height = 11, .interlaced = true};
  for (int i = 0; i < 16; ++i) layout.globalPalette.push_back(static_cast<uint32_t>(i * 0x10));
  for (int y = 0; y < 11; ++y) layout.indices.insert(layout.indices.end(), {uint8_t(y), uint8_t(15 - y)});
  auto picture = image::DecodeGIF(image_test::MakeGif(layout));
  ASSERT_TRUE(picture);
  for (int y = 0; y < 11; ++y) {
    EXPECT_EQ(picture->bgra[static_cast<size_t>(y) * 8], y * 0x10) << y;
    EXPECT_EQ(picture->bgra[static_cast<size_t>(y) * 8 + 4], (15 - y) * 0x10) << y;
  }
}

TEST(GifDecoder, BrokenFiles) {
  image_test::GifLayout layout{.screenWidth = 3,
                               .screenHeight = 2,
                               .globalPalette = {0, 0xFFFFFF},
                               .width = 3,
                               .height = 2,
                               .indices = {0, 1, 0, 1, 0, 1}};
  Bytes good = image_test::MakeGif(layout);
  ASSERT_TRUE(image::DecodeGIF(good));
  EXPECT_FALSE(image::DecodeGIF(Bytes(good.begin(), good.begin() + 30)));
  Bytes noImage(good.begin(), good.begin() + 13 + 6);
  noImage.push_back(0x3B);
  EXPECT_FALSE(image::DecodeGIF(noImage));
  layout.globalPalette.clear();
  EXPECT_FALSE(image::DecodeGIF(image_test::MakeGif(layout))) << "no colour table at all";
  // A screen too large for the limits is refused before anything is made.
  layout = {
      .screenWidth = 65535, .screenHeight = 65535, .globalPalette = {0, 1}, .width = 1, .height = 1, .indices = {0}};
  EXPECT_FALSE(image::DecodeGIF(image_test::MakeGif(layout)));
}

class PictureFileTest : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, const Bytes& bytes) {
    auto path = dir_ / name;
    image_test::WriteFile(path, bytes);
    return path;
  }
  testing::TempDir dir_;
};

TEST_F(PictureFileTest, PngWithAlphaIsPremultipliedAndFillsThePlane) {
  image_test::PngLayout layout{.width = 2, .height = 1, .depth = 8, .colourType = 6};
  layout.rows = {{200, 100, 50, 128, 10, 20, 30, 255}};
  image::AlphaPlane alpha;
  auto picture = GetImage::LoadImagePicture(write("a.png", image_test::MakePng(layout)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(alpha, (image::AlphaPlane{128, 255}));
  EXPECT_EQ(picture->bgra, (Bytes{25, 50, 100, 128, 30, 20, 10, 255}));
}

TEST_F(PictureFileTest, PngWithoutTransparencyLeavesThePlaneAlone) {
  image_test::PngLayout rgb{.width = 2, .height = 1, .depth = 8, .colourType = 2};
  rgb.rows = {{200, 100, 50, 1, 2, 3}};
  image::AlphaPlane alpha = {9};
  auto picture = GetImage::LoadImagePicture(write("rgb.png", image_test::MakePng(rgb)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(alpha, image::AlphaPlane{9});
  EXPECT_EQ(picture->bgra, (Bytes{50, 100, 200, 255, 3, 2, 1, 255}));

  image_test::PngLayout palette{
      .width = 3, .height = 1, .depth = 2, .colourType = 3, .palette = {255, 0, 0, 0, 255, 0, 0, 0, 255}};
  palette.rows = {{0b00011000}};
  alpha.clear();
  picture = GetImage::LoadImagePicture(write("pal.png", image_test::MakePng(palette)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(alpha.empty());
  EXPECT_EQ(Colours(*picture), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));

  // The same palette with a tRNS chunk is transparent.
  palette.trns = {0, 255, 64};
  picture = GetImage::LoadImagePicture(write("trns.png", image_test::MakePng(palette)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(alpha, (image::AlphaPlane{0, 255, 64}));
  EXPECT_EQ(Colours(*picture), (std::vector<uint32_t>{0x000000, 0x00FF00, 0x000040}));

  image_test::PngLayout grey16{.width = 1, .height = 1, .depth = 16, .colourType = 0};
  grey16.rows = {{0x80, 0x80}};
  picture = GetImage::LoadImagePicture(write("g16.png", image_test::MakePng(grey16)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(Colours(*picture), (std::vector<uint32_t>{0x808080}));
}

TEST_F(PictureFileTest, InterlacedPngDecodesLikeTheStraightOne) {
  image_test::PngLayout layout{.width = 11, .height = 9, .depth = 8, .colourType = 6};
  for (uint32_t y = 0; y < layout.height; ++y) {
    Bytes row;
    for (uint32_t x = 0; x < layout.width; ++x)
      row.insert(row.end(), {uint8_t(x * 20), uint8_t(y * 25), uint8_t(x + y), 255});
    layout.rows.push_back(row);
  }
  auto straight = image::DecodePNG(image_test::MakePng(layout));
  layout.interlaced = true;
  auto interlaced = image::DecodePNG(image_test::MakePng(layout));
  ASSERT_TRUE(straight && interlaced);
  EXPECT_EQ(straight->picture.bgra, interlaced->picture.bgra);
  EXPECT_EQ(straight->picture.bgra[(8 * 11 + 10) * 4 + 2], 200);
}

TEST_F(PictureFileTest, BrokenPngs) {
  image_test::PngLayout layout{.width = 4, .height = 4, .depth = 8, .colourType = 2};
  layout.rows.assign(4, Bytes(12, 7));
  Bytes good = image_test::MakePng(layout);
  ASSERT_TRUE(image::DecodePNG(good));
  EXPECT_FALSE(image::DecodePNG(Bytes(good.begin(), good.begin() + 45))) << "cut inside the image data";
  Bytes badCrc = good;
  badCrc[29] ^= 1;
  EXPECT_FALSE(image::DecodePNG(badCrc));
  layout = {.width = 100000, .height = 100000, .depth = 8, .colourType = 2};
  layout.rows.assign(1, Bytes(3, 0));
  EXPECT_FALSE(image::DecodePNG(image_test::MakePng(layout))) << "huge header, tiny file";
  // Cut after the last row (no IEND) still gives the picture.
  EXPECT_TRUE(image::DecodePNG(Bytes(good.begin(), good.end() - 12)));
}

uint32_t Gradient(int x, int y) { return (uint32_t(x * 16) << 16) | (uint32_t(y * 16) << 8) | 0x40; }

TEST_F(PictureFileTest, JpegLoadsInColourAndGrey) {
  Bytes jpeg = image_test::MakeJpeg(15, 9, Gradient, 100);
  image::AlphaPlane alpha;
  auto picture = GetImage::LoadImagePicture(write("c.jpg", jpeg), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 15);
  EXPECT_EQ(picture->height, 9);
  EXPECT_TRUE(alpha.empty());
  auto colours = Colours(*picture);
  uint32_t c = colours[4 * 15 + 7];  // (7, 4): 0x704040
  EXPECT_NEAR(int(c >> 16), 0x70, 6);
  EXPECT_NEAR(int((c >> 8) & 255), 0x40, 6);
  EXPECT_NEAR(int(c & 255), 0x40, 6);

  Bytes grey = image_test::MakeJpeg(
      8, 8, [](int, int) -> uint32_t { return 0x99; }, 100, true);
  picture = image::DecodeJPEG(grey);
  ASSERT_TRUE(picture);
  EXPECT_NEAR(picture->bgra[0], 0x99, 2);
  EXPECT_EQ(picture->bgra[0], picture->bgra[1]);
  EXPECT_EQ(picture->bgra[1], picture->bgra[2]);
  EXPECT_FALSE(image::DecodeJPEG(Bytes(jpeg.begin(), jpeg.begin() + 20)));
}

TEST_F(PictureFileTest, LoadImagePictureGoesByContent) {
  image_test::PngLayout png{.width = 1, .height = 1, .depth = 8, .colourType = 6, .rows = {{1, 2, 3, 0}}};
  image::AlphaPlane alpha;
  ASSERT_TRUE(GetImage::LoadImagePicture(write("png.bmp", image_test::MakePng(png)), alpha));
  EXPECT_EQ(alpha, image::AlphaPlane{0});

  image_test::BmpLayout bmp{.width = 1, .height = 1, .bits = 24, .pixelData = {1, 2, 3, 0}};
  alpha.clear();
  auto picture = GetImage::LoadImagePicture(write("bmp.png", image_test::MakeBmp(bmp)), alpha);
  ASSERT_TRUE(picture);
  EXPECT_EQ(Colours(*picture), std::vector<uint32_t>{0x030201});
  EXPECT_TRUE(alpha.empty());

  EXPECT_FALSE(GetImage::LoadImagePicture(write("t.txt", {'h', 'e', 'l', 'l', 'o'}), alpha));
  EXPECT_FALSE(GetImage::LoadImagePicture(dir_ / "none.png", alpha));
}

// Where ImageMagick is installed, it decodes the same BMPs to the same pixels.
TEST_F(PictureFileTest, BmpPixelsAgreeWithImageMagick) {
  REQUIRE_CHECKER(testing::MissingImageMagick());
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0xFFFFFF};
  std::vector<image_test::BmpLayout> layouts;
  layouts.push_back(
      {.width = 4, .height = 3, .bits = 8, .compression = 1, .palette = palette, .pixelData = {4, 1, 0, 0, 0, 3, 2, 3,
                                                                                               1, 0, 1, 2, 0, 0, 0, 2,
                                                                                               1, 0, 2, 3, 0, 1}});
  layouts.push_back({.width = 5,
                     .height = 2,
                     .bits = 4,
                     .compression = 2,
                     .palette = palette,
                     .pixelData = {5, 0x12, 0, 0, 0, 3, 0x30, 0x10, 2, 0x22, 0, 1}});
  layouts.push_back({.width = 5,
                     .height = -3,
                     .bits = 4,
                     .palette = palette,
                     .pixelData = image_test::PadRows({{0x01, 0x23, 0x40}, {0x55, 0x44, 0x30}, {0x12, 0x21, 0x00}})});
  layouts.push_back(
      {.width = 3,
       .height = 2,
       .bits = 16,
       .compression = 3,
       .masks = {0xF800, 0x07E0, 0x001F},
       .pixelData = image_test::PadRows({{0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}, {0x10, 0x84, 0xFF, 0xFF, 0, 0}})});
  layouts.push_back({.width = 10,
                     .height = 2,
                     .bits = 1,
                     .palette = {0x102030, 0xF0E0D0},
                     .pixelData = image_test::PadRows({{0b10110000, 0b01000000}, {0xFF, 0x00}})});
  for (size_t i = 0; i < layouts.size(); ++i) {
    auto path = write("m" + std::to_string(i) + ".bmp", image_test::MakeBmp(layouts[i]));
    auto raw = dir_ / ("m" + std::to_string(i) + ".rgb");
    // ImageMagick complains about run-length files that end at their end-of-bitmap mark but still
    // writes the pixels, so its exit status is not the test.
    (void)std::system(("convert " + path.string() + " -depth 8 rgb:" + raw.string() + " 2>/dev/null").c_str());
    Bytes theirs = image_test::ReadFile(raw);
    auto ours = image::DecodeBMP(image_test::ReadFile(path));
    ASSERT_TRUE(ours) << i;
    ASSERT_EQ(theirs.size(), ours->pixelCount() * 3) << i;
    Bytes rgb;
    for (size_t p = 0; p < ours->bgra.size(); p += 4)
      rgb.insert(rgb.end(), {ours->bgra[p + 2], ours->bgra[p + 1], ours->bgra[p]});
    EXPECT_EQ(rgb, theirs) << i;
  }
}

// Every decoder against every cut and a few thousand single-byte changes of
// good files: no crash, no read out of bounds, no runaway allocation.
TEST(ImageDecoders, SurviveCutAndCorruptedFiles) {
  image_test::BmpLayout rle{.width = 4, .height = 3, .bits = 8, .compression = 1, .palette = {0, 0xFF, 0xFF00}};
  rle.pixelData = {4, 1, 0, 0, 0, 3, 2, 1, 1, 0, 0, 2, 1, 0, 2, 2, 0, 1};
  image_test::BmpLayout bmp16{.width = 3, .height = -2, .bits = 16};
  bmp16.pixelData = Bytes(16, 0x5A);
  image_test::PngLayout png{.width = 5, .height = 3, .depth = 8, .colourType = 6, .interlaced = true};
  png.rows.assign(3, Bytes(20, 0x33));
  image_test::GifLayout gif{.screenWidth = 4,
                            .screenHeight = 3,
                            .globalPalette = {0, 1, 2, 3},
                            .width = 4,
                            .height = 3,
                            .interlaced = true,
                            .indices = Bytes(12, 2)};
  const std::vector<Bytes> samples = {image_test::MakeBmp(rle), image_test::MakeBmp(bmp16), image_test::MakePng(png),
                                      image_test::MakeGif(gif), image_test::MakeJpeg(9, 9, Gradient, 80)};
  // Whatever comes back is a whole picture within the limits.
  int pictures = 0;
  auto check = [&](const Result<image::Picture>& p) {
    if (!p) {
      EXPECT_FALSE(p.message().empty());
      return;
    }
    ++pictures;
    EXPECT_TRUE(image::PictureSizeAllowed(static_cast<uint64_t>(p->width), static_cast<uint64_t>(p->height)));
    EXPECT_EQ(p->bgra.size(), p->pixelCount() * 4);
  };
  auto decodeAll = [&](const Bytes& b) {
    check(image::DecodeBMP(b));
    check(image::DecodeGIF(b));
    auto decodedPng = image::DecodePNG(b);
    check(decodedPng ? Result<image::Picture>(decodedPng->picture)
                     : Result<image::Picture>(Failure{decodedPng.message()}));
    check(image::DecodeJPEG(b));
    GetImage::ImageInfo jpeg = GetImage::ProbeJPEG(b);
    EXPECT_TRUE(jpeg.kind == GetImage::kNone || jpeg.kind == GetImage::kJPEG);
    EXPECT_EQ(GetImage::ProbeFLV(b).kind, GetImage::kNone);
  };
  std::mt19937 random(7);
  for (const Bytes& sample : samples) {
    pictures = 0;
    decodeAll(sample);
    EXPECT_EQ(pictures, 1) << "each good sample decodes, by its own decoder only";
    for (size_t n = 0; n < sample.size(); ++n) decodeAll(Bytes(sample.begin(), sample.begin() + static_cast<long>(n)));
    for (int i = 0; i < 400; ++i) {
      Bytes changed = sample;
      changed[random() % changed.size()] = static_cast<uint8_t>(random());
      changed[random() % changed.size()] = static_cast<uint8_t>(random());
      decodeAll(changed);
    }
  }
}

}  // namespace
}  // namespace tesmiro
