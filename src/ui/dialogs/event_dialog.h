#pragma once
// The event property dialog: the modeless window in which the selected
// events of the event list are edited. The main window fills it and reads
// it back through the core's exchange (EventDialogFields); its own handlers
// only lay the fields out and keep them consistent, asking the core's
// dialog rules for every decision.
//
// One shared instance, made on first use: instance() never creates it,
// load() does. Unload() stores its place and options and deletes it later.
#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "project/event_dialog_rules.h"
#include "project/event_property_exchange.h"
#include "swf/filter_state.h"
#include "ui/common/keep_on_top.h"
#include "ui/dialogs/event_dialog_picture.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tesmiro::gui {

class GreyCheckBox;
class EventDialogFieldsAdaptor;
class SliderWithBox;

// The easing curve: one vertical line per frame.
class EasingCurve : public QWidget {
  Q_OBJECT
 public:
  explicit EasingCurve(QWidget* parent = nullptr);
  void setLines(std::vector<int32_t> lines);
  const std::vector<int32_t>& lines() const { return lines_; }
  // The drawing area's width, inside the frame.
  int drawingWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<int32_t> lines_;
};

class EventDialog : public QDialog {
  Q_OBJECT

 public:
  ~EventDialog() override;
  // The loaded instance, or null; never creates one.
  static EventDialog* instance();
  static bool isLoaded() { return instance() != nullptr; }
  static bool isShownNow();
  // The instance, created when there is none.
  static EventDialog* load();
  // Unloads the instance when there is one (the window keeps its place).
  static void UnloadInstance();
  // Deletes the instance and every unloaded one at once (the main window
  // ends): nothing is stored.
  static void DestroyAll();

  // ---- members the main window uses ---------------------------------------
  int32_t SelectedFileKind() const;
  void setSelectedFileKind(int32_t kind);
  bool IsFilling() const;
  void ActivateSub();
  void LoadingSub();
  void EventDialogInitialize();
  void UpdateScrolls();
  // The live picture: only remembers its scratch file while the pane is
  // collapsed.
  void MakePictPreview(bool useCache, bool keepHandles);
  // The window the dialog belongs to (null: a window of its own); set
  // before placing it.
  void setOwner(QWidget* owner);
  // Shows it modeless, owned by `owner`, wholly on its screen.
  void showOwned(QWidget* owner);
  // A script edited elsewhere for this event: the clip script (kind 3) or
  // the action script box.
  void takeScript(int32_t kind, const std::string& text);
  void Unload();

  // While a build runs, Apply and the event preview are off; an edit made
  // meanwhile enables Apply once it has finished.
  void onBuildRunningChanged(bool running);

  // The fields as the core's exchange reads and writes them.
  EventProperty::EventDialogFields& fields();
  // The keys go to the first field shown: the ID box, else the action list.
  void focusFirstField();

  // The button states, the two images of a motion and the two volume sides:
  // the indexes of the control arrays.
  enum ButtonState { Down, Over, Hit };
  enum Image { DrawImage, MoveImage };
  enum Side { Left, Right };

  // ---- handlers -------------------------------------------------------------
  void onItemIdChanged();
  void onFrameCountChanged();
  void onDrawPositionChanged();  // X, Y, angle or size of the draw position
  void onMoveTargetChanged();  // X, Y, angle or size of the move target
  void onCentreChanged();
  void onDepthChanged();
  void onVolumeChanged(Side side);
  void onFrameCountSpin();
  void onDepthSpin();
  void onStateSliderMoved(int image);  // a brightness or opacity bar of image 0 (draw) or 1 (move)
  void onEasingChanged();
  void joinSlidersToBoxes();
  void onButtonToggled();
  void onButtonStateToggled(ButtonState state);
  void onMaskToggled();
  void onKeepOnTopToggled();
  void onSeparateVolumesToggled();
  void onSoundModeChanged();
  void onActionChanged();
  void onBlendModeChanged();
  void applyChanges();
  void onClose();
  void toggleCentre();
  void previewEvent();
  void copyToMoveTarget();
  void copyToDrawPosition();
  void editActionScript();
  void editClipScript();
  void toggleFixedScreen();
  void editFilters(Image image);
  void onPositionCaptionClicked(QLabel* label);  // an X or Y caption of either state
  void onParameterHintPressed(int y);
  void onStateGroupClicked(Image image);
  void onOperatedImageChosen(Image image);
  // The temporary drop of the keep-on-top state while a modal dialog of
  // this window is open; onKeepOnTopToggled puts it back.
  void dropKeepOnTop();

