// The store's ID lookups go through an index kept beside the list. Every
// path that changes the list (edits, undo and redo, sorting, moving, ID
// changes, writes through an element, opening, importing) must leave the
// lookups giving what a search of the list from the top gives.
#include <gtest/gtest.h>

#include <random>

#include "project/import.h"
#include "project/model_fixture.h"
#include "project/project_file.h"
#include "project/sorting.h"
#include "project/timelines.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

class StoreIndexTest : public testing::ModelTest {
 protected:
  // Position of the first item with the ID, searched from the top.
  static int32_t Searched(int32_t id) {
    const auto& store = GUICore::State().store.list();
    for (int32_t i = 1; i <= store.count(); ++i) {
      if (store.at(i).id == id) return i;
    }
    return 0;
  }

  // Every ID from `lo` to `hi`, present or not, looked up both ways.
  static void ExpectLookupsAgree(int32_t lo, int32_t hi, const std::string& after) {
    for (int32_t id = lo; id <= hi; ++id) {
      ASSERT_EQ(GUICore::FindStoreIndexByID(id), Searched(id)) << "ID " << id << " after " << after;
    }
  }
};

TEST_F(StoreIndexTest, WritesThroughAnElementAreSeen) {
  AddItem("txt");
  AddItem("txt");
  AddItem("txt");
  auto& store = GUICore::State().store;
  ASSERT_EQ(GUICore::FindStoreIndexByID(2), 2);

  store.at(2).id = 42;  // a new ID
  EXPECT_EQ(GUICore::FindStoreIndexByID(42), 2);
  EXPECT_EQ(GUICore::FindStoreIndexByID(2), 0);

  store.at(1).id = 3;  // the two swap IDs
  store.at(3).id = 1;
  EXPECT_EQ(GUICore::FindStoreIndexByID(3), 1);
  EXPECT_EQ(GUICore::FindStoreIndexByID(1), 3);

  store.at(3).id = 42;  // a second item with 42: the first one is meant
  EXPECT_EQ(GUICore::FindStoreIndexByID(42), 2);
  store.erase(2);
  EXPECT_EQ(GUICore::FindStoreIndexByID(42), 2);
  store.at(2).id = 7;
  EXPECT_EQ(GUICore::FindStoreIndexByID(42), 0);
  EXPECT_EQ(GUICore::FindStoreIndexByID(7), 2);

  // Appending keeps the index; an appended duplicate does not hide the first.
  StoreItem again = store.at(1);
  store.push_back(again);
  StoreItem fresh = NewStoreItem(StoreItemKind::Text);
  fresh.id = 60;
  store.push_back(fresh);
  store.push_back(NewStoreItem(StoreItemKind::Text));
  store.at(5).id = 50;
  EXPECT_EQ(GUICore::FindStoreIndexByID(3), 1);
  EXPECT_EQ(GUICore::FindStoreIndexByID(60), 4);
  EXPECT_EQ(GUICore::FindStoreIndexByID(50), 5);
  ExpectLookupsAgree(-2, 60, "appending");
}

TEST_F(StoreIndexTest, OpeningAndImportingReplaceTheList) {
  for (int32_t id : {1, 2, 3}) {
    StoreItem item = NewStoreItem(StoreItemKind::Text);
    item.id = id;
    item.name = "own " + std::to_string(id);
    GUICore::State().store.push_back(item);
  }
  ASSERT_EQ(GUICore::FindStoreIndexByID(3), 3);

  testing::TsmBuilder b;
  b.header().settings(320, 240);
  b.i32(3).item(7, 3, "seven").item(2, 3, "two").item(5, 3, "five");
  b.i32(0);
  b.i32(0).i32(1).event("0A3", 7);
  const auto path = dir / "other.tsm";
  b.save(path);

  // Imported with their IDs shifted by 10, after the own items.
  ASSERT_TRUE(GUICore::ImportProject(path.string(), 10, 10000, 0, "", 0).ok());
  EXPECT_EQ(GUICore::FindStoreIndexByID(17), 4);
  EXPECT_EQ(GUICore::FindStoreIndexByID(15), 6);
  EXPECT_EQ(GUICore::GetStoreItemByID(12).name, "two");
  ExpectLookupsAgree(-2, 20, "importing");

  ASSERT_TRUE(GUICore::OpenProject(path.string()));
  EXPECT_EQ(GUICore::FindStoreIndexByID(2), 2);
  EXPECT_EQ(GUICore::FindStoreIndexByID(5), 3);
  EXPECT_EQ(GUICore::FindStoreIndexByID(1), 0);
  ExpectLookupsAgree(-2, 20, "opening");
}

TEST_F(StoreIndexTest, RandomEditsKeepEveryLookupRight) {
  GUICore::State().filelistHistoryMax = 0;
  std::mt19937 rng(4711);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
  auto randomId = [&] {
    int32_t n = GUICore::StoreItemCount();
    return n == 0 ? 0 : GUICore::GetStoreItem(pick(1, n)).id;
  };
  auto selectSome = [&] {
    GUICore::RefreshFileList();
    for (auto& row : FileListModule::Current().rows) row.selected = pick(0, 3) == 0 ? -1 : 0;
  };
  static const char* kKeys[] = {"jpg", "txt", "folder", "sprite", "clone"};
  for (int step = 0; step < 1500; ++step) {
    GUICore::RefreshFileList();
    int32_t row = pick(1, FileListModule::RowCount() + 1), mode = pick(0, 1);
    const int op = pick(0, 10);
    switch (op) {
      case 0:
      case 1: {
        if (GUICore::StoreItemCount() > 50) break;
        std::string name = "/m" + std::to_string(pick(0, 500)) + ".jpg";
        GUICore::SaveStoreUndoState();
        GUICore::AddStoreItem(name, kKeys[pick(0, 4)], row, mode);
        GUICore::PushStoreUndoState();
        break;
      }
      case 2:
        GUICore::SaveStoreUndoState();
        GUICore::DeleteStoreItem(randomId());
        GUICore::PushStoreUndoState();
        break;
      case 3: {
        int32_t id = randomId();
        if (id <= 0) break;
        GUICore::SaveStoreUndoState();
        int32_t now = GUICore::ChangeStoreItemID(id, pick(1, 70));
        GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, id, now);
        GUICore::PushStoreUndoState();
        break;
      }
      case 4:
        selectSome();
        GUICore::SaveStoreUndoState();
        if (GUICore::MoveMarkedItems(row, mode)) GUICore::PushStoreUndoState();
        break;
      case 5:
        if (GUICore::StoreItemCount() > 50) break;
        selectSome();
        GUICore::SaveStoreUndoState();
        if (GUICore::CopyMarkedItems(row, mode)) GUICore::PushStoreUndoState();
        break;
      case 6:
        GUICore::SortStoreItems(1, GUICore::StoreItemCount(), pick(1, 6));
        break;
      case 7:
        selectSome();
        GUICore::ShiftSelectedStoreItems(pick(0, 1) ? 1 : -1);
        break;
      case 8:
        GUICore::StoreUndo();
        break;
      case 9:
        GUICore::StoreRedo();
        break;
      default: {
        // Straight into the list, as a reader of a file or a test would.
        auto& store = GUICore::State().store;
        if (store.empty()) break;
        StoreItem& item = store.at(pick(1, store.count()));
        item.id = item.isFolder() ? pick(-5, -1) : pick(1, 70);
        break;
      }
    }
    ExpectLookupsAgree(-12, 80, "step " + std::to_string(step) + " (operation " + std::to_string(op) + ")");
  }
}

}  // namespace
}  // namespace tesmiro
