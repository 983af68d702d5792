// The event-list display settings: preview rows and their hit test, the
// icon strip check, and the working copy that only OK makes live.
#include "project/display_settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "project/model_fixture.h"
#include "project/preferences.h"

namespace tesmiro {
namespace {

using namespace GUICore;

// A 24-bit bottom-up BMP of the size, every pixel grey.
std::string Bmp(int32_t width, int32_t height) {
  const int32_t row = (width * 3 + 3) / 4 * 4;
  const int32_t image = row * height;
  std::string b;
  auto u16 = [&](uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  b += "BM";
  u32(static_cast<uint32_t>(54 + image));
  u32(0);
  u32(54);
  u32(40);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u16(1);
  u16(24);
  u32(0);
  u32(static_cast<uint32_t>(image));
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  b += std::string(static_cast<size_t>(image), '\x80');
  return b;
}

class DisplaySettingsTest : public testing::ModelTest {
 protected:
  void TearDown() override { GUICore::ResetProjectState(); }
};

TEST_F(DisplaySettingsTest, RowsOfSixteenPixelsAndClicksBelowTheLastSelectNothing) {
  EXPECT_EQ(CategoryAt(0), 0);
  EXPECT_EQ(CategoryAt(15), 0);
  EXPECT_EQ(CategoryAt(16), 1);
  EXPECT_EQ(CategoryAt(399), 24);
  EXPECT_EQ(CategoryAt(400), -1);
  EXPECT_EQ(CategoryAt(5000), -1);
  EXPECT_EQ(CategoryAt(-1), -1);

  DisplaySettingsEditor editor;
  editor.select(3);
  editor.select(CategoryAt(430));
  EXPECT_EQ(editor.selected(), 3);

  const CategoryRow plain = CategoryRowAt(2, true);
  EXPECT_EQ(plain.top, 32);
  EXPECT_EQ(plain.textX, 20);
  EXPECT_EQ(plain.textY, 33);
  EXPECT_EQ(plain.iconCell, 0);
  for (int32_t c = kColorRasterImage; c <= kColorVideo; ++c) {
    const CategoryRow row = CategoryRowAt(c, true);
    EXPECT_EQ(row.iconCell, c - 14) << c;
    EXPECT_EQ(row.iconX, 2);
    EXPECT_EQ(row.iconY, 16 * c - 1);
    EXPECT_EQ(CategoryRowAt(c, false).iconCell, 0);
  }
  EXPECT_EQ(CategoryRowAt(kColorUnknownKind, true).iconCell, 0);

  int32_t s = 0;
  EXPECT_FALSE(StepCategory(38, s));
  EXPECT_TRUE(StepCategory(40, s));
  EXPECT_EQ(s, 1);
  s = 24;
  EXPECT_FALSE(StepCategory(40, s));
  EXPECT_EQ(s, 24);
  EXPECT_FALSE(StepCategory(13, s));

  EXPECT_EQ(EventCategoryNames()[0], "アクション：ラベル設定");
  EXPECT_EQ(EventCategoryNames()[21], "種別：????");
  EXPECT_EQ(EventCategoryNames()[24], "マスク");
}

TEST_F(DisplaySettingsTest, OnlyA128By16BitmapOrJpegIsTakenAsIconStrip) {
  WriteFile(dir / "strip.bmp", Bmp(128, 16));
  WriteFile(dir / "small.bmp", Bmp(16, 16));
  WriteFile(dir / "tall.bmp", Bmp(128, 17));
  WriteFile(dir / "text.bmp", "not a picture");
  EXPECT_EQ(CheckIconStrip((dir / "strip.bmp").string()), IconStripCheck::Usable);

  DisplaySettingsEditor editor;
  for (const char* bad : {"small.bmp", "tall.bmp", "text.bmp", "missing.bmp"}) {
    ui.messages.clear();
    EXPECT_FALSE(editor.loadIconStrip((dir / bad).string())) << bad;
    ASSERT_EQ(ui.messages.size(), 1u) << bad;
    EXPECT_EQ(ui.messages[0].text, kIconSizeMessage);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(editor.iconPath(), "");
  }
  ui.messages.clear();
  EXPECT_TRUE(editor.loadIconStrip((dir / "strip.bmp").string()));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(editor.iconPath(), (dir / "strip.bmp").string());
  EXPECT_EQ(Prefs::Current().iconFilePath, "");  // not before OK
}

TEST_F(DisplaySettingsTest, TheCopyBecomesLiveOnlyOnOk) {
  DisplaySettingsEditor editor;
  editor.select(kColorLabel);
  editor.resetSelected();  // plain window colours, not the default pale red
  EXPECT_EQ(editor.selectedSet().backColor, kSysWindowBackground);
  EXPECT_EQ(editor.selectedSet().textColor, kSysWindowText);
  EXPECT_EQ(editor.selectedSet().bold, 0);
  EXPECT_EQ(editor.shownColor(1), 0xFFFFFFu);  // the swatch as painted
  editor.select(kColorSound);
  editor.setColor(1, 0x123456);
  editor.setBold(1);
  editor.setShowIcons(0);
  EXPECT_EQ(EventListModule::EventColors()[kColorSound].backColor, kSysWindowBackground);

  ui.answers.push_back(ui::Answer::Cancel);
  EXPECT_FALSE(editor.resetAll());
  EXPECT_EQ(editor.colors()[kColorSound].backColor, 0x123456u);

  ui.calls.clear();
  editor.commit();
  EXPECT_EQ(EventListModule::EventColors()[kColorSound].backColor, 0x123456u);
  EXPECT_EQ(EventListModule::EventColors()[kColorSound].bold, 1);
  EXPECT_EQ(EventListModule::EventColors()[kColorLabel].backColor, kSysWindowBackground);
  EXPECT_EQ(Prefs::Current().eventListIcon, 0);
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "eventsChanged"), ui.calls.end());

  // The defaults come back into the copy only; the live table stays.
  DisplaySettingsEditor again;
  ui.messages.clear();
  ASSERT_TRUE(again.resetAll());
  EXPECT_EQ(ui.messages[0].text, kResetAllQuestion);
  EXPECT_EQ(again.colors()[kColorLabel].backColor, 0xDFDFFFu);
  EXPECT_EQ(EventListModule::EventColors()[kColorLabel].backColor, kSysWindowBackground);
}

}  // namespace
}  // namespace tesmiro
