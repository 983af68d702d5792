#include "compiler/previews.h"
#include "compiler_test_util.h"
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

TEST_F(PreviewTest, WholeMoviePreviewWritesPageAndMovieAndShowsThem) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(GUICore::RunPreview(1, "_preview.swf"), BuildResult::Done);
  EXPECT_TRUE(fileio::Exists(dir / "_preview.swf"));
  const auto page = fileio::ReadAll(dir / "_preview.html");
  ASSERT_TRUE(page);
  EXPECT_NE(std::string(page->begin(), page->end()).find("width=\"320\""), std::string::npos);
  EXPECT_EQ(ui.calls.back(), "filling off");
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
  ASSERT_EQ(GUICore::RunPreview(1, "p.swf"), BuildResult::Done);
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
  ASSERT_EQ(GUICore::RunPreview(4, "sel.swf"), BuildResult::Done);
  const auto tags = ReadTags(Movie("sel.swf"));
  EXPECT_EQ(CountCode(tags, 43), 1);
  ASSERT_EQ(m.events.count(), 3);
  EXPECT_EQ(m.events.at(1).text1, "one");
  EXPECT_EQ(GUICore::GetTimeline(0).events.count(), 3);
}

TEST_F(PreviewTest, EventPreviewCachesDefinitionsAndLoadsThePlaceholder) {
  AddSprite(2, "s");
  EventRecord a = Place(2, 1);
  ASSERT_TRUE(GUICore::BuildEventPreviewSWF(a, EventRecord{0}, dir / "e.swf", true, true, 5));
  const auto first = ReadTags(Movie("e.swf"));
  EXPECT_EQ(CountCode(first, 39), 2);  // the sprite and the placeholder
  EXPECT_FALSE(SWFMakeCore::state().movieCache.empty());
  ASSERT_TRUE(GUICore::BuildEventPreviewSWF(a, EventRecord{0}, dir / "e2.swf", true, false, 0));
  EXPECT_EQ(CountCode(ReadTags(Movie("e2.swf")), 39), 1);  // from the cache, no placeholder
}

TEST_F(PreviewTest, SingleEventPreviewAdvancesEveryFrame) {
  AddSprite(2, "s");
  ASSERT_TRUE(GUICore::BuildSingleEventPreviewSWF(Place(2, 0), "one.swf"));
  int frames = 0;
  ReadTags(Movie("one.swf"), &frames);
  EXPECT_EQ(frames, 1);
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
  EXPECT_EQ(CountCode(tags, 39), 3);  // two letters and the effect
  EXPECT_EQ(CountCode(tags, 26), 20);  // the effect placed in every frame
}

}  // namespace
}  // namespace tesmiro::testing
