#include "ui/dialogs/event_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <vector>

#include "compiler/event_preview.h"
#include "compiler/previews.h"
#include "project/build_lock.h"
#include "platform/numeric.h"
#include "project/filter_dialog_fields.h"
#include "project/filter_work_area.h"
#include "project/geometry.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "swf/swf_writer.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/filter_dialog.h"
#include "ui/main/main_gui.h"

namespace tesmiro::gui {

namespace ep = EventProperty;
namespace rules = EventDialogRules;
using rules::Ctl;

namespace {

EventDialog* gInstance = nullptr;
// Unloaded windows waiting for their deletion.
std::vector<QPointer<EventDialog>> gUnloaded;

constexpr int kDesignWidth = 570;
constexpr int kDesignHeight = 512;
constexpr int kLeftColumn = 8;
constexpr int kActionFrameTop = 216;

Preferences& P() { return Prefs::Current(); }

template <class W>
W* Named(W* w, const char* name, QWidget* parent, int x, int y, int width, int height) {
  w->setParent(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(x, y, width, height);
  return w;
}

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent, int x, int y, int w, int h = 18) {
  return Named(new QLabel(QString::fromUtf8(caption)), name, parent, x, y, w, h);
}

QLineEdit* MakeBox(const char* name, QWidget* parent, int x, int y, int w) {
  auto* box = Named(new QLineEdit, name, parent, x, y, w, 20);
  // The boxes carry whole scripts: Apply writes back what they hold, so a
  // box may never cut a long one short.
  box->setMaxLength(std::numeric_limits<int>::max());
  return box;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent, int x, int y, int w, int h = 24) {
  auto* b = Named(new QPushButton(QString::fromUtf8(caption)), name, parent, x, y, w, h);
  // Enter in a box applies nothing by accident.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

QGroupBox* MakeFrame(const char* name, const char* caption, QWidget* parent, int x, int y, int w, int h) {
  return Named(new QGroupBox(QString::fromUtf8(caption)), name, parent, x, y, w, h);
}

QScrollBar* MakeBar(const char* name, Qt::Orientation o, QWidget* parent, int x, int y, int w, int h, int min,
                    int max, int large = 1) {
  auto* bar = Named(new QScrollBar(o), name, parent, x, y, w, h);
  bar->setRange(min, max);
  bar->setPageStep(large);
  bar->setSingleStep(1);
  return bar;
}

// A spin button: a bar that rests at 0 and is clicked to -1 or 1.
QScrollBar* MakeSpin(const char* name, QWidget* parent, int x, int y) {
  auto* bar = MakeBar(name, Qt::Vertical, parent, x, y, 16, 20, -1, 1);
  bar->setValue(0);
  return bar;
}

QComboBox* MakeList(const char* name, QWidget* parent, int x, int y, int w, const char* const* items, int count) {
  auto* c = Named(new QComboBox, name, parent, x, y, w, 22);
  for (int i = 0; i < count; ++i) c->addItem(QString::fromUtf8(items[i]));
  c->setCurrentIndex(-1);
  return c;
}

std::string Text(const QLineEdit* box) { return FromQ(box->text()); }
int32_t LongOf(const QLineEdit* box) { return num::RoundToInt32(num::Val(Text(box))); }

void DeleteFile(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(path), ec);
}

}  // namespace

// ---- the easing curve ---------------------------------------------------------------

EasingCurve::EasingCurve(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void EasingCurve::setLines(std::vector<int32_t> lines) {
  lines_ = std::move(lines);
  update();
}

int EasingCurve::drawingWidth() const { return std::max(0, width() - 2); }

void EasingCurve::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(0, 0, width() - 1, height() - 1);
  p.setPen(Qt::black);
  const int bottom = height() - 2;
  for (int32_t x : lines_) p.drawLine(1 + x, 1, 1 + x, bottom);
}

// ---- the fields as the exchange sees them ------------------------------------------

class EventDialogFieldsAdaptor final : public ep::EventDialogFields {
 public:
  explicit EventDialogFieldsAdaptor(EventDialog& d) : d_(d) {}

  std::string text(ep::Box b) const override { return Text(d_.box(b)); }
  void setText(ep::Box b, const std::string& t) override { d_.box(b)->setText(ToQ(t)); }
  int check(ep::Tick t) const override {
    switch (t) {
      case ep::Tick::Button: return d_.buttonCheck->value();
      case ep::Tick::ButtonDown: return d_.buttonStateChecks[EventDialog::Down]->value();
      case ep::Tick::ButtonOver: return d_.buttonStateChecks[EventDialog::Over]->value();
      case ep::Tick::ButtonHit: return d_.buttonStateChecks[EventDialog::Hit]->value();
      case ep::Tick::Mask: return d_.maskCheck->value();
      case ep::Tick::SeparateVolumes: return d_.separateVolumesCheck->isChecked() ? 1 : 0;
    }
    return 2;
  }
  void setCheck(ep::Tick t, int v) override {
    switch (t) {
      case ep::Tick::Button: d_.buttonCheck->setValue(v); break;
      case ep::Tick::ButtonDown: d_.buttonStateChecks[EventDialog::Down]->setValue(v); break;
      case ep::Tick::ButtonOver: d_.buttonStateChecks[EventDialog::Over]->setValue(v); break;
      case ep::Tick::ButtonHit: d_.buttonStateChecks[EventDialog::Hit]->setValue(v); break;
      case ep::Tick::Mask: d_.maskCheck->setValue(v); break;
      case ep::Tick::SeparateVolumes: d_.separateVolumesCheck->setChecked(v == 1); break;
    }
  }
  int listIndex(ep::List l) const override { return list(l)->currentIndex(); }
  void setListIndex(ep::List l, int index) override {
    QComboBox* c = list(l);
    // A kind the list does not hold shows as no selection, which keeps it.
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
  }
  int scroll(ep::Slider s) const override { return d_.slider(s)->value(); }
  void setScroll(ep::Slider s, int v) override { d_.slider(s)->setValue(v); }
  void setShown(ep::Part p, bool shown) override { d_.part(p)->setVisible(shown); }
  void setEnabled(ep::Part p, bool enabled) override { d_.part(p)->setEnabled(enabled); }
  void setCaption(const std::string& caption) override { d_.setWindowTitle(ToQ(caption)); }
  void initialize() override { d_.EventDialogInitialize(); }
  void updateScrolls() override { d_.UpdateScrolls(); }
  void activate() override { d_.ActivateSub(); }

