#include "ui/dialogs/filter_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "project/gui_core.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"

namespace tesmiro::gui {
namespace {

namespace GC = GUICore;

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QLabel* Caption(const QString& name, const QString& text, QWidget* parent, int x, int y, int w) {
  auto* label = Named(new QLabel(text, parent), name);
  label->setGeometry(x, y, w, 20);
  return label;
}

QLineEdit* Box(const QString& name, QWidget* parent, int x, int y, int w) {
  auto* box = Named(new QLineEdit(parent), name);
  box->setGeometry(x, y, w, 22);
  return box;
}

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

void SetSwatch(QLabel* swatch, uint32_t colour) {
  QPalette p = swatch->palette();
  p.setColor(QPalette::Window, ToQColor(colour));
  swatch->setPalette(p);
}

std::string Text(const QLineEdit* box) { return FromQ(box->text()); }

}  // namespace

FilterDialog::FilterDialog(const FilterState& edited, int32_t swfVersion, QWidget* owner)
    : QDialog(owner), editor_(edited, swfVersion) {
  setObjectName(QStringLiteral("FilterDialog"));
  setWindowTitle(ToQ(GC::kFilterDialogCaption));
  setFont(PanelFont(9));
  pickColour = [](QWidget* parent, std::array<int, 4> rgba, QPoint at) -> std::optional<std::array<int, 4>> {
    const auto chosen = ColorDialog::pick(parent, Rgba{rgba[0], rgba[1], rgba[2], rgba[3]}, true, at);
    if (!chosen) return std::nullopt;
    return std::array<int, 4>{chosen->red, chosen->green, chosen->blue, chosen->alpha};
  };
  createControls();
  result_ = editor_.cancel();

  filling_ = true;
  setChecks(editor_.initialChecks());
  List1->setCurrentRow(0);
  filling_ = false;
  List1_Click();
}

void FilterDialog::createControls() {
  List1 = Named(new QListWidget(this), QStringLiteral("List1"));
  List1->setGeometry(8, 8, 150, 140);
  for (const std::string& name : GC::FilterPageNames()) {
    auto* item = new QListWidgetItem(ToQ(name), List1);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
  connect(List1, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { List1_ItemCheck(List1->row(item)); });

  const QRect page(166, 8, 350, 250);

  // Colour transform.
  Frame1 = Named(new QGroupBox(QStringLiteral("カラーの変化"), this), QStringLiteral("Frame1"));
  Frame1->setGeometry(page);
  const char* rowTitles[] = {"R= (", "G= (", "B= (", "ｱﾙﾌｧ= ("};
  const char* times[] = {"×R) +", "×G) +", "×B) +", "×A) +"};
  const char* channels[] = {"R", "G", "B", "A"};
  for (int i = 0; i < 4; ++i) {
    const int y = 24 + 30 * i;
    Label11[static_cast<size_t>(i)] = Caption(Indexed("Label11", i), QString::fromLatin1(channels[i]), Frame1, 10, y, 16);
    Label1[static_cast<size_t>(i)] = Caption(Indexed("Label1", i), QString::fromUtf8(rowTitles[i]), Frame1, 30, y, 60);
    Text1[static_cast<size_t>(i)] = Box(Indexed("Text1", i), Frame1, 92, y, 64);
    Label1[static_cast<size_t>(4 + i)] = Caption(Indexed("Label1", 4 + i), QString::fromUtf8(times[i]), Frame1, 160, y, 50);
    Text2[static_cast<size_t>(i)] = Box(Indexed("Text2", i), Frame1, 212, y, 64);
    connect(Text1[static_cast<size_t>(i)], &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text2[static_cast<size_t>(i)], &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  }
  PictColorbar = Named(new QLabel(Frame1), QStringLiteral("PictColorbar"));
  PictColorbar->setGeometry(10, 150, GC::kPreviewBarWidth, 17);

  // The four bitmap filters share one page.
  Frame2 = Named(new QGroupBox(this), QStringLiteral("Frame2"));
  Frame2->setGeometry(page);
  for (int row = 0; row < 2; ++row) {
    const int y = 22 + 26 * row;
    const auto r = static_cast<size_t>(row);
    Label2[r] = Caption(Indexed("Label2", row), QString(), Frame2, 10, y, 80);
    Picture1[r] = Named(new QLabel(Frame2), Indexed("Picture1", row));
    Picture1[r]->setGeometry(92, y + 2, 32, 16);
    Picture1[r]->setFrameShape(QFrame::Box);
    Picture1[r]->setAutoFillBackground(true);
    Label2[r + 2] = Caption(Indexed("Label2", row + 2), QStringLiteral("不透明度："), Frame2, 132, y, 70);
    Label3[r] = Caption(Indexed("Label3", row), QString(), Frame2, 204, y, 36);
    Command1[r] = Named(new QPushButton(QStringLiteral("・・・"), Frame2), Indexed("Command1", row));
    Command1[r]->setGeometry(246, y, 40, 22);
    connect(Command1[r], &QPushButton::clicked, this, [this, row] { Command1_Click(row); });
  }
  Label4 = Caption(QStringLiteral("Label4"), QStringLiteral("ぼかし"), Frame2, 10, 80, 50);
  Label5 = Caption(QStringLiteral("Label5"), QStringLiteral("X："), Frame2, 62, 80, 24);
  Text3 = Box(QStringLiteral("Text3"), Frame2, 86, 80, 56);
  Label6 = Caption(QStringLiteral("Label6"), QStringLiteral("Y："), Frame2, 150, 80, 24);
  Text4 = Box(QStringLiteral("Text4"), Frame2, 174, 80, 56);
  Label7 = Caption(QStringLiteral("Label7"), QStringLiteral("角度"), Frame2, 10, 108, 50);
  Text5 = Box(QStringLiteral("Text5"), Frame2, 62, 108, 56);
  Label8 = Caption(QStringLiteral("Label8"), QStringLiteral("距離"), Frame2, 150, 108, 40);
  Text6 = Box(QStringLiteral("Text6"), Frame2, 194, 108, 56);
  Label9 = Caption(QStringLiteral("Label9"), QStringLiteral("品質"), Frame2, 10, 136, 50);
  Text7 = Box(QStringLiteral("Text7"), Frame2, 62, 136, 56);
  Label10 = Caption(QStringLiteral("Label10"), QStringLiteral("強さ"), Frame2, 150, 136, 40);
  Text8 = Box(QStringLiteral("Text8"), Frame2, 194, 136, 56);
  Check1 = Named(new QCheckBox(QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ非表示"), Frame2), QStringLiteral("Check1"));
  Check1->setGeometry(10, 166, 150, 20);
  Check2 = Named(new QCheckBox(QStringLiteral("ノックアウト効果"), Frame2), QStringLiteral("Check2"));
  Check2->setGeometry(170, 166, 150, 20);
  const char* modes[] = {"外側", "内側", "両方"};
  for (int i = 0; i < 3; ++i) {
    Option1[static_cast<size_t>(i)] = Named(new QRadioButton(QString::fromUtf8(modes[i]), Frame2), Indexed("Option1", i));
    Option1[static_cast<size_t>(i)]->setGeometry(10 + 80 * i, 194, 76, 20);
  }

  // Colour matrix.
  Frame3 = Named(new QGroupBox(QStringLiteral("カラーマトリクス"), this), QStringLiteral("Frame3"));
  Frame3->setGeometry(page);
  const char* heads[] = {"R", "G", "B", "Alpha", "加算値"};
  for (int k = 0; k < 5; ++k)
    Label12[static_cast<size_t>(k)] = Caption(Indexed("Label12", k), QString::fromUtf8(heads[k]), Frame3, 30 + 62 * k, 18, 58);
  const char* rows[] = {"R", "G", "B", "A"};
  for (int r = 0; r < 4; ++r) {
    Caption(QString(), QString::fromLatin1(rows[r]), Frame3, 10, 40 + 28 * r, 16);
    for (int k = 0; k < 5; ++k) {
      const int i = 5 * r + k;
      Text9[static_cast<size_t>(i)] = Box(Indexed("Text9", i), Frame3, 30 + 62 * k, 40 + 28 * r, 58);
      connect(Text9[static_cast<size_t>(i)], &QLineEdit::textChanged, this, [this] { Text9_Change(); });
    }
  }
  Command4 = Named(new QPushButton(QStringLiteral("ﾌﾟﾘｾｯﾄ"), Frame3), QStringLiteral("Command4"));
  Command4->setGeometry(30, 160, 80, 24);
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  PictColorbar2 = Named(new QLabel(Frame3), QStringLiteral("PictColorbar2"));
  PictColorbar2->setGeometry(30, 196, GC::kPreviewBarWidth, 17);
  PictColorbar2->setFocusPolicy(Qt::ClickFocus);
  mnuColormatrix = Named(new QMenu(QStringLiteral("カラーマトリクス"), this), QStringLiteral("mnuColormatrix"));
  mnuColorNormal = mnuColormatrix->addAction(QStringLiteral("&1 ノーマル"));
  mnuColorNormal->setObjectName(QStringLiteral("mnuColorNormal"));
  mnuColorMono = mnuColormatrix->addAction(QStringLiteral("&2 モノクロ"));
  mnuColorMono->setObjectName(QStringLiteral("mnuColorMono"));
  mnuColorSepia = mnuColormatrix->addAction(QStringLiteral("&3 セピア"));
  mnuColorSepia->setObjectName(QStringLiteral("mnuColorSepia"));

  Label13 = Caption(QStringLiteral("Label13"), QString(), this, 8, 266, 508);
  Command2 = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("Command2"));
  Command3 = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("Command3"));
  Command2->setGeometry(348, 294, 80, 26);
  Command3->setGeometry(436, 294, 80, 26);
  Command2->setDefault(true);
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  RouteEscapeTo(this, Command3);
  setFixedSize(524, 328);
}

std::optional<FilterState> FilterDialog::edit(QWidget* owner, const FilterState& edited, QPoint at) {
  FilterDialog dialog(edited, GC::GetSWFVersion(), owner);
  PlaceAt(&dialog, at);
  ExecModal(dialog);
  if (!dialog.accepted()) return std::nullopt;
  return dialog.result();
}

GC::FilterPageFields FilterDialog::pageFields() const {
  GC::FilterPageFields f;
  for (size_t i = 0; i < 4; ++i) {
    f.multipliers[i] = Text(Text1[i]);
    f.offsets[i] = Text(Text2[i]);
  }
  f.blurX = Text(Text3);
  f.blurY = Text(Text4);
  f.angle = Text(Text5);
  f.distance = Text(Text6);
  f.quality = Text(Text7);
  f.strength = Text(Text8);
  f.hideObject = Check1->isChecked() ? 1 : 0;
  f.knockout = Check2->isChecked() ? 1 : 0;
  f.mode = -1;
  for (int i = 0; i < 3; ++i)
    if (Option1[static_cast<size_t>(i)]->isChecked()) f.mode = i;
  for (size_t i = 0; i < 20; ++i) f.matrix[i] = Text(Text9[i]);
  return f;
}

std::array<bool, GC::kFilterPageCount> FilterDialog::checks() const {
  std::array<bool, GC::kFilterPageCount> c{};
  for (int i = 0; i < GC::kFilterPageCount; ++i) c[static_cast<size_t>(i)] = List1->item(i)->checkState() == Qt::Checked;
  return c;
}

void FilterDialog::setChecks(const std::array<bool, GC::kFilterPageCount>& c) {
  const QSignalBlocker block(List1);
  for (int i = 0; i < GC::kFilterPageCount; ++i)
    List1->item(i)->setCheckState(c[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
}

void FilterDialog::List1_Click() {
  if (filling_) return;
  std::array<bool, GC::kFilterPageCount> c = checks();
  GC::FilterPageFields fill;
  const GC::FilterPageLayout layout = editor_.showPage(std::max(0, List1->currentRow()), pageFields(), c, fill);
  setChecks(c);
  showLayout(layout, fill);
}

void FilterDialog::List1_ItemCheck(int item) {
  if (filling_ || item < 0) return;
  // A check mark set on another item shows that item's page, so that a
  // filter the movie cannot show is refused wherever it was ticked.
  if (List1->currentRow() != item) {
    const QSignalBlocker block(List1);
    List1->setCurrentRow(item);
  }
  List1_Click();
}

void FilterDialog::showLayout(const GC::FilterPageLayout& layout, const GC::FilterPageFields& fill) {
  filling_ = true;
  for (QGroupBox* frame : {Frame1, Frame2, Frame3}) {
    frame->hide();
    frame->setEnabled(false);
  }
  Label13->setText(ToQ(layout.note));
  QGroupBox* shown = nullptr;
  if (layout.page == GC::kPageColorTransform) {
    shown = Frame1;
    for (size_t i = 0; i < 4; ++i) {
      Text1[i]->setText(ToQ(fill.multipliers[i]));
      Text2[i]->setText(ToQ(fill.offsets[i]));
    }
  } else if (layout.page == GC::kPageColorMatrix) {
    shown = Frame3;
    setMatrixTexts(fill.matrix);
  } else {
    shown = Frame2;
    Frame2->setTitle(ToQ(layout.caption));
    for (size_t row = 0; row < 2; ++row) {
      for (QWidget* w : {static_cast<QWidget*>(Label2[row]), static_cast<QWidget*>(Picture1[row]),
                         static_cast<QWidget*>(Label2[row + 2]), static_cast<QWidget*>(Label3[row]),
                         static_cast<QWidget*>(Command1[row])})
        w->setVisible(layout.colorShown[row]);
      Label2[row]->setText(ToQ(layout.colorCaption[row]));
      SetSwatch(Picture1[row], layout.swatch[row]);
      Label3[row]->setText(ToQ(layout.opacity[row]));
    }
    Label7->setVisible(layout.angleShown);
    Text5->setVisible(layout.angleShown);
    Label8->setVisible(layout.distanceShown);
    Text6->setVisible(layout.distanceShown);
    Label10->setVisible(layout.strengthShown);
    Text8->setVisible(layout.strengthShown);
    Check1->setVisible(layout.switchesShown);
    Check2->setVisible(layout.switchesShown);
    for (size_t i = 0; i < 3; ++i) Option1[i]->setVisible(layout.modeShown[i]);
    Text3->setText(ToQ(fill.blurX));
    Text4->setText(ToQ(fill.blurY));
    Text5->setText(ToQ(fill.angle));
    Text6->setText(ToQ(fill.distance));
    Text7->setText(ToQ(fill.quality));
    Text8->setText(ToQ(fill.strength));
    Check1->setChecked(fill.hideObject == 1);
    Check2->setChecked(fill.knockout == 1);
    // Radio buttons of one group: clearing them all needs the group off.
    for (QRadioButton* o : Option1) o->setAutoExclusive(false);
    for (size_t i = 0; i < 3; ++i) Option1[i]->setChecked(static_cast<int32_t>(i) == fill.mode);
    for (QRadioButton* o : Option1) o->setAutoExclusive(true);
  }
  shown->show();
  shown->setEnabled(layout.enabled);
  filling_ = false;
  if (shown == Frame1) Text1_Change();
  if (shown == Frame3) Text9_Change();
}

void FilterDialog::setMatrixTexts(const std::array<std::string, 20>& texts) {
  const bool wasFilling = filling_;
  filling_ = true;
  for (size_t i = 0; i < 20; ++i) Text9[i]->setText(ToQ(texts[i]));
  filling_ = wasFilling;
}

void FilterDialog::Command1_Click(int index) {
  if (!pickColour) return;
  const std::array<int32_t, 4> start = editor_.colorForPicker(index);
  const auto chosen = pickColour(this, {start[0], start[1], start[2], start[3]}, Desktop().placement->cursorPos());
  if (!chosen) return;
  if (editor_.setColor(index, (*chosen)[0], (*chosen)[1], (*chosen)[2], (*chosen)[3])) List1_Click();
}

void FilterDialog::Command2_Click() {
  result_ = editor_.ok(pageFields(), checks());
  accepted_ = true;
  accept();
}

void FilterDialog::Command3_Click() {
  result_ = editor_.cancel();
  accepted_ = false;
  reject();
}

void FilterDialog::Command4_Click() {
  QAction* chosen = Desktop().popups->exec(mnuColormatrix, Command4->mapToGlobal(QPoint(0, Command4->height())), nullptr);
  if (chosen == mnuColorNormal) mnuColorNormal_Click();
  else if (chosen == mnuColorMono) mnuColorMono_Click();
  else if (chosen == mnuColorSepia) mnuColorSepia_Click();
  PictColorbar2->setFocus();
}

void FilterDialog::mnuColorNormal_Click() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Normal, pageFields().matrix));
  Text9_Change();
}

void FilterDialog::mnuColorMono_Click() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Mono, pageFields().matrix));
  Text9_Change();
}

