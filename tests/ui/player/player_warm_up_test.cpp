// The player started ahead of the first preview, with fakes that are kept
// as the web player is: nothing while no project is open, then one hidden
// host that the first F5 takes, unless its player failed to start; the
// focus stays where it was. With the real player, keys typed meanwhile
// reach the menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "support/checkers.h"
#include "support/fake_flash_host.h"
#include "support/main_gui_fixture.h"
#include "support/wait_and_files.h"
#include "ui/dialogs/preview_window.h"
#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewWindow;

class PlayerWarmUpTest : public MainGuiTest {
 protected:
  ~PlayerWarmUpTest() override {
    PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  FakeFlashHosts hosts{true};
};

TEST_F(PlayerWarmUpTest, AnOpenedProjectStartsOneHiddenHostThatTheFirstF5Takes) {
  const std::filesystem::path project = temp / "w.tsm";
  GUICore::NewProject();
  ASSERT_TRUE(GUICore::SaveProject(project.string()));
  GUICore::NewProject();

  gui::MainGUI& main = start();
  QApplication::setActiveWindow(&main);
  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  Settle();
  EXPECT_EQ(hosts.made(), 0) << "a program with nothing to look at starts nothing";

  QWidget* const active = QApplication::activeWindow();
  ASSERT_TRUE(GUICore::OpenProject(project.string()));
  ASSERT_TRUE(WaitUntil([&] { return hosts.made() == 1; }));
  FakeFlashHost* warm = hosts.last();
  EXPECT_TRUE(warm->calls.contains(QStringLiteral("warm up")));
  EXPECT_EQ(player::KeptFlashHost(), warm);
  EXPECT_FALSE(warm->isVisible());
  EXPECT_EQ(QApplication::activeWindow(), active) << "the warm-up took the focus";
  Settle();
  EXPECT_EQ(hosts.made(), 1) << "one warm-up a window";

  Control<QAction>(main, "previewWindowAction")->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_EQ(PreviewWindow::instance()->flash(), warm);
  EXPECT_EQ(hosts.made(), 1);
  EXPECT_EQ(player::KeptFlashHost(), nullptr);

  // Closed, the window leaves its host for the next one.
  PreviewWindow::unload();
  EXPECT_EQ(player::KeptFlashHost(), warm);
  destroyWindow();
  EXPECT_TRUE(WaitUntil([&] { return hosts.last() == nullptr; })) << "the kept host goes with the main window";
}

// A player that failed to start fails every movie after it: the first F5
// does not take it, a window whose player failed does not leave it for the
// next, and the F5 after that starts a new one.
TEST_F(PlayerWarmUpTest, APlayerThatFailedToStartIsNeverUsedAgain) {
  const std::filesystem::path project = temp / "f.tsm";
  GUICore::NewProject();
  ASSERT_TRUE(GUICore::SaveProject(project.string()));
  gui::MainGUI& main = start(QString::fromStdString(project.string()));
  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  ASSERT_TRUE(WaitUntil([&] { return hosts.made() == 1; }));
  const QPointer<FakeFlashHost> warm = hosts.last();
  warm->failedToStart = true;
  auto* const previewAction = Control<QAction>(main, "previewWindowAction");

  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  ASSERT_EQ(hosts.made(), 2) << "the first F5 starts a player of its own";
  EXPECT_EQ(PreviewWindow::instance()->flash(), hosts.last());
  EXPECT_TRUE(warm.isNull()) << "the failed warm-up is let go";

  hosts.last()->failedToStart = true;
  PreviewWindow::unload();
  EXPECT_EQ(player::KeptFlashHost(), nullptr) << "kept although its player failed";
  previewAction->trigger();
  ASSERT_EQ(hosts.made(), 3);
  FakeFlashHost* const working = hosts.last();
  EXPECT_EQ(PreviewWindow::instance()->flash(), working);
  PreviewWindow::unload();
  EXPECT_EQ(player::KeptFlashHost(), working) << "a player that works is kept";
}

// The steps that hold the GUI thread wait while a button is held (a
// splitter or a handle being dragged), however long it is held, and run
// once it is let go.
TEST_F(PlayerWarmUpTest, AHeldButtonIsNotIdle) {
  QWidget area;
  area.resize(60, 60);
  player::WhenUserIsIdle(&area, [] {});  // the clock listens from here on
  MousePress(&area, {10, 10});
  bool ran = false;
  player::WhenUserIsIdle(&area, [&] { ran = true; });
  QElapsedTimer held;
  held.start();
  for (int x = 10; held.elapsed() < 1000; x = 10 + (x + 1) % 40) {
    MouseMove(&area, {x, 10}, Qt::LeftButton);
    QTest::qWait(50);
  }
  EXPECT_FALSE(ran) << "a drag counted as idle";
  MouseRelease(&area, {10, 10});
  EXPECT_TRUE(WaitUntil([&] { return ran; }));
}

// Runs on an X server of its own (tests/ui/CMakeLists.txt): it types
// through the server, and other tests' windows would take its keys.
class RuffleOwnDisplay : public MainGuiTest {
 protected:
  void SetUp() override {
    const QString reason = player::RuffleFlashView::unavailableReason();
    REQUIRE_CHECKER(reason.isEmpty() ? "" : "web player not available: " + reason.toStdString());
    REQUIRE_CHECKER(QGuiApplication::platformName() == QLatin1String("xcb") ? "" : "no X server (xvfb-run)");
    REQUIRE_CHECKER(QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ? "xdotool" : "");
  }
  ~RuffleOwnDisplay() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

// Alt+F then M, over and over from the moment the warm-up is asked for,
// typed as the X server delivers typed keys (XTEST): each pair opens the
// File menu and chooses its entry. The menu is open most of the time, as
// while the user looks for an entry, so the steps of the player's start
// that hold the GUI thread would fall into it.
TEST_F(RuffleOwnDisplay, KeysTypedWhileThePlayerStartsAllReachTheMenu) {
  const std::filesystem::path project = temp / "k.tsm";
  GUICore::NewProject();
  ASSERT_TRUE(GUICore::SaveProject(project.string()));
  gui::MainGUI& main = start(QString::fromStdString(project.string()));
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main, 30000));
  int menusOpened = 0;
  QObject::connect(Control<QMenu>(main, "fileMenu"), &QMenu::aboutToShow, &main, [&] { ++menusOpened; });

  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  constexpr int kPairs = 20;
  QProcess typist;
  typist.start(QStringLiteral("sh"),
               {QStringLiteral("-c"), QStringLiteral("for i in $(seq %1); do xdotool key alt+f; sleep 0.15;"
                                                     " xdotool key m; sleep 0.01; done")
                                          .arg(kPairs)});
  ASSERT_TRUE(WaitUntil([&] { return typist.state() == QProcess::NotRunning; }, 60000));
  EXPECT_EQ(typist.exitCode(), 0) << typist.readAllStandardError().toStdString();
  ASSERT_TRUE(WaitUntil([] {
    auto* warm = qobject_cast<player::RuffleFlashView*>(player::KeptFlashHost());
    return warm && warm->playerStarted();
  })) << "the hidden page never started the player";
  // The last keys may still be on their way.
  WaitUntil([&] { return desktop.fileDialogs.calls.size() >= kPairs; }, 3000);
  EXPECT_EQ(menusOpened, kPairs) << "Alt+F was lost";
  EXPECT_EQ(static_cast<int>(desktop.fileDialogs.calls.size()), kPairs) << "M was lost";
  for (const FileDialogCall& call : desktop.fileDialogs.calls) EXPECT_EQ(call.title, "SWFファイルの生成");
  EXPECT_EQ(QApplication::activeWindow(), &main);
}

}  // namespace
}  // namespace tesmiro::testing