 private:
  QComboBox* list(ep::List l) const {
    switch (l) {
      case ep::List::SoundMode: return d_.soundModeList;
      case ep::List::Action: return d_.actionList;
      case ep::List::BlendMode: return d_.blendModeList;
    }
    return d_.soundModeList;
  }
  EventDialog& d_;
};

// ---- the one instance -------------------------------------------------------------------

EventDialog* EventDialog::instance() { return gInstance; }

bool EventDialog::isShownNow() { return gInstance && gInstance->isVisible(); }

EventDialog* EventDialog::load() {
  if (!gInstance) new EventDialog();
  return gInstance;
}

void EventDialog::UnloadInstance() {
  if (gInstance) gInstance->Unload();
}

void EventDialog::DestroyAll() {
  delete gInstance;
  for (QPointer<EventDialog>& d : gUnloaded) delete d.data();
  gUnloaded.clear();
}

EventDialog::EventDialog() : QDialog(nullptr), fields_(std::make_unique<EventDialogFieldsAdaptor>(*this)) {
  gInstance = this;
  setObjectName(QStringLiteral("EventDialog"));
  setWindowTitle(QString::fromUtf8(ep::kCaption));
  setFont(PanelFont(9));
  setModal(false);
  createControls();
  designSize_ = QSize(kDesignWidth, kDesignHeight);
  // The picture pane is collapsed: the window keeps its design size.
  setFixedSize(designSize_);
  connectHandlers();
  embedPicturePane();
  RouteEscapeTo(this, closeButton);
  // Loading: the selection's kind starts afresh, the scratch path is set.
  setSelectedFileKind(0);
  MakePictPreview(true, false);
  const int32_t topward = P().windowTopward;
  keepOnTopCheck->setVisible(rules::KeepOnTopOffered(topward));
  keepOnTopCheck->setChecked(rules::KeepOnTopTicked(topward));
}

EventDialog::~EventDialog() {
  if (gInstance == this) gInstance = nullptr;
}

EventProperty::EventDialogFields& EventDialog::fields() { return *fields_; }

void EventDialog::focusFirstField() {
  if (actionList->isVisibleTo(this)) actionList->setFocus();
  if (itemIdBox->isVisibleTo(this)) itemIdBox->setFocus();
}

int32_t EventDialog::SelectedFileKind() const { return ep::Current().selectedFileKind; }
void EventDialog::setSelectedFileKind(int32_t kind) { ep::Current().selectedFileKind = kind; }
// A running build or preview reads the model: the dialog stays idle as while
// it fills.
bool EventDialog::IsFilling() const { return ep::Current().filling || GUICore::BuildInProgress(); }

void EventDialog::createControls() {
  QWidget* w = this;
  const int L = kLeftColumn;
  itemIdLabel = MakeLabel("itemIdLabel", "ファイルID", w, L, 10, 60);
  itemIdBox = MakeBox("itemIdBox", w, 70, 8, 60);
  frameCountLabel = MakeLabel("frameCountLabel", "ﾌﾚｰﾑｶｳﾝﾄ", w, L, 34, 60);
  frameCountBox = MakeBox("frameCountBox", w, 70, 32, 60);
  frameCountSpin = MakeSpin("frameCountSpin", w, 131, 32);
  fixedScreenButton = MakeButton("fixedScreenButton", "固定画面にする", w, 152, 30, 120);

  depthGroup = MakeFrame("depthGroup", "通常画面", w, L, 58, 300, 46);
  depthLabel = MakeLabel("depthLabel", "深度", depthGroup, 8, 20, 30);
  depthBox = MakeBox("depthBox", depthGroup, 40, 18, 50);
  depthSpin = MakeSpin("depthSpin", depthGroup, 91, 18);
  depthHintLabel = MakeLabel("depthHintLabel", "-256(背面)～256(前面)", depthGroup, 112, 20, 180);

  maskCheck = Named(new GreyCheckBox(QStringLiteral("ﾏｽｸ")), "maskCheck", w, L, 116, 60, 20);
  maskRangeGroup = MakeFrame("maskRangeGroup", "マスク範囲", w, 70, 104, 238, 46);
  maskFromBox = MakeBox("maskFromBox", maskRangeGroup, 8, 18, 40);
  maskRangeDashLabel = MakeLabel("maskRangeDashLabel", "～", maskRangeGroup, 50, 20, 16);
  maskToBox = MakeBox("maskToBox", maskRangeGroup, 66, 18, 40);
  maskRangeHintLabel = MakeLabel("maskRangeHintLabel", "-256(背面)～256(前面)", maskRangeGroup, 110, 20, 0, 18);
  // The range's caption whole, the frame around it short of the right column.
  maskRangeHintLabel->resize(maskRangeHintLabel->sizeHint().width(), maskRangeHintLabel->height());
  maskRangeGroup->resize(maskRangeHintLabel->geometry().right() + 7, maskRangeGroup->height());

  blendModeLabel = MakeLabel("blendModeLabel", "ブレンド", w, L, 160, 50);
  blendModeList = MakeList("blendModeList", w, 60, 158, 130, rules::kBlendModeNames, 15);
  buttonCheck = Named(new GreyCheckBox(QStringLiteral("ボタンにする(&B)")), "buttonCheck", w, L, 188, 160, 20);

  actionGroup = MakeFrame("actionGroup", "アクションの設定", w, L, kActionFrameTop, 300, 128);
  actionLabel = MakeLabel("actionLabel", "アクション", actionGroup, 8, 22, 60);
  actionList = MakeList("actionList", actionGroup, 70, 20, 222, rules::kActionNames, 15);
  firstParameterLabel = MakeLabel("firstParameterLabel", "ﾊﾟﾗﾒｰﾀ１", actionGroup, 8, 48, 60);
  firstParameterBox = MakeBox("firstParameterBox", actionGroup, 70, 46, 222);
  parameterHintLabel = MakeLabel("parameterHintLabel", "ﾊﾟﾗﾒｰﾀ２", actionGroup, 8, 70, 288, 32);
  parameterHintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  secondParameterBox = MakeBox("secondParameterBox", actionGroup, 70, 70, 222);
  actionScriptButton = MakeButton("actionScriptButton", "ｽｸﾘﾌﾟﾄを編集(&E)", actionGroup, 172, 98, 120);

  buttonImagesGroup = MakeFrame("buttonImagesGroup", "ボタンの画像ID", w, L, 348, 300, 100);
  buttonStateIdLabel = MakeLabel("buttonStateIdLabel", "ﾌｧｲﾙID", buttonImagesGroup, 134, 16, 60, 16);
  const char* const states[3] = {"ボタンを押下", "ﾏｳｽｶｰｿﾙ通過", "当たり判定"};
  for (int i = 0; i < 3; ++i) {
    const std::string check = "buttonStateChecks_" + std::to_string(i), text = "buttonStateBoxes_" + std::to_string(i);
    buttonStateChecks[i] = Named(new GreyCheckBox(QString::fromUtf8(states[i])), check.c_str(), buttonImagesGroup, 8,
                                 34 + i * 21, 124, 19);
    buttonStateBoxes[i] = MakeBox(text.c_str(), buttonImagesGroup, 134, 33 + i * 21, 60);
  }

  spriteGroup = MakeFrame("spriteGroup", "スプライトの設定", w, L, kActionFrameTop, 300, 100);
  instanceNameLabel = MakeLabel("instanceNameLabel", "ｲﾝｽﾀﾝｽ名", spriteGroup, 8, 22, 60);
  instanceNameBox = MakeBox("instanceNameBox", spriteGroup, 70, 20, 222);
  clipScriptBox = MakeBox("clipScriptBox", spriteGroup, 8, 44, 284);
  clipScriptButton = MakeButton("clipScriptButton", "ｽｸﾘﾌﾟﾄを編集(&E)", spriteGroup, 172, 68, 120);

  soundGroup = MakeFrame("soundGroup", "サウンドイベントの設定", w, L, 58, 300, 160);
  soundModeList = MakeList("soundModeList", soundGroup, 8, 20, 150, rules::kSoundModeNames, 5);
  volumeGroup = MakeFrame("volumeGroup", "音量", soundGroup, 8, 48, 284, 104);
  separateVolumesCheck =
      Named(new QCheckBox(QStringLiteral("左右独立")), "separateVolumesCheck", volumeGroup, 8, 18, 100, 20);
  const char* const sides[2] = {"左", "右"};
  for (int i = 0; i < 2; ++i) {
    const std::string label = "volumeLabels_" + std::to_string(i), text = "volumeBoxes_" + std::to_string(i),
                      bar = "volumeSliders_" + std::to_string(i);
    volumeLabels[i] = MakeLabel(label.c_str(), sides[i], volumeGroup, 8 + i * 120, 62, 20);
    volumeBoxes[i] = MakeBox(text.c_str(), volumeGroup, 30 + i * 120, 60, 44);
    volumeSliders[i] = MakeBar(bar.c_str(), Qt::Vertical, volumeGroup, 78 + i * 120, 40, 16, 58, 0, 100, 10);
  }

  const int R = 316;
  // Narrower than the frames below it: the pane's expander sits beside it.
  centreGroup = MakeFrame("centreGroup", "中心位置", w, R, 4, 206, 72);
  centreXLabel = MakeLabel("centreXLabel", "X：", centreGroup, 8, 22, 22);
  centreXBox = MakeBox("centreXBox", centreGroup, 30, 20, 56);
  centreYLabel = MakeLabel("centreYLabel", "Y：", centreGroup, 96, 22, 22);
  centreYBox = MakeBox("centreYBox", centreGroup, 118, 20, 56);
  centreButton = MakeButton("centreButton", rules::kCentreToMiddle, centreGroup, 8, 44, 166);

  // The two states share one layout.
  struct StateControls {
    QGroupBox*& frame;
    QLabel*& lx;
    QLineEdit*& x;
    QLabel*& ly;
    QLineEdit*& y;
    QLabel*& la;
    QLineEdit*& angle;
    QLabel*& ls;
    QLineEdit*& size;
    QLabel*& lb;
    QScrollBar*& brightness;
    QLineEdit*& bBox;
    QLabel*& lo;
    QScrollBar*& opacity;
    QLineEdit*& oBox;
    QPushButton*& copy;
  };
  const char* const names[2][16] = {
      {"drawPositionGroup", "drawXLabel", "drawXBox", "drawYLabel", "drawYBox", "drawAngleLabel", "drawAngleBox",
       "drawSizeLabel", "drawSizeBox", "drawBrightnessLabel", "drawBrightnessSlider", "drawBrightnessBox",
       "drawOpacityLabel", "drawOpacitySlider", "drawOpacityBox", "copyToMoveButton"},
      {"moveTargetGroup", "moveXLabel", "moveXBox", "moveYLabel", "moveYBox", "moveAngleLabel", "moveAngleBox",
       "moveSizeLabel", "moveSizeBox", "moveBrightnessLabel", "moveBrightnessSlider", "moveBrightnessBox",
       "moveOpacityLabel", "moveOpacitySlider", "moveOpacityBox", "copyToDrawButton"}};
  StateControls states2[2] = {
      {drawPositionGroup, drawXLabel, drawXBox, drawYLabel, drawYBox, drawAngleLabel, drawAngleBox, drawSizeLabel,
       drawSizeBox, drawBrightnessLabel, drawBrightnessSlider, drawBrightnessBox, drawOpacityLabel, drawOpacitySlider,
       drawOpacityBox, copyToMoveButton},
      {moveTargetGroup, moveXLabel, moveXBox, moveYLabel, moveYBox, moveAngleLabel, moveAngleBox, moveSizeLabel,
       moveSizeBox, moveBrightnessLabel, moveBrightnessSlider, moveBrightnessBox, moveOpacityLabel, moveOpacitySlider,
       moveOpacityBox, copyToDrawButton}};
  const char* const frameCaptions[2] = {"描画位置", "移動先"};
  const char* const copyCaptions[2] = {"→", "←"};
  const char* const copyTips[2] = {"描画位置のﾊﾟﾗﾒｰﾀを移動先にｺﾋﾟｰ", "移動先のﾊﾟﾗﾒｰﾀを描画位置にｺﾋﾟｰ"};
  for (int s = 0; s < 2; ++s) {
    StateControls& c = states2[s];
    const char* const* n = names[s];
    c.frame = MakeFrame(n[0], frameCaptions[s], w, R, 80 + s * 154, 246, 150);
    c.lx = MakeLabel(n[1], "X：", c.frame, 8, 22, 22);
    c.x = MakeBox(n[2], c.frame, 30, 20, 60);
    c.ly = MakeLabel(n[3], "Y：", c.frame, 100, 22, 22);
    c.y = MakeBox(n[4], c.frame, 122, 20, 60);
    c.la = MakeLabel(n[5], "角度", c.frame, 8, 46, 30);
    c.angle = MakeBox(n[6], c.frame, 40, 44, 50);
    c.ls = MakeLabel(n[7], "ｻｲｽﾞ", c.frame, 100, 46, 30);
    c.size = MakeBox(n[8], c.frame, 132, 44, 100);
    c.size->setToolTip(QStringLiteral("サイズを縦横別に設定する場合は「縦：横」で記述してください"));
    c.lb = MakeLabel(n[9], "輝度", c.frame, 8, 72, 50);
    c.brightness = MakeBar(n[10], Qt::Horizontal, c.frame, 60, 72, 120, 18, -100, 100, 10);
    c.bBox = MakeBox(n[11], c.frame, 184, 70, 50);
    c.lo = MakeLabel(n[12], "不透明度", c.frame, 8, 96, 52);
    c.opacity = MakeBar(n[13], Qt::Horizontal, c.frame, 60, 96, 120, 18, 0, 100, 10);
    c.oBox = MakeBox(n[14], c.frame, 184, 94, 50);
    c.copy = MakeButton(n[15], copyCaptions[s], c.frame, 196, 120, 38);
    c.copy->setToolTip(QString::fromUtf8(copyTips[s]));
    const std::string detail = "filterButtons_" + std::to_string(s);
    filterButtons[s] = MakeButton(detail.c_str(), "詳", c.frame, 8, 120, 30);
  }

  easingGroup = MakeFrame("easingGroup", "速度変化", w, R, 388, 246, 82);
  easingSlider = MakeBar("easingSlider", Qt::Horizontal, easingGroup, 8, 22, 172, 18, -255, 255, 10);
  easingBox = MakeBox("easingBox", easingGroup, 184, 20, 50);
  easingCurve = Named(new EasingCurve, "easingCurve", easingGroup, 8, 46, 226, 28);

  const int buttonTop = kDesignHeight - 30;  // 1.16 button heights above the bottom
  eventPreviewButton = MakeButton("eventPreviewButton", "ｲﾍﾞﾝﾄﾌﾟﾚﾋﾞｭｰ(&P)", w, L, buttonTop, 150, 26);
  eventPreviewButton->setToolTip(QStringLiteral("このイベントをプレビューする"));
  keepOnTopCheck = Named(new QCheckBox(QStringLiteral("前面")), "keepOnTopCheck", w, 264, buttonTop + 2, 64, 22);
  applyButton = MakeButton("applyButton", "適用(&A)", w, 350, buttonTop, 100, 26);
  closeButton = MakeButton("closeButton", "閉じる(&X)", w, 458, buttonTop, 100, 26);
  expandPaneCheck = Named(new QCheckBox(QStringLiteral(">")), "expandPaneCheck", w, 0, 4, 0, 20);
  const int expanderWidth = expandPaneCheck->sizeHint().width();
  expandPaneCheck->setGeometry(kDesignWidth - 4 - expanderWidth, 4, expanderWidth, 20);
  expandPaneCheck->hide();

  // The picture pane's tool box lies beyond the collapsed window's edge.
  PictToolBox = Named(new QWidget, "PictToolBox", w, kDesignWidth + 8, 4, 300, 48);
  operatedImageOptions[DrawImage] =
      Named(new QRadioButton(QStringLiteral("描画位置")), "operatedImageOptions_0", PictToolBox, 0, 0, 80, 20);
  operatedImageOptions[MoveImage] =
      Named(new QRadioButton(QStringLiteral("移動先")), "operatedImageOptions_1", PictToolBox, 80, 0, 70, 20);
  operatedImageOptions[DrawImage]->setToolTip(QStringLiteral("描画位置の画像を操作"));
  operatedImageOptions[MoveImage]->setToolTip(QStringLiteral("移動先の画像を操作"));
  guideCheck = Named(new QCheckBox(QStringLiteral("ｶﾞｲﾄﾞ")), "guideCheck", PictToolBox, 150, 0, 60, 20);
  guideCheck->setToolTip(QStringLiteral("ガイドパスの表示・編集"));
  guideMenuButton = MakeButton("guideMenuButton", "▼", PictToolBox, 210, 0, 24, 20);
  guideMenuButton->hide();
  realTimeCheck = Named(new QCheckBox(QStringLiteral("ﾘｱﾙﾀｲﾑ")), "realTimeCheck", PictToolBox, 0, 24, 80, 20);
  realTimeCheck->setToolTip(QStringLiteral("画面をリアルタイムに更新"));
  onlyOperatedCheck = Named(new QCheckBox(QStringLiteral("ｱｸﾃｨﾌﾞ")), "onlyOperatedCheck", PictToolBox, 80, 24, 80, 20);
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
}

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
  for (Side side : {Left, Right}) {
    onText(volumeBoxes[side], [this, side] { onVolumeChanged(side); });
    connect(volumeSliders[side], &QScrollBar::valueChanged, this, [this, side] { onVolumeSliderChanged(side); });
  }
  connect(frameCountSpin, &QScrollBar::valueChanged, this, [this] { onFrameCountSpin(); });
  connect(depthSpin, &QScrollBar::valueChanged, this, [this] { onDepthSpin(); });
  connect(drawBrightnessSlider, &QScrollBar::valueChanged, this, [this] { onStateSliderChanged(1); });
  connect(drawOpacitySlider, &QScrollBar::valueChanged, this, [this] { onStateSliderChanged(2); });
  connect(moveOpacitySlider, &QScrollBar::valueChanged, this, [this] { onStateSliderChanged(3); });
  connect(moveBrightnessSlider, &QScrollBar::valueChanged, this, [this] { onStateSliderChanged(4); });
  connect(easingSlider, &QScrollBar::valueChanged, this, [this] { onEasingChanged(); });
  onText(drawBrightnessBox, [this] { onPercentBoxChanged(1); });
  onText(drawOpacityBox, [this] { onPercentBoxChanged(2); });
  onText(moveOpacityBox, [this] { onPercentBoxChanged(3); });
  onText(moveBrightnessBox, [this] { onPercentBoxChanged(4); });
  onText(easingBox, [this] { onPercentBoxChanged(5); });
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

void EventDialog::applyVisibility(const rules::Visibility& v) {
  for (const auto& [c, shown] : v) widget(c)->setVisible(shown);
}

void EventDialog::placeActionFrame(bool top) { actionGroup->move(kLeftColumn, top ? 8 : kActionFrameTop); }

// ---- members the main window uses --------------------------------------------------------

void EventDialog::UpdateApplyButton() { applyButton->setEnabled(!IsFilling()); }

void EventDialog::ActivateSub() {
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::LoadingSub() {
  unloading_ = false;
  if (pane_) pane_->fitToPane();
}

void EventDialog::MakePictPreview(bool useCache, bool keepHandles) {
  previewTempPath_ = (GUICore::GetPreviewFolder() / "_picttemp.tmp").string();
  if (pane_) pane_->MakePictPreview(useCache, keepHandles);
}

void EventDialog::SetPreviewControlsVisible(bool visible) {
  previewControls_ = visible;
  ShowPreviewPane();
}

void EventDialog::EventDialogInitialize() {
  DeleteFile(previewTempPath_);
  SWFMakeCore::ClearMovieCache();
  if (pane_) pane_->reset();
  for (QLineEdit* box : findChildren<QLineEdit*>()) {
    // An editable list's own box (the zoom) keeps its text.
    if (!qobject_cast<QComboBox*>(box->parentWidget())) box->setText(QString());
  }
  for (GreyCheckBox* c :
       {buttonCheck, buttonStateChecks[Down], buttonStateChecks[Over], buttonStateChecks[Hit], maskCheck})
    c->setValue(2);
  actionList->setCurrentIndex(-1);
  blendModeList->setCurrentIndex(-1);
  // Emptying a box moved its slider, which wrote the box again.
  for (QLineEdit* box : {drawBrightnessBox, drawOpacityBox, moveBrightnessBox, moveOpacityBox, easingBox})
    box->setText(QString());
}

void EventDialog::UpdateScrolls() {
  onStateSliderChanged(1);
  onStateSliderChanged(2);
  onStateSliderChanged(4);
  onStateSliderChanged(3);
  onEasingChanged();
}

void EventDialog::setOwner(QWidget* owner) {
  if (parentWidget() == owner) return;
  const QPoint at = pos();
  setParent(owner, windowFlags());
  move(at);
}

void EventDialog::showOwned(QWidget* owner) {
  setOwner(owner);
  show();
  // The frame is known once shown: the whole window stays on its screen.
  KeepInsideWorkArea(this);
  raise();
  activateWindow();
}

void EventDialog::takeScript(int32_t kind, const std::string& text) {
  // Only the one event shown here takes it: with several events shown the
  // empty box keeps each its own script, and must stay empty.
  if (ep::Current().loaded != ep::Loaded::One) return;
  if (ScriptEditorModule::ModuleState().target.index != ep::SubjectRow() + 1) return;
  (kind == ScriptEditorModule::kClipAction ? clipScriptBox : secondParameterBox)->setText(ToQ(text));
}

void EventDialog::Unload() {
  if (unloading_ && gInstance != this) return;
  StorePreviewOptions();
  SaveDialogState();
  unloading_ = true;
  // The script editors no longer write into this window's boxes.
  if (isVisible()) ScriptEditorModule::ShowEventScript(ScriptEditorModule::kNoScript, "");
  DeleteFile(previewTempPath_);
  hide();
  if (gInstance == this) gInstance = nullptr;
  gUnloaded.push_back(this);
  deleteLater();
}

void EventDialog::StorePreviewOptions() {
  if (expandPaneCheck->isHidden()) return;
  P().pictEventPreview =
      (P().pictEventPreview & ~3) | (expandPaneCheck->isChecked() ? 1 : 0) | (realTimeCheck->isChecked() ? 2 : 0);
}

void EventDialog::SaveDialogState() {
  if (!isVisible()) return;
  StoreTwips(this, P().epLeft, P().epTop);
  P().windowTopward = rules::WithKeepOnTopTicked(P().windowTopward, keepOnTopCheck->isChecked());
  if (expandPaneCheck->isChecked()) storeExpandedSize();
}

void EventDialog::onActivated() {
  onKeepOnTopToggled();
  if (pane_) pane_->applyZoom();
  ActivateSub();
}

bool EventDialog::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && isVisible()) onActivated();
  return QDialog::event(e);
}

