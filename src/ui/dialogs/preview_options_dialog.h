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

 private:
  void loadSettings();
  void onPlayerProgramToggled();
  void browse();
  void onOk();
  void onCancel();

  QGroupBox* browserGroup = nullptr;
  QCheckBox* useIeCheck = nullptr;
  QPushButton* editHtmlButton = nullptr;
  QLabel* htmlPlaceholdersLabel = nullptr;
  QGroupBox* standalonePlayerGroup = nullptr;
  QCheckBox* playerProgramCheck = nullptr;
  QLineEdit* playerProgramBox = nullptr;
  QPushButton* browseButton = nullptr;
  QCheckBox* previewInProjectFolderCheck = nullptr;
  QCheckBox* streamFromMiddleCheck = nullptr;
  QCheckBox* attachAllSpritesCheck = nullptr;
  QGroupBox* selectedPreviewGroup = nullptr;
  QLabel* selectedPlayerLabel = nullptr;
  QComboBox* selectedPlayerList = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace tesmiro::gui
