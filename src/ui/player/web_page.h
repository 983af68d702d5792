#pragma once
// Web pages as the player's windows use them. Qt WebEngine costs every
// program that links it a good part of its start-up, so it lives in a
// library of its own (web_engine/), which the program loads when it first
// needs a page; a program without that library runs on, previews aside.
// Everything that crosses into the library is declared here, with no Qt
// WebEngine type: plain calls on abstract classes and callbacks.
#include <QColor>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtPlugin>
#include <functional>

class QWidget;

namespace tesmiro::player {

// What the owner of a page hears from it.
struct WebPageHooks {
  // Console lines of the page's scripts: the text and the script's address.
  std::function<void(const QString& text, const QString& source)> console;
  std::function<void(const QString& title)> titleChanged;
  // The page has loaded, or failed to (`ok` false); its own scripts have
  // run by then, or never will.
  std::function<void(bool ok)> loadFinished;
  // Links the page wanted to follow (a movie's getURL, window.open); the
  // page itself never navigates. At most one a second arrives.
  std::function<void(const QUrl& url)> openLink;
  // The process that ran the page has ended (the system ended it, out of
  // memory, or it crashed): the page shows nothing and runs no script from
  // then on. Not heard while the page itself is being destroyed.
  std::function<void()> processEnded;
  // Links to this server (scheme, host and port) are the program's own and
  // go nowhere.
  QUrl ownServer;
};

enum class WebPageKind {
  // The host page of a player: no scroll bars, error pages or plug-ins,
  // and loading never takes the keyboard focus.
  Player,
  // A page of the browser preview, shown as a browser would.
  Browser,
};

class WebPage {
 public:
  virtual ~WebPage() = default;
  // The view that shows the page, a child of the parent it was made for;
  // it goes with this object.
  virtual QWidget* widget() = 0;
  // Shows `url`. Later navigation goes nowhere, except to pages below the
  // folder given to allowBelow.
  virtual void load(const QUrl& url) = 0;
  virtual void allowBelow(const QUrl& folder) = 0;
  virtual QUrl url() const = 0;
  virtual void runJavaScript(const QString& script, std::function<void(const QVariant&)> done = {}) = 0;
  virtual void setBackgroundColor(const QColor& colour) = 0;
};

// The library's one object.
class WebEngine {
 public:
  virtual ~WebEngine() = default;
  virtual WebPage* createPage(QWidget* parent, WebPageKind kind, WebPageHooks hooks) = 0;
};

}  // namespace tesmiro::player

#define TESMIRO_WEB_ENGINE_IID "org.tesmiro.WebEngine/2"
Q_DECLARE_INTERFACE(tesmiro::player::WebEngine, TESMIRO_WEB_ENGINE_IID)
