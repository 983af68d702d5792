#include "ui/player/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QUrlQuery>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <utility>
#include <vector>

#include "platform/loopback_peer.h"

namespace tesmiro::player {
namespace {

// A request head larger than this is not a request of our player.
constexpr qint64 kMaxHeadBytes = 32 * 1024;
// Files that are read whole: kept for the run, or rewritten before sending.
constexpr qint64 kMaxWholeFileBytes = qint64{64} << 20;
// An answer goes to the socket in pieces of this size.
constexpr qint64 kWriteChunk = 64 * 1024;
// After an accept failed (no descriptor left), the next try waits this long.
constexpr int kAcceptRetryMs = 250;
// Connections taken from the system's queue before the held ones are served
// again.
constexpr int kAcceptBatch = 32;
// More descriptors than this buy nothing, and programs started from here
// inherit the limit.
constexpr rlim_t kDescriptorsWanted = 65536;
constexpr char kCookieName[] = "tesmiro";

QByteArray ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 421: return "Misdirected Request";
    case 431: return "Request Header Fields Too Large";
    default: return "Error";
  }
}

HttpResponse Status(int status) {
  HttpResponse r;
  r.status = status;
  r.body = ReasonOf(status) + "\n";
  return r;
}

QByteArray FrameHead(const HttpResponse& r, bool keepAlive) {
  const qint64 length = r.file ? r.fileSize : r.body.size();
  QByteArray out = "HTTP/1.1 " + QByteArray::number(r.status) + " " + ReasonOf(r.status) + "\r\n";
  out += "Content-Type: " + r.contentType + "\r\n";
  out += "Content-Length: " + QByteArray::number(length) + "\r\n";
  out += r.cacheable ? "Cache-Control: max-age=86400\r\n" : "Cache-Control: no-store\r\n";
  out += "X-Content-Type-Options: nosniff\r\n";
  for (const auto& [name, value] : r.headers) out += name + ": " + value + "\r\n";
  out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
  return out;
}

QString NewToken() {
  // 128 bits from the system's generator, as hex.
  QByteArray bytes(16, '\0');
  for (int i = 0; i < 16; i += 4) {
    const quint32 v = QRandomGenerator::system()->generate();
    for (int k = 0; k < 4; ++k) bytes[i + k] = static_cast<char>(v >> (8 * k));
  }
  return QString::fromLatin1(bytes.toHex());
}

bool SafeSegments(const QStringList& segments) {
  for (const QString& s : segments) {
    if (s == QLatin1String("..") || s == QLatin1String(".") || s.contains(QChar(0))) return false;
  }
  return true;
}

// Compares secrets in a time that does not tell how much of them matched.
bool SameSecret(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size() || a.isEmpty()) return false;
  unsigned char diff = 0;
  for (qsizetype i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

bool HoldsCookie(const QByteArray& header, const QByteArray& secret) {
  bool found = false;
  for (const QByteArray& pair : header.split(';')) {
    const QByteArray p = pair.trimmed();
    const qsizetype eq = p.indexOf('=');
    if (eq > 0 && p.left(eq) == kCookieName && SameSecret(p.mid(eq + 1), secret)) found = true;
  }
  return found;
}

// Whether the client is a program of this program's own user: no other
// user's program has anything to ask here, nor may it hold a place that the
// player's connections need. Where the system does not tell, every
// connection is taken in, and the allowances alone stand between other
// users and the player.
bool OfOurUser(const LoopbackPeer& peer) {
  if (peer.state != LoopbackPeer::State::kUnknown)
    return peer.state == LoopbackPeer::State::kOpen && peer.uid == ::geteuid();
  static bool told = false;
  if (!told)
    std::fprintf(stderr, "tesmiro: プレビュー用の接続がどのユーザーのものか確かめられないため、"
                         "他のユーザーの接続も受け付けます\n");
  told = true;
  return true;
}

}  // namespace

