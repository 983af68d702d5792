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

class SliderWithBox;

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

  // The background colour's three sliders and boxes, in this order.
  enum Channel { Red, Green, Blue };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void paintBackground();
  void onJpegQualityChanged();
  void onSwfVersionChanged();
  void onSoundSyncClicked();
  void pickBackground();
  void storeAsDefaults();
  void onOk();
  void onCancel();
  // Selects the box of a refused value so the user can correct it.
  void focusRefused(const GUICore::ProjectDialogFields& fields);

  QGroupBox* basicGroup = nullptr;
  QLineEdit* stageWidthBox = nullptr;
  QLineEdit* stageHeightBox = nullptr;
  QLineEdit* frameRateBox = nullptr;
  QGroupBox* backgroundGroup = nullptr;
  std::array<QScrollBar*, 3> backgroundSliders{};
  std::array<QLineEdit*, 3> backgroundBoxes{};
  std::array<SliderWithBox*, 3> backgroundPairs{};
  QLabel* backgroundSwatch = nullptr;
  QCheckBox* soundSyncCheck = nullptr;  // pseudo-streaming sound sync
  QCheckBox* loadingScreenCheck = nullptr;
  QGroupBox* detailGroup = nullptr;
  QCheckBox* compressCheck = nullptr;
  QCheckBox* relativePathsCheck = nullptr;
  QGroupBox* swfVersionGroup = nullptr;
  QComboBox* swfVersionList = nullptr;
  QLabel* versionHintLabel = nullptr;
  QGroupBox* imageGroup = nullptr;
  QCheckBox* recompressJpegCheck = nullptr;
  QScrollBar* jpegQualitySlider = nullptr;
  QLabel* jpegQualityLabel = nullptr;
  QPushButton* storeDefaultsButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace tesmiro::gui
