// Painting the event list of a 20,000-event timeline: the rows in view, a
// page scrolled, and every row selected. A paint must stay well inside one
// frame of a 60 Hz screen (16 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/ui.h"
#include "project/event_colors.h"
#include "project/event_commands.h"
#include "project/event_list_view.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/window_services.h"
#include "ui/main/event_list_view.h"

namespace {

using namespace tesmiro;
namespace elm = EventListModule;

constexpr int kEvents = 20000;

// The core's repaint requests go to the one list.
class ForwardToView final : public ui::WindowServices {
 public:
  void eventsChanged() override {
    if (view) view->drawEventList();
  }
  gui::EventListView* view = nullptr;
};

struct Bench {
  Bench() {
    GUICore::ResetState();
    FileListModule::ResetState();
    EventListModule::ResetState();
    elm::ResetDisplayColors();
    services.windows = &forward;
    ui::Install(services);
    GUICore::State().paths = AppPaths::InFolder(std::filesystem::temp_directory_path() / "tesmiro-bench");
    GUICore::NewProject();
    int32_t row = 1, mode = 0;
    std::string image = "/bench.jpg", sound = "/bench.mp3", sprite;
    const int32_t ids[] = {GUICore::AddStoreItem(image, "jpg", row, mode), GUICore::AddStoreItem(sound, "mp3", row, mode),
                           GUICore::AddStoreItem(sprite, "sprite", row, mode)};
    std::vector<EventRecord> events;
    events.reserve(kEvents);
    for (int i = 0; i < kEvents; ++i) {
      EventRecord e;
      e.itemId = i % 7 == 6 ? 0 : ids[i % 3];
      e.frameCount = i % 5;
      e.startX = i;
      e.startY = -i;
      e.endScaleX = 1.5f;
      e.depth = i % 256;
      if (e.itemId == 0) {
        e.kind = static_cast<int16_t>(ActionKind::Label);
        e.text1 = "label" + std::to_string(i);
      }
      events.push_back(e);
    }
    EventCommands::InsertEvents(std::move(events), 0);
    view = std::make_unique<gui::EventListView>();
    vBar = new QScrollBar(Qt::Vertical, view.get());
    hBar = new QScrollBar(Qt::Horizontal, view.get());
    view->setScrollBars(vBar, hBar);
    forward.view = view.get();
    view->resize(640, 480);
    view->reportGeometry();
    picture = QImage(view->size(), QImage::Format_ARGB32_Premultiplied);
  }
  ~Bench() {
    forward.view = nullptr;
    ui::Install(previous);
  }
  void paint() {
    QPainter p(&picture);
    p.setFont(view->font());
    view->paintList(p);
  }

  ui::Services previous = ui::Current();
  ui::Services services = ui::Current();
  ForwardToView forward;
  std::unique_ptr<gui::EventListView> view;
  QScrollBar* vBar = nullptr;
  QScrollBar* hBar = nullptr;
  QImage picture;
};

// Made on first use and destroyed before the application ends.
std::unique_ptr<Bench> gBench;
Bench& Shared() {
  if (!gBench) gBench = std::make_unique<Bench>();
  return *gBench;
}

void BM_PaintVisibleRows(benchmark::State& state) {
  Bench& b = Shared();
  elm::SetScrollValue(kEvents / 2);
  for (auto _ : state) {
    b.view->drawEventList();
    b.paint();
  }
  state.counters["rows"] = elm::PlanPaint().last - elm::PlanPaint().first;
}
BENCHMARK(BM_PaintVisibleRows)->Unit(benchmark::kMillisecond);

void BM_ScrollPageAndPaint(benchmark::State& state) {
  Bench& b = Shared();
  elm::SetScrollValue(1);
  for (auto _ : state) {
    if (elm::ScrollValue() >= elm::Current().vBar.max) elm::SetScrollValue(1);
    elm::ScrollEventListBy(elm::Current().vBar.largeChange);  // repaints through the view
    b.paint();
  }
}
BENCHMARK(BM_ScrollPageAndPaint)->Unit(benchmark::kMillisecond);

void BM_SelectAllAndPaint(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    elm::ClearRowSelection();
    EventCommands::SelectAll();  // repaints through the view
    b.paint();
  }
}
BENCHMARK(BM_SelectAllAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("QT_FONT_DPI")) setenv("QT_FONT_DPI", "96", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gBench.reset();
  return 0;
}
