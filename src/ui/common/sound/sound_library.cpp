// The sound library: Qt Multimedia behind the SoundPlayer interface. It
// links Qt alone; the program loads it as a plugin on the first play.
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <memory>

#include "ui/common/sound_output.h"

namespace tesmiro::gui {

class SoundLibrary : public QObject, public SoundPlayer {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID TESMIRO_SOUND_IID)
  Q_INTERFACES(tesmiro::gui::SoundPlayer)

 public:
  bool play(const QString& path) override {
    if (!player_) {
      // Made on first use: the media backend is slow to start.
      output_ = std::make_unique<QAudioOutput>();
      player_ = std::make_unique<QMediaPlayer>();
      player_->setAudioOutput(output_.get());
    }
    player_->setSource(QUrl::fromLocalFile(path));
    if (player_->error() != QMediaPlayer::NoError) return false;
    player_->play();
    return player_->error() == QMediaPlayer::NoError;
  }
  void stop() override {
    if (!player_) return;
    player_->stop();
    player_->setSource(QUrl());
  }
  bool isPlaying() const override { return player_ && player_->playbackState() == QMediaPlayer::PlayingState; }

 private:
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace tesmiro::gui

#include "sound_library.moc"
