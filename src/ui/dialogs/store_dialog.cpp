#include "ui/dialogs/store_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <algorithm>

#include "compiler/material_tools.h"
#include "media/text/font_surface.h"
#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/colour_picker_rules.h"
#include "project/file_dialogs.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "project/store.h"
#include "project/store_item_swap.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/text_effect_editor.h"

namespace tesmiro::gui {
namespace {

namespace SP = StoreProperty;
using SP::Frame;

constexpr int kWidth = 448;
constexpr int kFrameWidth = kWidth - 16;
constexpr int kFramesTop = 66;  // below the path row
constexpr int kFramesTopNoPath = 36;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h = 20) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(x, y, w, h);
  return l;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(x, y, w, 22);
  return e;
}

GreyCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
  auto* c = new GreyCheckBox(text, parent);
  c->setObjectName(QString::fromLatin1(name));
  c->setGeometry(x, y, w, 22);
  c->setValue(SP::kGrey);
  return c;
}

// A check box that titles a frame: drawn over the frame's top edge.
GreyCheckBox* MakeTitleCheck(QWidget* parent, const char* name, const QString& text, int x, int y) {
  GreyCheckBox* c = MakeCheck(parent, name, text, x, y, 10);
  c->adjustSize();
  c->setAutoFillBackground(true);
  c->raise();
  return c;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, w, 24);
  b->setAutoDefault(false);
  return b;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, int x, int y, int w, int h) {
  auto* g = new QGroupBox(title, parent);
  g->setObjectName(QString::fromLatin1(name));
  g->setGeometry(x, y, w, h);
  return g;
}

QFrame* MakeBox(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* f = new QFrame(parent);
  f->setObjectName(QString::fromLatin1(name));
  f->setFrameShape(QFrame::StyledPanel);
  f->setGeometry(x, y, w, h);
  return f;
}

QLabel* MakeSwatch(QWidget* parent, const char* name, int x, int y, int w, int h) {
  QLabel* s = MakeLabel(parent, name, QString(), x, y, w, h);
  s->setAutoFillBackground(true);
  s->setFrameShape(QFrame::Box);
  s->setCursor(Qt::PointingHandCursor);
  return s;
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::Base, colour);
  w->setPalette(p);
  w->update();
}

// The text box edits lines with "\n"; a text material keeps "\r\n".
QString ToEditorText(const std::string& text) {
  QString s = ToQ(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

std::string FromEditorText(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQ(s);
}

std::string Text(const QLineEdit* e) { return FromQ(e->text()); }
int32_t Whole(const QLineEdit* e) { return num::RoundToInt32(num::Val(Text(e))); }

constexpr SP::ColourChannel kColourChannels[] = {SP::KeyRed,  SP::KeyGreen,  SP::KeyBlue,
                                                 SP::TextRed, SP::TextGreen, SP::TextBlue};

// The red, green and blue rows of the key colour or of the text colour.
void BuildColourRows(QWidget* parent, std::array<QScrollBar*, 6>& bars, std::array<QLineEdit*, 6>& boxes,
                     SP::ColourChannel red, const char* const labels[3], int x, int y) {
  static const char* const kRgb[] = {"R", "G", "B"};
  for (int k = 0; k < 3; ++k) {
    const int i = red + k;
    const int row = y + k * 24;
    MakeLabel(parent, labels[k], QString::fromLatin1(kRgb[k]), x, row + 1, 16);
    bars[i] = new QScrollBar(Qt::Horizontal, parent);
    bars[i]->setObjectName(QStringLiteral("colourSliders_%1").arg(i));
    bars[i]->setRange(0, 255);
    bars[i]->setPageStep(16);
    bars[i]->setGeometry(x + 18, row + 2, 200, 18);
    boxes[i] = MakeEdit(parent, "", x + 224, row, 40);
    boxes[i]->setObjectName(QStringLiteral("colourBoxes_%1").arg(i));
  }
}

}  // namespace

StoreDialog::StoreDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("StoreDialog"));
  setWindowTitle(QString::fromUtf8(SP::kDesignCaption));
  setFont(PanelFont(9));
  // A modal window first closes the modeless ones.
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();

  itemIdLabel = MakeLabel(this, "itemIdLabel", QStringLiteral("ID"), 8, 10, 26);
  itemIdBox = MakeEdit(this, "itemIdBox", 36, 8, 70);
  kindLabel = MakeLabel(this, "kindLabel", QStringLiteral("ﾀｲﾌﾟ"), 120, 10, 40);
  kindBox = MakeEdit(this, "kindBox", 162, 8, 110);
  kindBox->setReadOnly(true);
  kindBox->setFocusPolicy(Qt::NoFocus);
  SetBackground(kindBox, ToQColor(SystemColor(15)));
  pathLabel = MakeLabel(this, "pathLabel", QStringLiteral("ﾌｧｲﾙ"), 8, 38, 40);
  pathBox = MakeEdit(this, "pathBox", 52, 36, 352);
  browseButton = MakeButton(this, "browseButton", QStringLiteral("･･･"), 408, 35, 32);

  buildImageFrame();
  buildTextFrame();
  buildOtherFrames();

  okButton = MakeButton(this, "okButton", QStringLiteral("&OK"), kWidth - 184, 0, 84);
  okButton->setDefault(true);
  cancelButton = MakeButton(this, "cancelButton", QStringLiteral("キャンセル"), kWidth - 92, 0, 84);

  for (SP::ColourChannel c : kColourChannels) {
    connect(colourSliders[c], &QScrollBar::valueChanged, this, [this, c] { onColourSliderChanged(c); });
    connect(colourBoxes[c], &QLineEdit::textChanged, this, [this, c] { onColourBoxChanged(c); });
  }
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
  RouteEscapeTo(this, cancelButton);

  for (GreyCheckBox* c : {keyColourCheck, boldCheck, italicCheck, softenEdgesCheck, autoSizeCheck, textInputCheck,
                          passwordCheck, multilineCheck, wrapCheck, htmlCheck, borderCheck, selectableCheck, morphCheck,
                          losslessCheck, dynamicTextCheck, noSoundCheck, textEffectCheck}) {
    c->setValue(SP::kGrey);
  }
  fontPreviewCheck->setValue(SP::kOff);
  for (QWidget* w : std::initializer_list<QWidget*>{morphCheck, morphPanel, textEffectCheck, textEffectPanel})
    w->hide();
  pathBox->setEnabled(false);
  browseButton->setEnabled(false);
  showFrame(Frame::None);
  onKeyColourToggled();
  for (QLineEdit* box : colourBoxes) box->setText(QStringLiteral("0"));
  paintSwatches();
}

