#include "ui/main/splitter_handle.h"

#include <QFrame>
#include <QMouseEvent>
#include <algorithm>

namespace tesmiro::gui {

SplitterHandle::SplitterHandle(Qt::Orientation orientation, QFrame* bar, int margin, QWidget* parent)
    : QWidget(parent), orientation_(orientation), bar_(bar), margin_(margin) {
  setCursor(columns() ? Qt::SplitHCursor : Qt::SplitVCursor);
}

int SplitterHandle::position() const { return columns() ? bar_->x() : bar_->y(); }

void SplitterHandle::setPosition(int p) {
  if (columns()) {
    bar_->move(p, bar_->y());
  } else {
    bar_->move(bar_->x(), p);
  }
}

void SplitterHandle::mousePressEvent(QMouseEvent*) {
  // The bar is half as thick as the handle, over its leading half.
  if (columns()) {
    bar_->setGeometry(x(), y(), std::max(1, width() / 2), height());
  } else {
    bar_->setGeometry(x(), y(), width(), std::max(1, height() / 2));
  }
  bar_->show();
  bar_->raise();
  moving_ = true;
}

void SplitterHandle::mouseMoveEvent(QMouseEvent* event) {
  if (!moving_) return;
  const QPoint at = event->position().toPoint() + pos();
  const int p = columns() ? at.x() : at.y();
  const int extent = columns() ? parentWidget()->width() : parentWidget()->height();
  // In a window narrower than both margins a column stays at the leading
  // margin and a row at the trailing one.
  const int clamped = std::min(std::max(p, margin_), extent - margin_);
  setPosition(columns() && p < margin_ ? margin_ : clamped);
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent*) {
  if (!moving_) return;
  bar_->hide();
  moving_ = false;
  if (onMoved) onMoved();
}

}  // namespace tesmiro::gui
