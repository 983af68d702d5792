// Until each media writer is joined here, its materials are left out of the
// movie exactly as an unusable file would be.
#include "compiler/materials.h"

namespace tesmiro::GUICore::materials {

bool DefineRasterImage(const StoreItem&, std::string&) { return false; }
bool DefineSound(const StoreItem&, std::string&) { return false; }
bool DefineText(const StoreItem&, int16_t, std::string&) { return false; }
bool DefineVector(const StoreItem&, int16_t, std::string&) { return false; }

void StartSound(const StoreItem&, int16_t, const std::string&) {}
void StartStream(const StoreItem&, float) {}
void SkipStream(float, int32_t) {}
void SilentStreamHead(float) {}
void SilentStreamBlock(float) {}

bool DefineVideoStream(const StoreItem&, int32_t, bool) { return false; }
void VideoFrame(const StoreItem&, int32_t) {}

}  // namespace tesmiro::GUICore::materials
