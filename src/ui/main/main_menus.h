#pragma once
// The main window's menus and commands: the menu bar (File, Edit, View,
// Preview, Help), the hidden popups of the lists and the tab strip, and the
// commands that belong to no list: the project files, Make SWF, the
// previews, the windows the menus open, and undo and redo routed to the
// focused list. The menus are the main window's children, so they keep
// being found by their names from the window.
#include <QObject>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "project/window_services.h"

class QAction;
class QMenu;
class QString;

namespace tesmiro::GUICore {
class ScopedRecentFilesHook;
}
namespace tesmiro::player {
class ScopedUrlOpener;
}

namespace tesmiro::gui {

class MainGUI;

class MainMenus final : public QObject {
 public:
  // The menu tree goes into the window's menu bar; the File, Edit, View and
  // Help commands are connected.
  explicit MainMenus(MainGUI* w);
  ~MainMenus() override;
  // The lists' and the tab strip's entries go to their areas, then the
  // remaining entries are connected (the areas' own lists must exist).
  void setUp();
  // After the settings were read: the View checks, the kind of the sync
  // entry and the recent projects.
  void followPreferences();
  // A build started (true): every entry of the window goes off; ended: each
  // is back as it was.
  void setBuildRunning(bool running);

  bool scriptEditorChecked() const;
  // These check an entry without running its command.
  void setScriptEditorChecked(bool checked);
  void setTraceWindowChecked(bool checked);
  // The Edit menu as a whole: off while the script text has the focus, and
  // the window's own keys act only while it is on.
  bool editMenuEnabled() const;
  void setEditMenuEnabled(bool enabled);

  // ---- File commands (main_menus_file.cpp) --------------------------------
  void newProject();
  // True when the project was written.
  bool save();
  bool saveAs();
  // Opens a project as the command line and drops do (after the question).
  bool openProjectFile(const std::string& path);
  // False when the user chose Cancel, or when Yes did not save.
  bool ConfirmSaveProject();

  // ---- Edit menu ----------------------------------------------------------
  // Undo and redo go to the list that has the focus.
  void undo();
  void redo();
  // What opening the Edit menu does: its entries follow the focused list.
  void refreshEditMenu();

  // ---- Preview menu (main_menus_preview.cpp) ------------------------------
  // A finished preview: in the preview window, the browser or the
  // stand-alone player.
  void showPreview(const QString& path, ui::PreviewTarget target, int width, int height);
  // From now on, starts the web player hidden `afterPaintMs` after the
  // window has painted with a project open, so that the first preview is as
  // quick as later ones (the program asks for it; tests mostly do not).
  void warmUpPlayerWhenIdle(int afterPaintMs = 200);

 private:
  void createMenus();
  void BuildRecentFilesMenu();
  // Undo (false) or redo (true) in the focused list's history.
  void stepHistory(bool forward);
  // With AlwaysEventSync the sync entry is a lasting check.
  void followEventSyncOption();

  void openProject();
  void openRecentProject(int k);
  void makeSwf();
  void quit();
  void importProject();
  void editProjectProperties();
  void editOptions();

  void selectAllEvents();
  void syncWithFileList();
  void openSearch();
  void findNext();

  void toggleScriptEditor();
  void editEventListDisplay();
  void toggleSpriteTabs();

  void previewInWindow();
  void previewSelected();
  void previewInBrowser();
  void previewInPlayer();
  // Builds and shows one preview (modes 1 to 6) with the Preview menu off
  // until it is done.
  void runPreview(int mode);
  void toggleTraceWindow();
  void editPreviewOptions();

  void openHelp();
  void showVersion();

  MainGUI* w_;
  std::unique_ptr<GUICore::ScopedRecentFilesHook> recentFilesHook_;
  std::unique_ptr<player::ScopedUrlOpener> movieLinks_;
  std::vector<std::pair<QAction*, bool>> actionsBeforeBuild_;

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