// One client connection: the answer it is being sent, one at a time.
struct LoopbackServer::Connection {
  QTcpSocket* socket = nullptr;
  quint64 arrival = 0;
  bool proven = false;     // a request of it showed the token or a cookie
  bool answering = false;  // until the answer has left the socket
  // Since the head could begin (connected, or the answer before it out);
  // while answering, since the answer last moved on.
  QElapsedTimer since;
  std::deque<QByteArray> parts;  // the head and an in-memory body
  qsizetype partPos = 0;
  std::shared_ptr<QFile> file;  // then this much of the file
  qint64 fileLeft = 0;
  bool closeAfter = false;

  bool unsent() const { return !parts.empty() || fileLeft > 0; }
};

LoopbackServer::LoopbackServer(QObject* parent) : QObject(parent) {
  acceptRetry_.setSingleShot(true);
  acceptRetry_.setInterval(kAcceptRetryMs);
  connect(&acceptRetry_, &QTimer::timeout, this, [this] { acceptNotifier_.setEnabled(true); });
  connect(&acceptNotifier_, &QSocketNotifier::activated, this, &LoopbackServer::onAcceptable);
  connect(&idleTimer_, &QTimer::timeout, this, &LoopbackServer::closeIdle);
}

LoopbackServer::~LoopbackServer() {
  const QList<QTcpSocket*> sockets = connections_.keys();
  for (QTcpSocket* s : sockets) drop(s, true);
  closeListener();
}

LoopbackServer* LoopbackServer::shared() {
  static QPointer<LoopbackServer> instance;
  if (!instance) {
    instance = new LoopbackServer(nullptr);
    if (!instance->listen()) {
      delete instance;
      return nullptr;
    }
  }
  return instance;
}

void LoopbackServer::raiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  const rlim_t wanted = std::min(limit.rlim_max, kDescriptorsWanted);
  if (limit.rlim_cur >= wanted) return;
  limit.rlim_cur = wanted;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool LoopbackServer::listen() {
  closeListener();
  token_ = NewToken();
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return false;
  }
  listener_ = fd;
  port_ = ntohs(address.sin_port);
  acceptNotifier_.setSocket(fd);
  acceptNotifier_.setEnabled(true);
  return true;
}

void LoopbackServer::closeListener() {
  acceptRetry_.stop();
  acceptNotifier_.setSocket(-1);
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
  port_ = 0;
}

QString LoopbackServer::origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }

QUrl LoopbackServer::scopeUrl(const QString& id, const QString& path) const {
  QUrl u(origin());
  u.setPath(QLatin1Char('/') + id + QLatin1Char('/') + path, QUrl::DecodedMode);
  return u;
}

qint64 LoopbackServer::bufferedBytes() const {
  qint64 total = 0;
  for (auto it = connections_.constBegin(); it != connections_.constEnd(); ++it)
    total += it.key()->bytesToWrite() + it.key()->bytesAvailable();
  return total;
}

void LoopbackServer::mount(const QString& prefix, const QString& folder, bool cacheable, Transform transform) {
  mounts_.insert(prefix, Mount{folder, cacheable, std::move(transform)});
}

void LoopbackServer::unmount(const QString& prefix) { mounts_.remove(prefix); }

void LoopbackServer::route(const QString& path, Handler handler, bool prefixMatch) {
  routes_.insert(path, Route{std::move(handler), prefixMatch});
}

void LoopbackServer::unroute(const QString& path) { routes_.remove(path); }

QString LoopbackServer::openScope(Handler handler) {
  QString id = NewToken();
  while (id == token_ || scopes_.contains(id)) id = NewToken();
  scopes_.insert(id, Scope{std::move(handler), NewToken().toLatin1(), {}});
  return id;
}

void LoopbackServer::closeScope(const QString& id) { scopes_.remove(id); }

QUrl LoopbackServer::ticketUrl(const QString& id, const QString& path) {
  const auto scope = scopes_.find(id);
  if (scope == scopes_.end()) return {};
  scope->ticket = NewToken().toLatin1();
  QUrl u = scopeUrl(id, path);
  u.setQuery(QStringLiteral("ticket=") + QString::fromLatin1(scope->ticket));
  return u;
}

