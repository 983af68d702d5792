#pragma once
// The one project the program edits: every record list and the two undo
// histories, owned by GUICore. Other modules read and change it through the
// GUICore operations, which copy whole records; tests reset it with
// ResetState().
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/app_paths.h"
#include "project/one_based.h"
#include "project/records.h"
#include "project/store_list.h"

namespace tesmiro {

// One step of the event-list undo history.
struct EventUndoStep {
  enum Kind : int16_t { kNone = 0, kChanged = 1, kInserted = 2, kDeleted = 3 };
  // Record j belongs to working event indices[j] (1-based); both from 0.
  // kChanged: the event before the change (swapped with the list on replay);
  // kInserted: the inserted event; kDeleted: the event before deletion.
  std::vector<EventRecord> events;
  std::vector<int32_t> indices;
  int16_t timeline = 0;  // index of the timeline shown when recorded
  // Identity of that timeline (Timeline::key): replay finds the timeline by
  // it, so a step never lands in another sprite's events after timelines were
  // removed or re-created. 0 = not recorded yet.
  uint64_t timelineKey = 0;
  int16_t kind = kNone;

  // Number of records minus one; -1 when empty.
  int32_t count() const { return static_cast<int32_t>(events.size()) - 1; }
};

// One snapshot of the store history, with what the change after it did
// besides changing the store list.
struct StoreUndoStep {
  // The whole store; items of rows selected at snapshot time have Mark -1.
  OneBased<StoreItem> items;
  std::vector<std::pair<int32_t, int32_t>> idChanges;  // (old ID, new ID), in order
  std::vector<Timeline> deletedTimelines;  // deleted with their sprites
  std::vector<int32_t> deletedIndices;     // where each of them stood
  std::vector<Timeline> copiedTimelines;   // created by copying sprites
};

namespace GUICore {

struct Model {
  ProjectSettings settings;
  std::string projectPath;  // empty for a new project
  StoreList store;  // list order; folders flat with their subtree sizes; indexed by ID
  std::vector<Timeline> timelines;  // from 0; element 0 is the main movie
  int32_t shownTimeline = 0;  // index, not sprite ID
  OneBased<EventRecord> events;  // working copy of the shown timeline's events
  EventClipboard clipboard;
  std::vector<SpriteTab> tabs;  // from 0; element 0 is the main movie's tab
  std::vector<EventUndoStep> eventUndo;  // from 0
  int32_t eventUndoPos = 0;
  std::vector<StoreUndoStep> storeUndo;  // from 0
  int32_t storeUndoPos = 0;
  int16_t modified = 0;  // boolean, mirrored by the caption's " *"
  int32_t infoItemId = 0;  // item in the information panel; 0 = none
  std::string caption;  // main window caption, kept here and pushed to the window

  // Set by the application at start-up (tests: a temporary folder). The
  // config folder holds "_default.tsm".
  AppPaths paths;
  // Depth of the store history (preference FilelistHistoryMax); <= 0 no limit.
  int32_t filelistHistoryMax = 50;
  // Source of Timeline::key values; never reused within a run.
  uint64_t nextTimelineKey = 1;
};

// The live model. Never null.
Model& State();
// Back to a default-constructed model (paths and preferences included).
void ResetState();

// A fresh timeline identity.
uint64_t NewTimelineKey();
// Gives every timeline without an identity (key 0, e.g. just read from a
// file) a fresh one.
void EnsureTimelineKeys();

}  // namespace GUICore
}  // namespace tesmiro
