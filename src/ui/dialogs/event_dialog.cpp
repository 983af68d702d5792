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
      case ep::Tick::Check1: return d_.Check1->value();
      case ep::Tick::Check2_0: return d_.Check2[0]->value();
      case ep::Tick::Check2_1: return d_.Check2[1]->value();
      case ep::Tick::Check2_2: return d_.Check2[2]->value();
      case ep::Tick::Check3: return d_.Check3->value();
      case ep::Tick::Check10: return d_.Check10->isChecked() ? 1 : 0;
    }
    return 2;
  }
  void setCheck(ep::Tick t, int v) override {
    switch (t) {
      case ep::Tick::Check1: d_.Check1->setValue(v); break;
      case ep::Tick::Check2_0: d_.Check2[0]->setValue(v); break;
      case ep::Tick::Check2_1: d_.Check2[1]->setValue(v); break;
      case ep::Tick::Check2_2: d_.Check2[2]->setValue(v); break;
      case ep::Tick::Check3: d_.Check3->setValue(v); break;
      case ep::Tick::Check10: d_.Check10->setChecked(v == 1); break;
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
      case ep::List::Combo1: return d_.Combo1;
      case ep::List::Combo2: return d_.Combo2;
      case ep::List::Combo4: return d_.Combo4;
    }
    return d_.Combo1;
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
  RouteEscapeTo(this, Command2);
  // Loading: the selection's kind starts afresh, the scratch path is set.
  setSelectedFileKind(0);
  MakePictPreview(true, false);
  const int32_t topward = P().windowTopward;
  Check7->setVisible(rules::KeepOnTopOffered(topward));
  Check7->setChecked(rules::KeepOnTopTicked(topward));
}

EventDialog::~EventDialog() {
  if (gInstance == this) gInstance = nullptr;
}

EventProperty::EventDialogFields& EventDialog::fields() { return *fields_; }

int32_t EventDialog::SelectedFileKind() const { return ep::Current().selectedFileKind; }
void EventDialog::setSelectedFileKind(int32_t kind) { ep::Current().selectedFileKind = kind; }
bool EventDialog::IsFilling() const { return ep::Current().filling; }
void EventDialog::setIsFilling(bool filling) { ep::Current().filling = filling; }

