// Process start to the first painted, idle main window: once with no
// project, once with a project of 9,999 items. Each run is a new process
// (this program started again with --child), so loading the libraries and
// making the application count; the time runs from just before the process
// is started to the moment the window has painted and the event loop has
// nothing more to do. Each start of the program is paired with a start of a
// bare Qt Widgets window (startup_bare_window), timed the same way in the
// same run, so that the ratio holds whatever the machine's load: the
// counters give the best of each and their ratio. Run it under a display
// (xvfb-run) or offscreen.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
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
#include "ui/common/qt_services.h"
#include "ui/main/main_gui.h"

extern char** environ;

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

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
        std::printf("%lld\n", static_cast<long long>(NowNs()));
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
  // As the program does, for the web player it may load later.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  const fs::path folder = BenchFolder() / "child";
  fs::remove_all(folder);
  fs::create_directories(folder);
  gui::QtPorts ports;
  core::Installation install({AppPaths::InFolder(folder), ports.services(), nullptr});
  gui::MainGUI window;
  FirstPaint watch;
  window.installEventFilter(&watch);
  window.Form_Load(QString::fromUtf8(project));
  return app.exec();
}

// One start of the program `args[0]`, in seconds to the clock it prints.
double StartOnce(std::vector<std::string> args) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int64_t start = NowNs();
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return -1;
  }
  char buf[64] = {};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (n <= 0) return -1;
  return static_cast<double>(std::atoll(buf) - start) / 1e9;
}

std::string gSelf;

// Starts the bare window and the program in turn, so that both see the
// same load; the iteration time is the program's.
void StartBesideBareWindow(benchmark::State& state, const std::string& project) {
  double bestBare = std::numeric_limits<double>::infinity();
  double bestProgram = bestBare;
  for (auto _ : state) {
    const double bare = StartOnce({TESMIRO_BARE_WINDOW});
    const double program = StartOnce({gSelf, "--child", project});
    if (bare < 0 || program < 0) {
      state.SkipWithError("a started program did not report");
      return;
    }
    bestBare = std::min(bestBare, bare);
    bestProgram = std::min(bestProgram, program);
    state.SetIterationTime(program);
  }
  state.counters["best_ms"] = bestProgram * 1e3;
  state.counters["bare_best_ms"] = bestBare * 1e3;
  state.counters["x_bare"] = bestProgram / bestBare;
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
