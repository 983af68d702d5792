#include "ui/dialogs/live_picture_pane.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "compiler/live_picture_build.h"
#include "compiler/previews.h"
#include "platform/app_paths.h"
#include "project/filter_work_area.h"
#include "swf/swf_writer.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

using LivePicture::Scene;

constexpr const char* kStopped = "1";
constexpr const char* kPlaying = "0";
constexpr const char* kPlayCaption = "＞";
constexpr const char* kStopCaption = "■";
// How long a load may stay silent before the next picture goes anyway.
constexpr int kLoadPatienceMs = 3000;
// A build of the preview window holds the writer; ask again after this.
constexpr int kBusyRetryMs = 250;

int ShiftOf(Qt::KeyboardModifiers m) {
  int shift = 0;
  if (m & Qt::ShiftModifier) shift |= kShiftMask;
  if (m & Qt::ControlModifier) shift |= kCtrlMask;
  if (m & Qt::AltModifier) shift |= kAltMask;
  return shift;
}

// Button bits as the mouse handlers take them: 1 left, 2 right, 4 middle.
int ButtonBits(Qt::MouseButtons b) {
  int bits = 0;
  if (b & Qt::LeftButton) bits |= 1;
  if (b & Qt::RightButton) bits |= 2;
  if (b & Qt::MiddleButton) bits |= 4;
  return bits;
}

void ApplyRange(QScrollBar* bar, const LivePicture::ScrollRange& r) {
  bar->setRange(r.min, r.max);
  bar->setValue(r.value);
  bar->setEnabled(r.enabled);
}

LivePicture::ScrollRange RangeOf(const QScrollBar* bar) {
  return {bar->minimum(), bar->maximum(), bar->value(), bar->isEnabled()};
}

QPoint Q(LivePicture::PanePoint p) { return {p.x, p.y}; }

uint32_t StageColour(const ProjectSettings& stage) {
  return (uint32_t{stage.backgroundRed} << 16) | (uint32_t{stage.backgroundGreen} << 8) | stage.backgroundBlue;
}

}  // namespace

