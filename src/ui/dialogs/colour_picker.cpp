#include "ui/dialogs/colour_picker.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "project/colour_picker_rules.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {
namespace {

constexpr int kRowHeight = 26;

QPixmap PalettePicture() {
  QImage image(ColourRules::kPaletteWidth, ColourRules::kPaletteHeight, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) image.setPixelColor(x, y, ToQColor(ColourRules::PaletteColourAt(x, y)));
  }
  return QPixmap::fromImage(image);
}

void SetSwatch(QWidget* swatch, const QColor& colour) {
  QPalette p = swatch->palette();
  p.setColor(QPalette::Window, colour);
  swatch->setPalette(p);
  swatch->update();
}

}  // namespace

ColorDialog::ColorDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ColorDialog"));
  setWindowTitle(QStringLiteral("カラー"));
  setFont(PanelFont(9));

  const char* titles[] = {"R", "G", "B", "不透明度"};
  for (int i = 0; i < 4; ++i) {
    const int y = 8 + i * kRowHeight;
    Label1[i] = new QLabel(QString::fromUtf8(titles[i]), this);
    Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    Label1[i]->setGeometry(8, y, 56, 22);
    HScroll1[i] = new QScrollBar(Qt::Horizontal, this);
    HScroll1[i]->setObjectName(QStringLiteral("HScroll1_%1").arg(i));
    HScroll1[i]->setRange(0, 255);
    HScroll1[i]->setPageStep(16);
    HScroll1[i]->setGeometry(66, y + 2, 150, 18);
    Text1[i] = new QLineEdit(this);
    Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    Text1[i]->setGeometry(222, y, 40, 22);
    connect(HScroll1[i], &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
    connect(Text1[i], &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
  }
  const int below = 8 + 4 * kRowHeight;
  Picture1 = new QLabel(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setAutoFillBackground(true);
  Picture1->setFrameShape(QFrame::Box);
  Picture1->setGeometry(8, below, 56, 36);
  Picture1->setFocusPolicy(Qt::StrongFocus);
  Text2 = new QLineEdit(this);
  Text2->setObjectName(QStringLiteral("Text2"));
  Text2->setGeometry(72, below, 80, 22);
  Text2->installEventFilter(this);
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
  Check1 = new QPushButton(QStringLiteral(">>>"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setCheckable(true);
  Check1->setGeometry(222, below, 40, 24);
  connect(Check1, &QPushButton::toggled, this, [this] { Check1_Click(); });
  Command1 = new QPushButton(QStringLiteral("OK"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setDefault(true);
  Command1->setGeometry(102, below + 44, 76, 26);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(186, below + 44, 76, 26);
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  RouteEscapeTo(this, Command2);

  PictColorpicker = new QLabel(this);
  PictColorpicker->setObjectName(QStringLiteral("PictColorpicker"));
  PictColorpicker->setPixmap(PalettePicture());
  PictColorpicker->setGeometry(276, 8, ColourRules::kPaletteWidth, ColourRules::kPaletteHeight);
  PictColorpicker->setCursor(Qt::CrossCursor);
  PictColorpicker->installEventFilter(this);
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  // Only a mark of the wide window's right edge.
  Label2->setGeometry(276 + ColourRules::kPaletteWidth + 8, 0, 0, 0);
  Label2->hide();

  collapsedWidth_ = 270;
  setFixedSize(collapsedWidth_, below + 78);
  PictColorpicker->hide();
  for (int i = 0; i < 4; ++i) HScroll1_Change(i);
}

std::optional<Rgba> ColorDialog::pick(QWidget* owner, const Rgba& start, bool withOpacity, std::optional<QPoint> at) {
  ColorDialog dialog(owner);
  dialog.setValues(start, withOpacity);
  if (at) PlaceAt(&dialog, *at);
  return ModalResult(dialog, [&dialog] { return dialog.values(); });
}

void ColorDialog::setValues(const Rgba& start, bool withOpacity) {
  const int v[] = {start.red, start.green, start.blue, withOpacity ? start.alpha : 255};
  for (int i = 0; i < 4; ++i) Text1[i]->setText(QString::number(v[i]));
  Text1[3]->setVisible(withOpacity);
  HScroll1[3]->setVisible(withOpacity);
  Label1[3]->setVisible(withOpacity);
}

Rgba ColorDialog::values() const {
  return {HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value(), HScroll1[3]->value()};
}

void ColorDialog::HScroll1_Change(int i) {
  SetSwatch(Picture1, QColor(HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value()));
  const QString value = QString::number(HScroll1[i]->value());
  if (Text1[i]->text() != value) Text1[i]->setText(value);
  RefreshHex();
}

void ColorDialog::Text1_Change(int i) {
  if (auto v = ColourRules::ChannelValue(FromQ(Text1[i]->text()))) HScroll1[i]->setValue(*v);
}

void ColorDialog::RefreshHex() {
  // The box the user is typing in is left alone.
  if (typingHex_ || Text2->hasFocus()) return;
  Text2->setText(ToQ(ColourRules::HexText(HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value())));
}

void ColorDialog::Text2_Change() {
  auto rgb = ColourRules::ParseHexText(FromQ(Text2->text()));
  if (!rgb) return;
  typingHex_ = true;
  for (int k = 0; k < 3; ++k) HScroll1[k]->setValue((*rgb)[static_cast<size_t>(k)]);
  typingHex_ = false;
}

void ColorDialog::PictColorpicker_MouseDown(int x, int y) {
  auto colour = ColourRules::PaletteClick(x, y);
  if (!colour) return;
  HScroll1[0]->setValue(static_cast<int>(*colour & 255));
  HScroll1[1]->setValue(static_cast<int>((*colour >> 8) & 255));
  HScroll1[2]->setValue(static_cast<int>((*colour >> 16) & 255));
}

void ColorDialog::Check1_Click() {
  const bool wide = Check1->isChecked();
  setFixedWidth(wide ? Label2->x() : collapsedWidth_);
  // Beyond the narrow window's edge the palette is hidden, not just cut off.
  PictColorpicker->setVisible(wide);
  Check1->setText(wide ? QStringLiteral("<<<") : QStringLiteral(">>>"));
  Picture1->setFocus();
}

void ColorDialog::Command1_Click() {
  HScroll1[0]->setFocus();
  for (int i = 0; i < 4; ++i) Text1[i]->setText(QString::number(HScroll1[i]->value()));
  accept();
}

void ColorDialog::Command2_Click() { reject(); }

void ColorDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  RefreshHex();
  Text2->setFocus();
  Text2->selectAll();
  QTimer::singleShot(0, this, [this] { KeepInsideWorkArea(this); });
}

bool ColorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PictColorpicker && event->type() == QEvent::MouseButtonPress) {
    const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
    PictColorpicker_MouseDown(p.x(), p.y());
    return true;
  }
  if (watched == Text2 && event->type() == QEvent::FocusOut) RefreshHex();
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