bool EventDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonPress && watched == parameterHintLabel) {
    onParameterHintPressed(static_cast<int>(static_cast<QMouseEvent*>(e)->position().y()));
  } else if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
    if (watched == drawPositionGroup) onStateGroupClicked(DrawImage);
    if (watched == moveTargetGroup) onStateGroupClicked(MoveImage);
    for (QLabel* l : {drawXLabel, drawYLabel, moveXLabel, moveYLabel}) {
      if (watched == l) onPositionCaptionClicked(l);
    }
  }
  return QDialog::eventFilter(watched, e);
}

void EventDialog::reject() { onClose(); }

void EventDialog::closeEvent(QCloseEvent* e) {
  // The title bar's close is the Close button.
  e->ignore();
  onClose();
}

// ---- change handlers ----------------------------------------------------------------------

void EventDialog::onItemIdChanged() {
  UpdateApplyButton();
  const std::string itemIdText = Text(itemIdBox);
  const int32_t kind = rules::FileKind(itemIdText, SelectedFileKind());
  const rules::KindLayout l = rules::LayoutForKind(kind, itemIdText, IsFilling(), EventListModule::Current().selCount,
                                                   GUICore::GetSWFVersion());
  if (l.previewControls) SetPreviewControlsVisible(*l.previewControls);
  // The check boxes first: their handlers show and hide frames too.
  if (l.buttonTick) buttonCheck->setValue(*l.buttonTick);
  if (l.maskTick) maskCheck->setValue(*l.maskTick);
  applyVisibility(l.visible);
  placeActionFrame(l.actionPlacement);
  if (l.frameCountLayout) onFrameCountChanged();
}

