#include "ui/dialogs/import_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui.h"
#include "project/file_dialogs.h"
#include "project/gui_core.h"
#include "project/import.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {
namespace {

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

int Checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

ImportDialog::ImportDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("ImportDialog"));
  setWindowTitle(QStringLiteral("プロジェクトのインポート"));
  setFont(PanelFont(9));
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();

  auto* label2 = Named(new QLabel(QStringLiteral("ファイル名"), this), QStringLiteral("Label2"));
  label2->setGeometry(8, 10, 70, 20);
  Text1 = Named(new QLineEdit(this), QStringLiteral("Text1"));
  Text1->setGeometry(80, 8, 300, 22);
  Command1 = Named(new QPushButton(QStringLiteral("･･･"), this), QStringLiteral("Command1"));
  Command1->setGeometry(384, 8, 32, 22);
  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

  Check1 = Named(new QCheckBox(QStringLiteral("イベントをインポートしない"), this), QStringLiteral("Check1"));
  Check2 = Named(new QCheckBox(QStringLiteral("イベントをスプライトとして読み込む"), this), QStringLiteral("Check2"));
  Check1->setGeometry(8, 38, 260, 20);
  Check2->setGeometry(8, 60, 260, 20);
  connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });

  Frame1 = Named(new QGroupBox(this), QStringLiteral("Frame1"));
  Frame1->setGeometry(24, 82, 392, 48);
  auto* label5 = Named(new QLabel(QStringLiteral("スプライト名"), Frame1), QStringLiteral("Label5"));
  label5->setGeometry(8, 16, 76, 20);
  Text2 = Named(new QLineEdit(Frame1), QStringLiteral("Text2"));
  Text2->setGeometry(86, 14, 180, 22);
  auto* label6 = Named(new QLabel(QStringLiteral("ID"), Frame1), QStringLiteral("Label6"));
  label6->setGeometry(276, 16, 20, 20);
  Text3 = Named(new QLineEdit(Frame1), QStringLiteral("Text3"));
  Text3->setGeometry(300, 14, 80, 22);
  Frame1->setVisible(false);

  Check4 = Named(new QCheckBox(QStringLiteral("重複するファイルはインポートしない"), this), QStringLiteral("Check4"));
  Check4->setGeometry(8, 136, 300, 20);

  Frame2 = Named(new QGroupBox(QStringLiteral("ファイルIDの処理方法"), this), QStringLiteral("Frame2"));
  Frame2->setGeometry(8, 162, 408, 126);
  const QString captions[] = {QStringLiteral("自動"), QStringLiteral("ID：????以降に追加"),
                              QStringLiteral("IDに指定の値を加算")};
  for (int i = 0; i < 3; ++i) {
    Option1[i] = Named(new QRadioButton(captions[i], Frame2), QStringLiteral("Option1_%1").arg(i));
    Option1[i]->setGeometry(10, 20 + 24 * i, 200, 20);
    connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) Option1_Click(i);
    });
  }
  Label4 = Named(new QLabel(QStringLiteral("加算値"), Frame2), QStringLiteral("Label4"));
  Label4->setGeometry(216, 68, 50, 20);
  Text5 = Named(new QLineEdit(Frame2), QStringLiteral("Text5"));
  Text5->setGeometry(270, 66, 80, 22);
  Text4 = Named(new QLineEdit(QStringLiteral("9000"), Frame2), QStringLiteral("Text4"));
  Text4->setGeometry(10, 96, 60, 22);
  Label1 = Named(new QLabel(QStringLiteral("～ 9999"), Frame2), QStringLiteral("Label1"));
  Label1->setGeometry(76, 98, 50, 20);
  Check3 = Named(new QCheckBox(QStringLiteral("この範囲のIDは上書き"), Frame2), QStringLiteral("Check3"));
  Check3->setGeometry(136, 98, 200, 20);
  connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
  connect(Check3, &QCheckBox::toggled, this, [this] { Text4_Change(); });

  Command2 = Named(new QPushButton(QStringLiteral("インポート"), this), QStringLiteral("Command2"));
  Command3 = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("Command3"));
  Command2->setGeometry(248, 296, 80, 26);
  Command3->setGeometry(336, 296, 80, 26);
  Command2->setDefault(true);
  Command2->setEnabled(false);
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  RouteEscapeTo(this, Command3);
  setFixedSize(424, 330);

  Option1[0]->setChecked(true);
  Option1_Click(0);
  if (owner) move(owner->frameGeometry().topLeft());
  Text4_Change();
}

