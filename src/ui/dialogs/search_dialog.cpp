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

QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

SearchDialog::SearchDialog(QWidget* owner) : QDialog(owner) {
  gInstance = this;
  setObjectName(QStringLiteral("SearchDialog"));
  setWindowTitle(QStringLiteral("検索"));
  setFont(PanelFont(9));

  const QString searchIn = "searchInGroup", searchBy = "searchByGroup";
  PlaceControls(this, {
                          Row(searchTextBox, "searchTextBox", {}, {8, 8, 264, 22}),
                          Row(searchInGroup, searchIn, {}, {8, 38, 128, 70}, U("検索場所")),
                          Row(fileListOption, "fileListOption", searchIn, {8, 20, 114, 20}, U("ファイルリスト")),
                          Row(eventListOption, "eventListOption", searchIn, {8, 44, 114, 20}, U("イベントリスト")),
                          Row(searchByGroup, searchBy, {}, {144, 38, 128, 70}, U("検索対象")),
                          Row(byTextOption, "byTextOption", searchBy, {8, 20, 114, 20}, U("文字列")),
                          Row(byIdOption, "byIdOption", searchBy, {8, 44, 114, 20}, "ID"),
                          Row(searchButton, "searchButton", {}, {112, 116, 76, 26}, U("検索")),
                          Row(cancelButton, "cancelButton", {}, {196, 116, 76, 26}, U("キャンセル")),
                      });
  fileListOption->setChecked(true);
  byTextOption->setChecked(true);
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
  emit searched();
}

void SearchDialog::onCancel() { hide(); }

}  // namespace tesmiro::gui
