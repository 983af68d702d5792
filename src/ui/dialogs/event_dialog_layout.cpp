// The event dialog's controls: where each sits, and which handler each runs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <limits>

#include "project/gui_core.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/slider_with_box.h"
#include "ui/dialogs/event_dialog.h"

namespace tesmiro::gui {

namespace ep = EventProperty;
namespace rules = EventDialogRules;
using rules::Ctl;

namespace {

constexpr int kDesignWidth = 570;
constexpr int kDesignHeight = 512;
constexpr int kLeftColumn = 8;
constexpr int kActionFrameTop = 216;

void SetRange(QScrollBar* bar, Qt::Orientation o, int min, int max, int large) {
  bar->setOrientation(o);
  bar->setRange(min, max);
  bar->setPageStep(large);
  bar->setSingleStep(1);
}

void Fill(QComboBox* list, const char* const* items, int count) {
  for (int i = 0; i < count; ++i) list->addItem(QString::fromUtf8(items[i]));
  list->setCurrentIndex(-1);
}

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }
QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

void EventDialog::createControls() {
  const int L = kLeftColumn, A = kActionFrameTop;
  const QString dialog, depth = "depthGroup", mask = "maskRangeGroup", action = "actionGroup",
                images = "buttonImagesGroup", sprite = "spriteGroup", sound = "soundGroup", volume = "volumeGroup",
                centre = "centreGroup", easing = "easingGroup", tools = "PictToolBox";
  std::vector<ControlRow> rows = {
      Row(itemIdLabel, "itemIdLabel", dialog, {L, 10, 60, 18}, U("ファイルID")),
      Row(itemIdBox, "itemIdBox", dialog, {70, 8, 60, 20}),
      Row(frameCountLabel, "frameCountLabel", dialog, {L, 34, 60, 18}, U("ﾌﾚｰﾑｶｳﾝﾄ")),
      Row(frameCountBox, "frameCountBox", dialog, {70, 32, 60, 20}),
      Row(frameCountSpin, "frameCountSpin", dialog, {131, 32, 16, 20}),
      Row(fixedScreenButton, "fixedScreenButton", dialog, {152, 30, 120, 24}, U("固定画面にする")),
      Row(depthGroup, depth, dialog, {L, 58, 300, 46}, U("通常画面")),
      Row(depthLabel, "depthLabel", depth, {8, 20, 30, 18}, U("深度")),
      Row(depthBox, "depthBox", depth, {40, 18, 50, 20}),
      Row(depthSpin, "depthSpin", depth, {91, 18, 16, 20}),
      Row(depthHintLabel, "depthHintLabel", depth, {112, 20, 180, 18}, U("-256(背面)～256(前面)")),
      Row(maskCheck, "maskCheck", dialog, {L, 116, 60, 20}, U("ﾏｽｸ")),
      Row(maskRangeGroup, mask, dialog, {70, 104, 238, 46}, U("マスク範囲")),
      Row(maskFromBox, "maskFromBox", mask, {8, 18, 40, 20}),
      Row(maskRangeDashLabel, "maskRangeDashLabel", mask, {50, 20, 16, 18}, U("～")),
      Row(maskToBox, "maskToBox", mask, {66, 18, 40, 20}),
      Row(maskRangeHintLabel, "maskRangeHintLabel", mask, {110, 20, 0, 18}, U("-256(背面)～256(前面)")),
      Row(blendModeLabel, "blendModeLabel", dialog, {L, 160, 50, 18}, U("ブレンド")),
      Row(blendModeList, "blendModeList", dialog, {60, 158, 130, 22}),
      Row(buttonCheck, "buttonCheck", dialog, {L, 188, 160, 20}, U("ボタンにする(&B)")),
      Row(actionGroup, action, dialog, {L, A, 300, 128}, U("アクションの設定")),
      Row(actionLabel, "actionLabel", action, {8, 22, 60, 18}, U("アクション")),
      Row(actionList, "actionList", action, {70, 20, 222, 22}),
      Row(firstParameterLabel, "firstParameterLabel", action, {8, 48, 60, 18}, U("ﾊﾟﾗﾒｰﾀ１")),
      Row(firstParameterBox, "firstParameterBox", action, {70, 46, 222, 20}),
      Row(parameterHintLabel, "parameterHintLabel", action, {8, 70, 288, 32}, U("ﾊﾟﾗﾒｰﾀ２")),
      Row(secondParameterBox, "secondParameterBox", action, {70, 70, 222, 20}),
      Row(actionScriptButton, "actionScriptButton", action, {172, 98, 120, 24}, U("ｽｸﾘﾌﾟﾄを編集(&E)")),
      Row(buttonImagesGroup, images, dialog, {L, 348, 300, 100}, U("ボタンの画像ID")),
      Row(buttonStateIdLabel, "buttonStateIdLabel", images, {134, 16, 60, 16}, U("ﾌｧｲﾙID")),
  };
  const char* const states[3] = {"ボタンを押下", "ﾏｳｽｶｰｿﾙ通過", "当たり判定"};
  for (int i = 0; i < 3; ++i) {
    rows.push_back(Row(buttonStateChecks[i], Indexed("buttonStateChecks", i), images, {8, 34 + i * 21, 124, 19},
                       U(states[i])));
    rows.push_back(Row(buttonStateBoxes[i], Indexed("buttonStateBoxes", i), images, {134, 33 + i * 21, 60, 20}));
  }
  rows.insert(rows.end(), {
      Row(spriteGroup, sprite, dialog, {L, A, 300, 100}, U("スプライトの設定")),
      Row(instanceNameLabel, "instanceNameLabel", sprite, {8, 22, 60, 18}, U("ｲﾝｽﾀﾝｽ名")),
      Row(instanceNameBox, "instanceNameBox", sprite, {70, 20, 222, 20}),
      Row(clipScriptBox, "clipScriptBox", sprite, {8, 44, 284, 20}),
      Row(clipScriptButton, "clipScriptButton", sprite, {172, 68, 120, 24}, U("ｽｸﾘﾌﾟﾄを編集(&E)")),
      Row(soundGroup, sound, dialog, {L, 58, 300, 160}, U("サウンドイベントの設定")),
      Row(soundModeList, "soundModeList", sound, {8, 20, 150, 22}),
      Row(volumeGroup, volume, sound, {8, 48, 284, 104}, U("音量")),
      Row(separateVolumesCheck, "separateVolumesCheck", volume, {8, 18, 100, 20}, U("左右独立")),
  });
  const char* const sides[2] = {"左", "右"};
  for (int i = 0; i < 2; ++i) {
    rows.insert(rows.end(), {
        Row(volumeLabels[i], Indexed("volumeLabels", i), volume, {8 + i * 120, 62, 20, 18}, U(sides[i])),
        Row(volumeBoxes[i], Indexed("volumeBoxes", i), volume, {30 + i * 120, 60, 44, 20}),
        Row(volumeSliders[i], Indexed("volumeSliders", i), volume, {78 + i * 120, 40, 16, 58}),
    });
  }
  const int R = 316;
  rows.insert(rows.end(), {
      // Narrower than the frames below it: the pane's expander sits beside it.
      Row(centreGroup, centre, dialog, {R, 4, 206, 72}, U("中心位置")),
      Row(centreXLabel, "centreXLabel", centre, {8, 22, 22, 18}, U("X：")),
      Row(centreXBox, "centreXBox", centre, {30, 20, 56, 20}),
      Row(centreYLabel, "centreYLabel", centre, {96, 22, 22, 18}, U("Y：")),
      Row(centreYBox, "centreYBox", centre, {118, 20, 56, 20}),
      Row(centreButton, "centreButton", centre, {8, 44, 166, 24}, U(rules::kCentreToMiddle)),
  });
  // The two states share one layout.
  for (const bool isMove : {false, true}) {
    const QString g = isMove ? "moveTargetGroup" : "drawPositionGroup", n = isMove ? "move" : "draw";
    const int s = isMove ? 1 : 0;
    rows.insert(rows.end(), {
        Row(isMove ? moveTargetGroup : drawPositionGroup, g, dialog, {R, 80 + s * 154, 246, 150},
            U(isMove ? "移動先" : "描画位置")),
        Row(isMove ? moveXLabel : drawXLabel, n + "XLabel", g, {8, 22, 22, 18}, U("X：")),
        Row(isMove ? moveXBox : drawXBox, n + "XBox", g, {30, 20, 60, 20}),
        Row(isMove ? moveYLabel : drawYLabel, n + "YLabel", g, {100, 22, 22, 18}, U("Y：")),
        Row(isMove ? moveYBox : drawYBox, n + "YBox", g, {122, 20, 60, 20}),
        Row(isMove ? moveAngleLabel : drawAngleLabel, n + "AngleLabel", g, {8, 46, 30, 18}, U("角度")),
        Row(isMove ? moveAngleBox : drawAngleBox, n + "AngleBox", g, {40, 44, 50, 20}),
        Row(isMove ? moveSizeLabel : drawSizeLabel, n + "SizeLabel", g, {100, 46, 30, 18}, U("ｻｲｽﾞ")),
        Row(isMove ? moveSizeBox : drawSizeBox, n + "SizeBox", g, {132, 44, 100, 20}),
        Row(isMove ? moveBrightnessLabel : drawBrightnessLabel, n + "BrightnessLabel", g, {8, 72, 50, 18}, U("輝度")),
        Row(isMove ? moveBrightnessSlider : drawBrightnessSlider, n + "BrightnessSlider", g, {60, 72, 120, 18}),
        Row(isMove ? moveBrightnessBox : drawBrightnessBox, n + "BrightnessBox", g, {184, 70, 50, 20}),
        Row(isMove ? moveOpacityLabel : drawOpacityLabel, n + "OpacityLabel", g, {8, 96, 52, 18}, U("不透明度")),
        Row(isMove ? moveOpacitySlider : drawOpacitySlider, n + "OpacitySlider", g, {60, 96, 120, 18}),
        Row(isMove ? moveOpacityBox : drawOpacityBox, n + "OpacityBox", g, {184, 94, 50, 20}),
        Row(isMove ? copyToDrawButton : copyToMoveButton, isMove ? "copyToDrawButton" : "copyToMoveButton", g,
            {196, 120, 38, 24}, U(isMove ? "←" : "→")),
        Row(filterButtons[s], Indexed("filterButtons", s), g, {8, 120, 30, 24}, U("詳")),
    });
  }
  const int buttonTop = kDesignHeight - 30;  // 1.16 button heights above the bottom
  rows.insert(rows.end(), {
      Row(easingGroup, easing, dialog, {R, 388, 246, 82}, U("速度変化")),
      Row(easingSlider, "easingSlider", easing, {8, 22, 172, 18}),
      Row(easingBox, "easingBox", easing, {184, 20, 50, 20}),
      Row(easingCurve, "easingCurve", easing, {8, 46, 226, 28}),
      Row(eventPreviewButton, "eventPreviewButton", dialog, {L, buttonTop, 150, 26}, U("ｲﾍﾞﾝﾄﾌﾟﾚﾋﾞｭｰ(&P)")),
      Row(keepOnTopCheck, "keepOnTopCheck", dialog, {264, buttonTop + 2, 64, 22}, U("前面")),
      Row(applyButton, "applyButton", dialog, {350, buttonTop, 100, 26}, U("適用(&A)")),
      Row(closeButton, "closeButton", dialog, {458, buttonTop, 100, 26}, U("閉じる(&X)")),
      Row(expandPaneCheck, "expandPaneCheck", dialog, {0, 4, 0, 20}, U(">")),
      // The picture pane's tool box lies beyond the collapsed window's edge.
      Row(PictToolBox, tools, dialog, {kDesignWidth + 8, 4, 300, 48}),
      Row(operatedImageOptions[DrawImage], "operatedImageOptions_0", tools, {0, 0, 80, 20}, U("描画位置")),
      Row(operatedImageOptions[MoveImage], "operatedImageOptions_1", tools, {80, 0, 70, 20}, U("移動先")),
      Row(guideCheck, "guideCheck", tools, {150, 0, 60, 20}, U("ｶﾞｲﾄﾞ")),
      Row(guideMenuButton, "guideMenuButton", tools, {210, 0, 24, 20}, U("▼")),
      Row(realTimeCheck, "realTimeCheck", tools, {0, 24, 80, 20}, U("ﾘｱﾙﾀｲﾑ")),
      Row(onlyOperatedCheck, "onlyOperatedCheck", tools, {80, 24, 80, 20}, U("ｱｸﾃｨﾌﾞ")),
  });
  PlaceControls(this, rows, [](QWidget* w) {
    // The boxes carry whole scripts: Apply writes back what they hold, so a
    // box may never cut a long one short.
    if (auto* box = qobject_cast<QLineEdit*>(w)) box->setMaxLength(std::numeric_limits<int>::max());
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      // Enter in a box applies nothing by accident.
      button->setAutoDefault(false);
      button->setDefault(false);
    }
  });