LivePicturePane::LivePicturePane(PictureDialog& dialog, QWidget* parent, QWidget* toolBox)
    : QObject(parent), dialog_(dialog) {
  PictPreview = new QWidget(parent);
  PictPreview->setObjectName(QStringLiteral("PictPreview"));
  PictPreview->setAutoFillBackground(true);
  QPalette pal = PictPreview->palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Dark));
  PictPreview->setPalette(pal);
  PictPreview->setFocusPolicy(Qt::ClickFocus);

  overlay = new PictureOverlay(*this, PictPreview);
  overlay->setObjectName(QStringLiteral("overlay"));

  playbackBar = new QWidget(PictPreview);
  playbackBar->setObjectName(QStringLiteral("playbackBar"));
  playbackBar->setAutoFillBackground(true);
  playButton = new QPushButton(ToQ(kPlayCaption), playbackBar);
  playButton->setObjectName(QStringLiteral("playButton"));
  playButton->setProperty("tag", QString::fromLatin1(kStopped));
  playButton->setGeometry(0, 0, 24, 20);
  frameSlider = new QScrollBar(Qt::Horizontal, playbackBar);
  frameSlider->setObjectName(QStringLiteral("frameSlider"));
  frameSlider->setRange(1, 1);
  frameSlider->setPageStep(10);
  frameSlider->setGeometry(26, 2, 120, 16);
  frameLabel = new QLabel(QStringLiteral("1"), playbackBar);
  frameLabel->setObjectName(QStringLiteral("frameLabel"));
  frameLabel->setGeometry(150, 0, 44, 20);
  playbackBar->resize(196, 20);
  playbackBar->hide();
  leftOutLabel = new QLabel(PictPreview);
  leftOutLabel->setObjectName(QStringLiteral("leftOutLabel"));
  leftOutLabel->setAutoFillBackground(true);
  leftOutLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  leftOutLabel->hide();

  HScrollPict = new QScrollBar(Qt::Horizontal, parent);
  HScrollPict->setObjectName(QStringLiteral("HScrollPict"));
  VScrollPict = new QScrollBar(Qt::Vertical, parent);
  VScrollPict->setObjectName(QStringLiteral("VScrollPict"));
  for (QScrollBar* bar : {HScrollPict, VScrollPict}) {
    bar->setRange(0, 0);
    bar->setSingleStep(8);
    bar->setPageStep(64);
    bar->setEnabled(false);
  }
  // The corner between the scroll bars holds the box alone; its caption
  // is its tip.
  movieUnderneathCheck = new QCheckBox(parent);
  movieUnderneathCheck->setObjectName(QStringLiteral("movieUnderneathCheck"));
  movieUnderneathCheck->setToolTip(ToQ("下"));
  movieUnderneathCheck->setAccessibleName(movieUnderneathCheck->toolTip());

  zoomList = new QComboBox(toolBox);
  zoomList->setObjectName(QStringLiteral("zoomList"));
  zoomList->setEditable(true);
  zoomList->setInsertPolicy(QComboBox::NoInsert);
  for (const char* z : {"25%", "33%", "50%", "66%", "75%", "100%", "150%", "200%", "300%", "400%"})
    zoomList->addItem(z);
  zoomList->setEditText(QStringLiteral("100%"));
  actualSizeButton = new QPushButton(ToQ("原寸"), toolBox);
  actualSizeButton->setObjectName(QStringLiteral("actualSizeButton"));
  fitButton = new QPushButton(ToQ("全体"), toolBox);
  fitButton->setObjectName(QStringLiteral("fitButton"));

  guideMenu = new QMenu(ToQ("ガイドメニュー"), parent);
  guideMenu->setObjectName(QStringLiteral("guideMenu"));
  showAnchorPositionsAction = guideMenu->addAction(ToQ("アンカーの座標を表示(&P)"));
  showAnchorPositionsAction->setObjectName(QStringLiteral("showAnchorPositionsAction"));
  curvedGuideAction = guideMenu->addAction(ToQ("ガイドを曲線にする(&C)"));
  curvedGuideAction->setObjectName(QStringLiteral("curvedGuideAction"));
  clearAnchorsAction = guideMenu->addAction(ToQ("アンカーを全て削除(&D)"));
  clearAnchorsAction->setObjectName(QStringLiteral("clearAnchorsAction"));
  showAnchorPositionsAction->setCheckable(true);
  curvedGuideAction->setCheckable(true);

  playbackTimer.setObjectName(QStringLiteral("playbackTimer"));
  connect(&playbackTimer, &QTimer::timeout, this, &LivePicturePane::onPlaybackTick);
  writeSoon_.setSingleShot(true);
  connect(&writeSoon_, &QTimer::timeout, this, &LivePicturePane::writePicture);
  loadWatch_.setSingleShot(true);
  connect(&loadWatch_, &QTimer::timeout, this, &LivePicturePane::pictureArrived);
  busyRetry_.setSingleShot(true);
  connect(&busyRetry_, &QTimer::timeout, this, &LivePicturePane::writePicture);

  connect(HScrollPict, &QScrollBar::valueChanged, this, [this] { DrawPreview(1); });
  connect(VScrollPict, &QScrollBar::valueChanged, this, [this] { DrawPreview(1); });
  connect(frameSlider, &QScrollBar::valueChanged, this, &LivePicturePane::onFrameSliderChanged);
  connect(playButton, &QPushButton::clicked, this, &LivePicturePane::togglePlayback);
  connect(movieUnderneathCheck, &QCheckBox::clicked, this, &LivePicturePane::onMovieUnderneathToggled);
  connect(zoomList, qOverload<int>(&QComboBox::activated), this, &LivePicturePane::applyZoom);
  connect(zoomList->lineEdit(), &QLineEdit::returnPressed, this, &LivePicturePane::applyZoom);
  connect(actualSizeButton, &QPushButton::clicked, this, &LivePicturePane::zoomToActualSize);
  connect(fitButton, &QPushButton::clicked, this, &LivePicturePane::fitToPane);

  previewTempPath_ = (GUICore::GetPreviewFolder() / LivePicture::kPictureFile).string();
}

LivePicturePane::~LivePicturePane() = default;

