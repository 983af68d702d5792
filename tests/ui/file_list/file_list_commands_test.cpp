// The file list's commands from the window: the add-file dialog from the
// form-level key, new items through the material property exchange, the
// double click adding events, opening a material, and the wheel.
#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include "file_list_test_util.h"
#include "project/events.h"
#include "project/file_list_view.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "ui/main/material_property.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class FileListCommandsTest : public MainGuiTest {
 protected:
  int32_t Add(const fs::path& path, const std::string& key) {
    std::string p = path.string();
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    int32_t id = GUICore::AddStoreItem(p, key, row, mode);
    GUICore::RefreshFileList();
    return id;
  }
};

// Records each exchange and renames the item of the cursor row.
class RenamingExchange final : public gui::MaterialPropertyExchange {
 public:
  bool exchange(gui::MainGUI&) override {
    ++calls;
    const auto& list = FileListModule::Current();
    StoreItem item = GUICore::GetStoreItemByID(list.rows.at(list.cursorRow).id);
    item.name = "名前";
    return GUICore::UpdateStoreItem(item.id, item);
  }
  int calls = 0;
};

TEST_F(FileListCommandsTest, CtrlIAddsTheChosenFilesBeforeTheCursorRow) {
  MainGUI& w = startActive();
  Add(temp / "first.png", "png");
  FileListModule::Current().cursorRow = 1;
  GUICore::ClearStoreUndo();
  desktop.fileDialogs.answers.push_back(
      std::vector<std::string>{(temp / "b.mp3").string(), (temp / "a.flv").string()});
  Control<QWidget>(w, "PictFileList")->setFocus();
  QTest::keyClick(Control<QWidget>(w, "PictFileList"), Qt::Key_I, Qt::ControlModifier);
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 1u);
  EXPECT_TRUE(desktop.fileDialogs.calls[0].multiSelect);
  EXPECT_EQ(desktop.fileDialogs.calls[0].filters.front().description,
            "追加可能なファイル (*.jpg;*.bmp;*.png;*.gif;*.kvg;*.mp3;*.wav;*.flv;*.txt)");
  const auto& store = GUICore::State().store;
  ASSERT_EQ(store.count(), 3);
  EXPECT_EQ(store.at(1).name, (temp / "b.mp3").string());
  EXPECT_EQ(store.at(2).name, (temp / "a.flv").string());
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_FALSE(GUICore::CanStoreUndo());

  // Cancelled: nothing added, no step.
  desktop.fileDialogs.cancel();
  QTest::keyClick(Control<QWidget>(w, "PictFileList"), Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(FileListCommandsTest, CommaAndPeriodMoveTheSelectedItems) {
  MainGUI& w = startActive();
  for (const char* name : {"a.png", "b.png", "c.png"}) Add(temp / name, "png");
  QWidget* list = Control<QWidget>(w, "PictFileList");
  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(3));
  SendKey(list, Qt::Key_Comma, Qt::NoModifier, ",");
  EXPECT_EQ(GUICore::State().store.at(2).name, (temp / "c.png").string());
  SendKey(list, Qt::Key_Comma, Qt::NoModifier, ",");
  EXPECT_EQ(GUICore::State().store.at(1).name, (temp / "c.png").string());
  SendKey(list, Qt::Key_Period, Qt::NoModifier, ".");
  EXPECT_EQ(GUICore::State().store.at(2).name, (temp / "c.png").string());
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{2}));

  // Delete goes to the list, not to the Edit menu's event command.
  GUICore::ClearStoreUndo();
  SendKey(list, Qt::Key_Delete);
  EXPECT_EQ(GUICore::StoreItemCount(), 2);
  EXPECT_TRUE(GUICore::CanStoreUndo());
}

TEST_F(FileListCommandsTest, EditUndoAndRedoFollowTheStoreWhileTheListHasTheFocus) {
  MainGUI& w = startActive();
  Control<QWidget>(w, "PictFileList")->setFocus();
  EXPECT_FALSE(Control<QAction>(w, "undoAction")->isEnabled());
  DropFiles(Control<QWidget>(w, "PictFileList"), 5, {SolidPng(temp / "a.png", 4, 4, Qt::red)});
  ASSERT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_TRUE(Control<QAction>(w, "undoAction")->isEnabled());
  EXPECT_FALSE(Control<QAction>(w, "redoAction")->isEnabled());
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_FALSE(Control<QAction>(w, "undoAction")->isEnabled());
  EXPECT_TRUE(Control<QAction>(w, "redoAction")->isEnabled());
  Control<QAction>(w, "redoAction")->trigger();
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_TRUE(Control<QAction>(w, "undoAction")->isEnabled());
}

