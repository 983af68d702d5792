#pragma once
// Mouse, key and wheel input as the user gives it, sent straight to a
// widget (no window system in between, so the offscreen platform behaves
// as a desktop does). Points are in the widget's own coordinates.
#include <QEvent>
#include <QPoint>
#include <QString>
#include <Qt>
#include <initializer_list>

class QWidget;

namespace tesmiro::testing {

// Makes the window the active one and lets its activation run.
void ActivateWindow(QWidget& window);

// A key pressed and released.
void SendKey(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {});

// One mouse event. `button` is the button that changed (none for a move);
// `held` the buttons down once the event has happened.
void SendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
void MouseMove(QWidget* to, QPoint at, Qt::MouseButtons held = Qt::NoButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
void MousePress(QWidget* to, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                Qt::KeyboardModifiers mods = Qt::NoModifier);
void MouseRelease(QWidget* to, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier);
void Click(QWidget* to, QPoint at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier);
// Two clicks in a row: press, release, double-click, release.
void DoubleClick(QWidget* to, QPoint at);
// Pressed at the first point, moved through the others with the left
// button held, released at the last.
void Drag(QWidget* to, std::initializer_list<QPoint> path, Qt::KeyboardModifiers mods = Qt::NoModifier);

// A vertical wheel turn of `delta` eighths of a degree (120 a notch).
void SendWheel(QWidget* to, int delta, QPoint at = QPoint(20, 20));

}  // namespace tesmiro::testing
