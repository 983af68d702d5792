// The preview window over the fake host: the button, the slider and the
// readout follow the movie; the keep-on-top box; snapshots; trace lines.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>

#include "project/model.h"
#include "project/preferences.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/trace_window.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewWindow;
using gui::TraceWindow;

class PreviewWindowTest : public MainGuiTest {
 protected:
  PreviewWindowTest() {
    std::ofstream(temp / "_preview.swf") << "FWS";
    Prefs::Current().windowTopward = 63;
  }
  ~PreviewWindowTest() override {
    PreviewWindow::unload();
    TraceWindow::unload();
    Settle();
  }
  // The window as the project preview shows it.
  PreviewWindow& show(int width = 200, int height = 150) {
    PreviewWindow* w = PreviewWindow::load();
    w->setStageSize(width, height);
    w->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
    w->showModeless();
    return *w;
  }
  FakeFlashHost& host() { return *hosts.last(); }
  // The window's controls, by name.
  static QToolButton* playButton(const QObject& w) { return Control<QToolButton>(w, "playButton"); }
  static QLabel* frameLabel(const QObject& w) { return Control<QLabel>(w, "frameLabel"); }
  static QScrollBar* frameSlider(const QObject& w) { return Control<QScrollBar>(w, "frameSlider"); }
  static QPushButton* snapshotButton(const QObject& w) { return Control<QPushButton>(w, "snapshotButton"); }
  static QCheckBox* keepOnTopCheck(const QObject& w) { return Control<QCheckBox>(w, "keepOnTopCheck"); }
  // The slider moved by the user.
  static void drag(PreviewWindow& w, int value) {
    QScrollBar* slider = frameSlider(w);
    slider->setSliderDown(true);
    slider->setValue(value);
    slider->setSliderDown(false);
  }

  FakeFlashHosts hosts;
};

TEST_F(PreviewWindowTest, ShowsTheMovieBelowOneRowOfControls) {
  PreviewWindow& w = show(200, 150);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("プレビュー"));
  EXPECT_EQ(host().calls.mid(0, 2),
            (QStringList{QStringLiteral("load ") + QString::fromStdString((temp / "_preview.swf").string()),
                         QStringLiteral("play")}));
  EXPECT_EQ(w.size(), QSize(200, 176));
  EXPECT_EQ(w.flash()->geometry(), QRect(0, 26, 200, 150));
  EXPECT_EQ(frameSlider(w)->x(), 64);
  EXPECT_EQ(keepOnTopCheck(w)->geometry().right(), 199) << "the box at the right edge";
  EXPECT_EQ(frameSlider(w)->maximum(), 9) << "the last of 10 frames, counted from 0";
  EXPECT_EQ(frameLabel(w)->text(), QStringLiteral(" 1"));
  EXPECT_EQ(w.playMark(), QStringLiteral("□"));
}

TEST_F(PreviewWindowTest, TheButtonFollowsAMovieThatStopsOrStartsItself) {
  PreviewWindow& w = show();
  host().movieStops();
  EXPECT_EQ(w.playMark(), QStringLiteral("＞"));
  host().movieStarts();
  EXPECT_EQ(w.playMark(), QStringLiteral("□"));
  QTest::mouseClick(playButton(w), Qt::LeftButton);
  EXPECT_EQ(host().calls.last(), QStringLiteral("stop"));
  EXPECT_EQ(w.playMark(), QStringLiteral("＞"));
  QTest::mouseClick(playButton(w), Qt::LeftButton);
  EXPECT_EQ(host().calls.last(), QStringLiteral("play"));
  EXPECT_EQ(w.playMark(), QStringLiteral("□"));
}

TEST_F(PreviewWindowTest, TheSliderSeeksOnlyWhileTheMovieIsStopped) {
  PreviewWindow& w = show();
  host().advance(3);
  EXPECT_EQ(frameSlider(w)->value(), 3);
  EXPECT_EQ(frameLabel(w)->text(), QStringLiteral(" 4"));
  drag(w, 7);
  EXPECT_FALSE(host().calls.join(',').contains(QStringLiteral("goto"))) << "no seek while playing";
  host().advance();
  EXPECT_EQ(frameSlider(w)->value(), 4) << "the movie puts the slider back where it plays";

  QTest::mouseClick(playButton(w), Qt::LeftButton);
  drag(w, 6);
  EXPECT_EQ(host().calls.last(), QStringLiteral("goto 6"));
  EXPECT_EQ(frameLabel(w)->text(), QStringLiteral(" 7"));
  EXPECT_EQ(host().calls.filter(QStringLiteral("goto")).size(), 1) << "the report of the seek does not seek again";
}

