// The file list's mouse, keys and drops, driven the way the window drives
// them: selection, folders toggled by their expander, the popup's insert
// position and entry states, and files dropped from the desktop. (Moves by
// dragging are checked through the window.)
#include <gtest/gtest.h>

#include <algorithm>

#include "project/file_list_input.h"
#include "project/file_list_view.h"
#include "project/model_fixture.h"
#include "project/store_undo.h"

namespace tesmiro {
namespace {

using FileListInput::Options;

class FileListInputTest : public testing::ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    FileListModule::SetViewSize(300, 200, 16);
  }
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
  static std::vector<int32_t> SelectedRows() {
    std::vector<int32_t> rows;
    for (int32_t r = 1; r <= FileListModule::RowCount(); ++r) {
      if (FileListModule::Current().rows.at(r).selected != 0) rows.push_back(r);
    }
    return rows;
  }
  static int32_t Y(int32_t row) { return (row - 1) * 16 + 8; }  // middle of a row (not scrolled)
  // A left-button click on a row, as the window reports it.
  void ClickRow(int32_t row, int32_t shift = 0, int32_t x = 200, const Options& o = {}) {
    FileListInput::MouseDown(drag, shift, x, Y(row), o);
    FileListInput::MouseUp(drag, 1, shift, x, Y(row));
    FileListInput::Click();
  }
  void Drag(int32_t fromRow, int32_t toY, int32_t button = 1, const Options& o = {}) {
    FileListInput::MouseDown(drag, 0, 200, Y(fromRow), o);
    FileListInput::MouseMove(drag, 0, 200, toY);
    FileListInput::MouseUp(drag, button, 0, 200, toY);
  }
  static void Images(int n) {
    for (int i = 1; i <= n; ++i) AddItem("png", "/m/p" + std::to_string(i) + ".png");
  }
  FileListInput::DragState drag;  // the list's, between its events
};

TEST_F(FileListInputTest, ClicksShiftAndCtrlSelect) {
  Images(6);
  ClickRow(2);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2}));
  EXPECT_EQ(ui.calls.back(), "showItemInfo 2");
  ClickRow(4, 1);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 3, 4}));
  ClickRow(6, 2);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 3, 4, 6}));
  ClickRow(3, 2);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 4, 6}));

  // A press on a row of the selection keeps it while the button is down;
  // the release without a drag leaves that row alone.
  FileListInput::MouseDown(drag, 0, 200, Y(4), {});
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 4, 6}));
  FileListInput::MouseMove(drag, 0, 202, Y(4) + 2);  // two pixels are still a click
  FileListInput::MouseUp(drag, 1, 0, 202, Y(4) + 2);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{4}));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));

  // Below the last row: nothing selected, nothing to drag.
  FileListInput::MouseDown(drag, 0, 200, 150, {});
  EXPECT_FALSE(drag.buttonDown);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{4}));
  FileListInput::MouseUp(drag, 1, 0, 200, 150);
  EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(FileListInputTest, ExpanderClicksToggleFoldersAndSwallowTheDoubleClick) {
  int32_t folder = AddItem("folder");
  AddIntoFolder(folder, "png", "/m/a.png");
  ASSERT_EQ(FileListModule::RowCount(), 2);
  ClickRow(1, 0, 85);  // the expander box at x 80..88
  EXPECT_EQ(FileListModule::RowCount(), 1);
  EXPECT_EQ(FileListInput::DblClick(drag, {}, true), FileListInput::DoubleClickAction::None);
  // The release that completes the double click does not close it again.
  FileListInput::MouseUp(drag, 1, 0, 85, Y(1));
  EXPECT_EQ(FileListModule::RowCount(), 1);
  ClickRow(1, 0, 85 + 20);  // the folder icon
  EXPECT_EQ(FileListModule::RowCount(), 2);
  EXPECT_EQ(FileListInput::DblClick(drag, {}, true), FileListInput::DoubleClickAction::None);
  FileListInput::MouseUp(drag, 1, 0, 85 + 20, Y(1));
  EXPECT_EQ(FileListModule::RowCount(), 2);
  ClickRow(1, 0, 150);  // the caption does not toggle
  EXPECT_EQ(FileListModule::RowCount(), 2);
  EXPECT_EQ(FileListInput::DblClick(drag, {}), FileListInput::DoubleClickAction::AddEvent);
  EXPECT_EQ(FileListInput::DblClick(drag, {false, true}), FileListInput::DoubleClickAction::Property);
  // Keys: Left closes the cursor's folder, Shift+Right opens every folder.
  FileListInput::KeyUp(drag, 37, 0);
  EXPECT_EQ(FileListModule::RowCount(), 1);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1}));
  FileListInput::KeyUp(drag, 39, 1);
  EXPECT_EQ(FileListModule::RowCount(), 2);
}

