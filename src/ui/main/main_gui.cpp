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
#include "ui/main/area_geometry.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/main_menus.h"
#include "ui/main/script_panel.h"
#include "ui/main/splitter_handle.h"
#include "ui/main/wheel_hook.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

MainGUI* gInstance = nullptr;

constexpr int kMinColumn = 100;
constexpr int kMinRow = 66;

// The designed window: client size and splitter positions of a first start.
constexpr int kDesignWidth = 900;
constexpr int kDesignHeight = 640;
constexpr int kDesignColumnSplit = 300;
constexpr int kDesignInfoPanelSplit = 180;
constexpr int kDesignScriptPanelSplit = 440;

Preferences& P() { return Prefs::Current(); }

}  // namespace

MainGUI* MainGUI::instance() { return gInstance; }

void MainGUI::traceWindowUnloaded() { menus_->setTraceWindowChecked(false); }

void MainGUI::showDockedScriptEditor() { menus_->setScriptEditorChecked(true); }

MainGUI::MainGUI(QWidget* parent) : QMainWindow(parent) {
  gInstance = this;
  setObjectName(QStringLiteral("MainGUI"));
  setWindowTitle(ToQ(GUICore::kNewProjectCaption));
  // 200 twips, the smallest outer size the window keeps.
  setMinimumSize(TwipsToPixels(200) + 1, TwipsToPixels(200) + 1);
  createControls();
  menus_ = new MainMenus(this);
  wheelHook = new WheelHook(this);
  menus_->setUp();
  setupDialogArea();
  setupEventDialogArea();
  resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
  qApp->installEventFilter(this);
}

MainGUI::~MainGUI() {
  qApp->removeEventFilter(this);
  if (splash_) delete splash_.data();
  if (gInstance == this) gInstance = nullptr;
}

void MainGUI::createControls() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("MainClient"));
  setCentralWidget(central);
  central->installEventFilter(this);

  fileList_ = new FileListArea(this, central);
  connect(fileList_->cancelButton(), &QPushButton::clicked, this, [this] { cancelBuild(); });

  eventList_ = new EventListArea(this, central);

  scriptPanel_ = new ScriptPanel(this, central);

  // The bars hold the splitter positions; they show only while dragged.
  auto bar = [central](const char* name) {
    auto* f = Named(new QFrame(central), name);
    f->setAutoFillBackground(true);
    f->setBackgroundRole(QPalette::Dark);
    f->hide();
    return f;
  };
  columnSplitterBar = bar("columnSplitterBar");
  infoPanelSplitterBar = bar("infoPanelSplitterBar");
  scriptPanelSplitterBar = bar("scriptPanelSplitterBar");
  columnSplitter = Named(new SplitterHandle(Qt::Vertical, columnSplitterBar, kMinColumn, central), "columnSplitter");
  infoPanelSplitter = Named(new SplitterHandle(Qt::Horizontal, infoPanelSplitterBar, kMinRow, central), "infoPanelSplitter");
  scriptPanelSplitter =
      Named(new SplitterHandle(Qt::Horizontal, scriptPanelSplitterBar, kMinRow, central), "scriptPanelSplitter");
  for (SplitterHandle* s : {columnSplitter, infoPanelSplitter, scriptPanelSplitter})
    s->onMoved = [this] { onSplitterMoved(); };
  columnSplitterBar->setGeometry(kDesignColumnSplit, 0, 1, 1);
  infoPanelSplitterBar->setGeometry(0, kDesignInfoPanelSplit, 1, 1);
  scriptPanelSplitterBar->setGeometry(0, kDesignScriptPanelSplit, 1, 1);

  backupTimer = new QTimer(this);
  backupTimer->setObjectName(QStringLiteral("backupTimer"));
  connect(backupTimer, &QTimer::timeout, this, [this] { writeAutoBackup(); });
}

// ---- start-up ---------------------------------------------------------------

void MainGUI::startUp(const QString& commandLine) {
  loading_ = true;
  splash_ = new SplashWindow(this);
  splash_->show();
  QCoreApplication::processEvents();

  SWFMakeCore::InitBitTable();
  eventList_->list()->setEnabled(false);
  fileList_->list()->setEnabled(false);
  show();
  EventListModule::ResetDisplayColors();
  LoadPreference();
  layoutControls();
  EnumTrueTypeFont();
  menus_->newProject();
  eventList_->head()->setPalette(QPalette(ToQColor(0xE0E0E0)));
  ui::Windows().drawTabsAndHeader();

  QString text = commandLine;
  if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) text = text.mid(1, text.size() - 2);
  if (text.isEmpty()) {
    GUICore::RestoreAutoBackups();
  } else {
    GUICore::NewProject();
    const std::string given = FromQ(text);
    const std::string onDisk = PathModule::GetExactPathCase(given);
    // A path that is not there keeps its text, so that the open error
    // names the file; the caption stays that of a new project.
    GUICore::OpenProject(onDisk.empty() ? given : onDisk);
  }
  eventList_->followCurrentEvent();

  fileList_->list()->setEnabled(true);
  eventList_->list()->setEnabled(true);
  if (splash_) splash_->close();
  delete splash_.data();
  loading_ = false;
}

