#include "project/event_commands.h"

#include <algorithm>
#include <vector>

#include "platform/numeric.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/undo_scopes.h"

namespace tesmiro::EventCommands {
namespace {

constexpr int32_t kMinDepth = -256;
constexpr int32_t kMaxDepth = 256;

StoreItemKind MaterialKind(int32_t itemId) {
  const int32_t p = GUICore::FindStoreIndexByID(itemId);
  return p != 0 ? GUICore::State().store.at(p).kind : StoreItemKind::Clone;
}

// Materials with no frames of their own to step: sound, clone, none.
bool WithoutFrames(StoreItemKind kind) { return kind == StoreItemKind::Clone || kind == StoreItemKind::Sound; }

int32_t SaturatedAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(a) + b, INT32_MIN, INT32_MAX));
}

bool IsSelected(int32_t row) { return EventListModule::Current().rows[static_cast<size_t>(row)].selected != 0; }

// The rows of events (end row excluded) whose selected flag is set.
std::vector<int32_t> SelectedEventRows() {
  std::vector<int32_t> rows;
  for (int32_t r = 0; r + 1 < EventListModule::RowCount(); ++r) {
    if (IsSelected(r)) rows.push_back(r);
  }
  return rows;
}

// Runs a stepping rule over the selected events: change returns whether it
// altered the copy; only altered events are stored and recorded.
template <typename Change>
bool StepSelected(Change change) {
  if (EventListModule::RowCount() < 2) return false;
  GUICore::EventUndoScope undo;
  if (!undo) return false;
  bool changed = false;
  for (int32_t r : SelectedEventRows()) {
    const EventRecord before = GUICore::GetEvent(r + 1);
    EventRecord e = before;
    if (!change(e, MaterialKind(e.itemId))) continue;
    undo.add(r + 1, before, EventUndoStep::kChanged);
    GUICore::SetEvent(r + 1, e);
    EventListModule::SetRow(e, r, true);
    changed = true;
  }
  if (!changed) return false;
  EventListModule::RenumberFrames();
  EventListModule::DrawEventList();
  undo.commit();
  return true;
}

std::string Trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string RemoveSelected(bool cut) {
  std::string text;
  GUICore::EventUndoScope undo;
  if (!undo) return text;
  auto& view = EventListModule::Current();
  if (cut) GUICore::ClearEventClipboard();
  bool removed = false;
  if (EventListModule::RowCount() > 1) {
    int32_t c = view.currentRow;
    {
      EventListModule::RenumberBatch batch;
      // Deleted one after the other, each row stands as many rows higher as
      // rows above it are gone already; the deletions then run in one pass.
      std::vector<int32_t> positions;
      for (int32_t original : SelectedEventRows()) {
        const int32_t r = original - static_cast<int32_t>(positions.size());
        if (cut) {
          GUICore::CopyEventToClipboard(original);
          text += EventListModule::RowText(original).detail + "\r\n";
        }
        undo.add(r + 1, GUICore::GetEvent(original + 1), EventUndoStep::kDeleted);
        if (r <= c) --c;
        positions.push_back(r);
        removed = true;
      }
      GUICore::DeleteEvents(positions);
    }
    c += 1;
    if (c >= 0 && c <= EventListModule::RowCount() - 1) {
      view.currentRow = c;
      view.rows[static_cast<size_t>(c)].selected = -1;
    }
    if (removed) {
      EventListModule::UpdateEventScrollBars();
      EventListModule::EnsureCurrentVisible();
      EventListModule::DrawEventList();
      undo.commit();
    } else {
      EventListModule::DrawEventList();
    }
  }
  view.anchorRow = view.currentRow;
  return text;
}

}  // namespace

bool StepValue(int32_t step) {
  return StepSelected([step](EventRecord& e, StoreItemKind kind) {
    const int32_t oldCount = e.frameCount;
    const std::string oldText = e.text1;
    if (WithoutFrames(kind)) {
      if (e.itemId != 0) return false;
      if (e.kind == static_cast<int16_t>(ActionKind::DoNothing)) {
        e.frameCount = std::max(1, SaturatedAdd(e.frameCount, step));
      } else if (e.kind == static_cast<int16_t>(ActionKind::Rollback)) {
        e.frameCount = SaturatedAdd(e.frameCount, step);
        if (e.frameCount >= 0) e.frameCount = -1;
      } else {
        return false;
      }
      // These actions keep their count in their parameter text as well.
      e.text1 = std::to_string(e.frameCount);
    } else {
      e.frameCount = std::max(0, SaturatedAdd(e.frameCount, step));
    }
    return e.frameCount != oldCount || e.text1 != oldText;
  });
}

