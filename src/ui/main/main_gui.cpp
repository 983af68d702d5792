#include "ui/main/main_gui.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "media/text/font_list.h"
#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/backup.h"
#include "project/build_lock.h"
#include "project/event_colors.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "project/recent_files.h"
#include "project/sorting.h"
#include "project/timelines.h"
#include "project/window_services.h"
#include "swf/swf_writer.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/splash_screen.h"
#include "ui/dialogs/text_effect_editor.h"
#include "ui/main/print_canvas.h"
#include "ui/main/splitter_handle.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

MainGUI* gInstance = nullptr;

constexpr int kFileHeadHeight = 17;
constexpr int kScriptBarHeight = 24;
constexpr int kMinColumn = 100;
constexpr int kMinRow = 66;

// The designed window: client size and splitter positions of a first start.
constexpr int kDesignWidth = 900;
constexpr int kDesignHeight = 640;
constexpr int kDesignSplitter1 = 300;
constexpr int kDesignSplitter2 = 180;
constexpr int kDesignSplitter3 = 440;

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// Geometry that a negative size would make invalid is clamped to empty, as
// failed assignments of a tiny window leave a control as it was.
void Place(QWidget* w, int x, int y, int width, int height) {
  w->setGeometry(x, y, std::max(0, width), std::max(0, height));
}

Preferences& P() { return Prefs::Current(); }

}  // namespace

MainGUI* MainGUI::instance() { return gInstance; }

MainGUI::MainGUI(QWidget* parent) : QMainWindow(parent) {
  gInstance = this;
  setObjectName(QStringLiteral("MainGUI"));
  setWindowTitle(ToQ(GUICore::kNewProjectCaption));
  // 200 twips, the smallest outer size the window keeps.
  setMinimumSize(TwipsToPixels(200) + 1, TwipsToPixels(200) + 1);
  createControls();
  createMenus();
  connectFileMenu();
  setupEventListArea();
  setupFileListArea();
  setupScriptArea();
  setupPreviewArea();
  setupDialogArea();
  setupEventDialogArea();
  resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
  // Opening a project puts it at the top of the recent projects.
  recentFilesHook_ = std::make_unique<GUICore::ScopedRecentFilesHook>([this] { BuildRecentFilesMenu(); });
  qApp->installEventFilter(this);
}

MainGUI::~MainGUI() {
  qApp->removeEventFilter(this);
  recentFilesHook_.reset();
  if (splash_) delete splash_.data();
  if (gInstance == this) gInstance = nullptr;
}

