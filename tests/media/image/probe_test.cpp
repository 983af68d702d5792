// File probing: kinds, sizes and depths of images and videos, and the FLV
// walks, against files the tests write themselves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "image_fixtures.h"
#include "media/image/get_image.h"
#include "support/checkers.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

using GetImage::ImageInfo;
using image_test::Bytes;

class ProbeTest : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, const Bytes& bytes) {
    auto path = dir_ / name;
    image_test::WriteFile(path, bytes);
    return path;
  }
  testing::TempDir dir_;
};

Bytes Bmp24(int width, int height) {
  image_test::BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.pixelData = Bytes(static_cast<size_t>(((width * 3 + 3) & ~3) * (height < 0 ? -height : height)), 0);
  return image_test::MakeBmp(layout);
}

Bytes PngHeaderOnly(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
  image_test::PngLayout layout;
  layout.width = width;
  layout.height = height;
  layout.depth = depth;
  layout.colourType = colourType;
  layout.rows.assign(height, Bytes(width * 8, 0));
  if (colourType == 3) layout.palette = Bytes(6, 0);
  return image_test::MakePng(layout);
}

TEST_F(ProbeTest, MissingShortAndFolderPathsGiveTheZeroRecord) {
  auto tiny = write("tiny.png", {0x89});
  auto empty = write("empty.bmp", {});
  for (int mode = 0; mode <= 8; ++mode) {
    EXPECT_EQ(GetImage::GetImageInfo(tiny, mode), ImageInfo{}) << mode;
    EXPECT_EQ(GetImage::GetImageInfo(empty, mode), ImageInfo{}) << mode;
    EXPECT_EQ(GetImage::GetImageInfo(dir_.path(), mode), ImageInfo{}) << mode;
    EXPECT_EQ(GetImage::GetImageInfo(dir_ / "missing.gif", mode), ImageInfo{}) << mode;
  }
  EXPECT_FALSE(GetImage::FileExists(""));
  EXPECT_FALSE(GetImage::FileExists(tiny));
  EXPECT_TRUE(GetImage::FileExists(write("two", {1, 2})));
}

TEST_F(ProbeTest, DetectionModesPickTheReaderWhoseSignatureDecides) {
  Bytes gif = image_test::MakeGif(
      {.screenWidth = 7, .screenHeight = 5, .globalPalette = {0, 0xFFFFFF}, .width = 1, .height = 1, .indices = {0}});
  auto upper = write("PIC.GIF", gif);
  EXPECT_EQ(GetImage::GetImageInfo(upper, GetImage::kByExtension), (ImageInfo{2, 7, 5, 1}));
  EXPECT_EQ(GetImage::GetImageInfo(upper, GetImage::kByContent), (ImageInfo{2, 7, 5, 1}));
  EXPECT_EQ(GetImage::GetImageInfo(upper, GetImage::kGIF), (ImageInfo{2, 7, 5, 1}));
  EXPECT_EQ(GetImage::GetImageInfo(upper, GetImage::kBMP), ImageInfo{});
  EXPECT_EQ(GetImage::GetImageInfo(upper, 9), ImageInfo{});

  Bytes fake = gif;
  fake[1] = 'A';
  auto wrong = write("wrong.gif", fake);
  EXPECT_EQ(GetImage::GetImageInfo(wrong, GetImage::kByExtension), ImageInfo{});
  EXPECT_EQ(GetImage::GetImageInfo(wrong, GetImage::kByContent), ImageInfo{});

  // Content wins over a misleading extension in mode 0; the extension rules
  // in mode 7, where ".jpeg" counts too.
  auto bmpNamedJpeg = write("a.jpeg", Bmp24(3, 2));
  EXPECT_EQ(GetImage::GetImageInfo(bmpNamedJpeg, GetImage::kByContent), (ImageInfo{1, 3, 2, 24}));
  EXPECT_EQ(GetImage::GetImageInfo(bmpNamedJpeg, GetImage::kByExtension), ImageInfo{});
  EXPECT_EQ(GetImage::GetImageInfo(write("noext", Bmp24(3, 2)), GetImage::kByExtension), ImageInfo{});
}

