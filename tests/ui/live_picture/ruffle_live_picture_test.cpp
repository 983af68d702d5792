// The event dialog's live picture in the real web player: a handle dragged
// with real-time redraw updates the boxes at once while the picture
// follows, one load at a time; and with the movie underneath, the frame
// readout agrees with the frame the movie itself reports.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <fstream>
#include <functional>

#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "project/event_list_view.h"
#include "project/list_models.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/live_picture_view.h"
#include "project/model.h"
#include "support/checkers.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "swf/swf_writer.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/live_picture_pane.h"
#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;
using gui::LivePicturePane;
namespace fs = std::filesystem;

class RuffleLivePicture : public MainGuiTest {
 protected:
  void SetUp() override {
    const QString reason = player::RuffleFlashView::unavailableReason();
    if (!reason.isEmpty()) REQUIRE_CHECKER("web player not available: " + reason.toStdString());
    start();
    window().show();
    ProjectSettings& s = GUICore::State().settings;
    s.width = 320;
    s.height = 240;
    WriteRedSquareKvg(temp.path() / "red.kvg");
    StoreItem square = NewStoreItem(StoreItemKind::VectorImage);
    square.id = 1;
    square.name = (temp.path() / "red.kvg").string();
    GUICore::State().store.push_back(square);
    // 30 frames of the square moving from (20, 100) to (200, 100).
    EventRecord e = NewEventFor(StoreItemKind::VectorImage);
    e.itemId = 1;
    e.frameCount = 30;
    e.startX = 20;
    e.startY = e.endY = 100;
    e.endX = 200;
    e.startScaleX = e.startScaleY = e.endScaleX = e.endScaleY = 1.0f;
    GUICore::State().events.push_back(e);
    GUICore::State().timelines[0].events = GUICore::State().events;
    EventListModule::LoadRows();
    auto& v = EventListModule::Current();
    v.rows[0].selected = -1;
    v.currentRow = 0;
    window().ListEventProperty();
    Settle();
    dialog = EventDialog::instance();
    ASSERT_NE(dialog, nullptr);
    pane = dialog->picturePane();
    Control<QCheckBox>(dialog, "expandPaneCheck")->click();
    Control<QComboBox>(dialog, "zoomList")->setEditText(QStringLiteral("100%"));
    pane->applyZoom();
    // The first picture starts the web engine and compiles the player: on a
    // machine busy with other tests that takes as long as the other first
    // loads of the real player are given.
    ASSERT_TRUE(WaitUntil([&] { return pane->picturesLoaded() > 0 && !pane->rebuildPending(); }, 90000))
        << "the first picture never loaded";
  }
  void TearDown() override {
    if (HasFailure() && dialog) SaveGrab(dialog, "RuffleLivePicture");
    MainGuiTest::TearDown();
  }
  QPoint At(double x, double y) const {
    const LivePicture::PanePoint p = pane->PosTwipToScr(x * 20, y * 20);
    return {p.x, p.y};
  }
  // The colour of a stage pixel as the player shows it.
  QRgb StagePixel(int x, int y) const {
    const QImage shot = Control<player::FlashHost>(dialog, "flashHost")->grab().toImage();
    return shot.pixel(x, y) & 0xFFFFFF;
  }
  // The movie underneath reports itself stopped at this frame (1-based).
  bool HeldAt(int frame) const {
    const player::FlashHost* host = Control<player::FlashHost>(dialog, "flashHost");
    return host->frameNum() + 1 == frame && !host->isPlaying();
  }
  // What a failed wait leaves to look at.
  std::string State() const {
    const player::FlashHost* host = Control<player::FlashHost>(dialog, "flashHost");
    const player::FlashCapabilities caps = host->capabilities();
    return "pictures written " + std::to_string(pane->picturesWritten()) + ", loaded " +
           std::to_string(pane->picturesLoaded()) + ", pending " + (pane->rebuildPending() ? "yes" : "no") +
           ", frame reports " + (caps.testFlag(player::FlashCapability::FrameReports) ? "yes" : "no") +
           ", playing " + (host->isPlaying() ? "yes" : "no") + ", movie " + host->moviePath().toStdString();
  }
  void Settled() {
    ASSERT_TRUE(WaitUntil([&] { return !pane->rebuildPending(); })) << "the picture never caught up";
  }

  EventDialog* dialog = nullptr;
  LivePicturePane* pane = nullptr;
};