void EventDialog::createControls() {
  QWidget* w = this;
  const int L = kLeftColumn;
  Label1 = MakeLabel("Label1", "ファイルID", w, L, 10, 60);
  Text1 = MakeBox("Text1", w, 70, 8, 60);
  Label2 = MakeLabel("Label2", "ﾌﾚｰﾑｶｳﾝﾄ", w, L, 34, 60);
  Text2 = MakeBox("Text2", w, 70, 32, 60);
  VScroll1 = MakeSpin("VScroll1", w, 131, 32);
  Command9 = MakeButton("Command9", "固定画面にする", w, 152, 30, 120);

  Frame5 = MakeFrame("Frame5", "通常画面", w, L, 58, 300, 46);
  Label24 = MakeLabel("Label24", "深度", Frame5, 8, 20, 30);
  Text15 = MakeBox("Text15", Frame5, 40, 18, 50);
  VScroll2 = MakeSpin("VScroll2", Frame5, 91, 18);
  Label25 = MakeLabel("Label25", "-256(背面)～256(前面)", Frame5, 112, 20, 180);

  Check3 = Named(new GreyCheckBox(QStringLiteral("ﾏｽｸ")), "Check3", w, L, 116, 60, 20);
  Frame10 = MakeFrame("Frame10", "マスク範囲", w, 70, 104, 238, 46);
  Text20 = MakeBox("Text20", Frame10, 8, 18, 40);
  Label29 = MakeLabel("Label29", "～", Frame10, 50, 20, 16);
  Text19 = MakeBox("Text19", Frame10, 66, 18, 40);
  Label31 = MakeLabel("Label31", "-256(背面)～256(前面)", Frame10, 110, 20, 0, 18);
  // The range's caption whole, the frame around it short of the right column.
  Label31->resize(Label31->sizeHint().width(), Label31->height());
  Frame10->resize(Label31->geometry().right() + 7, Frame10->height());

  Label32 = MakeLabel("Label32", "ブレンド", w, L, 160, 50);
  Combo4 = MakeList("Combo4", w, 60, 158, 130, rules::kBlendModeNames, 15);
  Check1 = Named(new GreyCheckBox(QStringLiteral("ボタンにする(&B)")), "Check1", w, L, 188, 160, 20);

  Frame6 = MakeFrame("Frame6", "アクションの設定", w, L, kActionFrameTop, 300, 128);
  Label16 = MakeLabel("Label16", "アクション", Frame6, 8, 22, 60);
  Combo2 = MakeList("Combo2", Frame6, 70, 20, 222, rules::kActionNames, 15);
  Label22 = MakeLabel("Label22", "ﾊﾟﾗﾒｰﾀ１", Frame6, 8, 48, 60);
  Text13 = MakeBox("Text13", Frame6, 70, 46, 222);
  Label23 = MakeLabel("Label23", "ﾊﾟﾗﾒｰﾀ２", Frame6, 8, 70, 288, 32);
  Label23->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text14 = MakeBox("Text14", Frame6, 70, 70, 222);
  Command7 = MakeButton("Command7", "ｽｸﾘﾌﾟﾄを編集(&E)", Frame6, 172, 98, 120);

  Frame7 = MakeFrame("Frame7", "ボタンの画像ID", w, L, 348, 300, 100);
  Label26 = MakeLabel("Label26", "ﾌｧｲﾙID", Frame7, 134, 16, 60, 16);
  const char* const states[3] = {"ボタンを押下", "ﾏｳｽｶｰｿﾙ通過", "当たり判定"};
  for (int i = 0; i < 3; ++i) {
    const std::string check = "Check2_" + std::to_string(i), text = "Text16_" + std::to_string(i);
    Check2[i] = Named(new GreyCheckBox(QString::fromUtf8(states[i])), check.c_str(), Frame7, 8, 34 + i * 21, 124, 19);
    Text16[i] = MakeBox(text.c_str(), Frame7, 134, 33 + i * 21, 60);
  }

  Frame8 = MakeFrame("Frame8", "スプライトの設定", w, L, kActionFrameTop, 300, 100);
  Label28 = MakeLabel("Label28", "ｲﾝｽﾀﾝｽ名", Frame8, 8, 22, 60);
  Text18 = MakeBox("Text18", Frame8, 70, 20, 222);
  Text17 = MakeBox("Text17", Frame8, 8, 44, 284);
  Command8 = MakeButton("Command8", "ｽｸﾘﾌﾟﾄを編集(&E)", Frame8, 172, 68, 120);

  Frame4 = MakeFrame("Frame4", "サウンドイベントの設定", w, L, 58, 300, 160);
  Combo1 = MakeList("Combo1", Frame4, 8, 20, 150, rules::kSoundModeNames, 5);
  Frame11 = MakeFrame("Frame11", "音量", Frame4, 8, 48, 284, 104);
  Check10 = Named(new QCheckBox(QStringLiteral("左右独立")), "Check10", Frame11, 8, 18, 100, 20);
  const char* const sides[2] = {"左", "右"};
  for (int i = 0; i < 2; ++i) {
    const std::string label = "Label17_" + std::to_string(i), text = "Text26_" + std::to_string(i),
                      bar = "VScroll3_" + std::to_string(i);
    Label17[i] = MakeLabel(label.c_str(), sides[i], Frame11, 8 + i * 120, 62, 20);
    Text26[i] = MakeBox(text.c_str(), Frame11, 30 + i * 120, 60, 44);
    VScroll3[i] = MakeBar(bar.c_str(), Qt::Vertical, Frame11, 78 + i * 120, 40, 16, 58, 0, 100, 10);
  }

  const int R = 316;
  // Narrower than the frames below it: the pane's expander sits beside it.
  Frame3 = MakeFrame("Frame3", "中心位置", w, R, 4, 206, 72);
  Label13 = MakeLabel("Label13", "X：", Frame3, 8, 22, 22);
  Text11 = MakeBox("Text11", Frame3, 30, 20, 56);
  Label15 = MakeLabel("Label15", "Y：", Frame3, 96, 22, 22);
  Text12 = MakeBox("Text12", Frame3, 118, 20, 56);
  Command3 = MakeButton("Command3", rules::kCentreToMiddle, Frame3, 8, 44, 166);

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
      {"Frame1", "Label4", "Text3", "Label5", "Text4", "Label9", "Text7", "Label10", "Text8", "Label3", "HScroll1",
       "Text22", "Label6", "HScroll2", "Text23", "Command5"},
      {"Frame2", "Label7", "Text5", "Label8", "Text6", "Label11", "Text9", "Label12", "Text10", "Label21", "HScroll4",
       "Text24", "Label20", "HScroll3", "Text25", "Command6"}};
  StateControls states2[2] = {
      {Frame1, Label4, Text3, Label5, Text4, Label9, Text7, Label10, Text8, Label3, HScroll1, Text22, Label6, HScroll2,
       Text23, Command5},
      {Frame2, Label7, Text5, Label8, Text6, Label11, Text9, Label12, Text10, Label21, HScroll4, Text24, Label20,
       HScroll3, Text25, Command6}};
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
    const std::string detail = "Command10_" + std::to_string(s);
    Command10[s] = MakeButton(detail.c_str(), "詳", c.frame, 8, 120, 30);
  }

  Frame9 = MakeFrame("Frame9", "速度変化", w, R, 388, 246, 82);
  HScroll5 = MakeBar("HScroll5", Qt::Horizontal, Frame9, 8, 22, 172, 18, -255, 255, 10);
  Text21 = MakeBox("Text21", Frame9, 184, 20, 50);
  Picture1 = Named(new EasingCurve, "Picture1", Frame9, 8, 46, 226, 28);

  const int buttonTop = kDesignHeight - 30;  // 1.16 button heights above the bottom
  Command4 = MakeButton("Command4", "ｲﾍﾞﾝﾄﾌﾟﾚﾋﾞｭｰ(&P)", w, L, buttonTop, 150, 26);
  Command4->setToolTip(QStringLiteral("このイベントをプレビューする"));
  Check7 = Named(new QCheckBox(QStringLiteral("前面")), "Check7", w, 264, buttonTop + 2, 64, 22);
  Command1 = MakeButton("Command1", "適用(&A)", w, 350, buttonTop, 100, 26);
  Command2 = MakeButton("Command2", "閉じる(&X)", w, 458, buttonTop, 100, 26);
  Check5 = Named(new QCheckBox(QStringLiteral(">")), "Check5", w, 0, 4, 0, 20);
  const int expanderWidth = Check5->sizeHint().width();
  Check5->setGeometry(kDesignWidth - 4 - expanderWidth, 4, expanderWidth, 20);
  Check5->hide();

  // The picture pane's tool box lies beyond the collapsed window's edge.
  PictToolBox = Named(new QWidget, "PictToolBox", w, kDesignWidth + 8, 4, 300, 48);
  Option1[0] = Named(new QRadioButton(QStringLiteral("描画位置")), "Option1_0", PictToolBox, 0, 0, 80, 20);
  Option1[1] = Named(new QRadioButton(QStringLiteral("移動先")), "Option1_1", PictToolBox, 80, 0, 70, 20);
  Option1[0]->setToolTip(QStringLiteral("描画位置の画像を操作"));
  Option1[1]->setToolTip(QStringLiteral("移動先の画像を操作"));
  Check9 = Named(new QCheckBox(QStringLiteral("ｶﾞｲﾄﾞ")), "Check9", PictToolBox, 150, 0, 60, 20);
  Check9->setToolTip(QStringLiteral("ガイドパスの表示・編集"));
  Command13 = MakeButton("Command13", "▼", PictToolBox, 210, 0, 24, 20);
  Command13->hide();
  Check6 = Named(new QCheckBox(QStringLiteral("ﾘｱﾙﾀｲﾑ")), "Check6", PictToolBox, 0, 24, 80, 20);
  Check6->setToolTip(QStringLiteral("画面をリアルタイムに更新"));
  Check4 = Named(new QCheckBox(QStringLiteral("ｱｸﾃｨﾌﾞ")), "Check4", PictToolBox, 80, 24, 80, 20);
  Check4->setToolTip(QStringLiteral("操作中の画像のみを表示"));

  mnuCopyParam = new QMenu(QStringLiteral("パラメータコピー"), this);
  mnuCopyParam->setObjectName(QStringLiteral("mnuCopyParam"));
  auto item = [&](const char* name, const char* caption) {
    QAction* a = mnuCopyParam->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  mnuCopyBasic = item("mnuCopyBasic", "基本設定をコピー");
  mnuCopyDetail = item("mnuCopyDetail", "詳細設定をコピー");
  mnuCopyAll = item("mnuCopyAll", "全てコピー");

  for (QLabel* l : {Label4, Label5, Label7, Label8, Label23}) l->installEventFilter(this);
  for (QGroupBox* f : {Frame1, Frame2}) f->installEventFilter(this);
}

