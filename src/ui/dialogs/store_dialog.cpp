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

// The colour rows of the key colour (0-2) and the text colour (3-5).
void BuildColourRows(QWidget* parent, std::array<QScrollBar*, 6>& bars, std::array<QLineEdit*, 6>& boxes, int first,
                     const char* const labels[3], int x, int y) {
  static const char* const kRgb[] = {"R", "G", "B"};
  for (int k = 0; k < 3; ++k) {
    const int i = first + k;
    const int row = y + k * 24;
    MakeLabel(parent, labels[k], QString::fromLatin1(kRgb[k]), x, row + 1, 16);
    bars[i] = new QScrollBar(Qt::Horizontal, parent);
    bars[i]->setObjectName(QStringLiteral("HScroll1_%1").arg(i));
    bars[i]->setRange(0, 255);
    bars[i]->setPageStep(16);
    bars[i]->setGeometry(x + 18, row + 2, 200, 18);
    boxes[i] = MakeEdit(parent, "", x + 224, row, 40);
    boxes[i]->setObjectName(QStringLiteral("Text21_%1").arg(i));
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

  Label3 = MakeLabel(this, "Label3", QStringLiteral("ID"), 8, 10, 26);
  Text1 = MakeEdit(this, "itemIdBox", 36, 8, 70);
  Label1 = MakeLabel(this, "Label1", QStringLiteral("ﾀｲﾌﾟ"), 120, 10, 40);
  Text3 = MakeEdit(this, "Text3", 162, 8, 110);
  Text3->setReadOnly(true);
  Text3->setFocusPolicy(Qt::NoFocus);
  SetBackground(Text3, ToQColor(SystemColor(15)));
  Label2 = MakeLabel(this, "Label2", QStringLiteral("ﾌｧｲﾙ"), 8, 38, 40);
  Text2 = MakeEdit(this, "Text2", 52, 36, 352);
  Command6 = MakeButton(this, "Command6", QStringLiteral("･･･"), 408, 35, 32);

  buildImageFrame();
  buildTextFrame();
  buildOtherFrames();

  Command1 = MakeButton(this, "Command1", QStringLiteral("&OK"), kWidth - 184, 0, 84);
  Command1->setDefault(true);
  Command2 = MakeButton(this, "Command2", QStringLiteral("キャンセル"), kWidth - 92, 0, 84);

  for (int i = 0; i < 6; ++i) {
    connect(HScroll1[i], &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
    connect(Text21[i], &QLineEdit::textChanged, this, [this, i] { Text21_Change(i); });
  }
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  RouteEscapeTo(this, Command2);

  for (GreyCheckBox* c : {Check1, Check2, Check3, Check4, Check5, Check7, Check8, Check9, Check10, Check11, Check12,
                          Check13, Check14, Check15, Check16, Check17, Check18}) {
    c->setValue(SP::kGrey);
  }
  Check6->setValue(SP::kOff);
  for (QWidget* w : std::initializer_list<QWidget*>{Check14, Frame8, Check18, Frame14}) w->hide();
  Text2->setEnabled(false);
  Command6->setEnabled(false);
  showFrame(Frame::None);
  Check1_Click();
  for (QLineEdit* box : Text21) box->setText(QStringLiteral("0"));
  paintSwatches();
}

StoreDialog::~StoreDialog() = default;

void StoreDialog::buildImageFrame() {
  Frame11 = MakeGroup(this, "Frame11", QStringLiteral("ビットマップの設定"), 8, kFramesTop, kFrameWidth, 76);
  Label29 = MakeLabel(Frame11, "Label29", QStringLiteral("オブジェクト名"), 10, 22, 92);
  Text20 = MakeEdit(Frame11, "Text20", 104, 20, 220);
  Check15 = MakeCheck(Frame11, "Check15", QStringLiteral("JPEG圧縮しない"), 10, 48, 200);

  const int top = kFramesTop + 84;
  Frame1 = MakeBox(this, "Frame1", 8, top + 10, kFrameWidth, 152);
  Check1 = MakeTitleCheck(this, "Check1", QStringLiteral("透過色を使用する"), 16, top);
  static const char* const kLabels[] = {"Label5", "Label6", "Label7"};
  BuildColourRows(Frame1, HScroll1, Text21, 0, kLabels, 10, 18);
  Picture1 = MakeSwatch(Frame1, "Picture1", 290, 18, 48, 48);
  Picture1->installEventFilter(this);
  Command3 = MakeButton(Frame1, "Command3", QStringLiteral("左上のドット"), 344, 18, 80);
  Frame3 = MakeBox(Frame1, "Frame3", 10, 104, 412, 40);
  Check4 = MakeTitleCheck(Frame1, "Check4", QStringLiteral("エッジをぼかす"), 18, 94);
  Combo3 = new QComboBox(Frame3);
  Combo3->setObjectName(QStringLiteral("Combo3"));
  for (const char* mode : SP::kSofteningModes) Combo3->addItem(QString::fromUtf8(mode));
  Combo3->setCurrentIndex(-1);
  Combo3->setGeometry(8, 12, 120, 22);
  Label15 = MakeLabel(Frame3, "Label15", QStringLiteral("ぼかし強度"), 136, 14, 80);
  Text7 = MakeEdit(Frame3, "softeningAmountBox", 220, 12, 50);

  connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Check4, &QCheckBox::stateChanged, this, [this] { Check4_Click(); });
  connect(Combo3, &QComboBox::currentIndexChanged, this, [this] { Combo3_Click(); });
  connect(Text7, &QLineEdit::textChanged, this, [this] { Text7_Change(); });
}

void StoreDialog::buildTextFrame() {
  Frame2 = MakeGroup(this, "Frame2", QStringLiteral("テキストの設定"), 8, kFramesTop, kFrameWidth, 380);
  Text4 = new QPlainTextEdit(Frame2);
  Text4->setObjectName(QStringLiteral("Text4"));
  Text4->setGeometry(10, 20, 412, 80);
  Text4->setLineWrapMode(QPlainTextEdit::NoWrap);
  Text4->installEventFilter(this);

  MakeLabel(Frame2, "Label11", QStringLiteral("フォント"), 10, 108, 50);
  Combo2 = new QComboBox(Frame2);
  Combo2->setObjectName(QStringLiteral("Combo2"));
  Combo2->setGeometry(62, 106, 200, 22);
  MakeLabel(Frame2, "Label12", QStringLiteral("サイズ"), 272, 108, 40);
  Text5 = MakeEdit(Frame2, "fontSizeBox", 314, 106, 50);
  MakeLabel(Frame2, "Label13", QStringLiteral("配置"), 10, 136, 50);
  Combo1 = new QComboBox(Frame2);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  for (const char* align : SP::kAlignments) Combo1->addItem(QString::fromUtf8(align));
  Combo1->setCurrentIndex(-1);
  Combo1->setGeometry(62, 134, 100, 22);
  MakeLabel(Frame2, "Label14", QStringLiteral("行間"), 170, 136, 32);
  Text6 = MakeEdit(Frame2, "lineSpacingBox", 204, 134, 50);
  Check2 = MakeCheck(Frame2, "Check2", QStringLiteral("太字"), 266, 134, 64);
  Check3 = MakeCheck(Frame2, "Check3", QStringLiteral("斜体"), 334, 134, 64);

  static const char* const kLabels[] = {"Label4", "Label9", "Label10"};
  BuildColourRows(Frame2, HScroll1, Text21, 3, kLabels, 10, 162);
  Picture2 = MakeSwatch(Frame2, "Picture2", 290, 162, 48, 66);
  Picture2->installEventFilter(this);

  Check5 = MakeCheck(Frame2, "Check5", QStringLiteral("自動サイズ"), 10, 238, 100);
  Label20 = MakeLabel(Frame2, "Label20", QStringLiteral("幅"), 116, 240, 18);
  Text14 = MakeEdit(Frame2, "boxWidthBox", 136, 238, 50);
  Label21 = MakeLabel(Frame2, "Label21", QStringLiteral("高さ"), 194, 240, 30);
  Text15 = MakeEdit(Frame2, "boxHeightBox", 226, 238, 50);
  Check6 = MakeCheck(Frame2, "Check6", QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), 300, 238, 100);
  Check16 = MakeCheck(Frame2, "Check16", QStringLiteral("ﾀﾞｲﾅﾐｯｸﾃｷｽﾄ"), 10, 264, 140);

  Frame7 = MakeBox(Frame2, "Frame7", 10, 292, 412, 80);
  Check7 = MakeCheck(Frame7, "Check7", QStringLiteral("テキスト入力"), 6, 4, 100);
  Check8 = MakeCheck(Frame7, "Check8", QStringLiteral("パスワード"), 108, 4, 100);
  Check9 = MakeCheck(Frame7, "Check9", QStringLiteral("複数行"), 210, 4, 96);
  Check10 = MakeCheck(Frame7, "Check10", QStringLiteral("折り返し"), 308, 4, 100);
  Check11 = MakeCheck(Frame7, "Check11", QStringLiteral("HTML"), 6, 28, 100);
  Check12 = MakeCheck(Frame7, "Check12", QStringLiteral("枠線"), 108, 28, 100);
  Check13 = MakeCheck(Frame7, "Check13", QStringLiteral("選択可能"), 210, 28, 96);
  MakeLabel(Frame7, "Label19", QStringLiteral("変数名"), 6, 54, 50);
  Text11 = MakeEdit(Frame7, "Text11", 60, 52, 220);

  Frame14 = MakeBox(Frame2, "Frame14", 10, 302, 412, 70);
  Check18 = MakeTitleCheck(Frame2, "Check18", QStringLiteral("テキストエフェクト"), 18, 292);
  Text23 = MakeEdit(Frame14, "Text23", 0, 0, 10);
  Text23->hide();
  Command9 = MakeButton(Frame14, "Command9", QStringLiteral("設定"), 8, 18, 60);
  Command9->setEnabled(TextEffects() != nullptr);
  Label30 = MakeLabel(Frame14, "Label30", QString(), 76, 14, 330, 52);
  Label30->setFont(ListFont(9));

  connect(Combo2, &QComboBox::currentIndexChanged, this, [this] { Combo2_Click(); });
  connect(Check16, &QCheckBox::stateChanged, this, [this] { Combo2_Click(); });
  connect(Check18, &QCheckBox::stateChanged, this, [this] { Combo2_Click(); });
  connect(Check5, &QCheckBox::stateChanged, this, [this] { Check5_Click(); });
  for (GreyCheckBox* c : {Check6, Check2, Check3})
    connect(c, &QCheckBox::stateChanged, this, [this] { Check6_Click(); });
  connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Check6_Click(); });
  connect(Text5, &QLineEdit::textChanged, this, [this] { Check6_Click(); });
  connect(Text23, &QLineEdit::textChanged, this, [this] { Text23_Change(); });
  connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
}

