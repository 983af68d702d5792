#include "ui/dialogs/event_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <vector>

#include "compiler/event_preview.h"
#include "compiler/previews.h"
#include "project/build_lock.h"
#include "platform/numeric.h"
#include "project/filter_dialog_fields.h"
#include "project/filter_work_area.h"
#include "project/geometry.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "swf/swf_writer.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/common/slider_with_box.h"
#include "ui/dialogs/dialog_owner.h"
#include "ui/dialogs/filter_dialog.h"

namespace tesmiro::gui {

namespace ep = EventProperty;
namespace rules = EventDialogRules;
using rules::Ctl;

namespace {

EventDialog* gInstance = nullptr;
// Unloaded windows waiting for their deletion.
std::vector<QPointer<EventDialog>> gUnloaded;

Preferences& P() { return Prefs::Current(); }

std::string Text(const QLineEdit* box) { return FromQ(box->text()); }
int32_t LongOf(const QLineEdit* box) { return num::RoundToInt32(num::Val(Text(box))); }

void DeleteFile(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(path), ec);
}

}  // namespace

// ---- the easing curve ---------------------------------------------------------------

EasingCurve::EasingCurve(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void EasingCurve::setLines(std::vector<int32_t> lines) {
  lines_ = std::move(lines);
  update();
}

int EasingCurve::drawingWidth() const { return std::max(0, width() - 2); }

void EasingCurve::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(0, 0, width() - 1, height() - 1);
  p.setPen(Qt::black);
  const int bottom = height() - 2;
  for (int32_t x : lines_) p.drawLine(1 + x, 1, 1 + x, bottom);
}

// ---- the fields as the exchange sees them ------------------------------------------

class EventDialogFieldsAdaptor final : public ep::EventDialogFields {
 public:
  explicit EventDialogFieldsAdaptor(EventDialog& d) : d_(d) {}

  std::string text(ep::Box b) const override { return Text(d_.box(b)); }
  void setText(ep::Box b, const std::string& t) override { d_.box(b)->setText(ToQ(t)); }
  int check(ep::Tick t) const override {
    switch (t) {
      case ep::Tick::Button: return d_.buttonCheck->value();
      case ep::Tick::ButtonDown: return d_.buttonStateChecks[EventDialog::Down]->value();
      case ep::Tick::ButtonOver: return d_.buttonStateChecks[EventDialog::Over]->value();
      case ep::Tick::ButtonHit: return d_.buttonStateChecks[EventDialog::Hit]->value();
      case ep::Tick::Mask: return d_.maskCheck->value();
      case ep::Tick::SeparateVolumes: return d_.separateVolumesCheck->isChecked() ? 1 : 0;
    }
    return 2;
  }
  void setCheck(ep::Tick t, int v) override {
    switch (t) {
      case ep::Tick::Button: d_.buttonCheck->setValue(v); break;
      case ep::Tick::ButtonDown: d_.buttonStateChecks[EventDialog::Down]->setValue(v); break;
      case ep::Tick::ButtonOver: d_.buttonStateChecks[EventDialog::Over]->setValue(v); break;
      case ep::Tick::ButtonHit: d_.buttonStateChecks[EventDialog::Hit]->setValue(v); break;
      case ep::Tick::Mask: d_.maskCheck->setValue(v); break;
      case ep::Tick::SeparateVolumes: d_.separateVolumesCheck->setChecked(v == 1); break;
    }
  }
  int listIndex(ep::List l) const override { return list(l)->currentIndex(); }
  void setListIndex(ep::List l, int index) override {
    QComboBox* c = list(l);
    // A kind the list does not hold shows as no selection, which keeps it.
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
  }
  int scroll(ep::Slider s) const override { return d_.slider(s)->value(); }
  void setScroll(ep::Slider s, int v) override { d_.slider(s)->setValue(v); }
  void setShown(ep::Part p, bool shown) override { d_.part(p)->setVisible(shown); }
  void setEnabled(ep::Part p, bool enabled) override {
    // A fill while a build runs decides what the preview becomes after it.
    if (p == ep::Part::EventPreviewButton && GUICore::BuildInProgress()) {
      d_.previewAfterBuild_ = enabled;
      return;
    }
    d_.part(p)->setEnabled(enabled);
  }
  void setCaption(const std::string& caption) override { d_.setWindowTitle(ToQ(caption)); }
  void initialize() override { d_.EventDialogInitialize(); }
  void updateScrolls() override { d_.UpdateScrolls(); }
  void activate() override { d_.ActivateSub(); }

