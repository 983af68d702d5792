#include "project/list_models.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "platform/encoding.h"
#include "project/current_event.h"
#include "project/event_list_input.h"
#include "project/event_list_tabs.h"
#include "project/file_list_view.h"
#include "project/model.h"
#include "project/window_services.h"

namespace tesmiro {
namespace {

// The first n characters of a UTF-8 text.
std::string FirstChars(const std::string& text, size_t n) {
  size_t end = 0;
  for (size_t chars = 0; end < text.size() && chars < n; ++chars) {
    unsigned char c = static_cast<unsigned char>(text[end]);
    end += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  }
  return text.substr(0, std::min(end, text.size()));
}

// The caption of an item's row (the window may restyle it; the core keeps
// the texts that searching and tests read).
std::string RowCaption(const StoreItem& item) {
  switch (item.kind) {
    case StoreItemKind::Folder:
      return item.name + " (" + std::to_string(item.param) + ")";
    case StoreItemKind::Sprite:
      return "[" + item.name + "]";
    case StoreItemKind::Text: {
      std::string text;
      for (size_t i = 0; i < item.name.size(); ++i) {
        if (item.name[i] == '\r' && i + 1 < item.name.size() && item.name[i + 1] == '\n') {
          ++i;
          continue;
        }
        text += item.name[i];
      }
      if (enc::CharCount(text) > 50) text = FirstChars(text, 50) + "...";
      std::string caption = "[" + text + "]";
      if (!item.option.empty() && item.option[0] != '@') caption = "(" + item.option + ") " + caption;
      return caption;
    }
    default: {
      size_t slash = item.name.find_last_of("\\/");
      return slash == std::string::npos ? item.name : item.name.substr(slash + 1);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
namespace FileListModule {
namespace {
State gState;
}  // namespace

State& Current() { return gState; }
void ResetState() {
  gState = State{};
  ResetView();
}

int32_t RowCount() { return gState.rows.count(); }

void BuildFileRows(bool keepMarks) {
  RepairMissingPaths();
  const auto& store = GUICore::State().store;
  gState.rows.clear();
  // Enclosing folders of the current item: the last position of each
  // folder's subtree and whether the folder is open.
  struct Enclosing {
    int32_t last;
    bool open;
  };
  std::vector<Enclosing> stack;
  int32_t hiddenBy = 0;  // number of closed folders enclosing the item
  for (int32_t i = 1; i <= store.count(); ++i) {
    while (!stack.empty() && stack.back().last < i) {
      if (!stack.back().open) --hiddenBy;
      stack.pop_back();
    }
    const StoreItem& item = store.at(i);
    if (hiddenBy == 0) {
      FileListRow row;
      row.kind = static_cast<int32_t>(item.kind);
      row.caption = RowCaption(item);
      row.id = item.id;
      row.index = i;
      row.selected = keepMarks ? static_cast<int16_t>(item.mark != 0 ? -1 : 0) : 0;
      row.level = static_cast<int32_t>(stack.size());
      if (item.isFolder()) row.open = item.flags != 0 ? 1 : -1;
      gState.rows.push_back(std::move(row));
    }
    if (item.isFolder() && item.param > 0) {
      bool open = item.flags != 0;
      stack.push_back({i + item.param, open});
      if (!open) ++hiddenBy;
    }
  }
  if (gState.cursorRow > RowCount()) gState.cursorRow = RowCount();
  if (store.empty()) gState.cursorRow = -1;
  AfterRowsRebuilt();
}

void DrawFileList(int32_t markRow, int32_t markMode) {
  PlanFileList(markRow, markMode);
  gState.selCount = static_cast<int32_t>(
      std::count_if(gState.rows.begin(), gState.rows.end(), [](const FileListRow& r) { return r.selected != 0; }));
  ui::Windows().storeChanged();
}

void ResetFileListView() {
  gState.rows.clear();
  gState.cursorRow = -1;
  gState.scrollTop = 1;
  UpdateFileScrollBars();
  DrawFileList();
}

void ClearRowMarks() {
  for (auto& r : gState.rows) r.selected = 0;
}

bool EnsureSelectionVisible() {
  int32_t cursor = gState.cursorRow;
  if (cursor < 1) return false;
  int32_t visible = std::max(1, gState.visibleRows);
  int32_t top = gState.scrollTop;
  if (cursor < top) {
    top = cursor;
  } else if (cursor >= top + visible) {
    top = cursor - visible + 1;
  }
  if (top == gState.scrollTop) return false;
  gState.scrollTop = top;
  return true;
}

int32_t FindRowOfItem(int32_t storeIndex) {
  for (int32_t r = 1; r <= RowCount(); ++r) {
    if (gState.rows.at(r).index == storeIndex) return r;
  }
  return 0;
}

int32_t GetJpegListID(int32_t row) { return gState.rows.valid(row) ? gState.rows.at(row).id : 0; }

int32_t GetJpegListIndex(int32_t id) {
  for (int32_t r = 1; r <= RowCount(); ++r) {
    if (gState.rows.at(r).id == id) return r;
  }
  return 0;
}

}  // namespace FileListModule

// ---------------------------------------------------------------------------
namespace EventListModule {
namespace {
State gState;
int gBatchDepth = 0;
bool gCurrentEventMoved = false;

void RenumberUnlessBatched() {
  if (gBatchDepth == 0) RenumberFrames();
}

EventListRow EndRow() {
  EventListRow row;
  row.itemId = -1;
  row.startFrame = -1;
  EventRowText text;
  text.kind = kEndRowKindText;
  row.text.set(std::move(text));
  return row;
}

// The start frame right-aligned in five characters (its last five when
// longer). Every edit renumbers every row, so a row whose text stands is
// left alone.
void SetFrameText(std::string& text, int32_t frame) {
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, frame).ptr;
  const size_t length = static_cast<size_t>(end - digits);
  char shown[5];
  if (length >= 5) {
    std::memcpy(shown, end - 5, 5);
  } else {
    std::memset(shown, ' ', 5 - length);
    std::memcpy(shown + (5 - length), digits, length);
  }
  if (text.size() != 5 || std::memcmp(text.data(), shown, 5) != 0) text.assign(shown, 5);
}

void FillRow(EventListRow& row, const EventRecord& event, bool selected) {
  row.itemId = event.itemId;
  row.frameCount = event.frameCount;
  row.depth = event.depth;
  row.text.reset();
  row.selected = selected ? -1 : 0;
}

}  // namespace

State& Current() { return gState; }
void ResetState() {
  gState = State{};
  gCurrentEventMoved = false;
}

void NoteCurrentEventMoved() { gCurrentEventMoved = true; }
bool TakeCurrentEventMoved() { return std::exchange(gCurrentEventMoved, false); }

int32_t RowCount() { return static_cast<int32_t>(gState.rows.size()); }

void ResetEventRows() {
  gState.rows.assign(1, EndRow());
  gState.currentRow = 0;
  gState.mouseSelecting = false;
  RenumberFrames();
}

void LoadRows() {
  const auto& events = GUICore::State().events;
  if (events.empty()) {
    ResetEventRows();
  } else {
    gState.rows.assign(static_cast<size_t>(events.count()) + 1, EventListRow{});
    for (int32_t i = 1; i <= events.count(); ++i) FillRow(gState.rows[static_cast<size_t>(i - 1)], events.at(i), false);
    gState.rows.back() = EndRow();
  }
  if (gState.currentRow >= RowCount()) gState.currentRow = RowCount() - 1;
  UpdateEventScrollBars();
  RenumberFrames();
  DrawEventList();
}

void SetRow(const EventRecord& event, int32_t row, bool selected) {
  if (row < 0 || row >= RowCount()) return;
  FillRow(gState.rows[static_cast<size_t>(row)], event, selected);
}

void InsertRow(const EventRecord& event, int32_t row) {
  if (row < 0 || row >= RowCount()) return;
  EventListRow r;
  FillRow(r, event, true);
  gState.rows.insert(gState.rows.begin() + row, std::move(r));
  RenumberUnlessBatched();
}

void DeleteRow(int32_t row) {
  // The end row stays: it stands for the end of the timeline.
  if (row < 0 || row >= RowCount() - 1) return;
  gState.rows.erase(gState.rows.begin() + row);
  RenumberUnlessBatched();
  if (gState.currentRow > RowCount() - 1) gState.currentRow = RowCount() - 1;
}

void InsertRows(const std::vector<int32_t>& rows, const std::vector<const EventRecord*>& events) {
  if (rows.empty()) return;
  if (rows.back() - rows.front() + 1 == static_cast<int32_t>(rows.size()) && rows.front() >= 0 &&
      rows.front() <= RowCount()) {
    // One block: only the rows after it move.
    std::vector<EventListRow> block(rows.size());
    for (size_t k = 0; k < rows.size(); ++k) FillRow(block[k], *events[k], true);
    gState.rows.insert(gState.rows.begin() + rows.front(), std::make_move_iterator(block.begin()),
                       std::make_move_iterator(block.end()));
    RenumberUnlessBatched();
    return;
  }
  std::vector<EventListRow> old = std::move(gState.rows);
  gState.rows.clear();
  gState.rows.reserve(old.size() + rows.size());
  size_t next = 0;  // next old row
  for (size_t k = 0; k < rows.size(); ++k) {
    while (static_cast<int32_t>(gState.rows.size()) < rows[k] && next < old.size())
      gState.rows.push_back(std::move(old[next++]));
    EventListRow r;
    FillRow(r, *events[k], true);
    gState.rows.push_back(std::move(r));
  }
  while (next < old.size()) gState.rows.push_back(std::move(old[next++]));
  RenumberUnlessBatched();
}

void DeleteRows(const std::vector<char>& removed) {
  const size_t last = gState.rows.empty() ? 0 : gState.rows.size() - 1;  // the end row stays
  size_t out = 0;
  bool any = false;
  for (size_t r = 0; r < gState.rows.size(); ++r) {
    if (r < last && r < removed.size() && removed[r] != 0) {
      any = true;
      continue;
    }
    if (out != r) gState.rows[out] = std::move(gState.rows[r]);
    ++out;
  }
  if (!any) return;
  gState.rows.resize(out);
  RenumberUnlessBatched();
  if (gState.currentRow > RowCount() - 1) gState.currentRow = RowCount() - 1;
}

void ClearRowSelection() {
  for (auto& r : gState.rows) r.selected = 0;
}

void RenumberFrames() {
  const auto& m = GUICore::State();
  int32_t frame = (m.settings.preloader == 1 && m.shownTimeline == 0) ? 2 : 1;
  int32_t previous = -1;
  for (auto& row : gState.rows) {
    if (frame == previous) {
      row.startFrame = -1;
      row.frameText.clear();
    } else {
      row.startFrame = frame;
      SetFrameText(row.frameText, frame);
    }
    previous = frame;
    // The end row's count is 0; widen so that long timelines cannot wrap.
    int64_t next = static_cast<int64_t>(frame) + row.frameCount;
    frame = static_cast<int32_t>(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX));
  }
}

RenumberBatch::RenumberBatch() { ++gBatchDepth; }

RenumberBatch::~RenumberBatch() {
  if (--gBatchDepth == 0) RenumberFrames();
}

void DrawEventList() {
  // Only a list with events and rows in view has a selection to count.
  gState.selCount = 0;
  if (RowCount() > 1 && ScrollValue() <= RowCount()) {
    gState.selCount = static_cast<int32_t>(
        std::count_if(gState.rows.begin(), gState.rows.end(), [](const EventListRow& r) { return r.selected != 0; }));
  }
  ui::Windows().eventsChanged();
}

std::vector<int32_t> SelectedEvents() {
  std::vector<int32_t> result;
  for (int32_t r = 0; r + 1 < RowCount(); ++r) {
    if (gState.rows[static_cast<size_t>(r)].selected != 0) result.push_back(r + 1);
  }
  return result;
}

}  // namespace EventListModule
}  // namespace tesmiro
