// F5 on a project, end to end: the program builds the preview and plays it
// in the real web player inside the preview window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <memory>
#include <optional>

#include "compiler/previews.h"
#include "compiler/text_effects.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "support/checkers.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "project/preferences.h"
#include "ui/dialogs/browser_preview_window.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/trace_window.h"
#include "ui/player/loopback_server.h"
#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_page.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewWindow;
using gui::TraceWindow;
namespace fs = std::filesystem;

class RufflePreview : public MainGuiTest {
 protected:
  void SetUp() override {
    const QString reason = player::RuffleFlashView::unavailableReason();
    REQUIRE_CHECKER(reason.isEmpty() ? "" : "web player not available: " + reason.toStdString());
  }
  ~RufflePreview() override {
    PreviewWindow::unload();
    TraceWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A white 160 x 120 stage: a trace in the first frame, the red square
  // moving right over twelve frames, then a stop.
  fs::path makeProject(int version) {
    const fs::path dir = temp / ("v" + std::to_string(version));
    fs::create_directories(dir);
    WriteRedSquareKvg(dir / "red.kvg");
    GUICore::NewProject();
    GUICore::Model& m = GUICore::State();
    m.settings.width = 160;
    m.settings.height = 120;
    m.settings.frameRate = 12.0f;
    m.settings.options = "  " + std::to_string(version) + " ";
    StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
    square.id = 1;
    square.name = (dir / "red.kvg").string();
    m.store.push_back(square);
    EventRecord trace = GUICore::InitEventRecord();
    trace.kind = static_cast<int16_t>(ActionKind::Script);
    trace.text2 = "fscommand(\"TesmiroTrace\", \"日本語\");";
    trace.frameCount = 1;
    m.events.push_back(trace);
    EventRecord place = GUICore::InitEventRecord();
    place.itemId = 1;
    place.frameCount = kFrames;
    place.startX = 20;
    place.endX = 100;
    place.startY = place.endY = 40;
    m.events.push_back(place);
    EventRecord stop = GUICore::InitEventRecord();
    stop.kind = static_cast<int16_t>(ActionKind::Stop);
    stop.frameCount = 1;
    m.events.push_back(stop);
    m.timelines[0].events = m.events;
    const fs::path path = dir / "movie.tsm";
    EXPECT_TRUE(GUICore::SaveProject(path.string()));
    return path;
  }

  player::FlashHost* host() {
    PreviewWindow* w = PreviewWindow::instance();
    return w ? w->flash() : nullptr;
  }

  static constexpr int kFrames = 12;
};

TEST_F(RufflePreview, F5ShowsThePictureWithItsFramesAndTracesAndSeeks) {
  for (int version : {6, 4}) {
    SCOPED_TRACE(version);
    gui::MainGUI& main = start(QString::fromStdString(makeProject(version).string()));
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main, 30000)) << "the key goes to the active window";
    QTest::keyClick(&main, Qt::Key_F5);
    for (const RecordedMessage& m : ui.messages) ADD_FAILURE() << m.title << ": " << m.text;
    ASSERT_TRUE(PreviewWindow::isShownNow());
    ASSERT_TRUE(WaitUntil([&] { return host()->totalFrames() > 0; })) << "the movie never loaded";
    PreviewWindow& w = *PreviewWindow::instance();
    auto* frameSlider = Control<QScrollBar>(w, "frameSlider");
    auto* frameLabel = Control<QLabel>(w, "frameLabel");
    const int total = host()->totalFrames();
    EXPECT_GE(total, kFrames);
    EXPECT_EQ(frameSlider->maximum(), total - 1);

    ASSERT_TRUE(WaitUntil([&] { return TraceWindow::isLoaded(); })) << "no trace line came";
    EXPECT_EQ(TraceWindow::instance()->text(), QStringLiteral("日本語\r\n"));
    EXPECT_FALSE(TraceWindow::isShownNow());

