// Bitmap tags and their display shape, read back byte by byte: JPEG data
// with and without alpha, lossless ARGB, key-colour alpha and its softening.
#include "media/image/bitmap_tags.h"

#include <gtest/gtest.h>

#include <random>

#include "image_fixtures.h"
#include "support/swf_tags.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro {
namespace {

using image_test::Bytes;
using testing::SwfTag;

image::Picture PictureOf(int32_t width, int32_t height, const std::vector<uint32_t>& colours) {
  image::Picture p = image::MakeOpaquePicture(width, height);
  for (size_t i = 0; i < colours.size(); ++i) {
    // 0x00BBGGRR, the key colour's form
    p.bgra[i * 4] = uint8_t(colours[i] >> 16), p.bgra[i * 4 + 1] = uint8_t(colours[i] >> 8);
    p.bgra[i * 4 + 2] = uint8_t(colours[i]);
  }
  return p;
}

// The window average added up pixel by pixel.
image::AlphaPlane NaiveBoxAverage(const image::AlphaPlane& plane, int w, int h, int r) {
  image::AlphaPlane out(plane.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int sum = 0, count = 0;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
          if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h) sum += plane[(y + dy) * w + x + dx], ++count;
      out[y * w + x] = static_cast<uint8_t>(sum / count);
    }
  return out;
}

TEST(KeyColourAlpha, ExactKeyOnlyThenSoftened) {
  constexpr uint32_t key = 0x00FF00FF;
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(PictureOf(3, 1, {key, 0x00FF00FE, 0}), key, 0, 5),
            (image::AlphaPlane{0, 255, 255}));

  std::vector<uint32_t> colours(25, 0x123456);
  colours[0] = key;
  image::Picture picture = PictureOf(5, 5, colours);
  auto box = SWFMakeCore::KeyColourAlpha(picture, key, SWFMakeCore::kSoftenBoxAverage, 1);
  EXPECT_EQ(box[0], 191) << "765 \\ 4";
  EXPECT_EQ(box[6], 226) << "2040 \\ 9";
  EXPECT_EQ(box[24], 255);
  // A negative amount counts as 0 instead of an empty window.
  auto plain = SWFMakeCore::KeyColourAlpha(picture, key, 0, 0);
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, key, SWFMakeCore::kSoftenBoxAverage, -3), plain);
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, key, SWFMakeCore::kSoftenColourDistance, -10), plain);
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, key, 3, 4), plain);
}

TEST(KeyColourAlpha, BoxAverageMatchesTheWindowSumEverywhere) {
  std::mt19937 random(11);
  for (auto [w, h] : {std::pair{7, 5}, {1, 9}, {13, 13}}) {
    std::vector<uint32_t> colours(static_cast<size_t>(w * h));
    for (auto& c : colours) c = random() % 3 == 0 ? 0 : 0x808080;
    image::Picture picture = PictureOf(w, h, colours);
    auto plain = SWFMakeCore::KeyColourAlpha(picture, 0, 0, 0);
    for (int r : {1, 2, 3, 6, 40}) {
      EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, 0, SWFMakeCore::kSoftenBoxAverage, r),
                NaiveBoxAverage(plain, w, h, r))
          << w << "x" << h << " r " << r;
    }
  }
}

TEST(KeyColourAlpha, ColourDistance) {
  // Key black; (R 5, G 5, B 10) lies at squared distance 150.
  image::Picture picture = PictureOf(4, 1, {0x000000, 0x0A0505, 0x0A0A0A, 0x646464});
  auto plain = SWFMakeCore::KeyColourAlpha(picture, 0, 0, 0);
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, 0, SWFMakeCore::kSoftenColourDistance, 0), plain);
  // T = 300: 255 - (150 / 300) * 255 = 127.5, to even 128; distance 300 is not below T.
  EXPECT_EQ(SWFMakeCore::KeyColourAlpha(picture, 0, SWFMakeCore::kSoftenColourDistance, 10),
            (image::AlphaPlane{0, 128, 255, 255}));
}