StoreDialog::~StoreDialog() = default;

void StoreDialog::buildImageFrame() {
  imageGroup = MakeGroup(this, "imageGroup", QStringLiteral("ビットマップの設定"), 8, kFramesTop, kFrameWidth, 76);
  imageNameLabel = MakeLabel(imageGroup, "imageNameLabel", QStringLiteral("オブジェクト名"), 10, 22, 92);
  imageNameBox = MakeEdit(imageGroup, "imageNameBox", 104, 20, 220);
  losslessCheck = MakeCheck(imageGroup, "losslessCheck", QStringLiteral("JPEG圧縮しない"), 10, 48, 200);

  const int top = kFramesTop + 84;
  keyColourPanel = MakeBox(this, "keyColourPanel", 8, top + 10, kFrameWidth, 152);
  keyColourCheck = MakeTitleCheck(this, "keyColourCheck", QStringLiteral("透過色を使用する"), 16, top);
  static const char* const kLabels[] = {"keyRedLabel", "keyGreenLabel", "keyBlueLabel"};
  BuildColourRows(keyColourPanel, colourSliders, colourBoxes, SP::KeyRed, kLabels, 10, 18);
  keyColourSwatch = MakeSwatch(keyColourPanel, "keyColourSwatch", 290, 18, 48, 48);
  keyColourSwatch->installEventFilter(this);
  topLeftColourButton = MakeButton(keyColourPanel, "topLeftColourButton", QStringLiteral("左上のドット"), 344, 18, 80);
  softeningPanel = MakeBox(keyColourPanel, "softeningPanel", 10, 104, 412, 40);
  softenEdgesCheck = MakeTitleCheck(keyColourPanel, "softenEdgesCheck", QStringLiteral("エッジをぼかす"), 18, 94);
  softeningModeList = new QComboBox(softeningPanel);
  softeningModeList->setObjectName(QStringLiteral("softeningModeList"));
  for (const char* mode : SP::kSofteningModes) softeningModeList->addItem(QString::fromUtf8(mode));
  softeningModeList->setCurrentIndex(-1);
  softeningModeList->setGeometry(8, 12, 120, 22);
  softeningAmountLabel = MakeLabel(softeningPanel, "softeningAmountLabel", QStringLiteral("ぼかし強度"), 136, 14, 80);
  softeningAmountBox = MakeEdit(softeningPanel, "softeningAmountBox", 220, 12, 50);

  connect(keyColourCheck, &QCheckBox::stateChanged, this, [this] { onKeyColourToggled(); });
  connect(topLeftColourButton, &QPushButton::clicked, this, [this] { takeTopLeftColour(); });
  connect(softenEdgesCheck, &QCheckBox::stateChanged, this, [this] { onSoftenEdgesToggled(); });
  connect(softeningModeList, &QComboBox::currentIndexChanged, this, [this] { onSofteningModeChanged(); });
  connect(softeningAmountBox, &QLineEdit::textChanged, this, [this] { onSofteningAmountChanged(); });
}

