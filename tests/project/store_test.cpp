// Store items: IDs, insert positions, the folder tree, ID changes, deletion,
// moving and copying, and the 9999 limit.
#include <gtest/gtest.h>

#include <algorithm>

#include "project/events.h"
#include "project/model_fixture.h"
#include "project/store_undo.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

class StoreTest : public testing::ModelTest {
 protected:
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
  static int32_t Param(int32_t id) { return GUICore::GetStoreItemByID(id).param; }
  static void SelectOnly(std::initializer_list<int32_t> ids) {
    GUICore::SetAllFoldersOpen(1);
    FileListModule::ClearRowMarks();
    for (int32_t id : ids) FileListModule::Current().rows.at(FileListModule::GetJpegListIndex(id)).selected = -1;
  }
  static int32_t RowOf(int32_t id) { return FileListModule::GetJpegListIndex(id); }
  // Checks the folder-tree invariant: every folder's count is the size of
  // the block that follows it, and blocks nest.
  static void ExpectTreeConsistent() {
    const auto& store = GUICore::State().store;
    std::vector<int32_t> ends;
    for (int32_t i = 1; i <= store.count(); ++i) {
      while (!ends.empty() && ends.back() < i) ends.pop_back();
      const auto& item = store.at(i);
      if (!item.isFolder()) continue;
      int32_t end = i + item.param;
      ASSERT_LE(end, store.count()) << "folder " << item.id;
      if (!ends.empty()) {
        ASSERT_LE(end, ends.back()) << "folder " << item.id;
      }
      ends.push_back(end);
    }
  }
};

TEST_F(StoreTest, IdsAreTheFirstFreeAndFreedOnesAreReused) {
  AddItem("jpg", "/1.jpg");
  int32_t two = AddItem("jpg", "/2.jpg");
  AddItem("jpg", "/3.jpg");
  AddItem("jpg", "/4.jpg");
  GUICore::DeleteStoreItem(3);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 4}));
  EXPECT_EQ(AddItem("png", "/5.png"), 3);
  EXPECT_EQ(AddItem("folder"), -1);
  EXPECT_EQ(AddItem("folder"), -2);
  GUICore::DeleteStoreItem(-1);
  EXPECT_EQ(AddItem("FOLDER"), -1);  // keys in any case
  EXPECT_EQ(two, 2);
  EXPECT_EQ(GUICore::NextFreeStoreID(10000), 5);
  EXPECT_EQ(GUICore::NextFreeStoreID(4), 4);
}

TEST_F(StoreTest, UnknownKeyAndDuplicateFileAddNothing) {
  EXPECT_EQ(AddItem("webp", "/a.webp"), 0);
  AddItem("jpg", "/x.jpg");
  AddItem("wav", "/a.wav");
  EXPECT_EQ(AddItem("jpg", "/a.wav"), 2);  // the position of the existing item
  EXPECT_EQ(GUICore::StoreItemCount(), 2);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(StoreTest, TextKeyReadsTheFileAndHandsTheTextBack) {
  WriteFile(dir / "t.txt", "\x95\x5C\x8E\xA6");  // 表示 in CP932
  std::string arg = (dir / "t.txt").string();
  int32_t row = 1, mode = 0;
  int32_t id = GUICore::AddStoreItem(arg, "txt", row, mode);
  EXPECT_EQ(arg, "表示");
  EXPECT_EQ(GUICore::GetStoreItemByID(id).name, "表示");
}

TEST_F(StoreTest, SeveralAddsAtOneRowKeepTheirOrder) {
  int32_t a = AddItem("jpg", "/a.jpg");
  int32_t folder = AddItem("folder");
  int32_t inside = AddIntoFolder(folder, "jpg", "/in.jpg");
  GUICore::RefreshFileList();
  int32_t row = RowOf(a), mode = 0;
  for (const char* p : {"/p.jpg", "/q.jpg", "/r.jpg"}) {
    std::string path = p;
    GUICore::AddStoreItem(path, "jpg", row, mode);
  }
  EXPECT_EQ(row, 4);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 4, 5, 1, -1, 2}));
  GUICore::RefreshFileList();
  row = RowOf(folder);
  mode = 1;
  for (const char* p : {"/s.jpg", "/t.jpg"}) {
    std::string path = p;
    GUICore::AddStoreItem(path, "jpg", row, mode);
  }
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 4, 5, 1, -1, 2, 6, 7}));
  EXPECT_EQ(Param(folder), 3);
  EXPECT_EQ(inside, 2);
  // Mode 1 on an item that is not a folder inserts before it and leaves its
  // Param (here a sprite's timeline link) alone.
  int32_t sprite = AddItem("sprite");
  GUICore::RefreshFileList();
  row = RowOf(sprite);
  mode = 1;
  std::string path = "/u.jpg";
  GUICore::AddStoreItem(path, "jpg", row, mode);
  EXPECT_EQ(Param(sprite), 1);
  ExpectTreeConsistent();
}

