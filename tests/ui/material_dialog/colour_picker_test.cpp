// The colour picker: value boxes, hexadecimal box, palette, widening, and
// its typed result (nothing after Cancel or Escape).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

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
  EXPECT_EQ(Bars(d), (Rgba{1, 2, 3, 4}));
  EXPECT_EQ(d.Text2->text(), QStringLiteral("#010203"));
  d.Text2->setText(QStringLiteral("#00ff80"));
  EXPECT_EQ(Bars(d), (Rgba{0, 255, 128, 4}));
  d.Text2->setText(QStringLiteral("10A0FF"));
  EXPECT_EQ(Bars(d), (Rgba{16, 160, 255, 4}));
  d.Text2->setText(QStringLiteral("#00FF8"));  // six characters after all
  EXPECT_EQ(Bars(d), (Rgba{16, 160, 255, 4}));
  d.Text2->setText(QStringLiteral("#1gあ0ff"));  // a pair reads as far as it is hexadecimal
  EXPECT_EQ(Bars(d), (Rgba{1, 0, 255, 4}));
  d.Text1[1]->setText(QStringLiteral("999"));
  EXPECT_EQ(d.HScroll1[1]->value(), 0);
  d.Text1[1]->setText(QStringLiteral("200"));
  EXPECT_EQ(d.HScroll1[1]->value(), 200);
  d.HScroll1[2]->setValue(7);
  EXPECT_EQ(d.Text1[2]->text(), QStringLiteral("7"));
  EXPECT_EQ(d.Text2->text(), QStringLiteral("#01C807"));
}

TEST_F(ColourPickerTest, TypingInTheHexBoxIsNotOverwrittenByTheBars) {
  ColorDialog d;
  d.setValues({0, 0, 0, 255}, false);
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  d.Text2->setFocus();
  ASSERT_TRUE(d.Text2->hasFocus());
  d.Text2->setText(QStringLiteral("#12"));
  d.HScroll1[0]->setValue(99);
  EXPECT_EQ(d.Text2->text(), QStringLiteral("#12"));
  d.HScroll1[0]->setFocus();  // leaving the box shows the bars again
  EXPECT_EQ(d.Text2->text(), QStringLiteral("#630000"));
}

TEST_F(ColourPickerTest, PaletteClicksPickCellsAndIgnoreGridLines) {
  ColorDialog d;
  d.setValues({9, 9, 9, 40}, true);
  d.show();
  EXPECT_LT(d.width(), d.PictColorpicker->x());  // collapsed: no palette
  d.Check1->click();
  EXPECT_EQ(d.width(), d.Label2->x());
  EXPECT_EQ(d.Check1->text(), QStringLiteral("<<<"));
  QTest::mouseClick(d.PictColorpicker, Qt::LeftButton, {}, QPoint(8, 5));  // a grid line
  EXPECT_EQ(Bars(d), (Rgba{9, 9, 9, 40}));
  QTest::mouseClick(d.PictColorpicker, Qt::RightButton, {}, QPoint(5 * 8 + 3, 5));
  EXPECT_EQ(Bars(d), (Rgba{255, 255, 0, 40}));  // opacity stays
  QTest::mouseClick(d.PictColorpicker, Qt::LeftButton, {}, QPoint(143, 131));
  EXPECT_EQ(Bars(d), (Rgba{0, 0, 0, 40}));
  d.Check1->click();
  EXPECT_LT(d.width(), d.PictColorpicker->x());
  // The palette picture is the cells' colours, black lines between them.
  const QImage palette = d.PictColorpicker->pixmap().toImage();
  EXPECT_EQ(palette.size(), QSize(145, 133));
  EXPECT_EQ(palette.pixelColor(1, 1), QColor(255, 255, 255));
  EXPECT_EQ(palette.pixelColor(8, 1), QColor(0, 0, 0));
  EXPECT_EQ(palette.pixelColor(6 * 8 + 3, 5), QColor(204, 255, 255));
}

TEST_F(ColourPickerTest, PickReturnsTheBarsAfterOkAndNothingAfterCancelOrEscape) {
  std::vector<QString> seen;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto& d = static_cast<ColorDialog&>(dialog);
    seen.push_back(d.Text1[0]->text() + "," + (d.HScroll1[3]->isHidden() ? "no opacity" : "opacity"));
    d.Text2->setText(QStringLiteral("#00ff80"));
    (seen.size() == 1 ? d.Command1 : d.Command2)->click();
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
