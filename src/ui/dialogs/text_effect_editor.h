#pragma once
// How the material dialog reaches the text-effect dialog: through an editor
// that the text-effect dialog installs. Until one is installed the
// material dialog's settings button stays disabled.
#include <optional>
#include <string>

#include "project/records.h"

class QWidget;

namespace tesmiro::gui {

class TextEffectEditor {
 public:
  virtual ~TextEffectEditor() = default;
  // Edits the settings string of the text item the dialog shows (its
  // current text, font and style; the store holds it meanwhile), placed at
  // `owner`'s corner. The new settings, or nullopt when cancelled.
  virtual std::optional<std::string> edit(QWidget* owner, const StoreItem& item, const std::string& settings) = 0;
};

// The installed editor, or null.
TextEffectEditor* TextEffects();

// Installs an editor for its lifetime; the previous one comes back after.
class ScopedTextEffectEditor {
 public:
  explicit ScopedTextEffectEditor(TextEffectEditor* editor);
  ~ScopedTextEffectEditor();
  ScopedTextEffectEditor(const ScopedTextEffectEditor&) = delete;
  ScopedTextEffectEditor& operator=(const ScopedTextEffectEditor&) = delete;

 private:
  TextEffectEditor* previous_;
};

}  // namespace tesmiro::gui
