#pragma once
// The material property dialog: one frame of controls per kind of
// material, filled from the exchange's fields and read back into them. The
// dialog changes no model data itself: it reacts inside its own controls,
// picks colours, checks a morph target, browses for a file and opens the
// text-effect editor. Each control's objectName is its member's name.
#include <QDialog>
#include <array>

#include "project/store_property_exchange.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace tesmiro::gui {

class GreyCheckBox;

class StoreDialog : public QDialog {
  Q_OBJECT

 public:
  explicit StoreDialog(QWidget* parent = nullptr);
  ~StoreDialog() override;

  // Sets every control from the fields, as the filler does; the controls'
  // handlers follow.
  void load(const StoreProperty::Fields& fields);
  // The controls as fields, for reading back after OK.
  StoreProperty::Fields read() const;
  // True once the dialog was closed with OK.
  bool ok() const { return ok_; }

 protected:
  void reject() override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using ColourChannel = StoreProperty::ColourChannel;
  static constexpr int kWidth = 448;
  static constexpr int kFrameWidth = kWidth - 16;
  static constexpr int kFramesTop = 66;  // below the path row

  void createControls();
  void buildImageFrame();
  void buildTextFrame();
  void buildOtherFrames();
  void showFrame(StoreProperty::Frame frame);
  void pickColour(ColourChannel red);
  void paintSwatches();
  void setTextFrameFlags(const StoreProperty::Fields& fields);
  void saveDialogPosition();

  // ---- handlers -------------------------------------------------------------
  void onOk();
  void onCancel();
  void onKeyColourToggled();
  void pickKeyColour();
  void pickTextColour();
  void takeTopLeftColour();
  void onSoftenEdgesToggled();
  void onSofteningModeChanged();
  void onSofteningAmountChanged();
  void onMorphTargetChanged();
  void checkMorph();
  void browse();
  void previousKeyFrame();
  void nextKeyFrame();
  void centreSprite();
  void applyFontRule();  // the font, dynamic-text or text-effect box changed
  void onAutoSizeToggled();
  void updateFontPreview();
  void onTextEffectSettingsChanged();
  void editTextEffect();

  // ---- controls -------------------------------------------------------------
  QLabel* itemIdLabel = nullptr;
  QLineEdit* itemIdBox = nullptr;
  QLabel* kindLabel = nullptr;
  QLineEdit* kindBox = nullptr;
  QLabel* pathLabel = nullptr;
  QLineEdit* pathBox = nullptr;
  QPushButton* browseButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;

  std::array<QScrollBar*, 6> colourSliders{};  // by ColourChannel
  std::array<QLineEdit*, 6> colourBoxes{};

  // Image.
  QGroupBox* imageGroup = nullptr;
  QLabel* imageNameLabel = nullptr;
  QLineEdit* imageNameBox = nullptr;
  GreyCheckBox* losslessCheck = nullptr;
  GreyCheckBox* keyColourCheck = nullptr;
  QFrame* keyColourPanel = nullptr;
  QLabel* keyColourSwatch = nullptr;
  QPushButton* topLeftColourButton = nullptr;
  GreyCheckBox* softenEdgesCheck = nullptr;
  QFrame* softeningPanel = nullptr;
  QComboBox* softeningModeList = nullptr;
  QLabel* softeningAmountLabel = nullptr;
  QLineEdit* softeningAmountBox = nullptr;

  // Sound.
  QGroupBox* soundGroup = nullptr;
  QLineEdit* soundNameBox = nullptr;

  // Video.
  QGroupBox* videoGroup = nullptr;
  GreyCheckBox* noSoundCheck = nullptr;
  QLineEdit* startFrameBox = nullptr;
  QPushButton* previousKeyFrameButton = nullptr;
  QPushButton* nextKeyFrameButton = nullptr;
  QLineEdit* videoNameBox = nullptr;

  // Sprite.
  QGroupBox* spriteGroup = nullptr;
  QLineEdit* spriteNameBox = nullptr;
  QLineEdit* spriteWidthBox = nullptr;
  QLineEdit* spriteHeightBox = nullptr;
  QLineEdit* referenceXBox = nullptr;
  QLineEdit* referenceYBox = nullptr;
  QPushButton* spriteCentreButton = nullptr;

  // Folder.
  QGroupBox* folderGroup = nullptr;
  QLineEdit* folderNameBox = nullptr;

  // Vector.
  QGroupBox* vectorGroup = nullptr;
  QLineEdit* vectorNameBox = nullptr;
  GreyCheckBox* morphCheck = nullptr;
  QFrame* morphPanel = nullptr;
  QLineEdit* morphTargetBox = nullptr;
  QPushButton* checkMorphButton = nullptr;
  QLabel* morphVerdictLabel = nullptr;

  // Text.
  QGroupBox* textGroup = nullptr;
  QPlainTextEdit* textEdit = nullptr;
  QComboBox* fontList = nullptr;
  QLineEdit* fontSizeBox = nullptr;
  QComboBox* alignmentList = nullptr;
  QLineEdit* lineSpacingBox = nullptr;
  GreyCheckBox* boldCheck = nullptr;
  GreyCheckBox* italicCheck = nullptr;
  QLabel* textColourSwatch = nullptr;
  GreyCheckBox* autoSizeCheck = nullptr;
  QLabel* boxWidthLabel = nullptr;
  QLineEdit* boxWidthBox = nullptr;
  QLabel* boxHeightLabel = nullptr;
  QLineEdit* boxHeightBox = nullptr;
  GreyCheckBox* fontPreviewCheck = nullptr;  // the text box shows the chosen font
  GreyCheckBox* dynamicTextCheck = nullptr;
  QFrame* inputOptionsPanel = nullptr;
  GreyCheckBox* textInputCheck = nullptr;
  GreyCheckBox* passwordCheck = nullptr;
  GreyCheckBox* multilineCheck = nullptr;
  GreyCheckBox* wrapCheck = nullptr;
  GreyCheckBox* htmlCheck = nullptr;
  GreyCheckBox* borderCheck = nullptr;
  GreyCheckBox* selectableCheck = nullptr;
  QLineEdit* variableNameBox = nullptr;
  GreyCheckBox* textEffectCheck = nullptr;
  QFrame* textEffectPanel = nullptr;
  QLineEdit* textEffectSettingsBox = nullptr;  // hidden: the settings string
  QPushButton* textEffectButton = nullptr;
  QLabel* textEffectSummaryLabel = nullptr;

  StoreProperty::Fields loaded_;  // lists and visibility the controls do not hold
  bool ok_ = false;
  bool fontRuleRunning_ = false;
  bool loading_ = false;
};

}  // namespace tesmiro::gui
