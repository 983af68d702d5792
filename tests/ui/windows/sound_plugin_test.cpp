// The sound player comes from its plugin, loaded on the first play: a
// plugin that is missing or is not one leaves play() false and the player
// idle, the one built beside the program is found, and a file it cannot
// play never passes for playing.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "support/wait_and_files.h"
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
  EXPECT_FALSE(sound->play(wav, {}));
  EXPECT_FALSE(sound->isPlaying());
  sound->stop();

  const QString notALibrary = dir.filePath(QStringLiteral("tesmiro-sound.so"));
  QFile file(notALibrary);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a library");
  file.close();
  qputenv("TESMIRO_SOUND_LIBRARY", notALibrary.toUtf8());
  EXPECT_FALSE(sound->play(wav, {}));
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

// The media backend reads the file after play() has returned: what it
// cannot play is either refused at once or reported then.
TEST_F(SoundPluginTest, AFileThatIsNoSoundIsRefusedOrReportedLater) {
#if defined(__SANITIZE_ADDRESS__)
  // The audio system's client keeps its connection for the process's life.
  __lsan::ScopedDisabler audioSystemKeepsItsConnection;
#endif
  ASSERT_TRUE(dir.isValid());
  const QString noise = dir.filePath(QStringLiteral("noise.mp3"));
  std::ofstream(noise.toStdString(), std::ios::binary) << std::string(4096, '\x5a');
  // The library itself: the program's player keeps the first it finds.
  gui::SoundPlayer* sound = gui::LoadPluginAs<gui::SoundPlayer>(
      gui::PluginCandidates("TESMIRO_SOUND_LIBRARY", QStringLiteral("tesmiro-sound.so")),
      QStringLiteral("the sound library")).object;
  ASSERT_NE(sound, nullptr);
  bool failed = false;
  if (sound->play(noise, [&failed] { failed = true; })) {
    EXPECT_TRUE(WaitUntil([&failed] { return failed; })) << "played, and nothing said otherwise";
  }
  EXPECT_FALSE(sound->isPlaying());
  sound->stop();
}

}  // namespace
}  // namespace tesmiro::testing
