// The main window's small parts on their own: a splitter handle with its
// bar, and the entry through which a window that exists once is made.
#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <utility>

#include "ui/main/on_demand_window.h"
#include "ui/main/splitter_handle.h"

namespace tesmiro::testing {
namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

struct SplitterRig {
  explicit SplitterRig(Qt::Orientation o, QSize size) {
    parent.resize(size);
    bar = new QFrame(&parent);
    handle = new gui::SplitterHandle(o, bar, 66, &parent);
    handle->setGeometry(o == Qt::Vertical ? QRect(50, 0, 4, size.height()) : QRect(0, 50, size.width(), 4));
    handle->onMoved = [this] { ++moved; };
  }
  QWidget parent;
  QFrame* bar;
  gui::SplitterHandle* handle;
  int moved = 0;
};

TEST(SplitterHandleTest, OnlyADragThatStartedOnTheHandleMovesTheBar) {
  SplitterRig rig(Qt::Horizontal, QSize(400, 300));
  Mouse(rig.handle, QEvent::MouseMove, QPoint(0, 100));
  Mouse(rig.handle, QEvent::MouseButtonRelease, QPoint(0, 100));
  EXPECT_EQ(rig.moved, 0);
  Mouse(rig.handle, QEvent::MouseButtonPress, QPoint(0, 0));
  EXPECT_EQ(rig.bar->geometry(), QRect(0, 50, 400, 2));
  Mouse(rig.handle, QEvent::MouseMove, QPoint(0, 100));
  EXPECT_EQ(rig.handle->position(), 150);
  Mouse(rig.handle, QEvent::MouseMove, QPoint(0, 1000));
  EXPECT_EQ(rig.handle->position(), 300 - 66);
  Mouse(rig.handle, QEvent::MouseButtonRelease, QPoint(0, 1000));
  EXPECT_EQ(rig.moved, 1);
  EXPECT_TRUE(rig.bar->isHidden());
  EXPECT_EQ(rig.handle->position(), 300 - 66);
}

TEST(SplitterHandleTest, InAParentNarrowerThanBothMarginsAColumnKeepsTheLeadingOneARowTheTrailing) {
  SplitterRig column(Qt::Vertical, QSize(100, 300));
  Mouse(column.handle, QEvent::MouseButtonPress, QPoint(0, 0));
  Mouse(column.handle, QEvent::MouseMove, QPoint(-40, 0));
  EXPECT_EQ(column.handle->position(), 66);
  SplitterRig row(Qt::Horizontal, QSize(400, 100));
  Mouse(row.handle, QEvent::MouseButtonPress, QPoint(0, 0));
  Mouse(row.handle, QEvent::MouseMove, QPoint(0, -40));
  EXPECT_EQ(row.handle->position(), 100 - 66);
}

// A window of its own kind, counted as it is made and closed.
struct OnceWindow : QWidget {
  static inline OnceWindow* one = nullptr;
  static inline int made = 0;
  static OnceWindow* load(QWidget*) {
    if (!one) one = new OnceWindow, ++made;
    return one;
  }
  static OnceWindow* find() { return one; }
  static void drop() { delete std::exchange(one, nullptr); }
};

TEST(OnDemandWindowTest, AskingNeverMakesTheWindowAndPresentingMakesItOnce) {
  constexpr gui::OnDemandWindow<OnceWindow, &OnceWindow::drop> entry{&OnceWindow::load, &OnceWindow::find};
  EXPECT_FALSE(entry.isLoaded());
  EXPECT_FALSE(entry.isShownNow());
  EXPECT_EQ(entry.loaded(), nullptr);
  EXPECT_EQ(OnceWindow::made, 0);
  OnceWindow* w = entry.present(nullptr);
  EXPECT_TRUE(entry.isShownNow());
  EXPECT_EQ(entry.present(nullptr), w);
  EXPECT_EQ(entry.load(nullptr), w);
  EXPECT_EQ(OnceWindow::made, 1);
  w->hide();
  EXPECT_TRUE(entry.isLoaded());
  EXPECT_FALSE(entry.isShownNow());
  entry.unload();
  EXPECT_FALSE(entry.isLoaded());
}

// Only a window that has a way to close can be unloaded: the search dialog,
// which is only ever hidden, offers no unload to call.
template <class Entry>
concept Unloadable = requires(const Entry& entry) { entry.unload(); };
static_assert(Unloadable<decltype(gui::kTraceWindow)> && Unloadable<decltype(gui::kPreviewWindow)> &&
              Unloadable<decltype(gui::kEventDialog)> && Unloadable<decltype(gui::kScriptEditor)>);
static_assert(!Unloadable<decltype(gui::kSearchDialog)>);

}  // namespace
}  // namespace tesmiro::testing
