// The web player in a web view: movies written here play, report their
// frames, obey play, stop and goto, pass their FSCommands on and stay out of
// the page. Needs the player's files from npm; skipped without them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <memory>

#include "media/image/mod_png.h"
#include "support/checkers.h"
#include "support/temp_dir.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "test_movies.h"
#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_page.h"

namespace tesmiro::testing {
namespace {

using player::RuffleFlashView;

QRgb PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

class RufflePlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString reason = RuffleFlashView::unavailableReason();
    REQUIRE_CHECKER(reason.isEmpty() ? "" : "web player not available: " + reason.toStdString());
  }

  // A view at the movie's stage size, shown, with its page ready.
  RuffleFlashView& view(int width = 120, int height = 80) {
    view_ = std::make_unique<RuffleFlashView>();
    view_->setLogLevel(QStringLiteral("info"));
    if (qEnvironmentVariableIsSet("TESMIRO_RENDER_DEBUG"))
      QObject::connect(view_.get(), &RuffleFlashView::consoleMessage,
                       [](const QString& line) { std::fprintf(stderr, "[console] %s\n", qPrintable(line)); });
    view_->setFixedSize(width, height);
    view_->show();
    EXPECT_TRUE(WaitUntil([&] { return view_->isPageReady(); })) << "the host page never became ready";
    return *view_;
  }

  QString movie(const TestMovie& m, const std::string& name) {
    std::string error;
    EXPECT_TRUE(WriteTestMovie(m, dir / name, &error)) << error;
    return QString::fromStdString((dir / name).string());
  }

  void load(RuffleFlashView& v, const QString& path) {
    QSignalSpy loaded(&v, &player::FlashHost::loaded);
    v.loadMovie(path);
    ASSERT_TRUE(WaitUntil([&] { return loaded.count() > 0; })) << "the movie never loaded";
  }

  // The movie's first frame is on the stage and the page has painted it.
  void framePainted(RuffleFlashView& v) {
    auto painted = std::make_shared<bool>(false);
    v.whenFramePainted([painted] { *painted = true; });
    EXPECT_TRUE(WaitUntil([&] { return *painted; })) << "the first frame was never painted";
  }

  QList<QImage> grab(RuffleFlashView& v, const QList<uint32_t>& backgrounds) {
    QList<QImage> pictures;
    bool done = false;
    v.grabPictures(backgrounds, [&](QList<QImage> p) {
      pictures = std::move(p);
      done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done; }));
    // A failing test leaves its pictures in the build folder.
    if (::testing::Test::HasFailure() || qEnvironmentVariableIsSet("TESMIRO_KEEP_GRABS")) keep(pictures);
    return pictures;
  }

  void keep(const QList<QImage>& pictures) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    for (qsizetype i = 0; i < pictures.size(); ++i)
      pictures[i].save(QStringLiteral(TESMIRO_BUILD_DIR "/%1-%2.png").arg(QString::fromUtf8(info->name())).arg(i));
  }
  void TearDown() override {
    if (HasFailure() && view_) keep({view_->grab().toImage()});
  }

  TempDir dir;
  std::unique_ptr<RuffleFlashView> view_;
};

TEST_F(RufflePlayer, ShowsTheMovieWithItsFramesAndBackground) {
  TestMovie m;
  m.background = 0x3366CC;
  m.square = 0xFF0000;
  m.frames.assign(5, "");
  RuffleFlashView& v = view();
  load(v, movie(m, "shown.swf"));
  EXPECT_EQ(v.totalFrames(), 5);
  EXPECT_EQ(v.backgroundColor(), 0x3366CCu);
  const QList<QImage> shot = grab(v, {player::kShownBackground});
  ASSERT_EQ(shot.size(), 1);
  EXPECT_EQ(shot[0].size(), QSize(120, 80));
  EXPECT_EQ(PixelAt(shot[0], 40, 40), 0xFF0000u) << "the square";
  EXPECT_EQ(PixelAt(shot[0], 100, 70), 0x3366CCu) << "the movie's background";
}

