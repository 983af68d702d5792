#include "project/gui_core.h"

#include <filesystem>
#include <system_error>

#include "project/build_lock.h"
#include "project/events.h"
#include "project/list_models.h"
#include "project/project_file.h"
#include "project/script_editor.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "project/window_services.h"

namespace tesmiro::GUICore {
namespace {

constexpr std::string_view kModifiedSuffix = " *";

bool EndsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void NewProject() {
  // A running build reads the model between its progress lines.
  if (BuildInProgress()) return;
  Model& m = State();
  ScriptEditorModule::ClearScriptPane();
  auto& windows = ui::Windows();
  windows.unloadScriptEditor();
  windows.unloadEventDialog();

  m.store.clear();
  FileListModule::ResetFileListView();
  FileListModule::Current().hScroll = 0;

  m.events.clear();
  m.clipboard.events.clear();
  m.timelines.clear();
  m.timelines.push_back(Timeline{{}, 0, NewTimelineKey()});
  m.tabs.assign(1, SpriteTab{});

  EventListModule::ResetEventRows();
  EventListModule::Current().hScroll = 0;

  ShowItemInfo(0);

  m.settings = ProjectSettings{};
  LoadProjectHeader(m.paths.config / kDefaultSettingsFile);

  m.timelines[0].owner = 0;
  m.shownTimeline = 0;
  ShowTimeline(0, false);

  ClearEventUndo();
  ClearStoreUndo();

  SetCaption(kNewProjectCaption);
  SetModified(false);
}

int16_t GetSWFVersion() { return SWFVersionFromOptions(State().settings.options); }

void SetModified(int16_t flag) {
  Model& m = State();
  m.modified = flag;
  std::string caption = m.caption;
  bool suffixed = EndsWith(caption, kModifiedSuffix);
  if (flag != 0 && !suffixed) {
    caption += kModifiedSuffix;
  } else if (flag == 0 && suffixed) {
    caption.resize(caption.size() - kModifiedSuffix.size());
  }
  if (caption != m.caption) SetCaption(caption);
}

bool HasUnsavedChanges() { return EndsWith(State().caption, kModifiedSuffix); }

const std::string& Caption() { return State().caption; }

void SetCaption(const std::string& caption) {
  State().caption = caption;
  ui::Windows().setCaption(caption);
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

void ShowItemInfo(int32_t itemId) {
  State().infoItemId = itemId;
  ui::Windows().showItemInfo(itemId);
}

void RefreshItemInfo() { ShowItemInfo(State().infoItemId); }

}  // namespace tesmiro::GUICore
