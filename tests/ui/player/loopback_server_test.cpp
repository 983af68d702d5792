// The loopback server serves what was mounted or routed, under its token,
// and nothing else; whatever another program does to its port, it holds
// few connections and little memory, and keeps answering.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "support/temp_dir.h"
#include "support/wait_and_files.h"
#include "ui/player/loopback_server.h"

namespace tesmiro::testing {
namespace {

using player::HttpRequest;
using player::HttpResponse;
using player::LoopbackServer;

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

QByteArray Body(const HttpResponse& r) {
  if (!r.file) return r.body;
  r.file->seek(0);
  return r.file->read(r.fileSize);
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
  QByteArray path(const QByteArray& rest) const { return "/" + server.token().toUtf8() + "/" + rest; }
  QByteArray host() const { return "127.0.0.1:" + QByteArray::number(server.port()); }
  QByteArray request(const QByteArray& rest) const {
    return "GET " + path(rest) + " HTTP/1.1\r\nHost: " + host() + "\r\n\r\n";
  }
  std::unique_ptr<QTcpSocket> connectClient() {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QStringLiteral("127.0.0.1"), server.port());
    EXPECT_TRUE(socket->waitForConnected(5000));
    return socket;
  }
  // What the socket receives until the server closes it or `count` answers came.
  static QByteArray Answers(QTcpSocket& socket, int count = 1) {
    QByteArray answer;
    WaitUntil([&] {
      answer += socket.readAll();
      return answer.count("HTTP/1.1 ") >= count || socket.state() != QAbstractSocket::ConnectedState;
    }, 10000);
    return answer + socket.readAll();
  }
  TempDir dir;
  LoopbackServer server;
};

TEST_F(LoopbackServerTest, ServesMountedFilesWithTheirTypes) {
  HttpResponse r = get("view1/movie/a.swf");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(Body(r), "FWS-movie");
  EXPECT_EQ(r.contentType, "application/x-shockwave-flash");
  EXPECT_FALSE(r.cacheable) << "movies change between loads";
  r = get("view1/movie/sub/b.wasm");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.contentType, "application/wasm");
  // A query (the load counter) does not change the file.
  EXPECT_EQ(Body(server.respond("GET", path("view1/movie/a.swf?g=3"))), "FWS-movie");
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
  EXPECT_EQ(server.respond("POST", path("view1/movie/a.swf")).status, 405);
}

