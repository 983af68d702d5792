// The event dialog's live picture with a player the test drives: the pane
// expanded, zoomed and scrolled, the handles drawn over the picture, and a
// handle dragged into the boxes while the rebuilds wait for the player.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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
#include "project/preferences.h"
#include "support/fake_flash_host.h"
#include "support/main_gui_fixture.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/live_picture_pane.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;
using gui::LivePicturePane;

QRgb Rgb(const QImage& shot, QPoint at) { return shot.pixel(at) & 0xFFFFFF; }
QRgb Rgb(const QColor& c) { return c.rgb() & 0xFFFFFF; }
constexpr QRgb kBlack = 0x000000, kWhite = 0xFFFFFF, kBlue = 0x0000FF;

void Mouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(to->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(to, &e);
}

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
    EXPECT_EQ(pane->ShockwaveFlash1, nullptr);  // a collapsed pane starts no player
    dialog->Check5->click();
    Settle();
    host = qobject_cast<FakeFlashHost*>(pane->ShockwaveFlash1);
    ASSERT_NE(host, nullptr);
    host->picture = QImage(1, 1, QImage::Format_ARGB32);
    host->picture.fill(Qt::transparent);
  }
  void TearDown() override {
    if (HasFailure() && dialog) SaveGrab(dialog, "LivePicturePane");
    MainGuiTest::TearDown();
  }
  void Zoom(const char* text) {
    pane->Combo3->setEditText(QString::fromLatin1(text));
    pane->Combo3_Click();
    Settle();
  }
  // Where a point of the stage (pixels) lies in the pane.
  QPoint At(double x, double y) const {
    const LivePicture::PanePoint p = pane->PosTwipToScr(x * 20, y * 20);
    return {p.x, p.y};
  }
  // Presses at one stage point, moves to another, and optionally releases.
  void Drag(QPointF from, QPointF to, bool release) {
    QWidget* o = pane->overlay;
    Mouse(o, QEvent::MouseMove, At(from.x(), from.y()), Qt::NoButton);
    Mouse(o, QEvent::MouseButtonPress, At(from.x(), from.y()), Qt::LeftButton);
    Mouse(o, QEvent::MouseMove, At(to.x(), to.y()), Qt::LeftButton);
    if (release) Mouse(o, QEvent::MouseButtonRelease, At(to.x(), to.y()), Qt::NoButton);
  }

  FakeFlashHosts hosts;
  EventDialog* dialog = nullptr;
  LivePicturePane* pane = nullptr;
  FakeFlashHost* host = nullptr;
};