QByteArray LoopbackServer::contentTypeFor(const QString& fileName) {
  const QString ext = QFileInfo(fileName).suffix().toLower();
  static const QHash<QString, QByteArray> types = {
      {"html", "text/html; charset=utf-8"},   {"htm", "text/html; charset=utf-8"},
      {"js", "text/javascript; charset=utf-8"}, {"mjs", "text/javascript; charset=utf-8"},
      {"css", "text/css; charset=utf-8"},     {"json", "application/json"},
      {"wasm", "application/wasm"},           {"swf", "application/x-shockwave-flash"},
      {"ttf", "font/ttf"},                    {"otf", "font/otf"},
      {"ttc", "font/collection"},             {"png", "image/png"},
      {"jpg", "image/jpeg"},                  {"jpeg", "image/jpeg"},
      {"gif", "image/gif"},                   {"mp3", "audio/mpeg"},
      {"flv", "video/x-flv"},                 {"txt", "text/plain; charset=utf-8"},
      {"xml", "text/xml"},
  };
  return types.value(ext, "application/octet-stream");
}

HttpResponse LoopbackServer::respond(const QByteArray& method, const QByteArray& target) {
  return respond(HttpRequest{method, target, "127.0.0.1:" + QByteArray::number(port()), {}});
}

HttpResponse LoopbackServer::respond(const HttpRequest& request, bool* proven) {
  bool unused = false;
  bool& shown = proven ? *proven : unused;
  shown = false;
  // A page of another site whose name was made to point here (DNS
  // rebinding) sends its own name; it does not get as far as the token.
  if (!hostIsOurs(request.host)) return Status(421);
  if (request.method != "GET" && request.method != "HEAD") return Status(405);
  QByteArray pathPart = request.target;
  QByteArray query;
  const qsizetype cut = pathPart.indexOf('?');
  if (cut >= 0) {
    query = pathPart.mid(cut + 1);
    pathPart.truncate(cut);
  }
  if (!pathPart.startsWith('/')) return Status(400);
  const QString decoded = QUrl::fromPercentEncoding(pathPart.mid(1));
  QStringList segments = decoded.split(QLatin1Char('/'));
  const QString first = segments.takeFirst();
  const bool inToken = !token_.isEmpty() && first == token_;
  const auto scope = inToken ? scopes_.end() : scopes_.find(first);
  if (!inToken && scope == scopes_.end()) return Status(404);
  shown = inToken;
  if (!SafeSegments(segments)) return Status(403);
  const QString rest = segments.join(QLatin1Char('/'));
  return inToken ? respondInToken(rest) : respondInScope(first, *scope, rest, query, request.cookie, shown);
}

HttpResponse LoopbackServer::respondInScope(const QString& id, Scope& scope, const QString& rest,
                                            const QByteArray& query, const QByteArray& cookie, bool& proven) {
  const QByteArray ticket = QUrlQuery(QString::fromLatin1(query)).queryItemValue(QStringLiteral("ticket")).toLatin1();
  if (SameSecret(ticket, scope.ticket)) {
    proven = true;
    // The cookie, and on to the page: a redirect would not do, as a browser
    // sends no strict cookie along a chain of redirects that another place
    // (the file that sent it here) began.
    scope.ticket.clear();
    QByteArray target = "/" + id.toLatin1();
    for (const QString& s : rest.split(QLatin1Char('/'))) target += "/" + QUrl::toPercentEncoding(s);
    HttpResponse r;
    r.contentType = "text/html; charset=utf-8";
    r.body = "<!doctype html><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" content=\"0;url=" + target +
             "\"><title></title>\n";
    r.headers.push_back({"Set-Cookie", QByteArray(kCookieName) + "=" + scope.cookie + "; Path=/" + id.toLatin1() +
                                           "/; HttpOnly; SameSite=Strict"});
    r.headers.push_back({"Referrer-Policy", "no-referrer"});
    return r;
  }
  if (!HoldsCookie(cookie, scope.cookie)) return Status(403);
  proven = true;
  return scope.handler(rest);
}

