#include "ui/player/flash_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_engine_loader.h"

namespace tesmiro::player {
namespace {

FlashHostFactory& Factory() {
  static FlashHostFactory factory;
  return factory;
}

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

// Stands in for the player when it cannot run here: the windows work on
// around it, and it says why there is no preview.
class MissingPlayerHost : public FlashHost {
 public:
  MissingPlayerHost(QWidget* parent, const QString& reason) : FlashHost(parent), reason_(reason) {
    showFailure(reason_);
  }

  void loadMovie(const QString& path) override {
    if (path.isEmpty()) return;
    QMetaObject::invokeMethod(
        this, [this] { emit loadFailed(reason_); }, Qt::QueuedConnection);
  }
  void release() override {}
  QString moviePath() const override { return {}; }
  void play() override {}
  void stop() override {}
  void gotoFrame(int) override {}
  int frameNum() const override { return -1; }
  int totalFrames() const override { return 0; }
  bool isPlaying() const override { return false; }
  uint32_t backgroundColor() const override { return background_; }
  void setBackgroundColor(uint32_t rgb) override {
    background_ = rgb & 0xFFFFFF;
    showFailure(reason_);
  }
  std::optional<QString> variable(const QString&) const override { return std::nullopt; }
  void grabPictures(const QList<uint32_t>&, std::function<void(QList<QImage>)> done) override { done({}); }
  FlashCapabilities capabilities() const override { return {}; }

 private:
  QString reason_;
  uint32_t background_ = 0xFFFFFF;
};

// Owns the kept host for as long as the object it hangs on lives.
class Keeper : public QObject {
 public:
  Keeper(QObject* lifetime, FlashHost* host) : QObject(lifetime), host_(host) {}
  ~Keeper() override { delete host_.data(); }
  FlashHost* take() {
    FlashHost* host = host_.data();
    host_.clear();
    return host;
  }
  FlashHost* host() const { return host_.data(); }

