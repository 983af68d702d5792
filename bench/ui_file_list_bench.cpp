// The file list of a full store (9,999 items): a paint of the visible rows
// (the plan alone, and the widget drawn into an image), scrolling by a page
// and painting, and adding 1,000 dropped files (to an empty list and to one
// of 8,989 items), each with its undo step. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "project/file_list_input.h"
#include "project/file_list_view.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/project_state.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "ui/main/file_list_widget.h"

namespace {

using namespace tesmiro;

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tesmiro-file-list-bench";
  return folder;
}

void FreshProject() {
  GUICore::ResetProjectState();
  GUICore::State().paths = AppPaths::InFolder(Folder());
  GUICore::NewProject();
  FileListModule::SetViewSize(400, 800, 16);
}

// n image items in folders of 100 (the folders open).
void FillStore(int32_t n) {
  auto& store = GUICore::State().store;
  int32_t folderId = -1;
  for (int32_t i = 1; i <= n; ++i) {
    if ((i - 1) % 100 == 0 && n - i >= 1) {
      StoreItem folder = NewStoreItem(StoreItemKind::Folder);
      folder.id = folderId--;
      folder.name = "folder" + std::to_string(-folder.id);
      folder.flags = 1;
      folder.param = std::min(99, n - i);
      store.push_back(folder);
    }
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = i;
    item.name = "/materials/picture" + std::to_string(i) + ".png";
    store.push_back(item);
  }
  GUICore::RefreshFileList();
}

// 1,000 files that exist (the list selects the rows of the paths).
std::vector<std::string> DroppedFiles() {
  std::filesystem::create_directories(Folder() / "drop");
  std::vector<std::string> paths;
  for (int i = 0; i < 1000; ++i) {
    auto p = Folder() / "drop" / ("dropped" + std::to_string(i) + ".png");
    if (!std::filesystem::exists(p)) std::ofstream(p) << "x";
    paths.push_back(p.string());
  }
  return paths;
}

void BM_PlanVisibleRowsOfFullStore(benchmark::State& state) {
  FreshProject();
  FillStore(9999);
  FileListModule::SetScrollTop(5000);
  for (auto _ : state) {
    FileListModule::DrawFileList();
    benchmark::DoNotOptimize(FileListModule::CurrentView().paint.rows.data());
  }
}
BENCHMARK(BM_PlanVisibleRowsOfFullStore)->Unit(benchmark::kMicrosecond);

// The list as the window has it: 400 x 800 pixels with its scroll bars.
struct Window {
  Window() : list(nullptr), vertical(Qt::Vertical, &list), horizontal(Qt::Horizontal, &list) {
    list.resize(400, 800);
    list.attachScrollBars(&vertical, &horizontal);
    FileListModule::SetViewSize(list.rowsWidth(), 800, horizontal.sizeHint().height());
  }
  void paint() { list.render(&image); }
  gui::FileListWidget list;
  QScrollBar vertical;
  QScrollBar horizontal;
  QImage image{400, 800, QImage::Format_ARGB32_Premultiplied};
};

void BM_PaintFullStore(benchmark::State& state) {
  FreshProject();
  Window window;
  FillStore(9999);
  FileListModule::SetScrollTop(5000);
  for (auto _ : state) {
    FileListModule::DrawFileList();
    window.paint();
  }
}
BENCHMARK(BM_PaintFullStore)->Unit(benchmark::kMicrosecond);

void BM_ScrollFullStoreByAPageAndPaint(benchmark::State& state) {
  FreshProject();
  Window window;
  FillStore(9999);
  const int32_t page = FileListModule::CurrentView().bars.vLargeChange;
  int32_t direction = 1;
  for (auto _ : state) {
    const int32_t top = FileListModule::Current().scrollTop;
    if (top + page > FileListModule::CurrentView().bars.vMax) direction = -1;
    if (top - page < 1) direction = 1;
    FileListModule::ScrollFileListBy(direction * page);
    window.paint();
  }
}
BENCHMARK(BM_ScrollFullStoreByAPageAndPaint)->Unit(benchmark::kMicrosecond);

void DropInto(benchmark::State& state, int32_t existing) {
  const auto paths = DroppedFiles();
  int32_t before = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FreshProject();
    if (existing > 0) FillStore(existing);
    before = GUICore::StoreItemCount();
    state.ResumeTiming();
    FileListInput::DragState drag;
    auto result = FileListInput::Drop(drag, 8, paths);
    benchmark::DoNotOptimize(result);
  }
  state.counters["items_before"] = before;
  if (GUICore::StoreItemCount() != before + 1000) state.SkipWithError("the files were not all added");
}

void BM_DropThousandFilesOnEmptyList(benchmark::State& state) { DropInto(state, 0); }
BENCHMARK(BM_DropThousandFilesOnEmptyList)->Unit(benchmark::kMillisecond);

void BM_DropThousandFilesOnLargeList(benchmark::State& state) { DropInto(state, 8900); }
BENCHMARK(BM_DropThousandFilesOnLargeList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
