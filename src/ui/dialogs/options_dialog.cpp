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
  propertyOnDoubleClickCheck = tick("propertyOnDoubleClickCheck", "ファイルのプロパティをダブルクリックで開く");
  eventPropertyAlwaysShownCheck = tick("eventPropertyAlwaysShownCheck", "イベントのプロパティを常時表示する");
  eventDialogPositionCheck = tick("eventDialogPositionCheck", "ダイアログボックスの位置を記憶");
  propertyDialogPositionCheck =
      tick("propertyDialogPositionCheck", "ファイルプロパティのダイアログボックス位置を記憶");
  syncToggleCheck = tick("syncToggleCheck", "「ファイルリストと同期」をトグルで切り替える");
  dragMultiSelectCheck = tick("dragMultiSelectCheck", "ファイルリストをドラッグで複数選択可能にする");
  verticalFontCheck = tick("verticalFontCheck", "テキストで縦書きフォントを使用する(再起動後有効)");
  saveHtmlCheck = tick("saveHtmlCheck", "SWF生成時にHTMLも保存する");
  connect(eventPropertyAlwaysShownCheck, &QCheckBox::toggled, this, [this] { onAlwaysShownToggled(); });
  connect(saveHtmlCheck, &QCheckBox::toggled, this, [this] { onSaveHtmlToggled(); });

  y += 4;
  auto* undoDepthLabel =
      Named(new QLabel(QStringLiteral("ファイルリストの最大アンドゥ回数"), this), QStringLiteral("undoDepthLabel"));
  undoDepthLabel->setGeometry(12, y, 250, 20);
  undoDepthBox = Named(new QLineEdit(this), QStringLiteral("undoDepthBox"));
  undoDepthBox->setGeometry(268, y - 1, 60, 22);
  y += 26;
  auto* wheelRowsLabel =
      Named(new QLabel(QStringLiteral("マウスホイールのスクロール量"), this), QStringLiteral("wheelRowsLabel"));
  wheelRowsLabel->setGeometry(12, y, 250, 20);
  wheelRowsBox = Named(new QLineEdit(this), QStringLiteral("wheelRowsBox"));
  wheelRowsBox->setGeometry(268, y - 1, 60, 22);
  y += 30;

  keepOnTopGroup =
      Named(new QGroupBox(QStringLiteral("「前面」ボタンを有効にする"), this), QStringLiteral("keepOnTopGroup"));
  keepOnTopGroup->setGeometry(8, y, 392, 50);
  const QString windowsNames[] = {QStringLiteral("イベントのプロパティ"), QStringLiteral("スクリプトエディタ"),
                                  QStringLiteral("プレビューウインドウ")};
  constexpr TopWindow kTopWindows[] = {EventDialogTop, ScriptEditorTop, PreviewWindowTop};
  // Each box as wide as its caption, the room left spread between them.
  int captions = 0;
  for (TopWindow t : kTopWindows) {
    keepOnTopChecks[t] = Named(new QCheckBox(windowsNames[t], keepOnTopGroup),
                               QStringLiteral("keepOnTopChecks_%1").arg(static_cast<int>(t)));
    captions += keepOnTopChecks[t]->sizeHint().width();
  }
  const int gap = std::max(0, (keepOnTopGroup->width() - 16 - captions) / 2);
  int x = 8;
  for (TopWindow t : kTopWindows) {
    const int width = keepOnTopChecks[t]->sizeHint().width();
    keepOnTopChecks[t]->setGeometry(x, 22, width, 20);
    x += width + gap;
  }
  y += 58;

  htmlGroup = Named(new QGroupBox(this), QStringLiteral("htmlGroup"));
  htmlGroup->setGeometry(8, y, 392, 86);
  editHtmlButton = Named(new QPushButton(QStringLiteral("HTMLを編集"), htmlGroup), QStringLiteral("editHtmlButton"));
  editHtmlButton->setGeometry(10, 16, 100, 26);
  htmlPlaceholdersLabel =
      Named(new QLabel(QStringLiteral("[ ﾌﾟﾚﾋﾞｭｰ用のHTMLと共用 ]\n幅・・・<<WIDTH>>\n高さ・・・<<HEIGHT>>\n"
                                      "ﾌｧｲﾙ名・・・<<FILENAME>>"),
                       htmlGroup),
            QStringLiteral("htmlPlaceholdersLabel"));
  htmlPlaceholdersLabel->setTextFormat(Qt::PlainText);
  htmlPlaceholdersLabel->setGeometry(120, 12, 260, 68);
  connect(editHtmlButton, &QPushButton::clicked, this, [this] { editHtmlTemplate(); });
  y += 94;

  okButton = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("okButton"));
  cancelButton = Named(new QPushButton(QStringLiteral("キャンセル(&C)"), this), QStringLiteral("cancelButton"));
  okButton->setGeometry(232, y, 80, 26);
  cancelButton->setGeometry(320, y, 80, 26);
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(408, y + 34);

  if (owner) move(owner->frameGeometry().topLeft());
  fill(GUICore::OptionFieldsFrom(GUICore::OptionValuesFrom(Prefs::Current())));
  onSaveHtmlToggled();
}

