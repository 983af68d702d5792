#include <gtest/gtest.h>

#include "swf/sound_format.h"
#include "swf/sound_test_files.h"

namespace tesmiro::ID3Module {
namespace {

using namespace testing::sound;

struct MpegCase {
  Mpeg m;
  int32_t kind, bitRate, sampleRate;
  uint8_t stereo;
};

TEST(SoundFormat, MpegVersionsRatesAndChannels) {
  const MpegCase cases[] = {
      {{3, 9, 0, false, false}, kKindMPEG1, 128000, 44100, 1},
      {{3, 14, 1, false, true}, kKindMPEG1, 320000, 48000, 0},
      {{3, 1, 2, true, false}, kKindMPEG1, 32000, 32000, 1},
      {{2, 8, 0, false, true}, kKindMPEG2, 64000, 22050, 0},
      {{2, 1, 1, false, false}, kKindMPEG2, 8000, 24000, 1},
      {{2, 14, 2, false, false}, kKindMPEG2, 160000, 16000, 1},
      {{0, 4, 0, false, true}, kKindMPEG25, 32000, 11025, 0},
      {{0, 2, 1, false, false}, kKindMPEG25, 16000, 12000, 1},
      {{0, 1, 2, false, false}, kKindMPEG25, 8000, 8000, 1},
  };
  for (const auto& c : cases) {
    Bytes audio = MpegFrames(c.m, 2);
    const Bytes before = audio;
    SoundFormat f;
    ASSERT_TRUE(GetSoundFormat(audio, f)) << c.m.version << "/" << c.m.rateIndex;
    EXPECT_EQ(f.kind, c.kind);
    EXPECT_EQ(f.rateOrBits, c.bitRate);
    EXPECT_EQ(f.sampleRate, c.sampleRate);
    EXPECT_EQ(f.stereo, c.stereo);
    EXPECT_EQ(audio, before);  // MP3 bytes are left as they are
  }
}

TEST(SoundFormat, UnusableMpegHeaders) {
  SoundFormat f;
  // Reserved sample-rate index: no version may read a neighbouring row.
  for (int version : {0, 2, 3}) {
    Bytes audio = MpegHeader({version, 5, 3, false, false});
    EXPECT_FALSE(GetSoundFormat(audio, f)) << version;
  }
  // Reserved version bits: kind 1, never a success.
  Bytes reserved = MpegHeader({1, 5, 0, false, false});
  EXPECT_FALSE(GetSoundFormat(reserved, f));
  EXPECT_EQ(f.kind, 1);
  // Free and bad bit-rate indexes.
  for (int index : {0, 15}) {
    Bytes audio = MpegHeader({3, index, 0, false, false});
    EXPECT_FALSE(GetSoundFormat(audio, f));
  }
  // Layer II is not streamed by the player as MP3.
  Bytes layer2 = MpegHeader({3, 9, 0, false, false});
  layer2[1] = static_cast<uint8_t>((layer2[1] & ~6) | 4);
  EXPECT_FALSE(GetSoundFormat(layer2, f));
  // Junk before the first frame, and headers cut short.
  Bytes junk{0x00};
  Put(junk, MpegFrame({}));
  EXPECT_FALSE(GetSoundFormat(junk, f));
  for (size_t n = 0; n < 4; ++n) {
    Bytes cut = MpegHeader({});
    cut.resize(n);
    EXPECT_FALSE(GetSoundFormat(cut, f)) << n;
  }
}

TEST(SoundFormat, MobilePhoneFormatsByTheirSignature) {
  SoundFormat f;
  for (auto [sig, kind] : {std::pair{"MMMD", kKindSMAF}, {"melo", kKindMFi}, {"MThd", kKindSMF}}) {
    Bytes audio;
    Put(audio, sig);
    Put(audio, "\x00\x00\x00\x10rest");
    EXPECT_TRUE(GetSoundFormat(audio, f));
    EXPECT_EQ(f.kind, kind);
  }
  Bytes shortSig;
  Put(shortSig, "MMM");
  EXPECT_FALSE(GetSoundFormat(shortSig, f));
}

TEST(SoundFormat, WaveKeepsOnlyItsSamples) {
  const Bytes samples{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (bool oddList : {false, true}) {
    for (int bits : {8, 16}) {
      for (int channels : {1, 2}) {
        Bytes audio = Wave(channels, 22050, bits, samples, oddList);
        SoundFormat f;
        ASSERT_TRUE(GetSoundFormat(audio, f));
        EXPECT_EQ(f.kind, kKindWave);
        EXPECT_EQ(f.rateOrBits, bits);
        EXPECT_EQ(f.sampleRate, 22050);
        EXPECT_EQ(f.stereo, channels - 1);
        EXPECT_EQ(audio, samples) << "odd LIST " << oddList;
      }
    }
  }
}

TEST(SoundFormat, UnusableWaves) {
  SoundFormat f;
  Bytes deep = Wave(1, 44100, 24, {1, 2, 3});
  EXPECT_FALSE(GetSoundFormat(deep, f));
  EXPECT_EQ(f.kind, kKindWave);
  Bytes adpcm = Wave(1, 44100, 16, {1, 2}, false, 2);
  EXPECT_FALSE(GetSoundFormat(adpcm, f));
  Bytes surround = Wave(6, 44100, 16, {1, 2});
  EXPECT_FALSE(GetSoundFormat(surround, f));
  // A fmt chunk that claims more than the file holds.
  Bytes cut = Wave(1, 44100, 16, {1, 2});
  cut.resize(30);
  EXPECT_FALSE(GetSoundFormat(cut, f));
}

TEST(SoundFormat, RiffChunksHonourPadBytesAndBounds) {
  Bytes file;
  Put(file, "RIFF");
  Le32(file, 0);
  Put(file, "WAVE");
  Chunk(file, "odd ", {1, 2, 3});
  Chunk(file, "want", {9, 8});
  Bytes found = file;
  ASSERT_TRUE(FindRiffChunk(found, "want"));
  EXPECT_EQ(found, (Bytes{9, 8}));

  // A chunk whose size runs past the end stops the search.
  Bytes hostile = file;
  hostile[16] = 0xFF, hostile[17] = 0xFF, hostile[18] = 0xFF, hostile[19] = 0x7F;
  EXPECT_FALSE(FindRiffChunk(hostile, "want"));
  Bytes tiny{'R', 'I', 'F', 'F'};
  EXPECT_FALSE(FindRiffChunk(tiny, "fmt "));
  // A cut-off data chunk keeps the samples that are there.
  Bytes grown = file;
  grown.resize(grown.size() - 1);
  ASSERT_TRUE(FindRiffChunk(grown, "want"));
  EXPECT_EQ(grown, (Bytes{9}));
}

TEST(SoundFormat, NextMP3FrameWalksFramesWithPadding) {
  const Mpeg plain{3, 9, 0, false, false};
  Mpeg padded = plain;
  padded.padding = true;
  Bytes data;
  Put(data, MpegFrame(plain, 0x21));
  Put(data, MpegFrame(padded, 0x22));
  Put(data, MpegFrame(plain, 0x23));
  const int32_t length = 417;  // 1152 * 128000 / 44100 / 8, padding not counted
  ASSERT_EQ(MpegFrameBytes(plain), length);

  int32_t index = 0;
  Bytes frame;
  ASSERT_TRUE(NextMP3Frame(data, index, length, frame));
  EXPECT_EQ(frame.size(), 417u);
  EXPECT_EQ(index, 417);
  ASSERT_TRUE(NextMP3Frame(data, index, length, frame));
  EXPECT_EQ(frame.size(), 418u);
  EXPECT_EQ(frame.back(), 0x22);
  EXPECT_EQ(index, 835);
  ASSERT_TRUE(NextMP3Frame(data, index, length, frame));
  EXPECT_EQ(frame[4], 0x23);
  EXPECT_FALSE(NextMP3Frame(data, index, length, frame));

  // A last frame cut short is not copied.
  Bytes cut = MpegFrame(plain);
  cut.resize(300);
  index = 0;
  EXPECT_FALSE(NextMP3Frame(cut, index, length, frame));
  // Junk between frames is skipped up to the next sync.
  Bytes gap = MpegFrame(plain);
  Put(gap, Bytes{0, 0, 0});
  Put(gap, MpegFrame(plain));
  index = 0;
  ASSERT_TRUE(NextMP3Frame(gap, index, length, frame));
  EXPECT_EQ(index, 420);
  // Lengths that could not move the walk on are refused.
  index = 0;
  EXPECT_FALSE(NextMP3Frame(data, index, 0, frame));
  index = -1;
  EXPECT_FALSE(NextMP3Frame(data, index, length, frame));
}

}  // namespace
}  // namespace tesmiro::ID3Module