  // A spin button: a bar that rests at 0 and is clicked to -1 or 1.
  for (QScrollBar* spin : {frameCountSpin, depthSpin}) {
    SetRange(spin, Qt::Vertical, -1, 1, 1);
    spin->setValue(0);
  }
  for (QScrollBar* bar : volumeSliders) SetRange(bar, Qt::Vertical, 0, 100, 10);
  for (QScrollBar* bar : {drawBrightnessSlider, moveBrightnessSlider}) SetRange(bar, Qt::Horizontal, -100, 100, 10);
  for (QScrollBar* bar : {drawOpacitySlider, moveOpacitySlider}) SetRange(bar, Qt::Horizontal, 0, 100, 10);
  SetRange(easingSlider, Qt::Horizontal, -255, 255, 10);
  Fill(blendModeList, rules::kBlendModeNames, 15);
  Fill(actionList, rules::kActionNames, 15);
  Fill(soundModeList, rules::kSoundModeNames, 5);

  // The range's caption whole, the frame around it short of the right column.
  maskRangeHintLabel->resize(maskRangeHintLabel->sizeHint().width(), maskRangeHintLabel->height());
  maskRangeGroup->resize(maskRangeHintLabel->geometry().right() + 7, maskRangeGroup->height());
  parameterHintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  for (QLineEdit* size : {drawSizeBox, moveSizeBox})
    size->setToolTip(QStringLiteral("サイズを縦横別に設定する場合は「縦：横」で記述してください"));
  copyToMoveButton->setToolTip(QStringLiteral("描画位置のﾊﾟﾗﾒｰﾀを移動先にｺﾋﾟｰ"));
  copyToDrawButton->setToolTip(QStringLiteral("移動先のﾊﾟﾗﾒｰﾀを描画位置にｺﾋﾟｰ"));
  eventPreviewButton->setToolTip(QStringLiteral("このイベントをプレビューする"));
  const int expanderWidth = expandPaneCheck->sizeHint().width();
  expandPaneCheck->setGeometry(kDesignWidth - 4 - expanderWidth, 4, expanderWidth, 20);
  expandPaneCheck->hide();
  operatedImageOptions[DrawImage]->setToolTip(QStringLiteral("描画位置の画像を操作"));
  operatedImageOptions[MoveImage]->setToolTip(QStringLiteral("移動先の画像を操作"));
  guideCheck->setToolTip(QStringLiteral("ガイドパスの表示・編集"));
  guideMenuButton->hide();
  realTimeCheck->setToolTip(QStringLiteral("画面をリアルタイムに更新"));
  onlyOperatedCheck->setToolTip(QStringLiteral("操作中の画像のみを表示"));

