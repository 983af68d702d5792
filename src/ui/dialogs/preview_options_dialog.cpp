#include "ui/dialogs/preview_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "compiler/previews.h"
#include "project/file_dialogs.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/preview_window.h"

namespace tesmiro::gui {
namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

PreviewOptionDialog::PreviewOptionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PreviewOptionDialog"));
  setWindowTitle(QStringLiteral("プレビューの設定"));
  setFont(PanelFont(9));

  const QString browser = "browserGroup", standalone = "standalonePlayerGroup", selected = "selectedPreviewGroup";
  PlaceControls(
      this,
      {
          Row(browserGroup, browser, {}, {8, 8, 344, 100}, U("ブラウザの設定")),
          Row(useIeCheck, "useIeCheck", browser, {12, 22, 320, 20}, U("インターネットエクスプローラを使用する")),
          Row(editHtmlButton, "editHtmlButton", browser, {12, 48, 96, 25}, U("HTMLを編集")),
          Row(htmlPlaceholdersLabel, "htmlPlaceholdersLabel", browser, {120, 44, 216, 50},
              U("幅・・・<<WIDTH>>\r\n高さ・・・<<HEIGHT>>\r\nﾌｧｲﾙ名・・・<<FILENAME>>")),
          Row(standalonePlayerGroup, standalone, {}, {8, 114, 344, 78}, U("スタンドアロンプレイヤーの設定")),
          Row(playerProgramCheck, "playerProgramCheck", standalone, {12, 22, 320, 20},
              U("プレイヤーの実行ファイルを指定する")),
          Row(playerProgramBox, "playerProgramBox", standalone, {12, 46, 288, 22}),
          Row(browseButton, "browseButton", standalone, {304, 45, 28, 24}, U("･･･")),
          Row(previewInProjectFolderCheck, "previewInProjectFolderCheck", {}, {16, 198, 336, 20},
              U("プレビューファイルをプロジェクトのフォルダに作成")),
          Row(streamFromMiddleCheck, "streamFromMiddleCheck", {}, {16, 220, 336, 20},
              U("ストリーミング音声を途中から再生")),
          Row(attachAllSpritesCheck, "attachAllSpritesCheck", {}, {16, 242, 336, 20},
              U("配置されていないスプライトも全て書き出す")),
          Row(selectedPreviewGroup, selected, {}, {8, 268, 344, 56}, U("選択プレビューの設定")),
          Row(selectedPlayerLabel, "selectedPlayerLabel", selected, {12, 22, 120, 22}, U("使用するプレイヤー")),
          Row(selectedPlayerList, "selectedPlayerList", selected, {140, 22, 190, 22}),
          Row(okButton, "okButton", {}, {176, 334, 84, 25}, "&OK"),
          Row(cancelButton, "cancelButton", {}, {268, 334, 84, 25}, U("キャンセル(&C)")),
      });
  selectedPlayerList->addItems(
      {QStringLiteral("内蔵プレイヤー"), QStringLiteral("ブラウザ"), QStringLiteral("スタンドアロン")});
  okButton->setDefault(true);
  setFixedSize(360, 368);

  connect(playerProgramCheck, &QCheckBox::stateChanged, this, [this] { onPlayerProgramToggled(); });
  connect(editHtmlButton, &QPushButton::clicked, this, [] { OptionDialog::editHtmlTemplate(); });
  connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  loadSettings();
}

void PreviewOptionDialog::loadSettings() {
  PreviewWindow::unload();
  if (QWidget* owner = parentWidget()) move(owner->frameGeometry().topLeft());
  const Preferences& p = Prefs::Current();
  useIeCheck->setChecked(p.previewUseIE == 1);
  playerProgramCheck->setChecked(p.previewSAPlayer == 1);
  playerProgramBox->setText(ToQ(p.saPlayerFileName));
  previewInProjectFolderCheck->setChecked(p.previewFilePath == 1);
  streamFromMiddleCheck->setChecked(p.previewStreamSound == 1);
  attachAllSpritesCheck->setChecked(p.previewAttachSprite == 1);
  selectedPlayerList->setCurrentIndex(std::clamp(p.previewSelectedPlayer, 0, 2));
  onPlayerProgramToggled();
}

void PreviewOptionDialog::onPlayerProgramToggled() {
  const bool on = playerProgramCheck->isChecked();
  playerProgramBox->setVisible(on);
  browseButton->setVisible(on);
}

void PreviewOptionDialog::browse() {
  DialogModule::FileDialogRecord r;
  // Programs here have no ".exe": every file is offered, the name stays.
  static const char kFilter[] = "実行可能ファイル (*)\0*\0";
  r.filter.assign(kFilter, sizeof kFilter - 1);
  const std::string current = FromQ(playerProgramBox->text());
  r.initialDir = current.empty() ? FromQ(QDir::homePath()) : GUICore::GetFolderPart(current);
  if (!DialogModule::OpenFileDialog(r)) return;
  const std::vector<std::string> chosen = DialogModule::SelectedFiles(r.file);
  if (!chosen.empty() && !chosen.front().empty()) playerProgramBox->setText(ToQ(chosen.front()));
}

void PreviewOptionDialog::onOk() {
  Preferences& p = Prefs::Current();
  p.previewUseIE = useIeCheck->isChecked() ? 1 : 0;
  p.previewSAPlayer = playerProgramCheck->isChecked() ? 1 : 0;
  p.saPlayerFileName = FromQ(playerProgramBox->text());
  p.previewFilePath = previewInProjectFolderCheck->isChecked() ? 1 : 0;
  p.previewStreamSound = streamFromMiddleCheck->isChecked() ? 1 : 0;
  p.previewAttachSprite = attachAllSpritesCheck->isChecked() ? 1 : 0;
  p.previewSelectedPlayer = std::max(selectedPlayerList->currentIndex(), 0);
  // The preview builders read their copy of these.
  GUICore::PreviewOptions& core = GUICore::Previews();
  core.previewFilePath = p.previewFilePath;
  core.previewStreamSound = p.previewStreamSound;
  core.previewAttachSprite = p.previewAttachSprite;
  core.previewSelectedPlayer = p.previewSelectedPlayer;
  accept();
}

void PreviewOptionDialog::onCancel() { reject(); }

}  // namespace tesmiro::gui
