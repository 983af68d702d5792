// Whole movies with every bitmap tag: read back by swf-parser and played in
// Ruffle over a coloured background.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "image_fixtures.h"
#include "media/image/bitmap_tags.h"
#include "support/checkers.h"
#include "support/swf_tags.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro {
namespace {

using image_test::Bytes;
using namespace SWFMakeCore;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr int kW = 16, kH = 12;  // every picture
constexpr int kStageW = 176, kStageH = 28;
constexpr int kTop = 8;
int Left(int slot) { return 8 + slot * 32; }

uint32_t Pattern(int x, int y) { return (uint32_t(x * 16) << 16) | (uint32_t(y * 20) << 8) | 0x80; }

class BitmapMovieTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override { ResetState(); }

  std::filesystem::path write(const std::string& name, const Bytes& bytes) {
    auto path = dir_ / name;
    image_test::WriteFile(path, bytes);
    return path;
  }
  // Bitmap 2n - 1 and its shape 2n, placed at the slot's position.
  void add(int n, const std::filesystem::path& path, int16_t flags, int32_t key = 0) {
    ASSERT_TRUE(WriteBitmap(2 * n - 1, path, flags, key, 90, 0, 0).written) << path;
    WriteBitmapShape(2 * n, 2 * n - 1, kW, kH);
    Placement p;
    p.characterId = 2 * n;
    p.depth = n;
    p.x = Left(n - 1) * 20;
    p.y = kTop * 20;
    ASSERT_TRUE(WritePlaceObject(p));
  }

  // Five pictures: lossless BMP, plain JPEG, PNG alpha as JPEG3, lossless PNG
  // at half alpha, lossless BMP with a key colour.
  std::filesystem::path buildMovie() {
    EXPECT_TRUE(WriteSWFHeader(6, kStageW, kStageH, 12));
    WriteSetBackgroundColor(0, 0, 255);

    image_test::BmpLayout bmp{.width = kW, .height = kH, .bits = 24};
    std::vector<Bytes> rows;
    for (int y = kH - 1; y >= 0; --y) {
      Bytes row;
      for (int x = 0; x < kW; ++x) {
        uint32_t c = Pattern(x, y);
        row.insert(row.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
      }
      rows.push_back(row);
    }
    bmp.pixelData = image_test::PadRows(rows);
    add(1, write("pattern.bmp", image_test::MakeBmp(bmp)), kBitmapLossless);

    add(2, write("pattern.jpg", image_test::MakeJpeg(kW, kH, Pattern, 95)), 0);

    image_test::PngLayout cut{.width = kW, .height = kH, .depth = 8, .colourType = 6};
    image_test::PngLayout half = cut;
    for (int y = 0; y < kH; ++y) {
      Bytes a, b;
      for (int x = 0; x < kW; ++x) {
        a.insert(a.end(), {255, 255, 255, uint8_t(x < kW / 2 ? 255 : 0)});
        b.insert(b.end(), {255, 0, 0, 128});
      }
      cut.rows.push_back(a);
      half.rows.push_back(b);
    }
    add(3, write("cut.png", image_test::MakePng(cut)), 0);
    add(4, write("half.png", image_test::MakePng(half)), kBitmapLossless);

    image_test::BmpLayout keyed{.width = kW, .height = kH, .bits = 24};
    Bytes keyedRow;
    for (int x = 0; x < kW; ++x)
      keyedRow.insert(keyedRow.end(), {uint8_t(x < 4 ? 255 : 0), uint8_t(x < 4 ? 0 : 255), uint8_t(x < 4 ? 255 : 0)});
    keyed.pixelData = image_test::PadRows(std::vector<Bytes>(kH, keyedRow));
    add(5, write("keyed.bmp", image_test::MakeBmp(keyed)), kBitmapLossless | kBitmapKeyColour, 0x00FF00FF);

    WriteShowFrame();
    WriteEnd();
    PatchU16(testing::FrameCountOffset(OutputBuffer()), 1);
    auto movie = dir_ / "bitmaps.swf";
    EXPECT_TRUE(SaveOutput(movie));
    return movie;
  }

  testing::TempDir dir_;
};

TEST_F(BitmapMovieTest, SwfParserReadsEveryBitmapTag) {
  REQUIRE_CHECKER(testing::MissingSwfParser());
  auto movie = buildMovie();
  auto script = dir_ / "summary.mjs";
  std::ofstream(script) << R"JS(
import { checkSwfFile, tagName } from ")JS"
                        << TESMIRO_TEST_JS_DIR << R"JS(/check_swf.mjs";
const { ok, problems, movie } = checkSwfFile(process.argv[2]);
for (const p of problems) console.log("problem: " + p);
for (const t of movie ? movie.tags : []) {
  if (tagName(t) === "DefineBitmap") console.log(`bitmap ${t.id} ${t.width} ${t.height} ${t.mediaType}`);
  if (tagName(t) === "DefineShape") console.log(`shape ${t.id} ${t.bounds.xMax} ${t.bounds.yMax}`);
}
process.exit(ok ? 0 : 1);
)JS";
  auto log = dir_ / "summary.log";
  int rc = std::system(("node " + script.string() + " " + movie.string() + " > " + log.string() + " 2>&1").c_str());
  std::string out = ReadText(log);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_EQ(out,
            "bitmap 1 16 12 image/x-swf-lossless2\nshape 2 320 240\n"
            "bitmap 3 16 12 image/jpeg\nshape 4 320 240\n"
            "bitmap 5 16 12 image/x-swf-jpeg3\nshape 6 320 240\n"
            "bitmap 7 16 12 image/x-swf-lossless2\nshape 8 320 240\n"
            "bitmap 9 16 12 image/x-swf-lossless2\nshape 10 320 240\n");
}

