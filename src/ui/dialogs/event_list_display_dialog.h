#pragma once
// The event-list display settings: text colour, back colour and boldness of
// each of the 25 kinds of row, the icon switch and the icon strip. Modal;
// it edits a copy that OK makes live (the settings file takes it at the
// next normal exit).
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <array>
#include <functional>
#include <optional>

#include "project/display_settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tesmiro::gui {

// The preview list: one 16-pixel row per category, painted from the
// dialog's copy.
class CategoryPreview : public QWidget {
  Q_OBJECT

 public:
  explicit CategoryPreview(QWidget* parent = nullptr);
  std::function<void(QPainter&)> paintRows;
  std::function<void(int y)> onMouseDown;
  std::function<void(int keyCode)> onKeyDown;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

class EventColorDialog : public QDialog {
  Q_OBJECT

 public:
  explicit EventColorDialog(QWidget* owner = nullptr);

  // Shows it modal over the main window; true when closed with OK.
  static bool run(QWidget* owner);

  // The colour picker: red, green, blue in, the chosen ones out; nullopt
  // when cancelled. By default the program's picker.
  using ColourPick = std::function<std::optional<std::array<int, 3>>(QWidget* owner, std::array<int, 3> rgb, QPoint at)>;
  ColourPick pickColour;

  const GUICore::DisplaySettingsEditor& editor() const { return editor_; }
  // The strip being edited.
  const QPixmap& iconStrip() const { return iconStrip_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The two colours of a row, as the swatches show them.
  enum RowColour { TextColour, BackColour };

  void DrawPreview();
  void onPreviewPressed(int y);
  void onPreviewKey(int keyCode);
  void pickRowColour(RowColour which);
  void onBoldToggled();
  void onShowIconsToggled();
  void onOk();
  void onCancel();
  void restoreAllDefaults();
  void resetCategory();  // the selected one
  void loadIcons();
  void useBuiltInIcons();

  void createControls();
  void paintRows(QPainter& p);

  CategoryPreview* categoryPreview = nullptr;
  QGroupBox* categoryGroup = nullptr;
  std::array<QLabel*, 2> colourLabels{};    // by RowColour
  std::array<QLabel*, 2> colourSwatches{};  // by RowColour
  QCheckBox* boldCheck = nullptr;
  QPushButton* resetCategoryButton = nullptr;
  QGroupBox* iconGroup = nullptr;
  QCheckBox* showIconsCheck = nullptr;
  QPushButton* loadIconsButton = nullptr;
  QPushButton* builtInIconsButton = nullptr;
  QPushButton* allDefaultsButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;

  GUICore::DisplaySettingsEditor editor_;
  QPixmap iconStrip_;
  bool filling_ = false;
};

}  // namespace tesmiro::gui
