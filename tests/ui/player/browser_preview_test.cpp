// The browser preview: the page is served with the web player put in.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <fstream>
#include <memory>

#include "support/checkers.h"
#include "support/temp_dir.h"
#include "test_movies.h"
#include "ui/player/loopback_server.h"
#include "ui/player/player_routes.h"
#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_engine_loader.h"
#include "ui/player/web_page.h"

namespace tesmiro::testing {
namespace {

TEST(BrowserPreviewPage, ThePlayerComesBeforeEverythingThePageLoads) {
  const QByteArray scripts =
      "<script src=\"../browser-config.js\"></script><script src=\"../ruffle/ruffle.js\"></script>";
  EXPECT_EQ(player::InjectPlayer("<HTML lang=ja><Head><title>t</title></head><body></body></html>"),
            "<HTML lang=ja><Head>" + scripts + "<title>t</title></head><body></body></html>");
  EXPECT_EQ(player::InjectPlayer("<html><body><embed src=\"m.swf\"></body></html>"),
            "<html>" + scripts + "<body><embed src=\"m.swf\"></body></html>");
  EXPECT_EQ(player::InjectPlayer("<embed src=\"m.swf\">"), scripts + "<embed src=\"m.swf\">");
}

TEST(BrowserPreviewPage, OnlyHtmlFilesOfThePagesFolderAreChanged) {
  TempDir dir;
  std::ofstream(dir / "_preview.html") << "<html><body></body></html>";
  std::ofstream(dir / "_preview.swf") << "FWS";
  const QUrl url = player::PublishBrowserPreview(QString::fromStdString((dir / "_preview.html").string()));
  if (url.isEmpty())
    REQUIRE_CHECKER("web player not available: " + player::RuffleFlashView::unavailableReason().toStdString());
  player::LoopbackServer* server = player::LoopbackServer::shared();
  const QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
  EXPECT_TRUE(server->respond("GET", path).body.contains("ruffle/ruffle.js"));
  const QByteArray movie = path.left(path.lastIndexOf('/') + 1) + "_preview.swf";
  EXPECT_EQ(server->respond("GET", movie).body, "FWS");
  const QByteArray config = server->respond("GET", "/" + server->token().toUtf8() + "/browser-config.js").body;
  EXPECT_TRUE(config.contains("\"autoplay\":\"on\"")) << config.toStdString();
}

TEST(RuffleBrowserPreview, TheTemplatesEmbedBecomesAPlayingMovie) {
  const QString reason = player::RuffleFlashView::unavailableReason();
  REQUIRE_CHECKER(reason.isEmpty() ? "" : "web player not available: " + reason.toStdString());
  TempDir dir;
  TestMovie m;
  m.frames.assign(7, "");
  std::string error;
  ASSERT_TRUE(WriteTestMovie(m, dir / "_preview.swf", &error)) << error;
  std::ofstream(dir / "_preview.html")
      << "<html><body><object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\" width=\"120\" height=\"80\">"
         "<param name=\"movie\" value=\"_preview.swf\" /><embed src=\"_preview.swf\" width=\"120\" height=\"80\" "
         "type=\"application/x-shockwave-flash\" /></object></body></html>";
  const QUrl url = player::PublishBrowserPreview(QString::fromStdString((dir / "_preview.html").string()));
  ASSERT_FALSE(url.isEmpty());
  const std::unique_ptr<player::WebPage> browser(
      player::LoadedWebEngine()->createPage(nullptr, player::WebPageKind::Browser, {}));
  browser->widget()->resize(300, 200);
  browser->widget()->show();
  browser->load(url);
  int frames = 0;
  QElapsedTimer clock;
  clock.start();
  while (frames == 0 && clock.elapsed() < 30000) {
    bool answered = false;
    browser->runJavaScript(
        "(() => { const p = document.querySelector('ruffle-object, ruffle-embed');"
        " const m = p && p.ruffle && p.ruffle().metadata; return m ? m.numFrames : 0; })()",
        [&](const QVariant& v) {
          frames = v.toInt();
          answered = true;
        });
    while (!answered && clock.elapsed() < 30000) QTest::qWait(20);
    if (frames == 0) QTest::qWait(100);
  }
  EXPECT_EQ(frames, 7) << "the page's player loaded the movie beside it";
}

}  // namespace
}  // namespace tesmiro::testing
