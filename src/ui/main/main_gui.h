#pragma once
// The main window: a frame that owns one object per area (the file list with
// its information panel, the event list with its tabs, the script panel, the
// menus with their commands) and keeps the start-up and shut-down, the
// layout with its splitters, the window's keys, the build's cancel button and
// status line, and the backup timer. Other windows reach it through the
// accessors below; tests find a control by its objectName, which is the
// member's name.
#include <QMainWindow>
#include <QElapsedTimer>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"
#include "project/window_services.h"
#include "ui/dialogs/dialog_owner.h"

class QFrame;
class QScrollBar;
class QTimer;

namespace tesmiro::gui {

class EventListArea;
class FileListArea;
class MainMenus;
class SplitterHandle;
class WheelHook;
class SplashWindow;
class TextEffectEditor;
class ScopedTextEffectEditor;
class ScriptPanel;

class MainGUI : public QMainWindow, public DialogOwner {
  Q_OBJECT

 public:
  explicit MainGUI(QWidget* parent = nullptr);
  ~MainGUI() override;
  // The window its constructor registered; null before and after.
  static MainGUI* instance();

  // What the windows made on demand ask of the window they belong to.
  QWidget* ownerWindow() override { return this; }
  void traceWindowUnloaded() override;
  void applyEventDialog() override { ListEventPropertyApply(); }
  void showDockedScriptEditor() override;

  // The menu bar, the hidden popups and the commands that belong to no list.
  MainMenus& menus() { return *menus_; }
  // The file list with its header, popups and the information panel, which
  // is also the status line.
  FileListArea& fileList() { return *fileList_; }
  // The event list with its tab strip and the Edit menu's event commands.
  EventListArea& eventList() { return *eventList_; }

  // ---- start-up and shut-down (main_gui.cpp) ------------------------------
  // The whole start-up; `commandLine` is the argument text (one pair of
  // enclosing double quotes is removed).
  void startUp(const QString& commandLine);
  // The shut-down; false when the user cancelled at the save question (the
  // window stays). Runs once: later calls answer true. Without `ask` (the
  // system asked the program to end) nobody is asked, and unsaved changes
  // are kept in the automatic backup for the next start to offer.
  bool shutDown(bool ask = true);
  void layoutControls();
  // Keys seen before the focused control; true when the key was used.
  bool onKeyDown(int keyCode, int shift);
  bool onKeyUp(int keyCode, int shift);
  void LoadPreference();
  // Why not, when the settings file could not be written.
  Result<void> SavePreference();
  void EnumTrueTypeFont();
  // The installed outline fonts (0-based), for the material dialog.
  const std::vector<std::string>& fontList() const { return fontList_; }

  // ---- layout and splitters ----------------------------------------------
  void SizeControls(double& x, double& y2, double& y3);
  void SizeControlsCall();
  // After a splitter's drag: the areas take their new sizes.
  void onSplitterMoved();
  // Whether the docked script panel takes its place below the event list.
  bool scriptPanelShown() const;

  // ---- backup timer, cancel button, status line ---------------------------
  void writeAutoBackup();
  void cancelBuild();
  // Build progress: prints the line, lets the window run once; true when
  // cancel was pressed since the build started.
  bool buildStep(const std::string& line);
  // The build lock was taken (true) or released: the cancel button shows,
  // and every command that would change the model or start another build is
  // off.
  void onBuildRunningChanged(bool running);
  bool buildRunning() const;

  // The wheel goes to the list that has the focus; both lists join it.
  WheelHook* wheelHook = nullptr;

  // Set by the main window when it is made: while the event property dialog
  // is shown, its script box of the kind takes every edit of the script
  // editors.
  std::function<void(int32_t kind, const std::string& text)> eventDialogScript;

  // ---- event property dialog (main_gui_event_dialog.cpp) -----------------
  bool eventPropertyVisible() const;
  // Places, shows and fills the dialog for the selected events.
  void ListEventProperty();
  // Fills the dialog (made when there is none; never shown here).
  void ListEventPropertyLoad();
  // The dialog's Apply: its fields into every selected event.
  void ListEventPropertyApply();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The areas reach each other's controls through the window.
  friend class ScriptPanel;
  friend class FileListArea;
  friend class EventListArea;
  friend class MainMenus;

  void createControls();
  // Set-up of what no area owns, each in its own file.
  void setupDialogArea();
  void setupEventDialogArea();

  void replaceList(QWidget*& slot, QWidget* list, QScrollBar* v, QScrollBar* h);
  void applyWindowPreferences();
  void storeWindowPreferences();
  bool isTextInput(const QWidget* w) const;
  bool routeKey(QObject* watched, QKeyEvent* event);
  QWidget* focusedControl() const;

  // The stored outer size, until the window manager has told the frame's
  // size (the inner size is the outer one less the frame).
  QSize pendingOuterSize_;
  void fitPendingOuterSize();
  std::vector<std::string> fontList_;
  // The material dialog's text-effect button reaches the text-effect dialog
  // through this editor while the window lives.
  std::unique_ptr<TextEffectEditor> textEffectEditor_;
  std::unique_ptr<ScopedTextEffectEditor> textEffectScope_;
  QPointer<SplashWindow> splash_;
  int splitterGap_ = 3;
  bool unloaded_ = false;
  bool loading_ = false;
  bool cancelPressed_ = false;
  QElapsedTimer stepClock_;  // since the build last let the window run
  bool closeAfterBuild_ = false;
  std::vector<std::pair<QWidget*, bool>> controlsBeforeBuild_;

  // ---- controls -----------------------------------------------------------
  ScriptPanel* scriptPanel_ = nullptr;  // the docked panel and the script editor
  FileListArea* fileList_ = nullptr;  // the file list with the information panel
  EventListArea* eventList_ = nullptr;  // the event list with its tab strip
  MainMenus* menus_ = nullptr;  // the menus and the commands that belong to no list
  SplitterHandle* columnSplitter = nullptr;
  SplitterHandle* infoPanelSplitter = nullptr;
  SplitterHandle* scriptPanelSplitter = nullptr;
  QFrame* columnSplitterBar = nullptr;
  QFrame* infoPanelSplitterBar = nullptr;
  QFrame* scriptPanelSplitterBar = nullptr;
  QTimer* backupTimer = nullptr;
};

}  // namespace tesmiro::gui