player::FlashHost* LivePicturePane::ensureHost() {
  // A web player is made the first time the pane shows: a dialog whose pane
  // stays collapsed starts none.
  if (flashHost) return flashHost;
  flashHost = player::CreateFlashHost(PictPreview);
  flashHost->setObjectName(QStringLiteral("flashHost"));
  // The overlay takes every press; the player itself never sees the mouse.
  flashHost->setAttribute(Qt::WA_TransparentForMouseEvents);
  flashHost->setGeometry(0, 0, 0, 0);
  flashHost->show();
  overlay->raise();
  playbackBar->raise();
  connect(flashHost, &player::FlashHost::loaded, this, [this](int) {
    ++loaded_;
    pictureArrived();
    emit pictureLoaded();
  });
  connect(flashHost, &player::FlashHost::loadFailed, this, [this](const QString&) { pictureArrived(); });
  return flashHost;
}

void LivePicturePane::replaceFailedHost() {
  // A player whose start failed fails every picture after it; a new one
  // may start (the window's files may have come meanwhile).
  delete flashHost;
  flashHost = nullptr;
  ensureHost()->setBackgroundColor(StageColour(dialog_.stageInfo()));
  DrawPreview(1);
}

// ---- rebuilding ----------------------------------------------------------------

void LivePicturePane::MakePictPreview(bool useCache, bool keepHandles) {
  previewTempPath_ = (GUICore::GetPreviewFolder() / LivePicture::kPictureFile).string();
  if (!paneVisible() || guard_ || dialog_.isFilling()) return;
  guard_ = true;
  const int op = dialog_.operatedImage();
  const GUICore::FilterWorkArea& area = GUICore::WorkArea();
  const LivePicture::PreviewRecords records =
      LivePicture::BuildPreviewRecords(dialog_.pictureFields(), area.states[GUICore::FilterWorkArea::kStart],
                                       area.states[GUICore::FilterWorkArea::kEnd], op, dialog_.onlyOperated());
  editor_.operated = LivePicture::OperatedRecord(records, op);
  if (!keepHandles) ComputeHandles();
  const ProjectSettings stage = dialog_.stageInfo();
  ensureHost()->setBackgroundColor(StageColour(stage));
  timerInterval_ = LivePicture::TimerInterval(
      LivePicture::PictureMoves(editor_.operated, movieUnderneathCheck->isChecked()), stage.frameRate);
  setTimerEnabled(timerEnabled_);
  // The movie follows when the player is ready for it, with the fields as
  // they are then.
  pending_ = true;
  pendingUseCache_ = pendingUseCache_ && useCache;
  if (!loading_) writeSoon_.start(0);
  dialog_.showOperatedImage(op);
  guard_ = false;
  DrawPreview(1);
}

void LivePicturePane::writePicture() {
  if (!pending_) return;
  pending_ = false;
  if (!paneVisible() || dialog_.isFilling()) return;  // the next rebuild writes it
  if (ensureHost()->startFailed()) replaceFailedHost();
  const GUICore::FilterWorkArea& area = GUICore::WorkArea();
  LivePicture::BuildRequest r;
  r.fields = dialog_.pictureFields();
  r.startFilters = area.states[GUICore::FilterWorkArea::kStart];
  r.endFilters = area.states[GUICore::FilterWorkArea::kEnd];
  r.operatedImage = dialog_.operatedImage();
  r.onlyOperated = dialog_.onlyOperated();
  r.withMovie = movieUnderneathCheck->isChecked();
  r.playing = playing();
  r.frame = frameSlider->value();
  r.useCache = pendingUseCache_;
  r.stage = dialog_.stageInfo();
  r.path = previewTempPath_;
  pendingUseCache_ = true;
  const LivePicture::BuildOutcome out = LivePicture::BuildLivePicture(r);
  if (out.status == LivePicture::BuildStatus::Changed || out.status == LivePicture::BuildStatus::Unchanged) {
    leftOutLabel->setToolTip(ToQ(out.leftOut));  // whole; the label shows what fits
    fitLeftOutLine();
    leftOutLabel->setVisible(!out.leftOut.empty());
    leftOutLabel->raise();
  }
  switch (out.status) {
    case LivePicture::BuildStatus::Busy:
      pending_ = true;
      pendingUseCache_ = r.useCache;
      busyRetry_.start(kBusyRetryMs);
      return;
    case LivePicture::BuildStatus::Failed:
      // The last picture would look current: the stage says why there is
      // none until one is written again.
      flashHost->release();
      flashHost->showFailure(GUICore::GetPreviewFolder() == AppPaths::kNoScratch
                                 ? ToQ(AppPaths::kNoScratchText)
                                 : ToQ(GUICore::PreviewWriteFailureText(previewTempPath_)));
      return;
    case LivePicture::BuildStatus::Unchanged:
      if (QFileInfo(flashHost->moviePath()) == QFileInfo(QString::fromStdString(previewTempPath_))) return;
      break;
    case LivePicture::BuildStatus::Changed:
      break;
  }
  ++written_;
  loading_ = true;
  loadWatch_.start(kLoadPatienceMs);
  flashHost->loadMovie(QString::fromStdString(previewTempPath_));
}

