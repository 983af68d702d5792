#pragma once
// Store items: adding (kind from a key), ID allocation, the flat folder tree,
// lookups, replacing records, ID changes with every reference, deletion,
// folder state, and moving and copying the marked items.
//
// Insert positions are a file-list row (1-based) and a mode: mode 1 means
// into the folder on that row, at its end; any other mode means before the
// item on that row; a row beyond the row count means the end of the list.
#include <cstdint>
#include <string>

#include "project/records.h"

namespace tesmiro::GUICore {

inline constexpr const char* kLimitTitle = "Tesmiro";
inline constexpr const char* kStoreFullText = "素材の数が上限 (9999) に達しました。";

// Adds one item; result its ID, 0 when the key names no kind or the store is
// full (the user is told), or the position of an existing item with the same
// file. A text key with a path reads the file and hands its text back.
int32_t AddStoreItem(std::string& pathOrText, const std::string& kindKey, int32_t& row, int32_t& mode);
void DeleteStoreItem(int32_t id);

StoreItem GetStoreItemByID(int32_t id);
int32_t FindStoreIndexByID(int32_t id);
StoreItem GetStoreItem(int32_t position);
int32_t StoreItemCount();
void ClearItemMarks();
// Replaces the item; true (and modified) when the records differed.
bool UpdateStoreItem(int32_t id, const StoreItem& record);
// Replaces the item without touching the modified state.
void SetStoreItem(int32_t id, const StoreItem& record);

// Gives the item the first ID from `wanted` up that no item has and no event
// names, and rewrites every reference; result the item's ID afterwards (the
// old one when none is free up to 9999). Folders keep their IDs.
int32_t ChangeStoreItemID(int32_t oldId, int32_t wanted);
void ReplaceIDInEvents(int32_t oldId, int32_t newId);
bool ReplaceIDInEvent(EventRecord& event, int32_t oldId, int32_t newId);
// First ID from 1 above every item ID below the limit.
int32_t NextFreeStoreID(int32_t limit);

// Position of the enclosing folder, 0 at top level.
int32_t GetParentFolder(int32_t position);
void SetFolderOpen(int32_t position, int32_t state);
void SetAllFoldersOpen(int32_t state);

// Marks the items of the selected rows (a selected folder with its subtree).
void MarkSelectedItems();
// Moves the items of the selected rows to the target. Refused (false, with
// nothing changed) when the target lies inside a moved folder.
bool MoveMarkedItems(int32_t& row, int32_t& mode);
// Copies them; refused (false) when the copies would overflow the store or
// its IDs (the user is told).
bool CopyMarkedItems(int32_t& row, int32_t& mode);

void RelinkSpriteTimelines();
void RefreshFileList();

}  // namespace tesmiro::GUICore