  copyParametersMenu = new QMenu(QStringLiteral("パラメータコピー"), this);
  copyParametersMenu->setObjectName(QStringLiteral("copyParametersMenu"));
  auto item = [&](const char* name, const char* caption) {
    QAction* a = copyParametersMenu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  copyBasicAction = item("copyBasicAction", "基本設定をコピー");
  copyDetailAction = item("copyDetailAction", "詳細設定をコピー");
  copyAllAction = item("copyAllAction", "全てコピー");

  for (QLabel* l : {drawXLabel, drawYLabel, moveXLabel, moveYLabel, parameterHintLabel}) l->installEventFilter(this);
  for (QGroupBox* f : {drawPositionGroup, moveTargetGroup}) f->installEventFilter(this);
  designSize_ = QSize(kDesignWidth, kDesignHeight);
}

void EventDialog::joinSlidersToBoxes() {
  SliderWithBox::Options volume;
  volume.text = [](int v) { return ToQ(rules::VolumeText(v)); };
  volume.value = [](const std::string& text, int, int) { return rules::VolumeBarValue(text); };
  for (Side side : {Left, Right}) {
    volumePairs[side] = new SliderWithBox(volumeSliders[side], volumeBoxes[side], volume, this);
    volumePairs[side]->onEdited([this, side] { onVolumeChanged(side); });
  }
  SliderWithBox::Options number;
  number.value = [](const std::string& text, int min, int max) { return rules::SliderValueFromBox(text, min, max); };
  SliderWithBox::Options percent = number;
  percent.text = [](int v) { return QString::number(v) + QStringLiteral("%"); };
  const std::array<std::pair<QScrollBar*, QLineEdit*>, 4> states{{{drawBrightnessSlider, drawBrightnessBox},
                                                                  {drawOpacitySlider, drawOpacityBox},
                                                                  {moveOpacitySlider, moveOpacityBox},
                                                                  {moveBrightnessSlider, moveBrightnessBox}}};
  for (int k = 0; k < 4; ++k) {
    statePairs[k] = new SliderWithBox(states[k].first, states[k].second, percent, this);
    statePairs[k]->onMoved([this, k] { onStateSliderMoved(k < 2 ? 0 : 1); });
  }
  easingPair = new SliderWithBox(easingSlider, easingBox, number, this);
  easingPair->onMoved([this] { onEasingChanged(); });
}

void EventDialog::placeActionFrame(bool top) { actionGroup->move(kLeftColumn, top ? 8 : kActionFrameTop); }

void EventDialog::connectHandlers() {
  auto onText = [this](QLineEdit* box, auto handler) {
    connect(box, &QLineEdit::textChanged, this, handler);
  };
  onText(itemIdBox, [this] { onItemIdChanged(); });
  onText(frameCountBox, [this] { onFrameCountChanged(); });
  for (QLineEdit* b : {drawXBox, drawYBox, drawAngleBox, drawSizeBox}) onText(b, [this] { onDrawPositionChanged(); });
  for (QLineEdit* b : {moveXBox, moveYBox, moveAngleBox, moveSizeBox}) onText(b, [this] { onMoveTargetChanged(); });
  for (QLineEdit* b : {centreXBox, centreYBox}) onText(b, [this] { onCentreChanged(); });
  for (QLineEdit* b : {firstParameterBox, secondParameterBox, buttonStateBoxes[Down], buttonStateBoxes[Over],
                        buttonStateBoxes[Hit], clipScriptBox, instanceNameBox, maskToBox})
    onText(b, [this] { UpdateApplyButton(); });
  onText(depthBox, [this] { onDepthChanged(); });
  joinSlidersToBoxes();
  connect(frameCountSpin, &QScrollBar::valueChanged, this, [this] { onFrameCountSpin(); });
  connect(depthSpin, &QScrollBar::valueChanged, this, [this] { onDepthSpin(); });
  connect(buttonCheck, &QCheckBox::stateChanged, this, [this] { onButtonToggled(); });
  for (ButtonState s : {Down, Over, Hit}) {
    connect(buttonStateChecks[s], &QCheckBox::stateChanged, this, [this, s] { onButtonStateToggled(s); });
  }
  connect(maskCheck, &QCheckBox::stateChanged, this, [this] { onMaskToggled(); });
  connect(keepOnTopCheck, &QCheckBox::stateChanged, this, [this] { onKeepOnTopToggled(); });
  connect(separateVolumesCheck, &QCheckBox::stateChanged, this, [this] { onSeparateVolumesToggled(); });
  connect(guideCheck, &QCheckBox::stateChanged, this, [this] { guideMenuButton->setVisible(guideCheck->isChecked()); });
  connect(soundModeList, &QComboBox::currentIndexChanged, this, [this] { onSoundModeChanged(); });
  connect(actionList, &QComboBox::currentIndexChanged, this, [this] { onActionChanged(); });
  connect(blendModeList, &QComboBox::currentIndexChanged, this, [this] { onBlendModeChanged(); });
  connect(applyButton, &QPushButton::clicked, this, [this] { applyChanges(); });
  connect(closeButton, &QPushButton::clicked, this, [this] { onClose(); });
  connect(centreButton, &QPushButton::clicked, this, [this] { toggleCentre(); });
  connect(eventPreviewButton, &QPushButton::clicked, this, [this] { previewEvent(); });
  connect(copyToMoveButton, &QPushButton::clicked, this, [this] { copyToMoveTarget(); });
  connect(copyToDrawButton, &QPushButton::clicked, this, [this] { copyToDrawPosition(); });
  connect(actionScriptButton, &QPushButton::clicked, this, [this] { editActionScript(); });
  connect(clipScriptButton, &QPushButton::clicked, this, [this] { editClipScript(); });
  connect(fixedScreenButton, &QPushButton::clicked, this, [this] { toggleFixedScreen(); });
  for (Image image : {DrawImage, MoveImage}) {
    connect(filterButtons[image], &QPushButton::clicked, this, [this, image] { editFilters(image); });
    connect(operatedImageOptions[image], &QRadioButton::clicked, this, [this, image] { onOperatedImageChosen(image); });
  }
}

// ---- lookups ----------------------------------------------------------------------------

QWidget* EventDialog::widget(Ctl c) const {
  switch (c) {
    case Ctl::ItemIdLabel: return itemIdLabel;
    case Ctl::ItemIdBox: return itemIdBox;
    case Ctl::FrameCountLabel: return frameCountLabel;
    case Ctl::FrameCountBox: return frameCountBox;
    case Ctl::FrameCountSpin: return frameCountSpin;
    case Ctl::ButtonCheck: return buttonCheck;
    case Ctl::MaskCheck: return maskCheck;
    case Ctl::GuideCheck: return guideCheck;
    case Ctl::BlendModeList: return blendModeList;
    case Ctl::BlendModeLabel: return blendModeLabel;
    case Ctl::CopyToMoveButton: return copyToMoveButton;
    case Ctl::FixedScreenButton: return fixedScreenButton;
    case Ctl::DrawFilterButton: return filterButtons[DrawImage];
    case Ctl::MoveFilterButton: return filterButtons[MoveImage];
    case Ctl::GuideMenuButton: return guideMenuButton;
    case Ctl::MoveTargetOption: return operatedImageOptions[MoveImage];
    case Ctl::DrawPositionGroup: return drawPositionGroup;
    case Ctl::MoveTargetGroup: return moveTargetGroup;
    case Ctl::CentreGroup: return centreGroup;
    case Ctl::SoundGroup: return soundGroup;
    case Ctl::DepthGroup: return depthGroup;
    case Ctl::ActionGroup: return actionGroup;
    case Ctl::ButtonImagesGroup: return buttonImagesGroup;
    case Ctl::SpriteGroup: return spriteGroup;
    case Ctl::EasingGroup: return easingGroup;
    case Ctl::MaskRangeGroup: return maskRangeGroup;
  }
  return nullptr;
}

QLineEdit* EventDialog::box(ep::Box b) const {
  switch (b) {
    case ep::Box::ItemId: return itemIdBox;
    case ep::Box::FrameCount: return frameCountBox;
    case ep::Box::DrawX: return drawXBox;
    case ep::Box::DrawY: return drawYBox;
    case ep::Box::MoveX: return moveXBox;
    case ep::Box::MoveY: return moveYBox;
    case ep::Box::DrawAngle: return drawAngleBox;
    case ep::Box::DrawSize: return drawSizeBox;
    case ep::Box::MoveAngle: return moveAngleBox;
    case ep::Box::MoveSize: return moveSizeBox;
    case ep::Box::CentreX: return centreXBox;
    case ep::Box::CentreY: return centreYBox;
    case ep::Box::FirstParameter: return firstParameterBox;
    case ep::Box::SecondParameter: return secondParameterBox;
    case ep::Box::Depth: return depthBox;
    case ep::Box::ButtonDownId: return buttonStateBoxes[Down];
    case ep::Box::ButtonOverId: return buttonStateBoxes[Over];
    case ep::Box::ButtonHitId: return buttonStateBoxes[Hit];
    case ep::Box::ClipScript: return clipScriptBox;
    case ep::Box::InstanceName: return instanceNameBox;
    case ep::Box::MaskTo: return maskToBox;
    case ep::Box::Easing: return easingBox;
    case ep::Box::DrawBrightness: return drawBrightnessBox;
    case ep::Box::DrawOpacity: return drawOpacityBox;
    case ep::Box::MoveBrightness: return moveBrightnessBox;
    case ep::Box::MoveOpacity: return moveOpacityBox;
    case ep::Box::LeftVolume: return volumeBoxes[Left];
    case ep::Box::RightVolume: return volumeBoxes[Right];
  }
  return itemIdBox;
}

QScrollBar* EventDialog::slider(ep::Slider s) const {
  switch (s) {
    case ep::Slider::DrawBrightness: return drawBrightnessSlider;
    case ep::Slider::DrawOpacity: return drawOpacitySlider;
    case ep::Slider::MoveOpacity: return moveOpacitySlider;
    case ep::Slider::MoveBrightness: return moveBrightnessSlider;
    case ep::Slider::Easing: return easingSlider;
  }
  return drawBrightnessSlider;
}

QWidget* EventDialog::part(ep::Part p) const {
  switch (p) {
    case ep::Part::ItemIdLabel: return itemIdLabel;
    case ep::Part::ItemIdBox: return itemIdBox;
    case ep::Part::FrameCountLabel: return frameCountLabel;
    case ep::Part::FrameCountBox: return frameCountBox;
    case ep::Part::DrawPositionGroup: return drawPositionGroup;
    case ep::Part::MoveTargetGroup: return moveTargetGroup;
    case ep::Part::CentreGroup: return centreGroup;
    case ep::Part::SoundGroup: return soundGroup;
    case ep::Part::DepthGroup: return depthGroup;
    case ep::Part::ActionGroup: return actionGroup;
    case ep::Part::ButtonImagesGroup: return buttonImagesGroup;
    case ep::Part::SpriteGroup: return spriteGroup;
    case ep::Part::EasingGroup: return easingGroup;
    case ep::Part::CentreButton: return centreButton;
    case ep::Part::EventPreviewButton: return eventPreviewButton;
    case ep::Part::ActionScriptButton: return actionScriptButton;
    case ep::Part::ClipScriptButton: return clipScriptButton;
  }
  return itemIdLabel;
}


}  // namespace tesmiro::gui
