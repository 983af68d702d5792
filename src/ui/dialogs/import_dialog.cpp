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

  auto* fileLabel = Named(new QLabel(QStringLiteral("ファイル名"), this), QStringLiteral("fileLabel"));
  fileLabel->setGeometry(8, 10, 70, 20);
  projectFileBox = Named(new QLineEdit(this), QStringLiteral("projectFileBox"));
  projectFileBox->setGeometry(80, 8, 300, 22);
  browseButton = Named(new QPushButton(QStringLiteral("･･･"), this), QStringLiteral("browseButton"));
  browseButton->setGeometry(384, 8, 32, 22);
  connect(projectFileBox, &QLineEdit::textChanged, this, [this] { onProjectFileChanged(); });
  connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });

  skipEventsCheck =
      Named(new QCheckBox(QStringLiteral("イベントをインポートしない"), this), QStringLiteral("skipEventsCheck"));
  asSpriteCheck =
      Named(new QCheckBox(QStringLiteral("イベントをスプライトとして読み込む"), this), QStringLiteral("asSpriteCheck"));
  skipEventsCheck->setGeometry(8, 38, 260, 20);
  asSpriteCheck->setGeometry(8, 60, 260, 20);
  connect(asSpriteCheck, &QCheckBox::toggled, this, [this] { onAsSpriteToggled(); });

  spriteGroup = Named(new QGroupBox(this), QStringLiteral("spriteGroup"));
  spriteGroup->setGeometry(24, 82, 392, 48);
  auto* spriteNameLabel = Named(new QLabel(QStringLiteral("スプライト名"), spriteGroup), QStringLiteral("spriteNameLabel"));
  spriteNameLabel->setGeometry(8, 16, 76, 20);
  spriteNameBox = Named(new QLineEdit(spriteGroup), QStringLiteral("spriteNameBox"));
  spriteNameBox->setGeometry(86, 14, 180, 22);
  auto* spriteIdLabel = Named(new QLabel(QStringLiteral("ID"), spriteGroup), QStringLiteral("spriteIdLabel"));
  spriteIdLabel->setGeometry(276, 16, 20, 20);
  spriteIdBox = Named(new QLineEdit(spriteGroup), QStringLiteral("spriteIdBox"));
  spriteIdBox->setGeometry(300, 14, 80, 22);
  spriteGroup->setVisible(false);

  reuseFilesCheck =
      Named(new QCheckBox(QStringLiteral("重複するファイルはインポートしない"), this), QStringLiteral("reuseFilesCheck"));
  reuseFilesCheck->setGeometry(8, 136, 300, 20);

  idModeGroup = Named(new QGroupBox(QStringLiteral("ファイルIDの処理方法"), this), QStringLiteral("idModeGroup"));
  idModeGroup->setGeometry(8, 162, 408, 126);
  const QString captions[] = {QStringLiteral("自動"), QStringLiteral("ID：????以降に追加"),
                              QStringLiteral("IDに指定の値を加算")};
  for (IdMode mode : {Automatic, AfterId, AddValue}) {
    const int row = mode;
    idModeOptions[mode] =
        Named(new QRadioButton(captions[mode], idModeGroup), QStringLiteral("idModeOptions_%1").arg(row));
    idModeOptions[mode]->setGeometry(10, 20 + 24 * row, 200, 20);
    connect(idModeOptions[mode], &QRadioButton::toggled, this, [this, mode](bool on) {
      if (on) onIdModeChosen(mode);
    });
  }
  addValueLabel = Named(new QLabel(QStringLiteral("加算値"), idModeGroup), QStringLiteral("addValueLabel"));
  addValueLabel->setGeometry(216, 68, 50, 20);
  addValueBox = Named(new QLineEdit(idModeGroup), QStringLiteral("addValueBox"));
  addValueBox->setGeometry(270, 66, 80, 22);
  rangeStartBox = Named(new QLineEdit(QStringLiteral("9000"), idModeGroup), QStringLiteral("rangeStartBox"));
  rangeStartBox->setGeometry(10, 96, 60, 22);
  rangeEndLabel = Named(new QLabel(QStringLiteral("～ 9999"), idModeGroup), QStringLiteral("rangeEndLabel"));
  rangeEndLabel->setGeometry(76, 98, 50, 20);
  overwriteRangeCheck =
      Named(new QCheckBox(QStringLiteral("この範囲のIDは上書き"), idModeGroup), QStringLiteral("overwriteRangeCheck"));
  overwriteRangeCheck->setGeometry(136, 98, 200, 20);
  connect(rangeStartBox, &QLineEdit::textChanged, this, [this] { updateImportIds(); });
  connect(overwriteRangeCheck, &QCheckBox::toggled, this, [this] { updateImportIds(); });

  importButton = Named(new QPushButton(QStringLiteral("インポート"), this), QStringLiteral("importButton"));
  cancelButton = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cancelButton"));
  importButton->setGeometry(248, 296, 80, 26);
  cancelButton->setGeometry(336, 296, 80, 26);
  importButton->setDefault(true);
  importButton->setEnabled(false);
  connect(importButton, &QPushButton::clicked, this, [this] { importProject(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(424, 330);

  idModeOptions[Automatic]->setChecked(true);
  onIdModeChosen(Automatic);
  if (owner) move(owner->frameGeometry().topLeft());
  updateImportIds();
}

bool ImportDialog::run(QWidget* owner) {
  ImportDialog dialog(owner);
  return dialog.exec() == QDialog::Accepted;
}

void ImportDialog::fill(const GUICore::ImportDialogFields& f) {
  projectFileBox->setText(ToQ(f.path));
  skipEventsCheck->setChecked(f.skipEvents == 1);
  asSpriteCheck->setChecked(f.asSprite == 1);
  reuseFilesCheck->setChecked(f.reuseFiles == 1);
  if (f.idMode >= Automatic && f.idMode <= AddValue) idModeOptions[static_cast<size_t>(f.idMode)]->setChecked(true);
  addValueBox->setText(ToQ(f.addValue));
  rangeStartBox->setText(ToQ(f.rangeStart));
  overwriteRangeCheck->setChecked(f.overwrite == 1);
  spriteNameBox->setText(ToQ(f.spriteName));
  spriteIdBox->setText(ToQ(f.spriteId));
}

GUICore::ImportDialogFields ImportDialog::fields() const {
  GUICore::ImportDialogFields f;
  f.path = FromQ(projectFileBox->text());
  f.skipEvents = Checked(skipEventsCheck);
  f.asSprite = Checked(asSpriteCheck);
  f.reuseFiles = Checked(reuseFilesCheck);
  f.idMode = idModeOptions[AfterId]->isChecked() ? AfterId : idModeOptions[AddValue]->isChecked() ? AddValue : Automatic;
  f.addValue = FromQ(addValueBox->text());
  f.rangeStart = FromQ(rangeStartBox->text());
  f.overwrite = Checked(overwriteRangeCheck);
  f.spriteName = FromQ(spriteNameBox->text());
  f.spriteId = FromQ(spriteIdBox->text());
  return f;
}

void ImportDialog::onProjectFileChanged() {
  if (spriteNameBox->text().isEmpty()) {
    spriteNameBox->setText(ToQ(GUICore::ImportSpriteName(FromQ(projectFileBox->text()))));
  }
  importButton->setEnabled(!projectFileBox->text().isEmpty());
}

void ImportDialog::updateImportIds() {
  GUICore::ImportDialogFields f = fields();
  const std::string caption = GUICore::UpdateImportIds(f);
  if (ToQ(f.addValue) != addValueBox->text()) addValueBox->setText(ToQ(f.addValue));
  idModeOptions[AfterId]->setText(ToQ(caption));
}

void ImportDialog::onAsSpriteToggled() {
  const bool asSprite = asSpriteCheck->isChecked();
  spriteGroup->setVisible(asSprite);
  // The events go into the sprite, never into the main timeline; unticking
  // leaves the box as it is.
  if (asSprite) skipEventsCheck->setChecked(true);
  skipEventsCheck->setEnabled(!asSprite);
}

void ImportDialog::onIdModeChosen(IdMode mode) {
  addValueLabel->setVisible(mode == AddValue);
  addValueBox->setVisible(mode == AddValue);
}

void ImportDialog::browse() {
  DialogModule::FileDialogRecord record;
  record.filter = std::string("Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)") + '\0' + "*.tsm" + '\0';
  const std::string& project = GUICore::State().projectPath;
  record.initialDir = project.empty() ? GUICore::State().paths.config.string() : GUICore::GetFolderPart(project);
  if (!DialogModule::OpenFileDialog(record) || record.file.empty()) return;
  projectFileBox->setText(ToQ(record.file));
  importButton->setFocus();
}

bool ImportDialog::importProject() {
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

void ImportDialog::onCancel() { reject(); }

}  // namespace tesmiro::gui