    // The movie stops itself at its end; the button follows.
    ASSERT_TRUE(WaitUntil([&] { return w.playMark() == QStringLiteral("＞"); }));
    EXPECT_EQ(host()->frameNum(), total - 1);
    EXPECT_EQ(frameLabel->text(), QStringLiteral(" %1").arg(total));

    // Back to frame 5 with the slider, while stopped.
    frameSlider->setValue(4);
    ASSERT_TRUE(WaitUntil([&] { return host()->frameNum() == 4; }));
    // A stopped movie gives nothing to wait for: the page's frames pass.
    ASSERT_TRUE(WaitForPageFrames(host(), 20));
    EXPECT_EQ(host()->frameNum(), 4) << "stays where the slider put it";
    EXPECT_EQ(frameLabel->text(), QStringLiteral(" 5"));
    EXPECT_EQ(frameSlider->value(), 4);

    QList<QImage> shots;
    bool done = false;
    host()->grabPictures({player::kShownBackground}, [&](QList<QImage> p) {
      shots = std::move(p);
      done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done; }));
    ASSERT_EQ(shots.size(), 1);
    int red = 0;
    for (int y = 0; y < shots[0].height(); ++y)
      for (int x = 0; x < shots[0].width(); ++x) red += shots[0].pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 1000) << "the square is on the stage";
    if (HasFailure()) SaveGrab(&w, "RufflePreview-" + std::to_string(version));

    // F5 again: a new window, the same player, which starts the movie anew.
    const QPointer<player::FlashHost> first = host();
    Control<QAction>(main, "previewWindowAction")->trigger();
    ASSERT_TRUE(PreviewWindow::isShownNow());
    EXPECT_EQ(host(), first.data()) << "the web player is kept between previews";
    ASSERT_TRUE(WaitUntil([&] { return host()->totalFrames() == total && host()->frameNum() >= 0; }));
    PreviewWindow::unload();
    TraceWindow::unload();
    destroyWindow();
  }
}

// The warm-up loads the player's code into a hidden page, which lets its
// own movie go again, and the first F5 plays in that page.
TEST_F(RufflePreview, TheWarmUpStartsThePlayerHiddenAndTheFirstF5UsesIt) {
  gui::MainGUI& main = start(QString::fromStdString(makeProject(6).string()));
  QApplication::setActiveWindow(&main);
  QWidget* const active = QApplication::activeWindow();
  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  ASSERT_TRUE(WaitUntil([] { return player::KeptFlashHost() != nullptr; }));
  auto* warm = qobject_cast<player::RuffleFlashView*>(player::KeptFlashHost());
  ASSERT_NE(warm, nullptr);
  EXPECT_FALSE(warm->isVisible());
  ASSERT_TRUE(WaitUntil([&] { return warm->playerStarted(); })) << "the hidden page never started the player";
  // Its first showing is done, where nothing reached the screen: the F5
  // only moves it into the preview window.
  EXPECT_NE(warm->windowHandle(), nullptr) << "the view was never shown ahead of the F5";
  EXPECT_FALSE(warm->isVisible());
  EXPECT_FALSE(warm->testAttribute(Qt::WA_DontShowOnScreen)) << "the preview window would not show it";
  EXPECT_EQ(QApplication::activeWindow(), active) << "the warm-up took the focus";
  bool answered = false;
  bool fetchedAndLetGo = false;
  warm->runScript(QStringLiteral("performance.getEntriesByType('resource').some(e => e.name.endsWith('.wasm'))"
                                 " && !document.getElementById('player')"),
                  [&](const QVariant& v) {
                    fetchedAndLetGo = v.toBool();
                    answered = true;
                  });
  ASSERT_TRUE(WaitUntil([&] { return answered; }));
  EXPECT_TRUE(fetchedAndLetGo) << "the wasm was fetched and the warm-up's movie let go";
  Control<QAction>(main, "previewWindowAction")->trigger();
  for (const RecordedMessage& m : ui.messages) ADD_FAILURE() << m.title << ": " << m.text;
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_EQ(host(), warm);
  EXPECT_TRUE(WaitUntil([&] { return host()->totalFrames() >= kFrames; })) << "the movie never loaded";
}