class BitmapTagTest : public ::testing::Test {
 protected:
  void SetUp() override { SWFMakeCore::ResetState(); }
  std::filesystem::path write(const std::string& name, const Bytes& bytes) {
    auto path = dir_ / name;
    image_test::WriteFile(path, bytes);
    return path;
  }
  std::vector<SwfTag> tags() { return testing::SplitTags(SWFMakeCore::OutputBuffer()); }
  SWFMakeCore::BitmapResult bitmap(const std::filesystem::path& path, int16_t flags, int32_t key = 0, int16_t force = 0,
                                   int32_t softening = 0) {
    return SWFMakeCore::WriteBitmap(7, path, flags, key, 80, force, softening);
  }
  testing::TempDir dir_;
};

uint32_t Pattern(int x, int y) { return (uint32_t(x * 30) << 16) | (uint32_t(y * 40) << 8) | 0x80; }

Bytes ThreeByTwoBmp(int32_t height = 2) {
  // Top row red, green, blue; bottom row white, black, key magenta.
  Bytes top = {0, 0, 255, 0, 255, 0, 255, 0, 0}, bottom = {255, 255, 255, 0, 0, 0, 255, 0, 255};
  image_test::BmpLayout layout{.width = 3, .height = height, .bits = 24};
  layout.pixelData = height > 0 ? image_test::PadRows({bottom, top}) : image_test::PadRows({top, bottom});
  return image_test::MakeBmp(layout);
}
constexpr int32_t kMagenta = 0x00FF00FF;

TEST_F(BitmapTagTest, JpegFileGoesInUnchanged) {
  Bytes jpeg = image_test::MakeJpeg(10, 6, Pattern);
  auto path = write("a.jpg", jpeg);
  for (int16_t flags : {0, 8}) {
    SWFMakeCore::ResetState();
    // Marked lossless, forced recompression does not apply either.
    auto result = bitmap(path, flags, 0, flags == 8 ? 1 : 0);
    EXPECT_TRUE(result.written);
    auto t = tags();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].code, 21);
    Bytes expected = {7, 0, 0xFF, 0xD9, 0xFF, 0xD8};
    expected.insert(expected.end(), jpeg.begin(), jpeg.end());
    EXPECT_EQ(t[0].body, expected);
    EXPECT_EQ(SWFMakeCore::OutputBuffer()[0], 0x7F);
    EXPECT_EQ(SWFMakeCore::OutputBuffer()[1], 0x05);
  }

  // Forced recompression re-encodes it at the project's quality.
  SWFMakeCore::ResetState();
  ASSERT_TRUE(bitmap(path, 0, 0, 1).written);
  auto t = tags();
  ASSERT_EQ(t.size(), 1u);
  Bytes data(t[0].body.begin() + 6, t[0].body.end());
  EXPECT_NE(data, jpeg);
  int w = 0, h = 0;
  Bytes rgb;
  ASSERT_TRUE(image_test::ReadJpegRgb(data, w, h, rgb));
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 6);
}

TEST_F(BitmapTagTest, PngAlphaTravelsAsJpeg3) {
  image_test::PngLayout layout{.width = 3, .height = 1, .depth = 8, .colourType = 6};
  layout.rows = {{200, 100, 50, 128, 0, 0, 255, 0, 9, 9, 9, 255}};
  ASSERT_TRUE(bitmap(write("a.png", image_test::MakePng(layout)), 0).written);
  auto t = tags();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].code, 35);
  const Bytes& body = t[0].body;
  uint32_t offset = body[2] | (body[3] << 8) | (body[4] << 16) | (uint32_t(body[5]) << 24);
  ASSERT_LT(6 + offset, body.size());
  EXPECT_EQ(Bytes(body.begin() + 6, body.begin() + 10), (Bytes{0xFF, 0xD9, 0xFF, 0xD8}));
  Bytes jpeg(body.begin() + 10, body.begin() + 6 + offset);
  int w = 0, h = 0;
  Bytes rgb;
  ASSERT_TRUE(image_test::ReadJpegRgb(jpeg, w, h, rgb));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(image_test::Inflate(Bytes(body.begin() + 6 + offset, body.end()), 3), (Bytes{128, 0, 255}));
}

