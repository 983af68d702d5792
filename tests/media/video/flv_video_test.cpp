#include <gtest/gtest.h>

#include <random>

#include "media/video/flv_video.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "support/writer_messages.h"
#include "swf/sound_stream.h"
#include "swf/sound_test_files.h"
#include "swf/swf_test_util.h"

namespace tesmiro::SWFMakeCore {
namespace {

using namespace testing::sound;
using testing::Hex;

class FlvVideoTest : public testing::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    ClearMP3StreamState();
    FLVRead() = {};
    StartMovie(6);
  }
  void TearDown() override {
    ClearMP3StreamState();
    WriterTest::TearDown();
  }
  std::string Save(const std::string& name, const Bytes& bytes) {
    const auto path = dir / name;
    EXPECT_TRUE(fileio::WriteAtomic(path, bytes));
    return path.string();
  }
  // The VideoFrame tags of frames 0..n-1, each in its own buffer.
  std::vector<Bytes> Frames(int32_t id, int n, const std::string& path) {
    std::vector<Bytes> out;
    for (int f = 0; f < n; ++f) {
      OutputBuffer().clear();
      WriteVideoFrame(id, f, path);
      out.push_back(OutputBuffer());
    }
    return out;
  }
  // H.263 pictures go without the FLV header byte, Screen Video with it.
  static Bytes VideoFrameTag(int32_t id, int32_t frame, const Bytes& packet, bool keepHeaderByte = false) {
    const size_t skip = keepHeaderByte ? 0 : 1;
    Bytes t{0x7F, 0x0F};
    Le32(t, static_cast<uint32_t>(4 + packet.size() - skip));
    Le16(t, id);
    Le16(t, frame);
    t.insert(t.end(), packet.begin() + static_cast<std::ptrdiff_t>(skip), packet.end());
    return t;
  }
  testing::TempDir dir;
};

TEST_F(FlvVideoTest, DefineVideoStreamFields) {
  const std::string h263 = Save("a.flv", Flv(1, {{9, 0, H263Packet(true, 5, 1)}}));
  ASSERT_TRUE(WriteDefineVideoStream(12, 24, h263, 1, true));
  EXPECT_EQ(testing::OutHex(), "0A 0F 0C 00 18 00 40 01 F0 00 00 02");

  OutputBuffer().clear();
  const std::string screen = Save("s.flv", Flv(1, {{9, 0, ScreenPacket(true, 500, 260, 1)}}));
  ASSERT_TRUE(WriteDefineVideoStream(3, 70000, screen, 1, true));
  // The frame count is a 16-bit field.
  EXPECT_EQ(testing::OutHex(), "0A 0F 03 00 FF FF F4 01 04 01 00 03");
  EXPECT_TRUE(testing::WriterMessages().empty());
}

TEST_F(FlvVideoTest, OneVideoFramePerPacketUntilTheFileEnds) {
  std::vector<FlvTag> tags;
  std::vector<Bytes> packets;
  for (int i = 0; i < 20; ++i) {
    packets.push_back(H263Packet(i % 10 == 0, 5, static_cast<uint8_t>(i)));
    tags.push_back({9, static_cast<uint32_t>(i * 100), packets.back()});
    tags.push_back({18, static_cast<uint32_t>(i * 100), Bytes(5, 0x42)});  // script data between
  }
  const std::string path = Save("v.flv", Flv(1, tags));
  ASSERT_TRUE(WriteDefineVideoStream(4, 30, path, 1, false));
  const auto frames = Frames(4, 30, path);
  for (int f = 0; f < 20; ++f) EXPECT_EQ(frames[f], VideoFrameTag(4, f, packets[f])) << f;
  for (int f = 20; f < 30; ++f) EXPECT_TRUE(frames[f].empty()) << f;

  // A later start frame begins with that packet.
  OutputBuffer().clear();
  ASSERT_TRUE(WriteDefineVideoStream(4, 3, path, 11, false));
  const auto later = Frames(4, 3, path);
  EXPECT_EQ(later[0], VideoFrameTag(4, 0, packets[10]));
  EXPECT_EQ(later[2], VideoFrameTag(4, 2, packets[12]));
}

TEST_F(FlvVideoTest, ScreenVideoKeepsItsKeyFrameByte) {
  const Bytes key = ScreenPacket(true, 64, 48, 7), inter = ScreenPacket(false, 64, 48, 8);
  const std::string path = Save("sv.flv", Flv(1, {{9, 0, key}, {9, 100, inter}}));
  ASSERT_TRUE(WriteDefineVideoStream(9, 2, path, 1, false));
  EXPECT_EQ(OutputBuffer().back(), 3);  // codec
  const auto frames = Frames(9, 2, path);
  EXPECT_EQ(frames[0], VideoFrameTag(9, 0, key, true));
  EXPECT_EQ(frames[1], VideoFrameTag(9, 1, inter, true));
}

