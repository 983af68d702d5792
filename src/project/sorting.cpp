#include "project/sorting.h"

#include <algorithm>

#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/current_event.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/store_undo.h"

namespace tesmiro::GUICore {
namespace {

// A folder with its subtree, or a single item, as the sort moves it.
struct Unit {
  int32_t start;
  int32_t size;
};

int16_t KindOf(const StoreItem& item) { return static_cast<int16_t>(item.kind); }

// Whether a unit takes part in the exchanges of the key at all; the others
// stand still and split the range into runs that are sorted on their own
// (the exchanges only ever swap neighbours that both take part).
bool Movable(const StoreItem& head, int32_t key) {
  switch (key) {
    case kSortIdAscending:
    case kSortIdDescending:
    case kSortKindAscending:
    case kSortKindDescending:
      return !head.isFolder() && head.id >= 1;
    case kSortFoldersFirst:
    case kSortFoldersLast:
      return head.isFolder() || KindOf(head) >= 1;
    default:
      return false;
  }
}

// The order the neighbour exchanges settle in: a stable order by the key.
bool Before(const StoreItem& a, const StoreItem& b, int32_t key) {
  switch (key) {
    case kSortIdAscending: return a.id < b.id;
    case kSortIdDescending: return a.id > b.id;
    case kSortKindAscending: return KindOf(a) < KindOf(b);
    case kSortKindDescending: return KindOf(a) > KindOf(b);
    case kSortFoldersFirst: return a.isFolder() && !b.isFolder();
    case kSortFoldersLast: return !a.isFolder() && b.isFolder();
    default: return false;
  }
}

int32_t BlockSize(int32_t position) {
  const auto& store = State().store;
  const StoreItem& item = store.at(position);
  if (!item.isFolder() || item.param <= 0) return 1;
  return 1 + std::min(item.param, store.count() - position);
}

// Sorts first..last (folders' contents first, each once); true when the
// order changed.
bool SortRange(int32_t first, int32_t last, int32_t key) {
  auto& store = State().store;
  bool changed = false;
  std::vector<Unit> units;
  for (int32_t i = first; i <= last && i <= store.count();) {
    StoreItem& head = store.at(i);
    int32_t size = BlockSize(i);
    if (head.isFolder() && head.mark == 0) {
      head.mark = -1;
      if (head.param > 1 && SortRange(i + 1, i + size - 1, key)) changed = true;
    }
    units.push_back({i, size});
    i += size;
  }
  if (units.empty()) return changed;

  std::vector<Unit> order = units;
  for (size_t r = 0; r < order.size();) {
    if (!Movable(store.at(order[r].start), key)) {
      ++r;
      continue;
    }
    size_t end = r;
    while (end < order.size() && Movable(store.at(order[end].start), key)) ++end;
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(r), order.begin() + static_cast<std::ptrdiff_t>(end),
                     [&](const Unit& a, const Unit& b) { return Before(store.at(a.start), store.at(b.start), key); });
    r = end;
  }
  bool moved = false;
  for (size_t u = 0; u < units.size(); ++u) moved = moved || order[u].start != units[u].start;
  if (!moved) return changed;

  std::vector<StoreItem> rearranged;
  for (const Unit& u : order) {
    for (int32_t k = 0; k < u.size; ++k) rearranged.push_back(std::move(store.at(u.start + k)));
  }
  std::move(rearranged.begin(), rearranged.end(), store.items().begin() + (first - 1));
  return true;
}

int32_t CursorStoreIndex() {
  const auto& fl = FileListModule::Current();
  return fl.rows.valid(fl.cursorRow) ? fl.rows.at(fl.cursorRow).index : 0;
}

void NoResult() { ui::Current().messages->message("Tesmiro", kNoSearchResultText, ui::Icon::Information); }

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

}  // namespace

void SortStoreItems(int32_t first, int32_t last, int32_t key) {
  const int32_t n = StoreItemCount();
  if (n <= 1 || first < 1 || first >= last || last > n) return;
  const bool topLevel = first == 1;
  if (topLevel) {
    ClearItemMarks();
    SaveStoreUndoState();
  }
  bool changed = SortRange(first, last, key);
  if (changed) SetModified(true);
  if (!topLevel) return;
  ClearItemMarks();  // the folders' visit marks are scratch
  if (changed) PushStoreUndoState();
  FileListModule::BuildFileRows(false);
  FileListModule::DrawFileList();
}

void AdjustFolderCounts(int32_t position, int32_t delta, bool open) {
  auto& store = State().store;
  if (!store.valid(position) || !store.at(position).isFolder()) return;
  while (position >= 1) {
    StoreItem& f = store.at(position);
    f.param += delta;
    if (open) f.flags = 1;
    position = GetParentFolder(position);
  }
}

