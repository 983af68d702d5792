// The File menu: new, open, recent projects, save, save as, Make SWF and
// quit, and the question before a project is closed.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <cctype>
#include <filesystem>

#include "compiler/movie_compiler.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/file_dialogs.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "ui/common/qt_text.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/print_canvas.h"

namespace tesmiro::gui {
namespace {

constexpr const char* kProjectFilter = "Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)\0*.tsm\0";
constexpr size_t kProjectFilterSize = sizeof("Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)\0*.tsm\0") - 1;
constexpr const char* kMovieFilter = "Shockwave Flash オブジェクト (*.swf)\0*.swf\0";
constexpr size_t kMovieFilterSize = sizeof("Shockwave Flash オブジェクト (*.swf)\0*.swf\0") - 1;

// Where the dialogs start for a project without a file.
std::string HomeFolder() { return FromQ(QDir::homePath()); }

std::string ProjectFolderOrHome() {
  const std::string& path = GUICore::State().projectPath;
  return path.empty() ? HomeFolder() : GUICore::GetFolderPart(path);
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    const char a = s[s.size() - tail.size() + i];
    if (std::tolower(static_cast<unsigned char>(a)) != tail[i]) return false;
  }
  return true;
}

}  // namespace

bool MainMenus::ConfirmSaveProject() {
  if (!GUICore::HasUnsavedChanges()) return true;
  const ui::Answer a = ui::Current().messages->message(
      "Tesmiro", "プロジェクトは変更されています。上書き保存しますか？", ui::Icon::Exclamation,
      ui::Buttons::YesNoCancel);
  if (a == ui::Answer::Cancel) return false;
  // A save that did not happen (Save As cancelled, write failed) must not
  // let the caller throw the changes away.
  if (a == ui::Answer::Yes) return save();
  return true;
}

void MainMenus::newProject() {
  if (w_->buildRunning()) return;
  if (!ConfirmSaveProject()) return;
  GUICore::NewProject();
  GUICore::State().projectPath.clear();
  w_->eventList().followCurrentEvent();
}

void MainMenus::openProject() {
  if (w_->buildRunning()) return;
  if (!ConfirmSaveProject()) return;
  DialogModule::FileDialogRecord r;
  r.filter.assign(kProjectFilter, kProjectFilterSize);
  r.defaultExt = "tsm";
  r.initialDir = ProjectFolderOrHome();
  if (DialogModule::OpenFileDialog(r) && !r.file.empty()) GUICore::OpenProject(r.file);
  w_->eventList().followCurrentEvent();
  if (GUICore::State().settings.option(2) == 'D') Prefs::Current().doubleClickProperty = 1;
}

void MainMenus::openRecentProject(int k) {
  if (w_->buildRunning() || k < 0 || k >= static_cast<int>(recentProjectActions.size())) return;
  const std::string path = FromQ(recentProjectActions[static_cast<size_t>(k)]->data().toString());
  if (path.empty()) return;
  // A project moved away is told before the question and closes nothing.
  if (!GUICore::CanOpenProjectFile(path) || !ConfirmSaveProject()) return;
  GUICore::OpenProject(path);
  w_->eventList().followCurrentEvent();
}

bool MainMenus::openProjectFile(const std::string& path) {
  if (w_->buildRunning()) return false;
  if (!GUICore::CanOpenProjectFile(path) || !ConfirmSaveProject()) return false;
  const bool opened = GUICore::OpenProject(path);
  w_->eventList().followCurrentEvent();
  return opened;
}

bool MainMenus::save() {
  if (w_->buildRunning()) return false;
  const std::string path = GUICore::State().projectPath;
  if (path.empty()) return saveAs();
  return GUICore::SaveProject(path).ok();
}

bool MainMenus::saveAs() {
  if (w_->buildRunning()) return false;
  DialogModule::FileDialogRecord r;
  r.filter.assign(kProjectFilter, kProjectFilterSize);
  r.defaultExt = "tsm";
  r.initialDir = ProjectFolderOrHome();
  r.file = GUICore::State().projectPath;
  if (!DialogModule::SaveFileDialog(r) || r.file.empty()) return false;
  // The project takes the new name only once it is really there.
  if (!GUICore::SaveProject(r.file)) return false;
  GUICore::State().projectPath = r.file;
  GUICore::SetCaption("[ " + GUICore::GetFileNamePart(r.file) + " ] - Tesmiro");
  return true;
}

void MainMenus::makeSwf() {
  if (w_->buildRunning()) return;
  DialogModule::FileDialogRecord r;
  r.filter.assign(kMovieFilter, kMovieFilterSize);
  r.defaultExt = "swf";
  r.title = "SWFファイルの生成";
  const std::string& project = GUICore::State().projectPath;
  if (!project.empty()) {
    r.initialDir = GUICore::GetFolderPart(project);
    if (EndsWithNoCase(project, ".tsm")) r.file = project.substr(0, project.size() - 4);
  } else {
    r.initialDir = HomeFolder();
  }
  if (!DialogModule::SaveFileDialog(r) || r.file.empty()) return;
  const GUICore::MovieFileResult made =
      GUICore::MakeMovieFile(std::filesystem::path(r.file), Prefs::Current().saveHTML == 1);
  // The views follow the main timeline the build showed; the panel keeps
  // the build's result.
  w_->fileList().keepingPanel([this] { w_->eventList().followCurrentEvent(); });
  if (!made.compressedBytes) return;
  // Below the build's own result line.
  w_->fileList().infoPanel()->setCurrentX(0);
  w_->fileList().infoPanel()->setCurrentY(14);
  w_->fileList().infoPanel()->Print(ToQ(made.compressedLine()));
}

void MainMenus::quit() { w_->close(); }

}  // namespace tesmiro::gui