TEST_F(FileListCommandsTest, NewItemsAndThePropertyCommandGoThroughTheExchange) {
  MainGUI& w = start();
  // Without a dialog the new text keeps its defaults.
  Control<QAction>(w, "addTextAction")->trigger();
  ASSERT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_EQ(GUICore::State().store.at(1).name, "");
  EXPECT_TRUE(GUICore::CanStoreUndo());

  RenamingExchange exchange;
  gui::ScopedMaterialProperties installed(&exchange);
  GUICore::ClearStoreUndo();
  Control<QAction>(w, "addSpriteAction")->trigger();
  EXPECT_EQ(exchange.calls, 1);
  EXPECT_EQ(GUICore::State().store.at(1).name, "名前");
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 1);

  // The property command is one step, and none when nothing changed.
  FileListModule::Current().cursorRow = 1;
  FileListModule::Current().rows.at(1).selected = -1;
  GUICore::ClearStoreUndo();
  Control<QAction>(w, "itemPropertiesAction")->trigger();
  EXPECT_EQ(exchange.calls, 2);
  EXPECT_TRUE(GUICore::CanStoreUndo());
  GUICore::ClearStoreUndo();
  Control<QAction>(w, "itemPropertiesAction")->trigger();  // the name is already "名前"
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(FileListCommandsTest, ADoubleClickAddsEventsOrOpensTheProperties) {
  MainGUI& w = start();
  Add(temp / "a.png", "png");
  Add(temp / "b.png", "png");
  QTest::mouseClick(Control<QWidget>(w, "PictFileList"), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
  QTest::mouseDClick(Control<QWidget>(w, "PictFileList"), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
  ASSERT_EQ(GUICore::EventCount(), 1);
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 2);
  EXPECT_EQ(EventListModule::Current().currentRow, 1);  // behind the new event

  RenamingExchange exchange;
  gui::ScopedMaterialProperties installed(&exchange);
  Prefs::Current().doubleClickProperty = 1;
  QTest::mouseDClick(Control<QWidget>(w, "PictFileList"), Qt::LeftButton, Qt::NoModifier, RowPoint(1));
  EXPECT_EQ(exchange.calls, 1);
  EXPECT_EQ(GUICore::EventCount(), 1);
}

TEST_F(FileListCommandsTest, TheMaterialsFileOpensOnlyWhenItExists) {
  MainGUI& w = start();
  const fs::path real = SolidPng(temp / "real.png", 4, 4, Qt::red);
  Add(real, "png");
  Add(temp / "gone.png", "png");
  desktop.popups.choices.push_back("");
  QTest::mouseClick(Control<QWidget>(w, "PictFileList"), Qt::RightButton, Qt::NoModifier, RowPoint(1));
  EXPECT_TRUE(Control<QMenu>(w, "openFileMenu")->menuAction()->isEnabled());
  Control<QAction>(w, "openWithAppAction")->trigger();
  Control<QAction>(w, "showInFolderAction")->trigger();
  EXPECT_EQ(desktop.opener.calls,
            (std::vector<QString>{"file " + QString::fromStdString(real.string()),
                                  "folder " + QString::fromStdString(real.string())}));
  QTest::mouseClick(Control<QWidget>(w, "PictFileList"), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
  Control<QAction>(w, "openWithAppAction")->trigger();
  EXPECT_EQ(desktop.opener.calls.size(), 2u);
}

// The scroll bars follow the list as soon as it changes, before it paints
// (a paint that changed them had them painted twice).
TEST_F(FileListCommandsTest, TheScrollBarsFollowTheListBeforeItPaints) {
  MainGUI& w = start();
  Settle();
  auto* const bar = Control<QScrollBar>(w, "fileListVScrollBar");
  EXPECT_FALSE(bar->isEnabled());
  for (int i = 0; i < 40; ++i) Add(temp / ("p" + std::to_string(i) + ".png"), "png");
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_GT(bar->maximum(), 1);
  EXPECT_EQ(bar->maximum(), FileListModule::CurrentView().bars.vMax);
  FileListModule::SetScrollTop(5);
  EXPECT_EQ(bar->value(), 5);
}

TEST_F(FileListCommandsTest, TheWheelScrollsWholeNotchesOfTheConfiguredRows) {
  MainGUI& w = start();
  for (int i = 0; i < 40; ++i) Add(temp / ("p" + std::to_string(i) + ".png"), "png");
  Prefs::Current().mouseWheelScroll = 3;
  // The wheel scrolls the list that has the focus.
  QApplication::setActiveWindow(&w);
  Control<QWidget>(w, "PictFileList")->setFocus();
  Settle();
  QWidget* list = Control<QWidget>(w, "PictFileList");
  SendWheel(list, -120);
  EXPECT_EQ(FileListModule::Current().scrollTop, 4);
  SendWheel(list, -40);  // a touchpad's small steps add up to a notch
  SendWheel(list, -40);
  EXPECT_EQ(FileListModule::Current().scrollTop, 4);
  SendWheel(list, -40);
  EXPECT_EQ(FileListModule::Current().scrollTop, 7);
  SendWheel(list, 120);
  EXPECT_EQ(FileListModule::Current().scrollTop, 4);
  Settle();
  EXPECT_EQ(Control<QScrollBar>(w, "fileListVScrollBar")->value(), 4);
}

}  // namespace
}  // namespace tesmiro::testing
