// The loopback server serves what was mounted or routed, under its token,
// and nothing else.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "ui/player/loopback_server.h"

namespace tesmiro::testing {
namespace {

using player::HttpResponse;
using player::LoopbackServer;

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class LoopbackServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listen());
    WriteFile(dir / "movies" / "a.swf", "FWS-movie");
    WriteFile(dir / "movies" / "sub" / "b.wasm", "wasm");
    WriteFile(dir / "secret.txt", "secret");
    server.mount("view1/movie", QString::fromStdString((dir / "movies").string()));
  }
  HttpResponse get(const QString& path) {
    return server.respond("GET", "/" + server.token().toUtf8() + "/" + path.toUtf8());
  }
  TempDir dir;
  LoopbackServer server;
};

TEST_F(LoopbackServerTest, ServesMountedFilesWithTheirTypes) {
  HttpResponse r = get("view1/movie/a.swf");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "FWS-movie");
  EXPECT_EQ(r.contentType, "application/x-shockwave-flash");
  EXPECT_FALSE(r.cacheable) << "movies change between loads";
  r = get("view1/movie/sub/b.wasm");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.contentType, "application/wasm");
  // A query (the load counter) does not change the file.
  EXPECT_EQ(server.respond("GET", "/" + server.token().toUtf8() + "/view1/movie/a.swf?g=3").body, "FWS-movie");
}

TEST_F(LoopbackServerTest, RefusesEverythingOutsideTheMountsAndTheToken) {
  EXPECT_EQ(server.respond("GET", "/view1/movie/a.swf").status, 404) << "no token";
  EXPECT_EQ(server.respond("GET", "/0123456789abcdef0123456789abcdef/view1/movie/a.swf").status, 404);
  EXPECT_EQ(get("view1/movie/../secret.txt").status, 403);
  EXPECT_EQ(get("view1/movie/%2e%2e/secret.txt").status, 403) << "encoded dots";
  EXPECT_EQ(get("view1/movie/sub/..%2F..%2Fsecret.txt").status, 403) << "encoded slashes";
  EXPECT_EQ(get("view1/movie/missing.swf").status, 404);
  EXPECT_EQ(get("view1/movie/sub").status, 404) << "folders are not listed";
  EXPECT_EQ(get("view2/movie/a.swf").status, 404);
  EXPECT_EQ(server.respond("POST", "/" + server.token().toUtf8() + "/view1/movie/a.swf").status, 405);
}

TEST_F(LoopbackServerTest, ALinkOutOfTheFolderIsRefused) {
  std::filesystem::create_symlink(dir / "secret.txt", dir / "movies" / "link.txt");
  EXPECT_EQ(get("view1/movie/link.txt").status, 403);
  std::filesystem::create_symlink(dir / "movies" / "a.swf", dir / "movies" / "inside.swf");
  EXPECT_EQ(get("view1/movie/inside.swf").status, 200) << "a link that stays inside is followed";
}

TEST_F(LoopbackServerTest, RoutesAnswerExactlyOrBelowTheirPath) {
  server.route("view1/command", [](const QString&) {
    HttpResponse r;
    r.body = "tsmS=1&";
    return r;
  });
  server.route("fonts", [](const QString& rest) {
    HttpResponse r;
    r.body = rest.toUtf8();
    return r;
  }, true);
  EXPECT_EQ(get("view1/command").body, "tsmS=1&");
  EXPECT_EQ(get("view1/command/x").status, 404);
  EXPECT_EQ(get("fonts/0/ipag.ttf").body, "0/ipag.ttf");
  server.unroute("view1/command");
  EXPECT_EQ(get("view1/command").status, 404);
  server.unmount("view1/movie");
  EXPECT_EQ(get("view1/movie/a.swf").status, 404);
}

TEST_F(LoopbackServerTest, AnswersOverTheSocketAndKeepsTheConnection) {
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
  ASSERT_TRUE(socket.waitForConnected(5000));
  const QByteArray path = "/" + server.token().toUtf8() + "/view1/movie/a.swf";
  socket.write("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\nHEAD " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
  QByteArray answer;
  for (int i = 0; i < 200 && answer.count("HTTP/1.1 200") < 2; ++i) {
    QTest::qWait(10);
    answer += socket.readAll();
  }
  EXPECT_EQ(answer.count("HTTP/1.1 200 OK"), 2) << answer.toStdString();
  EXPECT_TRUE(answer.contains("Content-Type: application/x-shockwave-flash"));
  EXPECT_TRUE(answer.contains("Cache-Control: no-store"));
  EXPECT_EQ(answer.count("FWS-movie"), 1) << "HEAD has no body";
  EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);

  socket.write(QByteArray(40000, 'x'));
  for (int i = 0; i < 200 && socket.state() == QAbstractSocket::ConnectedState; ++i) QTest::qWait(10);
  EXPECT_TRUE(socket.readAll().contains("431")) << "an endless request head is cut off";
}

TEST(LoopbackServerToken, EveryServerHasItsOwnLongToken) {
  LoopbackServer a, b;
  ASSERT_TRUE(a.listen());
  ASSERT_TRUE(b.listen());
  EXPECT_EQ(a.token().size(), 32);
  EXPECT_NE(a.token(), b.token());
  EXPECT_TRUE(a.url(QStringLiteral("x/y.swf")).toString().startsWith(QStringLiteral("http://127.0.0.1:")));
}

}  // namespace
}  // namespace tesmiro::testing
