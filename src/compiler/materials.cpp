// The movie compiler's calls into the media writers. A media writer that is
// not joined here yet leaves its materials out of the movie exactly as an
// unusable file would be.
#include "compiler/materials.h"

#include "compiler/movie_compiler.h"
#include "media/sound/id3.h"
#include "media/sound/sound_writer.h"
#include "media/vector/kvg.h"
#include "media/video/flv_video.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore::materials {

namespace W = SWFMakeCore;

std::string ResolveMaterialPath(const StoreItem& item) {
  return PathModule::LocateFile(item.name, GetFolderPart(State().projectPath)).value_or("");
}

bool DefineRasterImage(const StoreItem&, std::string&) { return false; }
// The writer tells the user about a sound it cannot use.
bool DefineSound(const StoreItem& item, std::string&) {
  if (!W::WriteDefineSound(2 * item.id - 1, item.name)) return false;
  if (!item.option.empty()) W::WriteExportName(2 * item.id - 1, item.option);
  return true;
}
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

void StartSound(const StoreItem& item, int16_t soundMode, const std::string& volumeText) {
  int32_t left = 100, right = 100;
  ID3Module::ParseVolumeParam(volumeText, left, right);
  W::WriteStartSound(2 * item.id - 1, soundMode, left, right);
}

void StartStream(const StoreItem& item, float frameRate) {
  const std::string path = ResolveMaterialPath(item);
  if (!path.empty()) W::WriteMP3StreamHead(frameRate, path, W::kStreamLoadFile);
}

void SkipStream(float frameRate, int32_t frames) { W::SkipMP3Stream(frameRate, frames); }
void SilentStreamHead(float frameRate) { W::WriteSilentStreamHead(frameRate); }
void SilentStreamBlock(float frameRate) { W::WriteSilentStreamBlock(frameRate); }

bool DefineVideoStream(const StoreItem& item, int32_t frames, bool withSound) {
  const std::string path = ResolveMaterialPath(item);
  return !path.empty() && W::WriteDefineVideoStream(2 * item.id, frames, path, item.param, withSound);
}

void VideoFrame(const StoreItem& item, int32_t frame) {
  const std::string path = ResolveMaterialPath(item);
  if (!path.empty()) W::WriteVideoFrame(2 * item.id, frame, path);
}

}  // namespace tesmiro::GUICore::materials
