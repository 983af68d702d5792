// The File menu from the window: Make SWF with compression and HTML page,
// save, save as, open, recent projects, and closing with unsaved changes.
#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/file_io.h"
#include "project/backup.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "project/recent_files.h"
#include "support/checkers.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/common/qt_text.h"
#include "ui/main/print_canvas.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

// swf-parser and the checks of tests/js accept the movie.
bool ParserAccepts(const fs::path& movie) {
  const std::string command = "node " + std::string(TESMIRO_TEST_JS_DIR) + "/check_swf.mjs '" + movie.string() +
                              "' > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string Head(const fs::path& file, size_t n) {
  auto bytes = fileio::ReadAll(file);
  if (!bytes) return {};
  return std::string(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(std::min(n, bytes->size())));
}

std::string Text(const fs::path& file) { return Head(file, 1 << 20); }

class FileCommandTest : public MainGuiTest {
 protected:
  // A started window on a project saved as `name` with a few events.
  fs::path StartWithProject(const std::string& name, const std::string& options) {
    const fs::path path = temp / name;
    GUICore::NewProject();
    auto& s = GUICore::State().settings;
    s.options = options;
    s.width = 200;
    s.height = 150;
    for (int i = 0; i < 3; ++i) {
      EventRecord e{};
      e.kind = 12;  // do nothing
      e.frameCount = 2;
      GUICore::InsertEvent(e, i);
    }
    EXPECT_TRUE(GUICore::SaveProject(path.string()));
    GUICore::NewProject();
    start(gui::ToQ(path.string()));
    ui.messages.clear();
    return path;
  }
  void MakeModifiedWithBackup() {
    GUICore::SetModified(true);
    GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
    ASSERT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  }
};

TEST_F(FileCommandTest, MakeSwfWritesAMovieThePlayersAccept) {
  const fs::path project = StartWithProject("a.tsm", "  8 ");
  const fs::path movie = temp / "out" / "a.swf";
  fs::create_directories(movie.parent_path());
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(window(), "makeSwfAction")->trigger();
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 1u);
  const FileDialogCall& call = desktop.fileDialogs.calls[0];
  EXPECT_TRUE(call.save);
  EXPECT_EQ(call.title, "SWFファイルの生成");
  EXPECT_EQ(call.initialDir, temp.path().string());
  EXPECT_EQ(call.suggested, (temp / "a").string());
  ASSERT_EQ(call.filters.size(), 1u);
  EXPECT_EQ(call.filters[0].patterns, std::vector<std::string>{"*.swf"});

  EXPECT_EQ(Head(movie, 3), "FWS");
  EXPECT_FALSE(fs::exists(temp / "out" / "a.html"));
  ASSERT_FALSE(ui.statusLines.empty());
  EXPECT_EQ(ui.statusLines.back().rfind("完了 (", 0), 0u);
  REQUIRE_CHECKER(MissingSwfParser());
  EXPECT_TRUE(ParserAccepts(movie));
}

TEST_F(FileCommandTest, TheCOptionCompressesAndTheHtmlPageLiesBeside) {
  StartWithProject("b.tsm", "C 7 ");
  Prefs::Current().saveHTML = 1;
  const fs::path movie = temp / "b.swf";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(window(), "makeSwfAction")->trigger();
  EXPECT_EQ(Head(movie, 3), "CWS");
  ASSERT_FALSE(ui.statusLines.empty());
  EXPECT_EQ(ui.statusLines.back().rfind("完了 (", 0), 0u);
  // The compressed size goes on the line below the build's result.
  const QStringList lines = Control<gui::PrintCanvas>(window(), "infoPanel")->printedLines();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().startsWith("圧縮 (") && lines.last().endsWith("KB)")) << lines.join("|").toStdString();
  const std::string page = Text(temp / "b.html");
  EXPECT_NE(page.find("\"b.swf\""), std::string::npos);
  EXPECT_NE(page.find("width=\"200\""), std::string::npos);
  EXPECT_NE(page.find("height=\"150\""), std::string::npos);
  EXPECT_TRUE(ui.messages.empty());
  REQUIRE_CHECKER(MissingSwfParser());
  EXPECT_TRUE(ParserAccepts(movie));
}

TEST_F(FileCommandTest, Swf4CannotBeCompressedAndSaysSo) {
  StartWithProject("c.tsm", "C 4 ");
  const fs::path movie = temp / "c.swf";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(window(), "makeSwfAction")->trigger();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text, "SWF4ではファイルを圧縮することは出来ません。\r\n圧縮は実施されませんでした。");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  EXPECT_EQ(Head(movie, 3), "FWS");
}