void FilterDialog::mnuColorSepia_Click() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Sepia, pageFields().matrix));
  Text9_Change();
}

void FilterDialog::Text1_Change() {
  if (filling_) return;
  const GC::FilterPageFields f = pageFields();
  drawBar(PictColorbar, GC::ColorTransformBar(f.multipliers, f.offsets));
}

void FilterDialog::Text9_Change() {
  if (filling_) return;
  drawBar(PictColorbar2, GC::ColorMatrixBar(pageFields().matrix));
}

void FilterDialog::drawBar(QLabel* bar, const std::array<uint32_t, GC::kPreviewBarWidth>& mapped) {
  // Rows 0 to 7 the ramp itself, rows 8 to 16 the ramp as the page maps it.
  QImage image(GC::kPreviewBarWidth, 17, QImage::Format_RGB32);
  for (int x = 0; x < GC::kPreviewBarWidth; ++x) {
    const QRgb source = ToQColor(GC::PreviewRampColor(x)).rgb();
    const QRgb target = ToQColor(mapped[static_cast<size_t>(x)]).rgb();
    for (int y = 0; y < 17; ++y) image.setPixel(x, y, y < 8 ? source : target);
  }
  bar->setPixmap(QPixmap::fromImage(image));
}

}  // namespace tesmiro::gui
