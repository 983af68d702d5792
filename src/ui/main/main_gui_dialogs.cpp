// The dialogs the main window opens from its menus that no list owns (the
// event-list display settings of the View menu), and the text-effect
// dialog, which the material dialog reaches through its editor.
#include <QAction>

#include "ui/dialogs/event_list_display_dialog.h"
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
  connect(eventListDisplayAction, &QAction::triggered, this, [this] { editEventListDisplay(); });
}

void MainGUI::editEventListDisplay() { EventColorDialog::run(this); }

}  // namespace tesmiro::gui
