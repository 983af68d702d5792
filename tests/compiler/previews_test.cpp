#include "compiler/event_preview.h"
#include "compiler/preview_reporter.h"
#include "compiler/previews.h"
#include "compiler_test_util.h"
#include "platform/app_paths.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/timelines.h"

namespace tesmiro::testing {
namespace {

using GUICore::BuildResult;

class PreviewTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    GUICore::Previews() = {};
  }
};

// The reporter's placement in the first frame, before its ShowFrame.
bool CarriesReporter(const std::vector<Tag>& tags) {
  const std::string name = GUICore::kReporterName;
  for (const Tag& t : tags) {
    if (t.code == 1) return false;
    if (t.code == 26 && std::search(t.body.begin(), t.body.end(), name.begin(), name.end()) != t.body.end())
      return t.body[1] == (GUICore::kReporterDepth & 0xFF) && t.body[2] == (GUICore::kReporterDepth >> 8);
  }
  return false;
}

TEST_F(PreviewTest, WholeMoviePreviewWritesPageAndMovieAndShowsThem) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::Window, "_preview.swf"), BuildResult::Done);
  EXPECT_TRUE(fileio::Exists(dir / "_preview.swf"));
  const auto page = fileio::ReadAll(dir / "_preview.html");
  ASSERT_TRUE(page);
  EXPECT_NE(std::string(page->begin(), page->end()).find("width=\"320\""), std::string::npos);
  EXPECT_EQ(ui.calls.back(), "buildEnded");
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "showPreview " + (dir / "_preview.swf").string() + " 1 320x320"),
            ui.calls.end());
}

TEST_F(PreviewTest, ASpriteTimelineUsesTheSpriteStageAndNoLoadingScreen) {
  const int32_t t = AddSprite(4, "s");
  auto& m = GUICore::State();
  m.store.at(1).width = 100;
  m.store.at(1).height = 50;
  m.settings.preloader = 1;
  m.timelines[static_cast<size_t>(t)].events.push_back(Action(ActionKind::Stop));
  GUICore::SelectTimelineData(t, false);
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::Window, "p.swf"), BuildResult::Done);
  const auto movie = Movie("p.swf");
  EXPECT_EQ(movie[8] >> 3, 16);
  EXPECT_EQ(m.settings.width, 320);  // restored
  EXPECT_EQ(m.settings.preloader, 1);
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "showPreview " + (dir / "p.swf").string() + " 1 100x50"),
            ui.calls.end());
}

TEST_F(PreviewTest, SelectedEventsOnlyAndTheTimelineRestored) {
  auto& m = GUICore::State();
  m.events.push_back(Action(ActionKind::Label, "one"));
  m.events.push_back(Action(ActionKind::Label, "two"));
  m.events.push_back(Action(ActionKind::Label, "three"));
  EventListModule::LoadRows();
  EventListModule::Current().rows[1].selected = -1;
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::SelectedInWindow, "sel.swf"), BuildResult::Done);
  const auto tags = ReadTags(Movie("sel.swf"));
  EXPECT_EQ(CountCode(tags, 43), 1);
  EXPECT_TRUE(CarriesReporter(tags)) << "the selected events play in the preview window too";
  ASSERT_EQ(m.events.count(), 3);
  EXPECT_EQ(m.events.at(1).text1, "one");
  EXPECT_EQ(GUICore::GetTimeline(0).events.count(), 3);
}

TEST_F(PreviewTest, EventPreviewCachesDefinitionsAndLoadsThePlaceholder) {
  AddSprite(2, "s");
  EventRecord a = Place(2, 1);
  ASSERT_TRUE(GUICore::BuildEventPreviewSWF(a, EventRecord{}, dir / "e.swf", true, true, 5));
  const auto first = ReadTags(Movie("e.swf"));
  EXPECT_EQ(CountCode(first, 39), 3);  // the sprite, the placeholder and the reporter
  EXPECT_TRUE(SWFMakeCore::RestoreMovieCache(true));  // the definitions are kept
  ASSERT_TRUE(GUICore::BuildEventPreviewSWF(a, EventRecord{}, dir / "e2.swf", true, false, 0));
  EXPECT_EQ(CountCode(ReadTags(Movie("e2.swf")), 39), 2);  // from the cache, no placeholder
}

TEST_F(PreviewTest, SingleEventPreviewAdvancesEveryFrame) {
  AddSprite(2, "s");
  ASSERT_TRUE(GUICore::BuildSingleEventPreviewSWF(Place(2, 0), "one.swf"));
  int frames = 0;
  ReadTags(Movie("one.swf"), &frames);
  EXPECT_EQ(frames, 1);
}

TEST_F(PreviewTest, OnlyMoviesShownInsideTheProgramCarryTheReporter) {
  AddSprite(2, "s");
  GUICore::State().events.push_back(Place(2, 4));
  int framesWithout = -1;
  for (int mode : {2, 3, 1}) {
    SCOPED_TRACE(mode);
    const std::string name = "m" + std::to_string(mode) + ".swf";
    ASSERT_EQ(GUICore::RunPreview(static_cast<GUICore::PreviewMode>(mode), name), BuildResult::Done);
    int frames = 0;
    const auto tags = ReadTags(Movie(name), &frames);
    EXPECT_EQ(CarriesReporter(tags), mode == 1);
    if (framesWithout < 0) framesWithout = frames;
    EXPECT_EQ(frames, framesWithout) << "the reporter adds no frame";
    EXPECT_EQ(frames, 4);
  }
  ASSERT_EQ(GUICore::MakeSWF(dir / "made.swf", true), BuildResult::Done);
  EXPECT_FALSE(CarriesReporter(ReadTags(Movie("made.swf"))));
  AddSprite(2, "s");
  ASSERT_TRUE(GUICore::BuildSingleEventPreviewSWF(Place(2, 3), "one.swf"));
  EXPECT_TRUE(CarriesReporter(ReadTags(Movie("one.swf"))));
}

