#pragma once
// The file list's mouse, keys and drops: selection by click, Shift, Ctrl and
// drag, folders opened and closed, materials moved by dragging them inside
// the list, the insert position of the popup's add commands, and files
// dropped from the desktop. The window turns its events into these calls
// (press, move, release, click, double click) and does what the results ask
// of it (cursor shape, popup, commands that need a dialog).
//
// Modifier masks are whole values: 1 Shift, 2 Ctrl, 4 Alt. Buttons: 1 left,
// 2 right. Coordinates are pixels of the list, rounded by the caller.
#include <cstdint>
#include <string>
#include <vector>

namespace tesmiro::FileListInput {

// The gesture in progress, kept by the list between its events and handed
// to every call that reads or moves it.
struct DragState {
  int32_t downX = 0;
  int32_t downY = 0;
  bool buttonDown = false;
  bool dragging = false;
  int32_t selectMode = 0;  // 0 the drag moves items, 1 selects rows, -1 deselects them
  bool folderToggled = false;  // the last release opened or closed a folder
  bool doubleClicked = false;  // the next release completes a double click
  int32_t lastDragRow = -1, lastDragMode = -1;  // drop marker of an inner drag
  int32_t lastDropRow = -1, lastDropMode = -1;  // drop marker of a desktop drag
};

// Preferences the handlers read.
struct Options {
  bool multiSelect = false;          // a drag from an unselected row selects rows
  bool doubleClickProperty = false;  // double click opens the property dialog
};

enum class Cursor { Unchanged, Drag, Default };

void MouseDown(DragState& drag, int32_t shift, int32_t x, int32_t y, const Options& options);
Cursor MouseMove(DragState& drag, int32_t shift, int32_t x, int32_t y);

struct MouseUpResult {
  bool popup = false;  // show the file list's popup (entries: PopupStates)
  Cursor cursor = Cursor::Default;
};
MouseUpResult MouseUp(DragState& drag, int32_t button, int32_t shift, int32_t x, int32_t y);

// The item of the cursor row into the information panel.
void Click();

enum class DoubleClickAction { None, Property, AddEvent };
// What a double click (or Enter) runs: nothing when it completed a click on
// a folder's expander or when no row is selected. The release that follows
// a double click of the mouse is no click of its own (it would toggle the
// folder back); the window says which it reports.
DoubleClickAction DblClick(DragState& drag, const Options& options, bool fromMouse = false);

struct KeyResult {
  bool doubleClick = false;  // Enter: run the double-click action
  bool cancelledDrag = false;
};
KeyResult KeyDown(int32_t key, int32_t shift);
KeyResult KeyUp(DragState& drag, int32_t key, int32_t shift);

// The popup's entry states, as the cursor row and selection allow.
struct PopupStates {
  bool addEvent = false;
  bool undo = false;
  bool redo = false;
  bool open = false;  // the submenu that opens the file or its folder
  bool selectAll = false;
  bool deleteItems = false;
  bool duplicate = false;
  bool property = false;
  bool defaultIsProperty = false;  // else "add events" is the default entry
};
PopupStates Popup(const Options& options);

// Desktop drags: the marker follows the mouse (with vertical auto-scroll);
// leaving the list removes it.
void DropOver(DragState& drag, int32_t y);
void DropLeave(DragState& drag);

struct DropResult {
  enum class Kind { Ignored, Added, NothingAdded, OpenProject };
  Kind kind = Kind::Ignored;
  std::string project;  // OpenProject: the project file to open once the drop is over
  // What was not added, for the warning once the drop is over
  // (StoreCommands::ReportLeftOut).
  std::vector<std::string> leftOut;
};
// Local paths dropped at y: a project file first in the list is to be
// opened (after the drop, by the window); anything else is added at the
// drop position as one undo step. `links` are the dropped addresses that
// name no file of this machine, left out like the files the add does not
// take. A drop of neither is ignored.
DropResult Drop(DragState& drag, int32_t y, const std::vector<std::string>& paths,
                const std::vector<std::string>& links = {});

}  // namespace tesmiro::FileListInput
