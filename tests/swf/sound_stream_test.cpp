#include <gtest/gtest.h>

#include "support/writer_messages.h"
#include "swf/sound_stream.h"
#include "swf/sound_test_files.h"
#include "swf/swf_test_util.h"

namespace tesmiro::SWFMakeCore {
namespace {

using namespace testing::sound;
using testing::Hex;

const Mpeg kCD{3, 9, 0, false, false};  // MPEG-1, 128 kbit/s, 44.1 kHz, stereo

class SoundStreamTest : public testing::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    ClearMP3StreamState();
    StartMovie(6);
  }
  void TearDown() override {
    ClearMP3StreamState();
    WriterTest::TearDown();
  }
  // The current frame's buffer after moving on to the next frame.
  Bytes Advance() {
    NextFrame();
    return OutputBuffer();
  }
  static uint16_t U16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
  static uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16); }
};

TEST_F(SoundStreamTest, HeadAndBlocksCarrySamplesForward) {
  MP3Stream().data = MpegFrames(kCD, 20);
  ASSERT_TRUE(StartMP3Stream(12.0f, "s.mp3"));
  // 44 kHz 16-bit stereo; round(44100 / 12) = 3675 samples per frame.
  EXPECT_EQ(testing::OutHex(), "86 04 0F 2F 5B 0E 00 00");

  const Bytes first = Advance();
  ASSERT_GE(first.size(), 10u);
  EXPECT_EQ(U16(first, 0), 0x04FF);
  EXPECT_EQ(U32(first, 2), first.size() - 6);
  EXPECT_EQ(U16(first, 6), 3456);  // three MP3 frames
  EXPECT_EQ(U16(first, 8), 0);
  EXPECT_EQ(first.size(), 10u + 3 * 417);
  EXPECT_EQ(MP3Stream().carry, 219);

  const Bytes second = Advance();
  EXPECT_EQ(U16(second, 6), 3456);
  EXPECT_EQ(U16(second, 8), 219);
  // The frames follow on from where the first block stopped.
  EXPECT_EQ(Bytes(second.begin() + 10, second.begin() + 10 + 417), MpegFrame(kCD, 0x13));
  EXPECT_EQ(MP3Stream().carry, 438);
}

TEST_F(SoundStreamTest, StreamEndsWithTheBlockThatRunsOut) {
  MP3Stream().data = MpegFrames(kCD, 5);
  ASSERT_TRUE(StartMP3Stream(12.0f, "s.mp3"));
  Advance();
  const Bytes last = Advance();
  EXPECT_EQ(U16(last, 6), 2 * 1152);  // the two frames that were left
  EXPECT_EQ(last.size(), 10u + 2 * 417);
  EXPECT_EQ(MP3Stream().readIndex, -1);
  EXPECT_TRUE(Advance().empty());
}

TEST_F(SoundStreamTest, BlocksWithoutFramesAndVaryingBitRates) {
  // MPEG-2.5 at 8 kHz and 30 frames per second: 267 samples per movie frame,
  // so the first two blocks carry no MP3 frame.
  const Mpeg slow{0, 1, 2, false, true};
  WriteSWFHeader(6, 320, 320, 30.0f);  // NextFrame writes blocks at the movie's rate
  MP3Stream().data = MpegFrames(slow, 4);
  ASSERT_TRUE(StartMP3Stream(30.0f, "s.mp3"));
  OutputBuffer().clear();
  EXPECT_EQ(Hex(Advance()), "FF 04 04 00 00 00 00 00 00 00");
  EXPECT_EQ(Hex(Advance()), "FF 04 04 00 00 00 00 00 00 00");
  const Bytes third = Advance();
  EXPECT_EQ(U16(third, 6), 576);
  EXPECT_EQ(U16(third, 8), 534);

  // Each frame's own header decides its length.
  ClearMP3StreamState();
  WriteSWFHeader(6, 320, 320, 12.0f);
  Bytes mixed;
  Put(mixed, MpegFrame({3, 9, 0, false, false}, 0x31));
  Put(mixed, MpegFrame({3, 14, 0, true, false}, 0x32));
  Put(mixed, MpegFrame({3, 5, 0, false, false}, 0x33));
  Put(mixed, MpegFrames(kCD, 3));
  MP3Stream().data = mixed;
  ASSERT_TRUE(StartMP3Stream(12.0f, "vbr.mp3"));
  const Bytes block = Advance();
  EXPECT_EQ(block.size(), 10u + 417 + 1045 + 208);
  EXPECT_EQ(block.back(), 0x33);
}

