#pragma once
// Edit > search: finds a material in the file list or an event in the event
// list, by text or by ID. Modeless; its controls keep their values while it
// is hidden, and search-next repeats the search with them.
#include <QDialog>
#include <QPointer>

#include "project/dialog_fields.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tesmiro::gui {

class SearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SearchDialog(QWidget* owner = nullptr);
  ~SearchDialog() override;
  // The one dialog, made on first use (owned by `owner`).
  static SearchDialog* instance(QWidget* owner = nullptr);
  static bool isLoaded();

  // Searches with the dialog's settings; an empty text does nothing.
  void SearchItem();
  GUICore::SearchSettings settings() const;

  void Command1_Click();
  void Command2_Click();

  QLineEdit* Text1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QRadioButton* Option1_0 = nullptr;  // file list
  QRadioButton* Option1_1 = nullptr;  // event list
  QGroupBox* Frame2 = nullptr;
  QRadioButton* Option2_0 = nullptr;  // by text
  QRadioButton* Option2_1 = nullptr;  // by ID
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
};

}  // namespace tesmiro::gui
