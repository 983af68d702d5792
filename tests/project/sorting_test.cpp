// Sorting, shifting, selecting and searching the store and the event list.
#include <gtest/gtest.h>

#include "project/current_event.h"
#include "project/events.h"
#include "project/model_fixture.h"
#include "project/sorting.h"
#include "project/store_undo.h"

namespace tesmiro {
namespace {

class SortingTest : public testing::ModelTest {
 protected:
  // Puts items straight into the store: (id, kind, param).
  static void Build(std::initializer_list<std::tuple<int32_t, StoreItemKind, int32_t>> items) {
    auto& store = GUICore::State().store;
    store.clear();
    for (auto [id, kind, param] : items) {
      StoreItem item = NewStoreItem(kind);
      item.id = id;
      item.name = "item" + std::to_string(id);
      item.param = param;
      item.flags = kind == StoreItemKind::Folder ? 1 : 0;
      store.push_back(item);
    }
    GUICore::RefreshFileList();
  }
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
  static std::vector<int32_t> Params() {
    std::vector<int32_t> p;
    for (const auto& item : GUICore::State().store) p.push_back(item.param);
    return p;
  }
  static void SelectOnly(int32_t id) {
    FileListModule::ClearRowMarks();
    FileListModule::Current().rows.at(FileListModule::GetJpegListIndex(id)).selected = -1;
  }
  static constexpr StoreItemKind F = StoreItemKind::Folder;
  static constexpr StoreItemKind I = StoreItemKind::RasterImage;
};

TEST_F(SortingTest, IdKeysSortAndOneUndoRestores) {
  Build({{3, I, 0}, {1, I, 0}, {2, I, 0}});
  GUICore::SortStoreItems(1, 3, GUICore::kSortIdAscending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  GUICore::SortStoreItems(1, 3, GUICore::kSortIdDescending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1}));
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3}));
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 1, 2}));
  // A sorted range records nothing.
  GUICore::ClearStoreUndo();
  Build({{1, I, 0}, {2, I, 0}});
  GUICore::SortStoreItems(1, 2, GUICore::kSortIdAscending);
  EXPECT_FALSE(GUICore::CanStoreUndo());
  // Ranges that do not fit are ignored.
  GUICore::SortStoreItems(0, 2, GUICore::kSortIdDescending);
  GUICore::SortStoreItems(1, 3, GUICore::kSortIdDescending);
  GUICore::SortStoreItems(2, 2, GUICore::kSortIdDescending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
}

TEST_F(SortingTest, FoldersStayAndTheirContentsAreSorted) {
  Build({{5, I, 0}, {-1, F, 2}, {9, I, 0}, {7, I, 0}, {1, I, 0}});
  GUICore::SortStoreItems(1, 5, GUICore::kSortIdAscending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{5, -1, 7, 9, 1}));
  for (const auto& item : GUICore::State().store) EXPECT_EQ(item.mark, 0);
}

TEST_F(SortingTest, FoldersLastKeepsNestingAndCounts) {
  Build({{1, I, 0}, {-1, F, 0}, {-2, F, 1}, {-3, F, 0}, {2, I, 0}});
  GUICore::SortStoreItems(1, 5, GUICore::kSortFoldersLast);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, -1, -2, -3}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{0, 0, 0, 1, 0}));
  GUICore::SortStoreItems(1, 5, GUICore::kSortFoldersFirst);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{-1, -2, -3, 1, 2}));
}

TEST_F(SortingTest, ClonesNeverMoveForTheFolderKeys) {
  Build({{1, I, 0}, {2, StoreItemKind::Clone, 0}, {-1, F, 0}, {3, I, 0}});
  GUICore::SortStoreItems(1, 4, GUICore::kSortFoldersFirst);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, -1, 3}));
}