void StoreDialog::buildTextFrame() {
  textGroup = MakeGroup(this, "textGroup", QStringLiteral("テキストの設定"), 8, kFramesTop, kFrameWidth, 380);
  textEdit = new QPlainTextEdit(textGroup);
  textEdit->setObjectName(QStringLiteral("textEdit"));
  textEdit->setGeometry(10, 20, 412, 80);
  textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  textEdit->installEventFilter(this);

  MakeLabel(textGroup, "fontLabel", QStringLiteral("フォント"), 10, 108, 50);
  fontList = new QComboBox(textGroup);
  fontList->setObjectName(QStringLiteral("fontList"));
  fontList->setGeometry(62, 106, 200, 22);
  MakeLabel(textGroup, "fontSizeLabel", QStringLiteral("サイズ"), 272, 108, 40);
  fontSizeBox = MakeEdit(textGroup, "fontSizeBox", 314, 106, 50);
  MakeLabel(textGroup, "alignmentLabel", QStringLiteral("配置"), 10, 136, 50);
  alignmentList = new QComboBox(textGroup);
  alignmentList->setObjectName(QStringLiteral("alignmentList"));
  for (const char* align : SP::kAlignments) alignmentList->addItem(QString::fromUtf8(align));
  alignmentList->setCurrentIndex(-1);
  alignmentList->setGeometry(62, 134, 100, 22);
  MakeLabel(textGroup, "lineSpacingLabel", QStringLiteral("行間"), 170, 136, 32);
  lineSpacingBox = MakeEdit(textGroup, "lineSpacingBox", 204, 134, 50);
  boldCheck = MakeCheck(textGroup, "boldCheck", QStringLiteral("太字"), 266, 134, 64);
  italicCheck = MakeCheck(textGroup, "italicCheck", QStringLiteral("斜体"), 334, 134, 64);

  static const char* const kLabels[] = {"textRedLabel", "textGreenLabel", "textBlueLabel"};
  BuildColourRows(textGroup, colourSliders, colourBoxes, SP::TextRed, kLabels, 10, 162);
  textColourSwatch = MakeSwatch(textGroup, "textColourSwatch", 290, 162, 48, 66);
  textColourSwatch->installEventFilter(this);

  autoSizeCheck = MakeCheck(textGroup, "autoSizeCheck", QStringLiteral("自動サイズ"), 10, 238, 100);
  boxWidthLabel = MakeLabel(textGroup, "boxWidthLabel", QStringLiteral("幅"), 116, 240, 18);
  boxWidthBox = MakeEdit(textGroup, "boxWidthBox", 136, 238, 50);
  boxHeightLabel = MakeLabel(textGroup, "boxHeightLabel", QStringLiteral("高さ"), 194, 240, 30);
  boxHeightBox = MakeEdit(textGroup, "boxHeightBox", 226, 238, 50);
  fontPreviewCheck = MakeCheck(textGroup, "fontPreviewCheck", QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), 300, 238, 100);
  dynamicTextCheck = MakeCheck(textGroup, "dynamicTextCheck", QStringLiteral("ﾀﾞｲﾅﾐｯｸﾃｷｽﾄ"), 10, 264, 140);

  inputOptionsPanel = MakeBox(textGroup, "inputOptionsPanel", 10, 292, 412, 80);
  textInputCheck = MakeCheck(inputOptionsPanel, "textInputCheck", QStringLiteral("テキスト入力"), 6, 4, 100);
  passwordCheck = MakeCheck(inputOptionsPanel, "passwordCheck", QStringLiteral("パスワード"), 108, 4, 100);
  multilineCheck = MakeCheck(inputOptionsPanel, "multilineCheck", QStringLiteral("複数行"), 210, 4, 96);
  wrapCheck = MakeCheck(inputOptionsPanel, "wrapCheck", QStringLiteral("折り返し"), 308, 4, 100);
  htmlCheck = MakeCheck(inputOptionsPanel, "htmlCheck", QStringLiteral("HTML"), 6, 28, 100);
  borderCheck = MakeCheck(inputOptionsPanel, "borderCheck", QStringLiteral("枠線"), 108, 28, 100);
  selectableCheck = MakeCheck(inputOptionsPanel, "selectableCheck", QStringLiteral("選択可能"), 210, 28, 96);
  MakeLabel(inputOptionsPanel, "variableNameLabel", QStringLiteral("変数名"), 6, 54, 50);
  variableNameBox = MakeEdit(inputOptionsPanel, "variableNameBox", 60, 52, 220);

  textEffectPanel = MakeBox(textGroup, "textEffectPanel", 10, 302, 412, 70);
  textEffectCheck = MakeTitleCheck(textGroup, "textEffectCheck", QStringLiteral("テキストエフェクト"), 18, 292);
  textEffectSettingsBox = MakeEdit(textEffectPanel, "textEffectSettingsBox", 0, 0, 10);
  textEffectSettingsBox->hide();
  textEffectButton = MakeButton(textEffectPanel, "textEffectButton", QStringLiteral("設定"), 8, 18, 60);
  textEffectButton->setEnabled(TextEffects() != nullptr);
  textEffectSummaryLabel = MakeLabel(textEffectPanel, "textEffectSummaryLabel", QString(), 76, 14, 330, 52);
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
  soundGroup = MakeGroup(this, "soundGroup", QStringLiteral("サウンドの設定"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(soundGroup, "soundNameLabel", QStringLiteral("オブジェクト名"), 10, 22, 92);
  soundNameBox = MakeEdit(soundGroup, "soundNameBox", 104, 20, 220);

  videoGroup = MakeGroup(this, "videoGroup", QStringLiteral("ビデオの設定"), 8, kFramesTop, kFrameWidth, 106);
  noSoundCheck = MakeCheck(videoGroup, "noSoundCheck", QStringLiteral("音声を使用しない"), 10, 20, 200);
  startFrameBox = MakeEdit(videoGroup, "startFrameBox", 10, 48, 60);
  MakeLabel(videoGroup, "startFrameLabel", QStringLiteral("フレーム目から開始する"), 74, 50, 150);
  previousKeyFrameButton = MakeButton(videoGroup, "previousKeyFrameButton", QStringLiteral("<<"), 230, 47, 32);
  previousKeyFrameButton->setToolTip(QStringLiteral("前のキーフレーム"));
  nextKeyFrameButton = MakeButton(videoGroup, "nextKeyFrameButton", QStringLiteral(">>"), 266, 47, 32);
  nextKeyFrameButton->setToolTip(QStringLiteral("次のキーフレーム"));
  MakeLabel(videoGroup, "videoNameLabel", QStringLiteral("オブジェクト名"), 10, 78, 92);
  videoNameBox = MakeEdit(videoGroup, "videoNameBox", 104, 76, 220);

  spriteGroup = MakeGroup(this, "spriteGroup", QStringLiteral("スプライト"), 8, kFramesTop, kFrameWidth, 150);
  MakeLabel(spriteGroup, "spriteNameLabel", QStringLiteral("ｽﾌﾟﾗｲﾄ名"), 10, 22, 80);
  spriteNameBox = MakeEdit(spriteGroup, "spriteNameBox", 92, 20, 240);
  QGroupBox* spriteSizeGroup = MakeGroup(spriteGroup, "spriteSizeGroup", QStringLiteral("サイズ"), 10, 52, 150, 88);
  MakeLabel(spriteSizeGroup, "spriteWidthLabel", QStringLiteral("幅"), 10, 24, 36);
  spriteWidthBox = MakeEdit(spriteSizeGroup, "spriteWidthBox", 50, 22, 80);
  MakeLabel(spriteSizeGroup, "spriteHeightLabel", QStringLiteral("高さ"), 10, 52, 36);
  spriteHeightBox = MakeEdit(spriteSizeGroup, "spriteHeightBox", 50, 50, 80);
  QGroupBox* referencePointGroup =
      MakeGroup(spriteGroup, "referencePointGroup", QStringLiteral("基準点"), 168, 52, 254, 88);
  MakeLabel(referencePointGroup, "referenceXLabel", QStringLiteral("X："), 10, 24, 24);
  referenceXBox = MakeEdit(referencePointGroup, "referenceXBox", 36, 22, 70);
  MakeLabel(referencePointGroup, "referenceYLabel", QStringLiteral("Y："), 10, 52, 24);
  referenceYBox = MakeEdit(referencePointGroup, "referenceYBox", 36, 50, 70);
  spriteCentreButton =
      MakeButton(referencePointGroup, "spriteCentreButton", QStringLiteral("ｽﾌﾟﾗｲﾄの中央に設定(&C)"), 112, 35, 136);

  folderGroup = MakeGroup(this, "folderGroup", QStringLiteral("フォルダ"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(folderGroup, "folderNameLabel", QStringLiteral("フォルダ名"), 10, 22, 92);
  folderNameBox = MakeEdit(folderGroup, "folderNameBox", 104, 20, 220);

  vectorGroup = MakeGroup(this, "vectorGroup", QStringLiteral("ベクタ画像の設定"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(vectorGroup, "vectorNameLabel", QStringLiteral("オブジェクト名"), 10, 22, 92);
  vectorNameBox = MakeEdit(vectorGroup, "vectorNameBox", 104, 20, 220);
  morphPanel = MakeBox(this, "morphPanel", 8, kFramesTop + 70, kFrameWidth, 80);
  morphCheck = MakeTitleCheck(this, "morphCheck", QStringLiteral("モーフィングする"), 16, kFramesTop + 60);
  MakeLabel(morphPanel, "morphTargetLabel", QStringLiteral("モーフィング終了時の画像（ファイルID）"), 10, 18, 250);
  morphTargetBox = MakeEdit(morphPanel, "morphTargetBox", 264, 16, 60);
  checkMorphButton = MakeButton(morphPanel, "checkMorphButton", QStringLiteral("正当性チェック"), 10, 46, 110);
  morphVerdictLabel = MakeLabel(morphPanel, "morphVerdictLabel", QString(), 128, 48, 290);

  connect(previousKeyFrameButton, &QPushButton::clicked, this, [this] { previousKeyFrame(); });
  connect(nextKeyFrameButton, &QPushButton::clicked, this, [this] { nextKeyFrame(); });
  connect(spriteCentreButton, &QPushButton::clicked, this, [this] { centreSprite(); });
  connect(morphTargetBox, &QLineEdit::textChanged, this, [this] { onMorphTargetChanged(); });
  connect(checkMorphButton, &QPushButton::clicked, this, [this] { checkMorph(); });
  onMorphTargetChanged();
}

// ---- filling and reading back ------------------------------------------------

void StoreDialog::load(const SP::Fields& f) {
  loading_ = true;
  loaded_ = f;
  setWindowTitle(ToQ(f.caption));
  itemIdBox->setText(ToQ(f.itemId));
  itemIdBox->setEnabled(f.itemIdEnabled);
  kindBox->setText(ToQ(f.kindName));
  pathBox->setText(ToQ(f.path));
  pathBox->setEnabled(f.pathEnabled);
  browseButton->setEnabled(f.browseEnabled);
  for (QWidget* w : std::initializer_list<QWidget*>{itemIdLabel, itemIdBox}) w->setVisible(f.idVisible);
  for (QWidget* w : std::initializer_list<QWidget*>{pathLabel, pathBox, browseButton}) w->setVisible(f.pathVisible);

  keyColourCheck->setValue(f.keyColour);
  keyColourCheck->setVisible(f.keyColourVisible);
  for (SP::ColourChannel c : kColourChannels) colourSliders[c]->setValue(f.colourSliders[c]);
  for (SP::ColourChannel c : kColourChannels) colourBoxes[c]->setText(ToQ(f.colourBoxes[c]));
  softenEdgesCheck->setValue(f.softenEdges);
  softeningModeList->setCurrentIndex(f.softeningModeIndex);
  softeningAmountBox->setText(ToQ(f.softeningAmount));
  losslessCheck->setValue(f.lossless);
  losslessCheck->setVisible(f.losslessVisible);
  imageNameBox->setText(ToQ(f.imageName));
  soundNameBox->setText(ToQ(f.soundName));

  textEdit->setPlainText(ToEditorText(f.text));
  boldCheck->setValue(f.bold);
  italicCheck->setValue(f.italic);
  fontList->clear();
  for (const std::string& font : f.fonts) fontList->addItem(ToQ(font));
  fontList->setCurrentIndex(f.fontIndex);
  fontSizeBox->setText(ToQ(f.fontSize));
  lineSpacingBox->setText(ToQ(f.lineSpacing));
  alignmentList->setCurrentIndex(f.alignmentIndex);
  autoSizeCheck->setValue(f.autoSize);
  boxWidthBox->setText(ToQ(f.boxWidth));
  boxHeightBox->setText(ToQ(f.boxHeight));
  textInputCheck->setValue(f.textInput);
  passwordCheck->setValue(f.password);
  multilineCheck->setValue(f.multiline);
  wrapCheck->setValue(f.wrap);
  htmlCheck->setValue(f.html);
  borderCheck->setValue(f.border);
  selectableCheck->setValue(f.selectable);
  dynamicTextCheck->setValue(f.dynamicText);
  textEffectCheck->setValue(f.textEffect);
  variableNameBox->setText(ToQ(f.variableName));
  textEffectSettingsBox->setText(ToQ(f.textEffectSettings));

  spriteNameBox->setText(ToQ(f.spriteName));
  spriteWidthBox->setText(ToQ(f.spriteWidth));
  spriteHeightBox->setText(ToQ(f.spriteHeight));
  referenceXBox->setText(ToQ(f.referenceX));
  referenceYBox->setText(ToQ(f.referenceY));
  morphCheck->setValue(f.morph);
  morphTargetBox->setText(ToQ(f.morphTarget));
  vectorNameBox->setText(ToQ(f.vectorName));
  noSoundCheck->setValue(f.noSound);
  startFrameBox->setText(ToQ(f.startFrame));
  videoNameBox->setText(ToQ(f.videoName));
  folderNameBox->setText(ToQ(f.folderName));
  loading_ = false;

  showFrame(f.frame);
  morphCheck->setVisible(f.morphVisible);
  morphPanel->setVisible(f.morphVisible);
  onKeyColourToggled();
  softeningPanel->setVisible(softenEdgesCheck->value() == SP::kOn);
  softeningAmountBox->setVisible(softeningModeList->currentIndex() >= 0);
  softeningAmountLabel->setVisible(softeningModeList->currentIndex() >= 0);
  if (auto defaults = SP::SofteningModeDefaults(softeningModeList->currentIndex()))
    softeningAmountLabel->setText(ToQ(defaults->label));
  setTextFrameFlags(f);
  onAutoSizeToggled();
  updateFontPreview();
  onMorphTargetChanged();
  onTextEffectSettingsChanged();
  paintSwatches();
}

SP::Fields StoreDialog::read() const {
  SP::Fields f = loaded_;
  f.itemId = Text(itemIdBox);
  f.path = Text(pathBox);
  f.keyColour = keyColourCheck->value();
  for (SP::ColourChannel c : kColourChannels) {
    f.colourSliders[c] = colourSliders[c]->value();
    f.colourBoxes[c] = Text(colourBoxes[c]);
  }
  f.softenEdges = softenEdgesCheck->value();
  f.softeningModeIndex = softeningModeList->currentIndex();
  f.softeningAmount = Text(softeningAmountBox);
  f.lossless = losslessCheck->value();
  f.imageName = Text(imageNameBox);
  f.soundName = Text(soundNameBox);
  // An untouched text keeps its line breaks exactly as they were stored.
  const QString typed = textEdit->toPlainText();
  f.text = typed == ToEditorText(loaded_.text) ? loaded_.text : FromEditorText(typed);
  f.bold = boldCheck->value();
  f.italic = italicCheck->value();
  f.fontIndex = fontList->currentIndex();
  f.fontSize = Text(fontSizeBox);
  f.lineSpacing = Text(lineSpacingBox);
  f.alignmentIndex = alignmentList->currentIndex();
  f.autoSize = autoSizeCheck->value();
  f.boxWidth = Text(boxWidthBox);
  f.boxHeight = Text(boxHeightBox);
  f.textInput = textInputCheck->value();
  f.password = passwordCheck->value();
  f.multiline = multilineCheck->value();
  f.wrap = wrapCheck->value();
  f.html = htmlCheck->value();
  f.border = borderCheck->value();
  f.selectable = selectableCheck->value();
  f.dynamicText = dynamicTextCheck->value();
  f.textEffect = textEffectCheck->value();
  f.variableName = Text(variableNameBox);
  f.textEffectSettings = Text(textEffectSettingsBox);
  f.spriteName = Text(spriteNameBox);
  f.spriteWidth = Text(spriteWidthBox);
  f.spriteHeight = Text(spriteHeightBox);
  f.referenceX = Text(referenceXBox);
  f.referenceY = Text(referenceYBox);
  f.morph = morphCheck->value();
  f.morphTarget = Text(morphTargetBox);
  f.vectorName = Text(vectorNameBox);
  f.noSound = noSoundCheck->value();
  f.startFrame = Text(startFrameBox);
  f.videoName = Text(videoNameBox);
  f.folderName = Text(folderNameBox);
  return f;
}

void StoreDialog::showFrame(Frame frame) {
  const std::pair<QWidget*, Frame> frames[] = {
      {textGroup, Frame::Text},   {spriteGroup, Frame::Sprite}, {soundGroup, Frame::Sound},  {videoGroup, Frame::Video},
      {imageGroup, Frame::Image}, {folderGroup, Frame::Folder}, {vectorGroup, Frame::Vector}};
  const int top = pathLabel->isHidden() ? kFramesTopNoPath : kFramesTop;
  int bottom = top;
  for (const auto& [widget, kind] : frames) {
    widget->setVisible(kind == frame);
    if (kind != frame) continue;
    widget->move(widget->x(), top);
    bottom = widget->geometry().bottom() + 1;
  }
  // The key colour and morph parts hang below their kind's frame.
  if (frame == Frame::Image) bottom = keyColourPanel->geometry().bottom() + 1;
  if (frame == Frame::Vector) bottom = morphPanel->geometry().bottom() + 1;
  const int buttons = bottom + 10;
  okButton->move(okButton->x(), buttons);
  cancelButton->move(cancelButton->x(), buttons);
  setFixedSize(kWidth, buttons + 34);
}

void StoreDialog::setTextFrameFlags(const SP::Fields& f) {
  if (f.frame != Frame::Text) return;
  const bool was = loading_;
  loading_ = true;
  autoSizeCheck->setValue(f.autoSize);
  textEffectCheck->setValue(f.textEffect);
  loading_ = was;
  dynamicTextCheck->setVisible(f.dynamicTextVisible);
  inputOptionsPanel->setVisible(f.inputOptionsVisible);
  autoSizeCheck->setVisible(f.autoSizeVisible);
  boxWidthBox->setEnabled(f.boxSizeEnabled);
  boxHeightBox->setEnabled(f.boxSizeEnabled);
  textEffectCheck->setVisible(f.textEffectVisible);
  textEffectPanel->setVisible(f.textEffectPanelVisible);
}

// ---- closing -------------------------------------------------------------------

void StoreDialog::onOk() {
  if (auto problem = SP::CheckNumbers(read())) {
    ui::Current().messages->message(FromQ(windowTitle()), problem->message, ui::Icon::Exclamation);
    if (auto* box = findChild<QWidget*>(ToQ(problem->box))) {
      box->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
    }
    return;
  }
  saveDialogPosition();
  ok_ = true;
  accept();
}

void StoreDialog::onCancel() { reject(); }

void StoreDialog::reject() {
  // Escape, Cancel and the window's close button all end here.
  saveDialogPosition();
  QDialog::reject();
}

void StoreDialog::saveDialogPosition() {
  if (!isVisible()) return;
  auto& prefs = Prefs::Current();
  StoreTwips(this, prefs.fwLeft, prefs.fwTop);
}

void StoreDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, [this] { KeepInsideWorkArea(this); });
}

bool StoreDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == keyColourSwatch) pickKeyColour();
    if (watched == textColourSwatch) pickTextColour();
  }
  // Enter makes a new line in the text, not OK.
  if (watched == textEdit && event->type() == QEvent::FocusIn) okButton->setDefault(false);
  if (watched == textEdit && event->type() == QEvent::FocusOut) okButton->setDefault(true);
  return QDialog::eventFilter(watched, event);
}