void EventDialog::connectHandlers() {
  auto onText = [this](QLineEdit* box, auto handler) {
    connect(box, &QLineEdit::textChanged, this, handler);
  };
  onText(Text1, [this] { Text1_Change(); });
  onText(Text2, [this] { Text2_Change(); });
  for (QLineEdit* b : {Text3, Text4, Text7, Text8}) onText(b, [this] { Text3_Change(); });
  for (QLineEdit* b : {Text5, Text6, Text9, Text10}) onText(b, [this] { Text5_Change(); });
  for (QLineEdit* b : {Text11, Text12}) onText(b, [this] { Text11_Change(); });
  for (QLineEdit* b : {Text13, Text14, Text16[0], Text16[1], Text16[2], Text17, Text18, Text19})
    onText(b, [this] { UpdateApplyButton(); });
  onText(Text15, [this] { Text15_Change(); });
  for (int i = 0; i < 2; ++i) {
    onText(Text26[i], [this, i] { Text26_Change(i); });
    connect(VScroll3[i], &QScrollBar::valueChanged, this, [this, i] { VScroll3_Change(i); });
  }
  connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
  connect(VScroll2, &QScrollBar::valueChanged, this, [this] { VScroll2_Change(); });
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll_Change(1); });
  connect(HScroll2, &QScrollBar::valueChanged, this, [this] { HScroll_Change(2); });
  connect(HScroll3, &QScrollBar::valueChanged, this, [this] { HScroll_Change(3); });
  connect(HScroll4, &QScrollBar::valueChanged, this, [this] { HScroll_Change(4); });
  connect(HScroll5, &QScrollBar::valueChanged, this, [this] { HScroll5_Change(); });
  onText(Text22, [this] { PercentBox_Change(1); });
  onText(Text23, [this] { PercentBox_Change(2); });
  onText(Text25, [this] { PercentBox_Change(3); });
  onText(Text24, [this] { PercentBox_Change(4); });
  onText(Text21, [this] { PercentBox_Change(5); });
  connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
  for (int i = 0; i < 3; ++i) connect(Check2[i], &QCheckBox::stateChanged, this, [this, i] { Check2_Click(i); });
  connect(Check3, &QCheckBox::stateChanged, this, [this] { Check3_Click(); });
  connect(Check7, &QCheckBox::stateChanged, this, [this] { Check7_Click(); });
  connect(Check10, &QCheckBox::stateChanged, this, [this] { Check10_Click(); });
  connect(Check9, &QCheckBox::stateChanged, this, [this] { Command13->setVisible(Check9->isChecked()); });
  connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
  connect(Combo2, &QComboBox::currentIndexChanged, this, [this] { Combo2_Click(); });
  connect(Combo4, &QComboBox::currentIndexChanged, this, [this] { Combo4_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
  connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
  connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
  for (int i = 0; i < 2; ++i) {
    connect(Command10[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { Command10_Click(i); });
  }
  for (int i = 0; i < 2; ++i) {
    connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
  }
}

// ---- lookups ----------------------------------------------------------------------------

QWidget* EventDialog::widget(Ctl c) const {
  switch (c) {
    case Ctl::Label1: return Label1;
    case Ctl::Text1: return Text1;
    case Ctl::Label2: return Label2;
    case Ctl::Text2: return Text2;
    case Ctl::VScroll1: return VScroll1;
    case Ctl::Check1: return Check1;
    case Ctl::Check3: return Check3;
    case Ctl::Check9: return Check9;
    case Ctl::Combo4: return Combo4;
    case Ctl::Label32: return Label32;
    case Ctl::Command5: return Command5;
    case Ctl::Command9: return Command9;
    case Ctl::Command10_0: return Command10[0];
    case Ctl::Command10_1: return Command10[1];
    case Ctl::Command13: return Command13;
    case Ctl::Option1_1: return Option1[1];
    case Ctl::Frame1: return Frame1;
    case Ctl::Frame2: return Frame2;
    case Ctl::Frame3: return Frame3;
    case Ctl::Frame4: return Frame4;
    case Ctl::Frame5: return Frame5;
    case Ctl::Frame6: return Frame6;
    case Ctl::Frame7: return Frame7;
    case Ctl::Frame8: return Frame8;
    case Ctl::Frame9: return Frame9;
    case Ctl::Frame10: return Frame10;
  }
  return nullptr;
}

QLineEdit* EventDialog::box(ep::Box b) const {
  switch (b) {
    case ep::Box::Text1: return Text1;
    case ep::Box::Text2: return Text2;
    case ep::Box::Text3: return Text3;
    case ep::Box::Text4: return Text4;
    case ep::Box::Text5: return Text5;
    case ep::Box::Text6: return Text6;
    case ep::Box::Text7: return Text7;
    case ep::Box::Text8: return Text8;
    case ep::Box::Text9: return Text9;
    case ep::Box::Text10: return Text10;
    case ep::Box::Text11: return Text11;
    case ep::Box::Text12: return Text12;
    case ep::Box::Text13: return Text13;
    case ep::Box::Text14: return Text14;
    case ep::Box::Text15: return Text15;
    case ep::Box::Text16_0: return Text16[0];
    case ep::Box::Text16_1: return Text16[1];
    case ep::Box::Text16_2: return Text16[2];
    case ep::Box::Text17: return Text17;
    case ep::Box::Text18: return Text18;
    case ep::Box::Text19: return Text19;
    case ep::Box::Text21: return Text21;
    case ep::Box::Text22: return Text22;
    case ep::Box::Text23: return Text23;
    case ep::Box::Text24: return Text24;
    case ep::Box::Text25: return Text25;
    case ep::Box::Text26_0: return Text26[0];
    case ep::Box::Text26_1: return Text26[1];
  }
  return Text1;
}

QScrollBar* EventDialog::slider(ep::Slider s) const {
  switch (s) {
    case ep::Slider::HScroll1: return HScroll1;
    case ep::Slider::HScroll2: return HScroll2;
    case ep::Slider::HScroll3: return HScroll3;
    case ep::Slider::HScroll4: return HScroll4;
    case ep::Slider::HScroll5: return HScroll5;
  }
  return HScroll1;
}

QWidget* EventDialog::part(ep::Part p) const {
  switch (p) {
    case ep::Part::Label1: return Label1;
    case ep::Part::Text1: return Text1;
    case ep::Part::Label2: return Label2;
    case ep::Part::Text2: return Text2;
    case ep::Part::Frame1: return Frame1;
    case ep::Part::Frame2: return Frame2;
    case ep::Part::Frame3: return Frame3;
    case ep::Part::Frame4: return Frame4;
    case ep::Part::Frame5: return Frame5;
    case ep::Part::Frame6: return Frame6;
    case ep::Part::Frame7: return Frame7;
    case ep::Part::Frame8: return Frame8;
    case ep::Part::Frame9: return Frame9;
    case ep::Part::Command3: return Command3;
    case ep::Part::Command4: return Command4;
    case ep::Part::Command7: return Command7;
    case ep::Part::Command8: return Command8;
  }
  return Label1;
}

void EventDialog::applyVisibility(const rules::Visibility& v) {
  for (const auto& [c, shown] : v) widget(c)->setVisible(shown);
}

void EventDialog::placeActionFrame(bool top) { Frame6->move(kLeftColumn, top ? 8 : kActionFrameTop); }

// ---- members the main window uses --------------------------------------------------------

void EventDialog::UpdateApplyButton() { Command1->setEnabled(!IsFilling()); }

void EventDialog::ActivateSub() {
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::LoadingSub() {
  unloading_ = false;
  if (pane_) pane_->Command12_Click();
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
  for (GreyCheckBox* c : {Check1, Check2[0], Check2[1], Check2[2], Check3}) c->setValue(2);
  Combo2->setCurrentIndex(-1);
  Combo4->setCurrentIndex(-1);
  // Emptying a box moved its slider, which wrote the box again.
  for (QLineEdit* box : {Text22, Text23, Text24, Text25, Text21}) box->setText(QString());
}

void EventDialog::UpdateScrolls() {
  HScroll_Change(1);
  HScroll_Change(2);
  HScroll_Change(4);
  HScroll_Change(3);
  HScroll5_Change();
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
  (kind == ScriptEditorModule::kClipAction ? Text17 : Text14)->setText(ToQ(text));
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
  if (Check5->isHidden()) return;
  P().pictEventPreview = (P().pictEventPreview & ~3) | (Check5->isChecked() ? 1 : 0) | (Check6->isChecked() ? 2 : 0);
}

void EventDialog::SaveDialogState() {
  if (!isVisible()) return;
  StoreTwips(this, P().epLeft, P().epTop);
  P().windowTopward = rules::WithKeepOnTopTicked(P().windowTopward, Check7->isChecked());
  if (Check5->isChecked()) storeExpandedSize();
}

void EventDialog::Form_Activate() {
  Check7_Click();
  if (pane_) pane_->Combo3_Click();
  ActivateSub();
}

bool EventDialog::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && isVisible()) Form_Activate();
  return QDialog::event(e);
}

bool EventDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonPress && watched == Label23) {
    Label23_MouseDown(static_cast<int>(static_cast<QMouseEvent*>(e)->position().y()));
  } else if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
    if (watched == Frame1) Frame_Click(0);
    if (watched == Frame2) Frame_Click(1);
    for (QLabel* l : {Label4, Label5, Label7, Label8}) {
      if (watched == l) LabelPosition_Click(l);
    }
  }
  return QDialog::eventFilter(watched, e);
}