TEST_F(LivePicturePaneTest, TheExpandedPaneShowsTheStageAtItsZoomAndScroll) {
  EXPECT_EQ(dialog->Check5->text(), QStringLiteral("<"));
  EXPECT_GT(dialog->width(), dialog->designSize().width());
  EXPECT_TRUE(pane->PictPreview->isVisibleTo(dialog));
  EXPECT_EQ(host->calls.filter(QStringLiteral("load ")).size(), 1);
  EXPECT_EQ(host->backgroundColor(), 0x0000FFu);

  // 100 %: the whole stage, centred, with the pane's own colour around it.
  Zoom("100%");
  const QColor around = pane->PictPreview->palette().color(QPalette::Window);
  QImage shot = pane->PictPreview->grab().toImage();
  LivePicture::StageRect r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_EQ(host->geometry(), QRect(r.left, r.top, r.width(), r.height()));
  EXPECT_EQ(r.width(), 320);
  EXPECT_FALSE(pane->HScrollPict->isEnabled());
  EXPECT_EQ(Rgb(shot, QPoint(r.left + 20, r.top + 200)), kBlue);
  EXPECT_EQ(Rgb(shot, QPoint(r.left - 3, r.top + 200)), Rgb(around));
  // The corner handles: black, ringed in white.
  const QPoint corner = At(200, 130);
  EXPECT_EQ(Rgb(shot, corner), kBlack);
  EXPECT_EQ(Rgb(shot, At(100, 80)), kBlack);
  EXPECT_EQ(Rgb(shot, corner + QPoint(20, 0)), kBlue);

  // 200 % scrolled: the stage outgrows the pane, the handles follow it.
  Zoom("200%");
  EXPECT_EQ(pane->Combo3->currentText(), QStringLiteral("200%"));
  ASSERT_TRUE(pane->HScrollPict->isEnabled());
  const QPoint before = At(200, 130);
  pane->HScrollPict->setValue(pane->HScrollPict->maximum());
  Settle();
  const QPoint after = At(200, 130);
  EXPECT_NE(after.x(), before.x());
  shot = pane->PictPreview->grab().toImage();
  r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_EQ(host->geometry(), QRect(r.left, r.top, r.width(), r.height()));
  EXPECT_EQ(r.width(), 640);
  EXPECT_EQ(Rgb(shot, after), kBlack);
  EXPECT_EQ(Rgb(shot, after + QPoint(-3, -3)), kWhite);
  EXPECT_EQ(Rgb(shot, after + QPoint(30, 0)), kBlue);

  // Beyond the limits the zoom box says what it shows.
  Zoom("5000%");
  EXPECT_EQ(pane->Combo3->currentText(), QStringLiteral("1600%"));
  EXPECT_FLOAT_EQ(pane->zoom(), LivePicture::kMaxZoom);
  // "全体" fits the stage into the pane.
  pane->Command12->click();
  Settle();
  r = LivePicture::StagePlacement(pane->paneView());
  EXPECT_LE(r.width(), pane->PictPreview->width());
  EXPECT_LE(r.height(), pane->PictPreview->height());
  EXPECT_GT(r.width(), pane->PictPreview->width() * 9 / 10);
}

TEST_F(LivePicturePaneTest, DraggingACornerScalesIntoTheBoxes) {
  Zoom("100%");
  EXPECT_FALSE(dialog->Command1->isEnabled());
  // Without real-time redraw the boxes follow on the release.
  Drag({200, 130}, {250, 155}, false);
  EXPECT_EQ(dialog->Text8->text(), QStringLiteral("1"));
  Mouse(pane->overlay, QEvent::MouseButtonRelease, At(250, 155), Qt::NoButton);
  Settle();
  EXPECT_EQ(dialog->Text8->text(), QStringLiteral("1.5"));
  EXPECT_EQ(dialog->Text3->text(), QStringLiteral("100"));
  EXPECT_TRUE(dialog->Command1->isEnabled());
  // The handles were computed afresh from the boxes.
  EXPECT_EQ(Rgb(pane->PictPreview->grab().toImage(), At(250, 155)), kBlack);

  // Dragging the middle moves the picture.
  Drag({175, 117.5}, {185, 127.5}, true);
  Settle();
  EXPECT_EQ(dialog->Text3->text(), QStringLiteral("110"));
  EXPECT_EQ(dialog->Text4->text(), QStringLiteral("90"));
}

TEST_F(LivePicturePaneTest, RealTimeRebuildsWaitForThePlayerAndTakeTheLatestFields) {
  Zoom("100%");
  dialog->Check6->click();
  host->loadsAtOnce = false;
  const int written = pane->picturesWritten();
  QWidget* o = pane->overlay;
  Mouse(o, QEvent::MouseMove, At(200, 130), Qt::NoButton);
  Mouse(o, QEvent::MouseButtonPress, At(200, 130), Qt::LeftButton);
  for (int step = 1; step <= 10; ++step) {
    Mouse(o, QEvent::MouseMove, At(200 + step * 4, 130 + step * 2), Qt::LeftButton);
    Settle();
    // The boxes follow every step at once.
    EXPECT_EQ(dialog->Text8->text(), QString::number(1 + step * 0.04)) << step;
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
  Mouse(o, QEvent::MouseButtonRelease, At(240, 150), Qt::NoButton);
  Settle();
  EXPECT_EQ(dialog->Text8->text(), QStringLiteral("1.4"));
}

TEST_F(LivePicturePaneTest, ThePaneComesBackAsItWasLeftWhenTheDialogOpensAgain) {
  dialog->resize(dialog->designSize() + QSize(150, 20));
  Settle();
  const QSize expanded = dialog->size();
  auto reopen = [this] {
    window().ListEventProperty();  // Ctrl+P
    Settle();
    dialog = EventDialog::instance();
    return dialog != nullptr && dialog->Check5->isChecked() && dialog->picturePane()->PictPreview->isVisibleTo(dialog);
  };
  dialog->Command2->click();
  Settle();
  EXPECT_TRUE(reopen()) << "closed";
  EXPECT_EQ(dialog->size(), expanded);

  // Kept open after Apply: closed and opened again, and opened while shown.
  Prefs::Current().dispEventProperty = 1;
  dialog->Command2->click();
  Settle();
  EXPECT_TRUE(reopen()) << "kept open, closed";
  EXPECT_TRUE(reopen()) << "kept open, shown";
  EXPECT_EQ(dialog->size(), expanded);

  // Collapsed, it comes back collapsed.
  dialog->Check5->click();
  dialog->Command2->click();
  Settle();
  EXPECT_FALSE(reopen());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->size(), dialog->designSize());
}