TEST_F(RufflePlayer, TraceCommandsArriveInJapaneseFromSwf6AndSwf4) {
  RuffleFlashView& v = view();
  for (int version : {6, 4}) {
    SCOPED_TRACE(version);
    TestMovie m;
    m.version = version;
    m.frames = {"fscommand(\"TesmiroTrace\", \"日本語\");\nstop();"};
    QSignalSpy commands(&v, &player::FlashHost::fsCommand);
    load(v, movie(m, "trace" + std::to_string(version) + ".swf"));
    ASSERT_TRUE(WaitUntil([&] { return commands.count() > 0; }));
    EXPECT_EQ(commands.first().at(0).toString(), QStringLiteral("TesmiroTrace"));
    EXPECT_EQ(commands.first().at(1).toString(), QStringLiteral("日本語"));
  }
}

// A stopped movie gives nothing to wait for: the page's own frames pass
// instead (the player ticks on them), about a third of a second's worth.
constexpr int kHoldFrames = 20;
constexpr int kSecondOfPageFrames = 60;

// Each frame tells its number; the movie plays on its own.
TestMovie CountingMovie(int version, int frames) {
  TestMovie m;
  m.version = version;
  m.frameRate = 12;
  m.frames.clear();
  for (int i = 1; i <= frames; ++i) m.frames.push_back("fscommand(\"Frame\", \"" + std::to_string(i) + "\");");
  return m;
}

// The frame the player holds: the same, and the one the movie last told,
// over a second of the page's frames; -1 when it still moves after 30
// seconds.
int SettledFrame(RuffleFlashView& v, const QString& lastFrame) {
  QElapsedTimer clock;
  clock.start();
  int before = v.frameNum();
  while (clock.elapsed() < 30000) {
    if (!WaitForPageFrames(&v, kSecondOfPageFrames)) return -1;
    const int now = v.frameNum();
    if (now == before && lastFrame.toInt() == now + 1) return now;
    before = now;
  }
  return -1;
}

TEST_F(RufflePlayer, StopGotoAndTheFrameReadoutAgreeWithTheMovie) {
  RuffleFlashView& v = view();
  for (int version : {4, 6, 7, 8}) {
    SCOPED_TRACE(version);
    QString lastFrame;
    QObject guard;
    QObject::connect(&v, &player::FlashHost::fsCommand, &guard, [&](const QString& c, const QString& a) {
      if (c == QLatin1String("Frame")) lastFrame = a;
    });
    load(v, movie(CountingMovie(version, 30), "count" + std::to_string(version) + ".swf"));
    ASSERT_TRUE(WaitUntil([&] { return v.frameNum() >= 2 && v.isPlaying(); })) << "the movie reports itself playing";
    EXPECT_TRUE(v.capabilities().testFlag(player::FlashCapability::FrameReports));

    v.stop();
    EXPECT_FALSE(v.isPlaying());
    // The page runs the request when it gets to it; on a busy machine
    // reports already sent still come in for a while.
    const int held = SettledFrame(v, lastFrame);
    ASSERT_GE(held, 0) << "the movie never stopped, or the readout is not the movie's own frame";
    ASSERT_TRUE(WaitForPageFrames(&v, kHoldFrames));
    EXPECT_EQ(v.frameNum(), held) << "stopped";
    EXPECT_FALSE(v.isPlaying());

    v.gotoFrame(4);
    ASSERT_TRUE(WaitUntil([&] { return lastFrame == QLatin1String("5"); })) << "the movie went to its frame 5";
    EXPECT_EQ(SettledFrame(v, lastFrame), 4);
    EXPECT_EQ(lastFrame, QStringLiteral("5"));
    EXPECT_FALSE(v.isPlaying());

    v.play();
    ASSERT_TRUE(WaitUntil([&] { return v.frameNum() > 5; })) << "plays on from there";
    EXPECT_TRUE(v.isPlaying());
  }
}

TEST_F(RufflePlayer, AMovieThatStopsItselfIsReportedStopped) {
  RuffleFlashView& v = view();
  TestMovie m = CountingMovie(6, 8);
  m.frames[3] += "stop();";
  load(v, movie(m, "stops.swf"));
  ASSERT_TRUE(WaitUntil([&] { return v.frameNum() == 3 && !v.isPlaying(); }));
  ASSERT_TRUE(WaitForPageFrames(&v, kHoldFrames));
  EXPECT_EQ(v.frameNum(), 3);
  EXPECT_FALSE(v.isPlaying());
}