TEST_F(ProbeTest, BmpSizesIncludingTopDownAndCoreHeaders) {
  EXPECT_EQ(GetImage::ReadBMPInfo(write("a.bmp", Bmp24(5, 3))), (ImageInfo{1, 5, 3, 24}));
  EXPECT_EQ(GetImage::ReadBMPInfo(write("td.bmp", Bmp24(5, -3))), (ImageInfo{1, 5, 3, 24}));

  image_test::BmpLayout core{.width = 9, .height = 4, .bits = 8, .headerSize = 12, .palette = {0, 0xFFFFFF}};
  core.pixelData = Bytes(12 * 4, 0);
  EXPECT_EQ(GetImage::ReadBMPInfo(write("core.bmp", image_test::MakeBmp(core))), (ImageInfo{1, 9, 4, 8}));

  Bytes negativeWidth = Bmp24(5, 3);
  negativeWidth[21] = 0xFF;  // width's top byte: a negative width
  EXPECT_EQ(GetImage::ReadBMPInfo(write("nw.bmp", negativeWidth)), ImageInfo{});
  Bytes whole = Bmp24(5, 3);
  EXPECT_EQ(GetImage::ReadBMPInfo(write("cut.bmp", Bytes(whole.begin(), whole.begin() + 25))), ImageInfo{});
}

TEST_F(ProbeTest, GifAndPngDepths) {
  Bytes gif = image_test::MakeGif(
      {.screenWidth = 300, .screenHeight = 2, .globalPalette = {0, 1, 2, 3}, .width = 1, .height = 1, .indices = {0}});
  gif[10] = 0x82;  // global table of 8 entries: 3 bits
  EXPECT_EQ(GetImage::ProbeGIF(gif), (ImageInfo{2, 300, 2, 3}));
  EXPECT_EQ(GetImage::ProbeGIF(Bytes(gif.begin(), gif.begin() + 10)), ImageInfo{});

  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 8, 6)), (ImageInfo{4, 3, 2, 0}));
  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 8, 2)), (ImageInfo{4, 3, 2, 24}));
  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 16, 2)), (ImageInfo{4, 3, 2, 48}));
  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 4, 3)), (ImageInfo{4, 3, 2, 4}));
  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 16, 0)), (ImageInfo{4, 3, 2, 16}));
  EXPECT_EQ(GetImage::ProbePNG(PngHeaderOnly(3, 2, 8, 4)), (ImageInfo{4, 3, 2, 0}));

  image_test::PngLayout interlaced{.width = 9, .height = 7, .depth = 8, .colourType = 2, .interlaced = true};
  interlaced.rows.assign(7, Bytes(27, 1));
  EXPECT_EQ(GetImage::ReadPNGInfo(write("i.png", image_test::MakePng(interlaced))), (ImageInfo{4, 9, 7, 24}));
}

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes out = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8), static_cast<uint8_t>(payload.size() + 2)};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
const Bytes kSoi = {0xFF, 0xD8};
const Bytes kFrame = {8, 0x01, 0x2C, 0x02, 0x80, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};  // 640 x 300
const Bytes kTail = {0xFF, 0xD9, 0, 0, 0, 0};

TEST_F(ProbeTest, JpegMarkerWalk) {
  Bytes app0 = Segment(0xE0, Bytes(14, 'J'));
  for (uint8_t sof : {0xC0, 0xC1, 0xC2, 0xC3, 0xC9, 0xCA, 0xCB}) {
    EXPECT_EQ(GetImage::ProbeJPEG(Join({kSoi, app0, Segment(sof, kFrame), kTail})), (ImageInfo{3, 640, 300, 24}))
        << int(sof);
  }
  // A table (C4) and the other frame markers are skipped by their length.
  EXPECT_EQ(GetImage::ProbeJPEG(
                Join({kSoi, Segment(0xC4, Bytes(30, 0)), Segment(0xC5, kFrame), Segment(0xC0, kFrame), kTail})),
            (ImageInfo{3, 640, 300, 24}));
  // Fill bytes before a marker and stand-alone markers carry no length.
  EXPECT_EQ(GetImage::ProbeJPEG(
                Join({kSoi, {0xFF, 0xFF, 0xFF}, app0, {0xFF, 0xD0, 0xFF, 0x01}, Segment(0xC0, kFrame), kTail})),
            (ImageInfo{3, 640, 300, 24}));

  EXPECT_EQ(GetImage::ProbeJPEG(Join({kSoi, Segment(0xDA, Bytes(10, 0)), Segment(0xC0, kFrame)})), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeJPEG(Join({kSoi, {0x12, 0x34}, Segment(0xC0, kFrame)})), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeJPEG(Join({kSoi, {0xFF, 0xE0, 0x00, 0x01}, Segment(0xC0, kFrame)})), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeJPEG(Join({kSoi, {0xFF, 0xE0, 0x7F, 0xFF}, Segment(0xC0, kFrame)})), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeJPEG(Join({{0xFF, 0xD9}, Segment(0xC0, kFrame)})), ImageInfo{});

  // Every cut of a good file: a frame header cut short is no frame header.
  Bytes good = Join({kSoi, app0, Segment(0xC0, kFrame)});
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_EQ(GetImage::ProbeJPEG(Bytes(good.begin(), good.begin() + static_cast<long>(n))), ImageInfo{}) << n;
  EXPECT_EQ(GetImage::ReadJPEGInfo(write("a.jpg", good)), (ImageInfo{3, 640, 300, 24}));
}

