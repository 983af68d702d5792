#include <gtest/gtest.h>

#include "support/writer_messages.h"
#include "swf/sound_format.h"
#include "swf/sound_tags.h"
#include "swf/sound_test_files.h"
#include "swf/swf_test_util.h"

namespace tesmiro::SWFMakeCore {
namespace {

using namespace testing::sound;
using testing::Hex;
using testing::OutHex;

class SoundTagsTest : public testing::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    StartMovie(6);
  }
};

TEST(SoundRateCode, Thresholds) {
  EXPECT_EQ(SoundRateCode(5512), 0);
  EXPECT_EQ(SoundRateCode(5513), 0);
  EXPECT_EQ(SoundRateCode(5514), 1);
  for (int r : {8000, 11025, 12000}) EXPECT_EQ(SoundRateCode(r), 1) << r;
  for (int r : {16000, 22050, 24000}) EXPECT_EQ(SoundRateCode(r), 2) << r;
  for (int r : {32000, 44100, 48000}) EXPECT_EQ(SoundRateCode(r), 3) << r;
  EXPECT_EQ(SoundRateCode(48001), -1);
  EXPECT_EQ(SoundRateCode(0), -1);
}

TEST_F(SoundTagsTest, DefineSoundForMp3) {
  const Bytes audio = MpegFrames({3, 9, 0, false, false}, 3);  // 1251 bytes
  ASSERT_TRUE(WriteDefineSoundData(7, audio, "a.mp3"));
  const Bytes& out = OutputBuffer();
  ASSERT_EQ(out.size(), 6u + 2 + 1 + 4 + 2 + audio.size());
  // Long header of code 14, length 1260, ID 7, MP3 44 kHz 16-bit stereo,
  // 1251 bytes / 128 kbit/s * 44100 * 8 = 3448.08 samples, SeekSamples 0.
  EXPECT_EQ(Hex(Bytes(out.begin(), out.begin() + 15)), "BF 03 EC 04 00 00 07 00 2F 78 0D 00 00 00 00");
  EXPECT_TRUE(std::equal(audio.begin(), audio.end(), out.begin() + 15));
  EXPECT_TRUE(WriterState().diagnostics.empty());

  OutputBuffer().clear();
  ASSERT_TRUE(WriteDefineSoundData(1, MpegFrames({0, 1, 2, false, true}, 2), "low.mp3"));
  // MPEG-2.5 at 8 kHz mono uses the 11 kHz code: 0x20 + 4 + 2.
  EXPECT_EQ(OutputBuffer()[8], 0x26);
}

TEST_F(SoundTagsTest, DefineSoundForWave) {
  const Bytes samples{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(WriteDefineSoundData(3, Wave(1, 22050, 16, samples, true), "w.wav"));
  // Format 0, 22 kHz, 16-bit, mono; 5 samples; only the data chunk follows.
  EXPECT_EQ(OutHex(), "BF 03 11 00 00 00 03 00 0A 05 00 00 00 01 02 03 04 05 06 07 08 09 0A");

  OutputBuffer().clear();
  ASSERT_TRUE(WriteDefineSoundData(3, Wave(2, 11025, 8, samples), "w.wav"));
  EXPECT_EQ(OutputBuffer()[8], 0x05);  // 8-bit, 11 kHz, stereo
  EXPECT_EQ(OutputBuffer()[9], 5);     // 10 bytes / 1 / 2

  // Slow recordings get the 5.5 kHz code, so they play at their own speed.
  OutputBuffer().clear();
  ASSERT_TRUE(WriteDefineSoundData(3, Wave(1, 5512, 16, samples), "slow.wav"));
  EXPECT_EQ(OutputBuffer()[8], 0x02);
  EXPECT_TRUE(WriterState().diagnostics.empty());
}

TEST_F(SoundTagsTest, DefineSoundForMobilePhoneFormats) {
  Bytes smaf;
  Put(smaf, "MMMD");
  Put(smaf, Bytes{0, 0, 0, 2, 0xAB, 0xCD});
  ASSERT_TRUE(WriteDefineSoundData(2, smaf, "ring.mmf"));
  EXPECT_EQ(OutHex(), "BF 03 11 00 00 00 02 00 F0 00 00 00 00 4D 4D 4D 44 00 00 00 02 AB CD");
}

TEST_F(SoundTagsTest, UnusableSoundsWarnAndWriteNothing) {
  const std::vector<std::pair<std::string, Bytes>> bad = {
      {"empty.mp3", {}},
      {"text.mp3", Bytes{'h', 'e', 'l', 'l', 'o'}},
      {"deep.wav", Wave(1, 44100, 24, {1, 2, 3})},
      {"fast.wav", Wave(1, 96000, 16, {1, 2})},
      {"reserved.mp3", MpegHeader({2, 5, 3, false, false})},
  };
  for (const auto& [path, bytes] : bad) {
    EXPECT_FALSE(WriteDefineSoundData(4, bytes, path)) << path;
  }
  EXPECT_TRUE(OutputBuffer().empty());
  const std::vector<std::string> warnings = testing::WriterMessages();
  ASSERT_EQ(warnings.size(), bad.size());
  EXPECT_EQ(WriterState().diagnostics.size(), bad.size());
  EXPECT_EQ(warnings[3],
            "ファイル [fast.wav] は不正なサウンドファイルです。\r\nファイルを無視して続行します。");
}

TEST_F(SoundTagsTest, StartSoundForms) {
  WriteStartSound(5, kSoundPlay, 100, 100);
  EXPECT_EQ(OutHex(), "C3 03 05 00 00");
  OutputBuffer().clear();
  WriteStartSound(5, kSoundPlay, 50, 100);
  EXPECT_EQ(OutHex(), "CC 03 05 00 08 01 00 00 00 00 00 40 00 80");
  OutputBuffer().clear();
  WriteStartSound(5, kSoundStop, 50, 10);  // a stop never carries an envelope
  EXPECT_EQ(OutHex(), "C3 03 05 00 20");
  OutputBuffer().clear();
  WriteStartSound(5, kSoundLoop, 100, 100);
  EXPECT_EQ(OutHex(), "C5 03 05 00 04 FF FF");
  OutputBuffer().clear();
  WriteStartSound(0x1234, kSoundLoop, 30, 70);
  EXPECT_EQ(OutHex(), "CE 03 34 12 0C FF FF 01 00 00 00 00 66 26 99 59");
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