HttpResponse LoopbackServer::respondInToken(const QString& rest) {
  const auto exact = routes_.constFind(rest);
  if (exact != routes_.constEnd() && !exact->prefixMatch) return exact->handler(rest);
  for (auto it = routes_.constBegin(); it != routes_.constEnd(); ++it) {
    if (it->prefixMatch && rest.startsWith(it.key() + QLatin1Char('/')))
      return it->handler(rest.mid(it.key().size() + 1));
  }
  // The longest mounted prefix wins.
  const Mount* best = nullptr;
  qsizetype bestLength = -1;
  for (auto it = mounts_.constBegin(); it != mounts_.constEnd(); ++it) {
    if (rest.startsWith(it.key() + QLatin1Char('/')) && it.key().size() > bestLength) {
      best = &it.value();
      bestLength = it.key().size();
    }
  }
  if (!best) return Status(404);
  return serveFile(best->folder, rest.mid(bestLength + 1), best->cacheable, best->transform);
}

bool LoopbackServer::hostIsOurs(const QByteArray& host) const {
  const QByteArray port = ":" + QByteArray::number(this->port());
  const QByteArray h = host.toLower();
  return h == "127.0.0.1" + port || h == "localhost" + port;
}

HttpResponse LoopbackServer::serveFile(const QString& folder, const QString& rest, bool cacheable,
                                       const Transform& transform) {
  if (rest.isEmpty()) return Status(404);
  const QString root = QFileInfo(folder).canonicalFilePath();
  if (root.isEmpty()) return Status(404);
  const QFileInfo info(QDir(root).filePath(rest));
  const QString real = info.canonicalFilePath();
  // Links are followed only as far as they stay inside the folder.
  if (real.isEmpty() || !real.startsWith(root + QLatin1Char('/'))) return Status(real.isEmpty() ? 404 : 403);
  if (!QFileInfo(real).isFile()) return Status(404);
  HttpResponse r;
  r.contentType = contentTypeFor(real);
  r.cacheable = cacheable;
  if (cacheable) {
    const auto cached = fileCache_.constFind(real);
    if (cached != fileCache_.constEnd()) {
      r.body = *cached;
      return r;
    }
  }
  auto file = std::make_shared<QFile>(real);
  if (!file->open(QIODevice::ReadOnly)) return Status(404);
  if (!cacheable && !transform) {
    r.file = std::move(file);
    r.fileSize = r.file->size();
    return r;
  }
  if (file->size() > kMaxWholeFileBytes) return Status(404);
  r.body = file->readAll();
  if (transform) r.body = transform(real, r.body);
  if (cacheable) fileCache_.insert(real, r.body);
  return r;
}

void LoopbackServer::onAcceptable() {
  // Whose the connections are is asked for all of a round at once: where
  // only /proc tells, its tables are then read once a round, not once a
  // connection.
  std::vector<int> taken;
  bool outOfDescriptors = false;
  for (int i = 0; i < kAcceptBatch; ++i) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      // Only this machine's own programs reach a loopback listener; still,
      // answer nothing that did not come over loopback.
      if (peer.sin_family == AF_INET && ntohl(peer.sin_addr.s_addr) >> 24 == IN_LOOPBACKNET)
        taken.push_back(fd);
      else
        ::close(fd);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    // Else no descriptor left, most likely.
    outOfDescriptors = errno != EAGAIN && errno != EWOULDBLOCK;
    break;
  }
  const std::vector<LoopbackPeer> peers = LoopbackPeersOf(taken);
  for (size_t i = 0; i < taken.size(); ++i) admit(taken[i], peers[i]);
  if (outOfDescriptors) {
    // The waiting connections stay queued in the system; the socket keeps
    // signalling them, so it is not listened to until the next try.
    acceptNotifier_.setEnabled(false);
    acceptRetry_.start();
  }
}

