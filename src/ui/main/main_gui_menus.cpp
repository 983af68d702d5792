// The menu tree: captions, shortcuts and initial states, and the commands
// that belong to no list: undo and redo routed to the focused list, the
// Edit menu's opening, select all, the View toggles and the Help menu.
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "project/event_commands.h"
#include "project/events.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/recent_files.h"
#include "project/script_editor.h"
#include "project/sorting.h"
#include "project/store_undo.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/main/main_gui.h"

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

void MainGUI::createMenus() {
  QMenuBar* bar = menuBar();

  mnuFile = Menu(this, "mnuFile", "ファイル(&F)");
  mnuCreateNew = Item(mnuFile, "mnuCreateNew", "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N));
  mnuOpenFile = Item(mnuFile, "mnuOpenFile", "プロジェクトを開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O));
  mnuSaveOverride = Item(mnuFile, "mnuSaveOverride", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S));
  mnuSaveAs = Item(mnuFile, "mnuSaveAs", "名前を付けて保存(&A)...");
  mnuImportProject = Item(mnuFile, "mnuImportProject", "プロジェクトのインポート(&I)...");
  Separator(mnuFile, "mnuMinus4");
  mnuMakeSWF = Item(mnuFile, "mnuMakeSWF", "SWFファイル生成(&M)...");
  mnuProject = Item(mnuFile, "mnuProject", "プロジェクトのプロパティ(&P)...");
  mnuOption = Item(mnuFile, "mnuOption", "詳細設定(&T)...");
  Separator(mnuFile, "mnuMinus15");
  mnuMostRecent.push_back(Item(mnuFile, "mnuMostRecent_0", "(なし)", {}, kOff));
  Separator(mnuFile, "mnuMinus5");
  mnuQuit = Item(mnuFile, "mnuQuit", "終了(&Q)");
  bar->addMenu(mnuFile);

  mnuEvent = Menu(this, "mnuEvent", "編集(&E)");
  mnuEditUndo = Item(mnuEvent, "mnuEditUndo", "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z));
  mnuEditRedo = Item(mnuEvent, "mnuEditRedo", "やりなおす(&Y)", QKeySequence(Qt::CTRL | Qt::Key_Y));
  Separator(mnuEvent, "mnuMinus6");
  mnuCopyEvent = Item(mnuEvent, "mnuCopyEvent", "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), kOff);
  mnuCutEvent = Item(mnuEvent, "mnuCutEvent", "切り取り(&X)", QKeySequence(Qt::CTRL | Qt::Key_X), kOff);
  mnuPasteEvent = Item(mnuEvent, "mnuPasteEvent", "貼り付け(&V)", QKeySequence(Qt::CTRL | Qt::Key_V), kOff);
  mnuSelAllEvent = Item(mnuEvent, "mnuSelAllEvent", "全て選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), kOff);
  Separator(mnuEvent, "mnuMinus2");
  mnuSearch = Item(mnuEvent, "mnuSearch", "検索(&F)", QKeySequence(Qt::CTRL | Qt::Key_F));
  mnuSearchNext = Item(mnuEvent, "mnuSearchNext", "次を検索", QKeySequence(Qt::Key_F3));
  Separator(mnuEvent, "mnuMinus7");
  mnuEventSync = Item(mnuEvent, "mnuEventSync", "ファイルリストと同期(&S)");
  mnuInsertAction =
      Item(mnuEvent, "mnuInsertAction", "アクションを挿入(&I)", QKeySequence(Qt::CTRL | Qt::Key_Insert), kOff);
  mnuDeleteEvent = Item(mnuEvent, "mnuDeleteEvent", "削除(&D)", QKeySequence(Qt::Key_Delete), kOff);
  Separator(mnuEvent, "mnuMinus3");
  mnuEventProperty =
      Item(mnuEvent, "mnuEventProperty", "プロパティ(&P)", QKeySequence(Qt::CTRL | Qt::Key_P), kOff);
  bar->addMenu(mnuEvent);

  mnuDisplay = Menu(this, "mnuDisplay", "表示(&D)");
  mnuScriptEditor =
      Item(mnuDisplay, "mnuScriptEditor", "スクリプトエディタ(&E)", QKeySequence(Qt::CTRL | Qt::Key_E));
  mnuScriptEditor->setCheckable(true);
  mnuEventlistOption = Item(mnuDisplay, "mnuEventlistOption", "イベントリスト表示設定(&D)...");
  mnuDispSpriteTag = Item(mnuDisplay, "mnuDispSpriteTag", "スプライトタブ(&S)");
  mnuDispSpriteTag->setCheckable(true);
  bar->addMenu(mnuDisplay);

  mnuPreview = Menu(this, "mnuPreview", "プレビュー(&P)");
  mnuPreviewWindow = Item(mnuPreview, "mnuPreviewWindow", "プレビューウインドウ(&P)", QKeySequence(Qt::Key_F5));
  mnuPreviewWindowSelected =
      Item(mnuPreview, "mnuPreviewWindowSelected", "選択イベントのみ(&L)", QKeySequence(Qt::CTRL | Qt::Key_F5));
  mnuPreviewBrowser = Item(mnuPreview, "mnuPreviewBrowser", "ブラウザ(&B)", QKeySequence(Qt::Key_F6));
  mnuPreviewSAPlayer =
      Item(mnuPreview, "mnuPreviewSAPlayer", "スタンドアロンプレイヤー(&S)", QKeySequence(Qt::Key_F7));
  Separator(mnuPreview, "mnuMinus14");
  mnuPreviewTrace =
      Item(mnuPreview, "mnuPreviewTrace", "トレースウインドウを表示(&T)", QKeySequence(Qt::Key_F8));
  mnuPreviewTrace->setCheckable(true);
  mnuPreviewOption = Item(mnuPreview, "mnuPreviewOption", "プレビューの設定(&O)...");
  bar->addMenu(mnuPreview);

  mnuHelp = Menu(this, "mnuHelp", "ヘルプ(&H)");
  mnuOpenHelp = Item(mnuHelp, "mnuOpenHelp", "ヘルプ(&H)...", QKeySequence(Qt::Key_F1));
  mnuVersion = Item(mnuHelp, "mnuVersion", "バージョン情報(&V)");
  bar->addMenu(mnuHelp);

  // Hidden popups: never in the menu bar, so their shortcuts only show; the
  // form-level keys run the Add commands.
  mnuJpegStore = Menu(this, "mnuJpegStore", "ファイルリスト");
  mnuAddEvent = Item(mnuJpegStore, "mnuAddEvent", "イベントに追加(&E)");
  Separator(mnuJpegStore, "mnuMinus21");
  mnuStoreUndo = Item(mnuJpegStore, "mnuStoreUndo", "元に戻す(&U)");
  mnuStoreRedo = Item(mnuJpegStore, "mnuStoreRedo", "やりなおす(&Y)");
  Separator(mnuJpegStore, "mnuMinus22");
  mnuStoreOpen = Menu(mnuJpegStore, "mnuStoreOpen", "ファイルを開く(&O)");
  mnuStoreOpenFile = Item(mnuStoreOpen, "mnuStoreOpenFile", "関連付け起動(&R)");
  mnuStoreOpenFolder = Item(mnuStoreOpen, "mnuStoreOpenFolder", "エクスプローラ(&E)");
  mnuJpegStore->addMenu(mnuStoreOpen);
  mnuSelAllStore = Item(mnuJpegStore, "mnuSelAllStore", "全て選択(&A)");
  mnuDeleteStore = Item(mnuJpegStore, "mnuDeleteStore", "削除(&D)");
  Separator(mnuJpegStore, "mnuMinus0");
  mnuAdd = Menu(mnuJpegStore, "mnuAdd", "アイテムを追加(&I)");
  mnuAddFile = Item(mnuAdd, "mnuAddFile", "ファイル(&F)", QKeySequence(Qt::CTRL | Qt::Key_I));
  mnuAddText = Item(mnuAdd, "mnuAddText", "テキスト(&T)", QKeySequence(Qt::CTRL | Qt::Key_T));
  mnuAddSprite = Item(mnuAdd, "mnuAddSprite", "スプライト(&S)", QKeySequence(Qt::CTRL | Qt::Key_R));
  mnuAddFolder = Item(mnuAdd, "mnuAddFolder", "フォルダ(&L)", QKeySequence(Qt::CTRL | Qt::Key_L));
  mnuJpegStore->addMenu(mnuAdd);
  mnuDuplicateItem = Item(mnuJpegStore, "mnuDuplicateItem", "アイテムを複製(&C)");
  Separator(mnuJpegStore, "mnuMinus1");
  mnuStoreProperty = Item(mnuJpegStore, "mnuStoreProperty", "プロパティ(&R)");
  // A hidden popup's shortcut would otherwise fire while its menu is open
  // and also from the menu's own window.
  for (QAction* a : mnuAdd->actions()) a->setShortcutContext(Qt::WidgetShortcut);

  mnuEventSelectRoot = Menu(this, "mnuEventSelectRoot", "イベントリスト選択");
  mnuEventSelect.push_back(Item(mnuEventSelectRoot, "mnuEventSelect_0", "&0    (メイン)"));
  mnuSpriteTag = Menu(this, "mnuSpriteTag", "タブ操作");
  mnuSpriteTagClose = Item(mnuSpriteTag, "mnuSpriteTagClose", "このタブを閉じる(&C)");
  mnuSort = Menu(this, "mnuSort", "ソート");
  mnuSortUp = Item(mnuSort, "mnuSortUp", "上");
  mnuSortDown = Item(mnuSort, "mnuSortDown", "下");

  connect(mnuEditUndo, &QAction::triggered, this, [this] { mnuEditUndo_Click(); });
  connect(mnuEditRedo, &QAction::triggered, this, [this] { mnuEditRedo_Click(); });
  connect(mnuEvent, &QMenu::aboutToShow, this, [this] { mnuEvent_Click(); });
  connect(mnuSelAllEvent, &QAction::triggered, this, [this] { mnuSelAllEvent_Click(); });
  connect(mnuEventSync, &QAction::triggered, this, [this] { mnuEventSync_Click(); });
  connect(mnuScriptEditor, &QAction::triggered, this, [this] { mnuScriptEditor_Click(); });
  connect(mnuDispSpriteTag, &QAction::triggered, this, [this] { mnuDispSpriteTag_Click(); });
  connect(mnuOpenHelp, &QAction::triggered, this, [this] { mnuOpenHelp_Click(); });
  connect(mnuVersion, &QAction::triggered, this, [this] { mnuVersion_Click(); });
}

void MainGUI::BuildRecentFilesMenu() {
  // Element 0 stays; the others are made again from the list.
  while (mnuMostRecent.size() > 1) {
    delete mnuMostRecent.back();
    mnuMostRecent.pop_back();
  }
  QAction* first = mnuMostRecent.front();
  first->setText(QStringLiteral("(なし)"));
  first->setEnabled(false);
  first->setData(QVariant());
  const auto entries = GUICore::BuildRecentFilesMenu();
  QAction* after = mnuMostRecent.front();
  for (size_t k = 0; k < entries.size(); ++k) {
    QAction* a = first;
    if (k > 0) {
      a = new QAction(mnuFile);
      a->setObjectName(QStringLiteral("mnuMostRecent_%1").arg(k));
      // After the previous entry, before the separator that follows them.
      const QList<QAction*> all = mnuFile->actions();
      const qsizetype at = all.indexOf(after);
      mnuFile->insertAction(at + 1 < all.size() ? all[at + 1] : nullptr, a);
      connect(a, &QAction::triggered, this, [this, k] { mnuMostRecent_Click(static_cast<int>(k)); });
      mnuMostRecent.push_back(a);
    }
    a->setText(ToQ(entries[k].caption));
    a->setData(ToQ(entries[k].path));
    a->setEnabled(!buildRunning_);
    after = a;
  }
}

// Undo and redo go to the list that has the focus; elsewhere (the script
// text, no focus) they do nothing.
void MainGUI::mnuEditUndo_Click() {
  if (buildRunning_) return;
  QWidget* f = focusedControl();
  if (f == PictEventList) {
    GUICore::EventUndo();
    PictEventList_Click();
  } else if (f == PictFileList) {
    mnuStoreUndo_Click();
  }
}

void MainGUI::mnuEditRedo_Click() {
  if (buildRunning_) return;
  QWidget* f = focusedControl();
  if (f == PictEventList) {
    GUICore::EventRedo();
    PictEventList_Click();
  } else if (f == PictFileList) {
    mnuStoreRedo_Click();
  }
}

void MainGUI::mnuEvent_Click() {
  QWidget* f = focusedControl();
  if (f == PictEventList) {
    PictEventList_GotFocus();
  } else if (f == PictFileList) {
    PictFileList_GotFocus();
  } else {
    PictEventList_LostFocus();
  }
}

void MainGUI::mnuSelAllEvent_Click() {
  EventCommands::SelectAll();
  // The shown property dialog would apply the one event's fields to all.
  if (eventPropertyVisible()) ListEventPropertyLoad();
}

// Once, or (with AlwaysEventSync) a lasting check that the event list's
// click handler follows.
void MainGUI::mnuEventSync_Click() {
  // A lasting check has toggled itself already.
  if (buildRunning_ || mnuEventSync->isCheckable()) return;
  GUICore::SelectStoreItemByID(EventListModule::Current().currentRow + 1, false);
}

void MainGUI::mnuScriptEditor_Click() {
  // The check toggles by itself (checkable); the selection's script is
  // shown, or the editor hidden, for the new state.
  ScriptEditorModule::ShowEventScript(0, "");
}

void MainGUI::mnuDispSpriteTag_Click() {
  Preferences& p = Prefs::Current();
  p.dispSpriteTab = 1 - p.dispSpriteTab;
  mnuDispSpriteTag->setChecked(p.dispSpriteTab == 1);
  SizeControlsCall();
}

void MainGUI::mnuOpenHelp_Click() {
  const auto help = GUICore::State().paths.resources / "help" / "index.html";
  if (QFileInfo::exists(ToQ(help.string()))) Desktop().opener->openFile(ToQ(help.string()));
}

void MainGUI::mnuVersion_Click() {
  VersionInfo dialog(this);
  dialog.exec();
}

}  // namespace tesmiro::gui
