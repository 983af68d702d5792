#pragma once
// Input of the event list as plain rules: the mouse selection (click, Shift,
// Ctrl, band drag with auto-scroll), the navigation keys, what follows a
// change of the selection, the Edit menu's states while the list has the
// focus, and the mouse wheel of the two lists.
#include <cstdint>
#include <map>
#include <string>

namespace tesmiro::EventListModule {

// The platform's modifier bits of mouse and key events.
enum ShiftMask : int32_t { kShift = 1, kCtrl = 2, kAlt = 4 };
enum MouseButton : int32_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// Key codes the list handles.
enum KeyCode : int32_t {
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyUp = 38,
  kKeyDown = 40,
};

// Button down at pixel line y of the list (shift: the whole modifier state).
void MouseDown(int32_t button, int32_t shift, int32_t y);
// Pointer moves while a button is down: auto-scroll near the edges, then
// the band from the anchor to the row under the pointer.
void MouseMove(int32_t button, int32_t shift, int32_t x, int32_t y);
// Button up; true when the event menu is to be opened at the pointer.
bool MouseUp(int32_t button, int32_t shift, int32_t x, int32_t y);

// A navigation key with the list focused; false for keys it leaves alone.
// A page is the vertical bar's large change; Alt jumps between label rows.
bool KeyDown(int32_t keyCode, int32_t shift);
bool IsNavigationKey(int32_t keyCode);

// The selection changed (click, key release, a command): the information
// panel shows the current event's material and, with sync on, the file list
// selects it. True when the script panel and the event dialog should follow
// too (not in the middle of a mouse drag).
bool SelectionChanged(bool syncChecked);

// The Edit menu's event items while the list has the focus.
struct EventEditMenu {
  bool undo = false;
  bool redo = false;
  bool copy = false;
  bool cut = false;
  bool paste = false;
  bool selectAll = false;
  bool remove = false;
  bool property = false;
  bool syncEnabled = false;
  bool syncChecked = false;
  bool insertAction = false;
};
// Focus gained. alwaysSync: the preference that keeps the sync item a toggle;
// syncChecked, insertAction: the items' states before; listEnabled: whether
// the list accepts input.
EventEditMenu FocusMenuState(bool alwaysSync, bool syncChecked, bool insertAction, bool listEnabled);
// Focus lost: every event item off (the sync item keeps its check).
EventEditMenu BlurMenuState(bool syncChecked);

}  // namespace tesmiro::EventListModule

namespace tesmiro::BasWheelMouse {

inline constexpr const char* kEventList = "PictEventList";
inline constexpr const char* kFileList = "PictFileList";

// The wheel as its owner (the window's wheel hook) keeps it between inputs.
struct WheelState {
  std::string hooked;                    // the hooked list's name, "" when none
  std::map<std::string, int64_t> rest;  // part of a notch not yet scrolled, per list
};

// Only one list takes the wheel at a time: the one that got the focus first
// keeps it until it loses the focus.
void HookWheel(WheelState& wheel, const std::string& control);
void UnhookWheel(WheelState& wheel);
// Rows by which one wheel input scrolls the named list (positive: down).
// Input is summed per list into whole notches of 120, so small touchpad
// steps scroll as far up as down; a turn of direction drops the rest.
int32_t WheelRows(WheelState& wheel, const std::string& control, int32_t delta, int32_t rowsPerNotch);

}  // namespace tesmiro::BasWheelMouse
