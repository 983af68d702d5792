// A sound file the writers cannot read is not called an invalid sound: the
// warning says why it could not be read, and nothing of it is written.
#include "media/sound/sound_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/media_state.h"
#include "media/sound/id3.h"
#include "support/temp_dir.h"
#include "support/writer_messages.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

TEST(SoundWriter, AFileThatCannotBeReadIsToldWhyNotCalledInvalid) {
  ResetMediaState();
  testing::TempDir dir;
  const std::string missing = (dir / "missing.mp3").string(), huge = (dir / "huge.mp3").string(),
                    text = (dir / "text.mp3").string();
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, ID3Module::kMaxSoundFileBytes + 1);
  std::ofstream(text) << "hello";

  EXPECT_FALSE(WriteDefineSound(1, missing));
  EXPECT_FALSE(WriteMP3StreamHead(12.0f, huge, kStreamLoadFile));
  EXPECT_FALSE(WriteDefineSound(3, text));
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_EQ(MP3Stream().readIndex, -1);
  const std::string goOn = "\r\nファイルを無視して続行します。";
  // A file that is read and holds no sound keeps its own warning.
  EXPECT_EQ(testing::WriterMessages(),
            (std::vector<std::string>{"ファイル [" + missing + "] がありません" + goOn,
                                      "ファイル [" + huge + "] が大きすぎます" + goOn,
                                      "ファイル [" + text + "] は不正なサウンドファイルです。" + goOn}));
  ResetMediaState();
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
