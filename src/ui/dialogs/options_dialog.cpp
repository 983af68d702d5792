#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "compiler/html_page.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"

namespace tesmiro::gui {
namespace {

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

int Checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

OptionDialog::OptionDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("OptionDialog"));
  setWindowTitle(QStringLiteral("詳細設定"));
  setFont(PanelFont(9));
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();

  int y = 8;
  auto tick = [&](const char* name, const char* text) {
    auto* box = Named(new QCheckBox(QString::fromUtf8(text), this), QString::fromLatin1(name));
    box->setGeometry(12, y, 380, 20);
    y += 22;
    return box;
  };
  Check1 = tick("Check1", "ファイルのプロパティをダブルクリックで開く");
  Check2 = tick("Check2", "イベントのプロパティを常時表示する");
  Check3 = tick("Check3", "ダイアログボックスの位置を記憶");
  Check9 = tick("Check9", "ファイルプロパティのダイアログボックス位置を記憶");
  Check7 = tick("Check7", "「ファイルリストと同期」をトグルで切り替える");
  Check8 = tick("Check8", "ファイルリストをドラッグで複数選択可能にする");
  Check6 = tick("Check6", "テキストで縦書きフォントを使用する(再起動後有効)");
  Check5 = tick("Check5", "SWF生成時にHTMLも保存する");
  connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
  connect(Check5, &QCheckBox::toggled, this, [this] { Check5_Click(); });

  y += 4;
  auto* label2 = Named(new QLabel(QStringLiteral("ファイルリストの最大アンドゥ回数"), this), QStringLiteral("Label2"));
  label2->setGeometry(12, y, 250, 20);
  Text1 = Named(new QLineEdit(this), QStringLiteral("Text1"));
  Text1->setGeometry(268, y - 1, 60, 22);
  y += 26;
  auto* label3 = Named(new QLabel(QStringLiteral("マウスホイールのスクロール量"), this), QStringLiteral("Label3"));
  label3->setGeometry(12, y, 250, 20);
  Text2 = Named(new QLineEdit(this), QStringLiteral("Text2"));
  Text2->setGeometry(268, y - 1, 60, 22);
  y += 30;

  Frame1 = Named(new QGroupBox(QStringLiteral("「前面」ボタンを有効にする"), this), QStringLiteral("Frame1"));
  Frame1->setGeometry(8, y, 392, 50);
  const QString windowsNames[] = {QStringLiteral("イベントのプロパティ"), QStringLiteral("スクリプトエディタ"),
                                  QStringLiteral("プレビューウインドウ")};
  // Each box as wide as its caption, the room left spread between them.
  int captions = 0;
  for (int i = 0; i < 3; ++i) {
    Check4[i] = Named(new QCheckBox(windowsNames[i], Frame1), QStringLiteral("Check4_%1").arg(i));
    captions += Check4[i]->sizeHint().width();
  }
  const int gap = std::max(0, (Frame1->width() - 16 - captions) / 2);
  for (int i = 0, x = 8; i < 3; ++i) {
    const int width = Check4[i]->sizeHint().width();
    Check4[i]->setGeometry(x, 22, width, 20);
    x += width + gap;
  }
  y += 58;

  Frame2 = Named(new QGroupBox(this), QStringLiteral("Frame2"));
  Frame2->setGeometry(8, y, 392, 86);
  Command3 = Named(new QPushButton(QStringLiteral("HTMLを編集"), Frame2), QStringLiteral("Command3"));
  Command3->setGeometry(10, 16, 100, 26);
  Label1 = Named(new QLabel(QStringLiteral("[ ﾌﾟﾚﾋﾞｭｰ用のHTMLと共用 ]\n幅・・・<<WIDTH>>\n高さ・・・<<HEIGHT>>\n"
                                           "ﾌｧｲﾙ名・・・<<FILENAME>>"),
                            Frame2),
                 QStringLiteral("Label1"));
  Label1->setTextFormat(Qt::PlainText);
  Label1->setGeometry(120, 12, 260, 68);
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  y += 94;

  Command1 = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("Command1"));
  Command2 = Named(new QPushButton(QStringLiteral("キャンセル(&C)"), this), QStringLiteral("Command2"));
  Command1->setGeometry(232, y, 80, 26);
  Command2->setGeometry(320, y, 80, 26);
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  RouteEscapeTo(this, Command2);
  setFixedSize(408, y + 34);

  if (owner) move(owner->frameGeometry().topLeft());
  fill(GUICore::OptionFieldsFrom(GUICore::OptionValuesFrom(Prefs::Current())));
  Check5_Click();
}

bool OptionDialog::run(QWidget* owner) {
  OptionDialog dialog(owner);
  return dialog.exec() == QDialog::Accepted;
}

void OptionDialog::fill(const GUICore::OptionDialogFields& f) {
  Check1->setChecked(f.doubleClickProperty == 1);
  Check2->setChecked(f.dispEventProperty == 1);
  // The position box follows the always-shown box (see Check2_Click), so it
  // is set after it from the stored value.
  Check3->setChecked(f.posEventDialog == 1);
  Check2_Click();
  Check9->setChecked(f.posFilelistWindow == 1);
  Check7->setChecked(f.alwaysEventSync == 1);
  Check8->setChecked(f.filelistMultiSelect == 1);
  Check6->setChecked(f.useVerticalFont == 1);
  Check5->setChecked(f.saveHTML == 1);
  Text1->setText(ToQ(f.historyMax));
  Text2->setText(ToQ(f.wheelRows));
  for (size_t i = 0; i < 3; ++i) Check4[i]->setChecked(f.topward[i] == 1);
}

GUICore::OptionDialogFields OptionDialog::fields() const {
  GUICore::OptionDialogFields f;
  f.doubleClickProperty = Checked(Check1);
  f.dispEventProperty = Checked(Check2);
  f.posEventDialog = Checked(Check3);
  f.posFilelistWindow = Checked(Check9);
  f.alwaysEventSync = Checked(Check7);
  f.filelistMultiSelect = Checked(Check8);
  f.useVerticalFont = Checked(Check6);
  f.saveHTML = Checked(Check5);
  f.historyMax = FromQ(Text1->text());
  f.wheelRows = FromQ(Text2->text());
  for (size_t i = 0; i < 3; ++i) f.topward[i] = Checked(Check4[i]);
  return f;
}

void OptionDialog::Check2_Click() {
  if (GUICore::PositionBoxLocked(Checked(Check2))) {
    Check3->setChecked(true);
    Check3->setEnabled(false);
  } else {
    Check3->setEnabled(true);
  }
}

void OptionDialog::Check5_Click() { Frame2->setEnabled(Check5->isChecked()); }

void OptionDialog::Command3_Click() {
  GUICore::LoadHTMLTemplate();  // writes the built-in page when there is none
  const auto path = GUICore::State().paths.config / GUICore::kHtmlTemplateFile;
  Desktop().opener->openFile(ToQ(path.string()));
}

void OptionDialog::Command1_Click() {
  GUICore::OptionValues values = GUICore::OptionValuesFrom(Prefs::Current());
  GUICore::ApplyOptionFields(fields(), values);
  GUICore::StoreOptionValues(values, Prefs::Current());
  accept();
}

void OptionDialog::Command2_Click() { reject(); }

}  // namespace tesmiro::gui