// ---- shut-down --------------------------------------------------------------

bool MainGUI::shutDown(bool ask) {
  if (unloaded_) return true;
  Desktop().sound->stop();
  if (ask && !menus_->ConfirmSaveProject()) return false;
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();
  if (const Result<void> saved = SavePreference(); !saved) {
    std::string error = saved.message();
    std::replace(error.begin(), error.end(), '\n', ' ');
    std::replace(error.begin(), error.end(), '\r', ' ');
    std::fprintf(stderr, "tesmiro: 設定を保存できませんでした: %s\n", error.c_str());
  }
  // Ended without questions and with nothing unsaved, an older backup
  // stays: it may be the one the start was offering when the end came.
  if (ask)
    GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), true);
  else if (GUICore::HasUnsavedChanges())
    GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  backupTimer->stop();
  unloaded_ = true;
  return true;
}

void MainGUI::closeEvent(QCloseEvent* event) {
  if (buildRunning()) {
    // The build yields to this loop; it ends at its next step, then the
    // window closes.
    closeAfterBuild_ = true;
    cancelBuild();
    event->ignore();
    return;
  }
  if (shutDown()) {
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
  p.columnSplit = static_cast<float>(columnSplitterBar->x());
  p.infoPanelSplit = static_cast<float>(infoPanelSplitterBar->y());
  p.scriptPanelSplit = static_cast<float>(scriptPanelSplitterBar->y());
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
  columnSplitterBar->move(position(p.columnSplit), columnSplitterBar->y());
  infoPanelSplitterBar->move(infoPanelSplitterBar->x(), position(p.infoPanelSplit));
  scriptPanelSplitterBar->move(scriptPanelSplitterBar->x(), position(p.scriptPanelSplit));
  GUICore::State().filelistHistoryMax = p.filelistHistoryMax;
  auto& preview = GUICore::Previews();
  preview.previewFilePath = p.previewFilePath;
  preview.previewStreamSound = p.previewStreamSound;
  preview.previewAttachSprite = p.previewAttachSprite;
  preview.previewSelectedPlayer = p.previewSelectedPlayer;
  const int ms = Prefs::BackupIntervalMs(p.autoBackUpInterval);
  if (ms > 0) {
    backupTimer->start(ms);
  } else {
    backupTimer->stop();
  }
  menus_->followPreferences();
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
  p.columnSplit = static_cast<float>(columnSplitterBar->x());
  p.infoPanelSplit = static_cast<float>(infoPanelSplitterBar->y());
  p.scriptPanelSplit = static_cast<float>(scriptPanelSplitterBar->y());
  p.dispScriptEditor = static_cast<int16_t>(menus_->scriptEditorChecked() ? -1 : 0);
  p.filelistHistoryMax = GUICore::State().filelistHistoryMax;
}

Result<void> MainGUI::SavePreference() {
  storeWindowPreferences();
  return Prefs::SaveFile(GUICore::State().paths.config / Prefs::kPreferenceFile, P());
}

void MainGUI::EnumTrueTypeFont() { fontList_ = text::EnumTrueTypeFont(P().useVerticalFont == 1); }

// ---- layout -------------------------------------------------------------------

bool MainGUI::scriptPanelShown() const { return P().dockScriptEditor == 1 && menus_->scriptEditorChecked(); }

void MainGUI::layoutControls() {
  if (isMinimized()) {
    auto& windows = ui::Windows();
    windows.unloadScriptEditor();
    windows.unloadEventDialog();
    return;
  }
  SizeControlsCall();
}

void MainGUI::SizeControlsCall() {
  double x = columnSplitterBar->x(), y2 = infoPanelSplitterBar->y(), y3 = scriptPanelSplitterBar->y();
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
  fileList_->place(ix, iy2, gap, H);

  const bool docked = scriptPanelShown();
  y3 = std::min<double>(std::max<double>(y3, kMinRow), H - kMinRow);
  if (!docked) y3 = H;
  const int iy3 = static_cast<int>(y3);
  eventList_->place(right, W - right, iy3);

  scriptPanel_->place(docked, right, iy3 + gap, W - right, H - (iy3 + gap));
  scriptPanelSplitter->setVisible(docked);
  if (docked) {
    Place(scriptPanelSplitter, right, iy3, W - right, gap);
  }
  Place(columnSplitter, ix, 0, gap, H);
  Place(infoPanelSplitter, 0, iy2, ix, gap);
  for (QWidget* w : {static_cast<QWidget*>(columnSplitter), static_cast<QWidget*>(infoPanelSplitter),
                     static_cast<QWidget*>(scriptPanelSplitter)})
    w->raise();
  ui::Windows().drawTabsAndHeader();
}

// ---- splitters ------------------------------------------------------------------

void MainGUI::onSplitterMoved() {
  SizeControlsCall();
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
  if (event->type() == QEvent::WindowStateChange && isMinimized()) layoutControls();
}

bool MainGUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) {
    layoutControls();
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
  if (buildRunning() || loading_ || isTextInput(QApplication::focusWidget())) return false;
  const KeyCode k = MapKey(*event);
  if (k.code == 0) return false;
  if (event->type() == QEvent::KeyPress) return onKeyDown(k.code, k.shift);
  if (event->isAutoRepeat()) return false;
  return onKeyUp(k.code, k.shift);
}