TEST_F(PreviewTest, TheReporterCompilesForEveryVersionAndKeepsTheFileWhole) {
  for (int version : {4, 6, 7, 8}) {
    SCOPED_TRACE(version);
    GUICore::State().settings.options = "  " + std::to_string(version);
    ASSERT_EQ(GUICore::GetSWFVersion(), version);
    ASSERT_TRUE(GUICore::BuildSingleEventPreviewSWF(Place(0, 0), "v.swf"));
    const auto movie = Movie("v.swf");
    EXPECT_EQ(movie[3], version);
    const uint32_t length = movie[4] | movie[5] << 8 | movie[6] << 16 | static_cast<uint32_t>(movie[7]) << 24;
    EXPECT_EQ(length, movie.size());
    const auto tags = ReadTags(movie);
    EXPECT_TRUE(CarriesReporter(tags));
    EXPECT_EQ(tags.back().code, 0) << "every tag read to the End tag";
  }
  // A compressed or foreign file is left alone.
  const std::vector<uint8_t> cws = {'C', 'W', 'S', 6, 30, 0, 0, 0, 0x78, 0x9C};
  ASSERT_TRUE(fileio::WriteAtomic(dir / "c.swf", cws));
  EXPECT_FALSE(GUICore::AddFrameReporter(dir / "c.swf"));
  EXPECT_EQ(Movie("c.swf"), cws);
  // A DoAction whose length runs past the end of the file.
  const std::vector<uint8_t> cut = {'F', 'W', 'S', 6, 22, 0, 0, 0, 0x00, 0, 12, 1, 0, 0x3F, 0x03, 0xFF, 0xFF, 0, 0, 1, 2, 3};
  ASSERT_TRUE(fileio::WriteAtomic(dir / "cut.swf", cut));
  EXPECT_FALSE(GUICore::AddFrameReporter(dir / "cut.swf"));
}

// With no scratch folder the previews say why, as the start did, and not
// that a file under the stand-in folder cannot be written; one beside the
// saved project still works.
TEST_F(PreviewTest, WithoutAScratchFolderPreviewsSayTheyHaveNone) {
  AddSprite(2, "s");
  GUICore::State().events.push_back(Place(2, 1));
  GUICore::State().paths.scratch = AppPaths::kNoScratch;
  for (int mode : {1, 2, 3, 4}) {
    SCOPED_TRACE(mode);
    ui.messages.clear();
    EXPECT_EQ(GUICore::RunPreview(static_cast<GUICore::PreviewMode>(mode), "p.swf"), BuildResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, AppPaths::kNoScratchText);
  }
  ui.messages.clear();
  EXPECT_EQ(GUICore::RunEventPreview(Place(2, 1)), GUICore::EventPreviewResult::Failed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, AppPaths::kNoScratchText);
  EXPECT_FALSE(
      std::any_of(ui.calls.begin(), ui.calls.end(), [](const std::string& c) { return c.starts_with("show"); }));
  EXPECT_FALSE(GUICore::BuildInProgress());

  std::filesystem::create_directory(dir / "proj");
  GUICore::State().projectPath = (dir / "proj" / "p.tsm").string();
  GUICore::Previews().previewFilePath = 1;
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::Browser, "p.swf"), BuildResult::Done);
  EXPECT_TRUE(fileio::Exists(dir / "proj" / "_preview.html"));
}

TEST_F(PreviewTest, PreviewFolderFallsBackToScratch) {
  GUICore::Previews().previewFilePath = 1;
  EXPECT_EQ(GUICore::GetPreviewFolder(), dir.path());
  GUICore::State().projectPath = (dir / "gone" / "p.tsm").string();
  EXPECT_EQ(GUICore::GetPreviewFolder(), dir.path());
  std::filesystem::create_directory(dir / "proj");
  GUICore::State().projectPath = (dir / "proj" / "p.tsm").string();
  EXPECT_EQ(GUICore::GetPreviewFolder(), dir / "proj");
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(CompilerTest, TextEffectPreviewPlacesTheEffectSprite) {
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.id = 3;
  text.font = "DejaVu Sans";
  text.name = "Hi";
  text.flags = 0x2000;
  text.option = "@なし;6;1;0;なし;4;1;1;2";
  text.width = 100;
  text.height = 40;
  GUICore::State().store.push_back(text);
  ASSERT_TRUE(GUICore::BuildTextEffectPreviewSWF(text, 20, dir / "fx.swf"));
  int frames = 0;
  const auto tags = ReadTags(Movie("fx.swf"), &frames);
  EXPECT_EQ(frames, 20);
  EXPECT_EQ(CountCode(tags, 39), 4);  // two letters, the effect and the reporter
  EXPECT_EQ(CountCode(tags, 26), 21);  // the effect placed in every frame, and the reporter
}

}  // namespace
}  // namespace tesmiro::testing
