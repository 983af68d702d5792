// F5 to the first painted frame in the preview window, with the real web
// player: a small project (the first preview of a run, with and without the
// player started ahead, and the ones after it) and the 10,000-event project
// of the movie-compiler benchmark; and the reload of a rebuilt preview movie
// into a view that already shows one (the live pictures do that).
// The first preview of a run needs a new process each time: this program
// started again with --child, which prints its times and the proportional
// memory (PSS) of all its processes, the web engine's among them.
// Run it on a display (xvfb-run works) or offscreen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/core_setup.h"
#include "compiler/previews.h"
#include "compiler/text_effects.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "ui/main/qt_services.h"
#include "ui/common/services.h"
#include "ui/dialogs/preview_window.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/player/ruffle_flash_view.h"
#include "child_process.h"

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
// time ends when the player has painted the movie's first frame. -1 when
// it never did.
double PressF5() {
  gui::MainGUI* main = gui::MainGUI::instance();
  bool painted = false;
  const auto start = std::chrono::steady_clock::now();
  main->findChild<QAction*>(QStringLiteral("previewWindowAction"))->trigger();
  if (!gui::PreviewWindow::instance()) return -1;
  auto* view = dynamic_cast<player::RuffleFlashView*>(gui::PreviewWindow::instance()->flash());
  if (!view) return -1;
  view->whenFramePainted([&] { painted = true; });
  const bool ok = WaitFor(painted, 120000);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  gui::PreviewWindow::unload();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return ok ? seconds : -1;
}

double PressF5(benchmark::State& state) {
  const double seconds = PressF5();
  if (seconds < 0) state.SkipWithError("the preview never painted");
  return seconds;
}

// The proportional memory of this process and all its descendants (the web
// engine's zygote, renderer, GPU and utility processes), in MB.
double TreePssMb() {
  std::map<int, int> parents;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool isPid = false;
    const int pid = entry.toInt(&isPid);
    if (!isPid) continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (name) state ppid: the name may hold blanks and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string state;
    int ppid = 0;
    rest >> state >> ppid;
    parents[pid] = ppid;
  }
  const int self = getpid();
  double kb = 0;
  for (const auto& [pid, ppid] : parents) {
    int up = pid;
    while (up > 1 && up != self) up = parents.count(up) ? parents[up] : 0;
    if (up != self) continue;
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    double value = 0;
    std::string unit;
    while (rollup >> key) {
      if (key == "Pss:") {
        rollup >> value >> unit;
        kb += value;
        break;
      }
      rollup.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
  }
  return kb / 1024;
}

// A child run: the small project opened from its file as the program opens
// it, the window idle (with the player started ahead when `warm`), then the
// first F5 of the run and three after it. Prints the first F5's seconds,
// the best later one, the PSS at idle and after the previews, and the
// seconds from the start of the window to the player started ahead.
int Child(bool warm) {
  const fs::path project = gFolder / "small.tsm";
  SmallProject();
  if (!GUICore::SaveProject(project.string())) return 1;
  GUICore::NewProject();
  gui::MainGUI window;
  if (warm) window.menus().warmUpPlayerWhenIdle();
  const auto start = std::chrono::steady_clock::now();
  window.startUp(QString::fromStdString(project.string()));
  bool ready = false;
  QElapsedTimer clock;
  clock.start();
  // Idle as a user would leave it before the first F5: until the warm-up is
  // done, or for a second without one.
  while (!ready && clock.elapsed() < 120000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    auto* kept = qobject_cast<player::RuffleFlashView*>(player::KeptFlashHost());
    ready = warm ? kept && kept->playerStarted() : clock.elapsed() >= 1000;
  }
  if (!ready) return 1;
  const double warmUp = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double idle = TreePssMb();
  const double first = PressF5();
  double later = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 3; ++i) later = std::min(later, PressF5());
  if (first < 0 || later < 0) return 1;
  std::printf("%f %f %f %f %f\n", first, later, idle, TreePssMb(), warm ? warmUp : 0.0);
  std::fflush(stdout);
  return 0;
}

