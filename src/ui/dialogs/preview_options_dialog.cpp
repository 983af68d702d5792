#include "ui/dialogs/preview_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "compiler/html_page.h"
#include "compiler/previews.h"
#include "project/file_dialogs.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/preview_window.h"

namespace tesmiro::gui {
namespace {

QCheckBox* Box(QWidget* parent, const char* name, const char* caption, int x, int y, int w) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(x, y, w, 20);
  return box;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, QRect at) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(at);
  return b;
}

}  // namespace

PreviewOptionDialog::PreviewOptionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PreviewOptionDialog"));
  setWindowTitle(QStringLiteral("プレビューの設定"));
  setFont(PanelFont(9));

  browserGroup = new QGroupBox(QStringLiteral("ブラウザの設定"), this);
  browserGroup->setObjectName(QStringLiteral("browserGroup"));
  browserGroup->setGeometry(8, 8, 344, 100);
  useIeCheck = Box(browserGroup, "useIeCheck", "インターネットエクスプローラを使用する", 12, 22, 320);
  editHtmlButton = Button(browserGroup, "editHtmlButton", "HTMLを編集", QRect(12, 48, 96, 25));
  htmlPlaceholdersLabel =
      new QLabel(QStringLiteral("幅・・・<<WIDTH>>\r\n高さ・・・<<HEIGHT>>\r\nﾌｧｲﾙ名・・・<<FILENAME>>"), browserGroup);
  htmlPlaceholdersLabel->setObjectName(QStringLiteral("htmlPlaceholdersLabel"));
  htmlPlaceholdersLabel->setGeometry(120, 44, 216, 50);

  standalonePlayerGroup = new QGroupBox(QStringLiteral("スタンドアロンプレイヤーの設定"), this);
  standalonePlayerGroup->setObjectName(QStringLiteral("standalonePlayerGroup"));
  standalonePlayerGroup->setGeometry(8, 114, 344, 78);
  playerProgramCheck =
      Box(standalonePlayerGroup, "playerProgramCheck", "プレイヤーの実行ファイルを指定する", 12, 22, 320);
  playerProgramBox = new QLineEdit(standalonePlayerGroup);
  playerProgramBox->setObjectName(QStringLiteral("playerProgramBox"));
  playerProgramBox->setGeometry(12, 46, 288, 22);
  browseButton = Button(standalonePlayerGroup, "browseButton", "･･･", QRect(304, 45, 28, 24));

  previewInProjectFolderCheck =
      Box(this, "previewInProjectFolderCheck", "プレビューファイルをプロジェクトのフォルダに作成", 16, 198, 336);
  streamFromMiddleCheck = Box(this, "streamFromMiddleCheck", "ストリーミング音声を途中から再生", 16, 220, 336);
  attachAllSpritesCheck = Box(this, "attachAllSpritesCheck", "配置されていないスプライトも全て書き出す", 16, 242, 336);

  selectedPreviewGroup = new QGroupBox(QStringLiteral("選択プレビューの設定"), this);
  selectedPreviewGroup->setObjectName(QStringLiteral("selectedPreviewGroup"));
  selectedPreviewGroup->setGeometry(8, 268, 344, 56);
  selectedPlayerLabel = new QLabel(QStringLiteral("使用するプレイヤー"), selectedPreviewGroup);
  selectedPlayerLabel->setObjectName(QStringLiteral("selectedPlayerLabel"));
  selectedPlayerLabel->setGeometry(12, 22, 120, 22);
  selectedPlayerList = new QComboBox(selectedPreviewGroup);
  selectedPlayerList->setObjectName(QStringLiteral("selectedPlayerList"));
  selectedPlayerList->addItems(
      {QStringLiteral("内蔵プレイヤー"), QStringLiteral("ブラウザ"), QStringLiteral("スタンドアロン")});
  selectedPlayerList->setGeometry(140, 22, 190, 22);

  okButton = Button(this, "okButton", "&OK", QRect(176, 334, 84, 25));
  cancelButton = Button(this, "cancelButton", "キャンセル(&C)", QRect(268, 334, 84, 25));
  okButton->setDefault(true);
  setFixedSize(360, 368);

  connect(playerProgramCheck, &QCheckBox::stateChanged, this, [this] { onPlayerProgramToggled(); });
  connect(editHtmlButton, &QPushButton::clicked, this, [this] { editHtmlTemplate(); });
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

void PreviewOptionDialog::editHtmlTemplate() {
  // The template is made first when it is missing, so there is a file to open.
  GUICore::LoadHTMLTemplate();
  const auto path = GUICore::State().paths.config / GUICore::kHtmlTemplateFile;
  Desktop().opener->openFile(ToQ(path.string()));
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
