// The Preview menu: previews in the preview window, the browser and the
// stand-alone player, the trace window and the preview options.
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "compiler/left_out.h"
#include "compiler/previews.h"
#include "platform/ui.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/browser_preview_window.h"
#include "ui/dialogs/preview_options_dialog.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/on_demand_window.h"
#include "ui/player/flash_host.h"
#include "ui/player/player_routes.h"
#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_engine_loader.h"

namespace tesmiro::gui {
namespace {

// Starts the web player ahead of the first preview, so that the first F5
// costs what later ones do: once the window has painted and a project has
// been opened, a moment later, when the start-up's own work is done. A
// program started with no project to look at starts nothing.
class PlayerWarmUp : public QObject {
 public:
  PlayerWarmUp(MainGUI* window, int afterPaintMs) : QObject(window), window_(window), afterPaintMs_(afterPaintMs) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted_ = true;
    if (event->type() == QEvent::Paint || event->type() == QEvent::WindowTitleChange) consider();
    return false;
  }

 private:
  void consider() {
    if (!painted_ || GUICore::State().projectPath.empty()) return;
    window_->removeEventFilter(this);
    QTimer::singleShot(afterPaintMs_, this, [this] {
      player::PrepareFlashHosts(this, [this] {
        // A preview shown meanwhile has started its own player.
        if (!kPreviewWindow.isLoaded()) player::WarmUpFlashHost(window_);
        deleteLater();
      });
    });
  }

  MainGUI* window_;
  int afterPaintMs_;
  bool painted_ = false;
};

// Said once in a run (the program has one main window), not at every
// preview: the preference stays, each preview looks for the library again
// and goes to the desktop's browser meanwhile.
void TellNoBrowserWindowOnce(QObject* mainWindow) {
  static QPointer<QObject> told;
  if (told == mainWindow) return;
  told = mainWindow;
  ui::Current().messages->message("プレビュー",
                                  "プレビュー用のブラウザウインドウを開けないため、既定のブラウザで表示します。\r\n" +
                                      FromQ(player::WebEngineLoadError()),
                                  ui::Icon::Exclamation);
}

// The page's plug-in tags become the web player when the page is served
// with it; without the player's files the page opens as it is. The
// desktop's browser is handed a private file that leads it on, never the
// page's address: every user can read the opener's command line. A failure
// names the preview's page, the one the user knows of.
void ShowInBrowser(QWidget* mainWindow, const QString& path, int width, int height) {
  const std::string what = "ブラウザでプレビュー";
  const std::string page = FromQ(path);
  if (!player::HasBrowserPlayer()) {
    // Only a page that was taken has a movie that does not play in it.
    const std::string warning =
        "ブラウザではムービーが再生されません。\r\n" + FromQ(player::RuffleFlashView::servingUnavailableReason());
    OpenPageOrTell(what, page, {}, [warning] {
      ui::Current().messages->message("プレビュー", warning, ui::Icon::Exclamation);
    });
    return;
  }
  const QUrl url = player::PublishBrowserPreview(path);
  if (url.isEmpty()) {
    TellNotOpened(what, page, FromQ(player::RuffleFlashView::servingUnavailableReason()));
    return;
  }
  if (Prefs::Current().previewUseIE == 1) {
    if (BrowserPreviewWindow::open(mainWindow, url, width, height)) return;
    TellNoBrowserWindowOnce(mainWindow);
  }
  const Opener::Failed failed = [what, page] { TellNotOpened(what, page); };
  const QString forwarding = player::WriteForwardingPage(url);
  if (forwarding.isEmpty() || !Desktop().opener->openFile(forwarding, failed)) failed();
}

}  // namespace

void MainMenus::warmUpPlayerWhenIdle(int afterPaintMs) { new PlayerWarmUp(w_, afterPaintMs); }

void MainMenus::previewInWindow() { runPreview(1); }

void MainMenus::previewSelected() {
  runPreview(std::clamp(Prefs::Current().previewSelectedPlayer, 0, 2) + 4);
}

void MainMenus::previewInBrowser() { runPreview(2); }

void MainMenus::previewInPlayer() { runPreview(3); }

void MainMenus::runPreview(int mode) {
  // The preview holds the build lock until it is shown: the menu and its
  // keys stay off meanwhile, so that no second preview starts inside it.
  if (w_->buildRunning()) return;
  GUICore::RunPreview(static_cast<GUICore::PreviewMode>(mode), GUICore::kPreviewMovie);
}

void MainMenus::showPreview(const QString& path, ui::PreviewTarget target, int width, int height) {
  const Preferences& p = Prefs::Current();
  if (target == ui::PreviewTarget::Window) {
    if (const QString reason = player::FlashHostUnavailableReason(); !reason.isEmpty()) {
      ui::Current().messages->message("プレビュー",
                                      "プレビュー用のプレイヤーを読み込めないため、プレビューできません。\r\n" +
                                          FromQ(reason),
                                      ui::Icon::Exclamation);
      return;
    }
    PreviewWindow* w = kPreviewWindow.load(w_);
    w->setStageSize(width, height);
    w->showMovie(path);
    w->showLeftOut(ToQ(GUICore::LeftOutLine()));
    w->showModeless();
    return;
  }
  if (target == ui::PreviewTarget::Browser) {
    ShowInBrowser(w_, path, width, height);
    return;
  }
  // The message names the program set in the preview options, else the
  // movie that the desktop found no program for.
  const std::string what = "スタンドアロンプレイヤーでプレビュー";
  if (p.previewSAPlayer == 1 && !p.saPlayerFileName.empty()) {
    if (!Desktop().opener->runProgram(ToQ(p.saPlayerFileName), {path})) TellNotOpened(what, p.saPlayerFileName);
  } else {
    OpenFileOrTell(what, FromQ(path));
  }
}

void MainMenus::toggleTraceWindow() {
  // The item's check has already turned (it is a checkable action).
  if (!traceWindowAction->isChecked()) {
    kTraceWindow.unload();
    return;
  }
  TraceWindow* w = kTraceWindow.present(w_);
  const Preferences& p = Prefs::Current();
  if (p.twWidth >= 1 && p.twHeight >= 1) {
    // The stored rectangle is the outer one.
    const QSize frame = w->frameGeometry().size() - w->size();
    w->resize(std::max(TwipsToPixels(p.twWidth) - frame.width(), 1), std::max(TwipsToPixels(p.twHeight) - frame.height(), 1));
    w->move(TwipsToPixels(p.twLeft), TwipsToPixels(p.twTop));
  }
}

void MainMenus::setTraceWindowChecked(bool checked) { traceWindowAction->setChecked(checked); }

void MainMenus::editPreviewOptions() {
  PreviewOptionDialog dialog(w_);
  ExecModal(dialog);
}

}  // namespace tesmiro::gui
