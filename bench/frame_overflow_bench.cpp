// Make SWF of a project whose events run past the movie's last possible
// frame: 20,000 and 40,000 placement events of one to five frames each
// (75,000 and 150,000 frames wanted, 65,535 written). Every event after the
// limit still goes through the event compiler and the writer, and meets the
// limit again: the larger project should take at most about twice as long.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>

#include "compiler/movie_compiler.h"
#include "project/gui_core.h"
#include "project/model.h"

namespace {

using namespace tesmiro;

// Averages 3.75 frames, so that even the smaller project overflows.
constexpr int32_t kFrames[] = {1, 5, 4, 5, 2, 5, 3, 5};

void MakeProject(const std::filesystem::path& folder, int64_t events) {
  GUICore::State().paths = AppPaths::InFolder(folder);
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  // An empty sprite: a material that needs no file.
  StoreItem sprite = NewStoreItem(StoreItemKind::Sprite);
  sprite.id = 1;
  sprite.param = static_cast<int32_t>(m.timelines.size());
  Timeline own;
  own.owner = sprite.id;
  m.timelines.push_back(own);
  m.store.push_back(sprite);
  for (int64_t i = 0; i < events; ++i) {
    EventRecord e;
    e.itemId = 1;
    e.frameCount = kFrames[i % std::size(kFrames)];
    e.depth = static_cast<int32_t>(i % 512 - 256);
    e.startX = static_cast<int32_t>(i % 300);
    e.endX = 300 - e.startX;
    m.events.push_back(e);
  }
  m.timelines[0].events = m.events;
}

void BM_MakeSWF_PastTheLastFrame(benchmark::State& state) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("tesmiro-overflow-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  MakeProject(folder, state.range(0));
  const auto out = folder / "bench.swf";
  for (auto _ : state) {
    if (GUICore::MakeSWF(out, false) != GUICore::BuildResult::Done) state.SkipWithError("the build did not finish");
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_MakeSWF_PastTheLastFrame)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
