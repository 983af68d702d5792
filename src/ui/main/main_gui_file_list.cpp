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
  list->attachScrollBars(VScroll1, HScroll1);
  // The wheel scrolls whichever list has the focus.
  wheelHook->addList(BasWheelMouse::kFileList, list, [](int rows) { FL::ScrollFileListBy(rows); });

  auto* header = new FileListHeader(this, ListJpegStoreHead->parentWidget());
  header->setGeometry(ListJpegStoreHead->geometry());
  header->show();
  delete ListJpegStoreHead;
  ListJpegStoreHead = header;
  fileListHeader_ = header;

  connect(HScroll1, &QScrollBar::valueChanged, header, [header] { header->update(); });
  connect(mnuAddEvent, &QAction::triggered, this, [this] { mnuAddEvent_Click(); });
  connect(mnuStoreUndo, &QAction::triggered, this, [this] { mnuStoreUndo_Click(); });
  connect(mnuStoreRedo, &QAction::triggered, this, [this] { mnuStoreRedo_Click(); });
  connect(mnuStoreOpenFile, &QAction::triggered, this, [this] { mnuStoreOpenFile_Click(); });
  connect(mnuStoreOpenFolder, &QAction::triggered, this, [this] { mnuStoreOpenFolder_Click(); });
  connect(mnuSelAllStore, &QAction::triggered, this, [this] { mnuSelAllStore_Click(); });
  connect(mnuDeleteStore, &QAction::triggered, this, [this] { mnuDeleteStore_Click(); });
  connect(mnuAddFile, &QAction::triggered, this, [this] { mnuAddFile_Click(); });
  connect(mnuAddText, &QAction::triggered, this, [this] { mnuAddText_Click(); });
  connect(mnuAddSprite, &QAction::triggered, this, [this] { mnuAddSprite_Click(); });
  connect(mnuAddFolder, &QAction::triggered, this, [this] { mnuAddFolder_Click(); });
  connect(mnuDuplicateItem, &QAction::triggered, this, [this] { mnuDuplicateItem_Click(); });
  connect(mnuStoreProperty, &QAction::triggered, this, [this] { mnuStoreProperty_Click(); });
  connect(mnuSortUp, &QAction::triggered, this, [this] { mnuSortUp_Click(); });
  connect(mnuSortDown, &QAction::triggered, this, [this] { mnuSortDown_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

// ---- the list's events ----------------------------------------------------

void MainGUI::PictFileList_MouseDown(int, int shift, int x, int y) {
  FileListInput::MouseDown(shift, x, y, InputOptions());
}

void MainGUI::PictFileList_MouseMove(int, int shift, int x, int y) {
  switch (FileListInput::MouseMove(shift, x, y)) {
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

void MainGUI::PictFileList_MouseUp(int button, int shift, int x, int y) {
  const auto result = FileListInput::MouseUp(button, shift, x, y);
  PictFileList->unsetCursor();
  refreshStoreEditItems();
  if (!result.popup) return;
  const auto states = FileListInput::Popup(InputOptions());
  mnuAddEvent->setEnabled(states.addEvent);
  mnuStoreUndo->setEnabled(states.undo);
  mnuStoreRedo->setEnabled(states.redo);
  mnuStoreOpen->menuAction()->setEnabled(states.open);
  mnuSelAllStore->setEnabled(states.selectAll);
  mnuDeleteStore->setEnabled(states.deleteItems);
  mnuDuplicateItem->setEnabled(states.duplicate);
  mnuStoreProperty->setEnabled(states.property);
  RunPopup(mnuJpegStore, PictFileList->mapToGlobal(QPoint(x, y)),
           states.defaultIsProperty ? mnuStoreProperty : mnuAddEvent);
  refreshStoreEditItems();
}

void MainGUI::PictFileList_Click() { followFileListCursor(); }

// After a command the panel shows the cursor row, which may now hold
// another item, or none, than the one shown before.
void MainGUI::followFileListCursor() { ShowItemInfo(FL::GetJpegListID(FL::Current().cursorRow)); }

void MainGUI::PictFileList_DblClick(bool fromMouse) {
  switch (FileListInput::DblClick(InputOptions(), fromMouse)) {
    case FileListInput::DoubleClickAction::Property:
      mnuStoreProperty_Click();
      break;
    case FileListInput::DoubleClickAction::AddEvent:
      mnuAddEvent_Click();
      break;
    case FileListInput::DoubleClickAction::None:
      break;
  }
}

void MainGUI::PictFileList_KeyDown(int keyCode, int shift) {
  if (FileListInput::KeyDown(keyCode, shift).doubleClick) PictFileList_DblClick(false);
}

void MainGUI::PictFileList_KeyUp(int keyCode, int shift) {
  if (FileListInput::KeyUp(keyCode, shift).cancelledDrag) PictFileList->unsetCursor();
  if (keyCode == kDeleteKey) followFileListCursor();
  // Keys the window handles itself (comma, period, Ctrl+I...) change the
  // store before their release arrives here.
  refreshStoreEditItems();
}

void MainGUI::PictFileList_GotFocus() {
  mnuEditUndo->setEnabled(GUICore::CanStoreUndo());
  mnuEditRedo->setEnabled(GUICore::CanStoreRedo());
  FL::SetFocused(true);
  WheelHook::take(BasWheelMouse::kFileList);
}

void MainGUI::refreshStoreEditItems() {
  if (focusedControl() != PictFileList) return;
  mnuEditUndo->setEnabled(GUICore::CanStoreUndo());
  mnuEditRedo->setEnabled(GUICore::CanStoreRedo());
}

void MainGUI::PictFileList_LostFocus() {
  mnuEditUndo->setEnabled(false);
  mnuEditRedo->setEnabled(false);
  FL::SetFocused(false);
  if (BasWheelMouse::HookedControl() == BasWheelMouse::kFileList) BasWheelMouse::UnhookWheel();
}

void MainGUI::PictFileList_OLEDragOver(int y) { FileListInput::DropOver(y); }

void MainGUI::PictFileList_OLEDragDrop(int y, const std::vector<std::string>& paths) {
  const auto result = FileListInput::Drop(y, paths);
  if (result.kind == FileListInput::DropResult::Kind::Added) followFileListCursor();
  refreshStoreEditItems();
  if (result.kind != FileListInput::DropResult::Kind::OpenProject) return;
  // The question waits until the drop is over: the file manager that
  // started the drag is not kept waiting for the user.
  const std::string project = result.project;
  QTimer::singleShot(0, this, [this, project] { openProjectFile(project); });
}

// ---- header and sort popup ------------------------------------------------

void MainGUI::ListJpegStoreHead_MouseUp(int, int, double x, int) {
  if (!FL::HeaderSortAvailable() || GUICore::BuildInProgress()) return;
  const auto zone = FL::HeaderSortZone(x, FL::Current().hScroll, ListJpegStoreHead->width(),
                                       ListJpegStoreHead->height());
  mnuSortUp->setText(ToQ(zone.upCaption));
  mnuSortUp->setData(zone.upKey);
  mnuSortDown->setText(ToQ(zone.downCaption));
  mnuSortDown->setData(zone.downKey);
  fileListHeader_->setSortFrame(QRect(QPoint(zone.left, zone.top), QPoint(zone.right, zone.bottom)));
  const QPoint at = ListJpegStoreHead->mapToGlobal(QPoint(static_cast<int>(x), ListJpegStoreHead->height()));
  RunPopup(mnuSort, at, nullptr);
  if (fileListHeader_) fileListHeader_->setSortFrame(std::nullopt);
  refreshStoreEditItems();
}

void MainGUI::mnuSortUp_Click() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), mnuSortUp->data().toInt());
  followFileListCursor();
}

void MainGUI::mnuSortDown_Click() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), mnuSortDown->data().toInt());
  followFileListCursor();
}