void MainGUI::createControls() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("MainClient"));
  setCentralWidget(central);
  central->installEventFilter(this);

  Picture1 = Named(new PrintCanvas(central), "Picture1");
  Picture1->setFont(PanelFont(9, true));
  Picture1->setBackColor(palette().color(QPalette::Window));
  Command1 = Named(new QPushButton(QStringLiteral("再生"), Picture1), "Command1");
  Command2 = Named(new QPushButton(QStringLiteral("停止"), Picture1), "Command2");
  Command3 = Named(new QPushButton(QStringLiteral("ｽﾌﾟﾗｲﾄを編集(&S)"), Picture1), "Command3");
  Command1->setGeometry(2, 14, 60, 20);
  Command2->setGeometry(64, 14, 60, 20);
  Command3->setGeometry(2, 34, 120, 22);
  for (QPushButton* b : {Command1, Command2, Command3}) b->hide();
  Command7 = Named(new QPushButton(QStringLiteral("キャンセル"), Picture1), "Command7");
  Command7->setGeometry(2, 32, 90, 24);
  Command7->hide();
  connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });

  ListJpegStoreHead = Named(new QWidget(central), "ListJpegStoreHead");
  ListJpegStoreHead->setAutoFillBackground(true);
  PictFileList = Named(new QWidget(central), "PictFileList");
  PictFileList->setFocusPolicy(Qt::StrongFocus);
  PictFileList->setAutoFillBackground(true);
  PictFileList->setBackgroundRole(QPalette::Base);
  VScroll1 = Named(new QScrollBar(Qt::Vertical, PictFileList), "VScroll1");
  HScroll1 = Named(new QScrollBar(Qt::Horizontal, PictFileList), "HScroll1");

  ListEventHead = Named(new QWidget(central), "ListEventHead");
  ListEventHead->setAutoFillBackground(true);
  PictEventList = Named(new QWidget(central), "PictEventList");
  PictEventList->setFocusPolicy(Qt::StrongFocus);
  PictEventList->setAutoFillBackground(true);
  PictEventList->setBackgroundRole(QPalette::Base);
  VScroll2 = Named(new QScrollBar(Qt::Vertical, PictEventList), "VScroll2");
  HScroll2 = Named(new QScrollBar(Qt::Horizontal, PictEventList), "HScroll2");

  Picture4 = Named(new QWidget(central), "Picture4");
  Command6 = Named(new QPushButton(QStringLiteral(">>"), Picture4), "Command6");
  Combo1 = Named(new QComboBox(Picture4), "Combo1");
  Combo1->setEditable(true);
  Command4 = Named(new QPushButton(QStringLiteral("検索"), Picture4), "Command4");
  Command4->setEnabled(false);
  Command5 = Named(new QPushButton(QStringLiteral("構文チェック"), Picture4), "Command5");
  Label2 = Named(new QLabel(Picture4), "Label2");
  Label1 = Named(new QLabel(QStringLiteral("Line："), Picture4), "Label1");
  Command6->setGeometry(0, 1, 28, kScriptBarHeight - 2);
  Combo1->setGeometry(30, 1, 130, kScriptBarHeight - 2);
  Command4->setGeometry(162, 1, 44, kScriptBarHeight - 2);
  Command5->setGeometry(208, 1, 88, kScriptBarHeight - 2);
  Label2->move(300, 0);
  Label1->resize(80, kScriptBarHeight);
  Label2->resize(10, kScriptBarHeight);
  Text1 = Named(new QPlainTextEdit(central), "Text1");
  Text1->setEnabled(false);
  Text1->setFont(ListFont(10));

  imgSplitter = Named(new SplitterHandle(Qt::Vertical, central), "imgSplitter");
  imgSplitter2 = Named(new SplitterHandle(Qt::Horizontal, central), "imgSplitter2");
  imgSplitter3 = Named(new SplitterHandle(Qt::Horizontal, central), "imgSplitter3");
  imgSplitter->onMouseDown = [this](int b, int s, int x, int y) { imgSplitter_MouseDown(b, s, x, y); };
  imgSplitter->onMouseMove = [this](int b, int s, int x, int y) { imgSplitter_MouseMove(b, s, x, y); };
  imgSplitter->onMouseUp = [this](int b, int s, int x, int y) { imgSplitter_MouseUp(b, s, x, y); };
  imgSplitter2->onMouseDown = [this](int b, int s, int x, int y) { imgSplitter2_MouseDown(b, s, x, y); };
  imgSplitter2->onMouseMove = [this](int b, int s, int x, int y) { imgSplitter2_MouseMove(b, s, x, y); };
  imgSplitter2->onMouseUp = [this](int b, int s, int x, int y) { imgSplitter2_MouseUp(b, s, x, y); };
  imgSplitter3->onMouseDown = [this](int b, int s, int x, int y) { imgSplitter3_MouseDown(b, s, x, y); };
  imgSplitter3->onMouseMove = [this](int b, int s, int x, int y) { imgSplitter3_MouseMove(b, s, x, y); };
  imgSplitter3->onMouseUp = [this](int b, int s, int x, int y) { imgSplitter3_MouseUp(b, s, x, y); };

  // The bars hold the splitter positions; they show only while dragged.
  auto bar = [central](const char* name) {
    auto* f = Named(new QFrame(central), name);
    f->setAutoFillBackground(true);
    f->setBackgroundRole(QPalette::Dark);
    f->hide();
    return f;
  };
  picSplitter = bar("picSplitter");
  picSplitter2 = bar("picSplitter2");
  picSplitter3 = bar("picSplitter3");
  picSplitter->setGeometry(kDesignSplitter1, 0, 1, 1);
  picSplitter2->setGeometry(0, kDesignSplitter2, 1, 1);
  picSplitter3->setGeometry(0, kDesignSplitter3, 1, 1);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

// ---- start-up ---------------------------------------------------------------

