#pragma once
// The Flash player as the windows see it: a widget that shows one movie at
// its stage size and is driven like the player control the program was
// designed around. Two implementations: the web player in a web view
// (RuffleFlashView) and a fake that tests drive (FakeFlashHost).
//
// Loads are asynchronous: `loaded` follows `loadMovie` once the player knows
// the movie. Frame numbers are 0-based, as the control counts them.
#include <QColor>
#include <QFlags>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace tesmiro::player {

// What a host can do for the loaded movie, so that windows degrade instead
// of showing numbers nobody reported.
enum class FlashCapability : uint32_t {
  Playback = 1,      // play and stop reach the movie
  FrameReports = 2,  // frameNum and isPlaying follow the movie's main timeline
  Seek = 4,          // gotoFrame reaches the movie
  TotalFrames = 8,   // totalFrames is known
  Background = 16,   // the background colour can be read and changed
  Grab = 32,         // the picture can be grabbed
  Variables = 64,    // variable() reads the movie's variables
};
Q_DECLARE_FLAGS(FlashCapabilities, FlashCapability)
Q_DECLARE_OPERATORS_FOR_FLAGS(FlashCapabilities)

// A background for grabPictures: the colour as shown now.
inline constexpr uint32_t kShownBackground = 0xFFFFFFFFu;

class FlashHost : public QWidget {
  Q_OBJECT
 public:
  explicit FlashHost(QWidget* parent = nullptr) : QWidget(parent) {}

  // Shows the movie file at `path` (the control's Movie property). A path
  // that names no file releases the current movie, as "a" always did.
  virtual void loadMovie(const QString& path) = 0;
  virtual void release() = 0;
  virtual QString moviePath() const = 0;

  virtual void play() = 0;
  virtual void stop() = 0;
  // Goes to `frame` (0-based, clamped to the movie) and holds there.
  virtual void gotoFrame(int frame) = 0;
  // -1 while no frame is known.
  virtual int frameNum() const = 0;
  // 0 while unknown.
  virtual int totalFrames() const = 0;
  virtual bool isPlaying() const = 0;

  // 0x00RRGGBB, as the control keeps it.
  virtual uint32_t backgroundColor() const = 0;
  virtual void setBackgroundColor(uint32_t rgb) = 0;
  virtual std::optional<QString> variable(const QString& name) const = 0;

  // The current frame drawn over each of `backgrounds` (0x00RRGGBB or
  // kShownBackground), with the movie held still in between, so that two
  // drawings show the same frame. `done` gets one picture per background,
  // each of the stage's size, or an empty list when the picture cannot be
  // taken; it may run before this returns. The shown background is restored.
  virtual void grabPictures(const QList<uint32_t>& backgrounds, std::function<void(QList<QImage>)> done) = 0;

  virtual FlashCapabilities capabilities() const = 0;

  // The host's player could not start, or has stopped: every movie after
  // fails at once, so a window that wants to show one makes a new host.
  virtual bool startFailed() const { return false; }
  // A host whose start costs (the web player starts its engine and compiles
  // its code) is kept between previews, and may be started ahead of them;
  // once its start has failed it is not, as it would fail every movie after.
  virtual bool worthKeeping() const { return false; }
  // Starts what the first movie would start, with nothing shown.
  virtual void warmUp() {}

  // Shows kPlayerMissingText and `reason` on the stage, over whatever the
  // player drew (its own message, in its own words), until the next call;
  // an empty reason takes it away. The hosts show their own failures so;
  // a window shows its own (a movie it could not write) the same way.
  void showFailure(const QString& reason);
  // The reason on the stage; empty while none is.
  QString shownFailure() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 signals:
  // The movie is known: its frame count (0 when unknown).
  void loaded(int totalFrames);
  void loadFailed(const QString& reason);
  // The movie's frame or playing state changed.
  void frameReported(int frame, bool playing);
  // FSCommands of the movie, decoded; the host's own reports never appear.
  void fsCommand(const QString& command, const QString& args);

 private:
  QLabel* failureLabel_ = nullptr;
};

// Makes the hosts the windows use. The program makes RuffleFlashView, or,
// when the web player cannot run here, a host that shows kPlayerMissingText
// and why, and loads nothing; tests install a factory of fakes for as long
// as the returned handle lives.
using FlashHostFactory = std::function<FlashHost*(QWidget* parent)>;
FlashHost* CreateFlashHost(QWidget* parent);
inline constexpr const char* kPlayerMissingText = "プレビューできません";
// Why the hosts CreateFlashHost makes cannot show movies here, for the user:
// what is missing and what to do, in Japanese; empty when they can (always
// while a test's factory is in).
QString FlashHostUnavailableReason();

// A host worth keeping waits hidden, with no movie, for the next window
// that shows a movie, for as long as `lifetime` lives; it replaces the one
// kept before. False (and nothing done) for a host not worth keeping.
bool KeepFlashHost(FlashHost* host, QObject* lifetime);
// The kept host, taken out of keeping and given to `parent`; else (or when
// it is no longer worth keeping) a new one.
FlashHost* TakeOrCreateFlashHost(QWidget* parent);
// Does ahead, without holding the GUI thread, what the first host would
// wait for, then calls `ready` on the GUI thread unless `receiver` is gone.
// It starts, and calls `ready`, only while the user is idle (see
// WhenUserIsIdle), as the host that `ready` starts holds the GUI thread.
void PrepareFlashHosts(QObject* receiver, std::function<void()> ready);
// Runs `step` once the user is idle: no menu or other popup open, no mouse
// button held (a splitter or handle being dragged), and no key or mouse
// button for a moment; not when `context` is gone by then.
// For work that holds the GUI thread for a good while (the web player's
// start, a few hundred milliseconds at a time): the window system delivers
// what is typed meanwhile as things stood when it was typed, so the keys
// after the one that closes an open menu still go to that menu, and are
// lost; and showing a window, even unseen, closes the open menu.
void WhenUserIsIdle(QObject* context, std::function<void()> step);
// Makes the host the next window will take and starts it, hidden, unless
// one is kept already.
void WarmUpFlashHost(QObject* lifetime);
// The kept host, still kept; null when there is none.
FlashHost* KeptFlashHost();

class ScopedFlashHostFactory {
 public:
  explicit ScopedFlashHostFactory(FlashHostFactory factory);
  ~ScopedFlashHostFactory();
  ScopedFlashHostFactory(const ScopedFlashHostFactory&) = delete;
  ScopedFlashHostFactory& operator=(const ScopedFlashHostFactory&) = delete;

 private:
  FlashHostFactory previous_;
};

// Where links that a movie opens go (http, https and mailto only): the
// desktop's opener unless a test or the program installs another.
using UrlOpener = std::function<void(const QUrl&)>;
void OpenExternalUrl(const QUrl& url);

class ScopedUrlOpener {
 public:
  explicit ScopedUrlOpener(UrlOpener opener);
  ~ScopedUrlOpener();
  ScopedUrlOpener(const ScopedUrlOpener&) = delete;
  ScopedUrlOpener& operator=(const ScopedUrlOpener&) = delete;

 private:
  UrlOpener previous_;
};

}  // namespace tesmiro::player
