#include "compiler/core_setup.h"

#include "compiler/event_compiler.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "media/action_compiler.h"
#include "media/text/font_surface.h"
#include "project/model.h"
#include "project/project_state.h"

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
  GUICore::ResetProjectState();
  GUICore::Build() = GUICore::BuildState{};
  GUICore::CompilerState() = GUICore::EventCompilerState{};
  GUICore::Previews() = GUICore::PreviewOptions{};
}

}  // namespace tesmiro::core
