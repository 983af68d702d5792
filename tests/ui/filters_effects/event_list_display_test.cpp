// The event-list display settings: the preview rows as painted, clicks and
// keys on them, the icon strip, and OK reaching both lists and, at exit,
// the settings file.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "project/display_settings.h"
#include "project/event_colors.h"
#include "project/event_list_view.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/store.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/event_list_display_dialog.h"

namespace tesmiro::testing {
namespace {

namespace elm = EventListModule;
using gui::EventColorDialog;

class EventListDisplayTest : public MainGuiTest {
 protected:
  // A strip whose cell k (1 to 8) is filled with the colour (k * 30, 0, 0).
  std::string WriteStrip(const std::string& name, int width, int height) {
    QImage strip(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
      for (int y = 0; y < height; ++y) strip.setPixel(x, y, qRgb((x / 16 + 1) * 30, 0, 0));
    const std::string path = (temp.path() / name).string();
    EXPECT_TRUE(strip.save(gui::ToQ(path), "BMP"));
    return path;
  }
  static QWidget* Rows(EventColorDialog& d) { return Control<gui::CategoryPreview>(d, "categoryPreview"); }
  static QImage Preview(EventColorDialog& d) { return Rows(d)->grab().toImage(); }
  static void Click(EventColorDialog& d, const char* button) { Control<QPushButton>(d, button)->click(); }
};

TEST_F(EventListDisplayTest, RowsArePaintedFromTheCopyAndClicksBelowThemSelectNothing) {
  elm::EventColors()[kColorUnknownKind] = {0xFFFFFF, 0x0000DF, 0};
  EventColorDialog d;
  EXPECT_EQ(d.windowTitle(), QStringLiteral("イベントリスト表示設定"));
  const int x = Rows(d)->width() - 12;  // right of every name
  QImage p = Preview(d);
  EXPECT_EQ(p.pixelColor(x, 8), QColor(255, 223, 223));               // label: pale red
  EXPECT_EQ(p.pixelColor(x, 16 * 21 + 8), QColor(223, 0, 0));         // unknown kind: dark red
  EXPECT_EQ(p.pixelColor(x, 16 * 5 + 8), gui::ToQColor(kSysWindowBackground));
  // The selection box inverts the row's edge: row 0 is selected.
  EXPECT_EQ(p.pixelColor(0, 8), QColor(0, 32, 32));
  EXPECT_EQ(p.pixelColor(0, 16 * 5 + 8), gui::ToQColor(kSysWindowBackground));

  QTest::mouseClick(Rows(d), Qt::LeftButton, {}, QPoint(100, 16 * 21 + 3));
  EXPECT_EQ(d.editor().selected(), 21);
  EXPECT_EQ(Control<QLabel>(d, "colourSwatches_1")->palette().color(QPalette::Window), QColor(223, 0, 0));
  EXPECT_EQ(Control<QLabel>(d, "colourSwatches_0")->palette().color(QPalette::Window), QColor(255, 255, 255));
  p = Preview(d);
  EXPECT_EQ(p.pixelColor(0, 16 * 21 + 8), QColor(32, 255, 255));

  // Below the last row: nothing changes and nothing breaks.
  ASSERT_GT(Rows(d)->height(), 16 * 25);
  QTest::mouseClick(Rows(d), Qt::LeftButton, {}, QPoint(100, 16 * 25 + 2));
  EXPECT_EQ(d.editor().selected(), 21);

  QTest::keyClick(Rows(d), Qt::Key_Down);
  EXPECT_EQ(d.editor().selected(), 22);
  QTest::keyClick(Rows(d), Qt::Key_Down);
  QTest::keyClick(Rows(d), Qt::Key_Down);
  QTest::keyClick(Rows(d), Qt::Key_Down);
  EXPECT_EQ(d.editor().selected(), 24);

  // Bold and reset act on the selected row of the copy alone.
  Control<QCheckBox>(d, "boldCheck")->setChecked(true);
  EXPECT_EQ(d.editor().colors()[24].bold, 1);
  QTest::mouseClick(Rows(d), Qt::LeftButton, {}, QPoint(100, 4));
  Click(d, "resetCategoryButton");
  EXPECT_EQ(d.editor().colors()[0].backColor, kSysWindowBackground);
  EXPECT_EQ(Preview(d).pixelColor(x, 8), gui::ToQColor(kSysWindowBackground));
  EXPECT_EQ(elm::EventColors()[0].backColor, 0xDFDFFFu);
  Click(d, "cancelButton");
  EXPECT_EQ(elm::EventColors()[24].bold, 0);
}

TEST_F(EventListDisplayTest, A128By16StripIsTakenAndA16By16OneRefused) {
  EventColorDialog d;
  ASSERT_TRUE(Control<QCheckBox>(d, "showIconsCheck")->isChecked());
  const std::string good = WriteStrip("strip.bmp", 128, 16);
  const std::string small = WriteStrip("small.bmp", 16, 16);

  desktop.fileDialogs.answer(small);
  Click(d, "loadIconsButton");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "アイコンファイルは 128x16ドットの画像ファイルである必要があります");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  EXPECT_EQ(d.editor().iconPath(), "");
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 1u);
  ASSERT_EQ(desktop.fileDialogs.calls[0].filters.size(), 1u);
  EXPECT_EQ(desktop.fileDialogs.calls[0].filters[0].description, "画像ファイル (*.jpg;*.bmp)");

