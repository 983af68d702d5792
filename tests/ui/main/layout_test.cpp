// Layout of the main window: the three splitters with their limits, the
// docked script panel, the tab strip's height, the backup timer from the
// preferences, and the status line.
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QPlainTextEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "project/backup.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/preferences.h"
#include "support/main_gui_fixture.h"
#include "ui/main/print_canvas.h"
#include "ui/main/splitter_handle.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

gui::SplitterHandle* Splitter(gui::MainGUI& w, const char* name) { return Control<gui::SplitterHandle>(w, name); }

// The docked script panel's text (the script editor window has one of its own).
QPlainTextEdit* ScriptEdit(gui::MainGUI& w) { return Control<QPlainTextEdit>(w.centralWidget(), "scriptEdit"); }

// A drag that starts on the handle and ends `by` pixels away.
void DragHandle(QWidget* handle, QPoint by) { Drag(handle, {QPoint(0, 0), by / 2, by}); }

class LayoutTest : public MainGuiTest {
 protected:
  gui::MainGUI& StartSized(int w, int h, const std::string& ini = "") {
    if (!ini.empty()) std::ofstream(temp / "tesmiro.ini") << ini;
    gui::MainGUI& win = start();
    win.setWindowState(Qt::WindowNoState);
    win.resize(w, h);
    Settle();
    return win;
  }
  int ClientWidth() { return window().centralWidget()->width(); }
  int ClientHeight() { return window().centralWidget()->height(); }
};

TEST_F(LayoutTest, TheVerticalSplitterStopsAHundredPixelsFromEitherSide) {
  gui::MainGUI& w = StartSized(800, 600);
  ASSERT_EQ(ClientWidth(), 800);
  DragHandle(Splitter(w, "columnSplitter"), QPoint(20 - Splitter(w, "columnSplitter")->x(), 0));
  EXPECT_EQ(Control<QFrame>(w, "columnSplitterBar")->x(), 100);
  EXPECT_EQ(Control<QWidget>(w, "PictFileList")->width(), 100);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->x(), 103);
  EXPECT_FALSE(Control<QFrame>(w, "columnSplitterBar")->isVisible());
  DragHandle(Splitter(w, "columnSplitter"), QPoint(790 - Splitter(w, "columnSplitter")->x(), 0));
  EXPECT_EQ(Control<QFrame>(w, "columnSplitterBar")->x(), 700);
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->width(), 700);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->width(), 800 - 703);
}

TEST_F(LayoutTest, TheHorizontalSplittersStaySixtySixPixelsInside) {
  gui::MainGUI& w = StartSized(800, 600, "[Tesmiro]\nDockScriptEditor=1\nDispScriptEditor=-1\n");
  const int H = ClientHeight();
  ASSERT_TRUE(w.scriptPanelShown());
  DragHandle(Splitter(w, "infoPanelSplitter"), QPoint(0, 10 - Splitter(w, "infoPanelSplitter")->y()));
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->height(), 66);
  EXPECT_EQ(Control<QWidget>(w, "ListJpegStoreHead")->y(), 69);
  DragHandle(Splitter(w, "infoPanelSplitter"), QPoint(0, H - Splitter(w, "infoPanelSplitter")->y()));
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->height(), H - 66);
  DragHandle(Splitter(w, "scriptPanelSplitter"), QPoint(0, 5 - Splitter(w, "scriptPanelSplitter")->y()));
  EXPECT_EQ(Splitter(w, "scriptPanelSplitter")->y(), 66);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->y() + Control<QWidget>(w, "PictEventList")->height(), 66);
  DragHandle(Splitter(w, "scriptPanelSplitter"), QPoint(0, H + 50 - Splitter(w, "scriptPanelSplitter")->y()));
  EXPECT_EQ(Splitter(w, "scriptPanelSplitter")->y(), H - 66);
  EXPECT_TRUE(ScriptEdit(w)->isVisible());
  EXPECT_EQ(ScriptEdit(w)->y() + ScriptEdit(w)->height(), H);
}

