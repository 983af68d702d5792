#pragma once
// The material property exchange behind the file list's commands: it fills
// the material dialog from the selected items, shows it and reads it back.
// The dialog installs its exchange here; until one is installed the
// commands go on with the items as they are (a new folder, text or sprite
// keeps its defaults).
namespace tesmiro::gui {

class MainGUI;

class MaterialPropertyExchange {
 public:
  virtual ~MaterialPropertyExchange() = default;
  // True when an item changed.
  virtual bool exchange(MainGUI& window) = 0;
};

// The installed exchange, or null.
MaterialPropertyExchange* MaterialProperties();

// Installs an exchange for its lifetime; the previous one comes back after.
class ScopedMaterialProperties {
 public:
  explicit ScopedMaterialProperties(MaterialPropertyExchange* exchange);
  ~ScopedMaterialProperties();
  ScopedMaterialProperties(const ScopedMaterialProperties&) = delete;
  ScopedMaterialProperties& operator=(const ScopedMaterialProperties&) = delete;

 private:
  MaterialPropertyExchange* previous_;
};

}  // namespace tesmiro::gui
