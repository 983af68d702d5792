#pragma once
// The main window. Its controls and menu items are its own: other windows
// reach it through the commands and accessors below, tests find a control by
// its objectName, which is the member's name.
//
// Each area has its own section below and its own source file
// (event_list_area.cpp, file_list_area.cpp, main_gui_script.cpp,
// main_gui_preview.cpp, main_gui_dialogs.cpp, main_gui_event_dialog.cpp).
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

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTimer;

namespace tesmiro::GUICore {
class ScopedRecentFilesHook;
}
namespace tesmiro::player {
class ScopedUrlOpener;
}

namespace tesmiro::gui {

class EventListArea;
class FileListArea;
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
  void traceWindowUnloaded() override { setTraceWindowChecked(false); }
  void applyEventDialog() override { ListEventPropertyApply(); }
  void showDockedScriptEditor() override { setScriptEditorChecked(true); }

  // ---- start-up and shut-down (main_gui.cpp) ------------------------------
  // The whole start-up; `commandLine` is the argument text (one pair of
  // enclosing double quotes is removed).
  void startUp(const QString& commandLine);
  // The shut-down; false when the user cancelled at the save question (the
  // window stays). Runs once: later calls answer true.
  bool shutDown();
  void layoutControls();
  // Keys seen before the focused control; true when the key was used.
  bool onKeyDown(int keyCode, int shift);
  bool onKeyUp(int keyCode, int shift);
  // False when the user chose Cancel, or when Yes did not save.
  bool ConfirmSaveProject();
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
  // Clears the status line and prints one line.
  void printStatus(const QString& line);
  // The focus goes to the file list.
  void focusFileList();
  // The store changed: the file list and its header repaint, Undo and Redo
  // follow.
  void refreshFileList();
  // Checks View > Script editor without running its command.
  void setScriptEditorChecked(bool checked);

  // ---- menus (main_gui_menus.cpp) -----------------------------------------
  void BuildRecentFilesMenu();
  void undo();
  void redo();
  void refreshEditMenu();
  void selectAllEvents();
  void syncWithFileList();
  void toggleScriptEditor();
  void toggleSpriteTabs();
  void openHelp();
  void showVersion();

  // ---- File commands (main_gui_file.cpp) ----------------------------------
  void newProject();
  void openProject();
  void openRecentProject(int k);
  // True when the project was written.
  bool save();
  bool saveAs();
  void makeSwf();
  void quit();
  // Opens a project as the command line and drops do (after the question).
  bool openProjectFile(const std::string& path);

  // ---- Preview menu (main_gui_preview.cpp) --------------------------------
  void previewInWindow();
  void previewSelected();
  void previewInBrowser();
  void previewInPlayer();
  void toggleTraceWindow();
  void editPreviewOptions();
  // Checks Preview > Trace window without running its command.
  void setTraceWindowChecked(bool checked);
  // Builds and shows one preview (modes 1 to 6) with the Preview menu off
  // until it is done.
  void runPreview(int mode);
  // A finished preview: 1 the preview window, 2 the browser, 3 the
  // stand-alone player.
  void showPreview(const QString& path, ui::PreviewTarget target, int width, int height);
  // From now on, starts the web player hidden `afterPaintMs` after the
  // window has painted with a project open, so that the first preview is as
  // quick as later ones (the program asks for it; tests mostly do not).
  void warmUpPlayerWhenIdle(int afterPaintMs = 200);

  // ---- event list with its tab strip (event_list_area.cpp) ---------------
  // The keys, the menus, the window services and tests call these.
  void onEventListClicked();
  void onEventListFocusIn();
  void onEventListFocusOut();
  void ListEventStepValue(int step);
  void ListEventStepTargets(int step);
  void ListEventCopy();
  void ListEventPaste();
  // Every command that can show another timeline or find an event calls
  // this once it is done: the views that follow the current event load it.
  void followCurrentEvent();
  // Repaint requests of the core: the rows, the tab strip with the heads.
  void DrawEventList();
  void DrawTabsAndHeader();
  // The wheel goes to the list that has the focus; both lists join it.
  WheelHook* wheelHook = nullptr;

  // ---- menu entries of the script area's windows (main_gui_script.cpp) ----
  void editProjectProperties();
  void editOptions();
  void importProject();
  void openSearch();
  void findNext();
  // Set by the event property dialog while it is shown: the script box of
  // the kind takes every edit of the script editors.
  std::function<void(int32_t kind, const std::string& text)> eventDialogScript;

  // ---- dialogs no list owns (main_gui_dialogs.cpp) ------------------------
  void editEventListDisplay();

  // ---- file list, its popup and the information panel (file_list_area.cpp)
  // The list's widgets hand their input to these; tests and the window
  // services call the rest.
  void onFileListMouseDown(int button, int shift, int x, int y);
  void onFileListMouseMove(int button, int shift, int x, int y);
  void onFileListMouseUp(int button, int shift, int x, int y);
  void onFileListClicked();
  // fromMouse: a double click of the mouse (its release is no click).
  void onFileListDoubleClick(bool fromMouse = false);
  void onFileListKeyDown(int keyCode, int shift);
  void onFileListKeyUp(int keyCode, int shift);
  void onFileListFocusIn();
  void onFileListFocusOut();
  void onFileListDragOver(int y);
  // Local paths dropped from the desktop at y.
  void onFileListDrop(int y, const std::vector<std::string>& paths);
  void onFileListHeadMouseUp(int button, int shift, double x, int y);
  void duplicateItem();
  void sortUp();
  // Paints the information panel for a store item (0: none); the core's
  // ShowItemInfo records which item it is.
  void ShowItemInfo(int32_t id);

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
  // What the script editor module asks of the window (main_gui_script.cpp).
  friend class ScriptPanel;
  friend class FileListArea;
  friend class EventListArea;

