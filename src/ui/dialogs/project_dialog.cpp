#include "ui/dialogs/project_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/common/slider_with_box.h"
#include "ui/dialogs/colour_picker.h"

namespace tesmiro::gui {
namespace {

constexpr const char* kSoundSyncWarning =
    "擬似ストリーミングサウンドは過去のバージョンとの互換性のために残されていますが\r\n"
    "通常はサウンドイベントの「再生（ストリーミング）」を使用してください。\r\n"
    "特別な理由が無い場合はこのチェックボックスをONにする必要はありません。\r\n"
    "擬似ストリーミングを使用する場合は「OK」をクリックしてください";

QString U(const char* text) { return QString::fromUtf8(text); }

int Checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

ProjectDialog::ProjectDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("ProjectDialog"));
  setWindowTitle(QStringLiteral("プロジェクトのプロパティ"));
  setFont(PanelFont(9));
  pickColour = [](QWidget* parent, std::array<int, 3> rgb) -> std::optional<std::array<int, 3>> {
    auto chosen = ColorDialog::pick(parent, Rgba{rgb[0], rgb[1], rgb[2], 255}, false,
                                    Desktop().placement->cursorPos());
    if (!chosen) return std::nullopt;
    return std::array<int, 3>{chosen->red, chosen->green, chosen->blue};
  };
  // A modal window first closes the modeless ones that hold parts of the model.
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();

  const QString basic = "basicGroup", background = "backgroundGroup", detail = "detailGroup",
                version = "swfVersionGroup", image = "imageGroup";
  QLabel* label = nullptr;
  std::vector<ControlRow> rows = {
      Row(basicGroup, basic, {}, {8, 8, 200, 110}, U("基本設定")),
      Row(label, {}, basic, {10, 22, 60, 20}, U("幅")),
      Row(label, {}, basic, {10, 50, 60, 20}, U("高さ")),
      Row(label, {}, basic, {10, 78, 60, 20}, "FPS"),
      Row(stageWidthBox, "stageWidthBox", basic, {76, 20, 110, 22}),
      Row(stageHeightBox, "stageHeightBox", basic, {76, 48, 110, 22}),
      Row(frameRateBox, "frameRateBox", basic, {76, 76, 110, 22}),
      Row(backgroundGroup, background, {}, {216, 8, 236, 110}, U("背景色")),
  };
  const char* rgb[] = {"R", "G", "B"};
  for (Channel c : {Red, Green, Blue}) {
    const int row = c;
    rows.insert(rows.end(), {
        Row(label, {}, background, {10, 22 + 28 * row, 16, 20}, rgb[c]),
        Row(backgroundSliders[c], QStringLiteral("backgroundSliders_%1").arg(row), background,
            {28, 24 + 28 * row, 110, 18}),
        Row(backgroundBoxes[c], QStringLiteral("backgroundBoxes_%1").arg(row), background, {144, 22 + 28 * row, 36, 22}),
    });
  }
  rows.insert(rows.end(), {
      Row(backgroundSwatch, "backgroundSwatch", background, {188, 22, 38, 78}),
      Row(soundSyncCheck, "soundSyncCheck", {}, {12, 124, 300, 20}, U("擬似ｽﾄﾘｰﾐﾝｸﾞでｻｳﾝﾄﾞを同期させる")),
      Row(loadingScreenCheck, "loadingScreenCheck", {}, {12, 146, 300, 20}, U("ID：9999の画像ﾌｧｲﾙをﾛｰﾄﾞ画面にする")),
      Row(detailGroup, detail, {}, {8, 172, 200, 70}, U("詳細設定")),
      Row(compressCheck, "compressCheck", detail, {10, 20, 184, 20}, U("SWFファイルを圧縮する")),
      Row(relativePathsCheck, "relativePathsCheck", detail, {10, 44, 184, 20}, U("ﾌｧｲﾙﾘｽﾄを相対パスで保存する")),
      Row(swfVersionGroup, version, {}, {216, 172, 236, 70}, U("SWFﾊﾞｰｼﾞｮﾝ")),
      Row(swfVersionList, "swfVersionList", version, {10, 20, 70, 22}),
      Row(versionHintLabel, "versionHintLabel", version, {86, 16, 144, 48}),
      Row(imageGroup, image, {}, {8, 248, 444, 70}, U("画像")),
      Row(recompressJpegCheck, "recompressJpegCheck", image, {10, 20, 300, 20}, U("JPEG画像を強制的に再圧縮する")),
      Row(label, {}, image, {10, 44, 40, 20}, U("画質")),
      Row(jpegQualitySlider, "jpegQualitySlider", image, {52, 46, 300, 18}),
      Row(jpegQualityLabel, "jpegQualityLabel", image, {360, 44, 40, 20}),
      Row(storeDefaultsButton, "storeDefaultsButton", {}, {8, 326, 120, 26}, U("デフォルトに設定")),
      Row(okButton, "okButton", {}, {284, 326, 80, 26}, "&OK"),
      Row(cancelButton, "cancelButton", {}, {372, 326, 80, 26}, U("キャンセル")),
  });
  PlaceControls(this, rows);

  for (QScrollBar* bar : backgroundSliders) {
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(0, 255);
    bar->setPageStep(16);
  }
  ShowAsSwatch(backgroundSwatch);
  backgroundSwatch->installEventFilter(this);
  swfVersionList->addItems(
      {QStringLiteral("SWF4"), QStringLiteral("SWF6"), QStringLiteral("SWF7"), QStringLiteral("SWF8")});
  versionHintLabel->setWordWrap(true);
  jpegQualitySlider->setOrientation(Qt::Horizontal);
  jpegQualitySlider->setRange(1, 100);
  jpegQualitySlider->setPageStep(10);
  okButton->setDefault(true);

