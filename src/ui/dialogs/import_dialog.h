#pragma once
// File > import: takes the materials, and optionally the events, of another
// project file into the open one. Modal; the import itself is the core's.
#include <QDialog>
#include <array>

#include "project/dialog_fields.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tesmiro::gui {

class ImportDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ImportDialog(QWidget* owner = nullptr);

  // Shows the dialog; true when a project was imported.
  static bool run(QWidget* owner);

  void fill(const GUICore::ImportDialogFields& fields);
  GUICore::ImportDialogFields fields() const;

  void Text1_Change();
  void Text4_Change();
  void Check2_Click();
  void Option1_Click(int index);
  void Command1_Click();  // browse
  // Import: false when nothing happened or the import failed (the dialog
  // then stays with its entries).
  bool Command2_Click();
  void Command3_Click();

  QLineEdit* Text1 = nullptr;  // project file
  QPushButton* Command1 = nullptr;
  QCheckBox* Check1 = nullptr;  // no events
  QCheckBox* Check2 = nullptr;  // events as a sprite
  QGroupBox* Frame1 = nullptr;
  QLineEdit* Text2 = nullptr;  // sprite name
  QLineEdit* Text3 = nullptr;  // sprite ID
  QCheckBox* Check4 = nullptr;  // reuse files the project has
  QGroupBox* Frame2 = nullptr;
  std::array<QRadioButton*, 3> Option1{};
  QLabel* Label4 = nullptr;
  QLineEdit* Text5 = nullptr;  // value to add
  QLineEdit* Text4 = nullptr;  // range start
  QLabel* Label1 = nullptr;
  QCheckBox* Check3 = nullptr;  // overwrite the range
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
};

}  // namespace tesmiro::gui
