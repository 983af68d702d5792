// The live picture's movie: the stage of the shown timeline stands in for
// the project's settings for one build and they come back on every path;
// unchanged bytes are told apart from new ones.
#include <gtest/gtest.h>

#include "compiler/core_setup.h"
#include "compiler/live_picture_build.h"
#include "compiler/preview_reporter.h"
#include "compiler_test_util.h"
#include "project/build_lock.h"
#include "project/record_bytes.h"
#include "script/compiler.h"

namespace tesmiro::testing {
namespace {

using LivePicture::BuildLivePicture;
using LivePicture::BuildRequest;
using LivePicture::BuildStatus;

// Width and height in twips from a movie header's frame rectangle.
std::pair<int64_t, int64_t> StageTwips(const std::vector<uint8_t>& movie) {
  uint64_t bits = 0;
  int have = 0;
  size_t at = 8;
  auto take = [&](int n) {
    while (have < n) {
      bits = (bits << 8) | movie.at(at++);
      have += 8;
    }
    have -= n;
    return static_cast<int64_t>((bits >> have) & ((uint64_t{1} << n) - 1));
  };
  const int n = static_cast<int>(take(5));
  const int64_t xmin = take(n), xmax = take(n), ymin = take(n), ymax = take(n);
  return {xmax - xmin, ymax - ymin};
}

class LivePictureBuildTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    ProjectSettings& s = GUICore::State().settings;
    s.width = 320;
    s.height = 240;
    s.soundSync = 1;
    s.preloader = 1;
    s.options = "  8 ";
    project = s;
    AddSprite(2, "spr");
    request.fields.itemId = "2";
    request.fields.frameCount = "10";
    request.fields.drawX = "10";
    request.fields.moveX = "50";
    request.fields.drawSize = "1";
    request.fields.moveSize = "1";
    request.stage = project;
    request.stage.width = 100;  // a sprite's stage
    request.stage.height = 80;
    request.stage.preloader = 0;
    request.stage.backgroundRed = 0x12;
    request.stage.backgroundGreen = 0x34;
    request.stage.backgroundBlue = 0x56;
    request.stage.frameRate = 8;
    request.path = dir / LivePicture::kPictureFile;
  }
  void ExpectProjectSettings() {
    EXPECT_EQ(RecordBytes(GUICore::State().settings), RecordBytes(project)) << "the settings were not restored";
  }
  ProjectSettings project;
  BuildRequest request;
};

TEST_F(LivePictureBuildTest, TheStageStandsInForOneBuild) {
  const LivePicture::BuildOutcome out = BuildLivePicture(request);
  ASSERT_EQ(out.status, BuildStatus::Changed);
  ExpectProjectSettings();
  const auto movie = Movie(LivePicture::kPictureFile);
  EXPECT_EQ(StageTwips(movie), (std::pair<int64_t, int64_t>{2000, 1600}));
  EXPECT_EQ(out.background, 0x123456u);
  EXPECT_EQ(out.timerInterval, 125);  // a sprite moves by itself: 8 frames a second
  EXPECT_EQ(out.records.move.startX, 50);
  EXPECT_EQ(out.operated.startX, 10);

  request.operatedImage = 1;
  EXPECT_EQ(BuildLivePicture(request).operated.startX, 50);
}

TEST_F(LivePictureBuildTest, OnlyNewBytesAskForAReload) {
  ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Unchanged);
  request.useCache = false;
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Unchanged);
  request.fields.drawX = "11";
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  std::filesystem::remove(request.path);
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  ExpectProjectSettings();
}

TEST_F(LivePictureBuildTest, AFailedOrRefusedBuildLeavesTheSettingsAsTheyWere) {
  ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  ASSERT_TRUE(SWFMakeCore::RestoreMovieCache(true));  // the definitions are kept for the next build

  BuildRequest lost = request;
  lost.path = dir / "no such folder" / LivePicture::kPictureFile;
  lost.useCache = false;
  EXPECT_EQ(BuildLivePicture(lost).status, BuildStatus::Failed);
  ExpectProjectSettings();
  // The kept prefix may be another selection's: the next build starts anew.
  EXPECT_FALSE(SWFMakeCore::RestoreMovieCache(true));

  {
    GUICore::BuildLock lock;
    request.fields.drawX = "99";
    const LivePicture::BuildOutcome out = BuildLivePicture(request);
    EXPECT_EQ(out.status, BuildStatus::Busy);
    EXPECT_EQ(out.operated.startX, 99);  // the handles still follow the fields
    ExpectProjectSettings();
  }
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  ExpectProjectSettings();
}

TEST_F(LivePictureBuildTest, TheMovieUnderneathHoldsOrPlays) {
  core::Installation install({AppPaths::InFolder(dir.path()), {&ui, &ui, &ui}, nullptr});  // clip scripts compile
  request.withMovie = true;
  request.frame = 5;
  ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  const auto held = Movie(LivePicture::kPictureFile);
  request.playing = true;
  ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  const auto playing = Movie(LivePicture::kPictureFile);
  EXPECT_NE(held, playing);
  // Without the movie underneath the frame does not matter.
  request.withMovie = false;
  ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
  request.frame = 9;
  EXPECT_EQ(BuildLivePicture(request).status, BuildStatus::Unchanged);
}

TEST_F(LivePictureBuildTest, WithTheMovieUnderneathTheReporterFollowsIt) {
  for (int version : {4, 6, 7, 8}) {
    SCOPED_TRACE(version);
    const std::string text = GUICore::ReporterScript(version, GUICore::ReporterSubject::PreviewSprite);
    EXPECT_NE(text.find("_SprPictPreview"), std::string::npos);
    EXPECT_TRUE(script::Compile(text, version < 6 ? script::Target::Swf4 : script::Target::Swf6).ok());
    request.stage.options = "  " + std::to_string(version) + " ";
    request.withMovie = true;
    request.useCache = false;  // the kept prefix holds the last version's header
    ASSERT_EQ(BuildLivePicture(request).status, BuildStatus::Changed);
    const auto tags = ReadTags(Movie(LivePicture::kPictureFile));
    EXPECT_EQ(CountCode(tags, 39), 3);  // the sprite, the placeholder and the reporter
    EXPECT_EQ(tags.back().code, 0);
  }
}

}  // namespace
}  // namespace tesmiro::testing
