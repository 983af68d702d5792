#pragma once
// "プレビューの設定": the preview preferences (browser, stand-alone player,
// preview folder, streams, unplaced sprites, the player of the selected-events
// preview). Filled from the preferences when it loads; written back only
// on OK.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tesmiro::gui {

class PreviewOptionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PreviewOptionDialog(QWidget* parent = nullptr);

  void Form_Load();
  void Check2_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  QGroupBox* Frame1 = nullptr;
  QCheckBox* Check1 = nullptr;
  QPushButton* Command1 = nullptr;
  QLabel* Label1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QCheckBox* Check2 = nullptr;
  QLineEdit* Text1 = nullptr;
  QPushButton* Command2 = nullptr;
  QCheckBox* Check3 = nullptr;
  QCheckBox* Check4 = nullptr;
  QCheckBox* Check5 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* Combo1 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command4 = nullptr;
};

}  // namespace tesmiro::gui
