#include "project/file_list_input.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "project/build_lock.h"
#include "project/file_list_view.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"
#include "project/store_commands.h"
#include "project/store_undo.h"
#include "project/undo_scopes.h"

namespace tesmiro::FileListInput {
namespace {

constexpr int32_t kShift = 1;
constexpr int32_t kCtrl = 2;

constexpr int32_t kKeyEnter = 13;
constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeyPageUp = 33;
constexpr int32_t kKeyPageDown = 34;
constexpr int32_t kKeyEnd = 35;
constexpr int32_t kKeyHome = 36;
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;
constexpr int32_t kKeyDelete = 46;

// Moving the mouse this far (or less) after a press is still a click.
constexpr int32_t kDragSlop = 2;
// Auto-scroll starts this close to an edge.
constexpr int32_t kScrollEdge = 5;
constexpr int32_t kHorizontalScrollStep = 8;

FileListModule::State& List() { return FileListModule::Current(); }
int32_t RowCount() { return FileListModule::RowCount(); }

bool IsFolderRow(int32_t row) {
  return List().rows.valid(row) && List().rows.at(row).kind == static_cast<int32_t>(StoreItemKind::Folder);
}

void Select(int32_t row, bool on) {
  if (List().rows.valid(row)) List().rows.at(row).selected = on ? -1 : 0;
}

void SelectRange(int32_t from, int32_t to, bool on) {
  if (from > to) std::swap(from, to);
  for (int32_t r = std::max(from, 1); r <= to; ++r) Select(r, on);
}

// One edge step of the vertical bar while the mouse is near an edge; true
// when the list scrolled.
bool AutoScrollVertical(int32_t y, int32_t minValue) {
  const auto& view = FileListModule::CurrentView();
  const int32_t value = List().scrollTop;
  if (y < kScrollEdge && value >= minValue) {
    FileListModule::SetScrollTop(value - 1);
  } else if (y > view.height - kScrollEdge && value < view.bars.vMax) {
    FileListModule::SetScrollTop(value + 1);
  }
  return List().scrollTop != value;
}

bool AutoScrollHorizontal(int32_t x) {
  const auto& view = FileListModule::CurrentView();
  if (!view.bars.hVisible) return false;
  const int32_t value = List().hScroll;
  if (x < kScrollEdge && value >= 1) {
    FileListModule::SetHScroll(std::max(0, value - kHorizontalScrollStep));
  } else if (x > view.width - kScrollEdge && value < view.bars.hMax) {
    FileListModule::SetHScroll(std::min(view.bars.hMax, value + kHorizontalScrollStep));
  }
  return List().hScroll != value;
}

bool AnySelected() {
  const auto& rows = List().rows;
  return std::any_of(rows.begin(), rows.end(), [](const FileListRow& r) { return r.selected != 0; });
}

}  // namespace

void MouseDown(DragState& drag, int32_t shift, int32_t x, int32_t y, const Options& options) {
  int32_t mode = 0;
  const int32_t row = FileListModule::HitTestRow(y, mode);
  if (row > RowCount()) {
    // Below the last row: the selection stays and no drag can start.
    drag.downX = x;
    drag.downY = y;
    return;
  }
  drag.buttonDown = true;
  drag.dragging = false;
  drag.selectMode = 0;
  auto& list = List();
  const bool selected = list.rows.at(row).selected != 0;
  switch (shift) {
    case 0:
      // A press on a selected row keeps the selection, so it can be dragged.
      if (!selected) {
        if (options.multiSelect) drag.selectMode = 1;
        FileListModule::ClearRowMarks();
        Select(row, true);
      }
      break;
    case kShift:
      if (!selected && options.multiSelect) drag.selectMode = 1;
      if (row != list.cursorRow) {
        FileListModule::ClearRowMarks();
        SelectRange(list.cursorRow, row, true);
      }
      break;
    case kCtrl:
      if (options.multiSelect) drag.selectMode = selected ? -1 : 1;
      Select(row, !selected);
      break;
    default:
      break;
  }
  list.cursorRow = row;
  FileListModule::DrawFileList();
  drag.downX = x;
  drag.downY = y;
}

Cursor MouseMove(DragState& drag, int32_t shift, int32_t x, int32_t y) {
  if (!drag.buttonDown) return Cursor::Unchanged;
  Cursor cursor = Cursor::Unchanged;
  if (!drag.dragging) {
    if (std::abs(x - drag.downX) <= kDragSlop && std::abs(y - drag.downY) <= kDragSlop) return cursor;
    drag.dragging = true;
    cursor = drag.selectMode != 0 ? Cursor::Default : Cursor::Drag;
  }
  // Auto-scroll moves one step per mouse event.
  bool scrolled = AutoScrollVertical(y, 2);
  scrolled = AutoScrollHorizontal(x) || scrolled;

  if (drag.selectMode == 0) {
    int32_t mode = 1;
    const int32_t row = FileListModule::HitTestRow(y, mode);
    // A scroll repainted without the marker: draw it again even if unchanged.
    if (scrolled || row != drag.lastDragRow || mode != drag.lastDragMode) FileListModule::DrawFileList(row, mode);
    drag.lastDragRow = row;
    drag.lastDragMode = mode;
    return cursor;
  }
  int32_t mode = 0;
  const int32_t row = FileListModule::HitTestRow(y, mode);
  if (row < 1 || row > RowCount()) return cursor;
  if (shift == 0) FileListModule::ClearRowMarks();
  SelectRange(List().cursorRow, row, drag.selectMode == 1);
  FileListModule::DrawFileList();
  return cursor;
}

MouseUpResult MouseUp(DragState& drag, int32_t button, int32_t shift, int32_t x, int32_t y) {
  MouseUpResult result;
  auto& list = List();
  drag.folderToggled = false;
  const bool completesDoubleClick = drag.doubleClicked;
  drag.doubleClicked = false;
  if (!(button == 1 && drag.dragging) && !completesDoubleClick) {
    if (button == 1 && shift == 0) {
      int32_t mode = 0;
      const int32_t row = FileListModule::HitTestRow(drag.downY, mode);
      FileListModule::ClearRowMarks();
      if (row <= RowCount()) {
        const FileListRow& r = list.rows.at(row);
        const int32_t left = 80 + FileListModule::kIndent * r.level - list.hScroll;
        // The expander box and the folder icon open and close the folder.
        if (IsFolderRow(row) && drag.downX >= left && drag.downX <= left + 27 && !GUICore::BuildInProgress()) {
          GUICore::SetFolderOpen(r.index, r.open == 1 ? 0 : 1);
          drag.folderToggled = true;
        }
        Select(row, true);
      }
    }
  }
  if (button == 1 && drag.dragging && drag.selectMode == 0) {
    int32_t mode = 1;
    int32_t row = FileListModule::HitTestRow(y, mode);
    int32_t into = 1 - mode;
    GUICore::StoreUndoScope undo;
    // A refused move (into the moved folders' own subtree) changes nothing
    // and records no step.
    if (undo && !GUICore::MoveMarkedItems(row, into)) undo.dismiss();
  }
  if (button == 2) {
    if (!drag.dragging) {
      list.insertRow = list.cursorRow;
      list.insertMode = 0;
    } else {
      int32_t mode = 1;
      list.insertRow = FileListModule::HitTestRow(y, mode);
      list.insertMode = 1 - mode;
    }
    result.popup = true;
  }
  drag.buttonDown = false;
  drag.dragging = false;
  drag.selectMode = 0;
  drag.lastDragRow = drag.lastDragMode = -1;
  FileListModule::DrawFileList();
  return result;
}

void Click() { GUICore::ShowItemInfo(FileListModule::GetJpegListID(List().cursorRow)); }

DoubleClickAction DblClick(DragState& drag, const Options& options, bool fromMouse) {
  drag.doubleClicked = fromMouse;
  DoubleClickAction action = DoubleClickAction::None;
  if (!drag.folderToggled && RowCount() > 0 && AnySelected()) {
    action = options.doubleClickProperty ? DoubleClickAction::Property : DoubleClickAction::AddEvent;
  }
  drag.folderToggled = false;
  return action;
}

KeyResult KeyDown(int32_t key, int32_t shift) {
  KeyResult result;
  const int32_t count = RowCount();
  if (count == 0) return result;
  int32_t step = 0;
  switch (key) {
    case kKeyUp: step = -1; break;
    case kKeyDown: step = 1; break;
    case kKeyPageUp: step = -FileListModule::CurrentView().bars.vLargeChange; break;
    case kKeyPageDown: step = FileListModule::CurrentView().bars.vLargeChange; break;
    case kKeyHome: step = -count; break;
    case kKeyEnd: step = count; break;
    case kKeyEnter:
      result.doubleClick = true;
      return result;
    default:
      return result;
  }
  auto& list = List();
  list.cursorRow = std::min(std::max(list.cursorRow + step, 1), count);
  // With Shift only the rows reached are added, not the ones passed.
  if (shift != kShift) FileListModule::ClearRowMarks();
  Select(list.cursorRow, true);
  FileListModule::EnsureSelectionVisible();
  FileListModule::DrawFileList();
  Click();
  return result;
}

KeyResult KeyUp(DragState& drag, int32_t key, int32_t shift) {
  KeyResult result;
  auto& list = List();
  switch (key) {
    case kKeyDelete:
      StoreCommands::DeleteSelected();
      break;
    case kKeyLeft:
    case kKeyRight: {
      const int32_t state = key == kKeyRight ? 1 : 0;
      if (!list.rows.valid(list.cursorRow) || GUICore::BuildInProgress()) break;
      if (shift == kShift) {
        GUICore::SetAllFoldersOpen(state);
        FileListModule::DrawFileList();
      } else if (IsFolderRow(list.cursorRow)) {
        const int32_t row = list.cursorRow;
        GUICore::SetFolderOpen(list.rows.at(row).index, state);
        Select(row, true);
        FileListModule::DrawFileList();
      }
      break;
    }
    case kKeyEscape:
      if (drag.buttonDown) {
        drag.dragging = false;
        MouseUp(drag, -1, -1, 0, 0);
        result.cancelledDrag = true;
      }
      break;
    default:
      break;
  }
  return result;
}

PopupStates Popup(const Options& options) {
  PopupStates p;
  p.undo = GUICore::CanStoreUndo();
  p.redo = GUICore::CanStoreRedo();
  p.defaultIsProperty = options.doubleClickProperty;
  const auto& list = List();
  if (RowCount() < 1 || !list.rows.valid(list.cursorRow)) return p;
  p.selectAll = true;
  const StoreItem item = GUICore::GetStoreItemByID(list.rows.at(list.cursorRow).id);
  const int32_t selected = static_cast<int32_t>(
      std::count_if(list.rows.begin(), list.rows.end(), [](const FileListRow& r) { return r.selected != 0; }));
  if (selected == 1 && IsFileKind(item.kind)) p.open = true;
  if (selected >= 1) {
    p.addEvent = !item.isFolder();
    p.deleteItems = true;
    p.property = true;
    p.duplicate = true;
  }
  return p;
}

void DropOver(DragState& drag, int32_t y) {
  AutoScrollVertical(y, 2);
  int32_t mode = 1;
  const int32_t row = FileListModule::HitTestRow(y, mode);
  if (row != drag.lastDropRow || mode != drag.lastDropMode || FileListModule::CurrentView().markMode != mode) {
    FileListModule::DrawFileList(row, mode);
  }
  drag.lastDropRow = row;
  drag.lastDropMode = mode;
}

void DropLeave(DragState& drag) {
  drag.lastDropRow = drag.lastDropMode = -1;
  FileListModule::DrawFileList();
}

DropResult Drop(DragState& drag, int32_t y, const std::vector<std::string>& paths,
                const std::vector<std::string>& links) {
  DropResult result;
  drag.lastDropRow = drag.lastDropMode = -1;
  std::string ext = paths.empty() ? "" : GUICore::GetExtensionPart(paths[0]);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext != "tsm") {
    for (const auto& link : links) result.leftOut.push_back(StoreCommands::LinkLeftOut(link));
  }
  if (paths.empty()) {
    FileListModule::DrawFileList();
    if (!links.empty()) result.kind = DropResult::Kind::NothingAdded;
    return result;
  }
  if (ext == "tsm") {
    // The other paths are ignored; the window asks its questions once the
    // drop is over.
    FileListModule::DrawFileList();
    result.kind = DropResult::Kind::OpenProject;
    result.project = paths[0];
    return result;
  }
  auto& list = List();
  int32_t mode = 1;
  list.insertRow = FileListModule::HitTestRow(y, mode);
  list.insertMode = 1 - mode;
  const bool added = StoreCommands::AddFilesAtInsertPosition(paths, &result.leftOut);
  if (!added) FileListModule::DrawFileList();
  result.kind = added ? DropResult::Kind::Added : DropResult::Kind::NothingAdded;
  return result;
}

}  // namespace tesmiro::FileListInput
