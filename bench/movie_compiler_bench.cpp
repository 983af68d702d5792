// Compiling a large project with MakeSWF: 10,000 placement events of 100
// frames each, laid over the same 100 frames by rollbacks so that every
// frame holds 10,000 placements. The material is a vector square of one
// shape, so next to no media is encoded: the figure is the event compiler,
// the display-list writer and the file assembly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "compiler/movie_compiler.h"
#include "project/gui_core.h"
#include "project/model.h"

namespace {

using namespace tesmiro;

constexpr int kPlacements = 10000;
constexpr int kFramesEach = 100;

void MakeProject(const std::filesystem::path& folder) {
  GUICore::State().paths = AppPaths::InFolder(folder);
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  // A material whose file is missing would be left out with its events.
  const std::string kvg =
      "KVG030\r\n320\r\n240\r\n1\r\n3,-1,20,1,-16777216,1,-16776961,0,0,0,1,1,-65536,0,0,0,0\r\n0\r\n"
      "0,0,0\r\n0,200,0\r\n0,200,100\r\n0,0,100\r\n";
  std::ofstream(folder / "square.kvg", std::ios::binary) << kvg;
  StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
  square.id = 1;
  square.name = (folder / "square.kvg").string();
  m.store.push_back(square);
  for (int i = 0; i < kPlacements; ++i) {
    EventRecord e;
    e.itemId = 1;
    e.frameCount = kFramesEach;
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
    back.frameCount = -kFramesEach;
    m.events.push_back(back);
  }
  m.timelines[0].events = m.events;
}

void BM_MakeSWF_10000x100(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / ("tesmiro-movie-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  MakeProject(folder);
  const auto out = folder / "bench.swf";
  for (auto _ : state) {
    const GUICore::BuildResult result = GUICore::MakeSWF(out, true);
    if (result != GUICore::BuildResult::Done) state.SkipWithError("the build did not finish");
  }
  std::error_code ec;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(out, ec)) / (1 << 20);
  std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_MakeSWF_10000x100)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
