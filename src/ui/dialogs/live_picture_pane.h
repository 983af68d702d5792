#pragma once
// The event property dialog's live picture: the edited event as the web
// player shows it, at a zoom, scrolled, with the handles or the guide path
// of the operated image drawn over it on a transparent overlay (black lines
// with a white halo: nothing can be drawn inverted over the web view).
//
// The picture is a small movie of the two states, rebuilt when a field
// changes. Writing and loading it takes longer than a mouse move, so the
// rebuilds are coalesced: while a load is on its way the latest request
// waits, and only the fields as they are when its turn comes are written;
// the player reloads only when the movie's bytes changed. The handles follow
// the fields at once; only the picture lags.
//
// The pane reads and writes the dialog through PictureDialog, so that it is
// tested on its own; the filters and the guide are the core's work area.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "project/live_picture_records.h"
#include "project/live_picture_view.h"
#include "project/picture_editor.h"
#include "project/records.h"

class QAction;
class QComboBox;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;

namespace tesmiro::player {
class FlashHost;
}

namespace tesmiro::gui {

class PictureOverlay;

// What the pane needs of the dialog it sits in.
class PictureDialog {
 public:
  virtual ~PictureDialog() = default;
  virtual LivePicture::PictureFields pictureFields() const = 0;
  virtual int operatedImage() const = 0;
  // The operated-image option of `image` chosen; its handler finds the
  // pane's guard set.
  virtual void showOperatedImage(int image) = 0;
  virtual bool onlyOperated() const = 0;  // "ｱｸﾃｨﾌﾞ"
  virtual bool realTime() const = 0;  // "ﾘｱﾙﾀｲﾑ"
  virtual bool guideEditing() const = 0;  // "ｶﾞｲﾄﾞ"
  virtual bool motionShown() const = 0;  // the move target can be chosen
  virtual bool isFilling() const = 0;
  // Writes the boxes; their change handlers run (and mark the dialog
  // changed) while the pane holds its guard against rebuilding.
  virtual void writeBox(LivePicture::Box box, const std::string& text) = 0;
  virtual void markChanged() = 0;
  // The stage of the shown timeline and a material's size.
  virtual ProjectSettings stageInfo() const = 0;
  virtual LivePicture::MaterialSize materialSize(int32_t itemId) const = 0;
};

class LivePicturePane : public QObject {
  Q_OBJECT
 public:
  // The pane's widgets go into `parent` (the dialog), its zoom controls
  // into `toolBox`.
  LivePicturePane(PictureDialog& dialog, QWidget* parent, QWidget* toolBox);
  ~LivePicturePane() override;

  // ---- what the dialog calls ------------------------------------------------
  void MakePictPreview(bool useCache, bool keepHandles);
  void DrawPreview(int mode);
  void UpdatePreviewScrollRanges();
  void ComputeHandles();
  // Places the picture, its scroll bars and the playback bar in `area`
  // (the dialog's coordinates).
  void layoutIn(const QRect& area);
  // Shows or hides the picture and its scroll bars (the tool box is the
  // dialog's).
  void setPaneVisible(bool visible);
  bool paneVisible() const;
  // A new selection: the picture file goes, the editor forgets its list.
  void reset();
  // The guide menu, popped up at the guide button.
  void popUpGuideMenu(const QPoint& globalPos);
  void applyZoom();
  void zoomToActualSize();
  void fitToPane();
  void togglePlayback();
  void onFrameSliderChanged();
  void onMovieUnderneathToggled();
  // The preview window took the writer: the tick pauses meanwhile.
  void setTimerEnabled(bool enabled);
  // The picture takes the keys (when it is shown).
  void focusPicture();

  // ---- handlers of the picture ------------------------------------------------
  void onPictureMouseDown(int button, int shift, int x, int y);
  void onPictureMouseMove(int buttons, int shift, int x, int y);
  void onPictureMouseUp(int button, int shift, int x, int y);
  void onPictureDoubleClick();
  void onPlaybackTick();

  // ---- state ------------------------------------------------------------------
  float zoom() const { return zoom_; }
  LivePicture::PaneView paneView() const;
  LivePicture::TwipPoint PosScrToTwip(double x, double y) const;
  LivePicture::PanePoint PosTwipToScr(double tx, double ty) const;
  const LivePicture::PictureEditor& editor() const { return editor_; }
  const LivePicture::Scene& scene() const { return scene_; }
  std::string previewTempPath() const { return previewTempPath_; }
  bool playing() const;
  int timerInterval() const { return timerInterval_; }
  bool timerRunning() const { return playbackTimer.isActive(); }
  // Pictures written and handed to the player; loads it finished.
  int picturesWritten() const { return written_; }
  int picturesLoaded() const { return loaded_; }
  // True while a written picture is loading or a rebuild is waiting.
  bool rebuildPending() const { return pending_ || loading_; }

 signals:
  // A picture reached the player (tests and the benchmark wait for it).
  void pictureLoaded();

 private:
  // The dialog places the zoom controls in its tool box.
  friend class EventDialog;
  // ---- controls (objectName: the member's name) -----------------------------
  QWidget* PictPreview = nullptr;
  player::FlashHost* flashHost = nullptr;
  PictureOverlay* overlay = nullptr;
  QScrollBar* HScrollPict = nullptr;
  QScrollBar* VScrollPict = nullptr;
  QCheckBox* movieUnderneathCheck = nullptr;  // "下": the whole movie underneath
  QWidget* playbackBar = nullptr;  // the playback bar
  QPushButton* playButton = nullptr;
  QScrollBar* frameSlider = nullptr;
  QLabel* frameLabel = nullptr;
  QLabel* leftOutLabel = nullptr;  // over the picture, while its movie lacks something
  QComboBox* zoomList = nullptr;
  QPushButton* actualSizeButton = nullptr;  // "原寸"
  QPushButton* fitButton = nullptr;  // "全体"
  QTimer playbackTimer;
  QMenu* guideMenu = nullptr;
  QAction* showAnchorPositionsAction = nullptr;
  QAction* curvedGuideAction = nullptr;
  QAction* clearAnchorsAction = nullptr;

  player::FlashHost* ensureHost();
  void replaceFailedHost();
  void writePicture();
  void holdUnderneath();
  void pictureArrived();
  // The left-out line cut to the label's width (its tool tip is whole).
  void fitLeftOutLine();
  void applyFieldWrites(const LivePicture::FieldWrites& writes);
  LivePicture::MaterialSizeFn sizes() const;

  PictureDialog& dialog_;
  LivePicture::PictureEditor editor_;
  LivePicture::Scene scene_;
  float zoom_ = 1.0f;
  std::string previewTempPath_;
  bool guard_ = false;  // the write guard: nested rebuild requests do nothing
  bool timerEnabled_ = true;
  int timerInterval_ = 0;
  // Coalescing: a request waits while a picture loads.
  bool pending_ = false;
  bool pendingUseCache_ = true;
  bool loading_ = false;
  QTimer writeSoon_;
  QTimer loadWatch_;  // a load that never reports does not block for ever
  QTimer busyRetry_;
  int written_ = 0;
  int loaded_ = 0;
};

// The transparent layer over the web view: it draws the scene and takes
// the mouse.
class PictureOverlay : public QWidget {
  Q_OBJECT
 public:
  PictureOverlay(LivePicturePane& pane, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  LivePicturePane& pane_;
};

}  // namespace tesmiro::gui
