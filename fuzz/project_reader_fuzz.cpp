// Any bytes as a project file: the reader must refuse them with a message,
// or give a project whose cross-references hold (unique IDs, 1 to 9999 for
// materials and negative for folders, folder subtrees inside the list, each
// sprite linked to a timeline it owns, depths in range).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <span>

#include "project/project_file.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "inconsistent project: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesmiro;
  // A folder that does not exist: relative paths stay as they are.
  const Result<TSMModule::ProjectData> parsed =
      TSMModule::ParseProjectFile(std::span(data, size), "/nonexistent-tesmiro-fuzz");
  if (!parsed) {
    Check(!parsed.message().empty(), "refused without a message");
    return 0;
  }
  const TSMModule::ProjectData& d = *parsed;
  std::set<int32_t> ids;
  const int32_t n = d.store.count();
  Check(n <= kMaxStoreItems, "too many items");
  Check(!d.timelines.empty() && d.timelines[0].owner == 0, "main timeline");
  for (int32_t i = 1; i <= n; ++i) {
    const StoreItem& it = d.store.at(i);
    Check(ids.insert(it.id).second && (it.isFolder() ? it.id < 0 : it.id >= 1 && it.id <= kMaxStoreItemId),
          "item IDs");
    if (it.isFolder()) Check(it.param >= 0 && i + it.param <= n, "folder subtree");
    if (it.kind == StoreItemKind::Sprite)
      Check(it.param >= 1 && static_cast<size_t>(it.param) < d.timelines.size() &&
                d.timelines[static_cast<size_t>(it.param)].owner == it.id,
            "sprite timeline");
  }
  for (const Timeline& t : d.timelines)
    for (const EventRecord& e : t.events) Check(e.depth >= -256 && e.depth <= 256, "depth");
  return 0;
}
