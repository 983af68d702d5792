// The file list in the main window: mouse drags into folders, the header's
// sort popup, keys and popups of an empty list, drops of links that add nothing or
// ask for the project, and a list too low for one row.
#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include "file_list_test_util.h"
#include "project/file_list_view.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "support/user_text.h"
#include "ui/common/qt_text.h"
#include "ui/main/file_list_widget.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class FileListWindowTest : public MainGuiTest {
 protected:
  MainGUI& StartWith(int images) {
    MainGUI& w = start();
    for (int i = 1; i <= images; ++i) {
      std::string path = (temp / ("p" + std::to_string(i) + ".png")).string();
      int32_t row = FileListModule::RowCount() + 1, mode = 0;
      GUICore::AddStoreItem(path, "png", row, mode);
    }
    GUICore::RefreshFileList();
    GUICore::ClearStoreUndo();
    Settle();
    return w;
  }
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
  static void Press(QWidget* list, QPoint at, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mousePress(list, Qt::LeftButton, m, at);
  }
};

TEST_F(FileListWindowTest, DraggingIntoAFolderIsOneUndoStepAndNeverIntoItsOwnSubtree) {
  MainGUI& w = StartWith(3);
  std::string none;
  int32_t row = 4, mode = 0;
  const int32_t folder = GUICore::AddStoreItem(none, "folder", row, mode);
  GUICore::RefreshFileList();
  GUICore::ClearStoreUndo();
  QWidget* list = Control<QWidget>(w, "PictFileList");

  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(1));
  QTest::mouseClick(list, Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1, 2}));
  Press(list, RowPoint(1));
  QTest::mouseMove(list, RowPoint(3));
  QTest::mouseMove(list, RowPoint(4));  // the middle of the folder row
  EXPECT_EQ(FileListModule::CurrentView().markRow, 4);
  EXPECT_EQ(FileListModule::CurrentView().markMode, 0);
  // The folder a drop would go into is painted highlighted (right of its caption).
  const QPoint beside(FileListModule::CurrentView().width - 4, 3 * 16 + 8);
  EXPECT_EQ(list->grab().toImage().pixelColor(beside), gui::ToQColor(FileListModule::kSysHighlight));
  QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, RowPoint(4));
  EXPECT_EQ(FileListModule::CurrentView().markMode, -1);
  EXPECT_EQ(list->grab().toImage().pixelColor(beside), gui::ToQColor(FileListModule::kSysWindow));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, folder, 1, 2}));
  EXPECT_TRUE(GUICore::CanStoreUndo());
  Control<QAction>(w, "undoAction")->setEnabled(true);
  list->setFocus();
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, folder}));

  // The folder with an item inside, dragged onto that item: refused.
  GUICore::StoreRedo();
  GUICore::SetAllFoldersOpen(1);
  GUICore::ClearStoreUndo();
  const auto before = Ids();
  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(2));  // the folder
  Press(list, RowPoint(2));
  QTest::mouseMove(list, RowPoint(3));
  QTest::mouseMove(list, QPoint(150, 3 * 16));  // the boundary above row 4, inside the folder
  // The insertion line runs to the list's right edge.
  EXPECT_TRUE(FileListModule::CurrentView().paint.marker);
  EXPECT_EQ(list->grab().toImage().pixelColor(FileListModule::CurrentView().width - 4, 3 * 16 - 1),
            gui::ToQColor(FileListModule::kSysWindowText));
  QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, QPoint(150, 3 * 16));
  EXPECT_FALSE(FileListModule::CurrentView().paint.marker);
  EXPECT_EQ(Ids(), before);
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(FileListWindowTest, TheHeaderOffersTheSortOfTheClickedColumn) {
  MainGUI& w = StartWith(3);
  std::string none;
  int32_t row = 1, mode = 0;
  GUICore::AddStoreItem(none, "folder", row, mode);  // a folder at the top
  GUICore::RefreshFileList();
  QWidget* head = Control<QWidget>(w, "ListJpegStoreHead");
  ASSERT_NE(qobject_cast<gui::FileListHeader*>(head), nullptr);

  desktop.popups.choices.push_back("sortDownAction");
  QTest::mouseClick(head, Qt::LeftButton, Qt::NoModifier, QPoint(31, 5));
  EXPECT_EQ(Control<QAction>(w, "sortUpAction")->text(), "ID昇順で並び替え(&U)");
  EXPECT_EQ(Ids(), (std::vector<int32_t>{-1, 3, 2, 1}));  // the folder stays, the rest by ID descending

  desktop.popups.choices.push_back("");  // dismissed
  QTest::mouseClick(head, Qt::LeftButton, Qt::NoModifier, QPoint(32, 5));
  EXPECT_EQ(Control<QAction>(w, "sortDownAction")->text(), "種別降順で並び替え(&D)");
  EXPECT_EQ(desktop.popups.defaults.back(), "");

  desktop.popups.choices.push_back("sortDownAction");
  QTest::mouseClick(head, Qt::LeftButton, Qt::NoModifier, QPoint(76, 5));
  EXPECT_EQ(Control<QAction>(w, "sortDownAction")->text(), "フォルダを下に集める(&D)");
  EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1, -1}));
  EXPECT_EQ(desktop.popups.opened, (std::vector<QString>{"sortMenu", "sortMenu", "sortMenu"}));

  // One item: nothing to sort, no popup.
  GUICore::NewProject();
  QTest::mouseClick(head, Qt::LeftButton, Qt::NoModifier, QPoint(31, 5));
  EXPECT_EQ(desktop.popups.opened.size(), 3u);
}

