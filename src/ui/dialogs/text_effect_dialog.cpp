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
  toggleParameters();
  filling_ = true;
  for (const Phase half : {In, Out})
    for (const std::string& name : GC::ListEffectTemplates(half)) templateLists[half]->addItem(ToQ(name));
  filling_ = false;
  resultBox->setText(QString());
}

void TextEffectDialog::createControls() {
  frameCountHeadLabel = Caption(QStringLiteral("frameCountHeadLabel"), QStringLiteral("ﾌﾚｰﾑｶｳﾝﾄ"), this, 70, 8, 76);
  effectKindHeadLabel = Caption(QStringLiteral("effectKindHeadLabel"), QStringLiteral("エフェクト種別"), this, 150, 8, 110);
  intervalHeadLabel = Caption(QStringLiteral("intervalHeadLabel"), QStringLiteral("間隔"), this, 270, 8, 50);
  orderHeadLabel = Caption(QStringLiteral("orderHeadLabel"), QStringLiteral("順序"), this, 330, 8, 80);
  frameInLabel = Caption(QStringLiteral("frameInLabel"), QStringLiteral("ﾌﾚｰﾑｲﾝ"), this, 8, 32, 60);
  frameOutLabel = Caption(QStringLiteral("frameOutLabel"), QStringLiteral("ﾌﾚｰﾑｱｳﾄ"), this, 8, 62, 60);
  holdLabel = Caption(QStringLiteral("holdLabel"), QStringLiteral("表示"), this, 8, 92, 60);
  totalLabel = Caption(QStringLiteral("totalLabel"), QStringLiteral("合計"), this, 8, 122, 60);
  holdKindLabel = Caption(QStringLiteral("holdKindLabel"), QStringLiteral("なにもしない"), this, 150, 92, 110);

  for (const Phase row : {In, Out, Hold, Total}) {
    frameCountBoxes[row] = Box(Indexed("frameCountBoxes", row), this, 70, 32 + 30 * row, 50);
    connect(frameCountBoxes[row], &QLineEdit::textChanged, this, [this] { onFrameCountChanged(); });
    if (row != Total) {
      frameCountSpins[row] = Spin(Indexed("frameCountSpins", row), this, 122, 32 + 30 * row);
      connect(frameCountSpins[row], &QScrollBar::valueChanged, this, [this, row] { onFrameCountSpin(row); });
    }
  }
  // The total is shown, not typed.
  frameCountBoxes[Total]->setReadOnly(true);
  QPalette face = frameCountBoxes[Total]->palette();
  face.setColor(QPalette::Base, ToQColor(kSysButtonFace));
  frameCountBoxes[Total]->setPalette(face);

  for (const Phase half : {In, Out}) {
    const int y = 32 + 30 * half;
    templateLists[half] = Named(new QComboBox(this), Indexed("templateLists", half));
    templateLists[half]->setGeometry(150, y, 110, 22);
    connect(templateLists[half], &QComboBox::currentIndexChanged, this, [this, half] { onTemplateChosen(half); });
    intervalBoxes[half] = Box(Indexed("intervalBoxes", half), this, 270, y, 40);
    intervalSpins[half] = Spin(Indexed("intervalSpins", half), this, 312, y);
    connect(intervalSpins[half], &QScrollBar::valueChanged, this, [this, half] { onIntervalSpin(half); });
    orderLists[half] = Named(new QComboBox(this), Indexed("orderLists", half));
    orderLists[half]->setGeometry(330, y, 80, 22);
    for (const std::string& name : GC::EffectOrderNames()) orderLists[half]->addItem(ToQ(name));
    parameterMarkLabels[half] =
        Caption(Indexed("parameterMarkLabels", half), QStringLiteral("パラメータ有⇒"), this, 416, y, 92);
    parameterMarkLabels[half]->hide();

    QGroupBox* group = Named(new QGroupBox(QStringLiteral("パラメータ"), this), Indexed("parameterGroups", half));
    parameterGroups[half] = group;
    group->setGeometry(516, 8 + 74 * half, 262, 70);
    parameterLists[half] = Named(new QComboBox(group), Indexed("parameterLists", half));
    parameterLists[half]->setGeometry(8, 18, 120, 22);
    connect(parameterLists[half], &QComboBox::currentIndexChanged, this, [this, half] { onParameterChosen(half); });
    parameterValueLabels[half] =
        Caption(Indexed("parameterValueLabels", half), QStringLiteral("値"), group, 134, 18, 20);
    parameterValueBoxes[half] = Box(Indexed("parameterValueBoxes", half), group, 156, 18, 96);
    connect(parameterValueBoxes[half], &QLineEdit::textChanged, this,
            [this, half] { onParameterValueChanged(half); });
    parameterDescriptionLabels[half] =
        Caption(Indexed("parameterDescriptionLabels", half), QString(), group, 8, 44, 246);
  }

  parametersButton = Named(new QPushButton(QStringLiteral(">>>"), this), QStringLiteral("parametersButton"));
  parametersButton->setCheckable(true);
  parametersButton->setGeometry(416, 122, 60, 24);
  connect(parametersButton, &QPushButton::toggled, this, [this] { toggleParameters(); });

  effectInfoGroup = Named(new QGroupBox(QStringLiteral("エフェクト情報"), this), QStringLiteral("effectInfoGroup"));
  effectInfoGroup->setGeometry(516, 156, 262, 76);
  templateKindLabel = Caption(QStringLiteral("templateKindLabel"), QString(), effectInfoGroup, 8, 16, 120);
  templateAuthorLabel = Caption(QStringLiteral("templateAuthorLabel"), QString(), effectInfoGroup, 130, 16, 124);
  templateCommentEdit = Named(new QPlainTextEdit(effectInfoGroup), QStringLiteral("templateCommentEdit"));
  templateCommentEdit->setGeometry(8, 38, 246, 32);
  templateCommentEdit->setReadOnly(true);

  previewButton = Named(new QPushButton(QStringLiteral("プレビュー(&P)"), this), QStringLiteral("previewButton"));
  previewButton->setGeometry(8, 200, 110, 26);
  okButton = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("okButton"));
  okButton->setGeometry(330, 200, 80, 26);
  okButton->setDefault(true);
  cancelButton = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cancelButton"));
  cancelButton->setGeometry(416, 200, 80, 26);
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  connect(previewButton, &QPushButton::clicked, this, [this] { previewEffect(); });
  RouteEscapeTo(this, cancelButton);

  resultBox = Named(new QLineEdit(this), QStringLiteral("resultBox"));
  resultBox->hide();
  // Only a mark of the wide window's right edge.
  widenedEdgeLabel = Named(new QLabel(this), QStringLiteral("widenedEdgeLabel"));
  widenedEdgeLabel->setGeometry(kWidenedWidth, 0, 1, 1);
  widenedEdgeLabel->hide();

  for (const Phase half : {In, Out}) {
    for (QWidget* w : {static_cast<QWidget*>(templateLists[half]), static_cast<QWidget*>(orderLists[half]),
                       static_cast<QWidget*>(parameterLists[half]), static_cast<QWidget*>(frameCountBoxes[half]),
                       static_cast<QWidget*>(intervalBoxes[half]), static_cast<QWidget*>(parameterValueBoxes[half])})
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
  for (const Phase half : {In, Out})
    for (int i = 0; i < templateLists[half]->count(); ++i)
      lists[half].push_back(FromQ(templateLists[half]->itemText(i)));
  state_.setParam(option, lists[In], lists[Out]);
  fillControls();
}