TEST_F(ProbeTest, KvgHeaderNumbers) {
  auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
  EXPECT_EQ(GetImage::ProbeKVG(text("KVG1.0\r\n320,240\r\n1,2,3")), (ImageInfo{5, 320, 240, 0}));
  EXPECT_EQ(GetImage::ProbeKVG(text("KVG\n 64\n48\n")), (ImageInfo{5, 64, 48, 0}));
  EXPECT_EQ(GetImage::ProbeKVG(text("KVG\r\n100")), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeKVG(text("KVG\r\nwide,high")), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeKVG(text("KV\r\n1,2")), ImageInfo{});
  EXPECT_EQ(GetImage::GetImageInfo(write("v.kvg", text("KVG\r\n10,20\r\n")), 0), (ImageInfo{5, 10, 20, 0}));
}

Bytes H263(uint8_t d4, uint8_t d5, uint8_t d6 = 0, uint8_t d7 = 0, uint8_t d8 = 0, uint8_t d9 = 0) {
  return {0x12, 0, 0, 0x84, d4, d5, d6, d7, d8, d9};
}

TEST_F(ProbeTest, FlvFirstVideoFrameSize) {
  using image_test::FlvTag;
  Bytes audio = {0x2F, 1, 2, 3};
  // Picture-size code 5 (d4 & 3 = 2, top bit of d5 set): 320 x 240.
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{8, 0, audio}, {9, 0, H263(2, 0x80)}})),
            (ImageInfo{6, 320, 240, 2}));
  // Code 0: 8-bit sizes. width = (d5 & 127) * 2 + d6 / 128, height = (d6 & 127) * 2 + d7 / 128.
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{9, 0, H263(0, 0x40, 0x81, 0x80)}})), (ImageInfo{6, 129, 3, 2}));
  // Code 1: 16-bit sizes, kept whole above 32,767.
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{9, 0, H263(0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80)}})),
            (ImageInfo{6, 65535, 65535, 2}));
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{9, 0, {0x13, 0x01, 0x40, 0x00, 0xF0}}})),
            (ImageInfo{6, 320, 240, 3}));
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{9, 0, {0x14, 0, 0, 0, 0}}})), ImageInfo{});
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{8, 0, audio}})), (ImageInfo{6, 0, 0, 0}));
  // A first video tag too short for the size it announces.
  EXPECT_EQ(GetImage::ProbeFLV(image_test::MakeFlv({{9, 0, {0x12, 0, 0, 0x84, 0}}})), ImageInfo{});

  Bytes good = image_test::MakeFlv({{8, 0, audio}, {9, 0, H263(2, 0x80)}});
  EXPECT_EQ(GetImage::ReadFLVInfo(write("v.flv", good)), (ImageInfo{6, 320, 240, 2}));
  for (size_t n = 0; n < good.size(); ++n) {
    ImageInfo info = GetImage::ProbeFLV(Bytes(good.begin(), good.begin() + static_cast<long>(n)));
    EXPECT_TRUE(info == ImageInfo{} || info == (ImageInfo{6, 0, 0, 0}) || info == (ImageInfo{6, 320, 240, 2})) << n;
  }
  // A hostile data size hops past the end instead of wrapping around.
  Bytes hostile = good;
  hostile[14] = hostile[15] = hostile[16] = 0xFF;
  EXPECT_EQ(GetImage::ProbeFLV(hostile), (ImageInfo{6, 0, 0, 0}));
}

