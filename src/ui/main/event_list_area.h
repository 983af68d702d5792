#pragma once
// The main window's event list area: the tab strip with the column heads,
// the list with its scroll bars, the strip's popups and the Edit menu's
// event commands. The controls are the main window's descendants, so they
// keep being found by their names from the window.
#include <QObject>
#include <vector>

class QAction;
class QMenu;
class QScrollBar;
class QWidget;

namespace tesmiro::gui {

class EventListView;
class MainGUI;

class EventListArea final : public QObject {
 public:
  // The menu entries the area runs or keeps in step; the menus are made
  // with the window's.
  struct Menus {
    QMenu* edit;  // also the list's popup
    QAction* undo;
    QAction* redo;
    QAction* copy;
    QAction* cut;
    QAction* paste;
    QAction* deleteEvents;
    QAction* selectAll;
    QAction* properties;
    QAction* syncWithFileList;
    QAction* insertAction;
    QMenu* timeline;
    QAction* mainTimeline;  // the timeline popup's first entry, which stays
    QMenu* spriteTab;
    QAction* closeSpriteTab;
  };

  // The controls are made in `central`, placeholders until setUp().
  EventListArea(MainGUI* w, QWidget* central);
  // The list's and the strip's own widgets take their places; the entries
  // and bars are connected.
  void setUp(const Menus& menus);
  // The column right of the splitter, from x over `width`, down to `bottom`
  // (the script panel's splitter, or the window's bottom).
  void place(int x, int width, int bottom);

  QWidget* list() const { return list_; }
  QWidget* head() const { return head_; }

  // Repaint requests of the core: the rows, the tab strip with the heads.
  void draw();
  void drawTabsAndHeader();
  // The commands the keys, the menus, the window services and tests run.
  void onClicked();
  void onFocusIn();
  void onFocusOut();
  void stepValue(int step);
  void stepTargets(int step);
  void copy();
  void paste();
  // After a command that may have moved the current event
  // (project/current_event.h): the click's loading, once.
  void followCurrentEvent();

 private:
  EventListView* view() const;
  void onMouseDown(int button, int shift, int x, int y);
  void onMouseMove(int button, int shift, int x, int y);
  void onMouseUp(int button, int shift, int x, int y);
  void onDoubleClick();
  // True when the key was a navigation key of the list.
  bool onKeyDown(int keyCode, int shift);
  void onKeyUp(int keyCode, int shift);
  void onKeyPress(int ascii);
  void onHeadMouseDown(int button, int shift, int x, int y);
  void onHeadMouseMove(int button, int shift, int x, int y);
  void onHeadMouseUp(int button, int shift, int x, int y);
  void onHeadDoubleClick();
  void closeSpriteTab();
  void showTimeline(int k);
  void addAction();
  void cut();
  void deleteEvents();
  // Follows each command while the list has the focus.
  void followCommand();
  // Fills the timeline popup with the sprites; the entry of the shown
  // timeline, or null when the project has no sprite timeline.
  QAction* BuildSpriteMenu();

  MainGUI* w_;
  Menus menus_{};
  std::vector<QAction*> timelineActions;  // element 0 "&0    (メイン)"
  QWidget* head_ = nullptr;
  QWidget* list_ = nullptr;
  QScrollBar* eventListVScrollBar = nullptr;
  QScrollBar* eventListHScrollBar = nullptr;
};

}  // namespace tesmiro::gui
