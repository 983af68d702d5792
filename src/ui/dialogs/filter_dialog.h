#pragma once
// The filter dialog: the colour transform, the four bitmap filters and the
// colour matrix of one state (start or end) of an event, one page at a
// time. Modal; it edits a copy, which the caller takes back after OK.
#include <QDialog>
#include <QPoint>
#include <array>
#include <functional>
#include <optional>

#include "project/filter_dialog_fields.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace tesmiro::gui {

class FilterDialog : public QDialog {
  Q_OBJECT

 public:
  // Loads the dialog for the state (a state never edited gets the default
  // parameters) and shows its first page.
  FilterDialog(const FilterState& edited, int32_t swfVersion, QWidget* owner = nullptr);

  // Shows it modal with its top-left corner at `at` (global pixels); the
  // state after OK (in use), or nullopt after Cancel.
  static std::optional<FilterState> edit(QWidget* owner, const FilterState& edited, QPoint at);

  // The state as the dialog leaves it: in use after OK, not after Cancel.
  const FilterState& result() const { return result_; }
  bool accepted() const { return accepted_; }

  // The colour picker: red, green, blue, opacity in, the chosen ones out;
  // nullopt when cancelled. By default the program's picker.
  using ColourPick =
      std::function<std::optional<std::array<int, 4>>(QWidget* owner, std::array<int, 4> rgba, QPoint at)>;
  ColourPick pickColour;

  // ---- handlers ------------------------------------------------------------
  void List1_Click();
  void List1_ItemCheck(int item);
  void Command1_Click(int index);  // colour buttons
  void Command2_Click();           // OK
  void Command3_Click();           // Cancel
  void Command4_Click();           // presets popup
  void mnuColorNormal_Click();
  void mnuColorMono_Click();
  void mnuColorSepia_Click();
  void Text1_Change();  // and Text2: the colour transform preview
  void Text9_Change();  // the matrix preview

  // ---- controls --------------------------------------------------------------
  QListWidget* List1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  std::array<QLineEdit*, 4> Text1{};
  std::array<QLineEdit*, 4> Text2{};
  std::array<QLabel*, 8> Label1{};
  std::array<QLabel*, 4> Label11{};
  QLabel* PictColorbar = nullptr;
  QGroupBox* Frame2 = nullptr;
  std::array<QLabel*, 4> Label2{};
  std::array<QLabel*, 2> Picture1{};
  std::array<QLabel*, 2> Label3{};
  std::array<QPushButton*, 2> Command1{};
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLineEdit* Text3 = nullptr;
  QLineEdit* Text4 = nullptr;
  QLineEdit* Text5 = nullptr;
  QLineEdit* Text6 = nullptr;
  QLineEdit* Text7 = nullptr;
  QLineEdit* Text8 = nullptr;
  QCheckBox* Check1 = nullptr;
  QCheckBox* Check2 = nullptr;
  std::array<QRadioButton*, 3> Option1{};
  QGroupBox* Frame3 = nullptr;
  std::array<QLineEdit*, 20> Text9{};
  std::array<QLabel*, 5> Label12{};
  QPushButton* Command4 = nullptr;
  QLabel* PictColorbar2 = nullptr;
  QMenu* mnuColormatrix = nullptr;
  QAction* mnuColorNormal = nullptr;
  QAction* mnuColorMono = nullptr;
  QAction* mnuColorSepia = nullptr;
  QLabel* Label13 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;

 private:
  void createControls();
  GUICore::FilterPageFields pageFields() const;
  std::array<bool, GUICore::kFilterPageCount> checks() const;
  void setChecks(const std::array<bool, GUICore::kFilterPageCount>& checks);
  void showLayout(const GUICore::FilterPageLayout& layout, const GUICore::FilterPageFields& fill);
  void setMatrixTexts(const std::array<std::string, 20>& texts);
  void drawBar(QLabel* bar, const std::array<uint32_t, GUICore::kPreviewBarWidth>& mapped);

  GUICore::FilterEditor editor_;
  FilterState result_;
  bool accepted_ = false;
  bool filling_ = false;
};

}  // namespace tesmiro::gui
