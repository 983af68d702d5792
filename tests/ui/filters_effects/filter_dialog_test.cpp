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
  static bool Shown(const char* name, FilterDialog& d) { return Shown(Control<QWidget>(d, name), d); }
  static QListWidget* Filters(FilterDialog& d) { return Control<QListWidget>(d, "filterList"); }
  static void Check(FilterDialog& d, int item, bool on) {
    Filters(d)->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  // Entry `i` of the colour matrix: row r, column k at 5r + k.
  static QLineEdit* Matrix(FilterDialog& d, int i) {
    return Control<QLineEdit>(d, ("matrixBoxes_" + std::to_string(i)).c_str());
  }
  static void Click(FilterDialog& d, const char* button) { Control<QPushButton>(d, button)->click(); }
  // Runs `edit` on the dialog in place of its modal loop, then closes it
  // with the button.
  static std::optional<FilterState> EditModal(const FilterState& state, std::function<void(FilterDialog&)> edit,
                                              bool ok) {
    gui::ScopedModalRunner runner([&](QDialog& dialog) {
      auto* d = qobject_cast<FilterDialog*>(&dialog);
      EXPECT_NE(d, nullptr);
      if (!d) return int(QDialog::Rejected);
      edit(*d);
      Click(*d, ok ? "okButton" : "cancelButton");
      return dialog.result();
    });
    return FilterDialog::edit(nullptr, state, QPoint(40, 50));
  }
};

TEST_F(FilterDialogTest, PageEditsSurviveSwitchingAndCancelDiscardsThem) {
  FilterDialog d(FilterState{}, 8);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("イベントの詳細設定"));
  auto* transform = Control<QGroupBox>(d, "colourTransformGroup");
  auto* filter = Control<QGroupBox>(d, "bitmapFilterGroup");
  auto* redMultiplier = Control<QLineEdit>(d, "multiplierBoxes_0");
  auto* blurX = Control<QLineEdit>(d, "blurXBox");
  ASSERT_TRUE(Shown(transform, d));
  EXPECT_FALSE(Shown(filter, d));
  EXPECT_EQ(redMultiplier->text(), QStringLiteral("1"));  // never edited: the defaults
  EXPECT_FALSE(transform->isEnabled());                  // its filter is off

  redMultiplier->setText(QStringLiteral("2"));
  Check(d, 0, true);
  EXPECT_TRUE(transform->isEnabled());
  EXPECT_EQ(Control<QLabel>(d, "noteLabel")->text(), QStringLiteral("輝度・不透明度の設定は無視されます"));

  Filters(d)->setCurrentRow(2);
  ASSERT_TRUE(Shown(filter, d));
  EXPECT_FALSE(Shown(transform, d));
  EXPECT_EQ(filter->title(), QStringLiteral("ブラー"));
  EXPECT_EQ(blurX->text(), QStringLiteral("4"));
  // The blur page shows blur X, blur Y and quality alone.
  EXPECT_TRUE(Shown(blurX, d) && Shown("blurYBox", d) && Shown("qualityBox", d));
  for (const char* hidden :
       {"angleBox", "distanceBox", "strengthBox", "hideObjectCheck", "colourSwatches_0", "modeOptions_0"})
    EXPECT_FALSE(Shown(hidden, d)) << hidden;
  blurX->setText(QStringLiteral("9"));

  Filters(d)->setCurrentRow(0);
  EXPECT_EQ(redMultiplier->text(), QStringLiteral("2"));
  Filters(d)->setCurrentRow(2);
  EXPECT_EQ(blurX->text(), QStringLiteral("9"));

  Click(d, "cancelButton");
  EXPECT_FALSE(d.accepted());
  EXPECT_EQ(d.result().inUse, 0);

  // Through the modal entry: Cancel gives nothing back, OK the edits.
  FilterState start;
  start.inUse = -1;
  start.multiply = {0.5f, 1, 1, 1};
  const auto edit = [](FilterDialog& dialog) {
    Control<QLineEdit>(dialog, "multiplierBoxes_0")->setText(QStringLiteral("3"));
    Filters(dialog)->setCurrentRow(4);
    Control<QRadioButton>(dialog, "modeOptions_2")->setChecked(true);
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
  Filters(d)->setCurrentRow(5);
  auto* matrix = Control<QGroupBox>(d, "colourMatrixGroup");
  ASSERT_TRUE(Shown(matrix, d));
  EXPECT_FALSE(matrix->isEnabled());  // greyed until its filter is on
  Check(d, 5, true);
  ASSERT_TRUE(matrix->isEnabled());
  EXPECT_EQ(Matrix(d, 6)->text(), QStringLiteral("1"));
  Matrix(d, 15)->setText(QStringLiteral("0.25"));

  desktop.popups.choices.push_back(QStringLiteral("sepiaPresetAction"));
  Click(d, "presetButton");
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_EQ(desktop.popups.opened[0], QStringLiteral("matrixPresetMenu"));
  EXPECT_EQ(Matrix(d, 0)->text(), QStringLiteral("0.330000007152557"));
  EXPECT_EQ(Matrix(d, 6)->text(), QStringLiteral("0.530999985933304"));
  EXPECT_EQ(Matrix(d, 12)->text(), QStringLiteral("0.0769999986886978"));
  EXPECT_EQ(Matrix(d, 15)->text(), QStringLiteral("0.25"));  // the alpha row is kept

  desktop.popups.choices.push_back(QStringLiteral("monochromePresetAction"));
  Click(d, "presetButton");
  EXPECT_EQ(Matrix(d, 5)->text(), QStringLiteral("0.3"));
  EXPECT_EQ(Matrix(d, 6)->text(), QStringLiteral("0.59"));
  EXPECT_EQ(Matrix(d, 7)->text(), QStringLiteral("0.11"));
  // The preview bar: pure red through the monochrome rows is grey 76.
  const QImage bar = Control<QLabel>(d, "matrixColourBar")->pixmap().toImage();
  EXPECT_EQ(bar.pixelColor(0, 2), QColor(255, 0, 0));
  EXPECT_EQ(bar.pixelColor(0, 12), QColor(76, 76, 76));

  desktop.popups.choices.push_back(QStringLiteral("normalPresetAction"));
  Click(d, "presetButton");
  EXPECT_EQ(Matrix(d, 0)->text(), QStringLiteral("1"));
  EXPECT_EQ(Matrix(d, 1)->text(), QStringLiteral("0"));
  EXPECT_EQ(Matrix(d, 18)->text(), QStringLiteral("1"));

  desktop.popups.choices.push_back(QString());  // dismissed
  Click(d, "presetButton");
  EXPECT_EQ(Matrix(d, 0)->text(), QStringLiteral("1"));
}