TEST_F(PreviewWindowTest, TheSliderEndsAtTheLastFrameAndWidensForAFrameBeyond) {
  PreviewWindow& w = show();
  host().reportFrame(14);
  EXPECT_EQ(frameSlider(w)->maximum(), 14);
  EXPECT_EQ(frameSlider(w)->value(), 14);
  PreviewWindow::unload();
  Settle();
  PreviewWindow* second = PreviewWindow::load();
  hosts.last()->framesOnLoad = 1;
  second->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
  EXPECT_EQ(frameSlider(*second)->maximum(), 0) << "a one-frame movie has nowhere to slide";
}

TEST_F(PreviewWindowTest, WithoutTheOfferTheBoxIsHiddenAndTheWindowNeverOnTop) {
  Prefs::Current().windowTopward = 32;  // ticked, but not offered
  PreviewWindow& w = show(300, 100);
  EXPECT_FALSE(keepOnTopCheck(w)->isVisible());
  EXPECT_EQ(frameSlider(w)->width(), 300 - 64 - 25) << "the slider takes the box's place";
  QCheckBox* box = keepOnTopCheck(w);
  box->setChecked(false);
  box->click();  // ticked again by the click, whose handler runs
  ASSERT_TRUE(box->isChecked());
  EXPECT_FALSE(w.isTopmost());
  EXPECT_TRUE(desktop.placement.keepOnTop.empty());
}

TEST_F(PreviewWindowTest, LoadingWithTheTickedBoxPutsTheWindowOnTopAndUnloadKeepsIt) {
  Prefs::Current().pwLeft = 150 * 15;
  Prefs::Current().pwTop = 90 * 15;
  PreviewWindow& w = show();
  EXPECT_TRUE(keepOnTopCheck(w)->isChecked());
  EXPECT_TRUE(w.isTopmost());
  keepOnTopCheck(w)->setChecked(false);
  PreviewWindow::unload();
  EXPECT_EQ(Prefs::Current().windowTopward, 63 - 32) << "the ticked bit follows the box";
  EXPECT_EQ(Prefs::Current().pwLeft, 150 * 15);
  EXPECT_EQ(Prefs::Current().pwTop, 90 * 15);
}

TEST_F(PreviewWindowTest, APngSnapshotTakesItsAlphaFromDrawingsOverWhiteAndBlack) {
  PreviewWindow& w = show(4, 2);
  QImage picture(4, 2, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  picture.setPixelColor(1, 0, QColor(255, 0, 0));
  picture.setPixelColor(2, 0, QColor(255, 255, 255, 128));
  picture.setPixelColor(3, 1, QColor(0, 0, 255, 255));
  host().picture = picture;
  GUICore::State().projectPath = (temp / "my.TSM").string();
  desktop.fileDialogs.answer((temp / "shot.png").string());
  snapshotButton(w)->click();
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 1u);
  const FileDialogCall& call = desktop.fileDialogs.calls[0];
  EXPECT_TRUE(call.save);
  ASSERT_EQ(call.filters.size(), 3u);
  EXPECT_EQ(call.filters[0].description, "ﾋﾞｯﾄﾏｯﾌﾟ画像 (*.bmp)");
  EXPECT_EQ(call.filters[2].patterns, std::vector<std::string>{"*.png"});
  EXPECT_EQ(call.suggested, (temp / "my").string());
  EXPECT_EQ(call.initialDir, temp.path().string());

  const QImage png(QString::fromStdString((temp / "shot.png").string()));
  ASSERT_FALSE(png.isNull());
  ASSERT_TRUE(png.hasAlphaChannel());
  EXPECT_EQ(png.pixelColor(0, 0).alpha(), 0) << "transparent";
  EXPECT_EQ(png.pixel(0, 0), 0u) << "and no colour";
  EXPECT_EQ(png.pixelColor(1, 0), QColor(255, 0, 0));
  EXPECT_NEAR(png.pixelColor(2, 0).alpha(), 128, 1) << "half-transparent white";
  EXPECT_EQ(png.pixelColor(2, 0).red(), 255);
  EXPECT_EQ(png.pixelColor(3, 1), QColor(0, 0, 255));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PreviewWindowTest, BitmapAndJpegSnapshotsAndTheirFailures) {
  PreviewWindow& w = show(40, 30);
  host().setBackgroundColor(0x00FF00);
  desktop.fileDialogs.answer((temp / "shot.bmp").string());
  snapshotButton(w)->click();
  const QImage bmp(QString::fromStdString((temp / "shot.bmp").string()));
  ASSERT_FALSE(bmp.isNull());
  EXPECT_EQ(bmp.size(), QSize(40, 30));
  EXPECT_EQ(bmp.pixelColor(30, 20), QColor(0, 255, 0));

  desktop.fileDialogs.answer((temp / "shot.jpg").string());
  snapshotButton(w)->click();
  EXPECT_FALSE(QImage(QString::fromStdString((temp / "shot.jpg").string())).isNull());
  EXPECT_TRUE(ui.messages.empty());

  desktop.fileDialogs.answer((temp / "shot.JPEG").string());
  snapshotButton(w)->click();
  EXPECT_EQ(QImageReader(QString::fromStdString((temp / "shot.JPEG").string())).format(), "jpeg")
      << "\".jpeg\" is JPEG too";
  EXPECT_TRUE(ui.messages.empty());

  // A file that cannot be written: its name once, then the reason.
  for (const char* name : {"shot.jpg", "shot.bmp", "shot.png"}) {
    SCOPED_TRACE(name);
    ui.messages.clear();
    const std::string path = (temp / "no folder" / name).string();
    desktop.fileDialogs.answer(path);
    snapshotButton(w)->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].title, "エラー");
    EXPECT_EQ(text.rfind("ファイル [" + path + "] ", 0), 0u) << text;
    EXPECT_EQ(text.find(path, text.find(path) + 1), std::string::npos) << "named twice: " << text;
    EXPECT_NE(text.find("フォルダがありません"), std::string::npos) << text;
    EXPECT_JAPANESE(text, {path});
  }
  EXPECT_TRUE(PreviewWindow::isLoaded()) << "and the program goes on";

  // A picture the player could not give is not a file that failed.
  ui.messages.clear();
  host().grabFails = true;
  desktop.fileDialogs.answer((temp / "again.png").string());
  snapshotButton(w)->click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("取り込めなかった"), std::string::npos) << ui.messages[0].text;
  EXPECT_JAPANESE(ui.messages[0].text, {(temp / "again.png").string()});
  EXPECT_FALSE(std::filesystem::exists(temp / "again.png"));

  // Another ending writes nothing and says which can be saved.
  ui.messages.clear();
  host().grabFails = false;
  for (const char* name : {"shot.gif", "shot.tiff"}) {
    SCOPED_TRACE(name);
    const std::string path = (temp / name).string();
    desktop.fileDialogs.answer(path);
    snapshotButton(w)->click();
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_FALSE(ui.messages.empty());
    const std::string& text = ui.messages.back().text;
    EXPECT_EQ(text.rfind("ファイル [" + path + "] ", 0), 0u) << text;
    for (const char* ending : {".bmp", ".jpg", ".jpeg", ".png"})
      EXPECT_NE(text.find(ending), std::string::npos) << text;
    EXPECT_JAPANESE(text, {path});
  }
  desktop.fileDialogs.cancel();
  const auto grabs = host().calls.filter(QStringLiteral("grab")).size();
  snapshotButton(w)->click();
  EXPECT_EQ(host().calls.filter(QStringLiteral("grab")).size(), grabs);
}

