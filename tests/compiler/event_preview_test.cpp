#include "compiler/event_preview.h"

#include <algorithm>

#include "compiler/previews.h"
#include "compiler_test_util.h"
#include "project/build_lock.h"
#include "project/timelines.h"

namespace tesmiro::testing {
namespace {

using GUICore::EventPreviewResult;

class EventPreviewTest : public CompilerTest {
 protected:
  // Width and height of the movie header's stage rectangle.
  static std::pair<int64_t, int64_t> StageTwips(const std::vector<uint8_t>& movie) {
    size_t bit = 8 * 8;
    auto read = [&](int n) {
      int64_t v = 0;
      for (int i = 0; i < n; ++i, ++bit) v = (v << 1) | ((movie[bit / 8] >> (7 - bit % 8)) & 1);
      return v;
    };
    const int n = static_cast<int>(read(5));
    const int64_t xmin = read(n), xmax = read(n), ymin = read(n), ymax = read(n);
    return {xmax - xmin, ymax - ymin};
  }

  bool Called(const std::string& call) const {
    return std::find(ui.calls.begin(), ui.calls.end(), call) != ui.calls.end();
  }
};

TEST_F(EventPreviewTest, TheEventPlaysAloneOnItsSpritesStage) {
  const int32_t t = AddSprite(2, "s");
  auto& m = GUICore::State();
  m.store.at(1).width = 120;
  m.store.at(1).height = 90;
  m.settings.preloader = 1;
  m.settings.soundSync = 1;
  GUICore::SelectTimelineData(t, false);
  ASSERT_EQ(GUICore::RunEventPreview(Place(2, 3)), EventPreviewResult::Shown);
  const std::string movie = (dir / GUICore::kEventPreviewMovie).string();
  EXPECT_TRUE(Called("showPreview " + movie + " 1 120x90"));
  // The preview window was closed before the movie was written.
  EXPECT_LT(std::find(ui.calls.begin(), ui.calls.end(), "unloadPreviewWindow") - ui.calls.begin(),
            std::find(ui.calls.begin(), ui.calls.end(), "showPreview " + movie + " 1 120x90") - ui.calls.begin());
  EXPECT_EQ(StageTwips(Movie(GUICore::kEventPreviewMovie)), (std::pair<int64_t, int64_t>{2400, 1800}));
  EXPECT_EQ(m.settings.width, 320);
  EXPECT_EQ(m.settings.height, 320);
  EXPECT_EQ(m.settings.preloader, 1);
  EXPECT_EQ(m.settings.soundSync, 1);
}

TEST_F(EventPreviewTest, AFailedBuildRestoresTheSettingsAndSaysSo) {
  const int32_t t = AddSprite(2, "s");
  auto& m = GUICore::State();
  m.store.at(1).width = 10;
  m.settings.preloader = 1;
  GUICore::SelectTimelineData(t, false);
  m.paths.scratch = dir.path() / "missing" / "folder";
  EXPECT_EQ(GUICore::RunEventPreview(Place(2, 3)), EventPreviewResult::Failed);
  EXPECT_EQ(m.settings.width, 320);
  EXPECT_EQ(m.settings.preloader, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_NE(ui.messages[0].text.find("_eventpreview.swf"), std::string::npos);
  EXPECT_FALSE(std::any_of(ui.calls.begin(), ui.calls.end(),
                           [](const std::string& c) { return c.rfind("showPreview", 0) == 0; }));
}

TEST_F(EventPreviewTest, PreviewBuildersWaitForARunningBuild) {
  AddSprite(2, "s");
  GUICore::BuildLock build;
  ui.calls.clear();  // the lock's own notification
  EXPECT_EQ(GUICore::RunEventPreview(Place(2, 3)), EventPreviewResult::Busy);
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_FALSE(GUICore::BuildSingleEventPreviewSWF(Place(2, 3), "one.swf"));
  EXPECT_FALSE(GUICore::BuildEventPreviewSWF(Place(2, 3), Place(0, 0), dir / "e.swf", false, false, 0));
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.id = 3;
  EXPECT_FALSE(GUICore::BuildTextEffectPreviewSWF(text, 5, dir / "t.swf"));
  EXPECT_FALSE(fileio::Exists(dir / "one.swf"));
  EXPECT_FALSE(fileio::Exists(dir / "e.swf"));
  EXPECT_FALSE(fileio::Exists(dir / "t.swf"));
}

}  // namespace
}  // namespace tesmiro::testing
