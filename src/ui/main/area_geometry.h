#pragma once
// What the main window's areas share to make and place their controls.
#include <QPalette>
#include <QScrollBar>
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

// A list's header and body, stand-ins made in the window's stacking order
// until the list's own widgets take their places, and the scroll bars the
// list takes over; the names are those of the four, in that order.
struct ListControlNames {
  const char* head;
  const char* list;
  const char* vertical;
  const char* horizontal;
};

inline void MakeListControls(QWidget* central, const ListControlNames& names, QWidget*& head, QWidget*& list,
                             QScrollBar*& vertical, QScrollBar*& horizontal) {
  head = Named(new QWidget(central), names.head);
  head->setAutoFillBackground(true);
  list = Named(new QWidget(central), names.list);
  list->setFocusPolicy(Qt::StrongFocus);
  list->setAutoFillBackground(true);
  list->setBackgroundRole(QPalette::Base);
  vertical = Named(new QScrollBar(Qt::Vertical, list), names.vertical);
  horizontal = Named(new QScrollBar(Qt::Horizontal, list), names.horizontal);
}

}  // namespace tesmiro::gui
