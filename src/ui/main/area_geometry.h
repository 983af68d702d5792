#pragma once
// What the main window's areas share to make and place their controls.
#include <QString>
#include <QWidget>
#include <algorithm>

namespace tesmiro::gui {

// Tests and the style find a control by its name, the member's meaning.
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// Geometry that a negative size would make invalid is clamped to empty, as
// failed assignments of a tiny window leave a control as it was.
inline void Place(QWidget* w, int x, int y, int width, int height) {
  w->setGeometry(x, y, std::max(0, width), std::max(0, height));
}

}  // namespace tesmiro::gui
