// The event dialog's live picture while a handle is dragged with real-time
// redraw: how many rebuilt pictures per second reach the real web player.
// The pointer moves every 10 ms; the rebuilds are coalesced, so the figure
// is what the author sees follow the handle. Over a simple event alone, and
// over the busiest frame of the 10,000-event project underneath ("下").
// Run it on a display (xvfb-run works) or offscreen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compiler/core_setup.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "compiler/text_effects.h"
#include "project/event_list_view.h"
#include "project/list_models.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "ui/main/qt_services.h"
#include "ui/common/services.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/live_picture_pane.h"
#include "ui/main/main_gui.h"
#include "ui/player/ruffle_flash_view.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

fs::path gFolder;

void WriteSquare(const fs::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

// The square that is dragged, at (100, 100) of a 320 x 240 stage.
EventRecord Square() {
  EventRecord e = GUICore::InitEventRecord();
  e.itemId = 1;
  e.frameCount = 1;
  e.startX = e.startY = 100;
  return e;
}

void NewProjectWithSquare() {
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  m.settings.width = 320;
  m.settings.height = 240;
  WriteSquare(gFolder / "red.kvg");
  StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
  square.id = 1;
  square.name = (gFolder / "red.kvg").string();
  m.store.push_back(square);
}

// The movie-compiler benchmark's 10,000 placements of 100 frames, laid
// over the same frames by rollbacks, with the square after them; its
// preview movie is the one the picture loads underneath.
bool LargeProject() {
  NewProjectWithSquare();
  GUICore::Model& m = GUICore::State();
  for (int i = 0; i < 10000; ++i) {
    EventRecord e;
    e.itemId = 1;
    e.frameCount = 100;
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
    back.frameCount = -100;
    m.events.push_back(back);
  }
  m.timelines[0].events = m.events;
  return GUICore::MakeSWF(GUICore::GetPreviewFolder() / GUICore::kPreviewMovie, true) == GUICore::BuildResult::Done;
}

void Mouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(to->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(to, &e);
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  return done();
}

// Opens the dialog on the last event, expands its pane with real-time
// redraw, and drags the square's corner for `seconds`.
void DragFor(benchmark::State& state, bool movieUnderneath) {
  GUICore::Model& m = GUICore::State();
  m.events.push_back(Square());
  m.timelines[0].events = m.events;
  EventListModule::LoadRows();
  auto& v = EventListModule::Current();
  const auto last = static_cast<size_t>(m.events.count() - 1);
  v.rows.at(last).selected = -1;
  v.currentRow = static_cast<int32_t>(last);
  gui::MainGUI::instance()->ListEventProperty();
  gui::EventDialog* dialog = gui::EventDialog::instance();
  gui::LivePicturePane* pane = dialog->picturePane();
  // The dialog's controls, by their names. The dialog remembers whether
  // its pane was expanded, and the checks run their commands when clicked.
  const auto check = [&](const char* name) {
    auto* box = dialog->findChild<QCheckBox*>(QString::fromLatin1(name));
    if (!box->isChecked()) box->click();
  };
  check("expandPaneCheck");
  dialog->findChild<QComboBox*>(QStringLiteral("zoomList"))->setEditText(QStringLiteral("100%"));
  pane->applyZoom();
  dialog->findChild<QCheckBox*>(QStringLiteral("realTimeCheck"))->setChecked(true);
  if (movieUnderneath) {
    check("movieUnderneathCheck");
    // Every placement of the project is on the stage at frame 50.
    auto* frameSlider = dialog->findChild<QScrollBar*>(QStringLiteral("frameSlider"));
    frameSlider->setMaximum(100);
    frameSlider->setValue(50);
  }
  if (!WaitFor([&] { return pane->picturesLoaded() > 0 && !pane->rebuildPending(); }, 120000)) {
    state.SkipWithError("the first picture never loaded");
    return;
  }
  auto at = [&](double x, double y) {
    const LivePicture::PanePoint p = pane->PosTwipToScr(x * 20, y * 20);
    return QPoint(p.x, p.y);
  };
  QWidget* o = dialog->findChild<QWidget*>(QStringLiteral("overlay"));
  for (auto _ : state) {
    const int before = pane->picturesLoaded(), writtenBefore = pane->picturesWritten();
    Mouse(o, QEvent::MouseMove, at(140, 140), Qt::NoButton);
    Mouse(o, QEvent::MouseButtonPress, at(140, 140), Qt::LeftButton);
    const auto start = std::chrono::steady_clock::now();
    int moves = 0;
    double seconds = 0;
    while (seconds < 3.0) {
      ++moves;
      Mouse(o, QEvent::MouseMove, at(140 + moves % 60, 140 + moves % 60), Qt::LeftButton);
      WaitFor([] { return false; }, 10);
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Mouse(o, QEvent::MouseButtonRelease, at(140, 140), Qt::NoButton);
    WaitFor([&] { return !pane->rebuildPending(); }, 60000);
    state.SetIterationTime(seconds);
    state.counters["rebuilds_per_s"] = (pane->picturesLoaded() - before) / seconds;
    state.counters["moves_per_s"] = moves / seconds;
    // Pictures whose load never reported (the pane waited for them in vain).
    state.counters["unreported"] = (pane->picturesWritten() - writtenBefore) - (pane->picturesLoaded() - before);
  }
  gui::EventDialog::UnloadInstance();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_LivePictureDrag_SimpleEvent(benchmark::State& state) {
  NewProjectWithSquare();
  DragFor(state, false);
}
BENCHMARK(BM_LivePictureDrag_SimpleEvent)->UseManualTime()->Iterations(2)->Unit(benchmark::kSecond);

void BM_LivePictureDrag_10000EventsBusiestFrame(benchmark::State& state) {
  if (!LargeProject()) {
    state.SkipWithError("the project's preview movie was not built");
    return;
  }
  DragFor(state, true);
}
BENCHMARK(BM_LivePictureDrag_10000EventsBusiestFrame)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (::geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  const QString reason = player::RuffleFlashView::unavailableReason();
  if (!reason.isEmpty()) {
    std::fprintf(stderr, "ui_live_picture_bench: %s\n", qPrintable(reason));
    return 1;
  }
  gFolder = fs::temp_directory_path() / ("tesmiro-live-picture-bench-" + std::to_string(getpid()));
  fs::create_directories(gFolder);
  {
    gui::QtPorts ports;
    const gui::DesktopServices desktop = gui::QtDesktopServices();
    core::Installation core({AppPaths::InFolder(gFolder), ports.services(), desktop.fileDialogs});
    gui::MainGUI window;
    window.startUp(QString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::error_code ec;
  fs::remove_all(gFolder, ec);
  return 0;
}
