// Saving and loading a full project: 9,999 store items and 20,000 events.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/app_paths.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

fs::path BenchFolder() {
  fs::path dir = fs::temp_directory_path() / "tesmiro-project-bench";
  fs::create_directories(dir);
  return dir;
}

void BuildLargeProject() {
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
    e.text1 = "ラベル";
    e.anchors.resize(4);
    m.events.push_back(e);
  }
}

void BM_SaveProject(benchmark::State& state) {
  BuildLargeProject();
  const std::string path = (BenchFolder() / "large.tsm").string();
  for (auto _ : state) benchmark::DoNotOptimize(GUICore::SaveProject(path));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_LoadProjectFile(benchmark::State& state) {
  BuildLargeProject();
  const fs::path path = BenchFolder() / "large.tsm";
  GUICore::SaveProject(path.string());
  for (auto _ : state) {
    const auto loaded = TSMModule::LoadProjectFile(path);
    if (!loaded || loaded->timelines[0].events.count() != 20000) state.SkipWithError("the project was not read whole");
  }
}
BENCHMARK(BM_LoadProjectFile)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state) {
  BuildLargeProject();
  const std::string path = (BenchFolder() / "large.tsm").string();
  GUICore::SaveProject(path);
  for (auto _ : state)
    if (!GUICore::OpenProject(path) || GUICore::State().events.count() != 20000)
      state.SkipWithError("the project was not opened whole");
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
