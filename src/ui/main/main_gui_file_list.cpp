// The file list, its header and popup, the store commands, the information
// panel and the sound preview of the main window. Each handler reads what
// the event says, calls the core and updates the few controls it owns.
#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "compiler/material_facts.h"
#include "media/image/get_image.h"
#include "media/vector/kvg.h"
#include "project/build_lock.h"
#include "project/event_list_input.h"
#include "project/file_list_input.h"
#include "project/file_list_view.h"
#include "project/gui_core.h"
#include "project/info_panel.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "project/sorting.h"
#include "project/store.h"
#include "project/store_commands.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "project/undo_scopes.h"
#include "project/window_services.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/main/file_list_widget.h"
#include "ui/main/kvg_painter.h"
#include "ui/main/main_gui.h"
#include "ui/main/material_property.h"
#include "ui/main/print_canvas.h"
#include "ui/main/wheel_hook.h"

namespace tesmiro::gui {
namespace {

namespace FL = FileListModule;

MaterialPropertyExchange* gMaterialProperties = nullptr;

constexpr int kDeleteKey = 46;

// The list was made a FileListWidget when the area was set up.
FileListInput::DragState& Drag(QWidget* list) { return static_cast<FileListWidget*>(list)->drag(); }

FileListInput::Options InputOptions() {
  const auto& prefs = Prefs::Current();
  return {prefs.filelistMultiSelect == 1, prefs.doubleClickProperty == 1};
}

// Shows a popup and runs the chosen entry once, whether the menu ran it
// itself (a real menu) or only handed it back (a test's double).
void RunPopup(QMenu* menu, const QPoint& globalPos, QAction* defaultAction) {
  bool ran = false;
  auto connection = QObject::connect(menu, &QMenu::triggered, menu, [&ran](QAction*) { ran = true; });
  QAction* chosen = Desktop().popups->exec(menu, globalPos, defaultAction);
  QObject::disconnect(connection);
  if (chosen && !ran && chosen->isEnabled()) chosen->trigger();
}

// The picture area of a raster material: the file decoded, scaled into the
// rectangle; nothing when it cannot be read.
void PaintRaster(QPainter& p, const std::string& path, const QRect& target) {
  image::AlphaPlane alpha;
  auto picture = GetImage::LoadImagePicture(path, alpha);
  if (!picture || picture->width <= 0 || picture->height <= 0) return;
  const QImage image(picture->bgra.data(), picture->width, picture->height, picture->width * 4,
                     QImage::Format_ARGB32_Premultiplied);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(target, image);
}

void PaintVector(QPainter& p, const std::string& path, const QRect& target, const QColor& background) {
  const auto declared = ShapeModule::ReadKVGDeclaredSize(path);
  const auto image = ShapeModule::LoadKVG(path).value_or(ShapeModule::KvgImage{});
  p.fillRect(target, background);
  PaintKvg(p, image, QSizeF(declared.width, declared.height), QRectF(target));
}

}  // namespace

MaterialPropertyExchange* MaterialProperties() { return gMaterialProperties; }

ScopedMaterialProperties::ScopedMaterialProperties(MaterialPropertyExchange* exchange)
    : previous_(gMaterialProperties) {
  gMaterialProperties = exchange;
}

ScopedMaterialProperties::~ScopedMaterialProperties() { gMaterialProperties = previous_; }

// ---- set-up ---------------------------------------------------------------

void MainGUI::setupFileListArea() {
  auto* list = new FileListWidget(this);
  replaceFileList(list);
  list->attachScrollBars(fileListVScrollBar, fileListHScrollBar);
  // The wheel scrolls whichever list has the focus.
  wheelHook->addList(BasWheelMouse::kFileList, list, [](int rows) { FL::ScrollFileListBy(rows); });

  auto* header = new FileListHeader(this, ListJpegStoreHead->parentWidget());
  header->setGeometry(ListJpegStoreHead->geometry());
  header->show();
  delete ListJpegStoreHead;
  ListJpegStoreHead = header;
  fileListHeader_ = header;

  connect(fileListHScrollBar, &QScrollBar::valueChanged, header, [header] { header->update(); });
  connect(addToEventsAction, &QAction::triggered, this, [this] { addToEvents(); });
  connect(storeUndoAction, &QAction::triggered, this, [this] { undoStore(); });
  connect(storeRedoAction, &QAction::triggered, this, [this] { redoStore(); });
  connect(openWithAppAction, &QAction::triggered, this, [this] { openWithApp(); });
  connect(showInFolderAction, &QAction::triggered, this, [this] { showInFolder(); });
  connect(selectAllItemsAction, &QAction::triggered, this, [this] { selectAllItems(); });
  connect(deleteItemsAction, &QAction::triggered, this, [this] { deleteItems(); });
  connect(addFileAction, &QAction::triggered, this, [this] { addFiles(); });
  connect(addTextAction, &QAction::triggered, this, [this] { addText(); });
  connect(addSpriteAction, &QAction::triggered, this, [this] { addSprite(); });
  connect(addFolderAction, &QAction::triggered, this, [this] { addFolder(); });
  connect(duplicateItemAction, &QAction::triggered, this, [this] { duplicateItem(); });
  connect(itemPropertiesAction, &QAction::triggered, this, [this] { editItemProperties(); });
  connect(sortUpAction, &QAction::triggered, this, [this] { sortUp(); });
  connect(sortDownAction, &QAction::triggered, this, [this] { sortDown(); });
  connect(playSoundButton, &QPushButton::clicked, this, [this] { playSound(); });
  connect(stopSoundButton, &QPushButton::clicked, this, [this] { stopSound(); });
  connect(editSpriteButton, &QPushButton::clicked, this, [this] { editSprite(); });
}

// ---- the list's events ----------------------------------------------------

void MainGUI::onFileListMouseDown(int, int shift, int x, int y) {
  FileListInput::MouseDown(Drag(PictFileList), shift, x, y, InputOptions());
}

void MainGUI::onFileListMouseMove(int, int shift, int x, int y) {
  switch (FileListInput::MouseMove(Drag(PictFileList), shift, x, y)) {
    case FileListInput::Cursor::Drag:
      PictFileList->setCursor(Qt::DragMoveCursor);
      break;
    case FileListInput::Cursor::Default:
      PictFileList->unsetCursor();
      break;
    case FileListInput::Cursor::Unchanged:
      break;
  }
}

void MainGUI::onFileListMouseUp(int button, int shift, int x, int y) {
  const auto result = FileListInput::MouseUp(Drag(PictFileList), button, shift, x, y);
  PictFileList->unsetCursor();
  refreshStoreEditItems();
  if (!result.popup) return;
  const auto states = FileListInput::Popup(InputOptions());
  addToEventsAction->setEnabled(states.addEvent);
  storeUndoAction->setEnabled(states.undo);
  storeRedoAction->setEnabled(states.redo);
  openFileMenu->menuAction()->setEnabled(states.open);
  selectAllItemsAction->setEnabled(states.selectAll);
  deleteItemsAction->setEnabled(states.deleteItems);
  duplicateItemAction->setEnabled(states.duplicate);
  itemPropertiesAction->setEnabled(states.property);
  RunPopup(fileListMenu, PictFileList->mapToGlobal(QPoint(x, y)),
           states.defaultIsProperty ? itemPropertiesAction : addToEventsAction);
  refreshStoreEditItems();
}

void MainGUI::onFileListClicked() { followFileListCursor(); }

// After a command the panel shows the cursor row, which may now hold
// another item, or none, than the one shown before.
void MainGUI::followFileListCursor() { GUICore::ShowItemInfo(FL::GetJpegListID(FL::Current().cursorRow)); }

void MainGUI::onFileListDoubleClick(bool fromMouse) {
  switch (FileListInput::DblClick(Drag(PictFileList), InputOptions(), fromMouse)) {
    case FileListInput::DoubleClickAction::Property:
      editItemProperties();
      break;
    case FileListInput::DoubleClickAction::AddEvent:
      addToEvents();
      break;
    case FileListInput::DoubleClickAction::None:
      break;
  }
}

void MainGUI::onFileListKeyDown(int keyCode, int shift) {
  if (FileListInput::KeyDown(keyCode, shift).doubleClick) onFileListDoubleClick(false);
}

void MainGUI::onFileListKeyUp(int keyCode, int shift) {
  if (FileListInput::KeyUp(Drag(PictFileList), keyCode, shift).cancelledDrag) PictFileList->unsetCursor();
  if (keyCode == kDeleteKey) followFileListCursor();
  // Keys the window handles itself (comma, period, Ctrl+I...) change the
  // store before their release arrives here.
  refreshStoreEditItems();
}

void MainGUI::onFileListFocusIn() {
  undoAction->setEnabled(GUICore::CanStoreUndo());
  redoAction->setEnabled(GUICore::CanStoreRedo());
  FL::SetFocused(true);
  wheelHook->take(BasWheelMouse::kFileList);
}

void MainGUI::refreshStoreEditItems() {
  if (focusedControl() != PictFileList) return;
  undoAction->setEnabled(GUICore::CanStoreUndo());
  redoAction->setEnabled(GUICore::CanStoreRedo());
}

void MainGUI::onFileListFocusOut() {
  undoAction->setEnabled(false);
  redoAction->setEnabled(false);
  FL::SetFocused(false);
  wheelHook->release(BasWheelMouse::kFileList);
}

void MainGUI::onFileListDragOver(int y) { FileListInput::DropOver(Drag(PictFileList), y); }

void MainGUI::onFileListDrop(int y, const std::vector<std::string>& paths) {
  const auto result = FileListInput::Drop(Drag(PictFileList), y, paths);
  if (result.kind == FileListInput::DropResult::Kind::Added) followFileListCursor();
  refreshStoreEditItems();
  if (result.kind != FileListInput::DropResult::Kind::OpenProject) return;
  // The question waits until the drop is over: the file manager that
  // started the drag is not kept waiting for the user.
  const std::string project = result.project;
  QTimer::singleShot(0, this, [this, project] { openProjectFile(project); });
}

// ---- header and sort popup ------------------------------------------------

void MainGUI::onFileListHeadMouseUp(int, int, double x, int) {
  if (!FL::HeaderSortAvailable() || GUICore::BuildInProgress()) return;
  const auto zone = FL::HeaderSortZone(x, FL::Current().hScroll, ListJpegStoreHead->width(),
                                       ListJpegStoreHead->height());
  sortUpAction->setText(ToQ(zone.upCaption));
  sortUpAction->setData(zone.upKey);
  sortDownAction->setText(ToQ(zone.downCaption));
  sortDownAction->setData(zone.downKey);
  fileListHeader_->setSortFrame(QRect(QPoint(zone.left, zone.top), QPoint(zone.right, zone.bottom)));
  const QPoint at = ListJpegStoreHead->mapToGlobal(QPoint(static_cast<int>(x), ListJpegStoreHead->height()));
  RunPopup(sortMenu, at, nullptr);
  if (fileListHeader_) fileListHeader_->setSortFrame(std::nullopt);
  refreshStoreEditItems();
}

void MainGUI::sortUp() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), sortUpAction->data().toInt());
  followFileListCursor();
}

