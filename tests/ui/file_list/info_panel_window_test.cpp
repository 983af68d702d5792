// The information panel drawn in the main window: a scaled picture, a
// vector material drawn from its file, sound facts with play and stop
// through the sound player, and the sprite button.
#include <QAction>
#include <QPainter>
#include <QPushButton>

#include "file_list_test_util.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "support/user_text.h"
#include "swf/sound_test_files.h"
#include "ui/main/kvg_painter.h"
#include "ui/main/material_property.h"
#include "ui/main/print_canvas.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class InfoPanelWindowTest : public MainGuiTest {
 protected:
  int32_t Add(const fs::path& path, const std::string& key) {
    std::string p = path.string();
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    int32_t id = GUICore::AddStoreItem(p, key, row, mode);
    GUICore::RefreshFileList();
    return id;
  }
  static bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 16 && std::abs(a.green() - b.green()) < 16 &&
           std::abs(a.blue() - b.blue()) < 16;
  }
};

TEST_F(InfoPanelWindowTest, APictureIsScaledIntoTheAreaBelowTheBand) {
  MainGUI& w = start();
  const int32_t id = Add(SolidPng(temp / "wide.png", 400, 100, QColor(255, 0, 0)), "png");
  Control<gui::PrintCanvas>(w, "infoPanel")->resize(200, 114);  // a 200 x 100 picture area
  GUICore::ShowItemInfo(id);
  const QImage panel = Control<gui::PrintCanvas>(w, "infoPanel")->grab().toImage();
  const QColor back = Control<gui::PrintCanvas>(w, "infoPanel")->backColor();
  // 200 x 50 from y 39 to 88.
  EXPECT_TRUE(Near(panel.pixelColor(100, 45), Qt::red));
  EXPECT_TRUE(Near(panel.pixelColor(5, 86), Qt::red));
  EXPECT_TRUE(Near(panel.pixelColor(100, 30), back));
  EXPECT_TRUE(Near(panel.pixelColor(100, 95), back));
  EXPECT_TRUE(Near(panel.pixelColor(196, 4), Qt::white));  // the title band
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->toolTip().toStdString(), (temp / "wide.png").string());
  EXPECT_TRUE(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines().first().startsWith(" ( 400 x 100 ) : wide.png"));
  if (::testing::Test::HasFailure()) SaveGrab(Control<gui::PrintCanvas>(w, "infoPanel"), "info-panel-picture");

  // A panel with no room below the band draws no picture and does not fail.
  Control<gui::PrintCanvas>(w, "infoPanel")->resize(200, 14);
  GUICore::ShowItemInfo(id);
  EXPECT_TRUE(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines().first().startsWith(" ( 400 x 100 )"));
}

TEST_F(InfoPanelWindowTest, AVectorMaterialIsDrawnFromItsFile) {
  MainGUI& w = start();
  // A blue square on the right half of a 100 x 50 image.
  const int32_t id = Add(SolidKvg(temp / "half.kvg", 100, 50, 50, 0, 100, 50, KvgColor(0, 0, 255)), "kvg");
  Control<gui::PrintCanvas>(w, "infoPanel")->resize(200, 114);
  GUICore::ShowItemInfo(id);
  const QImage panel = Control<gui::PrintCanvas>(w, "infoPanel")->grab().toImage();
  // Scaled to 200 x 100 at y 14: the square covers x 100..199.
  EXPECT_TRUE(Near(panel.pixelColor(150, 64), Qt::blue));
  EXPECT_FALSE(Near(panel.pixelColor(50, 64), Qt::blue));
  if (::testing::Test::HasFailure()) SaveGrab(Control<gui::PrintCanvas>(w, "infoPanel"), "info-panel-vector");
}

