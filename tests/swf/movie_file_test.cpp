#include <sys/stat.h>

#include "platform/file_io.h"
#include "support/file_size_limit.h"
#include "support/swf_tags.h"
#include "support/temp_dir.h"
#include "swf_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& b, size_t from, size_t n) {
  return std::vector<uint8_t>(b.begin() + from, b.begin() + from + n);
}

TEST_F(WriterTest, HeaderOfTheDefaultMovie) {
  WriteSWFHeader(6, 320, 320, 12.0f);
  EXPECT_EQ(OutHex(), "46 57 53 06 00 00 00 00 80 00 00 C8 00 00 00 C8 00 00 0C 00 00");
  EXPECT_EQ(NextAutoID(), 20000);
}

TEST_F(WriterTest, FractionalFrameRate) {
  WriteSWFHeader(8, 1, 1, 29.97f);
  const auto& b = OutputBuffer();
  EXPECT_EQ(b[3], 8);
  EXPECT_EQ(b[b.size() - 4], 248);  // floor(0.97 * 256)
  EXPECT_EQ(b[b.size() - 3], 29);
}

TEST_F(WriterTest, TagsWrittenAtANegativeFrameAreDropped) {
  StartMovie(6);
  WriteHex("AA");
  GoFrame(-1);
  EXPECT_TRUE(OutputBuffer().empty());
  WriteHex("EE");
  NextFrame();
  EXPECT_EQ(OutHex(), "AA");
}

class MovieFileTest : public WriterTest {
 protected:
  TempDir dir;
  std::vector<uint8_t> Read(const std::string& name) { return *fileio::ReadAll(dir / name); }
};

TEST_F(MovieFileTest, FramesAreStoredAndRevisited) {
  const auto path = dir / "f.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Open));
  WriteHex("AA");
  NextFrame();
  WriteHex("BB");
  NextFrame();
  NextFrame();
  GoFrame(-2);
  EXPECT_EQ(OutHex(), "BB");
  WriteHex("CC");
  GoFrame(2);
  GoFrame(-2);
  EXPECT_EQ(OutHex(), "BB CC");
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::WriteFrames));
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Finish));
  const auto b = Read("f.swf");
  const size_t count = FrameCountOffset(b);
  EXPECT_EQ(b[count], 3);  // going back and forth added no frame
  EXPECT_EQ(Hex(Slice(b, count + 2, b.size() - count - 2)), "AA 40 00 BB CC 40 00 40 00 00 00");
}

TEST_F(MovieFileTest, StagesWriteFramesWithShowFrameAndPatchCounts) {
  const auto path = dir / "m.swf";
  WriteSWFHeader(6, 320, 320, 12.0f);
  WriteSetBackgroundColor(255, 255, 255);
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Open));
  WriteHex("0101");  // stands in for a tag of frame 0
  NextFrame();
  NextFrame();
  NextFrame();
  WriteHex("0303");
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::WriteFrames));
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Finish));
  const auto b = Read("m.swf");
  EXPECT_EQ(Hex(Slice(b, 21, b.size() - 21)), "43 02 FF FF FF 01 01 40 00 40 00 40 00 03 03 00 00");
  EXPECT_EQ(b[4] | b[5] << 8, static_cast<int>(b.size()));
  EXPECT_EQ(b[19], 3);
  EXPECT_FALSE(std::filesystem::exists(dir / ".m.swf.part"));
}

TEST_F(MovieFileTest, StageSevenCountsTheLoadingFrame) {
  const auto path = dir / "m.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  WriteMovieFile(path, MovieStage::Open);
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::FinishAfterLoader));
  EXPECT_EQ(Read("m.swf")[19], 2);
}

TEST_F(MovieFileTest, WideStageMovesTheFrameCountField) {
  const auto path = dir / "wide.swf";
  WriteSWFHeader(6, 2000, 100, 12.0f);  // 40000 twips: a 17-bit RECT
  WriteMovieFile(path, MovieStage::Open);
  NextFrame();
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Finish));
  const auto b = Read("wide.swf");
  const size_t rectBytes = (5 + 4 * 17 + 7) / 8;
  EXPECT_EQ(b[8] >> 3, 17);
  EXPECT_EQ(b[8 + rectBytes + 2] | b[8 + rectBytes + 3] << 8, 2);
  EXPECT_EQ(b[8 + rectBytes + 1], 12);  // the rate is untouched by the patch
}

