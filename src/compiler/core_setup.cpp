#include "compiler/core_setup.h"

#include "compiler/event_compiler.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "media/action_compiler.h"
#include "media/text/font_surface.h"
#include "media/vector/vector_shape.h"
#include "media/video/flv_video.h"
#include "project/event_colors.h"
#include "project/event_property_exchange.h"
#include "project/filter_work_area.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/recent_files.h"
#include "project/script_editor.h"
#include "swf/font_cache.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::core {

Installation::Installation(const Host& host)
    : previousPaths_(GUICore::State().paths),
      services_(host.services),
      fileDialogs_(host.fileDialogs),
      scriptCompiler_(ActionCompiler::BindingInstance()),
      textCollector_(GUICore::CollectTextsForFont) {
  GUICore::State().paths = host.paths;
}

Installation::~Installation() { GUICore::State().paths = previousPaths_; }

void ResetCoreState() {
  // The recent-files hook belongs to whoever installed it, not to the state.
  auto recentHook = GUICore::RecentFiles().changed;
  GUICore::ResetState();
  FileListModule::ResetState();
  EventListModule::ResetState();
  GUICore::ResetWorkArea();
  EventProperty::ResetState();
  GUICore::ResetRecentFiles();
  GUICore::RecentFiles().changed = std::move(recentHook);
  Prefs::ResetState();
  EventListModule::ResetDisplayColors();
  ActionCompiler::ResetState();
  ScriptEditorModule::ResetState();
  GUICore::Build() = GUICore::BuildState{};
  GUICore::CompilerState() = GUICore::EventCompilerState{};
  GUICore::Previews() = GUICore::PreviewOptions{};
  SWFMakeCore::ResetState();
  SWFMakeCore::ResetFontCache();
  SWFMakeCore::ResetSoundStream();
  SWFMakeCore::ResetVectorElements();
  SWFMakeCore::FLVRead() = SWFMakeCore::FLVReadState{};
}

}  // namespace tesmiro::core
