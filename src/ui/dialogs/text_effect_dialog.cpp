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

#include "compiler/previews.h"
#include "platform/ui.h"
#include "project/build_lock.h"
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

QString U(const char* text) { return QString::fromUtf8(text); }

// The chosen template's name: a missing one's entry carries it as its data.
std::string ChosenTemplate(const QComboBox* list) {
  const QVariant stored = list->currentData();
  return FromQ(stored.isValid() ? stored.toString() : list->currentText());
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
  std::vector<ControlRow> rows = {
      Row(frameCountHeadLabel, "frameCountHeadLabel", {}, {70, 8, 76, 20}, U("ﾌﾚｰﾑｶｳﾝﾄ")),
      Row(effectKindHeadLabel, "effectKindHeadLabel", {}, {150, 8, 110, 20}, U("エフェクト種別")),
      Row(intervalHeadLabel, "intervalHeadLabel", {}, {270, 8, 50, 20}, U("間隔")),
      Row(orderHeadLabel, "orderHeadLabel", {}, {330, 8, 80, 20}, U("順序")),
      Row(frameInLabel, "frameInLabel", {}, {8, 32, 60, 20}, U("ﾌﾚｰﾑｲﾝ")),
      Row(frameOutLabel, "frameOutLabel", {}, {8, 62, 60, 20}, U("ﾌﾚｰﾑｱｳﾄ")),
      Row(holdLabel, "holdLabel", {}, {8, 92, 60, 20}, U("表示")),
      Row(totalLabel, "totalLabel", {}, {8, 122, 60, 20}, U("合計")),
      Row(holdKindLabel, "holdKindLabel", {}, {150, 92, 110, 20}, U("なにもしない")),
  };
  for (const Phase row : {In, Out, Hold, Total}) {
    rows.push_back(Row(frameCountBoxes[row], Indexed("frameCountBoxes", row), {}, {70, 32 + 30 * row, 50, 22}));
    if (row != Total)
      rows.push_back(Row(frameCountSpins[row], Indexed("frameCountSpins", row), {}, {122, 32 + 30 * row, 16, 22}));
  }
  for (const Phase half : {In, Out}) {
    const int y = 32 + 30 * half;
    const QString group = Indexed("parameterGroups", half);
    rows.insert(rows.end(), {
        Row(templateLists[half], Indexed("templateLists", half), {}, {150, y, 110, 22}),
        Row(intervalBoxes[half], Indexed("intervalBoxes", half), {}, {270, y, 40, 22}),
        Row(intervalSpins[half], Indexed("intervalSpins", half), {}, {312, y, 16, 22}),
        Row(orderLists[half], Indexed("orderLists", half), {}, {330, y, 80, 22}),
        Row(parameterMarkLabels[half], Indexed("parameterMarkLabels", half), {}, {416, y, 92, 20}, U("パラメータ有⇒")),
        Row(parameterGroups[half], group, {}, {516, 8 + 74 * half, 262, 70}, U("パラメータ")),
        Row(parameterLists[half], Indexed("parameterLists", half), group, {8, 18, 120, 22}),
        Row(parameterValueLabels[half], Indexed("parameterValueLabels", half), group, {134, 18, 20, 20}, U("値")),
        Row(parameterValueBoxes[half], Indexed("parameterValueBoxes", half), group, {156, 18, 96, 22}),
        Row(parameterDescriptionLabels[half], Indexed("parameterDescriptionLabels", half), group, {8, 44, 246, 20}),
    });
  }
  const QString info = "effectInfoGroup";
  rows.insert(rows.end(), {
      Row(parametersButton, "parametersButton", {}, {416, 122, 60, 24}, ">>>"),
      Row(effectInfoGroup, info, {}, {516, 156, 262, 76}, U("エフェクト情報")),
      Row(templateKindLabel, "templateKindLabel", info, {8, 16, 120, 20}),
      Row(templateAuthorLabel, "templateAuthorLabel", info, {130, 16, 124, 20}),
      Row(templateCommentEdit, "templateCommentEdit", info, {8, 38, 246, 32}),
      Row(previewButton, "previewButton", {}, {8, 200, 110, 26}, U("プレビュー(&P)")),
      Row(okButton, "okButton", {}, {330, 200, 80, 26}, "OK"),
      Row(cancelButton, "cancelButton", {}, {416, 200, 80, 26}, U("キャンセル")),
  });
  PlaceControls(this, rows);

  // A spin button: a bar that rests at 0 and is clicked to -1 or 1.
  for (QScrollBar* spin : {frameCountSpins[In], frameCountSpins[Out], frameCountSpins[Hold], intervalSpins[In],
                           intervalSpins[Out]}) {
    spin->setRange(-1, 1);
    spin->setValue(0);
  }
  // The total is shown, not typed.
  frameCountBoxes[Total]->setReadOnly(true);
  QPalette face = frameCountBoxes[Total]->palette();
  face.setColor(QPalette::Base, ToQColor(kSysButtonFace));
  frameCountBoxes[Total]->setPalette(face);
  for (const Phase half : {In, Out}) {
    for (const std::string& name : GC::EffectOrderNames()) orderLists[half]->addItem(ToQ(name));
    parameterMarkLabels[half]->hide();
  }
  parametersButton->setCheckable(true);
  templateCommentEdit->setReadOnly(true);
  okButton->setDefault(true);

  for (const Phase row : {In, Out, Hold, Total}) {
    connect(frameCountBoxes[row], &QLineEdit::textChanged, this, [this] { onFrameCountChanged(); });
    if (row != Total)
      connect(frameCountSpins[row], &QScrollBar::valueChanged, this, [this, row] { onFrameCountSpin(row); });
  }
  for (const Phase half : {In, Out}) {
    connect(templateLists[half], &QComboBox::currentIndexChanged, this, [this, half] { onTemplateChosen(half); });
    connect(intervalSpins[half], &QScrollBar::valueChanged, this, [this, half] { onIntervalSpin(half); });
    connect(parameterLists[half], &QComboBox::currentIndexChanged, this, [this, half] { onParameterChosen(half); });
    connect(parameterValueBoxes[half], &QLineEdit::textChanged, this,
            [this, half] { onParameterValueChanged(half); });
  }
  connect(parametersButton, &QPushButton::toggled, this, [this] { toggleParameters(); });
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
    QComboBox* list = templateLists[half];
    for (int i = list->count() - 1; i >= 0; --i)
      if (list->itemData(i).isValid()) list->removeItem(i);
    if (const std::string& missing = state_.missingTemplate(half); !missing.empty())
      list->addItem(ToQ(GC::MissingTemplateEntry(missing)), ToQ(missing));
    const int shown = state_.missingTemplate(half).empty() ? list->findText(ToQ(f.names[half])) : list->count() - 1;
    list->setCurrentIndex(std::max(0, shown));
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
    f.names[h] = ChosenTemplate(templateLists[h]);
    f.intervals[h] = FromQ(intervalBoxes[h]->text());
    f.orders[h] = orderLists[h]->currentIndex();
  }
}

void TextEffectDialog::onTemplateChosen(Phase half) {
  if (filling_) return;
  state_.chooseTemplate(half, ChosenTemplate(templateLists[half]));
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
  if (GC::PreviewFolderMissing(GC::State().paths.scratch)) return;
  if (!GC::BuildTextEffectPreview(previewItem_, s, path)) {
    // A running build holds the writer and says so itself.
    if (!GC::BuildInProgress())
      ui::Current().messages->message("エラー", GC::PreviewWriteFailureText(path), ui::Icon::Critical);
    return;
  }
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