void EventDialog::onFrameCountChanged() {
  const rules::FrameCountLayout l =
      rules::LayoutForFrameCount(Text(itemIdBox), Text(frameCountBox), guideCheck->isChecked(), Text(depthBox));
  if (l.skip) return;
  fixedScreenButton->setText(QString::fromUtf8(l.fixedScreenCaption));
  depthGroup->setTitle(QString::fromUtf8(l.depthGroupCaption));
  if (l.guideTick) guideCheck->setChecked(*l.guideTick == 1);
  applyVisibility(l.visible);
  if (l.operatedImage) operatedImage_ = *l.operatedImage;
  if (l.depthText) depthBox->setText(ToQ(*l.depthText));
  onMaskToggled();
  MakePictPreview(true, false);
}

void EventDialog::onDrawPositionChanged() {
  UpdateApplyButton();
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::onMoveTargetChanged() {
  UpdateApplyButton();
  operatedImage_ = 1;
  MakePictPreview(true, false);
}

void EventDialog::onCentreChanged() {
  UpdateApplyButton();
  centreButton->setText(QString::fromUtf8(rules::CentreCaption(Text(centreXBox), Text(centreYBox))));
  MakePictPreview(true, false);
}

void EventDialog::onDepthChanged() {
  UpdateApplyButton();
  if (const auto clamped = rules::ClampDepthText(Text(depthBox))) depthBox->setText(ToQ(*clamped));
  onMaskToggled();
}

void EventDialog::onVolumeChanged(Side side) {
  UpdateApplyButton();
  if (const auto bar = rules::VolumeBarValue(Text(volumeBoxes[side]))) volumeSliders[side]->setValue(*bar);
  if (!separateVolumesCheck->isChecked()) volumeBoxes[side == Left ? Right : Left]->setText(volumeBoxes[side]->text());
}

void EventDialog::onVolumeSliderChanged(Side side) {
  volumeBoxes[side]->setText(ToQ(rules::VolumeText(volumeSliders[side]->value())));
}

void EventDialog::onFrameCountSpin() {
  const int v = frameCountSpin->value();
  if (v == 0) return;
  frameCountBox->setText(ToQ(rules::SpinFrameCount(Text(frameCountBox), v)));
  frameCountBox->setFocus();
  frameCountSpin->setValue(0);
}

void EventDialog::onDepthSpin() {
  const int v = depthSpin->value();
  if (v == 0) return;
  depthBox->setText(ToQ(rules::SpinDepth(Text(depthBox), v)));
  depthBox->setFocus();
  depthSpin->setValue(0);
}

void EventDialog::onStateSliderChanged(int n) {
  UpdateApplyButton();
  QScrollBar* bars[5] = {nullptr, drawBrightnessSlider, drawOpacitySlider, moveOpacitySlider, moveBrightnessSlider};
  QLineEdit* boxes[5] = {nullptr, drawBrightnessBox, drawOpacityBox, moveOpacityBox, moveBrightnessBox};
  boxes[n]->setText(QString::number(bars[n]->value()) + QStringLiteral("%"));
  operatedImage_ = n <= 2 ? 0 : 1;
  MakePictPreview(true, false);
}

void EventDialog::onPercentBoxChanged(int n) {
  QScrollBar* bars[6] = {nullptr, drawBrightnessSlider, drawOpacitySlider, moveOpacitySlider, moveBrightnessSlider,
                         easingSlider};
  QLineEdit* boxes[6] = {nullptr, drawBrightnessBox, drawOpacityBox, moveOpacityBox, moveBrightnessBox, easingBox};
  QScrollBar* bar = bars[n];
  if (const auto v = rules::SliderValueFromBox(Text(boxes[n]), bar->minimum(), bar->maximum())) bar->setValue(*v);
}

void EventDialog::onEasingChanged() {
  easingBox->setText(QString::number(easingSlider->value()));
  easingCurve->setLines(rules::EasingLines(rules::EasingFrameCount(Text(frameCountBox)), easingSlider->value(),
                                           easingCurve->drawingWidth()));
  UpdateApplyButton();
}

void EventDialog::onButtonToggled() {
  UpdateApplyButton();
  const bool shown = buttonCheck->value() != 0;
  actionGroup->setVisible(shown);
  buttonImagesGroup->setVisible(shown);
}

void EventDialog::onButtonStateToggled(ButtonState state) {
  UpdateApplyButton();
  if (buttonStateChecks[state]->value() == 1) {
    buttonStateBoxes[state]->show();
  } else {
    buttonStateBoxes[state]->hide();
    buttonStateBoxes[state]->clear();
  }
  buttonStateIdLabel->setVisible(std::any_of(buttonStateChecks.begin(), buttonStateChecks.end(),
                                             [](GreyCheckBox* c) { return c->value() == 1; }));
}

void EventDialog::onMaskToggled() {
  UpdateApplyButton();
  if (maskCheck->value() == 1) {
    maskRangeGroup->show();
    maskFromBox->setText(depthBox->text());
  } else {
    maskRangeGroup->hide();
  }
}

void EventDialog::onKeepOnTopToggled() {
  keepOnTop_.follow(rules::KeepOnTopOffered(P().windowTopward) && keepOnTopCheck->isChecked());
}

void EventDialog::dropKeepOnTop() { keepOnTop_.drop(); }

void EventDialog::onSeparateVolumesToggled() {
  if (!separateVolumesCheck->isChecked()) volumeBoxes[Right]->setText(volumeBoxes[Left]->text());
}

void EventDialog::onSoundModeChanged() {
  UpdateApplyButton();
  const int i = soundModeList->currentIndex();
  volumeGroup->setVisible(i == static_cast<int>(SoundMode::Play) || i == static_cast<int>(SoundMode::Loop));
}

void EventDialog::onActionChanged() {
  UpdateApplyButton();
  const rules::ActionLayout l =
      rules::LayoutForAction(actionList->currentIndex(), buttonCheck->value(), GUICore::State().settings.soundSync);
  if (l.refused) {
    // The refusal itself is the hint: the cleared list must not replace it.
    const QSignalBlocker quiet(actionList);
    actionList->setCurrentIndex(-1);
  }
  actionScriptButton->hide();
  firstParameterLabel->setText(QString::fromUtf8(l.firstParameterCaption));
  firstParameterLabel->setVisible(l.firstParameterCaptionShown);
  firstParameterBox->setVisible(l.firstParameterShown);
  parameterHintLabel->setText(QString::fromUtf8(l.parameterHint));
  parameterHintLabel->setVisible(l.parameterHintShown);
  secondParameterBox->setVisible(l.secondParameterShown);
  actionScriptButton->setVisible(l.scriptButtonShown);
}

void EventDialog::onBlendModeChanged() {
  UpdateApplyButton();
  MakePictPreview(true, false);
}

// ---- buttons --------------------------------------------------------------------------------

void EventDialog::applyChanges() {
  // A build reads the model: the fields stay here until it has finished.
  if (GUICore::BuildInProgress()) return;
  const bool closes = P().dispEventProperty == 0;
  QPointer<EventDialog> self(this);
  if (closes) hide();
  if (MainGUI* w = MainGUI::instance()) w->ListEventPropertyApply();
  if (closes && self) self->Unload();
}

void EventDialog::onClose() { Unload(); }

void EventDialog::toggleCentre() {
  const rules::ImageSize size = rules::GetImageSize(LongOf(itemIdBox));
  const auto [x, y] = rules::ToggleCentre(Text(centreXBox), Text(centreYBox), size.width, size.height);
  centreXBox->setText(ToQ(x));
  centreYBox->setText(ToQ(y));
  MakePictPreview(true, false);
}

void EventDialog::previewEvent() {
  EventRecord e = ZeroEvent();
  e.itemId = LongOf(itemIdBox);
  e.frameCount = LongOf(frameCountBox);
  e.startX = LongOf(drawXBox);
  e.startY = LongOf(drawYBox);
  e.endX = LongOf(moveXBox);
  e.endY = LongOf(moveYBox);
  e.startAngle = GUICore::ToSingle(num::Val(Text(drawAngleBox)));
  GUICore::ParseXYPair(Text(drawSizeBox), e.startScaleX, e.startScaleY);
  e.endAngle = GUICore::ToSingle(num::Val(Text(moveAngleBox)));
  GUICore::ParseXYPair(Text(moveSizeBox), e.endScaleX, e.endScaleY);
  e.centerX = LongOf(centreXBox);
  e.centerY = LongOf(centreYBox);
  e.startBrightness = static_cast<int16_t>(drawBrightnessSlider->value());
  e.startAlpha = static_cast<int16_t>(drawOpacitySlider->value());
  e.endBrightness = static_cast<int16_t>(moveBrightnessSlider->value());
  e.endAlpha = static_cast<int16_t>(moveOpacitySlider->value());
  e.easing = easingSlider->value();
  e.depth = 1;
  const GUICore::FilterWorkArea& work = GUICore::WorkArea();
  e.startFilters = work.states[GUICore::FilterWorkArea::kStart];
  e.endFilters = work.states[GUICore::FilterWorkArea::kEnd];
  e.blendMode = std::max(0, blendModeList->currentIndex());
  e.guideMode = work.guideMode;
  e.anchors = work.anchors;
  GUICore::RunEventPreview(e);
}

void EventDialog::copyToMoveTarget() { copyState(0); }
void EventDialog::copyToDrawPosition() { copyState(1); }

void EventDialog::copyState(int from) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  const int to = 1 - from;
  auto plain = [&] { from == 0 ? CopyDrawToMove() : CopyMoveToDraw(); };
  if (work.states[static_cast<size_t>(from)].inUse == 0) {
    plain();
    UpdateApplyButton();
    return;
  }
  QAction* chosen = Desktop().popups->exec(copyParametersMenu, Desktop().placement->cursorPos(), nullptr);
  if (chosen == copyBasicAction) {
    plain();
    UpdateApplyButton();
  } else if (chosen == copyDetailAction) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    UpdateApplyButton();
    MakePictPreview(true, false);
  } else if (chosen == copyAllAction) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    plain();
    UpdateApplyButton();
  }
}

