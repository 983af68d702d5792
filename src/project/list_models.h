#pragma once
// The state of the two owner-drawn lists that the core reads and sets: rows,
// selection, cursor, insert position and start-frame numbering. The windows
// paint from these models and turn input into calls; the core tells them to
// repaint through ui::Windows().
#include <cstdint>
#include <string>
#include <vector>

#include "project/event_list_rows.h"
#include "project/event_list_view.h"
#include "project/one_based.h"
#include "project/records.h"

namespace tesmiro {

struct FileListRow {
  int32_t kind = 0;  // StoreItemKind value; -1 folder
  std::string caption;
  int32_t id = 0;
  int32_t index = 0;  // position of the row's item in the store (1-based)
  int16_t selected = 0;  // 0 / -1
  int32_t level = 0;  // folder depth, 0 outside every folder
  int32_t open = 0;  // folder rows: 1 open, -1 closed; 0 otherwise
};

struct EventListRow {
  int32_t itemId = 0;  // 0 = action; -1 marks the end row
  int32_t startFrame = 0;  // from 1; -1 when the row starts on the frame of the row above
  int32_t frameCount = 0;
  int32_t depth = 0;
  std::string frameText;  // start frame right-aligned in 5, or empty
  // The other columns and the look, made when the row is first shown or
  // read (EventListModule::RowText), so that loading a long timeline formats
  // nothing it does not show.
  EventListModule::RowTextSlot text;
  int16_t selected = 0;  // 0 / -1
};

namespace FileListModule {

struct State {
  OneBased<FileListRow> rows;  // from 1
  int32_t cursorRow = -1;  // -1 after a reset; below 1 means none
  int32_t selCount = 0;  // recounted by DrawFileList
  int32_t insertRow = 0;  // where the add commands insert: a row, and
  int32_t insertMode = 0;  // 0 before that row's item, 1 into that row's folder
  int32_t scrollTop = 1;  // first visible row (the window sets visibleRows)
  int32_t visibleRows = 1;
  int32_t hScroll = 0;
};

State& Current();
void ResetState();

int32_t RowCount();
// Rows rebuilt from the store: folders nested, closed folders hiding their
// subtree; with keepMarks a row is selected exactly when its item's Mark is
// set. The cursor row is lowered to the new row count.
void BuildFileRows(bool keepMarks);
// Recounts the selection and has the window repaint (with a drop marker
// (row, mode); -1, -1 for none).
void DrawFileList(int32_t markRow = -1, int32_t markMode = -1);
// No rows, cursor -1, scrolled home; repaints.
void ResetFileListView();
void ClearRowMarks();
// Scrolls so that the cursor row is visible; true when it scrolled.
bool EnsureSelectionVisible();
// First row showing the store position, 0 when none.
int32_t FindRowOfItem(int32_t storeIndex);
// ID of the item on the row, 0 outside 1 .. row count.
int32_t GetJpegListID(int32_t row);
// Row showing the item with the ID, 0 when none.
int32_t GetJpegListIndex(int32_t id);

}  // namespace FileListModule

namespace EventListModule {

struct State {
  // Row i shows working event i + 1; the last row is the end row. From 0.
  std::vector<EventListRow> rows;
  int32_t currentRow = 0;
  int32_t anchorRow = 0;  // where Shift (keys, mouse) and drags extend from
  int32_t selCount = 0;
  bool mouseSelecting = false;  // a button went down on a row and is not up yet
  bool paintValue = false;  // what a drag writes into the selected flags
  int32_t lastRow = 0;  // the row under the pointer at the last mouse event
  int32_t scrollTop = 0;  // first visible row: the vertical bar's value - 1
  int32_t hScroll = 0;  // the horizontal bar's value (pixels)
  EventListGeometry geometry;
  ScrollBarRange vBar;
  ScrollBarRange hBar{0, 1, false};
};

State& Current();
void ResetState();

int32_t RowCount();  // end row included, at least 1
// Only the end row; current row 0.
void ResetEventRows();
// Every row rebuilt from the working events (selection cleared), end row
// appended, frames renumbered; the window repaints.
void LoadRows();
// For 0 <= row < count: refills the row from the event; its start frame stays.
void SetRow(const EventRecord& event, int32_t row, bool selected);
// For 0 <= row < count: a selected row for the event at that position.
void InsertRow(const EventRecord& event, int32_t row);
// For 0 <= row < count: removes it; the current row stays inside the list.
void DeleteRow(int32_t row);
// Many rows at once, as the same InsertRow and DeleteRow calls in a row
// would leave them, in one pass: new selected rows for `events` at the final
// row numbers `rows` (ascending, all before the end row), the old rows in
// their order around them; removing every row r < count whose flag is set.
void InsertRows(const std::vector<int32_t>& rows, const std::vector<const EventRecord*>& events);
void DeleteRows(const std::vector<char>& removed);
void ClearRowSelection();
// Start frames of every row: from 1, or 2 on the main timeline when the
// loading screen is on; a row starting on the frame of the row above shows none.
void RenumberFrames();
// While one of these lives, row insertions and deletions leave the start
// frames alone; the last one to end renumbers once (commands that insert or
// delete many events in a row stay linear).
class RenumberBatch {
 public:
  RenumberBatch();
  ~RenumberBatch();
  RenumberBatch(const RenumberBatch&) = delete;
  RenumberBatch& operator=(const RenumberBatch&) = delete;
};
// Scrolls so that the current row is fully visible; true when it scrolled
// (and repainted). The scroll rules live in event_list_view.cpp.
bool EnsureCurrentVisible();
// The vertical range from the row count and the list's height; the
// horizontal range shrinks to the bar's value (paints widen it again).
void UpdateEventScrollBars();
void DrawEventList();
// Indices (1-based working events) of the selected rows, end row excluded.
std::vector<int32_t> SelectedEvents();

}  // namespace EventListModule
}  // namespace tesmiro
