#pragma once
// A Flash host that tests drive: it records what the windows ask of it,
// plays a movie that exists only as a frame count, and draws a picture that
// the test chooses over its background, so that grabs are exact.
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "ui/player/flash_host.h"

namespace tesmiro::testing {

class FakeFlashHost : public player::FlashHost {
  Q_OBJECT
 public:
  explicit FakeFlashHost(QWidget* parent = nullptr);

  // What the windows asked for, in order: "load <path>", "release", "play",
  // "stop", "goto <frame>", "background <rrggbb>", "grab <n>".
  QStringList calls;
  // The movie every load finds; `loaded` follows at once unless cleared.
  int framesOnLoad = 10;
  bool loadsAtOnce = true;
  player::FlashCapabilities caps = player::FlashCapability::Playback | player::FlashCapability::FrameReports |
                                   player::FlashCapability::Seek | player::FlashCapability::TotalFrames |
                                   player::FlashCapability::Background | player::FlashCapability::Grab;
  // The movie's picture (with alpha), drawn over the background; a null
  // image draws a black square that moves with the frame.
  QImage picture;
  // Grabs answer with nothing (a player that cannot draw).
  bool grabFails = false;
  // Kept between previews and started ahead, as the web player is.
  bool keepable = false;
  // Its player could not start (the web player's page or code did not
  // load): no longer worth keeping.
  bool failedToStart = false;

  // The test as the movie.
  void finishLoad();
  void advance(int frames = 1);  // plays on when playing, looping at the end
  void movieStops();             // the movie's own stop()
  void movieStarts();            // the movie's own play()
  void reportFrame(int frame);   // the movie reports itself at this frame, range or not
  void sendFsCommand(const QString& command, const QString& args);

  void loadMovie(const QString& path) override;
  void release() override;
  QString moviePath() const override { return path_; }
  void play() override;
  void stop() override;
  void gotoFrame(int frame) override;
  int frameNum() const override { return frame_; }
  int totalFrames() const override { return total_; }
  bool isPlaying() const override { return playing_; }
  uint32_t backgroundColor() const override { return background_; }
  void setBackgroundColor(uint32_t rgb) override;
  std::optional<QString> variable(const QString& name) const override;
  void grabPictures(const QList<uint32_t>& backgrounds, std::function<void(QList<QImage>)> done) override;
  player::FlashCapabilities capabilities() const override { return caps; }
  bool startFailed() const override { return failedToStart; }
  bool worthKeeping() const override { return keepable && !failedToStart; }
  void warmUp() override { calls << QStringLiteral("warm up"); }

  // The movie drawn over `rgb` (0x00RRGGBB) at the host's size.
  QImage render(uint32_t rgb) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void report();
  QString path_;
  int frame_ = -1;
  int total_ = 0;
  bool playing_ = false;
  uint32_t background_ = 0xFFFFFF;
};

// Installs a factory of fakes for its lifetime and keeps every fake it made
// (the windows own them; entries become null when they are deleted).
class FakeFlashHosts {
 public:
  // `keepable`: the fakes are kept and started ahead, as the web player is.
  explicit FakeFlashHosts(bool keepable = false);
  FakeFlashHost* last() const;
  int made() const { return static_cast<int>(hosts_.size()); }

 private:
  std::vector<QPointer<FakeFlashHost>> hosts_;
  player::ScopedFlashHostFactory scope_;
};

}  // namespace tesmiro::testing
