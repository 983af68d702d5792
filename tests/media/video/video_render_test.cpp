#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "media/media_state.h"
#include "media/sound/sound_writer.h"
#include "media/video/flv_video.h"
#include "platform/file_io.h"
#include "support/checkers.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "swf/sound_stream.h"
#include "swf/sound_test_files.h"
#include "swf/swf_writer.h"

// Movies with a video and a stream, played by Ruffle in headless Chromium.
namespace tesmiro::SWFMakeCore {
namespace {

using namespace testing::sound;

const std::filesystem::path kRoot = TESMIRO_SOURCE_ROOT;
constexpr int kSize = 32;  // the video and the stage, in pixels

// A Screen Video key frame of one solid colour: one 32x32 block of zlib
// compressed BGR rows, bottom row first.
Bytes ScreenVideoFrame(uint8_t r, uint8_t g, uint8_t b) {
  Bytes pixels;
  for (int i = 0; i < kSize * kSize; ++i) pixels.insert(pixels.end(), {b, g, r});
  uLongf n = compressBound(pixels.size());
  Bytes z(n);
  compress(z.data(), &n, pixels.data(), pixels.size());
  z.resize(n);
  Bytes packet{0x13, 0x10, kSize, 0x10, kSize};  // key frame, codec 3; 32-pixel blocks
  Be(packet, static_cast<uint32_t>(z.size()), 2);
  Put(packet, z);
  return packet;
}

// DoAction tags written by hand: stop, and trace of a word.
void WriteStop() { Put(OutputBuffer(), Bytes{0x02, 0x03, 0x07, 0x00}); }
void WriteTrace(const std::string& word) {
  Bytes push{0x96};
  Le16(push, static_cast<uint32_t>(word.size() + 2));
  push.push_back(0);
  Put(push, word);
  push.push_back(0);
  Bytes action = push;
  action.push_back(0x26);
  action.push_back(0x00);
  Bytes tag;
  Le16(tag, (12 << 6) | static_cast<uint32_t>(action.size()));
  Put(tag, action);
  Put(OutputBuffer(), tag);
}

const uint8_t kColours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

// A movie of four frames that moves the video on each frame with the ratio
// set to that frame's VideoFrame number, and stops on frame `stopAt`.
std::filesystem::path VideoMovie(const testing::TempDir& dir, const std::string& flv, int stopAt) {
  const auto movie = dir / ("video" + std::to_string(stopAt) + ".swf");
  WriteSWFHeader(6, kSize, kSize, 12.0f);
  WriteMovieFile(movie, MovieStage::Open);
  EXPECT_TRUE(WriteDefineVideoStream(2, 4, flv, 1, false));
  for (int f = 0; f < 4; ++f) {
    WriteVideoFrame(2, f, flv);
    Placement p;
    p.characterId = 2;
    p.depth = 1;
    p.ratio = static_cast<float>(f) / 65535.0f;
    EXPECT_TRUE(WritePlaceObject(p));
    if (f == stopAt) WriteStop();
    NextFrame();
  }
  WriteMovieFile(movie, MovieStage::WriteFrames);
  WriteEnd();
  EXPECT_TRUE(WriteMovieFile(movie, MovieStage::Finish));
  return movie;
}

std::string RunPlayer(const testing::TempDir& dir, const std::string& body) {
  const auto script = dir / "play.mjs";
  std::ofstream(script) << "import { openRenderer } from \"" << (kRoot / "tests/js/render_swf.mjs").string()
                        << "\";\nconst renderer = await openRenderer();\ntry {\n"
                        << body << "\n} finally { await renderer.close(); }\n";
  const auto log = dir / "play.log";
  const std::string command = "node " + script.string() + " > " + log.string() + " 2>&1";
  const int rc = std::system(command.c_str());
  std::ifstream in(log);
  std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rc, 0) << out;
  return out;
}

class VideoRenderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetMediaState(); }
  void TearDown() override { ResetMediaState(); }
  testing::TempDir dir;
  testing::RecordingUi ui;
};

TEST_F(VideoRenderTest, EachFrameShowsItsPacket) {
  REQUIRE_CHECKER(testing::MissingRuffle());
  std::vector<FlvTag> tags;
  for (int i = 0; i < 4; ++i)
    tags.push_back({9, static_cast<uint32_t>(i * 83), ScreenVideoFrame(kColours[i][0], kColours[i][1], kColours[i][2])});
  const auto flv = dir / "colours.flv";
  ASSERT_TRUE(fileio::WriteAtomic(flv, Flv(1, tags)));
  std::string body;
  for (int stopAt : {1, 3}) {
    const auto movie = VideoMovie(dir, flv.string(), stopAt);
    body += "{ const r = await renderer.render(\"" + movie.string() +
            "\", { frames: 8, points: [[16, 16]] });\n"
            "  const p = r.pixels[0]; console.log(`" + std::to_string(stopAt) + " ${p.r} ${p.g} ${p.b}`); }\n";
  }
  const std::string out = RunPlayer(dir, body);
  for (int stopAt : {1, 3}) {
    std::istringstream lines(out);
    std::string line;
    bool found = false;
    while (std::getline(lines, line)) {
      int k, r, g, b;
      if (std::sscanf(line.c_str(), "%d %d %d %d", &k, &r, &g, &b) != 4 || k != stopAt) continue;
      found = true;
      EXPECT_NEAR(r, kColours[stopAt][0], 8) << "frame " << stopAt << ": " << line;
      EXPECT_NEAR(g, kColours[stopAt][1], 8) << "frame " << stopAt << ": " << line;
      EXPECT_NEAR(b, kColours[stopAt][2], 8) << "frame " << stopAt << ": " << line;
    }
    EXPECT_TRUE(found) << out;
  }
}

TEST_F(VideoRenderTest, StreamedMovieReachesItsLastFrame) {
  REQUIRE_CHECKER(testing::MissingRuffle());
  const auto mp3 = dir / "song.mp3";
  ASSERT_TRUE(fileio::WriteAtomic(mp3, MpegFrames({3, 9, 0, false, false}, 40)));
  const auto movie = dir / "stream.swf";
  WriteSWFHeader(6, kSize, kSize, 12.0f);
  WriteMovieFile(movie, MovieStage::Open);
  ASSERT_TRUE(WriteMP3StreamHead(12.0f, mp3.string(), kStreamLoadFile));
  for (int f = 0; f < 12; ++f) NextFrame();
  WriteTrace("last");
  WriteStop();
  NextFrame();  // the frame being built is written without a ShowFrame
  WriteMovieFile(movie, MovieStage::WriteFrames);
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(movie, MovieStage::Finish));
  const std::string out = RunPlayer(
      dir, "const r = await renderer.render(\"" + movie.string() +
               "\", { frames: 2, untilTrace: \"last\", untilMs: 90000 });\nconsole.log(JSON.stringify(r.traces));");
  EXPECT_NE(out.find("[\"last\"]"), std::string::npos) << out;
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
