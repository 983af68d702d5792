#include "ui/dialogs/preview_window.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "media/image/dib_section.h"
#include "media/image/jpeg_library.h"
#include "media/image/mod_png.h"
#include "platform/file_io.h"
#include "platform/ui.h"
#include "project/file_dialogs.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/dialog_owner.h"
#include "ui/dialogs/trace_window.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

constexpr int kButton = 25;
constexpr int kSliderLeft = 64;
constexpr int kCheckWidth = 40;
constexpr int kMinSlider = 40;
constexpr uint32_t kOfferTopmost = 16;  // WindowTopward: the box is offered
constexpr uint32_t kTopmostTicked = 32;  // WindowTopward: the box is ticked
const QString kPlayingTag = QStringLiteral("□");
const QString kStoppedTag = QStringLiteral("＞");

// The keep-on-top box is as wide as its caption needs, and never narrower
// than designed.
int CheckWidth(const QCheckBox* box) { return std::max(kCheckWidth, box->sizeHint().width()); }

// The two button pictures: a square while the movie plays (pressing stops
// it), a triangle while it is stopped.
QIcon ButtonPicture(bool playing) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 40));
  if (playing) {
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
  } else {
    const QPointF triangle[] = {{4, 2.5}, {13.5, 8}, {4, 13.5}};
    p.drawPolygon(triangle, 3);
  }
  return QIcon(pixmap);
}

image::Picture ToPicture(const QImage& source) {
  const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
  image::Picture picture;
  picture.width = argb.width();
  picture.height = argb.height();
  picture.bgra.resize(picture.pixelCount() * 4);
  for (int y = 0; y < argb.height(); ++y) {
    // ARGB32 words lie in memory as blue, green, red, alpha on this machine.
    std::memcpy(&picture.bgra[static_cast<size_t>(y) * static_cast<size_t>(picture.width) * 4], argb.constScanLine(y),
                static_cast<size_t>(picture.width) * 4);
  }
  return picture;
}

}  // namespace

// ---- the instance --------------------------------------------------------------

PreviewWindow* PreviewWindow::load() {
  if (!instance_) {
    // Owned by the main window, unless the keep-on-top box is offered: an
    // owned window cannot stay above the others on its own.
    const bool free = (Prefs::Current().windowTopward & kOfferTopmost) != 0;
    DialogOwner* owner = DialogOwner::current();
    auto* w = new PreviewWindow(free || !owner ? nullptr : owner->ownerWindow());
    w->onLoad();
  }
  return instance_;
}

void PreviewWindow::unload() {
  if (!instance_) return;
  PreviewWindow* w = instance_;
  w->onUnload();
  w->hide();
  instance_ = nullptr;
  // The movie stops with the window; its own handlers may be what unloads it.
  // The web player waits, hidden, for the next window while the main window
  // lives: a new page would start its wasm again, and every F5 makes a new
  // window.
  if (w->flashHost) {
    w->flashHost->release();
    DialogOwner* owner = DialogOwner::current();
    player::KeepFlashHost(w->flashHost, owner ? owner->ownerWindow() : nullptr);
  }
  w->deleteLater();
}

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  instance_ = this;
  setObjectName(QStringLiteral("PreviewWindow"));
  setWindowTitle(QStringLiteral("プレビュー"));
  // The row's controls have fixed sizes: a larger desktop font would cut them.
  setFont(PanelFont(9));
  playButton = new QToolButton(this);
  playButton->setObjectName(QStringLiteral("playButton"));
  playButton->setAutoRaise(false);
  playButton->setFocusPolicy(Qt::TabFocus);
  frameLabel = new QLabel(this);
  frameLabel->setObjectName(QStringLiteral("frameLabel"));
  frameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  frameLabel->setFont(PanelFont(9));
  frameSlider = new QScrollBar(Qt::Horizontal, this);
  frameSlider->setObjectName(QStringLiteral("frameSlider"));
  snapshotButton = new QPushButton(QStringLiteral("撮"), this);
  snapshotButton->setObjectName(QStringLiteral("snapshotButton"));
  snapshotButton->setFocusPolicy(Qt::TabFocus);
  keepOnTopCheck = new QCheckBox(QStringLiteral("前"), this);
  keepOnTopCheck->setObjectName(QStringLiteral("keepOnTopCheck"));
  keepOnTopCheck->setFocusPolicy(Qt::TabFocus);
  leftOutLabel = new QLabel(this);
  leftOutLabel->setObjectName(QStringLiteral("leftOutLabel"));
  leftOutLabel->hide();
  flashHost = player::TakeOrCreateFlashHost(this);
  flashHost->setObjectName(QStringLiteral("flashHost"));

  connect(playButton, &QToolButton::clicked, this, [this] { togglePlayback(); });
  connect(snapshotButton, &QPushButton::clicked, this, [this] { takeSnapshot(); });
  connect(keepOnTopCheck, &QCheckBox::clicked, this, [this] { onKeepOnTopToggled(); });
  connect(frameSlider, &QScrollBar::valueChanged, this, [this] {
    if (!settingSlider_) onFrameSliderChanged();
  });
  // The host reports the movie's frames as they change; the window follows
  // them as it followed its polling timer.
  connect(flashHost, &player::FlashHost::frameReported, this, [this] { onPlaybackTick(); });
  connect(flashHost, &player::FlashHost::loaded, this, [this] {
    layoutControls();
    onPlaybackTick();
  });
  connect(flashHost, &player::FlashHost::fsCommand, this,
          [this](const QString& c, const QString& a) { onFsCommand(c, a); });
  setStageSize(stageWidth_, stageHeight_);
}