std::string TextEffectDialog::result() const { return FromQ(resultBox->text()); }

void TextEffectDialog::fillControls() {
  filling_ = true;
  const GC::TextEffectDialogFields& f = state_.fields();
  for (const Phase row : {In, Out, Hold}) frameCountBoxes[row]->setText(ToQ(f.frames[row]));
  for (const Phase half : {In, Out}) {
    templateLists[half]->setCurrentIndex(std::max(0, templateLists[half]->findText(ToQ(f.names[half]))));
    intervalBoxes[half]->setText(ToQ(f.intervals[half]));
    orderLists[half]->setCurrentIndex(f.orders[half]);
  }
  filling_ = false;
  onFrameCountChanged();
  // The templates are loaded (with the stored values carried over): only
  // their controls are shown.
  for (const Phase half : {In, Out}) showTemplateControls(half);
}

void TextEffectDialog::showTemplateControls(Phase h) {
  const GC::EffectTemplateInfo& t = state_.templateInfo(h);
  ShowTemplateInfo(h);
  {
    const QSignalBlocker block(parameterLists[h]);
    parameterLists[h]->clear();
    for (int32_t k = 0; k < t.count && static_cast<size_t>(k) < t.names.size(); ++k)
      parameterLists[h]->addItem(ToQ(t.names[static_cast<size_t>(k)]));
    parameterLists[h]->setCurrentIndex(-1);
  }
  {
    const QSignalBlocker block(parameterValueBoxes[h]);
    parameterValueBoxes[h]->clear();
  }
  parameterDescriptionLabels[h]->clear();
  const bool params = t.count > 0;
  parameterGroups[h]->setEnabled(params);
  for (QWidget* w : {static_cast<QWidget*>(parameterValueLabels[h]), static_cast<QWidget*>(parameterLists[h]),
                     static_cast<QWidget*>(parameterValueBoxes[h]), static_cast<QWidget*>(parameterMarkLabels[h])})
    w->setVisible(params);
}

void TextEffectDialog::readFields() {
  GC::TextEffectDialogFields& f = state_.fields();
  for (const Phase row : {In, Out, Hold}) f.frames[row] = FromQ(frameCountBoxes[row]->text());
  for (const Phase h : {In, Out}) {
    f.names[h] = FromQ(templateLists[h]->currentText());
    f.intervals[h] = FromQ(intervalBoxes[h]->text());
    f.orders[h] = orderLists[h]->currentIndex();
  }
}