void EventDialog::reject() { Command2_Click(); }

void EventDialog::closeEvent(QCloseEvent* e) {
  // The title bar's close is the Close button.
  e->ignore();
  Command2_Click();
}

// ---- change handlers ----------------------------------------------------------------------

void EventDialog::Text1_Change() {
  UpdateApplyButton();
  const std::string text1 = Text(Text1);
  const int32_t kind = rules::FileKind(text1, SelectedFileKind());
  const rules::KindLayout l = rules::LayoutForKind(kind, text1, IsFilling(), EventListModule::Current().selCount,
                                                   GUICore::GetSWFVersion());
  if (l.previewControls) SetPreviewControlsVisible(*l.previewControls);
  // The check boxes first: their handlers show and hide frames too.
  if (l.check1) Check1->setValue(*l.check1);
  if (l.check3) Check3->setValue(*l.check3);
  applyVisibility(l.visible);
  placeActionFrame(l.actionPlacement);
  if (l.frameCountLayout) Text2_Change();
}

void EventDialog::Text2_Change() {
  const rules::FrameCountLayout l =
      rules::LayoutForFrameCount(Text(Text1), Text(Text2), Check9->isChecked(), Text(Text15));
  if (l.skip) return;
  Command9->setText(QString::fromUtf8(l.command9Caption));
  Frame5->setTitle(QString::fromUtf8(l.frame5Caption));
  if (l.check9) Check9->setChecked(*l.check9 == 1);
  applyVisibility(l.visible);
  if (l.operatedImage) operatedImage_ = *l.operatedImage;
  if (l.depthText) Text15->setText(ToQ(*l.depthText));
  Check3_Click();
  MakePictPreview(true, false);
}

