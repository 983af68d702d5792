#include "project/events.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>

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

// The rows (event index - 1) of a step's records, in replay order.
std::vector<int32_t> RowsOf(const EventUndoStep& step, bool lastFirst) {
  std::vector<int32_t> rows;
  rows.reserve(step.indices.size());
  for (int32_t index : step.indices) rows.push_back(index - 1);
  if (lastFirst) std::reverse(rows.begin(), rows.end());
  return rows;
}

// Which of the positions 1..n are still there, with the k-th of them found
// in O(log n): many insertions or deletions, each given by its position at
// its own moment, are laid out at once with it.
class PresenceTree {
 public:
  explicit PresenceTree(int32_t n) : tree_(static_cast<size_t>(n) + 1, 1) {
    tree_[0] = 0;
    for (int32_t i = 1; i <= n; ++i) {
      const int32_t parent = i + (i & -i);
      if (parent <= n) tree_[static_cast<size_t>(parent)] += tree_[static_cast<size_t>(i)];
    }
    while (top_ * 2 <= n) top_ *= 2;
  }
  void remove(int32_t position) {
    for (; position < size(); position += position & -position) tree_[static_cast<size_t>(position)] -= 1;
  }
  // The k-th present position (1 <= k <= number present).
  int32_t find(int32_t k) const {
    int32_t position = 0;
    for (int32_t step = top_; step > 0; step >>= 1) {
      const int32_t next = position + step;
      if (next < size() && tree_[static_cast<size_t>(next)] < k) {
        position = next;
        k -= tree_[static_cast<size_t>(next)];
      }
    }
    return position + 1;
  }

 private:
  int32_t size() const { return static_cast<int32_t>(tree_.size()); }
  std::vector<int32_t> tree_;
  int32_t top_ = 1;
};

// Label names of the working list with how many events carry each, so that
// renaming many labels costs one pass over the list instead of one each.
using LabelNames = std::unordered_map<std::string, int32_t>;

LabelNames CountLabels() {
  LabelNames names;
  for (const EventRecord& e : State().events) {
    if (e.isLabel()) ++names[e.text1];
  }
  return names;
}

void ReleaseLabel(LabelNames& names, const std::string& name) {
  auto it = names.find(name);
  if (it != names.end() && --it->second == 0) names.erase(it);
}

std::string UniqueAmong(const LabelNames& names, const std::string& name) {
  return MakeUniqueName(name, [&](const std::string& candidate) { return names.count(candidate) != 0; });
}

// The batch paths keep the rows in step with the events; rows that are not
// (a list loaded without its rows) get the one-by-one path, which is what
// they always got.
bool RowsInStep() {
  return EventListModule::Current().rows.size() == static_cast<size_t>(State().events.count()) + 1;
}