  desktop.fileDialogs.answer(good);
  Click(d, "loadIconsButton");
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(d.editor().iconPath(), good);
  // Row 15 (raster images) carries cell 1, row 20 (videos) cell 6, one
  // pixel above the row's top; other rows carry none.
  QImage p = Preview(d);
  EXPECT_EQ(p.pixelColor(9, 16 * 15 + 7), QColor(30, 0, 0));
  EXPECT_EQ(p.pixelColor(9, 16 * 20 + 7), QColor(180, 0, 0));
  EXPECT_NE(p.pixelColor(9, 16 * 14 + 7), QColor(30, 0, 0));

  Control<QCheckBox>(d, "showIconsCheck")->setChecked(false);
  p = Preview(d);
  EXPECT_EQ(p.pixelColor(9, 16 * 15 + 7), gui::ToQColor(kSysWindowBackground));

  desktop.fileDialogs.cancel();
  Click(d, "loadIconsButton");
  EXPECT_EQ(d.editor().iconPath(), good);
  Click(d, "builtInIconsButton");
  EXPECT_EQ(d.editor().iconPath(), "");
}

TEST_F(EventListDisplayTest, OkRecoloursBothListsAndTheColoursAreSavedAtExit) {
  gui::MainGUI& w = start();
  EventRecord label;
  label.itemId = 0;
  label.kind = static_cast<int16_t>(ActionKind::Label);
  label.text1 = "top";
  GUICore::InsertEvent(label, GUICore::EventCount());
  std::string path = "/a.jpg";
  int32_t row = 1, mode = 0;
  GUICore::AddStoreItem(path, "jpg", row, mode);
  GUICore::RefreshFileList();
  elm::LoadRows();
  Settle();
  const std::string strip = WriteStrip("strip.bmp", 128, 16);

  // The dialog from the View menu, edited as the user would, then OK; the
  // swatch opens the program's picker without its opacity row.
  bool opened = false, picked = false;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    if (auto* picker = qobject_cast<gui::ColorDialog*>(&dialog)) {
      picked = true;
      EXPECT_TRUE(Control<QLineEdit>(picker, "channelBoxes_3")->isHidden());
      EXPECT_EQ(picker->values(), (gui::Rgba{255, 223, 223, 255}));  // the label's pale red
      Control<QLineEdit>(picker, "channelBoxes_0")->setText(QStringLiteral("16"));
      Control<QLineEdit>(picker, "channelBoxes_1")->setText(QStringLiteral("128"));
      Control<QLineEdit>(picker, "channelBoxes_2")->setText(QStringLiteral("64"));
      Control<QPushButton>(picker, "okButton")->click();
      return dialog.result();
    }
    auto* d = qobject_cast<EventColorDialog*>(&dialog);
    EXPECT_NE(d, nullptr);
    if (!d) return int(QDialog::Rejected);
    opened = true;
    QTest::mouseClick(Rows(*d), Qt::LeftButton, {}, QPoint(60, 5));
    QTest::mouseClick(Control<QLabel>(d, "colourSwatches_1"), Qt::LeftButton);
    desktop.fileDialogs.answer(strip);
    Click(*d, "loadIconsButton");
    Click(*d, "okButton");
    return dialog.result();
  });
  Control<QAction>(w, "eventListDisplayAction")->trigger();
  Settle();
  ASSERT_TRUE(opened);
  EXPECT_TRUE(picked);
  EXPECT_EQ(elm::EventColors()[0].backColor, 0x408010u);
  EXPECT_EQ(Prefs::Current().iconFilePath, strip);

  const QImage events = Control<QWidget>(w, "PictEventList")->grab().toImage();
  const int rh = elm::GetRowHeight();
  EXPECT_EQ(events.pixelColor(Control<QWidget>(w, "PictEventList")->width() - 30, rh / 2), QColor(0x10, 0x80, 0x40));
  // The file list draws its icon from the new strip: cell 1, the image.
  const QImage files = Control<QWidget>(w, "PictFileList")->grab().toImage();
  bool stripPixel = false;
  for (int x = 0; x < files.width() && !stripPixel; ++x)
    for (int y = 0; y < 16 && !stripPixel; ++y) stripPixel = files.pixelColor(x, y) == QColor(30, 0, 0);
  EXPECT_TRUE(stripPixel);

  ui.answers.push_back(ui::Answer::No);  // the project changed: not saved
  ASSERT_TRUE(w.close());
  std::ifstream ini(paths.config / "tesmiro.ini");
  std::stringstream text;
  text << ini.rdbuf();
  EXPECT_NE(text.str().find("ColorSet00=80000008004080101"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("IconFilePath=" + strip), std::string::npos);
}

}  // namespace
}  // namespace tesmiro::testing
