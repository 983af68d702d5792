// The sound player comes from its plugin, loaded on the first play: a
// plugin that is missing or is not one leaves play() false and the player
// idle, and the one built beside the program is found.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ui/common/plugin_loader.h"
#include "ui/common/services.h"
#include "ui/common/sound_output.h"

namespace tesmiro::testing {
namespace {

class SoundPluginTest : public ::testing::Test {
 protected:
  ~SoundPluginTest() override { qunsetenv("TESMIRO_SOUND_LIBRARY"); }
  QTemporaryDir dir;
};

TEST_F(SoundPluginTest, PlayFailsWithoutTheLibraryOrWithAWrongOne) {
  ASSERT_TRUE(dir.isValid());
  gui::SoundPlayer* sound = gui::QtDesktopServices().sound;
  const QString wav = dir.filePath(QStringLiteral("tone.wav"));

  qputenv("TESMIRO_SOUND_LIBRARY", dir.filePath(QStringLiteral("gone/tesmiro-sound.so")).toUtf8());
  EXPECT_FALSE(sound->play(wav));
  EXPECT_FALSE(sound->isPlaying());
  sound->stop();

  const QString notALibrary = dir.filePath(QStringLiteral("tesmiro-sound.so"));
  QFile file(notALibrary);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a library");
  file.close();
  qputenv("TESMIRO_SOUND_LIBRARY", notALibrary.toUtf8());
  EXPECT_FALSE(sound->play(wav));
  EXPECT_FALSE(sound->isPlaying());
}

TEST_F(SoundPluginTest, NamesWhatWasLookedForWhenMissing) {
  qputenv("TESMIRO_SOUND_LIBRARY", "/nonexistent/tesmiro-sound.so");
  const auto loaded = gui::LoadPluginAs<gui::SoundPlayer>(
      gui::PluginCandidates("TESMIRO_SOUND_LIBRARY", QStringLiteral("tesmiro-sound.so")),
      QStringLiteral("the sound library"));
  EXPECT_EQ(loaded.object, nullptr);
  EXPECT_EQ(loaded.error, QStringLiteral("the sound library was not found (looked for "
                                         "/nonexistent/tesmiro-sound.so)"));
}

TEST_F(SoundPluginTest, TheBuiltLibraryIsFoundWithoutBeingNamed) {
  const auto loaded = gui::LoadPluginAs<gui::SoundPlayer>(
      gui::PluginCandidates("TESMIRO_SOUND_LIBRARY", QStringLiteral("tesmiro-sound.so")),
      QStringLiteral("the sound library"));
  ASSERT_NE(loaded.object, nullptr) << loaded.error.toStdString();
  EXPECT_TRUE(loaded.error.isEmpty());
  EXPECT_FALSE(loaded.object->isPlaying());
}

}  // namespace
}  // namespace tesmiro::testing