void MainGUI::Form_Load(const QString& commandLine) {
  loading_ = true;
  splash_ = new SplashWindow(this);
  splash_->show();
  QCoreApplication::processEvents();

  SWFMakeCore::InitBitTable();
  PictEventList->setEnabled(false);
  PictFileList->setEnabled(false);
  show();
  EventListModule::ResetDisplayColors();
  LoadPreference();
  Form_Resize();
  EnumTrueTypeFont();
  mnuCreateNew_Click();
  ListEventHead->setPalette(QPalette(ToQColor(0xE0E0E0)));
  ui::Windows().drawTabsAndHeader();

  QString text = commandLine;
  if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) text = text.mid(1, text.size() - 2);
  if (text.isEmpty()) {
    GUICore::RestoreAutoBackup(GUICore::AutoBackupPath());
  } else {
    GUICore::NewProject();
    const std::string given = FromQ(text);
    const std::string onDisk = PathModule::GetExactPathCase(given);
    // A path that is not there keeps its text, so that the open error
    // names the file; the caption stays that of a new project.
    GUICore::OpenProject(onDisk.empty() ? given : onDisk);
  }

  PictFileList->setEnabled(true);
  PictEventList->setEnabled(true);
  if (splash_) splash_->close();
  delete splash_.data();
  loading_ = false;
}

// ---- shut-down --------------------------------------------------------------

void MainGUI::ConfirmSaveProject(int& cancel) {
  cancel = 0;
  if (!GUICore::HasUnsavedChanges()) return;
  const ui::Answer a = ui::Current().messages->message(
      "Tesmiro", "プロジェクトは変更されています。上書き保存しますか？", ui::Icon::Exclamation,
      ui::Buttons::YesNoCancel);
  if (a == ui::Answer::Cancel) {
    cancel = 1;
  } else if (a == ui::Answer::Yes) {
    // A save that did not happen (Save As cancelled, write failed) must not
    // let the caller throw the changes away.
    if (!mnuSaveOverride_Click()) cancel = 1;
  }
}

bool MainGUI::Form_Unload() {
  if (unloaded_) return true;
  Desktop().sound->stop();
  int cancel = 0;
  ConfirmSaveProject(cancel);
  if (cancel == 1) return false;
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();
  std::string error;
  if (!SavePreference(&error)) {
    std::replace(error.begin(), error.end(), '\n', ' ');
    std::replace(error.begin(), error.end(), '\r', ' ');
    std::fprintf(stderr, "tesmiro: 設定を保存できませんでした: %s\n", error.c_str());
  }
  GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), true);
  Timer1->stop();
  unloaded_ = true;
  return true;
}

void MainGUI::closeEvent(QCloseEvent* event) {
  if (buildRunning_) {
    // The build yields to this loop; it ends at its next step, then the
    // window closes.
    closeAfterBuild_ = true;
    Command7_Click();
    event->ignore();
    return;
  }
  if (Form_Unload()) {
    event->accept();
  } else {
    event->ignore();
  }
}

// ---- preferences --------------------------------------------------------------

void MainGUI::LoadPreference() {
  Preferences& p = P();
  // Keys that are missing keep the window as designed.
  p.windowState = static_cast<int16_t>(isMaximized() ? 2 : isMinimized() ? 1 : 0);
  const QRect outer = frameGeometry();
  p.left = static_cast<float>(PixelsToTwips(outer.x()));
  p.top = static_cast<float>(PixelsToTwips(outer.y()));
  p.width = static_cast<float>(PixelsToTwips(outer.width()));
  p.height = static_cast<float>(PixelsToTwips(outer.height()));
  p.splitter1 = static_cast<float>(picSplitter->x());
  p.splitter2 = static_cast<float>(picSplitter2->y());
  p.splitter3 = static_cast<float>(picSplitter3->y());
  Prefs::LoadFile(GUICore::State().paths.config / Prefs::kPreferenceFile, p);
  applyWindowPreferences();
}