bool MainGUI::onKeyDown(int keyCode, int shift) {
  if (buildRunning()) return false;
  if ((shift & kCtrlMask) && fileList_->list()->isEnabled() && fileList_->addAtCursor(keyCode)) return true;
  if (!menus_->editMenuEnabled()) return false;
  switch (keyCode) {
    case 188:
    case 190:
      GUICore::ShiftSelectedStoreItems(keyCode == 188 ? -1 : 1);
      fileList_->followFileListCursor();
      return true;
    case 186:
    case 187: {
      const int sign = keyCode == 186 ? 1 : -1;
      if (shift == 0) {
        eventList_->stepTargets(sign);
      } else if (shift == kShiftMask) {
        eventList_->stepValue(sign);
      } else if (shift == (kShiftMask | kCtrlMask)) {
        eventList_->stepValue(10 * sign);
      } else {
        return false;
      }
      return true;
    }
    default:
      return false;
  }
}

bool MainGUI::onKeyUp(int keyCode, int) {
  if (buildRunning() || !menus_->editMenuEnabled()) return false;
  if (keyCode < 49 || keyCode > 57) return false;
  const int k = keyCode - 48;
  const auto& tabs = GUICore::State().tabs;
  if (static_cast<int>(tabs.size()) < k) return false;
  if (k == 1) {
    GUICore::ShowTimeline(0, false);
  } else {
    GUICore::ShowTimeline(GUICore::FindTimelineOfSprite(tabs[static_cast<size_t>(k - 1)].spriteId), false);
  }
  eventList_->followCurrentEvent();
  return true;
}

// ---- backup timer, build ------------------------------------------------------------

void MainGUI::writeAutoBackup() { GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false); }

void MainGUI::cancelBuild() {
  cancelPressed_ = true;
  GUICore::Build().cancelBuild = -1;
}

bool MainGUI::buildStep(const std::string& line) {
  // A build reports a line per event; painting and yielding for each of them
  // costs more than the build itself. The window runs at most every 30 ms,
  // which keeps the line readable and the cancel button as quick as before.
  if (stepClock_.isValid() && stepClock_.elapsed() < 30) return cancelPressed_;
  fileList_->printStatus(ToQ(line));
  QCoreApplication::processEvents();
  stepClock_.start();
  return cancelPressed_;
}

bool MainGUI::buildRunning() const { return GUICore::BuildInProgress(); }

void MainGUI::onBuildRunningChanged(bool running) {
  stepClock_.invalidate();
  if (running) {
    cancelPressed_ = false;
    controlsBeforeBuild_.clear();
    // Every command of the menus is off; the lists and the script panel
    // take no input. Only the cancel button and closing (which cancels)
    // remain.
    menus_->setBuildRunning(true);
    for (QWidget* w : {fileList_->list(), eventList_->list(), scriptPanel_->text(), scriptPanel_->bar(),
                       eventList_->head(), fileList_->head()}) {
      if (!w) continue;  // a script panel never shown
      controlsBeforeBuild_.emplace_back(w, w->isEnabled());
      w->setEnabled(false);
    }
    fileList_->cancelButton()->show();
    fileList_->cancelButton()->raise();
    return;
  }
  menus_->setBuildRunning(false);
  for (auto& [w, enabled] : controlsBeforeBuild_) w->setEnabled(enabled);
  controlsBeforeBuild_.clear();
  fileList_->cancelButton()->hide();
  if (closeAfterBuild_) {
    closeAfterBuild_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

// ---- areas ---------------------------------------------------------------------------

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
