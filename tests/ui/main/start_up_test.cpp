// Start-up of the main window: a new project, a project named on the command
// line, the backup offered back, and the menu tree it starts with.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "project/backup.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "support/main_gui_fixture.h"
#include "ui/common/qt_text.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public MainGuiTest {
 protected:
  // A saved project with one text item, made through the core.
  fs::path MakeProject(const fs::path& path) {
    fs::create_directories(path.parent_path());
    GUICore::NewProject();
    GUICore::State().settings.width = 123;
    EXPECT_TRUE(GUICore::SaveProject(path.string()));
    GUICore::NewProject();
    ui.messages.clear();
    return path;
  }
};

TEST_F(StartUpTest, WithoutAnArgumentANewProjectAndNoQuestion) {
  gui::MainGUI& w = start();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("(新規) - Tesmiro"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Control<QWidget>(w, "PictFileList")->isEnabled());
  EXPECT_TRUE(Control<QWidget>(w, "PictEventList")->isEnabled());
  EXPECT_EQ(gui::MainGUI::instance(), &w);
  EXPECT_TRUE(w.isVisible());
  // The installed outline fonts, sorted, without vertical ones.
  const auto& fonts = w.fontList();
  EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end()));
  EXPECT_NE(std::find(fonts.begin(), fonts.end(), "IPAGothic"), fonts.end());
  EXPECT_EQ(std::count_if(fonts.begin(), fonts.end(), [](const std::string& f) { return f[0] == '@'; }), 0);
  destroyWindow();
  EXPECT_EQ(gui::MainGUI::instance(), nullptr);
}

TEST_F(StartUpTest, AQuotedPathWithABlankOpensThatProject) {
  const fs::path project = MakeProject(temp / "my projects" / "a.tsm");
  gui::MainGUI& w = start("\"" + gui::ToQ(project.string()) + "\"");
  EXPECT_EQ(w.windowTitle(), QStringLiteral("[ a.tsm ] - Tesmiro"));
  EXPECT_EQ(GUICore::State().projectPath, project.string());
  EXPECT_EQ(GUICore::State().settings.width, 123);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartUpTest, ThePathTakesItsSpellingOnDisk) {
  const fs::path project = MakeProject(temp / "Folder" / "Movie.tsm");
  gui::MainGUI& w = start(gui::ToQ((temp / "folder" / "MOVIE.TSM").string()));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("[ Movie.tsm ] - Tesmiro"));
  EXPECT_EQ(GUICore::State().projectPath, project.string());
}

TEST_F(StartUpTest, AMissingProjectIsReportedAndLeavesANewProject) {
  gui::MainGUI& w = start(gui::ToQ((temp / "gone.tsm").string()));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("(新規) - Tesmiro"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "ファイルオープンエラー");
  EXPECT_NE(ui.messages[0].text.find("gone.tsm"), std::string::npos);
  EXPECT_EQ(GUICore::State().projectPath, "");
}

TEST_F(StartUpTest, TheBackupOfALostSessionIsOfferedBack) {
  const fs::path project = MakeProject(temp / "b.tsm");
  GUICore::OpenProject(project.string());
  GUICore::State().settings.width = 456;
  GUICore::SetModified(true);
  GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  ASSERT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  GUICore::NewProject();
  ui.messages.clear();

  ui.answers.push_back(ui::Answer::Yes);
  gui::MainGUI& w = start();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Tesmiro");
  EXPECT_EQ(ui.messages[0].buttons, ui::Buttons::YesNo);
  const std::string& q = ui.messages[0].text;
  EXPECT_EQ(q.rfind("前回終了時に編集中だったプロジェクト\n [ b.tsm ] (", 0), 0u) << q;
  EXPECT_NE(q.find(")\nを復元しますか？"), std::string::npos) << q;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("[ b.tsm ] - Tesmiro *"));
  EXPECT_EQ(GUICore::State().settings.width, 456);
}