void LoopbackServer::admit(int descriptor, const LoopbackPeer& peer) {
  // Other users' connections, and one its client has closed again already
  // (a flood that opens and closes), are let go before they take a place.
  if (!OfOurUser(peer)) {
    ::close(descriptor);
    return;
  }
  char probe = 0;
  const ssize_t waiting = ::recv(descriptor, &probe, 1, MSG_PEEK);
  if (waiting == 0 || (waiting < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || !makeRoomForUnproven()) {
    ::close(descriptor);
    return;
  }
  auto* socket = new QTcpSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    ::close(descriptor);
    delete socket;
    return;
  }
  // The socket reads no more than one request head ahead; the rest
  // waits in the system's buffers, which hold the sender back.
  socket->setReadBufferSize(kMaxHeadBytes);
  auto c = std::make_shared<Connection>();
  c->socket = socket;
  c->arrival = ++arrivals_;
  c->since.start();
  connections_.insert(socket, c);
  connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket, false); });
  connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { serve(socket, true); });
  connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket, false); });
  if (!idleTimer_.isActive()) idleTimer_.start(std::max(50, std::min(limits_.idleMs, limits_.unprovenHeadMs) / 4));
  readWaiting(*c);
}

void LoopbackServer::readWaiting(Connection& c) {
  // A browser asks as soon as it has connected: what it sent is read now,
  // before the connections queued behind it could push it out unread.
  char probe = 0;
  if (c.socket->bytesAvailable() == 0 && ::recv(c.socket->socketDescriptor(), &probe, 1, MSG_PEEK | MSG_DONTWAIT) > 0)
    c.socket->waitForReadyRead(0);
}

bool LoopbackServer::makeRoomForUnproven() {
  const int allowance = std::clamp(limits_.unproven, 1, std::max(1, limits_.connections));
  QList<std::shared_ptr<Connection>> unproven;
  for (const auto& c : std::as_const(connections_)) {
    if (!c->proven) unproven.push_back(c);
  }
  std::sort(unproven.begin(), unproven.end(), [](const auto& a, const auto& b) { return a->arrival < b->arrival; });
  qsizetype count = unproven.size();
  for (const auto& c : std::as_const(unproven)) {
    if (count < allowance) return true;
    readWaiting(*c);
    if (!connections_.contains(c->socket) || c->proven) {
      --count;
    } else if (!c->answering) {
      drop(c->socket, true);
      return true;
    }
  }
  // Those left are being sent their (short) answers: the newcomer is the
  // one turned away.
  return count < allowance;
}

void LoopbackServer::makeRoomForProven(const Connection& newcomer) {
  // The player's own connections: one that waits for its next request
  // goes first (the browser opens another when it needs one), else the one
  // whose answer has been stuck longest.
  int count = 0;
  const Connection* quietest = nullptr;
  const auto rank = [](const Connection& c) { return std::pair(!c.answering, c.since.elapsed()); };
  for (const auto& c : std::as_const(connections_)) {
    if (!c->proven || c.get() == &newcomer) continue;
    ++count;
    if (!quietest || rank(*c) > rank(*quietest)) quietest = c.get();
  }
  if (count >= std::max(1, limits_.connections)) drop(quietest->socket, true);
}

void LoopbackServer::serve(QTcpSocket* socket, bool progressed) {
  const auto found = connections_.constFind(socket);
  if (found == connections_.constEnd()) return;
  const std::shared_ptr<Connection> keep = *found;
  Connection& c = *keep;
  // Only what leaves for the client counts as progress: a client that
  // trickles bytes in gains no time by it.
  if (progressed && c.answering) c.since.restart();
  const qint64 room = std::max(limits_.unsentBytes, kWriteChunk);
  for (;;) {
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    // The answer goes to the socket a piece at a time, while the socket
    // holds little, so a client that does not read holds little here.
    while (c.unsent() && socket->bytesToWrite() + kWriteChunk <= room) {
      if (!c.parts.empty()) {
        const QByteArray& part = c.parts.front();
        const qint64 n = std::min<qint64>(kWriteChunk, part.size() - c.partPos);
        socket->write(part.constData() + c.partPos, n);
        c.partPos += n;
        if (c.partPos == part.size()) {
          c.parts.pop_front();
          c.partPos = 0;
        }
        continue;
      }
      const QByteArray piece = c.file->read(std::min(kWriteChunk, c.fileLeft));
      if (piece.isEmpty()) {
        // The file ended before the length already sent.
        drop(socket, true);
        return;
      }
      socket->write(piece);
      c.fileLeft -= piece.size();
      if (c.fileLeft == 0) c.file.reset();
    }
    if (c.unsent()) return;  // more when the socket has drained
    if (c.closeAfter) {
      socket->disconnectFromHost();
      return;
    }
    if (c.answering && socket->bytesToWrite() == 0) {
      c.answering = false;
      c.since.restart();
    }
    if (!takeRequest(c)) return;
  }
}