TEST_F(FileListWindowTest, KeysAndPopupEntriesOfAnEmptyListDoNothing) {
  MainGUI& w = StartWith(0);
  QWidget* list = Control<QWidget>(w, "PictFileList");
  list->setFocus();
  for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Return, Qt::Key_Delete, Qt::Key_Right})
    QTest::keyClick(list, static_cast<Qt::Key>(key));
  EXPECT_EQ(FileListModule::Current().cursorRow, -1);
  desktop.popups.choices.push_back("selectAllItemsAction");
  QTest::mouseClick(list, Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_FALSE(Control<QAction>(w, "selectAllItemsAction")->isEnabled());
  EXPECT_FALSE(Control<QAction>(w, "deleteItemsAction")->isEnabled());
  EXPECT_FALSE(Control<QAction>(w, "addToEventsAction")->isEnabled());
  EXPECT_TRUE(Control<QAction>(w, "addFolderAction")->isEnabled());
  EXPECT_EQ(GUICore::StoreItemCount(), 0);

  // The Add submenu stays: a folder added now is the first, selected row.
  Control<QAction>(w, "addFolderAction")->trigger();
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 1);
  EXPECT_TRUE(GUICore::CanStoreUndo());
}

TEST_F(FileListWindowTest, ALinkDropAddsNothingAndSaysSoAndAProjectIsAskedForAfterTheDrop) {
  MainGUI& w = StartWith(2);
  DropFiles(Control<QWidget>(w, "PictFileList"), 5, {}, {QUrl("https://example.com/a.png")});
  EXPECT_TRUE(ui.messages.empty()) << "the warning waits until the drop is over";
  Settle();
  EXPECT_EQ(GUICore::StoreItemCount(), 2);
  EXPECT_FALSE(GUICore::CanStoreUndo());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text,
            "次のファイルは追加されませんでした。\n[https://example.com/a.png] はこのコンピュータのファイルではありません");
  EXPECT_JAPANESE(ui.messages[0].text, {"https://example.com/a.png"});
  ui.messages.clear();

  // Beside files that are taken, the link is named after they are added.
  DropFiles(Control<QWidget>(w, "PictFileList"), 5, {SolidPng(temp / "p8.png", 2, 2, Qt::red)},
            {QUrl("https://example.com/b.png")});
  Settle();
  EXPECT_EQ(GUICore::StoreItemCount(), 3);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("[https://example.com/b.png] "), std::string::npos);
  ui.messages.clear();

  // A project dropped first: nothing is added, and the question comes once
  // the drop has returned.
  const fs::path project = temp / "other.tsm";
  GUICore::SaveProject(project.string());
  GUICore::SetModified(true);
  ui.answers.push_back(ui::Answer::No);
  DropFiles(Control<QWidget>(w, "PictFileList"), 5, {project, temp / "p9.png"});
  EXPECT_TRUE(ui.messages.empty());
  Settle();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "プロジェクトは変更されています。上書き保存しますか？");
  EXPECT_EQ(GUICore::State().projectPath, project.string());
}

TEST_F(FileListWindowTest, AListTooLowForOneRowStillScrollsItsCursorIntoView) {
  MainGUI& w = StartWith(30);
  QWidget* list = Control<QWidget>(w, "PictFileList");
  list->resize(list->width(), 10);
  Settle();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Home);
  QTest::keyClick(list, Qt::Key_End);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(FileListModule::Current().cursorRow, 29);
  EXPECT_EQ(FileListModule::Current().scrollTop, 29);
  QTest::keyClick(list, Qt::Key_PageUp);
  EXPECT_EQ(FileListModule::Current().scrollTop, FileListModule::Current().cursorRow);
}

}  // namespace
}  // namespace tesmiro::testing
