#pragma once
// A window's keep-on-top state, following its "前面" box. Putting a window on
// top shows it again, which activates it, and activation applies the box
// once more: making the window topmost is therefore not repeated within half
// a second of the last time. A change of the box always follows at once, so
// that the box and the window never disagree.
#include <QDateTime>

class QWidget;

namespace tesmiro::gui {

class KeepOnTop {
 public:
  static constexpr qint64 kGuardMs = 500;

  explicit KeepOnTop(QWidget* window) : window_(window) {}
  // Applies the box: `wanted` is the box offered and ticked.
  void follow(bool wanted);
  // Off for a while (a modal dialog of the window is open); the next
  // follow() puts it back.
  void drop();
  bool onTop() const { return onTop_; }

 private:
  QWidget* window_;
  bool onTop_ = false;
  QDateTime lastMade_;  // by the clock service; invalid before the first time
};

}  // namespace tesmiro::gui
