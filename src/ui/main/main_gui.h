#pragma once
// The main window. Controls and menu items keep the names the rest of the
// program knows them by (objectName too, so tests find them with
// findChild); handlers are named after the control and the event.
//
// Each area has its own section below and its own source file
// (main_gui_event_list.cpp, main_gui_file_list.cpp, main_gui_script.cpp,
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

#include "project/window_services.h"

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

class EventListView;
class FileListHeader;
class PrintCanvas;
class SplitterHandle;
class WheelHook;
class SplashWindow;
class TextEffectEditor;
class ScopedTextEffectEditor;

class MainGUI : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainGUI(QWidget* parent = nullptr);
  ~MainGUI() override;
  // The window its constructor registered; null before and after.
  static MainGUI* instance();

  // ---- start-up and shut-down (main_gui.cpp) ------------------------------
  // The whole start-up; `commandLine` is the argument text (one pair of
  // enclosing double quotes is removed).
  void Form_Load(const QString& commandLine);
  // The shut-down; false when the user cancelled at the save question (the
  // window stays). Runs once: later calls answer true.
  bool Form_Unload();
  void Form_Resize();
  // Keys seen before the focused control; true when the key was used.
  bool Form_KeyDown(int keyCode, int shift);
  bool Form_KeyUp(int keyCode, int shift);
  // cancel = 1 when the user chose Cancel, or when Yes did not save.
  void ConfirmSaveProject(int& cancel);
  void LoadPreference();
  // False (with the reason) when the settings file could not be written.
  bool SavePreference(std::string* error = nullptr);
  void EnumTrueTypeFont();
  // The installed outline fonts (0-based), for the material dialog.
  const std::vector<std::string>& fontList() const { return fontList_; }

  // ---- layout and splitters ----------------------------------------------
  void SizeControls(double& x, double& y2, double& y3);
  void SizeControlsCall();
  void imgSplitter_MouseDown(int button, int shift, int x, int y);
  void imgSplitter_MouseMove(int button, int shift, int x, int y);
  void imgSplitter_MouseUp(int button, int shift, int x, int y);
  void imgSplitter2_MouseDown(int button, int shift, int x, int y);
  void imgSplitter2_MouseMove(int button, int shift, int x, int y);
  void imgSplitter2_MouseUp(int button, int shift, int x, int y);
  void imgSplitter3_MouseDown(int button, int shift, int x, int y);
  void imgSplitter3_MouseMove(int button, int shift, int x, int y);
  void imgSplitter3_MouseUp(int button, int shift, int x, int y);
  // Whether the docked script panel takes its place below the event list.
  bool scriptPanelShown() const;
  int listEventHeadHeight() const;

  // ---- backup timer, cancel button, status line ---------------------------
  void Timer1_Timer();
  void Command7_Click();
  // Build progress: prints the line, lets the window run once; true when
  // cancel was pressed since the build started.
  bool buildStep(const std::string& line);
  // The build starts (true) or ends: the cancel button shows, and every
  // command that would change the model or start another build is off.
  void setBuildRunning(bool running);
  bool buildRunning() const { return buildRunning_; }
  // Clears the status line and prints one line.
  void printStatus(const QString& line);

  // ---- menus (main_gui_menus.cpp) -----------------------------------------
  void BuildRecentFilesMenu();
  void mnuEditUndo_Click();
  void mnuEditRedo_Click();
  void mnuEvent_Click();
  void mnuSelAllEvent_Click();
  void mnuEventSync_Click();
  void mnuScriptEditor_Click();
  void mnuDispSpriteTag_Click();
  void mnuOpenHelp_Click();
  void mnuVersion_Click();

  // ---- File commands (main_gui_file.cpp) ----------------------------------
  void mnuCreateNew_Click();
  void mnuOpenFile_Click();
  void mnuMostRecent_Click(int k);
  // True when the project was written.
  bool mnuSaveOverride_Click();
  bool mnuSaveAs_Click();
  void mnuMakeSWF_Click();
  void mnuQuit_Click();
  // Opens a project as the command line and drops do (after the question).
  bool openProjectFile(const std::string& path);

  // ---- Preview menu (main_gui_preview.cpp) --------------------------------
  void mnuPreviewWindow_Click();
  void mnuPreviewWindowSelected_Click();
  void mnuPreviewBrowser_Click();
  void mnuPreviewSAPlayer_Click();
  void mnuPreviewTrace_Click();
  void mnuPreviewOption_Click();
  // Builds and shows one preview (modes 1 to 6) with the Preview menu off
  // until it is done.
  void runPreview(int mode);
  bool previewRunning() const { return previewRunning_; }
  // A finished preview: 1 the preview window, 2 the browser, 3 the
  // stand-alone player.
  void showPreview(const QString& path, ui::PreviewTarget target, int width, int height);
  // From now on, starts the web player hidden `afterPaintMs` after the
  // window has painted with a project open, so that the first preview is as
  // quick as later ones (the program asks for it; tests mostly do not).
  void warmUpPlayerWhenIdle(int afterPaintMs = 200);

  // ---- handlers the start-up and the keys call (event list) -------------
  void PictEventList_Click();
  void PictEventList_GotFocus();
  void PictEventList_LostFocus();
  void ListEventStepValue(int step);
  void ListEventStepTargets(int step);
  // Puts an area's own widget in place of its placeholder: the list's scroll
  // bars move into it, objectName and geometry are kept.
  void replaceFileList(QWidget* list);
  void replaceEventList(QWidget* list);

  // ---- event list (main_gui_event_list.cpp) -------------------------------
  // The list's widget (PictEventList) once it replaced the placeholder.
  EventListView* eventListView() const;
  // Repaint requests of the core: the rows, the tab strip with the heads.
  void DrawEventList();
  void DrawTabsAndHeader();
  void PictEventList_MouseDown(int button, int shift, int x, int y);
  void PictEventList_MouseMove(int button, int shift, int x, int y);
  void PictEventList_MouseUp(int button, int shift, int x, int y);
  void PictEventList_DblClick();
  // True when the key was a navigation key of the list.
  bool PictEventList_KeyDown(int keyCode, int shift);
  void PictEventList_KeyUp(int keyCode, int shift);
  void PictEventList_KeyPress(int ascii);
  void PictEventList_Resize();
  void VScroll2_Change(int value);
  void HScroll2_Change(int value);
  void ListEventHead_MouseDown(int button, int shift, int x, int y);
  void ListEventHead_MouseMove(int button, int shift, int x, int y);
  void ListEventHead_MouseUp(int button, int shift, int x, int y);
  void ListEventHead_DblClick();
  void mnuSpriteTagClose_Click();
  void mnuEventSelect_Click(int k);
  void ListEventAddAction();
  void ListEventCopy();
  void ListEventCut();
  void ListEventPaste();
  void ListEventDelete();
  // Fills mnuEventSelectRoot with the sprites; the entry of the shown
  // timeline, or null when the project has no sprite timeline.
  QAction* BuildSpriteMenu();
  // The wheel goes to the list that has the focus; the file list joins it.
  WheelHook* wheelHook = nullptr;

  // ---- script panel and its windows' menu entries (main_gui_script.cpp) ---
  void Text1_Change();
  void Text1_GotFocus();
  void Text1_LostFocus();
  void Combo1_Change();
  void Command4_Click();  // find in the script
  void Command5_Click();  // syntax check
  void Command6_Click();  // undock
  void UpdateScriptLineLabel();
  void mnuProject_Click();
  void mnuOption_Click();
  void mnuImportProject_Click();
  void mnuSearch_Click();
  void mnuSearchNext_Click();
  // Set by the event property dialog while it is shown: the script box of
  // the kind takes every edit of the script editors.
  std::function<void(int32_t kind, const std::string& text)> eventDialogScript;

  // ---- dialogs no list owns (main_gui_dialogs.cpp) ------------------------
  void mnuEventlistOption_Click();

  // ---- file list, its popup and the information panel --------------------
  // (main_gui_file_list.cpp)
  void PictFileList_MouseDown(int button, int shift, int x, int y);
  void PictFileList_MouseMove(int button, int shift, int x, int y);
  void PictFileList_MouseUp(int button, int shift, int x, int y);
  void PictFileList_Click();
  // fromMouse: a double click of the mouse (its release is no click).
  void PictFileList_DblClick(bool fromMouse = false);
  void PictFileList_KeyDown(int keyCode, int shift);
  void PictFileList_KeyUp(int keyCode, int shift);
  void PictFileList_GotFocus();
  void PictFileList_LostFocus();
  void PictFileList_OLEDragOver(int y);
  // Local paths dropped from the desktop at y.
  void PictFileList_OLEDragDrop(int y, const std::vector<std::string>& paths);
  void ListJpegStoreHead_MouseUp(int button, int shift, double x, int y);
  void mnuAddEvent_Click();
  void mnuAddFile_Click();
  void mnuAddText_Click();
  void mnuAddSprite_Click();
  void mnuAddFolder_Click();
  void mnuDeleteStore_Click();
  void mnuDuplicateItem_Click();
  void mnuSelAllStore_Click();
  void mnuStoreUndo_Click();
  void mnuStoreRedo_Click();
  void mnuStoreOpenFile_Click();
  void mnuStoreOpenFolder_Click();
  void mnuStoreProperty_Click();
  void mnuSortUp_Click();
  void mnuSortDown_Click();
  // Events for the selected materials at the event list's current row.
  void ListJpegStoreAddEvent();
  // The material property exchange; changed = 1 when an item changed.
  void ListJpegStoreProperty(int& changed);
  // The information panel for a store item (0: none), and the sound
  // preview of the panel's sound: 0 play, 1 stop.
  void ShowItemInfo(int32_t id);
  void SoundPreview(int mode);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  // While the file list has the focus, Edit > Undo and Redo follow the
  // store's history (after every change, not only when the focus arrives).
  void refreshStoreEditItems();

  // ---- event property dialog (main_gui_event_dialog.cpp) -----------------
  bool eventPropertyVisible() const;
  // Places, shows and fills the dialog for the selected events.
  void ListEventProperty();
  // Fills the dialog (made when there is none; never shown here).
  void ListEventPropertyLoad();
  // The dialog's Apply: its fields into every selected event.
  void ListEventPropertyApply();

  // ---- controls -----------------------------------------------------------
  PrintCanvas* Picture1 = nullptr;  // information panel and status line
  QWidget* ListJpegStoreHead = nullptr;
  QWidget* PictFileList = nullptr;
  QScrollBar* VScroll1 = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QWidget* ListEventHead = nullptr;
  QWidget* PictEventList = nullptr;
  QScrollBar* VScroll2 = nullptr;
  QScrollBar* HScroll2 = nullptr;
  QWidget* Picture4 = nullptr;  // bar of the docked script panel
  QLabel* Label1 = nullptr;     // "Line：" n
  QLabel* Label2 = nullptr;     // script target caption
  QComboBox* Combo1 = nullptr;  // search text
  QPushButton* Command4 = nullptr;  // search
  QPushButton* Command5 = nullptr;  // syntax check
  QPushButton* Command6 = nullptr;  // undock
  QPlainTextEdit* Text1 = nullptr;  // script text
  QPushButton* Command1 = nullptr;  // play sound
  QPushButton* Command2 = nullptr;  // stop sound
  QPushButton* Command3 = nullptr;  // edit sprite
  QPushButton* Command7 = nullptr;  // cancel build
  SplitterHandle* imgSplitter = nullptr;
  SplitterHandle* imgSplitter2 = nullptr;
  SplitterHandle* imgSplitter3 = nullptr;
  QFrame* picSplitter = nullptr;
  QFrame* picSplitter2 = nullptr;
  QFrame* picSplitter3 = nullptr;
  QTimer* Timer1 = nullptr;  // automatic backup

  // ---- menu items ---------------------------------------------------------
  QMenu* mnuFile = nullptr;
  QAction* mnuCreateNew = nullptr;
  QAction* mnuOpenFile = nullptr;
  QAction* mnuSaveOverride = nullptr;
  QAction* mnuSaveAs = nullptr;
  QAction* mnuImportProject = nullptr;
  QAction* mnuMakeSWF = nullptr;
  QAction* mnuProject = nullptr;
  QAction* mnuOption = nullptr;
  std::vector<QAction*> mnuMostRecent;  // element 0 always exists
  QAction* mnuQuit = nullptr;

  QMenu* mnuEvent = nullptr;  // Edit
  QAction* mnuEditUndo = nullptr;
  QAction* mnuEditRedo = nullptr;
  QAction* mnuCopyEvent = nullptr;
  QAction* mnuCutEvent = nullptr;
  QAction* mnuPasteEvent = nullptr;
  QAction* mnuSelAllEvent = nullptr;
  QAction* mnuSearch = nullptr;
  QAction* mnuSearchNext = nullptr;
  QAction* mnuEventSync = nullptr;
  QAction* mnuInsertAction = nullptr;
  QAction* mnuDeleteEvent = nullptr;
  QAction* mnuEventProperty = nullptr;

  QMenu* mnuDisplay = nullptr;  // View
  QAction* mnuScriptEditor = nullptr;
  QAction* mnuEventlistOption = nullptr;
  QAction* mnuDispSpriteTag = nullptr;

  QMenu* mnuPreview = nullptr;
  QAction* mnuPreviewWindow = nullptr;
  QAction* mnuPreviewWindowSelected = nullptr;
  QAction* mnuPreviewBrowser = nullptr;
  QAction* mnuPreviewSAPlayer = nullptr;
  QAction* mnuPreviewTrace = nullptr;
  QAction* mnuPreviewOption = nullptr;

  QMenu* mnuHelp = nullptr;
  QAction* mnuOpenHelp = nullptr;
  QAction* mnuVersion = nullptr;

  // Hidden popups.
  QMenu* mnuJpegStore = nullptr;  // file list
  QAction* mnuAddEvent = nullptr;
  QAction* mnuStoreUndo = nullptr;
  QAction* mnuStoreRedo = nullptr;
  QMenu* mnuStoreOpen = nullptr;
  QAction* mnuStoreOpenFile = nullptr;
  QAction* mnuStoreOpenFolder = nullptr;
  QAction* mnuSelAllStore = nullptr;
  QAction* mnuDeleteStore = nullptr;
  QMenu* mnuAdd = nullptr;
  QAction* mnuAddFile = nullptr;
  QAction* mnuAddText = nullptr;
  QAction* mnuAddSprite = nullptr;
  QAction* mnuAddFolder = nullptr;
  QAction* mnuDuplicateItem = nullptr;
  QAction* mnuStoreProperty = nullptr;
  QMenu* mnuEventSelectRoot = nullptr;
  std::vector<QAction*> mnuEventSelect;  // element 0 "&0    (メイン)"
  QMenu* mnuSpriteTag = nullptr;
  QAction* mnuSpriteTagClose = nullptr;
  QMenu* mnuSort = nullptr;
  QAction* mnuSortUp = nullptr;
  QAction* mnuSortDown = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void createMenus();  // main_gui_menus.cpp
  void connectFileMenu();  // main_gui_file.cpp
  // Area setup, each in its area's file.
  void setupEventListArea();
  void setupFileListArea();
  void setupScriptArea();
  void setupPreviewArea();
  void setupDialogArea();
  void setupEventDialogArea();

  void replaceList(QWidget*& slot, QWidget* list, QScrollBar* v, QScrollBar* h);
  void addNewStoreItem(const char* kindKey);  // main_gui_file_list.cpp
  void followFileListCursor();
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
  FileListHeader* fileListHeader_ = nullptr;
  std::string infoSoundPath_;  // the sound of the information panel
  std::unique_ptr<GUICore::ScopedRecentFilesHook> recentFilesHook_;
  // The material dialog's text-effect button reaches the text-effect dialog
  // through this editor while the window lives.
  std::unique_ptr<TextEffectEditor> textEffectEditor_;
  std::unique_ptr<ScopedTextEffectEditor> textEffectScope_;
  QPointer<SplashWindow> splash_;
  int splitterGap_ = 3;
  bool splitterMoving_[3] = {false, false, false};
  bool unloaded_ = false;
  bool loading_ = false;
  bool buildRunning_ = false;
  bool previewRunning_ = false;
  std::unique_ptr<player::ScopedUrlOpener> movieLinks_;
  bool cancelPressed_ = false;
  QElapsedTimer stepClock_;  // since the build last let the window run
  bool closeAfterBuild_ = false;
  std::vector<std::pair<QAction*, bool>> actionsBeforeBuild_;
  std::vector<std::pair<QWidget*, bool>> controlsBeforeBuild_;
};

}  // namespace tesmiro::gui