TEST_F(ProbeTest, FlvDetailsAndCodecNames) {
  using image_test::FlvTag;
  Bytes flv = image_test::MakeFlv(
      {{9, 0, {0x12, 0}}, {8, 0, {0x2F}}, {9, 100, {0x22}}, {9, 200, {0x22}}, {8, 250, {0x5F}}, {9, 300, {0x22}}});
  auto read = GetImage::GetFLVDetails(write("d.flv", flv));
  ASSERT_TRUE(read);
  GetImage::FLVDetails details = *read;
  EXPECT_EQ(details.version, 1);
  EXPECT_EQ(details.typeFlags, 5);
  EXPECT_EQ(details.videoFrameCount, 4);
  EXPECT_FLOAT_EQ(details.frameRate, 10.0f);
  EXPECT_EQ(details.videoCodec, "H.263");
  EXPECT_EQ(details.audioCodec, "MP3");

  read = GetImage::GetFLVDetails(image_test::MakeFlv({{9, 0, {0x15}}, {8, 0, {0x5F}}, {9, 40, {0x25}}}));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->videoCodec, "On2 Vp6 /w α");
  EXPECT_EQ(read->audioCodec, "Nellymoser 8kHz");
  read = GetImage::GetFLVDetails(image_test::MakeFlv({{9, 0, {0x10}}, {8, 0, {0x3F}}}));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->videoCodec, "不明");
  EXPECT_EQ(read->audioCodec, "不明");

  const auto notFlv = GetImage::GetFLVDetails(write("x.flv", {'F', 'L', 'X', 1, 1, 0, 0, 0, 9}));
  EXPECT_FALSE(notFlv);
  EXPECT_NE(notFlv.message().find("x.flv"), std::string::npos);
  EXPECT_FALSE(GetImage::GetFLVDetails(dir_ / "none.flv"));
  // A file cut inside a tag header reports the tags before the cut.
  read = GetImage::GetFLVDetails(Bytes(flv.begin(), flv.end() - 12));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->videoFrameCount, 3);
}

TEST_F(ProbeTest, FindFlvKeyFrame) {
  std::vector<image_test::FlvTag> tags;
  for (int frame = 1; frame <= 30; ++frame) {
    bool key = frame == 1 || frame == 11 || frame == 21;
    Bytes data = H263(2, 0x80);
    data[0] = key ? 0x12 : 0x22;
    tags.push_back({9, static_cast<uint32_t>(frame * 40), data});
    if (frame % 5 == 0) tags.push_back({8, static_cast<uint32_t>(frame * 40), {0x2F}});
  }
  auto path = write("k.flv", image_test::MakeFlv(tags));
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 5, 1), 11);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 11, -1), 1);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 15, -1), 11);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 25, 1), 25);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 1, -1), 1);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(path, 15, 0), 15);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(dir_ / "none.flv", 7, 1), 7);
  EXPECT_EQ(GetImage::FindFLVKeyFrame(write("g.flv", {'G', 'I', 'F'}), 7, -1), 7);
}

// Where ImageMagick is installed, its reading of the same files agrees.
TEST_F(ProbeTest, SizesAgreeWithImageMagick) {
  REQUIRE_CHECKER(testing::MissingImageMagick());
  image_test::PngLayout png{.width = 9, .height = 7, .depth = 8, .colourType = 2, .interlaced = true};
  png.rows.assign(7, Bytes(27, 1));
  image_test::GifLayout gif{.screenWidth = 5,
                            .screenHeight = 3,
                            .globalPalette = {0, 0xFFFFFF},
                            .transparentIndex = 1,
                            .width = 5,
                            .height = 3,
                            .indices = Bytes(15, 1)};
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"up.bmp", Bmp24(7, 3)},
      {"down.bmp", Bmp24(7, -3)},
      {"i.png", image_test::MakePng(png)},
      {"t.gif", image_test::MakeGif(gif)},
      {"c.jpg", image_test::MakeJpeg(13, 11, [](int, int) -> uint32_t { return 0x336699; })}};
  for (const auto& [name, bytes] : files) {
    auto path = write(name, bytes);
    auto out = dir_ / (name + ".txt");
    ASSERT_EQ(
        std::system(("identify -format '%w %h' " + path.string() + " > " + out.string() + " 2>/dev/null").c_str()), 0)
        << name;
    std::ifstream in(out);
    int width = 0, height = 0;
    in >> width >> height;
    ImageInfo info = GetImage::GetImageInfo(path, GetImage::kByContent);
    EXPECT_EQ(info.width, width) << name;
    EXPECT_EQ(info.height, height) << name;
  }
}

}  // namespace
}  // namespace tesmiro
