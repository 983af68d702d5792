#include "project/store.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/ui.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "project/window_services.h"

namespace tesmiro::GUICore {
namespace {

struct KindKey {
  const char* key;
  StoreItemKind kind;
};
constexpr KindKey kKindKeys[] = {
    {"folder", StoreItemKind::Folder}, {"clone", StoreItemKind::Clone},   {"jpg", StoreItemKind::RasterImage},
    {"jpeg", StoreItemKind::RasterImage}, {"bmp", StoreItemKind::RasterImage}, {"png", StoreItemKind::RasterImage},
    {"gif", StoreItemKind::RasterImage},
    {"mp3", StoreItemKind::Sound},     {"mid", StoreItemKind::Sound},     {"mld", StoreItemKind::Sound},
    {"mmf", StoreItemKind::Sound},     {"wav", StoreItemKind::Sound},     {"txt", StoreItemKind::Text},
    {"sprite", StoreItemKind::Sprite}, {"kvg", StoreItemKind::VectorImage}, {"flv", StoreItemKind::Video},
};

bool KindFromKey(const std::string& key, StoreItemKind& kind) {
  std::string lower = key;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const auto& k : kKindKeys) {
    if (lower == k.key) {
      kind = k.kind;
      return true;
    }
  }
  return false;
}

std::unordered_set<int32_t> TakenIds() {
  std::unordered_set<int32_t> ids;
  for (const auto& item : State().store) ids.insert(item.id);
  return ids;
}

// First free ID counting from `from` in the direction of `step`.
int32_t FreeId(const std::unordered_set<int32_t>& taken, int32_t from, int32_t step) {
  int32_t id = from;
  while (taken.count(id) != 0) id += step;
  return id;
}

void StoreFull() {
  ui::Current().messages->message(kLimitTitle, kStoreFullText, ui::Icon::Exclamation);
}

bool IsFolderAt(int32_t position) {
  const auto& store = State().store;
  return store.valid(position) && store.at(position).isFolder();
}

// Adds delta to the count of the folder at position and of every folder
// around it.
void AddToEnclosing(int32_t folder, int32_t delta) {
  auto& store = State().store;
  while (folder >= 1 && store.valid(folder)) {
    store.at(folder).param += delta;
    folder = GetParentFolder(folder);
  }
}

// Insert position (P) and the first folder that will enclose it (F) for a
// row and mode, as adding, moving and copying share them. Mode 1 on a row
// that is not a folder counts as "before that row's item", so that no other
// kind's Param is taken for a folder size.
void ResolveTarget(int32_t& row, int32_t mode, int32_t& position, int32_t& folder, bool moveRowOn) {
  const auto& store = State().store;
  const auto& rows = FileListModule::Current().rows;
  int32_t n = store.count();
  if (mode == 1 && rows.valid(row) && IsFolderAt(rows.at(row).index)) {
    folder = rows.at(row).index;
    position = std::min(folder + store.at(folder).param + 1, n + 1);
    return;
  }
  if (!rows.valid(row) || !store.valid(rows.at(row).index)) {
    position = n + 1;
    folder = 0;
    if (row > FileListModule::RowCount() && moveRowOn) row += 1;
    return;
  }
  position = rows.at(row).index;
  folder = GetParentFolder(position);
  if (moveRowOn) row += 1;
}

// The sprite's own timeline: its Param when that timeline names it as
// owner, else the one that does; 0 when it has none.
int32_t TimelineOfSprite(const StoreItem& item) {
  const auto& timelines = State().timelines;
  if (item.param >= 1 && item.param < static_cast<int32_t>(timelines.size()) &&
      timelines[static_cast<size_t>(item.param)].owner == item.id) {
    return item.param;
  }
  return FindTimelineOfSprite(item.id);
}

void DeleteSpriteTimeline(const StoreItem& item) {
  int32_t t = TimelineOfSprite(item);
  if (t < 1) return;
  RecordStoreUndoChange(kStoreUndoTimelineDeleted, t, 0);
  DeleteTimeline(t);
  RelinkSpriteTimelines();
}

// The marked items, as moving and copying take them (in list order).
std::vector<StoreItem> MarkedItems() {
  std::vector<StoreItem> marked;
  for (const auto& item : State().store) {
    if (item.mark != 0) marked.push_back(item);
  }
  for (auto& item : marked) item.mark = 0;
  return marked;
}

void MarkRange(int32_t first, int32_t count) {
  auto& store = State().store;
  for (int32_t i = first; i < first + count && store.valid(i); ++i) store.at(i).mark = -1;
}

}  // namespace

