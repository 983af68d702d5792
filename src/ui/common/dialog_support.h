#pragma once
// Small helpers every dialog uses.
#include <QCheckBox>
#include <QRect>

class QAbstractButton;
class QWidget;

namespace tesmiro::gui {

// The rectangle moved (and, when larger, shrunk) so that it lies wholly
// inside the area.
QRect FitInside(const QRect& window, const QRect& area);

// Moves a window to a stored position (twips of its outer top-left corner),
// kept wholly inside the work area of the screen that holds that point.
void PlaceFromTwips(QWidget* window, double leftTwips, double topTwips);
// The window's outer top-left corner in twips, for storing.
void StoreTwips(const QWidget* window, int32_t& leftTwips, int32_t& topTwips);

// Escape in the dialog clicks this button (its Cancel or Close), so that
// closing with Escape runs the same handler as the button.
void RouteEscapeTo(QWidget* dialog, QAbstractButton* button);

// A check box with the "leave unchanged" third state of multiple
// selections: the program sets 0, 1 or 2 (grey); the user's clicks only
// ever give 0 or 1.
class GreyCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit GreyCheckBox(QWidget* parent = nullptr);
  explicit GreyCheckBox(const QString& text, QWidget* parent = nullptr);
  int value() const;  // 0, 1 or 2
  void setValue(int v);

 protected:
  void nextCheckState() override;
};

}  // namespace tesmiro::gui
