// The dialogs the main window opens from its menus that no list owns: the
// event-list display settings (View menu).
#include "ui/dialogs/event_list_display_dialog.h"
#include "ui/main/main_gui.h"

#include <QAction>

namespace tesmiro::gui {

void MainGUI::setupDialogArea() {
  connect(mnuEventlistOption, &QAction::triggered, this, [this] { mnuEventlistOption_Click(); });
}

void MainGUI::mnuEventlistOption_Click() { EventColorDialog::run(this); }

}  // namespace tesmiro::gui
