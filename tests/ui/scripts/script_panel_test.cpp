// The docked script panel and the script editor window: what they show for
// the selected event, live write-back, find, syntax check, undock and dock,
// keep-on-top.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "project/store.h"
#include "project/timelines.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/dialogs/search_dialog.h"

namespace tesmiro::testing {
namespace {

namespace SE = ScriptEditorModule;

// The docked script panel's text (the script editor window has one of its own).
QPlainTextEdit* ScriptEdit(gui::MainGUI& w) { return Control<QPlainTextEdit>(w.centralWidget(), "scriptEdit"); }

using gui::ScriptEditorWindow;

class ScriptPanelTest : public MainGuiTest {
 protected:
  // A started window with the editor on, docked or not, and one event
  // (made after the start-up's new project).
  gui::MainGUI& StartWith(const EventRecord& event, bool docked = true) {
    start();
    Prefs::Current().dockScriptEditor = docked ? 1 : 0;
    Append(event);
    return ShowEditor();
  }
  gui::MainGUI& ShowEditor() {
    Select(0);
    Control<QAction>(window(), "scriptEditorAction")->trigger();  // on: shows the selection's script
    Settle();
    return window();
  }
  static int32_t AddSprite() {
    int32_t row = 1, mode = 0;
    std::string name = "sprite";
    return GUICore::AddStoreItem(name, "sprite", row, mode);
  }
  static void Append(EventRecord e) { GUICore::InsertEvent(e, GUICore::EventCount()); }
  static void Select(int32_t row) {
    EventListModule::ClearRowSelection();
    auto& rows = EventListModule::Current();
    rows.currentRow = row;
    rows.rows[static_cast<size_t>(row)].selected = -1;
  }
  static EventRecord FrameScript(const std::string& script) {
    EventRecord e;
    e.itemId = 0;
    e.kind = kEventKindScripted;
    e.text2 = script;
    return e;
  }
  static QString Selected(const QPlainTextEdit* text) { return text->textCursor().selectedText(); }
  void Focus(QWidget* w) {
    ActivateWindow(*w->window());
    w->setFocus(Qt::OtherFocusReason);
    Settle();
  }
};

TEST_F(ScriptPanelTest, ASpriteEventShowsItsClipActionAndTypingWritesIt) {
  start();
  Prefs::Current().dockScriptEditor = 1;
  EventRecord placed;
  placed.itemId = AddSprite();
  placed.text1 = "mc1";
  placed.text2 = "onClipEvent (load) {\r\n}";
  Append(placed);
  gui::MainGUI& w = ShowEditor();

  EXPECT_TRUE(w.scriptPanelShown());
  EXPECT_EQ(Control<QLabel>(w, "scriptTargetLabel")->text(), QStringLiteral("（クリップアクション） - [mc1]"));
  EXPECT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("onClipEvent (load) {\n}"));
  EXPECT_TRUE(ScriptEdit(w)->isEnabled());

  Focus(ScriptEdit(w));
  EXPECT_FALSE(Control<QMenu>(w, "editMenu")->menuAction()->isEnabled());  // its shortcuts reach the text
  QTextCursor c = ScriptEdit(w)->textCursor();
  c.movePosition(QTextCursor::End);
  ScriptEdit(w)->setTextCursor(c);
  QTest::keyClick(ScriptEdit(w), Qt::Key_Return);
  QTest::keyClicks(ScriptEdit(w), "stop();");
  EXPECT_EQ(GUICore::GetEvent(1).text2, "onClipEvent (load) {\r\n}\r\nstop();");
  EXPECT_EQ(Control<QLabel>(w.centralWidget(), "lineLabel")->text(), QStringLiteral("Line：3"));
  QTest::keyClick(ScriptEdit(w), Qt::Key_A, Qt::ControlModifier);  // the text's, not the event list's
  EXPECT_EQ(ScriptEdit(w)->textCursor().selectedText().size(), ScriptEdit(w)->toPlainText().size());
  EXPECT_TRUE(GUICore::HasUnsavedChanges());

