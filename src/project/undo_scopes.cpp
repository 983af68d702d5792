#include "project/undo_scopes.h"

#include "project/build_lock.h"
#include "project/events.h"
#include "project/store_undo.h"

namespace tesmiro::GUICore {
namespace {
int gEventDepth = 0;
int gStoreDepth = 0;
bool gEventStepHasRecords = false;  // of the open outer step
}  // namespace

EventUndoScope::EventUndoScope() : open_(!BuildInProgress()), outer_(open_ && gEventDepth == 0) {
  if (!open_) return;
  ++gEventDepth;
  if (outer_) {
    BeginEventUndoStep();
    gEventStepHasRecords = false;
  }
}

EventUndoScope::~EventUndoScope() {
  if (!open_) return;
  commit();
}

void EventUndoScope::add(int32_t index, const EventRecord& record, int16_t kind) {
  if (!open_) return;
  AddEventUndoRecord(index, record, kind);
  gEventStepHasRecords = true;
}

void EventUndoScope::commit() {
  if (!open_) return;
  open_ = false;
  --gEventDepth;
  // An inner scope's records belong to the outer step; a step without
  // records is no step at all.
  if (outer_ && gEventStepHasRecords) CommitEventUndoStep();
}

bool EventUndoScopeOpen() { return gEventDepth > 0; }

StoreUndoScope::StoreUndoScope() : open_(!BuildInProgress()), outer_(open_ && gStoreDepth == 0) {
  if (!open_) return;
  ++gStoreDepth;
  if (outer_) SaveStoreUndoState();
}

StoreUndoScope::~StoreUndoScope() { push(); }

void StoreUndoScope::record(int32_t kind, int32_t a, int32_t b) {
  if (open_) RecordStoreUndoChange(kind, a, b);
}

void StoreUndoScope::push() {
  if (!open_) return;
  open_ = false;
  --gStoreDepth;
  if (outer_ && !dismissed_) PushStoreUndoState();
}

bool StoreUndoScopeOpen() { return gStoreDepth > 0; }

}  // namespace tesmiro::GUICore
