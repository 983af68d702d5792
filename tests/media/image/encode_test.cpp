// The pixel buffer, JPEG encoding and saving, PNG saving, the 32-bit pixel
// arrays and the snapshot alpha rule.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "image_fixtures.h"
#include "media/image/dib_section.h"
#include "media/image/jpeg_library.h"
#include "media/image/mod_png.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

using image_test::Bytes;

image::Picture PictureOf(int32_t width, int32_t height, uint32_t (*colourAt)(int, int)) {
  image::Picture p = image::MakeOpaquePicture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t c = colourAt(x, y);
      uint8_t* px = &p.bgra[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      px[0] = uint8_t(c), px[1] = uint8_t(c >> 8), px[2] = uint8_t(c >> 16);
    }
  return p;
}

uint32_t Smooth(int x, int y) {
  return (uint32_t((x * 7) & 255) << 16) | (uint32_t((y * 5) & 255) << 8) | uint32_t(((x + y) * 3) & 255);
}

TEST(DibSection, RowsPaddingAndCopies) {
  cDIBSection dib;
  EXPECT_TRUE(dib.empty());
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  ASSERT_TRUE(dib.Create(1, 3));
  EXPECT_EQ(dib.BytesPerScanLine(), 4);
  ASSERT_TRUE(dib.Create(4, 2));
  EXPECT_EQ(dib.BytesPerScanLine(), 12);
  EXPECT_FALSE(dib.Create(0, 5));
  EXPECT_TRUE(dib.empty()) << "a failed Create leaves no bitmap behind";
  EXPECT_FALSE(dib.Create(70000, 1));

  image::Picture picture = PictureOf(3, 2, [](int x, int y) -> uint32_t { return uint32_t(0x10 * (y * 3 + x + 1)); });
  ASSERT_TRUE(dib.CreateFromPicture(picture));
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  const uint8_t* bits = dib.DIBSectionBitsPtr();
  EXPECT_EQ(Bytes(bits, bits + 24),
            (Bytes{0x10, 0, 0, 0x20, 0, 0, 0x30, 0, 0, 0, 0, 0, 0x40, 0, 0, 0x50, 0, 0, 0x60, 0, 0, 0, 0, 0}));

  // A copy from an offset of a larger source, clipped at both edges.
  image::Picture big = PictureOf(5, 5, [](int x, int y) -> uint32_t { return uint32_t(y * 5 + x); });
  ASSERT_TRUE(dib.Create(3, 2));
  dib.LoadPictureBlt(big, 3, 4);
  bits = dib.DIBSectionBitsPtr();
  EXPECT_EQ(bits[0], 23);
  EXPECT_EQ(bits[3], 24);
  EXPECT_EQ(bits[6], 0) << "outside the source";
  EXPECT_EQ(bits[12], 0);
  dib.LoadPictureBlt(big, -1, 0, 2, -1);
  EXPECT_EQ(bits[0], 23) << "left of the source: untouched";
  EXPECT_EQ(bits[3], 0);
  EXPECT_EQ(bits[12 + 3], 5);
  EXPECT_EQ(bits[6], 0) << "beyond the requested width";
}

