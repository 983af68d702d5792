#include "ui/main/splitter_handle.h"

#include <QMouseEvent>

namespace tesmiro::gui {
namespace {

int ButtonOf(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

int ShiftOf(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

void Call(const SplitterHandle::Handler& h, int button, QMouseEvent* e) {
  if (h) {
    const QPoint p = e->position().toPoint();
    h(button, ShiftOf(e->modifiers()), p.x(), p.y());
  }
}

}  // namespace

SplitterHandle::SplitterHandle(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
  setCursor(orientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SplitterHandle::mousePressEvent(QMouseEvent* e) { Call(onMouseDown, ButtonOf(e->button()), e); }
void SplitterHandle::mouseMoveEvent(QMouseEvent* e) { Call(onMouseMove, ButtonOf(e->buttons()), e); }
void SplitterHandle::mouseReleaseEvent(QMouseEvent* e) { Call(onMouseUp, ButtonOf(e->button()), e); }

}  // namespace tesmiro::gui
