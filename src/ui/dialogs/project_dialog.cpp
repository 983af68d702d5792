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

  Frame2 = Named(new QGroupBox(QStringLiteral("基本設定"), this), QStringLiteral("Frame2"));
  Frame2->setGeometry(8, 8, 200, 110);
  Caption(QStringLiteral("幅"), Frame2, 10, 22, 60);
  Caption(QStringLiteral("高さ"), Frame2, 10, 50, 60);
  Caption(QStringLiteral("FPS"), Frame2, 10, 78, 60);
  Text1 = Named(new QLineEdit(Frame2), QStringLiteral("Text1"));
  Text2 = Named(new QLineEdit(Frame2), QStringLiteral("Text2"));
  Text3 = Named(new QLineEdit(Frame2), QStringLiteral("Text3"));
  Text1->setGeometry(76, 20, 110, 22);
  Text2->setGeometry(76, 48, 110, 22);
  Text3->setGeometry(76, 76, 110, 22);

  Frame1 = Named(new QGroupBox(QStringLiteral("背景色"), this), QStringLiteral("Frame1"));
  Frame1->setGeometry(216, 8, 236, 110);
  const char* rgb[] = {"R", "G", "B"};
  for (int i = 0; i < 3; ++i) {
    Caption(QString::fromLatin1(rgb[i]), Frame1, 10, 22 + 28 * i, 16);
    HScroll1[i] = Named(new QScrollBar(Qt::Horizontal, Frame1), QStringLiteral("HScroll1_%1").arg(i));
    HScroll1[i]->setRange(0, 255);
    HScroll1[i]->setPageStep(16);
    HScroll1[i]->setGeometry(28, 24 + 28 * i, 110, 18);
    Text4[i] = Named(new QLineEdit(Frame1), QStringLiteral("Text4_%1").arg(i));
    Text4[i]->setGeometry(144, 22 + 28 * i, 36, 22);
    connect(HScroll1[i], &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
    connect(Text4[i], &QLineEdit::textChanged, this, [this, i] { Text4_Change(i); });
  }
  Picture1 = Named(new QLabel(Frame1), QStringLiteral("Picture1"));
  Picture1->setGeometry(188, 22, 38, 78);
  Picture1->setFrameShape(QFrame::Box);
  Picture1->setAutoFillBackground(true);
  Picture1->setCursor(Qt::PointingHandCursor);
  Picture1->installEventFilter(this);

  Check1 = Tick(QStringLiteral("Check1"), QStringLiteral("擬似ｽﾄﾘｰﾐﾝｸﾞでｻｳﾝﾄﾞを同期させる"), this, 12, 124, 300);
  Check2 = Tick(QStringLiteral("Check2"), QStringLiteral("ID：9999の画像ﾌｧｲﾙをﾛｰﾄﾞ画面にする"), this, 12, 146, 300);
  // Only the user's tick asks; filling the box from the project does not.
  connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Clicked(); });

  Frame3 = Named(new QGroupBox(QStringLiteral("詳細設定"), this), QStringLiteral("Frame3"));
  Frame3->setGeometry(8, 172, 200, 70);
  Check4 = Tick(QStringLiteral("Check4"), QStringLiteral("SWFファイルを圧縮する"), Frame3, 10, 20, 184);
  Check6 = Tick(QStringLiteral("Check6"), QStringLiteral("ﾌｧｲﾙﾘｽﾄを相対パスで保存する"), Frame3, 10, 44, 184);

  Frame4 = Named(new QGroupBox(QStringLiteral("SWFﾊﾞｰｼﾞｮﾝ"), this), QStringLiteral("Frame4"));
  Frame4->setGeometry(216, 172, 236, 70);
  Combo1 = Named(new QComboBox(Frame4), QStringLiteral("Combo1"));
  Combo1->addItems({QStringLiteral("SWF4"), QStringLiteral("SWF6"), QStringLiteral("SWF7"), QStringLiteral("SWF8")});
  Combo1->setGeometry(10, 20, 70, 22);
  Label4 = Named(new QLabel(Frame4), QStringLiteral("Label4"));
  Label4->setGeometry(86, 16, 144, 48);
  Label4->setWordWrap(true);
  connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });

  Frame5 = Named(new QGroupBox(QStringLiteral("画像"), this), QStringLiteral("Frame5"));
  Frame5->setGeometry(8, 248, 444, 70);
  Check3 = Tick(QStringLiteral("Check3"), QStringLiteral("JPEG画像を強制的に再圧縮する"), Frame5, 10, 20, 300);
  Caption(QStringLiteral("画質"), Frame5, 10, 44, 40);
  HScroll2 = Named(new QScrollBar(Qt::Horizontal, Frame5), QStringLiteral("HScroll2"));
  HScroll2->setRange(1, 100);
  HScroll2->setPageStep(10);
  HScroll2->setGeometry(52, 46, 300, 18);
  Label10 = Named(new QLabel(Frame5), QStringLiteral("Label10"));
  Label10->setGeometry(360, 44, 40, 20);
  connect(HScroll2, &QScrollBar::valueChanged, this, [this] { HScroll2_Change(); });

  Command1 = Named(new QPushButton(QStringLiteral("デフォルトに設定"), this), QStringLiteral("Command1"));
  Command2 = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("Command2"));
  Command3 = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("Command3"));
  Command1->setGeometry(8, 326, 120, 26);
  Command2->setGeometry(284, 326, 80, 26);
  Command3->setGeometry(372, 326, 80, 26);
  Command2->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  RouteEscapeTo(this, Command3);
  setFixedSize(460, 360);

  if (owner) move(owner->frameGeometry().topLeft());
}

