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

 private:
  // The colour transform's and the matrix's rows and columns.
  enum Channel { Red, Green, Blue, Alpha };
  // The colour rows of the bitmap filter page: colour 2 is the bevel's alone.
  enum ColourRow { Primary, Secondary };
  // Where a drop shadow, glow or bevel is drawn.
  enum Mode { Outer, Inner, Both };

  void showFilterPage();
  void onFilterTicked(int item);
  void pickFilterColour(ColourRow row);
  void onOk();
  void onCancel();
  void popUpPresets();
  void applyNormalPreset();
  void applyMonochromePreset();
  void applySepiaPreset();
  void onColourTransformChanged();  // a multiplier or an offset
  void onMatrixChanged();

  QListWidget* filterList = nullptr;
  QGroupBox* colourTransformGroup = nullptr;
  std::array<QLineEdit*, 4> multiplierBoxes{};  // by Channel
  std::array<QLineEdit*, 4> offsetBoxes{};      // by Channel
  std::array<QLabel*, 8> transformLabels{};     // "R= (" … then "×R) +" …
  std::array<QLabel*, 4> channelLabels{};       // by Channel
  QLabel* transformColourBar = nullptr;
  QGroupBox* bitmapFilterGroup = nullptr;
  std::array<QLabel*, 4> colourRowLabels{};  // the colour captions, then "不透明度："
  std::array<QLabel*, 2> colourSwatches{};   // by ColourRow
  std::array<QLabel*, 2> opacityValueLabels{};
  std::array<QPushButton*, 2> colourButtons{};
  QLabel* blurLabel = nullptr;
  QLabel* blurXLabel = nullptr;
  QLabel* blurYLabel = nullptr;
  QLabel* angleLabel = nullptr;
  QLabel* distanceLabel = nullptr;
  QLabel* qualityLabel = nullptr;
  QLabel* strengthLabel = nullptr;
  QLineEdit* blurXBox = nullptr;
  QLineEdit* blurYBox = nullptr;
  QLineEdit* angleBox = nullptr;
  QLineEdit* distanceBox = nullptr;
  QLineEdit* qualityBox = nullptr;
  QLineEdit* strengthBox = nullptr;
  QCheckBox* hideObjectCheck = nullptr;
  QCheckBox* knockoutCheck = nullptr;
  std::array<QRadioButton*, 3> modeOptions{};  // by Mode
  QGroupBox* colourMatrixGroup = nullptr;
  std::array<QLineEdit*, 20> matrixBoxes{};  // row r, column k at 5r + k
  std::array<QLabel*, 5> matrixHeadLabels{};
  QPushButton* presetButton = nullptr;
  QLabel* matrixColourBar = nullptr;
  QMenu* matrixPresetMenu = nullptr;
  QAction* normalPresetAction = nullptr;
  QAction* monochromePresetAction = nullptr;
  QAction* sepiaPresetAction = nullptr;
  QLabel* noteLabel = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;

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
