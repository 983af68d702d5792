// Commands of the menus that belong to no list: undo and redo routed to the
// focused list, select all, sync, the entries during a build, the recent
// projects, help, and what minimising closes.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/undo_scopes.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/options_dialog.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class MenusTest : public MainGuiTest {
 protected:
  static void InsertRecorded(int32_t frames) {
    GUICore::EventUndoScope undo;
    EventRecord e{};
    e.kind = 12;
    e.frameCount = frames;
    const int32_t at = GUICore::EventCount();
    undo.add(at + 1, e, EventUndoStep::kInserted);
    GUICore::InsertEvent(e, at);
  }
  static int32_t AddText(const std::string& name) {
    GUICore::StoreUndoScope undo;
    std::string n = name;
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    const int32_t id = GUICore::AddStoreItem(n, "txt", row, mode);
    GUICore::RefreshFileList();
    return id;
  }
};

TEST_F(MenusTest, UndoAndRedoGoToTheFocusedList) {
  gui::MainGUI& w = startActive();
  InsertRecorded(3);
  AddText("t");
  ASSERT_EQ(GUICore::EventCount(), 1);
  ASSERT_EQ(GUICore::State().store.count(), 1);

  // Neither list has the focus: nothing happens.
  QPlainTextEdit* const script = showDockedScriptPanel();
  script->setEnabled(true);
  script->setFocus();
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 1);
  EXPECT_EQ(GUICore::State().store.count(), 1);

  Control<QWidget>(w, "PictEventList")->setFocus();
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 0);
  EXPECT_EQ(GUICore::State().store.count(), 1);
  Control<QAction>(w, "redoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 1);

  // Leaving the event list turned its items off; opening the Edit menu
  // sets them for the list that has the focus now.
  Control<QWidget>(w, "PictFileList")->setFocus();
  w.menus().refreshEditMenu();
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(GUICore::State().store.count(), 0);
  EXPECT_EQ(GUICore::EventCount(), 1);
  EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>(w, "PictFileList"));
  w.menus().refreshEditMenu();
  Control<QAction>(w, "redoAction")->trigger();
  EXPECT_EQ(GUICore::State().store.count(), 1);
}

TEST_F(MenusTest, SelectAllLeavesTheEndRowOut) {
  gui::MainGUI& w = startActive();
  Control<QAction>(w, "selectAllEventsAction")->setEnabled(true);
  Control<QAction>(w, "selectAllEventsAction")->trigger();
  ASSERT_EQ(EventListModule::Current().rows.size(), 1u);
  EXPECT_EQ(EventListModule::Current().rows[0].selected, 0);
  InsertRecorded(1);
  InsertRecorded(2);
  EventListModule::LoadRows();
  Control<QAction>(w, "selectAllEventsAction")->trigger();
  const auto& rows = EventListModule::Current().rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].selected, -1);
  EXPECT_EQ(rows[1].selected, -1);
  EXPECT_EQ(rows[2].selected, 0);
}

TEST_F(MenusTest, SyncSelectsTheMaterialOfTheCurrentEvent) {
  gui::MainGUI& w = startActive();
  AddText("a");
  const int32_t b = AddText("b");
  EventRecord e{};
  e.itemId = b;
  GUICore::InsertEvent(e, 0);
  EventListModule::LoadRows();
  EventListModule::Current().currentRow = 0;
  w.menus().refreshEditMenu();  // opening the Edit menu sets its items for the current event
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_EQ(FileListModule::GetJpegListID(FileListModule::Current().cursorRow), b);
  EXPECT_FALSE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
}

TEST_F(MenusTest, WithAlwaysSyncTheItemIsALastingCheck) {
  std::ofstream(temp / "tesmiro.ini") << "[Tesmiro]\nAlwaysEventSync=1\n";
  gui::MainGUI& w = startActive();
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_TRUE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_FALSE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
}

TEST_F(MenusTest, TheSyncItemFollowsTheOptionAsSoonAsTheOptionsDialogCloses) {
  gui::MainGUI& w = startActive();
  const int32_t a = AddText("a");
  AddText("b");
  EventRecord e{};
  e.itemId = a;
  GUICore::InsertEvent(e, 0);
  EventListModule::LoadRows();
  EventListModule::Current().currentRow = 0;
  auto setOption = [&w](bool lasting) {
    QTimer::singleShot(0, [lasting] {
      auto* dialog = qobject_cast<gui::OptionDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      Control<QCheckBox>(dialog, "syncToggleCheck")->setChecked(lasting);
      Control<QPushButton>(dialog, "okButton")->click();
    });
    Control<QAction>(w, "optionsAction")->trigger();
    Settle();
    // The user opens the Edit menu with the event list focused.
    QApplication::setActiveWindow(&w);
    Control<QWidget>(w, "PictEventList")->setFocus();
    w.menus().refreshEditMenu();
  };

  setOption(true);
  ASSERT_EQ(Prefs::Current().alwaysEventSync, 1);
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_TRUE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_FALSE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
  Control<QAction>(w, "syncWithFileListAction")->trigger();

  // Back to a one-time sync: the check goes, and a click selects the event's
  // material again.
  setOption(false);
  EXPECT_FALSE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
  FileListModule::Current().cursorRow = 2;
  Control<QAction>(w, "syncWithFileListAction")->trigger();
  EXPECT_FALSE(Control<QAction>(w, "syncWithFileListAction")->isChecked());
  EXPECT_EQ(FileListModule::GetJpegListID(FileListModule::Current().cursorRow), a);
}

