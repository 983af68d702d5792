#include "ui/dialogs/preview_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "media/image/dib_section.h"
#include "media/image/jpeg_library.h"
#include "media/image/mod_png.h"
#include "platform/ui.h"
#include "project/file_dialogs.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/trace_window.h"
#include "ui/main/main_gui.h"
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
    auto* w = new PreviewWindow(free ? nullptr : MainGUI::instance());
    w->Form_Load();
  }
  return instance_;
}

void PreviewWindow::unload() {
  if (!instance_) return;
  PreviewWindow* w = instance_;
  w->Form_Unload();
  w->hide();
  instance_ = nullptr;
  // The movie stops with the window; its own handlers may be what unloads it.
  // The web player waits, hidden, for the next window while the main window
  // lives: a new page would start its wasm again, and every F5 makes a new
  // window.
  if (w->ShockwaveFlash1) {
    w->ShockwaveFlash1->release();
    player::KeepFlashHost(w->ShockwaveFlash1, MainGUI::instance());
  }
  w->deleteLater();
}

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  instance_ = this;
  setObjectName(QStringLiteral("PreviewWindow"));
  setWindowTitle(QStringLiteral("プレビュー"));
  Command1 = new QToolButton(this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setAutoRaise(false);
  Command1->setFocusPolicy(Qt::TabFocus);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setFont(PanelFont(9));
  HScroll1 = new QScrollBar(Qt::Horizontal, this);
  HScroll1->setObjectName(QStringLiteral("HScroll1"));
  Command2 = new QPushButton(QStringLiteral("撮"), this);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setFocusPolicy(Qt::TabFocus);
  Check1 = new QCheckBox(QStringLiteral("前"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setFocusPolicy(Qt::TabFocus);
  ShockwaveFlash1 = player::TakeOrCreateFlashHost(this);
  ShockwaveFlash1->setObjectName(QStringLiteral("ShockwaveFlash1"));

  connect(Command1, &QToolButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] {
    if (!settingSlider_) HScroll1_Change();
  });
  // The host reports the movie's frames as they change; the window follows
  // them as it followed its polling timer.
  connect(ShockwaveFlash1, &player::FlashHost::frameReported, this, [this] { Timer1_Timer(); });
  connect(ShockwaveFlash1, &player::FlashHost::loaded, this, [this] {
    Form_Resize();
    Timer1_Timer();
  });
  connect(ShockwaveFlash1, &player::FlashHost::fsCommand, this,
          [this](const QString& c, const QString& a) { ShockwaveFlash1_FSCommand(c, a); });
  setStageSize(stageWidth_, stageHeight_);
}

PreviewWindow::~PreviewWindow() {
  if (instance_ == this) instance_ = nullptr;
}

void PreviewWindow::setStageSize(int width, int height) {
  // A stage the writer refused still gets a window that shows its controls.
  stageWidth_ = std::clamp(width, 1, 8192);
  stageHeight_ = std::clamp(height, 1, 8192);
  const int minWidth = kSliderLeft + kMinSlider + kButton + kCheckWidth;
  setFixedSize(std::max(stageWidth_, minWidth), stageHeight_ + kRowHeight);
  Form_Resize();
}

void PreviewWindow::showMovie(const QString& path) {
  ShockwaveFlash1->loadMovie(path);
  ShockwaveFlash1->play();
  setButtonPlaying(true);
  Form_Resize();
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

void PreviewWindow::Form_Load() {
  HScroll1->setMinimum(0);
  HScroll1->setMaximum(0);
  const Preferences& p = Prefs::Current();
  PlaceFromTwips(this, p.pwLeft, p.pwTop);
  Check1->setVisible((p.windowTopward & kOfferTopmost) != 0);
  // Ticking the box when the window loads applies it, as a click would.
  if ((p.windowTopward & kTopmostTicked) != 0) {
    Check1->setChecked(true);
    Check1_Click();
  }
  setButtonPlaying(true);
  Form_Resize();
}

void PreviewWindow::Form_Resize() {
  if (isMinimized()) return;
  const int w = width();
  const bool offered = (Prefs::Current().windowTopward & kOfferTopmost) != 0;
  Command1->setGeometry(0, 0, kButton, kButton);
  Label1->setGeometry(kButton, 0, kSliderLeft - kButton - 2, kButton);
  const int slider = std::max(w - kSliderLeft - (offered ? kCheckWidth : 0) - kButton, 0);
  const int barHeight = std::min(HScroll1->sizeHint().height(), kButton);
  HScroll1->setGeometry(kSliderLeft, (kButton - barHeight) / 2, slider, barHeight);
  Command2->setGeometry(kSliderLeft + slider, 0, kButton, kButton);
  Check1->setGeometry(w - kCheckWidth, 0, kCheckWidth, kButton);
  ShockwaveFlash1->setGeometry(0, kRowHeight, stageWidth_, stageHeight_);
  // The last frame is the slider's end: it counts from 0.
  const int total = ShockwaveFlash1->totalFrames();
  settingSlider_ = true;
  HScroll1->setMaximum(std::max(total - 1, 0));
  settingSlider_ = false;
  const bool frames = ShockwaveFlash1->capabilities().testFlag(player::FlashCapability::FrameReports);
  HScroll1->setEnabled(frames && ShockwaveFlash1->capabilities().testFlag(player::FlashCapability::Seek));
}

void PreviewWindow::Form_Activate() {
  if (isVisible()) Check1_Click();
}

void PreviewWindow::Form_Unload() {
  if (unloading_) return;
  unloading_ = true;
  setWindowState(Qt::WindowNoState);
  if (isVisible()) {
    Preferences& p = Prefs::Current();
    StoreTwips(this, p.pwLeft, p.pwTop);
    p.windowTopward = (p.windowTopward & 223) + (Check1->isChecked() ? 32 : 0);
  }
}

void PreviewWindow::Command1_Click() {
  if (ShockwaveFlash1->isPlaying()) {
    ShockwaveFlash1->stop();
    setButtonPlaying(false);
  } else {
    ShockwaveFlash1->play();
    setButtonPlaying(true);
  }
}

void PreviewWindow::HScroll1_Change() {
  // While the movie plays the slider only shows where it is.
  if (ShockwaveFlash1->isPlaying()) return;
  ShockwaveFlash1->gotoFrame(HScroll1->value());
  UpdateFrameLabel();
}

void PreviewWindow::Timer1_Timer() {
  const int f = ShockwaveFlash1->frameNum();
  settingSlider_ = true;
  if (f > HScroll1->maximum()) HScroll1->setMaximum(f);
  if (f >= 0) HScroll1->setValue(f);
  settingSlider_ = false;
  UpdateFrameLabel();
  // The button follows a movie that stops or starts itself.
  const bool playing = ShockwaveFlash1->isPlaying();
  if (playing && command1Tag_ == kStoppedTag) {
    setButtonPlaying(true);
  } else if (!playing && command1Tag_ == kPlayingTag) {
    setButtonPlaying(false);
  }
  const bool frames = ShockwaveFlash1->capabilities().testFlag(player::FlashCapability::FrameReports);
  HScroll1->setEnabled(frames && ShockwaveFlash1->capabilities().testFlag(player::FlashCapability::Seek));
}

void PreviewWindow::UpdateFrameLabel() {
  const int f = ShockwaveFlash1->frameNum();
  // Str() of a number that is not negative: a leading blank.
  Label1->setText(f >= 0 ? QStringLiteral(" %1").arg(f + 1) : QString());
}

void PreviewWindow::setButtonPlaying(bool playing) {
  Command1->setIcon(ButtonPicture(playing));
  command1Tag_ = playing ? kPlayingTag : kStoppedTag;
  Command1->setAccessibleName(command1Tag_);
}

// ---- keep on top ------------------------------------------------------------------

void PreviewWindow::Check1_Click() {
  keepOnTop_.follow((Prefs::Current().windowTopward & kOfferTopmost) != 0 && Check1->isChecked());
}

// ---- trace ------------------------------------------------------------------------

void PreviewWindow::ShockwaveFlash1_FSCommand(const QString& command, const QString& args) {
  if (command != QLatin1String("TesmiroTrace")) return;
  TraceWindow::load()->appendTrace(args);
}

// ---- snapshot ---------------------------------------------------------------------

void PreviewWindow::Command2_Click() {
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
  if (DialogModule::SaveFileDialog(r) == 0 || r.file.empty()) return;
  QCoreApplication::processEvents();
  snapshot(ToQ(r.file));
}

void PreviewWindow::snapshot(const QString& path) {
  const QString ending = path.right(3).toLower();
  QPointer<PreviewWindow> self(this);
  if (ending == QLatin1String("png")) {
    // Alpha from two drawings, over white and over black.
    ShockwaveFlash1->grabPictures({0xFFFFFF, 0x000000}, [self, path](QList<QImage> shots) {
      if (!self) return;
      if (shots.size() != 2) {
        self->reportWriteError(path);
        return;
      }
      const image::Picture white = ToPicture(shots[0]);
      const image::Picture black = ToPicture(shots[1]);
      const image::Bytes pixels = ModPNG::SnapshotPixels(white, black);
      std::string error;
      if (pixels.empty() || !ModPNG::SavePNG(pixels, white.width, white.height, FromQ(path), &error))
        self->reportWriteError(path + QStringLiteral("：") + ToQ(error));
    });
    return;
  }
  if (ending != QLatin1String("bmp") && ending != QLatin1String("jpg")) return;
  ShockwaveFlash1->grabPictures({player::kShownBackground}, [self, path, ending](QList<QImage> shots) {
    if (!self) return;
    if (shots.size() != 1) {
      self->reportWriteError(path);
      return;
    }
    if (ending == QLatin1String("bmp")) {
      QSaveFile file(path);
      QImageWriter writer(&file, "BMP");
      if (!file.open(QIODevice::WriteOnly) ||
          !writer.write(shots[0].convertToFormat(QImage::Format_RGB888)) || !file.commit())
        self->reportWriteError(path);
      return;
    }
    cDIBSection dib;
    if (!dib.CreateFromPicture(ToPicture(shots[0]))) {
      self->reportWriteError(path);
      return;
    }
    const mIntelJPEGLibrary::JpegStatus status = mIntelJPEGLibrary::SaveJPG(dib, FromQ(path), 100);
    if (!status.ok()) self->reportWriteError(path + QStringLiteral("：") + ToQ(status.error->description));
  });
}

void PreviewWindow::reportWriteError(const QString& text) {
  ui::Current().messages->message("エラー", "ファイル [" + FromQ(text) + "] を保存できませんでした。",
                                  ui::Icon::Critical);
}

// ---- events -------------------------------------------------------------------------

void PreviewWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (instance_ == this) {
    unload();
  } else {
    Form_Unload();
    deleteLater();
  }
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
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
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

}  // namespace tesmiro::gui