int32_t AddStoreItem(std::string& pathOrText, const std::string& kindKey, int32_t& row, int32_t& mode) {
  StoreItemBatch batch(row, mode);
  const int32_t id = batch.add(pathOrText, kindKey);
  batch.end();
  return id;
}

int32_t StoreItemBatch::count() const {
  return State().store.count() + static_cast<int32_t>(pending_.items.size());
}

int32_t StoreItemBatch::freeId(bool folder) {
  Pending& p = pending_;
  if (p.takenUp.empty()) {
    p.takenUp.assign(kMaxStoreItemId + 1, false);
    p.takenDown.assign(kMaxStoreItemId + 1, false);
    for (const auto& item : State().store) {
      if (item.id >= 1 && item.id <= kMaxStoreItemId) p.takenUp[static_cast<size_t>(item.id)] = true;
      if (item.id <= -1 && item.id >= -kMaxStoreItemId) p.takenDown[static_cast<size_t>(-item.id)] = true;
    }
  }
  // Past 9999 nothing is free: the store is full then (IDs beyond it are
  // refused, and 9999 folders fill it).
  const auto& taken = folder ? p.takenDown : p.takenUp;
  int32_t& next = folder ? p.nextDown : p.nextUp;
  while (next <= kMaxStoreItemId && taken[static_cast<size_t>(next)]) ++next;
  return folder ? -next : next;
}

int32_t StoreItemBatch::positionOfName(const std::string& name) {
  Pending& p = pending_;
  const StoreList& store = State().store;
  int32_t inStore = 0;
  if (p.nameLookups++ == 0) {
    // A single add looks once, and a scan costs less than an index.
    for (int32_t i = 1; i <= store.count() && inStore == 0; ++i) {
      if (store.at(i).name == name) inStore = i;
    }
  } else {
    if (p.storeNames.empty()) {
      p.storeNames.reserve(static_cast<size_t>(store.count()));
      for (int32_t i = 1; i <= store.count(); ++i) p.storeNames.emplace(store.at(i).name, i);
    }
    auto it = p.storeNames.find(name);
    if (it != p.storeNames.end()) inStore = it->second;
  }
  // Where it would be with the added items in the store: they stand
  // together at p.position, before the items that were there.
  const int32_t added = static_cast<int32_t>(p.items.size());
  if (inStore != 0 && (added == 0 || inStore < p.position)) return inStore;
  auto it = p.addedNames.find(name);
  if (it != p.addedNames.end()) return p.position + it->second;
  return inStore == 0 ? 0 : inStore + added;
}

int32_t StoreItemBatch::add(std::string& pathOrText, const std::string& kindKey) {
  Model& m = State();
  Pending& p = pending_;
  StoreItemKind kind;
  refusal_.clear();
  if (!KindFromKey(kindKey, kind)) return 0;

  if (kind == StoreItemKind::Text && !pathOrText.empty()) {
    const std::filesystem::path path(pathOrText);
    if (auto bytes = fileio::ReadAll(path)) {
      pathOrText = enc::DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    } else if (std::error_code ec; std::filesystem::exists(std::filesystem::symlink_status(path, ec)) ||
                                   ec == std::errc::permission_denied) {
      // Only a string that names nothing is the text itself: a file that is
      // there but cannot be read would otherwise become a text of its path.
      refusal_ = bytes.message();
      return 0;
    }
  }
  if (IsFileKind(kind)) {
    if (int32_t at = positionOfName(pathOrText)) return at;
  }

  const bool folder = kind == StoreItemKind::Folder;
  const int32_t id = freeId(folder);
  if (count() >= kMaxStoreItems || id > kMaxStoreItemId) {
    StoreFull();
    return 0;
  }

  // Each item would go in right behind the one added before it (the target
  // row's item, or the folder's end, moves on with them), so only the first
  // position needs resolving.
  if (p.items.empty()) {
    const int32_t rowBefore = row_;
    ResolveTarget(row_, mode_, p.position, p.folder, true);
    p.rowStep = row_ - rowBefore;
    SetModified(true);
  } else {
    row_ += p.rowStep;
  }

  StoreItem item = NewStoreItem(kind);
  item.id = id;
  item.name = pathOrText;
  if (kind == StoreItemKind::Sprite) {
    item.width = m.settings.width;
    item.height = m.settings.height;
    item.param = NewTimeline(id);
    item.name = "スプライト(" + std::to_string(item.param) + ")";
  } else if (folder && item.name.empty()) {
    item.name = "フォルダ" + std::to_string(-id);
  }
  if (folder) {
    p.takenDown[static_cast<size_t>(-id)] = true;
  } else {
    p.takenUp[static_cast<size_t>(id)] = true;
  }
  p.addedNames.emplace(item.name, static_cast<int32_t>(p.items.size()));
  p.items.push_back(std::move(item));
  return id;
}