// ---- colours --------------------------------------------------------------------

void StoreDialog::onColourSliderChanged(ColourChannel channel) {
  // The box keeps what the user is typing while it says the same value.
  const int value = colourSliders[channel]->value();
  if (!loading_ && ColourRules::ChannelValue(Text(colourBoxes[channel])) != value)
    colourBoxes[channel]->setText(QString::number(value));
  paintSwatches();
}

void StoreDialog::paintSwatches() {
  const auto colour = [this](ColourChannel red) {
    return QColor(colourSliders[red]->value(), colourSliders[red + 1]->value(), colourSliders[red + 2]->value());
  };
  SetBackground(keyColourSwatch, colour(SP::KeyRed));
  SetBackground(textColourSwatch, colour(SP::TextRed));
}

void StoreDialog::onColourBoxChanged(ColourChannel channel) {
  if (loading_) return;
  if (auto v = ColourRules::ChannelValue(Text(colourBoxes[channel]))) colourSliders[channel]->setValue(*v);
}

void StoreDialog::pickKeyColour() { pickColour(SP::KeyRed); }
void StoreDialog::pickTextColour() { pickColour(SP::TextRed); }

void StoreDialog::pickColour(ColourChannel red) {
  const Rgba start{colourSliders[red]->value(), colourSliders[red + 1]->value(), colourSliders[red + 2]->value(), 255};
  auto chosen = ColorDialog::pick(this, start, false, Desktop().placement->cursorPos());
  if (!chosen) return;
  const int values[] = {chosen->red, chosen->green, chosen->blue};
  for (int k = 0; k < 3; ++k) {
    colourSliders[red + k]->setValue(values[k]);
    // A colour picked for several items counts even where a slider kept
    // its value (its box may have been empty).
    colourBoxes[red + k]->setText(QString::number(values[k]));
  }
}

