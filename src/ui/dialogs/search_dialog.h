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

 signals:
  // A search from the dialog's own button has run (the window follows
  // where it went).
  void searched();

 private:
  void onSearch();
  void onCancel();

  QLineEdit* searchTextBox = nullptr;
  QGroupBox* searchInGroup = nullptr;
  QRadioButton* fileListOption = nullptr;
  QRadioButton* eventListOption = nullptr;
  QGroupBox* searchByGroup = nullptr;
  QRadioButton* byTextOption = nullptr;
  QRadioButton* byIdOption = nullptr;
  QPushButton* searchButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace tesmiro::gui