void MainGUI::applyWindowPreferences() {
  const Preferences& p = P();
  if (p.windowState == 2) {
    setWindowState(Qt::WindowMaximized);
  } else if (p.windowState == 1) {
    setWindowState(Qt::WindowMinimized);
  } else {
    setWindowState(Qt::WindowNoState);
    // The stored rectangle is the outer one; resize() sets the inside. A
    // rectangle from another screen is brought wholly onto this one.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QRect stored(TwipsToPixels(p.left), TwipsToPixels(p.top), TwipsToPixels(p.width), TwipsToPixels(p.height));
    if (stored.width() > frame.width() && stored.height() > frame.height()) {
      const QRect outer = FitInside(stored, Desktop().placement->workArea(stored.topLeft()));
      move(outer.topLeft());
      resize(outer.size() - frame);
      // Without a frame yet, the size is corrected once the frame is known,
      // so that the window does not grow by it at every start.
      if (frame.isNull()) pendingOuterSize_ = outer.size();
    }
  }
  // The layout clamps the splitters to the window; only keep the numbers
  // within what a widget position can hold.
  auto position = [](float v) { return std::clamp(num::RoundToInt32(v), -(1 << 20), 1 << 20); };
  picSplitter->move(position(p.splitter1), picSplitter->y());
  picSplitter2->move(picSplitter2->x(), position(p.splitter2));
  picSplitter3->move(picSplitter3->x(), position(p.splitter3));
  mnuScriptEditor->setChecked(p.dispScriptEditor != 0);
  mnuDispSpriteTag->setChecked(p.dispSpriteTab == 1);
  followEventSyncOption();
  GUICore::State().filelistHistoryMax = p.filelistHistoryMax;
  auto& preview = GUICore::Previews();
  preview.previewFilePath = p.previewFilePath;
  preview.previewStreamSound = p.previewStreamSound;
  preview.previewAttachSprite = p.previewAttachSprite;
  preview.previewSelectedPlayer = p.previewSelectedPlayer;
  const int ms = Prefs::BackupIntervalMs(p.autoBackUpInterval);
  if (ms > 0) {
    Timer1->start(ms);
  } else {
    Timer1->stop();
  }
  BuildRecentFilesMenu();
}

// With AlwaysEventSync the sync item is a lasting check that a click toggles;
// without it a click syncs once and the item never shows a check.
void MainGUI::followEventSyncOption() {
  const bool lasting = P().alwaysEventSync == 1;
  if (!lasting) mnuEventSync->setChecked(false);
  mnuEventSync->setCheckable(lasting);
}

void MainGUI::storeWindowPreferences() {
  Preferences& p = P();
  pendingOuterSize_ = QSize();
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  p.windowState = static_cast<int16_t>(isMaximized() ? 2 : 0);
  const QRect outer = frameGeometry();
  p.left = static_cast<float>(PixelsToTwips(outer.x()));
  p.top = static_cast<float>(PixelsToTwips(outer.y()));
  p.width = static_cast<float>(PixelsToTwips(outer.width()));
  p.height = static_cast<float>(PixelsToTwips(outer.height()));
  p.splitter1 = static_cast<float>(picSplitter->x());
  p.splitter2 = static_cast<float>(picSplitter2->y());
  p.splitter3 = static_cast<float>(picSplitter3->y());
  p.dispScriptEditor = static_cast<int16_t>(mnuScriptEditor->isChecked() ? -1 : 0);
  p.filelistHistoryMax = GUICore::State().filelistHistoryMax;
}

bool MainGUI::SavePreference(std::string* error) {
  storeWindowPreferences();
  std::string why;
  const bool ok = Prefs::SaveFile(GUICore::State().paths.config / Prefs::kPreferenceFile, P(), &why);
  if (!ok && error) *error = why;
  return ok;
}

void MainGUI::EnumTrueTypeFont() { fontList_ = text::EnumTrueTypeFont(P().useVerticalFont == 1); }

// ---- layout -------------------------------------------------------------------

bool MainGUI::scriptPanelShown() const { return P().dockScriptEditor == 1 && mnuScriptEditor->isChecked(); }

int MainGUI::listEventHeadHeight() const { return P().dispSpriteTab == 1 ? 41 : 17; }

void MainGUI::Form_Resize() {
  if (isMinimized()) {
    auto& windows = ui::Windows();
    windows.unloadScriptEditor();
    windows.unloadEventDialog();
    return;
  }
  SizeControlsCall();
}

