#pragma once
// A small HTTP server on 127.0.0.1 for the web player. The player fetches
// its code, its wasm and the movies, which neither file:// URLs nor custom
// schemes allow. Every URL starts with a random token, so that no other
// program on the machine can read through it, and only what was mounted or
// routed is served: the player's resources, the folder of a movie being
// shown, and a few answers made in memory.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace tesmiro::player {

struct HttpResponse {
  int status = 200;
  QByteArray contentType = "text/plain; charset=utf-8";
  QByteArray body;
  QList<QPair<QByteArray, QByteArray>> headers;  // extra header lines
  bool cacheable = false;                        // else "no-store"
};

class LoopbackServer : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<HttpResponse(const QString& path)>;

  explicit LoopbackServer(QObject* parent = nullptr);
  ~LoopbackServer() override;

  // The one server of the program, listening from its first use. Null when
  // it cannot listen.
  static LoopbackServer* shared();

  // Listens on 127.0.0.1 on a port the system chooses, under a new token.
  bool listen();
  bool isListening() const;
  quint16 port() const;
  QString token() const { return token_; }
  // http://127.0.0.1:<port>/<token>/<path> (path unencoded, "/"-separated).
  QUrl url(const QString& path) const;
  QString origin() const;

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

  // The type a file is served with, by its extension.
  static QByteArray contentTypeFor(const QString& fileName);

  // What a request for `target` (the raw request target) is answered with;
  // the socket side only frames it. Public for the tests.
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
  void onNewConnection();
  void onReadyRead(QTcpSocket* socket);
  HttpResponse serveFile(const Mount& mount, const QString& rest);

  std::unique_ptr<QTcpServer> server_;
  QString token_;
  QHash<QString, Mount> mounts_;
  QHash<QString, Route> routes_;
  // Cacheable files are read once: the wasm is fetched by every new page.
  QHash<QString, QByteArray> fileCache_;
};

}  // namespace tesmiro::player
