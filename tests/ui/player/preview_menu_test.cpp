// The Preview menu and the preview options, with the fake host.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "compiler/previews.h"
#include "project/build_lock.h"
#include "project/model.h"
#include "project/preferences.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/preview_options_dialog.h"
#include "ui/dialogs/preview_window.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewOptionDialog;
using gui::PreviewWindow;

class PreviewMenuTest : public MainGuiTest {
 protected:
  ~PreviewMenuTest() override {
    PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QString scratch(const char* name) const {
    return QString::fromStdString((GUICore::State().paths.scratch / name).string());
  }
  FakeFlashHosts hosts;
};

TEST_F(PreviewMenuTest, F5BuildsThePreviewAndPlaysItInThePreviewWindow) {
  gui::MainGUI& main = start();
  main.show();
  QTest::keyClick(&main, Qt::Key_F5);
  ASSERT_TRUE(PreviewWindow::isShownNow());
  ASSERT_NE(hosts.last(), nullptr);
  EXPECT_EQ(hosts.last()->calls.value(0), QStringLiteral("load ") + scratch("_preview.swf"));
  EXPECT_EQ(hosts.last()->calls.value(1), QStringLiteral("play"));
  EXPECT_EQ(PreviewWindow::instance()->flash()->size(), QSize(320, 320)) << "the project's stage";
  EXPECT_TRUE(Control<QAction>(main, "previewWindowAction")->isEnabled()) << "the menu is back once the preview shows";
}

TEST_F(PreviewMenuTest, TheBrowserAndThePlayerOpenOutside) {
  gui::MainGUI& main = start();
  Control<QAction>(main, "previewInBrowserAction")->trigger();
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  // The page's address goes through a private file (see browser_preview_test).
  EXPECT_TRUE(desktop.opener.calls[0].startsWith(QStringLiteral("file ") + scratch("browser-")));
  EXPECT_TRUE(desktop.opener.calls[0].endsWith(QStringLiteral(".html")));
  // A browser that fails once started is told of, with the page it had.
  EXPECT_TRUE(ui.messages.empty());
  desktop.opener.failLater();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  const std::string page = scratch("_preview.html").toStdString();
  EXPECT_EQ(ui.messages[0].text, "ブラウザでプレビューを開けませんでした。\r\n" + page);
  EXPECT_JAPANESE(ui.messages[0].text, {page});

  QAction* inPlayer = Control<QAction>(main, "previewInPlayerAction");
  inPlayer->trigger();
  EXPECT_EQ(desktop.opener.calls.back(), QStringLiteral("file ") + scratch("_preview.swf"));
  Prefs::Current().previewSAPlayer = 1;
  Prefs::Current().saPlayerFileName = "/opt/player/flashplayer";
  inPlayer->trigger();
  EXPECT_TRUE(desktop.opener.calls.back().startsWith(QStringLiteral("run /opt/player/flashplayer")));
  EXPECT_TRUE(desktop.opener.calls.back().contains(scratch("_preview.swf")));
  EXPECT_FALSE(PreviewWindow::isLoaded());
}

TEST_F(PreviewMenuTest, TheSelectedEventsGoToThePlayerChosenInTheOptions) {
  gui::MainGUI& main = start();
  Prefs::Current().previewSelectedPlayer = 1;
  Control<QAction>(main, "previewSelectedAction")->trigger();
  ASSERT_FALSE(desktop.opener.calls.empty());
  EXPECT_TRUE(desktop.opener.calls.back().startsWith(QStringLiteral("file ") + scratch("browser-")))
      << "mode 5, the browser";
}

TEST_F(PreviewMenuTest, ThePreviewCommandsAndTheirKeysAreOffWhileABuildRuns) {
  gui::MainGUI& main = start();
  main.show();
  {
    GUICore::BuildLock build;
    QTest::keyClick(&main, Qt::Key_F5);
    QTest::keyClick(&main, Qt::Key_F6);
    EXPECT_FALSE(PreviewWindow::isLoaded());
    EXPECT_TRUE(desktop.opener.calls.empty());
  }

  // While the preview itself builds (it lets the window run between its
  // steps), the menu and F5 are off.
  EventRecord stop;
  stop.kind = static_cast<int16_t>(ActionKind::Stop);
  stop.frameCount = 1;
  GUICore::State().events.push_back(stop);
  QAction* inWindow = Control<QAction>(main, "previewWindowAction");
  QAction* inBrowser = Control<QAction>(main, "previewInBrowserAction");
  bool seenEnabled = true;
  int previewsStarted = 0;
  QTimer::singleShot(0, &main, [&] {
    ASSERT_TRUE(main.buildRunning());
    seenEnabled = inWindow->isEnabled() || inBrowser->isEnabled();
    previewsStarted = hosts.made();
    QTest::keyClick(&main, Qt::Key_F5);
  });
  inWindow->trigger();
  EXPECT_FALSE(seenEnabled);
  EXPECT_EQ(previewsStarted, 0);
  EXPECT_EQ(hosts.made(), 1) << "one preview, not a second one started inside it";
  EXPECT_TRUE(inWindow->isEnabled());
}

TEST_F(PreviewMenuTest, TheOptionsDialogFillsFromThePreferencesAndWritesOnlyOnOk) {
  start();
  Preferences& p = Prefs::Current();
  p.previewUseIE = 1;
  p.previewSAPlayer = 0;
  p.saPlayerFileName = "/usr/bin/player";
  p.previewFilePath = 1;
  p.previewStreamSound = 0;
  p.previewAttachSprite = 1;
  p.previewSelectedPlayer = 2;
  PreviewWindow::load();
  {
    PreviewOptionDialog d;
    auto* playerProgramBox = Control<QLineEdit>(d, "playerProgramBox");
    auto* selectedPlayerList = Control<QComboBox>(d, "selectedPlayerList");
    EXPECT_FALSE(PreviewWindow::isLoaded()) << "the dialog unloads the preview window";
    EXPECT_EQ(d.windowTitle(), QStringLiteral("プレビューの設定"));
    EXPECT_TRUE(Control<QCheckBox>(d, "useIeCheck")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, "playerProgramCheck")->isChecked());
    EXPECT_TRUE(playerProgramBox->isHidden()) << "no player path while the box is clear";
    EXPECT_TRUE(Control<QPushButton>(d, "browseButton")->isHidden());
    EXPECT_EQ(playerProgramBox->text(), QStringLiteral("/usr/bin/player"));
    EXPECT_TRUE(Control<QCheckBox>(d, "previewInProjectFolderCheck")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, "streamFromMiddleCheck")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(d, "attachAllSpritesCheck")->isChecked());
    EXPECT_EQ(selectedPlayerList->currentText(), QStringLiteral("スタンドアロン"));
    Control<QCheckBox>(d, "playerProgramCheck")->click();
    EXPECT_FALSE(playerProgramBox->isHidden());
    Control<QCheckBox>(d, "useIeCheck")->click();
    selectedPlayerList->setCurrentIndex(0);
    Control<QPushButton>(d, "cancelButton")->click();
  }
  EXPECT_EQ(p.previewUseIE, 1) << "cancel changes nothing";
  EXPECT_EQ(p.previewSelectedPlayer, 2);

  PreviewOptionDialog d;
  Control<QCheckBox>(d, "playerProgramCheck")->click();
  desktop.fileDialogs.answer("/opt/other/player");
  Control<QPushButton>(d, "browseButton")->click();
  EXPECT_EQ(Control<QLineEdit>(d, "playerProgramBox")->text(), QStringLiteral("/opt/other/player"));
  EXPECT_EQ(desktop.fileDialogs.calls.back().initialDir, "/usr/bin");
  Control<QCheckBox>(d, "previewInProjectFolderCheck")->click();
  Control<QCheckBox>(d, "streamFromMiddleCheck")->click();
  Control<QComboBox>(d, "selectedPlayerList")->setCurrentIndex(1);
  Control<QPushButton>(d, "okButton")->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(p.previewSAPlayer, 1);
  EXPECT_EQ(p.saPlayerFileName, "/opt/other/player");
  EXPECT_EQ(p.previewFilePath, 0);
  EXPECT_EQ(p.previewStreamSound, 1);
  EXPECT_EQ(p.previewSelectedPlayer, 1);
  EXPECT_EQ(GUICore::Previews().previewFilePath, 0) << "the builders see the new options at once";
  EXPECT_EQ(GUICore::Previews().previewSelectedPlayer, 1);
}

TEST_F(PreviewMenuTest, EditingTheTemplateMakesItFirstWhenMissing) {
  start();
  PreviewOptionDialog d;
  const auto path = GUICore::State().paths.config / "template.txt";
  std::filesystem::remove(path);
  Control<QPushButton>(d, "editHtmlButton")->click();
  EXPECT_TRUE(std::filesystem::exists(path));
  ASSERT_FALSE(desktop.opener.calls.empty());
  EXPECT_EQ(desktop.opener.calls.back(), QStringLiteral("file ") + QString::fromStdString(path.string()));
}

}  // namespace
}  // namespace tesmiro::testing