 private:
  QComboBox* list(ep::List l) const {
    switch (l) {
      case ep::List::SoundMode: return d_.soundModeList;
      case ep::List::Action: return d_.actionList;
      case ep::List::BlendMode: return d_.blendModeList;
    }
    return d_.soundModeList;
  }
  EventDialog& d_;
};

// ---- the one instance -------------------------------------------------------------------

EventDialog* EventDialog::instance() { return gInstance; }

bool EventDialog::isShownNow() { return gInstance && gInstance->isVisible(); }

EventDialog* EventDialog::load() {
  if (!gInstance) new EventDialog();
  return gInstance;
}

void EventDialog::UnloadInstance() {
  if (gInstance) gInstance->Unload();
}

void EventDialog::DestroyAll() {
  delete gInstance;
  for (QPointer<EventDialog>& d : gUnloaded) delete d.data();
  gUnloaded.clear();
}

EventDialog::EventDialog() : QDialog(nullptr), fields_(std::make_unique<EventDialogFieldsAdaptor>(*this)) {
  gInstance = this;
  setObjectName(QStringLiteral("EventDialog"));
  setWindowTitle(QString::fromUtf8(ep::kCaption));
  setFont(PanelFont(9));
  setModal(false);
  createControls();
  // The picture pane is collapsed: the window keeps its design size.
  setFixedSize(designSize_);
  connectHandlers();
  embedPicturePane();
  RouteEscapeTo(this, closeButton);
  // Loading: the selection's kind starts afresh, the scratch path is set.
  setSelectedFileKind(0);
  MakePictPreview(true, false);
  const int32_t topward = P().windowTopward;
  keepOnTopCheck->setVisible(rules::KeepOnTopOffered(topward));
  keepOnTopCheck->setChecked(rules::KeepOnTopTicked(topward));
}

EventDialog::~EventDialog() {
  if (gInstance == this) gInstance = nullptr;
}

EventProperty::EventDialogFields& EventDialog::fields() { return *fields_; }

void EventDialog::focusFirstField() {
  if (actionList->isVisibleTo(this)) actionList->setFocus();
  if (itemIdBox->isVisibleTo(this)) itemIdBox->setFocus();
}

int32_t EventDialog::SelectedFileKind() const { return ep::Current().selectedFileKind; }
void EventDialog::setSelectedFileKind(int32_t kind) { ep::Current().selectedFileKind = kind; }
// A running build or preview reads the model: the dialog stays idle as while
// it fills.
bool EventDialog::IsFilling() const { return ep::Current().filling || GUICore::BuildInProgress(); }

void EventDialog::applyVisibility(const rules::Visibility& v) {
  for (const auto& [c, shown] : v) widget(c)->setVisible(shown);
}

// ---- members the main window uses --------------------------------------------------------

void EventDialog::UpdateApplyButton() {
  // While a build runs an edit turns Apply on for afterwards, a fill off.
  if (GUICore::BuildInProgress()) applyAfterBuild_ = !ep::Current().filling;
  applyButton->setEnabled(!IsFilling());
}

void EventDialog::onBuildRunningChanged(bool running) {
  if (running) {
    applyAfterBuild_ = applyButton->isEnabled();
    previewAfterBuild_ = eventPreviewButton->isEnabled();
    applyButton->setEnabled(false);
    eventPreviewButton->setEnabled(false);
    return;
  }
  applyButton->setEnabled(applyAfterBuild_);
  eventPreviewButton->setEnabled(previewAfterBuild_);
}

