// The program without its web engine library: it opens, edits and makes
// movies as ever; the previews in the program's own windows say that there
// are none, and the browser preview goes to the desktop's browser.
#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <filesystem>
#include <memory>

#include "platform/file_io.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/preview_window.h"
#include "ui/player/flash_host.h"
#include "ui/player/web_engine_loader.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class WithoutWebEngineTest : public MainGuiTest {
 protected:
  WithoutWebEngineTest() {
    qputenv("TESMIRO_WEB_ENGINE_LIBRARY", QByteArray::fromStdString((temp / "gone" / "web-engine.so").string()));
  }
  ~WithoutWebEngineTest() override {
    gui::PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qunsetenv("TESMIRO_WEB_ENGINE_LIBRARY");
  }
};

TEST_F(WithoutWebEngineTest, TheWindowOpensEditsAndMakesTheMovieWhileThePreviewSaysItIsMissing) {
  ASSERT_EQ(player::LoadedWebEngine(), nullptr) << "the library was loaded earlier in this process";
  const std::string library = (temp / "gone" / "web-engine.so").string();
  EXPECT_TRUE(player::WebEngineLoadError().startsWith(gui::ToQ("ファイル [" + library + "] が見つかりません。")))
      << player::WebEngineLoadError().toStdString();

  const fs::path project = temp / "p.tsm";
  GUICore::NewProject();
  EventRecord e{};
  e.kind = 12;  // do nothing
  e.frameCount = 2;
  GUICore::InsertEvent(e, 0);
  ASSERT_TRUE(GUICore::SaveProject(project.string()));
  GUICore::NewProject();
  gui::MainGUI& main = start(gui::ToQ(project.string()));
  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  Settle();
  EXPECT_EQ(player::KeptFlashHost(), nullptr) << "nothing to warm up";
  ASSERT_EQ(GUICore::EventCount(), 1);

  // An edit through the window: every event deleted from the Edit menu,
  // and the deletion undone.
  ActivateWindow(main);
  Control<QWidget>(main, "PictEventList")->setFocus();
  QAction* selectAll = Control<QAction>(main, "selectAllEventsAction");
  selectAll->setEnabled(true);
  selectAll->trigger();
  QAction* deleteEvents = Control<QAction>(main, "deleteEventsAction");
  deleteEvents->setEnabled(true);
  deleteEvents->trigger();
  EXPECT_EQ(GUICore::EventCount(), 0);
  Control<QAction>(main, "undoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 1);

  const fs::path movie = temp / "p.swf";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(main, "makeSwfAction")->trigger();
  const auto bytes = fileio::ReadAll(movie);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 3), "FWS");

  ui.messages.clear();
  Control<QAction>(main, "previewWindowAction")->trigger();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "プレビュー");
  EXPECT_EQ(ui.messages[0].text.rfind("プレビュー用のプレイヤーを読み込めないため、プレビューできません。\r\n", 0), 0u)
      << ui.messages[0].text;
  EXPECT_JAPANESE(ui.messages[0].text, {library});
  EXPECT_FALSE(gui::PreviewWindow::isLoaded());
  EXPECT_TRUE(Control<QAction>(main, "previewWindowAction")->isEnabled()) << "the menu is back after the message";

  ui.messages.clear();
  Prefs::Current().previewUseIE = 1;
  Control<QAction>(main, "previewInBrowserAction")->trigger();
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  // The desktop's browser, led on by the private file as when it is chosen.
  const QString forwarding = "file " + gui::ToQ(GUICore::State().paths.scratch.string()) + "/browser-";
  EXPECT_TRUE(desktop.opener.calls[0].startsWith(forwarding)) << desktop.opener.calls[0].toStdString();
  // Why it is not the program's own window is said, once in the run.
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "プレビュー");
  EXPECT_EQ(ui.messages[0].text.rfind("プレビュー用のブラウザウインドウを開けないため、既定のブラウザで表示します。\r\n"
                                      "ファイル [" + library + "] が見つかりません。", 0), 0u)
      << ui.messages[0].text;
  EXPECT_JAPANESE(ui.messages[0].text, {library});
  Control<QAction>(main, "previewInBrowserAction")->trigger();
  EXPECT_EQ(desktop.opener.calls.size(), 2u);
  EXPECT_EQ(ui.messages.size(), 1u) << "told once";
}

// The windows that hold a player of their own (the event dialog's live
// picture, the text-effect preview) get one that loads nothing and says
// why, on its stage too, as F5 does.
TEST_F(WithoutWebEngineTest, TheStandInHostFailsEveryLoadAndIsNotKept) {
  ASSERT_EQ(player::LoadedWebEngine(), nullptr) << "the library was loaded earlier in this process";
  const std::unique_ptr<player::FlashHost> host(player::CreateFlashHost(nullptr));
  const QString reason = player::FlashHostUnavailableReason();
  EXPECT_EQ(host->shownFailure(), reason);
  QSignalSpy failed(host.get(), &player::FlashHost::loadFailed);
  host->loadMovie(gui::ToQ((temp / "any.swf").string()));
  EXPECT_TRUE(WaitUntil([&] { return failed.count() == 1; }));
  EXPECT_EQ(failed.value(0).value(0).toString(), reason);
  EXPECT_TRUE(reason.contains(QStringLiteral("web-engine.so")));
  EXPECT_TRUE(host->capabilities() == player::FlashCapabilities());
  bool answered = false;
  host->grabPictures({player::kShownBackground}, [&](QList<QImage> pictures) {
    answered = pictures.isEmpty();
  });
  EXPECT_TRUE(answered) << "no picture, at once";
  gui::MainGUI& main = start();
  EXPECT_FALSE(player::KeepFlashHost(host.get(), &main));

  // A file there that is no library: it is named, with what to do.
  const std::string junk = (temp / "web-engine.so").string();
  ASSERT_TRUE(fileio::WriteAtomic(junk, std::vector<uint8_t>{'n', 'o'}));
  qputenv("TESMIRO_WEB_ENGINE_LIBRARY", QByteArray::fromStdString(junk));
  const std::unique_ptr<player::FlashHost> broken(player::CreateFlashHost(nullptr));
  const QString unloadable = broken->shownFailure();
  EXPECT_TRUE(unloadable.startsWith(gui::ToQ("ファイル [" + junk + "] を読み込めません"))) << unloadable.toStdString();
  EXPECT_JAPANESE(gui::FromQ(unloadable), {junk});
}

}  // namespace
}  // namespace tesmiro::testing