PreviewWindow::~PreviewWindow() {
  if (instance_ == this) instance_ = nullptr;
}

void PreviewWindow::setStageSize(int width, int height) {
  // A stage the writer refused still gets a window that shows its controls.
  stageWidth_ = std::clamp(width, 1, 8192);
  stageHeight_ = std::clamp(height, 1, 8192);
  const int minWidth = kSliderLeft + kMinSlider + kButton + CheckWidth(keepOnTopCheck);
  const int note = leftOutLabel->isHidden() ? 0 : kRowHeight;
  setFixedSize(std::max(stageWidth_, minWidth), stageHeight_ + kRowHeight + note);
  layoutControls();
}

void PreviewWindow::showLeftOut(const QString& line) {
  leftOutLabel->setToolTip(line);  // whole; the label shows what fits
  leftOutLabel->setVisible(!line.isEmpty());
  setStageSize(stageWidth_, stageHeight_);
}

void PreviewWindow::showMovie(const QString& path) {
  showLeftOut(QString());  // a new movie's own line, if any, follows it
  flashHost->loadMovie(path);
  flashHost->play();
  setButtonPlaying(true);
  layoutControls();
}

void PreviewWindow::showModeless() {
  setWindowModality(Qt::NonModal);
  show();
  raise();
  activateWindow();
}