void MainGUI::SizeControlsCall() {
  double x = picSplitter->x(), y2 = picSplitter2->y(), y3 = picSplitter3->y();
  SizeControls(x, y2, y3);
}

void MainGUI::SizeControls(double& x, double& y2, double& y3) {
  const QWidget* client = centralWidget();
  const int W = client->width();
  const int H = client->height();
  const int gap = splitterGap_;

  x = std::min<double>(std::max<double>(x, kMinColumn), W - kMinColumn);
  const int ix = static_cast<int>(x);
  const int right = ix + gap;

  y2 = std::min<double>(std::max<double>(y2, kMinRow), H - kMinRow);
  const int iy2 = static_cast<int>(y2);
  Place(Picture1, 0, 0, ix, iy2);
  Place(ListJpegStoreHead, 0, iy2 + gap, ix, kFileHeadHeight);
  Place(PictFileList, 0, iy2 + gap + kFileHeadHeight, ix, H - (iy2 + gap) - kFileHeadHeight);
  const int vw = VScroll1->sizeHint().width();
  const int hh = HScroll1->sizeHint().height();
  Place(VScroll1, PictFileList->width() - vw, 0, vw, PictFileList->height());
  Place(HScroll1, 0, PictFileList->height() - hh, PictFileList->width() - vw, hh);

  const bool docked = scriptPanelShown();
  y3 = std::min<double>(std::max<double>(y3, kMinRow), H - kMinRow);
  if (!docked) y3 = H;
  const int iy3 = static_cast<int>(y3);
  const int headH = listEventHeadHeight();
  Place(ListEventHead, right, 0, W - right, headH);
  Place(PictEventList, right, headH, W - right, iy3 - headH);
  Place(VScroll2, PictEventList->width() - vw, 0, vw, PictEventList->height());
  Place(HScroll2, 0, PictEventList->height() - hh, PictEventList->width() - vw, hh);

  Picture4->setVisible(docked);
  Text1->setVisible(docked);
  imgSplitter3->setVisible(docked);
  if (docked) {
    Place(Picture4, right, iy3 + gap, W - right, kScriptBarHeight);
    Label1->move(Picture4->width() - Label1->width(), 0);
    Label2->resize(std::max(0, Picture4->width() - Label2->x() - Label1->width()), kScriptBarHeight);
    Place(Text1, right, iy3 + gap + kScriptBarHeight, W - right, H - (iy3 + gap) - kScriptBarHeight);
    Place(imgSplitter3, right, iy3, W - right, gap);
  }
  Place(imgSplitter, ix, 0, gap, H);
  Place(imgSplitter2, 0, iy2, ix, gap);
  for (QWidget* w : {static_cast<QWidget*>(imgSplitter), static_cast<QWidget*>(imgSplitter2),
                     static_cast<QWidget*>(imgSplitter3)})
    w->raise();
  ui::Windows().drawTabsAndHeader();
}

// ---- splitters ------------------------------------------------------------------

void MainGUI::imgSplitter_MouseDown(int, int, int, int) {
  picSplitter->setGeometry(imgSplitter->x(), imgSplitter->y(), std::max(1, imgSplitter->width() / 2),
                           imgSplitter->height());
  picSplitter->show();
  picSplitter->raise();
  splitterMoving_[0] = true;
}

void MainGUI::imgSplitter_MouseMove(int, int, int x, int) {
  if (!splitterMoving_[0]) return;
  const int W = centralWidget()->width();
  int p = x + imgSplitter->x();
  if (p < kMinColumn) {
    p = kMinColumn;
  } else if (p > W - kMinColumn) {
    p = W - kMinColumn;
  }
  picSplitter->move(p, picSplitter->y());
}

void MainGUI::imgSplitter_MouseUp(int, int, int, int) {
  if (!splitterMoving_[0]) return;
  SizeControlsCall();
  picSplitter->hide();
  splitterMoving_[0] = false;
  GUICore::RefreshItemInfo();
}

void MainGUI::imgSplitter2_MouseDown(int, int, int, int) {
  picSplitter2->setGeometry(imgSplitter2->x(), imgSplitter2->y(), imgSplitter2->width(),
                            std::max(1, imgSplitter2->height() / 2));
  picSplitter2->show();
  picSplitter2->raise();
  splitterMoving_[1] = true;
}