TEST_F(MenusTest, ABuildTurnsEveryEntryOffAndEachComesBackAsItWas) {
  gui::MainGUI& w = startActive();
  // With the event list focused some entries are on and some off (nothing
  // to paste, no recent project).
  std::vector<std::pair<QAction*, bool>> before;
  for (QAction* a : w.findChildren<QAction*>()) before.emplace_back(a, a->isEnabled());
  ASSERT_TRUE(Control<QAction>(w, "makeSwfAction")->isEnabled());
  ASSERT_FALSE(Control<QAction>(w, "pasteEventsAction")->isEnabled());
  ASSERT_FALSE(Control<QAction>(w, "recentProjectActions_0")->isEnabled());
  {
    GUICore::BuildLock build;
    for (const auto& [a, enabled] : before) EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  }
  for (const auto& [a, enabled] : before) EXPECT_EQ(a->isEnabled(), enabled) << a->objectName().toStdString();
}

TEST_F(MenusTest, TheRecentProjectsFollowOpeningOnlyWhileTheWindowLives) {
  const fs::path project = temp / "r.tsm";
  GUICore::NewProject();
  ASSERT_TRUE(GUICore::SaveProject(project.string()));
  gui::MainGUI& w = start();
  ASSERT_TRUE(GUICore::OpenProject(project.string()));
  EXPECT_TRUE(Control<QAction>(w, "recentProjectActions_0")->text().endsWith(QStringLiteral("r.tsm")));
  EXPECT_TRUE(Control<QAction>(w, "recentProjectActions_0")->isEnabled());
  // Gone with the window: opening a project touches no menu of it.
  destroyWindow();
  EXPECT_TRUE(GUICore::OpenProject(project.string()));
}

// Every modal dialog of the menus runs through the shared runner, which
// tests answer without entering a dialog's own event loop.
TEST_F(MenusTest, TheMenusModalDialogsRunThroughTheSharedRunner) {
  gui::MainGUI& w = start();
  QStringList answered;
  gui::ScopedModalRunner runner([&answered](QDialog& dialog) {
    answered << dialog.objectName();
    return static_cast<int>(QDialog::Rejected);
  });
  for (const char* entry :
       {"projectPropertiesAction", "optionsAction", "importProjectAction", "eventListDisplayAction", "previewOptionsAction",
        "versionAction"}) {
    // A dialog that entered its own loop is closed, so that the test goes on.
    QString ownLoop;
    QTimer::singleShot(0, [&ownLoop] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ownLoop = modal->objectName();
        modal->close();
      }
    });
    Control<QAction>(w, entry)->trigger();
    Settle();
    EXPECT_TRUE(ownLoop.isEmpty()) << entry << " ran " << ownLoop.toStdString() << " in its own loop";
  }
  EXPECT_EQ(answered.join(' ').toStdString(), "ProjectDialog OptionDialog ImportDialog EventColorDialog PreviewOptionDialog VersionInfo");
}

// Where the page is missing or the desktop has no program that opens it,
// the user is told where it belongs.
TEST_F(MenusTest, HelpOpensTheShippedPageOrSaysWhereItIs) {
  gui::MainGUI& w = startActive();
  GUICore::State().paths.resources = temp.path();
  const std::string page = (temp / "help" / "index.html").string();
  Control<QAction>(w, "openHelpAction")->trigger();
  EXPECT_TRUE(desktop.opener.calls.empty());
  ASSERT_EQ(ui.messages.size(), 1u) << "a missing page says so";
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(ui.messages[0].text, "ヘルプを開けませんでした。\r\n" + page);
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);

  fs::create_directories(temp / "help");
  std::ofstream(temp / "help" / "index.html") << "<html></html>";
  Control<QAction>(w, "openHelpAction")->trigger();
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  EXPECT_TRUE(desktop.opener.calls[0].endsWith("help/index.html"));
  EXPECT_EQ(ui.messages.size(), 1u);

  desktop.opener.result = false;
  Control<QAction>(w, "openHelpAction")->trigger();
  EXPECT_EQ(desktop.opener.calls.size(), 2u);
  ASSERT_EQ(ui.messages.size(), 2u) << "a page that did not open says so";
  EXPECT_EQ(ui.messages[1].text, "ヘルプを開けませんでした。\r\n" + page);
}

TEST_F(MenusTest, MinimisingClosesTheScriptEditorAndTheEventDialog) {
  gui::MainGUI& w = startActive();
  ui::ScopedServices recorded({&ui, &progress, &ui});
  ui.calls.clear();
  w.showMinimized();
  Settle();
  ASSERT_TRUE(w.isMinimized());
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "unloadScriptEditor"), ui.calls.end());
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "unloadEventDialog"), ui.calls.end());
  // Closing from there stores a normal window.
  ASSERT_TRUE(w.close());
  std::ifstream in(temp / "tesmiro.ini");
  const std::string ini((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(ini.find("WindowState=0\n"), std::string::npos);
}

}  // namespace
}  // namespace tesmiro::testing