void EventDialog::Text3_Change() {
  UpdateApplyButton();
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::Text5_Change() {
  UpdateApplyButton();
  operatedImage_ = 1;
  MakePictPreview(true, false);
}

void EventDialog::Text11_Change() {
  UpdateApplyButton();
  Command3->setText(QString::fromUtf8(rules::CentreCaption(Text(Text11), Text(Text12))));
  MakePictPreview(true, false);
}

void EventDialog::Text15_Change() {
  UpdateApplyButton();
  if (const auto clamped = rules::ClampDepthText(Text(Text15))) Text15->setText(ToQ(*clamped));
  Check3_Click();
}

void EventDialog::Text26_Change(int i) {
  UpdateApplyButton();
  if (const auto bar = rules::VolumeBarValue(Text(Text26[i]))) VScroll3[i]->setValue(*bar);
  if (!Check10->isChecked()) Text26[1 - i]->setText(Text26[i]->text());
}

void EventDialog::VScroll3_Change(int i) { Text26[i]->setText(ToQ(rules::VolumeText(VScroll3[i]->value()))); }

void EventDialog::VScroll1_Change() {
  const int v = VScroll1->value();
  if (v == 0) return;
  Text2->setText(ToQ(rules::SpinFrameCount(Text(Text2), v)));
  Text2->setFocus();
  VScroll1->setValue(0);
}

void EventDialog::VScroll2_Change() {
  const int v = VScroll2->value();
  if (v == 0) return;
  Text15->setText(ToQ(rules::SpinDepth(Text(Text15), v)));
  Text15->setFocus();
  VScroll2->setValue(0);
}

void EventDialog::HScroll_Change(int n) {
  UpdateApplyButton();
  QScrollBar* bars[5] = {nullptr, HScroll1, HScroll2, HScroll3, HScroll4};
  QLineEdit* boxes[5] = {nullptr, Text22, Text23, Text25, Text24};
  boxes[n]->setText(QString::number(bars[n]->value()) + QStringLiteral("%"));
  operatedImage_ = n <= 2 ? 0 : 1;
  MakePictPreview(true, false);
}

void EventDialog::PercentBox_Change(int n) {
  QScrollBar* bars[6] = {nullptr, HScroll1, HScroll2, HScroll3, HScroll4, HScroll5};
  QLineEdit* boxes[6] = {nullptr, Text22, Text23, Text25, Text24, Text21};
  QScrollBar* bar = bars[n];
  if (const auto v = rules::SliderValueFromBox(Text(boxes[n]), bar->minimum(), bar->maximum())) bar->setValue(*v);
}

void EventDialog::HScroll5_Change() {
  Text21->setText(QString::number(HScroll5->value()));
  Picture1->setLines(
      rules::EasingLines(rules::EasingFrameCount(Text(Text2)), HScroll5->value(), Picture1->drawingWidth()));
  UpdateApplyButton();
}

void EventDialog::Check1_Click() {
  UpdateApplyButton();
  const bool shown = Check1->value() != 0;
  Frame6->setVisible(shown);
  Frame7->setVisible(shown);
}

void EventDialog::Check2_Click(int i) {
  UpdateApplyButton();
  if (Check2[i]->value() == 1) {
    Text16[i]->show();
  } else {
    Text16[i]->hide();
    Text16[i]->clear();
  }
  Label26->setVisible(std::any_of(Check2.begin(), Check2.end(), [](GreyCheckBox* c) { return c->value() == 1; }));
}

void EventDialog::Check3_Click() {
  UpdateApplyButton();
  if (Check3->value() == 1) {
    Frame10->show();
    Text20->setText(Text15->text());
  } else {
    Frame10->hide();
  }
}

void EventDialog::Check7_Click() {
  keepOnTop_.follow(rules::KeepOnTopOffered(P().windowTopward) && Check7->isChecked());
}

void EventDialog::dropKeepOnTop() { keepOnTop_.drop(); }

void EventDialog::Check10_Click() {
  if (!Check10->isChecked()) Text26[1]->setText(Text26[0]->text());
}

void EventDialog::Combo1_Click() {
  UpdateApplyButton();
  const int i = Combo1->currentIndex();
  Frame11->setVisible(i == static_cast<int>(SoundMode::Play) || i == static_cast<int>(SoundMode::Loop));
}

void EventDialog::Combo2_Click() {
  UpdateApplyButton();
  const rules::ActionLayout l =
      rules::LayoutForAction(Combo2->currentIndex(), Check1->value(), GUICore::State().settings.soundSync);
  if (l.refused) {
    // The refusal itself is the hint: the cleared list must not replace it.
    const QSignalBlocker quiet(Combo2);
    Combo2->setCurrentIndex(-1);
  }
  Command7->hide();
  Label22->setText(QString::fromUtf8(l.label22Caption));
  Label22->setVisible(l.label22Shown);
  Text13->setVisible(l.text13Shown);
  Label23->setText(QString::fromUtf8(l.label23Caption));
  Label23->setVisible(l.label23Shown);
  Text14->setVisible(l.text14Shown);
  Command7->setVisible(l.command7Shown);
}

void EventDialog::Combo4_Click() {
  UpdateApplyButton();
  MakePictPreview(true, false);
}

// ---- buttons --------------------------------------------------------------------------------

void EventDialog::Command1_Click() {
  // A build reads the model: the fields stay here until it has finished.
  if (GUICore::BuildInProgress()) return;
  const bool closes = P().dispEventProperty == 0;
  QPointer<EventDialog> self(this);
  if (closes) hide();
  if (MainGUI* w = MainGUI::instance()) w->ListEventPropertyApply();
  if (closes && self) self->Unload();
}

void EventDialog::Command2_Click() { Unload(); }

void EventDialog::Command3_Click() {
  const rules::ImageSize size = rules::GetImageSize(LongOf(Text1));
  const auto [x, y] = rules::ToggleCentre(Text(Text11), Text(Text12), size.width, size.height);
  Text11->setText(ToQ(x));
  Text12->setText(ToQ(y));
  MakePictPreview(true, false);
}

void EventDialog::Command4_Click() {
  EventRecord e = ZeroEvent();
  e.itemId = LongOf(Text1);
  e.frameCount = LongOf(Text2);
  e.startX = LongOf(Text3);
  e.startY = LongOf(Text4);
  e.endX = LongOf(Text5);
  e.endY = LongOf(Text6);
  e.startAngle = GUICore::ToSingle(num::Val(Text(Text7)));
  GUICore::ParseXYPair(Text(Text8), e.startScaleX, e.startScaleY);
  e.endAngle = GUICore::ToSingle(num::Val(Text(Text9)));
  GUICore::ParseXYPair(Text(Text10), e.endScaleX, e.endScaleY);
  e.centerX = LongOf(Text11);
  e.centerY = LongOf(Text12);
  e.startBrightness = static_cast<int16_t>(HScroll1->value());
  e.startAlpha = static_cast<int16_t>(HScroll2->value());
  e.endBrightness = static_cast<int16_t>(HScroll4->value());
  e.endAlpha = static_cast<int16_t>(HScroll3->value());
  e.easing = HScroll5->value();
  e.depth = 1;
  const GUICore::FilterWorkArea& work = GUICore::WorkArea();
  e.startFilters = work.states[GUICore::FilterWorkArea::kStart];
  e.endFilters = work.states[GUICore::FilterWorkArea::kEnd];
  e.blendMode = std::max(0, Combo4->currentIndex());
  e.guideMode = work.guideMode;
  e.anchors = work.anchors;
  GUICore::RunEventPreview(e);
}

void EventDialog::Command5_Click() { copyState(0); }
void EventDialog::Command6_Click() { copyState(1); }

void EventDialog::copyState(int from) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  const int to = 1 - from;
  auto plain = [&] { from == 0 ? CopyDrawToMove() : CopyMoveToDraw(); };
  if (work.states[static_cast<size_t>(from)].inUse == 0) {
    plain();
    UpdateApplyButton();
    return;
  }
  QAction* chosen = Desktop().popups->exec(mnuCopyParam, Desktop().placement->cursorPos(), nullptr);
  if (chosen == mnuCopyBasic) {
    plain();
    UpdateApplyButton();
  } else if (chosen == mnuCopyDetail) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    UpdateApplyButton();
    MakePictPreview(true, false);
  } else if (chosen == mnuCopyAll) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    plain();
    UpdateApplyButton();
  }
}

