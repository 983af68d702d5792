#include "ui/common/keep_on_top.h"

#include "ui/common/services.h"

namespace tesmiro::gui {

void KeepOnTop::follow(bool wanted) {
  if (!wanted) {
    drop();
    return;
  }
  const QDateTime now = Desktop().clock->now();
  if (onTop_ && lastMade_.isValid()) {
    // A clock set back makes the last time long ago.
    const qint64 elapsed = lastMade_.msecsTo(now);
    if (elapsed >= 0 && elapsed <= kGuardMs) return;
  }
  // Made again even when on top already: another window may have taken the top.
  Desktop().placement->setKeepOnTop(window_, true);
  onTop_ = true;
  lastMade_ = now;
}

void KeepOnTop::drop() {
  if (!onTop_) return;
  Desktop().placement->setKeepOnTop(window_, false);
  onTop_ = false;
}

}  // namespace tesmiro::gui