TEST_F(RuffleLivePicture, ADraggedHandleMovesTheBoxesAtOnceAndThePictureFollows) {
  ASSERT_EQ(Control<player::FlashHost>(dialog, "flashHost")->size(), QSize(320, 240));
  // The player has painted the square at its draw position.
  ASSERT_TRUE(WaitUntil([&] { return StagePixel(40, 120) == 0xFF0000; })) << "the square never showed";
  EXPECT_EQ(StagePixel(72, 152), 0xFFFFFFu);

  Control<QCheckBox>(dialog, "realTimeCheck")->click();  // real-time redraw
  const int written = pane->picturesWritten();
  QWidget* o = Control<gui::PictureOverlay>(dialog, "overlay");
  MouseMove(o, At(60, 140));
  MousePress(o, At(60, 140));
  constexpr int kSteps = 10;
  for (int step = 1; step <= kSteps; ++step) {
    MouseMove(o, At(60 + 2 * step, 140 + 2 * step), Qt::LeftButton);
    EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QString::number(1 + step / 20.0))
        << "the boxes follow each step";
    Settle();  // the step's picture is written while the last one still loads
  }
  MouseRelease(o, At(80, 160));
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QStringLiteral("1.5"));
  Settled();
  // Loads took their turns: fewer pictures than steps, the last one current.
  EXPECT_LT(pane->picturesWritten() - written, kSteps + 1);
  EXPECT_GT(pane->picturesWritten(), written);
  ASSERT_TRUE(WaitUntil([&] { return StagePixel(72, 152) == 0xFF0000; })) << "the picture never showed the new size";
  EXPECT_EQ(StagePixel(85, 165), 0xFFFFFFu);
}

// The player's process may end under the picture: the stage says so, and
// the next picture comes in a new player.
TEST_F(RuffleLivePicture, ThePictureAfterThePlayerStoppedComesInANewPlayer) {
  const QPointer<player::FlashHost> ended = Control<player::FlashHost>(dialog, "flashHost");
  ASSERT_TRUE(WaitUntil([&] { return StagePixel(40, 120) == 0xFF0000; })) << "the square never showed";
  ASSERT_TRUE(EndPageProcess(ended));
  ASSERT_TRUE(WaitUntil([&] { return !ended->shownFailure().isEmpty(); })) << "the stage never said the player stopped";
  EXPECT_JAPANESE(ended->shownFailure().toStdString());
  pane->MakePictPreview(true, false);
  Settled();
  EXPECT_TRUE(ended.isNull()) << "the stopped player was kept";
  EXPECT_TRUE(WaitUntil([&] { return StagePixel(40, 120) == 0xFF0000; })) << State();
}

TEST_F(RuffleLivePicture, TheFrameReadoutIsTheMovieUnderneathsOwnFrame) {
  auto* underneath = Control<QCheckBox>(dialog, "movieUnderneathCheck");
  auto* playButton = Control<QPushButton>(dialog, "playButton");
  auto* frameSlider = Control<QScrollBar>(dialog, "frameSlider");
  auto* frameLabel = Control<QLabel>(dialog, "frameLabel");
  player::FlashHost* host = Control<player::FlashHost>(dialog, "flashHost");
  for (char version : {'4', '6', '8'}) {
    SCOPED_TRACE(version);
    GUICore::State().settings.options[2] = version;
    if (underneath->isChecked()) {
      underneath->click();
      Settled();
    }
    // The movie underneath is the project's last preview, in this version.
    ASSERT_EQ(GUICore::MakeSWF(GUICore::GetPreviewFolder() / GUICore::kPreviewMovie, true), GUICore::BuildResult::Done);
    // The kept definitions were written for the last version.
    SWFMakeCore::ClearMovieCache();
    underneath->click();
    EXPECT_TRUE(Control<QWidget>(dialog, "playbackBar")->isVisible());
    Settled();
    // Stopped, the movie underneath waits at the readout's frame.
    ASSERT_TRUE(WaitUntil([&] { return HeldAt(frameSlider->value()); }))
        << "the movie reports frame " << host->frameNum() + 1 << ", the readout " << frameSlider->value() << "; "
        << State();

    playButton->click();  // play: it goes on from there
    ASSERT_TRUE(WaitUntil([&] { return frameSlider->maximum() == 30 && frameSlider->value() > 3; }))
        << "the readout never followed the movie: total " << host->totalFrames() << " frame "
        << host->frameNum() << " playing " << host->isPlaying() << " timer "
        << pane->timerInterval() << " " << pane->timerRunning() << "; " << State();
    EXPECT_TRUE(pane->timerRunning());
    EXPECT_EQ(frameLabel->text(), QString::number(frameSlider->value()));

    playButton->click();  // stop: the movie underneath holds at the shown frame
    const int shown = frameSlider->value();
    Settled();
    ASSERT_TRUE(WaitUntil([&] { return HeldAt(shown); }))
        << "the movie reports frame " << host->frameNum() + 1 << ", the readout " << shown << "; " << State();
    // A stopped movie shows nothing to wait for: the page's frames pass.
    ASSERT_TRUE(WaitForPageFrames(host, 20)) << State();
    EXPECT_EQ(host->frameNum() + 1, shown) << "it holds there";
    EXPECT_EQ(frameSlider->value(), shown);

    // Another frame chosen while stopped: the movie goes there.
    frameSlider->setValue(7);
    Settled();
    ASSERT_TRUE(WaitUntil([&] { return HeldAt(7); }));
    EXPECT_EQ(frameLabel->text(), QStringLiteral("7"));
  }
}

}  // namespace
}  // namespace tesmiro::testing
