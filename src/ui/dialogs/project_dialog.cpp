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
#include "ui/dialogs/colour_picker.h"

namespace tesmiro::gui {
namespace {

constexpr const char* kSoundSyncWarning =
    "擬似ストリーミングサウンドは過去のバージョンとの互換性のために残されていますが\r\n"
    "通常はサウンドイベントの「再生（ストリーミング）」を使用してください。\r\n"
    "特別な理由が無い場合はこのチェックボックスをONにする必要はありません。\r\n"
    "擬似ストリーミングを使用する場合は「OK」をクリックしてください";

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QLabel* Caption(const QString& text, QWidget* parent, int x, int y, int w) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, w, 20);
  return label;
}

QCheckBox* Tick(const QString& name, const QString& text, QWidget* parent, int x, int y, int w) {
  auto* box = Named(new QCheckBox(text, parent), name);
  box->setGeometry(x, y, w, 20);
  return box;
}

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

  basicGroup = Named(new QGroupBox(QStringLiteral("基本設定"), this), QStringLiteral("basicGroup"));
  basicGroup->setGeometry(8, 8, 200, 110);
  Caption(QStringLiteral("幅"), basicGroup, 10, 22, 60);
  Caption(QStringLiteral("高さ"), basicGroup, 10, 50, 60);
  Caption(QStringLiteral("FPS"), basicGroup, 10, 78, 60);
  stageWidthBox = Named(new QLineEdit(basicGroup), QStringLiteral("stageWidthBox"));
  stageHeightBox = Named(new QLineEdit(basicGroup), QStringLiteral("stageHeightBox"));
  frameRateBox = Named(new QLineEdit(basicGroup), QStringLiteral("frameRateBox"));
  stageWidthBox->setGeometry(76, 20, 110, 22);
  stageHeightBox->setGeometry(76, 48, 110, 22);
  frameRateBox->setGeometry(76, 76, 110, 22);

  backgroundGroup = Named(new QGroupBox(QStringLiteral("背景色"), this), QStringLiteral("backgroundGroup"));
  backgroundGroup->setGeometry(216, 8, 236, 110);
  const char* rgb[] = {"R", "G", "B"};
  for (Channel c : {Red, Green, Blue}) {
    const int row = c;
    Caption(QString::fromLatin1(rgb[c]), backgroundGroup, 10, 22 + 28 * row, 16);
    backgroundSliders[c] =
        Named(new QScrollBar(Qt::Horizontal, backgroundGroup), QStringLiteral("backgroundSliders_%1").arg(row));
    backgroundSliders[c]->setRange(0, 255);
    backgroundSliders[c]->setPageStep(16);
    backgroundSliders[c]->setGeometry(28, 24 + 28 * row, 110, 18);
    backgroundBoxes[c] = Named(new QLineEdit(backgroundGroup), QStringLiteral("backgroundBoxes_%1").arg(row));
    backgroundBoxes[c]->setGeometry(144, 22 + 28 * row, 36, 22);
    connect(backgroundSliders[c], &QScrollBar::valueChanged, this, [this, c] { onBackgroundSliderChanged(c); });
    connect(backgroundBoxes[c], &QLineEdit::textChanged, this, [this, c] { onBackgroundBoxChanged(c); });
  }
  backgroundSwatch = Named(new QLabel(backgroundGroup), QStringLiteral("backgroundSwatch"));
  backgroundSwatch->setGeometry(188, 22, 38, 78);
  backgroundSwatch->setFrameShape(QFrame::Box);
  backgroundSwatch->setAutoFillBackground(true);
  backgroundSwatch->setCursor(Qt::PointingHandCursor);
  backgroundSwatch->installEventFilter(this);

  soundSyncCheck = Tick(QStringLiteral("soundSyncCheck"), QStringLiteral("擬似ｽﾄﾘｰﾐﾝｸﾞでｻｳﾝﾄﾞを同期させる"), this, 12,
                        124, 300);
  loadingScreenCheck = Tick(QStringLiteral("loadingScreenCheck"), QStringLiteral("ID：9999の画像ﾌｧｲﾙをﾛｰﾄﾞ画面にする"),
                            this, 12, 146, 300);
  // Only the user's tick asks; filling the box from the project does not.
  connect(soundSyncCheck, &QCheckBox::clicked, this, [this] { onSoundSyncClicked(); });

  detailGroup = Named(new QGroupBox(QStringLiteral("詳細設定"), this), QStringLiteral("detailGroup"));
  detailGroup->setGeometry(8, 172, 200, 70);
  compressCheck = Tick(QStringLiteral("compressCheck"), QStringLiteral("SWFファイルを圧縮する"), detailGroup, 10, 20, 184);
  relativePathsCheck = Tick(QStringLiteral("relativePathsCheck"), QStringLiteral("ﾌｧｲﾙﾘｽﾄを相対パスで保存する"),
                            detailGroup, 10, 44, 184);

  swfVersionGroup = Named(new QGroupBox(QStringLiteral("SWFﾊﾞｰｼﾞｮﾝ"), this), QStringLiteral("swfVersionGroup"));
  swfVersionGroup->setGeometry(216, 172, 236, 70);
  swfVersionList = Named(new QComboBox(swfVersionGroup), QStringLiteral("swfVersionList"));
  swfVersionList->addItems(
      {QStringLiteral("SWF4"), QStringLiteral("SWF6"), QStringLiteral("SWF7"), QStringLiteral("SWF8")});
  swfVersionList->setGeometry(10, 20, 70, 22);
  versionHintLabel = Named(new QLabel(swfVersionGroup), QStringLiteral("versionHintLabel"));
  versionHintLabel->setGeometry(86, 16, 144, 48);
  versionHintLabel->setWordWrap(true);
  connect(swfVersionList, &QComboBox::currentIndexChanged, this, [this] { onSwfVersionChanged(); });

  imageGroup = Named(new QGroupBox(QStringLiteral("画像"), this), QStringLiteral("imageGroup"));
  imageGroup->setGeometry(8, 248, 444, 70);
  recompressJpegCheck =
      Tick(QStringLiteral("recompressJpegCheck"), QStringLiteral("JPEG画像を強制的に再圧縮する"), imageGroup, 10, 20, 300);
  Caption(QStringLiteral("画質"), imageGroup, 10, 44, 40);
  jpegQualitySlider = Named(new QScrollBar(Qt::Horizontal, imageGroup), QStringLiteral("jpegQualitySlider"));
  jpegQualitySlider->setRange(1, 100);
  jpegQualitySlider->setPageStep(10);
  jpegQualitySlider->setGeometry(52, 46, 300, 18);
  jpegQualityLabel = Named(new QLabel(imageGroup), QStringLiteral("jpegQualityLabel"));
  jpegQualityLabel->setGeometry(360, 44, 40, 20);
  connect(jpegQualitySlider, &QScrollBar::valueChanged, this, [this] { onJpegQualityChanged(); });

  storeDefaultsButton =
      Named(new QPushButton(QStringLiteral("デフォルトに設定"), this), QStringLiteral("storeDefaultsButton"));
  okButton = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("okButton"));
  cancelButton = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cancelButton"));
  storeDefaultsButton->setGeometry(8, 326, 120, 26);
  okButton->setGeometry(284, 326, 80, 26);
  cancelButton->setGeometry(372, 326, 80, 26);
  okButton->setDefault(true);
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
  return dialog.exec() == QDialog::Accepted;
}

