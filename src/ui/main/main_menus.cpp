// The menu tree: captions, shortcuts and initial states; the hand-over of
// the popups' entries to the lists; and the commands that belong to no
// list: undo and redo routed to the focused list, the Edit menu's opening,
// select all, search, the View toggles, the windows of the File menu and
// the Help menu.
#include "ui/main/main_menus.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <functional>

#include "platform/ui.h"
#include "project/event_commands.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/recent_files.h"
#include "project/script_editor.h"
#include "project/sorting.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/event_list_display_dialog.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/main_gui.h"
#include "ui/main/on_demand_window.h"
#include "ui/player/flash_host.h"

namespace tesmiro::gui {
namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {},
              bool enabled = true) {
  QAction* a = menu->addAction(QString::fromUtf8(caption));
  a->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  a->setEnabled(enabled);
  return a;
}

QMenu* Menu(QWidget* parent, const char* name, const char* caption) {
  auto* m = new QMenu(QString::fromUtf8(caption), parent);
  m->setObjectName(QString::fromLatin1(name));
  m->menuAction()->setObjectName(QString::fromLatin1(name));
  return m;
}

void Separator(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); }

constexpr bool kOff = false;

}  // namespace

MainMenus::MainMenus(MainGUI* w) : QObject(w), w_(w) { createMenus(); }

MainMenus::~MainMenus() = default;

void MainMenus::setUp() {
  w_->eventList().setUp({editMenu, undoAction, redoAction, copyEventsAction, cutEventsAction, pasteEventsAction,
                         deleteEventsAction, selectAllEventsAction, eventPropertiesAction, syncWithFileListAction,
                         insertActionEventAction, timelineMenu, mainTimelineAction, spriteTabMenu,
                         closeSpriteTabAction});
  w_->fileList().setUp({fileListMenu, addToEventsAction, storeUndoAction, storeRedoAction, openFileMenu,
                        openWithAppAction, showInFolderAction, selectAllItemsAction, deleteItemsAction, addFileAction,
                        addTextAction, addSpriteAction, addFolderAction, duplicateItemAction, itemPropertiesAction,
                        sortMenu, sortUpAction, sortDownAction, undoAction, redoAction});
  // The entries' commands; the lists' own entries were connected by their areas.
  const std::pair<QAction*, std::function<void()>> commands[] = {
      {newProjectAction, [this] { newProject(); }},
      {openProjectAction, [this] { openProject(); }},
      {saveAction, [this] { save(); }},
      {saveAsAction, [this] { saveAs(); }},
      {importProjectAction, [this] { importProject(); }},
      {makeSwfAction, [this] { makeSwf(); }},
      {projectPropertiesAction, [this] { editProjectProperties(); }},
      {optionsAction, [this] { editOptions(); }},
      {recentProjectActions.front(), [this] { openRecentProject(0); }},
      {quitAction, [this] { quit(); }},
      {undoAction, [this] { undo(); }},
      {redoAction, [this] { redo(); }},
      {selectAllEventsAction, [this] { selectAllEvents(); }},
      {findAction, [this] { openSearch(); }},
      {findNextAction, [this] { findNext(); }},
      {syncWithFileListAction, [this] { syncWithFileList(); }},
      {eventPropertiesAction, [this] { w_->ListEventProperty(); }},
      {scriptEditorAction, [this] { toggleScriptEditor(); }},
      {eventListDisplayAction, [this] { editEventListDisplay(); }},
      {spriteTabsAction, [this] { toggleSpriteTabs(); }},
      {previewWindowAction, [this] { previewInWindow(); }},
      {previewSelectedAction, [this] { previewSelected(); }},
      {previewInBrowserAction, [this] { previewInBrowser(); }},
      {previewInPlayerAction, [this] { previewInPlayer(); }},
      {traceWindowAction, [this] { toggleTraceWindow(); }},
      {previewOptionsAction, [this] { editPreviewOptions(); }},
      {openHelpAction, [this] { openHelp(); }},
      {versionAction, [this] { showVersion(); }},
  };
  for (const auto& [action, command] : commands) connect(action, &QAction::triggered, this, command);
  connect(editMenu, &QMenu::aboutToShow, this, [this] { refreshEditMenu(); });
  // Opening a project puts it at the top of the recent projects.
  recentFilesHook_ = std::make_unique<GUICore::ScopedRecentFilesHook>([this] { BuildRecentFilesMenu(); });
}

