#include "project/project_state.h"

#include "media/media_state.h"
#include "project/event_colors.h"
#include "project/event_property_exchange.h"
#include "project/filter_work_area.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/recent_files.h"
#include "project/script_editor.h"

namespace tesmiro::GUICore {

void ResetProjectState() {
  // The recent-files hook belongs to whoever installed it, not to the state.
  auto recentHook = RecentFiles().changed;
  ResetState();
  FileListModule::ResetState();
  EventListModule::ResetState();
  ResetWorkArea();
  EventProperty::ResetState();
  ResetRecentFiles();
  RecentFiles().changed = std::move(recentHook);
  Prefs::ResetState();
  EventListModule::ResetDisplayColors();
  ScriptEditorModule::ResetState();
  SWFMakeCore::ResetMediaState();
}

}  // namespace tesmiro::GUICore