TEST_F(BitmapTagTest, KeyColourGivesJpeg3WithSoftenedAlpha) {
  auto path = write("k.bmp", ThreeByTwoBmp());
  ASSERT_TRUE(bitmap(path, SWFMakeCore::kBitmapKeyColour, kMagenta).written);
  auto t = tags();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].code, 35);
  uint32_t offset = t[0].body[2] | (t[0].body[3] << 8);
  EXPECT_EQ(image_test::Inflate(Bytes(t[0].body.begin() + 6 + offset, t[0].body.end()), 6),
            (Bytes{255, 255, 255, 255, 255, 0}));

  // Mode 1 (flags bits 1-2 = 1), radius 1.
  SWFMakeCore::ResetState();
  ASSERT_TRUE(bitmap(path, SWFMakeCore::kBitmapKeyColour | 2, kMagenta, 0, 1).written);
  t = tags();
  offset = t[0].body[2] | (t[0].body[3] << 8);
  EXPECT_EQ(image_test::Inflate(Bytes(t[0].body.begin() + 6 + offset, t[0].body.end()), 6),
            (Bytes{255, 212, 191, 255, 212, 191}));
}

TEST_F(BitmapTagTest, LosslessArgbFromTheDecodedPicture) {
  // Top-down: the probe's height would be negative; the tag gets the real 2.
  for (int32_t height : {2, -2}) {
    SWFMakeCore::ResetState();
    ASSERT_TRUE(bitmap(write("l.bmp", ThreeByTwoBmp(height)), SWFMakeCore::kBitmapLossless).written);
    auto t = tags();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].code, 36);
    const Bytes& body = t[0].body;
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 7), (Bytes{7, 0, 5, 3, 0, 2, 0}));
    EXPECT_EQ(image_test::Inflate(Bytes(body.begin() + 7, body.end()), 24),
              (Bytes{255, 255, 0,   0,   255, 0, 255, 0, 255, 0,   0, 255,  //
                     255, 255, 255, 255, 255, 0, 0,   0, 255, 255, 0, 255}))
        << height;
  }

  // Key colour: the key pixel is clear and its colour premultiplied away.
  SWFMakeCore::ResetState();
  ASSERT_TRUE(
      bitmap(write("k.bmp", ThreeByTwoBmp()), SWFMakeCore::kBitmapLossless | SWFMakeCore::kBitmapKeyColour, kMagenta)
          .written);
  auto t = tags();
  Bytes argb = image_test::Inflate(Bytes(t[0].body.begin() + 7, t[0].body.end()), 24);
  EXPECT_EQ(Bytes(argb.begin() + 20, argb.end()), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Bytes(argb.begin(), argb.begin() + 4), (Bytes{255, 255, 0, 0}));

  // A PNG with alpha arrives premultiplied and is not multiplied again.
  SWFMakeCore::ResetState();
  image_test::PngLayout layout{.width = 1, .height = 1, .depth = 8, .colourType = 6, .rows = {{200, 100, 50, 128}}};
  ASSERT_TRUE(bitmap(write("a.png", image_test::MakePng(layout)), SWFMakeCore::kBitmapLossless).written);
  t = tags();
  EXPECT_EQ(image_test::Inflate(Bytes(t[0].body.begin() + 7, t[0].body.end()), 4), (Bytes{128, 100, 50, 25}));

  // GIF too.
  SWFMakeCore::ResetState();
  image_test::GifLayout gif{.screenWidth = 2,
                            .screenHeight = 1,
                            .globalPalette = {0x102030, 0x405060},
                            .width = 2,
                            .height = 1,
                            .indices = {1, 0}};
  ASSERT_TRUE(bitmap(write("g.gif", image_test::MakeGif(gif)), SWFMakeCore::kBitmapLossless).written);
  t = tags();
  EXPECT_EQ(image_test::Inflate(Bytes(t[0].body.begin() + 7, t[0].body.end()), 8),
            (Bytes{255, 0x40, 0x50, 0x60, 255, 0x10, 0x20, 0x30}));
}

TEST_F(BitmapTagTest, UnusableFilesWriteNothing) {
  Bytes brokenJpeg = {0xFF, 0xD8, 0x12, 0x34, 0x56};
  std::vector<std::filesystem::path> paths = {
      dir_ / "missing.png", write("v.kvg", {'K', 'V', 'G', '\n', '1', ',', '1'}), write("b.jpg", brokenJpeg),
      write("t.txt", {'h', 'i', '!'}), write("one", {'B'})};
  for (const auto& path : paths) {
    for (int16_t flags : {0, 1, 8, 9}) {
      for (int16_t force : {0, 1}) {
        auto result = bitmap(path, flags, 0, force);
        EXPECT_FALSE(result.written) << path << " " << flags << " " << force;
        EXPECT_FALSE(result.jpegError.has_value());
      }
    }
  }
  EXPECT_TRUE(SWFMakeCore::OutputBuffer().empty());
}