TEST_F(StoreTest, TheStoreNeverGoesBeyondNineThousandNineHundredNinetyNine) {
  auto& store = GUICore::State().store;
  for (int32_t i = 1; i <= kMaxStoreItems - 1; ++i) {
    StoreItem item = NewStoreItem(StoreItemKind::Clone);
    item.id = i;
    store.push_back(item);
  }
  EXPECT_EQ(AddItem("clone"), 9999);
  ui.messages.clear();
  EXPECT_EQ(AddItem("clone"), 0);
  EXPECT_EQ(AddItem("folder"), 0);
  EXPECT_EQ(GUICore::StoreItemCount(), kMaxStoreItems);
  ASSERT_EQ(ui.messages.size(), 2u);
  // IDs run out before the count does when high IDs are taken.
  GUICore::DeleteStoreItem(5);
  GUICore::DeleteStoreItem(6);
  GUICore::RefreshFileList();
  SelectOnly({1, 2, 3});
  int32_t row = FileListModule::RowCount() + 1, mode = 0;
  EXPECT_FALSE(GUICore::CopyMarkedItems(row, mode));
  EXPECT_EQ(GUICore::StoreItemCount(), kMaxStoreItems - 2);
  SelectOnly({1, 2});
  EXPECT_TRUE(GUICore::CopyMarkedItems(row, mode));
  EXPECT_EQ(GUICore::GetStoreItem(kMaxStoreItems).id, 6);
}

TEST_F(StoreTest, IdChangeTakesTheNextFreeIdAndRewritesReferences) {
  for (int i = 1; i <= 5; ++i) AddItem("jpg", "/" + std::to_string(i) + ".jpg");
  GUICore::ChangeStoreItemID(3, 7);
  GUICore::ChangeStoreItemID(4, 8);
  StoreItem morph = NewStoreItem(StoreItemKind::VectorImage);
  morph = GUICore::GetStoreItemByID(AddItem("kvg", "/m.kvg"));
  morph.flags = 1;
  morph.param = 5;
  GUICore::SetStoreItem(morph.id, morph);
  EventRecord e;
  e.itemId = 5;
  e.buttonFlag = 1;
  e.hitItemId = 5;
  e.overItemId = 2;
  GUICore::InsertEvent(e, 0);
  EventRecord plain;
  plain.itemId = 1;
  plain.downItemId = 5;  // not a button: its state IDs are not references
  GUICore::InsertEvent(plain, 1);

  EXPECT_EQ(GUICore::ChangeStoreItemID(5, 7), 9);
  EXPECT_EQ(GUICore::GetStoreItemByID(morph.id).param, 9);
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 9);
  EXPECT_EQ(GUICore::GetEvent(1).hitItemId, 9);
  EXPECT_EQ(GUICore::GetEvent(1).overItemId, 2);
  EXPECT_EQ(GUICore::GetEvent(2).downItemId, 5);
  EXPECT_EQ(EventListModule::Current().rows[0].selected, -1);  // changed events end up selected
  EXPECT_EQ(EventListModule::Current().rows[1].selected, 0);
  // Asking for its own ID gives the next free one above it.
  EXPECT_EQ(GUICore::ChangeStoreItemID(9, 9), 10);
  // Nothing free up to 9999: unchanged.
  GUICore::ChangeStoreItemID(10, 9999);
  EXPECT_EQ(GUICore::ChangeStoreItemID(1, 9999), 1);
  EXPECT_EQ(GUICore::GetStoreItem(1).id, 1);
  EXPECT_EQ(GUICore::ChangeStoreItemID(1, 0), 1);
  EXPECT_EQ(GUICore::ChangeStoreItemID(42, 50), 42);
}