void MainMenus::followPreferences() {
  const Preferences& p = Prefs::Current();
  scriptEditorAction->setChecked(p.dispScriptEditor != 0);
  spriteTabsAction->setChecked(p.dispSpriteTab == 1);
  followEventSyncOption();
  BuildRecentFilesMenu();
}

void MainMenus::setBuildRunning(bool running) {
  if (running) {
    // Every entry of the window's menus and popups is off, whoever made it.
    actionsBeforeBuild_.clear();
    for (QAction* a : w_->findChildren<QAction*>()) {
      actionsBeforeBuild_.emplace_back(a, a->isEnabled());
      a->setEnabled(false);
    }
    return;
  }
  for (auto& [a, enabled] : actionsBeforeBuild_) a->setEnabled(enabled);
  actionsBeforeBuild_.clear();
}

bool MainMenus::scriptEditorChecked() const { return scriptEditorAction->isChecked(); }

void MainMenus::setScriptEditorChecked(bool checked) { scriptEditorAction->setChecked(checked); }

bool MainMenus::editMenuEnabled() const { return editMenu->menuAction()->isEnabled(); }

void MainMenus::setEditMenuEnabled(bool enabled) { editMenu->menuAction()->setEnabled(enabled); }

// ---- the menu tree ------------------------------------------------------------

