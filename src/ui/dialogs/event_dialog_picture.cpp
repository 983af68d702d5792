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
  f.text1 = Text(d_.Text1);
  f.text2 = Text(d_.Text2);
  f.text3 = Text(d_.Text3);
  f.text4 = Text(d_.Text4);
  f.text5 = Text(d_.Text5);
  f.text6 = Text(d_.Text6);
  f.text7 = Text(d_.Text7);
  f.text8 = Text(d_.Text8);
  f.text9 = Text(d_.Text9);
  f.text10 = Text(d_.Text10);
  f.text11 = Text(d_.Text11);
  f.text12 = Text(d_.Text12);
  f.startBrightness = d_.HScroll1->value();
  f.startOpacity = d_.HScroll2->value();
  f.endBrightness = d_.HScroll4->value();
  f.endOpacity = d_.HScroll3->value();
  f.blendMode = d_.Combo4->currentIndex();
  return f;
}

int EventDialogPicture::operatedImage() const { return d_.operatedImage(); }

void EventDialogPicture::showOperatedImage(int image) {
  // The option's click handler would ask for a rebuild; only the user's
  // click runs it.
  d_.Option1[image == 1 ? 1 : 0]->setChecked(true);
}

bool EventDialogPicture::onlyOperated() const { return d_.Check4->isChecked(); }
bool EventDialogPicture::realTime() const { return d_.Check6->isChecked(); }
bool EventDialogPicture::guideEditing() const { return d_.Check9->isChecked(); }
bool EventDialogPicture::motionShown() const { return !d_.Option1[1]->isHidden(); }
bool EventDialogPicture::isFilling() const { return d_.IsFilling(); }

void EventDialogPicture::writeBox(LivePicture::Box box, const std::string& text) {
  QLineEdit* target = nullptr;
  switch (box) {
    case LivePicture::Box::Text3: target = d_.Text3; break;
    case LivePicture::Box::Text4: target = d_.Text4; break;
    case LivePicture::Box::Text5: target = d_.Text5; break;
    case LivePicture::Box::Text6: target = d_.Text6; break;
    case LivePicture::Box::Text7: target = d_.Text7; break;
    case LivePicture::Box::Text8: target = d_.Text8; break;
    case LivePicture::Box::Text9: target = d_.Text9; break;
    case LivePicture::Box::Text10: target = d_.Text10; break;
    case LivePicture::Box::Text11: target = d_.Text11; break;
    case LivePicture::Box::Text12: target = d_.Text12; break;
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
  pane_->Combo3->setGeometry(164, 24, 72, 20);
  pane_->Command11->setGeometry(240, 24, 34, 20);
  pane_->Command12->setGeometry(276, 24, 34, 20);
  ShowPreviewPane();
  Check5->show();
  Check5->setToolTip(QString());

  connect(Check5, &QCheckBox::clicked, this, [this] { Check5_Click(); });
  connect(Check4, &QCheckBox::clicked, this, [this] {
    MakePictPreview(true, false);
    pane_->focusPicture();
  });
  connect(Check6, &QCheckBox::clicked, this, [this] {
    StorePreviewOptions();
    pane_->focusPicture();
  });
  connect(Check9, &QCheckBox::stateChanged, this, [this] {
    if (pane_->paneVisible()) {
      pane_->ComputeHandles();
      pane_->DrawPreview(1);
    }
    pane_->focusPicture();
  });
  connect(Command13, &QPushButton::clicked, this,
          [this] { pane_->Command13_Click(Command13->mapToGlobal(QPoint(0, Command13->height()))); });
  // The scroll bars sit beyond the collapsed window's edge from the start.
  layoutPicturePane();
}

void EventDialog::restorePaneOptions() {
  const int32_t options = Prefs::Current().pictEventPreview;
  Check6->setChecked(EventDialogRules::RealTimeRedraw(options));
  if (EventDialogRules::PaneExpanded(options) != Check5->isChecked()) {
    Check5->setChecked(EventDialogRules::PaneExpanded(options));
    Check5_Click();
  }
}

void EventDialog::Check5_Click() {
  const QPoint at = pos();
  if (Check5->isChecked()) {
    Check5->setText(QStringLiteral("<"));
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
    Check5->setText(QStringLiteral(">"));
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
  const bool shown = previewControls_ && Check5->isChecked();
  PictToolBox->setVisible(shown);
  pane_->setPaneVisible(shown);
  if (Check5->isChecked()) {
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
  const int buttonTop = height() - static_cast<int>(std::lround(1.16 * Command1->height()));
  for (QWidget* w : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2),
                     static_cast<QWidget*>(Command4)})
    w->move(w->x(), buttonTop);
  Check7->move(Check7->x(), buttonTop + 2);
  pane_->UpdatePreviewScrollRanges();
  pane_->DrawPreview(0);
}

}  // namespace tesmiro::gui