void EventDialog::ActivateSub() {
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::LoadingSub() {
  unloading_ = false;
  if (pane_) pane_->fitToPane();
}

void EventDialog::MakePictPreview(bool useCache, bool keepHandles) {
  previewTempPath_ = (GUICore::GetPreviewFolder() / "_picttemp.tmp").string();
  if (pane_) pane_->MakePictPreview(useCache, keepHandles);
}

void EventDialog::SetPreviewControlsVisible(bool visible) {
  previewControls_ = visible;
  ShowPreviewPane();
}

void EventDialog::EventDialogInitialize() {
  DeleteFile(previewTempPath_);
  SWFMakeCore::ClearMovieCache();
  if (pane_) pane_->reset();
  for (QLineEdit* box : findChildren<QLineEdit*>()) {
    // An editable list's own box (the zoom) keeps its text.
    if (!qobject_cast<QComboBox*>(box->parentWidget())) box->setText(QString());
  }
  for (GreyCheckBox* c :
       {buttonCheck, buttonStateChecks[Down], buttonStateChecks[Over], buttonStateChecks[Hit], maskCheck})
    c->setValue(2);
  actionList->setCurrentIndex(-1);
  blendModeList->setCurrentIndex(-1);
  // Emptying a box moved its slider, which wrote the box again.
  for (QLineEdit* box : {drawBrightnessBox, drawOpacityBox, moveBrightnessBox, moveOpacityBox, easingBox})
    box->setText(QString());
}

void EventDialog::UpdateScrolls() {
  for (int k : {0, 1, 3, 2}) statePairs[k]->showValue();
  easingPair->showValue();
}

void EventDialog::setOwner(QWidget* owner) {
  if (parentWidget() == owner) return;
  const QPoint at = pos();
  setParent(owner, windowFlags());
  move(at);
}

void EventDialog::showOwned(QWidget* owner) {
  setOwner(owner);
  show();
  // The frame is known once shown: the whole window stays on its screen.
  KeepInsideWorkArea(this);
  raise();
  activateWindow();
}

void EventDialog::takeScript(int32_t kind, const std::string& text) {
  // Only the one event shown here takes it: with several events shown the
  // empty box keeps each its own script, and must stay empty.
  if (ep::Current().loaded != ep::Loaded::One) return;
  if (ScriptEditorModule::ModuleState().target.index != ep::SubjectRow() + 1) return;
  (kind == ScriptEditorModule::kClipAction ? clipScriptBox : secondParameterBox)->setText(ToQ(text));
}

void EventDialog::Unload() {
  if (unloading_ && gInstance != this) return;
  StorePreviewOptions();
  SaveDialogState();
  unloading_ = true;
  // The script editors no longer write into this window's boxes.
  if (isVisible()) ScriptEditorModule::ShowEventScript(ScriptEditorModule::kNoScript, "");
  DeleteFile(previewTempPath_);
  hide();
  if (gInstance == this) gInstance = nullptr;
  gUnloaded.push_back(this);
  deleteLater();
}

void EventDialog::StorePreviewOptions() {
  if (expandPaneCheck->isHidden()) return;
  P().pictEventPreview =
      (P().pictEventPreview & ~3) | (expandPaneCheck->isChecked() ? 1 : 0) | (realTimeCheck->isChecked() ? 2 : 0);
}

void EventDialog::SaveDialogState() {
  if (!isVisible()) return;
  StoreTwips(this, P().epLeft, P().epTop);
  P().windowTopward = rules::WithKeepOnTopTicked(P().windowTopward, keepOnTopCheck->isChecked());
  if (expandPaneCheck->isChecked()) storeExpandedSize();
}

void EventDialog::onActivated() {
  onKeepOnTopToggled();
  if (pane_) pane_->applyZoom();
  ActivateSub();
}

bool EventDialog::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && isVisible()) onActivated();
  return QDialog::event(e);
}

bool EventDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonPress && watched == parameterHintLabel) {
    onParameterHintPressed(static_cast<int>(static_cast<QMouseEvent*>(e)->position().y()));
  } else if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
    if (watched == drawPositionGroup) onStateGroupClicked(DrawImage);
    if (watched == moveTargetGroup) onStateGroupClicked(MoveImage);
    for (QLabel* l : {drawXLabel, drawYLabel, moveXLabel, moveYLabel}) {
      if (watched == l) onPositionCaptionClicked(l);
    }
  }
  return QDialog::eventFilter(watched, e);
}

void EventDialog::reject() { onClose(); }

void EventDialog::closeEvent(QCloseEvent* e) {
  // The title bar's close is the Close button.
  e->ignore();
  onClose();
}

// ---- change handlers ----------------------------------------------------------------------

void EventDialog::onItemIdChanged() {
  UpdateApplyButton();
  const std::string itemIdText = Text(itemIdBox);
  const int32_t kind = rules::FileKind(itemIdText, SelectedFileKind());
  const rules::KindLayout l = rules::LayoutForKind(kind, itemIdText, IsFilling(), EventListModule::Current().selCount,
                                                   GUICore::GetSWFVersion());
  if (l.previewControls) SetPreviewControlsVisible(*l.previewControls);
  // The check boxes first: their handlers show and hide frames too.
  if (l.buttonTick) buttonCheck->setValue(*l.buttonTick);
  if (l.maskTick) maskCheck->setValue(*l.maskTick);
  applyVisibility(l.visible);
  placeActionFrame(l.actionPlacement);
  if (l.frameCountLayout) onFrameCountChanged();
}