void LivePicturePane::pictureArrived() {
  loading_ = false;
  loadWatch_.stop();
  if (pending_) writeSoon_.start(0);
}

void LivePicturePane::reset() {
  std::error_code ec;
  if (!previewTempPath_.empty()) std::filesystem::remove(previewTempPath_, ec);
  SWFMakeCore::ClearMovieCache();
  editor_.Reset();
  pendingUseCache_ = false;
}

void LivePicturePane::ComputeHandles() {
  const LivePicture::PictureFields f = dialog_.pictureFields();
  const GUICore::FilterWorkArea& area = GUICore::WorkArea();
  LivePicture::HandleSource s;
  s.paneVisible = paneVisible();
  s.itemId = f.itemId;
  s.guideEditing = dialog_.guideEditing();
  s.motion = dialog_.motionShown();
  s.guideMode = area.guideMode;
  s.anchors = area.anchors;
  s.drawX = f.drawX;
  s.drawY = f.drawY;
  s.moveX = f.moveX;
  s.moveY = f.moveY;
  editor_.ComputeHandles(s, sizes());
}

LivePicture::MaterialSizeFn LivePicturePane::sizes() const {
  return [this](int32_t id) { return dialog_.materialSize(id); };
}

void LivePicturePane::applyFieldWrites(const LivePicture::FieldWrites& writes) {
  GUICore::FilterWorkArea& area = GUICore::WorkArea();
  if (writes.guideMode) area.guideMode = *writes.guideMode;
  if (writes.anchors) area.anchors = *writes.anchors;
  guard_ = true;
  for (const auto& [box, text] : writes.texts) dialog_.writeBox(box, text);
  guard_ = false;
}

// ---- painting and the view ----------------------------------------------------

LivePicture::PaneView LivePicturePane::paneView() const {
  const ProjectSettings stage = dialog_.stageInfo();
  LivePicture::PaneView v;
  // Another timeline's stage may be larger than the one the zoom was chosen
  // for: the view stays within its limit all the same.
  v.zoom = LivePicture::ClampZoom(zoom_, stage.width, stage.height);
  v.stageWidth = stage.width;
  v.stageHeight = stage.height;
  v.paneWidth = PictPreview->width();
  v.paneHeight = PictPreview->height();
  v.hScroll = HScrollPict->value();
  v.vScroll = VScrollPict->value();
  return v;
}

LivePicture::TwipPoint LivePicturePane::PosScrToTwip(double x, double y) const {
  return LivePicture::PosScrToTwip(paneView(), x, y);
}

LivePicture::PanePoint LivePicturePane::PosTwipToScr(double tx, double ty) const {
  return LivePicture::PosTwipToScr(paneView(), tx, ty);
}

