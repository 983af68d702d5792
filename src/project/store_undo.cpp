#include "project/store_undo.h"

#include <algorithm>

#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/timelines.h"

namespace tesmiro::GUICore {
namespace {

StoreUndoStep& StepAt(int32_t position) {
  Model& m = State();
  if (m.storeUndo.empty()) m.storeUndo.resize(1);
  position = std::clamp<int32_t>(position, 0, static_cast<int32_t>(m.storeUndo.size()) - 1);
  return m.storeUndo[static_cast<size_t>(position)];
}

// The store as it stands, with the items of the selected rows marked in the
// copy (the live marks are cleared).
void TakeSnapshot(StoreUndoStep& step) {
  ClearItemMarks();
  step.items = State().store;
  for (const auto& row : FileListModule::Current().rows) {
    if (row.selected != 0 && step.items.valid(row.index)) step.items.at(row.index).mark = -1;
  }
}

// An ID change in both directions: events, timeline owners and tabs follow,
// so that relinking afterwards finds every sprite's timeline again.
void ApplyIdChange(int32_t from, int32_t to) {
  Model& m = State();
  ReplaceIDInEvents(from, to);
  if (from <= 0) return;
  for (size_t t = 1; t < m.timelines.size(); ++t) {
    if (m.timelines[t].owner == from) m.timelines[t].owner = to;
  }
  for (size_t t = 1; t < m.tabs.size(); ++t) {
    if (m.tabs[t].spriteId == from) m.tabs[t].spriteId = to;
  }
}

// The live timeline that a recorded copy stands for: the same identity, or
// failing that the highest one its sprite owns. 0 when none (never the main
// timeline).
int32_t LiveTimelineOf(const Timeline& copy) {
  int32_t byKey = FindTimelineByKey(copy.key);
  if (byKey >= 1) return byKey;
  return copy.owner > 0 ? FindTimelineOfSprite(copy.owner) : 0;
}

void RemoveTimelines(const std::vector<Timeline>& copies) {
  if (copies.empty()) return;
  if (State().shownTimeline != 0) ShowTimeline(0, false);
  for (const auto& copy : copies) {
    int32_t t = LiveTimelineOf(copy);
    if (t >= 1) DeleteTimeline(t);
  }
}

void RestoreTimelines(const std::vector<Timeline>& copies) {
  for (const auto& copy : copies) {
    int32_t t = NewTimeline(copy.owner);
    State().timelines[static_cast<size_t>(t)] = copy;
  }
}

// Deleted timelines go back where they stood (last deleted first), so that an
// undo gives back the very same timeline list; the shown index follows.
void ReinsertTimelines(const StoreUndoStep& step) {
  Model& m = State();
  for (size_t j = step.deletedTimelines.size(); j-- > 0;) {
    int32_t at = j < step.deletedIndices.size() ? step.deletedIndices[j] : static_cast<int32_t>(m.timelines.size());
    at = std::clamp<int32_t>(at, 1, static_cast<int32_t>(m.timelines.size()));
    m.timelines.insert(m.timelines.begin() + at, step.deletedTimelines[j]);
    if (m.shownTimeline >= at) m.shownTimeline += 1;
  }
}

void AfterReplay() {
  RelinkSpriteTimelines();
  FileListModule::BuildFileRows(true);
  FileListModule::DrawFileList();
}

}  // namespace

void ClearStoreUndo() {
  Model& m = State();
  m.storeUndo.assign(1, StoreUndoStep{});
  m.storeUndoPos = 0;
}

void SaveStoreUndoState() {
  StoreUndoStep& step = StepAt(State().storeUndoPos);
  step = StoreUndoStep{};
  TakeSnapshot(step);
}

void PushStoreUndoState() {
  Model& m = State();
  if (m.storeUndo.empty()) ClearStoreUndo();
  m.storeUndoPos = std::clamp<int32_t>(m.storeUndoPos, 0, static_cast<int32_t>(m.storeUndo.size()) - 1) + 1;
  m.storeUndo.resize(static_cast<size_t>(m.storeUndoPos) + 1);
  TakeSnapshot(m.storeUndo.back());

  int32_t depth = m.filelistHistoryMax;
  if (depth >= 1 && m.storeUndoPos >= 2 * depth - 1) {
    m.storeUndo.erase(m.storeUndo.begin(), m.storeUndo.end() - depth);
    m.storeUndoPos = depth - 1;
  }
}

void RecordStoreUndoChange(int32_t kind, int32_t a, int32_t b) {
  EnsureTimelineKeys();
  StoreUndoStep& step = StepAt(State().storeUndoPos);
  switch (kind) {
    case kStoreUndoIdChange:
      step.idChanges.emplace_back(a, b);
      break;
    case kStoreUndoTimelineDeleted:
      if (a >= 1 && a < TimelineCount()) {
        step.deletedTimelines.push_back(GetTimeline(a));
        step.deletedIndices.push_back(a);
      }
      break;
    case kStoreUndoTimelineCopied:
      if (a >= 1 && a < TimelineCount()) step.copiedTimelines.push_back(GetTimeline(a));
      break;
    case kStoreUndoClearIdChanges:
      step.idChanges.clear();
      break;
    default:
      break;
  }
}

bool CanStoreUndo() { return State().storeUndoPos > 0; }

bool CanStoreRedo() {
  const Model& m = State();
  return m.storeUndoPos >= 0 && m.storeUndoPos < static_cast<int32_t>(m.storeUndo.size()) - 1;
}

void StoreUndo() {
  Model& m = State();
  if (!CanStoreUndo()) return;
  m.storeUndoPos -= 1;
  // Copy: showing timelines below must not see a half-replayed step.
  const StoreUndoStep step = m.storeUndo[static_cast<size_t>(m.storeUndoPos)];
  m.store = step.items;
  for (auto it = step.idChanges.rbegin(); it != step.idChanges.rend(); ++it) ApplyIdChange(it->second, it->first);
  if (!step.idChanges.empty()) EventListModule::DrawEventList();
  ReinsertTimelines(step);
  RemoveTimelines(step.copiedTimelines);
  AfterReplay();
}

void StoreRedo() {
  Model& m = State();
  if (!CanStoreRedo()) return;
  m.store = m.storeUndo[static_cast<size_t>(m.storeUndoPos) + 1].items;
  const StoreUndoStep step = m.storeUndo[static_cast<size_t>(m.storeUndoPos)];
  for (const auto& [oldId, newId] : step.idChanges) ApplyIdChange(oldId, newId);
  if (!step.idChanges.empty()) EventListModule::DrawEventList();
  RemoveTimelines(step.deletedTimelines);
  RestoreTimelines(step.copiedTimelines);
  AfterReplay();
  m.storeUndoPos += 1;
}

}  // namespace tesmiro::GUICore