// ---- store commands -------------------------------------------------------

void MainGUI::mnuAddEvent_Click() { ListJpegStoreAddEvent(); }

void MainGUI::ListJpegStoreAddEvent() {
  if (StoreCommands::ListJpegStoreAddEvent(GUICore::MaterialEventFrames) == 0) return;
  // The rows moved under the script panel and the property dialog: both
  // would otherwise go on editing the event that now sits at their old row.
  ScriptEditorModule::ShowEventScript(ScriptEditorModule::kNoScript, "");
  if (eventPropertyVisible()) ListEventPropertyLoad();
  PictEventList->setFocus();
}

void MainGUI::mnuAddFile_Click() {
  StoreCommands::AddFilesFromDialog();
  refreshStoreEditItems();
}

void MainGUI::mnuAddText_Click() { addNewStoreItem("txt"); }
void MainGUI::mnuAddSprite_Click() { addNewStoreItem("sprite"); }
void MainGUI::mnuAddFolder_Click() { addNewStoreItem("folder"); }

void MainGUI::addNewStoreItem(const char* kindKey) {
  const int32_t id = StoreCommands::AddNewItem(kindKey, [this] {
    // The new item is the cursor row while its dialog is open.
    followFileListCursor();
    int changed = 0;
    ListJpegStoreProperty(changed);
    return changed != 0;
  });
  if (id != 0) PictFileList_Click();
  refreshStoreEditItems();
}

