#include "ui/dialogs/event_dialog_picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "project/event_dialog_rules.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/event_dialog.h"

namespace tesmiro::gui {
namespace {

std::string Text(const QLineEdit* box) { return FromQ(box->text()); }

// The expanded window when no size was stored yet: room for the stage of a
// new project beside the fields.
constexpr int kFirstPaneWidth = 420;
// The tool box above the picture.
constexpr int kToolBoxHeight = 48;

}  // namespace

// ---- the adaptor -------------------------------------------------------------------------

LivePicture::PictureFields EventDialogPicture::pictureFields() const {
  LivePicture::PictureFields f;
  f.itemId = Text(d_.itemIdBox);
  f.frameCount = Text(d_.frameCountBox);
  f.drawX = Text(d_.drawXBox);
  f.drawY = Text(d_.drawYBox);
  f.moveX = Text(d_.moveXBox);
  f.moveY = Text(d_.moveYBox);
  f.drawAngle = Text(d_.drawAngleBox);
  f.drawSize = Text(d_.drawSizeBox);
  f.moveAngle = Text(d_.moveAngleBox);
  f.moveSize = Text(d_.moveSizeBox);
  f.centreX = Text(d_.centreXBox);
  f.centreY = Text(d_.centreYBox);
  f.startBrightness = d_.drawBrightnessSlider->value();
  f.startOpacity = d_.drawOpacitySlider->value();
  f.endBrightness = d_.moveBrightnessSlider->value();
  f.endOpacity = d_.moveOpacitySlider->value();
  f.blendMode = d_.blendModeList->currentIndex();
  return f;
}

int EventDialogPicture::operatedImage() const { return d_.operatedImage(); }

void EventDialogPicture::showOperatedImage(int image) {
  // The option's click handler would ask for a rebuild; only the user's
  // click runs it.
  d_.operatedImageOptions[image == EventDialog::MoveImage ? EventDialog::MoveImage : EventDialog::DrawImage]
      ->setChecked(true);
}

bool EventDialogPicture::onlyOperated() const { return d_.onlyOperatedCheck->isChecked(); }
bool EventDialogPicture::realTime() const { return d_.realTimeCheck->isChecked(); }
bool EventDialogPicture::guideEditing() const { return d_.guideCheck->isChecked(); }
bool EventDialogPicture::motionShown() const { return !d_.operatedImageOptions[EventDialog::MoveImage]->isHidden(); }
bool EventDialogPicture::isFilling() const { return d_.IsFilling(); }

void EventDialogPicture::writeBox(LivePicture::Box box, const std::string& text) {
  QLineEdit* target = nullptr;
  switch (box) {
    case LivePicture::Box::DrawX: target = d_.drawXBox; break;
    case LivePicture::Box::DrawY: target = d_.drawYBox; break;
    case LivePicture::Box::MoveX: target = d_.moveXBox; break;
    case LivePicture::Box::MoveY: target = d_.moveYBox; break;
    case LivePicture::Box::DrawAngle: target = d_.drawAngleBox; break;
    case LivePicture::Box::DrawSize: target = d_.drawSizeBox; break;
    case LivePicture::Box::MoveAngle: target = d_.moveAngleBox; break;
    case LivePicture::Box::MoveSize: target = d_.moveSizeBox; break;
    case LivePicture::Box::CentreX: target = d_.centreXBox; break;
    case LivePicture::Box::CentreY: target = d_.centreYBox; break;
  }
  if (target) target->setText(ToQ(text));
}

void EventDialogPicture::markChanged() { d_.UpdateApplyButton(); }

ProjectSettings EventDialogPicture::stageInfo() const { return EventDialogRules::StageInfo(); }

LivePicture::MaterialSize EventDialogPicture::materialSize(int32_t itemId) const {
  const EventDialogRules::ImageSize s = EventDialogRules::GetImageSize(itemId);
  return {s.width, s.height, s.refX, s.refY};
}

// ---- the pane in the dialog ---------------------------------------------------------------

void EventDialog::embedPicturePane() {
  picture_ = std::make_unique<EventDialogPicture>(*this);
  pane_ = std::make_unique<LivePicturePane>(*picture_, this, PictToolBox);
  // The zoom controls share the tool box's second row with the two options.
  PictToolBox->resize(312, kToolBoxHeight);
  pane_->zoomList->setGeometry(164, 24, 72, 20);
  pane_->actualSizeButton->setGeometry(240, 24, 34, 20);
  pane_->fitButton->setGeometry(276, 24, 34, 20);
  ShowPreviewPane();
  expandPaneCheck->show();
  expandPaneCheck->setToolTip(QString());

  connect(expandPaneCheck, &QCheckBox::clicked, this, [this] { onExpandPaneToggled(); });
  connect(onlyOperatedCheck, &QCheckBox::clicked, this, [this] {
    MakePictPreview(true, false);
    pane_->focusPicture();
  });
  connect(realTimeCheck, &QCheckBox::clicked, this, [this] {
    StorePreviewOptions();
    pane_->focusPicture();
  });
  connect(guideCheck, &QCheckBox::stateChanged, this, [this] {
    if (pane_->paneVisible()) {
      pane_->ComputeHandles();
      pane_->DrawPreview(1);
    }
    pane_->focusPicture();
  });
  connect(guideMenuButton, &QPushButton::clicked, this,
          [this] { pane_->popUpGuideMenu(guideMenuButton->mapToGlobal(QPoint(0, guideMenuButton->height()))); });
  // The scroll bars sit beyond the collapsed window's edge from the start.
  layoutPicturePane();
}

void EventDialog::restorePaneOptions() {
  const int32_t options = Prefs::Current().pictEventPreview;
  realTimeCheck->setChecked(EventDialogRules::RealTimeRedraw(options));
  if (EventDialogRules::PaneExpanded(options) != expandPaneCheck->isChecked()) {
    expandPaneCheck->setChecked(EventDialogRules::PaneExpanded(options));
    onExpandPaneToggled();
  }
}

void EventDialog::onExpandPaneToggled() {
  const QPoint at = pos();
  if (expandPaneCheck->isChecked()) {
    expandPaneCheck->setText(QStringLiteral("<"));
    setMinimumSize(designSize_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ShowPreviewPane();
    // The stored size is the frame's; the frame's edges are added back.
    const QSize frame = frameGeometry().size() - size();
    const Preferences& p = Prefs::Current();
    QSize expanded(p.epWidth > 0 ? TwipsToPixels(p.epWidth) - frame.width() : designSize_.width() + kFirstPaneWidth,
                   p.epHeight > 0 ? TwipsToPixels(p.epHeight) - frame.height() : designSize_.height());
    // A size stored on a larger screen (or a damaged settings file) still
    // gives a window that fits this one.
    if (const QScreen* sc = screen(); sc && (p.epWidth > 0 || p.epHeight > 0))
      expanded = expanded.boundedTo(sc->availableGeometry().size() - frame);
    resize(expanded.expandedTo(designSize_));
    move(at);
    if (isVisible()) KeepInsideWorkArea(this);
  } else {
    if (size() != designSize_) storeExpandedSize();
    expandPaneCheck->setText(QStringLiteral(">"));
    ShowPreviewPane();
    setFixedSize(designSize_);
    move(at);
  }
  StorePreviewOptions();
}

void EventDialog::storeExpandedSize() {
  const QSize outer = frameGeometry().size();
  Prefs::Current().epWidth = static_cast<int32_t>(PixelsToTwips(outer.width()));
  Prefs::Current().epHeight = static_cast<int32_t>(PixelsToTwips(outer.height()));
}

void EventDialog::ShowPreviewPane() {
  // Collapsed, the pane's controls lie beyond the window's edge: hidden, so
  // that the keyboard cannot reach them either.
  const bool shown = previewControls_ && expandPaneCheck->isChecked();
  PictToolBox->setVisible(shown);
  pane_->setPaneVisible(shown);
  if (expandPaneCheck->isChecked()) {
    layoutPicturePane();
    MakePictPreview(true, false);
    pane_->DrawPreview(0);
  }
}

void EventDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (pane_) layoutPicturePane();
}

void EventDialog::layoutPicturePane() {
  const int left = designSize_.width(), top = kToolBoxHeight + 8;
  pane_->layoutIn(QRect(left, top, std::max(0, width() - left), std::max(0, height() - top)));
  // The buttons keep to the bottom edge, 1.16 times their height above it.
  const int buttonTop = height() - static_cast<int>(std::lround(1.16 * applyButton->height()));
  for (QWidget* w : {static_cast<QWidget*>(applyButton), static_cast<QWidget*>(closeButton),
                     static_cast<QWidget*>(eventPreviewButton)})
    w->move(w->x(), buttonTop);
  keepOnTopCheck->move(keepOnTopCheck->x(), buttonTop + 2);
  pane_->UpdatePreviewScrollRanges();
  pane_->DrawPreview(0);
}

}  // namespace tesmiro::gui
