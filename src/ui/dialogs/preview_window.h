#pragma once
// The preview window: the compiled movie in the Flash host, with the play
// and stop button, the frame slider and readout, the snapshot button and
// the keep-on-top box. One shared instance, made on first use; the project
// preview, the event preview and the text-effect preview feed it.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/common/keep_on_top.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace tesmiro::player {
class FlashHost;
}

namespace tesmiro::gui {

class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // The row of controls above the movie.
  static constexpr int kRowHeight = 26;

  // The instance, made (and loaded, not shown) on first use.
  static PreviewWindow* load();
  static PreviewWindow* instance() { return instance_; }
  static bool isLoaded() { return instance_ != nullptr; }
  static bool isShownNow() { return instance_ && instance_->isVisible(); }
  // Unloads the instance (position and keep-on-top box kept).
  static void unload();

  // What a caller does before showing it: the movie's stage size, then the
  // movie, which starts playing.
  void setStageSize(int width, int height);
  void showMovie(const QString& path);
  // After showMovie: the line under the stage that says what the build
  // left out of the movie; none when `line` is empty.
  void showLeftOut(const QString& line);
  // Modeless: without an owner when the keep-on-top box is offered (it may
  // then stay above every window), else owned by the main window.
  void showModeless();
  // Modal, until it is closed (the text-effect preview).
  void showModal();

  player::FlashHost* flash() const { return flashHost; }
  // The play/stop button's mark: "□" while playing, "＞" while stopped.
  QString playMark() const { return playMark_; }
  bool isTopmost() const { return keepOnTop_.onTop(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  explicit PreviewWindow(QWidget* parent);
  ~PreviewWindow() override;
  // Place, keep-on-top box and play mark from the preferences.
  void onLoad();
  // The row of controls above the player, the player below it.
  void layoutControls();
  void onActivated();
  // Stores the place and the keep-on-top box.
  void onUnload();
  void togglePlayback();
  void onFrameSliderChanged();
  // The player reported a frame: the slider, the readout and the button
  // follow it.
  void onPlaybackTick();
  void onKeepOnTopToggled();
  // Saves the shown frame as a picture.
  void takeSnapshot();
  // The movie's FSCommands: trace lines go to the trace window.
  void onFsCommand(const QString& command, const QString& args);
  void UpdateFrameLabel();
  void setButtonPlaying(bool playing);
  void snapshot(const QString& path);
  // The file, then why it could not be saved.
  void reportSaveError(const QString& path, const std::string& reason);
  // The player gave no picture: nothing was saved.
  void reportNoPicture(const QString& path);

  QToolButton* playButton = nullptr;
  QLabel* frameLabel = nullptr;
  QScrollBar* frameSlider = nullptr;
  QPushButton* snapshotButton = nullptr;  // "撮"
  QCheckBox* keepOnTopCheck = nullptr;  // "前"
  QLabel* leftOutLabel = nullptr;  // under the stage, while the movie lacks something
  player::FlashHost* flashHost = nullptr;
  static inline PreviewWindow* instance_ = nullptr;
  int stageWidth_ = 320;
  int stageHeight_ = 320;
  QString playMark_;
  KeepOnTop keepOnTop_{this};
  bool settingSlider_ = false;
  bool unloading_ = false;
};

}  // namespace tesmiro::gui
