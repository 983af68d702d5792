#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "media/media_state.h"
#include "media/sound/id3.h"
#include "media/sound/sound_writer.h"
#include "media/video/flv_video.h"
#include "platform/file_io.h"
#include "support/checkers.h"
#include "support/temp_dir.h"
#include "support/writer_messages.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "swf/sound_test_files.h"
#include "swf/swf_writer.h"

// Whole movies with every sound and video tag, read back by an independent
// SWF parser.
namespace tesmiro::SWFMakeCore {
namespace {

using namespace testing::sound;

// Prints one line per tag with the fields that matter here.
int Summarise(const testing::TempDir& dir, const std::filesystem::path& movie, std::string& output) {
  const auto script = dir / "summary.mjs";
  std::ofstream(script) << R"JS(
import { checkSwfFile, tagName } from ")JS" << TESMIRO_TEST_JS_DIR << R"JS(/check_swf.mjs";
const { ok, problems, movie } = checkSwfFile(process.argv[2]);
const lines = [];
for (const t of movie ? movie.tags : []) {
  const n = tagName(t);
  if (n === "DefineSound") lines.push(`${n} ${t.id} ${t.format} ${t.soundRate} ${t.soundSize} ${t.soundType} ${t.sampleCount} ${t.data.length}`);
  else if (n === "StartSound") lines.push(`${n} ${t.soundId} ${JSON.stringify(t.soundInfo)}`);
  else if (n === "SoundStreamHead") lines.push(`${n} ${t.playbackSoundRate} ${t.streamFormat} ${t.streamSoundRate} ${t.streamSoundType} ${t.streamSampleCount} ${t.latencySeek}`);
  else if (n === "SoundStreamBlock") lines.push(`${n} ${t.data.length}`);
  else if (n === "DefineVideoStream") lines.push(`${n} ${t.id} ${t.frameCount} ${t.width} ${t.height} ${t.codec} ${t.deblocking} ${t.useSmoothing}`);
  else if (n === "VideoFrame") lines.push(`${n} ${t.videoId} ${t.frame} ${t.packet.length}`);
  else lines.push(n);
}
console.log(problems.join("\n"));
console.log(lines.join("\n"));
process.exit(ok ? 0 : 1);
)JS";
  const auto log = dir / "summary.log";
  const std::string command = "node " + script.string() + " " + movie.string() + " > " + log.string() + " 2>&1";
  const int rc = std::system(command.c_str());
  std::ifstream in(log);
  output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return rc;
}

class SoundMovieTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetMediaState(); }
  void TearDown() override { ResetMediaState(); }
  std::string Save(const std::string& name, const Bytes& bytes) {
    const auto path = dir / name;
    EXPECT_TRUE(fileio::WriteAtomic(path, bytes));
    return path.string();
  }
  testing::TempDir dir;
};