void MainGUI::imgSplitter2_MouseMove(int, int, int, int y) {
  if (!splitterMoving_[1]) return;
  const int H = centralWidget()->height();
  const int p = std::min(std::max(y + imgSplitter2->y(), kMinRow), H - kMinRow);
  picSplitter2->move(picSplitter2->x(), p);
}

void MainGUI::imgSplitter2_MouseUp(int, int, int, int) {
  if (!splitterMoving_[1]) return;
  SizeControlsCall();
  picSplitter2->hide();
  splitterMoving_[1] = false;
  GUICore::RefreshItemInfo();
}

void MainGUI::imgSplitter3_MouseDown(int, int, int, int) {
  picSplitter3->setGeometry(imgSplitter3->x(), imgSplitter3->y(), imgSplitter3->width(),
                            std::max(1, imgSplitter3->height() / 2));
  picSplitter3->show();
  picSplitter3->raise();
  splitterMoving_[2] = true;
}

void MainGUI::imgSplitter3_MouseMove(int, int, int, int y) {
  if (!splitterMoving_[2]) return;
  const int H = centralWidget()->height();
  const int p = std::min(std::max(y + imgSplitter3->y(), kMinRow), H - kMinRow);
  picSplitter3->move(picSplitter3->x(), p);
}

void MainGUI::imgSplitter3_MouseUp(int, int, int, int) {
  if (!splitterMoving_[2]) return;
  SizeControlsCall();
  picSplitter3->hide();
  splitterMoving_[2] = false;
  GUICore::RefreshItemInfo();
}

// ---- events ---------------------------------------------------------------------

void MainGUI::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  fitPendingOuterSize();
}

void MainGUI::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  fitPendingOuterSize();
}

void MainGUI::fitPendingOuterSize() {
  if (!pendingOuterSize_.isValid()) return;
  const QSize frame = frameGeometry().size() - size();
  if (frame.isNull()) return;
  const QSize outer = pendingOuterSize_;
  pendingOuterSize_ = QSize();
  resize(outer - frame);
}

void MainGUI::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized()) Form_Resize();
}

bool MainGUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) {
    Form_Resize();
    return false;
  }
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
    return routeKey(watched, static_cast<QKeyEvent*>(event));
  return false;
}

bool MainGUI::isTextInput(const QWidget* w) const {
  if (!w) return false;
  if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
      qobject_cast<const QAbstractSpinBox*>(w))
    return true;
  if (const auto* t = qobject_cast<const QTextEdit*>(w)) return !t->isReadOnly();
  if (const auto* c = qobject_cast<const QComboBox*>(w)) return c->isEditable();
  return false;
}

bool MainGUI::routeKey(QObject* watched, QKeyEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this || QApplication::activeWindow() != this) return false;
  // Typing into a text box never switches tabs or steps values, and
  // nothing but the cancel button acts while a build runs.
  if (buildRunning_ || loading_ || isTextInput(QApplication::focusWidget())) return false;
  const KeyCode k = MapKey(*event);
  if (k.code == 0) return false;
  if (event->type() == QEvent::KeyPress) return Form_KeyDown(k.code, k.shift);
  if (event->isAutoRepeat()) return false;
  return Form_KeyUp(k.code, k.shift);
}

bool MainGUI::Form_KeyDown(int keyCode, int shift) {
  if (buildRunning_) return false;
  if ((shift & kCtrlMask) && PictFileList->isEnabled()) {
    QAction* add = keyCode == 84 ? mnuAddText
                   : keyCode == 82 ? mnuAddSprite
                   : keyCode == 73 ? mnuAddFile
                   : keyCode == 76 ? mnuAddFolder
                                   : nullptr;
    if (add) {
      auto& list = FileListModule::Current();
      list.insertRow = list.cursorRow;
      list.insertMode = 0;
      add->trigger();
      return true;
    }
  }
  if (!mnuEvent->menuAction()->isEnabled()) return false;
  switch (keyCode) {
    case 188:
    case 190:
      GUICore::ShiftSelectedStoreItems(keyCode == 188 ? -1 : 1);
      followFileListCursor();
      return true;
    case 186:
    case 187: {
      const int sign = keyCode == 186 ? 1 : -1;
      if (shift == 0) {
        ListEventStepTargets(sign);
      } else if (shift == kShiftMask) {
        ListEventStepValue(sign);
      } else if (shift == (kShiftMask | kCtrlMask)) {
        ListEventStepValue(10 * sign);
      } else {
        return false;
      }
      return true;
    }
    default:
      return false;
  }
}