bool OptionDialog::run(QWidget* owner) {
  OptionDialog dialog(owner);
  return dialog.exec() == QDialog::Accepted;
}

void OptionDialog::fill(const GUICore::OptionDialogFields& f) {
  propertyOnDoubleClickCheck->setChecked(f.doubleClickProperty == 1);
  eventPropertyAlwaysShownCheck->setChecked(f.dispEventProperty == 1);
  // The position box follows the always-shown box (see onAlwaysShownToggled),
  // so it is set after it from the stored value.
  eventDialogPositionCheck->setChecked(f.posEventDialog == 1);
  onAlwaysShownToggled();
  propertyDialogPositionCheck->setChecked(f.posFilelistWindow == 1);
  syncToggleCheck->setChecked(f.alwaysEventSync == 1);
  dragMultiSelectCheck->setChecked(f.filelistMultiSelect == 1);
  verticalFontCheck->setChecked(f.useVerticalFont == 1);
  saveHtmlCheck->setChecked(f.saveHTML == 1);
  undoDepthBox->setText(ToQ(f.historyMax));
  wheelRowsBox->setText(ToQ(f.wheelRows));
  for (size_t i = 0; i < 3; ++i) keepOnTopChecks[i]->setChecked(f.topward[i] == 1);
}

GUICore::OptionDialogFields OptionDialog::fields() const {
  GUICore::OptionDialogFields f;
  f.doubleClickProperty = Checked(propertyOnDoubleClickCheck);
  f.dispEventProperty = Checked(eventPropertyAlwaysShownCheck);
  f.posEventDialog = Checked(eventDialogPositionCheck);
  f.posFilelistWindow = Checked(propertyDialogPositionCheck);
  f.alwaysEventSync = Checked(syncToggleCheck);
  f.filelistMultiSelect = Checked(dragMultiSelectCheck);
  f.useVerticalFont = Checked(verticalFontCheck);
  f.saveHTML = Checked(saveHtmlCheck);
  f.historyMax = FromQ(undoDepthBox->text());
  f.wheelRows = FromQ(wheelRowsBox->text());
  for (size_t i = 0; i < 3; ++i) f.topward[i] = Checked(keepOnTopChecks[i]);
  return f;
}

void OptionDialog::onAlwaysShownToggled() {
  if (GUICore::PositionBoxLocked(Checked(eventPropertyAlwaysShownCheck))) {
    eventDialogPositionCheck->setChecked(true);
    eventDialogPositionCheck->setEnabled(false);
  } else {
    eventDialogPositionCheck->setEnabled(true);
  }
}

void OptionDialog::onSaveHtmlToggled() { htmlGroup->setEnabled(saveHtmlCheck->isChecked()); }

void OptionDialog::editHtmlTemplate() {
  GUICore::LoadHTMLTemplate();  // writes the built-in page when there is none
  const auto path = GUICore::State().paths.config / GUICore::kHtmlTemplateFile;
  Desktop().opener->openFile(ToQ(path.string()));
}

void OptionDialog::onOk() {
  GUICore::OptionValues values = GUICore::OptionValuesFrom(Prefs::Current());
  GUICore::ApplyOptionFields(fields(), values);
  GUICore::StoreOptionValues(values, Prefs::Current());
  accept();
}

void OptionDialog::onCancel() { reject(); }

}  // namespace tesmiro::gui
