#include "ui/dialogs/text_effect_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include "project/event_colors.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/preview_window.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

namespace GC = GUICore;

constexpr int kCollapsedWidth = 512;
constexpr int kWidenedWidth = 786;
constexpr int kHeight = 240;

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

QLabel* Caption(const QString& name, const QString& text, QWidget* parent, int x, int y, int w) {
  auto* label = Named(new QLabel(text, parent), name);
  label->setGeometry(x, y, w, 20);
  return label;
}

QLineEdit* Box(const QString& name, QWidget* parent, int x, int y, int w) {
  auto* box = Named(new QLineEdit(parent), name);
  box->setGeometry(x, y, w, 22);
  return box;
}

QScrollBar* Spin(const QString& name, QWidget* parent, int x, int y) {
  auto* bar = Named(new QScrollBar(Qt::Vertical, parent), name);
  bar->setRange(-1, 1);
  bar->setValue(0);
  bar->setGeometry(x, y, 16, 22);
  return bar;
}

}  // namespace

TextEffectDialog::TextEffectDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TextEffectDialog"));
  setWindowTitle(ToQ(GC::kTextEffectCaption));
  setFont(PanelFont(9));
  showPreview = [](const QString& path, int width, int height) {
    PreviewWindow* window = PreviewWindow::load();
    window->flash()->release();
    window->setStageSize(width, height);
    window->showMovie(path);
    window->showModal();
  };
  createControls();
  collapsedWidth_ = kCollapsedWidth;
  Check1_Click();
  filling_ = true;
  for (int half = 0; half < 2; ++half)
    for (const std::string& name : GC::ListEffectTemplates(half)) Combo1[static_cast<size_t>(half)]->addItem(ToQ(name));
  filling_ = false;
  Text3->setText(QString());
}