  Focus(Control<QWidget>(w, "PictEventList"));
  EXPECT_TRUE(Control<QMenu>(w, "editMenu")->menuAction()->isEnabled());
}

TEST_F(ScriptPanelTest, AnImageEventShowsNothingToEdit) {
  EventRecord image;
  image.itemId = 0;
  image.kind = static_cast<int16_t>(ActionKind::Stop);
  gui::MainGUI& w = StartWith(image);
  EXPECT_EQ(Control<QLabel>(w, "scriptTargetLabel")->text(), QStringLiteral("（なし）"));
  EXPECT_TRUE(ScriptEdit(w)->toPlainText().isEmpty());
  EXPECT_FALSE(ScriptEdit(w)->isEnabled());
}

TEST_F(ScriptPanelTest, FindWrapsAndKeepsOneHistoryEntry) {
  gui::MainGUI& w = StartWith(FrameScript("Stop();\r\nstop();"));
  Control<QComboBox>(w.centralWidget(), "findTextList")->setEditText(QStringLiteral("STOP"));
  EXPECT_TRUE(Control<QPushButton>(w.centralWidget(), "findButton")->isEnabled());
  Control<QPushButton>(w.centralWidget(), "findButton")->click();
  EXPECT_EQ(ScriptEdit(w)->textCursor().selectionStart(), 0);
  EXPECT_EQ(Selected(ScriptEdit(w)), QStringLiteral("Stop"));
  Control<QPushButton>(w.centralWidget(), "findButton")->click();
  EXPECT_EQ(ScriptEdit(w)->textCursor().selectionStart(), 8);
  EXPECT_EQ(Control<QLabel>(w.centralWidget(), "lineLabel")->text(), QStringLiteral("Line：2"));
  Control<QPushButton>(w.centralWidget(), "findButton")->click();  // nothing after it: from the start again
  EXPECT_EQ(ScriptEdit(w)->textCursor().selectionStart(), 0);
  EXPECT_EQ(Control<QComboBox>(w.centralWidget(), "findTextList")->count(), 1);

  // Enter in an empty box does nothing at all.
  Control<QComboBox>(w.centralWidget(), "findTextList")->setEditText(QString());
  EXPECT_FALSE(Control<QPushButton>(w.centralWidget(), "findButton")->isEnabled());
  QTest::keyClick(Control<QComboBox>(w.centralWidget(), "findTextList")->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Control<QComboBox>(w.centralWidget(), "findTextList")->count(), 1);
  EXPECT_EQ(ScriptEdit(w)->textCursor().selectionStart(), 0);
  EXPECT_EQ(Selected(ScriptEdit(w)), QStringLiteral("Stop"));
}

// Nothing to find is said on the status line: F3 before anything was
// searched for, and a term the script does not hold.
TEST_F(ScriptPanelTest, NothingFoundOrNothingToRepeatSaysSo) {
  gui::MainGUI& w = StartWith(FrameScript("stop();"));
  const std::string nothingToRepeat = "検索する文字列がありません。「検索」で指定してください。";
  ui.statusLines.clear();
  Control<QAction>(w, "findNextAction")->trigger();
  // The dialog shown and closed with nothing typed is no search either.
  Control<QAction>(w, "findAction")->trigger();
  Control<QPushButton>(gui::SearchDialog::instance(), "cancelButton")->click();
  Control<QAction>(w, "findNextAction")->trigger();
  EXPECT_EQ(ui.statusLines, (std::vector<std::string>{nothingToRepeat, nothingToRepeat}));
  EXPECT_JAPANESE(nothingToRepeat);
  EXPECT_TRUE(ui.messages.empty());
  Control<QComboBox>(w.centralWidget(), "findTextList")->setEditText(QStringLiteral("nowhere"));
  Control<QPushButton>(w.centralWidget(), "findButton")->click();
  ASSERT_EQ(ui.statusLines.size(), 3u);
  EXPECT_EQ(ui.statusLines.back(), "検索結果がありません");
  EXPECT_JAPANESE(ui.statusLines.back());
  EXPECT_EQ(Selected(ScriptEdit(w)), QString());
}

TEST_F(ScriptPanelTest, SyntaxCheckSelectsTheErrorLine) {
  gui::MainGUI& w = StartWith(FrameScript("play();\r\nx = ;\r\nstop();"));
  Control<QPushButton>(w.centralWidget(), "syntaxCheckButton")->click();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().title, "スクリプトエラー");
  EXPECT_EQ(Selected(ScriptEdit(w)), QStringLiteral("x = ;"));
  EXPECT_TRUE(Control<QPushButton>(w.centralWidget(), "syntaxCheckButton")->isEnabled());

  ui.messages.clear();
  ScriptEdit(w)->setPlainText(QStringLiteral("play();"));
  Control<QPushButton>(w.centralWidget(), "syntaxCheckButton")->click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "構文エラーはありません");
}

TEST_F(ScriptPanelTest, UndockAndDockMoveTheScriptBetweenPanelAndWindow) {
  gui::MainGUI& w = StartWith(FrameScript("a();"));
  Control<QPushButton>(w, "undockButton")->click();
  Settle();
  EXPECT_EQ(Prefs::Current().dockScriptEditor, 0);
  EXPECT_FALSE(w.scriptPanelShown());
  ASSERT_TRUE(ScriptEditorWindow::isShownNow());
  ScriptEditorWindow* editor = ScriptEditorWindow::loaded();
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("（フレームアクション） - []スクリプトエディタ"));
  auto* editorScript = Control<QPlainTextEdit>(editor, "scriptEdit");
  EXPECT_EQ(editorScript->toPlainText(), QStringLiteral("a();"));

  editorScript->setPlainText(QStringLiteral("a();\nb();"));
  EXPECT_EQ(GUICore::GetEvent(1).text2, "a();\r\nb();");

  Control<QPushButton>(editor, "dockButton")->click();
  Settle();
  EXPECT_FALSE(ScriptEditorWindow::isLoaded());
  EXPECT_EQ(Prefs::Current().dockScriptEditor, 1);
  EXPECT_TRUE(w.scriptPanelShown());
  EXPECT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("a();\nb();"));
  EXPECT_GT(Prefs::Current().seWidth, 0);  // the window kept its rectangle

  // A free-standing editor goes with the main window.
  Control<QPushButton>(w, "undockButton")->click();
  Settle();
  ASSERT_TRUE(ScriptEditorWindow::isLoaded());
  EXPECT_EQ(ScriptEditorWindow::loaded()->parentWidget(), nullptr);
  destroyWindow();
  EXPECT_FALSE(ScriptEditorWindow::isLoaded());
}