TEST_F(FlvVideoTest, Mp3AudioBecomesTheStream) {
  const Mpeg m{3, 9, 0, false, false};
  std::vector<FlvTag> tags;
  Bytes expected;
  for (int i = 0; i < 6; ++i) {
    tags.push_back({9, static_cast<uint32_t>(i * 83), H263Packet(i == 0, 5, static_cast<uint8_t>(i))});
    const Bytes frames = MpegFrames(m, 1);
    tags.push_back({8, static_cast<uint32_t>(i * 83), AudioPacket(2, frames)});
    if (i >= 2) Put(expected, frames);  // audio gathering starts with the start frame
  }
  const std::string path = Save("av.flv", Flv(5, tags));
  ASSERT_TRUE(WriteDefineVideoStream(6, 4, path, 3, true));
  const Bytes& out = OutputBuffer();
  ASSERT_EQ(out.size(), 12u + 8u);
  EXPECT_EQ(Hex(Bytes(out.begin() + 12, out.end())), "86 04 0F 2F 5B 0E 00 00");
  EXPECT_EQ(MP3Stream().data, expected);
  EXPECT_EQ(MP3Stream().readIndex, 0);

  // Without sound wanted, neither head nor gathered audio.
  ClearMP3StreamState();
  OutputBuffer().clear();
  ASSERT_TRUE(WriteDefineVideoStream(6, 4, path, 1, false));
  EXPECT_EQ(OutputBuffer().size(), 12u);
  EXPECT_TRUE(MP3Stream().data.empty());
  EXPECT_EQ(MP3Stream().readIndex, -1);
}

TEST_F(FlvVideoTest, NonMp3AudioLeavesTheVideoSilent) {
  const std::string path = Save("adpcm.flv", Flv(5, {{9, 0, H263Packet(true, 5, 0)}, {8, 0, AudioPacket(1, Bytes(20, 3))}}));
  ASSERT_TRUE(WriteDefineVideoStream(2, 1, path, 1, true));
  EXPECT_EQ(OutputBuffer().size(), 12u);
  EXPECT_EQ(MP3Stream().readIndex, -1);

  // MP3-tagged audio that holds no MP3 frame: the stream's warning, no sound.
  OutputBuffer().clear();
  const std::string junk = Save("junk.flv", Flv(5, {{9, 0, H263Packet(true, 5, 0)}, {8, 0, AudioPacket(2, Bytes(20, 3))}}));
  ASSERT_TRUE(WriteDefineVideoStream(2, 1, junk, 1, true));
  EXPECT_EQ(OutputBuffer().size(), 12u);
  ASSERT_EQ(testing::WriterMessages().size(), 1u);
  EXPECT_NE(testing::WriterMessages()[0].find("不正なサウンドファイル"), std::string::npos);
}

TEST_F(FlvVideoTest, Swf4AndFilesThatAreNoVideo) {
  const std::string path = Save("v.flv", Flv(1, {{9, 0, H263Packet(true, 5, 0)}}));
  StartMovie(4);
  EXPECT_FALSE(WriteDefineVideoStream(2, 1, path, 1, true));
  WriteVideoFrame(2, 0, path);
  EXPECT_TRUE(OutputBuffer().empty());
  ASSERT_EQ(testing::WriterMessages().size(), 1u);
  EXPECT_EQ(testing::WriterMessages()[0], "SWF4ではFLVビデオは使用できません。");

  StartMovie(6);
  const std::string notFlv = Save("n.flv", Bytes{'F', 'L', 'X', 1, 1, 0, 0, 0, 9});
  EXPECT_FALSE(WriteDefineVideoStream(2, 1, notFlv, 1, true));
  EXPECT_FALSE(WriteDefineVideoStream(2, 1, (dir / "missing.flv").string(), 1, true));
  WriteVideoFrame(2, 0, notFlv);
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_EQ(testing::WriterMessages().size(), 1u);
}

TEST_F(FlvVideoTest, FrameNumbersBeyond16BitsStopTheVideo) {
  const std::string path = Save("v.flv", Flv(1, {{9, 0, H263Packet(true, 5, 0)}, {9, 1, H263Packet(false, 5, 1)}}));
  ASSERT_TRUE(WriteDefineVideoStream(2, 1, path, 1, true));
  OutputBuffer().clear();
  WriteVideoFrame(2, 65536, path);
  EXPECT_TRUE(OutputBuffer().empty());
  ASSERT_EQ(testing::WriterMessages().size(), 1u);
  WriteVideoFrame(2, 65537, path);
  EXPECT_EQ(testing::WriterMessages().size(), 1u);  // one warning; the video has stopped
  EXPECT_EQ(FLVRead().videoDataSize, 0);
}

TEST_F(FlvVideoTest, TruncatedAndDamagedFiles) {
  std::vector<FlvTag> tags;
  for (int i = 0; i < 8; ++i) {
    tags.push_back({9, static_cast<uint32_t>(i * 100), H263Packet(i == 0, 5, static_cast<uint8_t>(i))});
    tags.push_back({8, static_cast<uint32_t>(i * 100), AudioPacket(2, MpegFrames({}, 1))});
  }
  const Bytes whole = Flv(5, tags);
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    Bytes b = whole;
    if (round % 2) {
      b.resize(9 + rng() % (b.size() - 9));
    } else {
      for (int k = 0; k < 4; ++k) b[9 + rng() % (b.size() - 9)] = static_cast<uint8_t>(rng());
    }
    const std::string path = Save("d.flv", b);
    ClearMP3StreamState();
    StartMovie(6);
    WriteDefineVideoStream(2, 10, path, 1 + static_cast<int32_t>(rng() % 4), true);
    for (const Bytes& f : Frames(2, 10, path)) EXPECT_LE(f.size(), b.size());
    for (int k = 0; k < 20; ++k) NextFrame();
  }
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
