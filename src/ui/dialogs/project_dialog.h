#pragma once
// File > project properties: the movie settings of the open project, and a
// button that stores them as the defaults for new projects. Modal; the
// values reach the project only on OK.
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "project/dialog_fields.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tesmiro::gui {

class ProjectDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProjectDialog(QWidget* owner = nullptr);

  // Shows the dialog for the open project; true when OK stored the fields.
  static bool run(QWidget* owner);

  // The controls from and to the exchange (no modal loop needed).
  void fill(const GUICore::ProjectDialogFields& fields);
  GUICore::ProjectDialogFields fields() const;

  // The colour picker; an empty result means cancelled. Tests put a double
  // here; by default the program's picker.
  using ColourPick = std::function<std::optional<std::array<int, 3>>(QWidget* owner, std::array<int, 3> rgb)>;
  ColourPick pickColour;

  void HScroll1_Change(int index);
  void Text4_Change(int index);
  void HScroll2_Change();
  void Combo1_Click();
  void Check1_Clicked();
  void Picture1_Click();
  void Command1_Click();  // store as defaults
  void Command2_Click();  // OK
  void Command3_Click();  // cancel

  QGroupBox* Frame2 = nullptr;
  QLineEdit* Text1 = nullptr;  // width
  QLineEdit* Text2 = nullptr;  // height
  QLineEdit* Text3 = nullptr;  // frames per second
  QGroupBox* Frame1 = nullptr;
  std::array<QScrollBar*, 3> HScroll1{};
  std::array<QLineEdit*, 3> Text4{};
  QLabel* Picture1 = nullptr;  // background swatch
  QCheckBox* Check1 = nullptr;  // pseudo-streaming sound sync
  QCheckBox* Check2 = nullptr;  // loading screen
  QGroupBox* Frame3 = nullptr;
  QCheckBox* Check4 = nullptr;  // compress
  QCheckBox* Check6 = nullptr;  // relative paths
  QGroupBox* Frame4 = nullptr;
  QComboBox* Combo1 = nullptr;  // SWF version
  QLabel* Label4 = nullptr;     // version hint
  QGroupBox* Frame5 = nullptr;
  QCheckBox* Check3 = nullptr;  // force JPEG re-compression
  QScrollBar* HScroll2 = nullptr;  // JPEG quality
  QLabel* Label10 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Selects the box of a refused value so the user can correct it.
  void focusRefused(const GUICore::ProjectDialogFields& fields);
  bool updatingBars_ = false;
};

}  // namespace tesmiro::gui