// The filters of one end of the motion. The other end keeps its own
// values but always carries the same filters with the same switches.
void EventDialog::editFilters(Image image) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  FilterState& edited = work.states[GUICore::FilterWorkArea::kEdited];
  // A topmost dialog would hide the filter dialog it owns.
  dropKeepOnTop();
  edited = work.states[static_cast<size_t>(image)];
  if (const auto result = FilterDialog::edit(this, edited, Desktop().placement->cursorPos())) {
    edited = *result;
    GUICore::ApplyFilterResult(edited, work.states[static_cast<size_t>(image)],
                               work.states[static_cast<size_t>(image == DrawImage ? MoveImage : DrawImage)]);
    UpdateApplyButton();
  } else {
    edited.inUse = 0;
  }
  onKeepOnTopToggled();
}

void EventDialog::CopyDrawToMove() {
  moveXBox->setText(drawXBox->text());
  moveYBox->setText(drawYBox->text());
  moveAngleBox->setText(drawAngleBox->text());
  moveSizeBox->setText(drawSizeBox->text());
  moveBrightnessSlider->setValue(drawBrightnessSlider->value());
  moveOpacitySlider->setValue(drawOpacitySlider->value());
  MakePictPreview(true, false);
}

void EventDialog::CopyMoveToDraw() {
  drawXBox->setText(moveXBox->text());
  drawYBox->setText(moveYBox->text());
  drawAngleBox->setText(moveAngleBox->text());
  drawSizeBox->setText(moveSizeBox->text());
  drawBrightnessSlider->setValue(moveBrightnessSlider->value());
  drawOpacitySlider->setValue(moveOpacitySlider->value());
  MakePictPreview(true, false);
}