void StoreItemBatch::end() {
  Pending& p = pending_;
  if (!p.items.empty()) {
    State().store.insertRange(p.position, p.items);
    AddToEnclosing(p.folder, static_cast<int32_t>(p.items.size()));
  }
  p = Pending{};
}

void DeleteStoreItem(int32_t id) {
  Model& m = State();
  int32_t d = FindStoreIndexByID(id);
  if (d == 0) return;
  const StoreItem item = m.store.at(d);
  if (item.kind == StoreItemKind::Sprite) {
    if (m.shownTimeline != 0) {
      ShowTimeline(0, false);
      ui::Windows().focusFileList();
    }
    DeleteSpriteTimeline(item);
  }
  // A folder goes with its whole subtree, its sprites' timelines included
  // (last descendant first, as deleting them one by one would).
  int32_t size = 1;
  if (item.isFolder() && item.param > 0) {
    size = 1 + std::min(item.param, m.store.count() - d);
    for (int32_t k = d + size - 1; k > d; --k) {
      const StoreItem& inner = m.store.at(k);
      if (inner.kind == StoreItemKind::Sprite) {
        if (m.shownTimeline != 0) ShowTimeline(0, false);
        DeleteSpriteTimeline(m.store.at(k));
      }
    }
  }
  AddToEnclosing(GetParentFolder(d), -size);
  m.store.eraseRange(d, size);
  SetModified(true);
}

StoreItem GetStoreItemByID(int32_t id) {
  const StoreList& store = State().store;
  int32_t p = store.indexOf(id);
  return p ? store.at(p) : EmptyStoreItem();
}

int32_t FindStoreIndexByID(int32_t id) { return State().store.indexOf(id); }

StoreItem GetStoreItem(int32_t position) {
  const auto& store = State().store;
  return store.valid(position) ? store.at(position) : EmptyStoreItem();
}

int32_t StoreItemCount() { return State().store.count(); }

void ClearItemMarks() {
  for (auto& item : State().store) item.mark = 0;
}

bool UpdateStoreItem(int32_t id, const StoreItem& record) {
  int32_t p = FindStoreIndexByID(id);
  if (p == 0) return false;
  bool differed = !StoreItemsEqual(State().store.at(p), record);
  State().store.at(p) = record;
  if (differed) SetModified(true);
  return differed;
}

void SetStoreItem(int32_t id, const StoreItem& record) {
  int32_t p = FindStoreIndexByID(id);
  if (p != 0) State().store.at(p) = record;
}

int32_t ChangeStoreItemID(int32_t oldId, int32_t wanted) {
  Model& m = State();
  int32_t p = FindStoreIndexByID(oldId);
  // Folders keep their negative IDs; other items only take IDs from 1 up.
  if (p == 0 || m.store.at(p).isFolder() || wanted < 1) return oldId;
  // Events still naming a deleted material keep that ID taken: giving it to
  // this item would silently attach them to it, and undoing the change could
  // not tell them from the item's own events.
  auto taken = TakenIds();
  auto addReferences = [&](const EventRecord& e) {
    taken.insert(e.itemId);
    if (e.buttonFlag == 1) taken.insert({e.downItemId, e.overItemId, e.hitItemId});
  };
  for (const auto& e : m.events) addReferences(e);
  for (size_t t = 0; t < m.timelines.size(); ++t) {
    if (static_cast<int32_t>(t) == m.shownTimeline) continue;  // the working list stands for it
    for (const auto& e : m.timelines[t].events) addReferences(e);
  }
  int64_t n = wanted;
  while (n <= kMaxStoreItemId && taken.count(static_cast<int32_t>(n)) != 0) ++n;
  if (n > kMaxStoreItemId) return oldId;
  int32_t newId = static_cast<int32_t>(n);

  StoreItem& item = m.store.at(p);
  if (item.kind == StoreItemKind::Sprite) {
    int32_t t = TimelineOfSprite(item);
    if (t >= 1) m.timelines[static_cast<size_t>(t)].owner = newId;
  }
  item.id = newId;
  for (auto& other : m.store) {
    if (other.kind == StoreItemKind::VectorImage && other.flags == 1 && other.param == oldId) other.param = newId;
  }
  if (oldId > 0) {
    for (auto& tab : m.tabs) {
      if (tab.spriteId == oldId) tab.spriteId = newId;
    }
  }
  ReplaceIDInEvents(oldId, newId);
  SetModified(true);
  if (m.timelines[static_cast<size_t>(m.shownTimeline)].owner == newId) UpdateTimelineHeader();
  return newId;
}

