#pragma once
// File > options ("詳細設定"): the general preferences. Modal; they change
// only on OK and reach the settings file at the next normal exit.
#include <QDialog>
#include <array>

#include "project/dialog_fields.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tesmiro::gui {

class OptionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit OptionDialog(QWidget* owner = nullptr);

  // Shows the dialog on the program's preferences; true after OK.
  static bool run(QWidget* owner);

  void fill(const GUICore::OptionDialogFields& fields);
  GUICore::OptionDialogFields fields() const;

  void Check2_Click();
  void Check5_Click();
  void Command3_Click();  // edit the HTML template
  void Command1_Click();  // OK: into the preferences
  void Command2_Click();  // cancel

  QCheckBox* Check1 = nullptr;
  QCheckBox* Check2 = nullptr;
  QCheckBox* Check3 = nullptr;
  QCheckBox* Check9 = nullptr;
  QCheckBox* Check7 = nullptr;
  QCheckBox* Check8 = nullptr;
  QCheckBox* Check6 = nullptr;
  QCheckBox* Check5 = nullptr;
  QLineEdit* Text1 = nullptr;  // file-list undo depth
  QLineEdit* Text2 = nullptr;  // wheel rows
  QGroupBox* Frame1 = nullptr;
  std::array<QCheckBox*, 3> Check4{};
  QGroupBox* Frame2 = nullptr;
  QPushButton* Command3 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
};

}  // namespace tesmiro::gui
