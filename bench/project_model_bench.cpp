// Editing a full project: 9,999 store items and 20,000 events. Each
// benchmark times one user command (add, sort, undo, redo, insert, switch
// timeline) so that the figures say whether the commands stay interactive.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/sorting.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/timelines.h"

namespace {

using namespace tesmiro;

void FreshProject() {
  GUICore::ResetState();
  FileListModule::ResetState();
  EventListModule::ResetState();
  GUICore::State().paths = AppPaths::InFolder(std::filesystem::temp_directory_path() / "tesmiro-bench");
  GUICore::NewProject();
}

// n image items (IDs in reverse order, so that sorting has work to do).
void FillStore(int32_t n) {
  auto& store = GUICore::State().store;
  for (int32_t i = 0; i < n; ++i) {
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = n - i;
    item.name = "/materials/picture" + std::to_string(n - i) + ".png";
    store.push_back(item);
  }
  GUICore::RefreshFileList();
}

void FillEvents(int32_t n) {
  auto& events = GUICore::State().events;
  for (int32_t i = 0; i < n; ++i) {
    EventRecord e;
    e.itemId = 1 + i % 9999;
    e.frameCount = 1 + i % 7;
    e.startX = i % 320;
    events.push_back(e);
  }
  EventListModule::LoadRows();
}

void BM_AddStoreItemToFullStore(benchmark::State& state) {
  FreshProject();
  FillStore(9998);
  for (auto _ : state) {
    GUICore::SaveStoreUndoState();
    std::string path = "/materials/new.png";
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    GUICore::AddStoreItem(path, "png", row, mode);
    GUICore::PushStoreUndoState();
    state.PauseTiming();
    GUICore::StoreUndo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddStoreItemToFullStore)->Unit(benchmark::kMillisecond);

void BM_SortFullStore(benchmark::State& state) {
  FreshProject();
  FillStore(9999);
  int32_t key = GUICore::kSortIdAscending;
  for (auto _ : state) {
    GUICore::SortStoreItems(1, 9999, key);
    key = key == GUICore::kSortIdAscending ? GUICore::kSortIdDescending : GUICore::kSortIdAscending;
  }
}
BENCHMARK(BM_SortFullStore)->Unit(benchmark::kMillisecond);

void BM_StoreUndoRedoOfFullStore(benchmark::State& state) {
  FreshProject();
  FillStore(9999);
  GUICore::SortStoreItems(1, 9999, GUICore::kSortIdAscending);
  for (auto _ : state) {
    GUICore::StoreUndo();
    GUICore::StoreRedo();
  }
}
BENCHMARK(BM_StoreUndoRedoOfFullStore)->Unit(benchmark::kMillisecond);

void BM_InsertEventInto20000(benchmark::State& state) {
  FreshProject();
  FillStore(9999);
  FillEvents(20000);
  for (auto _ : state) {
    EventRecord e;
    e.itemId = 5;
    GUICore::BeginEventUndoStep();
    GUICore::AddEventUndoRecord(10001, e, EventUndoStep::kInserted);
    GUICore::InsertEvent(e, 10000);
    GUICore::CommitEventUndoStep();
    GUICore::EventUndo();
  }
}
BENCHMARK(BM_InsertEventInto20000)->Unit(benchmark::kMillisecond);

void BM_PasteHundredEventsUndoRedo(benchmark::State& state) {
  FreshProject();
  FillStore(9999);
  FillEvents(20000);
  for (int32_t p = 0; p < 100; ++p) GUICore::CopyEventToClipboard(p);
  GUICore::PasteEventClipboard(5000);
  for (auto _ : state) {
    GUICore::EventUndo();
    GUICore::EventRedo();
  }
}
BENCHMARK(BM_PasteHundredEventsUndoRedo)->Unit(benchmark::kMillisecond);

void BM_SwitchTo20000EventTimeline(benchmark::State& state) {
  FreshProject();
  FillStore(9998);  // and the sprite
  std::string none;
  int32_t row = 1, mode = 0;
  int32_t sprite = GUICore::AddStoreItem(none, "sprite", row, mode);
  FillEvents(20000);
  for (auto _ : state) {
    GUICore::ShowTimeline(sprite, true);
    GUICore::ShowTimeline(0, false);
  }
}
BENCHMARK(BM_SwitchTo20000EventTimeline)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