void StoreDialog::takeTopLeftColour() {
  // A file that cannot be read as a picture leaves the key colour alone.
  auto colour = GUICore::TopLeftColour(Text(pathBox));
  if (!colour) return;
  for (int k = 0; k < 3; ++k) {
    const int value = static_cast<int>((*colour >> (8 * k)) & 255);
    colourSliders[SP::KeyRed + k]->setValue(value);
    colourBoxes[SP::KeyRed + k]->setText(QString::number(value));
  }
}

void StoreDialog::onKeyColourToggled() {
  keyColourPanel->setVisible(!keyColourCheck->isHidden() && keyColourCheck->value() == SP::kOn);
}

// ---- edge softening ----------------------------------------------------------------

void StoreDialog::onSoftenEdgesToggled() {
  if (loading_) return;
  const bool on = softenEdgesCheck->value() == SP::kOn;
  softeningPanel->setVisible(on);
  if (on && num::Val(Text(softeningAmountBox)) == 0) softeningAmountBox->setText(QStringLiteral("1"));
}

void StoreDialog::onSofteningModeChanged() {
  if (loading_) return;
  auto defaults = SP::SofteningModeDefaults(softeningModeList->currentIndex());
  softeningAmountBox->setVisible(defaults.has_value());
  softeningAmountLabel->setVisible(defaults.has_value());
  if (!defaults) return;
  softeningAmountLabel->setText(ToQ(defaults->label));
  softeningAmountBox->setText(ToQ(defaults->amount));
}

