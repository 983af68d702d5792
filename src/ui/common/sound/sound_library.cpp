// The sound library: Qt Multimedia behind the SoundPlayer interface. It
// links Qt alone; the program loads it as a plugin on the first play.
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <memory>
#include <utility>

#include "ui/common/sound_output.h"

namespace tesmiro::gui {

class SoundLibrary : public QObject, public SoundPlayer {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID TESMIRO_SOUND_IID)
  Q_INTERFACES(tesmiro::gui::SoundPlayer)

 public:
  bool play(const QString& path, Failed failedLater) override {
    // Errors of an earlier sound, and those this call answers itself, are
    // nobody's to hear.
    failed_ = nullptr;
    if (!player_) {
      // Made on first use: the media backend is slow to start.
      output_ = std::make_unique<QAudioOutput>();
      player_ = std::make_unique<QMediaPlayer>();
      player_->setAudioOutput(output_.get());
      // The backend reads and decodes the file after play() has returned.
      connect(player_.get(), &QMediaPlayer::errorOccurred, this, [this] { fail(); });
      connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia) fail();
      });
    }
    if (!player_->isAvailable()) return false;
    player_->setSource(QUrl::fromLocalFile(path));
    if (player_->error() != QMediaPlayer::NoError || player_->mediaStatus() == QMediaPlayer::InvalidMedia) return false;
    player_->play();
    if (player_->error() != QMediaPlayer::NoError) return false;
    failed_ = std::move(failedLater);
    return true;
  }
  void stop() override {
    failed_ = nullptr;
    if (!player_) return;
    player_->stop();
    player_->setSource(QUrl());
  }
  bool isPlaying() const override { return player_ && player_->playbackState() == QMediaPlayer::PlayingState; }

 private:
  // Told once, for the sound that is playing.
  void fail() {
    Failed failed = std::exchange(failed_, nullptr);
    if (!failed) return;
    // Some backends stay "playing" after an error.
    player_->stop();
    failed();
  }

  Failed failed_;
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace tesmiro::gui

#include "sound_library.moc"
