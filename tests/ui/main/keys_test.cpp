// Keys the window sees before its controls, and what a running build
// leaves usable.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <filesystem>

#include "compiler/movie_compiler.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/timelines.h"
#include "support/main_gui_fixture.h"
#include "ui/common/qt_text.h"
#include "ui/main/print_canvas.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class KeysTest : public MainGuiTest {
 protected:
  // A sprite item with its own timeline, shown once so that it has a tab.
  int32_t AddSpriteWithTab(const std::string& name) {
    std::string n = name;
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    const int32_t id = GUICore::AddStoreItem(n, "sprite", row, mode);
    GUICore::RefreshFileList();
    GUICore::ShowTimeline(id, true);
    return id;
  }
};

TEST_F(KeysTest, DigitsSwitchTabsButNotWhileTypingInTheScriptText) {
  gui::MainGUI& w = startActive();
  AddSpriteWithTab("s1");
  AddSpriteWithTab("s2");
  ASSERT_EQ(GUICore::State().tabs.size(), 3u);
  const int32_t second = GUICore::State().shownTimeline;
  Control<QWidget>(w, "PictEventList")->setFocus();
  SendKey(Control<QWidget>(w, "PictEventList"), Qt::Key_1, Qt::NoModifier, "1");
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  SendKey(Control<QWidget>(w, "PictEventList"), Qt::Key_5, Qt::NoModifier, "5");  // no fifth tab
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  SendKey(Control<QWidget>(w, "PictEventList"), Qt::Key_3, Qt::NoModifier, "3");
  EXPECT_EQ(GUICore::State().shownTimeline, second);

  // The same key typed into the script text is text.
  QPlainTextEdit* const script = showDockedScriptPanel();
  script->setEnabled(true);
  script->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), script);
  SendKey(script, Qt::Key_1, Qt::NoModifier, "1");
  EXPECT_EQ(GUICore::State().shownTimeline, second);
  EXPECT_EQ(script->toPlainText(), QStringLiteral("1"));
}

TEST_F(KeysTest, PunctuationKeysAreToldByTheirCharacter) {
  QKeyEvent colon(QEvent::KeyPress, Qt::Key_Colon, Qt::NoModifier, ":");
  QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::ShiftModifier, "+");
  QKeyEvent less(QEvent::KeyPress, Qt::Key_Less, Qt::ShiftModifier, "<");
  QKeyEvent keypadPlus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, "+");
  QKeyEvent keypad7(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, "7");
  EXPECT_EQ(gui::MapKey(colon).code, 186);
  EXPECT_EQ(gui::MapKey(plus).code, 187);
  EXPECT_EQ(gui::MapKey(plus).shift, gui::kShiftMask);
  EXPECT_EQ(gui::MapKey(less).code, 188);
  EXPECT_NE(gui::MapKey(keypadPlus).code, 187);
  EXPECT_EQ(gui::MapKey(keypad7).code, 103);
}

