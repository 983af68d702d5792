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
#include "ui/main/main_gui.h"

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

  Frame1 = new QGroupBox(QStringLiteral("ブラウザの設定"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(8, 8, 344, 100);
  Check1 = Box(Frame1, "Check1", "インターネットエクスプローラを使用する", 12, 22, 320);
  Command1 = Button(Frame1, "Command1", "HTMLを編集", QRect(12, 48, 96, 25));
  Label1 = new QLabel(QStringLiteral("幅・・・<<WIDTH>>\r\n高さ・・・<<HEIGHT>>\r\nﾌｧｲﾙ名・・・<<FILENAME>>"), Frame1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(120, 44, 216, 50);

  Frame2 = new QGroupBox(QStringLiteral("スタンドアロンプレイヤーの設定"), this);
  Frame2->setObjectName(QStringLiteral("Frame2"));
  Frame2->setGeometry(8, 114, 344, 78);
  Check2 = Box(Frame2, "Check2", "プレイヤーの実行ファイルを指定する", 12, 22, 320);
  Text1 = new QLineEdit(Frame2);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setGeometry(12, 46, 288, 22);
  Command2 = Button(Frame2, "Command2", "･･･", QRect(304, 45, 28, 24));

  Check3 = Box(this, "Check3", "プレビューファイルをプロジェクトのフォルダに作成", 16, 198, 336);
  Check4 = Box(this, "Check4", "ストリーミング音声を途中から再生", 16, 220, 336);
  Check5 = Box(this, "Check5", "配置されていないスプライトも全て書き出す", 16, 242, 336);

  Frame3 = new QGroupBox(QStringLiteral("選択プレビューの設定"), this);
  Frame3->setObjectName(QStringLiteral("Frame3"));
  Frame3->setGeometry(8, 268, 344, 56);
  Label2 = new QLabel(QStringLiteral("使用するプレイヤー"), Frame3);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(12, 22, 120, 22);
  Combo1 = new QComboBox(Frame3);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->addItems({QStringLiteral("内蔵プレイヤー"), QStringLiteral("ブラウザ"), QStringLiteral("スタンドアロン")});
  Combo1->setGeometry(140, 22, 190, 22);

  Command3 = Button(this, "Command3", "&OK", QRect(176, 334, 84, 25));
  Command4 = Button(this, "Command4", "キャンセル(&C)", QRect(268, 334, 84, 25));
  Command3->setDefault(true);
  setFixedSize(360, 368);

  connect(Check2, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  RouteEscapeTo(this, Command4);
  Form_Load();
}

void PreviewOptionDialog::Form_Load() {
  PreviewWindow::unload();
  if (MainGUI* main = MainGUI::instance()) move(main->frameGeometry().topLeft());
  const Preferences& p = Prefs::Current();
  Check1->setChecked(p.previewUseIE == 1);
  Check2->setChecked(p.previewSAPlayer == 1);
  Text1->setText(ToQ(p.saPlayerFileName));
  Check3->setChecked(p.previewFilePath == 1);
  Check4->setChecked(p.previewStreamSound == 1);
  Check5->setChecked(p.previewAttachSprite == 1);
  Combo1->setCurrentIndex(std::clamp(p.previewSelectedPlayer, 0, 2));
  Check2_Click();
}

void PreviewOptionDialog::Check2_Click() {
  const bool on = Check2->isChecked();
  Text1->setVisible(on);
  Command2->setVisible(on);
}

void PreviewOptionDialog::Command1_Click() {
  // The template is made first when it is missing, so there is a file to open.
  GUICore::LoadHTMLTemplate();
  const auto path = GUICore::State().paths.config / GUICore::kHtmlTemplateFile;
  Desktop().opener->openFile(ToQ(path.string()));
}

void PreviewOptionDialog::Command2_Click() {
  DialogModule::FileDialogRecord r;
  // Programs here have no ".exe": every file is offered, the name stays.
  static const char kFilter[] = "実行可能ファイル (*)\0*\0";
  r.filter.assign(kFilter, sizeof kFilter - 1);
  const std::string current = FromQ(Text1->text());
  r.initialDir = current.empty() ? FromQ(QDir::homePath()) : GUICore::GetFolderPart(current);
  if (DialogModule::OpenFileDialog(r) == 0) return;
  const std::vector<std::string> chosen = DialogModule::SelectedFiles(r.file);
  if (!chosen.empty() && !chosen.front().empty()) Text1->setText(ToQ(chosen.front()));
}

void PreviewOptionDialog::Command3_Click() {
  Preferences& p = Prefs::Current();
  p.previewUseIE = Check1->isChecked() ? 1 : 0;
  p.previewSAPlayer = Check2->isChecked() ? 1 : 0;
  p.saPlayerFileName = FromQ(Text1->text());
  p.previewFilePath = Check3->isChecked() ? 1 : 0;
  p.previewStreamSound = Check4->isChecked() ? 1 : 0;
  p.previewAttachSprite = Check5->isChecked() ? 1 : 0;
  p.previewSelectedPlayer = std::max(Combo1->currentIndex(), 0);
  // The preview builders read their copy of these.
  GUICore::PreviewOptions& core = GUICore::Previews();
  core.previewFilePath = p.previewFilePath;
  core.previewStreamSound = p.previewStreamSound;
  core.previewAttachSprite = p.previewAttachSprite;
  core.previewSelectedPlayer = p.previewSelectedPlayer;
  accept();
}

void PreviewOptionDialog::Command4_Click() { reject(); }

}  // namespace tesmiro::gui
