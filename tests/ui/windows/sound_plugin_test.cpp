// The sound player comes from its plugin, loaded on the first play: a
// plugin that is missing or is not one leaves play() false and the player
// idle, the one built beside the program is found, and a file it cannot
// play never passes for playing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <fstream>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "ui/common/plugin_loader.h"
#include "ui/common/services.h"
#include "ui/common/sound_output.h"

namespace tesmiro::testing {
namespace {

class SoundPluginTest : public ::testing::Test {
 protected:
  ~SoundPluginTest() override { qunsetenv("TESMIRO_SOUND_LIBRARY"); }
  // The library itself, as the program's player looks for it.
  static gui::Plugin<gui::SoundPlayer> Library() {
    return gui::LoadPluginAs<gui::SoundPlayer>(
        gui::PluginCandidates("TESMIRO_SOUND_LIBRARY", QStringLiteral("tesmiro-sound.so")),
        QStringLiteral("the sound library"));
  }
  QTemporaryDir dir;
};

TEST_F(SoundPluginTest, PlayFailsWithoutTheLibraryOrWithAWrongOne) {
  ASSERT_TRUE(dir.isValid());
  gui::SoundPlayer* sound = gui::QtDesktopServices().sound;
  const QString wav = dir.filePath(QStringLiteral("tone.wav"));

  const QString gone = dir.filePath(QStringLiteral("gone/tesmiro-sound.so"));
  qputenv("TESMIRO_SOUND_LIBRARY", gone.toUtf8());
  EXPECT_FALSE(sound->play(wav, {}));
  EXPECT_FALSE(sound->isPlaying());
  // What the user reads names the library looked for, in Japanese.
  const std::string missing = sound->whyNoSound().toStdString();
  EXPECT_EQ(missing.rfind("サウンド再生用のファイル [" + gone.toStdString() + "] が見つかりません。", 0), 0u) << missing;
  EXPECT_JAPANESE(missing, {gone.toStdString()});
  sound->stop();

  const QString notALibrary = dir.filePath(QStringLiteral("tesmiro-sound.so"));
  QFile file(notALibrary);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a library");
  file.close();
  qputenv("TESMIRO_SOUND_LIBRARY", notALibrary.toUtf8());
  EXPECT_FALSE(sound->play(wav, {}));
  EXPECT_FALSE(sound->isPlaying());
  EXPECT_TRUE(sound->whyNoSound().startsWith("サウンド再生用のファイル [" + notALibrary + "] を読み込めません"))
      << sound->whyNoSound().toStdString();
}

// Qt Multimedia chooses its backend once in a process, so the library
// without one runs in a child of this program.
TEST_F(SoundPluginTest, WithoutAMediaBackendNoSoundPlaysAndTheUserIsToldWhy) {
  if (!qEnvironmentVariableIsSet("TESMIRO_TEST_NO_MEDIA_BACKEND")) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESMIRO_TEST_NO_MEDIA_BACKEND"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_MEDIA_BACKEND"), QStringLiteral("tesmiro-none"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SoundPluginTest.WithoutAMediaBackendNoSoundPlaysAndTheUserIsToldWhy")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return;
  }
  gui::SoundPlayer* sound = Library().object;
  ASSERT_NE(sound, nullptr);
  EXPECT_TRUE(sound->whyNoSound().isEmpty()) << "before a play";
  EXPECT_FALSE(sound->play(dir.filePath(QStringLiteral("tone.wav")), {}));
  EXPECT_FALSE(sound->isPlaying());
  const std::string why = sound->whyNoSound().toStdString();
  EXPECT_EQ(why, "サウンドの再生に使うメディア部品が見つかりません。Tesmiro をインストールし直してください。");
  EXPECT_JAPANESE(why);
}

TEST_F(SoundPluginTest, NamesWhatWasLookedForWhenMissing) {
  qputenv("TESMIRO_SOUND_LIBRARY", "/nonexistent/tesmiro-sound.so");
  const auto loaded = Library();
  EXPECT_EQ(loaded.object, nullptr);
  EXPECT_EQ(loaded.error, QStringLiteral("the sound library was not found (looked for "
                                         "/nonexistent/tesmiro-sound.so)"));
}

TEST_F(SoundPluginTest, TheBuiltLibraryIsFoundWithoutBeingNamed) {
  const auto loaded = Library();
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
  // The program's player keeps the first it finds.
  gui::SoundPlayer* sound = Library().object;
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