void StoreDialog::onSofteningAmountChanged() {
  if (loading_) return;
  if (auto clamped = SP::ClampSoftening(Text(softeningAmountBox))) softeningAmountBox->setText(ToQ(*clamped));
}

// ---- vector, browse, video, sprite ---------------------------------------------------

void StoreDialog::onMorphTargetChanged() { checkMorphButton->setEnabled(num::Val(Text(morphTargetBox)) > 0); }

void StoreDialog::checkMorph() {
  morphVerdictLabel->setText(ToQ(GUICore::MorphCheckVerdict(Whole(itemIdBox), Whole(morphTargetBox))));
}

void StoreDialog::browse() {
  DialogModule::FileDialogRecord record;
  record.filter = SP::BrowseFilter(Text(kindBox), GUICore::GetSWFVersion());
  const std::string path = Text(pathBox);
  const std::string projectFolder = GUICore::GetFolderPart(GUICore::State().projectPath);
  if (auto found = PathModule::LocateFile(path, projectFolder)) {
    record.initialDir = GUICore::GetFolderPart(*found);
  } else {
    record.initialDir = path.empty() ? projectFolder : GUICore::GetFolderPart(path);
  }
  if (DialogModule::OpenFileDialog(record) && !record.file.empty()) pathBox->setText(ToQ(record.file));
}

