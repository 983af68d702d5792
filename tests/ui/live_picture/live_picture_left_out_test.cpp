// The live picture of an event whose picture stayed on another machine: the
// pane says what its movie lacks in a line over the picture, never in a box.
#include <QCheckBox>
#include <QLabel>

#include "project/list_models.h"
#include "project/model.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/dialogs/event_dialog.h"

namespace tesmiro::testing {
namespace {

class LivePictureLeftOutTest : public MainGuiTest {
 protected:
  FakeFlashHosts hosts;
};

TEST_F(LivePictureLeftOutTest, ThePaneSaysWhatThePictureLacksWithoutABox) {
  start();
  StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
  item.id = 1;
  item.name = "D:\\sozai\\photo.png";
  GUICore::State().store.push_back(item);
  EventRecord e = NewEventFor(StoreItemKind::RasterImage);
  e.itemId = 1;
  e.frameCount = 1;
  e.startScaleX = e.startScaleY = 1.0f;
  GUICore::State().events.push_back(e);
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

  QLabel* line = Control<QLabel>(dialog, "leftOutLabel");
  EXPECT_TRUE(line->isVisibleTo(dialog));
  const QString whole = QStringLiteral("ムービーに含まれていないもの 1 件：ファイル [D:\\sozai\\photo.png] がありません");
  EXPECT_EQ(line->toolTip(), whole);
  EXPECT_GT(line->width(), 0);
  EXPECT_TRUE(line->text() == whole || (line->text().endsWith(QChar(0x2026)) && whole.startsWith(line->text().chopped(1))))
      << line->text().toStdString();
  EXPECT_JAPANESE(line->toolTip().toStdString(), {item.name});
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tesmiro::testing