void ProjectDialog::fill(const GUICore::ProjectDialogFields& f) {
  stageWidthBox->setText(ToQ(f.width));
  stageHeightBox->setText(ToQ(f.height));
  frameRateBox->setText(ToQ(f.frameRate));
  for (Channel c : {Red, Green, Blue}) {
    backgroundSliders[c]->setValue(f.background[c]);
    onBackgroundSliderChanged(c);  // also when the value did not move
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

void ProjectDialog::onBackgroundSliderChanged(Channel c) {
  updatingBars_ = true;
  backgroundBoxes[c]->setText(QString::number(backgroundSliders[c]->value()));
  updatingBars_ = false;
  QPalette p = backgroundSwatch->palette();
  p.setColor(QPalette::Window, QColor(backgroundSliders[Red]->value(), backgroundSliders[Green]->value(),
                                      backgroundSliders[Blue]->value()));
  backgroundSwatch->setPalette(p);
}

void ProjectDialog::onBackgroundBoxChanged(Channel c) {
  if (updatingBars_) return;
  const double v = num::Val(FromQ(backgroundBoxes[c]->text()));
  // A value outside the bar is left alone, not clamped.
  if (v >= backgroundSliders[c]->minimum() && v <= backgroundSliders[c]->maximum()) {
    backgroundSliders[c]->setValue(num::RoundToInt32(v));
  }
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
