// The event dialog's live picture with a player the test drives: the pane
// expanded, zoomed and scrolled, the handles drawn over the picture, and a
// handle dragged into the boxes while the rebuilds wait for the player.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "project/event_list_view.h"
#include "project/list_models.h"
#include "project/events.h"
#include "project/filter_work_area.h"
#include "project/gui_core.h"
#include "project/live_picture_view.h"
#include "project/model.h"
#include "platform/app_paths.h"
#include "project/preferences.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/live_picture_pane.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;
using gui::LivePicturePane;

QRgb Rgb(const QImage& shot, QPoint at) { return shot.pixel(at) & 0xFFFFFF; }
QRgb Rgb(const QColor& c) { return c.rgb() & 0xFFFFFF; }
constexpr QRgb kBlack = 0x000000, kWhite = 0xFFFFFF, kBlue = 0x0000FF;

class LivePicturePaneTest : public MainGuiTest {
 protected:
  void SetUp() override {
    start();
    ProjectSettings& s = GUICore::State().settings;
    s.width = 320;
    s.height = 240;
    s.backgroundRed = 0;
    s.backgroundGreen = 0;
    s.backgroundBlue = 255;
    // A 100 x 50 picture placed at (100, 80) of the stage, unscaled.
    const auto png = temp.path() / "wide.png";
    QImage wide(100, 50, QImage::Format_RGB32);
    wide.fill(Qt::green);
    ASSERT_TRUE(wide.save(QString::fromStdString(png.string())));
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = 1;
    item.name = png.string();
    GUICore::State().store.push_back(item);
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = 1;
    e.frameCount = 1;
    e.startX = 100;
    e.startY = 80;
    e.startScaleX = e.startScaleY = 1.0f;
    GUICore::State().events.push_back(e);
    EventListModule::LoadRows();
    auto& v = EventListModule::Current();
    v.rows[0].selected = -1;
    v.currentRow = 0;
    window().ListEventProperty();
    Settle();
    dialog = EventDialog::instance();
    ASSERT_NE(dialog, nullptr);
    pane = dialog->picturePane();
    ASSERT_NE(pane, nullptr);
    // A collapsed pane starts no player.
    EXPECT_EQ(dialog->findChild<player::FlashHost*>(QStringLiteral("flashHost")), nullptr);
    Control<QCheckBox>(dialog, "expandPaneCheck")->click();
    Settle();
    host = qobject_cast<FakeFlashHost*>(Control<player::FlashHost>(dialog, "flashHost"));
    ASSERT_NE(host, nullptr);
    host->picture = QImage(1, 1, QImage::Format_ARGB32);
    host->picture.fill(Qt::transparent);
  }
  void TearDown() override {
    if (HasFailure() && dialog) SaveGrab(dialog, "LivePicturePane");
    MainGuiTest::TearDown();
  }
  void Zoom(const char* text) {
    Control<QComboBox>(dialog, "zoomList")->setEditText(QString::fromLatin1(text));
    pane->applyZoom();
    Settle();
  }
  // Where a point of the stage (pixels) lies in the pane.
  QPoint At(double x, double y) const {
    const LivePicture::PanePoint p = pane->PosTwipToScr(x * 20, y * 20);
    return {p.x, p.y};
  }
  // Presses at one stage point, moves to another, and optionally releases.
  void Drag(QPointF from, QPointF to, bool release) {
    QWidget* o = Control<gui::PictureOverlay>(dialog, "overlay");
    MouseMove(o, At(from.x(), from.y()));
    MousePress(o, At(from.x(), from.y()));
    MouseMove(o, At(to.x(), to.y()), Qt::LeftButton);
    if (release) MouseRelease(o, At(to.x(), to.y()));
  }

  FakeFlashHosts hosts;
  EventDialog* dialog = nullptr;
  LivePicturePane* pane = nullptr;
  FakeFlashHost* host = nullptr;
};

