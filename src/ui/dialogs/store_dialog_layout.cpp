// The material dialog's controls: where each sits, and which handler each runs.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "project/store.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/dialogs/text_effect_editor.h"

namespace tesmiro::gui {
namespace {

namespace SP = StoreProperty;

QString U(const char* text) { return QString::fromUtf8(text); }

// The red, green and blue rows of the key colour or of the text colour.
void AddColourRows(std::vector<ControlRow>& rows, std::array<QScrollBar*, 6>& bars, std::array<QLineEdit*, 6>& boxes,
                   QLabel*& label, SP::ColourChannel red, const char* const labels[3], const QString& parent, int x,
                   int y) {
  static const char* const kRgb[] = {"R", "G", "B"};
  for (int k = 0; k < 3; ++k) {
    const int i = red + k;
    const int row = y + k * 24;
    rows.insert(rows.end(), {
        Row(label, labels[k], parent, {x, row + 1, 16, 20}, kRgb[k]),
        Row(bars[i], QStringLiteral("colourSliders_%1").arg(i), parent, {x + 18, row + 2, 200, 18}),
        Row(boxes[i], QStringLiteral("colourBoxes_%1").arg(i), parent, {x + 224, row, 40, 22}),
    });
  }
}

// The program's own settings for each kind of control.
void Finish(QWidget* w) {
  if (auto* check = qobject_cast<GreyCheckBox*>(w)) check->setValue(SP::kGrey);
  if (auto* button = qobject_cast<QPushButton*>(w)) button->setAutoDefault(false);
  if (auto* bar = qobject_cast<QScrollBar*>(w)) {
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(0, 255);
    bar->setPageStep(16);
  }
}

// A check box that titles a frame: drawn over the frame's top edge (it is
// created after the frame, so it lies above it).
void TitleFrame(GreyCheckBox* check) {
  check->adjustSize();
  check->setAutoFillBackground(true);
}

void FrameAsPanel(QFrame* panel) { panel->setFrameShape(QFrame::StyledPanel); }

}  // namespace

void StoreDialog::createControls() {
  PlaceControls(this,
                {
                    Row(itemIdLabel, "itemIdLabel", {}, {8, 10, 26, 20}, "ID"),
                    Row(itemIdBox, "itemIdBox", {}, {36, 8, 70, 22}),
                    Row(kindLabel, "kindLabel", {}, {120, 10, 40, 20}, U("ﾀｲﾌﾟ")),
                    Row(kindBox, "kindBox", {}, {162, 8, 110, 22}),
                    Row(pathLabel, "pathLabel", {}, {8, 38, 40, 20}, U("ﾌｧｲﾙ")),
                    Row(pathBox, "pathBox", {}, {52, 36, 352, 22}),
                    Row(browseButton, "browseButton", {}, {408, 35, 32, 24}, U("･･･")),
                },
                Finish);
  buildImageFrame();
  buildTextFrame();
  buildOtherFrames();
  PlaceControls(this,
                {Row(okButton, "okButton", {}, {kWidth - 184, 0, 84, 24}, "&OK"),
                 Row(cancelButton, "cancelButton", {}, {kWidth - 92, 0, 84, 24}, U("キャンセル"))},
                Finish);
}

void StoreDialog::buildImageFrame() {
  const int top = kFramesTop + 84;
  static const char* const kLabels[] = {"keyRedLabel", "keyGreenLabel", "keyBlueLabel"};
  const QString image = "imageGroup", key = "keyColourPanel", softening = "softeningPanel";
  QLabel* label = nullptr;
  std::vector<ControlRow> rows = {
      Row(imageGroup, image, {}, {8, kFramesTop, kFrameWidth, 76}, U("ビットマップの設定")),
      Row(imageNameLabel, "imageNameLabel", image, {10, 22, 92, 20}, U("オブジェクト名")),
      Row(imageNameBox, "imageNameBox", image, {104, 20, 220, 22}),
      Row(losslessCheck, "losslessCheck", image, {10, 48, 200, 22}, U("JPEG圧縮しない")),
      Row(keyColourPanel, key, {}, {8, top + 10, kFrameWidth, 152}),
      Row(keyColourCheck, "keyColourCheck", {}, {16, top, 10, 22}, U("透過色を使用する")),
  };
  AddColourRows(rows, colourSliders, colourBoxes, label, SP::KeyRed, kLabels, key, 10, 18);
  rows.insert(rows.end(), {
      Row(keyColourSwatch, "keyColourSwatch", key, {290, 18, 48, 48}),
      Row(topLeftColourButton, "topLeftColourButton", key, {344, 18, 80, 24}, U("左上のドット")),
      Row(softeningPanel, softening, key, {10, 104, 412, 40}),
      Row(softenEdgesCheck, "softenEdgesCheck", key, {18, 94, 10, 22}, U("エッジをぼかす")),
      Row(softeningModeList, "softeningModeList", softening, {8, 12, 120, 22}),
      Row(softeningAmountLabel, "softeningAmountLabel", softening, {136, 14, 80, 20}, U("ぼかし強度")),
      Row(softeningAmountBox, "softeningAmountBox", softening, {220, 12, 50, 22}),
  });
  PlaceControls(this, rows, Finish);
  FrameAsPanel(keyColourPanel);
  FrameAsPanel(softeningPanel);
  TitleFrame(keyColourCheck);
  TitleFrame(softenEdgesCheck);
  ShowAsSwatch(keyColourSwatch);
  keyColourSwatch->installEventFilter(this);
  for (const char* mode : SP::kSofteningModes) softeningModeList->addItem(QString::fromUtf8(mode));
  softeningModeList->setCurrentIndex(-1);

  connect(keyColourCheck, &QCheckBox::stateChanged, this, [this] { onKeyColourToggled(); });
  connect(topLeftColourButton, &QPushButton::clicked, this, [this] { takeTopLeftColour(); });
  connect(softenEdgesCheck, &QCheckBox::stateChanged, this, [this] { onSoftenEdgesToggled(); });
  connect(softeningModeList, &QComboBox::currentIndexChanged, this, [this] { onSofteningModeChanged(); });
  connect(softeningAmountBox, &QLineEdit::textChanged, this, [this] { onSofteningAmountChanged(); });
}

void StoreDialog::buildTextFrame() {
  static const char* const kLabels[] = {"textRedLabel", "textGreenLabel", "textBlueLabel"};
  const QString text = "textGroup", input = "inputOptionsPanel", effect = "textEffectPanel";
  QLabel* label = nullptr;
  std::vector<ControlRow> rows = {
      Row(textGroup, text, {}, {8, kFramesTop, kFrameWidth, 380}, U("テキストの設定")),
      Row(textEdit, "textEdit", text, {10, 20, 412, 80}),
      Row(label, "fontLabel", text, {10, 108, 50, 20}, U("フォント")),
      Row(fontList, "fontList", text, {62, 106, 200, 22}),
      Row(label, "fontSizeLabel", text, {272, 108, 40, 20}, U("サイズ")),
      Row(fontSizeBox, "fontSizeBox", text, {314, 106, 50, 22}),
      Row(label, "alignmentLabel", text, {10, 136, 50, 20}, U("配置")),
      Row(alignmentList, "alignmentList", text, {62, 134, 100, 22}),
      Row(label, "lineSpacingLabel", text, {170, 136, 32, 20}, U("行間")),
      Row(lineSpacingBox, "lineSpacingBox", text, {204, 134, 50, 22}),
      Row(boldCheck, "boldCheck", text, {266, 134, 64, 22}, U("太字")),
      Row(italicCheck, "italicCheck", text, {334, 134, 64, 22}, U("斜体")),
  };
  AddColourRows(rows, colourSliders, colourBoxes, label, SP::TextRed, kLabels, text, 10, 162);
  rows.insert(rows.end(), {
      Row(textColourSwatch, "textColourSwatch", text, {290, 162, 48, 66}),
      Row(autoSizeCheck, "autoSizeCheck", text, {10, 238, 100, 22}, U("自動サイズ")),
      Row(boxWidthLabel, "boxWidthLabel", text, {116, 240, 18, 20}, U("幅")),
      Row(boxWidthBox, "boxWidthBox", text, {136, 238, 50, 22}),
      Row(boxHeightLabel, "boxHeightLabel", text, {194, 240, 30, 20}, U("高さ")),
      Row(boxHeightBox, "boxHeightBox", text, {226, 238, 50, 22}),
      Row(fontPreviewCheck, "fontPreviewCheck", text, {300, 238, 100, 22}, U("ﾌﾟﾚﾋﾞｭｰ")),
      Row(dynamicTextCheck, "dynamicTextCheck", text, {10, 264, 140, 22}, U("ﾀﾞｲﾅﾐｯｸﾃｷｽﾄ")),
      Row(inputOptionsPanel, input, text, {10, 292, 412, 80}),
      Row(textInputCheck, "textInputCheck", input, {6, 4, 100, 22}, U("テキスト入力")),
      Row(passwordCheck, "passwordCheck", input, {108, 4, 100, 22}, U("パスワード")),
      Row(multilineCheck, "multilineCheck", input, {210, 4, 96, 22}, U("複数行")),
      Row(wrapCheck, "wrapCheck", input, {308, 4, 100, 22}, U("折り返し")),
      Row(htmlCheck, "htmlCheck", input, {6, 28, 100, 22}, "HTML"),
      Row(borderCheck, "borderCheck", input, {108, 28, 100, 22}, U("枠線")),
      Row(selectableCheck, "selectableCheck", input, {210, 28, 96, 22}, U("選択可能")),
      Row(label, "variableNameLabel", input, {6, 54, 50, 20}, U("変数名")),
      Row(variableNameBox, "variableNameBox", input, {60, 52, 220, 22}),
      Row(textEffectPanel, effect, text, {10, 302, 412, 70}),
      Row(textEffectCheck, "textEffectCheck", text, {18, 292, 10, 22}, U("テキストエフェクト")),
      Row(textEffectSettingsBox, "textEffectSettingsBox", effect, {0, 0, 10, 22}),
      Row(textEffectButton, "textEffectButton", effect, {8, 18, 60, 24}, U("設定")),
      Row(textEffectSummaryLabel, "textEffectSummaryLabel", effect, {76, 14, 330, 52}),
  });
  PlaceControls(this, rows, Finish);
  textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  textEdit->installEventFilter(this);
  for (const char* align : SP::kAlignments) alignmentList->addItem(QString::fromUtf8(align));
  alignmentList->setCurrentIndex(-1);
  ShowAsSwatch(textColourSwatch);
  textColourSwatch->installEventFilter(this);
  FrameAsPanel(inputOptionsPanel);
  FrameAsPanel(textEffectPanel);
  TitleFrame(textEffectCheck);
  textEffectSettingsBox->hide();
  textEffectButton->setEnabled(TextEffects() != nullptr);
  textEffectSummaryLabel->setFont(ListFont(9));

  connect(fontList, &QComboBox::currentIndexChanged, this, [this] { applyFontRule(); });
  connect(dynamicTextCheck, &QCheckBox::stateChanged, this, [this] { applyFontRule(); });
  connect(textEffectCheck, &QCheckBox::stateChanged, this, [this] { applyFontRule(); });
  connect(autoSizeCheck, &QCheckBox::stateChanged, this, [this] { onAutoSizeToggled(); });
  for (GreyCheckBox* c : {fontPreviewCheck, boldCheck, italicCheck})
    connect(c, &QCheckBox::stateChanged, this, [this] { updateFontPreview(); });
  connect(alignmentList, &QComboBox::currentIndexChanged, this, [this] { updateFontPreview(); });
  connect(fontSizeBox, &QLineEdit::textChanged, this, [this] { updateFontPreview(); });
  connect(textEffectSettingsBox, &QLineEdit::textChanged, this, [this] { onTextEffectSettingsChanged(); });
  connect(textEffectButton, &QPushButton::clicked, this, [this] { editTextEffect(); });
}

void StoreDialog::buildOtherFrames() {
  const QString sound = "soundGroup", video = "videoGroup", sprite = "spriteGroup", size = "spriteSizeGroup",
                reference = "referencePointGroup", folder = "folderGroup", vector = "vectorGroup", morph = "morphPanel";
  QLabel* label = nullptr;
  QGroupBox* group = nullptr;
  PlaceControls(
      this,
      {
          Row(soundGroup, sound, {}, {8, kFramesTop, kFrameWidth, 52}, U("サウンドの設定")),
          Row(label, "soundNameLabel", sound, {10, 22, 92, 20}, U("オブジェクト名")),
          Row(soundNameBox, "soundNameBox", sound, {104, 20, 220, 22}),
          Row(videoGroup, video, {}, {8, kFramesTop, kFrameWidth, 106}, U("ビデオの設定")),
          Row(noSoundCheck, "noSoundCheck", video, {10, 20, 200, 22}, U("音声を使用しない")),
          Row(startFrameBox, "startFrameBox", video, {10, 48, 60, 22}),
          Row(label, "startFrameLabel", video, {74, 50, 150, 20}, U("フレーム目から開始する")),
          Row(previousKeyFrameButton, "previousKeyFrameButton", video, {230, 47, 32, 24}, "<<"),
          Row(nextKeyFrameButton, "nextKeyFrameButton", video, {266, 47, 32, 24}, ">>"),
          Row(label, "videoNameLabel", video, {10, 78, 92, 20}, U("オブジェクト名")),
          Row(videoNameBox, "videoNameBox", video, {104, 76, 220, 22}),
          Row(spriteGroup, sprite, {}, {8, kFramesTop, kFrameWidth, 150}, U("スプライト")),
          Row(label, "spriteNameLabel", sprite, {10, 22, 80, 20}, U("ｽﾌﾟﾗｲﾄ名")),
          Row(spriteNameBox, "spriteNameBox", sprite, {92, 20, 240, 22}),
          Row(group, size, sprite, {10, 52, 150, 88}, U("サイズ")),
          Row(label, "spriteWidthLabel", size, {10, 24, 36, 20}, U("幅")),
          Row(spriteWidthBox, "spriteWidthBox", size, {50, 22, 80, 22}),
          Row(label, "spriteHeightLabel", size, {10, 52, 36, 20}, U("高さ")),
          Row(spriteHeightBox, "spriteHeightBox", size, {50, 50, 80, 22}),
          Row(group, reference, sprite, {168, 52, 254, 88}, U("基準点")),
          Row(label, "referenceXLabel", reference, {10, 24, 24, 20}, U("X：")),
          Row(referenceXBox, "referenceXBox", reference, {36, 22, 70, 22}),
          Row(label, "referenceYLabel", reference, {10, 52, 24, 20}, U("Y：")),
          Row(referenceYBox, "referenceYBox", reference, {36, 50, 70, 22}),
          Row(spriteCentreButton, "spriteCentreButton", reference, {112, 35, 136, 24}, U("ｽﾌﾟﾗｲﾄの中央に設定(&C)")),
          Row(folderGroup, folder, {}, {8, kFramesTop, kFrameWidth, 52}, U("フォルダ")),
          Row(label, "folderNameLabel", folder, {10, 22, 92, 20}, U("フォルダ名")),
          Row(folderNameBox, "folderNameBox", folder, {104, 20, 220, 22}),
          Row(vectorGroup, vector, {}, {8, kFramesTop, kFrameWidth, 52}, U("ベクタ画像の設定")),
          Row(label, "vectorNameLabel", vector, {10, 22, 92, 20}, U("オブジェクト名")),
          Row(vectorNameBox, "vectorNameBox", vector, {104, 20, 220, 22}),
          Row(morphPanel, morph, {}, {8, kFramesTop + 70, kFrameWidth, 80}),
          Row(morphCheck, "morphCheck", {}, {16, kFramesTop + 60, 10, 22}, U("モーフィングする")),
          Row(label, "morphTargetLabel", morph, {10, 18, 250, 20}, U("モーフィング終了時の画像（ファイルID）")),
          Row(morphTargetBox, "morphTargetBox", morph, {264, 16, 60, 22}),
          Row(checkMorphButton, "checkMorphButton", morph, {10, 46, 110, 24}, U("正当性チェック")),
          Row(morphVerdictLabel, "morphVerdictLabel", morph, {128, 48, 290, 20}),
      },
      Finish);
  previousKeyFrameButton->setToolTip(QStringLiteral("前のキーフレーム"));
  nextKeyFrameButton->setToolTip(QStringLiteral("次のキーフレーム"));
  FrameAsPanel(morphPanel);
  TitleFrame(morphCheck);

  connect(previousKeyFrameButton, &QPushButton::clicked, this, [this] { previousKeyFrame(); });
  connect(nextKeyFrameButton, &QPushButton::clicked, this, [this] { nextKeyFrame(); });
  connect(spriteCentreButton, &QPushButton::clicked, this, [this] { centreSprite(); });
  connect(morphTargetBox, &QLineEdit::textChanged, this, [this] { onMorphTargetChanged(); });
  connect(checkMorphButton, &QPushButton::clicked, this, [this] { checkMorph(); });
  onMorphTargetChanged();
}

}  // namespace tesmiro::gui