TEST_F(LivePicturePaneTest, CollapsingKeepsTheExpandedSizeForNextTime) {
  dialog->resize(dialog->designSize() + QSize(200, 50));
  Settle();
  dialog->Check5->click();
  Settle();
  EXPECT_EQ(dialog->size(), dialog->designSize());
  EXPECT_FALSE(pane->PictPreview->isVisibleTo(dialog));
  EXPECT_EQ(Prefs::Current().pictEventPreview & 1, 0);
  dialog->Check5->click();
  Settle();
  EXPECT_EQ(dialog->size(), dialog->designSize() + QSize(200, 50));
  EXPECT_EQ(Prefs::Current().pictEventPreview & 1, 1);
  // The buttons keep to the bottom edge.
  EXPECT_EQ(dialog->Command1->geometry().bottom(), dialog->height() - 5);

  // A size from a damaged settings file still fits the screen.
  dialog->Check5->click();
  Prefs::Current().epWidth = 2000000000;
  Prefs::Current().epHeight = 2000000000;
  dialog->Check5->click();
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
  pane->Check8->click();
  Settle();
  EXPECT_TRUE(pane->PictToolBox3->isVisibleTo(dialog));
  EXPECT_GT(pane->timerInterval(), 0);  // the movie underneath moves
  host->framesOnLoad = 30;
  // Playing: the slider takes the movie's own frame and length.
  pane->Command14->click();
  Settle();
  host->finishLoad();
  host->reportFrame(11);
  pane->Timer1_Timer();
  EXPECT_EQ(pane->HScroll6->maximum(), 30);
  EXPECT_EQ(pane->HScroll6->value(), 12);
  EXPECT_EQ(pane->Label14->text(), QStringLiteral("12"));
  // Stopped: the movie is taken back to the slider's frame when it runs on.
  pane->Command14->click();
  Settle();
  host->finishLoad();
  host->calls.clear();
  host->reportFrame(2);
  pane->Timer1_Timer();
  EXPECT_EQ(host->calls, QStringList{QStringLiteral("goto 11")});
  host->calls.clear();
  pane->Timer1_Timer();
  EXPECT_TRUE(host->calls.isEmpty()) << "it holds there";
  // A movie still loading is left alone, and so is the slider.
  host->loadsAtOnce = false;
  pane->HScroll6->setValue(5);
  Settle();
  host->calls.clear();
  pane->Timer1_Timer();
  EXPECT_TRUE(host->calls.filter(QStringLiteral("goto")).isEmpty());
  EXPECT_EQ(pane->HScroll6->value(), 5);
  host->calls.clear();
  host->finishLoad();
  Settle();
  pane->Timer1_Timer();
  // The pane's own timer may have ticked while events ran: one goto either way.
  EXPECT_EQ(host->calls.filter(QStringLiteral("goto")), QStringList{QStringLiteral("goto 4")});
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(LivePicturePaneTest, UnusableStagesRatesAndZoomsStayInBounds) {
  Zoom("200%");
  pane->HScrollPict->setValue(pane->HScrollPict->maximum());
  Settle();
  const int hMax = pane->HScrollPict->maximum(), hValue = pane->HScrollPict->value();
  ProjectSettings& s = GUICore::State().settings;

  // A stage of no width: fitting and the scroll ranges keep what they had.
  s.width = 0;
  pane->Command12->click();
  pane->UpdatePreviewScrollRanges();
  pane->DrawPreview(0);
  Settle();
  EXPECT_EQ(pane->Combo3->currentText(), QStringLiteral("200%"));
  EXPECT_FLOAT_EQ(pane->zoom(), 2.0f);
  EXPECT_EQ(pane->HScrollPict->maximum(), hMax);
  EXPECT_EQ(pane->HScrollPict->value(), hValue);

  // A wide stage: the view stays within 16384 pixels.
  s.width = 8000;
  s.height = 100;
  Zoom("1600%");
  EXPECT_EQ(pane->Combo3->currentText(), QStringLiteral("204%"));
  EXPECT_LE(host->width(), LivePicture::kMaxViewPixels);
  EXPECT_GT(host->width(), 16000);

  // A frame rate of 0 or below ticks at a new project's rate.
  for (float rate : {0.0f, -5.0f}) {
    s.frameRate = rate;
    pane->Check8->click();
    Settle();
    if (!pane->Check8->isChecked()) pane->Check8->click();
    EXPECT_EQ(pane->timerInterval(), 83) << rate;
    EXPECT_TRUE(pane->timerRunning());
  }
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

void RightClick(QWidget* to, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(to->mapToGlobal(at)), Qt::RightButton,
                    Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(to, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(to->mapToGlobal(at)), Qt::RightButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(to, &release);
}

TEST_F(LivePicturePaneTest, GuideAnchorsFromTheMouseAndTheGuideMenu) {
  Zoom("100%");
  // A motion from (100, 80) to (200, 80).
  dialog->Text2->setText(QStringLiteral("10"));
  dialog->Text5->setText(QStringLiteral("200"));
  dialog->Text6->setText(QStringLiteral("80"));
  dialog->Check9->click();
  Settle();
  ASSERT_TRUE(dialog->Command13->isVisibleTo(dialog));
  GUICore::FilterWorkArea& area = GUICore::WorkArea();
  EXPECT_EQ(area.guideMode, 0);
  // A red stage, so that the blue anchor shows.
  GUICore::State().settings.backgroundRed = 255;
  GUICore::State().settings.backgroundBlue = 0;

  RightClick(pane->overlay, At(150, 81));
  Settle();
  ASSERT_EQ(area.anchors.size(), 1u);
  EXPECT_EQ(area.anchors[0].x, 150 * 20);
  EXPECT_EQ(area.anchors[0].y, 81 * 20);
  EXPECT_EQ(area.guideMode, 1);
  EXPECT_TRUE(dialog->Command1->isEnabled());
  // The anchor is drawn where it lies.
  const QImage shot = pane->PictPreview->grab().toImage();
  EXPECT_EQ(Rgb(shot, At(150, 81)), kBlue);
  EXPECT_EQ(Rgb(shot, At(150, 90)), 0xFF0000u);

  desktop.popups.choices.push_back(QStringLiteral("mnuGuideCurve"));
  dialog->Command13->click();
  EXPECT_EQ(area.guideMode, 2);
  EXPECT_TRUE(pane->mnuGuideCurve->isChecked());
  desktop.popups.choices.push_back(QStringLiteral("mnuGuideClear"));
  dialog->Command13->click();
  Settle();
  EXPECT_TRUE(area.anchors.empty());
  EXPECT_EQ(desktop.popups.opened, (std::vector<QString>{QStringLiteral("mnuGuide"), QStringLiteral("mnuGuide")}));
  // The move target's boxes are where they were.
  EXPECT_EQ(dialog->Text5->text(), QStringLiteral("200"));
}

}  // namespace
}  // namespace tesmiro::testing