TEST_F(RufflePlayer, AMovieCannotRunScriptInThePageOrNavigateIt) {
  QList<QUrl> opened;
  player::ScopedUrlOpener opener([&](const QUrl& url) { opened << url; });
  RuffleFlashView& v = view();
  TestMovie m;
  m.version = 8;
  m.frames = {
      "getURL(\"javascript:document.title='owned';document.body.setAttribute('data-owned','1');\");",
      "getURL(\"javascript:document.title='owned'\", \"_self\");\n"
      "flash.external.ExternalInterface.call(\"eval\", \"document.body.setAttribute('data-owned','2')\");",
      "getURL(\"https://example.com/page\", \"_blank\");",
      "fscommand(\"Done\", \"\");\nstop();"};
  QSignalSpy commands(&v, &player::FlashHost::fsCommand);
  load(v, movie(m, "hostile.swf"));
  ASSERT_TRUE(WaitUntil([&] { return commands.count() > 0; }));
  // What the earlier frames asked of the page would have arrived by now.
  ASSERT_TRUE(WaitForPageFrames(&v, kHoldFrames));
  QString title, owned;
  bool answered = false;
  v.runScript(QStringLiteral("[document.title, String(document.body.getAttribute('data-owned'))].join('|')"),
              [&](const QVariant& r) {
                const QStringList parts = r.toString().split(QLatin1Char('|'));
                title = parts.value(0);
                owned = parts.value(1);
                answered = true;
              });
  ASSERT_TRUE(WaitUntil([&] { return answered; }));
  EXPECT_EQ(title, QStringLiteral("player"));
  EXPECT_EQ(owned, QStringLiteral("null"));
  EXPECT_EQ(v.webPage()->url(), v.pageUrl()) << "the page was not navigated";
  ASSERT_EQ(opened.size(), 1) << "the web link went to the desktop's opener";
  EXPECT_EQ(opened.first(), QUrl(QStringLiteral("https://example.com/page")));
}

TEST_F(RufflePlayer, PicturesOverWhiteAndBlackGiveTheAlphaOfTheStage) {
  TestMovie m;
  m.square = 0x00C000;
  m.frames = {"stop();"};
  RuffleFlashView& v = view();
  load(v, movie(m, "alpha.swf"));
  framePainted(v);
  const QList<QImage> shots = grab(v, {0xFFFFFF, 0x000000});
  ASSERT_EQ(shots.size(), 2);
  EXPECT_EQ(PixelAt(shots[0], 100, 70), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(shots[1], 100, 70), 0x000000u);
  EXPECT_EQ(PixelAt(shots[0], 40, 40), 0x00C000u);
  EXPECT_EQ(PixelAt(shots[1], 40, 40), 0x00C000u);
  EXPECT_EQ(v.backgroundColor(), 0xFFFFFFu) << "the movie's own background is kept";
}

TEST_F(RufflePlayer, DeviceTextIsDrawnWithTheJapaneseFontsWhichOnlyTextMoviesLoad) {
  RuffleFlashView& v = view(160, 80);
  auto fontSources = [&] {
    int count = -1;
    v.runScript(QStringLiteral("(document.getElementById('player').ruffle().loadedConfig.fontSources || []).length"),
                [&](const QVariant& r) { count = r.toInt(); });
    EXPECT_TRUE(WaitUntil([&] { return count >= 0; }));
    return count;
  };
  TestMovie plain;
  plain.square = 0x0000FF;
  plain.frames = {"stop();"};
  load(v, movie(plain, "plain.swf"));
  EXPECT_EQ(fontSources(), 0) << "a movie without text loads no fonts";

  TestMovie text;
  text.width = 160;
  text.deviceText = "日本語の文字";
  text.frames = {"stop();"};
  load(v, movie(text, "text.swf"));
  const int fonts = fontSources();
  REQUIRE_CHECKER(fonts > 0 ? "" : "no Japanese font on this machine (fonts-ipafont-gothic)");
  framePainted(v);
  const QList<QImage> shot = grab(v, {player::kShownBackground});
  ASSERT_EQ(shot.size(), 1);
  QRect ink;
  for (int y = 0; y < shot[0].height(); ++y)
    for (int x = 0; x < shot[0].width(); ++x)
      if (qGray(shot[0].pixel(x, y)) < 100) ink |= QRect(x, y, 1, 1);
  EXPECT_TRUE(QRect(10, 10, 100, 40).contains(ink)) << "ink only in the box";
  EXPECT_GT(ink.width(), 60) << "six characters of 24 pixels";
  EXPECT_GT(ink.height(), 12);
}

