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

  // The windows whose "前面" button the options offer (the order of the boxes).
  enum TopWindow { EventDialogTop, ScriptEditorTop, PreviewWindowTop };

  // "HTMLを編集", here and in the preview options: opens the page template,
  // made first when there is none, or says why it cannot.
  static void editHtmlTemplate();

 private:
  void onAlwaysShownToggled();
  void onSaveHtmlToggled();
  void onOk();  // into the preferences
  void onCancel();

  QCheckBox* propertyOnDoubleClickCheck = nullptr;
  QCheckBox* eventPropertyAlwaysShownCheck = nullptr;
  QCheckBox* eventDialogPositionCheck = nullptr;
  QCheckBox* propertyDialogPositionCheck = nullptr;
  QCheckBox* syncToggleCheck = nullptr;
  QCheckBox* dragMultiSelectCheck = nullptr;
  QCheckBox* verticalFontCheck = nullptr;
  QCheckBox* saveHtmlCheck = nullptr;
  QLineEdit* undoDepthBox = nullptr;  // file-list undo depth
  QLineEdit* wheelRowsBox = nullptr;
  QGroupBox* keepOnTopGroup = nullptr;
  std::array<QCheckBox*, 3> keepOnTopChecks{};
  QGroupBox* htmlGroup = nullptr;
  QPushButton* editHtmlButton = nullptr;
  QLabel* htmlPlaceholdersLabel = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace tesmiro::gui