bool MainGUI::Form_KeyUp(int keyCode, int) {
  if (buildRunning_ || !mnuEvent->menuAction()->isEnabled()) return false;
  if (keyCode < 49 || keyCode > 57) return false;
  const int k = keyCode - 48;
  const auto& tabs = GUICore::State().tabs;
  if (static_cast<int>(tabs.size()) < k) return false;
  if (k == 1) {
    GUICore::ShowTimeline(0, false);
  } else {
    GUICore::ShowTimeline(GUICore::FindTimelineOfSprite(tabs[static_cast<size_t>(k - 1)].spriteId), false);
  }
  return true;
}

// ---- backup timer, build ------------------------------------------------------------

void MainGUI::Timer1_Timer() { GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false); }

void MainGUI::Command7_Click() {
  cancelPressed_ = true;
  GUICore::Build().cancelBuild = -1;
}

void MainGUI::printStatus(const QString& line) {
  Picture1->Cls();
  Picture1->Print(line);
}

bool MainGUI::buildStep(const std::string& line) {
  // A build reports a line per event; painting and yielding for each of them
  // costs more than the build itself. The window runs at most every 30 ms,
  // which keeps the line readable and the cancel button as quick as before.
  if (stepClock_.isValid() && stepClock_.elapsed() < 30) return cancelPressed_;
  printStatus(ToQ(line));
  QCoreApplication::processEvents();
  stepClock_.start();
  return cancelPressed_;
}

void MainGUI::setBuildRunning(bool running) {
  if (running == buildRunning_) return;
  buildRunning_ = running;
  stepClock_.invalidate();
  if (running) {
    cancelPressed_ = false;
    actionsBeforeBuild_.clear();
    controlsBeforeBuild_.clear();
    // Every command of the menus is off; the lists and the script panel
    // take no input. Only the cancel button and closing (which cancels)
    // remain.
    for (QAction* a : findChildren<QAction*>()) {
      actionsBeforeBuild_.emplace_back(a, a->isEnabled());
      a->setEnabled(false);
    }
    for (QWidget* w : {PictFileList, PictEventList, static_cast<QWidget*>(Text1), static_cast<QWidget*>(Picture4),
                       ListEventHead, ListJpegStoreHead}) {
      controlsBeforeBuild_.emplace_back(w, w->isEnabled());
      w->setEnabled(false);
    }
    Command7->show();
    Command7->raise();
    return;
  }
  for (auto& [a, enabled] : actionsBeforeBuild_) a->setEnabled(enabled);
  for (auto& [w, enabled] : controlsBeforeBuild_) w->setEnabled(enabled);
  actionsBeforeBuild_.clear();
  controlsBeforeBuild_.clear();
  Command7->hide();
  if (closeAfterBuild_) {
    closeAfterBuild_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

// ---- areas ---------------------------------------------------------------------------

void MainGUI::replaceFileList(QWidget* list) { replaceList(PictFileList, list, VScroll1, HScroll1); }
void MainGUI::replaceEventList(QWidget* list) { replaceList(PictEventList, list, VScroll2, HScroll2); }

void MainGUI::replaceList(QWidget*& slot, QWidget* list, QScrollBar* v, QScrollBar* h) {
  QWidget* old = slot;
  list->setParent(centralWidget());
  list->setObjectName(old->objectName());
  list->setGeometry(old->geometry());
  list->setEnabled(old->isEnabled());
  v->setParent(list);
  h->setParent(list);
  v->show();
  h->show();
  list->show();
  slot = list;
  delete old;
  SizeControlsCall();
}

QWidget* MainGUI::focusedControl() const {
  QWidget* f = QApplication::focusWidget();
  return f && f->window() == this ? f : nullptr;
}

}  // namespace tesmiro::gui