TEST_F(LivePicturePaneTest, TheExpandedPaneShowsTheStageAtItsZoomAndScroll) {
  EXPECT_EQ(Control<QCheckBox>(dialog, "expandPaneCheck")->text(), QStringLiteral("<"));
  EXPECT_GT(dialog->width(), dialog->designSize().width());
  EXPECT_TRUE(Control<QWidget>(dialog, "PictPreview")->isVisibleTo(dialog));
  EXPECT_EQ(host->calls.filter(QStringLiteral("load ")).size(), 1);
  EXPECT_EQ(host->backgroundColor(), 0x0000FFu);

  // 100 %: the whole stage, centred, with the pane's own colour around it.
  Zoom("100%");
  const QColor around = Control<QWidget>(dialog, "PictPreview")->palette().color(QPalette::Window);
  QImage shot = Control<QWidget>(dialog, "PictPreview")->grab().toImage();
  LivePicture::StageRect r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_EQ(host->geometry(), QRect(r.left, r.top, r.width(), r.height()));
  EXPECT_EQ(r.width(), 320);
  EXPECT_FALSE(Control<QScrollBar>(dialog, "HScrollPict")->isEnabled());
  EXPECT_EQ(Rgb(shot, QPoint(r.left + 20, r.top + 200)), kBlue);
  EXPECT_EQ(Rgb(shot, QPoint(r.left - 3, r.top + 200)), Rgb(around));
  // The corner handles: black, ringed in white.
  const QPoint corner = At(200, 130);
  EXPECT_EQ(Rgb(shot, corner), kBlack);
  EXPECT_EQ(Rgb(shot, At(100, 80)), kBlack);
  EXPECT_EQ(Rgb(shot, corner + QPoint(20, 0)), kBlue);

  // 200 % scrolled: the stage outgrows the pane, the handles follow it.
  Zoom("200%");
  EXPECT_EQ(Control<QComboBox>(dialog, "zoomList")->currentText(), QStringLiteral("200%"));
  ASSERT_TRUE(Control<QScrollBar>(dialog, "HScrollPict")->isEnabled());
  const QPoint before = At(200, 130);
  Control<QScrollBar>(dialog, "HScrollPict")->setValue(Control<QScrollBar>(dialog, "HScrollPict")->maximum());
  Settle();
  const QPoint after = At(200, 130);
  EXPECT_NE(after.x(), before.x());
  shot = Control<QWidget>(dialog, "PictPreview")->grab().toImage();
  r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_EQ(host->geometry(), QRect(r.left, r.top, r.width(), r.height()));
  EXPECT_EQ(r.width(), 640);
  EXPECT_EQ(Rgb(shot, after), kBlack);
  EXPECT_EQ(Rgb(shot, after + QPoint(-3, -3)), kWhite);
  EXPECT_EQ(Rgb(shot, after + QPoint(30, 0)), kBlue);

  // Beyond the limits the zoom box says what it shows.
  Zoom("5000%");
  EXPECT_EQ(Control<QComboBox>(dialog, "zoomList")->currentText(), QStringLiteral("1600%"));
  EXPECT_FLOAT_EQ(pane->zoom(), LivePicture::kMaxZoom);
  // "全体" fits the stage into the pane.
  Control<QPushButton>(dialog, "fitButton")->click();
  Settle();
  r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_LE(r.width(), Control<QWidget>(dialog, "PictPreview")->width());
  EXPECT_LE(r.height(), Control<QWidget>(dialog, "PictPreview")->height());
  EXPECT_GT(r.width(), Control<QWidget>(dialog, "PictPreview")->width() * 9 / 10);
}

TEST_F(LivePicturePaneTest, DraggingACornerScalesIntoTheBoxes) {
  Zoom("100%");
  EXPECT_FALSE(Control<QPushButton>(dialog, "applyButton")->isEnabled());
  // Without real-time redraw the boxes follow on the release.
  Drag({200, 130}, {250, 155}, false);
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QStringLiteral("1"));
  MouseRelease(Control<gui::PictureOverlay>(dialog, "overlay"), At(250, 155));
  Settle();
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QStringLiteral("1.5"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawXBox")->text(), QStringLiteral("100"));
  EXPECT_TRUE(Control<QPushButton>(dialog, "applyButton")->isEnabled());
  // The handles were computed afresh from the boxes.
  EXPECT_EQ(Rgb(Control<QWidget>(dialog, "PictPreview")->grab().toImage(), At(250, 155)), kBlack);

  // Dragging the middle moves the picture.
  Drag({175, 117.5}, {185, 127.5}, true);
  Settle();
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawXBox")->text(), QStringLiteral("110"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawYBox")->text(), QStringLiteral("90"));
}

