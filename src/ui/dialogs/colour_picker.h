#pragma once
// The program's one colour picker: red, green, blue and (for filters)
// opacity sliders with value boxes, a hexadecimal box, and a palette of 216
// colours shown by widening the window. Each control's objectName is its
// member's name.
#include <QDialog>
#include <QPoint>
#include <array>
#include <optional>

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

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Channel { Red, Green, Blue, Alpha };

  void onChannelSliderChanged(Channel channel);
  void onChannelBoxChanged(Channel channel);
  void onHexChanged();
  void refreshHex();
  void onPalettePressed(int x, int y);
  void togglePalette();
  void onOk();
  void onCancel();

  std::array<QScrollBar*, 4> channelSliders{};  // by Channel
  std::array<QLineEdit*, 4> channelBoxes{};
  std::array<QLabel*, 4> channelLabels{};
  QLabel* colourSwatch = nullptr;
  QLineEdit* hexBox = nullptr;  // "#RRGGBB"
  QPushButton* paletteButton = nullptr;  // ">>>" / "<<<"
  QLabel* PictColorpicker = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QLabel* widenedEdgeLabel = nullptr;  // its left edge is the widened width

  int collapsedWidth_ = 0;
  bool typingHex_ = false;
};

}  // namespace tesmiro::gui