// A movie the player cannot read gets the player's own message on the
// stage; the player is still good for the next movie, and worth keeping.
TEST_F(RufflePlayer, AMovieThatCannotBeReadLeavesThePlayerForTheNext) {
  RuffleFlashView& v = view();
  const QString bad = QString::fromStdString((dir / "bad.swf").string());
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a movie at all");
  file.close();
  v.loadMovie(bad);
  const auto messageShown = [&] {
    auto shown = std::make_shared<int>(-1);
    v.runScript(QStringLiteral("!!document.getElementById('player')?.shadowRoot?.getElementById('panic')"),
                [shown](const QVariant& r) { *shown = r.toBool() ? 1 : 0; });
    WaitUntil([&] { return *shown >= 0; }, 10000);
    return *shown == 1;
  };
  ASSERT_TRUE(WaitUntil(messageShown)) << "the player never said that it cannot read the movie";
  EXPECT_TRUE(v.worthKeeping()) << "a movie that cannot be read threw the player away";
  // Its words are the player's own: the stage says the program's, over them.
  ASSERT_TRUE(WaitUntil([&] { return !v.shownFailure().isEmpty(); })) << "the player's own message was left alone";
  EXPECT_TRUE(v.shownFailure().startsWith("ファイル [" + bad + "] ")) << v.shownFailure().toStdString();
  EXPECT_JAPANESE(v.shownFailure().toStdString(), {bad.toStdString()});
  TestMovie good;
  good.frames = {"stop();"};
  load(v, movie(good, "good.swf"));
  EXPECT_TRUE(v.worthKeeping());
  EXPECT_TRUE(v.shownFailure().isEmpty()) << "the message outlived its movie";

  // A movie that is not there is said at once; the player waits for the next.
  const QString gone = QString::fromStdString((dir / "gone.swf").string());
  QSignalSpy failed(&v, &player::FlashHost::loadFailed);
  v.loadMovie(gone);
  ASSERT_TRUE(WaitUntil([&] { return failed.count() == 1; }));
  EXPECT_EQ(failed.first().at(0).toString(), "ファイル [" + gone + "] が見つかりません。");
  EXPECT_EQ(v.shownFailure(), failed.first().at(0).toString());
  EXPECT_TRUE(v.worthKeeping());
}

// Without OpenGL (a remote X server without GLX; main() takes it away for
// tests of this name) the player draws in software instead of bringing the
// program down at the first showing of a view.
class RuffleWithoutOpenGL : public RufflePlayer {};

TEST_F(RuffleWithoutOpenGL, ThePlayerDrawsTheMovieInSoftware) {
  QOpenGLContext probe;
  ASSERT_FALSE(probe.create()) << "this run has OpenGL";
  TestMovie m;
  m.square = 0xFF0000;
  m.frames = {"stop();"};
  RuffleFlashView& v = view();
  load(v, movie(m, "soft.swf"));
  framePainted(v);
  const QList<QImage> shot = grab(v, {player::kShownBackground});
  ASSERT_EQ(shot.size(), 1);
  EXPECT_EQ(PixelAt(shot[0], 40, 40), 0xFF0000u) << "the square";
}

TEST_F(RufflePlayer, AMovieWithoutTheReporterStillStopsAndPlays) {
  TestMovie m = CountingMovie(6, 30);
  m.reporter = false;
  RuffleFlashView& v = view();
  QString lastFrame;
  QObject::connect(&v, &player::FlashHost::fsCommand, &v, [&](const QString&, const QString& a) { lastFrame = a; });
  load(v, movie(m, "bare.swf"));
  ASSERT_TRUE(WaitUntil([&] { return lastFrame.toInt() >= 2; }));
  EXPECT_FALSE(v.capabilities().testFlag(player::FlashCapability::FrameReports));
  v.stop();
  // Reports already on their way still come in for a while.
  ASSERT_TRUE(WaitForPageFrames(&v, kHoldFrames));
  const QString held = lastFrame;
  ASSERT_TRUE(WaitForPageFrames(&v, kHoldFrames + kHoldFrames / 3));
  EXPECT_EQ(lastFrame, held) << "the whole player is held";
  v.play();
  ASSERT_TRUE(WaitUntil([&] { return lastFrame != held; }));
}

}  // namespace
}  // namespace tesmiro::testing