TEST_F(FileCommandTest, ACancelledDialogWritesNothingAndAMovieNamedHtmlKeepsItsBytes) {
  StartWithProject("d.tsm", "  8 ");
  desktop.fileDialogs.cancel();
  Control<QAction>(window(), "makeSwfAction")->trigger();
  for (const auto& entry : fs::directory_iterator(temp.path())) EXPECT_NE(entry.path().extension(), ".swf");
  Prefs::Current().saveHTML = 1;
  const fs::path movie = temp / "p.html";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(window(), "makeSwfAction")->trigger();
  EXPECT_EQ(Head(movie, 3), "FWS");
  EXPECT_NE(Text(temp / "p.html.html").find("p.html"), std::string::npos);
}

// The boxes go to the recording double, the status lines into the window's
// panel, as the program prints them.
class StatusIntoPanel final : public ui::Messages {
 public:
  explicit StatusIntoPanel(RecordingUi& ui) : ui_(ui) {}
  ui::Answer message(const std::string& title, const std::string& text, ui::Icon icon, ui::Buttons buttons) override {
    return ui_.message(title, text, icon, buttons);
  }
  void status(const std::string& line) override { panel_.status(line); }

 private:
  RecordingUi& ui_;
  gui::QtMessages panel_;
};

// A project moved from another machine: its movie is made without the
// picture that stayed behind, one box says so once the build has ended, and
// the build's result stays in the panel until the user picks an item.
TEST_F(FileCommandTest, AMovedProjectIsToldAfterItsMovieAndTheResultStaysInThePanel) {
  GUICore::NewProject();
  auto& m = GUICore::State();
  m.settings.options = "C 8 ";
  for (auto [kind, name] : {std::pair{StoreItemKind::RasterImage, "D:\\sozai\\photo.png"}, {StoreItemKind::Text, "ABC"}}) {
    StoreItem item = NewStoreItem(kind);
    item.id = m.store.count() + 1;
    item.name = name;
    m.store.push_back(item);
    EventRecord e{};
    e.itemId = item.id;
    e.frameCount = 1;
    GUICore::InsertEvent(e, item.id - 1);
  }
  EventRecord stop{};
  stop.kind = 4;  // the current event places nothing
  GUICore::InsertEvent(stop, 2);
  ASSERT_TRUE(GUICore::SaveProject((temp / "moved.tsm").string()));
  GUICore::NewProject();
  start(gui::ToQ((temp / "moved.tsm").string()));
  ui.messages.clear();
  StatusIntoPanel messages(ui);
  ui::ScopedServices services({&messages, &progress, &windows});
  SelectOnlyItem(2);
  GUICore::ShowItemInfo(2);

  const fs::path movie = temp / "moved.swf";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(window(), "makeSwfAction")->trigger();
  Settle();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text, "次のものはムービーに含まれていないか、別の形で含まれています。\r\nファイル [D:\\sozai\\photo.png] がありません\r\n");
  EXPECT_JAPANESE(ui.messages[0].text, {"D:\\sozai\\photo.png"});
  auto* panel = Control<gui::PrintCanvas>(window(), "infoPanel");
  ASSERT_EQ(panel->printedLines().size(), 2) << panel->printedLines().join("|").toStdString();
  EXPECT_TRUE(panel->printedLines()[0].startsWith("完了 (")) << panel->printedLines().join("|").toStdString();
  EXPECT_TRUE(panel->printedLines()[1].startsWith("圧縮 ("));
  EXPECT_EQ(Head(movie, 3), "CWS");

  // The user's click in the file list draws the item again.
  Click(Control<QWidget>(window(), "PictFileList"), QPoint(30, 5));
  Settle();
  ASSERT_FALSE(panel->printedLines().isEmpty());
  EXPECT_FALSE(panel->printedLines()[0].startsWith("完了"));
  REQUIRE_CHECKER(MissingSwfParser());
  EXPECT_TRUE(ParserAccepts(movie));
}

TEST_F(FileCommandTest, CloseWithChangesCancelKeepsWindowAndBackup) {
  StartWithProject("e.tsm", "  8 ");
  MakeModifiedWithBackup();
  ui.answers.push_back(ui::Answer::Cancel);
  EXPECT_FALSE(window().close());
  EXPECT_TRUE(window().isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "プロジェクトは変更されています。上書き保存しますか？");
  EXPECT_EQ(ui.messages[0].buttons, ui::Buttons::YesNoCancel);
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  EXPECT_FALSE(fs::exists(temp / "tesmiro.ini"));
}

TEST_F(FileCommandTest, CloseWithChangesNoDeletesTheBackupAndWritesTheSettings) {
  StartWithProject("f.tsm", "  8 ");
  MakeModifiedWithBackup();
  ui.answers.push_back(ui::Answer::No);
  EXPECT_TRUE(window().close());
  EXPECT_FALSE(fs::exists(GUICore::AutoBackupPath()));
  const std::string ini = Text(temp / "tesmiro.ini");
  EXPECT_EQ(ini.rfind("[Tesmiro]\nWindowState=0\nLeft=", 0), 0u) << ini;
  EXPECT_NE(ini.find("MostRecentUsedFiles1=" + (temp / "f.tsm").string() + "\n"), std::string::npos);
}