// The filters of one end of the motion. The other end keeps its own
// values but always carries the same filters with the same switches.
void EventDialog::Command10_Click(int i) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  FilterState& edited = work.states[GUICore::FilterWorkArea::kEdited];
  // A topmost dialog would hide the filter dialog it owns.
  dropKeepOnTop();
  edited = work.states[static_cast<size_t>(i)];
  if (const auto result = FilterDialog::edit(this, edited, Desktop().placement->cursorPos())) {
    edited = *result;
    GUICore::ApplyFilterResult(edited, work.states[static_cast<size_t>(i)], work.states[static_cast<size_t>(1 - i)]);
    UpdateApplyButton();
  } else {
    edited.inUse = 0;
  }
  Check7_Click();
}

void EventDialog::CopyDrawToMove() {
  Text5->setText(Text3->text());
  Text6->setText(Text4->text());
  Text9->setText(Text7->text());
  Text10->setText(Text8->text());
  HScroll4->setValue(HScroll1->value());
  HScroll3->setValue(HScroll2->value());
  MakePictPreview(true, false);
}

void EventDialog::CopyMoveToDraw() {
  Text3->setText(Text5->text());
  Text4->setText(Text6->text());
  Text7->setText(Text9->text());
  Text8->setText(Text10->text());
  HScroll1->setValue(HScroll4->value());
  HScroll2->setValue(HScroll3->value());
  MakePictPreview(true, false);
}