// The exchanges of a change step, first to last or last to first, with the
// labels made unique as SetEvent would make them one by one.
void SwapAllChanged(EventUndoStep& step, bool lastFirst) {
  EventListModule::ClearRowSelection();
  auto& events = State().events;
  std::optional<LabelNames> names;
  bool changed = false;
  const int32_t n = step.count();
  for (int32_t t = 0; t <= n; ++t) {
    const int32_t j = lastFirst ? n - t : t;
    const int32_t i = step.indices[static_cast<size_t>(j)];
    if (!events.valid(i)) continue;
    EventRecord& stored = step.events[static_cast<size_t>(j)];
    EventRecord& live = events.at(i);
    if (stored.isLabel() && !names) names = CountLabels();
    if (names) {
      if (live.isLabel()) ReleaseLabel(*names, live.text1);
      if (stored.isLabel()) {
        stored.text1 = UniqueAmong(*names, stored.text1);
        ++(*names)[stored.text1];
      }
    }
    EventRecord current = std::move(live);
    live = stored;
    EventListModule::SetRow(live, i - 1, true);
    stored = std::move(current);
    changed = true;
  }
  if (changed) {
    ReleaseShownTimelineCopy();
    SetModified(true);
  }
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

int32_t InsertEvents(std::vector<EventRecord>& records, const std::vector<int32_t>& positions) {
  const size_t k = std::min(records.size(), positions.size());
  if (k == 0) return 0;
  if (k == 1 || !RowsInStep()) {
    int32_t last = 0;
    for (size_t j = 0; j < k; ++j) last = InsertEvent(records[j], positions[j]);
    return last;
  }
  auto& list = State().events.items();
  const int32_t n = static_cast<int32_t>(list.size());

  // Each insertion's position at its own moment, and the names its labels
  // get against the labels standing then.
  std::vector<int32_t> at(k);
  const bool anyLabel = std::any_of(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(k),
                                    [](const EventRecord& e) { return e.isLabel(); });
  LabelNames names;
  if (anyLabel) names = CountLabels();
  for (size_t j = 0; j < k; ++j) {
    at[j] = std::clamp(positions[j], 0, n + static_cast<int32_t>(j));
    if (records[j].isLabel()) {
      records[j].text1 = UniqueAmong(names, records[j].text1);
      ++names[records[j].text1];
    }
  }

  // Final places: the last insertion takes its place among all n + k, each
  // earlier one the place it asked for among those still free; the old
  // events fill the rest in their order.
  const int32_t total = n + static_cast<int32_t>(k);
  PresenceTree free(total);
  std::vector<int32_t> place(k);
  for (size_t j = k; j-- > 0;) {
    place[j] = free.find(at[j] + 1);
    free.remove(place[j]);
  }
  std::vector<size_t> order(k);
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return place[a] < place[b]; });

  ReleaseShownTimelineCopy();
  const int32_t first = place[order.front()];
  if (place[order.back()] - first + 1 == static_cast<int32_t>(k)) {
    // One block (a paste, the undo of a deleted run): only the events after
    // it move.
    std::vector<EventRecord> block;
    block.reserve(k);
    for (size_t j : order) block.push_back(records[j]);
    list.insert(list.begin() + (first - 1), std::make_move_iterator(block.begin()),
                std::make_move_iterator(block.end()));
  } else {
    std::vector<EventRecord> merged;
    merged.reserve(static_cast<size_t>(total));
    size_t next = 0;
    for (size_t j : order) {
      while (static_cast<int32_t>(merged.size()) + 1 < place[j]) merged.push_back(std::move(list[next++]));
      merged.push_back(records[j]);
    }
    while (next < list.size()) merged.push_back(std::move(list[next++]));
    list = std::move(merged);
  }

  std::vector<int32_t> rows;
  std::vector<const EventRecord*> inserted;
  rows.reserve(k);
  inserted.reserve(k);
  for (size_t j : order) {
    rows.push_back(place[j] - 1);
    inserted.push_back(&records[j]);
  }
  EventListModule::InsertRows(rows, inserted);
  EventListModule::Current().currentRow = at[k - 1];
  SetModified(true);
  return at[k - 1] + 1;
}

void DeleteEvents(const std::vector<int32_t>& positions) {
  if (positions.size() <= 1 || !RowsInStep()) {
    for (int32_t p : positions) DeleteEvent(p);
    return;
  }
  auto& list = State().events.items();
  const int32_t n = static_cast<int32_t>(list.size());
  PresenceTree present(n);
  std::vector<char> removed(static_cast<size_t>(n), 0);  // by row, 0-based
  int32_t left = n;
  for (int32_t p : positions) {
    if (p < 0 || p >= left) continue;
    const int32_t position = present.find(p + 1);
    present.remove(position);
    removed[static_cast<size_t>(position - 1)] = 1;
    --left;
  }
  if (left == n) return;
  ReleaseShownTimelineCopy();
  size_t out = 0;
  for (size_t r = 0; r < list.size(); ++r) {
    if (removed[r] != 0) continue;
    if (out != r) list[out] = std::move(list[r]);
    ++out;
  }
  list.resize(out);
  EventListModule::DeleteRows(removed);
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
  std::vector<int32_t> positions(static_cast<size_t>(clip.count()));
  std::iota(positions.begin(), positions.end(), p);
  const int32_t last = InsertEvents(clip.items(), positions);
  // The undo records hold the names the events really got.
  for (int32_t j = 0; j < clip.count(); ++j) AddEventUndoRecord(p + 1 + j, clip.at(j + 1), EventUndoStep::kInserted);
  CommitEventUndoStep();
  return last;
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
      SwapAllChanged(s, true);
      break;
    case EventUndoStep::kInserted:
      DeleteEvents(RowsOf(s, true));
      break;
    case EventUndoStep::kDeleted: {
      EventListModule::ClearRowSelection();
      std::vector<EventRecord> records(s.events.rbegin(), s.events.rend());
      InsertEvents(records, RowsOf(s, true));
      break;
    }
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
        SwapAllChanged(s, false);
        break;
      case EventUndoStep::kInserted: {
        EventListModule::ClearRowSelection();
        std::vector<EventRecord> records = s.events;
        InsertEvents(records, RowsOf(s, false));
        break;
      }
      case EventUndoStep::kDeleted:
        DeleteEvents(RowsOf(s, false));
        break;
      default:
        break;
    }
    FinishReplay();
  }
  m.eventUndoPos += 1;
}

}  // namespace tesmiro::GUICore
