// The store's undo history: depth, sprites deleted and copied, ID changes.
#include <gtest/gtest.h>

#include "project/events.h"
#include "project/model_fixture.h"
#include "project/record_bytes.h"
#include "project/store_undo.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

class StoreUndoTest : public testing::ModelTest {
 protected:
  // Adds an item as the main window's add command records it.
  static int32_t AddRecorded(const std::string& key, std::string name = "") {
    GUICore::SaveStoreUndoState();
    int32_t id = AddItem(key, name);
    if (key == "sprite") GUICore::RecordStoreUndoChange(GUICore::kStoreUndoTimelineCopied, GUICore::GetStoreItemByID(id).param, 0);
    GUICore::PushStoreUndoState();
    return id;
  }
  static void SelectOnly(int32_t id) {
    FileListModule::ClearRowMarks();
    FileListModule::Current().rows.at(FileListModule::GetJpegListIndex(id)).selected = -1;
  }
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
};

TEST_F(StoreUndoTest, DepthLimitKeepsTheNewestSnapshots) {
  GUICore::State().filelistHistoryMax = 3;
  for (int i = 1; i <= 4; ++i) AddRecorded("jpg", "/" + std::to_string(i) + ".jpg");
  EXPECT_EQ(GUICore::State().storeUndoPos, 4);
  AddRecorded("jpg", "/5.jpg");
  EXPECT_EQ(GUICore::State().storeUndoPos, 2);
  EXPECT_EQ(GUICore::State().storeUndo.size(), 3u);
  GUICore::StoreUndo();
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 3);
  EXPECT_FALSE(GUICore::CanStoreUndo());
  GUICore::StoreRedo();
  GUICore::StoreRedo();
  EXPECT_EQ(GUICore::StoreItemCount(), 5);
  for (int i = 6; i <= 8; ++i) AddRecorded("jpg", "/" + std::to_string(i) + ".jpg");
  EXPECT_EQ(GUICore::State().storeUndoPos, 2);
}

TEST_F(StoreUndoTest, UndoAndRedoLeaveTheModifiedStateAlone) {
  AddRecorded("jpg", "/a.jpg");
  GUICore::SetModified(false);
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  GUICore::SetModified(true);
  GUICore::StoreRedo();
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_FALSE(GUICore::CanStoreRedo());
  GUICore::StoreRedo();  // nothing to redo
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
}

TEST_F(StoreUndoTest, DeletedSpriteComesBackWithItsEvents) {
  int32_t image = AddRecorded("jpg", "/a.jpg");
  int32_t first = AddRecorded("sprite");
  int32_t sprite = AddRecorded("sprite");
  GUICore::ShowTimeline(sprite, true);
  EventRecord e;
  e.itemId = image;
  GUICore::InsertEvent(e, 0);
  GUICore::InsertEvent(e, 1);
  SelectOnly(sprite);
  GUICore::SaveStoreUndoState();
  GUICore::DeleteStoreItem(first);
  GUICore::DeleteStoreItem(sprite);
  GUICore::PushStoreUndoState();
  EXPECT_EQ(GUICore::State().timelines.size(), 1u);
  EXPECT_EQ(GUICore::State().shownTimeline, 0);

  GUICore::StoreUndo();
  ASSERT_EQ(GUICore::State().timelines.size(), 3u);
  int32_t t = GUICore::GetStoreItemByID(sprite).param;
  EXPECT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].owner, sprite);
  EXPECT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].events.count(), 2);
  EXPECT_EQ(GUICore::GetStoreItemByID(first).param, GUICore::FindTimelineOfSprite(first));
  // The selection travels with the snapshot.
  EXPECT_EQ(FileListModule::Current().rows.at(FileListModule::GetJpegListIndex(sprite)).selected, -1);

  GUICore::StoreRedo();
  EXPECT_EQ(GUICore::State().timelines.size(), 1u);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{image}));
}

