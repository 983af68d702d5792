// The movie compiler's calls into the media writers. A media writer that is
// not joined here yet leaves its materials out of the movie exactly as an
// unusable file would be.
#include "compiler/materials.h"

#include "compiler/movie_compiler.h"
#include "media/vector/kvg.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"

namespace tesmiro::GUICore::materials {

std::string ResolveMaterialPath(const StoreItem& item) {
  return PathModule::LocateFile(item.name, GetFolderPart(State().projectPath)).value_or("");
}

bool DefineRasterImage(const StoreItem&, std::string&) { return false; }
bool DefineSound(const StoreItem&, std::string&) { return false; }
bool DefineText(const StoreItem&, int16_t, std::string&) { return false; }

bool DefineVector(const StoreItem& item, int16_t mode, std::string&) {
  ShapeModule::VectorItem v;
  v.id = item.id;
  v.path = item.name;
  if (item.flags == 1) {
    const StoreItem target = GetStoreItemByID(item.param);
    if (target.kind == StoreItemKind::VectorImage) v.morphTarget = ResolveMaterialPath(target);
  }
  v.usage = GetStoreItemUsage(item);
  v.mode = mode;
  v.exportName = item.option;
  return ShapeModule::EmitVectorItem(v);
}

void StartSound(const StoreItem&, int16_t, const std::string&) {}
void StartStream(const StoreItem&, float) {}
void SkipStream(float, int32_t) {}
void SilentStreamHead(float) {}
void SilentStreamBlock(float) {}

bool DefineVideoStream(const StoreItem&, int32_t, bool) { return false; }
void VideoFrame(const StoreItem&, int32_t) {}

}  // namespace tesmiro::GUICore::materials
