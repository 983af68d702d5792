#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "compiler/html_page.h"
#include "platform/ui.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"

namespace tesmiro::gui {
namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

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

  const QString keepOnTop = "keepOnTopGroup", html = "htmlGroup";
  QLabel* undoDepthLabel = nullptr;
  QLabel* wheelRowsLabel = nullptr;
  std::vector<ControlRow> rows = {
      Row(propertyOnDoubleClickCheck, "propertyOnDoubleClickCheck", {}, {12, 8, 380, 20},
          U("ファイルのプロパティをダブルクリックで開く")),
      Row(eventPropertyAlwaysShownCheck, "eventPropertyAlwaysShownCheck", {}, {12, 30, 380, 20},
          U("イベントのプロパティを常時表示する")),
      Row(eventDialogPositionCheck, "eventDialogPositionCheck", {}, {12, 52, 380, 20},
          U("ダイアログボックスの位置を記憶")),
      Row(propertyDialogPositionCheck, "propertyDialogPositionCheck", {}, {12, 74, 380, 20},
          U("ファイルプロパティのダイアログボックス位置を記憶")),
      Row(syncToggleCheck, "syncToggleCheck", {}, {12, 96, 380, 20}, U("「ファイルリストと同期」をトグルで切り替える")),
      Row(dragMultiSelectCheck, "dragMultiSelectCheck", {}, {12, 118, 380, 20},
          U("ファイルリストをドラッグで複数選択可能にする")),
      Row(verticalFontCheck, "verticalFontCheck", {}, {12, 140, 380, 20},
          U("テキストで縦書きフォントを使用する(再起動後有効)")),
      Row(saveHtmlCheck, "saveHtmlCheck", {}, {12, 162, 380, 20}, U("SWF生成時にHTMLも保存する")),
      Row(undoDepthLabel, "undoDepthLabel", {}, {12, 188, 250, 20}, U("ファイルリストの最大アンドゥ回数")),
      Row(undoDepthBox, "undoDepthBox", {}, {268, 187, 60, 22}),
      Row(wheelRowsLabel, "wheelRowsLabel", {}, {12, 214, 250, 20}, U("マウスホイールのスクロール量")),
      Row(wheelRowsBox, "wheelRowsBox", {}, {268, 213, 60, 22}),
      Row(keepOnTopGroup, keepOnTop, {}, {8, 244, 392, 50}, U("「前面」ボタンを有効にする")),
      // Widths follow the captions, below.
      Row(keepOnTopChecks[EventDialogTop], "keepOnTopChecks_0", keepOnTop, {}, U("イベントのプロパティ")),
      Row(keepOnTopChecks[ScriptEditorTop], "keepOnTopChecks_1", keepOnTop, {}, U("スクリプトエディタ")),
      Row(keepOnTopChecks[PreviewWindowTop], "keepOnTopChecks_2", keepOnTop, {}, U("プレビューウインドウ")),
      Row(htmlGroup, html, {}, {8, 302, 392, 86}),
      Row(editHtmlButton, "editHtmlButton", html, {10, 16, 100, 26}, U("HTMLを編集")),
      Row(htmlPlaceholdersLabel, "htmlPlaceholdersLabel", html, {120, 12, 260, 68},
          U("[ ﾌﾟﾚﾋﾞｭｰ用のHTMLと共用 ]\n幅・・・<<WIDTH>>\n高さ・・・<<HEIGHT>>\nﾌｧｲﾙ名・・・<<FILENAME>>")),
      Row(okButton, "okButton", {}, {232, 396, 80, 26}, "&OK"),
      Row(cancelButton, "cancelButton", {}, {320, 396, 80, 26}, U("キャンセル(&C)")),
  };
  PlaceControls(this, rows);
  setFixedSize(408, 430);

  // Each box as wide as its caption, the room left spread between them.
  int captions = 0;
  for (QCheckBox* box : keepOnTopChecks) captions += box->sizeHint().width();
  const int gap = std::max(0, (keepOnTopGroup->width() - 16 - captions) / 2);
  int x = 8;
  for (QCheckBox* box : keepOnTopChecks) {
    const int width = box->sizeHint().width();
    box->setGeometry(x, 22, width, 20);
    x += width + gap;
  }
  htmlPlaceholdersLabel->setTextFormat(Qt::PlainText);
  okButton->setDefault(true);

  connect(eventPropertyAlwaysShownCheck, &QCheckBox::toggled, this, [this] { onAlwaysShownToggled(); });
  connect(saveHtmlCheck, &QCheckBox::toggled, this, [this] { onSaveHtmlToggled(); });
  connect(editHtmlButton, &QPushButton::clicked, this, [] { editHtmlTemplate(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);

  if (owner) move(owner->frameGeometry().topLeft());
  fill(GUICore::OptionFieldsFrom(GUICore::OptionValuesFrom(Prefs::Current())));
  onSaveHtmlToggled();
}

bool OptionDialog::run(QWidget* owner) {
  OptionDialog dialog(owner);
  return gui::Accepted(ExecModal(dialog));
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
  const Result<std::filesystem::path> file = GUICore::MakeHTMLTemplateForEditing();
  if (!file) {
    ui::Current().messages->message("エラー", "HTMLテンプレートを作成できませんでした。\r\n" + file.message(),
                                    ui::Icon::Critical);
    return;
  }
  OpenFileOrTell("HTMLテンプレート", file->string());
}

void OptionDialog::onOk() {
  GUICore::OptionValues values = GUICore::OptionValuesFrom(Prefs::Current());
  GUICore::ApplyOptionFields(fields(), values);
  GUICore::StoreOptionValues(values, Prefs::Current());
  accept();
}

void OptionDialog::onCancel() { reject(); }

}  // namespace tesmiro::gui
