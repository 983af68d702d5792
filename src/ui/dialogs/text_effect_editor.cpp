#include "ui/dialogs/text_effect_editor.h"

namespace tesmiro::gui {
namespace {
TextEffectEditor* gEditor = nullptr;
}

TextEffectEditor* TextEffects() { return gEditor; }

ScopedTextEffectEditor::ScopedTextEffectEditor(TextEffectEditor* editor) : previous_(gEditor) { gEditor = editor; }

ScopedTextEffectEditor::~ScopedTextEffectEditor() { gEditor = previous_; }

}  // namespace tesmiro::gui