void EventDialog::Command7_Click() {
  // A button's script runs on its events, a frame's on the frame.
  openScript(LongOf(Text1) != 0 ? ScriptEditorModule::kButtonAction : ScriptEditorModule::kFrameAction, Text14);
}

void EventDialog::Command8_Click() { openScript(ScriptEditorModule::kClipAction, Text17); }

void EventDialog::openScript(int32_t kind, const QLineEdit* box) {
  MainGUI* w = MainGUI::instance();
  if (w && P().dockScriptEditor == 1) w->mnuScriptEditor->setChecked(true);
  ScriptEditorModule::ShowEventScript(kind, Text(box));
}

void EventDialog::Command9_Click() {
  const rules::FixedScreenToggle t = rules::ToggleFixedScreen(Text(Text2), Text(Text15));
  Text2->setText(ToQ(t.frameCount));
  if (t.depthText) Text15->setText(ToQ(*t.depthText));
}

void EventDialog::LabelPosition_Click(QLabel* label) {
  // Half the movie's own stage, also while a sprite is edited.
  const ProjectSettings& s = GUICore::State().settings;
  QLineEdit* box = label == Label4 ? Text3 : label == Label5 ? Text4 : label == Label7 ? Text5 : Text6;
  const bool horizontal = label == Label4 || label == Label7;
  box->setText(ToQ(rules::TogglePosition(Text(box), horizontal ? s.width : s.height)));
}

void EventDialog::Label23_MouseDown(int y) {
  if (const auto text = rules::ParameterShortcut(Combo2->currentIndex(), y, Label23->height())) {
    Text13->setText(ToQ(*text));
  }
}

void EventDialog::Frame_Click(int image) {
  operatedImage_ = image;
  MakePictPreview(true, false);
}

void EventDialog::Option1_Click(int i) {
  operatedImage_ = i;
  MakePictPreview(true, false);
}

}  // namespace tesmiro::gui