double Psnr(const Bytes& a, const Bytes& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  double mse = sum / double(a.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(JpegEncoder, EncodesTheBufferFaithfully) {
  image::Picture picture = PictureOf(37, 23, Smooth);
  cDIBSection dib;
  ASSERT_TRUE(dib.CreateFromPicture(picture));
  auto high = mIntelJPEGLibrary::EncodeJPEG(dib, 95);
  auto low = mIntelJPEGLibrary::EncodeJPEG(dib, 5);
  ASSERT_TRUE(high.ok() && low.ok());
  EXPECT_LT(low.data.size(), high.data.size());
  ASSERT_GE(high.data.size(), 4u);
  EXPECT_EQ(high.data[0], 0xFF);
  EXPECT_EQ(high.data[1], 0xD8);
  EXPECT_EQ(high.data[2], 0xFF);
  EXPECT_EQ(high.data.end()[-2], 0xFF);
  EXPECT_EQ(high.data.end()[-1], 0xD9);

  int width = 0, height = 0;
  Bytes rgb;
  ASSERT_TRUE(image_test::ReadJpegRgb(high.data, width, height, rgb));
  EXPECT_EQ(width, 37);
  EXPECT_EQ(height, 23);
  Bytes expected;
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      uint32_t c = Smooth(x, y);
      expected.insert(expected.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  EXPECT_GT(Psnr(rgb, expected), 30.0);
  // Out-of-range qualities are clamped rather than handed on.
  EXPECT_EQ(mIntelJPEGLibrary::EncodeJPEG(dib, 500).data, mIntelJPEGLibrary::EncodeJPEG(dib, 100).data);
}

TEST(JpegEncoder, FailureIsTheTypedError26001) {
  cDIBSection empty;
  auto result = mIntelJPEGLibrary::EncodeJPEG(empty, 80);
  ASSERT_FALSE(result.ok());
  EXPECT_TRUE(result.data.empty());
  EXPECT_EQ(result.error->number, 26001);
  EXPECT_EQ(result.error->source, "Tesmiro.mIntelJPEGLibrary");
  // The user reads the reason after the file's name: Japanese, no file.
  EXPECT_EQ(result.error->description, "画像が空です");

  testing::TempDir dir;
  auto status = mIntelJPEGLibrary::SaveJPG(empty, dir / "x.jpg", 80);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error->number, 26001);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.jpg"));
  // A file that cannot be written gives the write's reason alone.
  cDIBSection dib;
  ASSERT_TRUE(dib.CreateFromPicture(PictureOf(8, 8, Smooth)));
  status = mIntelJPEGLibrary::SaveJPG(dib, dir / "no-such-folder" / "x.jpg", 80);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error->description, "フォルダがありません");
}

TEST(JpegEncoder, SaveJpgReplacesAtomicallyKeepingModeAndTimes) {
  testing::TempDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.CreateFromPicture(PictureOf(8, 8, Smooth)));

  auto fresh = dir / "new.jpg";
  ASSERT_TRUE(mIntelJPEGLibrary::SaveJPG(dib, fresh, 90).ok());
  Bytes written = image_test::ReadFile(fresh);
  EXPECT_EQ(written, mIntelJPEGLibrary::EncodeJPEG(dib, 90).data);

  auto old = dir / "old.jpg";
  image_test::WriteFile(old, {'o', 'l', 'd'});
  ASSERT_EQ(::chmod(old.c_str(), 0600), 0);
  const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
  ASSERT_TRUE(mIntelJPEGLibrary::SaveJPG(dib, old, 90).ok());
  struct stat after {};
  ASSERT_EQ(::stat(old.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  EXPECT_EQ(after.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(after.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(image_test::ReadFile(old), written);

  auto status = mIntelJPEGLibrary::SaveJPG(dib, dir / "no" / "such" / "folder.jpg", 90);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error->number, 26001);
  // No temporary files are left behind.
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

TEST(PngWriter, WritesTopRowFirstWithAlpha) {
  testing::TempDir dir;
  // 2 x 2, blue green red alpha.
  Bytes pixels = {0, 0, 255, 255, 0, 255, 0, 128, 255, 0, 0, 0, 10, 20, 30, 40};
  EXPECT_FALSE(ModPNG::SavePNG(pixels, 2, 2, ""));
  EXPECT_FALSE(ModPNG::SavePNG(pixels, 2, 3, dir / "short.png")) << "fewer bytes than the size needs";
  EXPECT_FALSE(std::filesystem::exists(dir / "short.png"));

  for (int32_t height : {2, -2}) {
    auto path = dir / ("p" + std::to_string(height) + ".png");
    ASSERT_TRUE(ModPNG::SavePNG(pixels, 2, height, path));
    image_test::Rgba rgba;
    ASSERT_TRUE(image_test::ReadPngRgba(image_test::ReadFile(path), rgba));
    EXPECT_EQ(rgba.width, 2u);
    EXPECT_EQ(rgba.height, 2u);
    EXPECT_EQ(rgba.pixels, (Bytes{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 30, 20, 10, 40}));
  }
  const Result<void> saved = ModPNG::SavePNG(pixels, 2, 2, dir / "missing" / "x.png");
  EXPECT_FALSE(saved);
  EXPECT_FALSE(saved.message().empty());
}

TEST(PixelArrays, PictureToDibBytesLayouts) {
  image::Picture picture =
      PictureOf(3, 2, [](int x, int y) -> uint32_t { return uint32_t(0x010203 * (y * 3 + x + 1)); });
  Bytes pixels;
  ModPNG::BitmapInfoHeader header;
  ASSERT_TRUE(ModPNG::PictureToDIBBytes(picture, pixels, header, 32));
  EXPECT_EQ(pixels.size(), 25u) << "indices 0 to row size x height";
  EXPECT_EQ(header.width, 3);
  EXPECT_EQ(header.height, -2);
  EXPECT_EQ(header.bitCount, 32);
  EXPECT_EQ(pixels[12], 0x03 * 4) << "second row starts at byte 12 with the fourth pixel";
  EXPECT_EQ(pixels[14], 0x01 * 4);
  EXPECT_EQ(pixels[15], 255);

  ASSERT_TRUE(ModPNG::PictureToDIBBytes(picture, pixels, header, 0));
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(pixels.size(), 12u * 2 + 1);
  EXPECT_EQ(pixels[9], 0) << "row padding";
  EXPECT_EQ(pixels[12], 0x03 * 4);
  EXPECT_FALSE(ModPNG::PictureToDIBBytes(picture, pixels, header, 8));
}

TEST(PixelArrays, LoadPictureDibGivesTheDecodedSize) {
  testing::TempDir dir;
  // Top-down BMP: the header's height is negative.
  image_test::BmpLayout layout{.width = 2, .height = -3, .bits = 24};
  layout.pixelData = image_test::PadRows({{1, 1, 1, 2, 2, 2}, {3, 3, 3, 4, 4, 4}, {5, 5, 5, 6, 6, 6}});
  image_test::WriteFile(dir / "td.bmp", image_test::MakeBmp(layout));
  auto dib = ModPNG::LoadPictureDIB(dir / "td.bmp");
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->header.width, 2);
  EXPECT_EQ(dib->header.height, -3);
  EXPECT_EQ(dib->pixels[0], 1);
  EXPECT_EQ(dib->pixels[4 * 5], 6);
  EXPECT_FALSE(ModPNG::LoadPictureDIB(dir / "none.bmp"));
}

image::Picture Solid(std::initializer_list<uint32_t> colours) {
  image::Picture p = image::MakeOpaquePicture(static_cast<int32_t>(colours.size()), 1);
  size_t i = 0;
  for (uint32_t c : colours) {
    p.bgra[i] = uint8_t(c), p.bgra[i + 1] = uint8_t(c >> 8), p.bgra[i + 2] = uint8_t(c >> 16);
    i += 4;
  }
  return p;
}

TEST(Snapshot, AlphaFromTheTwoDrawings) {
  // Opaque red; half-covered red (over white 0xFF7F7F, over black 0x800000);
  // nothing drawn; noise where the black drawing is the brighter one; and a
  // channel whose difference would divide by zero.
  image::Picture white = Solid({0xFF0000, 0xFF7F7F, 0xFFFFFF, 0x101010, 0xFFFF10});
  image::Picture black = Solid({0xFF0000, 0x800000, 0x000000, 0x141414, 0x800010});
  Bytes out = ModPNG::SnapshotPixels(white, black);
  ASSERT_EQ(out.size(), 20u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(Bytes(out.begin() + 4, out.begin() + 8), (Bytes{0, 0, 255, 128}));
  EXPECT_EQ(Bytes(out.begin() + 8, out.begin() + 12), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Bytes(out.begin() + 12, out.begin() + 16), (Bytes{0x14, 0x14, 0x14, 255})) << "no real alpha: opaque";
  EXPECT_EQ(out[16 + 1], 0) << "zero divisor gives 0, not a fault";
  EXPECT_EQ(out[16 + 3], 128);
  EXPECT_TRUE(ModPNG::SnapshotPixels(white, Solid({0})).empty());
}

}  // namespace
}  // namespace tesmiro
