#include "project/import.h"

#include <gtest/gtest.h>

#include <climits>

#include "model_fixture.h"
#include "project/project_file.h"
#include "project/timelines.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using testing::TsmBuilder;

class ImportTest : public testing::ModelTest {
 protected:
  // The open project: texts with the given IDs and one event.
  void Store(std::vector<int32_t> ids) {
    auto& m = GUICore::State();
    for (int32_t id : ids) {
      StoreItem it = NewStoreItem(StoreItemKind::Text);
      it.id = id;
      it.name = "own " + std::to_string(id);
      m.store.push_back(it);
    }
    EventRecord e;
    e.itemId = ids.empty() ? 0 : ids[0];
    m.events.push_back(e);
  }

  // A project with a text (1), an image (2) and a sprite (3) with its
  // timeline; the main timeline places 1 and 2 (as a button over 1).
  std::string ImportFile(int32_t textId = 1, int32_t imageId = 2, const std::string& imagePath = "C:\\old\\Pic.jpg") {
    TsmBuilder b;
    b.header().settings(550, 400);
    b.i32(4).item(textId, 3, "imported").item(imageId, 1, imagePath).item(3, 4, "spr", 1);
    b.item(-1, -1, "folder", 0);
    b.i32(1);
    b.i32(0).i32(2).event("0A3", textId).event("0A3", imageId, "", "", 0, {{0, 0}}, textId);
    b.i32(3).i32(1).event("0A3", textId);
    auto path = dir / "in" / "other.tsm";
    fs::create_directories(path.parent_path());
    b.save(path);
    return path.string();
  }

  std::vector<int32_t> Ids() const {
    std::vector<int32_t> ids;
    for (const StoreItem& it : GUICore::State().store) ids.push_back(it.id);
    return ids;
  }
};

TEST_F(ImportTest, ShiftsIdsAndRewritesReferences) {
  Store({1, 2, 3, 4, 5});
  EXPECT_TRUE(GUICore::ImportProject(ImportFile(), 5, 10000, 0, "", 0).ok());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, -6}));
  const auto& m = GUICore::State();
  ASSERT_EQ(m.events.count(), 3);
  EXPECT_EQ(m.events.at(2).itemId, 6);
  EXPECT_EQ(m.events.at(3).itemId, 7);
  EXPECT_EQ(m.events.at(3).downItemId, 6);
  // The sprite (now 8) owns the appended timeline, whose events follow too.
  ASSERT_EQ(m.timelines.size(), 2u);
  EXPECT_EQ(m.timelines[1].owner, 8);
  EXPECT_EQ(m.store.at(8).param, 1);
  EXPECT_EQ(m.timelines[1].events.at(1).itemId, 6);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(ImportTest, CollidingIdsAreRaisedUntilFree) {
  Store({1, 2, 3, 4, 5, 7, 9});
  EXPECT_TRUE(GUICore::ImportProject(ImportFile(), 5, 10000, 0, "", 0).ok());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5, 7, 9, 6, 8, 10, -6}));
}

TEST_F(ImportTest, IdsAtTheLimitReplaceTheStoreItem) {
  Store({9999, 1});
  EXPECT_TRUE(GUICore::ImportProject(ImportFile(9999), 1, 9999, 0, "", 0).ok());
  const auto& m = GUICore::State();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 9999, 3, 4, -2}));
  EXPECT_EQ(m.store.at(2).name, "imported");
  EXPECT_EQ(m.events.at(2).itemId, 9999);
}

