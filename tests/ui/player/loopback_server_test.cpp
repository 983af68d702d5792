// The loopback server serves what was mounted or routed, under its token,
// and nothing else; another user's connections are closed as they come,
// and whatever another program does to its port, it holds few connections
// and little memory, and keeps answering the player.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "support/other_user.h"
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

QByteArray Pattern(qsizetype size) {
  QByteArray bytes(size, '\0');
  for (qsizetype i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 23);
  return bytes;
}

// A blocking client on a thread of its own, as another program is.
int Dial(quint16 port, timeval wait = {10, 0}) {  // against a hang, not a measure
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return fd;
}

// Whether a connection that asks for one file after another, as a
// browser's does, gets every answer whole (ending in its body).
bool FetchOn(int fd, const QList<QByteArray>& requests, const QList<QByteArray>& bodies) {
  bool whole = true;
  for (qsizetype i = 0; whole && i < requests.size(); ++i) {
    QByteArray in;
    char buffer[64 * 1024];
    ssize_t n = ::send(fd, requests[i].constData(), requests[i].size(), MSG_NOSIGNAL);
    while (n > 0 && !in.endsWith(bodies[i])) {
      if ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) in.append(buffer, n);
    }
    whole = in.endsWith(bodies[i]);
  }
  return whole;
}

// The same on a new connection.
bool FetchInTurn(quint16 port, const QList<QByteArray>& requests, const QList<QByteArray>& bodies) {
  const int fd = Dial(port);
  const bool whole = FetchOn(fd, requests, bodies);
  ::close(fd);
  return whole;
}