void StoreDialog::previousKeyFrame() {
  startFrameBox->setText(QString::number(GUICore::FindKeyFrame(Text(pathBox), Whole(startFrameBox), -1)));
}

void StoreDialog::nextKeyFrame() {
  startFrameBox->setText(QString::number(GUICore::FindKeyFrame(Text(pathBox), Whole(startFrameBox), 1)));
}

void StoreDialog::centreSprite() {
  const auto [x, y] = SP::SpriteCentre(Text(spriteWidthBox), Text(spriteHeightBox));
  referenceXBox->setText(ToQ(x));
  referenceYBox->setText(ToQ(y));
}

// ---- text ----------------------------------------------------------------------------

void StoreDialog::applyFontRule() {
  if (loading_ || fontRuleRunning_) return;
  fontRuleRunning_ = true;
  SP::Fields f = read();
  SP::ApplyFontRule(f);
  setTextFrameFlags(f);
  fontRuleRunning_ = false;
  onAutoSizeToggled();
  updateFontPreview();
}

void StoreDialog::onAutoSizeToggled() {
  const bool visible = autoSizeCheck->value() != SP::kOn;
  for (QWidget* w : std::initializer_list<QWidget*>{boxWidthBox, boxHeightBox, boxWidthLabel, boxHeightLabel})
    w->setVisible(visible);
}