void MainMenus::createMenus() {
  QMenuBar* bar = w_->menuBar();

  fileMenu = Menu(w_, "fileMenu", "ファイル(&F)");
  newProjectAction = Item(fileMenu, "newProjectAction", "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N));
  openProjectAction = Item(fileMenu, "openProjectAction", "プロジェクトを開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O));
  saveAction = Item(fileMenu, "saveAction", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S));
  saveAsAction = Item(fileMenu, "saveAsAction", "名前を付けて保存(&A)...");
  importProjectAction = Item(fileMenu, "importProjectAction", "プロジェクトのインポート(&I)...");
  Separator(fileMenu, "afterImportSeparator");
  makeSwfAction = Item(fileMenu, "makeSwfAction", "SWFファイル生成(&M)...");
  projectPropertiesAction = Item(fileMenu, "projectPropertiesAction", "プロジェクトのプロパティ(&P)...");
  optionsAction = Item(fileMenu, "optionsAction", "詳細設定(&T)...");
  Separator(fileMenu, "beforeRecentSeparator");
  recentProjectActions.push_back(Item(fileMenu, "recentProjectActions_0", "(なし)", {}, kOff));
  Separator(fileMenu, "afterRecentSeparator");
  quitAction = Item(fileMenu, "quitAction", "終了(&Q)");
  bar->addMenu(fileMenu);

  editMenu = Menu(w_, "editMenu", "編集(&E)");
  undoAction = Item(editMenu, "undoAction", "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z));
  redoAction = Item(editMenu, "redoAction", "やりなおす(&Y)", QKeySequence(Qt::CTRL | Qt::Key_Y));
  Separator(editMenu, "afterRedoSeparator");
  copyEventsAction = Item(editMenu, "copyEventsAction", "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), kOff);
  cutEventsAction = Item(editMenu, "cutEventsAction", "切り取り(&X)", QKeySequence(Qt::CTRL | Qt::Key_X), kOff);
  pasteEventsAction = Item(editMenu, "pasteEventsAction", "貼り付け(&V)", QKeySequence(Qt::CTRL | Qt::Key_V), kOff);
  selectAllEventsAction = Item(editMenu, "selectAllEventsAction", "全て選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), kOff);
  Separator(editMenu, "afterSelectAllSeparator");
  findAction = Item(editMenu, "findAction", "検索(&F)", QKeySequence(Qt::CTRL | Qt::Key_F));
  findNextAction = Item(editMenu, "findNextAction", "次を検索", QKeySequence(Qt::Key_F3));
  Separator(editMenu, "afterFindNextSeparator");
  syncWithFileListAction = Item(editMenu, "syncWithFileListAction", "ファイルリストと同期(&S)");
  insertActionEventAction =
      Item(editMenu, "insertActionEventAction", "アクションを挿入(&I)", QKeySequence(Qt::CTRL | Qt::Key_Insert), kOff);
  deleteEventsAction = Item(editMenu, "deleteEventsAction", "削除(&D)", QKeySequence(Qt::Key_Delete), kOff);
  Separator(editMenu, "beforePropertiesSeparator");
  eventPropertiesAction =
      Item(editMenu, "eventPropertiesAction", "プロパティ(&P)", QKeySequence(Qt::CTRL | Qt::Key_P), kOff);
  bar->addMenu(editMenu);

  viewMenu = Menu(w_, "viewMenu", "表示(&D)");
  scriptEditorAction =
      Item(viewMenu, "scriptEditorAction", "スクリプトエディタ(&E)", QKeySequence(Qt::CTRL | Qt::Key_E));
  scriptEditorAction->setCheckable(true);
  eventListDisplayAction = Item(viewMenu, "eventListDisplayAction", "イベントリスト表示設定(&D)...");
  spriteTabsAction = Item(viewMenu, "spriteTabsAction", "スプライトタブ(&S)");
  spriteTabsAction->setCheckable(true);
  bar->addMenu(viewMenu);

  previewMenu = Menu(w_, "previewMenu", "プレビュー(&P)");
  previewWindowAction =
      Item(previewMenu, "previewWindowAction", "プレビューウインドウ(&P)", QKeySequence(Qt::Key_F5));
  previewSelectedAction =
      Item(previewMenu, "previewSelectedAction", "選択イベントのみ(&L)", QKeySequence(Qt::CTRL | Qt::Key_F5));
  previewInBrowserAction = Item(previewMenu, "previewInBrowserAction", "ブラウザ(&B)", QKeySequence(Qt::Key_F6));
  previewInPlayerAction =
      Item(previewMenu, "previewInPlayerAction", "スタンドアロンプレイヤー(&S)", QKeySequence(Qt::Key_F7));
  Separator(previewMenu, "beforeTraceSeparator");
  traceWindowAction =
      Item(previewMenu, "traceWindowAction", "トレースウインドウを表示(&T)", QKeySequence(Qt::Key_F8));
  traceWindowAction->setCheckable(true);
  previewOptionsAction = Item(previewMenu, "previewOptionsAction", "プレビューの設定(&O)...");
  bar->addMenu(previewMenu);

  helpMenu = Menu(w_, "helpMenu", "ヘルプ(&H)");
  openHelpAction = Item(helpMenu, "openHelpAction", "ヘルプ(&H)...", QKeySequence(Qt::Key_F1));
  versionAction = Item(helpMenu, "versionAction", "バージョン情報(&V)");
  bar->addMenu(helpMenu);

  // Hidden popups: never in the menu bar, so their shortcuts only show; the
  // form-level keys run the Add commands.
  fileListMenu = Menu(w_, "fileListMenu", "ファイルリスト");
  addToEventsAction = Item(fileListMenu, "addToEventsAction", "イベントに追加(&E)");
  Separator(fileListMenu, "afterAddToEventsSeparator");
  storeUndoAction = Item(fileListMenu, "storeUndoAction", "元に戻す(&U)");
  storeRedoAction = Item(fileListMenu, "storeRedoAction", "やりなおす(&Y)");
  Separator(fileListMenu, "afterStoreRedoSeparator");
  openFileMenu = Menu(fileListMenu, "openFileMenu", "ファイルを開く(&O)");
  openWithAppAction = Item(openFileMenu, "openWithAppAction", "関連付け起動(&R)");
  showInFolderAction = Item(openFileMenu, "showInFolderAction", "エクスプローラ(&E)");
  fileListMenu->addMenu(openFileMenu);
  selectAllItemsAction = Item(fileListMenu, "selectAllItemsAction", "全て選択(&A)");
  deleteItemsAction = Item(fileListMenu, "deleteItemsAction", "削除(&D)");
  Separator(fileListMenu, "beforeAddItemSeparator");
  addItemMenu = Menu(fileListMenu, "addItemMenu", "アイテムを追加(&I)");
  addFileAction = Item(addItemMenu, "addFileAction", "ファイル(&F)", QKeySequence(Qt::CTRL | Qt::Key_I));
  addTextAction = Item(addItemMenu, "addTextAction", "テキスト(&T)", QKeySequence(Qt::CTRL | Qt::Key_T));
  addSpriteAction = Item(addItemMenu, "addSpriteAction", "スプライト(&S)", QKeySequence(Qt::CTRL | Qt::Key_R));
  addFolderAction = Item(addItemMenu, "addFolderAction", "フォルダ(&L)", QKeySequence(Qt::CTRL | Qt::Key_L));
  fileListMenu->addMenu(addItemMenu);
  duplicateItemAction = Item(fileListMenu, "duplicateItemAction", "アイテムを複製(&C)");
  Separator(fileListMenu, "beforeItemPropertiesSeparator");
  itemPropertiesAction = Item(fileListMenu, "itemPropertiesAction", "プロパティ(&R)");
  // A hidden popup's shortcut would otherwise fire while its menu is open
  // and also from the menu's own window.
  for (QAction* a : addItemMenu->actions()) a->setShortcutContext(Qt::WidgetShortcut);

  timelineMenu = Menu(w_, "timelineMenu", "イベントリスト選択");
  mainTimelineAction = Item(timelineMenu, "timelineActions_0", "&0    (メイン)");
  spriteTabMenu = Menu(w_, "spriteTabMenu", "タブ操作");
  closeSpriteTabAction = Item(spriteTabMenu, "closeSpriteTabAction", "このタブを閉じる(&C)");
  sortMenu = Menu(w_, "sortMenu", "ソート");
  sortUpAction = Item(sortMenu, "sortUpAction", "上");
  sortDownAction = Item(sortMenu, "sortDownAction", "下");
}

// ---- File menu: the recent projects and the windows it opens -------------------

void MainMenus::BuildRecentFilesMenu() {
  // Element 0 stays; the others are made again from the list.
  while (recentProjectActions.size() > 1) {
    delete recentProjectActions.back();
    recentProjectActions.pop_back();
  }
  QAction* first = recentProjectActions.front();
  first->setText(QStringLiteral("(なし)"));
  first->setEnabled(false);
  first->setData(QVariant());
  const auto entries = GUICore::BuildRecentFilesMenu();
  QAction* after = recentProjectActions.front();
  for (size_t k = 0; k < entries.size(); ++k) {
    QAction* a = first;
    if (k > 0) {
      a = new QAction(fileMenu);
      a->setObjectName(QStringLiteral("recentProjectActions_%1").arg(k));
      // After the previous entry, before the separator that follows them.
      const QList<QAction*> all = fileMenu->actions();
      const qsizetype at = all.indexOf(after);
      fileMenu->insertAction(at + 1 < all.size() ? all[at + 1] : nullptr, a);
      connect(a, &QAction::triggered, this, [this, k] { openRecentProject(static_cast<int>(k)); });
      recentProjectActions.push_back(a);
    }
    a->setText(ToQ(entries[k].caption));
    a->setData(ToQ(entries[k].path));
    a->setEnabled(!w_->buildRunning());
    after = a;
  }
}

void MainMenus::importProject() {
  GUICore::ShowTimeline(0, false);
  ImportDialog::run(w_);
  GUICore::RefreshFileList();
  GUICore::ShowTimeline(0, false);
  w_->eventList().followCurrentEvent();
}

void MainMenus::editProjectProperties() {
  ProjectDialog::run(w_);
  // The loading screen moves the first frame; the header shows size and rate.
  EventListModule::RenumberFrames();
  EventListModule::DrawEventList();
  GUICore::UpdateTimelineHeader();
}

void MainMenus::editOptions() {
  if (OptionDialog::run(w_)) followEventSyncOption();
}

// With AlwaysEventSync the sync item is a lasting check that a click toggles;
// without it a click syncs once and the item never shows a check.
void MainMenus::followEventSyncOption() {
  const bool lasting = Prefs::Current().alwaysEventSync == 1;
  if (!lasting) syncWithFileListAction->setChecked(false);
  syncWithFileListAction->setCheckable(lasting);
}

// ---- Edit menu --------------------------------------------------------------------

// Undo and redo go to the list that has the focus; elsewhere (the script
// text, no focus) they do nothing.
void MainMenus::undo() { stepHistory(false); }

void MainMenus::redo() { stepHistory(true); }

void MainMenus::stepHistory(bool forward) {
  if (w_->buildRunning()) return;
  QWidget* f = w_->focusedControl();
  if (f == w_->eventList().list()) {
    forward ? GUICore::EventRedo() : GUICore::EventUndo();
    w_->eventList().onClicked();
  } else if (f == w_->fileList().list()) {
    forward ? w_->fileList().redoStore() : w_->fileList().undoStore();
  }
}

void MainMenus::refreshEditMenu() {
  QWidget* f = w_->focusedControl();
  if (f == w_->eventList().list()) {
    w_->eventList().onFocusIn();
  } else if (f == w_->fileList().list()) {
    w_->fileList().onFocusIn();
  } else {
    w_->eventList().onFocusOut();
  }
}

void MainMenus::selectAllEvents() {
  EventCommands::SelectAll();
  // The shown property dialog would apply the one event's fields to all.
  if (w_->eventPropertyVisible()) w_->ListEventPropertyLoad();
}

// Once, or (with AlwaysEventSync) a lasting check that the event list's
// click handler follows.
void MainMenus::syncWithFileList() {
  // A lasting check has toggled itself already.
  if (w_->buildRunning() || syncWithFileListAction->isCheckable()) return;
  GUICore::SelectStoreItemByID(EventListModule::Current().currentRow + 1, false);
}

void MainMenus::openSearch() {
  const bool made = !kSearchDialog.loaded();
  SearchDialog* dialog = kSearchDialog.present(w_, true);
  if (made) connect(dialog, &SearchDialog::searched, this, [this] { w_->eventList().followCurrentEvent(); });
}

void MainMenus::findNext() {
  // Before anything was searched for there is nothing to repeat: the status
  // line says where to begin.
  SearchDialog* dialog = kSearchDialog.loaded();
  if (dialog && !dialog->settings().text.empty()) {
    dialog->SearchItem();
  } else {
    ui::Current().messages->status("検索する文字列がありません。「検索」で指定してください。");
  }
  w_->eventList().followCurrentEvent();
}

// ---- View menu --------------------------------------------------------------------

void MainMenus::toggleScriptEditor() {
  // The check toggles by itself (checkable); the selection's script is
  // shown, or the editor hidden, for the new state.
  ScriptEditorModule::ShowEventScript(0, "");
}

void MainMenus::editEventListDisplay() { EventColorDialog::run(w_); }

void MainMenus::toggleSpriteTabs() {
  Preferences& p = Prefs::Current();
  p.dispSpriteTab = 1 - p.dispSpriteTab;
  spriteTabsAction->setChecked(p.dispSpriteTab == 1);
  w_->SizeControlsCall();
}

// ---- Help menu --------------------------------------------------------------------

void MainMenus::openHelp() {
  // Where no page or no opener is found the user is told where the page
  // belongs, so that it can be opened by hand.
  OpenFileOrTell("ヘルプ", (GUICore::State().paths.resources / "help" / "index.html").string());
}

void MainMenus::showVersion() {
  VersionInfo dialog(w_);
  ExecModal(dialog);
}

}  // namespace tesmiro::gui
