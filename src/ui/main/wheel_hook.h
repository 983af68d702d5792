#pragma once
// The mouse wheel over the two lists scrolls the list that has the focus
// (the one hooked), whichever of them the pointer is over; with neither
// hooked it scrolls nothing. Input is summed into whole notches per list.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "project/event_list_input.h"

class QWidget;

namespace tesmiro::gui {

class WheelHook : public QObject {
  Q_OBJECT

 public:
  // Watches the application's wheel events for its lifetime.
  explicit WheelHook(QObject* parent = nullptr);
  ~WheelHook() override;

  // A list by its control name ("PictEventList", "PictFileList"), its widget
  // and what scrolls it by n rows (positive: down).
  void addList(const std::string& name, QWidget* widget, std::function<void(int)> scroll);
  // Gives the wheel to the named list (the one that just got the focus),
  // taking it from the other list if that one still holds it.
  void take(const std::string& name);
  // The named list lost the focus: it lets the wheel go if it holds it
  // (the other list may have taken it already).
  void release(const std::string& name);
  // The hook and the notches summed so far.
  BasWheelMouse::WheelState& state() { return wheel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct List {
    std::string name;
    QPointer<QWidget> widget;
    std::function<void(int)> scroll;
  };
  std::vector<List> lists_;
  BasWheelMouse::WheelState wheel_;
};

}  // namespace tesmiro::gui
