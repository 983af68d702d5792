#pragma once
// Reordering the store without breaking its flat folder tree (sorting by
// six keys, shifting the selection up or down through the tree), selecting
// an item in the file list, and searching both lists.
#include <cstdint>
#include <string>

namespace tesmiro::GUICore {

enum SortKey : int32_t {
  kSortIdAscending = 1,
  kSortIdDescending = 2,
  kSortKindAscending = 3,
  kSortKindDescending = 4,
  kSortFoldersFirst = 5,
  kSortFoldersLast = 6,
};

inline constexpr const char* kNoSearchResultText = "検索結果がありません";

// Sorts positions first..last; a folder moves with its subtree, whose
// contents are sorted the same way. Items never pass a folder for keys 1-4,
// and clones never move for keys 5 and 6. A call with first = 1 records one
// store undo step and redraws the file list.
void SortStoreItems(int32_t first, int32_t last, int32_t key);
// For a folder at position: delta added to its count and every enclosing
// folder's; with open they are opened too.
void AdjustFolderCounts(int32_t position, int32_t delta, bool open);
// Moves each selected item (a selected folder with its contents) one step
// up (-1) or down (+1) through the tree, in and out of folders.
void ShiftSelectedStoreItems(int32_t direction);
// Selects the item with the ID (or, with isId false, the item of working
// event `value`), opening its folders.
void SelectStoreItemByID(int32_t value, bool isId);
bool EventHasStoreItem(int32_t index);
// The next item (or event) after the cursor that contains the text (or has
// the ID), wrapping round once; "検索結果がありません" when none. True when found.
bool SearchStoreList(const std::string& text, bool byText);
bool SearchEventList(const std::string& text, bool byText);
void ApplyListColors();

}  // namespace tesmiro::GUICore