bool StepTargets(int32_t step) {
  return StepSelected([step](EventRecord& e, StoreItemKind kind) {
    if (WithoutFrames(kind)) {
      if (e.itemId != 0 || e.kind != static_cast<int16_t>(ActionKind::EraseImages)) return false;
      if (e.text1 == "ALL") return false;
      const std::string stepped = StepTargetList(e.text1, step);
      if (stepped.empty() || stepped == e.text1) return false;
      e.text1 = stepped;
      return true;
    }
    const int32_t depth = std::clamp(SaturatedAdd(e.depth, step), kMinDepth, kMaxDepth);
    if (depth == e.depth) return false;
    e.depth = depth;
    return true;
  });
}

std::string StepTargetList(const std::string& list, int32_t step) {
  std::string out;
  std::string rest = list;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    // Targets are depths: whole numbers.
    const int32_t n = num::RoundToInt32(num::Val(rest.substr(0, comma)));
    if (n >= kMinDepth && n <= kMaxDepth) out += std::to_string(static_cast<int64_t>(n) + step) + ",";
    if (comma == std::string::npos) break;
    rest = Trimmed(rest.substr(comma + 1));
  }
  if (!out.empty()) out.pop_back();
  return out;
}

std::string Copy() {
  GUICore::ClearEventClipboard();
  std::string text;
  for (int32_t r : SelectedEventRows()) {
    GUICore::CopyEventToClipboard(r);
    text += EventListModule::RowText(r).detail + "\r\n";
  }
  return text;
}

std::string Cut() { return RemoveSelected(true); }

void Delete() { RemoveSelected(false); }

bool Paste() {
  if (GUICore::BuildInProgress() || !GUICore::EventClipboardHasData()) return false;
  EventListModule::ClearRowSelection();
  GUICore::PasteEventClipboard(EventListModule::Current().currentRow);
  EventListModule::UpdateEventScrollBars();
  EventListModule::EnsureCurrentVisible();
  EventListModule::DrawEventList();
  return true;
}

EventRecord NewActionEvent() {
  EventRecord e = ZeroEvent();
  e.itemId = 0;
  e.frameCount = 0;
  e.kind = kEventKindNone;
  e.startAlpha = e.endAlpha = 100;
  e.startScaleX = e.endScaleX = e.startScaleY = e.endScaleY = 1.0f;
  e.anchors.clear();
  return e;
}

bool AddAction() {
  if (GUICore::BuildInProgress()) return false;
  EventListModule::ClearRowSelection();
  InsertEvents({NewActionEvent()}, EventListModule::Current().currentRow);
  EventListModule::UpdateEventScrollBars();
  EventListModule::EnsureCurrentVisible();
  EventListModule::DrawEventList();
  return true;
}

void SelectAll() {
  auto& rows = EventListModule::Current().rows;
  for (size_t r = 0; r + 1 < rows.size(); ++r) rows[r].selected = -1;
  EventListModule::DrawEventList();
}

int32_t InsertEvents(std::vector<EventRecord> records, int32_t p) {
  if (records.empty()) return p;
  GUICore::EventUndoScope undo;
  if (!undo) return p;
  EventListModule::RenumberBatch batch;
  // Each one after the one before, in one pass over the list.
  p = std::clamp(p, 0, GUICore::EventCount());
  std::vector<int32_t> positions(records.size());
  for (size_t j = 0; j < records.size(); ++j) positions[j] = p + static_cast<int32_t>(j);
  const int32_t last = GUICore::InsertEvents(records, positions);
  const int32_t first = last - static_cast<int32_t>(records.size()) + 1;
  // Recorded as inserted, with the names labels really got.
  for (size_t j = 0; j < records.size(); ++j) undo.add(first + static_cast<int32_t>(j), records[j], EventUndoStep::kInserted);
  return last;
}

}  // namespace tesmiro::EventCommands