TEST_F(FileCommandTest, YesWithACancelledSaveAsKeepsWindowAndBackup) {
  start();
  MakeModifiedWithBackup();
  ui.answers.push_back(ui::Answer::Yes);
  desktop.fileDialogs.cancel();
  EXPECT_FALSE(window().close());
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(desktop.fileDialogs.calls.size(), 1u);
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  EXPECT_EQ(window().windowTitle(), QStringLiteral("(新規) - Tesmiro *"));
}

TEST_F(FileCommandTest, YesWithAFailedSaveKeepsWindowAndBackup) {
  const fs::path project = StartWithProject("g.tsm", "  8 ");
  MakeModifiedWithBackup();
  // The project's folder is gone: the save cannot be written.
  GUICore::State().projectPath = (temp / "gone" / "g.tsm").string();
  ui.answers.push_back(ui::Answer::Yes);
  EXPECT_FALSE(window().close());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].title, "エラー");
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(FileCommandTest, YesThatSavesQuitsAndRemovesTheBackup) {
  const fs::path project = StartWithProject("h.tsm", "  8 ");
  MakeModifiedWithBackup();
  ui.answers.push_back(ui::Answer::Yes);
  EXPECT_TRUE(window().close());
  EXPECT_FALSE(fs::exists(GUICore::AutoBackupPath()));
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
}

TEST_F(FileCommandTest, SaveAsTakesTheNewNameOnlyWhenTheSaveSucceeded) {
  const fs::path project = StartWithProject("i.tsm", "  8 ");
  desktop.fileDialogs.answer((temp / "gone" / "j.tsm").string());
  EXPECT_FALSE(window().menus().saveAs());
  EXPECT_EQ(GUICore::State().projectPath, project.string());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("[ i.tsm ] - Tesmiro"));

  GUICore::SetModified(true);
  desktop.fileDialogs.answer((temp / "k.tsm").string());
  Control<QAction>(window(), "saveAsAction")->trigger();
  EXPECT_EQ(GUICore::State().projectPath, (temp / "k.tsm").string());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("[ k.tsm ] - Tesmiro"));
  EXPECT_TRUE(fs::exists(temp / "k.tsm"));
  EXPECT_EQ(desktop.fileDialogs.calls.back().suggested, project.string());
}

TEST_F(FileCommandTest, OpenAndRecentProjects) {
  const fs::path first = StartWithProject("l.tsm", "  8 ");
  GUICore::NewProject();
  GUICore::State().settings.options = " D8 ";
  ASSERT_TRUE(GUICore::SaveProject((temp / "m.tsm").string()));
  desktop.fileDialogs.answer((temp / "m.tsm").string());
  Control<QAction>(window(), "openProjectAction")->trigger();
  EXPECT_EQ(window().windowTitle(), QStringLiteral("[ m.tsm ] - Tesmiro"));
  EXPECT_EQ(desktop.fileDialogs.calls.back().initialDir, temp.path().string());
  EXPECT_EQ(Prefs::Current().doubleClickProperty, 1);

  // Both projects stand in the File menu, the latest first.
  ASSERT_EQ(window().findChildren<QAction*>(QRegularExpression(QStringLiteral("^recentProjectActions_[0-9]+$"))).size(), 2);
  EXPECT_EQ(Control<QAction>(window(), "recentProjectActions_0")->text().left(4), QStringLiteral("&1  "));
  EXPECT_TRUE(Control<QAction>(window(), "recentProjectActions_1")->text().endsWith(QStringLiteral("l.tsm")));
  EXPECT_TRUE(Control<QAction>(window(), "recentProjectActions_1")->isEnabled());
  Control<QAction>(window(), "recentProjectActions_1")->trigger();
  EXPECT_EQ(window().windowTitle(), QStringLiteral("[ l.tsm ] - Tesmiro"));
  EXPECT_EQ(GUICore::State().projectPath, first.string());

  // A question answered Cancel opens nothing.
  GUICore::SetModified(true);
  ui.answers.push_back(ui::Answer::Cancel);
  Control<QAction>(window(), "recentProjectActions_1")->trigger();
  EXPECT_EQ(GUICore::State().projectPath, first.string());
}

TEST_F(FileCommandTest, NewAfterTheQuestion) {
  StartWithProject("n.tsm", "  8 ");
  GUICore::SetModified(true);
  ui.answers.push_back(ui::Answer::No);
  Control<QAction>(window(), "newProjectAction")->trigger();
  EXPECT_EQ(window().windowTitle(), QStringLiteral("(新規) - Tesmiro"));
  EXPECT_EQ(GUICore::State().projectPath, "");
  EXPECT_EQ(GUICore::EventCount(), 0);
}

TEST_F(FileCommandTest, SettingsThatCannotBeWrittenAreReportedInOneLine) {
  start();
  fs::create_directories(temp / "tesmiro.ini");  // a folder where the file should be
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(window().close());
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("tesmiro: "), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace tesmiro::testing