TEST_F(LayoutTest, WithoutTheDockedPanelTheEventListReachesTheBottom) {
  gui::MainGUI& w = StartSized(800, 600, "[Tesmiro]\nDockScriptEditor=1\nDispScriptEditor=0\nSplitter3=300\n");
  // Never shown yet, the panel's controls are not even made.
  EXPECT_EQ(w.centralWidget()->findChild<QWidget*>("scriptEdit"), nullptr);
  EXPECT_EQ(w.centralWidget()->findChild<QWidget*>("scriptBar"), nullptr);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->y() + Control<QWidget>(w, "PictEventList")->height(), ClientHeight());
  // Switched on, the stored position comes back, and the splitter bar a
  // drag shows stays above the panel made now.
  Control<QAction>(w, "scriptEditorAction")->trigger();
  EXPECT_TRUE(ScriptEdit(w)->isVisible());
  EXPECT_TRUE(Control<QWidget>(w, "scriptBar")->isVisible());
  EXPECT_EQ(Splitter(w, "scriptPanelSplitter")->y(), 300);
  EXPECT_EQ(ScriptEdit(w)->y() + ScriptEdit(w)->height(), ClientHeight());
  const QObjectList& stack = w.centralWidget()->children();
  EXPECT_GT(stack.indexOf(Control<QFrame>(w, "scriptPanelSplitterBar")), stack.indexOf(ScriptEdit(w)));
  EXPECT_GT(stack.indexOf(Control<QFrame>(w, "scriptPanelSplitterBar")), stack.indexOf(Control<QWidget>(w, "scriptBar")));
  // Switched off again, it hides and the event list reaches the bottom.
  Control<QAction>(w, "scriptEditorAction")->trigger();
  EXPECT_FALSE(ScriptEdit(w)->isVisible());
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->y() + Control<QWidget>(w, "PictEventList")->height(), ClientHeight());
}

TEST_F(LayoutTest, TheTabStripMovesTheEventListDownWithTheSameBottom) {
  gui::MainGUI& w = StartSized(800, 600);
  EXPECT_EQ(Control<QWidget>(w, "ListEventHead")->height(), 17);
  const int bottom = Control<QWidget>(w, "PictEventList")->y() + Control<QWidget>(w, "PictEventList")->height();
  Control<QAction>(w, "spriteTabsAction")->trigger();
  EXPECT_TRUE(Control<QAction>(w, "spriteTabsAction")->isChecked());
  EXPECT_EQ(Prefs::Current().dispSpriteTab, 1);
  EXPECT_EQ(Control<QWidget>(w, "ListEventHead")->height(), 41);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->y(), 41);
  EXPECT_EQ(Control<QWidget>(w, "PictEventList")->y() + Control<QWidget>(w, "PictEventList")->height(), bottom);
}

TEST_F(LayoutTest, ANarrowWindowPutsTheSplitterAtItsWidthLessAHundred) {
  gui::MainGUI& w = StartSized(150, 400);
  const int W = ClientWidth();
  ASSERT_LT(W, 200);
  EXPECT_EQ(Control<QWidget>(w, "PictFileList")->width(), W - 100);
}