TEST_F(SortingTest, KindKeysAreStable) {
  Build({{1, StoreItemKind::Sound, 0}, {2, I, 0}, {3, StoreItemKind::Sound, 0}, {4, I, 0}});
  GUICore::SortStoreItems(1, 4, GUICore::kSortKindAscending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{2, 4, 1, 3}));
  GUICore::SortStoreItems(1, 4, GUICore::kSortKindDescending);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, 2, 4}));
}

TEST_F(SortingTest, ShiftLeavesAndEntersFolders) {
  // [a, F(b, c), d]
  Build({{1, I, 0}, {-1, F, 2}, {2, I, 0}, {3, I, 0}, {4, I, 0}});
  SelectOnly(2);
  GUICore::ShiftSelectedStoreItems(-1);  // first of its folder: out, in front of it
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, -1, 3, 4}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{0, 0, 1, 0, 0}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 2);
  SelectOnly(3);
  GUICore::ShiftSelectedStoreItems(1);  // last of its folder: out, right after it
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, -1, 3, 4}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{0, 0, 0, 0, 0}));
  EXPECT_TRUE(GUICore::CanStoreUndo());
  GUICore::StoreUndo();
  GUICore::StoreUndo();
  EXPECT_EQ(Params(), (std::vector<int32_t>{0, 2, 0, 0, 0}));
}

TEST_F(SortingTest, ShiftDownOntoAFolderEntersAndOpensIt) {
  Build({{1, I, 0}, {-1, F, 1}, {2, I, 0}});
  GUICore::State().store.at(2).flags = 0;
  GUICore::RefreshFileList();
  SelectOnly(1);
  GUICore::ShiftSelectedStoreItems(1);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{-1, 1, 2}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{2, 0, 0}));
  EXPECT_EQ(GUICore::State().store.at(1).flags, 1);
  // Up into an empty sibling folder above.
  Build({{-1, F, 0}, {1, I, 0}});
  SelectOnly(1);
  GUICore::ShiftSelectedStoreItems(-1);
  EXPECT_EQ(Params(), (std::vector<int32_t>{1, 0}));
}

TEST_F(SortingTest, ShiftAtTheEdgesChangesNothing) {
  Build({{-1, F, 1}, {1, I, 0}});
  GUICore::SetModified(false);
  SelectOnly(1);
  GUICore::ShiftSelectedStoreItems(1);  // last item of the list, inside a folder
  EXPECT_EQ(Ids(), (std::vector<int32_t>{-1, 1}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{1, 0}));
  SelectOnly(-1);
  GUICore::ShiftSelectedStoreItems(-1);
  EXPECT_EQ(Params(), (std::vector<int32_t>{1, 0}));
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(SortingTest, ShiftMovesAFolderAsOneBlock) {
  Build({{1, I, 0}, {-1, F, 1}, {2, I, 0}, {3, I, 0}});
  FileListModule::ClearRowMarks();
  FileListModule::Current().rows.at(2).selected = -1;
  FileListModule::Current().rows.at(3).selected = -1;  // its content, selected with it
  GUICore::ShiftSelectedStoreItems(1);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, -1, 2}));
  EXPECT_EQ(Params(), (std::vector<int32_t>{0, 0, 1, 0}));
}

TEST_F(SortingTest, SelectingOpensTheEnclosingFolders) {
  Build({{-1, F, 2}, {-2, F, 1}, {5, I, 0}});
  GUICore::SetAllFoldersOpen(0);
  GUICore::SetModified(false);
  EventRecord e;
  e.itemId = 5;
  GUICore::InsertEvent(e, 0);
  GUICore::SetModified(false);
  GUICore::SelectStoreItemByID(1, false);
  EXPECT_EQ(FileListModule::RowCount(), 3);
  EXPECT_EQ(FileListModule::Current().cursorRow, 3);
  EXPECT_EQ(FileListModule::Current().rows.at(3).selected, -1);
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  EXPECT_TRUE(GUICore::EventHasStoreItem(1));
  EXPECT_FALSE(GUICore::EventHasStoreItem(2));
}

