#pragma once
// The invisible strip that takes the mouse for a splitter. While the left
// button drags it, its bar (a dark line in the same parent) follows the
// pointer, kept `margin` pixels inside the parent; on the release the bar
// stays where the splitter now is, hides, and `onMoved` lays the window out
// again. Between drags the bar keeps the position for the layout to read.
#include <QWidget>
#include <functional>

class QFrame;

namespace tesmiro::gui {

class SplitterHandle : public QWidget {
  Q_OBJECT

 public:
  // Qt::Vertical: a column splitter that moves sideways; Qt::Horizontal: a
  // row splitter that moves up and down.
  SplitterHandle(Qt::Orientation orientation, QFrame* bar, int margin, QWidget* parent);
  // The splitter's position in the parent: the bar's x or y.
  int position() const;
  void setPosition(int p);
  std::function<void()> onMoved;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool columns() const { return orientation_ == Qt::Vertical; }

  Qt::Orientation orientation_;
  QFrame* bar_;
  int margin_;
  bool moving_ = false;
};

}  // namespace tesmiro::gui
