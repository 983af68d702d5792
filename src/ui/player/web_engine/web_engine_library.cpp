// The web engine library: Qt WebEngine behind the plain interface of
// web_page.h. The program loads it as a plugin when it first needs a page,
// so that Qt WebEngine costs nothing at start-up. It links Qt alone: the
// program's own code stays in the program, on the far side of the
// interface.
#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "ui/player/web_engine/guarded_page.h"
#include "ui/player/web_page.h"

namespace tesmiro::player {
namespace {

// The page hands its console lines to its owner.
class HookedPage : public GuardedPage {
 public:
  HookedPage(QWebEngineProfile* profile, QObject* parent, const WebPageHooks& hooks)
      : GuardedPage(profile, parent, hooks.openLink, hooks.ownServer), console_(hooks.console) {}

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                const QString& sourceId) override {
    if (console_) console_(message, sourceId);
  }

 private:
  std::function<void(const QString&, const QString&)> console_;
};

class PageView : public QWebEngineView, public WebPage {
 public:
  PageView(QWidget* parent, QWebEngineProfile* profile, WebPageKind kind, const WebPageHooks& hooks)
      : QWebEngineView(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    // The page is the view's child, so that the view goes first.
    page_ = new HookedPage(profile, this, hooks);
    QWebEngineSettings* s = page_->settings();
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    if (kind == WebPageKind::Player) {
      setAcceptDrops(false);
      page_->setBackgroundColor(Qt::white);
      s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
      s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
      s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
      s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
      s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    }
    setPage(page_);
    if (hooks.titleChanged) connect(this, &QWebEngineView::titleChanged, this, hooks.titleChanged);
    if (hooks.loadFinished) connect(page_, &QWebEnginePage::loadFinished, this, hooks.loadFinished);
    if (hooks.processEnded)
      connect(page_, &QWebEnginePage::renderProcessTerminated, this, [ended = hooks.processEnded] { ended(); });
  }
  // The page's process ends with the page: that is no news for its owner,
  // who is destroying it.
  ~PageView() override { disconnect(page_, &QWebEnginePage::renderProcessTerminated, this, nullptr); }

  QWidget* widget() override { return this; }
  void load(const QUrl& url) override {
    page_->allowNext(url);
    page_->load(url);
  }
  void allowBelow(const QUrl& folder) override { page_->allowBelow(folder); }
  QUrl url() const override { return page_->url(); }
  void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) override {
    if (done) page_->runJavaScript(script, std::move(done));
    else page_->runJavaScript(script);
  }
  void setBackgroundColor(const QColor& colour) override { page_->setBackgroundColor(colour); }

 private:
  HookedPage* page_ = nullptr;
};

}  // namespace

class WebEngineLibrary : public QObject, public WebEngine {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID TESMIRO_WEB_ENGINE_IID)
  Q_INTERFACES(tesmiro::player::WebEngine)

 public:
  WebPage* createPage(QWidget* parent, WebPageKind kind, WebPageHooks hooks) override {
    return new PageView(parent, profile(), kind, hooks);
  }

 private:
  // One profile for every page, off the record: nothing of it is written
  // to disk. (The player's files have new addresses in every run, with the
  // server's new port and token, and what a cache keeps, compiled code
  // included, it keeps by address: a disk cache would only fill up.)
  QWebEngineProfile* profile() {
    if (!profile_) {
      profile_ = new QWebEngineProfile(QCoreApplication::instance());
      profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
      profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
    return profile_;
  }

  QPointer<QWebEngineProfile> profile_;
};

}  // namespace tesmiro::player

#include "web_engine_library.moc"
