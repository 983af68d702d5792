#include "support/input_helpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "support/main_gui_fixture.h"

namespace tesmiro::testing {

void ActivateWindow(QWidget& window) {
  QApplication::setActiveWindow(&window);
  window.activateWindow();
  Settle();
}

void SendKey(QWidget* to, int key, Qt::KeyboardModifiers mods, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(to, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(to, &release);
}

void SendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods) {
  QMouseEvent e(type, QPointF(at), QPointF(to->mapToGlobal(at)), button, held, mods);
  QApplication::sendEvent(to, &e);
}

void MouseMove(QWidget* to, QPoint at, Qt::MouseButtons held, Qt::KeyboardModifiers mods) {
  SendMouse(to, QEvent::MouseMove, at, Qt::NoButton, held, mods);
}

void MousePress(QWidget* to, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  SendMouse(to, QEvent::MouseButtonPress, at, button, button, mods);
}

void MouseRelease(QWidget* to, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  SendMouse(to, QEvent::MouseButtonRelease, at, button, Qt::NoButton, mods);
}

void Click(QWidget* to, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  MousePress(to, at, button, mods);
  MouseRelease(to, at, button, mods);
}

void DoubleClick(QWidget* to, QPoint at) {
  Click(to, at);
  SendMouse(to, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
  MouseRelease(to, at);
}

void Drag(QWidget* to, std::initializer_list<QPoint> path, Qt::KeyboardModifiers mods) {
  if (path.size() == 0) return;
  MousePress(to, *path.begin(), Qt::LeftButton, mods);
  for (auto it = path.begin() + 1; it != path.end(); ++it) MouseMove(to, *it, Qt::LeftButton, mods);
  MouseRelease(to, *(path.end() - 1), Qt::LeftButton, mods);
}

void SendWheel(QWidget* to, int delta, QPoint at) {
  QWheelEvent e(QPointF(at), QPointF(to->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(to, &e);
}

}  // namespace tesmiro::testing