TEST_F(StoreTest, SpriteIdChangeMovesItsTimelineAndTab) {
  int32_t sprite = AddItem("sprite");
  GUICore::ShowTimeline(sprite, true);
  ui.calls.clear();
  int32_t newId = GUICore::ChangeStoreItemID(sprite, 20);
  EXPECT_EQ(newId, 20);
  EXPECT_EQ(GUICore::State().timelines[1].owner, 20);
  EXPECT_EQ(GUICore::State().tabs[1].spriteId, 20);
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "setTimelineHeader"), 1);
  EXPECT_EQ(GUICore::TimelineHeaderText(), "[スプライト(1)] (ID:20)");
}

TEST_F(StoreTest, DeletingAFolderRemovesItsWholeSubtree) {
  int32_t top = AddItem("folder");
  int32_t f = AddIntoFolder(top, "folder");
  int32_t inner = AddIntoFolder(f, "folder");
  AddIntoFolder(inner, "jpg", "/a.jpg");
  AddIntoFolder(inner, "jpg", "/b.jpg");
  int32_t sprite = AddIntoFolder(f, "sprite");
  int32_t kept = AddIntoFolder(top, "jpg", "/c.jpg");
  EventRecord e;
  e.itemId = 1;
  GUICore::ShowTimeline(sprite, true);
  GUICore::InsertEvent(e, 0);
  ASSERT_EQ(Param(top), 6);
  GUICore::DeleteStoreItem(f);
  EXPECT_EQ(Param(top), 1);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{top, kept}));
  EXPECT_EQ(GUICore::State().timelines.size(), 1u);  // the sprite's timeline went with it
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  EXPECT_EQ(GUICore::State().tabs.size(), 1u);
  ExpectTreeConsistent();
}

TEST_F(StoreTest, DeletingASpriteRelinksTheOthers) {
  int32_t a = AddItem("sprite");
  int32_t b = AddItem("sprite");
  int32_t c = AddItem("sprite");
  GUICore::DeleteStoreItem(a);
  EXPECT_EQ(Param(b), 1);
  EXPECT_EQ(Param(c), 2);
  EXPECT_EQ(GUICore::State().timelines[2].owner, c);
  // A sprite whose Param does not point at its timeline never takes another
  // timeline (least of all the main one) with it.
  StoreItem broken = GUICore::GetStoreItemByID(b);
  broken.param = 0;
  GUICore::SetStoreItem(b, broken);
  GUICore::DeleteStoreItem(b);
  EXPECT_EQ(GUICore::State().timelines.size(), 2u);
  EXPECT_EQ(GUICore::State().timelines[1].owner, c);
  GUICore::DeleteTimeline(0);
  EXPECT_EQ(GUICore::State().timelines.size(), 2u);
}

TEST_F(StoreTest, MoveIntoAFolderUpdatesBothFolders) {
  int32_t from = AddItem("folder");
  int32_t item = AddIntoFolder(from, "jpg", "/a.jpg");
  AddIntoFolder(from, "jpg", "/b.jpg");
  int32_t to = AddItem("folder");
  AddIntoFolder(to, "jpg", "/c.jpg");
  SelectOnly({item});
  int32_t row = RowOf(to), mode = 1;
  ASSERT_TRUE(GUICore::MoveMarkedItems(row, mode));
  EXPECT_EQ(Param(from), 1);
  EXPECT_EQ(Param(to), 2);
  EXPECT_EQ(GUICore::GetStoreItem(GUICore::StoreItemCount()).id, item);
  EXPECT_EQ(GUICore::GetStoreItem(GUICore::StoreItemCount()).mark, -1);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  ExpectTreeConsistent();
}

TEST_F(StoreTest, MoveOfAFolderBlockBeforeAnItem) {
  int32_t first = AddItem("jpg", "/first.jpg");
  int32_t folder = AddItem("folder");
  int32_t sub = AddIntoFolder(folder, "folder");
  AddIntoFolder(sub, "jpg", "/a.jpg");
  AddIntoFolder(folder, "jpg", "/b.jpg");
  int32_t last = AddItem("jpg", "/last.jpg");
  SelectOnly({folder, sub});  // contents selected with the folder move once
  int32_t row = RowOf(first), mode = 0;
  ASSERT_TRUE(GUICore::MoveMarkedItems(row, mode));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{folder, sub, 2, 3, first, last}));
  EXPECT_EQ(Param(folder), 3);
  ExpectTreeConsistent();
  // And to the end.
  SelectOnly({first});
  row = FileListModule::RowCount() + 1;
  ASSERT_TRUE(GUICore::MoveMarkedItems(row, mode));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{folder, sub, 2, 3, last, first}));
}