TEST_F(SoundStreamTest, UnusableStreamsWarnAndStopTheRunningOne) {
  MP3Stream().data = MpegFrames(kCD, 4);
  ASSERT_TRUE(StartMP3Stream(12.0f, "ok.mp3"));
  OutputBuffer().clear();

  MP3Stream().data = Wave(1, 22050, 16, {1, 2, 3, 4});
  EXPECT_FALSE(StartMP3Stream(12.0f, "w.wav"));
  EXPECT_EQ(MP3Stream().readIndex, -1);
  MP3Stream().data = {'n', 'o', 'p', 'e'};
  EXPECT_FALSE(StartMP3Stream(12.0f, "x.mp3"));
  MP3Stream().data = {};
  EXPECT_FALSE(StartMP3Stream(12.0f, "empty.mp3"));
  // A frame rate so low that a block's sample count would not fit 16 bits.
  MP3Stream().data = MpegFrames(kCD, 4);
  EXPECT_FALSE(StartMP3Stream(0.5f, "slow.mp3"));
  EXPECT_FALSE(StartMP3Stream(0.0f, "zero.mp3"));

  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_TRUE(Advance().empty());
  const std::vector<std::string> warnings = testing::WriterMessages();
  ASSERT_EQ(warnings.size(), 5u);
  EXPECT_EQ(warnings[0],
            "ファイル [w.wav] はストリーミング再生できません。\r\nファイルを無視して続行します。");
  EXPECT_EQ(warnings[1],
            "ファイル [x.mp3] は不正なサウンドファイルです。\r\nファイルを無視して続行します。");
  // A good MP3 is not called invalid for the movie's frame rate.
  EXPECT_EQ(warnings[3],
            "ファイル [slow.mp3] はフレームレート 0.5 のムービーではストリーミング再生できません。\r\n"
            "ファイルを無視して続行します。");
  EXPECT_EQ(warnings[4],
            "ファイル [zero.mp3] はフレームレート 0 のムービーではストリーミング再生できません。\r\n"
            "ファイルを無視して続行します。");
}

TEST_F(SoundStreamTest, ResetEndsTheStreamAndSkipMovesItOn) {
  MP3Stream().data = MpegFrames(kCD, 10);
  ASSERT_TRUE(StartMP3Stream(12.0f, "s.mp3"));
  ResetSoundStream();
  EXPECT_TRUE(Advance().empty());

  // A skip counts its frames from the start of the movie: blocks resume
  // after frame n.
  ClearMP3StreamState();
  StartMovie(6);
  MP3Stream().data = MpegFrames(kCD, 10);
  ASSERT_TRUE(StartMP3Stream(12.0f, "s.mp3"));
  SkipMP3Stream(12.0f, 2);
  EXPECT_EQ(MP3Stream().readIndex, 6 * 417);
  EXPECT_EQ(MP3Stream().carry, 438);
  EXPECT_EQ(MP3Stream().lastBlockFrame, 2);
  EXPECT_TRUE(Advance().empty());
  EXPECT_TRUE(Advance().empty());
  const Bytes block = Advance();
  EXPECT_EQ(U16(block, 8), 438);
  EXPECT_EQ(block[10 + 4], 0x16);  // the seventh MP3 frame's fill

  SkipMP3Stream(12.0f, 5);  // runs out of data
  EXPECT_EQ(MP3Stream().readIndex, -1);
}

TEST_F(SoundStreamTest, SilentStream) {
  WriteSilentStreamHead(12.0f);
  EXPECT_EQ(testing::OutHex(), "84 04 02 12 CB 01");
  OutputBuffer().clear();
  WriteSilentStreamBlock(12.0f);
  const Bytes block = OutputBuffer();
  ASSERT_EQ(block.size(), 6u + 291);
  EXPECT_EQ(Hex(Bytes(block.begin(), block.begin() + 14)), "FF 04 23 01 00 00 C0 00 00 08 42 10 84 21");
  EXPECT_EQ(block.back(), 0x10);  // data byte 287: entry 287 % 5 of the pattern

  // Frames that exist already keep what they have; a running MP3 stream is
  // the synchronising sound itself.
  OutputBuffer().clear();
  NextFrame();
  NextFrame();
  GoFrame(-1);
  OutputBuffer().clear();
  WriteSilentStreamBlock(12.0f);
  EXPECT_TRUE(OutputBuffer().empty());
  GoFrame(1);
  MP3Stream().data = MpegFrames(kCD, 4);
  ASSERT_TRUE(StartMP3Stream(12.0f, "s.mp3"));
  OutputBuffer().clear();
  WriteSilentStreamBlock(12.0f);
  EXPECT_TRUE(OutputBuffer().empty());
  ResetSoundStream();
  WriteSilentStreamBlock(12.0f);
  EXPECT_EQ(OutputBuffer().size(), 6u + 291);
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