struct MenuRow {
  const char* name;
  const char* caption;
  QKeySequence shortcut;
  bool enabled;
};

TEST_F(StartUpTest, TheMenuTreeWithCaptionsShortcutsAndStates) {
  gui::MainGUI& w = start();
  // Start-up leaves the focus on the event list, which sets the Edit menu's
  // event items: on, but undo with no history yet.
  ASSERT_EQ(QApplication::focusWidget(), Control<QWidget>(w, "PictEventList"));
  const std::vector<MenuRow> rows = {
      {"newProjectAction", "新規作成(&N)", QKeySequence("Ctrl+N"), true},
      {"openProjectAction", "プロジェクトを開く(&O)...", QKeySequence("Ctrl+O"), true},
      {"saveAction", "上書き保存(&S)", QKeySequence("Ctrl+S"), true},
      {"saveAsAction", "名前を付けて保存(&A)...", {}, true},
      {"makeSwfAction", "SWFファイル生成(&M)...", {}, true},
      {"recentProjectActions_0", "(なし)", {}, false},
      {"quitAction", "終了(&Q)", {}, true},
      {"undoAction", "元に戻す(&U)", QKeySequence("Ctrl+Z"), false},
      {"copyEventsAction", "コピー(&C)", QKeySequence("Ctrl+C"), true},
      {"selectAllEventsAction", "全て選択(&A)", QKeySequence("Ctrl+A"), true},
      {"findNextAction", "次を検索", QKeySequence("F3"), true},
      {"insertActionEventAction", "アクションを挿入(&I)", QKeySequence("Ctrl+Ins"), true},
      {"deleteEventsAction", "削除(&D)", QKeySequence("Del"), true},
      {"eventPropertiesAction", "プロパティ(&P)", QKeySequence("Ctrl+P"), true},
      {"scriptEditorAction", "スクリプトエディタ(&E)", QKeySequence("Ctrl+E"), true},
      {"previewSelectedAction", "選択イベントのみ(&L)", QKeySequence("Ctrl+F5"), true},
      {"traceWindowAction", "トレースウインドウを表示(&T)", QKeySequence("F8"), true},
      {"openHelpAction", "ヘルプ(&H)...", QKeySequence("F1"), true},
      {"addFolderAction", "フォルダ(&L)", QKeySequence("Ctrl+L"), true},
      {"showInFolderAction", "エクスプローラ(&E)", {}, true},
      {"timelineActions_0", "&0    (メイン)", {}, true},
      {"closeSpriteTabAction", "このタブを閉じる(&C)", {}, true},
      {"sortDownAction", "下", {}, true},
  };
  for (const MenuRow& r : rows) {
    auto* a = w.findChild<QAction*>(r.name);
    ASSERT_NE(a, nullptr) << r.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
    EXPECT_EQ(a->shortcut(), r.shortcut) << r.name;
    EXPECT_EQ(a->isEnabled(), r.enabled) << r.name;
  }
  QStringList bar;
  for (QAction* a : w.menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&D)", "プレビュー(&P)", "ヘルプ(&H)"}));
  // The File menu in order, separators included.
  QStringList file;
  for (QAction* a : Control<QMenu>(w, "fileMenu")->actions()) file << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(file, (QStringList{"新規作成(&N)", "プロジェクトを開く(&O)...", "上書き保存(&S)",
                               "名前を付けて保存(&A)...", "プロジェクトのインポート(&I)...", "-",
                               "SWFファイル生成(&M)...", "プロジェクトのプロパティ(&P)...", "詳細設定(&T)...", "-",
                               "(なし)", "-", "終了(&Q)"}));
  for (const char* popup : {"fileListMenu", "timelineMenu", "spriteTabMenu", "sortMenu"})
    EXPECT_FALSE(w.menuBar()->actions().contains(w.findChild<QMenu*>(popup)->menuAction())) << popup;
}

}  // namespace
}  // namespace tesmiro::testing
