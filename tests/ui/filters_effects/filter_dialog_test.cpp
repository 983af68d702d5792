// The filter dialog: pages keep their edits, Cancel discards them, the
// presets write their exact texts, filters the movie cannot show are
// refused, colours come from the picker.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "project/model.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/filter_dialog.h"

namespace tesmiro::testing {
namespace {

using gui::FilterDialog;

class FilterDialogTest : public MainGuiTest {
 protected:
  static bool Shown(QWidget* w, FilterDialog& d) { return w->isVisibleTo(&d); }
  static void Check(FilterDialog& d, int item, bool on) {
    d.List1->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  // Runs `edit` on the dialog in place of its modal loop, then closes it
  // with the button.
  static std::optional<FilterState> EditModal(const FilterState& state, std::function<void(FilterDialog&)> edit,
                                              bool ok) {
    gui::ScopedModalRunner runner([&](QDialog& dialog) {
      auto* d = qobject_cast<FilterDialog*>(&dialog);
      EXPECT_NE(d, nullptr);
      if (!d) return int(QDialog::Rejected);
      edit(*d);
      (ok ? d->Command2 : d->Command3)->click();
      return dialog.result();
    });
    return FilterDialog::edit(nullptr, state, QPoint(40, 50));
  }
};

TEST_F(FilterDialogTest, PageEditsSurviveSwitchingAndCancelDiscardsThem) {
  FilterDialog d(FilterState{}, 8);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("イベントの詳細設定"));
  ASSERT_TRUE(Shown(d.Frame1, d));
  EXPECT_FALSE(Shown(d.Frame2, d));
  EXPECT_EQ(d.Text1[0]->text(), QStringLiteral("1"));  // never edited: the defaults
  EXPECT_FALSE(d.Frame1->isEnabled());                  // its filter is off

  d.Text1[0]->setText(QStringLiteral("2"));
  Check(d, 0, true);
  EXPECT_TRUE(d.Frame1->isEnabled());
  EXPECT_EQ(d.Label13->text(), QStringLiteral("輝度・不透明度の設定は無視されます"));

  d.List1->setCurrentRow(2);
  ASSERT_TRUE(Shown(d.Frame2, d));
  EXPECT_FALSE(Shown(d.Frame1, d));
  EXPECT_EQ(d.Frame2->title(), QStringLiteral("ブラー"));
  EXPECT_EQ(d.Text3->text(), QStringLiteral("4"));
  // The blur page shows blur X, blur Y and quality alone.
  EXPECT_TRUE(Shown(d.Text3, d) && Shown(d.Text4, d) && Shown(d.Text7, d));
  for (QWidget* w : {static_cast<QWidget*>(d.Text5), static_cast<QWidget*>(d.Text6),
                     static_cast<QWidget*>(d.Text8), static_cast<QWidget*>(d.Check1),
                     static_cast<QWidget*>(d.Picture1[0]), static_cast<QWidget*>(d.Option1[0])})
    EXPECT_FALSE(Shown(w, d)) << w->objectName().toStdString();
  d.Text3->setText(QStringLiteral("9"));

  d.List1->setCurrentRow(0);
  EXPECT_EQ(d.Text1[0]->text(), QStringLiteral("2"));
  d.List1->setCurrentRow(2);
  EXPECT_EQ(d.Text3->text(), QStringLiteral("9"));

  d.Command3->click();
  EXPECT_FALSE(d.accepted());
  EXPECT_EQ(d.result().inUse, 0);