TEST_F(StoreUndoTest, DuplicatedSpriteGoesAndComesBackWithItsTimeline) {
  int32_t sprite = AddRecorded("sprite");
  GUICore::ShowTimeline(sprite, true);
  EventRecord e;
  e.itemId = 0;
  e.kind = static_cast<int16_t>(ActionKind::Stop);
  GUICore::InsertEvent(e, 0);
  GUICore::ShowTimeline(0, false);
  GUICore::RefreshFileList();
  SelectOnly(sprite);
  GUICore::SaveStoreUndoState();
  SelectOnly(sprite);
  int32_t row = FileListModule::RowCount() + 1, mode = 0;
  ASSERT_TRUE(GUICore::CopyMarkedItems(row, mode));
  GUICore::PushStoreUndoState();
  ASSERT_EQ(GUICore::State().timelines.size(), 3u);
  int32_t copy = GUICore::GetStoreItem(2).id;
  GUICore::ShowTimeline(copy, true);  // the undo must first leave this timeline

  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::State().timelines.size(), 2u);
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  GUICore::StoreRedo();
  ASSERT_EQ(GUICore::State().timelines.size(), 3u);
  int32_t t = GUICore::GetStoreItemByID(copy).param;
  EXPECT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].owner, copy);
  EXPECT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].events.count(), 1);
}

TEST_F(StoreUndoTest, IdChangeUndoRestoresEventsOwnersAndTabs) {
  int32_t image = AddRecorded("jpg", "/a.jpg");
  int32_t sprite = AddRecorded("sprite");
  EventRecord e;
  e.itemId = sprite;
  GUICore::InsertEvent(e, 0);
  EventRecord pic;
  pic.itemId = image;
  GUICore::InsertEvent(pic, 1);
  GUICore::ShowTimeline(sprite, true);
  GUICore::ShowTimeline(0, false);

  GUICore::SaveStoreUndoState();
  int32_t newSprite = GUICore::ChangeStoreItemID(sprite, 30);
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, sprite, newSprite);
  int32_t newImage = GUICore::ChangeStoreItemID(image, 40);
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, image, newImage);
  GUICore::PushStoreUndoState();
  ASSERT_EQ(GUICore::State().tabs[1].spriteId, 30);

  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, sprite);
  EXPECT_EQ(GUICore::GetEvent(2).itemId, image);
  EXPECT_EQ(GUICore::State().timelines[1].owner, sprite);
  EXPECT_EQ(GUICore::State().tabs[1].spriteId, sprite);
  EXPECT_EQ(GUICore::GetStoreItemByID(sprite).param, 1);
  GUICore::ShowTimeline(sprite, true);  // the sprite still finds its timeline
  EXPECT_EQ(GUICore::State().shownTimeline, 1);
  GUICore::ShowTimeline(0, false);

  GUICore::StoreRedo();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 30);
  EXPECT_EQ(GUICore::GetEvent(2).itemId, 40);
  EXPECT_EQ(GUICore::State().timelines[1].owner, 30);
  EXPECT_EQ(GUICore::State().tabs[1].spriteId, 30);
  EXPECT_EQ(GUICore::GetStoreItemByID(30).param, 1);
}

TEST_F(StoreUndoTest, ChainedIdChangesInOneStepUndoInReverse) {
  int32_t image = AddRecorded("jpg", "/a.jpg");
  EventRecord e;
  e.itemId = image;
  GUICore::InsertEvent(e, 0);
  GUICore::SaveStoreUndoState();
  for (int32_t wanted : {5, 9}) {
    int32_t old = GUICore::GetStoreItem(1).id;
    GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, old, GUICore::ChangeStoreItemID(old, wanted));
  }
  GUICore::PushStoreUndoState();
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, image);
  GUICore::StoreRedo();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 9);
}

TEST_F(StoreUndoTest, RecordKindFourForgetsIdChanges) {
  AddRecorded("jpg", "/a.jpg");
  GUICore::SaveStoreUndoState();
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, 1, 2);
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoClearIdChanges, 0, 0);
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoTimelineDeleted, 0, 0);  // never the main timeline
  GUICore::RecordStoreUndoChange(GUICore::kStoreUndoTimelineDeleted, 5, 0);  // no such timeline
  const auto& step = GUICore::State().storeUndo[static_cast<size_t>(GUICore::State().storeUndoPos)];
  EXPECT_TRUE(step.idChanges.empty());
  EXPECT_TRUE(step.deletedTimelines.empty());
}

}  // namespace
}  // namespace tesmiro
