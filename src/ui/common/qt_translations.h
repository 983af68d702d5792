#pragma once
// Qt's own texts (standard buttons, the file and colour dialogs, the text
// boxes' context menu) in Japanese, whatever the machine's locale: the
// program's own texts are all Japanese, and a C or English locale would
// otherwise mix English into every dialog.
#include <QLocale>
#include <QTranslator>
#include <memory>

class QObject;

namespace tesmiro::gui {

// For the object's lifetime: installs Qt's Japanese catalogue from Qt's
// translations folder and the few file-dialog texts it lacks, makes Japanese
// the default locale (file types in Qt's dialogs) and shows the file
// dialog's sizes and dates in Japanese. Everything comes back as it was when
// it goes. Numbers read and written by the program do not change: it
// converts them with QString::number and toInt/toDouble and the core's own
// conversions, none of which follows the default locale.
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
  std::unique_ptr<QTranslator> missingTexts_;
  std::unique_ptr<QObject> fileDialogDetails_;
  QLocale previousLocale_;
  bool loaded_ = false;
};

}  // namespace tesmiro::gui
