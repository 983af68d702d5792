#include "ui/player/guarded_page.h"

#include <QPointer>

#include "ui/player/flash_host.h"
#include "ui/player/loopback_server.h"

namespace tesmiro::player {
namespace {

class CatcherPage : public QWebEnginePage {
 public:
  CatcherPage(QWebEngineProfile* profile, GuardedPage* opener) : QWebEnginePage(profile, opener), opener_(opener) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (opener_ && !url.isEmpty() && url.scheme() != QLatin1String("about")) opener_->handOver(url);
    deleteLater();
    return false;
  }

 private:
  QPointer<GuardedPage> opener_;
};

bool OwnServer(const QUrl& url) {
  const LoopbackServer* server = LoopbackServer::shared();
  return server && url.scheme() == QLatin1String("http") && url.host() == QLatin1String("127.0.0.1") &&
         url.port() == server->port();
}

}  // namespace

bool GuardedPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  if (isMainFrame && !allowed_.isEmpty() && url == allowed_) {
    allowed_.clear();
    return true;
  }
  if (isMainFrame && !folder_.isEmpty() && url.toString().startsWith(folder_.toString())) return true;
  handOver(url);
  return false;
}

QWebEnginePage* GuardedPage::createWindow(WebWindowType) { return new CatcherPage(profile(), this); }

void GuardedPage::handOver(const QUrl& url) {
  if (OwnServer(url)) return;
  if (lastOpen_.isValid() && lastOpen_.elapsed() < 1000) return;
  lastOpen_.start();
  OpenExternalUrl(url);
}

}  // namespace tesmiro::player
