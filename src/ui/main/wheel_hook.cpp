#include "ui/main/wheel_hook.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "project/preferences.h"

namespace tesmiro::gui {

WheelHook::WheelHook(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

WheelHook::~WheelHook() { qApp->removeEventFilter(this); }

void WheelHook::addList(const std::string& name, QWidget* widget, std::function<void(int)> scroll) {
  lists_.push_back({name, widget, std::move(scroll)});
}

void WheelHook::take(const std::string& name) {
  // Focus can pass from one list to the other while the window is inactive;
  // the first one then hears of no loss, and its hook would stay.
  if (wheel_.hooked != name) BasWheelMouse::UnhookWheel(wheel_);
  BasWheelMouse::HookWheel(wheel_, name);
}

void WheelHook::release(const std::string& name) {
  if (wheel_.hooked == name) BasWheelMouse::UnhookWheel(wheel_);
}

bool WheelHook::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return false;
  auto* target = qobject_cast<QWidget*>(watched);
  if (!target) return false;
  const bool overList = std::any_of(lists_.begin(), lists_.end(), [target](const List& l) {
    return l.widget && (l.widget == target || l.widget->isAncestorOf(target));
  });
  if (!overList) return false;
  // The lists' own scroll bars would scroll by themselves: the wheel is the
  // hooked list's alone.
  const std::string hooked = wheel_.hooked;
  const auto list = std::find_if(lists_.begin(), lists_.end(), [&hooked](const List& l) { return l.name == hooked; });
  if (list == lists_.end() || !list->widget) return true;
  const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
  const int perNotch = std::clamp(Prefs::Current().mouseWheelScroll, 1, 16);
  const int rows = BasWheelMouse::WheelRows(wheel_, hooked, delta, perNotch);
  if (rows != 0 && list->scroll) list->scroll(rows);
  return true;
}

}  // namespace tesmiro::gui
