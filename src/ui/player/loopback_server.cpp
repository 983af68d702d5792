#include "ui/player/loopback_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

namespace tesmiro::player {
namespace {

// A request head larger than this is not a request of our player.
constexpr qsizetype kMaxHeadBytes = 32 * 1024;
constexpr qint64 kMaxFileBytes = qint64{1} << 30;

QByteArray ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
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

QByteArray Frame(const HttpResponse& r, bool head, bool keepAlive) {
  QByteArray out = "HTTP/1.1 " + QByteArray::number(r.status) + " " + ReasonOf(r.status) + "\r\n";
  out += "Content-Type: " + r.contentType + "\r\n";
  out += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
  out += r.cacheable ? "Cache-Control: max-age=86400\r\n" : "Cache-Control: no-store\r\n";
  out += "X-Content-Type-Options: nosniff\r\n";
  for (const auto& [name, value] : r.headers) out += name + ": " + value + "\r\n";
  out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
  if (!head) out += r.body;
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

}  // namespace

LoopbackServer::LoopbackServer(QObject* parent) : QObject(parent), server_(std::make_unique<QTcpServer>()) {
  connect(server_.get(), &QTcpServer::newConnection, this, &LoopbackServer::onNewConnection);
}

LoopbackServer::~LoopbackServer() = default;

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

bool LoopbackServer::listen() {
  if (server_->isListening()) server_->close();
  token_ = NewToken();
  return server_->listen(QHostAddress::LocalHost, 0);
}

bool LoopbackServer::isListening() const { return server_->isListening(); }

quint16 LoopbackServer::port() const { return server_->serverPort(); }

QString LoopbackServer::origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }

QUrl LoopbackServer::url(const QString& path) const {
  QUrl u(origin());
  u.setPath(QLatin1Char('/') + token_ + QLatin1Char('/') + path, QUrl::DecodedMode);
  return u;
}

void LoopbackServer::mount(const QString& prefix, const QString& folder, bool cacheable, Transform transform) {
  mounts_.insert(prefix, Mount{folder, cacheable, std::move(transform)});
}

void LoopbackServer::unmount(const QString& prefix) { mounts_.remove(prefix); }

void LoopbackServer::route(const QString& path, Handler handler, bool prefixMatch) {
  routes_.insert(path, Route{std::move(handler), prefixMatch});
}

void LoopbackServer::unroute(const QString& path) { routes_.remove(path); }

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
  if (method != "GET" && method != "HEAD") return Status(405);
  QByteArray pathPart = target;
  const qsizetype cut = pathPart.indexOf('?');
  if (cut >= 0) pathPart.truncate(cut);
  if (!pathPart.startsWith('/')) return Status(400);
  const QString decoded = QUrl::fromPercentEncoding(pathPart.mid(1));
  QStringList segments = decoded.split(QLatin1Char('/'));
  if (segments.isEmpty() || token_.isEmpty() || segments.first() != token_) return Status(404);
  segments.removeFirst();
  if (!SafeSegments(segments)) return Status(403);
  const QString rest = segments.join(QLatin1Char('/'));

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
  return serveFile(*best, rest.mid(bestLength + 1));
}

HttpResponse LoopbackServer::serveFile(const Mount& mount, const QString& rest) {
  if (rest.isEmpty()) return Status(404);
  const QString root = QFileInfo(mount.folder).canonicalFilePath();
  if (root.isEmpty()) return Status(404);
  const QFileInfo info(QDir(root).filePath(rest));
  const QString real = info.canonicalFilePath();
  // Links are followed only as far as they stay inside the folder.
  if (real.isEmpty() || !real.startsWith(root + QLatin1Char('/'))) return Status(real.isEmpty() ? 404 : 403);
  if (!QFileInfo(real).isFile()) return Status(404);
  HttpResponse r;
  r.contentType = contentTypeFor(real);
  r.cacheable = mount.cacheable;
  if (mount.cacheable) {
    const auto cached = fileCache_.constFind(real);
    if (cached != fileCache_.constEnd()) {
      r.body = *cached;
      return r;
    }
  }
  QFile file(real);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return Status(404);
  r.body = file.readAll();
  if (mount.transform) r.body = mount.transform(real, r.body);
  if (mount.cacheable) fileCache_.insert(real, r.body);
  return r;
}

void LoopbackServer::onNewConnection() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    // Only this machine's own programs reach a loopback listener; still,
    // answer nothing that did not come over loopback.
    if (!socket->peerAddress().isLoopback()) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }
}

void LoopbackServer::onReadyRead(QTcpSocket* socket) {
  QByteArray buffer = socket->property("tesmiroBuffer").toByteArray() + socket->readAll();
  for (;;) {
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
      if (buffer.size() > kMaxHeadBytes) {
        socket->write(Frame(Status(431), false, false));
        socket->disconnectFromHost();
        return;
      }
      break;
    }
    const QByteArray head = buffer.left(end);
    buffer.remove(0, end + 4);
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> request = lines.first().trimmed().split(' ');
    bool keepAlive = true;
    bool hasBody = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const QByteArray line = lines[i].trimmed().toLower();
      if (line.startsWith("connection:") && line.contains("close")) keepAlive = false;
      if (line.startsWith("content-length:") && line.mid(15).trimmed() != "0") hasBody = true;
      if (line.startsWith("transfer-encoding:")) hasBody = true;
    }
    HttpResponse response;
    if (request.size() != 3 || !request[2].startsWith("HTTP/1.")) {
      response = Status(400);
      keepAlive = false;
    } else if (hasBody) {
      // The player only fetches; a body would have to be skipped unread.
      response = Status(400);
      keepAlive = false;
    } else {
      response = respond(request[0], request[1]);
    }
    socket->write(Frame(response, request.value(0) == "HEAD", keepAlive));
    if (!keepAlive) {
      socket->disconnectFromHost();
      return;
    }
  }
  socket->setProperty("tesmiroBuffer", buffer);
}

}  // namespace tesmiro::player