TEST_F(LayoutTest, StoredGeometryAndSplittersComeBack) {
  gui::MainGUI& w = StartSized(800, 600);
  DragHandle(Splitter(w, "columnSplitter"), QPoint(250 - Splitter(w, "columnSplitter")->x(), 0));
  const int outerTwips = w.frameGeometry().width() * 15;
  ASSERT_TRUE(w.close());
  const std::string ini = [&] {
    std::ifstream in(temp / "tesmiro.ini");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  EXPECT_NE(ini.find("Splitter1=250\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Width=" + std::to_string(outerTwips) + "\n"), std::string::npos) << ini;
  destroyWindow();
  Prefs::ResetState();
  gui::MainGUI& again = start();
  EXPECT_EQ(again.width(), 800);
  EXPECT_EQ(Control<QWidget>(again, "PictFileList")->width(), 250);
}

TEST_F(LayoutTest, AStoredRectangleFromAnotherScreenIsBroughtOntoThisOne) {
  desktop.placement.area = QRect(0, 0, 1024, 768);
  std::ofstream(temp / "tesmiro.ini") << "[Tesmiro]\nLeft=30000\nTop=-9000\nWidth=9000\nHeight=6000\n";
  gui::MainGUI& moved = start();
  EXPECT_EQ(moved.frameGeometry().topLeft(), QPoint(1024 - 600, 0));
  destroyWindow();
  // Numbers no screen has are no harm either.
  Prefs::ResetState();
  std::ofstream(temp / "tesmiro.ini")
      << "[Tesmiro]\nLeft=1e300\nTop=-5e9\nWidth=9e12\nHeight=1e39\nSplitter1=1e38\nSplitter2=-1e30\n";
  gui::MainGUI& huge = start();
  EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(huge.frameGeometry()));
  EXPECT_GE(Control<QWidget>(huge, "PictFileList")->width(), 100);
}

TEST_F(LayoutTest, TheBackupTimerFollowsTheClampedInterval) {
  EXPECT_TRUE(Control<QTimer>(StartSized(800, 600, "[Tesmiro]\nAutoBackUpInterval=0.5\n"), "backupTimer")->isActive());
  EXPECT_EQ(Control<QTimer>(window(), "backupTimer")->interval(), 30000);
  destroyWindow();
  for (const char* off : {"0", "-2", "abc"}) {
    Prefs::ResetState();
    std::ofstream(temp / "tesmiro.ini") << "[Tesmiro]\nAutoBackUpInterval=" << off << "\n";
    EXPECT_FALSE(Control<QTimer>(start(), "backupTimer")->isActive()) << off;
    destroyWindow();
  }
  Prefs::ResetState();
  std::ofstream(temp / "tesmiro.ini") << "[Tesmiro]\nAutoBackUpInterval=100000\n";
  EXPECT_EQ(Control<QTimer>(start(), "backupTimer")->interval(), Prefs::kMaxBackupIntervalMs);
}

TEST_F(LayoutTest, ATimerTickWritesTheBackupOnlyWithUnsavedChanges) {
  gui::MainGUI& w = start();
  std::ofstream(GUICore::AutoBackupPath()) << "old";
  w.writeAutoBackup();
  EXPECT_FALSE(fs::exists(GUICore::AutoBackupPath()));
  GUICore::SetModified(true);
  w.writeAutoBackup();
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("(新規) - Tesmiro *"));
}

TEST_F(LayoutTest, TheStatusLineShowsOneLine) {
  gui::MainGUI& w = start();
  w.fileList().printStatus(QStringLiteral("完了 (3KB)"));
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines(), QStringList{QStringLiteral("完了 (3KB)")});
  w.fileList().printStatus(QStringLiteral("SWF生成キャンセル"));
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines(), QStringList{QStringLiteral("SWF生成キャンセル")});
  // Text was drawn into the picture near its left edge, and nothing right
  // of it.
  const QImage img = Control<gui::PrintCanvas>(w, "infoPanel")->image();
  const QColor back = Control<gui::PrintCanvas>(w, "infoPanel")->backColor();
  bool inked = false;
  for (int x = 0; x < 60 && !inked; ++x)
    for (int y = 0; y < Control<gui::PrintCanvas>(w, "infoPanel")->lineHeight() && !inked; ++y) inked = img.pixelColor(x, y) != back;
  EXPECT_TRUE(inked);
  EXPECT_EQ(img.pixelColor(img.width() - 2, img.height() - 2), back);
}

}  // namespace
}  // namespace tesmiro::testing
