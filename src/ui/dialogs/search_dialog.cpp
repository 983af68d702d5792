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

  Text1 = Named(new QLineEdit(this), "Text1");
  Text1->setGeometry(8, 8, 264, 22);

  Frame1 = Named(new QGroupBox(QStringLiteral("検索場所"), this), "Frame1");
  Frame1->setGeometry(8, 38, 128, 70);
  Option1_0 = Named(new QRadioButton(QStringLiteral("ファイルリスト"), Frame1), "Option1_0");
  Option1_1 = Named(new QRadioButton(QStringLiteral("イベントリスト"), Frame1), "Option1_1");
  Option1_0->setGeometry(8, 20, 114, 20);
  Option1_1->setGeometry(8, 44, 114, 20);
  Option1_0->setChecked(true);

  Frame2 = Named(new QGroupBox(QStringLiteral("検索対象"), this), "Frame2");
  Frame2->setGeometry(144, 38, 128, 70);
  Option2_0 = Named(new QRadioButton(QStringLiteral("文字列"), Frame2), "Option2_0");
  Option2_1 = Named(new QRadioButton(QStringLiteral("ID"), Frame2), "Option2_1");
  Option2_0->setGeometry(8, 20, 114, 20);
  Option2_1->setGeometry(8, 44, 114, 20);
  Option2_0->setChecked(true);

  Command1 = Named(new QPushButton(QStringLiteral("検索"), this), "Command1");
  Command2 = Named(new QPushButton(QStringLiteral("キャンセル"), this), "Command2");
  Command1->setGeometry(112, 116, 76, 26);
  Command2->setGeometry(196, 116, 76, 26);
  Command1->setDefault(true);
  Command1->setAutoDefault(true);
  Command2->setAutoDefault(false);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  RouteEscapeTo(this, Command2);
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
  return {FromQ(Text1->text()), Option1_0->isChecked(), Option2_0->isChecked()};
}

void SearchDialog::SearchItem() { GUICore::SearchItem(settings()); }

void SearchDialog::Command1_Click() {
  // An empty text searches nothing, and the dialog stays for one.
  if (Text1->text().isEmpty()) return;
  SearchItem();
  hide();
}

void SearchDialog::Command2_Click() { hide(); }

}  // namespace tesmiro::gui