TEST_F(SoundMovieTest, EventSoundsStreamsAndVideo) {
  REQUIRE_CHECKER(testing::MissingSwfParser());
  const Mpeg m{3, 9, 0, false, false};
  const std::string mp3 = Save("song.mp3", [&] {
    Bytes b = ID3v2(3, {{"TIT2", Latin("song")}});
    Put(b, MpegFrames(m, 12));
    return b;
  }());
  const std::string wav = Save("click.wav", Wave(1, 11025, 16, Bytes(40, 0)));
  std::vector<FlvTag> flv;
  for (int i = 0; i < 4; ++i) {
    flv.push_back({9, static_cast<uint32_t>(i * 83), H263Packet(i == 0, 5, static_cast<uint8_t>(i))});
    flv.push_back({8, static_cast<uint32_t>(i * 83), AudioPacket(2, MpegFrames(m, 4))});
  }
  const std::string video = Save("clip.flv", Flv(5, flv));
  const auto movie = dir / "sound.swf";

  WriteSWFHeader(6, 320, 240, 12.0f);
  ASSERT_TRUE(WriteMovieFile(movie, MovieStage::Open));
  ASSERT_TRUE(WriteDefineSound(1, mp3));
  ASSERT_TRUE(WriteDefineSound(3, wav));
  WriteMovieFile(movie, MovieStage::WriteBuffer);
  // Main timeline: the streamed song for three frames, then the video
  // with its own audio for four.
  WriteStartSound(1, kSoundPlay, 100, 100);
  WriteStartSound(3, kSoundLoop, 40, 60);
  ASSERT_TRUE(WriteMP3StreamHead(12.0f, mp3, kStreamLoadFile));
  NextFrame();
  NextFrame();
  WriteStartSound(3, kSoundStop, 100, 100);
  NextFrame();
  ASSERT_TRUE(WriteDefineVideoStream(10, 4, video, 1, true));
  Placement p;
  p.characterId = 10;
  p.depth = 1;
  ASSERT_TRUE(WritePlaceObject(p));
  for (int f = 0; f < 4; ++f) {
    WriteVideoFrame(10, f, video);
    NextFrame();
  }
  WriteMovieFile(movie, MovieStage::WriteFrames);
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(movie, MovieStage::Finish));
  EXPECT_TRUE(testing::WriterMessages().empty());

  std::string out;
  EXPECT_EQ(Summarise(dir, movie, out), 0) << out;
  // 12 MP3 frames of 417 bytes: 5004 / 128000 * 44100 * 8 = 13792 samples;
  // the stream blocks carry three frames (1251 bytes and 4 of counts) each.
  const std::string block = "SoundStreamBlock 1255\n";
  const std::string head = "SoundStreamHead 44000 2 44000 1 3675 0\n";
  EXPECT_EQ(out,
            "\n"
            "DefineSound 1 2 44000 16 1 13792 5006\n"
            "DefineSound 3 0 11000 16 0 20 40\n"
            "StartSound 1 {\"syncStop\":false,\"syncNoMultiple\":false}\n"
            "StartSound 3 {\"syncStop\":false,\"syncNoMultiple\":false,\"loopCount\":65535,"
            "\"envelopeRecords\":[{\"pos44\":0,\"leftLevel\":13107,\"rightLevel\":19660}]}\n" +
                head + "ShowFrame\n" + block + "ShowFrame\n" + block +
                "StartSound 3 {\"syncStop\":true,\"syncNoMultiple\":false}\n"
                "ShowFrame\n" +
                block + "DefineVideoStream 10 4 320 240 2 0 false\n" + head + "PlaceObject\n" +
                "VideoFrame 10 0 7\nShowFrame\n" + block + "VideoFrame 10 1 7\nShowFrame\n" + block +
                "VideoFrame 10 2 7\nShowFrame\n" + block + "VideoFrame 10 3 7\nShowFrame\n" + block);
}

TEST_F(SoundMovieTest, SilentStreamAndPhoneSounds) {
  REQUIRE_CHECKER(testing::MissingSwfParser());
  Bytes smaf;
  Put(smaf, "MMMD");
  Put(smaf, Bytes{0, 0, 0, 4, 1, 2, 3, 4});
  const std::string ring = Save("ring.mmf", smaf);
  const auto movie = dir / "silent.swf";
  WriteSWFHeader(6, 100, 100, 12.0f);
  ASSERT_TRUE(WriteMovieFile(movie, MovieStage::Open));
  ASSERT_TRUE(WriteDefineSound(5, ring));
  WriteMovieFile(movie, MovieStage::WriteBuffer);
  WriteSilentStreamHead(12.0f);
  for (int f = 0; f < 3; ++f) {
    WriteSilentStreamBlock(12.0f);
    NextFrame();
  }
  WriteMovieFile(movie, MovieStage::WriteFrames);
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(movie, MovieStage::Finish));

  std::string out;
  EXPECT_EQ(Summarise(dir, movie, out), 0) << out;
  const std::string block = "SoundStreamBlock 291\nShowFrame\n";
  EXPECT_EQ(out, "\nRawBody\nSoundStreamHead 5500 1 5500 0 459 undefined\n" + block + block + block);
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
