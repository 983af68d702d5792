#include "ui/common/qt_translations.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <utility>

namespace tesmiro::gui {
namespace {

// Qt 6.4 asks for the type column's texts of folders and drives under the
// icon provider's context, which its Japanese catalogue does not hold.
class MissingQtTexts final : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    static constexpr std::pair<const char*, const char*> kFileTypes[] = {
        {"Folder", "フォルダ"}, {"Drive", "ドライブ"}, {"Shortcut", "ショートカット"}, {"Unknown", "不明"}};
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    for (const auto& [source, japanese] : kFileTypes) {
      if (qstrcmp(sourceText, source) == 0) return QString::fromUtf8(japanese);
    }
    return {};
  }
  bool isEmpty() const override { return false; }
};

// Qt's file model writes sizes and dates in the system's locale, which is C
// where none is set ("5 bytes", "10 Dec 2026"); the dialog shows them in the
// default locale instead.
class FileDetailsInDefaultLocale final : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role == Qt::DisplayRole && files) {
      const QModelIndex source = mapToSource(index);
      // Folders have no size: the model leaves the cell empty.
      if (index.column() == kSizeColumn && !files->isDir(source))
        return QLocale().formattedDataSize(files->size(source));
      if (index.column() == kDateColumn) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    }
    return QIdentityProxyModel::data(index, role);
  }

 private:
  static constexpr int kSizeColumn = 1;
  static constexpr int kDateColumn = 3;
};

// The static QFileDialog functions make their dialogs inside Qt: each gets
// the model above when it is shown.
class FileDialogDetails final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* dialog = qobject_cast<QFileDialog*>(watched);
      if (dialog && !dialog->proxyModel()) dialog->setProxyModel(new FileDetailsInDefaultLocale(dialog));
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QtJapaneseTexts::QtJapaneseTexts()
    : missingTexts_(std::make_unique<MissingQtTexts>()),
      fileDialogDetails_(std::make_unique<FileDialogDetails>()),
      previousLocale_(QLocale()) {
  // "qt_ja" names the catalogues of the Qt modules the program uses (base,
  // multimedia), which the translator loads with it.
  loaded_ = translator_.load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(&translator_);
  // Installed last, so asked first; it answers only what the catalogue lacks.
  QCoreApplication::installTranslator(missingTexts_.get());
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QCoreApplication::instance()->installEventFilter(fileDialogDetails_.get());
}

QtJapaneseTexts::~QtJapaneseTexts() {
  QCoreApplication::instance()->removeEventFilter(fileDialogDetails_.get());
  QLocale::setDefault(previousLocale_);
  QCoreApplication::removeTranslator(missingTexts_.get());
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

}  // namespace tesmiro::gui
