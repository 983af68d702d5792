// How builds and edits grow with the project. Each pair of sizes is meant to
// be read as a ratio: ten times the project should cost about ten times the
// time, not a hundred.
//   - Make SWF of n vector items, each placed twice (1,000 and 9,999 items).
//   - Make SWF of 400 sprites beside a main timeline of 20,000 events: every
//     sprite's pass switches the working list to its timeline and back. The
//     same main timeline without sprites is the reference.
//   - Paste of 100 events into a timeline of 20,000 and of 200,000 events,
//     and the undo and redo of that paste, beside the bare vector insertion
//     that any list kept in one block pays.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compiler/movie_compiler.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

fs::path BenchFolder() {
  const fs::path folder = fs::temp_directory_path() / ("tesmiro-scaling-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  return folder;
}

void FreshProject(const fs::path& folder) {
  GUICore::ResetState();
  FileListModule::ResetState();
  EventListModule::ResetState();
  GUICore::State().paths = AppPaths::InFolder(folder);
  GUICore::NewProject();
}

// A filled 40 x 40 square without an outline.
fs::path WriteSquare(const fs::path& folder) {
  const fs::path path = folder / "square.kvg";
  std::ofstream f(path, std::ios::binary);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,-16777216,1,-16776961,0,0,0,1,1,-16777216,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
  return path;
}

StoreItem VectorItem(int32_t id, const fs::path& file) {
  StoreItem item = NewStoreItem(StoreItemKind::VectorImage);
  item.id = id;
  item.name = file.string();
  return item;
}

EventRecord Placement(int32_t itemId, int32_t i) {
  EventRecord e;
  e.itemId = itemId;
  e.frameCount = 1;
  e.depth = i % 512 - 256;
  e.startX = e.endX = i % 300;
  e.startY = e.endY = i % 200;
  return e;
}

void RunBuilds(benchmark::State& state, const fs::path& folder) {
  GUICore::Model& m = GUICore::State();
  m.timelines[0].events = m.events;
  const fs::path out = folder / "bench.swf";
  for (auto _ : state) {
    if (GUICore::MakeSWF(out, true) != GUICore::BuildResult::Done) state.SkipWithError("the build did not finish");
  }
  std::error_code ec;
  state.counters["MB"] = static_cast<double>(fs::file_size(out, ec)) / (1 << 20);
  fs::remove_all(folder, ec);
}

void BM_MakeSWF_VectorItems(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const fs::path folder = BenchFolder();
  FreshProject(folder);
  const fs::path square = WriteSquare(folder);
  GUICore::Model& m = GUICore::State();
  for (int32_t id = 1; id <= n; ++id) m.store.push_back(VectorItem(id, square));
  for (int32_t i = 0; i < 2 * n; ++i) m.events.push_back(Placement(1 + i % n, i));
  RunBuilds(state, folder);
}
BENCHMARK(BM_MakeSWF_VectorItems)->Arg(1000)->Arg(9999)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MakeSWF_SpritesBeside20000Events(benchmark::State& state) {
  const int32_t sprites = static_cast<int32_t>(state.range(0));
  const fs::path folder = BenchFolder();
  FreshProject(folder);
  const fs::path square = WriteSquare(folder);
  GUICore::Model& m = GUICore::State();
  m.store.push_back(VectorItem(1, square));
  for (int32_t s = 0; s < sprites; ++s) {
    StoreItem sprite = NewStoreItem(StoreItemKind::Sprite);
    sprite.id = 2 + s;
    sprite.name = "sprite" + std::to_string(s);
    sprite.width = sprite.height = 100;
    sprite.param = static_cast<int32_t>(m.timelines.size());
    m.timelines.push_back(Timeline{{}, sprite.id, 0});
    m.timelines.back().events.push_back(Placement(1, s));
    m.timelines.back().events.push_back(Placement(1, s + 1));
    m.store.push_back(sprite);
  }
  for (int32_t i = 0; i < 20000; ++i) m.events.push_back(Placement(1, i));
  RunBuilds(state, folder);
}
BENCHMARK(BM_MakeSWF_SpritesBeside20000Events)->Arg(0)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(3);

// n events over 9,999 image items, rows loaded as the event list shows them.
void EditableTimeline(int32_t n) {
  FreshProject(fs::temp_directory_path() / "tesmiro-bench");
  auto& store = GUICore::State().store;
  for (int32_t id = 1; id <= 9999; ++id) {
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = id;
    item.name = "/materials/picture" + std::to_string(id) + ".png";
    store.push_back(item);
  }
  auto& events = GUICore::State().events;
  for (int32_t i = 0; i < n; ++i) {
    EventRecord e;
    e.itemId = 1 + i % 9999;
    e.frameCount = 1 + i % 7;
    e.startX = i % 320;
    events.push_back(e);
  }
  EventListModule::LoadRows();
  for (int32_t p = 0; p < 100; ++p) GUICore::CopyEventToClipboard(p * 7);
}

void BM_Paste100Events(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  EditableTimeline(n);
  for (auto _ : state) {
    GUICore::PasteEventClipboard(n / 2);
    state.PauseTiming();
    GUICore::EventUndo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Paste100Events)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The floor for a list kept in one block: the 100 records alone moved into
// the middle of a vector of n, nothing else. Its ratio between the two sizes
// is the memory's, not the program's (20,000 records fit in the cache).
void BM_VectorInsert100Records(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  std::vector<EventRecord> list(n);
  list.reserve(n + 100);
  const std::vector<EventRecord> block(100);
  for (auto _ : state) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(n / 2), block.begin(), block.end());
    state.PauseTiming();
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(n / 2), list.begin() + static_cast<std::ptrdiff_t>(n / 2 + 100));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_VectorInsert100Records)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_Paste100EventsUndoRedo(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  EditableTimeline(n);
  GUICore::PasteEventClipboard(n / 2);
  for (auto _ : state) {
    GUICore::EventUndo();
    GUICore::EventRedo();
  }
}
BENCHMARK(BM_Paste100EventsUndoRedo)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
