// A sound file the writers cannot read is not called an invalid sound: the
// warning says why it could not be read, and nothing of it is written.
#include "media/sound/sound_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/media_state.h"
#include "media/sound/id3.h"
#include "support/temp_dir.h"
#include "support/user_text.h"
#include "support/writer_messages.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

class SoundWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetMediaState(); }
  void TearDown() override { ResetMediaState(); }
  testing::TempDir dir;
};

TEST_F(SoundWriterTest, AFileThatCannotBeReadIsToldWhyNotCalledInvalid) {
  const std::string missing = (dir / "missing.mp3").string();
  const std::string huge = (dir / "huge.mp3").string();
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, ID3Module::kMaxSoundFileBytes + 1);
  const std::string text = (dir / "text.mp3").string();
  std::ofstream(text) << "hello";

  EXPECT_FALSE(WriteDefineSound(1, missing));
  EXPECT_FALSE(WriteMP3StreamHead(12.0f, huge, kStreamLoadFile));
  EXPECT_FALSE(WriteDefineSound(3, text));
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_EQ(MP3Stream().readIndex, -1);

  const std::string goOn = "\r\nファイルを無視して続行します。";
  const std::vector<std::string> warnings = testing::WriterMessages();
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0], "ファイル [" + missing + "] がありません" + goOn);
  EXPECT_EQ(warnings[1], "ファイル [" + huge + "] が大きすぎます" + goOn);
  // A file that is read and holds no sound keeps its own warning.
  EXPECT_EQ(warnings[2], "ファイル [" + text + "] は不正なサウンドファイルです。" + goOn);
  for (const std::string& warning : warnings) EXPECT_JAPANESE(warning, {missing, huge, text});
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
