#pragma once
// The web player (Ruffle, from its npm package) in a web page of the web
// engine library (web_page.h). One page per view, served with the player's
// files by the loopback server; the movie's folder is served beside it for
// as long as the movie is shown. Frame
// numbers, seeking and the playing state come from the reporter clip that
// the preview builders put into their movies; a movie without it still
// plays and stops (the whole player is held), but reports no frames.
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QHash>
#include <QVariant>
#include <vector>

#include "ui/player/flash_host.h"

namespace tesmiro::player {

class LoopbackServer;
class WebPage;

class RuffleFlashView : public FlashHost {
  Q_OBJECT
 public:
  explicit RuffleFlashView(QWidget* parent = nullptr);
  ~RuffleFlashView() override;

  // Why the web player cannot run here, for the user: what is missing and
  // what to do, in Japanese; empty when it can. The first call loads the
  // web engine library.
  static QString unavailableReason();
  // The part of it that a page of the program's server would meet in any
  // browser (the player's files, the server); loads no library.
  static QString servingUnavailableReason();
  // The folder holding ruffle.js and its wasm: TESMIRO_RUFFLE_DIR when it is
  // set (a folder without them leaves the program without the player), else
  // the installed resources, then the build tree's copy. Empty when none
  // has it.
  static QString ruffleFolder();

  void loadMovie(const QString& path) override;
  void release() override;
  QString moviePath() const override { return moviePath_; }
  void play() override;
  void stop() override;
  void gotoFrame(int frame) override;
  int frameNum() const override { return frame_; }
  int totalFrames() const override { return total_; }
  bool isPlaying() const override { return playing_; }
  uint32_t backgroundColor() const override;
  void setBackgroundColor(uint32_t rgb) override;
  std::optional<QString> variable(const QString& name) const override;
  void grabPictures(const QList<uint32_t>& backgrounds, std::function<void(QList<QImage>)> done) override;
  FlashCapabilities capabilities() const override;
  bool startFailed() const override { return startFailed_; }
  bool worthKeeping() const override { return !startFailed_; }
  void warmUp() override;

  // The player's log level for the next load ("error" unless changed; the
  // tests ask for "info" to read the movie's trace lines).
  void setLogLevel(const QString& level) { logLevel_ = level; }
  bool isPageReady() const { return pageReady_; }
  // The page has the player's code: a movie, or the warm-up's, has loaded
  // in it.
  bool playerStarted() const { return playerStarted_; }
  QUrl pageUrl() const;
  // Null when the web engine library could not be loaded.
  WebPage* webPage() const { return page_; }
  // Calls `done` once the movie's first frame is shown and the page has
  // painted since (the load-time benchmarks end there).
  void whenFramePainted(std::function<void()> done);
  // Runs script in the page (tests look at the page with it).
  void runScript(const QString& script, std::function<void(const QVariant&)> done = {});

 signals:
  // The page's own console lines, the player's log among them.
  void consoleMessage(const QString& text);
  void pageReady();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Command {
    int seq = 0;
    QString op;
    int frame = 0;  // 1-based, as the movie counts
  };
  struct GrabJob {
    QList<uint32_t> backgrounds;
    QList<QImage> pictures;
    std::function<void(QList<QImage>)> done;
    QImage previous;  // the last try, to wait until the picture is still
    int paintId = 0;
    int tries = 0;
    bool resumeAfter = false;
    bool started = false;
  };

  void onConsole(const QString& text, const QString& source);
  void onHostMessage(const QString& kind, const QJsonValue& value);
  void checkPageLoaded();
  void failStart(const QString& reason);
  void onProcessEnded();
  // The movie of this generation failed: said on the stage and to the window.
  void failMovie(const QString& reason);
  void startLoad();
  // Runs script in the page once it is there.
  void run(const QString& script);
  void handleReport(const QString& args);
  // Shows the view once where nothing reaches the screen, when it is a
  // hidden window of its own, and draws it.
  void drawOnceUnseen();
  void sendCommand(const QString& op, int frame1);
  void pushCommandToMovie();
  void applyBackground(uint32_t rgb);
  void startGrabWhenShown();
  void markFrameShown();
  void grabNext();
  void grabWhenPainted();
  void finishGrab(bool ok);
  QString viewPath(const QString& rest) const;

  WebPage* page_ = nullptr;
  QPointer<LoopbackServer> server_;
  int viewId_ = 0;
  bool pageReady_ = false;
  bool pendingLoad_ = false;
  QString logLevel_ = QStringLiteral("error");

  QString moviePath_;
  bool warming_ = false;  // the load is the warm-up's, not a movie's
  bool playerStarted_ = false;
  // The page, its script or the player's code could not be loaded, or the
  // page's process ended: no movie will play in this page.
  bool startFailed_ = false;
  QString startFailure_;  // why, for the user
  int generation_ = 0;
  int swfVersion_ = 0;
  bool movieNeedsFonts_ = true;
  bool movieLoaded_ = false;
  // The player has drawn the movie's first frame: a report came, or two
  // frames' time passed since the load. Holding the player before that
  // would hold it on an empty stage.
  bool frameShown_ = false;
  QTimer firstFrameTimer_;
  int frame_ = -1;
  int total_ = 0;
  bool playing_ = false;
  bool reporterSeen_ = false;
  bool heldByHost_ = false;  // suspended because a movie without the reporter was stopped
  int seq_ = 0;
  std::optional<Command> pending_;  // the last command until the movie reports it done
  std::optional<uint32_t> background_;  // set by the caller; else the movie's own
  uint32_t movieBackground_ = 0xFFFFFF;
  uint32_t shownBackground_ = 0xFFFFFF;

  std::vector<std::function<void()>> framePaintWaiters_;
  QHash<int, std::function<void()>> paintWaiters_;
  std::optional<GrabJob> grab_;
  QTimer grabTimer_;
  int paintCounter_ = 0;
};

}  // namespace tesmiro::player
