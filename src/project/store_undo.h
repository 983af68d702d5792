#pragma once
// The file list's undo history: whole snapshots of the store plus what a
// snapshot alone cannot undo (ID changes, sprite timelines deleted or copied).
// Protocol: SaveStoreUndoState before a change, RecordStoreUndoChange during
// it, PushStoreUndoState after it.
#include <cstdint>

namespace tesmiro::GUICore {

enum StoreUndoChange : int32_t {
  kStoreUndoIdChange = 1,        // a = old ID, b = new ID
  kStoreUndoTimelineDeleted = 2, // a = timeline index, before deleting it
  kStoreUndoTimelineCopied = 3,  // a = timeline index, after creating it
  kStoreUndoClearIdChanges = 4,
};

void ClearStoreUndo();
void SaveStoreUndoState();
void PushStoreUndoState();
void RecordStoreUndoChange(int32_t kind, int32_t a, int32_t b);
bool CanStoreUndo();
bool CanStoreRedo();
void StoreUndo();
void StoreRedo();

}  // namespace tesmiro::GUICore
