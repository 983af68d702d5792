#include "compiler/material_tools.h"
#include "project/build_lock.h"
#include "project/preferences.h"
#include "project/store_property_exchange.h"
#include "ui/common/dialog_support.h"
#include "ui/common/services.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/main/main_gui.h"
#include "ui/main/material_property.h"
#include "ui/main/store_property_command.h"

namespace tesmiro::gui {
namespace {

class StoreDialogExchange final : public MaterialPropertyExchange {
 public:
  bool exchange(MainGUI& window) override { return RunStoreProperty(window); }
};

}  // namespace

MaterialPropertyExchange* StoreDialogProperties() {
  static StoreDialogExchange exchange;
  return &exchange;
}

bool RunStoreProperty(MainGUI& window) {
  // The text measuring and the writes would meet a build between two of
  // its progress lines.
  if (GUICore::BuildInProgress()) return false;
  StoreProperty::Fields fields;
  if (!StoreProperty::FillFields(fields, window.fontList())) return false;

  StoreDialog dialog(&window);
  dialog.load(fields);
  const auto& prefs = Prefs::Current();
  if (prefs.posFilelistWindow == 0) {
    PlaceAt(&dialog, Desktop().placement->cursorPos());
  } else {
    PlaceFromTwips(&dialog, prefs.fwLeft, prefs.fwTop);
  }
  ExecModal(dialog);
  if (!dialog.ok()) return false;
  return StoreProperty::ApplyFields(dialog.read(), GUICore::MeasureStaticText);
}

}  // namespace tesmiro::gui
