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
// list takes over.
struct ListControls {
  QWidget* head;
  QWidget* list;
  QScrollBar* vertical;
  QScrollBar* horizontal;
};

inline ListControls MakeListControls(QWidget* central, const char* headName, const char* listName,
                                     const char* verticalName, const char* horizontalName) {
  ListControls c{};
  c.head = Named(new QWidget(central), headName);
  c.head->setAutoFillBackground(true);
  c.list = Named(new QWidget(central), listName);
  c.list->setFocusPolicy(Qt::StrongFocus);
  c.list->setAutoFillBackground(true);
  c.list->setBackgroundRole(QPalette::Base);
  c.vertical = Named(new QScrollBar(Qt::Vertical, c.list), verticalName);
  c.horizontal = Named(new QScrollBar(Qt::Horizontal, c.list), horizontalName);
  return c;
}

}  // namespace tesmiro::gui
