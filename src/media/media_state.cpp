#include "media/media_state.h"

#include "media/action_compiler.h"
#include "media/vector/vector_shape.h"
#include "media/video/flv_video.h"
#include "swf/font_cache.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {

void ResetMediaState() {
  ResetState();
  FontCache() = FontCacheState{};
  ClearMP3StreamState();
  ResetVectorElements();
  FLVRead() = FLVReadState{};
  ActionCompiler::ResetState();
}

}  // namespace tesmiro::SWFMakeCore