void StoreDialog::buildOtherFrames() {
  Frame9 = MakeGroup(this, "Frame9", QStringLiteral("サウンドの設定"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(Frame9, "Label26", QStringLiteral("オブジェクト名"), 10, 22, 92);
  Text17 = MakeEdit(Frame9, "Text17", 104, 20, 220);

  Frame10 = MakeGroup(this, "Frame10", QStringLiteral("ビデオの設定"), 8, kFramesTop, kFrameWidth, 106);
  Check17 = MakeCheck(Frame10, "Check17", QStringLiteral("音声を使用しない"), 10, 20, 200);
  Text18 = MakeEdit(Frame10, "startFrameBox", 10, 48, 60);
  MakeLabel(Frame10, "Label27", QStringLiteral("フレーム目から開始する"), 74, 50, 150);
  Command7 = MakeButton(Frame10, "Command7", QStringLiteral("<<"), 230, 47, 32);
  Command7->setToolTip(QStringLiteral("前のキーフレーム"));
  Command8 = MakeButton(Frame10, "Command8", QStringLiteral(">>"), 266, 47, 32);
  Command8->setToolTip(QStringLiteral("次のキーフレーム"));
  MakeLabel(Frame10, "Label28", QStringLiteral("オブジェクト名"), 10, 78, 92);
  Text19 = MakeEdit(Frame10, "Text19", 104, 76, 220);

  Frame4 = MakeGroup(this, "Frame4", QStringLiteral("スプライト"), 8, kFramesTop, kFrameWidth, 150);
  MakeLabel(Frame4, "Label16", QStringLiteral("ｽﾌﾟﾗｲﾄ名"), 10, 22, 80);
  Text8 = MakeEdit(Frame4, "Text8", 92, 20, 240);
  QGroupBox* frame5 = MakeGroup(Frame4, "Frame5", QStringLiteral("サイズ"), 10, 52, 150, 88);
  MakeLabel(frame5, "Label17", QStringLiteral("幅"), 10, 24, 36);
  Text9 = MakeEdit(frame5, "spriteWidthBox", 50, 22, 80);
  MakeLabel(frame5, "Label18", QStringLiteral("高さ"), 10, 52, 36);
  Text10 = MakeEdit(frame5, "spriteHeightBox", 50, 50, 80);
  QGroupBox* frame6 = MakeGroup(Frame4, "Frame6", QStringLiteral("基準点"), 168, 52, 254, 88);
  MakeLabel(frame6, "Label23", QStringLiteral("X："), 10, 24, 24);
  Text12 = MakeEdit(frame6, "referenceXBox", 36, 22, 70);
  MakeLabel(frame6, "Label22", QStringLiteral("Y："), 10, 52, 24);
  Text13 = MakeEdit(frame6, "referenceYBox", 36, 50, 70);
  Command4 = MakeButton(frame6, "Command4", QStringLiteral("ｽﾌﾟﾗｲﾄの中央に設定(&C)"), 112, 35, 136);

  Frame12 = MakeGroup(this, "Frame12", QStringLiteral("フォルダ"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(Frame12, "Label33", QStringLiteral("フォルダ名"), 10, 22, 92);
  Text26 = MakeEdit(Frame12, "Text26", 104, 20, 220);

  Frame13 = MakeGroup(this, "Frame13", QStringLiteral("ベクタ画像の設定"), 8, kFramesTop, kFrameWidth, 52);
  MakeLabel(Frame13, "Label8", QStringLiteral("オブジェクト名"), 10, 22, 92);
  Text22 = MakeEdit(Frame13, "Text22", 104, 20, 220);
  Frame8 = MakeBox(this, "Frame8", 8, kFramesTop + 70, kFrameWidth, 80);
  Check14 = MakeTitleCheck(this, "Check14", QStringLiteral("モーフィングする"), 16, kFramesTop + 60);
  MakeLabel(Frame8, "Label24", QStringLiteral("モーフィング終了時の画像（ファイルID）"), 10, 18, 250);
  Text16 = MakeEdit(Frame8, "morphTargetBox", 264, 16, 60);
  Command5 = MakeButton(Frame8, "Command5", QStringLiteral("正当性チェック"), 10, 46, 110);
  Label25 = MakeLabel(Frame8, "Label25", QString(), 128, 48, 290);

  connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
  connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Text16, &QLineEdit::textChanged, this, [this] { Text16_Change(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  Text16_Change();
}

// ---- filling and reading back ------------------------------------------------

void StoreDialog::load(const SP::Fields& f) {
  loading_ = true;
  loaded_ = f;
  setWindowTitle(ToQ(f.caption));
  Text1->setText(ToQ(f.itemId));
  Text1->setEnabled(f.itemIdEnabled);
  Text3->setText(ToQ(f.kindName));
  Text2->setText(ToQ(f.path));
  Text2->setEnabled(f.pathEnabled);
  Command6->setEnabled(f.browseEnabled);
  for (QWidget* w : std::initializer_list<QWidget*>{Label3, Text1}) w->setVisible(f.idVisible);
  for (QWidget* w : std::initializer_list<QWidget*>{Label2, Text2, Command6}) w->setVisible(f.pathVisible);

  Check1->setValue(f.keyColour);
  Check1->setVisible(f.keyColourVisible);
  for (int i = 0; i < 6; ++i) HScroll1[i]->setValue(f.colourSliders[static_cast<size_t>(i)]);
  for (int i = 0; i < 6; ++i) Text21[i]->setText(ToQ(f.colourBoxes[static_cast<size_t>(i)]));
  Check4->setValue(f.softenEdges);
  Combo3->setCurrentIndex(f.softeningModeIndex);
  Text7->setText(ToQ(f.softeningAmount));
  Check15->setValue(f.lossless);
  Check15->setVisible(f.losslessVisible);
  Text20->setText(ToQ(f.imageName));
  Text17->setText(ToQ(f.soundName));

  Text4->setPlainText(ToEditorText(f.text));
  Check2->setValue(f.bold);
  Check3->setValue(f.italic);
  Combo2->clear();
  for (const std::string& font : f.fonts) Combo2->addItem(ToQ(font));
  Combo2->setCurrentIndex(f.fontIndex);
  Text5->setText(ToQ(f.fontSize));
  Text6->setText(ToQ(f.lineSpacing));
  Combo1->setCurrentIndex(f.alignmentIndex);
  Check5->setValue(f.autoSize);
  Text14->setText(ToQ(f.boxWidth));
  Text15->setText(ToQ(f.boxHeight));
  Check7->setValue(f.textInput);
  Check8->setValue(f.password);
  Check9->setValue(f.multiline);
  Check10->setValue(f.wrap);
  Check11->setValue(f.html);
  Check12->setValue(f.border);
  Check13->setValue(f.selectable);
  Check16->setValue(f.dynamicText);
  Check18->setValue(f.textEffect);
  Text11->setText(ToQ(f.variableName));
  Text23->setText(ToQ(f.textEffectSettings));

  Text8->setText(ToQ(f.spriteName));
  Text9->setText(ToQ(f.spriteWidth));
  Text10->setText(ToQ(f.spriteHeight));
  Text12->setText(ToQ(f.referenceX));
  Text13->setText(ToQ(f.referenceY));
  Check14->setValue(f.morph);
  Text16->setText(ToQ(f.morphTarget));
  Text22->setText(ToQ(f.vectorName));
  Check17->setValue(f.noSound);
  Text18->setText(ToQ(f.startFrame));
  Text19->setText(ToQ(f.videoName));
  Text26->setText(ToQ(f.folderName));
  loading_ = false;

  showFrame(f.frame);
  Check14->setVisible(f.morphVisible);
  Frame8->setVisible(f.morphVisible);
  Check1_Click();
  Frame3->setVisible(Check4->value() == SP::kOn);
  Text7->setVisible(Combo3->currentIndex() >= 0);
  Label15->setVisible(Combo3->currentIndex() >= 0);
  if (auto defaults = SP::SofteningModeDefaults(Combo3->currentIndex())) Label15->setText(ToQ(defaults->label));
  setTextFrameFlags(f);
  Check5_Click();
  Check6_Click();
  Text16_Change();
  Text23_Change();
  paintSwatches();
}

SP::Fields StoreDialog::read() const {
  SP::Fields f = loaded_;
  f.itemId = Text(Text1);
  f.path = Text(Text2);
  f.keyColour = Check1->value();
  for (int i = 0; i < 6; ++i) {
    f.colourSliders[static_cast<size_t>(i)] = HScroll1[i]->value();
    f.colourBoxes[static_cast<size_t>(i)] = Text(Text21[i]);
  }
  f.softenEdges = Check4->value();
  f.softeningModeIndex = Combo3->currentIndex();
  f.softeningAmount = Text(Text7);
  f.lossless = Check15->value();
  f.imageName = Text(Text20);
  f.soundName = Text(Text17);
  // An untouched text keeps its line breaks exactly as they were stored.
  const QString typed = Text4->toPlainText();
  f.text = typed == ToEditorText(loaded_.text) ? loaded_.text : FromEditorText(typed);
  f.bold = Check2->value();
  f.italic = Check3->value();
  f.fontIndex = Combo2->currentIndex();
  f.fontSize = Text(Text5);
  f.lineSpacing = Text(Text6);
  f.alignmentIndex = Combo1->currentIndex();
  f.autoSize = Check5->value();
  f.boxWidth = Text(Text14);
  f.boxHeight = Text(Text15);
  f.textInput = Check7->value();
  f.password = Check8->value();
  f.multiline = Check9->value();
  f.wrap = Check10->value();
  f.html = Check11->value();
  f.border = Check12->value();
  f.selectable = Check13->value();
  f.dynamicText = Check16->value();
  f.textEffect = Check18->value();
  f.variableName = Text(Text11);
  f.textEffectSettings = Text(Text23);
  f.spriteName = Text(Text8);
  f.spriteWidth = Text(Text9);
  f.spriteHeight = Text(Text10);
  f.referenceX = Text(Text12);
  f.referenceY = Text(Text13);
  f.morph = Check14->value();
  f.morphTarget = Text(Text16);
  f.vectorName = Text(Text22);
  f.noSound = Check17->value();
  f.startFrame = Text(Text18);
  f.videoName = Text(Text19);
  f.folderName = Text(Text26);
  return f;
}

void StoreDialog::showFrame(Frame frame) {
  const std::pair<QWidget*, Frame> frames[] = {{Frame2, Frame::Text},   {Frame4, Frame::Sprite}, {Frame9, Frame::Sound},
                                               {Frame10, Frame::Video}, {Frame11, Frame::Image}, {Frame12, Frame::Folder},
                                               {Frame13, Frame::Vector}};
  const int top = Label2->isHidden() ? kFramesTopNoPath : kFramesTop;
  int bottom = top;
  for (const auto& [widget, kind] : frames) {
    widget->setVisible(kind == frame);
    if (kind != frame) continue;
    widget->move(widget->x(), top);
    bottom = widget->geometry().bottom() + 1;
  }
  // The key colour and morph parts hang below their kind's frame.
  if (frame == Frame::Image) bottom = Frame1->geometry().bottom() + 1;
  if (frame == Frame::Vector) bottom = Frame8->geometry().bottom() + 1;
  const int buttons = bottom + 10;
  Command1->move(Command1->x(), buttons);
  Command2->move(Command2->x(), buttons);
  setFixedSize(kWidth, buttons + 34);
}

void StoreDialog::setTextFrameFlags(const SP::Fields& f) {
  if (f.frame != Frame::Text) return;
  const bool was = loading_;
  loading_ = true;
  Check5->setValue(f.autoSize);
  Check18->setValue(f.textEffect);
  loading_ = was;
  Check16->setVisible(f.dynamicTextVisible);
  Frame7->setVisible(f.inputOptionsVisible);
  Check5->setVisible(f.autoSizeVisible);
  Text14->setEnabled(f.boxSizeEnabled);
  Text15->setEnabled(f.boxSizeEnabled);
  Check18->setVisible(f.textEffectVisible);
  Frame14->setVisible(f.textEffectPanelVisible);
}

// ---- closing -------------------------------------------------------------------

void StoreDialog::Command1_Click() {
  if (auto problem = SP::CheckNumbers(read())) {
    ui::Current().messages->message(FromQ(windowTitle()), problem->message, ui::Icon::Exclamation);
    if (auto* box = findChild<QWidget*>(ToQ(problem->box))) {
      box->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
    }
    return;
  }
  SaveDialogPosition();
  ok_ = true;
  accept();
}

void StoreDialog::Command2_Click() { reject(); }

void StoreDialog::reject() {
  // Escape, Cancel and the window's close button all end here.
  SaveDialogPosition();
  QDialog::reject();
}

void StoreDialog::SaveDialogPosition() {
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
    if (watched == Picture1) Picture1_Click();
    if (watched == Picture2) Picture2_Click();
  }
  // Enter makes a new line in the text, not OK.
  if (watched == Text4 && event->type() == QEvent::FocusIn) Command1->setDefault(false);
  if (watched == Text4 && event->type() == QEvent::FocusOut) Command1->setDefault(true);
  return QDialog::eventFilter(watched, event);
}

// ---- colours --------------------------------------------------------------------

void StoreDialog::HScroll1_Change(int i) {
  // The box keeps what the user is typing while it says the same value.
  const int value = HScroll1[i]->value();
  if (!loading_ && ColourRules::ChannelValue(Text(Text21[i])) != value) Text21[i]->setText(QString::number(value));
  paintSwatches();
}

void StoreDialog::paintSwatches() {
  SetBackground(Picture1, QColor(HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value()));
  SetBackground(Picture2, QColor(HScroll1[3]->value(), HScroll1[4]->value(), HScroll1[5]->value()));
}

void StoreDialog::Text21_Change(int i) {
  if (loading_) return;
  if (auto v = ColourRules::ChannelValue(Text(Text21[i]))) HScroll1[i]->setValue(*v);
}

void StoreDialog::Picture1_Click() { pickColour(0); }
void StoreDialog::Picture2_Click() { pickColour(3); }

void StoreDialog::pickColour(int first) {
  const Rgba start{HScroll1[first]->value(), HScroll1[first + 1]->value(), HScroll1[first + 2]->value(), 255};
  auto chosen = ColorDialog::pick(this, start, false, Desktop().placement->cursorPos());
  if (!chosen) return;
  const int values[] = {chosen->red, chosen->green, chosen->blue};
  for (int k = 0; k < 3; ++k) {
    HScroll1[first + k]->setValue(values[k]);
    // A colour picked for several items counts even where a slider kept
    // its value (its box may have been empty).
    Text21[first + k]->setText(QString::number(values[k]));
  }
}

void StoreDialog::Command3_Click() {
  // A file that cannot be read as a picture leaves the key colour alone.
  auto colour = GUICore::TopLeftColour(Text(Text2));
  if (!colour) return;
  for (int k = 0; k < 3; ++k) {
    const int value = static_cast<int>((*colour >> (8 * k)) & 255);
    HScroll1[k]->setValue(value);
    Text21[k]->setText(QString::number(value));
  }
}

void StoreDialog::Check1_Click() { Frame1->setVisible(!Check1->isHidden() && Check1->value() == SP::kOn); }

// ---- edge softening ----------------------------------------------------------------

void StoreDialog::Check4_Click() {
  if (loading_) return;
  const bool on = Check4->value() == SP::kOn;
  Frame3->setVisible(on);
  if (on && num::Val(Text(Text7)) == 0) Text7->setText(QStringLiteral("1"));
}

void StoreDialog::Combo3_Click() {
  if (loading_) return;
  auto defaults = SP::SofteningModeDefaults(Combo3->currentIndex());
  Text7->setVisible(defaults.has_value());
  Label15->setVisible(defaults.has_value());
  if (!defaults) return;
  Label15->setText(ToQ(defaults->label));
  Text7->setText(ToQ(defaults->amount));
}

void StoreDialog::Text7_Change() {
  if (loading_) return;
  if (auto clamped = SP::ClampSoftening(Text(Text7))) Text7->setText(ToQ(*clamped));
}

// ---- vector, browse, video, sprite ---------------------------------------------------

void StoreDialog::Text16_Change() { Command5->setEnabled(num::Val(Text(Text16)) > 0); }

void StoreDialog::Command5_Click() {
  Label25->setText(ToQ(GUICore::MorphCheckVerdict(Whole(Text1), Whole(Text16))));
}

void StoreDialog::Command6_Click() {
  DialogModule::FileDialogRecord record;
  record.filter = SP::BrowseFilter(Text(Text3), GUICore::GetSWFVersion());
  const std::string path = Text(Text2);
  const std::string projectFolder = GUICore::GetFolderPart(GUICore::State().projectPath);
  if (auto found = PathModule::LocateFile(path, projectFolder)) {
    record.initialDir = GUICore::GetFolderPart(*found);
  } else {
    record.initialDir = path.empty() ? projectFolder : GUICore::GetFolderPart(path);
  }
  if (DialogModule::OpenFileDialog(record) != 0 && !record.file.empty()) Text2->setText(ToQ(record.file));
}

void StoreDialog::Command7_Click() {
  Text18->setText(QString::number(GUICore::FindKeyFrame(Text(Text2), Whole(Text18), -1)));
}

void StoreDialog::Command8_Click() {
  Text18->setText(QString::number(GUICore::FindKeyFrame(Text(Text2), Whole(Text18), 1)));
}

void StoreDialog::Command4_Click() {
  const auto [x, y] = SP::SpriteCentre(Text(Text9), Text(Text10));
  Text12->setText(ToQ(x));
  Text13->setText(ToQ(y));
}

// ---- text ----------------------------------------------------------------------------

void StoreDialog::Combo2_Click() {
  if (loading_ || fontRuleRunning_) return;
  fontRuleRunning_ = true;
  SP::Fields f = read();
  SP::ApplyFontRule(f);
  setTextFrameFlags(f);
  fontRuleRunning_ = false;
  Check5_Click();
  Check6_Click();
}

void StoreDialog::Check5_Click() {
  const bool visible = Check5->value() != SP::kOn;
  for (QWidget* w : std::initializer_list<QWidget*>{Text14, Text15, Label20, Label21}) w->setVisible(visible);
}

void StoreDialog::Check6_Click() {
  if (loading_) return;
  QFont font = PanelFont(9);
  Qt::Alignment align = Qt::AlignLeft;
  if (Check6->value() == SP::kOn) {
    bool japanese = false;
    const std::string family = text::FamilyForName(FromQ(Combo2->currentText()), japanese);
    font.setFamilies({ToQ(family)});
    font.setPointSizeF(std::clamp(num::Val(Text(Text5)), 1.0, 200.0));
    font.setBold(Check2->value() == SP::kOn);
    font.setItalic(Check3->value() == SP::kOn);
    if (Combo1->currentIndex() == 1) align = Qt::AlignRight;
    if (Combo1->currentIndex() == 2) align = Qt::AlignHCenter;
  }
  Text4->setFont(font);
  QTextOption option = Text4->document()->defaultTextOption();
  option.setAlignment(align);
  Text4->document()->setDefaultTextOption(option);
}

void StoreDialog::Text23_Change() { Label30->setText(ToQ(GUICore::TextEffectSummary(Text(Text23)))); }

void StoreDialog::Command9_Click() {
  TextEffectEditor* editor = TextEffects();
  if (!editor) return;
  // The item as the dialog shows it, so that a preview built from the store
  // sees the current text, font and style.
  StoreItem item = NewStoreItem(StoreItemKind::Text);
  item.id = Whole(Text1);
  item.name = read().text;
  item.flags = static_cast<int16_t>((Check2->value() == SP::kOn ? 1 : 0) | (Check3->value() == SP::kOn ? 2 : 0) |
                                    (std::max(0, Combo1->currentIndex()) << 2) | 0x2000);
  item.param = 0;
  item.font = FromQ(Combo2->currentText());
  item.size = static_cast<float>(num::Val(Text(Text5)));
  item.lineSpacing = static_cast<float>(num::Val(Text(Text6)));

  const GUICore::ScopedStoreItemSwap swap(item);
  auto settings = editor->edit(this, item, Text(Text23));
  if (settings && !settings->empty()) Text23->setText(ToQ(*settings));
}

}  // namespace tesmiro::gui