  void createControls();
  void createMenus();  // main_gui_menus.cpp
  void connectFileMenu();  // main_gui_file.cpp
  // Area setup, each in its area's file.
  void setupScriptArea();
  void setupPreviewArea();
  void setupDialogArea();
  void setupEventDialogArea();

  void replaceList(QWidget*& slot, QWidget* list, QScrollBar* v, QScrollBar* h);
  void applyWindowPreferences();
  void followEventSyncOption();
  void storeWindowPreferences();
  bool isTextInput(const QWidget* w) const;
  bool routeKey(QObject* watched, QKeyEvent* event);
  QWidget* focusedControl() const;

  // The stored outer size, until the window manager has told the frame's
  // size (the inner size is the outer one less the frame).
  QSize pendingOuterSize_;
  void fitPendingOuterSize();
  std::vector<std::string> fontList_;
  std::unique_ptr<GUICore::ScopedRecentFilesHook> recentFilesHook_;
  // The material dialog's text-effect button reaches the text-effect dialog
  // through this editor while the window lives.
  std::unique_ptr<TextEffectEditor> textEffectEditor_;
  std::unique_ptr<ScopedTextEffectEditor> textEffectScope_;
  QPointer<SplashWindow> splash_;
  int splitterGap_ = 3;
  bool unloaded_ = false;
  bool loading_ = false;
  std::unique_ptr<player::ScopedUrlOpener> movieLinks_;
  bool cancelPressed_ = false;
  QElapsedTimer stepClock_;  // since the build last let the window run
  bool closeAfterBuild_ = false;
  std::vector<std::pair<QAction*, bool>> actionsBeforeBuild_;
  std::vector<std::pair<QWidget*, bool>> controlsBeforeBuild_;

  // ---- controls -----------------------------------------------------------
  ScriptPanel* scriptPanel_ = nullptr;  // the docked panel and the script editor
  FileListArea* fileList_ = nullptr;  // the file list with the information panel
  EventListArea* eventList_ = nullptr;  // the event list with its tab strip
  SplitterHandle* columnSplitter = nullptr;
  SplitterHandle* infoPanelSplitter = nullptr;
  SplitterHandle* scriptPanelSplitter = nullptr;
  QFrame* columnSplitterBar = nullptr;
  QFrame* infoPanelSplitterBar = nullptr;
  QFrame* scriptPanelSplitterBar = nullptr;
  QTimer* backupTimer = nullptr;

  // ---- menu items ---------------------------------------------------------
  QMenu* fileMenu = nullptr;
  QAction* newProjectAction = nullptr;
  QAction* openProjectAction = nullptr;
  QAction* saveAction = nullptr;
  QAction* saveAsAction = nullptr;
  QAction* importProjectAction = nullptr;
  QAction* makeSwfAction = nullptr;
  QAction* projectPropertiesAction = nullptr;
  QAction* optionsAction = nullptr;
  std::vector<QAction*> recentProjectActions;  // element 0 always exists
  QAction* quitAction = nullptr;

  QMenu* editMenu = nullptr;
  QAction* undoAction = nullptr;
  QAction* redoAction = nullptr;
  QAction* copyEventsAction = nullptr;
  QAction* cutEventsAction = nullptr;
  QAction* pasteEventsAction = nullptr;
  QAction* selectAllEventsAction = nullptr;
  QAction* findAction = nullptr;
  QAction* findNextAction = nullptr;
  QAction* syncWithFileListAction = nullptr;
  QAction* insertActionEventAction = nullptr;
  QAction* deleteEventsAction = nullptr;
  QAction* eventPropertiesAction = nullptr;

  QMenu* viewMenu = nullptr;
  QAction* scriptEditorAction = nullptr;
  QAction* eventListDisplayAction = nullptr;
  QAction* spriteTabsAction = nullptr;

  QMenu* previewMenu = nullptr;
  QAction* previewWindowAction = nullptr;
  QAction* previewSelectedAction = nullptr;
  QAction* previewInBrowserAction = nullptr;
  QAction* previewInPlayerAction = nullptr;
  QAction* traceWindowAction = nullptr;
  QAction* previewOptionsAction = nullptr;

  QMenu* helpMenu = nullptr;
  QAction* openHelpAction = nullptr;
  QAction* versionAction = nullptr;

  // Hidden popups.
  QMenu* fileListMenu = nullptr;
  QAction* addToEventsAction = nullptr;
  QAction* storeUndoAction = nullptr;
  QAction* storeRedoAction = nullptr;
  QMenu* openFileMenu = nullptr;
  QAction* openWithAppAction = nullptr;
  QAction* showInFolderAction = nullptr;
  QAction* selectAllItemsAction = nullptr;
  QAction* deleteItemsAction = nullptr;
  QMenu* addItemMenu = nullptr;
  QAction* addFileAction = nullptr;
  QAction* addTextAction = nullptr;
  QAction* addSpriteAction = nullptr;
  QAction* addFolderAction = nullptr;
  QAction* duplicateItemAction = nullptr;
  QAction* itemPropertiesAction = nullptr;
  QMenu* timelineMenu = nullptr;
  QAction* mainTimelineAction = nullptr;  // "&0    (メイン)", before the sprites' entries
  QMenu* spriteTabMenu = nullptr;
  QAction* closeSpriteTabAction = nullptr;
  QMenu* sortMenu = nullptr;
  QAction* sortUpAction = nullptr;
  QAction* sortDownAction = nullptr;
};

}  // namespace tesmiro::gui