TEST_F(KeysTest, ControlLettersRunTheAddCommandsAtTheCursorRow) {
  gui::MainGUI& w = startActive();
  QSignalSpy text(Control<QAction>(w, "addTextAction"), &QAction::triggered);
  QSignalSpy folder(Control<QAction>(w, "addFolderAction"), &QAction::triggered);
  FileListModule::Current().cursorRow = 4;
  FileListModule::Current().insertMode = 1;
  Control<QWidget>(w, "PictFileList")->setFocus();
  SendKey(Control<QWidget>(w, "PictFileList"), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(text.count(), 1);
  EXPECT_EQ(FileListModule::Current().insertRow, 4);
  EXPECT_EQ(FileListModule::Current().insertMode, 0);
  SendKey(Control<QWidget>(w, "PictFileList"), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(folder.count(), 1);
  // Not while the file list is off.
  Control<QWidget>(w, "PictFileList")->setEnabled(false);
  SendKey(Control<QWidget>(w, "PictEventList"), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(text.count(), 1);
}

TEST_F(KeysTest, CommaMovesSelectedItemsButNotFromTheSearchBox) {
  gui::MainGUI& w = startActive();
  std::string a = "a", b = "b";
  int32_t row = 1, mode = 0;
  GUICore::AddStoreItem(a, "txt", row, mode);
  row = 2;
  const int32_t idB = GUICore::AddStoreItem(b, "txt", row, mode);
  GUICore::RefreshFileList();
  auto& rows = FileListModule::Current().rows;
  for (int32_t r = 1; r <= rows.count(); ++r) rows.at(r).selected = rows.at(r).id == idB ? -1 : 0;
  ASSERT_EQ(GUICore::State().store.at(2).id, idB);

  showDockedScriptPanel();
  Control<QComboBox>(w.centralWidget(), "findTextList")->setFocus();
  SendKey(Control<QComboBox>(w.centralWidget(), "findTextList"), Qt::Key_Comma, Qt::NoModifier, ",");
  EXPECT_EQ(GUICore::State().store.at(2).id, idB);

  Control<QWidget>(w, "PictFileList")->setFocus();
  SendKey(Control<QWidget>(w, "PictFileList"), Qt::Key_Comma, Qt::NoModifier, ",");
  EXPECT_EQ(GUICore::State().store.at(1).id, idB);
}

// A build yields to the window after each line; meanwhile only the cancel
// button acts, and closing the window cancels the build first.
TEST_F(KeysTest, DuringABuildOnlyCancelActsAndClosingCancelsFirst) {
  gui::MainGUI& w = startActive();
  for (int i = 0; i < 5; ++i) {
    EventRecord e{};
    e.kind = 12;
    e.frameCount = 1;
    GUICore::InsertEvent(e, i);
  }
  const fs::path movie = temp / "x.swf";
  desktop.fileDialogs.answer(movie.string());
  ui.answers.push_back(ui::Answer::No);  // the save question when the window closes
  bool sawBuild = false;
  QTimer::singleShot(0, &w, [&] {
    sawBuild = GUICore::BuildInProgress();
    EXPECT_TRUE(w.buildRunning());
    EXPECT_TRUE(Control<QPushButton>(w, "cancelBuildButton")->isVisible());
    EXPECT_FALSE(Control<QAction>(w, "newProjectAction")->isEnabled());
    EXPECT_FALSE(Control<QAction>(w, "openProjectAction")->isEnabled());
    EXPECT_FALSE(Control<QAction>(w, "makeSwfAction")->isEnabled());
    EXPECT_FALSE(Control<QAction>(w, "previewWindowAction")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(w, "PictFileList")->isEnabled());
    // Commands reached some other way are refused too.
    w.menus().newProject();
    EXPECT_EQ(GUICore::EventCount(), 5);
    EXPECT_FALSE(w.menus().save());
    EXPECT_FALSE(w.onKeyUp(49, 0));
    // Closing cancels the build; the window closes when it has ended.
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
  });
  Control<QAction>(w, "makeSwfAction")->trigger();
  EXPECT_TRUE(sawBuild);
  EXPECT_FALSE(w.buildRunning());
  EXPECT_FALSE(fs::exists(movie));  // cancelled: no partial file
  ASSERT_FALSE(ui.statusLines.empty());
  EXPECT_EQ(ui.statusLines.back(), "SWF生成キャンセル");
  EXPECT_TRUE(Control<QAction>(w, "newProjectAction")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(w, "cancelBuildButton")->isVisible());
  Settle();
  EXPECT_FALSE(w.isVisible());
}

TEST_F(KeysTest, TheCancelButtonStopsTheBuild) {
  gui::MainGUI& w = startActive();
  for (int i = 0; i < 5; ++i) {
    EventRecord e{};
    e.kind = 12;
    e.frameCount = 1;
    GUICore::InsertEvent(e, i);
  }
  const fs::path movie = temp / "y.swf";
  desktop.fileDialogs.answer(movie.string());
  QTimer::singleShot(0, &w, [&] { Control<QPushButton>(w, "cancelBuildButton")->click(); });
  Control<QAction>(w, "makeSwfAction")->trigger();
  EXPECT_FALSE(fs::exists(movie));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(Control<QAction>(w, "makeSwfAction")->isEnabled());
}

}  // namespace
}  // namespace tesmiro::testing
