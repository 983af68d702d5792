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
#include <string_view>
#include <unordered_map>
#include <vector>

#include "project/records.h"

namespace tesmiro::GUICore {

inline constexpr const char* kLimitTitle = "Tesmiro";
inline constexpr const char* kStoreFullText = "素材の数が上限 (9999) に達しました。";

// Adds one item; result its ID, 0 when the key names no kind or the store is
// full (the user is told), or the position of an existing item with the same
// file. A text key with a path reads the file and hands its text back; a
// file there that cannot be read adds nothing (0).
int32_t AddStoreItem(std::string& pathOrText, const std::string& kindKey, int32_t& row, int32_t& mode);
void DeleteStoreItem(int32_t id);

// Adds items one after another at one insert position, each as AddStoreItem
// would (the same results, IDs, names, positions, row, mode and message),
// but gathers the taken IDs and names once and puts the items into the store
// together when the batch ends: many items cost one pass over the store, not
// one pass each.
class StoreItemBatch {
 public:
  StoreItemBatch(int32_t& row, int32_t& mode) : row_(row), mode_(mode) {}
  ~StoreItemBatch() { end(); }
  StoreItemBatch(const StoreItemBatch&) = delete;
  StoreItemBatch& operator=(const StoreItemBatch&) = delete;

  // As AddStoreItem, with the items added before counted as in the store.
  int32_t add(std::string& pathOrText, const std::string& kindKey);
  // The store's item count with the items added so far.
  int32_t count() const;
  // Puts the items added so far into the store; a later add starts afresh.
  void end();
  // Why the last add took nothing from its file ("ファイル [path] " and the
  // reader's reason); "" when it took the file or refused it for another cause.
  const std::string& refusal() const { return refusal_; }

 private:
  int32_t positionOfName(const std::string& name);
  int32_t freeId(bool folder);

  struct Pending {
    std::vector<StoreItem> items;
    int32_t position = 0;  // where the first goes; each next one behind the one before
    int32_t folder = 0;    // the folder that encloses them, 0 at top level
    int32_t rowStep = 0;   // how far the row moves on per item
    // Taken IDs 1..9999 and, by magnitude, -1..-9999; the first free one
    // can only move on while items are added.
    std::vector<bool> takenUp, takenDown;
    int32_t nextUp = 1, nextDown = 1;
    int32_t nameLookups = 0;
    std::unordered_map<std::string_view, int32_t> storeNames;  // name -> first position
    std::unordered_map<std::string, int32_t> addedNames;       // name -> first of the items
  };
  int32_t& row_;
  int32_t& mode_;
  Pending pending_;
  std::string refusal_;
};

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