void StoreDialog::updateFontPreview() {
  if (loading_) return;
  QFont font = PanelFont(9);
  Qt::Alignment align = Qt::AlignLeft;
  if (fontPreviewCheck->value() == SP::kOn) {
    bool japanese = false;
    const std::string family = text::FamilyForName(FromQ(fontList->currentText()), japanese);
    font.setFamilies({ToQ(family)});
    font.setPointSizeF(std::clamp(num::Val(Text(fontSizeBox)), 1.0, 200.0));
    font.setBold(boldCheck->value() == SP::kOn);
    font.setItalic(italicCheck->value() == SP::kOn);
    if (alignmentList->currentIndex() == 1) align = Qt::AlignRight;
    if (alignmentList->currentIndex() == 2) align = Qt::AlignHCenter;
  }
  textEdit->setFont(font);
  QTextOption option = textEdit->document()->defaultTextOption();
  option.setAlignment(align);
  textEdit->document()->setDefaultTextOption(option);
}

void StoreDialog::onTextEffectSettingsChanged() {
  textEffectSummaryLabel->setText(ToQ(GUICore::TextEffectSummary(Text(textEffectSettingsBox))));
}

void StoreDialog::editTextEffect() {
  TextEffectEditor* editor = TextEffects();
  if (!editor) return;
  // The item as the dialog shows it, so that a preview built from the store
  // sees the current text, font and style.
  StoreItem item = NewStoreItem(StoreItemKind::Text);
  item.id = Whole(itemIdBox);
  item.name = read().text;
  item.flags =
      static_cast<int16_t>((boldCheck->value() == SP::kOn ? 1 : 0) | (italicCheck->value() == SP::kOn ? 2 : 0) |
                           (std::max(0, alignmentList->currentIndex()) << 2) | 0x2000);
  item.param = 0;
  item.font = FromQ(fontList->currentText());
  item.size = static_cast<float>(num::Val(Text(fontSizeBox)));
  item.lineSpacing = static_cast<float>(num::Val(Text(lineSpacingBox)));

  const GUICore::ScopedStoreItemSwap swap(item);
  auto settings = editor->edit(this, item, Text(textEffectSettingsBox));
  if (settings && !settings->empty()) textEffectSettingsBox->setText(ToQ(*settings));
}

}  // namespace tesmiro::gui
