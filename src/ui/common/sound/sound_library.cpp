// The sound library: Qt Multimedia behind the SoundPlayer interface. It
// links Qt alone; the program loads it as a plugin on the first play.
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMediaPlayer>
#include <QObject>
#include <QPluginLoader>
#include <memory>
#include <utility>

#include "ui/common/sound_output.h"

namespace tesmiro::gui {
namespace {

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
// Qt Multimedia before 6.5 ends the program as its first object is made
// when the backend it picks does not load: the one QT_MEDIA_BACKEND names,
// else one of the plugins of its "multimedia" folders. A sound is tried
// only where that one, or (none named) each of them, loads.
bool BackendLoads() {
  const QString named = qEnvironmentVariable("QT_MEDIA_BACKEND");
  bool found = false;
  for (const QString& dir : QCoreApplication::libraryPaths()) {
    const QDir folder(dir + QStringLiteral("/multimedia"));
    for (const QString& name : folder.entryList(QDir::Files)) {
      QPluginLoader plugin(folder.filePath(name));
      const QJsonObject meta = plugin.metaData();
      if (meta.value(QStringLiteral("IID")).toString() != QLatin1String("org.qt-project.Qt.QPlatformMediaPlugin"))
        continue;
      const QJsonArray keys =
          meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
      if (!named.isEmpty() && !keys.contains(named)) continue;
      if (!plugin.load()) return false;
      found = true;
    }
  }
  return found;
}
#else
// A backend that does not load leaves the player unavailable.
bool BackendLoads() { return true; }
#endif

}  // namespace

class SoundLibrary : public QObject, public SoundPlayer {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID TESMIRO_SOUND_IID)
  Q_INTERFACES(tesmiro::gui::SoundPlayer)

 public:
  bool play(const QString& path, Failed failedLater) override {
    // Errors of an earlier sound, and those this call answers itself, are
    // nobody's to hear.
    failed_ = nullptr;
    if (noBackend_) return false;
    if (!player_) {
      // Made on first use: the media backend is slow to start.
      noBackend_ = !BackendLoads();
      if (noBackend_) return false;
      player_ = std::make_unique<QMediaPlayer>();
      noBackend_ = !player_->isAvailable();
      if (noBackend_) return false;
      output_ = std::make_unique<QAudioOutput>();
      player_->setAudioOutput(output_.get());
      // The backend reads and decodes the file after play() has returned.
      connect(player_.get(), &QMediaPlayer::errorOccurred, this, [this] { fail(); });
      connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia) fail();
      });
    }
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
  // Qt Multimedia chooses its backend once in a process: without one no
  // sound plays in this run.
  QString whyNoSound() const override {
    if (!noBackend_) return {};
    return QStringLiteral("サウンドの再生に使うメディア部品が見つかりません。Tesmiro をインストールし直してください。");
  }

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
  bool noBackend_ = false;
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace tesmiro::gui

#include "sound_library.moc"
