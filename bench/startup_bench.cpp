// Process start to the first painted, idle main window: once with no
// project, once with a project of 9,999 items. Each run is a new process
// (this program started again with --child), so loading the libraries and
// making the application count; the time runs from just before the process
// is started to two moments (first_paint.h): the window has painted and the
// event loop has nothing more to do ("idle"), and the display server has
// taken the first frame ("on screen"). Each start of the program is paired
// with a start of a bare Qt Widgets window (startup_bare_window), timed the
// same way in the same run, so that the ratio holds whatever the machine's
// load: the counters give the best of each and their ratio, in wall time to
// either moment and in the processor time the process used (which a busy
// machine disturbs less).
// Run it under a display (xvfb-run) or offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/core_setup.h"
#include "platform/app_paths.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "ui/main/qt_services.h"
#include "ui/common/qt_translations.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "child_process.h"
#include "first_paint.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

fs::path BenchFolder() {
  fs::path dir = fs::temp_directory_path() / "tesmiro-startup-bench";
  fs::create_directories(dir);
  return dir;
}

std::string LargeProject() {
  const fs::path path = BenchFolder() / "large.tsm";
  if (fs::exists(path)) return path.string();
  GUICore::ResetState();
  GUICore::State().paths = AppPaths::InFolder(BenchFolder());
  GUICore::NewProject();
  auto& m = GUICore::State();
  for (int32_t i = 1; i <= kMaxStoreItems; ++i) {
    StoreItem it = NewStoreItem(StoreItemKind::Text);
    it.id = i;
    it.name = "テキスト表示 " + std::to_string(i);
    m.store.push_back(it);
  }
  for (int32_t j = 0; j < 20000; ++j) {
    EventRecord e;
    e.itemId = 1 + j % kMaxStoreItems;
    m.events.push_back(e);
  }
  GUICore::SaveProject(path.string());
  return path.string();
}

int Child(int argc, char** argv, const char* project) {
  QApplication app(argc, argv);
  // As the program's main() does.
  const gui::QtJapaneseTexts qtTexts;
  const fs::path folder = BenchFolder() / "child";
  fs::remove_all(folder);
  fs::create_directories(folder);
  gui::QtPorts ports;
  core::Installation install({AppPaths::InFolder(folder), ports.services(), nullptr});
  gui::MainGUI window;
  window.menus().warmUpPlayerWhenIdle();
  bench::FirstPaint watch;
  window.installEventFilter(&watch);
  window.startUp(QString::fromUtf8(project));
  return app.exec();
}

struct Start {
  double idle = -1;    // seconds to the painted, idle window
  double shown = -1;   // seconds to the first frame taken by the display
  double cpu = 0;      // user and system seconds of the process
};

// One start of the program `args[0]`.
Start StartOnce(std::vector<std::string> args) {
  const bench::ChildRun run = bench::RunChildProcess(std::move(args));
  long long idle = 0, shown = 0;
  if (!run.ran || !(std::istringstream(run.out) >> idle >> shown)) return {};
  return {static_cast<double>(idle - run.startedNs) / 1e9, static_cast<double>(shown - run.startedNs) / 1e9,
          run.cpuSeconds};
}

Start Best(const Start& a, const Start& b) {
  return {std::min(a.idle, b.idle), std::min(a.shown, b.shown), std::min(a.cpu, b.cpu)};
}

std::string gSelf;

// Starts the bare window and the program in turn, so that both see the
// same load; the iteration time is the program's.
void StartBesideBareWindow(benchmark::State& state, const std::string& project) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  Start bestBare{kNone, kNone, kNone};
  Start bestProgram = bestBare;
  for (auto _ : state) {
    const Start bare = StartOnce({TESMIRO_BARE_WINDOW});
    const Start program = StartOnce({gSelf, "--child", project});
    if (bare.shown < 0 || program.shown < 0) {
      state.SkipWithError("a started program did not report");
      return;
    }
    bestBare = Best(bestBare, bare);
    bestProgram = Best(bestProgram, program);
    state.SetIterationTime(program.shown);
  }
  state.counters["best_ms"] = bestProgram.shown * 1e3;
  state.counters["bare_best_ms"] = bestBare.shown * 1e3;
  state.counters["x_bare"] = bestProgram.shown / bestBare.shown;
  state.counters["idle_ms"] = bestProgram.idle * 1e3;
  state.counters["bare_idle_ms"] = bestBare.idle * 1e3;
  state.counters["x_bare_idle"] = bestProgram.idle / bestBare.idle;
  state.counters["cpu_ms"] = bestProgram.cpu * 1e3;
  state.counters["bare_cpu_ms"] = bestBare.cpu * 1e3;
  state.counters["x_bare_cpu"] = bestProgram.cpu / bestBare.cpu;
}

void BM_StartNoProject(benchmark::State& state) { StartBesideBareWindow(state, ""); }
BENCHMARK(BM_StartNoProject)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_StartWith9999Items(benchmark::State& state) { StartBesideBareWindow(state, LargeProject()); }
BENCHMARK(BM_StartWith9999Items)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--child") return Child(argc, argv, argc >= 3 ? argv[2] : "");
  gSelf = fs::canonical("/proc/self/exe").string();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