TEST_F(ImportTest, ReusesIdenticalFiles) {
  auto pic = dir / "in" / "pic.jpg";
  fs::create_directories(pic.parent_path());
  WriteFile(pic, "jpeg");
  Store({1});
  StoreItem image = NewStoreItem(StoreItemKind::RasterImage);
  image.id = 40;
  image.name = pic.string();
  image.size = 12.0f;
  image.lineSpacing = 2.0f;
  GUICore::State().store.push_back(image);
  GUICore::State().store.push_back(GUICore::State().store.at(1));
  GUICore::State().store.at(3).id = 41;
  std::string file = ImportFile(1, 2, pic.string());
  EXPECT_TRUE(GUICore::ImportProject(file, 100, 10000, GUICore::kImportReuseDuplicates, "", 0).ok());
  // The existing item moved to the end of the list under its own ID.
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 41, 101, 40, 103, -101}));
  EXPECT_EQ(GUICore::State().events.at(3).itemId, 40);
}

TEST_F(ImportTest, MainTimelineAsSpriteOrLeftOut) {
  Store({1});
  EXPECT_TRUE(GUICore::ImportProject(ImportFile(), 10, 10000, GUICore::kImportMainAsSprite | GUICore::kImportSkipMainEvents,
                                     "取り込み", 0)
                  .ok());
  const auto& m = GUICore::State();
  EXPECT_EQ(m.events.count(), 1);
  ASSERT_EQ(m.timelines.size(), 3u);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 11, 12, 13, -11, 14}));
  const StoreItem& sprite = m.store.at(6);
  EXPECT_EQ(sprite.kind, StoreItemKind::Sprite);
  EXPECT_EQ(sprite.name, "取り込み");
  EXPECT_EQ(sprite.width, 550);
  EXPECT_EQ(sprite.height, 400);
  EXPECT_EQ(sprite.size, 12.0f);
  EXPECT_EQ(sprite.param, 1);
  EXPECT_EQ(m.timelines[1].owner, 14);
  EXPECT_EQ(m.timelines[1].events.count(), 2);
  EXPECT_EQ(m.timelines[2].owner, 13);
  EXPECT_EQ(m.store.at(4).param, 2);

  GUICore::NewProject();
  Store({1});
  EXPECT_TRUE(GUICore::ImportProject(ImportFile(), 10, 10000, GUICore::kImportSkipMainEvents, "", 0).ok());
  EXPECT_EQ(GUICore::State().events.count(), 1);
  EXPECT_EQ(GUICore::State().timelines.size(), 2u);
}

TEST_F(ImportTest, MissingMaterialIsTakenFromBesideTheImportedFile) {
  Store({1});
  std::string file = ImportFile();
  WriteFile(dir / "in" / "pic.JPG", "jpeg");
  EXPECT_TRUE(GUICore::ImportProject(file, 1, 10000, 0, "", 0).ok());
  EXPECT_EQ(GUICore::State().store.at(3).name, (dir / "in" / "pic.JPG").string());
}

TEST_F(ImportTest, RefusesBeforeChangingAnything) {
  Store({1, 2});
  const auto before = GUICore::State();
  const Result<void> imported = GUICore::ImportProject(ImportFile(), 9998, 10000, 0, "", 0);
  ASSERT_FALSE(imported.ok());
  const std::string& result = imported.message();
  EXPECT_NE(result.find("9999"), std::string::npos) << result;
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(GUICore::State().events.count(), before.events.count());
  EXPECT_EQ(GUICore::State().timelines.size(), before.timelines.size());

  EXPECT_FALSE(GUICore::ImportProject(ImportFile(), -1, 10000, 0, "", 0).ok());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));

  // A folder at the end of the 32-bit range cannot move further.
  TsmBuilder far;
  far.header().settings().i32(1).item(INT32_MIN, -1, "folder").i32(0).i32(0).i32(0);
  far.save(dir / "far.tsm");
  EXPECT_EQ(GUICore::ImportProject((dir / "far.tsm").string(), 5, 10000, 0, "", 0).message(), "IDのオフセット 5 は使えません。");
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));

  WriteFile(dir / "bad.tsm", "TSM0A3");
  EXPECT_EQ(GUICore::ImportProject((dir / "bad.tsm").string(), 5, 10000, 0, "", 0).message(), TSMModule::kInvalidFileText);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
}

}  // namespace
}  // namespace tesmiro