void TextEffectDialog::onTemplateChosen(Phase half) {
  if (filling_) return;
  state_.chooseTemplate(half, FromQ(templateLists[half]->currentText()));
  showTemplateControls(half);
}

void TextEffectDialog::ShowTemplateInfo(int half) {
  const GC::EffectTemplateInfo& t = state_.templateInfo(half);
  templateKindLabel->setText(ToQ(GC::TemplateKindLine(half)));
  templateAuthorLabel->setText(ToQ(GC::TemplateAuthorLine(t)));
  templateCommentEdit->setPlainText(ToQ(t.comment));
}

void TextEffectDialog::onParameterChosen(Phase half) {
  const int32_t k = parameterLists[half]->currentIndex() + 1;
  const QSignalBlocker block(parameterValueBoxes[half]);
  parameterValueBoxes[half]->setText(ToQ(state_.paramText(half, k)));
  parameterDescriptionLabels[half]->setText(ToQ(state_.paramDescription(half, k)));
}

void TextEffectDialog::onParameterValueChanged(Phase half) {
  const int32_t k = parameterLists[half]->currentIndex() + 1;
  if (k >= 1) state_.setParamText(half, k, FromQ(parameterValueBoxes[half]->text()));
}

void TextEffectDialog::onFrameCountChanged() {
  if (filling_) return;
  frameCountBoxes[Total]->setText(ToQ(GC::FrameTotalText({FromQ(frameCountBoxes[In]->text()),
                                                          FromQ(frameCountBoxes[Out]->text()),
                                                          FromQ(frameCountBoxes[Hold]->text())})));
}

void TextEffectDialog::onFrameCountSpin(Phase row) {
  QScrollBar* bar = frameCountSpins[row];
  if (bar->value() == 0) return;
  QLineEdit* box = frameCountBoxes[row];
  box->setText(ToQ(GC::SpinText(FromQ(box->text()), bar->value())));
  box->setFocus();
  const QSignalBlocker block(bar);
  bar->setValue(0);
}

void TextEffectDialog::onIntervalSpin(Phase half) {
  QScrollBar* bar = intervalSpins[half];
  if (bar->value() == 0) return;
  QLineEdit* box = intervalBoxes[half];
  box->setText(ToQ(GC::SpinText(FromQ(box->text()), bar->value())));
  box->setFocus();
  const QSignalBlocker block(bar);
  bar->setValue(0);
}

void TextEffectDialog::toggleParameters() {
  // Beyond the narrow window's edge the frames are hidden, not just cut off.
  for (QWidget* w : {static_cast<QWidget*>(parameterGroups[In]), static_cast<QWidget*>(parameterGroups[Out]),
                     static_cast<QWidget*>(effectInfoGroup)})
    w->setVisible(parametersButton->isChecked());
  if (parametersButton->isChecked()) {
    setFixedSize(widenedEdgeLabel->x(), kHeight);
    parametersButton->setText(QStringLiteral("<<<"));
    KeepInsideWorkArea(this);
  } else {
    setFixedSize(collapsedWidth_, kHeight);
    parametersButton->setText(QStringLiteral(">>>"));
  }
}

void TextEffectDialog::onOk() {
  readFields();
  const GC::TextEffectSettings s = state_.readControls();
  // Counts read as 0 show 0.
  for (const Phase row : {In, Out, Hold}) frameCountBoxes[row]->setText(ToQ(state_.fields().frames[row]));
  for (const Phase h : {In, Out}) intervalBoxes[h]->setText(ToQ(state_.fields().intervals[h]));
  resultBox->setText(ToQ(GC::BuildTextEffectOption(s)));
  accept();
}

void TextEffectDialog::onCancel() {
  resultBox->setText(QString());
  reject();
}

void TextEffectDialog::previewEffect() {
  const auto path = GC::State().paths.scratch / GC::kTextEffectPreviewMovie;
  ui::Windows().unloadPreviewWindow();
  readFields();
  const GC::TextEffectSettings s = state_.readControls();
  for (const Phase row : {In, Out, Hold}) frameCountBoxes[row]->setText(ToQ(state_.fields().frames[row]));
  for (const Phase h : {In, Out}) intervalBoxes[h]->setText(ToQ(state_.fields().intervals[h]));
  if (!GC::BuildTextEffectPreview(previewItem_, s, path)) return;
  const ProjectSettings& stage = GC::State().settings;
  if (showPreview) showPreview(ToQ(path.string()), stage.width, stage.height);
}

bool TextEffectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (const Phase h : {In, Out}) {
      if (watched == templateLists[h] || watched == orderLists[h] || watched == parameterLists[h] ||
          watched == frameCountBoxes[h] || watched == intervalBoxes[h] || watched == parameterValueBoxes[h])
        ShowTemplateInfo(h);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TextEffectDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  KeepInsideWorkArea(this);
}

}  // namespace tesmiro::gui
