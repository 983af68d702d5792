// The facts the windows read from material files: picture size, sound and
// video probes, and the frame counts events of videos and text effects get.
#include <gtest/gtest.h>

#include "compiler/material_facts.h"
#include "compiler/text_effects.h"
#include "platform/file_io.h"
#include "project/model.h"
#include "support/temp_dir.h"
#include "swf/sound_test_files.h"

namespace tesmiro {
namespace {

namespace snd = testing::sound;

class MaterialFactsTest : public ::testing::Test {
 protected:
  void SetUp() override { GUICore::ResetState(); }
  void TearDown() override { GUICore::ResetState(); }
  std::string Save(const std::string& name, const snd::Bytes& bytes) {
    const auto path = dir.path() / name;
    EXPECT_TRUE(fileio::WriteAtomic(path, bytes));
    return path.string();
  }
  static StoreItem Item(StoreItemKind kind, const std::string& name) {
    StoreItem item = NewStoreItem(kind);
    item.id = 1;
    item.name = name;
    return item;
  }
  testing::TempDir dir;
};

TEST_F(MaterialFactsTest, SoundsVideosAndMissingFiles) {
  const std::string wav = Save("v.wav", snd::Wave(2, 22050, 8, snd::Bytes(100, 0x80)));
  auto facts = GUICore::ProbeMaterial(Item(StoreItemKind::Sound, wav));
  EXPECT_EQ(facts.path, wav);
  EXPECT_TRUE(facts.sound.ok);
  EXPECT_EQ(facts.sound.kind, -16);
  EXPECT_EQ(facts.sound.rateOrBits, 8);
  EXPECT_EQ(facts.sound.sampleRate, 22050);
  EXPECT_EQ(facts.sound.stereo, 1);

  snd::Mpeg mpeg;
  snd::Bytes mp3 = snd::MpegFrames(mpeg, 3);
  snd::Put(mp3, snd::ID3v1("Song", "Band", "Album", "2001", "", 0, 0));
  facts = GUICore::ProbeMaterial(Item(StoreItemKind::Sound, Save("s.mp3", mp3)));
  EXPECT_TRUE(facts.sound.ok);
  EXPECT_EQ(facts.sound.kind, 3);
  EXPECT_EQ(facts.sound.title, "Song");
  EXPECT_EQ(facts.sound.artist, "Band");
  facts = GUICore::ProbeMaterial(Item(StoreItemKind::Sound, Save("bad.mp3", snd::Bytes(64, 0))));
  EXPECT_FALSE(facts.sound.ok);

  std::vector<snd::FlvTag> tags;
  for (int i = 0; i < 12; ++i) tags.push_back({9, static_cast<uint32_t>(i * 100), snd::H263Packet(i == 0, 5, 1)});
  const StoreItem video = Item(StoreItemKind::Video, Save("c.flv", snd::Flv(1, tags)));
  facts = GUICore::ProbeMaterial(video);
  EXPECT_TRUE(facts.video.ok);
  EXPECT_EQ(facts.video.frameCount, 12);
  EXPECT_EQ(facts.video.videoCodec, "H.263");
  EXPECT_EQ(facts.image.width, 320);  // size code 5: 320 x 240
  EXPECT_EQ(facts.image.height, 240);
  EXPECT_EQ(GUICore::MaterialEventFrames(video), 12);

  EXPECT_TRUE(GUICore::ProbeMaterial(Item(StoreItemKind::RasterImage, "/no/such.png")).path.empty());
  EXPECT_EQ(GUICore::MaterialEventFrames(Item(StoreItemKind::Video, "/no/such.flv")), 0);
}

TEST_F(MaterialFactsTest, TextEffectsRunForTheirInOutAndHoldFrames) {
  GUICore::TextEffectSettings settings;
  settings.inFrames = 10;
  settings.outFrames = 6;
  settings.holdFrames = 20;
  StoreItem text = Item(StoreItemKind::Text, "abc");
  text.option = GUICore::BuildTextEffectOption(settings);
  EXPECT_EQ(GUICore::MaterialEventFrames(text), 0);  // the effect is switched off
  text.flags = 0x2000;
  EXPECT_EQ(GUICore::MaterialEventFrames(text), 36);
  text.option = "not an effect";
  EXPECT_EQ(GUICore::MaterialEventFrames(text), 0);
}

}  // namespace
}  // namespace tesmiro