void TextEffectDialog::createControls() {
  Label4 = Caption(QStringLiteral("Label4"), QStringLiteral("ﾌﾚｰﾑｶｳﾝﾄ"), this, 70, 8, 76);
  Label5 = Caption(QStringLiteral("Label5"), QStringLiteral("エフェクト種別"), this, 150, 8, 110);
  Label6 = Caption(QStringLiteral("Label6"), QStringLiteral("間隔"), this, 270, 8, 50);
  Label9 = Caption(QStringLiteral("Label9"), QStringLiteral("順序"), this, 330, 8, 80);
  Label1 = Caption(QStringLiteral("Label1"), QStringLiteral("ﾌﾚｰﾑｲﾝ"), this, 8, 32, 60);
  Label2 = Caption(QStringLiteral("Label2"), QStringLiteral("ﾌﾚｰﾑｱｳﾄ"), this, 8, 62, 60);
  Label3 = Caption(QStringLiteral("Label3"), QStringLiteral("表示"), this, 8, 92, 60);
  Label7 = Caption(QStringLiteral("Label7"), QStringLiteral("合計"), this, 8, 122, 60);
  Label8 = Caption(QStringLiteral("Label8"), QStringLiteral("なにもしない"), this, 150, 92, 110);

  for (int i = 0; i < 4; ++i) {
    const auto k = static_cast<size_t>(i);
    Text1[k] = Box(Indexed("Text1", i), this, 70, 32 + 30 * i, 50);
    connect(Text1[k], &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    if (i < 3) {
      VScroll1[k] = Spin(Indexed("VScroll1", i), this, 122, 32 + 30 * i);
      connect(VScroll1[k], &QScrollBar::valueChanged, this, [this, i] { VScroll1_Change(i); });
    }
  }
  // The total is shown, not typed.
  Text1[3]->setReadOnly(true);
  QPalette face = Text1[3]->palette();
  face.setColor(QPalette::Base, ToQColor(kSysButtonFace));
  Text1[3]->setPalette(face);

  for (int half = 0; half < 2; ++half) {
    const auto h = static_cast<size_t>(half);
    const int y = 32 + 30 * half;
    Combo1[h] = Named(new QComboBox(this), Indexed("Combo1", half));
    Combo1[h]->setGeometry(150, y, 110, 22);
    connect(Combo1[h], &QComboBox::currentIndexChanged, this, [this, half] { Combo1_Change(half); });
    Text2[h] = Box(Indexed("Text2", half), this, 270, y, 40);
    VScroll2[h] = Spin(Indexed("VScroll2", half), this, 312, y);
    connect(VScroll2[h], &QScrollBar::valueChanged, this, [this, half] { VScroll2_Change(half); });
    Combo2[h] = Named(new QComboBox(this), Indexed("Combo2", half));
    Combo2[h]->setGeometry(330, y, 80, 22);
    for (const std::string& name : GC::EffectOrderNames()) Combo2[h]->addItem(ToQ(name));
    Label15[h] = Caption(Indexed("Label15", half), QStringLiteral("パラメータ有⇒"), this, 416, y, 92);
    Label15[h]->hide();

    Frame1[h] = Named(new QGroupBox(QStringLiteral("パラメータ"), this), Indexed("Frame1", half));
    Frame1[h]->setGeometry(516, 8 + 74 * half, 262, 70);
    Combo3[h] = Named(new QComboBox(Frame1[h]), Indexed("Combo3", half));
    Combo3[h]->setGeometry(8, 18, 120, 22);
    connect(Combo3[h], &QComboBox::currentIndexChanged, this, [this, half] { Combo3_Change(half); });
    Label10[h] = Caption(Indexed("Label10", half), QStringLiteral("値"), Frame1[h], 134, 18, 20);
    Text4[h] = Box(Indexed("Text4", half), Frame1[h], 156, 18, 96);
    connect(Text4[h], &QLineEdit::textChanged, this, [this, half] { Text4_Change(half); });
    Label11[h] = Caption(Indexed("Label11", half), QString(), Frame1[h], 8, 44, 246);
  }

  Check1 = Named(new QPushButton(QStringLiteral(">>>"), this), QStringLiteral("Check1"));
  Check1->setCheckable(true);
  Check1->setGeometry(416, 122, 60, 24);
  connect(Check1, &QPushButton::toggled, this, [this] { Check1_Click(); });

  Frame2 = Named(new QGroupBox(QStringLiteral("エフェクト情報"), this), QStringLiteral("Frame2"));
  Frame2->setGeometry(516, 156, 262, 76);
  Label13 = Caption(QStringLiteral("Label13"), QString(), Frame2, 8, 16, 120);
  Label12 = Caption(QStringLiteral("Label12"), QString(), Frame2, 130, 16, 124);
  Text5 = Named(new QPlainTextEdit(Frame2), QStringLiteral("Text5"));
  Text5->setGeometry(8, 38, 246, 32);
  Text5->setReadOnly(true);

  Command3 = Named(new QPushButton(QStringLiteral("プレビュー(&P)"), this), QStringLiteral("Command3"));
  Command3->setGeometry(8, 200, 110, 26);
  Command1 = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("Command1"));
  Command1->setGeometry(330, 200, 80, 26);
  Command1->setDefault(true);
  Command2 = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("Command2"));
  Command2->setGeometry(416, 200, 80, 26);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  RouteEscapeTo(this, Command2);

  Text3 = Named(new QLineEdit(this), QStringLiteral("Text3"));
  Text3->hide();
  // Only a mark of the wide window's right edge.
  Label14 = Named(new QLabel(this), QStringLiteral("Label14"));
  Label14->setGeometry(kWidenedWidth, 0, 1, 1);
  Label14->hide();

  for (int half = 0; half < 2; ++half) {
    const auto h = static_cast<size_t>(half);
    for (QWidget* w : {static_cast<QWidget*>(Combo1[h]), static_cast<QWidget*>(Combo2[h]),
                       static_cast<QWidget*>(Combo3[h]), static_cast<QWidget*>(Text1[h]),
                       static_cast<QWidget*>(Text2[h]), static_cast<QWidget*>(Text4[h])})
      w->installEventFilter(this);
  }
}

