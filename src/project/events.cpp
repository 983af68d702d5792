#include "project/events.h"

#include <algorithm>

#include "platform/ui.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/record_bytes.h"
#include "project/timelines.h"

namespace tesmiro::GUICore {
namespace {

// A counter suffix: "(" digits ")" at the end of the name.
bool SplitCounter(const std::string& name, std::string& base, int64_t& n) {
  if (name.empty() || name.back() != ')') return false;
  size_t open = name.rfind('(');
  if (open == std::string::npos) return false;
  std::string digits = name.substr(open + 1, name.size() - open - 2);
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  base = name.substr(0, open);
  n = std::stoll(digits);
  return true;
}

EventUndoStep& OpenStep() {
  Model& m = State();
  if (m.eventUndo.empty()) m.eventUndo.resize(1);
  m.eventUndoPos = std::clamp<int32_t>(m.eventUndoPos, 0, static_cast<int32_t>(m.eventUndo.size()) - 1);
  return m.eventUndo[static_cast<size_t>(m.eventUndoPos)];
}

// Shows the step's timeline; false when it no longer exists (its sprite was
// deleted), in which case the step is not replayed.
bool ShowStepTimeline(const EventUndoStep& step) {
  int32_t index = step.timelineKey != 0 ? FindTimelineByKey(step.timelineKey) : step.timeline;
  if (index < 0 || index >= TimelineCount()) return false;
  if (index != State().shownTimeline) ShowTimeline(index, false);
  return true;
}

// Exchanges every record of a change step with the list entry it names.
void SwapChanged(EventUndoStep& step, int32_t j) {
  int32_t i = step.indices[static_cast<size_t>(j)];
  if (i < 1 || i > EventCount()) return;
  EventRecord current = GetEvent(i);
  EventRecord& stored = step.events[static_cast<size_t>(j)];
  SetEvent(i, stored);
  EventListModule::SetRow(stored, i - 1, true);
  stored = std::move(current);
}

void FinishReplay() {
  // A swapped record may have another frame count: the rows' start frames
  // would go stale.
  EventListModule::RenumberFrames();
  EventListModule::UpdateEventScrollBars();
  EventListModule::EnsureCurrentVisible();
  EventListModule::DrawEventList();
}

}  // namespace

int32_t EventCount() { return State().events.count(); }

EventRecord GetEvent(int32_t index) {
  const auto& events = State().events;
  return events.valid(index) ? events.at(index) : ZeroEvent();
}

void SetEvent(int32_t index, EventRecord& record) {
  if (record.isLabel()) record.text1 = MakeUniqueEventName(record.text1, index);
  auto& events = State().events;
  if (!events.valid(index)) return;
  ReleaseShownTimelineCopy();
  events.at(index) = record;
  SetModified(true);
}

int32_t InsertEvent(EventRecord& record, int32_t p) {
  auto& events = State().events;
  p = std::clamp(p, 0, events.count());
  ReleaseShownTimelineCopy();
  events.insert(p + 1, record);
  if (record.isLabel()) {
    record.text1 = MakeUniqueEventName(record.text1, p + 1);
    events.at(p + 1).text1 = record.text1;
  }
  EventListModule::InsertRow(record, p);
  EventListModule::Current().currentRow = p;
  SetModified(true);
  return p + 1;
}

void DeleteEvent(int32_t p) {
  auto& events = State().events;
  if (p < 0 || p >= events.count()) return;
  ReleaseShownTimelineCopy();
  events.erase(p + 1);
  EventListModule::DeleteRow(p);
  SetModified(true);
}

std::string MakeUniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
  std::string base = name;
  std::string result = name;
  int64_t n = 1;
  if (SplitCounter(name, base, n)) result = base + "(" + std::to_string(n) + ")";
  while (taken(result)) {
    ++n;
    result = base + "(" + std::to_string(n) + ")";
  }
  return result;
}

std::string MakeUniqueEventName(const std::string& name, int32_t index) {
  const auto& events = State().events;
  return MakeUniqueName(name, [&](const std::string& candidate) {
    for (int32_t i = 1; i <= events.count(); ++i) {
      const EventRecord& e = events.at(i);
      if (i != index && e.isLabel() && e.text1 == candidate) return true;
    }
    return false;
  });
}

std::string MakeUniqueItemName(const std::string& name) {
  const auto& store = State().store;
  return MakeUniqueName(name, [&](const std::string& candidate) {
    return std::any_of(store.begin(), store.end(), [&](const StoreItem& item) {
      return item.kind == StoreItemKind::Sprite && item.name == candidate;
    });
  });
}

bool EventsEqual(const EventRecord& a, const EventRecord& b) {
  return RecordBytes(a) == RecordBytes(b);
}

