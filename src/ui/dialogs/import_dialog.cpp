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

QString U(const char* text) { return QString::fromUtf8(text); }

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

  const QString sprite = "spriteGroup", idMode = "idModeGroup";
  QLabel* label = nullptr;
  std::vector<ControlRow> rows = {
      Row(label, "fileLabel", {}, {8, 10, 70, 20}, U("ファイル名")),
      Row(projectFileBox, "projectFileBox", {}, {80, 8, 300, 22}),
      Row(browseButton, "browseButton", {}, {384, 8, 32, 22}, U("･･･")),
      Row(skipEventsCheck, "skipEventsCheck", {}, {8, 38, 260, 20}, U("イベントをインポートしない")),
      Row(asSpriteCheck, "asSpriteCheck", {}, {8, 60, 260, 20}, U("イベントをスプライトとして読み込む")),
      Row(spriteGroup, sprite, {}, {24, 82, 392, 48}),
      Row(label, "spriteNameLabel", sprite, {8, 16, 76, 20}, U("スプライト名")),
      Row(spriteNameBox, "spriteNameBox", sprite, {86, 14, 180, 22}),
      Row(label, "spriteIdLabel", sprite, {276, 16, 20, 20}, "ID"),
      Row(spriteIdBox, "spriteIdBox", sprite, {300, 14, 80, 22}),
      Row(reuseFilesCheck, "reuseFilesCheck", {}, {8, 136, 300, 20}, U("重複するファイルはインポートしない")),
      Row(idModeGroup, idMode, {}, {8, 162, 408, 126}, U("ファイルIDの処理方法")),
  };
  const char* captions[] = {"自動", "ID：????以降に追加", "IDに指定の値を加算"};
  for (IdMode mode : {Automatic, AfterId, AddValue}) {
    const int row = mode;
    rows.push_back(Row(idModeOptions[mode], QStringLiteral("idModeOptions_%1").arg(row), idMode,
                       {10, 20 + 24 * row, 200, 20}, U(captions[mode])));
  }
  rows.insert(rows.end(), {
      Row(addValueLabel, "addValueLabel", idMode, {216, 68, 50, 20}, U("加算値")),
      Row(addValueBox, "addValueBox", idMode, {270, 66, 80, 22}),
      Row(rangeStartBox, "rangeStartBox", idMode, {10, 96, 60, 22}),
      Row(rangeEndLabel, "rangeEndLabel", idMode, {76, 98, 50, 20}, U("～ 9999")),
      Row(overwriteRangeCheck, "overwriteRangeCheck", idMode, {136, 98, 200, 20}, U("この範囲のIDは上書き")),
      Row(importButton, "importButton", {}, {248, 296, 80, 26}, U("インポート")),
      Row(cancelButton, "cancelButton", {}, {336, 296, 80, 26}, U("キャンセル")),
  });
  PlaceControls(this, rows);
  spriteGroup->setVisible(false);
  rangeStartBox->setText(QStringLiteral("9000"));
  importButton->setDefault(true);
  importButton->setEnabled(false);

  connect(projectFileBox, &QLineEdit::textChanged, this, [this] { onProjectFileChanged(); });
  connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
  connect(asSpriteCheck, &QCheckBox::toggled, this, [this] { onAsSpriteToggled(); });
  for (IdMode mode : {Automatic, AfterId, AddValue}) {
    connect(idModeOptions[mode], &QRadioButton::toggled, this, [this, mode](bool on) {
      if (on) onIdModeChosen(mode);
    });
  }
  connect(rangeStartBox, &QLineEdit::textChanged, this, [this] { updateImportIds(); });
  connect(overwriteRangeCheck, &QCheckBox::toggled, this, [this] { updateImportIds(); });
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
  return gui::Accepted(ExecModal(dialog));
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
  // A path that names no file is told like the import's other failures.
  if (f.path.empty()) return false;
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