void EventDialog::onFrameCountChanged() {
  const rules::FrameCountLayout l =
      rules::LayoutForFrameCount(Text(itemIdBox), Text(frameCountBox), guideCheck->isChecked(), Text(depthBox));
  if (l.skip) return;
  fixedScreenButton->setText(QString::fromUtf8(l.fixedScreenCaption));
  depthGroup->setTitle(QString::fromUtf8(l.depthGroupCaption));
  if (l.guideTick) guideCheck->setChecked(*l.guideTick == 1);
  applyVisibility(l.visible);
  if (l.operatedImage) operatedImage_ = *l.operatedImage;
  if (l.depthText) depthBox->setText(ToQ(*l.depthText));
  onMaskToggled();
  MakePictPreview(true, false);
}

void EventDialog::onDrawPositionChanged() {
  UpdateApplyButton();
  operatedImage_ = 0;
  MakePictPreview(true, false);
}

void EventDialog::onMoveTargetChanged() {
  UpdateApplyButton();
  operatedImage_ = 1;
  MakePictPreview(true, false);
}

void EventDialog::onCentreChanged() {
  UpdateApplyButton();
  centreButton->setText(QString::fromUtf8(rules::CentreCaption(Text(centreXBox), Text(centreYBox))));
  MakePictPreview(true, false);
}

void EventDialog::onDepthChanged() {
  UpdateApplyButton();
  if (const auto clamped = rules::ClampDepthText(Text(depthBox))) depthBox->setText(ToQ(*clamped));
  onMaskToggled();
}

void EventDialog::onVolumeChanged(Side side) {
  UpdateApplyButton();
  if (!separateVolumesCheck->isChecked()) volumeBoxes[side == Left ? Right : Left]->setText(volumeBoxes[side]->text());
}

void EventDialog::onFrameCountSpin() {
  const int v = frameCountSpin->value();
  if (v == 0) return;
  frameCountBox->setText(ToQ(rules::SpinFrameCount(Text(frameCountBox), v)));
  frameCountBox->setFocus();
  frameCountSpin->setValue(0);
}

void EventDialog::onDepthSpin() {
  const int v = depthSpin->value();
  if (v == 0) return;
  depthBox->setText(ToQ(rules::SpinDepth(Text(depthBox), v)));
  depthBox->setFocus();
  depthSpin->setValue(0);
}

void EventDialog::onStateSliderMoved(int image) {
  UpdateApplyButton();
  operatedImage_ = image;
  MakePictPreview(true, false);
}

void EventDialog::onEasingChanged() {
  easingCurve->setLines(rules::EasingLines(rules::EasingFrameCount(Text(frameCountBox)), easingSlider->value(),
                                           easingCurve->drawingWidth()));
  UpdateApplyButton();
}

void EventDialog::onButtonToggled() {
  UpdateApplyButton();
  const bool shown = buttonCheck->value() != 0;
  actionGroup->setVisible(shown);
  buttonImagesGroup->setVisible(shown);
}

void EventDialog::onButtonStateToggled(ButtonState state) {
  UpdateApplyButton();
  if (buttonStateChecks[state]->value() == 1) {
    buttonStateBoxes[state]->show();
  } else {
    buttonStateBoxes[state]->hide();
    buttonStateBoxes[state]->clear();
  }
  buttonStateIdLabel->setVisible(std::any_of(buttonStateChecks.begin(), buttonStateChecks.end(),
                                             [](GreyCheckBox* c) { return c->value() == 1; }));
}

void EventDialog::onMaskToggled() {
  UpdateApplyButton();
  if (maskCheck->value() == 1) {
    maskRangeGroup->show();
    maskFromBox->setText(depthBox->text());
  } else {
    maskRangeGroup->hide();
  }
}

void EventDialog::onKeepOnTopToggled() {
  keepOnTop_.follow(rules::KeepOnTopOffered(P().windowTopward) && keepOnTopCheck->isChecked());
}

void EventDialog::dropKeepOnTop() { keepOnTop_.drop(); }

