#pragma once
// The main window's file list area: the information panel (which is also
// the status line, with the build's cancel button), the list's header, the
// list with its scroll bars, the store commands of its popups and the sound
// preview. The controls are the main window's descendants, so they keep
// being found by their names from the window.
#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QScrollBar;
class QString;
class QWidget;

namespace tesmiro::gui {

class FileListHeader;
class MainGUI;
class PrintCanvas;

class FileListArea final : public QObject {
 public:
  // The popup entries the area runs; the menus are made with the window's.
  struct Menus {
    QMenu* list;
    QAction* addToEvents;
    QAction* storeUndo;
    QAction* storeRedo;
    QMenu* openFile;
    QAction* openWithApp;
    QAction* showInFolder;
    QAction* selectAll;
    QAction* deleteItems;
    QAction* addFile;
    QAction* addText;
    QAction* addSprite;
    QAction* addFolder;
    QAction* duplicate;
    QAction* properties;
    QMenu* sort;
    QAction* sortUp;
    QAction* sortDown;
    // Edit > Undo and Redo, which follow the store while the list has the focus.
    QAction* undo;
    QAction* redo;
  };

  // The controls are made in `central`, placeholders until setUp().
  FileListArea(MainGUI* w, QWidget* central);
  // The list's and header's own widgets take their places; the entries and
  // buttons are connected.
  void setUp(const Menus& menus);
  // The column left of the splitter: the panel above `panelHeight`, the
  // header and the list below the gap.
  void place(int width, int panelHeight, int gap, int clientHeight);

  QWidget* list() const { return list_; }
  QWidget* head() const { return head_; }
  PrintCanvas* infoPanel() const { return infoPanel_; }
  QPushButton* cancelButton() const { return cancelBuildButton; }
  // The Ctrl key of an Add entry (T, R, I, L) runs it at the cursor row;
  // false when the key is none of them.
  bool addAtCursor(int keyCode);
  // The status line: cleared, then one line.
  void printStatus(const QString& line);
  // Runs `follow` with the information panel left as it is: what a build
  // printed in it stays until the user picks an item.
  void keepingPanel(const std::function<void()>& follow);
  // The store changed: the list and its header repaint, Undo and Redo follow.
  void refresh();

  void onMouseDown(int button, int shift, int x, int y);
  void onMouseMove(int button, int shift, int x, int y);
  void onMouseUp(int button, int shift, int x, int y);
  void onClicked();
  void onDoubleClick(bool fromMouse);
  void onKeyDown(int keyCode, int shift);
  void onKeyUp(int keyCode, int shift);
  void onFocusIn();
  void onFocusOut();
  void onDragOver(int y);
  void onDrop(int y, const std::vector<std::string>& paths, const std::vector<std::string>& links);
  void onHeadMouseUp(int button, int shift, double x, int y);

  // The commands tests, the keys and the Edit menu run.
  void duplicateItem();
  void sortUp();
  void undoStore();
  void redoStore();
  // Paints the information panel for a store item (0: none); the core's
  // ShowItemInfo records which item it is.
  void ShowItemInfo(int32_t id);
  // After a command the panel shows the cursor row's item.
  void followFileListCursor();

 private:
  void addToEvents();
  void addFiles();
  void addText();
  void addSprite();
  void addFolder();
  void addNewStoreItem(const char* kindKey);
  void deleteItems();
  void selectAllItems();
  void openWithApp();
  void showInFolder();
  // The cursor row's material file, or a message naming `what` could not be opened.
  void openMaterialFile(const std::string& what, bool inFolder);
  void editItemProperties();
  void sortDown();
  // Events for the selected materials at the event list's current row.
  void ListJpegStoreAddEvent();
  // The material property exchange; changed = 1 when an item changed.
  void ListJpegStoreProperty(int& changed);
  // The sound preview of the panel's sound: 0 play, 1 stop.
  void SoundPreview(int mode);
  void playSound();
  void stopSound();
  void editSprite();
  // While the list has the focus, Edit > Undo and Redo follow the store's
  // history (after every change, not only when the focus arrives).
  void refreshStoreEditItems();

  MainGUI* w_;
  Menus menus_{};
  std::string infoSoundPath_;  // the sound of the information panel
  bool panelKept_ = false;
  FileListHeader* fileListHeader_ = nullptr;
  PrintCanvas* infoPanel_ = nullptr;  // information panel and status line
  QPushButton* playSoundButton = nullptr;
  QPushButton* stopSoundButton = nullptr;
  QPushButton* editSpriteButton = nullptr;
  QPushButton* cancelBuildButton = nullptr;
  QWidget* head_ = nullptr;
  QWidget* list_ = nullptr;
  QScrollBar* fileListVScrollBar = nullptr;
  QScrollBar* fileListHScrollBar = nullptr;
};

}  // namespace tesmiro::gui
