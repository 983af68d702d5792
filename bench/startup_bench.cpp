// Process start to the first painted, idle main window: once with no
// project, once with a project of 9,999 items. Each run is a new process
// (this program started again with --child), so loading the libraries and
// making the application count; the time runs from just before the process
// is started to the moment the window has painted and the event loop has
// nothing more to do. Each start of the program is paired with a start of a
// bare Qt Widgets window (startup_bare_window), timed the same way in the
// same run, so that the ratio holds whatever the machine's load: the
// counters give the best of each and their ratio, in wall time and in the
// processor time the process used (which a busy machine disturbs less).
// Run it under a display (xvfb-run) or offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
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

// Paint seen, then the next turn of an empty event loop.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!painted_ && event->type() == QEvent::Paint) {
      painted_ = true;
      QTimer::singleShot(0, [] {
        std::printf("%lld\n", static_cast<long long>(bench::SteadyNowNs()));
        std::fflush(stdout);
        std::quick_exit(0);
      });
    }
    return false;
  }

 private:
  bool painted_ = false;
};

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
  FirstPaint watch;
  window.installEventFilter(&watch);
  window.startUp(QString::fromUtf8(project));
  return app.exec();
}

struct Start {
  double wall = -1;  // seconds to the clock the program printed
  double cpu = 0;    // user and system seconds of the process
};

// One start of the program `args[0]`.
Start StartOnce(std::vector<std::string> args) {
  const bench::ChildRun run = bench::RunChildProcess(std::move(args));
  if (!run.ran) return {};
  return {static_cast<double>(std::atoll(run.out.c_str()) - run.startedNs) / 1e9, run.cpuSeconds};
}

std::string gSelf;

// Starts the bare window and the program in turn, so that both see the
// same load; the iteration time is the program's.
void StartBesideBareWindow(benchmark::State& state, const std::string& project) {
  Start bestBare{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  Start bestProgram = bestBare;
  for (auto _ : state) {
    const Start bare = StartOnce({TESMIRO_BARE_WINDOW});
    const Start program = StartOnce({gSelf, "--child", project});
    if (bare.wall < 0 || program.wall < 0) {
      state.SkipWithError("a started program did not report");
      return;
    }
    bestBare = {std::min(bestBare.wall, bare.wall), std::min(bestBare.cpu, bare.cpu)};
    bestProgram = {std::min(bestProgram.wall, program.wall), std::min(bestProgram.cpu, program.cpu)};
    state.SetIterationTime(program.wall);
  }
  state.counters["best_ms"] = bestProgram.wall * 1e3;
  state.counters["bare_best_ms"] = bestBare.wall * 1e3;
  state.counters["x_bare"] = bestProgram.wall / bestBare.wall;
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