std::string gSelf;

struct ChildFigures {
  double first = -1, later = -1, idlePss = 0, afterPss = 0, warmUp = 0;
};

ChildFigures RunChild(bool warm) {
  ChildFigures f;
  const bench::ChildRun run = bench::RunChildProcess({gSelf, warm ? "--child-warm" : "--child-cold"});
  if (run.ran) std::istringstream(run.out) >> f.first >> f.later >> f.idlePss >> f.afterPss >> f.warmUp;
  return f;
}

// Each iteration starts two programs on the small project: one that starts
// the player ahead of the first F5 (its time is the iteration's) and one
// that does not. Counters: the best first F5 of each, the best later F5,
// and the mean PSS of all the processes, idle before the first F5 and after
// four.
void BM_F5_SmallProject_FirstOfTheRun(benchmark::State& state) {
  double coldFirst = std::numeric_limits<double>::infinity(), warmFirst = coldFirst, later = coldFirst;
  double coldIdle = 0, warmIdle = 0, coldAfter = 0, warmAfter = 0, warmUp = coldFirst;
  int runs = 0;
  for (auto _ : state) {
    const ChildFigures cold = RunChild(false);
    const ChildFigures warm = RunChild(true);
    if (cold.first < 0 || warm.first < 0) {
      state.SkipWithError("a child run failed");
      return;
    }
    coldFirst = std::min(coldFirst, cold.first);
    warmFirst = std::min(warmFirst, warm.first);
    later = std::min({later, cold.later, warm.later});
    warmUp = std::min(warmUp, warm.warmUp);
    coldIdle += cold.idlePss;
    warmIdle += warm.idlePss;
    coldAfter += cold.afterPss;
    warmAfter += warm.afterPss;
    ++runs;
    state.SetIterationTime(warm.first);
  }
  state.counters["first_cold_ms"] = coldFirst * 1e3;
  state.counters["first_warm_ms"] = warmFirst * 1e3;
  state.counters["later_ms"] = later * 1e3;
  state.counters["warm_up_ms"] = warmUp * 1e3;
  state.counters["pss_idle_cold_MB"] = coldIdle / runs;
  state.counters["pss_idle_warm_MB"] = warmIdle / runs;
  state.counters["pss_after_cold_MB"] = coldAfter / runs;
  state.counters["pss_after_warm_MB"] = warmAfter / runs;
}
BENCHMARK(BM_F5_SmallProject_FirstOfTheRun)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);


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
  const std::string mode = argc >= 2 ? argv[1] : "";
  const bool child = mode == "--child-warm" || mode == "--child-cold";
  gSelf = fs::canonical("/proc/self/exe").string();
  QApplication app(argc, argv);
  // A child has not loaded the web engine yet: asking would load it.
  const QString reason = child ? QString() : player::RuffleFlashView::unavailableReason();
  if (!reason.isEmpty()) {
    std::fprintf(stderr, "preview_bench: %s\n", qPrintable(reason));
    return 1;
  }
  gFolder = fs::temp_directory_path() / ("tesmiro-preview-bench-" + std::to_string(getpid()));
  fs::create_directories(gFolder);
  int status = 0;
  {
    gui::QtPorts ports;
    const gui::DesktopServices desktop = gui::QtDesktopServices();
    core::Installation core({AppPaths::InFolder(gFolder), ports.services(), desktop.fileDialogs});
    if (child) {
      status = Child(mode == "--child-warm");
    } else {
      gui::MainGUI window;
      window.startUp(QString());
      benchmark::Initialize(&argc, argv);
      benchmark::RunSpecifiedBenchmarks();
      benchmark::Shutdown();
    }
  }
  std::error_code ec;
  fs::remove_all(gFolder, ec);
  return status;
}