bool StoreItemsEqual(const StoreItem& a, const StoreItem& b) { return RecordBytes(a) == RecordBytes(b); }

void ClearEventClipboard() { State().clipboard.events.clear(); }

bool EventClipboardHasData() { return !State().clipboard.events.empty(); }

void CopyEventToClipboard(int32_t p) {
  const auto& events = State().events;
  if (!events.valid(p + 1)) return;
  State().clipboard.events.push_back(events.at(p + 1));
}

int32_t PasteEventClipboard(int32_t p) {
  auto& clip = State().clipboard.events;
  if (clip.empty()) return 0;
  p = std::clamp(p, 0, EventCount());
  EventListModule::RenumberBatch batch;
  BeginEventUndoStep();
  for (auto& c : clip) {
    AddEventUndoRecord(p + 1, c, EventUndoStep::kInserted);
    p = InsertEvent(c, p);
    // The undo record holds the name the event really got.
    OpenStep().events.back().text1 = c.text1;
  }
  CommitEventUndoStep();
  return p;
}

void ClearEventUndo() {
  Model& m = State();
  m.eventUndo.assign(1, EventUndoStep{});
  m.eventUndoPos = 0;
}

void BeginEventUndoStep() { OpenStep() = EventUndoStep{}; }

void AddEventUndoRecord(int32_t index, const EventRecord& record, int16_t kind) {
  EnsureTimelineKeys();
  const Model& m = State();
  EventUndoStep& step = OpenStep();
  step.events.push_back(record);
  step.indices.push_back(index);
  step.kind = kind;
  step.timeline = static_cast<int16_t>(m.shownTimeline);
  step.timelineKey = m.timelines.at(static_cast<size_t>(m.shownTimeline)).key;
}

void CommitEventUndoStep() {
  Model& m = State();
  OpenStep();
  m.eventUndoPos += 1;
  m.eventUndo.resize(static_cast<size_t>(m.eventUndoPos) + 1);
  m.eventUndo.back() = EventUndoStep{};
}

bool CanEventUndo() { return State().eventUndoPos > 0; }

bool CanEventRedo() {
  const Model& m = State();
  return m.eventUndoPos >= 0 && m.eventUndoPos < static_cast<int32_t>(m.eventUndo.size()) - 1;
}

void EventUndo() {
  Model& m = State();
  if (!CanEventUndo()) return;
  m.eventUndoPos -= 1;
  EventUndoStep& step = m.eventUndo[static_cast<size_t>(m.eventUndoPos)];
  if (!ShowStepTimeline(step)) return;
  EventUndoStep& s = m.eventUndo[static_cast<size_t>(m.eventUndoPos)];
  EventListModule::RenumberBatch batch;
  switch (s.kind) {
    case EventUndoStep::kChanged:
      EventListModule::ClearRowSelection();
      for (int32_t j = s.count(); j >= 0; --j) SwapChanged(s, j);
      break;
    case EventUndoStep::kInserted:
      for (int32_t j = s.count(); j >= 0; --j) DeleteEvent(s.indices[static_cast<size_t>(j)] - 1);
      break;
    case EventUndoStep::kDeleted:
      EventListModule::ClearRowSelection();
      for (int32_t j = s.count(); j >= 0; --j) {
        EventRecord e = s.events[static_cast<size_t>(j)];
        InsertEvent(e, s.indices[static_cast<size_t>(j)] - 1);
      }
      break;
    default:
      break;
  }
  FinishReplay();
}

void EventRedo() {
  Model& m = State();
  if (!CanEventRedo()) return;
  if (ShowStepTimeline(m.eventUndo[static_cast<size_t>(m.eventUndoPos)])) {
    EventUndoStep& s = m.eventUndo[static_cast<size_t>(m.eventUndoPos)];
    EventListModule::RenumberBatch batch;
    switch (s.kind) {
      case EventUndoStep::kChanged:
        EventListModule::ClearRowSelection();
        for (int32_t j = 0; j <= s.count(); ++j) SwapChanged(s, j);
        break;
      case EventUndoStep::kInserted:
        EventListModule::ClearRowSelection();
        for (int32_t j = 0; j <= s.count(); ++j) {
          EventRecord e = s.events[static_cast<size_t>(j)];
          InsertEvent(e, s.indices[static_cast<size_t>(j)] - 1);
        }
        break;
      case EventUndoStep::kDeleted:
        for (int32_t j = 0; j <= s.count(); ++j) DeleteEvent(s.indices[static_cast<size_t>(j)] - 1);
        break;
      default:
        break;
    }
    FinishReplay();
  }
  m.eventUndoPos += 1;
}

}  // namespace tesmiro::GUICore
