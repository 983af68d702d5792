#pragma once
// The box over the event list (ListEventHead): the strip of timeline tabs
// (when shown) and the column heads, scrolled with the list. Mouse events go
// to the event list area's handlers; it holds no model state, only the tab held
// by the mouse between a press and its release.
#include <QWidget>
#include <functional>
#include <string>

#include "project/event_list_tabs.h"

namespace tesmiro::gui {

class EventListHead : public QWidget {
  Q_OBJECT

 public:
  explicit EventListHead(QWidget* parent = nullptr);

  // Lays the tabs out again (their edges are what the mouse hits) and
  // repaints.
  void drawTabsAndHeader();
  // A caption cut with "..." to fit the width in this box's font.
  std::string fitText(const std::string& text, int width) const;
  // The tab the mouse holds, for the strip's mouse rules.
  EventListModule::TabStripMouse& tabMouse() { return tabMouse_; }

  std::function<void(int button, int shift, int x, int y)> onMouseDown;
  std::function<void(int button, int shift, int x, int y)> onMouseMove;
  std::function<void(int button, int shift, int x, int y)> onMouseUp;
  std::function<void()> onDblClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void drawTab(QPainter& p, const EventListModule::TabFace& tab, bool bare);

  EventListModule::TabStripLayout layout_;
  EventListModule::TabStripMouse tabMouse_;
};

}  // namespace tesmiro::gui