TEST_F(FileListInputTest, KeysMoveTheCursorAndShiftAddsTheRowsReached) {
  Images(12);
  FileListModule::SetViewSize(300, 80, 16);  // five rows, pages of five
  ClickRow(3);
  FileListInput::KeyDown(40, 1);
  FileListInput::KeyDown(40, 1);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{3, 4, 5}));
  FileListInput::KeyDown(34, 1);  // a page adds only the row reached
  const int32_t page = FileListModule::CurrentView().bars.vLargeChange;
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{3, 4, 5, 5 + page}));
  FileListInput::KeyDown(36, 0);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1}));
  FileListInput::KeyDown(35, 0);
  EXPECT_EQ(FileListModule::Current().cursorRow, 12);
  EXPECT_EQ(FileListModule::Current().scrollTop, 8);  // the last row scrolled into view
  EXPECT_EQ(ui.calls.back(), "showItemInfo 12");
  EXPECT_TRUE(FileListInput::KeyDown(13, 0).doubleClick);
}

TEST_F(FileListInputTest, KeysAndPopupsWithNoRowsDoNothing) {
  ui.calls.clear();
  for (int32_t key : {38, 40, 33, 34, 35, 36, 13}) {
    EXPECT_FALSE(FileListInput::KeyDown(key, 0).doubleClick);
    FileListInput::KeyUp(drag, key, 0);
  }
  FileListInput::KeyUp(drag, 46, 0);
  FileListInput::KeyUp(drag, 37, 1);
  EXPECT_EQ(FileListModule::Current().cursorRow, -1);
  EXPECT_TRUE(std::none_of(ui.calls.begin(), ui.calls.end(), [](const std::string& c) { return c.rfind("showItemInfo", 0) == 0; }));
  EXPECT_EQ(FileListInput::DblClick(drag, {}), FileListInput::DoubleClickAction::None);
  auto result = FileListInput::MouseUp(drag, 2, 0, 10, 10);
  EXPECT_TRUE(result.popup);
  auto popup = FileListInput::Popup({});
  EXPECT_FALSE(popup.selectAll || popup.addEvent || popup.deleteItems || popup.property || popup.duplicate || popup.open);
}

TEST_F(FileListInputTest, RightButtonSetsTheInsertPositionAndPopupStates) {
  Images(2);
  int32_t folder = AddItem("folder");
  FileListInput::MouseDown(drag, 0, 200, Y(2), {});
  auto result = FileListInput::MouseUp(drag, 2, 0, 200, Y(2));
  EXPECT_TRUE(result.popup);
  EXPECT_EQ(FileListModule::Current().insertRow, 2);
  EXPECT_EQ(FileListModule::Current().insertMode, 0);
  auto popup = FileListInput::Popup({false, true});
  EXPECT_TRUE(popup.selectAll && popup.addEvent && popup.deleteItems && popup.property && popup.duplicate);
  EXPECT_TRUE(popup.open);  // one file material selected
  EXPECT_TRUE(popup.defaultIsProperty);

  // A right-button drag onto the folder inserts into it.
  Drag(1, Y(3), 2);
  EXPECT_EQ(FileListModule::Current().insertRow, 3);
  EXPECT_EQ(FileListModule::Current().insertMode, 1);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, folder}));  // the right button moves nothing

  ClickRow(3);
  popup = FileListInput::Popup({});
  EXPECT_FALSE(popup.addEvent);  // a folder makes no event
  EXPECT_FALSE(popup.open);
  EXPECT_TRUE(popup.deleteItems);
}

TEST_F(FileListInputTest, MultiSelectDragSelectsAndEscapeCancelsAMove) {
  Images(5);
  Options multi{true, false};
  Drag(2, Y(4), 1, multi);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 3, 4}));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5}));

  ClickRow(1);
  FileListInput::MouseDown(drag, 0, 200, Y(1), {});
  FileListInput::MouseMove(drag, 0, 200, Y(4));
  EXPECT_EQ(FileListModule::CurrentView().markMode, 1);
  EXPECT_TRUE(FileListInput::KeyUp(drag, 27, 0).cancelledDrag);
  EXPECT_EQ(FileListModule::CurrentView().markMode, -1);
  FileListInput::MouseUp(drag, 1, 0, 200, Y(4));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(FileListInputTest, DropsAddFilesAsOneStepOrAskForTheProject) {
  Images(2);
  for (const char* name : {"a.png", "b.mp3", "c.kvg"}) WriteFile(dir.path() / name, "x");
  GUICore::ClearStoreUndo();
  auto ignored = FileListInput::Drop(drag, Y(1), {});
  EXPECT_EQ(ignored.kind, FileListInput::DropResult::Kind::Ignored);
  EXPECT_FALSE(GUICore::CanStoreUndo());

  auto project = FileListInput::Drop(drag, Y(1), {(dir.path() / "x.TSM").string(), (dir.path() / "a.png").string()});
  EXPECT_EQ(project.kind, FileListInput::DropResult::Kind::OpenProject);
  EXPECT_EQ(project.project, (dir.path() / "x.TSM").string());
  EXPECT_EQ(GUICore::StoreItemCount(), 2);

  FileListInput::DropOver(drag, 16);  // the boundary above row 2
  EXPECT_EQ(FileListModule::CurrentView().markRow, 2);
  EXPECT_EQ(FileListModule::CurrentView().markMode, 1);
  std::vector<std::string> files;
  for (const char* name : {"a.png", "b.mp3", "c.kvg"}) files.push_back((dir.path() / name).string());
  auto added = FileListInput::Drop(drag, 16, files);
  EXPECT_EQ(added.kind, FileListInput::DropResult::Kind::Added);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, 4, 5, 2}));
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2, 3, 4}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 4);
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

}  // namespace
}  // namespace tesmiro