bool ReplaceIDInEvent(EventRecord& event, int32_t oldId, int32_t newId) {
  bool changed = false;
  auto swap = [&](int32_t& field) {
    if (field == oldId) {
      field = newId;
      changed = true;
    }
  };
  swap(event.itemId);
  if (event.buttonFlag == 1) {
    swap(event.downItemId);
    swap(event.overItemId);
    swap(event.hitItemId);
  }
  return changed;
}

void ReplaceIDInEvents(int32_t oldId, int32_t newId) {
  Model& m = State();
  if (!m.events.empty()) {
    EventListModule::ClearRowSelection();
    for (int32_t i = 1; i <= m.events.count(); ++i) {
      if (ReplaceIDInEvent(m.events.at(i), oldId, newId)) EventListModule::SetRow(m.events.at(i), i - 1, true);
    }
  }
  for (auto& timeline : m.timelines) {
    for (auto& e : timeline.events) ReplaceIDInEvent(e, oldId, newId);
  }
}

int32_t NextFreeStoreID(int32_t limit) {
  int32_t running = 1;
  for (const auto& item : State().store) {
    if (item.id < limit && item.id >= running) running = item.id + 1;
  }
  return running;
}

int32_t GetParentFolder(int32_t position) {
  const auto& store = State().store;
  for (int32_t f = std::min(position - 1, store.count()); f >= 1; --f) {
    const StoreItem& item = store.at(f);
    if (item.isFolder() && static_cast<int64_t>(f) + item.param >= position) return f;
  }
  return 0;
}

void SetFolderOpen(int32_t position, int32_t state) {
  if (!IsFolderAt(position)) return;
  State().store.at(position).flags = static_cast<int16_t>(state);
  SetModified(true);
  FileListModule::BuildFileRows(false);
  FileListModule::DrawFileList();
}

void SetAllFoldersOpen(int32_t state) {
  auto& store = State().store;
  if (store.empty()) return;
  for (auto& item : store) {
    if (item.isFolder()) item.flags = static_cast<int16_t>(state);
  }
  SetModified(true);
  FileListModule::BuildFileRows(false);
  FileListModule::DrawFileList();
}

void MarkSelectedItems() {
  auto& store = State().store;
  ClearItemMarks();
  for (const auto& row : FileListModule::Current().rows) {
    if (row.selected == 0 || !store.valid(row.index)) continue;
    StoreItem& item = store.at(row.index);
    if (item.mark != 0) continue;
    item.mark = -1;
    if (item.isFolder() && item.param > 0) MarkRange(row.index + 1, item.param);
  }
}

