// The reference of the start-up benchmark: a bare Qt Widgets window of the
// main window's size (its designed client area and menu bar), with nothing
// in it, started and timed the same way (first_paint.h).
#include <QApplication>
#include <QWidget>

#include "first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.resize(900, 660);
  tesmiro::bench::FirstPaint watch;
  window.installEventFilter(&watch);
  window.show();
  return app.exec();
}
