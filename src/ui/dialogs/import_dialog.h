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

  // Import: false when nothing happened or the import failed (the dialog
  // then stays with its entries).
  bool importProject();

  // How the imported materials get their IDs (the order of the options).
  enum IdMode { Automatic, AfterId, AddValue };

 private:
  void onProjectFileChanged();
  // The range start or the overwrite box changed.
  void updateImportIds();
  void onAsSpriteToggled();
  void onIdModeChosen(IdMode mode);
  void browse();
  void onCancel();

  QLineEdit* projectFileBox = nullptr;
  QPushButton* browseButton = nullptr;
  QCheckBox* skipEventsCheck = nullptr;
  QCheckBox* asSpriteCheck = nullptr;
  QGroupBox* spriteGroup = nullptr;
  QLineEdit* spriteNameBox = nullptr;
  QLineEdit* spriteIdBox = nullptr;
  QCheckBox* reuseFilesCheck = nullptr;  // reuse files the project has
  QGroupBox* idModeGroup = nullptr;
  std::array<QRadioButton*, 3> idModeOptions{};
  QLabel* addValueLabel = nullptr;
  QLineEdit* addValueBox = nullptr;
  QLineEdit* rangeStartBox = nullptr;
  QLabel* rangeEndLabel = nullptr;
  QCheckBox* overwriteRangeCheck = nullptr;
  QPushButton* importButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace tesmiro::gui