void ShiftSelectedStoreItems(int32_t d) {
  auto& store = State().store;
  const int32_t n = store.count();
  if (n < 2 || (d != -1 && d != 1)) return;
  ClearItemMarks();
  SaveStoreUndoState();
  for (const auto& row : FileListModule::Current().rows) {
    if (row.selected != 0 && store.valid(row.index)) store.at(row.index).mark = -1;
  }
  // A selected folder moves as one block with what it holds.
  for (int32_t i = 1; i <= n; ++i) {
    const StoreItem& item = store.at(i);
    if (item.mark == 0 || !item.isFolder() || item.param <= 0) continue;
    for (int32_t k = i + 1; k < i + BlockSize(i); ++k) store.at(k).mark = 0;
  }

  bool moved = false;
  int32_t firstMoved = 0;
  for (int32_t i = d < 0 ? 1 : n; i >= 1 && i <= n; i -= d) {
    if (store.at(i).mark == 0) continue;
    const int32_t size = BlockSize(i);
    const int32_t parent = GetParentFolder(i);
    AdjustFolderCounts(parent, -size, false);
    std::vector<StoreItem> block(store.items().begin() + (i - 1), store.items().begin() + (i - 1 + size));
    store.eraseRange(i, size);

    int32_t t = i + d;
    int32_t folder = parent;
    if (t < 1 || t + size - 1 > n) {
      // At the edge the block goes back where it was, into its own folder.
      t = i;
    } else if (d > 0 && store.at(i).isFolder()) {
      folder = i;
      t = i + 1;
    } else if (d < 0 && store.at(t).isFolder()) {
      if (GetParentFolder(t) == parent) {
        folder = t;  // an empty sibling folder above: the block goes in
        t = i;
      } else {
        folder = GetParentFolder(t);  // its own folder: the block leaves upwards
        t = i - 1;
      }
    } else if (d > 0) {
      int32_t p = GetParentFolder(i);
      if (p != parent) {
        folder = p;  // the block was its folder's last: it leaves downwards
        t = i;
      }
    } else {
      int32_t p = GetParentFolder(t);
      if (p != parent) {
        folder = p;  // the item above ends another folder: the block goes in
        t = i;
      }
    }
    store.insertRange(t, block);
    // Entering or leaving a folder moves a block even where its position
    // stays the same.
    const bool shifted = t != i || folder != parent;
    if (shifted) {
      moved = true;
      if (firstMoved == 0) firstMoved = t;
    }
    // Folders are opened to show where a block went; one that stays put
    // leaves them as they were (that would be a change without an undo step).
    AdjustFolderCounts(folder, size, shifted);
  }

  FileListModule::BuildFileRows(true);
  if (firstMoved != 0) FileListModule::Current().cursorRow = FileListModule::FindRowOfItem(firstMoved);
  FileListModule::EnsureSelectionVisible();
  FileListModule::DrawFileList();
  if (moved) {
    PushStoreUndoState();
    SetModified(true);
  }
}

void SelectStoreItemByID(int32_t value, bool isId) {
  int32_t id = value;
  if (!isId) {
    const auto& events = State().events;
    if (!events.valid(value) || events.at(value).itemId < 1) return;
    id = events.at(value).itemId;
  }
  int32_t p = FindStoreIndexByID(id);
  if (p == 0) return;
  ClearItemMarks();
  auto& store = State().store;
  store.at(p).mark = -1;
  for (int32_t f = GetParentFolder(p); f >= 1; f = GetParentFolder(f)) store.at(f).flags = 1;
  FileListModule::BuildFileRows(true);
  FileListModule::Current().cursorRow = FileListModule::GetJpegListIndex(id);
  FileListModule::DrawFileList();
  FileListModule::EnsureSelectionVisible();
}

bool EventHasStoreItem(int32_t index) {
  const auto& events = State().events;
  return events.valid(index) && events.at(index).itemId > 0;
}

bool SearchStoreList(const std::string& text, bool byText) {
  const auto& store = State().store;
  const int32_t n = store.count();
  int32_t found = 0;
  if (byText && n > 0) {
    int32_t cursor = CursorStoreIndex();  // 0 when no row is current: start at the first
    for (int32_t k = 1; k <= n && found == 0; ++k) {
      const StoreItem& item = store.at((cursor + k - 1) % n + 1);
      if (Contains(item.option, text) || Contains(item.name, text)) found = item.id;
    }
  } else if (!byText) {
    int32_t id = num::RoundToInt32(num::Val(text));
    if (id > 0 && FindStoreIndexByID(id) != 0) found = id;
  }
  if (found == 0) {
    NoResult();
    return false;
  }
  SelectStoreItemByID(found, true);
  return true;
}

bool SearchEventList(const std::string& text, bool byText) {
  const auto& events = State().events;
  const int32_t n = events.count();
  const double wanted = num::Val(text);
  if (n == 0 || (!byText && wanted < 1)) {
    NoResult();
    return false;
  }
  auto& rows = EventListModule::Current();
  int32_t current = rows.currentRow + 1;  // the event on the current row
  if (current < 1 || current > n) current = 0;
  int32_t found = 0;
  for (int32_t k = 1; k <= n && found == 0; ++k) {
    int32_t i = (current + k - 1) % n + 1;
    const EventRecord& e = events.at(i);
    bool match = byText ? (Contains(e.text1, text) || Contains(e.text2, text)) : e.itemId == wanted;
    if (match) found = i;
  }
  if (found == 0) {
    NoResult();
    return false;
  }
  EventListModule::ClearRowSelection();
  rows.anchorRow = rows.currentRow = found - 1;
  rows.rows[static_cast<size_t>(found - 1)].selected = -1;
  if (!EventListModule::EnsureCurrentVisible()) EventListModule::DrawEventList();
  EventListModule::NoteCurrentEventMoved();
  return true;
}

void ApplyListColors() {
  FileListModule::BuildFileRows(false);
  FileListModule::DrawFileList();
  EventListModule::LoadRows();
}

}  // namespace tesmiro::GUICore
