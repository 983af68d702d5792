// A movie made from nothing with the mouse: three files dropped on the file
// list, their events added from its popup, File > Make SWF; independent
// readers check the movie and Ruffle shows the materials where the events
// put them.
#include <QAction>
#include <QImage>
#include <cstdlib>
#include <fstream>

#include "file_list_test_util.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "support/checkers.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WholeFlowTest : public MainGuiTest {};

TEST_F(WholeFlowTest, DropAddEventsAndMakeAMovieThatShowsTheMaterials) {
  REQUIRE_CHECKER(MissingSwfParser());
  REQUIRE_CHECKER(MissingRuffle());
  MainGUI& w = start();
  const fs::path red = SolidPng(temp / "red.png", 40, 30, QColor(255, 0, 0));
  const fs::path green = SolidPng(temp / "green.png", 40, 30, QColor(0, 160, 0));
  const fs::path blue = SolidKvg(temp / "blue.kvg", 40, 30, 0, 0, 40, 30, KvgColor(0, 0, 255));

  // The drop: one undo step, the three new rows selected.
  GUICore::ClearStoreUndo();
  DropFiles(Control<QWidget>(w, "PictFileList"), 5, {red, green, blue});
  Settle();
  ASSERT_EQ(GUICore::StoreItemCount(), 3);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 3);
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_FALSE(GUICore::CanStoreUndo());
  GUICore::StoreRedo();
  ASSERT_EQ(GUICore::StoreItemCount(), 3);
  FileListModule::Current().cursorRow = 3;
  for (int32_t r = 1; r <= 3; ++r) FileListModule::Current().rows.at(r).selected = -1;

  // The popup's "add events" on the selection (a right click keeps it).
  desktop.popups.choices.push_back("addToEventsAction");
  QTest::mouseClick(Control<QWidget>(w, "PictFileList"), Qt::RightButton, Qt::NoModifier, RowPoint(2));
  Settle();
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_EQ(desktop.popups.opened[0], "fileListMenu");
  EXPECT_EQ(desktop.popups.defaults[0], "addToEventsAction");
  ASSERT_EQ(GUICore::EventCount(), 3);

  // Where the event dialog would put them: side by side, all on frame 1.
  const int xs[] = {20, 120, 220};
  for (int32_t i = 1; i <= 3; ++i) {
    EventRecord e = GUICore::GetEvent(i);
    EXPECT_EQ(e.itemId, i);
    e.startX = e.endX = xs[i - 1];
    e.startY = e.endY = 40;
    e.frameCount = i < 3 ? 0 : 1;
    e.depth = i;  // one depth each: a placement replaces what stood at its depth
    GUICore::SetEvent(i, e);
  }

  const fs::path movie = temp / "flow.swf";
  desktop.fileDialogs.answer(movie.string());
  Control<QAction>(w, "makeSwfAction")->trigger();
  Settle();
  ASSERT_TRUE(fs::exists(movie));

  const std::string js = TESMIRO_TEST_JS_DIR;
  const fs::path log = temp / "check.log";
  ASSERT_EQ(std::system(("node " + js + "/check_swf.mjs '" + movie.string() + "' > '" + log.string() + "' 2>&1").c_str()), 0)
      << ReadText(log);
  const fs::path shot = temp / "flow.png";
  ASSERT_EQ(std::system(("node " + js + "/render_swf.mjs '" + movie.string() + "' --frames 2 --screenshot '" +
                         shot.string() + "' > '" + log.string() + "' 2>&1")
                            .c_str()),
            0)
      << ReadText(log);
  QImage picture(QString::fromStdString(shot.string()));
  ASSERT_FALSE(picture.isNull());
  auto near = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 && std::abs(a.blue() - b.blue()) < 24;
  };
  EXPECT_TRUE(near(picture.pixelColor(40, 55), QColor(255, 0, 0))) << picture.pixelColor(40, 55).name().toStdString();
  EXPECT_TRUE(near(picture.pixelColor(140, 55), QColor(0, 160, 0))) << picture.pixelColor(140, 55).name().toStdString();
  EXPECT_TRUE(near(picture.pixelColor(240, 55), QColor(0, 0, 255))) << picture.pixelColor(240, 55).name().toStdString();
  EXPECT_TRUE(near(picture.pixelColor(300, 200), QColor(255, 255, 255)));
  EXPECT_TRUE(near(picture.pixelColor(90, 55), QColor(255, 255, 255)));  // between the pictures
}

}  // namespace
}  // namespace tesmiro::testing
