// The parts of the main window that later areas build: each area moves its
// functions from here into its own file (main_gui_event_list.cpp,
// main_gui_file_list.cpp, main_gui_script.cpp, main_gui_preview.cpp,
// main_gui_dialogs.cpp) and deletes them here. Until then the menu items of
// an area exist and do nothing.
#include "ui/main/main_gui.h"

namespace tesmiro::gui {

void MainGUI::setupDialogArea() {}

}  // namespace tesmiro::gui
