#pragma once
// The program's one colour picker: red, green, blue and (for filters)
// opacity sliders with value boxes, a hexadecimal box, and a palette of 216
// colours shown by widening the window.
#include <QDialog>
#include <QPoint>
#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tesmiro::gui {

struct Rgba {
  int red = 0;
  int green = 0;
  int blue = 0;
  int alpha = 255;
  bool operator==(const Rgba&) const = default;
};

class ColorDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ColorDialog(QWidget* parent = nullptr);

  // The picker, started from `start`, its top-left corner at `at` when given;
  // without opacity its row is hidden and the result's alpha is 255. nullopt
  // when the user cancelled.
  static std::optional<Rgba> pick(QWidget* owner, const Rgba& start, bool withOpacity,
                                  std::optional<QPoint> at = std::nullopt);

  // The start values, as the callers fill the value boxes.
  void setValues(const Rgba& start, bool withOpacity);
  // The sliders' values.
  Rgba values() const;

  void HScroll1_Change(int i);
  void Text1_Change(int i);
  void Text2_Change();
  void RefreshHex();
  void PictColorpicker_MouseDown(int x, int y);
  void Check1_Click();
  void Command1_Click();
  void Command2_Click();

  std::array<QScrollBar*, 4> HScroll1{};
  std::array<QLineEdit*, 4> Text1{};
  std::array<QLabel*, 4> Label1{};
  QLabel* Picture1 = nullptr;  // swatch
  QLineEdit* Text2 = nullptr;  // "#RRGGBB"
  QPushButton* Check1 = nullptr;  // ">>>" / "<<<"
  QLabel* PictColorpicker = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QLabel* Label2 = nullptr;  // its left edge is the widened width

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int collapsedWidth_ = 0;
  bool typingHex_ = false;
};

}  // namespace tesmiro::gui
