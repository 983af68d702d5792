#include "ui/player/web_engine/guarded_page.h"

#include <QPointer>

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
  if (ownServer_.isValid() && url.scheme() == ownServer_.scheme() && url.host() == ownServer_.host() &&
      url.port() == ownServer_.port())
    return;
  if (lastOpen_.isValid() && lastOpen_.elapsed() < 1000) return;
  lastOpen_.start();
  if (openLink_) openLink_(url);
}

}  // namespace tesmiro::player
