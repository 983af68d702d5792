// The file list as painted: scroll ranges, hit tests, the paint plan with
// its drop marker and horizontal bar, the header's sort zones, and the path
// repair of a rebuild.
#include <gtest/gtest.h>

#include "project/file_list_view.h"
#include "project/model_fixture.h"

namespace tesmiro {
namespace {

using FileListModule::CurrentView;
using Content = FileListModule::FileListPaint::Content;

class FileListViewTest : public testing::ModelTest {
 protected:
  // n images at the top level.
  static void Images(int n) {
    for (int i = 1; i <= n; ++i) AddItem("png", "/m/picture" + std::to_string(i) + ".png");
  }
  // Client size with a 16-pixel horizontal bar below `visible` rows' pixels.
  static void Size(int32_t width, int32_t visible) { FileListModule::SetViewSize(width, visible + 16, 16); }
  static const FileListModule::FileListPaint& Paint() { return CurrentView().paint; }
};

TEST_F(FileListViewTest, VerticalRangeFollowsRowsAndHeight) {
  Size(300, 100);
  EXPECT_EQ(CurrentView().bars.vMax, 1);
  EXPECT_FALSE(CurrentView().bars.vEnabled);
  EXPECT_EQ(Paint().content, Content::EmptyHint);
  EXPECT_FALSE(CurrentView().bars.hVisible);

  Images(10);
  EXPECT_EQ(CurrentView().bars.vMax, 5);  // Int(60 / 16) + 2
  EXPECT_EQ(CurrentView().bars.vLargeChange, 7);
  EXPECT_TRUE(CurrentView().bars.vEnabled);

  FileListModule::ScrollFileListBy(100);
  EXPECT_EQ(FileListModule::Current().scrollTop, 5);
  FileListModule::ScrollFileListBy(-100);
  EXPECT_EQ(FileListModule::Current().scrollTop, 1);
  // A shrinking range pulls the value back inside it.
  FileListModule::SetScrollTop(5);
  Size(300, 400);
  EXPECT_EQ(CurrentView().bars.vMax, 1);
  EXPECT_EQ(FileListModule::Current().scrollTop, 1);
}

TEST_F(FileListViewTest, HitTestsForClicksAndDrops) {
  int32_t image = AddItem("png", "/m/a.png");
  int32_t folder = AddItem("folder");
  AddItem("png", "/m/b.png");
  Size(300, 16);  // one row visible, so the list can scroll
  ASSERT_EQ(FileListModule::GetJpegListIndex(image), 1);
  ASSERT_EQ(FileListModule::GetJpegListIndex(folder), 2);

  int32_t mode = 0;
  EXPECT_EQ(FileListModule::HitTestRow(0, mode), 1);
  EXPECT_EQ(FileListModule::HitTestRow(-40, mode), 1);
  EXPECT_EQ(FileListModule::HitTestRow(47, mode), 3);
  EXPECT_EQ(FileListModule::HitTestRow(200, mode), 4);  // below the last row
  EXPECT_EQ(mode, 0);

  auto drop = [](int32_t y, int32_t& m) {
    m = 1;
    return FileListModule::HitTestRow(y, m);
  };
  // The folder row spans y 16..31: its top 3 and bottom 2 pixels insert.
  EXPECT_EQ(drop(16 + 2, mode), 2);
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(drop(16 + 3, mode), 2);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(drop(16 + 13, mode), 2);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(drop(16 + 14, mode), 3);
  EXPECT_EQ(mode, 1);
  // Other rows insert at the nearest boundary.
  EXPECT_EQ(drop(7, mode), 1);
  EXPECT_EQ(drop(8, mode), 2);
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(drop(300, mode), 4);

  // Scrolled by one row, y 0 is row 2.
  FileListModule::SetScrollTop(2);
  EXPECT_EQ(drop(5, mode), 2);
  EXPECT_EQ(mode, 0);
}

TEST_F(FileListViewTest, ATinyListScrollsTheCursorIntoViewWithoutHanging) {
  Images(20);
  FileListModule::SetViewSize(200, 10, 16);  // less than one row above the bar
  auto& list = FileListModule::Current();
  list.cursorRow = 12;
  EXPECT_TRUE(FileListModule::EnsureSelectionVisible());
  EXPECT_EQ(list.scrollTop, 12);
  list.cursorRow = 3;
  EXPECT_TRUE(FileListModule::EnsureSelectionVisible());
  EXPECT_EQ(list.scrollTop, 3);
  EXPECT_FALSE(FileListModule::EnsureSelectionVisible());
}

TEST_F(FileListViewTest, PaintPlanOfRowsFoldersAndMarker) {
  int32_t image = AddItem("jpg", "/m/a.jpg");
  int32_t outer = AddItem("folder");
  int32_t inner = AddIntoFolder(outer, "folder");
  AddIntoFolder(inner, "mp3", "/m/s.mp3");
  int32_t closed = AddItem("folder");
  AddIntoFolder(closed, "txt");
  GUICore::SetFolderOpen(GUICore::FindStoreIndexByID(closed), 0);
  Size(400, 200);
  FileListModule::Current().rows.at(1).selected = -1;
  FileListModule::Current().cursorRow = 1;
  FileListModule::SetFocused(true);

  const auto& rows = Paint().rows;
  ASSERT_EQ(rows.size(), 5u);  // the closed folder hides its text
  EXPECT_EQ(rows[0].idText, "000" + std::to_string(image));
  EXPECT_EQ(rows[0].kindText, "画像");
  EXPECT_TRUE(rows[0].highlighted);
  EXPECT_EQ(rows[0].back, FileListModule::kSysHighlight);
  EXPECT_TRUE(rows[0].focusFrame);
  EXPECT_EQ(rows[0].iconCell, 0);
  EXPECT_EQ(rows[1].idText, "");  // folders show no ID
  EXPECT_EQ(rows[1].expander, 1);
  EXPECT_EQ(rows[1].iconCell, FileListModule::kOpenFolderCell);
  EXPECT_EQ(rows[2].treeX, rows[1].treeX + 16);
  EXPECT_EQ(rows[3].kindText, "ｻｳﾝﾄﾞ");
  EXPECT_EQ(rows[3].treeX, 2 + 78 + 32);
  EXPECT_EQ(rows[4].expander, -1);
  EXPECT_EQ(rows[4].iconCell, FileListModule::kClosedFolderCell);
  EXPECT_FALSE(rows[1].focusFrame);

  // Dropping into the inner folder highlights it; inserting draws the line
  // above the row at that row's indent.
  FileListModule::DrawFileList(3, 0);
  EXPECT_TRUE(Paint().rows[2].highlighted);
  EXPECT_FALSE(Paint().marker);
  EXPECT_EQ(FileListModule::Current().selCount, 1);  // a drop target is not a selection
  FileListModule::DrawFileList(4, 1);
  EXPECT_TRUE(Paint().marker);
  EXPECT_EQ(Paint().markerX, 78 + 32 + 12);
  EXPECT_EQ(Paint().markerY, 48);
  FileListModule::DrawFileList(6, 1);  // after the last row
  EXPECT_EQ(Paint().markerX, 78 + 12);
  EXPECT_EQ(Paint().markerY, 80);
  // Background below the last row.
  EXPECT_EQ(Paint().fillTop, 80);
  EXPECT_EQ(Paint().fillBottom, 216);

  FileListModule::SetFocused(false);
  EXPECT_FALSE(Paint().rows[0].focusFrame);
  // A scroll value beyond the rows paints nothing.
  FileListModule::Current().scrollTop = 9;
  FileListModule::DrawFileList();
  EXPECT_EQ(Paint().content, Content::Blank);
  EXPECT_TRUE(Paint().rows.empty());
}

TEST_F(FileListViewTest, AWindowsViewTakesThePlanWhileInstalled) {
  Size(300, 100);
  const FileListModule::View& before = CurrentView();
  {
    FileListModule::View window;
    FileListModule::ScopedView installed(window);
    Size(200, 40);
    Images(3);
    EXPECT_EQ(window.height, 56);
    EXPECT_EQ(window.paint.content, Content::Rows);
    EXPECT_EQ(window.bars.vMax, 2);
  }
  EXPECT_EQ(&CurrentView(), &before);
  EXPECT_EQ(before.height, 116);
  EXPECT_EQ(before.paint.content, Content::EmptyHint);
}

TEST_F(FileListViewTest, HorizontalBarFollowsTheVisibleCaptions) {
  Size(200, 100);
  AddItem("png", "/m/" + std::string(40, 'x') + ".png");  // 44 characters: 264 pixels
  Images(30);
  auto& bars = CurrentView().bars;
  EXPECT_TRUE(bars.hVisible);
  EXPECT_EQ(bars.hMax, 80 + 32 + 264 - 200);
  EXPECT_EQ(bars.hLargeChange, 100);

  FileListModule::SetHScroll(50);
  EXPECT_EQ(FileListModule::Current().hScroll, 50);
  EXPECT_EQ(Paint().rows[0].x0, 2 - 50);
  FileListModule::SetHScroll(10000);
  EXPECT_EQ(FileListModule::Current().hScroll, bars.hMax);

  // A rebuild lets the range shrink to the offset; the long caption
  // scrolled out of view no longer widens it, but the bar stays while the
  // list is scrolled.
  FileListModule::SetHScroll(20);
  FileListModule::SetScrollTop(3);
  GUICore::RefreshFileList();
  EXPECT_TRUE(bars.hVisible);
  EXPECT_EQ(bars.hMax, 20);
  FileListModule::SetHScroll(0);
  EXPECT_FALSE(bars.hVisible);

  // A bar that shows takes its height off the rows that fit.
  FileListModule::SetScrollTop(1);
  EXPECT_TRUE(bars.hVisible);
  EXPECT_EQ(FileListModule::Current().visibleRows, 6);  // (116 - 16) / 16
}

TEST_F(FileListViewTest, HeaderTitlesAndSortZones) {
  auto header = FileListModule::PlanFileListHeader(0);
  ASSERT_EQ(header.texts.size(), 3u);
  EXPECT_EQ(header.texts[2].x, 80);
  EXPECT_EQ(header.rules, (std::vector<int32_t>{32, 76}));
  header = FileListModule::PlanFileListHeader(200);
  EXPECT_EQ(header.texts[2].x, 2);  // the name title never leaves the header

  auto zone = FileListModule::HeaderSortZone(31, 0, 300, 18);
  EXPECT_EQ(zone.upKey, 1);
  EXPECT_EQ(zone.downCaption, "ID降順で並び替え(&D)");
  EXPECT_EQ(zone.right, 31);
  EXPECT_EQ(zone.bottom, 17);
  zone = FileListModule::HeaderSortZone(32, 0, 300, 18);
  EXPECT_EQ(zone.upKey, 3);
  EXPECT_EQ(zone.left, 32);
  zone = FileListModule::HeaderSortZone(75.5, 0, 300, 18);
  EXPECT_EQ(zone.downKey, 4);
  zone = FileListModule::HeaderSortZone(76, 0, 300, 18);
  EXPECT_EQ(zone.upCaption, "フォルダを上に集める(&U)");
  EXPECT_EQ(zone.right, 299);
  // Scrolled 10 pixels: x 21 is column x 31.
  zone = FileListModule::HeaderSortZone(21, 10, 300, 18);
  EXPECT_EQ(zone.upKey, 1);
  EXPECT_EQ(zone.left, -10);

  EXPECT_FALSE(FileListModule::HeaderSortAvailable());
  Images(1);
  EXPECT_FALSE(FileListModule::HeaderSortAvailable());
  Images(2);
  EXPECT_TRUE(FileListModule::HeaderSortAvailable());
}

TEST_F(FileListViewTest, MissingFilesAreFoundBesideTheProject) {
  std::filesystem::create_directories(dir.path() / "project");
  WriteFile(dir.path() / "project" / "Photo.JPG", "jpeg");
  GUICore::State().projectPath = (dir.path() / "project" / "a.tsm").string();
  int32_t moved = AddItem("jpg", "/elsewhere/photo.jpg");
  int32_t lost = AddItem("jpg", "/elsewhere/none.jpg");
  EXPECT_EQ(GUICore::GetStoreItemByID(moved).name, (dir.path() / "project" / "Photo.JPG").string());
  EXPECT_EQ(GUICore::GetStoreItemByID(lost).name, "/elsewhere/none.jpg");
  EXPECT_EQ(FileListModule::Current().rows.at(1).caption, "Photo.JPG");
}

TEST_F(FileListViewTest, TextWidthsCountWideCharactersTwice) {
  EXPECT_EQ(FileListModule::DefaultTextWidth("ab"), 12);
  EXPECT_EQ(FileListModule::DefaultTextWidth("画像"), 24);
  EXPECT_EQ(FileListModule::DefaultTextWidth("ｻｳﾝﾄﾞ"), 30);
}

}  // namespace
}  // namespace tesmiro