// Reads the shape records back: returns the edge deltas in order and checks
// every field's width.
struct ShapeRecords {
  int moveBits = 0;
  int64_t moveX = 0, moveY = 0;
  std::vector<std::pair<bool, int64_t>> edges;  // vertical?, delta
};
ShapeRecords ReadShapeRecords(const Bytes& bytes) {
  size_t bit = 0;
  auto read = [&](int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i, ++bit) v = (v << 1) | ((bytes.at(bit / 8) >> (7 - bit % 8)) & 1);
    return v;
  };
  auto signedRead = [&](int n) {
    uint64_t v = read(n);
    return (v >> (n - 1)) ? static_cast<int64_t>(v) - (int64_t{1} << n) : static_cast<int64_t>(v);
  };
  ShapeRecords out;
  EXPECT_EQ(read(6), 0b000101u);
  out.moveBits = static_cast<int>(read(5));
  out.moveX = signedRead(out.moveBits);
  out.moveY = signedRead(out.moveBits);
  EXPECT_EQ(read(1), 1u);
  while (read(1) == 1) {
    EXPECT_EQ(read(1), 1u) << "straight";
    int bits = static_cast<int>(read(4)) + 2;
    EXPECT_EQ(read(1), 0u) << "axis line";
    bool vertical = read(1) == 1;
    out.edges.push_back({vertical, signedRead(bits)});
  }
  EXPECT_EQ(read(5), 0u) << "end of shape";
  return out;
}

TEST_F(BitmapTagTest, ShapeBytesForAPicture) {
  SWFMakeCore::WriteBitmapShape(8, 7, 100, 50);
  const Bytes expected = {0xBF, 0x00, 0x30, 0x00, 0x00, 0x00, 0x08, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x3E,
                          0x80, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x40, 0x01, 0x41, 0x07, 0x00, 0xD9, 0x40, 0x00,
                          0x05, 0x00, 0x00, 0x01, 0x00, 0x00, 0x10, 0x16, 0x20, 0x7D, 0x00, 0x1F, 0x47, 0xF3,
                          0xF0, 0x61, 0xFB, 0xFC, 0x18, 0xFC, 0x03, 0xE8, 0x7E, 0x80, 0xFA, 0x00};
  EXPECT_EQ(SWFMakeCore::OutputBuffer(), expected);
  ShapeRecords records = ReadShapeRecords(Bytes(expected.begin() + 35, expected.end()));
  EXPECT_EQ(records.moveX, 2000);
  EXPECT_EQ(records.moveY, 1000);
}

TEST_F(BitmapTagTest, LargePicturesGetWideMovesAndSplitEdges) {
  SWFMakeCore::WriteBitmapShape(8, 7, 5000, 3277);
  auto t = tags();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].code, 2);
  ShapeRecords records = ReadShapeRecords(Bytes(t[0].body.begin() + 29, t[0].body.end()));
  EXPECT_GE(records.moveBits, 18);
  EXPECT_EQ(records.moveX, 100000);
  EXPECT_EQ(records.moveY, 65540);
  int64_t sums[2][2] = {};  // [vertical][positive]
  for (auto [vertical, delta] : records.edges) {
    EXPECT_LE(std::abs(delta), 65535);
    sums[vertical][delta > 0] += delta;
  }
  EXPECT_EQ(sums[0][0], -100000);
  EXPECT_EQ(sums[1][0], -65540);
  EXPECT_EQ(sums[0][1], 100000);
  EXPECT_EQ(sums[1][1], 65540);
  // Edges keep the outline's order: left, up, right, down.
  EXPECT_FALSE(records.edges.front().first);
  EXPECT_LT(records.edges.front().second, 0);
  EXPECT_TRUE(records.edges.back().first);
  EXPECT_GT(records.edges.back().second, 0);
}

}  // namespace
}  // namespace tesmiro