std::optional<std::string> TextEffectDialog::edit(QWidget* owner, const StoreItem& item, const std::string& settings) {
  TextEffectDialog dialog(owner);
  dialog.SetPvJpeg(item);
  dialog.SetParam(settings);
  if (owner) PlaceAt(&dialog, owner->frameGeometry().topLeft());
  ExecModal(dialog);
  const std::string out = dialog.result();
  if (out.empty()) return std::nullopt;
  return out;
}

void TextEffectDialog::SetPvJpeg(const StoreItem& item) { previewItem_ = item; }

void TextEffectDialog::SetParam(const std::string& option) {
  std::array<std::vector<std::string>, 2> lists;
  for (size_t h = 0; h < 2; ++h)
    for (int i = 0; i < Combo1[h]->count(); ++i) lists[h].push_back(FromQ(Combo1[h]->itemText(i)));
  state_.setParam(option, lists[0], lists[1]);
  fillControls();
}

std::string TextEffectDialog::result() const { return FromQ(Text3->text()); }

void TextEffectDialog::fillControls() {
  filling_ = true;
  const GC::TextEffectDialogFields& f = state_.fields();
  for (size_t i = 0; i < 3; ++i) Text1[i]->setText(ToQ(f.frames[i]));
  for (int half = 0; half < 2; ++half) {
    const auto h = static_cast<size_t>(half);
    Combo1[h]->setCurrentIndex(std::max(0, Combo1[h]->findText(ToQ(f.names[h]))));
    Text2[h]->setText(ToQ(f.intervals[h]));
    Combo2[h]->setCurrentIndex(f.orders[h]);
  }
  filling_ = false;
  Text1_Change();
  // The templates are loaded (with the stored values carried over): only
  // their controls are shown.
  for (int half = 0; half < 2; ++half) showTemplateControls(half);
}

void TextEffectDialog::showTemplateControls(int half) {
  const auto h = static_cast<size_t>(half);
  const GC::EffectTemplateInfo& t = state_.templateInfo(half);
  ShowTemplateInfo(half);
  {
    const QSignalBlocker block(Combo3[h]);
    Combo3[h]->clear();
    for (int32_t k = 0; k < t.count && static_cast<size_t>(k) < t.names.size(); ++k)
      Combo3[h]->addItem(ToQ(t.names[static_cast<size_t>(k)]));
    Combo3[h]->setCurrentIndex(-1);
  }
  {
    const QSignalBlocker block(Text4[h]);
    Text4[h]->clear();
  }
  Label11[h]->clear();
  const bool params = t.count > 0;
  Frame1[h]->setEnabled(params);
  for (QWidget* w : {static_cast<QWidget*>(Label10[h]), static_cast<QWidget*>(Combo3[h]),
                     static_cast<QWidget*>(Text4[h]), static_cast<QWidget*>(Label15[h])})
    w->setVisible(params);
}

void TextEffectDialog::readFields() {
  GC::TextEffectDialogFields& f = state_.fields();
  for (size_t i = 0; i < 3; ++i) f.frames[i] = FromQ(Text1[i]->text());
  for (size_t h = 0; h < 2; ++h) {
    f.names[h] = FromQ(Combo1[h]->currentText());
    f.intervals[h] = FromQ(Text2[h]->text());
    f.orders[h] = Combo2[h]->currentIndex();
  }
}

void TextEffectDialog::Combo1_Change(int half) {
  if (filling_) return;
  state_.chooseTemplate(half, FromQ(Combo1[static_cast<size_t>(half)]->currentText()));
  showTemplateControls(half);
}

void TextEffectDialog::ShowTemplateInfo(int half) {
  const GC::EffectTemplateInfo& t = state_.templateInfo(half);
  Label13->setText(ToQ(GC::TemplateKindLine(half)));
  Label12->setText(ToQ(GC::TemplateAuthorLine(t)));
  Text5->setPlainText(ToQ(t.comment));
}

