#include "compiler/event_preview.h"

#include <string>

#include "compiler/event_compiler.h"
#include "compiler/previews.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/event_dialog_rules.h"
#include "project/model.h"
#include "project/window_services.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

// The stage settings stand in for the project's for one build.
class StageSettingsSwap {
 public:
  StageSettingsSwap() : kept_(State().settings) { State().settings = EventDialogRules::StageInfo(); }
  ~StageSettingsSwap() { State().settings = kept_; }
  StageSettingsSwap(const StageSettingsSwap&) = delete;
  StageSettingsSwap& operator=(const StageSettingsSwap&) = delete;

 private:
  ProjectSettings kept_;
};

}  // namespace

EventPreviewResult RunEventPreview(const EventRecord& event) {
  // The writer is one: a preview written now would end up in the movie
  // that a running build is writing.
  if (BuildInProgress()) return EventPreviewResult::Busy;
  ui::WindowServices& windows = ui::Windows();
  windows.unloadPreviewWindow();
  if (PreviewFolderMissing(State().paths.scratch)) return EventPreviewResult::Failed;
  StageSettingsSwap swap;
  if (!BuildSingleEventPreviewSWF(event, kEventPreviewMovie)) {
    SWFMakeCore::AbandonMovieFile();
    ui::Current().messages->message("エラー", PreviewWriteFailureText(State().paths.scratch / kEventPreviewMovie),
                                    ui::Icon::Critical);
    return EventPreviewResult::Failed;
  }
  const ProjectSettings& stage = State().settings;
  windows.showPreview((State().paths.scratch / kEventPreviewMovie).string(), ui::PreviewTarget::Window, stage.width,
                      stage.height);
  return EventPreviewResult::Shown;
}

}  // namespace tesmiro::GUICore