void EventDialog::onSeparateVolumesToggled() {
  if (!separateVolumesCheck->isChecked()) volumeBoxes[Right]->setText(volumeBoxes[Left]->text());
}

void EventDialog::onSoundModeChanged() {
  UpdateApplyButton();
  const int i = soundModeList->currentIndex();
  volumeGroup->setVisible(i == static_cast<int>(SoundMode::Play) || i == static_cast<int>(SoundMode::Loop));
}

void EventDialog::onActionChanged() {
  UpdateApplyButton();
  const rules::ActionLayout l =
      rules::LayoutForAction(actionList->currentIndex(), buttonCheck->value(), GUICore::State().settings.soundSync);
  if (l.refused) {
    // The refusal itself is the hint: the cleared list must not replace it.
    const QSignalBlocker quiet(actionList);
    actionList->setCurrentIndex(-1);
  }
  actionScriptButton->hide();
  firstParameterLabel->setText(QString::fromUtf8(l.firstParameterCaption));
  firstParameterLabel->setVisible(l.firstParameterCaptionShown);
  firstParameterBox->setVisible(l.firstParameterShown);
  parameterHintLabel->setText(QString::fromUtf8(l.parameterHint));
  parameterHintLabel->setVisible(l.parameterHintShown);
  secondParameterBox->setVisible(l.secondParameterShown);
  actionScriptButton->setVisible(l.scriptButtonShown);
}

void EventDialog::onBlendModeChanged() {
  UpdateApplyButton();
  MakePictPreview(true, false);
}

// ---- buttons --------------------------------------------------------------------------------

void EventDialog::applyChanges() {
  // A build reads the model: the fields stay here until it has finished.
  if (GUICore::BuildInProgress()) return;
  const bool closes = P().dispEventProperty == 0;
  QPointer<EventDialog> self(this);
  if (closes) hide();
  if (DialogOwner* owner = DialogOwner::current()) owner->applyEventDialog();
  if (closes && self) self->Unload();
}

void EventDialog::onClose() { Unload(); }

void EventDialog::toggleCentre() {
  const rules::ImageSize size = rules::GetImageSize(LongOf(itemIdBox));
  const auto [x, y] = rules::ToggleCentre(Text(centreXBox), Text(centreYBox), size.width, size.height);
  centreXBox->setText(ToQ(x));
  centreYBox->setText(ToQ(y));
  MakePictPreview(true, false);
}

void EventDialog::previewEvent() {
  EventRecord e = ZeroEvent();
  e.itemId = LongOf(itemIdBox);
  e.frameCount = LongOf(frameCountBox);
  e.startX = LongOf(drawXBox);
  e.startY = LongOf(drawYBox);
  e.endX = LongOf(moveXBox);
  e.endY = LongOf(moveYBox);
  e.startAngle = GUICore::ToSingle(num::Val(Text(drawAngleBox)));
  GUICore::ParseXYPair(Text(drawSizeBox), e.startScaleX, e.startScaleY);
  e.endAngle = GUICore::ToSingle(num::Val(Text(moveAngleBox)));
  GUICore::ParseXYPair(Text(moveSizeBox), e.endScaleX, e.endScaleY);
  e.centerX = LongOf(centreXBox);
  e.centerY = LongOf(centreYBox);
  e.startBrightness = static_cast<int16_t>(drawBrightnessSlider->value());
  e.startAlpha = static_cast<int16_t>(drawOpacitySlider->value());
  e.endBrightness = static_cast<int16_t>(moveBrightnessSlider->value());
  e.endAlpha = static_cast<int16_t>(moveOpacitySlider->value());
  e.easing = easingSlider->value();
  e.depth = 1;
  const GUICore::FilterWorkArea& work = GUICore::WorkArea();
  e.startFilters = work.states[GUICore::FilterWorkArea::kStart];
  e.endFilters = work.states[GUICore::FilterWorkArea::kEnd];
  e.blendMode = std::max(0, blendModeList->currentIndex());
  e.guideMode = work.guideMode;
  e.anchors = work.anchors;
  GUICore::RunEventPreview(e);
}

void EventDialog::copyToMoveTarget() { copyState(0); }
void EventDialog::copyToDrawPosition() { copyState(1); }

