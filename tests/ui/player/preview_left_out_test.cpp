// F5, F7 and the live picture with a picture that stayed on another machine:
// the preview window and the live picture pane say what their movie lacks in
// a line, never in a box; the player outside gets the box Make SWF has.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include "project/list_models.h"
#include "project/model.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewWindow;

const std::string kPhoto = "D:\\sozai\\photo.png";

class PreviewLeftOutTest : public MainGuiTest {
 protected:
  ~PreviewLeftOutTest() override {
    PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // The picture that stayed behind, and the one event that shows it.
  EventRecord AddMissingPhoto() {
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = 1;
    item.name = kPhoto;
    GUICore::State().store.push_back(item);
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = 1;
    e.frameCount = 1;
    e.startScaleX = e.startScaleY = 1.0f;
    GUICore::State().events.push_back(e);
    return e;
  }
  // The line holds the whole list in its tip, and as much of it as fits.
  QLabel* ExpectLeftOutLine(QWidget* window) {
    QLabel* line = Control<QLabel>(window, "leftOutLabel");
    EXPECT_TRUE(line->isVisibleTo(window));
    const QString whole = QString::fromStdString("ムービーに含まれていないか別の形で含まれるもの 1 件：ファイル [" + kPhoto + "] がありません");
    EXPECT_EQ(line->toolTip(), whole);
    EXPECT_GT(line->width(), 0);
    EXPECT_TRUE(line->text() == whole || (line->text().endsWith(QChar(0x2026)) && whole.startsWith(line->text().chopped(1))))
        << line->text().toStdString();
    EXPECT_JAPANESE(line->toolTip().toStdString(), {kPhoto});
    EXPECT_TRUE(ui.messages.empty());
    return line;
  }
  FakeFlashHosts hosts;
};

TEST_F(PreviewLeftOutTest, ThePreviewWindowHasALineAndThePlayerABox) {
  gui::MainGUI& main = start();
  main.show();
  const EventRecord e = AddMissingPhoto();
  QTest::keyClick(&main, Qt::Key_F5);
  ASSERT_TRUE(PreviewWindow::isShownNow());
  PreviewWindow* preview = PreviewWindow::instance();
  QLabel* line = ExpectLeftOutLine(preview);
  // Under the stage, which keeps its size.
  EXPECT_EQ(preview->flash()->size(), QSize(320, 320));
  EXPECT_GE(line->geometry().top(), preview->flash()->geometry().bottom());
  EXPECT_LE(line->geometry().bottom(), preview->height());

  // A movie that lacks nothing has no line.
  GUICore::State().events.clear();
  QTest::keyClick(&main, Qt::Key_F5);
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_FALSE(Control<QLabel>(PreviewWindow::instance(), "leftOutLabel")->isVisibleTo(PreviewWindow::instance()));

  GUICore::State().events.push_back(e);
  Control<QAction>(main, "previewInPlayerAction")->trigger();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text, "次のものはムービーに含まれていないか、別の形で含まれています。\r\nファイル [" + kPhoto + "] がありません\r\n");
  EXPECT_FALSE(desktop.opener.calls.empty());
}

TEST_F(PreviewLeftOutTest, TheLivePicturePaneHasALine) {
  start();
  AddMissingPhoto();
  EventListModule::LoadRows();
  EventListModule::Current().rows[0].selected = -1;
  EventListModule::Current().currentRow = 0;
  window().ListEventProperty();
  Settle();
  gui::EventDialog* dialog = gui::EventDialog::instance();
  ASSERT_NE(dialog, nullptr);
  Control<QCheckBox>(dialog, "expandPaneCheck")->click();
  Settle();
  ASSERT_GE(dialog->picturePane()->picturesWritten(), 1);
  ExpectLeftOutLine(dialog);
}

}  // namespace
}  // namespace tesmiro::testing