 private:
  QPointer<FlashHost> host_;
};

// When the user last pressed or let go of a key or a mouse button, and
// whether a button is held now.
class InputClock : public QObject {
 public:
  static InputClock& instance() {
    static QPointer<InputClock> clock;
    if (!clock) clock = new InputClock(QCoreApplication::instance());
    return *clock;
  }
  qint64 sinceInput() const { return sinceInput_.elapsed(); }
  bool buttonHeld() const { return held_ != Qt::NoButton; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        held_ = static_cast<QMouseEvent*>(event)->buttons();
        sinceInput_.restart();
        break;
      case QEvent::MouseMove:
        // A press whose release went elsewhere ends with the next move.
        held_ = static_cast<QMouseEvent*>(event)->buttons();
        break;
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
        sinceInput_.restart();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  explicit InputClock(QObject* app) : QObject(app) {
    app->installEventFilter(this);
    sinceInput_.start();
  }
  QElapsedTimer sinceInput_;
  Qt::MouseButtons held_;
};

// Long enough for what a key or click started (a menu, a window) to have
// reached the window system.
constexpr int kIdleMs = 250;
constexpr int kIdlePollMs = 50;

QPointer<Keeper>& CurrentKeeper() {
  static QPointer<Keeper> keeper;
  return keeper;
}

FlashHost* TakeKept() {
  Keeper* keeper = CurrentKeeper().data();
  if (!keeper) return nullptr;
  FlashHost* host = keeper->take();
  delete keeper;
  return host;
}

}  // namespace

void FlashHost::showFailure(const QString& reason) {
  if (reason.isEmpty()) {
    delete failureLabel_;
    failureLabel_ = nullptr;
    return;
  }
  if (!failureLabel_) {
    failureLabel_ = new QLabel(this);
    failureLabel_->setObjectName(QStringLiteral("failureLabel"));
    failureLabel_->setAlignment(Qt::AlignCenter);
    failureLabel_->setWordWrap(true);
    failureLabel_->setMargin(4);
    failureLabel_->setAutoFillBackground(true);
    failureLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  const uint32_t rgb = backgroundColor();
  QPalette palette = failureLabel_->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(rgb));
  palette.setColor(QPalette::WindowText, qGray(rgb) < 128 ? Qt::white : Qt::black);
  failureLabel_->setPalette(palette);
  failureLabel_->setProperty("reason", reason);
  failureLabel_->setText(QString::fromUtf8(kPlayerMissingText) + QLatin1Char('\n') + reason);
  // A stage too small for the text still tells it.
  failureLabel_->setToolTip(failureLabel_->text());
  failureLabel_->setGeometry(rect());
  failureLabel_->raise();
  failureLabel_->show();
}

QString FlashHost::shownFailure() const {
  return failureLabel_ ? failureLabel_->property("reason").toString() : QString();
}

void FlashHost::resizeEvent(QResizeEvent* event) {
  if (failureLabel_) failureLabel_->setGeometry(rect());
  QWidget::resizeEvent(event);
}

FlashHost* CreateFlashHost(QWidget* parent) {
  if (Factory()) return Factory()(parent);
  if (const QString reason = RuffleFlashView::unavailableReason(); !reason.isEmpty())
    return new MissingPlayerHost(parent, reason);
  return new RuffleFlashView(parent);
}

QString FlashHostUnavailableReason() { return Factory() ? QString() : RuffleFlashView::unavailableReason(); }

bool KeepFlashHost(FlashHost* host, QObject* lifetime) {
  if (!host || !lifetime || !host->worthKeeping()) return false;
  if (FlashHost* previous = TakeKept(); previous != host) delete previous;
  host->release();
  host->disconnect();
  host->hide();
  // It waits as a window of its own: inside another window it would have
  // every repaint of that window go through the web view's composition.
  host->setParent(nullptr);
  CurrentKeeper() = new Keeper(lifetime, host);
  return true;
}

FlashHost* TakeOrCreateFlashHost(QWidget* parent) {
  FlashHost* host = TakeKept();
  if (host && !host->worthKeeping()) {
    delete host;
    host = nullptr;
  }
  if (!host) return CreateFlashHost(parent);
  host->setParent(parent);
  host->show();
  return host;
}

void PrepareFlashHosts(QObject* receiver, std::function<void()> ready) {
  WhenUserIsIdle(receiver, [receiver, ready = std::move(ready)] {
    auto whenIdle = [receiver, ready] { WhenUserIsIdle(receiver, ready); };
    if (!Factory()) {
      PrepareWebEngine(receiver, whenIdle);
      return;
    }
    // A test's hosts need no web engine.
    QMetaObject::invokeMethod(receiver, whenIdle, Qt::QueuedConnection);
  });
}

void WhenUserIsIdle(QObject* context, std::function<void()> step) {
  const InputClock& clock = InputClock::instance();
  if (!QApplication::activePopupWidget() && !clock.buttonHeld() && clock.sinceInput() >= kIdleMs) {
    step();
    return;
  }
  QTimer::singleShot(kIdlePollMs, context, [context, step = std::move(step)] { WhenUserIsIdle(context, step); });
}

void WarmUpFlashHost(QObject* lifetime) {
  if (KeptFlashHost()) return;
  FlashHost* host = CreateFlashHost(nullptr);
  if (!KeepFlashHost(host, lifetime)) {
    delete host;
    return;
  }
  host->warmUp();
}

FlashHost* KeptFlashHost() { return CurrentKeeper() ? CurrentKeeper()->host() : nullptr; }

ScopedFlashHostFactory::ScopedFlashHostFactory(FlashHostFactory factory) : previous_(std::move(Factory())) {
  Factory() = std::move(factory);
}

ScopedFlashHostFactory::~ScopedFlashHostFactory() { Factory() = std::move(previous_); }

void OpenExternalUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("mailto")) return;
  if (Opener()) {
    Opener()(url);
    return;
  }
  QDesktopServices::openUrl(url);
}

ScopedUrlOpener::ScopedUrlOpener(UrlOpener opener) : previous_(std::move(Opener())) { Opener() = std::move(opener); }

ScopedUrlOpener::~ScopedUrlOpener() { Opener() = std::move(previous_); }

}  // namespace tesmiro::player