bool LoopbackServer::takeRequest(Connection& c) {
  QTcpSocket* socket = c.socket;
  const QByteArray seen = socket->peek(kMaxHeadBytes);
  const qsizetype end = seen.indexOf("\r\n\r\n");
  if (end < 0 && seen.size() < kMaxHeadBytes) return false;  // the head is still coming
  HttpResponse response;
  bool keepAlive = true;
  bool headOnly = false;
  if (end < 0) {
    // The limit holds for the whole head, however it arrived.
    response = Status(431);
    keepAlive = false;
  } else {
    const QByteArray head = socket->read(end + 4).left(end);
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    HttpRequest request;
    bool bad = requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1.");
    bool hostSeen = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const QByteArray line = lines[i].trimmed();
      const qsizetype colon = line.indexOf(':');
      if (colon <= 0) continue;
      const QByteArray name = line.left(colon).trimmed().toLower();
      const QByteArray value = line.mid(colon + 1).trimmed();
      if (name == "host") {
        bad = bad || hostSeen;  // two hosts: which one is meant?
        hostSeen = true;
        request.host = value;
      } else if (name == "cookie") {
        request.cookie += (request.cookie.isEmpty() ? "" : "; ") + value;
      } else if (name == "connection" && value.toLower().contains("close")) {
        keepAlive = false;
      } else if ((name == "content-length" && value != "0") || name == "transfer-encoding") {
        // The player only fetches; a body would have to be skipped unread.
        bad = true;
      }
    }
    if (bad) {
      response = Status(400);
      keepAlive = false;
    } else {
      request.method = requestLine[0];
      request.target = requestLine[1];
      bool proven = false;
      response = respond(request, &proven);
      if (proven && !c.proven) {
        c.proven = true;
        makeRoomForProven(c);
      }
      headOnly = request.method == "HEAD";
      if (response.status == 421) keepAlive = false;
    }
  }
  c.parts.push_back(FrameHead(response, keepAlive));
  if (!headOnly && response.file) {
    c.file = response.file;
    c.fileLeft = response.fileSize;
  } else if (!headOnly && !response.body.isEmpty()) {
    c.parts.push_back(response.body);
  }
  c.closeAfter = !keepAlive;
  c.answering = true;
  c.since.restart();
  return true;
}

void LoopbackServer::drop(QTcpSocket* socket, bool abort) {
  if (!connections_.remove(socket)) return;
  socket->disconnect(this);
  if (abort) socket->abort();
  socket->deleteLater();
  if (connections_.isEmpty()) idleTimer_.stop();
}

void LoopbackServer::closeIdle() {
  QList<QTcpSocket*> idle;
  for (auto it = connections_.constBegin(); it != connections_.constEnd(); ++it) {
    // A busy page may leave a fetch unread for a while; a connection that
    // asks for nothing is let go sooner, and one that has shown nothing yet
    // sooner still.
    const Connection& c = **it;
    const int limit = c.answering ? std::max(limits_.idleMs, limits_.stalledMs)
                      : c.proven  ? limits_.idleMs
                                  : std::min(limits_.idleMs, limits_.unprovenHeadMs);
    if (c.since.elapsed() >= limit) idle.push_back(it.key());
  }
  for (QTcpSocket* s : idle) drop(s, true);
}

}  // namespace tesmiro::player
