#include "ui/common/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tesmiro::gui {

QtJapaneseTexts::QtJapaneseTexts() {
  // "qt_ja" names the catalogues of the Qt modules the program uses (base,
  // multimedia), which the translator loads with it.
  loaded_ = translator_.load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(&translator_);
}

QtJapaneseTexts::~QtJapaneseTexts() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

}  // namespace tesmiro::gui