  // Through the modal entry: Cancel gives nothing back, OK the edits.
  FilterState start;
  start.inUse = -1;
  start.multiply = {0.5f, 1, 1, 1};
  const auto edit = [](FilterDialog& dialog) {
    dialog.Text1[0]->setText(QStringLiteral("3"));
    dialog.List1->setCurrentRow(4);
    dialog.Option1[2]->setChecked(true);
  };
  EXPECT_FALSE(EditModal(start, edit, false).has_value());
  const auto ok = EditModal(start, edit, true);
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(ok->inUse, -1);
  EXPECT_EQ(ok->multiply[0], 3.0f);
  EXPECT_EQ(ok->bevelParams.mode, 2);
}

TEST_F(FilterDialogTest, PresetsWriteTheirExactTexts) {
  FilterDialog d(FilterState{}, 8);
  d.List1->setCurrentRow(5);
  ASSERT_TRUE(Shown(d.Frame3, d));
  EXPECT_FALSE(d.Frame3->isEnabled());  // greyed until its filter is on
  Check(d, 5, true);
  ASSERT_TRUE(d.Frame3->isEnabled());
  EXPECT_EQ(d.Text9[6]->text(), QStringLiteral("1"));
  d.Text9[15]->setText(QStringLiteral("0.25"));

  desktop.popups.choices.push_back(QStringLiteral("mnuColorSepia"));
  d.Command4->click();
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_EQ(desktop.popups.opened[0], QStringLiteral("mnuColormatrix"));
  EXPECT_EQ(d.Text9[0]->text(), QStringLiteral("0.330000007152557"));
  EXPECT_EQ(d.Text9[6]->text(), QStringLiteral("0.530999985933304"));
  EXPECT_EQ(d.Text9[12]->text(), QStringLiteral("0.0769999986886978"));
  EXPECT_EQ(d.Text9[15]->text(), QStringLiteral("0.25"));  // the alpha row is kept

  desktop.popups.choices.push_back(QStringLiteral("mnuColorMono"));
  d.Command4->click();
  EXPECT_EQ(d.Text9[5]->text(), QStringLiteral("0.3"));
  EXPECT_EQ(d.Text9[6]->text(), QStringLiteral("0.59"));
  EXPECT_EQ(d.Text9[7]->text(), QStringLiteral("0.11"));
  // The preview bar: pure red through the monochrome rows is grey 76.
  const QImage bar = d.PictColorbar2->pixmap().toImage();
  EXPECT_EQ(bar.pixelColor(0, 2), QColor(255, 0, 0));
  EXPECT_EQ(bar.pixelColor(0, 12), QColor(76, 76, 76));

  desktop.popups.choices.push_back(QStringLiteral("mnuColorNormal"));
  d.Command4->click();
  EXPECT_EQ(d.Text9[0]->text(), QStringLiteral("1"));
  EXPECT_EQ(d.Text9[1]->text(), QStringLiteral("0"));
  EXPECT_EQ(d.Text9[18]->text(), QStringLiteral("1"));

  desktop.popups.choices.push_back(QString());  // dismissed
  d.Command4->click();
  EXPECT_EQ(d.Text9[0]->text(), QStringLiteral("1"));
}

TEST_F(FilterDialogTest, FiltersTheMovieCannotShowAreRefused) {
  FilterDialog d(FilterState{}, 6);
  Check(d, 3, true);  // glow, ticked while the colour page is shown
  EXPECT_EQ(d.List1->currentRow(), 3);
  EXPECT_EQ(d.List1->item(3)->checkState(), Qt::Unchecked);
  EXPECT_EQ(d.Label13->text(), QStringLiteral("SWF8以降でのみ有効"));
  EXPECT_TRUE(Shown(d.Frame2, d));
  EXPECT_FALSE(d.Frame2->isEnabled());
  d.Command2->click();
  EXPECT_EQ(d.result().glow, 0);
  EXPECT_EQ(d.result().inUse, -1);
}

TEST_F(FilterDialogTest, TheProgramsPickerOpensWithTheOpacityRow) {
  FilterDialog d(FilterState{}, 8);
  Check(d, 3, true);  // glow: yellow, opaque
  bool asked = false;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto* picker = qobject_cast<gui::ColorDialog*>(&dialog);
    EXPECT_NE(picker, nullptr);
    if (!picker) return int(QDialog::Rejected);
    asked = true;
    EXPECT_FALSE(Control<QLineEdit>(picker, "channelBoxes_3")->isHidden());
    EXPECT_EQ(picker->values(), (gui::Rgba{255, 255, 0, 255}));
    Control<QLineEdit>(picker, "channelBoxes_3")->setText(QStringLiteral("64"));
    Control<QPushButton>(picker, "okButton")->click();
    return dialog.result();
  });
  d.Command1[0]->click();
  ASSERT_TRUE(asked);
  EXPECT_EQ(d.Label3[0]->text(), QStringLiteral("64"));
  d.Command2->click();
  EXPECT_EQ(static_cast<uint32_t>(d.result().glowParams.color1), 0x4000FFFFu);
}

TEST_F(FilterDialogTest, ColoursComeFromThePickerWithTheirOpacity) {
  FilterDialog d(FilterState{}, 8);
  std::vector<std::array<int, 4>> asked;
  d.pickColour = [&asked](QWidget*, std::array<int, 4> rgba, QPoint) -> std::optional<std::array<int, 4>> {
    asked.push_back(rgba);
    if (asked.size() == 2) return std::nullopt;  // the second time cancelled
    return std::array<int, 4>{0x11, 0x22, 0x33, 0x80};
  };
  Check(d, 1, true);
  EXPECT_EQ(d.List1->currentRow(), 1);
  EXPECT_EQ(d.Label2[0]->text(), QStringLiteral("影の色"));
  EXPECT_EQ(d.Label3[0]->text(), QStringLiteral("255"));
  d.Text5->setText(QStringLiteral("30"));
  d.Command1[0]->click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(d.Label3[0]->text(), QStringLiteral("128"));
  EXPECT_EQ(d.Picture1[0]->palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
  EXPECT_EQ(d.Text5->text(), QStringLiteral("30"));  // the page's edits stay
  d.Command1[0]->click();
  EXPECT_EQ(d.Label3[0]->text(), QStringLiteral("128"));

  Check(d, 4, true);
  EXPECT_TRUE(Shown(d.Picture1[1], d));
  EXPECT_EQ(d.Label2[1]->text(), QStringLiteral("影の色"));
  d.Command2->click();
  EXPECT_EQ(static_cast<uint32_t>(d.result().dropShadowParams.color1), 0x80332211u);
  EXPECT_EQ(d.result().dropShadowParams.angle, 30.0f);
}

}  // namespace
}  // namespace tesmiro::testing