void TextEffectDialog::Combo3_Change(int half) {
  const auto h = static_cast<size_t>(half);
  const int32_t k = Combo3[h]->currentIndex() + 1;
  const QSignalBlocker block(Text4[h]);
  Text4[h]->setText(ToQ(state_.paramText(half, k)));
  Label11[h]->setText(ToQ(state_.paramDescription(half, k)));
}

void TextEffectDialog::Text4_Change(int half) {
  const auto h = static_cast<size_t>(half);
  const int32_t k = Combo3[h]->currentIndex() + 1;
  if (k >= 1) state_.setParamText(half, k, FromQ(Text4[h]->text()));
}

void TextEffectDialog::Text1_Change() {
  if (filling_) return;
  Text1[3]->setText(ToQ(GC::FrameTotalText({FromQ(Text1[0]->text()), FromQ(Text1[1]->text()), FromQ(Text1[2]->text())})));
}

void TextEffectDialog::VScroll1_Change(int i) {
  QScrollBar* bar = VScroll1[static_cast<size_t>(i)];
  if (bar->value() == 0) return;
  QLineEdit* box = Text1[static_cast<size_t>(i)];
  box->setText(ToQ(GC::SpinText(FromQ(box->text()), bar->value())));
  box->setFocus();
  const QSignalBlocker block(bar);
  bar->setValue(0);
}

void TextEffectDialog::VScroll2_Change(int i) {
  QScrollBar* bar = VScroll2[static_cast<size_t>(i)];
  if (bar->value() == 0) return;
  QLineEdit* box = Text2[static_cast<size_t>(i)];
  box->setText(ToQ(GC::SpinText(FromQ(box->text()), bar->value())));
  box->setFocus();
  const QSignalBlocker block(bar);
  bar->setValue(0);
}

void TextEffectDialog::Check1_Click() {
  // Beyond the narrow window's edge the frames are hidden, not just cut off.
  for (QWidget* w : {static_cast<QWidget*>(Frame1[0]), static_cast<QWidget*>(Frame1[1]),
                     static_cast<QWidget*>(Frame2)})
    w->setVisible(Check1->isChecked());
  if (Check1->isChecked()) {
    setFixedSize(Label14->x(), kHeight);
    Check1->setText(QStringLiteral("<<<"));
    KeepInsideWorkArea(this);
  } else {
    setFixedSize(collapsedWidth_, kHeight);
    Check1->setText(QStringLiteral(">>>"));
  }
}

void TextEffectDialog::Command1_Click() {
  readFields();
  const GC::TextEffectSettings s = state_.readControls();
  // Counts read as 0 show 0.
  for (size_t i = 0; i < 3; ++i) Text1[i]->setText(ToQ(state_.fields().frames[i]));
  for (size_t h = 0; h < 2; ++h) Text2[h]->setText(ToQ(state_.fields().intervals[h]));
  Text3->setText(ToQ(GC::BuildTextEffectOption(s)));
  accept();
}

void TextEffectDialog::Command2_Click() {
  Text3->setText(QString());
  reject();
}

void TextEffectDialog::Command3_Click() {
  const auto path = GC::State().paths.scratch / GC::kTextEffectPreviewMovie;
  ui::Windows().unloadPreviewWindow();
  readFields();
  const GC::TextEffectSettings s = state_.readControls();
  for (size_t i = 0; i < 3; ++i) Text1[i]->setText(ToQ(state_.fields().frames[i]));
  for (size_t h = 0; h < 2; ++h) Text2[h]->setText(ToQ(state_.fields().intervals[h]));
  if (!GC::BuildTextEffectPreview(previewItem_, s, path)) return;
  const ProjectSettings& stage = GC::State().settings;
  if (showPreview) showPreview(ToQ(path.string()), stage.width, stage.height);
}

bool TextEffectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (int half = 0; half < 2; ++half) {
      const auto h = static_cast<size_t>(half);
      if (watched == Combo1[h] || watched == Combo2[h] || watched == Combo3[h] || watched == Text1[h] ||
          watched == Text2[h] || watched == Text4[h])
        ShowTemplateInfo(half);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TextEffectDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  KeepInsideWorkArea(this);
}

}  // namespace tesmiro::gui
