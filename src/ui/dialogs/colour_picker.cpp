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
  for (Channel c : {Red, Green, Blue, Alpha}) {
    const int y = 8 + c * kRowHeight;
    channelLabels[c] = new QLabel(QString::fromUtf8(titles[c]), this);
    channelLabels[c]->setObjectName(QStringLiteral("channelLabels_%1").arg(c));
    channelLabels[c]->setGeometry(8, y, 56, 22);
    channelSliders[c] = new QScrollBar(Qt::Horizontal, this);
    channelSliders[c]->setObjectName(QStringLiteral("channelSliders_%1").arg(c));
    channelSliders[c]->setRange(0, 255);
    channelSliders[c]->setPageStep(16);
    channelSliders[c]->setGeometry(66, y + 2, 150, 18);
    channelBoxes[c] = new QLineEdit(this);
    channelBoxes[c]->setObjectName(QStringLiteral("channelBoxes_%1").arg(c));
    channelBoxes[c]->setGeometry(222, y, 40, 22);
    connect(channelSliders[c], &QScrollBar::valueChanged, this, [this, c] { onChannelSliderChanged(c); });
    connect(channelBoxes[c], &QLineEdit::textChanged, this, [this, c] { onChannelBoxChanged(c); });
  }
  const int below = 8 + 4 * kRowHeight;
  colourSwatch = new QLabel(this);
  colourSwatch->setObjectName(QStringLiteral("colourSwatch"));
  colourSwatch->setAutoFillBackground(true);
  colourSwatch->setFrameShape(QFrame::Box);
  colourSwatch->setGeometry(8, below, 56, 36);
  colourSwatch->setFocusPolicy(Qt::StrongFocus);
  hexBox = new QLineEdit(this);
  hexBox->setObjectName(QStringLiteral("hexBox"));
  hexBox->setGeometry(72, below, 80, 22);
  hexBox->installEventFilter(this);
  connect(hexBox, &QLineEdit::textChanged, this, [this] { onHexChanged(); });
  paletteButton = new QPushButton(QStringLiteral(">>>"), this);
  paletteButton->setObjectName(QStringLiteral("paletteButton"));
  paletteButton->setCheckable(true);
  paletteButton->setGeometry(222, below, 40, 24);
  connect(paletteButton, &QPushButton::toggled, this, [this] { togglePalette(); });
  okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setDefault(true);
  okButton->setGeometry(102, below + 44, 76, 26);
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  cancelButton->setGeometry(186, below + 44, 76, 26);
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);

  PictColorpicker = new QLabel(this);
  PictColorpicker->setObjectName(QStringLiteral("PictColorpicker"));
  PictColorpicker->setPixmap(PalettePicture());
  PictColorpicker->setGeometry(276, 8, ColourRules::kPaletteWidth, ColourRules::kPaletteHeight);
  PictColorpicker->setCursor(Qt::CrossCursor);
  PictColorpicker->installEventFilter(this);
  widenedEdgeLabel = new QLabel(this);
  widenedEdgeLabel->setObjectName(QStringLiteral("widenedEdgeLabel"));
  // Only a mark of the wide window's right edge.
  widenedEdgeLabel->setGeometry(276 + ColourRules::kPaletteWidth + 8, 0, 0, 0);
  widenedEdgeLabel->hide();

  collapsedWidth_ = 270;
  setFixedSize(collapsedWidth_, below + 78);
  PictColorpicker->hide();
  for (Channel c : {Red, Green, Blue, Alpha}) onChannelSliderChanged(c);
}

std::optional<Rgba> ColorDialog::pick(QWidget* owner, const Rgba& start, bool withOpacity, std::optional<QPoint> at) {
  ColorDialog dialog(owner);
  dialog.setValues(start, withOpacity);
  if (at) PlaceAt(&dialog, *at);
  return ModalResult(dialog, [&dialog] { return dialog.values(); });
}

void ColorDialog::setValues(const Rgba& start, bool withOpacity) {
  const int v[] = {start.red, start.green, start.blue, withOpacity ? start.alpha : 255};
  for (Channel c : {Red, Green, Blue, Alpha}) channelBoxes[c]->setText(QString::number(v[c]));
  channelBoxes[Alpha]->setVisible(withOpacity);
  channelSliders[Alpha]->setVisible(withOpacity);
  channelLabels[Alpha]->setVisible(withOpacity);
}

Rgba ColorDialog::values() const {
  return {channelSliders[Red]->value(), channelSliders[Green]->value(), channelSliders[Blue]->value(),
          channelSliders[Alpha]->value()};
}

void ColorDialog::onChannelSliderChanged(Channel channel) {
  SetSwatch(colourSwatch,
            QColor(channelSliders[Red]->value(), channelSliders[Green]->value(), channelSliders[Blue]->value()));
  const QString value = QString::number(channelSliders[channel]->value());
  if (channelBoxes[channel]->text() != value) channelBoxes[channel]->setText(value);
  refreshHex();
}

void ColorDialog::onChannelBoxChanged(Channel channel) {
  if (auto v = ColourRules::ChannelValue(FromQ(channelBoxes[channel]->text()))) channelSliders[channel]->setValue(*v);
}

void ColorDialog::refreshHex() {
  // The box the user is typing in is left alone.
  if (typingHex_ || hexBox->hasFocus()) return;
  hexBox->setText(ToQ(ColourRules::HexText(channelSliders[Red]->value(), channelSliders[Green]->value(),
                                           channelSliders[Blue]->value())));
}

void ColorDialog::onHexChanged() {
  auto rgb = ColourRules::ParseHexText(FromQ(hexBox->text()));
  if (!rgb) return;
  typingHex_ = true;
  for (Channel c : {Red, Green, Blue}) channelSliders[c]->setValue((*rgb)[static_cast<size_t>(c)]);
  typingHex_ = false;
}

void ColorDialog::onPalettePressed(int x, int y) {
  auto colour = ColourRules::PaletteClick(x, y);
  if (!colour) return;
  channelSliders[Red]->setValue(static_cast<int>(*colour & 255));
  channelSliders[Green]->setValue(static_cast<int>((*colour >> 8) & 255));
  channelSliders[Blue]->setValue(static_cast<int>((*colour >> 16) & 255));
}

void ColorDialog::togglePalette() {
  const bool wide = paletteButton->isChecked();
  setFixedWidth(wide ? widenedEdgeLabel->x() : collapsedWidth_);
  // Beyond the narrow window's edge the palette is hidden, not just cut off.
  PictColorpicker->setVisible(wide);
  paletteButton->setText(wide ? QStringLiteral("<<<") : QStringLiteral(">>>"));
  colourSwatch->setFocus();
}

void ColorDialog::onOk() {
  channelSliders[Red]->setFocus();
  for (Channel c : {Red, Green, Blue, Alpha}) channelBoxes[c]->setText(QString::number(channelSliders[c]->value()));
  accept();
}

void ColorDialog::onCancel() { reject(); }

void ColorDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  refreshHex();
  hexBox->setFocus();
  hexBox->selectAll();
  QTimer::singleShot(0, this, [this] { KeepInsideWorkArea(this); });
}

bool ColorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PictColorpicker && event->type() == QEvent::MouseButtonPress) {
    const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
    onPalettePressed(p.x(), p.y());
    return true;
  }
  if (watched == hexBox && event->type() == QEvent::FocusOut) refreshHex();
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