TEST_F(SortingTest, StoreSearchWrapsAndTestsTheCursorItemLast) {
  Build({{1, I, 0}, {2, I, 0}, {3, I, 0}});
  GUICore::State().store.at(2).option = "needle";
  FileListModule::Current().cursorRow = 2;
  EXPECT_TRUE(GUICore::SearchStoreList("needle", true));
  EXPECT_EQ(FileListModule::Current().cursorRow, 2);
  EXPECT_TRUE(ui.messages.empty());
  GUICore::State().store.at(1).name = "needle too";
  EXPECT_TRUE(GUICore::SearchStoreList("needle", true));
  EXPECT_EQ(FileListModule::Current().cursorRow, 1);  // wrapped from the end
  EXPECT_FALSE(GUICore::SearchStoreList("NEEDLE", true));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "検索結果がありません");
  EXPECT_EQ(ui.messages[0].title, "Tesmiro");
  EXPECT_TRUE(GUICore::SearchStoreList("3", false));
  EXPECT_EQ(FileListModule::Current().cursorRow, 3);
  EXPECT_FALSE(GUICore::SearchStoreList("x", false));
}

TEST_F(SortingTest, EventSearchWrapsFromTheEndRow) {
  for (int i = 1; i <= 3; ++i) {
    EventRecord e;
    e.itemId = i;
    e.text2 = i == 2 ? "gotoAndPlay" : "";
    GUICore::InsertEvent(e, i - 1);
  }
  EventListModule::Current().currentRow = 3;  // the end row
  EXPECT_FALSE(GUICore::SearchEventList("nothing", true));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(GUICore::SearchEventList("Play", true));
  EXPECT_EQ(EventListModule::Current().currentRow, 1);
  EXPECT_EQ(EventListModule::SelectedEvents(), (std::vector<int32_t>{2}));
  EventListModule::TakeCurrentEventMoved();
  EXPECT_TRUE(GUICore::SearchEventList("1", false));
  EXPECT_EQ(EventListModule::Current().currentRow, 0);
  EXPECT_FALSE(GUICore::SearchEventList("0", false));
  EXPECT_TRUE(EventListModule::TakeCurrentEventMoved());  // the window loads the found event
}

TEST_F(SortingTest, FileRowsNestOpenFoldersAndHideClosedOnes) {
  // [F-1 open (F-2 closed (a), b), c]
  Build({{-1, F, 3}, {-2, F, 1}, {1, I, 0}, {2, I, 0}, {3, StoreItemKind::Text, 0}});
  auto& store = GUICore::State().store;
  store.at(2).flags = 0;
  store.at(5).name = std::string(55, 'x') + "\r\n";
  store.at(5).option = "score";
  store.at(4).name = "C:\\materials\\b.png";
  GUICore::RefreshFileList();
  const auto& rows = FileListModule::Current().rows;
  ASSERT_EQ(rows.count(), 4);
  EXPECT_EQ(rows.at(1).caption, "item-1 (3)");
  EXPECT_EQ(rows.at(2).level, 1);
  EXPECT_EQ(rows.at(2).open, -1);
  EXPECT_EQ(rows.at(3).index, 4);  // item 1 hidden in the closed folder
  EXPECT_EQ(rows.at(3).level, 1);
  EXPECT_EQ(rows.at(3).caption, "b.png");
  EXPECT_EQ(rows.at(4).level, 0);
  EXPECT_EQ(rows.at(4).caption, "(score) [" + std::string(50, 'x') + "...]");
  FileListModule::Current().cursorRow = 9;
  GUICore::SetFolderOpen(1, 0);
  EXPECT_EQ(FileListModule::RowCount(), 2);
  EXPECT_EQ(FileListModule::Current().cursorRow, 2);
}

}  // namespace
}  // namespace tesmiro