TEST_F(MovieFileTest, SpriteLengthAndFrameCountArePatched) {
  const auto path = dir / "s.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  WriteMovieFile(path, MovieStage::Open);
  OutputBuffer().assign(979, 0x11);  // definitions up to file offset 1000
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::BeginSprite);
  WriteSpriteHeader(8);
  WriteMovieFile(path, MovieStage::WriteBuffer);
  NextFrame();
  OutputBuffer().assign(286, 0x22);  // the sprite's tags: with End the tag ends at 1300
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  WriteMovieFile(path, MovieStage::WriteBuffer);
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::EndSprite));
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Finish));
  const auto b = Read("s.swf");
  EXPECT_EQ(b[FrameCountOffset(b)], 0);  // the sprite's frames are not the movie's
  ASSERT_EQ(b.size(), 1302u);
  EXPECT_EQ(Hex(Slice(b, 1000, 10)), "FF 09 26 01 00 00 08 00 01 00");  // body 294, one frame
  EXPECT_EQ(Hex(Slice(b, 1300, 2)), "00 00");  // the movie's End right after the sprite
}

TEST_F(MovieFileTest, CacheHoldsTheHeaderAndDefinitions) {
  const auto path = dir / "p.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  WriteSetBackgroundColor(1, 2, 3);
  WriteMovieFile(path, MovieStage::Open);
  WriteHex("ABCD");
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::CacheMovie);
  WriteEnd();
  WriteMovieFile(path, MovieStage::Finish);
  EXPECT_TRUE(RestoreMovieCache(true));
  const auto cached = OutputBuffer();
  ASSERT_EQ(cached.size(), 21u + 5 + 2);
  EXPECT_EQ(Hex(Slice(cached, 0, 8)), "46 57 53 06 00 00 00 00");  // length not patched
  EXPECT_EQ(Hex(Slice(cached, 21, 7)), "43 02 01 02 03 AB CD");
  ClearMovieCache();
  EXPECT_FALSE(RestoreMovieCache(true));
  EXPECT_TRUE(OutputBuffer().empty());
}

TEST_F(MovieFileTest, AnUnwritableFileIsAFailureAndLeavesNothing) {
  const auto path = dir / "missing-folder" / "m.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  EXPECT_FALSE(WriteMovieFile(path, MovieStage::Open));
  EXPECT_TRUE(MovieFileFailed());
  WriteEnd();
  EXPECT_FALSE(WriteMovieFile(path, MovieStage::Finish));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(WriterState().diagnostics.empty());
}

TEST_F(MovieFileTest, AFailedFinishKeepsTheOldMovie) {
  const auto path = dir / "m.swf";
  const std::vector<uint8_t> old = {1, 2, 3};
  ASSERT_TRUE(fileio::WriteAtomic(path, old));
  WriteSWFHeader(6, 10, 10, 12.0f);
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Open));
  {
    ScopedFileSizeLimit diskFull(4096);  // the disk fills up during the build
    OutputBuffer().assign(100000, 7);
    WriteMovieFile(path, MovieStage::WriteBuffer);
    WriteEnd();
    EXPECT_FALSE(WriteMovieFile(path, MovieStage::Finish));
  }
  EXPECT_EQ(Read("m.swf"), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(MovieFileTest, ALinkPlantedBesideTheTargetIsNeverWrittenThrough) {
  // Whoever can write to the folder may plant a link under the name a
  // build once used for its temporary file.
  const auto victim = dir / "victim.txt";
  ASSERT_TRUE(fileio::WriteAtomic(victim, std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  std::filesystem::create_symlink(victim, dir / ".m.swf.part");
  const auto path = dir / "m.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Open));
  WriteEnd();
  ASSERT_TRUE(WriteMovieFile(path, MovieStage::Finish));
  EXPECT_EQ(Read("victim.txt"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(Read("m.swf").size(), 23u);
}

TEST_F(MovieFileTest, CancelledBuildLeavesNoPartialFile) {
  const auto path = dir / "c.swf";
  WriteSWFHeader(6, 10, 10, 12.0f);
  WriteMovieFile(path, MovieStage::Open);
  AbandonMovieFile();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(MovieFileTest, SaveOutputReplacesTheFile) {
  const auto path = dir / "v.swf";
  ASSERT_TRUE(fileio::WriteAtomic(path, std::vector<uint8_t>(100, 9)));
  WriteSWFHeader(6, 10, 10, 12.0f);
  WriteEnd();
  ASSERT_TRUE(SaveOutput(path));
  EXPECT_TRUE(OutputBuffer().empty());
  const auto b = Read("v.swf");
  EXPECT_EQ(b.size(), 23u);
  EXPECT_EQ(b[4], 23);
}

TEST_F(WriterTest, FrameLimitIsAClearDiagnostic) {
  StartMovie(6);
  GoFrame(kMaxFrames);
  WriteHex("AB");
  EXPECT_FALSE(NextFrame());
  EXPECT_EQ(OutHex(), "AB");  // still on the last frame
  EXPECT_FALSE(WriterState().diagnostics.empty());
}

}  // namespace
}  // namespace tesmiro::testing
