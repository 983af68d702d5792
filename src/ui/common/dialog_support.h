#pragma once
// Small helpers every dialog uses.
#include <QCheckBox>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QAbstractButton;
class QDialog;
class QLabel;
class QWidget;

namespace tesmiro::gui {

// The rectangle moved (and, when larger, shrunk) so that it lies wholly
// inside the area.
QRect FitInside(const QRect& window, const QRect& area);

// Moves a window to a stored position (twips of its outer top-left corner),
// kept wholly inside the work area of the screen that holds that point.
void PlaceFromTwips(QWidget* window, double leftTwips, double topTwips);
// Moves a window's outer top-left corner to a screen point (pixels), kept
// wholly inside the work area of the screen that holds that point.
void PlaceAt(QWidget* window, const QPoint& globalPos);
// Brings a shown window back inside the work area of its screen, now that
// its frame is known (a stored place may predate the frame).
void KeepInsideWorkArea(QWidget* window);
// The window's outer top-left corner in twips, for storing.
void StoreTwips(const QWidget* window, int32_t& leftTwips, int32_t& topTwips);

// Escape in the dialog clicks this button (its Cancel or Close), so that
// closing with Escape runs the same handler as the button. An open list,
// menu or completer in the dialog takes Escape first and closes alone.
void RouteEscapeTo(QWidget* dialog, QAbstractButton* button);

// Runs a modal dialog and returns its result code. Every modal dialog of
// the program goes through here, so that tests can act on a dialog (fill
// it, press its buttons) without entering its event loop.
int ExecModal(QDialog& dialog);
// What the dialog hands back after OK (read by `read` while the dialog
// still exists), or nullopt when it was cancelled.
template <typename Read>
auto ModalResult(QDialog& dialog, Read read) -> std::optional<decltype(read())>;

// Replaces ExecModal's event loop for its lifetime (tests): the runner gets
// each dialog instead and answers its result code. The previous runner
// comes back when it ends.
class ScopedModalRunner {
 public:
  using Runner = std::function<int(QDialog&)>;
  explicit ScopedModalRunner(Runner runner);
  ~ScopedModalRunner();
  ScopedModalRunner(const ScopedModalRunner&) = delete;
  ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

 private:
  Runner previous_;
};

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

bool Accepted(int resultCode);

// A colour swatch: a framed, filled box that is clicked to pick its colour.
void ShowAsSwatch(QLabel* swatch);

// One control of a dialog declared as data: the member it goes into (whose
// type is its kind), its objectName, the control it sits in (by objectName;
// empty: the dialog itself), its rectangle and its caption.
struct ControlRow {
  std::function<QWidget*()> make;
  QString name;
  QString parent;
  QRect rect;
  QString caption;
};

template <class W>
ControlRow Row(W*& member, const QString& name, const QString& parent, const QRect& rect,
               const QString& caption = QString()) {
  return {[&member] { return member = new W; }, name, parent, rect, caption};
}

// Creates the rows' controls in the rows' order (which is their tab order),
// names, places and captions each, and hands each to `finish` (the dialog's
// own settings for a kind of control).
void PlaceControls(QWidget* dialog, const std::vector<ControlRow>& rows,
                   const std::function<void(QWidget*)>& finish = {});

template <typename Read>
auto ModalResult(QDialog& dialog, Read read) -> std::optional<decltype(read())> {
  if (!Accepted(ExecModal(dialog))) return std::nullopt;
  return read();
}

}  // namespace tesmiro::gui
