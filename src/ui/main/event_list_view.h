#pragma once
// The owner-drawn event list (PictEventList): paints the rows of the core's
// event-list model and turns mouse, key and focus events into the event
// list area's handlers, in the order press, release, click, double-click,
// release. It holds no model state.
#include <QWidget>
#include <functional>

class QScrollBar;

namespace tesmiro::gui {

class EventListView : public QWidget {
  Q_OBJECT

 public:
  explicit EventListView(QWidget* parent = nullptr);

  // The bars laid inside the list (eventListVScrollBar, eventListHScrollBar); their sizes count in
  // the scroll rules.
  void setScrollBars(QScrollBar* vertical, QScrollBar* horizontal);
  // The model changed: measures the rows in view, sets the bars and repaints.
  void drawEventList();
  // Reports the client size (and whether icons are shown) to the model.
  void reportGeometry();
  // Paints the list as it stands (also into pictures for tests and timing).
  void paintList(QPainter& painter);

  std::function<void(int button, int shift, int x, int y)> onMouseDown;
  std::function<void(int button, int shift, int x, int y)> onMouseMove;
  std::function<void(int button, int shift, int x, int y)> onMouseUp;
  std::function<void()> onClick;
  std::function<void()> onDblClick;
  std::function<void()> onGotFocus;
  std::function<void()> onLostFocus;
  std::function<bool(int keyCode, int shift)> onKeyDown;
  std::function<void(int keyCode, int shift)> onKeyUp;
  std::function<void(int ascii)> onKeyPress;
  std::function<void()> onResize;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QScrollBar* vBar_ = nullptr;
  QScrollBar* hBar_ = nullptr;
  int bottomLimit_ = 0;  // the background below the rows is wiped down to here
  bool afterDoubleClick_ = false;  // the release that ends a double-click raises no click
  int pressedButtons_ = 0;
};

}  // namespace tesmiro::gui
