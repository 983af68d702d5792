#pragma once
// A web page that goes only where it is told. A movie's links (getURL,
// window.open, a link in the page) never navigate it: they go to the
// owner's link hook, at most one a second so that a movie calling getURL on
// every frame cannot flood it; links to the program's own server go
// nowhere.
#include <QElapsedTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <functional>

namespace tesmiro::player {

class GuardedPage : public QWebEnginePage {
 public:
  GuardedPage(QWebEngineProfile* profile, QObject* parent, std::function<void(const QUrl&)> openLink, QUrl ownServer)
      : QWebEnginePage(profile, parent), openLink_(std::move(openLink)), ownServer_(std::move(ownServer)) {}

  // The next load of exactly this address in the main frame goes ahead.
  void allowNext(const QUrl& url) { allowed_ = url; }
  // Main-frame loads below this address go ahead too (the pages of a
  // browser preview's folder).
  void allowBelow(const QUrl& folder) { folder_ = folder; }
  void handOver(const QUrl& url);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  // window.open and target="_blank": a page that never shows, only to
  // learn where the movie wanted to go.
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  std::function<void(const QUrl&)> openLink_;
  QUrl ownServer_;
  QUrl allowed_;
  QUrl folder_;
  QElapsedTimer lastOpen_;
};

}  // namespace tesmiro::player
