// The colour picker: value boxes, hexadecimal box, palette, widening, and
// its typed result (nothing after Cancel or Escape).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/colour_picker.h"

namespace tesmiro::testing {
namespace {

using gui::ColorDialog;
using gui::Rgba;

class ColourPickerTest : public MainGuiTest {
 protected:
  static Rgba Bars(const ColorDialog& d) { return d.values(); }
};

TEST_F(ColourPickerTest, HexBoxAndValueBoxesMoveTheBars) {
  ColorDialog d;
  d.setValues({1, 2, 3, 4}, true);
  auto* hex = Control<QLineEdit>(d, "hexBox");
  EXPECT_EQ(Bars(d), (Rgba{1, 2, 3, 4}));
  EXPECT_EQ(hex->text(), QStringLiteral("#010203"));
  hex->setText(QStringLiteral("#00ff80"));
  EXPECT_EQ(Bars(d), (Rgba{0, 255, 128, 4}));
  hex->setText(QStringLiteral("10A0FF"));
  EXPECT_EQ(Bars(d), (Rgba{16, 160, 255, 4}));
  hex->setText(QStringLiteral("#00FF8"));  // six characters after all
  EXPECT_EQ(Bars(d), (Rgba{16, 160, 255, 4}));
  hex->setText(QStringLiteral("#1gあ0ff"));  // a pair reads as far as it is hexadecimal
  EXPECT_EQ(Bars(d), (Rgba{1, 0, 255, 4}));
  Control<QLineEdit>(d, "channelBoxes_1")->setText(QStringLiteral("999"));
  EXPECT_EQ(Control<QScrollBar>(d, "channelSliders_1")->value(), 0);
  Control<QLineEdit>(d, "channelBoxes_1")->setText(QStringLiteral("200"));
  EXPECT_EQ(Control<QScrollBar>(d, "channelSliders_1")->value(), 200);
  Control<QScrollBar>(d, "channelSliders_2")->setValue(7);
  EXPECT_EQ(Control<QLineEdit>(d, "channelBoxes_2")->text(), QStringLiteral("7"));
  EXPECT_EQ(hex->text(), QStringLiteral("#01C807"));
}

TEST_F(ColourPickerTest, TypingInTheHexBoxIsNotOverwrittenByTheBars) {
  ColorDialog d;
  d.setValues({0, 0, 0, 255}, false);
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  auto* hex = Control<QLineEdit>(d, "hexBox");
  auto* red = Control<QScrollBar>(d, "channelSliders_0");
  hex->setFocus();
  ASSERT_TRUE(hex->hasFocus());
  hex->setText(QStringLiteral("#12"));
  red->setValue(99);
  EXPECT_EQ(hex->text(), QStringLiteral("#12"));
  red->setFocus();  // leaving the box shows the bars again
  EXPECT_EQ(hex->text(), QStringLiteral("#630000"));
}

TEST_F(ColourPickerTest, PaletteClicksPickCellsAndIgnoreGridLines) {
  ColorDialog d;
  d.setValues({9, 9, 9, 40}, true);
  d.show();
  auto* palette = Control<QLabel>(d, "PictColorpicker");
  auto* widen = Control<QPushButton>(d, "paletteButton");
  EXPECT_LT(d.width(), palette->x());  // collapsed: no palette
  widen->click();
  EXPECT_EQ(d.width(), Control<QLabel>(d, "widenedEdgeLabel")->x());
  EXPECT_EQ(widen->text(), QStringLiteral("<<<"));
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(8, 5));  // a grid line
  EXPECT_EQ(Bars(d), (Rgba{9, 9, 9, 40}));
  QTest::mouseClick(palette, Qt::RightButton, {}, QPoint(5 * 8 + 3, 5));
  EXPECT_EQ(Bars(d), (Rgba{255, 255, 0, 40}));  // opacity stays
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(143, 131));
  EXPECT_EQ(Bars(d), (Rgba{0, 0, 0, 40}));
  widen->click();
  EXPECT_LT(d.width(), palette->x());
  // The palette picture is the cells' colours, black lines between them.
  const QImage picture = palette->pixmap().toImage();
  EXPECT_EQ(picture.size(), QSize(145, 133));
  EXPECT_EQ(picture.pixelColor(1, 1), QColor(255, 255, 255));
  EXPECT_EQ(picture.pixelColor(8, 1), QColor(0, 0, 0));
  EXPECT_EQ(picture.pixelColor(6 * 8 + 3, 5), QColor(204, 255, 255));
}

TEST_F(ColourPickerTest, PickReturnsTheBarsAfterOkAndNothingAfterCancelOrEscape) {
  std::vector<QString> seen;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    seen.push_back(Control<QLineEdit>(dialog, "channelBoxes_0")->text() + "," +
                   (Control<QScrollBar>(dialog, "channelSliders_3")->isHidden() ? "no opacity" : "opacity"));
    Control<QLineEdit>(dialog, "hexBox")->setText(QStringLiteral("#00ff80"));
    Control<QPushButton>(dialog, seen.size() == 1 ? "okButton" : "cancelButton")->click();
    return dialog.result();
  });
  auto picked = ColorDialog::pick(nullptr, {10, 20, 30, 77}, false, QPoint(50, 60));
  ASSERT_TRUE(picked.has_value());
  EXPECT_EQ(*picked, (Rgba{0, 255, 128, 255}));
  EXPECT_FALSE(ColorDialog::pick(nullptr, {10, 20, 30, 77}, true));
  EXPECT_EQ(seen, (std::vector<QString>{"10,no opacity", "10,opacity"}));

  ColorDialog d;
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace tesmiro::testing