void LivePicturePane::DrawPreview(int mode) {
  (void)mode;  // the player paints the stage, the pane's background the rest
  if (!paneVisible()) return;
  ensureHost();
  const LivePicture::PaneView view = paneView();
  const LivePicture::StageRect r = LivePicture::StagePlacement(view);
  const QRect place(r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
  if (flashHost->geometry() != place) flashHost->setGeometry(place);
  scene_ = editor_.DrawGuideAndHandles(view, true, dialog_.guideEditing(), dialog_.motionShown(),
                                       GUICore::WorkArea().guideMode, showAnchorPositionsAction->isChecked());
  overlay->raise();
  playbackBar->raise();
  overlay->update();
}

void LivePicturePane::UpdatePreviewScrollRanges() {
  if (!paneVisible()) return;
  LivePicture::ScrollRange h = RangeOf(HScrollPict), v = RangeOf(VScrollPict);
  if (!LivePicture::UpdatePreviewScrollRanges(paneView(), h, v)) return;
  ApplyRange(HScrollPict, h);
  ApplyRange(VScrollPict, v);
}

void LivePicturePane::layoutIn(const QRect& area) {
  const int sb = PictPreview->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int w = std::max(0, area.width() - sb), h = std::max(0, area.height() - sb);
  PictPreview->setGeometry(area.x(), area.y(), w, h);
  overlay->setGeometry(0, 0, w, h);
  HScrollPict->setGeometry(area.x(), area.y() + h, w, sb);
  VScrollPict->setGeometry(area.x() + w, area.y(), sb, h);
  movieUnderneathCheck->setGeometry(area.x() + w, area.y() + h, sb, sb);
  playbackBar->move(std::max(0, w - playbackBar->width()), std::max(0, h - playbackBar->height()));
  leftOutLabel->setGeometry(0, 0, w, 18);
  fitLeftOutLine();
  HScrollPict->setPageStep(std::max(1, w));
  VScrollPict->setPageStep(std::max(1, h));
}

void LivePicturePane::fitLeftOutLine() {
  leftOutLabel->setText(
      leftOutLabel->fontMetrics().elidedText(leftOutLabel->toolTip(), Qt::ElideRight, leftOutLabel->width()));
}

void LivePicturePane::setPaneVisible(bool visible) {
  for (QWidget* w : {PictPreview, static_cast<QWidget*>(HScrollPict), static_cast<QWidget*>(VScrollPict),
                     static_cast<QWidget*>(movieUnderneathCheck)})
    w->setVisible(visible);
  playbackBar->setVisible(visible && movieUnderneathCheck->isChecked());
}

bool LivePicturePane::paneVisible() const { return !PictPreview->isHidden(); }

void LivePicturePane::focusPicture() {
  if (paneVisible()) overlay->setFocus(Qt::OtherFocusReason);
}

// ---- zoom, playback, guide menu ---------------------------------------------------

void LivePicturePane::applyZoom() {
  const ProjectSettings stage = dialog_.stageInfo();
  const LivePicture::ZoomChoice c =
      LivePicture::ZoomFromText(FromQ(zoomList->currentText()), stage.width, stage.height);
  zoom_ = c.zoom;
  zoomList->setEditText(ToQ(c.text));
  UpdatePreviewScrollRanges();
  DrawPreview(0);
}

void LivePicturePane::zoomToActualSize() {
  zoomList->setEditText(QStringLiteral("100%"));
  applyZoom();
  if (zoomList->parentWidget() && !zoomList->parentWidget()->isHidden()) zoomList->parentWidget()->setFocus();
}

void LivePicturePane::fitToPane() {
  const ProjectSettings stage = dialog_.stageInfo();
  const auto text = LivePicture::FitZoomText(PictPreview->width(), PictPreview->height(), stage.width, stage.height);
  if (text) {
    zoomList->setEditText(ToQ(*text));
    applyZoom();
  }
  if (zoomList->parentWidget() && !zoomList->parentWidget()->isHidden()) zoomList->parentWidget()->setFocus();
}

bool LivePicturePane::playing() const { return playButton->property("tag").toString() == QLatin1String(kPlaying); }

void LivePicturePane::togglePlayback() {
  if (!playing()) {
    playButton->setProperty("tag", QString::fromLatin1(kPlaying));
    playButton->setText(ToQ(kStopCaption));
    // A picture that is the same playing or stopped (a SWF 4 one carries no
    // frame of its own) is not loaded again: the movie underneath, held at
    // the readout's frame, is told to go on from there.
    if (flashHost && movieUnderneathCheck->isChecked()) flashHost->play();
  } else {
    playButton->setProperty("tag", QString::fromLatin1(kStopped));
    playButton->setText(ToQ(kPlayCaption));
  }
  MakePictPreview(true, false);
  focusPicture();
}

void LivePicturePane::onFrameSliderChanged() {
  frameLabel->setText(QString::number(frameSlider->value()));
  if (!playing()) {
    MakePictPreview(true, false);
    focusPicture();
  }
}

void LivePicturePane::onMovieUnderneathToggled() {
  playbackBar->setVisible(movieUnderneathCheck->isChecked() && paneVisible());
  MakePictPreview(true, false);
  focusPicture();
}

void LivePicturePane::popUpGuideMenu(const QPoint& globalPos) {
  curvedGuideAction->setChecked(GUICore::WorkArea().guideMode == 2);
  const bool showing = showAnchorPositionsAction->isChecked();
  const bool curve = curvedGuideAction->isChecked();
  // A real menu toggles a checkable entry itself, a test's double does
  // not: the states are set from what they were before.
  QAction* chosen = Desktop().popups->exec(guideMenu, globalPos, nullptr);
  showAnchorPositionsAction->setChecked(showing);
  curvedGuideAction->setChecked(curve);
  if (chosen == showAnchorPositionsAction && paneVisible()) {
    showAnchorPositionsAction->setChecked(!showing);
    DrawPreview(1);
    focusPicture();
  } else if (chosen == curvedGuideAction && paneVisible()) {
    curvedGuideAction->setChecked(!curve);
    GUICore::WorkArea().guideMode = curve ? 1 : 2;
    dialog_.markChanged();
    DrawPreview(1);
    focusPicture();
  } else if (chosen == clearAnchorsAction) {
    if (!editor_.ClearAnchors()) return;
    applyFieldWrites(editor_.ApplyDragToFields(dialog_.guideEditing(), dialog_.operatedImage(),
                                               GUICore::WorkArea().guideMode, sizes()));
    DrawPreview(1);
    focusPicture();
    dialog_.markChanged();
  }
}

void LivePicturePane::setTimerEnabled(bool enabled) {
  timerEnabled_ = enabled;
  if (enabled && timerInterval_ > 0) {
    if (!playbackTimer.isActive() || playbackTimer.interval() != timerInterval_) playbackTimer.start(timerInterval_);
  } else {
    playbackTimer.stop();
  }
}

void LivePicturePane::onPlaybackTick() {
  DrawPreview(1);
  if (!flashHost || !movieUnderneathCheck->isChecked()) return;
  if (!playing()) {
    holdUnderneath();
    return;
  }
  const int total = flashHost->capabilities().testFlag(player::FlashCapability::FrameReports)
                        ? flashHost->totalFrames()
                        : 0;
  if (total != 0) {
    if (!frameSlider->isEnabled()) frameSlider->setEnabled(true);
    if (frameSlider->maximum() != total) frameSlider->setMaximum(total);
    frameSlider->setValue(flashHost->frameNum() + 1);
  } else if (frameSlider->isEnabled()) {
    frameSlider->setEnabled(false);
    frameSlider->setValue(1);
  }
}

void LivePicturePane::holdUnderneath() {
  // The picture asks the movie underneath to stop at the chosen frame once
  // it has loaded, which a player may miss (and a SWF 4 picture cannot
  // ask): the reporter takes it there.
  const player::FlashCapabilities caps = flashHost->capabilities();
  if (!caps.testFlag(player::FlashCapability::Seek) || !caps.testFlag(player::FlashCapability::FrameReports)) return;
  const int frame = flashHost->frameNum();
  if (loading_ || frame < 0 || flashHost->totalFrames() < 1) return;
  const int wanted = std::min(frameSlider->value(), flashHost->totalFrames());
  if (frame + 1 != wanted || flashHost->isPlaying()) flashHost->gotoFrame(wanted - 1);
}

// ---- the mouse ---------------------------------------------------------------------

void LivePicturePane::onPictureMouseDown(int button, int shift, int x, int y) {
  (void)button;
  const LivePicture::TwipPoint m = PosScrToTwip(x, y);
  // A press that no move came before finds its point here.
  if (!editor_.mouseDown()) editor_.Hover(m, paneView().zoom);
  editor_.Press(m, dialog_.guideEditing(), shift);
  setTimerEnabled(false);
}

void LivePicturePane::onPictureMouseMove(int buttons, int shift, int x, int y) {
  const LivePicture::TwipPoint m = PosScrToTwip(x, y);
  if (!editor_.mouseDown()) {
    const int before = editor_.hover();
    const int hover = editor_.Hover(m, paneView().zoom);
    overlay->setCursor(hover > 0 ? Qt::SizeAllCursor : Qt::ArrowCursor);
    // The coordinates follow the point under the pointer.
    if (hover != before && showAnchorPositionsAction->isChecked()) DrawPreview(1);
    return;
  }
  if (!editor_.DragTo(m, dialog_.guideEditing(), (buttons & 2) != 0, shift)) return;
  if (dialog_.realTime()) {
    applyFieldWrites(editor_.ApplyDragToFields(dialog_.guideEditing(), dialog_.operatedImage(),
                                               GUICore::WorkArea().guideMode, sizes()));
    MakePictPreview(true, true);
  }
  DrawPreview(1);
  setTimerEnabled(false);
}

void LivePicturePane::onPictureMouseUp(int button, int shift, int x, int y) {
  if (editor_.mouseDown()) dialog_.markChanged();
  setTimerEnabled(true);
  const LivePicture::TwipPoint m = PosScrToTwip(x, y);
  editor_.Release(m, dialog_.guideEditing(), button == 2, shift);
  applyFieldWrites(editor_.ApplyDragToFields(dialog_.guideEditing(), dialog_.operatedImage(),
                                             GUICore::WorkArea().guideMode, sizes()));
  MakePictPreview(true, false);
  DrawPreview(0);
}

void LivePicturePane::onPictureDoubleClick() { MakePictPreview(false, false); }

// ---- the overlay ---------------------------------------------------------------------

PictureOverlay::PictureOverlay(LivePicturePane& pane, QWidget* parent) : QWidget(parent), pane_(pane) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void PictureOverlay::paintEvent(QPaintEvent*) {
  const Scene& s = pane_.scene();
  QPainter p(this);
  // Black over a white halo reads on every picture.
  const QPen halo(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  for (const Scene::Line& l : s.lines) {
    p.setPen(halo);
    p.drawLine(Q(l.from), Q(l.to));
  }
  QPainterPath curve;
  if (s.bezier.size() >= 4) {
    curve.moveTo(Q(s.bezier[0]));
    for (size_t j = 0; j + 3 < s.bezier.size(); j += 3)
      curve.cubicTo(Q(s.bezier[j + 1]), Q(s.bezier[j + 2]), Q(s.bezier[j + 3]));
    p.setPen(halo);
    p.drawPath(curve);
  }
  for (const Scene::Line& l : s.lines) {
    p.setPen(QPen(Qt::black, 1, l.dotted ? Qt::DotLine : Qt::SolidLine));
    p.drawLine(Q(l.from), Q(l.to));
  }
  if (!curve.isEmpty()) {
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(curve);
  }
  p.setPen(Qt::NoPen);
  for (const LivePicture::PanePoint& a : s.anchors) {
    const int r = LivePicture::kAnchorRadius;
    p.setBrush(Qt::white);
    p.drawEllipse(Q(a), r + 1, r + 1);
    p.setBrush(ToQColor(LivePicture::kAnchorColor));
    p.drawEllipse(Q(a), r, r);
  }
  for (const Scene::Box& b : s.handles) {
    const QRect box(QPoint(b.left, b.top), QPoint(b.right, b.bottom));
    p.fillRect(box.adjusted(-1, -1, 1, 1), Qt::white);
    p.fillRect(box, Qt::black);
  }
  if (s.label) {
    const Scene::Box& b = s.label->box;
    p.fillRect(QRect(QPoint(b.left, b.top), QPoint(b.right, b.bottom)), ToQColor(LivePicture::kLabelColor));
    p.setPen(Qt::black);
    p.setFont(PanelFont(8));
    const QFontMetrics fm(p.font());
    const QPoint o = Q(s.label->origin);
    p.drawText(o.x(), o.y() + fm.ascent(), ToQ(s.label->xLine));
    p.drawText(o.x(), o.y() + fm.ascent() + fm.height(), ToQ(s.label->yLine));
  }
}

void PictureOverlay::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  pane_.onPictureMouseDown(ButtonBits(e->button()), ShiftOf(e->modifiers()), at.x(), at.y());
}

void PictureOverlay::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  pane_.onPictureMouseMove(ButtonBits(e->buttons()), ShiftOf(e->modifiers()), at.x(), at.y());
}

void PictureOverlay::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  pane_.onPictureMouseUp(ButtonBits(e->button()), ShiftOf(e->modifiers()), at.x(), at.y());
}

void PictureOverlay::mouseDoubleClickEvent(QMouseEvent*) {
  // A double click stands in for the second press: the rebuild starts afresh.
  pane_.onPictureDoubleClick();
}

}  // namespace tesmiro::gui