TEST_F(LivePicturePaneTest, RealTimeRebuildsWaitForThePlayerAndTakeTheLatestFields) {
  Zoom("100%");
  Control<QCheckBox>(dialog, "realTimeCheck")->click();
  host->loadsAtOnce = false;
  const int written = pane->picturesWritten();
  QWidget* o = Control<gui::PictureOverlay>(dialog, "overlay");
  MouseMove(o, At(200, 130));
  MousePress(o, At(200, 130));
  for (int step = 1; step <= 10; ++step) {
    MouseMove(o, At(200 + step * 4, 130 + step * 2), Qt::LeftButton);
    Settle();
    // The boxes follow every step at once.
    EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QString::number(1 + step * 0.04)) << step;
  }
  // One picture went to the player; the rest wait for it to load.
  EXPECT_EQ(pane->picturesWritten(), written + 1);
  EXPECT_TRUE(pane->rebuildPending());
  host->finishLoad();
  Settle();
  EXPECT_EQ(pane->picturesWritten(), written + 2);
  host->finishLoad();
  Settle();
  EXPECT_FALSE(pane->rebuildPending());
  EXPECT_EQ(pane->picturesWritten(), written + 2);
  MouseRelease(o, At(240, 150));
  Settle();
  EXPECT_EQ(Control<QLineEdit>(dialog, "drawSizeBox")->text(), QStringLiteral("1.4"));
}

TEST_F(LivePicturePaneTest, ThePaneComesBackAsItWasLeftWhenTheDialogOpensAgain) {
  dialog->resize(dialog->designSize() + QSize(150, 20));
  Settle();
  const QSize expanded = dialog->size();
  auto reopen = [this] {
    window().ListEventProperty();  // Ctrl+P
    Settle();
    dialog = EventDialog::instance();
    return dialog != nullptr && Control<QCheckBox>(dialog, "expandPaneCheck")->isChecked() &&
           Control<QWidget>(dialog, "PictPreview")->isVisibleTo(dialog);
  };
  Control<QPushButton>(dialog, "closeButton")->click();
  Settle();
  EXPECT_TRUE(reopen()) << "closed";
  EXPECT_EQ(dialog->size(), expanded);

  // Kept open after Apply: closed and opened again, and opened while shown.
  Prefs::Current().dispEventProperty = 1;
  Control<QPushButton>(dialog, "closeButton")->click();
  Settle();
  EXPECT_TRUE(reopen()) << "kept open, closed";
  EXPECT_TRUE(reopen()) << "kept open, shown";
  EXPECT_EQ(dialog->size(), expanded);

  // Collapsed, it comes back collapsed.
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Control<QPushButton>(dialog, "closeButton")->click();
  Settle();
  EXPECT_FALSE(reopen());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->size(), dialog->designSize());
}