bool MoveMarkedItems(int32_t& row, int32_t& mode) {
  Model& m = State();
  auto& store = m.store;
  if (store.empty()) return false;
  MarkSelectedItems();
  std::vector<StoreItem> moved = MarkedItems();
  if (moved.empty()) return false;
  int32_t count = static_cast<int32_t>(moved.size());

  int32_t rowIn = row;
  int32_t position = 0, folder = 0;
  ResolveTarget(row, mode, position, folder, false);
  // A target inside the moved items would cut a folder out of its own tree.
  // Marked folders carry their whole subtree, so the target folder being
  // marked is exactly that case.
  if ((folder >= 1 && store.at(folder).mark != 0)) {
    row = rowIn;
    ClearItemMarks();
    return false;
  }

  store.insertRange(position, moved);
  AddToEnclosing(folder, count);

  // Take the originals out. Every unmarked folder loses one per marked
  // item inside it (marked folders go with all they hold).
  int32_t n = store.count();
  std::vector<int32_t> markedBefore(static_cast<size_t>(n) + 1, 0);
  for (int32_t i = 1; i <= n; ++i) markedBefore[static_cast<size_t>(i)] = markedBefore[static_cast<size_t>(i - 1)] + (store.at(i).mark != 0);
  for (int32_t f = 1; f <= n; ++f) {
    StoreItem& item = store.at(f);
    if (!item.isFolder() || item.mark != 0 || item.param <= 0) continue;
    int32_t last = std::min(f + item.param, n);
    item.param -= markedBefore[static_cast<size_t>(last)] - markedBefore[static_cast<size_t>(f)];
  }
  int32_t removedBefore = markedBefore[static_cast<size_t>(std::min(position - 1, n))];
  std::erase_if(store.items(), [](const StoreItem& item) { return item.mark != 0; });
  position -= removedBefore;
  row -= removedBefore;

  MarkRange(position, count);
  FileListModule::Current().cursorRow = row;
  SetModified(true);
  FileListModule::BuildFileRows(true);
  FileListModule::DrawFileList();
  return true;
}

bool CopyMarkedItems(int32_t& row, int32_t& mode) {
  Model& m = State();
  auto& store = m.store;
  if (store.empty()) return false;
  MarkSelectedItems();
  std::vector<StoreItem> copies = MarkedItems();
  ClearItemMarks();
  if (copies.empty()) return false;

  // Every ID is decided before anything changes, so that a copy that would
  // overflow the store changes nothing.
  auto taken = TakenIds();
  int32_t nextPositive = 1, nextNegative = -1;
  std::vector<int32_t> oldIds;
  for (auto& c : copies) {
    oldIds.push_back(c.id);
    if (c.isFolder()) {
      nextNegative = FreeId(taken, nextNegative, -1);
      c.id = nextNegative--;
    } else {
      nextPositive = FreeId(taken, nextPositive, 1);
      c.id = nextPositive++;
    }
  }
  if (store.count() + static_cast<int32_t>(copies.size()) > kMaxStoreItems || nextPositive - 1 > kMaxStoreItemId) {
    StoreFull();
    return false;
  }

  std::unordered_set<std::string> spriteNames;
  for (const auto& item : store) {
    if (item.kind == StoreItemKind::Sprite) spriteNames.insert(item.name);
  }
  for (size_t k = 0; k < copies.size(); ++k) {
    StoreItem& c = copies[k];
    if (c.kind != StoreItemKind::Sprite) continue;
    c.name = MakeUniqueName(c.name, [&](const std::string& s) { return spriteNames.count(s) != 0; });
    spriteNames.insert(c.name);
    StoreItem source = c;
    source.id = oldIds[k];
    int32_t sourceTimeline = TimelineOfSprite(source);
    c.param = sourceTimeline >= 1 ? CloneTimeline(c.id, sourceTimeline) : NewTimeline(c.id);
    RecordStoreUndoChange(kStoreUndoTimelineCopied, c.param, 0);
  }

  int32_t position = 0, folder = 0;
  ResolveTarget(row, mode, position, folder, false);
  store.insertRange(position, copies);
  AddToEnclosing(folder, static_cast<int32_t>(copies.size()));

  MarkRange(position, static_cast<int32_t>(copies.size()));
  FileListModule::Current().cursorRow = row;
  SetModified(true);
  FileListModule::BuildFileRows(true);
  FileListModule::EnsureSelectionVisible();
  FileListModule::DrawFileList();
  return true;
}

void RelinkSpriteTimelines() {
  Model& m = State();
  std::unordered_map<int32_t, int32_t> positions;
  for (int32_t i = 1; i <= m.store.count(); ++i) positions.emplace(m.store.at(i).id, i);
  for (size_t t = 1; t < m.timelines.size(); ++t) {
    auto it = positions.find(m.timelines[t].owner);
    if (it == positions.end()) continue;
    StoreItem& item = m.store.at(it->second);
    if (item.kind == StoreItemKind::Sprite) item.param = static_cast<int32_t>(t);
  }
}

void RefreshFileList() {
  FileListModule::BuildFileRows(false);
  FileListModule::DrawFileList();
}

}  // namespace tesmiro::GUICore