void MainGUI::sortDown() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), sortDownAction->data().toInt());
  followFileListCursor();
}

// ---- store commands -------------------------------------------------------

void MainGUI::addToEvents() { ListJpegStoreAddEvent(); }

void MainGUI::ListJpegStoreAddEvent() {
  if (StoreCommands::ListJpegStoreAddEvent(GUICore::MaterialEventFrames) == 0) return;
  // The rows moved under the script panel and the property dialog: both
  // would otherwise go on editing the event that now sits at their old row.
  ScriptEditorModule::ShowEventScript(ScriptEditorModule::kNoScript, "");
  if (eventPropertyVisible()) ListEventPropertyLoad();
  PictEventList->setFocus();
}

void MainGUI::addFiles() {
  StoreCommands::AddFilesFromDialog();
  refreshStoreEditItems();
}

void MainGUI::addText() { addNewStoreItem("txt"); }
void MainGUI::addSprite() { addNewStoreItem("sprite"); }
void MainGUI::addFolder() { addNewStoreItem("folder"); }

void MainGUI::addNewStoreItem(const char* kindKey) {
  const int32_t id = StoreCommands::AddNewItem(kindKey, [this] {
    // The new item is the cursor row while its dialog is open.
    followFileListCursor();
    int changed = 0;
    ListJpegStoreProperty(changed);
    return changed != 0;
  });
  if (id != 0) onFileListClicked();
  refreshStoreEditItems();
}

