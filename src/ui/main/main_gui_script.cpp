// The menu entries of the windows that belong with the script area: the
// project properties, options, import and search.
#include <QAction>

#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/store.h"
#include "project/timelines.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/main/main_gui.h"
#include "ui/main/on_demand_window.h"

namespace tesmiro::gui {

void MainGUI::setupScriptArea() {
  connect(projectPropertiesAction, &QAction::triggered, this, [this] { editProjectProperties(); });
  connect(optionsAction, &QAction::triggered, this, [this] { editOptions(); });
  connect(importProjectAction, &QAction::triggered, this, [this] { importProject(); });
  connect(findAction, &QAction::triggered, this, [this] { openSearch(); });
  connect(findNextAction, &QAction::triggered, this, [this] { findNext(); });
}

void MainGUI::editProjectProperties() {
  ProjectDialog::run(this);
  // The loading screen moves the first frame; the header shows size and rate.
  EventListModule::RenumberFrames();
  EventListModule::DrawEventList();
  GUICore::UpdateTimelineHeader();
}

void MainGUI::editOptions() {
  if (OptionDialog::run(this)) followEventSyncOption();
}

void MainGUI::importProject() {
  GUICore::ShowTimeline(0, false);
  ImportDialog::run(this);
  GUICore::RefreshFileList();
  GUICore::ShowTimeline(0, false);
  followCurrentEvent();
}

void MainGUI::openSearch() {
  const bool made = !kSearchDialog.loaded();
  SearchDialog* dialog = kSearchDialog.present(this, true);
  if (made) connect(dialog, &SearchDialog::searched, this, [this] { followCurrentEvent(); });
}

void MainGUI::findNext() {
  // Before the dialog was ever shown there is nothing to repeat.
  if (SearchDialog* dialog = kSearchDialog.loaded()) dialog->SearchItem();
  followCurrentEvent();
}

}  // namespace tesmiro::gui
