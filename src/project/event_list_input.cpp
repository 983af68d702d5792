#include "project/event_list_input.h"

#include <algorithm>

#include "project/event_list_tabs.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/sorting.h"

namespace tesmiro::EventListModule {
namespace {

constexpr int32_t kEdge = 5;  // pixels from an edge where a drag scrolls
constexpr int32_t kHorizontalStep = 8;

EventListRow& Row(int32_t r) { return Current().rows[static_cast<size_t>(r)]; }

void Select(int32_t r, bool on) {
  if (r >= 0 && r < RowCount()) Row(r).selected = on ? -1 : 0;
}

// Rows from one to the other inclusive; rows outside the list are skipped.
void SelectBand(int32_t from, int32_t to, bool on) {
  const int32_t lo = std::max(0, std::min(from, to));
  const int32_t hi = std::min(RowCount() - 1, std::max(from, to));
  for (int32_t r = lo; r <= hi; ++r) Row(r).selected = on ? -1 : 0;
}

void AutoScroll(int32_t x, int32_t y) {
  const State& s = Current();
  const int32_t v = ScrollValue();
  if (y < kEdge && v >= 2) {
    SetScrollValue(v - 1);
  } else if (y > s.geometry.height - kEdge && v < s.vBar.max) {
    SetScrollValue(v + 1);
  }
  if (!s.hBar.visible) return;
  const int32_t h = s.hScroll;
  if (x < kEdge && h >= 1) {
    SetHorizontalScroll(h < kHorizontalStep ? 0 : h - kHorizontalStep);
  } else if (x > s.geometry.width - kEdge && h < s.hBar.max) {
    SetHorizontalScroll(std::min(h + kHorizontalStep, s.hBar.max));
  }
}

}  // namespace

void MouseDown(int32_t button, int32_t shift, int32_t y) {
  State& s = Current();
  if (RowCount() == 0) return;
  const int32_t r = GetLastVisibleRow(y);
  if (r > RowCount() - 1) {
    // Empty space below the end row: nothing to select or drag.
    ClearRowSelection();
    DrawEventList();
    return;
  }
  switch (shift) {
    case 0:
      if (button == kLeftButton || Row(r).selected == 0) ClearRowSelection();
      Select(r, true);
      s.paintValue = true;
      s.anchorRow = r;
      break;
    case kShift: {
      const int32_t c = s.currentRow;
      if (r != c) {
        ClearRowSelection();
        SelectBand(c, r, true);
      }
      s.paintValue = true;
      s.anchorRow = c;
      break;
    }
    case kCtrl:
      Select(r, Row(r).selected == 0);
      s.paintValue = Row(r).selected != 0;
      s.anchorRow = r;
      break;
    default:
      // Other combinations keep the selection, but a drag from here must
      // not paint from an anchor and value left over from an earlier one.
      s.paintValue = true;
      s.anchorRow = r;
      break;
  }
  s.currentRow = r;
  s.lastRow = r;
  DrawEventList();
  s.mouseSelecting = true;
}

void MouseMove(int32_t button, int32_t shift, int32_t x, int32_t y) {
  State& s = Current();
  if (!s.mouseSelecting || RowCount() == 0) return;
  AutoScroll(x, y);
  const int32_t r = GetLastVisibleRow(y);
  // Below the end row the pointer is on no row; the current row stays the
  // end row, so the commands that follow the release act inside the list.
  s.currentRow = std::min(r, RowCount() - 1);
  if (r == s.lastRow) return;
  if (r >= RowCount()) {
    DrawEventList();
    s.lastRow = r;
    return;
  }
  if (shift != kCtrl) ClearRowSelection();
  SelectBand(s.anchorRow, r, s.paintValue);
  DrawEventList();
  s.lastRow = r;
}

bool MouseUp(int32_t button, int32_t shift, int32_t x, int32_t y) {
  State& s = Current();
  s.mouseSelecting = false;
  s.paintValue = false;
  DrawEventList();
  return button == kRightButton && RowCount() > 0;
}

bool IsNavigationKey(int32_t keyCode) {
  switch (keyCode) {
    case kKeyUp:
    case kKeyDown:
    case kKeyPageUp:
    case kKeyPageDown:
    case kKeyHome:
    case kKeyEnd: return true;
    default: return false;
  }
}

bool KeyDown(int32_t keyCode, int32_t shift) {
  if (!IsNavigationKey(keyCode)) return false;
  State& s = Current();
  const int32_t count = RowCount();
  if (count == 0) return true;
  const int32_t page = s.vBar.largeChange;
  int32_t step = 0;
  switch (keyCode) {
    case kKeyUp: step = -1; break;
    case kKeyDown: step = 1; break;
    case kKeyPageUp: step = -page; break;
    case kKeyPageDown: step = page; break;
    case kKeyHome: step = -count; break;
    case kKeyEnd: step = count; break;
    default: break;
  }
  int64_t target = (shift & kAlt) ? FindNextLabelRow(s.currentRow, step) : static_cast<int64_t>(s.currentRow) + step;
  target = std::clamp<int64_t>(target, 0, count - 1);
  const int32_t t = static_cast<int32_t>(target);
  ClearRowSelection();
  if (shift & kShift) {
    SelectBand(t, s.anchorRow, true);
  } else {
    s.anchorRow = t;
    Select(t, true);
  }
  s.currentRow = t;
  if (!EnsureCurrentVisible()) DrawEventList();
  return true;
}

bool SelectionChanged(bool syncChecked) {
  const State& s = Current();
  const int32_t index = s.currentRow + 1;
  GUICore::ShowItemInfo(GUICore::GetEvent(index).itemId);
  if (syncChecked) GUICore::SelectStoreItemByID(index, false);
  return !s.paintValue;
}

EventEditMenu FocusMenuState(bool alwaysSync, bool syncChecked, bool insertAction, bool listEnabled) {
  EventEditMenu m;
  m.undo = GUICore::CanEventUndo();
  m.redo = GUICore::CanEventRedo();
  m.copy = m.cut = m.remove = m.selectAll = true;
  m.paste = GUICore::EventClipboardHasData();
  m.property = true;
  if (!alwaysSync) {
    m.syncChecked = false;
    m.syncEnabled = GUICore::EventHasStoreItem(Current().currentRow + 1);
  } else {
    m.syncChecked = syncChecked;
    m.syncEnabled = true;
  }
  m.insertAction = listEnabled || insertAction;
  return m;
}

EventEditMenu BlurMenuState(bool syncChecked) {
  EventEditMenu m;
  m.syncChecked = syncChecked;
  return m;
}

}  // namespace tesmiro::EventListModule

namespace tesmiro::BasWheelMouse {
namespace {

constexpr int32_t kNotch = 120;

}  // namespace

void HookWheel(WheelState& wheel, const std::string& control) {
  if (!wheel.hooked.empty()) return;
  wheel.hooked = control;
}

void UnhookWheel(WheelState& wheel) {
  if (wheel.hooked.empty()) return;
  wheel.rest.erase(wheel.hooked);
  wheel.hooked.clear();
}

int32_t WheelRows(WheelState& wheel, const std::string& control, int32_t delta, int32_t rowsPerNotch) {
  int64_t& rest = wheel.rest[control];
  if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0)) rest = 0;
  rest += delta;
  const int64_t notches = rest / kNotch;  // toward zero: the same either way
  rest -= notches * kNotch;
  // Away from the user (positive) scrolls towards the top.
  const int64_t rows = -notches * rowsPerNotch;
  return static_cast<int32_t>(std::clamp<int64_t>(rows, INT32_MIN, INT32_MAX));
}

}  // namespace tesmiro::BasWheelMouse
