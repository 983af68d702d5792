// The text-effect dialog, which the material dialog reaches through the
// editor the main window installs for its lifetime.
#include "ui/dialogs/text_effect_dialog.h"
#include "ui/dialogs/text_effect_editor.h"
#include "ui/main/main_gui.h"

namespace tesmiro::gui {
namespace {

class TextEffectDialogEditor final : public TextEffectEditor {
 public:
  std::optional<std::string> edit(QWidget* owner, const StoreItem& item, const std::string& settings) override {
    return TextEffectDialog::edit(owner, item, settings);
  }
};

}  // namespace

void MainGUI::setupDialogArea() {
  textEffectEditor_ = std::make_unique<TextEffectDialogEditor>();
  textEffectScope_ = std::make_unique<ScopedTextEffectEditor>(textEffectEditor_.get());
}

}  // namespace tesmiro::gui
