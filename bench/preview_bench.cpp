// F5 to the first painted frame in the preview window, with the real web
// player: a small project (the first preview of a run, which starts the
// player's wasm, and the ones after it) and the 10,000-event project of
// the movie-compiler benchmark; and the reload of a rebuilt preview movie
// into a view that already shows one (the live pictures do that).
// Run it on a display (xvfb-run works) or offscreen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compiler/core_setup.h"
#include "compiler/previews.h"
#include "compiler/text_effects.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "ui/common/qt_services.h"
#include "ui/common/services.h"
#include "ui/dialogs/preview_window.h"
#include "ui/main/main_gui.h"
#include "ui/player/ruffle_flash_view.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

fs::path gFolder;

void WriteSquare(const fs::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

// A square moving over 24 frames on a 320 x 240 stage.
void SmallProject() {
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  m.settings.width = 320;
  m.settings.height = 240;
  WriteSquare(gFolder / "red.kvg");
  StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
  square.id = 1;
  square.name = (gFolder / "red.kvg").string();
  m.store.push_back(square);
  EventRecord e = GUICore::InitEventRecord();
  e.itemId = 1;
  e.frameCount = 24;
  e.startX = 20;
  e.endX = 260;
  e.startY = e.endY = 100;
  m.events.push_back(e);
  m.timelines[0].events = m.events;
}

// The movie-compiler benchmark's project: 10,000 placements of 100 frames
// laid over the same frames by rollbacks. The material must exist: a
// missing one is left out with all its events.
void LargeProject() {
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  WriteSquare(gFolder / "red.kvg");
  StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
  square.id = 1;
  square.name = (gFolder / "red.kvg").string();
  m.store.push_back(square);
  for (int i = 0; i < 10000; ++i) {
    EventRecord e;
    e.itemId = 1;
    e.frameCount = 100;
    e.depth = i % 512 - 256;
    e.startX = i % 300;
    e.endX = 300 - i % 300;
    e.endY = 200;
    e.endAngle = 90;
    e.endScaleX = e.endScaleY = 2;
    e.endAlpha = 0;
    e.easing = i % 511 - 255;
    m.events.push_back(e);
    EventRecord back;
    back.itemId = 0;
    back.kind = static_cast<int16_t>(ActionKind::Rollback);
    back.frameCount = -100;
    m.events.push_back(back);
  }
  m.timelines[0].events = m.events;
}

bool WaitFor(const bool& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  return done;
}

// One F5: the menu command builds the preview and shows the window; the
// time ends when the player has painted the movie's first frame.
double PressF5(benchmark::State& state) {
  gui::MainGUI* main = gui::MainGUI::instance();
  bool painted = false;
  const auto start = std::chrono::steady_clock::now();
  main->mnuPreviewWindow->trigger();
  auto* view = dynamic_cast<player::RuffleFlashView*>(gui::PreviewWindow::instance()->ShockwaveFlash1);
  view->whenFramePainted([&] { painted = true; });
  if (!WaitFor(painted, 120000)) state.SkipWithError("the preview never painted");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  gui::PreviewWindow::unload();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return seconds;
}

void BM_F5_SmallProject_FirstOfTheRun(benchmark::State& state) {
  SmallProject();
  for (auto _ : state) state.SetIterationTime(PressF5(state));
}
BENCHMARK(BM_F5_SmallProject_FirstOfTheRun)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_F5_SmallProject(benchmark::State& state) {
  SmallProject();
  for (auto _ : state) state.SetIterationTime(PressF5(state));
}
BENCHMARK(BM_F5_SmallProject)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_F5_10000Events(benchmark::State& state) {
  LargeProject();
  for (auto _ : state) state.SetIterationTime(PressF5(state));
}
BENCHMARK(BM_F5_10000Events)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The movie is rebuilt (a new file under the same name) and loaded into
// the view that shows the last one.
void BM_ReloadRebuiltPreview(benchmark::State& state) {
  SmallProject();
  player::RuffleFlashView view;
  view.setFixedSize(320, 240);
  view.show();
  const fs::path movie = GUICore::State().paths.scratch / "_eventpreview.swf";
  EventRecord e = GUICore::State().events.at(1);
  int shift = 0;
  for (auto _ : state) {
    state.PauseTiming();
    e.endX = 200 + (shift++ % 50);
    GUICore::BuildSingleEventPreviewSWF(e, movie.filename().string());
    state.ResumeTiming();
    bool painted = false;
    const auto start = std::chrono::steady_clock::now();
    view.loadMovie(QString::fromStdString(movie.string()));
    view.whenFramePainted([&] { painted = true; });
    if (!WaitFor(painted, 60000)) state.SkipWithError("the reload never painted");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_ReloadRebuiltPreview)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (::geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  const QString reason = player::RuffleFlashView::unavailableReason();
  if (!reason.isEmpty()) {
    std::fprintf(stderr, "preview_bench: %s\n", qPrintable(reason));
    return 1;
  }
  gFolder = fs::temp_directory_path() / ("tesmiro-preview-bench-" + std::to_string(getpid()));
  fs::create_directories(gFolder);
  {
    gui::QtPorts ports;
    const gui::DesktopServices desktop = gui::QtDesktopServices();
    core::Installation core({AppPaths::InFolder(gFolder), ports.services(), desktop.fileDialogs});
    gui::MainGUI window;
    window.Form_Load(QString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::error_code ec;
  fs::remove_all(gFolder, ec);
  return 0;
}
