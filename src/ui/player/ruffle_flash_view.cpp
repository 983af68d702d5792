#include "ui/player/ruffle_flash_view.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResizeEvent>

#include "compiler/preview_reporter.h"
#include "compiler/previews.h"
#include "platform/byte_reader.h"
#include "platform/windows1252.h"
#include "project/model.h"
#include "ui/player/host_page.h"
#include "ui/player/loopback_server.h"
#include "ui/player/player_routes.h"
#include "ui/player/web_engine_loader.h"
#include "ui/player/web_page.h"

namespace tesmiro::player {
namespace {

int NextViewId() {
  static int next = 0;
  return ++next;
}

QString Css(uint32_t rgb) { return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

// What the user is told when the player cannot show a movie.
constexpr const char* kFilesMissing =
    "プレビュー用のプレイヤーのファイル（ruffle.js と .wasm）が見つかりません。"
    "Tesmiro をインストールし直してください。";
constexpr const char* kNoServer =
    "プレイヤーとのやりとりに使う接続（127.0.0.1）を開けません。"
    "ほかのプログラムを終了するか、コンピュータを再起動してからもう一度プレビューしてください。";
constexpr const char* kPageNotLoaded =
    "プレビュー用のプレイヤーのファイルを読み込めませんでした。もう一度プレビューしてください。"
    "直らないときは Tesmiro をインストールし直してください。";
constexpr const char* kPlayerDidNotStart =
    "プレビュー用のプレイヤーが起動しませんでした。もう一度プレビューしてください。"
    "直らないときは Tesmiro をインストールし直してください。";
constexpr const char* kPlayerStopped = "プレビュー用のプレイヤーが停止しました。次のプレビューで起動し直します。";

QString MovieMissing(const QString& path) { return QStringLiteral("ファイル [%1] が見つかりません。").arg(path); }

QString MovieUnplayable(const QString& path) {
  return QStringLiteral("ファイル [%1] を再生できません（壊れているか、プレイヤーが扱えない内容です）。").arg(path);
}

bool HasRuffle(const QString& folder) {
  if (folder.isEmpty() || !QFileInfo::exists(folder + QStringLiteral("/ruffle.js"))) return false;
  return !QDir(folder).entryList({QStringLiteral("*.wasm")}, QDir::Files).isEmpty();
}

// What the player is told about a movie before it loads it.
struct MovieFacts {
  int version = 0;  // 0: not a movie
  // Device fonts cost every load a few dozen milliseconds, so they go only
  // to movies with text, and to those that load another movie into the
  // event preview's placeholder. A compressed movie is not looked into.
  bool needsFonts = true;
};

MovieFacts ReadMovieFacts(const QString& path) {
  MovieFacts facts;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return facts;
  const QByteArray head = f.peek(4);
  if (head.size() < 4 || head.mid(1, 2) != "WS" || (head[0] != 'F' && head[0] != 'C' && head[0] != 'Z')) return facts;
  facts.version = static_cast<uint8_t>(head[3]);
  if (head[0] != 'F') return facts;
  const QByteArray data = f.readAll();
  ByteReader r(std::string_view(data.constData(), static_cast<size_t>(data.size())));
  r.skip(8);
  if (!r.has(1)) return facts;
  r.skip(static_cast<size_t>((5 + 4 * (r.peek() >> 3) + 7) / 8) + 4);
  while (r.has(2)) {
    const uint16_t tagHead = r.u16();
    uint32_t length = tagHead & 63;
    if (length == 63) length = r.u32();
    const int code = tagHead >> 6;
    switch (code) {
      case 10: case 11: case 13: case 33: case 37: case 48: case 62: case 75: case 91:
        return facts;
      case 39:
        if (r.has(2) && r.u16() == GUICore::kPreviewSpriteCharacter) return facts;
        length -= std::min<uint32_t>(length, 2);
        break;
      default:
        break;
    }
    if (code == 0 || !r.skip(length)) break;
  }
  facts.needsFonts = !r.ok();
  return facts;
}

}  // namespace

// ---------------------------------------------------------------------------

QString RuffleFlashView::ruffleFolder() {
  QStringList candidates;
  const QString env = qEnvironmentVariable("TESMIRO_RUFFLE_DIR");
  if (!env.isEmpty()) return HasRuffle(env) ? QFileInfo(env).canonicalFilePath() : QString();
  const auto& resources = GUICore::State().paths.resources;
  if (!resources.empty()) candidates << QString::fromStdString((resources / "ruffle").string());
  const QString exeDir = QCoreApplication::applicationDirPath();
  candidates << exeDir + QStringLiteral("/../share/tesmiro/ruffle") << exeDir + QStringLiteral("/ruffle");
#ifdef TESMIRO_RUFFLE_BUILD_DIR
  candidates << QStringLiteral(TESMIRO_RUFFLE_BUILD_DIR);
#endif
  for (const QString& c : candidates) {
    if (HasRuffle(c)) return QFileInfo(c).canonicalFilePath();
  }
  return {};
}

QString RuffleFlashView::servingUnavailableReason() {
  if (ruffleFolder().isEmpty()) return QString::fromUtf8(kFilesMissing);
  if (!LoopbackServer::shared()) return QString::fromUtf8(kNoServer);
  return {};
}

QString RuffleFlashView::unavailableReason() {
  if (QString reason = servingUnavailableReason(); !reason.isEmpty()) return reason;
  if (!LoadedWebEngine()) return WebEngineLoadError();
  return {};
}

RuffleFlashView::RuffleFlashView(QWidget* parent) : FlashHost(parent), viewId_(NextViewId()) {
  firstFrameTimer_.setSingleShot(true);
  connect(&firstFrameTimer_, &QTimer::timeout, this, &RuffleFlashView::markFrameShown);
  grabTimer_.setSingleShot(true);
  connect(&grabTimer_, &QTimer::timeout, this, [this] {
    if (!grab_) return;
    if (!grab_->started) {
      // The movie never showed (a load that failed quietly): take the stage.
      markFrameShown();
      return;
    }
    if (grab_->paintId != 0) {
      // The page never said it painted (a hidden view is not painted):
      // take what there is.
      grab_->paintId = 0;
    }
    grabWhenPainted();
  });

  server_ = LoopbackServer::shared();
  WebEngine* engine = LoadedWebEngine();
  if (!server_ || !engine) return;
  const QPointer<RuffleFlashView> self(this);
  WebPageHooks hooks;
  hooks.console = [self](const QString& text, const QString& source) {
    if (self) self->onConsole(text, source);
  };
  hooks.openLink = [](const QUrl& url) { OpenExternalUrl(url); };
  hooks.loadFinished = [self](bool) {
    if (self) self->checkPageLoaded();
  };
  hooks.processEnded = [self] {
    if (self) self->onProcessEnded();
  };
  hooks.ownServer = server_->url(QString()).adjusted(QUrl::RemovePath);
  page_ = engine->createPage(this, WebPageKind::Player, std::move(hooks));
  EnsurePlayerRoutes(*server_);
  server_->route(viewPath(QStringLiteral("page.html")), [](const QString&) {
    HttpResponse r;
    r.contentType = "text/html; charset=utf-8";
    r.body = HostPageHtml();
    r.headers.push_back({"Content-Security-Policy", HostPagePolicy()});
    return r;
  });
  // Commands for movies that poll (SWF 4 to 7): the last one until the
  // movie reports it carried out, then nothing new.
  server_->route(viewPath(QStringLiteral("command")), [self](const QString&) {
    HttpResponse r;
    r.contentType = "application/x-www-form-urlencoded";
    if (self && self->pending_) {
      r.body = QStringLiteral("tsmS=%1&tsmO=%2&tsmF=%3&")
                   .arg(self->pending_->seq)
                   .arg(self->pending_->op)
                   .arg(self->pending_->frame)
                   .toUtf8();
    } else {
      r.body = "tsmS=0&tsmO=&tsmF=0&";
    }
    return r;
  });
  page_->load(pageUrl());
}

RuffleFlashView::~RuffleFlashView() {
  if (server_) {
    server_->unroute(viewPath(QStringLiteral("page.html")));
    server_->unroute(viewPath(QStringLiteral("command")));
    server_->unroute(viewPath(QStringLiteral("movie")));
  }
  delete page_;
  page_ = nullptr;
}

QString RuffleFlashView::viewPath(const QString& rest) const { return QStringLiteral("view%1/%2").arg(viewId_).arg(rest); }

QUrl RuffleFlashView::pageUrl() const { return server_ ? server_->url(viewPath(QStringLiteral("page.html"))) : QUrl(); }

void RuffleFlashView::resizeEvent(QResizeEvent* event) {
  if (page_) page_->widget()->setGeometry(0, 0, event->size().width(), event->size().height());
  FlashHost::resizeEvent(event);
}

void RuffleFlashView::runScript(const QString& script, std::function<void(const QVariant&)> done) {
  if (page_) page_->runJavaScript(script, std::move(done));
}

void RuffleFlashView::run(const QString& script) {
  if (page_ && pageReady_) page_->runJavaScript(script);
}

// The page's script speaks through console lines from its own file; every
// other line is the page's own log.
void RuffleFlashView::onConsole(const QString& text, const QString& source) {
  static const QString marker = QString::fromLatin1(kHostMessageMarker);
  if (server_ && text.startsWith(marker) && source == server_->url(QStringLiteral("host.js")).toString()) {
    const QJsonObject m = QJsonDocument::fromJson(text.mid(marker.size()).toUtf8()).object();
    onHostMessage(m.value(QStringLiteral("kind")).toString(), m.value(QStringLiteral("data")));
    return;
  }
  emit consoleMessage(text);
}

// A page whose script or player's code did not arrive says nothing, so
// once it has loaded it is asked whether they are there.
void RuffleFlashView::checkPageLoaded() {
  const QPointer<RuffleFlashView> self(this);
  runScript(QStringLiteral("typeof window.tesmiro === 'object' && typeof window.RufflePlayer.newest === 'function'"),
            [self](const QVariant& there) {
              if (self && !there.toBool()) self->failStart(QString::fromUtf8(kPageNotLoaded));
            });
}

void RuffleFlashView::failStart(const QString& reason) {
  startFailed_ = true;
  startFailure_ = reason;
  if (moviePath_.isEmpty() || movieLoaded_) return;
  failMovie(reason);
}

// The page went with its process, and the movie shown in it: the stage
// says so, and the next preview makes a new player, as this one would show
// nothing from now on.
void RuffleFlashView::onProcessEnded() {
  pageReady_ = false;
  movieLoaded_ = false;
  if (grab_) finishGrab(false);
  failStart(QString::fromUtf8(kPlayerStopped));
}

void RuffleFlashView::failMovie(const QString& reason) {
  showFailure(reason);
  markFrameShown();
  emit loadFailed(reason);
}

void RuffleFlashView::loadMovie(const QString& path) {
  ++generation_;
  movieLoaded_ = false;
  frameShown_ = false;
  firstFrameTimer_.stop();
  frame_ = -1;
  total_ = 0;
  playing_ = false;
  reporterSeen_ = false;
  heldByHost_ = false;
  pending_.reset();
  warming_ = false;
  showFailure({});
  const bool missing = !path.isEmpty() && !QFileInfo(path).isFile();
  if (path.isEmpty() || missing || startFailed_ || !server_ || !page_) {
    release();
    // Said at once: the player would never answer.
    if (missing || startFailed_) {
      const QString reason = missing ? MovieMissing(path) : startFailure_;
      QMetaObject::invokeMethod(
          this, [this, generation = generation_, reason] {
            if (generation == generation_) failMovie(reason);
          },
          Qt::QueuedConnection);
    }
    return;
  }
  moviePath_ = QFileInfo(path).absoluteFilePath();
  const MovieFacts facts = ReadMovieFacts(moviePath_);
  swfVersion_ = facts.version;
  movieNeedsFonts_ = facts.needsFonts;
  RouteMovie(*server_, viewPath(QStringLiteral("movie")), moviePath_);
  playing_ = true;  // the player starts every movie playing
  pendingLoad_ = true;
  if (pageReady_) startLoad();
}

void RuffleFlashView::startLoad() {
  pendingLoad_ = false;
  const QString name = warming_ ? QStringLiteral("warm-up.swf") : QFileInfo(moviePath_).fileName();
  QUrl url = server_->url(warming_ ? name : viewPath(QStringLiteral("movie/") + name));
  // A rebuilt movie keeps its name; the query keeps every load its own.
  url.setQuery(QStringLiteral("g=%1").arg(generation_));
  QJsonObject options;
  options[QStringLiteral("url")] = url.toString(QUrl::FullyEncoded);
  options[QStringLiteral("base")] = server_->url(viewPath(QStringLiteral("movie/"))).toString(QUrl::FullyEncoded);
  options[QStringLiteral("generation")] = generation_;
  options[QStringLiteral("logLevel")] = logLevel_;
  if (movieNeedsFonts_) {
    const QJsonObject fonts = DeviceFontOptions(*server_);
    for (auto it = fonts.begin(); it != fonts.end(); ++it) options[it.key()] = it.value();
  }
  const QString json = QString::fromUtf8(QJsonDocument(options).toJson(QJsonDocument::Compact));
  run(QStringLiteral("window.tesmiro.load(%1)").arg(json));
}

// The smallest movie (one empty frame on a 1 x 1 stage): loading it starts
// the player's code, which the page then keeps for the movies to come.
void RuffleFlashView::warmUp() {
  if (!page_ || !moviePath_.isEmpty()) return;
  static const QByteArray movie("FWS\x06\x14\x00\x00\x00\x30\x0A\x00\xA0\x00\x0C\x01\x00\x40\x00\x00\x00", 20);
  server_->route(QStringLiteral("warm-up.swf"), [](const QString&) {
    HttpResponse r;
    r.contentType = "application/x-shockwave-flash";
    r.body = movie;
    return r;
  });
  ++generation_;
  warming_ = true;
  movieNeedsFonts_ = false;
  pendingLoad_ = true;
  if (pageReady_) startLoad();
}

void RuffleFlashView::release() {
  ++generation_;
  moviePath_.clear();
  movieLoaded_ = false;
  firstFrameTimer_.stop();
  markFrameShown();
  pendingLoad_ = false;
  frame_ = -1;
  total_ = 0;
  playing_ = false;
  reporterSeen_ = false;
  heldByHost_ = false;
  pending_.reset();
  warming_ = false;
  if (server_) server_->unroute(viewPath(QStringLiteral("movie")));
  run(QStringLiteral("window.tesmiro.release()"));
}

void RuffleFlashView::onHostMessage(const QString& kind, const QJsonValue& value) {
  if (kind == QLatin1String("ready")) {
    pageReady_ = true;
    applyBackground(background_.value_or(movieBackground_));
    emit pageReady();
    if (pendingLoad_) startLoad();
  } else if (kind == QLatin1String("loaded")) {
    const QJsonObject m = value.toObject();
    if (m.value(QStringLiteral("generation")).toInt() != generation_) return;
    playerStarted_ = true;
    if (warming_) {
      release();
      WhenUserIsIdle(this, [this] { drawOnceUnseen(); });
      return;
    }
    movieLoaded_ = true;
    total_ = m.value(QStringLiteral("numFrames")).toInt();
    const QString bg = m.value(QStringLiteral("backgroundColor")).toString();
    bool ok = false;
    const uint32_t rgb = bg.startsWith(QLatin1Char('#')) ? bg.mid(1).toUInt(&ok, 16) : 0;
    movieBackground_ = ok ? rgb : 0xFFFFFF;
    if (!background_) applyBackground(movieBackground_);
    const double rate = m.value(QStringLiteral("frameRate")).toDouble();
    firstFrameTimer_.start(rate > 0 ? std::clamp(static_cast<int>(2000 / rate), 100, 2000) : 100);
    emit loaded(total_);
  } else if (kind == QLatin1String("error")) {
    // The player's own start failed; its words go to the log.
    const QJsonObject m = value.toObject();
    if (m.value(QStringLiteral("generation")).toInt() != generation_) return;
    emit consoleMessage(m.value(QStringLiteral("text")).toString());
    if (warming_) release();
    failStart(QString::fromUtf8(kPlayerDidNotStart));
  } else if (kind == QLatin1String("panic")) {
    // The player put its own message on the stage: a movie it cannot read,
    // or its start failing (which the error after it tells).
    if (value.toObject().value(QStringLiteral("generation")).toInt() != generation_ || warming_ || startFailed_) return;
    failMovie(MovieUnplayable(moviePath_));
  } else if (kind == QLatin1String("fscommand")) {
    const QJsonArray a = value.toArray();
    QString command = a.at(0).toString();
    QString args = a.at(1).toString();
    if (command == QLatin1String(GUICore::kReportCommand)) {
      handleReport(args);
      return;
    }
    if (swfVersion_ > 0 && swfVersion_ < 6) {
      command = QString::fromStdString(enc::RecoverCp932(command.toStdString()));
      args = QString::fromStdString(enc::RecoverCp932(args.toStdString()));
    }
    emit fsCommand(command, args);
  } else if (kind == QLatin1String("painted")) {
    if (auto waiter = paintWaiters_.take(value.toInt())) {
      waiter();
      return;
    }
    if (grab_ && value.toInt() == grab_->paintId) {
      grab_->paintId = 0;
      grabTimer_.stop();
      // The picture reaches the widget a little after the page drew it.
      grabTimer_.start(30);
    }
  }
}

void RuffleFlashView::drawOnceUnseen() {
  // The first showing of a web view costs the first F5 about 100 ms (its
  // window, the GL pipeline behind it, and a software GL's shaders compiled
  // on the first drawing). A kept view goes through it now, shown where
  // nothing reaches the screen, so nothing appears and nothing takes the
  // focus; later windows only reparent it.
  const bool unseen = isWindow() && !isVisible();
  if (unseen) {
    setAttribute(Qt::WA_DontShowOnScreen, true);
    show();
  }
  page_->widget()->grab();
  if (unseen) {
    hide();
    setAttribute(Qt::WA_DontShowOnScreen, false);
  }
}

void RuffleFlashView::handleReport(const QString& args) {
  const QStringList parts = args.split(QLatin1Char(','));
  if (parts.size() != 4) return;
  const int seq = parts[0].toInt();
  const int frame1 = parts[1].toInt();
  const bool playing = parts[2].toInt() != 0;
  const int total = parts[3].toInt();
  reporterSeen_ = true;
  markFrameShown();
  if (pending_ && seq < pending_->seq) {
    // Sent before the last command was carried out: it would move the
    // slider back. A SWF 8 movie that was not listening yet gets it again.
    if (swfVersion_ >= 8) pushCommandToMovie();
    return;
  }
  pending_.reset();
  if (total > 0) total_ = total;
  const int frame = frame1 - 1;
  if (frame == frame_ && playing == playing_) return;
  frame_ = frame;
  playing_ = playing;
  emit frameReported(frame_, playing_);
}

void RuffleFlashView::sendCommand(const QString& op, int frame1) {
  if (moviePath_.isEmpty()) return;
  pending_ = Command{++seq_, op, frame1};
  if (swfVersion_ >= 8) pushCommandToMovie();
}

void RuffleFlashView::pushCommandToMovie() {
  if (!pending_) return;
  run(QStringLiteral("window.tesmiro.command(%1, \"%2\", %3)")
                           .arg(pending_->seq)
                           .arg(pending_->op)
                           .arg(pending_->frame));
}

void RuffleFlashView::play() {
  if (moviePath_.isEmpty()) return;
  if (heldByHost_) {
    heldByHost_ = false;
    run(QStringLiteral("window.tesmiro.resume()"));
  }
  sendCommand(QStringLiteral("play"), 0);
  if (!playing_) {
    playing_ = true;
    emit frameReported(frame_, playing_);
  }
}

void RuffleFlashView::stop() {
  if (moviePath_.isEmpty()) return;
  if (!reporterSeen_) {
    // Nothing in the movie listens: hold the whole player.
    heldByHost_ = true;
    run(QStringLiteral("window.tesmiro.suspend()"));
  }
  sendCommand(QStringLiteral("stop"), 0);
  if (playing_) {
    playing_ = false;
    emit frameReported(frame_, playing_);
  }
}

void RuffleFlashView::gotoFrame(int frame) {
  if (moviePath_.isEmpty()) return;
  int target = std::max(frame, 0);
  if (total_ > 0) target = std::min(target, total_ - 1);
  sendCommand(QStringLiteral("goto"), target + 1);
  frame_ = target;
  playing_ = false;
  emit frameReported(frame_, playing_);
}

uint32_t RuffleFlashView::backgroundColor() const { return background_.value_or(movieBackground_); }

void RuffleFlashView::setBackgroundColor(uint32_t rgb) {
  background_ = rgb & 0xFFFFFF;
  applyBackground(*background_);
}

void RuffleFlashView::applyBackground(uint32_t rgb) {
  shownBackground_ = rgb & 0xFFFFFF;
  run(QStringLiteral("window.tesmiro.background(\"%1\")").arg(Css(rgb)));
}

std::optional<QString> RuffleFlashView::variable(const QString&) const { return std::nullopt; }

FlashCapabilities RuffleFlashView::capabilities() const {
  FlashCapabilities c = FlashCapability::Playback | FlashCapability::Background | FlashCapability::Grab;
  if (movieLoaded_) c |= FlashCapability::TotalFrames;
  if (reporterSeen_) c |= FlashCapability::FrameReports | FlashCapability::Seek;
  return c;
}

// ---- pictures ---------------------------------------------------------------

void RuffleFlashView::grabPictures(const QList<uint32_t>& backgrounds, std::function<void(QList<QImage>)> done) {
  if (grab_ || !pageReady_ || backgrounds.isEmpty() || width() < 1 || height() < 1) {
    done({});
    return;
  }
  GrabJob job;
  job.backgrounds = backgrounds;
  job.done = std::move(done);
  grab_ = std::move(job);
  if (moviePath_.isEmpty()) frameShown_ = true;
  startGrabWhenShown();
  if (!grab_->started) grabTimer_.start(5000);
}

void RuffleFlashView::markFrameShown() {
  firstFrameTimer_.stop();
  frameShown_ = true;
  for (auto& waiter : std::exchange(framePaintWaiters_, {})) {
    const int id = ++paintCounter_;
    paintWaiters_.insert(id, std::move(waiter));
    run(QStringLiteral("window.tesmiro.afterPaint(%1)").arg(id));
  }
  startGrabWhenShown();
}

void RuffleFlashView::whenFramePainted(std::function<void()> done) {
  framePaintWaiters_.push_back(std::move(done));
  if (frameShown_ && !moviePath_.isEmpty()) markFrameShown();
}

void RuffleFlashView::startGrabWhenShown() {
  if (!grab_ || grab_->started || !frameShown_) return;
  grab_->started = true;
  grab_->resumeAfter = !moviePath_.isEmpty() && !heldByHost_;
  if (grab_->resumeAfter) run(QStringLiteral("window.tesmiro.suspend()"));
  grabNext();
}

void RuffleFlashView::grabNext() {
  const uint32_t wanted = grab_->backgrounds[grab_->pictures.size()];
  const uint32_t rgb = wanted == kShownBackground ? backgroundColor() : wanted;
  grab_->tries = 0;
  grab_->previous = QImage();
  if (pageReady_) {
    run(QStringLiteral("window.tesmiro.background(\"%1\")").arg(Css(rgb)));
    grab_->paintId = ++paintCounter_;
    run(QStringLiteral("window.tesmiro.afterPaint(%1)").arg(grab_->paintId));
  }
  grabTimer_.start(1000);
}

// Grabs until two grabs in a row agree: the movie is held, so a picture
// that still changes has not reached the widget yet.
void RuffleFlashView::grabWhenPainted() {
  QImage picture = page_->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (picture.size() != size()) picture = picture.scaled(size());
  ++grab_->tries;
  if (picture != grab_->previous && grab_->tries < 12) {
    grab_->previous = picture;
    grabTimer_.start(25);
    return;
  }
  grab_->pictures.push_back(picture);
  if (grab_->pictures.size() < grab_->backgrounds.size()) {
    grabNext();
    return;
  }
  finishGrab(true);
}

void RuffleFlashView::finishGrab(bool ok) {
  GrabJob job = std::move(*grab_);
  grab_.reset();
  grabTimer_.stop();
  run(QStringLiteral("window.tesmiro.background(\"%1\")").arg(Css(backgroundColor())));
  if (job.resumeAfter && !heldByHost_) run(QStringLiteral("window.tesmiro.resume()"));
  job.done(ok ? job.pictures : QList<QImage>{});
}

}  // namespace tesmiro::player

#if defined(__SANITIZE_ADDRESS__)
// The web engine is not built for the sanitizer: its allocator calls do not
// pair the way instrumented code's do, and it keeps objects for the life of
// the process. Programs that show the player keep their own checks.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libQt6WebEngineWidgets.so\nleak:libfontconfig.so\n";
}
#endif