void PreviewWindow::showModal() {
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  QPointer<PreviewWindow> self(this);
  show();
  // Closing unloads (and so destroys) the window; hiding it also ends the wait.
  while (self && self->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

// ---- handlers -------------------------------------------------------------------

void PreviewWindow::onLoad() {
  frameSlider->setMinimum(0);
  frameSlider->setMaximum(0);
  const Preferences& p = Prefs::Current();
  PlaceFromTwips(this, p.pwLeft, p.pwTop);
  keepOnTopCheck->setVisible((p.windowTopward & kOfferTopmost) != 0);
  // Ticking the box when the window loads applies it, as a click would.
  if ((p.windowTopward & kTopmostTicked) != 0) {
    keepOnTopCheck->setChecked(true);
    onKeepOnTopToggled();
  }
  setButtonPlaying(true);
  layoutControls();
}

void PreviewWindow::layoutControls() {
  if (isMinimized()) return;
  const int w = width();
  const bool offered = (Prefs::Current().windowTopward & kOfferTopmost) != 0;
  playButton->setGeometry(0, 0, kButton, kButton);
  frameLabel->setGeometry(kButton, 0, kSliderLeft - kButton - 2, kButton);
  const int check = CheckWidth(keepOnTopCheck);
  const int slider = std::max(w - kSliderLeft - (offered ? check : 0) - kButton, 0);
  const int barHeight = std::min(frameSlider->sizeHint().height(), kButton);
  frameSlider->setGeometry(kSliderLeft, (kButton - barHeight) / 2, slider, barHeight);
  snapshotButton->setGeometry(kSliderLeft + slider, 0, kButton, kButton);
  keepOnTopCheck->setGeometry(w - check, 0, check, kButton);
  flashHost->setGeometry(0, kRowHeight, stageWidth_, stageHeight_);
  leftOutLabel->setGeometry(2, kRowHeight + stageHeight_, w - 4, kRowHeight);
  leftOutLabel->setText(leftOutLabel->fontMetrics().elidedText(leftOutLabel->toolTip(), Qt::ElideRight, w - 4));
  // The last frame is the slider's end: it counts from 0.
  const int total = flashHost->totalFrames();
  settingSlider_ = true;
  frameSlider->setMaximum(std::max(total - 1, 0));
  settingSlider_ = false;
  const bool frames = flashHost->capabilities().testFlag(player::FlashCapability::FrameReports);
  frameSlider->setEnabled(frames && flashHost->capabilities().testFlag(player::FlashCapability::Seek));
}

void PreviewWindow::onActivated() {
  if (isVisible()) onKeepOnTopToggled();
}

void PreviewWindow::onUnload() {
  if (unloading_) return;
  unloading_ = true;
  setWindowState(Qt::WindowNoState);
  if (isVisible()) {
    Preferences& p = Prefs::Current();
    StoreTwips(this, p.pwLeft, p.pwTop);
    p.windowTopward = (p.windowTopward & 223) + (keepOnTopCheck->isChecked() ? 32 : 0);
  }
}

void PreviewWindow::togglePlayback() {
  if (flashHost->isPlaying()) {
    flashHost->stop();
    setButtonPlaying(false);
  } else {
    flashHost->play();
    setButtonPlaying(true);
  }
}

void PreviewWindow::onFrameSliderChanged() {
  // While the movie plays the slider only shows where it is.
  if (flashHost->isPlaying()) return;
  flashHost->gotoFrame(frameSlider->value());
  UpdateFrameLabel();
}

void PreviewWindow::onPlaybackTick() {
  const int f = flashHost->frameNum();
  settingSlider_ = true;
  if (f > frameSlider->maximum()) frameSlider->setMaximum(f);
  if (f >= 0) frameSlider->setValue(f);
  settingSlider_ = false;
  UpdateFrameLabel();
  // The button follows a movie that stops or starts itself.
  const bool playing = flashHost->isPlaying();
  if (playing && playMark_ == kStoppedTag) {
    setButtonPlaying(true);
  } else if (!playing && playMark_ == kPlayingTag) {
    setButtonPlaying(false);
  }
  const bool frames = flashHost->capabilities().testFlag(player::FlashCapability::FrameReports);
  frameSlider->setEnabled(frames && flashHost->capabilities().testFlag(player::FlashCapability::Seek));
}

void PreviewWindow::UpdateFrameLabel() {
  const int f = flashHost->frameNum();
  // Str() of a number that is not negative: a leading blank.
  frameLabel->setText(f >= 0 ? QStringLiteral(" %1").arg(f + 1) : QString());
}

void PreviewWindow::setButtonPlaying(bool playing) {
  playButton->setIcon(ButtonPicture(playing));
  playMark_ = playing ? kPlayingTag : kStoppedTag;
  playButton->setAccessibleName(playMark_);
}

// ---- keep on top ------------------------------------------------------------------

void PreviewWindow::onKeepOnTopToggled() {
  keepOnTop_.follow((Prefs::Current().windowTopward & kOfferTopmost) != 0 && keepOnTopCheck->isChecked());
}

// ---- trace ------------------------------------------------------------------------

void PreviewWindow::onFsCommand(const QString& command, const QString& args) {
  if (command != QLatin1String("TesmiroTrace")) return;
  TraceWindow::load()->appendTrace(args);
}

// ---- snapshot ---------------------------------------------------------------------

void PreviewWindow::takeSnapshot() {
  DialogModule::FileDialogRecord r;
  static const char kFilter[] = "ﾋﾞｯﾄﾏｯﾌﾟ画像 (*.bmp)\0*.bmp\0JPEG画像 (*.jpg)\0*.jpg\0PNG画像 (*.png)\0*.png\0";
  r.filter.assign(kFilter, sizeof kFilter - 1);
  r.defaultExt = "bmp";
  const std::string project = GUICore::State().projectPath;
  if (!project.empty()) {
    r.initialDir = GUICore::GetFolderPart(project);
    if (project.size() >= 4) {
      std::string ext = project.substr(project.size() - 4);
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
      if (ext == ".tsm") r.file = project.substr(0, project.size() - 4);
    }
  } else {
    r.initialDir = FromQ(QDir::homePath());
  }
  if (!DialogModule::SaveFileDialog(r) || r.file.empty()) return;
  QCoreApplication::processEvents();
  snapshot(ToQ(r.file));
}

void PreviewWindow::snapshot(const QString& path) {
  // The format follows the name's ending; ".jpeg" is JPEG as ".jpg" is.
  const bool jpeg = path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
  const QString ending = jpeg ? QStringLiteral("jpg") : path.right(3).toLower();
  QPointer<PreviewWindow> self(this);
  if (ending == QLatin1String("png")) {
    // Alpha from two drawings, over white and over black.
    flashHost->grabPictures({0xFFFFFF, 0x000000}, [self, path](QList<QImage> shots) {
      if (!self) return;
      if (shots.size() != 2) {
        self->reportNoPicture(path);
        return;
      }
      const image::Picture white = ToPicture(shots[0]);
      const image::Picture black = ToPicture(shots[1]);
      const image::Bytes pixels = ModPNG::SnapshotPixels(white, black);
      const Result<void> saved = ModPNG::SavePNG(pixels, white.width, white.height, FromQ(path));
      if (!saved) self->reportSaveError(path, saved.message());
    });
    return;
  }
  if (ending != QLatin1String("bmp") && ending != QLatin1String("jpg")) {
    ui::Current().messages->message("エラー",
                                    "ファイル [" + FromQ(path) +
                                        "] は保存できません。保存できるのは ﾋﾞｯﾄﾏｯﾌﾟ画像 (.bmp)、"
                                        "JPEG画像 (.jpg、.jpeg)、PNG画像 (.png) です。",
                                    ui::Icon::Critical);
    return;
  }
  flashHost->grabPictures({player::kShownBackground}, [self, path, ending](QList<QImage> shots) {
    if (!self) return;
    if (shots.size() != 1) {
      self->reportNoPicture(path);
      return;
    }
    image::Bytes encoded;
    if (ending == QLatin1String("bmp")) {
      QBuffer buffer;
      buffer.open(QIODevice::WriteOnly);
      if (!QImageWriter(&buffer, "BMP").write(shots[0].convertToFormat(QImage::Format_RGB888))) {
        self->reportSaveError(path, "ﾋﾞｯﾄﾏｯﾌﾟ画像を作れませんでした。");
        return;
      }
      encoded.assign(buffer.data().begin(), buffer.data().end());
    } else {
      cDIBSection dib;
      if (!dib.CreateFromPicture(ToPicture(shots[0]))) {
        self->reportSaveError(path, "画像の大きさが扱えません。");
        return;
      }
      mIntelJPEGLibrary::EncodedJPEG jpg = mIntelJPEGLibrary::EncodeJPEG(dib, 100);
      if (!jpg.ok()) {
        self->reportSaveError(path, jpg.error->description);
        return;
      }
      encoded = std::move(jpg.data);
    }
    if (const Result<void> written = fileio::WriteAtomic(FromQ(path), encoded); !written)
      self->reportSaveError(path, written.message());
  });
}

void PreviewWindow::reportSaveError(const QString& path, const std::string& reason) {
  // The file's own write failure names it already.
  const std::string named = "ファイル [" + FromQ(path) + "] ";
  const std::string text = reason.starts_with(named) ? reason : named + "を保存できませんでした：" + reason;
  ui::Current().messages->message("エラー", text, ui::Icon::Critical);
}

void PreviewWindow::reportNoPicture(const QString& path) {
  ui::Current().messages->message(
      "エラー", "プレビューの画面を取り込めなかったため、ファイル [" + FromQ(path) + "] は保存していません。",
      ui::Icon::Critical);
}

// ---- events -------------------------------------------------------------------------

void PreviewWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (instance_ == this) {
    unload();
  } else {
    onUnload();
    deleteLater();
  }
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    unload();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PreviewWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

}  // namespace tesmiro::gui