  // The image the handles act on: 0 draw position, 1 move target.
  int operatedImage() const { return operatedImage_; }
  bool keptOnTop() const { return keepOnTop_.onTop(); }
  // Whether the picture pane's controls are offered (the pane itself may be
  // collapsed).
  bool previewControlsShown() const { return previewControls_; }
  // The scratch file of the live picture.
  const std::string& previewTempPath() const { return previewTempPath_; }
  // The window's size as designed (the collapsed size).
  QSize designSize() const { return designSize_; }

  // ---- the live picture pane (event_dialog_picture.cpp) ---------------------
  LivePicturePane* picturePane() const { return pane_.get(); }
  void onExpandPaneToggled();
  void ShowPreviewPane();
  // The pane expanded or collapsed, and its real-time box, as stored.
  void restorePaneOptions();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class EventDialogPicture;
  void embedPicturePane();
  void layoutPicturePane();
  void storeExpandedSize();
  // The adaptor outlives the pane that reads through it.
  std::unique_ptr<EventDialogPicture> picture_;
  std::unique_ptr<LivePicturePane> pane_;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  friend class EventDialogFieldsAdaptor;
  EventDialog();
  void createControls();
  void connectHandlers();
  QWidget* widget(EventDialogRules::Ctl c) const;
  QLineEdit* box(EventProperty::Box b) const;
  QScrollBar* slider(EventProperty::Slider s) const;
  QWidget* part(EventProperty::Part p) const;
  void applyVisibility(const EventDialogRules::Visibility& v);
  void placeActionFrame(bool top);
  void UpdateApplyButton();
  void SetPreviewControlsVisible(bool visible);
  void CopyDrawToMove();
  void CopyMoveToDraw();
  // copyToMoveButton (0 to 1) and copyToDrawButton (1 to 0).
  void copyState(int from);
  void openScript(int32_t kind, const QLineEdit* box);
  void StorePreviewOptions();
  void SaveDialogState();
  void onActivated();

  int operatedImage_ = 0;
  bool previewControls_ = true;  // as designed, until a kind says otherwise
  bool unloading_ = false;
  KeepOnTop keepOnTop_{this};
  QSize designSize_;
  std::string previewTempPath_;
  std::unique_ptr<EventDialogFieldsAdaptor> fields_;
  // What Apply and the event preview become when the running build ends.
  bool applyAfterBuild_ = false;
  bool previewAfterBuild_ = false;

