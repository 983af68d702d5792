#include "ui/dialogs/search_dialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {
namespace {

QPointer<SearchDialog> gInstance;

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

}  // namespace

SearchDialog::SearchDialog(QWidget* owner) : QDialog(owner) {
  gInstance = this;
  setObjectName(QStringLiteral("SearchDialog"));
  setWindowTitle(QStringLiteral("検索"));
  setFont(PanelFont(9));

  searchTextBox = Named(new QLineEdit(this), "searchTextBox");
  searchTextBox->setGeometry(8, 8, 264, 22);

  searchInGroup = Named(new QGroupBox(QStringLiteral("検索場所"), this), "searchInGroup");
  searchInGroup->setGeometry(8, 38, 128, 70);
  fileListOption = Named(new QRadioButton(QStringLiteral("ファイルリスト"), searchInGroup), "fileListOption");
  eventListOption = Named(new QRadioButton(QStringLiteral("イベントリスト"), searchInGroup), "eventListOption");
  fileListOption->setGeometry(8, 20, 114, 20);
  eventListOption->setGeometry(8, 44, 114, 20);
  fileListOption->setChecked(true);

  searchByGroup = Named(new QGroupBox(QStringLiteral("検索対象"), this), "searchByGroup");
  searchByGroup->setGeometry(144, 38, 128, 70);
  byTextOption = Named(new QRadioButton(QStringLiteral("文字列"), searchByGroup), "byTextOption");
  byIdOption = Named(new QRadioButton(QStringLiteral("ID"), searchByGroup), "byIdOption");
  byTextOption->setGeometry(8, 20, 114, 20);
  byIdOption->setGeometry(8, 44, 114, 20);
  byTextOption->setChecked(true);

  searchButton = Named(new QPushButton(QStringLiteral("検索"), this), "searchButton");
  cancelButton = Named(new QPushButton(QStringLiteral("キャンセル"), this), "cancelButton");
  searchButton->setGeometry(112, 116, 76, 26);
  cancelButton->setGeometry(196, 116, 76, 26);
  searchButton->setDefault(true);
  searchButton->setAutoDefault(true);
  cancelButton->setAutoDefault(false);
  connect(searchButton, &QPushButton::clicked, this, [this] { onSearch(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(280, 150);
}

SearchDialog::~SearchDialog() {
  if (gInstance == this) gInstance = nullptr;
}

SearchDialog* SearchDialog::instance(QWidget* owner) {
  if (!gInstance) new SearchDialog(owner);
  return gInstance;
}

bool SearchDialog::isLoaded() { return !gInstance.isNull(); }

GUICore::SearchSettings SearchDialog::settings() const {
  return {FromQ(searchTextBox->text()), fileListOption->isChecked(), byTextOption->isChecked()};
}

void SearchDialog::SearchItem() { GUICore::SearchItem(settings()); }

void SearchDialog::onSearch() {
  // An empty text searches nothing, and the dialog stays for one.
  if (searchTextBox->text().isEmpty()) return;
  SearchItem();
  hide();
}

void SearchDialog::onCancel() { hide(); }

}  // namespace tesmiro::gui