TEST_F(LoopbackServerTest, OnlyRequestsForThePortsOwnAddressAreAnswered) {
  const QByteArray port = ":" + QByteArray::number(server.port());
  const QByteArray target = path("view1/movie/a.swf");
  EXPECT_EQ(server.respond(HttpRequest{"GET", target, "LOCALHOST" + port, {}}).status, 200);
  for (const QByteArray& wrong :
       {"rebound.example" + port, QByteArray("127.0.0.1"), "127.0.0.2" + port, QByteArray()})
    EXPECT_EQ(server.respond(HttpRequest{"GET", target, wrong, {}}).status, 421) << wrong.toStdString();
  EXPECT_EQ(server.respond(HttpRequest{"GET", "/nothing", "rebound.example", {}}).status, 421) << "before the token";
  auto socket = connectClient();
  socket->write("GET " + target + " HTTP/1.1\r\nHost: rebound.example" + port + "\r\n\r\n");
  EXPECT_TRUE(Answers(*socket).startsWith("HTTP/1.1 421"));
  EXPECT_TRUE(WaitUntil([&] { return socket->state() == QAbstractSocket::UnconnectedState; }, 5000));
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

TEST_F(LoopbackServerTest, AScopeAnswersOnlyTheBrowserThatTookItsTicket) {
  const QString id = server.openScope([](const QString& rest) {
    HttpResponse r;
    r.body = "in scope: " + rest.toUtf8();
    return r;
  });
  const QString other = server.openScope([](const QString&) { return HttpResponse{}; });
  const auto at = [&](const QUrl& url, const QByteArray& cookie = {}) {
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    return server.respond(HttpRequest{"GET", target, host(), cookie});
  };
  EXPECT_EQ(at(server.scopeUrl(id, "page.html")).status, 403) << "no cookie";
  const QUrl ticket = server.ticketUrl(id, "browser/a b.html");
  const HttpResponse handed = at(ticket);
  ASSERT_EQ(handed.status, 200);
  EXPECT_TRUE(handed.body.contains("url=/" + id.toLatin1() + "/browser/a%20b.html\"")) << handed.body.toStdString();
  ASSERT_EQ(handed.headers.value(0).first, "Set-Cookie");
  QByteArray cookie = handed.headers.value(0).second;
  EXPECT_TRUE(cookie.endsWith("; Path=/" + id.toLatin1() + "/; HttpOnly; SameSite=Strict")) << cookie.toStdString();
  cookie.truncate(cookie.indexOf(';'));

  EXPECT_EQ(at(ticket).status, 403) << "a ticket is good once";
  EXPECT_EQ(at(server.scopeUrl(id, "page.html"), "x=1; " + cookie).body, "in scope: page.html");
  EXPECT_EQ(at(server.scopeUrl(other, "page.html"), cookie).status, 403) << "another scope's cookie";
  EXPECT_EQ(at(server.scopeUrl(id, "page.html"), cookie + "0").status, 403);
  server.closeScope(id);
  EXPECT_EQ(at(server.scopeUrl(id, "page.html"), cookie).status, 404);
}

TEST_F(LoopbackServerTest, AnswersOverTheSocketAndKeepsTheConnection) {
  auto socket = connectClient();
  const QByteArray target = path("view1/movie/a.swf");
  socket->write(request("view1/movie/a.swf") + "HEAD " + target + " HTTP/1.1\r\nHost: " + host() + "\r\n\r\n");
  const QByteArray answer = Answers(*socket, 2);
  EXPECT_EQ(answer.count("HTTP/1.1 200 OK"), 2) << answer.toStdString();
  EXPECT_TRUE(answer.contains("Content-Type: application/x-shockwave-flash"));
  EXPECT_TRUE(answer.contains("Cache-Control: no-store"));
  EXPECT_EQ(answer.count("FWS-movie"), 1) << "HEAD has no body";
  EXPECT_EQ(socket->state(), QAbstractSocket::ConnectedState);

  socket->write(QByteArray(40000, 'x'));
  EXPECT_TRUE(Answers(*socket).startsWith("HTTP/1.1 431")) << "an endless request head is cut off";
}

TEST_F(LoopbackServerTest, AHeadOverTheLimitIsRefusedHoweverItArrives) {
  // Whole, in one write, with its end.
  auto socket = connectClient();
  const QByteArray head = request("view1/movie/a.swf");
  socket->write(head.left(head.size() - 2) + "X-Filler: " + QByteArray(40000, 'x') + "\r\n\r\n");
  EXPECT_TRUE(Answers(*socket).startsWith("HTTP/1.1 431"));
  socket = connectClient();
  socket->write(head.left(head.size() - 2) + "X-Filler: " + QByteArray(32 * 1024 - head.size() - 12, 'x') + "\r\n\r\n");
  EXPECT_TRUE(Answers(*socket).startsWith("HTTP/1.1 200")) << "right at the limit";
}

TEST_F(LoopbackServerTest, AFloodOfConnectionsLeavesItAnsweringWithFewHeld) {
  server.setLimits({8, 60000, 60000, 256 * 1024});
  std::vector<std::unique_ptr<QTcpSocket>> flood(200);
  int mostHeld = 0;
  for (auto& s : flood) {
    s = std::make_unique<QTcpSocket>();
    s->connectToHost(QStringLiteral("127.0.0.1"), server.port());
    QCoreApplication::processEvents();
    mostHeld = std::max(mostHeld, server.connectionCount());
  }
  // Every one taken in, all but the last few let go again.
  EXPECT_TRUE(WaitUntil([&] {
    mostHeld = std::max(mostHeld, server.connectionCount());
    return std::count_if(flood.begin(), flood.end(), [](const auto& s) {
             return s->state() == QAbstractSocket::UnconnectedState;
           }) >= 192;
  }, 20000));
  EXPECT_LE(mostHeld, 8);
  auto socket = connectClient();
  socket->write(request("view1/movie/a.swf"));
  EXPECT_TRUE(Answers(*socket).contains("FWS-movie")) << "the server still answers";
}

TEST_F(LoopbackServerTest, AnIdleConnectionIsClosed) {
  server.setLimits({8, 300, 600, 256 * 1024});
  auto silent = connectClient();
  auto served = connectClient();
  served->write(request("view1/movie/a.swf"));
  EXPECT_TRUE(Answers(*served).contains("FWS-movie"));
  EXPECT_TRUE(WaitUntil(
      [&] { return server.connectionCount() == 0 && silent->state() == QAbstractSocket::UnconnectedState; }, 10000));
}

TEST_F(LoopbackServerTest, AnUnreadPipelineKeepsLittleAndALargeFileStillComesWhole) {
  constexpr int kRequests = 120;
  QByteArray movie(256 * 1024, '\0');
  for (qsizetype i = 0; i < movie.size(); ++i) movie[i] = static_cast<char>('a' + i % 23);
  WriteFile(dir / "movies" / "big.swf", movie.toStdString());
  server.setLimits({8, 60000, 60000, 256 * 1024});
  auto socket = connectClient();
  socket->setReadBufferSize(1024);  // as good as not reading
  for (int i = 0; i < kRequests; ++i) socket->write(request("view1/movie/big.swf"));
  // 30 MB asked for: the server answers until the system's buffers are
  // full, then waits, holding no more than its bound.
  qint64 most = 0;
  qint64 last = -1;
  int steady = 0;
  EXPECT_TRUE(WaitUntil([&] {
    const qint64 now = server.bufferedBytes();
    most = std::max(most, now);
    steady = now == last && now > 0 ? steady + 1 : 0;
    last = now;
    return steady >= 50;
  }));
  // Read now: every answer comes whole.
  socket->setReadBufferSize(0);
  QByteArray received;
  qsizetype head = 0;
  EXPECT_TRUE(WaitUntil([&] {
    received += socket->readAll();
    most = std::max(most, server.bufferedBytes());
    head = received.indexOf("\r\n\r\n") + 4;
    return head > 3 && received.size() >= kRequests * (head + movie.size());
  }, 60000));
  EXPECT_LE(most, 256 * 1024 + 32 * 1024);
  EXPECT_TRUE(received.startsWith("HTTP/1.1 200 OK"));
  EXPECT_TRUE(received == QByteArray(received.left(head) + movie).repeated(kRequests));
}

TEST_F(LoopbackServerTest, NoDescriptorLeftForAConnectionOnlyDelaysIt) {
  // The client connects and sends before the server takes the connection
  // in; then no descriptor is left for it. (Nothing new of this program's
  // runs meanwhile: the sanitizers need descriptors to look at a new type.)
  auto socket = connectClient();
  socket->write(request("view1/movie/a.swf"));
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit low = saved;
  low.rlim_cur = 64;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
    low.rlim_cur = std::max<rlim_t>(low.rlim_cur, std::stoul(e.path().filename().string()) + 64);
  ::setrlimit(RLIMIT_NOFILE, &low);
  std::vector<int> held;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held.push_back(fd);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  const int heldMeanwhile = server.connectionCount();
  for (int fd : held) ::close(fd);
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(heldMeanwhile, 0) << "the accept failed";
  EXPECT_TRUE(Answers(*socket).contains("FWS-movie")) << "taken in once descriptors are free again";
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