TEST_F(StoreTest, MoveIntoAMovedFolderIsRefused) {
  int32_t folder = AddItem("folder");
  int32_t sub = AddIntoFolder(folder, "folder");
  int32_t a = AddIntoFolder(sub, "jpg", "/a.jpg");
  AddItem("jpg", "/b.jpg");
  auto before = Ids();
  for (auto [target, mode] : {std::pair{sub, 1}, std::pair{folder, 1}, std::pair{a, 0}, std::pair{sub, 0}}) {
    SelectOnly({folder});
    GUICore::SetModified(false);
    int32_t row = RowOf(target), m = mode;
    EXPECT_FALSE(GUICore::MoveMarkedItems(row, m)) << target << " mode " << mode;
    EXPECT_EQ(Ids(), before);
    EXPECT_EQ(Param(folder), 2);
    EXPECT_FALSE(GUICore::HasUnsavedChanges());
  }
  // Moving a folder before itself is allowed and changes nothing.
  SelectOnly({folder});
  int32_t row = RowOf(folder), mode = 0;
  EXPECT_TRUE(GUICore::MoveMarkedItems(row, mode));
  EXPECT_EQ(Ids(), before);
  ExpectTreeConsistent();
}

TEST_F(StoreTest, CopyGivesNewIdsUniqueSpriteNamesAndOwnTimelines) {
  int32_t folder = AddItem("folder");
  int32_t sprite = AddIntoFolder(folder, "sprite");
  int32_t image = AddIntoFolder(folder, "jpg", "/a.jpg");
  StoreItem s = GUICore::GetStoreItemByID(sprite);
  s.name = "S";
  GUICore::SetStoreItem(sprite, s);
  int32_t other = AddItem("sprite");
  StoreItem o = GUICore::GetStoreItemByID(other);
  o.name = "S(2)";
  GUICore::SetStoreItem(other, o);
  GUICore::ShowTimeline(sprite, true);
  EventRecord e;
  e.itemId = image;
  GUICore::InsertEvent(e, 0);
  GUICore::ShowTimeline(0, false);

  GUICore::SaveStoreUndoState();
  SelectOnly({folder, other});
  int32_t row = FileListModule::RowCount() + 1, mode = 0;
  ASSERT_TRUE(GUICore::CopyMarkedItems(row, mode));
  GUICore::PushStoreUndoState();
  // Copies: folder -2, sprite 4, image 5, sprite 6, in list order.
  EXPECT_EQ(Ids(), (std::vector<int32_t>{folder, sprite, image, other, -2, 4, 5, 6}));
  EXPECT_EQ(GUICore::GetStoreItemByID(4).name, "S(3)");
  EXPECT_EQ(GUICore::GetStoreItemByID(6).name, "S(4)");  // not S(3) again
  EXPECT_EQ(Param(-2), 2);
  int32_t t = Param(4);
  EXPECT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].owner, 4);
  ASSERT_EQ(GUICore::State().timelines[static_cast<size_t>(t)].events.count(), 1);
  EXPECT_NE(t, Param(sprite));
  EXPECT_EQ(GUICore::State().storeUndo[0].copiedTimelines.size(), 2u);
  ExpectTreeConsistent();
}

TEST_F(StoreTest, FolderOpenStateIsAChangeAndRebuildsRows) {
  int32_t folder = AddItem("folder");
  AddIntoFolder(folder, "jpg", "/a.jpg");
  GUICore::SetAllFoldersOpen(0);
  GUICore::SetModified(false);
  EXPECT_EQ(FileListModule::RowCount(), 1);
  GUICore::SetFolderOpen(1, 1);
  EXPECT_EQ(FileListModule::RowCount(), 2);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  GUICore::SetFolderOpen(2, 0);  // not a folder: nothing
  EXPECT_EQ(GUICore::GetStoreItem(2).flags, 0);
}

TEST_F(StoreTest, UpdateTellsWhetherTheRecordChanged) {
  int32_t id = AddItem("txt");
  GUICore::SetModified(false);
  StoreItem item = GUICore::GetStoreItemByID(id);
  EXPECT_FALSE(GUICore::UpdateStoreItem(id, item));
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  item.size = 13.0f;
  EXPECT_TRUE(GUICore::UpdateStoreItem(id, item));
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_EQ(GUICore::GetStoreItemByID(id).size, 13.0f);
  EXPECT_EQ(GUICore::GetStoreItemByID(77).id, 0);
  EXPECT_EQ(GUICore::GetStoreItem(0).id, 0);
}

}  // namespace
}  // namespace tesmiro