void MainGUI::deleteItems() {
  StoreCommands::DeleteSelected();
  followFileListCursor();
  refreshStoreEditItems();
}

void MainGUI::duplicateItem() {
  StoreCommands::DuplicateSelected();
  followFileListCursor();
  refreshStoreEditItems();
}

void MainGUI::selectAllItems() { StoreCommands::SelectAllStore(); }

void MainGUI::undoStore() {
  GUICore::StoreUndo();
  followFileListCursor();
  PictFileList->setFocus();
  refreshStoreEditItems();
}

void MainGUI::redoStore() {
  GUICore::StoreRedo();
  followFileListCursor();
  PictFileList->setFocus();
  refreshStoreEditItems();
}

void MainGUI::openWithApp() {
  const std::string path = StoreCommands::CursorMaterialFile();
  if (!path.empty()) Desktop().opener->openFile(ToQ(path));
}

void MainGUI::showInFolder() {
  const std::string path = StoreCommands::CursorMaterialFile();
  if (!path.empty()) Desktop().opener->showInFolder(ToQ(path));
}

void MainGUI::editItemProperties() {
  if (FL::RowCount() == 0) return;
  GUICore::StoreUndoScope undo;
  if (!undo) return;
  int changed = 0;
  ListJpegStoreProperty(changed);
  if (changed == 0) undo.dismiss();
  undo.push();
  refreshStoreEditItems();
}

