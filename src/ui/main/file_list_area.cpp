// The file list, its header and popup, the store commands, the information
// panel and the sound preview of the main window. Each handler reads what
// the event says, calls the core and updates the few controls it owns.
#include "ui/main/file_list_area.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "compiler/material_facts.h"
#include "media/image/get_image.h"
#include "media/vector/kvg.h"
#include "platform/ui.h"
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
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_widget.h"
#include "ui/main/kvg_painter.h"
#include "ui/main/area_geometry.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/material_property.h"
#include "ui/main/print_canvas.h"
#include "ui/main/wheel_hook.h"

namespace tesmiro::gui {
namespace {

namespace FL = FileListModule;

MaterialPropertyExchange* gMaterialProperties = nullptr;

constexpr int kDeleteKey = 46;
constexpr int kFileHeadHeight = 17;

// `reason`, when there is one, is why no sound plays here at all.
void TellSoundNotPlayed(const std::string& path, const QString& reason = {}) {
  ui::Current().messages->message(
      "エラー", "サウンドを再生できませんでした。\r\n" + path + (reason.isEmpty() ? "" : "\r\n" + FromQ(reason)),
      ui::Icon::Critical);
}

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

FileListArea::FileListArea(MainGUI* w, QWidget* central) : QObject(w), w_(w) {
  infoPanel_ = Named(new PrintCanvas(central), "infoPanel");
  infoPanel_->setFont(PanelFont(9, true));
  infoPanel_->setBackColor(w->palette().color(QPalette::Window));
  playSoundButton = Named(new QPushButton(QStringLiteral("再生"), infoPanel_), "playSoundButton");
  stopSoundButton = Named(new QPushButton(QStringLiteral("停止"), infoPanel_), "stopSoundButton");
  editSpriteButton = Named(new QPushButton(QStringLiteral("ｽﾌﾟﾗｲﾄを編集(&S)"), infoPanel_), "editSpriteButton");
  playSoundButton->setGeometry(2, 14, 60, 20);
  stopSoundButton->setGeometry(64, 14, 60, 20);
  editSpriteButton->setGeometry(2, 34, 120, 22);
  for (QPushButton* b : {playSoundButton, stopSoundButton, editSpriteButton}) b->hide();
  cancelBuildButton = Named(new QPushButton(QStringLiteral("キャンセル"), infoPanel_), "cancelBuildButton");
  cancelBuildButton->setGeometry(2, 32, 90, 24);
  cancelBuildButton->hide();

  MakeListControls(central, {"ListJpegStoreHead", "PictFileList", "fileListVScrollBar", "fileListHScrollBar"},
                   head_, list_, fileListVScrollBar, fileListHScrollBar);
}

void FileListArea::setUp(const Menus& menus) {
  menus_ = menus;
  auto* list = new FileListWidget(this);
  w_->replaceList(list_, list, fileListVScrollBar, fileListHScrollBar);
  list->attachScrollBars(fileListVScrollBar, fileListHScrollBar);
  // The wheel scrolls whichever list has the focus.
  w_->wheelHook->addList(BasWheelMouse::kFileList, list, [](int rows) { FL::ScrollFileListBy(rows); });

  auto* header = new FileListHeader(this, head_->parentWidget());
  header->setGeometry(head_->geometry());
  header->show();
  delete head_;
  head_ = header;
  fileListHeader_ = header;

  connect(fileListHScrollBar, &QScrollBar::valueChanged, header, [header] { header->update(); });
  connect(menus_.addToEvents, &QAction::triggered, this, [this] { addToEvents(); });
  connect(menus_.storeUndo, &QAction::triggered, this, [this] { undoStore(); });
  connect(menus_.storeRedo, &QAction::triggered, this, [this] { redoStore(); });
  connect(menus_.openWithApp, &QAction::triggered, this, [this] { openWithApp(); });
  connect(menus_.showInFolder, &QAction::triggered, this, [this] { showInFolder(); });
  connect(menus_.selectAll, &QAction::triggered, this, [this] { selectAllItems(); });
  connect(menus_.deleteItems, &QAction::triggered, this, [this] { deleteItems(); });
  connect(menus_.addFile, &QAction::triggered, this, [this] { addFiles(); });
  connect(menus_.addText, &QAction::triggered, this, [this] { addText(); });
  connect(menus_.addSprite, &QAction::triggered, this, [this] { addSprite(); });
  connect(menus_.addFolder, &QAction::triggered, this, [this] { addFolder(); });
  connect(menus_.duplicate, &QAction::triggered, this, [this] { duplicateItem(); });
  connect(menus_.properties, &QAction::triggered, this, [this] { editItemProperties(); });
  connect(menus_.sortUp, &QAction::triggered, this, [this] { sortUp(); });
  connect(menus_.sortDown, &QAction::triggered, this, [this] { sortDown(); });
  connect(playSoundButton, &QPushButton::clicked, this, [this] { playSound(); });
  connect(stopSoundButton, &QPushButton::clicked, this, [this] { stopSound(); });
  connect(editSpriteButton, &QPushButton::clicked, this, [this] { editSprite(); });
}

void FileListArea::place(int width, int panelHeight, int gap, int clientHeight) {
  Place(infoPanel_, 0, 0, width, panelHeight);
  Place(head_, 0, panelHeight + gap, width, kFileHeadHeight);
  Place(list_, 0, panelHeight + gap + kFileHeadHeight, width, clientHeight - (panelHeight + gap) - kFileHeadHeight);
  const int vw = fileListVScrollBar->sizeHint().width();
  const int hh = fileListHScrollBar->sizeHint().height();
  Place(fileListVScrollBar, list_->width() - vw, 0, vw, list_->height());
  Place(fileListHScrollBar, 0, list_->height() - hh, list_->width() - vw, hh);
}

bool FileListArea::addAtCursor(int keyCode) {
  QAction* add = keyCode == 84 ? menus_.addText
                 : keyCode == 82 ? menus_.addSprite
                 : keyCode == 73 ? menus_.addFile
                 : keyCode == 76 ? menus_.addFolder
                                 : nullptr;
  if (!add) return false;
  auto& rows = FL::Current();
  rows.insertRow = rows.cursorRow;
  rows.insertMode = 0;
  add->trigger();
  return true;
}

void FileListArea::printStatus(const QString& line) {
  infoPanel_->Cls();
  infoPanel_->Print(line);
}

void FileListArea::keepingPanel(const std::function<void()>& follow) {
  panelKept_ = true;
  follow();
  panelKept_ = false;
}

void FileListArea::refresh() {
  // The bars follow the list now, not when it paints: set while painting,
  // they would be painted a second time.
  if (auto* list = qobject_cast<FileListWidget*>(list_)) list->syncScrollBars();
  list_->update();
  head_->update();
  refreshStoreEditItems();
}

// ---- the list's events ----------------------------------------------------

void FileListArea::onMouseDown(int, int shift, int x, int y) {
  FileListInput::MouseDown(Drag(list_), shift, x, y, InputOptions());
}

void FileListArea::onMouseMove(int, int shift, int x, int y) {
  switch (FileListInput::MouseMove(Drag(list_), shift, x, y)) {
    case FileListInput::Cursor::Drag:
      list_->setCursor(Qt::DragMoveCursor);
      break;
    case FileListInput::Cursor::Default:
      list_->unsetCursor();
      break;
    case FileListInput::Cursor::Unchanged:
      break;
  }
}

void FileListArea::onMouseUp(int button, int shift, int x, int y) {
  const auto result = FileListInput::MouseUp(Drag(list_), button, shift, x, y);
  list_->unsetCursor();
  refreshStoreEditItems();
  if (!result.popup) return;
  const auto states = FileListInput::Popup(InputOptions());
  menus_.addToEvents->setEnabled(states.addEvent);
  menus_.storeUndo->setEnabled(states.undo);
  menus_.storeRedo->setEnabled(states.redo);
  menus_.openFile->menuAction()->setEnabled(states.open);
  menus_.selectAll->setEnabled(states.selectAll);
  menus_.deleteItems->setEnabled(states.deleteItems);
  menus_.duplicate->setEnabled(states.duplicate);
  menus_.properties->setEnabled(states.property);
  RunPopup(menus_.list, list_->mapToGlobal(QPoint(x, y)),
           states.defaultIsProperty ? menus_.properties : menus_.addToEvents);
  refreshStoreEditItems();
}

void FileListArea::onClicked() { followFileListCursor(); }

// After a command the panel shows the cursor row, which may now hold
// another item, or none, than the one shown before.
void FileListArea::followFileListCursor() { GUICore::ShowItemInfo(FL::GetJpegListID(FL::Current().cursorRow)); }

void FileListArea::onDoubleClick(bool fromMouse) {
  switch (FileListInput::DblClick(Drag(list_), InputOptions(), fromMouse)) {
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

void FileListArea::onKeyDown(int keyCode, int shift) {
  const bool doubleClick = FileListInput::KeyDown(keyCode, shift).doubleClick;
  w_->eventList().followCurrentEvent();  // Delete takes a shown sprite's timeline with it
  if (doubleClick) onDoubleClick(false);
}

void FileListArea::onKeyUp(int keyCode, int shift) {
  if (FileListInput::KeyUp(Drag(list_), keyCode, shift).cancelledDrag) list_->unsetCursor();
  if (keyCode == kDeleteKey) followFileListCursor();
  // Keys the window handles itself (comma, period, Ctrl+I...) change the
  // store before their release arrives here.
  refreshStoreEditItems();
}

void FileListArea::onFocusIn() {
  menus_.undo->setEnabled(GUICore::CanStoreUndo());
  menus_.redo->setEnabled(GUICore::CanStoreRedo());
  FL::SetFocused(true);
  w_->wheelHook->take(BasWheelMouse::kFileList);
}

void FileListArea::refreshStoreEditItems() {
  if (w_->focusedControl() != list_) return;
  menus_.undo->setEnabled(GUICore::CanStoreUndo());
  menus_.redo->setEnabled(GUICore::CanStoreRedo());
}

void FileListArea::onFocusOut() {
  menus_.undo->setEnabled(false);
  menus_.redo->setEnabled(false);
  FL::SetFocused(false);
  w_->wheelHook->release(BasWheelMouse::kFileList);
}

void FileListArea::onDragOver(int y) { FileListInput::DropOver(Drag(list_), y); }

void FileListArea::onDrop(int y, const std::vector<std::string>& paths, const std::vector<std::string>& links) {
  const auto result = FileListInput::Drop(Drag(list_), y, paths, links);
  if (result.kind == FileListInput::DropResult::Kind::Added) followFileListCursor();
  refreshStoreEditItems();
  // The warning and the question wait until the drop is over: the file
  // manager that started the drag is not kept waiting for the user.
  if (!result.leftOut.empty()) {
    QTimer::singleShot(0, this, [leftOut = result.leftOut] { StoreCommands::ReportLeftOut(leftOut); });
  }
  if (result.kind != FileListInput::DropResult::Kind::OpenProject) return;
  const std::string project = result.project;
  QTimer::singleShot(0, this, [this, project] { w_->menus().openProjectFile(project); });
}

// ---- header and sort popup ------------------------------------------------

void FileListArea::onHeadMouseUp(int, int, double x, int) {
  if (!FL::HeaderSortAvailable() || GUICore::BuildInProgress()) return;
  const auto zone = FL::HeaderSortZone(x, FL::Current().hScroll, head_->width(),
                                       head_->height());
  menus_.sortUp->setText(ToQ(zone.upCaption));
  menus_.sortUp->setData(zone.upKey);
  menus_.sortDown->setText(ToQ(zone.downCaption));
  menus_.sortDown->setData(zone.downKey);
  fileListHeader_->setSortFrame(QRect(QPoint(zone.left, zone.top), QPoint(zone.right, zone.bottom)));
  const QPoint at = head_->mapToGlobal(QPoint(static_cast<int>(x), head_->height()));
  RunPopup(menus_.sort, at, nullptr);
  if (fileListHeader_) fileListHeader_->setSortFrame(std::nullopt);
  refreshStoreEditItems();
}

void FileListArea::sortUp() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), menus_.sortUp->data().toInt());
  followFileListCursor();
}

void FileListArea::sortDown() {
  if (GUICore::BuildInProgress()) return;
  GUICore::SortStoreItems(1, GUICore::StoreItemCount(), menus_.sortDown->data().toInt());
  followFileListCursor();
}

// ---- store commands -------------------------------------------------------

void FileListArea::addToEvents() { ListJpegStoreAddEvent(); }

void FileListArea::ListJpegStoreAddEvent() {
  if (StoreCommands::ListJpegStoreAddEvent(GUICore::MaterialEventFrames) == 0) return;
  // The rows moved under the script panel and the property dialog: both
  // would otherwise go on editing the event that now sits at their old row.
  ScriptEditorModule::ShowEventScript(ScriptEditorModule::kNoScript, "");
  if (w_->eventPropertyVisible()) w_->ListEventPropertyLoad();
  w_->eventList().list()->setFocus();
}

void FileListArea::addFiles() {
  StoreCommands::AddFilesFromDialog();
  refreshStoreEditItems();
}

void FileListArea::addText() { addNewStoreItem("txt"); }
void FileListArea::addSprite() { addNewStoreItem("sprite"); }
void FileListArea::addFolder() { addNewStoreItem("folder"); }

void FileListArea::addNewStoreItem(const char* kindKey) {
  const int32_t id = StoreCommands::AddNewItem(kindKey, [this] {
    // The new item is the cursor row while its dialog is open.
    followFileListCursor();
    int changed = 0;
    ListJpegStoreProperty(changed);
    return changed != 0;
  });
  if (id != 0) onClicked();
  refreshStoreEditItems();
}

void FileListArea::deleteItems() {
  StoreCommands::DeleteSelected();
  w_->eventList().followCurrentEvent();
  followFileListCursor();
  refreshStoreEditItems();
}

void FileListArea::duplicateItem() {
  StoreCommands::DuplicateSelected();
  followFileListCursor();
  refreshStoreEditItems();
}

void FileListArea::selectAllItems() { StoreCommands::SelectAllStore(); }

void FileListArea::undoStore() {
  GUICore::StoreUndo();
  w_->eventList().followCurrentEvent();
  followFileListCursor();
  list_->setFocus();
  refreshStoreEditItems();
}

void FileListArea::redoStore() {
  GUICore::StoreRedo();
  w_->eventList().followCurrentEvent();
  followFileListCursor();
  list_->setFocus();
  refreshStoreEditItems();
}

void FileListArea::openWithApp() { openMaterialFile("ファイル", false); }

void FileListArea::showInFolder() { openMaterialFile("ファイルの場所", true); }

void FileListArea::openMaterialFile(const std::string& what, bool inFolder) {
  const StoreCommands::MaterialFile file = StoreCommands::CursorMaterialFile();
  if (file.path.empty()) return;
  if (!file.found) {
    TellNotOpened(what, file.path, "ファイルがありません。");
  } else if (inFolder) {
    ShowInFolderOrTell(what, file.path);
  } else {
    OpenFileOrTell(what, file.path);
  }
}

void FileListArea::editItemProperties() {
  if (FL::RowCount() == 0) return;
  GUICore::StoreUndoScope undo;
  if (!undo) return;
  int changed = 0;
  ListJpegStoreProperty(changed);
  if (changed == 0) undo.dismiss();
  undo.push();
  refreshStoreEditItems();
}

void FileListArea::ListJpegStoreProperty(int& changed) {
  changed = 0;
  if (MaterialPropertyExchange* exchange = MaterialProperties()) changed = exchange->exchange(*w_) ? 1 : 0;
}

// ---- information panel and sound preview ----------------------------------

void FileListArea::ShowItemInfo(int32_t id) {
  if (panelKept_) return;
  SoundPreview(1);
  const StoreItem item = GUICore::GetStoreItemByID(id);
  playSoundButton->hide();
  stopSoundButton->hide();
  editSpriteButton->hide();
  infoPanel_->setToolTip(QString());
  infoPanel_->Cls();

  const int w = infoPanel_->width(), h = infoPanel_->height();
  const auto facts = GUICore::ProbeMaterial(item);
  const auto layout = InfoPanel::LayoutItemInfo(item, facts, w, h, GUICore::GetSWFVersion());
  {
    QPainter p(&infoPanel_->image());
    p.fillRect(0, 0, w, InfoPanel::kBandHeight + 1, ToQColor(InfoPanel::kBandColour));
    const QRect target(layout.pictureLeft, layout.pictureTop, layout.pictureWidth, layout.pictureHeight);
    if (layout.picture == InfoPanel::Picture::Raster) PaintRaster(p, facts.path, target);
    if (layout.picture == InfoPanel::Picture::Vector) PaintVector(p, facts.path, target, infoPanel_->backColor());
  }
  infoPanel_->setCurrentX(0);
  infoPanel_->setCurrentY(InfoPanel::kTitleY);
  infoPanel_->Print(ToQ(layout.title));
  if (!layout.titleExtra.empty()) infoPanel_->Print(ToQ(layout.titleExtra));
  // Each line after the first starts again at the left edge.
  infoPanel_->setCurrentX(layout.linesX);
  infoPanel_->setCurrentY(layout.linesY);
  for (const auto& line : layout.lines) infoPanel_->Print(ToQ(line));

  infoSoundPath_ = layout.soundPath;
  if (layout.soundButtons) {
    playSoundButton->show();
    stopSoundButton->show();
  }
  if (layout.spriteButton) editSpriteButton->show();
  infoPanel_->setToolTip(ToQ(layout.tooltip));
  infoPanel_->update();
}

void FileListArea::SoundPreview(int mode) {
  SoundPlayer* sound = Desktop().sound;
  if (mode == 0) {
    if (!infoSoundPath_.empty()) {
      const std::string path = infoSoundPath_;
      // A sound that stops with an error gives the buttons back as stop does.
      QPointer<FileListArea> self(this);
      auto failed = [self, path] {
        if (self) self->SoundPreview(1);
        TellSoundNotPlayed(path);
      };
      if (!sound->play(ToQ(path), failed)) {
        TellSoundNotPlayed(path, sound->whyNoSound());
        return;
      }
    }
    playSoundButton->setEnabled(false);
    stopSoundButton->setEnabled(true);
  } else {
    sound->stop();
    stopSoundButton->setEnabled(false);
    playSoundButton->setEnabled(true);
  }
}

void FileListArea::playSound() { SoundPreview(0); }
void FileListArea::stopSound() { SoundPreview(1); }

void FileListArea::editSprite() {
  GUICore::ShowTimeline(GUICore::State().infoItemId, true);
  w_->eventList().followCurrentEvent();
  if (Prefs::Current().dispEventProperty != 1) ui::Windows().unloadEventDialog();
}

}  // namespace tesmiro::gui
