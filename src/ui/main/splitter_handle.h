#pragma once
// The invisible strip that takes the mouse for a splitter bar; it reports
// press, move and release with the button, the Shift mask and the pointer
// position inside itself.
#include <QWidget>
#include <functional>

namespace tesmiro::gui {

class SplitterHandle : public QWidget {
  Q_OBJECT

 public:
  using Handler = std::function<void(int button, int shift, int x, int y)>;
  SplitterHandle(Qt::Orientation orientation, QWidget* parent);
  Handler onMouseDown, onMouseMove, onMouseUp;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tesmiro::gui