  SliderWithBox::Options channel;
  // A value outside the bar is left alone, not clamped.
  channel.value = [](const std::string& text, int min, int max) -> std::optional<int> {
    const double v = num::Val(text);
    if (v >= min && v <= max) return num::RoundToInt32(v);
    return std::nullopt;
  };
  channel.muteOwnWrite = true;
  for (Channel c : {Red, Green, Blue}) {
    backgroundPairs[c] = new SliderWithBox(backgroundSliders[c], backgroundBoxes[c], channel, this);
    backgroundPairs[c]->onMoved([this] { paintBackground(); });
  }
  // Only the user's tick asks; filling the box from the project does not.
  connect(soundSyncCheck, &QCheckBox::clicked, this, [this] { onSoundSyncClicked(); });
  connect(swfVersionList, &QComboBox::currentIndexChanged, this, [this] { onSwfVersionChanged(); });
  connect(jpegQualitySlider, &QScrollBar::valueChanged, this, [this] { onJpegQualityChanged(); });
  connect(storeDefaultsButton, &QPushButton::clicked, this, [this] { storeAsDefaults(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(460, 360);

  if (owner) move(owner->frameGeometry().topLeft());
}

bool ProjectDialog::run(QWidget* owner) {
  ProjectDialog dialog(owner);
  dialog.fill(GUICore::ProjectFieldsFrom(GUICore::State().settings));
  return gui::Accepted(ExecModal(dialog));
}

void ProjectDialog::fill(const GUICore::ProjectDialogFields& f) {
  stageWidthBox->setText(ToQ(f.width));
  stageHeightBox->setText(ToQ(f.height));
  frameRateBox->setText(ToQ(f.frameRate));
  for (Channel c : {Red, Green, Blue}) {
    backgroundSliders[c]->setValue(f.background[c]);
    backgroundPairs[c]->showValue();  // also when the value did not move
  }
  soundSyncCheck->setChecked(f.soundSync == 1);
  loadingScreenCheck->setChecked(f.preloader == 1);
  recompressJpegCheck->setChecked(f.forceJpeg == 1);
  jpegQualitySlider->setValue(f.jpegQuality);
  onJpegQualityChanged();
  compressCheck->setChecked(f.compress == 1);
  swfVersionList->setCurrentIndex(f.version);
  onSwfVersionChanged();
  relativePathsCheck->setChecked(f.relativePaths == 1);
}

GUICore::ProjectDialogFields ProjectDialog::fields() const {
  GUICore::ProjectDialogFields f;
  f.width = FromQ(stageWidthBox->text());
  f.height = FromQ(stageHeightBox->text());
  f.frameRate = FromQ(frameRateBox->text());
  for (Channel c : {Red, Green, Blue}) f.background[c] = backgroundSliders[c]->value();
  f.soundSync = Checked(soundSyncCheck);
  f.preloader = Checked(loadingScreenCheck);
  f.forceJpeg = Checked(recompressJpegCheck);
  f.jpegQuality = jpegQualitySlider->value();
  f.compress = Checked(compressCheck);
  f.version = swfVersionList->currentIndex();
  f.relativePaths = Checked(relativePathsCheck);
  return f;
}

void ProjectDialog::paintBackground() {
  QPalette p = backgroundSwatch->palette();
  p.setColor(QPalette::Window, QColor(backgroundSliders[Red]->value(), backgroundSliders[Green]->value(),
                                      backgroundSliders[Blue]->value()));
  backgroundSwatch->setPalette(p);
}

void ProjectDialog::onJpegQualityChanged() { jpegQualityLabel->setText(QString::number(jpegQualitySlider->value())); }

void ProjectDialog::onSwfVersionChanged() {
  versionHintLabel->setText(ToQ(GUICore::VersionHint(swfVersionList->currentIndex())));
}

void ProjectDialog::onSoundSyncClicked() {
  if (!soundSyncCheck->isChecked()) return;
  const ui::Answer a =
      ui::Current().messages->message("注意", kSoundSyncWarning, ui::Icon::Exclamation, ui::Buttons::OkCancel);
  if (a != ui::Answer::Ok) soundSyncCheck->setChecked(false);
}

void ProjectDialog::pickBackground() {
  if (!pickColour) return;
  const std::array<int, 3> now{backgroundSliders[Red]->value(), backgroundSliders[Green]->value(),
                               backgroundSliders[Blue]->value()};
  if (auto chosen = pickColour(this, now)) {
    for (Channel c : {Red, Green, Blue}) backgroundSliders[c]->setValue((*chosen)[c]);
  }
}

void ProjectDialog::storeAsDefaults() {
  const GUICore::ProjectDialogFields f = fields();
  if (!GUICore::StoreDefaultProject(f, Prefs::Current().doubleClickProperty)) focusRefused(f);
}

void ProjectDialog::onOk() {
  const GUICore::ProjectDialogFields f = fields();
  if (GUICore::CommitProjectDialog(f, Prefs::Current().doubleClickProperty)) {
    accept();
  } else {
    focusRefused(f);
  }
}

void ProjectDialog::onCancel() { reject(); }

void ProjectDialog::focusRefused(const GUICore::ProjectDialogFields& f) {
  ProjectSettings scratch;
  const auto error = GUICore::ApplyProjectFields(f, 0, scratch);
  if (!error) return;
  QLineEdit* box = error->field == GUICore::ProjectField::Width    ? stageWidthBox
                   : error->field == GUICore::ProjectField::Height ? stageHeightBox
                                                                   : frameRateBox;
  box->setFocus();
  box->selectAll();
}

bool ProjectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == backgroundSwatch && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    pickBackground();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
