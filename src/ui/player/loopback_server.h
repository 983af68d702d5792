#pragma once
// A small HTTP server on 127.0.0.1 for the web player. The player fetches
// its code, its wasm and the movies, which neither file:// URLs nor custom
// schemes allow. Every URL starts with a random token, so that no other
// program on the machine can read through it, and only what was mounted or
// routed is served: the player's resources, a movie being shown with the
// files it names, and a few answers made in memory.
//
// Any program on the machine can connect. Another user's is closed as it
// is taken in, before it is read or holds a place: the system tells whose
// the client's socket is. For the user's own programs other than the
// player the server still holds little: a few connections, each with a
// small buffer (a file is read as the socket drains, and the next request
// waits while the answers before it are still unsent), each given a fixed
// time for a request head, and only requests made for this port's own
// address. Connections that have not yet shown the token or a scope's
// cookie share a small allowance of their own: however many of them come
// and go, they never push out a connection of the player's, nor one that is
// being sent an answer.
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

class QFile;
class QTcpSocket;

namespace tesmiro {
struct LoopbackPeer;
}

namespace tesmiro::player {

struct HttpRequest {
  QByteArray method = "GET";
  QByteArray target;  // as in the request line
  QByteArray host;    // the Host header
  QByteArray cookie;  // the Cookie header
};

struct HttpResponse {
  int status = 200;
  QByteArray contentType = "text/plain; charset=utf-8";
  QByteArray body;
  // When set, the body is this open file's first `fileSize` bytes, sent as
  // the connection drains rather than held whole.
  std::shared_ptr<QFile> file;
  qint64 fileSize = 0;
  QList<QPair<QByteArray, QByteArray>> headers;  // extra header lines
  bool cacheable = false;                        // else "no-store"
};

class LoopbackServer : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<HttpResponse(const QString& path)>;

  struct Limits {
    int connections = 24;  // that have shown the token or a cookie
    int idleMs = 5000;     // for a request head, from when it could begin
    int stalledMs = 30000;  // with an answer the client stopped reading
    qint64 unsentBytes = 256 * 1024;  // per connection
    // Connections that have shown nothing yet (no more than `connections`),
    // and the time they have for their first head. A page fetches over a
    // handful of connections at a time and asks at once on each.
    int unproven = 8;
    int unprovenHeadMs = 2000;
  };

  explicit LoopbackServer(QObject* parent = nullptr);
  ~LoopbackServer() override;

  // The one server of the program, listening from its first use. Null when
  // it cannot listen.
  static LoopbackServer* shared();

  // A soft limit of 1024 descriptors is soon reached by the web engine, a
  // big project and the preview's connections together; running out aborts
  // the program deep inside the libraries. Takes what the system allows.
  static void raiseDescriptorLimit();

  // Listens on 127.0.0.1 on a port the system chooses, under a new token.
  bool listen();
  bool isListening() const { return listener_ >= 0; }
  quint16 port() const { return port_; }
  QString token() const { return token_; }
  // http://127.0.0.1:<port>/<token>/<path> (path unencoded, "/"-separated).
  QUrl url(const QString& path) const { return scopeUrl(token_, path); }
  QString origin() const;

  void setLimits(const Limits& limits) { limits_ = limits; }
  int connectionCount() const { return static_cast<int>(connections_.size()); }
  // What the open connections hold in memory: unread requests and unsent
  // answers.
  qint64 bufferedBytes() const;

  // Serves the regular files below `folder` at /<token>/<prefix>/...; names
  // with ".." or "." segments and anything that leads outside the folder
  // (through links too) are refused. `cacheable` lets the browser keep them
  // for the run (files that never change while the program runs).
  // `transform` (optional) rewrites a file's bytes before they are sent.
  using Transform = std::function<QByteArray(const QString& file, const QByteArray& body)>;
  void mount(const QString& prefix, const QString& folder, bool cacheable = false, Transform transform = {});
  void unmount(const QString& prefix);
  // Answers /<token>/<path> exactly, or with `prefixMatch` every path below
  // it (the handler gets the rest after "<path>/").
  void route(const QString& path, Handler handler, bool prefixMatch = false);
  void unroute(const QString& path);

  // A namespace of its own, /<id>/..., answered by `handler` only to a
  // browser that holds the scope's cookie. The cookie is handed out once,
  // for a ticket, so an address read elsewhere (a command line, a history)
  // opens nothing, and a page of one scope cannot reach another's files.
  QString openScope(Handler handler);
  void closeScope(const QString& id);
  QUrl scopeUrl(const QString& id, const QString& path) const;
  // `path` of the scope with a new one-time ticket (the one before is void):
  // its first request gets the cookie and goes on to `path`.
  QUrl ticketUrl(const QString& id, const QString& path);

  // The answer for the file `rest` below `folder`, under the rules of mount().
  HttpResponse serveFile(const QString& folder, const QString& rest, bool cacheable = false,
                         const Transform& transform = {});

  // The type a file is served with, by its extension.
  static QByteArray contentTypeFor(const QString& fileName);

  // What a request is answered with; the socket side only frames it.
  // Public for the tests; the short form is a request as the player makes it.
  // `proven` tells whether the request showed the token or a scope's
  // cookie or ticket.
  HttpResponse respond(const HttpRequest& request, bool* proven = nullptr);
  HttpResponse respond(const QByteArray& method, const QByteArray& target);

 private:
  struct Mount {
    QString folder;
    bool cacheable = false;
    Transform transform;
  };
  struct Route {
    Handler handler;
    bool prefixMatch = false;
  };
  struct Scope {
    Handler handler;
    QByteArray cookie;
    QByteArray ticket;
  };
  struct Connection;
  HttpResponse respondInToken(const QString& rest);
  HttpResponse respondInScope(const QString& id, Scope& scope, const QString& rest, const QByteArray& query,
                              const QByteArray& cookie, bool& proven);
  bool hostIsOurs(const QByteArray& host) const;
  void closeListener();
  void onAcceptable();
  void admit(int descriptor, const LoopbackPeer& peer);
  void readWaiting(Connection& c);
  bool makeRoomForUnproven();
  void makeRoomForProven(const Connection& newcomer);
  void serve(QTcpSocket* socket, bool progressed);
  bool takeRequest(Connection& c);
  void drop(QTcpSocket* socket, bool abort);
  void closeIdle();

  // The listening socket is the server's own: QTcpServer (Qt 6.4) takes a
  // failed accept for a passing one once any accept has come back empty,
  // and then polls the socket without pause while no descriptor is left.
  int listener_ = -1;
  quint16 port_ = 0;
  QSocketNotifier acceptNotifier_{QSocketNotifier::Read};
  QTimer acceptRetry_;
  quint64 arrivals_ = 0;
  QString token_;
  Limits limits_;
  QHash<QString, Mount> mounts_;
  QHash<QString, Route> routes_;
  QHash<QString, Scope> scopes_;
  // Cacheable files are read once: the wasm is fetched by every new page.
  QHash<QString, QByteArray> fileCache_;
  QHash<QTcpSocket*, std::shared_ptr<Connection>> connections_;
  QTimer idleTimer_;
};

}  // namespace tesmiro::player