TEST_F(InfoPanelWindowTest, SoundFactsAndPlayAndStopThroughTheSoundPlayer) {
  MainGUI& w = start();
  const fs::path wav = temp / "voice.wav";
  SaveBytes(wav, sound::Wave(1, 48000, 16, sound::Bytes(400, 0)));
  const int32_t id = Add(wav, "wav");
  const int32_t folder = Add({}, "folder");
  desktop.sound.calls.clear();
  GUICore::ShowItemInfo(id);
  const QStringList lines = Control<gui::PrintCanvas>(w, "infoPanel")->printedLines();
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[0], "サウンド : voice.wav");
  EXPECT_EQ(lines[1], "[ PCM 16bit 48000Hz モノラル ]");
  EXPECT_EQ(lines[2], "　※このｻﾝﾌﾟﾘﾝｸﾞﾚｰﾄのサウンドは");
  EXPECT_FALSE(Control<QPushButton>(w, "playSoundButton")->isHidden());
  EXPECT_FALSE(Control<QPushButton>(w, "stopSoundButton")->isHidden());
  EXPECT_TRUE(Control<QPushButton>(w, "editSpriteButton")->isHidden());

  QTest::mouseClick(Control<QPushButton>(w, "playSoundButton"), Qt::LeftButton);
  EXPECT_EQ(desktop.sound.calls.back(), "play " + QString::fromStdString(wav.string()));
  EXPECT_FALSE(Control<QPushButton>(w, "playSoundButton")->isEnabled());  // no second play before stop
  EXPECT_TRUE(Control<QPushButton>(w, "stopSoundButton")->isEnabled());
  QTest::mouseClick(Control<QPushButton>(w, "stopSoundButton"), Qt::LeftButton);
  EXPECT_EQ(desktop.sound.calls.back(), "stop");
  EXPECT_TRUE(Control<QPushButton>(w, "playSoundButton")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(w, "stopSoundButton")->isEnabled());

  // Showing another item while the sound plays stops it.
  QTest::mouseClick(Control<QPushButton>(w, "playSoundButton"), Qt::LeftButton);
  ASSERT_TRUE(desktop.sound.playing);
  GUICore::ShowItemInfo(folder);
  EXPECT_FALSE(desktop.sound.playing);
  EXPECT_TRUE(Control<QPushButton>(w, "playSoundButton")->isHidden());
  EXPECT_TRUE(Control<QPushButton>(w, "playSoundButton")->isEnabled());
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines()[0], "フォルダ : [フォルダ1]");
}

// Without the sound library, its media backend, or with a file they cannot
// play, the panel says so and its buttons stay ready to play.
TEST_F(InfoPanelWindowTest, ASoundThatCannotBePlayedSaysSoAndLeavesTheButtons) {
  MainGUI& w = start();
  const fs::path wav = temp / "voice.wav";
  SaveBytes(wav, sound::Wave(1, 22050, 16, sound::Bytes(400, 0)));
  GUICore::ShowItemInfo(Add(wav, "wav"));
  auto* play = Control<QPushButton>(w, "playSoundButton");
  auto readyToPlay = [&] { return play->isEnabled() && !Control<QPushButton>(w, "stopSoundButton")->isEnabled(); };
  desktop.sound.playable = false;
  QTest::mouseClick(play, Qt::LeftButton);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(ui.messages[0].text, "サウンドを再生できませんでした。\r\n" + wav.string());
  EXPECT_JAPANESE(ui.messages[0].text, {wav.string()});
  EXPECT_TRUE(readyToPlay());
  // The backend gives up after the sound began.
  desktop.sound.playable = true;
  QTest::mouseClick(play, Qt::LeftButton);
  ASSERT_FALSE(play->isEnabled());
  desktop.sound.failLater();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, ui.messages[0].text);
  EXPECT_TRUE(readyToPlay());
  // Where no sound plays at all, the player's reason follows the file.
  desktop.sound.playable = false;
  desktop.sound.noSound = QStringLiteral("サウンドの再生に使うメディア部品が見つかりません。");
  QTest::mouseClick(play, Qt::LeftButton);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[2].text, ui.messages[0].text + "\r\n" + desktop.sound.noSound.toStdString());
  EXPECT_TRUE(readyToPlay());
}