void EventDialog::editActionScript() {
  // A button's script runs on its events, a frame's on the frame.
  openScript(LongOf(itemIdBox) != 0 ? ScriptEditorModule::kButtonAction : ScriptEditorModule::kFrameAction,
             secondParameterBox);
}

void EventDialog::editClipScript() { openScript(ScriptEditorModule::kClipAction, clipScriptBox); }

void EventDialog::openScript(int32_t kind, const QLineEdit* box) {
  MainGUI* w = MainGUI::instance();
  if (w && P().dockScriptEditor == 1) w->setScriptEditorChecked(true);
  ScriptEditorModule::ShowEventScript(kind, Text(box));
}

void EventDialog::toggleFixedScreen() {
  const rules::FixedScreenToggle t = rules::ToggleFixedScreen(Text(frameCountBox), Text(depthBox));
  frameCountBox->setText(ToQ(t.frameCount));
  if (t.depthText) depthBox->setText(ToQ(*t.depthText));
}

void EventDialog::onPositionCaptionClicked(QLabel* label) {
  // Half the movie's own stage, also while a sprite is edited.
  const ProjectSettings& s = GUICore::State().settings;
  QLineEdit* box = label == drawXLabel   ? drawXBox
                   : label == drawYLabel ? drawYBox
                   : label == moveXLabel ? moveXBox
                                         : moveYBox;
  const bool horizontal = label == drawXLabel || label == moveXLabel;
  box->setText(ToQ(rules::TogglePosition(Text(box), horizontal ? s.width : s.height)));
}

void EventDialog::onParameterHintPressed(int y) {
  if (const auto text = rules::ParameterShortcut(actionList->currentIndex(), y, parameterHintLabel->height())) {
    firstParameterBox->setText(ToQ(*text));
  }
}

void EventDialog::onStateGroupClicked(Image image) {
  operatedImage_ = image;
  MakePictPreview(true, false);
}

void EventDialog::onOperatedImageChosen(Image image) {
  operatedImage_ = image;
  MakePictPreview(true, false);
}

}  // namespace tesmiro::gui
