#pragma once
// The material property command behind the file list: the material dialog
// filled from the selected items, shown modal next to the mouse pointer or
// at its remembered place, and read back into the items after OK.
namespace tesmiro::gui {

class MainGUI;
class MaterialPropertyExchange;

// True when an item changed. Nothing is shown while a build runs or when
// the cursor row holds no item. The caller owns the store undo step (an
// uncovered call makes its own).
bool RunStoreProperty(MainGUI& window);

// The exchange the file list's commands run (MainGUI::ListJpegStoreProperty),
// for the program to install.
MaterialPropertyExchange* StoreDialogProperties();

}  // namespace tesmiro::gui