TEST_F(LivePicturePaneTest, CollapsingKeepsTheExpandedSizeForNextTime) {
  dialog->resize(dialog->designSize() + QSize(200, 50));
  Settle();
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Settle();
  EXPECT_EQ(dialog->size(), dialog->designSize());
  EXPECT_FALSE(Control<QWidget>(dialog, "PictPreview")->isVisibleTo(dialog));
  EXPECT_EQ(Prefs::Current().pictEventPreview & 1, 0);
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Settle();
  EXPECT_EQ(dialog->size(), dialog->designSize() + QSize(200, 50));
  EXPECT_EQ(Prefs::Current().pictEventPreview & 1, 1);
  // The buttons keep to the bottom edge.
  EXPECT_EQ(Control<QPushButton>(dialog, "applyButton")->geometry().bottom(), dialog->height() - 5);

  // A size from a damaged settings file still fits the screen.
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Prefs::Current().epWidth = 2000000000;
  Prefs::Current().epHeight = 2000000000;
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Settle();
  EXPECT_LE(dialog->width(), dialog->screen()->availableGeometry().width());
  EXPECT_LE(dialog->height(), dialog->screen()->availableGeometry().height());
  EXPECT_GE(dialog->width(), dialog->designSize().width());
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(LivePicturePaneTest, TheMovieUnderneathFollowsThePlayButtonAndHoldsAtTheChosenFrame) {
  Control<QCheckBox>(dialog, "movieUnderneathCheck")->click();
  Settle();
  EXPECT_TRUE(Control<QWidget>(dialog, "playbackBar")->isVisibleTo(dialog));
  EXPECT_GT(pane->timerInterval(), 0);  // the movie underneath moves
  host->framesOnLoad = 30;
  // Playing: the slider takes the movie's own frame and length.
  Control<QPushButton>(dialog, "playButton")->click();
  Settle();
  host->finishLoad();
  host->reportFrame(11);
  pane->onPlaybackTick();
  EXPECT_EQ(Control<QScrollBar>(dialog, "frameSlider")->maximum(), 30);
  EXPECT_EQ(Control<QScrollBar>(dialog, "frameSlider")->value(), 12);
  EXPECT_EQ(Control<QLabel>(dialog, "frameLabel")->text(), QStringLiteral("12"));
  // Stopped: the movie is taken back to the slider's frame when it runs on.
  Control<QPushButton>(dialog, "playButton")->click();
  Settle();
  host->finishLoad();
  host->calls.clear();
  host->reportFrame(2);
  pane->onPlaybackTick();
  EXPECT_EQ(host->calls, QStringList{QStringLiteral("goto 11")});
  host->calls.clear();
  pane->onPlaybackTick();
  EXPECT_TRUE(host->calls.isEmpty()) << "it holds there";
  // A movie still loading is left alone, and so is the slider.
  host->loadsAtOnce = false;
  Control<QScrollBar>(dialog, "frameSlider")->setValue(5);
  Settle();
  host->calls.clear();
  pane->onPlaybackTick();
  EXPECT_TRUE(host->calls.filter(QStringLiteral("goto")).isEmpty());
  EXPECT_EQ(Control<QScrollBar>(dialog, "frameSlider")->value(), 5);
  host->calls.clear();
  host->finishLoad();
  Settle();
  pane->onPlaybackTick();
  // The pane's own timer may have ticked while events ran: one goto either way.
  EXPECT_EQ(host->calls.filter(QStringLiteral("goto")), QStringList{QStringLiteral("goto 4")});
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(LivePicturePaneTest, UnusableStagesRatesAndZoomsStayInBounds) {
  Zoom("200%");
  Control<QScrollBar>(dialog, "HScrollPict")->setValue(Control<QScrollBar>(dialog, "HScrollPict")->maximum());
  Settle();
  const int hMax = Control<QScrollBar>(dialog, "HScrollPict")->maximum(),
            hValue = Control<QScrollBar>(dialog, "HScrollPict")->value();
  ProjectSettings& s = GUICore::State().settings;

  // A stage of no width: fitting and the scroll ranges keep what they had.
  s.width = 0;
  Control<QPushButton>(dialog, "fitButton")->click();
  pane->UpdatePreviewScrollRanges();
  pane->DrawPreview(0);
  Settle();
  EXPECT_EQ(Control<QComboBox>(dialog, "zoomList")->currentText(), QStringLiteral("200%"));
  EXPECT_FLOAT_EQ(pane->zoom(), 2.0f);
  EXPECT_EQ(Control<QScrollBar>(dialog, "HScrollPict")->maximum(), hMax);
  EXPECT_EQ(Control<QScrollBar>(dialog, "HScrollPict")->value(), hValue);

  // A wide stage: the view stays within 16384 pixels.
  s.width = 8000;
  s.height = 100;
  Zoom("1600%");
  EXPECT_EQ(Control<QComboBox>(dialog, "zoomList")->currentText(), QStringLiteral("204%"));
  EXPECT_LE(host->width(), LivePicture::kMaxViewPixels);
  EXPECT_GT(host->width(), 16000);

  // A frame rate of 0 or below ticks at a new project's rate.
  for (float rate : {0.0f, -5.0f}) {
    s.frameRate = rate;
    Control<QCheckBox>(dialog, "movieUnderneathCheck")->click();
    Settle();
    if (!Control<QCheckBox>(dialog, "movieUnderneathCheck")->isChecked())
      Control<QCheckBox>(dialog, "movieUnderneathCheck")->click();
    EXPECT_EQ(pane->timerInterval(), 83) << rate;
    EXPECT_TRUE(pane->timerRunning());
  }
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(LivePicturePaneTest, GuideAnchorsFromTheMouseAndTheGuideMenu) {
  Zoom("100%");
  // A motion from (100, 80) to (200, 80).
  Control<QLineEdit>(dialog, "frameCountBox")->setText(QStringLiteral("10"));
  Control<QLineEdit>(dialog, "moveXBox")->setText(QStringLiteral("200"));
  Control<QLineEdit>(dialog, "moveYBox")->setText(QStringLiteral("80"));
  Control<QCheckBox>(dialog, "guideCheck")->click();
  Settle();
  ASSERT_TRUE(Control<QPushButton>(dialog, "guideMenuButton")->isVisibleTo(dialog));
  GUICore::FilterWorkArea& area = GUICore::WorkArea();
  EXPECT_EQ(area.guideMode, 0);
  // A red stage, so that the blue anchor shows.
  GUICore::State().settings.backgroundRed = 255;
  GUICore::State().settings.backgroundBlue = 0;

  Click(Control<gui::PictureOverlay>(dialog, "overlay"), At(150, 81), Qt::RightButton);
  Settle();
  ASSERT_EQ(area.anchors.size(), 1u);
  EXPECT_EQ(area.anchors[0].x, 150 * 20);
  EXPECT_EQ(area.anchors[0].y, 81 * 20);
  EXPECT_EQ(area.guideMode, 1);
  EXPECT_TRUE(Control<QPushButton>(dialog, "applyButton")->isEnabled());
  // The anchor is drawn where it lies.
  const QImage shot = Control<QWidget>(dialog, "PictPreview")->grab().toImage();
  EXPECT_EQ(Rgb(shot, At(150, 81)), kBlue);
  EXPECT_EQ(Rgb(shot, At(150, 90)), 0xFF0000u);

  desktop.popups.choices.push_back(QStringLiteral("curvedGuideAction"));
  Control<QPushButton>(dialog, "guideMenuButton")->click();
  EXPECT_EQ(area.guideMode, 2);
  EXPECT_TRUE(Control<QAction>(dialog, "curvedGuideAction")->isChecked());
  desktop.popups.choices.push_back(QStringLiteral("clearAnchorsAction"));
  Control<QPushButton>(dialog, "guideMenuButton")->click();
  Settle();
  EXPECT_TRUE(area.anchors.empty());
  EXPECT_EQ(desktop.popups.opened, (std::vector<QString>{QStringLiteral("guideMenu"), QStringLiteral("guideMenu")}));
  // The move target's boxes are where they were.
  EXPECT_EQ(Control<QLineEdit>(dialog, "moveXBox")->text(), QStringLiteral("200"));
}

// A picture that cannot be written leaves no picture that looks current:
// the stage says why (once, not a box for every rebuild) until one is
// written again. A player whose start failed is replaced at the next
// picture, in its place.
TEST_F(LivePicturePaneTest, NoFailedPictureOrPlayerIsLeftStanding) {
  auto& where = GUICore::State().paths;
  const std::filesystem::path scratch = where.scratch;
  auto rebuild = [this] { pane->onPictureDoubleClick(); Settle(); };
  where.scratch = temp.path() / "gone" / "folder";
  rebuild();
  EXPECT_EQ(host->calls.last(), QStringLiteral("release"));
  const std::string movie = (where.scratch / "_picttemp.tmp").string();
  const QString reason = host->shownFailure();
  EXPECT_TRUE(reason.startsWith(gui::ToQ("ファイル [" + movie + "] "))) << reason.toStdString();
  EXPECT_JAPANESE(gui::FromQ(reason), {movie});
  EXPECT_TRUE(Control<QLabel>(host, "failureLabel")->isVisible());
  where.scratch = AppPaths::kNoScratch;
  rebuild();
  EXPECT_EQ(host->shownFailure(), gui::ToQ(AppPaths::kNoScratchText)) << "the placeholder is not named";
  EXPECT_TRUE(ui.messages.empty());

  where.scratch = scratch;
  rebuild();
  EXPECT_TRUE(host->shownFailure().isEmpty());
  EXPECT_EQ(host->calls.last(), gui::ToQ("load " + (scratch / "_picttemp.tmp").string()));

  const QRect place = host->geometry();
  host->failedToStart = true;
  const int made = hosts.made();
  rebuild();
  ASSERT_EQ(hosts.made(), made + 1) << "the failed player was kept";
  FakeFlashHost* fresh = hosts.last();
  EXPECT_EQ(Control<player::FlashHost>(dialog, "flashHost"), fresh);
  EXPECT_EQ(fresh->calls.filter(QStringLiteral("load ")).size(), 1);
  EXPECT_EQ(fresh->geometry(), place);
  EXPECT_EQ(fresh->backgroundColor(), 0x0000FFu);
}

}  // namespace
}  // namespace tesmiro::testing
