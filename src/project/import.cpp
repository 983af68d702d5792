#include "project/import.h"

#include <cstdint>
#include <set>
#include <unordered_map>

#include "project/build_lock.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/paths.h"
#include "project/project_file.h"
#include "project/store.h"
#include "project/store_commands.h"
#include "project/store_undo.h"

namespace tesmiro::GUICore {
namespace {

int32_t Sign(int32_t v) { return (v > 0) - (v < 0); }

// Where each imported item goes, worked out before the store changes.
struct ImportPlan {
  std::vector<StoreItem> items;  // with their final IDs and paths
  std::vector<int32_t> oldIds;   // ID each had in the imported file
  std::vector<bool> replaces;    // the item takes the place of a store item with its ID
  int32_t spriteId = 0;          // the sprite made of the main timeline, 0 for none
  std::vector<std::string> missing;  // stored paths of files found nowhere
};

// Runs the renumbering on the IDs alone; false with a message when an ID
// would leave the store's range or the store would overflow.
bool Plan(TSMModule::ProjectData& data, const std::string& importFolder, int32_t offset, int32_t limit,
          int32_t options, int32_t spriteId, ImportPlan& plan, std::string& message) {
  // The store as the import would leave it, and its IDs for quick lookups.
  std::vector<StoreItem> store = State().store.items();
  std::set<int32_t> ids;
  for (const StoreItem& s : store) ids.insert(s.id);
  auto taken = [&](int32_t id) { return ids.count(id) != 0; };

  for (StoreItem item : data.store) {
    const int32_t oldId = item.id;
    bool duplicate = false;
    if (IsFileKind(item.kind)) {
      if (auto found = PathModule::LocateFile(item.name, importFolder)) {
        item.name = *found;
      } else {
        plan.missing.push_back(item.name);
      }
      if ((options & kImportReuseDuplicates) != 0) {
        for (const StoreItem& s : store) {
          if (s.name != item.name) continue;
          StoreItem candidate = item;
          candidate.id = s.id;
          if (StoreItemsEqual(s, candidate)) {
            item = s;
            duplicate = true;
            break;
          }
        }
      }
    }
    int32_t id = item.id;
    bool replaces = false;
    if (id < limit && !duplicate) {
      // A negative offset must not turn a file into a folder ID or 0, nor
      // may any ID leave the 32-bit range.
      int64_t moved = int64_t{id} + int64_t{Sign(id)} * offset;
      while (moved >= INT32_MIN && moved <= INT32_MAX && taken(static_cast<int32_t>(moved))) moved += Sign(id);
      if (moved < INT32_MIN || moved > INT32_MAX || (moved > 0) != (oldId > 0) || moved == 0) {
        message = "IDのオフセット " + std::to_string(offset) + " は使えません。";
        return false;
      }
      id = static_cast<int32_t>(moved);
    } else if (taken(id)) {
      std::erase_if(store, [&](const StoreItem& s) { return s.id == id; });
      replaces = true;
    }
    if (id > kMaxStoreItemId) {
      message = "素材ID " + std::to_string(oldId) + " は " + std::to_string(id) +
                " になり、9999を超えるため読み込めません。IDのオフセットを小さくしてください。";
      return false;
    }
    item.id = id;
    ids.insert(id);
    store.push_back(item);
    plan.items.push_back(item);
    plan.oldIds.push_back(oldId);
    plan.replaces.push_back(replaces);
  }

  if ((options & kImportMainAsSprite) != 0) {
    int32_t id = spriteId < 1 ? offset + 1 : spriteId;
    while (taken(id)) ++id;
    if (id > kMaxStoreItemId) {
      message = "新しいスプライトのIDが9999を超えるため読み込めません。";
      return false;
    }
    plan.spriteId = id;
    store.push_back(StoreItem{});
  }
  if (static_cast<int64_t>(store.size()) > kMaxStoreItems) {
    message = "素材の数が上限 (9999) を超えるため読み込めません。";
    return false;
  }
  return true;
}

// The new ID of the imported sprite whose old ID is `oldId`; 0 when none.
int32_t ImportedSpriteId(int32_t oldId, const ImportPlan& plan) {
  for (size_t i = 0; i < plan.oldIds.size(); ++i)
    if (plan.oldIds[i] == oldId && plan.items[i].kind == StoreItemKind::Sprite) return plan.items[i].id;
  return 0;
}

void SetSpriteTimeline(int32_t spriteId, int32_t timeline) {
  int32_t position = FindStoreIndexByID(spriteId);
  if (position >= 1) State().store.at(position).param = timeline;
}

}  // namespace

Result<void> ImportProject(const std::string& path, int32_t idOffset, int32_t idLimit, int32_t options,
                          const std::string& spriteName, int32_t spriteId) {
  if (BuildInProgress()) return Failure{"SWF生成中はインポートできません。"};
  Result<TSMModule::ProjectData> loaded = TSMModule::LoadProjectFile(path);
  if (!loaded) return Failure{loaded.message()};
  TSMModule::ProjectData& data = *loaded;
  std::string message;
  ImportPlan plan;
  if (!Plan(data, GetFolderPart(path), idOffset, idLimit, options, spriteId, plan, message)) return Failure{message};

  ClearStoreUndo();
  for (size_t i = 0; i < plan.items.size(); ++i) {
    if (plan.replaces[i]) DeleteStoreItem(plan.items[i].id);
    State().store.push_back(plan.items[i]);
  }

  // RemapID for every event field, looked up instead of searched.
  std::unordered_map<int32_t, int32_t> newIds;
  for (size_t i = 0; i < plan.oldIds.size() && i < plan.items.size(); ++i)
    newIds.emplace(plan.oldIds[i], plan.items[i].id);
  auto remap = [&](int32_t& id) {
    auto it = newIds.find(id);
    if (it != newIds.end()) id = it->second;
  };

  for (size_t i = 0; i < plan.items.size(); ++i) {
    if (data.store.items()[i].kind != StoreItemKind::VectorImage) continue;
    int32_t target = data.store.items()[i].param;
    remap(target);
    int32_t position = FindStoreIndexByID(plan.items[i].id);
    if (position >= 1) State().store.at(position).param = target;
  }

  for (size_t t = 0; t < data.timelines.size(); ++t) {
    Timeline timeline = std::move(data.timelines[t]);
    for (EventRecord& e : timeline.events) {
      remap(e.itemId);
      remap(e.downItemId);
      remap(e.overItemId);
      remap(e.hitItemId);
    }
    Model& m = State();
    if (t == 0 && (options & kImportMainAsSprite) != 0) {
      StoreItem sprite = NewStoreItem(StoreItemKind::Sprite);
      sprite.id = plan.spriteId;
      sprite.name = spriteName;
      sprite.width = data.settings.width;
      sprite.height = data.settings.height;
      timeline.owner = sprite.id;
      timeline.key = NewTimelineKey();
      m.timelines.push_back(std::move(timeline));
      sprite.param = static_cast<int32_t>(m.timelines.size()) - 1;
      m.store.push_back(sprite);
    } else if (t == 0) {
      if ((options & kImportSkipMainEvents) == 0)
        for (EventRecord& e : timeline.events) m.events.push_back(std::move(e));
    } else if (int32_t owner = ImportedSpriteId(timeline.owner, plan); owner != 0) {
      // A timeline that no imported sprite owns is left behind: under its
      // old owner ID it could capture a sprite of the open project.
      timeline.owner = owner;
      timeline.key = NewTimelineKey();
      m.timelines.push_back(std::move(timeline));
      SetSpriteTimeline(owner, static_cast<int32_t>(m.timelines.size()) - 1);
    }
  }
  SetModified(true);
  // Imported all the same: the files may still turn up beside this project.
  std::vector<std::string> lines;
  for (const std::string& name : plan.missing) lines.push_back("[" + name + "]");
  StoreCommands::WarnWithList("インポートした素材の次のファイルが、記録された場所にもインポートしたプロジェクトの"
                              "フォルダにもありません。",
                              lines);
  return {};
}

void RemapID(int32_t& id, const std::vector<int32_t>& oldIds, const std::vector<StoreItem>& imported) {
  for (size_t i = 0; i < oldIds.size() && i < imported.size(); ++i) {
    if (oldIds[i] == id) {
      id = imported[i].id;
      return;
    }
  }
}

}  // namespace tesmiro::GUICore
