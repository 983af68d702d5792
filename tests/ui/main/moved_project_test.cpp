// A project that was moved away (or cannot be read, or is far too large) as
// a user meets it: from the recent list, dropped on the file list, named on
// the command line, imported. Each says why before anything is closed, and
// an import names the materials whose files it found nowhere.
#include <QAction>
#include <QLineEdit>
#include <filesystem>
#include <fstream>

#include "file_list/file_list_test_util.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "project/store.h"
#include "support/main_gui_fixture.h"
#include "support/unreadable.h"
#include "support/user_text.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/import_dialog.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class MovedProjectTest : public MainGuiTest {
 protected:
  // A saved project with materials of the given paths.
  static void Save(const fs::path& path, const std::vector<fs::path>& materials) {
    fs::create_directories(path.parent_path());
    GUICore::NewProject();
    for (const fs::path& material : materials) AddMaterialAtEnd("png", material.string());
    EXPECT_TRUE(GUICore::SaveProject(path.string()));
  }

  // a, open with unsaved changes: what a failed open must not close.
  void ExpectAKept() {
    EXPECT_EQ(GUICore::State().projectPath, (temp / "a.tsm").string());
    EXPECT_TRUE(GUICore::HasUnsavedChanges());
    EXPECT_EQ(GUICore::StoreItemCount(), 1);
    EXPECT_EQ(window().windowTitle(), QStringLiteral("[ a.tsm ] - Tesmiro *"));
  }

  // The one box of a failed open: its text.
  std::string OpenError() {
    if (ui.messages.size() != 1u) return "(" + std::to_string(ui.messages.size()) + " boxes)";
    EXPECT_EQ(ui.messages[0].title, "ファイルオープンエラー");
    EXPECT_JAPANESE(ui.messages[0].text, {"b.tsm", "gone.tsm"});
    const std::string text = ui.messages[0].text;
    ui.messages.clear();
    return text;
  }
};

TEST_F(MovedProjectTest, ARecentOrDroppedProjectThatCannotBeOpenedIsToldBeforeTheQuestion) {
  start();  // b opened, then a, which has unsaved changes
  Save(temp / "b.tsm", {temp / "b.png"});
  ASSERT_TRUE(GUICore::OpenProject((temp / "b.tsm").string()));
  Save(temp / "a.tsm", {temp / "a.png"});
  ASSERT_TRUE(GUICore::OpenProject((temp / "a.tsm").string()));
  GUICore::SetModified(true);
  ui.messages.clear();
  QAction* b = Control<QAction>(window(), "recentProjectActions_1");
  ASSERT_TRUE(b->text().endsWith(QStringLiteral("b.tsm")));

  fs::create_directories(temp / "elsewhere");
  fs::rename(temp / "b.tsm", temp / "elsewhere" / "b.tsm");
  b->trigger();
  EXPECT_EQ(OpenError(), "ファイル [b.tsm] がありません");
  ExpectAKept();

  fs::rename(temp / "elsewhere" / "b.tsm", temp / "b.tsm");
  {
    ScopedUnreadable locked(temp / "b.tsm");
    b->trigger();
  }
  const std::string unreadable = OpenError();
  EXPECT_EQ(unreadable.rfind("ファイル [b.tsm] を読み込めません：", 0), 0u) << unreadable;
  ExpectAKept();

  // Sparse: no disk taken, and nothing of it is read.
  fs::resize_file(temp / "b.tsm", TSMModule::kMaxProjectFileBytes + 1);
  b->trigger();
  EXPECT_EQ(OpenError(), "ファイル [b.tsm] が大きすぎます");
  ExpectAKept();

  // Dropped on the file list, it is told after the drop.
  DropFiles(Control<QWidget>(window(), "PictFileList"), 5, {temp / "gone.tsm"});
  EXPECT_TRUE(ui.messages.empty());
  Settle();
  EXPECT_EQ(OpenError(), "ファイル [gone.tsm] がありません");
  ExpectAKept();
}

TEST_F(MovedProjectTest, AProjectOnTheCommandLineThatIsGoneIsNamedSo) {
  gui::MainGUI& w = start(gui::ToQ((temp / "gone.tsm").string()));
  EXPECT_EQ(OpenError(), "ファイル [gone.tsm] がありません");
  EXPECT_EQ(w.windowTitle(), QStringLiteral("(新規) - Tesmiro"));
}

TEST_F(MovedProjectTest, AnImportSaysThatItsProjectIsGoneAndNamesMaterialsFoundNowhere) {
  start();
  gui::ImportDialog missing(&window());
  Control<QLineEdit>(missing, "projectFileBox")->setText(gui::ToQ((temp / "gone.tsm").string()));
  EXPECT_FALSE(missing.importProject());
  EXPECT_EQ(OpenError(), "ファイル [gone.tsm] がありません");
  EXPECT_NE(missing.result(), QDialog::Accepted);

  // Moved with its project, a material is found beside it; one whose file
  // is gone is found nowhere and named.
  const fs::path found = temp / "old" / "found.png", lost = temp / "gone" / "lost.png";
  fs::create_directories(temp / "old");
  std::ofstream(found) << "x";
  Save(temp / "old" / "c.tsm", {found, lost});
  fs::rename(temp / "old", temp / "new");
  GUICore::NewProject();
  ui.messages.clear();

  gui::ImportDialog importing(&window());
  Control<QLineEdit>(importing, "projectFileBox")->setText(gui::ToQ((temp / "new" / "c.tsm").string()));
  EXPECT_TRUE(importing.importProject());
  EXPECT_EQ(GUICore::StoreItemCount(), 2);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  const std::string& text = ui.messages[0].text;
  EXPECT_NE(text.find("\n[" + lost.string() + "]"), std::string::npos) << text;
  EXPECT_EQ(text.find("found.png"), std::string::npos) << text;
  EXPECT_JAPANESE(text, {lost.string()});
}

}  // namespace
}  // namespace tesmiro::testing