TEST_F(InfoPanelWindowTest, TheSpriteButtonOpensTheSpritesTimeline) {
  MainGUI& w = start();
  const int32_t sprite = Add({}, "sprite");
  FileListModule::Current().cursorRow = 1;
  w.fileList().onClicked();
  ASSERT_FALSE(Control<QPushButton>(w, "editSpriteButton")->isHidden());
  QTest::mouseClick(Control<QPushButton>(w, "editSpriteButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::State().shownTimeline, GUICore::FindTimelineOfSprite(sprite));
  GUICore::ShowItemInfo(0);
  EXPECT_EQ(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines()[0], "No File");
}

// The material dialog of a new item, as a double: what the panel showed
// while it was open.
class PanelWhileOpen final : public gui::MaterialPropertyExchange {
 public:
  bool exchange(MainGUI& w) override {
    seen = Control<gui::PrintCanvas>(w, "infoPanel")->printedLines().value(0);
    return false;
  }
  QString seen;
};

TEST_F(InfoPanelWindowTest, ThePanelFollowsTheCursorRowAfterEveryCommand) {
  MainGUI& w = start();
  QApplication::setActiveWindow(&w);
  const int32_t red = Add(SolidPng(temp / "red.png", 8, 4, QColor(255, 0, 0)), "png");
  const int32_t blue = Add(SolidPng(temp / "blue.png", 4, 8, QColor(0, 0, 255)), "png");
  const int32_t folder = Add({}, "folder");
  GUICore::ClearStoreUndo();
  QWidget* list = Control<QWidget>(w, "PictFileList");
  list->setFocus();
  // The panel shows what a click on the highlighted row would show.
  auto showsCursorRow = [&w] {
    const QStringList shown = Control<gui::PrintCanvas>(w, "infoPanel")->printedLines();
    GUICore::ShowItemInfo(FileListModule::GetJpegListID(FileListModule::Current().cursorRow));
    return shown == Control<gui::PrintCanvas>(w, "infoPanel")->printedLines() ? ::testing::AssertionSuccess()
                                                : ::testing::AssertionFailure() << shown.value(0).toStdString();
  };

  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(3));
  ASSERT_EQ(FileListModule::GetJpegListID(FileListModule::Current().cursorRow), folder);
  ASSERT_TRUE(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines().value(0).startsWith(QStringLiteral("フォルダ")));
  QTest::keyClick(list, Qt::Key_Delete);
  ASSERT_EQ(GUICore::GetStoreItemByID(folder).id, 0);
  EXPECT_TRUE(showsCursorRow()) << "delete";
  EXPECT_FALSE(Control<gui::PrintCanvas>(w, "infoPanel")->printedLines().value(0).startsWith(QStringLiteral("フォルダ")));

  w.menus().undo();  // Ctrl+Z
  ASSERT_NE(GUICore::GetStoreItemByID(folder).id, 0);
  EXPECT_TRUE(showsCursorRow()) << "undo";
  GUICore::ShowItemInfo(0);
  w.menus().redo();
  ASSERT_EQ(GUICore::GetStoreItemByID(folder).id, 0);
  EXPECT_TRUE(showsCursorRow()) << "redo";

  // The first row moved down, then the list sorted.
  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(1));
  GUICore::ShowItemInfo(0);
  QTest::keyClick(list, Qt::Key_Period);
  ASSERT_EQ(FileListModule::GetJpegListID(2), red);
  EXPECT_TRUE(showsCursorRow()) << "move";
  GUICore::ShowItemInfo(0);
  Control<QAction>(w, "sortUpAction")->setData(2);  // by ID, descending
  w.fileList().sortUp();
  EXPECT_TRUE(showsCursorRow()) << "sort";
  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(2));
  GUICore::ShowItemInfo(0);
  w.fileList().duplicateItem();
  EXPECT_EQ(GUICore::StoreItemCount(), 3);
  EXPECT_TRUE(showsCursorRow()) << "duplicate";

  // While the new folder's dialog is open the panel shows the new folder.
  QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, RowPoint(1));
  ASSERT_EQ(FileListModule::GetJpegListID(1), blue);
  PanelWhileOpen dialog;
  gui::ScopedMaterialProperties installed(&dialog);
  QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(dialog.seen.startsWith(QStringLiteral("フォルダ"))) << dialog.seen.toStdString();
  EXPECT_TRUE(showsCursorRow()) << "new folder";
}

TEST(KvgPainterTest, GradientsAndOutlinesFollowTheFile) {
  ShapeModule::KvgImage image;
  image.count = 1;
  ShapeModule::KvgShape s;
  for (auto [x, y] : {std::pair{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}}) s.points.push_back({x, y, 0});
  s.lastPoint = 3;
  s.closed = true;
  s.fillKind = ShapeModule::kFillLinear;
  s.color1 = KvgColor(255, 0, 0);
  s.color2 = KvgColor(0, 0, 255);
  s.centerX = 1000;
  s.centerY = 500;
  s.scaleX = s.scaleY = 2000.0f / 32768.0f;
  s.outline = 1;
  s.lineWidth = 40;
  s.lineColor = KvgColor(0, 0, 0);
  image.shapes.push_back(s);
  QImage canvas(100, 50, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    gui::PaintKvg(p, image, QSizeF(100, 50), QRectF(0, 0, 100, 50));
  }
  const QColor left = canvas.pixelColor(8, 25), right = canvas.pixelColor(92, 25);
  EXPECT_GT(left.red(), 200);
  EXPECT_LT(left.blue(), 60);
  EXPECT_GT(right.blue(), 200);
  EXPECT_LT(right.red(), 60);
  EXPECT_LT(canvas.pixelColor(50, 0).lightness(), 60);  // the outline
}

}  // namespace
}  // namespace tesmiro::testing
