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
  // The strip being edited (Image1).
  const QPixmap& iconStrip() const { return image1_; }

  // ---- handlers ------------------------------------------------------------
  void DrawPreview();
  void Picture1_MouseDown(int y);
  void Picture1_KeyDown(int keyCode);
  void Picture2_Click(int which);
  void Check1_Click();
  void Check2_Click();
  void Command1_Click();  // OK
  void Command2_Click();  // Cancel
  void Command3_Click();  // all defaults
  void Command4_Click();  // reset the selected category
  void Command5_Click();  // load an icon strip
  void Command6_Click();  // the built-in icons

  // ---- controls --------------------------------------------------------------
  CategoryPreview* Picture1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  std::array<QLabel*, 2> Label1{};
  std::array<QLabel*, 2> Picture2{};
  QCheckBox* Check1 = nullptr;
  QPushButton* Command4 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QCheckBox* Check2 = nullptr;
  QPushButton* Command5 = nullptr;
  QPushButton* Command6 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void paintRows(QPainter& p);

  GUICore::DisplaySettingsEditor editor_;
  QPixmap image1_;
  bool filling_ = false;
};

}  // namespace tesmiro::gui