// Refuses the player's own files on the program's server (all of them, or
// the wasm only) for as long as it lives, as a server that other programs
// keep busy may, and counts what it refused.
class PlayerFilesRefused {
 public:
  PlayerFilesRefused() {
    player::LoopbackServer* server = player::LoopbackServer::shared();
    server->route(
        QStringLiteral("ruffle"),
        [state = state_, server](const QString& rest) {
          if (state->wasmOnly && !rest.endsWith(QLatin1String(".wasm")))
            return server->serveFile(player::RuffleFlashView::ruffleFolder(), rest, true);
          ++state->refused;
          player::HttpResponse refused;
          refused.status = 404;
          return refused;
        },
        true);
  }
  ~PlayerFilesRefused() { player::LoopbackServer::shared()->unroute(QStringLiteral("ruffle")); }
  void refuseWasmOnly() { state_->wasmOnly = true; }
  int refused() const { return state_->refused; }

 private:
  struct State {
    bool wasmOnly = false;
    int refused = 0;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// A player whose page lacks its code, or whose code could not start,
// fails every movie after: the warm-up that failed is not used, a window
// whose player failed does not leave it for the next, and once the files
// come again the next F5 shows the movie.
TEST_F(RufflePreview, APlayerThatFailedToStartIsReplacedAtTheNextF5) {
  gui::MainGUI& main = start(QString::fromStdString(makeProject(6).string()));
  auto* const previewAction = Control<QAction>(main, "previewWindowAction");
  std::optional<PlayerFilesRefused> trouble(std::in_place);
  main.menus().warmUpPlayerWhenIdle(0);
  main.repaint();
  ASSERT_TRUE(WaitUntil([] { return player::KeptFlashHost() != nullptr; }));
  const QPointer<player::FlashHost> warm = player::KeptFlashHost();
  ASSERT_TRUE(WaitUntil([&] { return !warm->worthKeeping(); })) << "the page without the player's code was not seen";
  EXPECT_TRUE(warm->startFailed());
  // A movie given to it fails at once, and says why.
  const fs::path any = temp / "any.swf";
  std::ofstream(any) << "FWS";
  QSignalSpy warmFailed(warm.data(), &player::FlashHost::loadFailed);
  warm->loadMovie(QString::fromStdString(any.string()));
  ASSERT_TRUE(WaitUntil([&] { return warmFailed.count() > 0; })) << "a failed player waits out every movie after";
  EXPECT_EQ(warm->shownFailure(), warmFailed.first().at(0).toString());
  EXPECT_JAPANESE(warm->shownFailure().toStdString());
  // The files of the run are cached once fetched: only a run whose first
  // player is this one can refuse them (ctest runs each test by itself).
  ASSERT_GT(trouble->refused(), 0) << "the player's files came from the cache";

  trouble->refuseWasmOnly();
  const int refusedBefore = trouble->refused();
  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_TRUE(warm.isNull()) << "the failed warm-up was used";
  const QPointer<player::FlashHost> failing = host();
  QSignalSpy failed(failing.data(), &player::FlashHost::loadFailed);
  ASSERT_TRUE(WaitUntil([&] { return failed.count() > 0; })) << "the player without its wasm loaded the movie";
  EXPECT_GT(trouble->refused(), refusedBefore);
  EXPECT_FALSE(failing->worthKeeping());
  // The stage tells why, over the player's own message, in Japanese.
  const QString reason = failed.last().at(0).toString();
  EXPECT_JAPANESE(reason.toStdString());
  EXPECT_EQ(failing->shownFailure(), reason);
  EXPECT_TRUE(Control<QLabel>(failing.data(), "failureLabel")->isVisible());
  PreviewWindow::unload();
  EXPECT_EQ(player::KeptFlashHost(), nullptr) << "kept although its player failed";

  trouble.reset();
  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  const QPointer<player::FlashHost> working = host();
  EXPECT_NE(working.data(), failing.data());
  EXPECT_TRUE(WaitUntil([&] { return working->totalFrames() >= kFrames && working->frameNum() >= 0; }))
      << "the movie never showed once the files came again";
  PreviewWindow::unload();
  EXPECT_EQ(player::KeptFlashHost(), working.data()) << "the player that works is kept";
}

// The system may end the process of the player's page (out of memory on a
// large movie, a crash of the engine): the window showing it says so, and
// the next F5 starts a new player that shows the movie, whether the process
// ended under the window or while the player was kept between previews.
TEST_F(RufflePreview, APlayerWhoseProcessEndedIsReplacedAtTheNextF5) {
  gui::MainGUI& main = start(QString::fromStdString(makeProject(6).string()));
  auto* const previewAction = Control<QAction>(main, "previewWindowAction");
  const auto movieShown = [&] { return host()->totalFrames() >= kFrames && host()->frameNum() >= 0; };
  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  ASSERT_TRUE(WaitUntil(movieShown)) << "the movie never showed";
  const QPointer<player::FlashHost> ended = host();
  ASSERT_TRUE(EndPageProcess(ended));
  ASSERT_TRUE(WaitUntil([&] { return !ended->shownFailure().isEmpty(); })) << "the stage never said the player stopped";
  EXPECT_JAPANESE(ended->shownFailure().toStdString());
  EXPECT_TRUE(Control<QLabel>(ended.data(), "failureLabel")->isVisible());

  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_NE(host(), ended.data()) << "the stopped player was kept";
  ASSERT_TRUE(WaitUntil(movieShown)) << "the movie never showed after the player stopped";

  PreviewWindow::unload();
  const QPointer<player::FlashHost> kept = player::KeptFlashHost();
  ASSERT_NE(kept, nullptr);
  ASSERT_TRUE(EndPageProcess(kept));
  ASSERT_TRUE(WaitUntil([&] { return !kept->worthKeeping(); })) << "the kept player's end was not heard";
  previewAction->trigger();
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_NE(host(), kept.data()) << "the stopped player was used";
  EXPECT_TRUE(WaitUntil(movieShown)) << "the movie never showed after the kept player stopped";
  EXPECT_TRUE(host()->shownFailure().isEmpty());
}

TEST_F(RufflePreview, TheBrowserBoxShowsThePageInABareWindowSizedToTheStage) {
  gui::MainGUI& main = start(QString::fromStdString(makeProject(6).string()));
  Prefs::Current().previewUseIE = 1;
  Control<QAction>(main, "previewInBrowserAction")->trigger();
  EXPECT_TRUE(desktop.opener.calls.empty()) << "no outside browser";
  gui::BrowserPreviewWindow* w = gui::BrowserPreviewWindow::instance();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->size(), QSize(160 + 50, 120 + 65));
  EXPECT_TRUE(WaitUntil([&] { return w->page()->url().path().endsWith(QStringLiteral("/browser/_preview.html")); }))
      << w->page()->url().toString().toStdString();
  // An answer that comes after its wait has given up still has somewhere
  // to go.
  auto frames = std::make_shared<int>(0);
  ASSERT_TRUE(WaitUntil([&] {
    auto answered = std::make_shared<bool>(false);
    w->page()->runJavaScript(
        "(() => { const p = document.querySelector('ruffle-object, ruffle-embed');"
        " const m = p && p.ruffle && p.ruffle().metadata; return m ? m.numFrames : 0; })()",
        [frames, answered](const QVariant& v) {
          *frames = v.toInt();
          *answered = true;
        });
    WaitUntil([&] { return *answered; }, 10000);
    return *frames > 0;
  }, 90000)) << "the page's player never loaded the movie";
  EXPECT_GE(*frames, kFrames);
  w->close();
}

}  // namespace
}  // namespace tesmiro::testing