bool Ready(const std::future<bool>& f) { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

// A program that opens connections and sends nothing. Allocates nothing:
// it also runs as another user's program (see OtherUser).
struct Dialer {
  quint16 port = 0;
  std::atomic<bool> stop = false;
  std::atomic<int> dialed = 0;
};

// As fast as it can, a few open at a time, until stopped.
void Churn(Dialer& churner) {
  constexpr size_t kHeld = 32;
  int open[kHeld] = {};
  size_t next = 0, held = 0;
  for (; !churner.stop; ++churner.dialed) {
    if (held == kHeld) ::close(open[next]);  // the oldest
    else ++held;
    open[next] = Dial(churner.port, {0, 200 * 1000});
    next = (next + 1) % kHeld;
  }
  for (size_t i = 0; i < held; ++i) ::close(open[i]);
}

// Runs `meanwhile` with no descriptor left to the process. A limit of
// none refuses every new descriptor, also in place of one that another
// thread closes meanwhile (filling the free ones would leave that gap).
void WithNoDescriptorLeft(const std::function<void()>& meanwhile) {
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit none = saved;
  none.rlim_cur = 0;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
  const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const bool refused = probe < 0 && errno == EMFILE;
  if (probe >= 0) ::close(probe);
  if (refused) meanwhile();
  ::setrlimit(RLIMIT_NOFILE, &saved);
  ASSERT_TRUE(refused) << "a new descriptor was still given";
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
  // Runs a blocking client on a thread of its own while the server answers.
  static bool WhileServing(const std::function<bool()>& client) {
    std::future<bool> done = std::async(std::launch::async, client);
    EXPECT_TRUE(WaitUntil([&] { return Ready(done); }, 60000));
    return done.get();
  }
  // A page as a browser loads it, six times over: four connections at a
  // time, each asking for its parts in turn (one of them 4 MB), through
  // `fetch` on the connection `i` of the round. Every answer comes whole.
  using Fetch = std::function<bool(size_t i, const QList<QByteArray>& requests, const QList<QByteArray>& bodies)>;
  void loadPageSixTimes(const Fetch& fetch) {
    const QByteArray movie = Pattern(4 << 20);
    WriteFile(dir / "movies" / "big.swf", movie.toStdString());
    const QByteArray a = request("view1/movie/a.swf");
    const QByteArray b = request("view1/movie/sub/b.wasm");
    const QByteArray big = request("view1/movie/big.swf");
    const QList<QPair<QList<QByteArray>, QList<QByteArray>>> connections = {
        {{a, b, a}, {"FWS-movie", "wasm", "FWS-movie"}},
        {{big, a}, {movie, "FWS-movie"}},
        {{b, a, b}, {"wasm", "FWS-movie", "wasm"}},
        {{a, big}, {"FWS-movie", movie}}};
    for (int round = 0; round < 6; ++round) {
      std::vector<std::future<bool>> fetches;
      for (qsizetype i = 0; i < connections.size(); ++i)
        fetches.push_back(std::async(std::launch::async, fetch, static_cast<size_t>(i), connections[i].first,
                                     connections[i].second));
      EXPECT_TRUE(WaitUntil([&] { return std::all_of(fetches.begin(), fetches.end(), Ready); }, 60000));
      for (size_t i = 0; i < fetches.size(); ++i)
        EXPECT_TRUE(fetches[i].get()) << "round " << round << ", connection " << i;
    }
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
  const QByteArray movie = Pattern(256 * 1024);
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
  int heldMeanwhile = -1;
  WithNoDescriptorLeft([&] {
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    heldMeanwhile = server.connectionCount();
  });
  EXPECT_EQ(heldMeanwhile, 0) << "the accept failed";
  EXPECT_TRUE(Answers(*socket).contains("FWS-movie")) << "taken in once descriptors are free again";
}

TEST_F(LoopbackServerTest, WithNoDescriptorLeftItWaitsRatherThanAsksAgainAndAgain) {
  auto first = connectClient();  // one taken in and answered as usual first
  first->write(request("view1/movie/a.swf"));
  ASSERT_TRUE(Answers(*first).contains("FWS-movie"));
  auto waiting = connectClient();
  waiting->write(request("view1/movie/a.swf"));
  int turns = 0;
  int heldMeanwhile = -1;
  WithNoDescriptorLeft([&] {
    QElapsedTimer clock;
    clock.start();
    for (; clock.elapsed() < 1000; ++turns) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    heldMeanwhile = server.connectionCount();
  });
  EXPECT_LT(turns, 100) << "a few retries and idle checks, not one turn after another";
  EXPECT_EQ(heldMeanwhile, 1);
  EXPECT_TRUE(Answers(*waiting).contains("FWS-movie")) << "taken in once descriptors are free again";
}

TEST_F(LoopbackServerTest, AHeadTrickledInGetsNoMoreTimeThanAWholeOne) {
  server.setLimits({8, 400, 60000, 256 * 1024});
  auto known = connectClient();
  known->write(request("view1/movie/a.swf"));
  ASSERT_TRUE(Answers(*known).contains("FWS-movie"));
  auto stranger = connectClient();
  // A byte of a head every quarter of the time for one, after an answer
  // and on a new connection.
  const QByteArray head = request("view1/movie/a.swf");
  qsizetype sent = 0;
  EXPECT_TRUE(WaitUntil([&] {
    for (QTcpSocket* s : {known.get(), stranger.get()}) s->write(head.mid(sent, 1));
    QTest::qWait(100);
    return ++sent == head.size() || (known->state() != QAbstractSocket::ConnectedState &&
                                     stranger->state() != QAbstractSocket::ConnectedState);
  }, 20000));
  EXPECT_LT(sent, head.size()) << "both closed before the heads were whole";
  EXPECT_FALSE(known->readAll().contains("HTTP/1.1") || stranger->readAll().contains("HTTP/1.1"));
}

TEST_F(LoopbackServerTest, AFloodOfConnectionsPushesOutNoneOfThePlayers) {
  const QByteArray movie = Pattern(8 << 20);
  WriteFile(dir / "movies" / "big.swf", movie.toStdString());
  server.setLimits({8, 60000, 60000, 256 * 1024});
  auto idle = connectClient();
  idle->write(request("view1/movie/a.swf"));
  ASSERT_TRUE(Answers(*idle).contains("FWS-movie"));
  auto busy = connectClient();
  busy->setReadBufferSize(1024);  // stops reading in the middle of the answer
  busy->write(request("view1/movie/big.swf"));
  QTest::qWait(200);
  ASSERT_GT(server.bufferedBytes(), 0) << "the answer is under way";
  std::vector<std::unique_ptr<QTcpSocket>> flood(100);
  for (auto& s : flood) {
    s = std::make_unique<QTcpSocket>();
    s->connectToHost(QStringLiteral("127.0.0.1"), server.port());
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(WaitUntil([&] {
    return std::count_if(flood.begin(), flood.end(), [](const auto& s) {
             return s->state() == QAbstractSocket::UnconnectedState;
           }) >= 92;
  }, 20000)) << "the flood pushed out its own";
  idle->write(request("view1/movie/a.swf"));
  EXPECT_TRUE(Answers(*idle).contains("FWS-movie")) << "the idle connection is still there";
  // When the player's own are all taken, an idle one makes room first.
  server.setLimits({2, 60000, 60000, 256 * 1024});
  auto third = connectClient();
  third->write(request("view1/movie/a.swf"));
  EXPECT_TRUE(Answers(*third).contains("FWS-movie"));
  EXPECT_TRUE(WaitUntil([&] { return idle->state() == QAbstractSocket::UnconnectedState; }, 10000));
  busy->setReadBufferSize(0);
  QByteArray received;
  EXPECT_TRUE(WaitUntil([&] { return (received += busy->readAll()).endsWith(movie); }, 60000)) << received.size();
}

TEST_F(LoopbackServerTest, WhereOnlyProcTellsWhoseAConnectionIsARoundReadsEachTableOnce) {
  // A table of thousands of sockets takes tens of milliseconds to read.
  ProcAlone proc;
  // Eight in the system's queue, taken in one round.
  std::vector<int> clients(8);
  for (int& fd : clients) fd = Dial(server.port());
  EXPECT_TRUE(WaitUntil([&] { return server.connectionCount() == 8; }, 10000)) << "the user's own connections were refused";
  EXPECT_LE(proc.opened["/proc/net/tcp"], 1);
  EXPECT_LE(proc.opened["/proc/net/tcp6"], 1);
  for (int fd : clients) ::close(fd);
}

TEST_F(LoopbackServerTest, AnotherUsersConnectionsOpenedAndClosedAsFastAsPossibleLeaveAPageLoadingWhole) {
  REQUIRE_OTHER_USER();
  // Times no load can reach: only the churn could cut a fetch short.
  server.setLimits({24, 60000, 60000, 256 * 1024, 8, 60000});
  OtherUser<Dialer> other;
  other.state().port = server.port();
  ASSERT_TRUE(other.start(Churn));
  EXPECT_TRUE(WaitUntil([&] { return other.state().dialed > 100 || !other.running(); }, 10000));
  ASSERT_TRUE(other.running()) << "the other user's program ended";
  // New connections for every part, each asking as soon as it is open.
  loadPageSixTimes([port = server.port()](size_t, const QList<QByteArray>& requests, const QList<QByteArray>& bodies) {
    return FetchInTurn(port, requests, bodies);
  });
}

TEST_F(LoopbackServerTest, ChurnOfTheUsersOwnProgramsNeverCutsAConnectionThatShowedTheToken) {
  // The user's own programs are told from the player by the token alone:
  // a connection that has shown it stays, however many others come and go.
  server.setLimits({24, 60000, 60000, 256 * 1024});
  std::vector<int> page(4);
  for (int& fd : page) {
    fd = Dial(server.port());
    ASSERT_TRUE(WhileServing([&] { return FetchOn(fd, {request("view1/movie/a.swf")}, {"FWS-movie"}); }));
  }
  Dialer churner;
  churner.port = server.port();
  std::thread churn(Churn, std::ref(churner));
  EXPECT_TRUE(WaitUntil([&] { return churner.dialed > 100; }, 10000));
  loadPageSixTimes([&page](size_t i, const QList<QByteArray>& requests, const QList<QByteArray>& bodies) {
    return FetchOn(page[i], requests, bodies);
  });
  churner.stop = true;
  churn.join();
  for (int fd : page) ::close(fd);
}

// Eight connections with the right host and no token, each with requests
// sent after each other as long as the server reads them, and nothing read
// back. Tells how many were closed and what came on them.
struct Pipeliner {
  quint16 port = 0;
  char requests[16 * 1024] = {};
  size_t size = 0;
  std::atomic<int> closed = 0;
  std::atomic<long> received = 0;
};

void Pipeline(Pipeliner& p) {
  constexpr int kConnections = 8;
  pollfd connections[kConnections];
  for (pollfd& c : connections) {
    c.fd = Dial(p.port);
    ::fcntl(c.fd, F_SETFL, O_NONBLOCK);
    c.events = POLLOUT | POLLRDHUP;
  }
  for (int open = kConnections; open > 0;) {
    ::poll(connections, kConnections, 100);
    for (pollfd& c : connections) {
      if (c.fd < 0) continue;
      bool ended = c.revents & (POLLRDHUP | POLLHUP | POLLERR);
      while (!ended && ::send(c.fd, p.requests, p.size, MSG_NOSIGNAL) > 0) {}
      if (!ended && errno != EAGAIN && errno != EWOULDBLOCK) ended = true;
      if (!ended) continue;
      char buffer[4096];
      for (ssize_t n; (n = ::recv(c.fd, buffer, sizeof buffer, 0)) > 0;) p.received += n;
      ::close(c.fd);
      c.fd = -1;
      --open;
      ++p.closed;
    }
  }
  for (;;) ::pause();
}

TEST_F(LoopbackServerTest, AnotherUsersPipelinesThatAreNeverReadAreClosedAndThePlayerIsServed) {
  REQUIRE_OTHER_USER();
  server.setLimits({24, 60000, 60000, 256 * 1024, 8, 60000});
  OtherUser<Pipeliner> other;
  Pipeliner& p = other.state();
  p.port = server.port();
  const QByteArray stranger = "GET /view1/movie/a.swf HTTP/1.1\r\nHost: " + host() + "\r\n\r\n";
  for (; p.size + stranger.size() <= sizeof p.requests; p.size += stranger.size())
    std::memcpy(p.requests + p.size, stranger.constData(), stranger.size());
  ASSERT_TRUE(other.start(Pipeline));
  // Until all eight are closed, or held in answers that no one reads.
  qint64 last = -1;
  int steady = 0;
  EXPECT_TRUE(WaitUntil([&] {
    const qint64 now = server.bufferedBytes();
    steady = now == last && server.connectionCount() == 8 ? steady + 1 : 0;
    last = now;
    return p.closed == 8 || steady >= 50 || !other.running();
  }, 30000));
  EXPECT_EQ(p.closed.load(), 8) << "another user's connections are held";
  EXPECT_EQ(p.received.load(), 0) << "another user's requests were answered";
  EXPECT_TRUE(WhileServing([&] { return FetchInTurn(server.port(), {request("view1/movie/a.swf")}, {"FWS-movie"}); }))
      << "the player's connection was refused";
}

TEST_F(LoopbackServerTest, AnotherUsersSilentFloodPushesOutNoConnectionThatHasNotAskedYet) {
  REQUIRE_OTHER_USER();
  server.setLimits({24, 60000, 60000, 256 * 1024, 8, 60000});
  // In the system's queue: the player's connection, its request not sent
  // yet; behind it more silent connections of another user than the
  // strangers' allowance; behind them a request, answered once the server
  // has taken in all before it. (No event is handled meanwhile.)
  const int player = Dial(server.port());
  OtherUser<Dialer> other;
  other.state().port = server.port();
  ASSERT_TRUE(other.start([](Dialer& flood) {
    for (; flood.dialed < 32; ++flood.dialed) Dial(flood.port);
    for (;;) ::pause();
  }));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);  // against a hang
  while (other.state().dialed < 32 && other.running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(other.state().dialed.load(), 32);
  EXPECT_TRUE(WhileServing([&] { return FetchInTurn(server.port(), {request("view1/movie/a.swf")}, {"FWS-movie"}); }));
  EXPECT_TRUE(WhileServing([&] { return FetchOn(player, {request("view1/movie/a.swf")}, {"FWS-movie"}); }))
      << "the player's connection was pushed out";
  ::close(player);
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
