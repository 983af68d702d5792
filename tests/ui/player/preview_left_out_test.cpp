// F5 and F7 with a picture that stayed on another machine: the preview
// window says what its movie lacks in a line under the stage; the player
// outside gets the box Make SWF has.
#include <QAction>
#include <QLabel>
#include <QTest>

#include "project/model.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/preview_window.h"

namespace tesmiro::testing {
namespace {

using gui::PreviewWindow;

class PreviewLeftOutTest : public MainGuiTest {
 protected:
  ~PreviewLeftOutTest() override {
    PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  FakeFlashHosts hosts;
};

TEST_F(PreviewLeftOutTest, ThePreviewWindowHasALineAndThePlayerABox) {
  gui::MainGUI& main = start();
  main.show();
  StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
  item.id = 1;
  item.name = "D:\\sozai\\photo.png";
  GUICore::State().store.push_back(item);
  EventRecord e{};
  e.itemId = 1;
  e.frameCount = 1;
  GUICore::State().events.push_back(e);

  QTest::keyClick(&main, Qt::Key_F5);
  ASSERT_TRUE(PreviewWindow::isShownNow());
  EXPECT_TRUE(ui.messages.empty());
  PreviewWindow* preview = PreviewWindow::instance();
  QLabel* line = Control<QLabel>(preview, "leftOutLabel");
  EXPECT_TRUE(line->isVisibleTo(preview));
  const QString whole = QStringLiteral("ムービーに含まれていないもの 1 件：ファイル [D:\\sozai\\photo.png] がありません");
  EXPECT_EQ(line->toolTip(), whole);
  EXPECT_TRUE(line->text() == whole || (line->text().endsWith(QChar(0x2026)) && whole.startsWith(line->text().chopped(1))))
      << line->text().toStdString();
  EXPECT_JAPANESE(line->toolTip().toStdString(), {item.name});
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
  EXPECT_EQ(ui.messages[0].text, "次のものはムービーに含まれていません。\r\nファイル [D:\\sozai\\photo.png] がありません\r\n");
  EXPECT_FALSE(desktop.opener.calls.empty());
}

}  // namespace
}  // namespace tesmiro::testing