TEST_F(PreviewWindowTest, TraceCommandsCollectInTheTraceWindowWhileItIsClosed) {
  show();
  host().sendFsCommand(QStringLiteral("TesmiroTrace"), QStringLiteral("日本語"));
  host().sendFsCommand(QStringLiteral("tesmirotrace"), QStringLiteral("case matters"));
  host().sendFsCommand(QStringLiteral("Other"), QStringLiteral("ignored"));
  host().sendFsCommand(QStringLiteral("TesmiroTrace"), QStringLiteral("二行目"));
  ASSERT_TRUE(TraceWindow::isLoaded());
  EXPECT_FALSE(TraceWindow::isShownNow());
  EXPECT_EQ(TraceWindow::instance()->text(), QStringLiteral("日本語\r\n二行目\r\n"));
}

TEST_F(PreviewWindowTest, WithoutFrameReportsTheSliderAndReadoutStandStill) {
  PreviewWindow* w = PreviewWindow::load();
  hosts.last()->caps = player::FlashCapability::Playback | player::FlashCapability::Grab;
  hosts.last()->loadsAtOnce = false;
  w->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
  EXPECT_FALSE(frameSlider(*w)->isEnabled());
  EXPECT_EQ(frameLabel(*w)->text(), QString()) << "no frame to show";
  QTest::mouseClick(playButton(*w), Qt::LeftButton);
  EXPECT_EQ(hosts.last()->calls.last(), QStringLiteral("stop")) << "play and stop still reach the player";
}

TEST_F(PreviewWindowTest, TheModalPreviewReturnsWhenClosed) {
  PreviewWindow* w = PreviewWindow::load();
  w->setStageSize(100, 80);
  w->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
  QTimer::singleShot(0, w, [w] {
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
    w->close();
  });
  w->showModal();
  EXPECT_FALSE(PreviewWindow::isLoaded());
}

TEST_F(PreviewWindowTest, EscapeUnloadsTheWindowAndReleasesTheMovie) {
  PreviewWindow& w = show();
  FakeFlashHost* fake = &host();
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_FALSE(PreviewWindow::isLoaded());
  EXPECT_EQ(fake->calls.last(), QStringLiteral("release"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(hosts.last(), nullptr) << "the host went with the window";
}

}  // namespace
}  // namespace tesmiro::testing