TEST_F(FilterDialogTest, FiltersTheMovieCannotShowAreRefused) {
  FilterDialog d(FilterState{}, 6);
  Check(d, 3, true);  // glow, ticked while the colour page is shown
  EXPECT_EQ(Filters(d)->currentRow(), 3);
  EXPECT_EQ(Filters(d)->item(3)->checkState(), Qt::Unchecked);
  EXPECT_EQ(Control<QLabel>(d, "noteLabel")->text(), QStringLiteral("SWF8以降でのみ有効"));
  EXPECT_TRUE(Shown("bitmapFilterGroup", d));
  EXPECT_FALSE(Control<QGroupBox>(d, "bitmapFilterGroup")->isEnabled());
  Click(d, "okButton");
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
  Click(d, "colourButtons_0");
  ASSERT_TRUE(asked);
  EXPECT_EQ(Control<QLabel>(d, "opacityValueLabels_0")->text(), QStringLiteral("64"));
  Click(d, "okButton");
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
  EXPECT_EQ(Filters(d)->currentRow(), 1);
  auto* opacity = Control<QLabel>(d, "opacityValueLabels_0");
  auto* angle = Control<QLineEdit>(d, "angleBox");
  EXPECT_EQ(Control<QLabel>(d, "colourRowLabels_0")->text(), QStringLiteral("影の色"));
  EXPECT_EQ(opacity->text(), QStringLiteral("255"));
  angle->setText(QStringLiteral("30"));
  Click(d, "colourButtons_0");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(opacity->text(), QStringLiteral("128"));
  EXPECT_EQ(Control<QLabel>(d, "colourSwatches_0")->palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
  EXPECT_EQ(angle->text(), QStringLiteral("30"));  // the page's edits stay
  Click(d, "colourButtons_0");
  EXPECT_EQ(opacity->text(), QStringLiteral("128"));

  Check(d, 4, true);
  EXPECT_TRUE(Shown("colourSwatches_1", d));
  EXPECT_EQ(Control<QLabel>(d, "colourRowLabels_1")->text(), QStringLiteral("影の色"));
  Click(d, "okButton");
  EXPECT_EQ(static_cast<uint32_t>(d.result().dropShadowParams.color1), 0x80332211u);
  EXPECT_EQ(d.result().dropShadowParams.angle, 30.0f);
}

}  // namespace
}  // namespace tesmiro::testing