bool ReadPng(const std::filesystem::path& path, Bytes& rgb, int& w, int& h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  w = static_cast<int>(image.width), h = static_cast<int>(image.height);
  return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

TEST_F(BitmapMovieTest, RuffleShowsEachBitmapInItsPlace) {
  REQUIRE_CHECKER(testing::MissingRuffle());
  auto movie = buildMovie();
  auto shot = dir_ / "bitmaps.png";
  std::string command = "node " + std::string(TESMIRO_TEST_JS_DIR) + "/render_swf.mjs " + movie.string() +
                        " --frames 2 --screenshot " + shot.string() + " > " + (dir_ / "render.log").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(dir_ / "render.log");
  Bytes rgb;
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPng(shot, rgb, w, h));
  ASSERT_EQ(w, kStageW);
  ASSERT_EQ(h, kStageH);
  auto at = [&](int x, int y) {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };

  // Outside every picture: the background.
  EXPECT_EQ(at(2, 2), (std::array<int, 3>{0, 0, 255}));

  // Lossless: every pixel exactly.
  int wrong = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint32_t c = Pattern(x, y);
      wrong += at(Left(0) + x, kTop + y) != std::array<int, 3>{int(c >> 16), int((c >> 8) & 255), int(c & 255)};
    }
  EXPECT_EQ(wrong, 0);

  // JPEG: close to the source.
  double sum = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint32_t c = Pattern(x, y);
      auto p = at(Left(1) + x, kTop + y);
      int expected[3] = {int(c >> 16), int((c >> 8) & 255), int(c & 255)};
      for (int i = 0; i < 3; ++i) sum += (p[i] - expected[i]) * (p[i] - expected[i]);
    }
  double psnr = 10 * std::log10(255.0 * 255.0 / std::max(sum / (kW * kH * 3), 1e-9));
  EXPECT_GT(psnr, 28.0);

  // JPEG with alpha: opaque white left half, background through the right.
  auto opaque = at(Left(2) + 3, kTop + 6), clear = at(Left(2) + 12, kTop + 6);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(opaque[i], 255, 6);
  EXPECT_NEAR(clear[0], 0, 6);
  EXPECT_NEAR(clear[2], 255, 6);

  // Half-transparent red over blue.
  auto mixed = at(Left(3) + 8, kTop + 6);
  EXPECT_NEAR(mixed[0], 128, 4);
  EXPECT_NEAR(mixed[1], 0, 4);
  EXPECT_NEAR(mixed[2], 127, 4);

  // Key colour: the magenta columns show the background, the rest is green.
  EXPECT_EQ(at(Left(4) + 1, kTop + 6), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(at(Left(4) + 10, kTop + 6), (std::array<int, 3>{0, 255, 0}));
}

}  // namespace
}  // namespace tesmiro
