#pragma once
// Qt mouse and focus events in the terms of the list handlers: buttons
// 1 left, 2 right, 4 middle; Shift 1, Ctrl 2, Alt 4.
#include <Qt>

namespace tesmiro::gui {

inline int MouseButtonsCode(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}
inline int MouseButtonCode(Qt::MouseButton b) { return MouseButtonsCode(Qt::MouseButtons(b)); }

inline int ShiftCode(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

// Opening a menu or switching windows takes the focus only for a moment;
// the list keeps its menu states and wheel.
inline bool IsTransientFocusLoss(Qt::FocusReason reason) {
  return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason || reason == Qt::ActiveWindowFocusReason;
}

}  // namespace tesmiro::gui