void EventDialog::copyState(int from) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  const int to = 1 - from;
  auto plain = [&] { from == 0 ? CopyDrawToMove() : CopyMoveToDraw(); };
  if (work.states[static_cast<size_t>(from)].inUse == 0) {
    plain();
    UpdateApplyButton();
    return;
  }
  QAction* chosen = Desktop().popups->exec(copyParametersMenu, Desktop().placement->cursorPos(), nullptr);
  if (chosen == copyBasicAction) {
    plain();
    UpdateApplyButton();
  } else if (chosen == copyDetailAction) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    UpdateApplyButton();
    MakePictPreview(true, false);
  } else if (chosen == copyAllAction) {
    work.states[static_cast<size_t>(to)] = work.states[static_cast<size_t>(from)];
    plain();
    UpdateApplyButton();
  }
}

// The filters of one end of the motion. The other end keeps its own
// values but always carries the same filters with the same switches.
void EventDialog::editFilters(Image image) {
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  FilterState& edited = work.states[GUICore::FilterWorkArea::kEdited];
  // A topmost dialog would hide the filter dialog it owns.
  dropKeepOnTop();
  edited = work.states[static_cast<size_t>(image)];
  if (const auto result = FilterDialog::edit(this, edited, Desktop().placement->cursorPos())) {
    edited = *result;
    GUICore::ApplyFilterResult(edited, work.states[static_cast<size_t>(image)],
                               work.states[static_cast<size_t>(image == DrawImage ? MoveImage : DrawImage)]);
    UpdateApplyButton();
  } else {
    edited.inUse = 0;
  }
  onKeepOnTopToggled();
}

void EventDialog::CopyDrawToMove() {
  moveXBox->setText(drawXBox->text());
  moveYBox->setText(drawYBox->text());
  moveAngleBox->setText(drawAngleBox->text());
  moveSizeBox->setText(drawSizeBox->text());
  moveBrightnessSlider->setValue(drawBrightnessSlider->value());
  moveOpacitySlider->setValue(drawOpacitySlider->value());
  MakePictPreview(true, false);
}

void EventDialog::CopyMoveToDraw() {
  drawXBox->setText(moveXBox->text());
  drawYBox->setText(moveYBox->text());
  drawAngleBox->setText(moveAngleBox->text());
  drawSizeBox->setText(moveSizeBox->text());
  drawBrightnessSlider->setValue(moveBrightnessSlider->value());
  drawOpacitySlider->setValue(moveOpacitySlider->value());
  MakePictPreview(true, false);
}

void EventDialog::editActionScript() {
  // A button's script runs on its events, a frame's on the frame.
  openScript(LongOf(itemIdBox) != 0 ? ScriptEditorModule::kButtonAction : ScriptEditorModule::kFrameAction,
             secondParameterBox);
}

void EventDialog::editClipScript() { openScript(ScriptEditorModule::kClipAction, clipScriptBox); }

void EventDialog::openScript(int32_t kind, const QLineEdit* box) {
  DialogOwner* owner = DialogOwner::current();
  if (owner && P().dockScriptEditor == 1) owner->showDockedScriptEditor();
  ScriptEditorModule::ShowEventScript(kind, Text(box));
}

void EventDialog::toggleFixedScreen() {
  const rules::FixedScreenToggle t = rules::ToggleFixedScreen(Text(frameCountBox), Text(depthBox));
  frameCountBox->setText(ToQ(t.frameCount));
  if (t.depthText) depthBox->setText(ToQ(*t.depthText));
}

void EventDialog::onPositionCaptionClicked(QLabel* label) {
  // Half the movie's own stage, also while a sprite is edited.
  const ProjectSettings& s = GUICore::State().settings;
  QLineEdit* box = label == drawXLabel   ? drawXBox
                   : label == drawYLabel ? drawYBox
                   : label == moveXLabel ? moveXBox
                                         : moveYBox;
  const bool horizontal = label == drawXLabel || label == moveXLabel;
  box->setText(ToQ(rules::TogglePosition(Text(box), horizontal ? s.width : s.height)));
}

void EventDialog::onParameterHintPressed(int y) {
  if (const auto text = rules::ParameterShortcut(actionList->currentIndex(), y, parameterHintLabel->height())) {
    firstParameterBox->setText(ToQ(*text));
  }
}

void EventDialog::onStateGroupClicked(Image image) {
  operatedImage_ = image;
  MakePictPreview(true, false);
}

void EventDialog::onOperatedImageChosen(Image image) {
  operatedImage_ = image;
  MakePictPreview(true, false);
}

}  // namespace tesmiro::gui