  // ---- controls (objectName: the member's name; array elements name_<index>) ---
  QLabel* itemIdLabel = nullptr;
  QLineEdit* itemIdBox = nullptr;
  QLabel* frameCountLabel = nullptr;
  QLineEdit* frameCountBox = nullptr;
  QScrollBar* frameCountSpin = nullptr;
  QPushButton* fixedScreenButton = nullptr;
  QGroupBox* depthGroup = nullptr;  // depth
  QLabel* depthLabel = nullptr;
  QLineEdit* depthBox = nullptr;
  QScrollBar* depthSpin = nullptr;
  QLabel* depthHintLabel = nullptr;
  GreyCheckBox* maskCheck = nullptr;  // mask
  QGroupBox* maskRangeGroup = nullptr;
  QLineEdit* maskFromBox = nullptr;
  QLabel* maskRangeDashLabel = nullptr;
  QLineEdit* maskToBox = nullptr;
  QLabel* maskRangeHintLabel = nullptr;
  QLabel* blendModeLabel = nullptr;
  QComboBox* blendModeList = nullptr;  // blend mode
  GreyCheckBox* buttonCheck = nullptr;  // button
  QGroupBox* actionGroup = nullptr;  // action
  QLabel* actionLabel = nullptr;
  QComboBox* actionList = nullptr;
  QLabel* firstParameterLabel = nullptr;
  QLineEdit* firstParameterBox = nullptr;
  QLabel* parameterHintLabel = nullptr;
  QLineEdit* secondParameterBox = nullptr;
  QPushButton* actionScriptButton = nullptr;
  QGroupBox* buttonImagesGroup = nullptr;  // button images
  std::array<GreyCheckBox*, 3> buttonStateChecks{};
  std::array<QLineEdit*, 3> buttonStateBoxes{};
  QLabel* buttonStateIdLabel = nullptr;
  QGroupBox* spriteGroup = nullptr;  // sprite
  QLabel* instanceNameLabel = nullptr;
  QLineEdit* instanceNameBox = nullptr;
  QLineEdit* clipScriptBox = nullptr;
  QPushButton* clipScriptButton = nullptr;
  QGroupBox* soundGroup = nullptr;  // sound
  QComboBox* soundModeList = nullptr;
  QGroupBox* volumeGroup = nullptr;  // volume
  QCheckBox* separateVolumesCheck = nullptr;
  std::array<QLineEdit*, 2> volumeBoxes{};
  std::array<QScrollBar*, 2> volumeSliders{};
  std::array<QLabel*, 2> volumeLabels{};
  std::array<SliderWithBox*, 2> volumePairs{};
  QGroupBox* centreGroup = nullptr;  // centre
  QLabel* centreXLabel = nullptr;
  QLineEdit* centreXBox = nullptr;
  QLabel* centreYLabel = nullptr;
  QLineEdit* centreYBox = nullptr;
  QPushButton* centreButton = nullptr;
  QGroupBox* drawPositionGroup = nullptr;  // draw position
  QLabel* drawXLabel = nullptr;
  QLineEdit* drawXBox = nullptr;
  QLabel* drawYLabel = nullptr;
  QLineEdit* drawYBox = nullptr;
  QLabel* drawAngleLabel = nullptr;
  QLineEdit* drawAngleBox = nullptr;
  QLabel* drawSizeLabel = nullptr;
  QLineEdit* drawSizeBox = nullptr;
  QLabel* drawBrightnessLabel = nullptr;
  QScrollBar* drawBrightnessSlider = nullptr;
  QLineEdit* drawBrightnessBox = nullptr;
  QLabel* drawOpacityLabel = nullptr;
  QScrollBar* drawOpacitySlider = nullptr;
  QLineEdit* drawOpacityBox = nullptr;
  std::array<QPushButton*, 2> filterButtons{};
  QPushButton* copyToMoveButton = nullptr;
  QGroupBox* moveTargetGroup = nullptr;  // move target
  QLabel* moveXLabel = nullptr;
  QLineEdit* moveXBox = nullptr;
  QLabel* moveYLabel = nullptr;
  QLineEdit* moveYBox = nullptr;
  QLabel* moveAngleLabel = nullptr;
  QLineEdit* moveAngleBox = nullptr;
  QLabel* moveSizeLabel = nullptr;
  QLineEdit* moveSizeBox = nullptr;
  QLabel* moveBrightnessLabel = nullptr;
  QScrollBar* moveBrightnessSlider = nullptr;
  QLineEdit* moveBrightnessBox = nullptr;
  QLabel* moveOpacityLabel = nullptr;
  QScrollBar* moveOpacitySlider = nullptr;
  QLineEdit* moveOpacityBox = nullptr;
  QPushButton* copyToDrawButton = nullptr;
  QGroupBox* easingGroup = nullptr;  // easing
  QScrollBar* easingSlider = nullptr;
  QLineEdit* easingBox = nullptr;
  SliderWithBox* easingPair = nullptr;
  // Draw brightness, draw opacity, move opacity, move brightness.
  std::array<SliderWithBox*, 4> statePairs{};
  EasingCurve* easingCurve = nullptr;
  QPushButton* eventPreviewButton = nullptr;  // event preview
  QPushButton* applyButton = nullptr;  // Apply
  QPushButton* closeButton = nullptr;  // Close
  QCheckBox* keepOnTopCheck = nullptr;  // keep on top
  QCheckBox* expandPaneCheck = nullptr;  // the pane expander
  // The picture pane's tool box, collapsed with the pane.
  QWidget* PictToolBox = nullptr;
  std::array<QRadioButton*, 2> operatedImageOptions{};
  QCheckBox* guideCheck = nullptr;  // guide editing
  QPushButton* guideMenuButton = nullptr;  // guide menu
  QCheckBox* realTimeCheck = nullptr;  // real-time redraw
  QCheckBox* onlyOperatedCheck = nullptr;  // only the operated image

  QMenu* copyParametersMenu = nullptr;
  QAction* copyBasicAction = nullptr;
  QAction* copyDetailAction = nullptr;
  QAction* copyAllAction = nullptr;
};

}  // namespace tesmiro::gui