bool ProjectDialog::run(QWidget* owner) {
  ProjectDialog dialog(owner);
  dialog.fill(GUICore::ProjectFieldsFrom(GUICore::State().settings));
  return dialog.exec() == QDialog::Accepted;
}

void ProjectDialog::fill(const GUICore::ProjectDialogFields& f) {
  Text1->setText(ToQ(f.width));
  Text2->setText(ToQ(f.height));
  Text3->setText(ToQ(f.frameRate));
  for (int i = 0; i < 3; ++i) {
    HScroll1[i]->setValue(f.background[static_cast<size_t>(i)]);
    HScroll1_Change(i);  // also when the value did not move
  }
  Check1->setChecked(f.soundSync == 1);
  Check2->setChecked(f.preloader == 1);
  Check3->setChecked(f.forceJpeg == 1);
  HScroll2->setValue(f.jpegQuality);
  HScroll2_Change();
  Check4->setChecked(f.compress == 1);
  Combo1->setCurrentIndex(f.version);
  Combo1_Click();
  Check6->setChecked(f.relativePaths == 1);
}

GUICore::ProjectDialogFields ProjectDialog::fields() const {
  GUICore::ProjectDialogFields f;
  f.width = FromQ(Text1->text());
  f.height = FromQ(Text2->text());
  f.frameRate = FromQ(Text3->text());
  for (size_t i = 0; i < 3; ++i) f.background[i] = HScroll1[i]->value();
  f.soundSync = Checked(Check1);
  f.preloader = Checked(Check2);
  f.forceJpeg = Checked(Check3);
  f.jpegQuality = HScroll2->value();
  f.compress = Checked(Check4);
  f.version = Combo1->currentIndex();
  f.relativePaths = Checked(Check6);
  return f;
}

void ProjectDialog::HScroll1_Change(int index) {
  const auto i = static_cast<size_t>(index);
  updatingBars_ = true;
  Text4[i]->setText(QString::number(HScroll1[i]->value()));
  updatingBars_ = false;
  QPalette p = Picture1->palette();
  p.setColor(QPalette::Window, QColor(HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value()));
  Picture1->setPalette(p);
}

void ProjectDialog::Text4_Change(int index) {
  if (updatingBars_) return;
  const auto i = static_cast<size_t>(index);
  const double v = num::Val(FromQ(Text4[i]->text()));
  // A value outside the bar is left alone, not clamped.
  if (v >= HScroll1[i]->minimum() && v <= HScroll1[i]->maximum()) HScroll1[i]->setValue(num::RoundToInt32(v));
}

void ProjectDialog::HScroll2_Change() { Label10->setText(QString::number(HScroll2->value())); }

void ProjectDialog::Combo1_Click() { Label4->setText(ToQ(GUICore::VersionHint(Combo1->currentIndex()))); }

void ProjectDialog::Check1_Clicked() {
  if (!Check1->isChecked()) return;
  const ui::Answer a =
      ui::Current().messages->message("注意", kSoundSyncWarning, ui::Icon::Exclamation, ui::Buttons::OkCancel);
  if (a != ui::Answer::Ok) Check1->setChecked(false);
}

void ProjectDialog::Picture1_Click() {
  if (!pickColour) return;
  const std::array<int, 3> now{HScroll1[0]->value(), HScroll1[1]->value(), HScroll1[2]->value()};
  if (auto chosen = pickColour(this, now)) {
    for (size_t i = 0; i < 3; ++i) HScroll1[i]->setValue((*chosen)[i]);
  }
}

void ProjectDialog::Command1_Click() {
  const GUICore::ProjectDialogFields f = fields();
  if (!GUICore::StoreDefaultProject(f, Prefs::Current().doubleClickProperty)) focusRefused(f);
}

void ProjectDialog::Command2_Click() {
  const GUICore::ProjectDialogFields f = fields();
  if (GUICore::CommitProjectDialog(f, Prefs::Current().doubleClickProperty)) {
    accept();
  } else {
    focusRefused(f);
  }
}

void ProjectDialog::Command3_Click() { reject(); }

void ProjectDialog::focusRefused(const GUICore::ProjectDialogFields& f) {
  ProjectSettings scratch;
  const auto error = GUICore::ApplyProjectFields(f, 0, scratch);
  if (!error) return;
  QLineEdit* box = error->field == GUICore::ProjectField::Width    ? Text1
                   : error->field == GUICore::ProjectField::Height ? Text2
                                                                   : Text3;
  box->setFocus();
  box->selectAll();
}

bool ProjectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Picture1_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