TEST_F(ScriptPanelTest, TheEditorWindowOpensWhereItWasLeft) {
  start();
  {
    ScriptEditorWindow first(nullptr);  // first run: the designed size
    EXPECT_EQ(first.size(), QSize(480, 360));
  }
  Preferences& p = Prefs::Current();
  p.seLeft = 1500;
  p.seTop = 3000;
  p.seWidth = 6000;
  p.seHeight = 4500;
  auto* editor = new ScriptEditorWindow(nullptr);
  editor->show();
  Settle();
  EXPECT_EQ(editor->frameGeometry(), QRect(100, 200, 400, 300));
  editor->move(150, 210);
  Settle();
  ScriptEditorWindow::unload();
  Settle();
  EXPECT_EQ(p.seLeft, 2250);
  EXPECT_EQ(p.seTop, 3150);
  EXPECT_EQ(p.seWidth, 6000);
}

TEST_F(ScriptPanelTest, KeepOnTopAlwaysFollowsTheBox) {
  start();
  Prefs::Current().windowTopward = 63 - 8;  // offered, not ticked
  Prefs::Current().dockScriptEditor = 0;
  Append(FrameScript("a();"));
  ShowEditor();
  ScriptEditorWindow* editor = ScriptEditorWindow::loaded();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->parentWidget(), nullptr);  // free-standing while the box is offered
  auto* keepOnTopCheck = Control<QCheckBox>(editor, "keepOnTopCheck");
  ASSERT_FALSE(keepOnTopCheck->isHidden());
  keepOnTopCheck->click();
  keepOnTopCheck->click();  // at once: the window follows all the same
  EXPECT_FALSE(editor->onTop());
  ASSERT_FALSE(desktop.placement.keepOnTop.empty());
  EXPECT_FALSE(desktop.placement.keepOnTop.back().second);
  keepOnTopCheck->click();
  EXPECT_TRUE(editor->onTop());
  EXPECT_TRUE(desktop.placement.keepOnTop.back().second);
  ScriptEditorWindow::unload();
  Settle();
  EXPECT_EQ(Prefs::Current().windowTopward, 63);  // the ticked box is kept
}

TEST_F(ScriptPanelTest, TypingAfterTheListChangedWritesNothingAndShowsTheListAsItIs) {
  start();
  Prefs::Current().dockScriptEditor = 1;
  Append(FrameScript("first();"));
  Append(FrameScript("second();"));
  gui::MainGUI& w = ShowEditor();
  Select(1);
  SE::ShowEventScript(0, "");
  ASSERT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("second();"));

  // A paste before the edited event, with nobody telling the panel.
  GUICore::CopyEventToClipboard(0);
  GUICore::PasteEventClipboard(0);
  ScriptEdit(w)->setPlainText(QStringLiteral("typed();"));
  EXPECT_EQ(GUICore::GetEvent(1).text2, "first();");
  EXPECT_EQ(GUICore::GetEvent(2).text2, "first();");
  EXPECT_EQ(GUICore::GetEvent(3).text2, "second();");
  Settle();
  // The panel shows the list as it is now: the pasted row and the old one
  // are both selected.
  EXPECT_EQ(Control<QLabel>(w, "scriptTargetLabel")->text(), QStringLiteral("（複数選択）"));
  EXPECT_TRUE(ScriptEdit(w)->toPlainText().isEmpty());
  EXPECT_FALSE(ScriptEdit(w)->isEnabled());
}

// A search or a timeline switch moves the current event inside the core; the
// window loads the panel once the command has returned, from every path.
TEST_F(ScriptPanelTest, ThePanelFollowsTheEventASearchOrATimelineKeyMovedTo) {
  gui::MainGUI& w = StartWith(FrameScript("first();"));
  Append(FrameScript("second();"));
  Select(0);
  ASSERT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("first();"));

  Control<QAction>(w, "findAction")->trigger();
  gui::SearchDialog* search = gui::SearchDialog::instance();
  Control<QRadioButton>(search, "eventListOption")->setChecked(true);
  Control<QLineEdit>(search, "searchTextBox")->setText(QStringLiteral("();"));
  Control<QPushButton>(search, "searchButton")->click();
  EXPECT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("second();"));
  Control<QAction>(w, "findNextAction")->trigger();  // wraps round to the first
  EXPECT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("first();"));

  Select(1);  // with nobody telling the panel
  EXPECT_TRUE(w.onKeyUp(49, 0));  // 1: the main timeline again, at the row it was left on
  EXPECT_EQ(ScriptEdit(w)->toPlainText(), QStringLiteral("second();"));
}

}  // namespace
}  // namespace tesmiro::testing