void MainGUI::ListJpegStoreProperty(int& changed) {
  changed = 0;
  if (MaterialPropertyExchange* exchange = MaterialProperties()) changed = exchange->exchange(*this) ? 1 : 0;
}

// ---- information panel and sound preview ----------------------------------

void MainGUI::ShowItemInfo(int32_t id) {
  SoundPreview(1);
  const StoreItem item = GUICore::GetStoreItemByID(id);
  playSoundButton->hide();
  stopSoundButton->hide();
  editSpriteButton->hide();
  infoPanel->setToolTip(QString());
  infoPanel->Cls();

  const int w = infoPanel->width(), h = infoPanel->height();
  const auto facts = GUICore::ProbeMaterial(item);
  const auto layout = InfoPanel::LayoutItemInfo(item, facts, w, h, GUICore::GetSWFVersion());
  {
    QPainter p(&infoPanel->image());
    p.fillRect(0, 0, w, InfoPanel::kBandHeight + 1, ToQColor(InfoPanel::kBandColour));
    const QRect target(layout.pictureLeft, layout.pictureTop, layout.pictureWidth, layout.pictureHeight);
    if (layout.picture == InfoPanel::Picture::Raster) PaintRaster(p, facts.path, target);
    if (layout.picture == InfoPanel::Picture::Vector) PaintVector(p, facts.path, target, infoPanel->backColor());
  }
  infoPanel->setCurrentX(0);
  infoPanel->setCurrentY(InfoPanel::kTitleY);
  infoPanel->Print(ToQ(layout.title));
  if (!layout.titleExtra.empty()) infoPanel->Print(ToQ(layout.titleExtra));
  // Each line after the first starts again at the left edge.
  infoPanel->setCurrentX(layout.linesX);
  infoPanel->setCurrentY(layout.linesY);
  for (const auto& line : layout.lines) infoPanel->Print(ToQ(line));

  infoSoundPath_ = layout.soundPath;
  if (layout.soundButtons) {
    playSoundButton->show();
    stopSoundButton->show();
  }
  if (layout.spriteButton) editSpriteButton->show();
  infoPanel->setToolTip(ToQ(layout.tooltip));
  infoPanel->update();
}

void MainGUI::SoundPreview(int mode) {
  SoundPlayer* sound = Desktop().sound;
  if (mode == 0) {
    if (!infoSoundPath_.empty()) sound->play(ToQ(infoSoundPath_));
    playSoundButton->setEnabled(false);
    stopSoundButton->setEnabled(true);
  } else {
    sound->stop();
    stopSoundButton->setEnabled(false);
    playSoundButton->setEnabled(true);
  }
}

void MainGUI::playSound() { SoundPreview(0); }
void MainGUI::stopSound() { SoundPreview(1); }

void MainGUI::editSprite() {
  GUICore::ShowTimeline(GUICore::State().infoItemId, true);
  if (Prefs::Current().dispEventProperty != 1) ui::Windows().unloadEventDialog();
}

}  // namespace tesmiro::gui