void MainGUI::mnuDeleteStore_Click() {
  StoreCommands::DeleteSelected();
  followFileListCursor();
  refreshStoreEditItems();
}

void MainGUI::mnuDuplicateItem_Click() {
  StoreCommands::DuplicateSelected();
  followFileListCursor();
  refreshStoreEditItems();
}

void MainGUI::mnuSelAllStore_Click() { StoreCommands::SelectAllStore(); }

void MainGUI::mnuStoreUndo_Click() {
  GUICore::StoreUndo();
  followFileListCursor();
  PictFileList->setFocus();
  refreshStoreEditItems();
}

void MainGUI::mnuStoreRedo_Click() {
  GUICore::StoreRedo();
  followFileListCursor();
  PictFileList->setFocus();
  refreshStoreEditItems();
}

void MainGUI::mnuStoreOpenFile_Click() {
  const std::string path = StoreCommands::CursorMaterialFile();
  if (!path.empty()) Desktop().opener->openFile(ToQ(path));
}

void MainGUI::mnuStoreOpenFolder_Click() {
  const std::string path = StoreCommands::CursorMaterialFile();
  if (!path.empty()) Desktop().opener->showInFolder(ToQ(path));
}

void MainGUI::mnuStoreProperty_Click() {
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
  GUICore::State().infoItemId = id;
  const StoreItem item = GUICore::GetStoreItemByID(id);
  Command1->hide();
  Command2->hide();
  Command3->hide();
  Picture1->setToolTip(QString());
  Picture1->Cls();

  const int w = Picture1->width(), h = Picture1->height();
  const auto facts = GUICore::ProbeMaterial(item);
  const auto layout = InfoPanel::LayoutItemInfo(item, facts, w, h, GUICore::GetSWFVersion());
  {
    QPainter p(&Picture1->image());
    p.fillRect(0, 0, w, InfoPanel::kBandHeight + 1, ToQColor(InfoPanel::kBandColour));
    const QRect target(layout.pictureLeft, layout.pictureTop, layout.pictureWidth, layout.pictureHeight);
    if (layout.picture == InfoPanel::Picture::Raster) PaintRaster(p, facts.path, target);
    if (layout.picture == InfoPanel::Picture::Vector) PaintVector(p, facts.path, target, Picture1->backColor());
  }
  Picture1->setCurrentX(0);
  Picture1->setCurrentY(InfoPanel::kTitleY);
  Picture1->Print(ToQ(layout.title));
  if (!layout.titleExtra.empty()) Picture1->Print(ToQ(layout.titleExtra));
  // Each line after the first starts again at the left edge.
  Picture1->setCurrentX(layout.linesX);
  Picture1->setCurrentY(layout.linesY);
  for (const auto& line : layout.lines) Picture1->Print(ToQ(line));

  infoSoundPath_ = layout.soundPath;
  if (layout.soundButtons) {
    Command1->show();
    Command2->show();
  }
  if (layout.spriteButton) Command3->show();
  Picture1->setToolTip(ToQ(layout.tooltip));
  Picture1->update();
}

void MainGUI::SoundPreview(int mode) {
  SoundPlayer* sound = Desktop().sound;
  if (mode == 0) {
    if (!infoSoundPath_.empty()) sound->play(ToQ(infoSoundPath_));
    Command1->setEnabled(false);
    Command2->setEnabled(true);
  } else {
    sound->stop();
    Command2->setEnabled(false);
    Command1->setEnabled(true);
  }
}

void MainGUI::Command1_Click() { SoundPreview(0); }
void MainGUI::Command2_Click() { SoundPreview(1); }

void MainGUI::Command3_Click() {
  GUICore::ShowTimeline(GUICore::State().infoItemId, true);
  if (Prefs::Current().dispEventProperty != 1) ui::Windows().unloadEventDialog();
}

}  // namespace tesmiro::gui
