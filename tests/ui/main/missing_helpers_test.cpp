// A desktop where something is missing (F7, HTMLを編集, the version
// dialog's notes, ファイルを開く): each says in Japanese what could not be
// opened and names the file, also when the desktop's opener fails late.
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "project/model.h"
#include "project/preferences.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "ui/common/services.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/preview_options_dialog.h"
#include "ui/dialogs/version_dialog.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class MissingHelpersTest : public MainGuiTest {
 protected:
  // The one message since the last look: an "エラー" box that says what
  // was not opened and names the file.
  void ExpectToldOnce(const std::string& what, const std::string& path, const std::string& reason = {}) {
    ASSERT_EQ(ui.messages.size(), 1u) << what;
    EXPECT_EQ(ui.messages[0].title, "エラー");
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_EQ(ui.messages[0].text, what + "を開けませんでした。\r\n" + path + (reason.empty() ? "" : "\r\n" + reason));
    EXPECT_JAPANESE(ui.messages[0].text, {path});
    ui.messages.clear();
  }
};

TEST_F(MissingHelpersTest, F7SaysWhenNoPlayerOpensThePreview) {
  gui::MainGUI& w = start();
  QAction* inPlayer = Control<QAction>(w, "previewInPlayerAction");
  desktop.opener.result = false;
  inPlayer->trigger();  // no program for movies
  ExpectToldOnce("スタンドアロンプレイヤーでプレビュー", (GUICore::State().paths.scratch / "_preview.swf").string());
  Prefs::Current().previewSAPlayer = 1;
  Prefs::Current().saPlayerFileName = "/opt/gone/player";
  inPlayer->trigger();
  ExpectToldOnce("スタンドアロンプレイヤーでプレビュー", "/opt/gone/player");
}

TEST_F(MissingHelpersTest, EditingTheTemplateSaysWhenItCannotBeOpenedOrMade) {
  start();
  gui::OptionDialog options(&window());
  gui::PreviewOptionDialog previewOptions(&window());
  Control<QCheckBox>(options, "saveHtmlCheck")->setChecked(true);  // the button's frame is on
  desktop.opener.result = false;
  for (QDialog* dialog : {static_cast<QDialog*>(&options), static_cast<QDialog*>(&previewOptions)}) {
    Control<QPushButton>(*dialog, "editHtmlButton")->click();
    ExpectToldOnce("HTMLテンプレート", (GUICore::State().paths.config / "template.txt").string());
  }
  // A config folder that cannot be: nothing is opened.
  std::ofstream(temp / "plain") << "a file";
  GUICore::State().paths.config = temp / "plain" / "config";
  desktop.opener.calls.clear();
  Control<QPushButton>(options, "editHtmlButton")->click();
  GUICore::State().paths.config = temp.path();
  EXPECT_TRUE(desktop.opener.calls.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  const std::string unmade = (temp / "plain" / "config" / "template.txt").string();
  EXPECT_EQ(ui.messages[0].text.rfind("HTMLテンプレートを作成できませんでした。\r\nファイル [" + unmade + "] ", 0), 0u)
      << ui.messages[0].text;
  EXPECT_JAPANESE(ui.messages[0].text, {unmade});
}

TEST_F(MissingHelpersTest, TheVersionDialogsLinkSaysWhenTheNotesAreNotThere) {
  GUICore::State().paths.resources = temp.path();
  gui::VersionInfo dialog;
  QTest::mouseClick(Control<QLabel>(dialog, "aboutLinkLabel"), Qt::LeftButton);
  EXPECT_TRUE(desktop.opener.calls.empty());
  ExpectToldOnce("「Tesmiro について」", (temp / "help" / "index.html").string());
}

TEST_F(MissingHelpersTest, AMaterialsFileOrItsProgramMissingIsNamed) {
  gui::MainGUI& w = start();
  QAction* open = Control<QAction>(w, "openWithAppAction");
  QAction* inFolder = Control<QAction>(w, "showInFolderAction");
  SelectOnlyItem(AddMaterialAtEnd("png", "/moved/away/gone.png"));  // a project moved away from it
  open->trigger();
  ExpectToldOnce("ファイル", "/moved/away/gone.png", "ファイルがありません。");
  inFolder->trigger();
  ExpectToldOnce("ファイルの場所", "/moved/away/gone.png", "ファイルがありません。");
  EXPECT_TRUE(desktop.opener.calls.empty());

  // The file is there; the desktop's opener starts and then fails.
  const fs::path here = temp / "here.png";
  std::ofstream(here) << "picture";
  SelectOnlyItem(AddMaterialAtEnd("png", here.string()));
  open->trigger();
  inFolder->trigger();
  EXPECT_TRUE(ui.messages.empty());
  desktop.opener.failLater();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "ファイルを開けませんでした。\r\n" + here.string());
  EXPECT_EQ(ui.messages[1].text, "ファイルの場所を開けませんでした。\r\n" + here.string());
}

// The Qt opener runs the desktop's opener and hears its exit status (here a
// stand-in that fails for names with "no-program" in them).
TEST_F(MissingHelpersTest, TheDesktopOpenersExitStatusIsHeard) {
  const fs::path bin = temp / "bin";
  fs::create_directories(bin);
  const fs::path standIn = bin / "xdg-open";
  std::ofstream(standIn) << "#!/bin/sh\n"
                            "echo \"$1\" >> '" + (bin / "opened").string() + "'\n"
                            "case \"$1\" in *no-program*) exit 3;; esac\n";
  ASSERT_EQ(::chmod(standIn.c_str(), 0755), 0);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(bin.string()));
  gui::Opener& opener = *gui::QtDesktopServices().opener;
  std::vector<int> failures(3);
  EXPECT_TRUE(opener.openFile("/m/movie.swf", [&failures] { ++failures[0]; }));
  EXPECT_TRUE(opener.openFile("/m/no-program.swf", [&failures] { ++failures[1]; }));
  // Without the file manager's interface the folder opens.
  EXPECT_TRUE(opener.showInFolder("/m/no-program/a.png", [&failures] { ++failures[2]; }));
  qputenv("PATH", path);
  ASSERT_TRUE(WaitUntil([] {
    return QCoreApplication::instance()->findChildren<QProcess*>(Qt::FindDirectChildrenOnly).isEmpty();
  }));
  EXPECT_EQ(failures, (std::vector<int>{0, 1, 1}));
  std::ifstream log(bin / "opened");
  const std::string opened((std::istreambuf_iterator<char>(log)), {});
  for (const char* name : {"/m/movie.swf\n", "/m/no-program.swf\n", "/m/no-program\n"})
    EXPECT_NE(opened.find(name), std::string::npos) << name;
}

}  // namespace
}  // namespace tesmiro::testing
