#pragma once
// Qt's own texts (standard buttons, the file and colour dialogs, the text
// boxes' context menu) in Japanese, whatever the machine's locale: the
// program's own texts are all Japanese, and a C or English locale would
// otherwise mix English into every dialog.
#include <QTranslator>

namespace tesmiro::gui {

// Installs Qt's Japanese catalogue from Qt's translations folder for the
// object's lifetime and removes it again when it goes.
class QtJapaneseTexts {
 public:
  QtJapaneseTexts();
  ~QtJapaneseTexts();
  QtJapaneseTexts(const QtJapaneseTexts&) = delete;
  QtJapaneseTexts& operator=(const QtJapaneseTexts&) = delete;

  // False when the catalogue is missing (Qt's translations not installed).
  bool loaded() const { return loaded_; }

 private:
  QTranslator translator_;
  bool loaded_ = false;
};

}  // namespace tesmiro::gui
