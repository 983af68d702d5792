// The keep-on-top boxes of the event dialog, the preview window and the
// script editor: one guard, driven here by the clock service. A change of
// the box follows at once; making the window topmost again on activation
// waits half a second after the last time.
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <fstream>
#include <functional>

#include "project/preferences.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/script_editor_window.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;
using gui::PreviewWindow;
using gui::ScriptEditorWindow;

class KeepOnTopTest : public MainGuiTest {
 protected:
  KeepOnTopTest() {
    start();
    // Each window's box offered (bits 1, 4, 16), none ticked.
    Prefs::Current().windowTopward = 1 | 4 | 16;
  }
  ~KeepOnTopTest() override {
    EventDialog::UnloadInstance();
    PreviewWindow::unload();
    ScriptEditorWindow::unload();
    Settle();
  }

  // Another window, then this one: its activation handler runs.
  void activate(QWidget* w) {
    QApplication::setActiveWindow(&window());
    QApplication::setActiveWindow(w);
    Settle();
  }
  void later(int ms) { desktop.clock.time = desktop.clock.time.addMSecs(ms); }
  std::vector<bool> calls() const {
    std::vector<bool> made;
    for (const auto& call : desktop.placement.keepOnTop) made.push_back(call.second);
    return made;
  }

  void checkGuard(QWidget* w, QCheckBox* box, const std::function<bool()>& onTop) {
    ASSERT_TRUE(box->isVisibleTo(w));
    activate(w);
    desktop.placement.keepOnTop.clear();
    later(1000);
    QTest::mouseClick(box, Qt::LeftButton);
    later(400);
    activate(w);
    EXPECT_EQ(calls(), std::vector<bool>{true}) << "made on top again within half a second";
    later(200);
    activate(w);  // another window may have taken the top meanwhile
    // Unticked and ticked again at once: the window follows the box each time.
    later(100);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(onTop());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(onTop());
    later(-3'600'000);  // a clock set back makes the last time long ago
    activate(w);
    QTest::mouseClick(box, Qt::LeftButton);
    later(5000);
    activate(w);  // unticked: nothing to apply
    EXPECT_EQ(calls(), (std::vector<bool>{true, true, false, true, true, false}));
  }
};

TEST_F(KeepOnTopTest, TheEventDialog) {
  EventDialog* d = EventDialog::load();
  d->show();
  checkGuard(d, Control<QCheckBox>(d, "keepOnTopCheck"), [d] { return d->keptOnTop(); });
}

TEST_F(KeepOnTopTest, ThePreviewWindow) {
  FakeFlashHosts hosts;
  std::ofstream(temp / "_preview.swf") << "FWS";
  PreviewWindow* w = PreviewWindow::load();
  w->setStageSize(200, 150);
  w->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
  w->showModeless();
  checkGuard(w, Control<QCheckBox>(w, "keepOnTopCheck"), [w] { return w->isTopmost(); });
  PreviewWindow::unload();
  Settle();
}

TEST_F(KeepOnTopTest, TheScriptEditor) {
  ScriptEditorWindow* editor = ScriptEditorWindow::instance(nullptr);
  editor->show();
  checkGuard(editor, Control<QCheckBox>(editor, "keepOnTopCheck"), [editor] { return editor->onTop(); });
}

}  // namespace
}  // namespace tesmiro::testing