bool ImportDialog::run(QWidget* owner) {
  ImportDialog dialog(owner);
  return dialog.exec() == QDialog::Accepted;
}

void ImportDialog::fill(const GUICore::ImportDialogFields& f) {
  Text1->setText(ToQ(f.path));
  Check1->setChecked(f.skipEvents == 1);
  Check2->setChecked(f.asSprite == 1);
  Check4->setChecked(f.reuseFiles == 1);
  if (f.idMode >= 0 && f.idMode <= 2) Option1[static_cast<size_t>(f.idMode)]->setChecked(true);
  Text5->setText(ToQ(f.addValue));
  Text4->setText(ToQ(f.rangeStart));
  Check3->setChecked(f.overwrite == 1);
  Text2->setText(ToQ(f.spriteName));
  Text3->setText(ToQ(f.spriteId));
}

GUICore::ImportDialogFields ImportDialog::fields() const {
  GUICore::ImportDialogFields f;
  f.path = FromQ(Text1->text());
  f.skipEvents = Checked(Check1);
  f.asSprite = Checked(Check2);
  f.reuseFiles = Checked(Check4);
  f.idMode = Option1[1]->isChecked() ? 1 : Option1[2]->isChecked() ? 2 : 0;
  f.addValue = FromQ(Text5->text());
  f.rangeStart = FromQ(Text4->text());
  f.overwrite = Checked(Check3);
  f.spriteName = FromQ(Text2->text());
  f.spriteId = FromQ(Text3->text());
  return f;
}

void ImportDialog::Text1_Change() {
  if (Text2->text().isEmpty()) Text2->setText(ToQ(GUICore::ImportSpriteName(FromQ(Text1->text()))));
  Command2->setEnabled(!Text1->text().isEmpty());
}

void ImportDialog::Text4_Change() {
  GUICore::ImportDialogFields f = fields();
  const std::string caption = GUICore::UpdateImportIds(f);
  if (ToQ(f.addValue) != Text5->text()) Text5->setText(ToQ(f.addValue));
  Option1[1]->setText(ToQ(caption));
}

void ImportDialog::Check2_Click() {
  const bool asSprite = Check2->isChecked();
  Frame1->setVisible(asSprite);
  // The events go into the sprite, never into the main timeline; unticking
  // leaves the box as it is.
  if (asSprite) Check1->setChecked(true);
  Check1->setEnabled(!asSprite);
}

void ImportDialog::Option1_Click(int index) {
  Label4->setVisible(index == 2);
  Text5->setVisible(index == 2);
}

void ImportDialog::Command1_Click() {
  DialogModule::FileDialogRecord record;
  record.filter = std::string("Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)") + '\0' + "*.tsm" + '\0';
  const std::string& project = GUICore::State().projectPath;
  record.initialDir = project.empty() ? GUICore::State().paths.config.string() : GUICore::GetFolderPart(project);
  if (DialogModule::OpenFileDialog(record) == 0 || record.file.empty()) return;
  Text1->setText(ToQ(record.file));
  Command2->setFocus();
}

bool ImportDialog::Command2_Click() {
  const GUICore::ImportDialogFields f = fields();
  if (f.path.empty() || !GUICore::FileExists(f.path)) return false;
  const GUICore::ImportRequest r = GUICore::MakeImportRequest(f);
  const Result<void> imported =
      GUICore::ImportProject(r.path, r.idBase, r.rangeStart, r.flags, r.spriteName, r.spriteId);
  if (imported) {
    accept();
    return true;
  }
  ui::Current().messages->message("ファイルオープンエラー",
                                  "ファイル [" + GUICore::GetFileNamePart(r.path) + "] " + imported.message(),
                                  ui::Icon::Critical);
  return false;
}

void ImportDialog::Command3_Click() { reject(); }

}  // namespace tesmiro::gui
