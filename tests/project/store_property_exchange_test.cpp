// The material property exchange: filling from the selection, writing back
// kind by kind with grey boxes and empty boxes keeping fields, renumbering
// from a typed ID, measured text boxes, and the refusals.
#include <gtest/gtest.h>

#include "project/build_lock.h"
#include "project/model_fixture.h"
#include "project/store_property_exchange.h"

namespace tesmiro {
namespace {

namespace SP = StoreProperty;

class StorePropertyTest : public testing::ModelTest {
 protected:
  // Selects the rows of the items; the cursor goes to the first.
  static void Select(std::initializer_list<int32_t> ids) {
    auto& list = FileListModule::Current();
    FileListModule::ClearRowMarks();
    for (int32_t id : ids) list.rows.at(FileListModule::GetJpegListIndex(id)).selected = -1;
    list.cursorRow = FileListModule::GetJpegListIndex(*ids.begin());
    FileListModule::DrawFileList();
  }
  static SP::Fields Filled() {
    SP::Fields f;
    EXPECT_TRUE(SP::FillFields(f, {"IPAGothic", "Noto Sans CJK JP"}));
    return f;
  }
  static StoreItem Item(int32_t id) { return GUICore::GetStoreItemByID(id); }
  static void Edit(int32_t id, const std::function<void(StoreItem&)>& change) {
    StoreItem r = Item(id);
    change(r);
    GUICore::SetStoreItem(id, r);
  }
  // A measurer that answers a fixed box and remembers what it measured.
  SP::TextMeasurer Measurer(SP::TextBox box = {123, 45}) {
    return [this, box](const StoreItem& item) {
      measured.push_back(item.name);
      return std::optional<SP::TextBox>(box);
    };
  }
  std::vector<std::string> measured;
};

TEST_F(StorePropertyTest, CursorRowWithoutItemShowsNothingAndChangesNothing) {
  SP::Fields f;
  f.text1 = "untouched";
  EXPECT_FALSE(SP::FillFields(f, {}));
  EXPECT_EQ(f.text1, "untouched");
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(StorePropertyTest, SeveralImagesKeepWhatTheUserLeftGreyOrEmpty) {
  const int32_t a = AddItem("png", "/a.png"), b = AddItem("png", "/b.png");
  Edit(a, [](StoreItem& r) { r.flags = 1 | 4 | 8; r.param = 0x030201; r.option = "objA"; r.size = 7; });
  Edit(b, [](StoreItem& r) { r.flags = 2; r.param = 0x0A0B0C; r.option = "objB"; });
  Select({a, b});
  SP::Fields f = Filled();
  EXPECT_EQ(f.caption, "ファイルのプロパティ (複数選択)");
  EXPECT_EQ(f.text1 + f.text21[0] + f.text20, "");
  EXPECT_EQ(f.check1 + f.check4 + f.check15, 3 * SP::kGrey);

  // Nothing touched: nothing changes, no undo step.
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(a).option, "objA");
  EXPECT_EQ(Item(b).param, 0x0A0B0C);
  EXPECT_FALSE(GUICore::CanStoreUndo());

  // The key colour box ticked and only the red slider moved: both get
  // the red and the other two sliders' values; the softening and lossless
  // bits of each stay where the boxes say (softening off, lossless grey).
  f.check1 = SP::kOn;
  f.check4 = SP::kOff;
  f.hscroll1[0] = 200;
  f.text21[0] = "200";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(a).param, 200);
  EXPECT_EQ(Item(b).param, 200);
  EXPECT_EQ(Item(a).flags, 1 | 8);
  EXPECT_EQ(Item(b).flags, 1);
  EXPECT_EQ(Item(a).option, "objA");
  EXPECT_EQ(Item(b).option, "objB");
  EXPECT_TRUE(GUICore::CanStoreUndo());
}

TEST_F(StorePropertyTest, OneImageRoundTripsAndAnEmptyNameClearsIt) {
  const int32_t a = AddItem("jpg", "/a.jpg");
  Edit(a, [](StoreItem& r) { r.flags = 1 | 4 | 8; r.param = 0x112233; r.size = 30; r.option = "obj"; });
  Select({a});
  SP::Fields f = Filled();
  EXPECT_EQ(f.text1 + " " + f.text2 + " " + f.text21[2] + " " + f.text7, "1 /a.jpg 17 30");
  EXPECT_EQ(f.combo3, 1);
  // Read back unchanged: the record is the same.
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  f.text20.clear();
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(a).option, "");
}

TEST_F(StorePropertyTest, SofteningTickedWithoutAModeNeverTurnsItOff) {
  const int32_t a = AddItem("png", "/a.png"), b = AddItem("png", "/b.png");
  Edit(a, [](StoreItem& r) { r.flags = 1 | 4; });  // anti-alias
  Edit(b, [](StoreItem& r) { r.flags = 1; });      // no softening
  Select({a, b});
  SP::Fields f = Filled();
  f.check1 = SP::kOn;
  f.check4 = SP::kOn;
  ASSERT_EQ(f.combo3, -1);
  SP::ApplyFields(f, Measurer());
  EXPECT_EQ(Item(a).flags & 6, 4);  // its own mode kept
  EXPECT_EQ(Item(b).flags & 6, 2);  // the first mode, not off
  f.combo3 = 1;
  SP::ApplyFields(f, Measurer());
  EXPECT_EQ(Item(b).flags & 6, 4);
}

TEST_F(StorePropertyTest, TwoTextsStartGreyAndOneTickedBoxSetsOnlyItsBit) {
  const int32_t a = AddItem("txt"), b = AddItem("txt");
  Edit(a, [](StoreItem& r) { r.name = "A"; r.flags = 0x10 | 0x2; r.font = "_sans"; });
  Edit(b, [](StoreItem& r) { r.name = "B"; r.flags = 0x1000 | 0x8; r.font = "_sans"; });
  Select({a, b});
  SP::Fields f = Filled();
  for (int c : {f.check2, f.check3, f.check5, f.check7, f.check8, f.check9, f.check10, f.check11, f.check12,
                f.check13, f.check16, f.check18})
    EXPECT_EQ(c, SP::kGrey);
  EXPECT_EQ(f.text21[3], "");
  EXPECT_EQ(f.combo2, -1);
  EXPECT_FALSE(f.pathVisible);
  f.check2 = SP::kOn;
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(a).flags, 0x10 | 0x2 | 0x1);
  EXPECT_EQ(Item(b).flags, 0x1000 | 0x8 | 0x1);
  EXPECT_EQ(Item(a).name, "A");  // an empty text box keeps each text
  EXPECT_EQ(Item(a).font, "_sans");
}

TEST_F(StorePropertyTest, OneTextFillsEveryBoxAndTheFontRuleFollows) {
  const int32_t t = AddItem("txt");
  Edit(t, [](StoreItem& r) {
    r.name = "x";
    r.font = "_等幅";
    r.flags = 0x1 | (2 << 2) | 0x40 | 0x2000;
    r.param = 0x0000FF;
    r.size = 10.5f;
    r.lineSpacing = 2;
    r.option = "var";
    r.width = 100;
    r.height = 0;
  });
  Select({t});
  SP::Fields f = Filled();
  EXPECT_EQ(f.fontText(), "_等幅");
  EXPECT_EQ(f.combo1, 2);
  EXPECT_EQ(f.check9, SP::kOff);  // single line
  EXPECT_EQ(f.text5 + " " + f.text11 + " " + f.text14, "10.5 var 100");
  // A device font makes an edit field: auto size from the empty height,
  // no text effect (its bit is kept).
  EXPECT_EQ(f.check5, SP::kOn);
  EXPECT_EQ(f.check18, SP::kGrey);

  // An embedded font that is not installed: nothing chosen, the font kept;
  // a static text shows its effect settings and no box size.
  Edit(t, [](StoreItem& r) { r.font = "ＭＳ 明朝"; r.option = "@1,2"; r.flags = 0x2000; });
  SP::Fields g = Filled();
  EXPECT_EQ(g.combo2, -1);
  EXPECT_EQ(g.text23, "@1,2");
  EXPECT_EQ(g.check18, SP::kOn);
  SP::ApplyFields(g, Measurer());
  EXPECT_EQ(Item(t).font, "ＭＳ 明朝");
  EXPECT_EQ(Item(t).option, "@1,2");
}

TEST_F(StorePropertyTest, StaticTextsWithEmbeddedFontsGetTheMeasuredBox) {
  const int32_t t = AddItem("txt");
  Edit(t, [](StoreItem& r) { r.name = "abc"; r.font = "IPAGothic"; });
  Select({t});
  SP::Fields f = Filled();
  f.check5 = SP::kOff;  // a typed box does not count for a static text
  f.text14 = "10";
  f.text15 = "10";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer({123, 45})));
  EXPECT_EQ(measured, std::vector<std::string>{"abc"});
  EXPECT_EQ(Item(t).width, 123);
  EXPECT_EQ(Item(t).height, 45);

  // Dynamic text and device fonts keep the typed size, or 0 x 0.
  measured.clear();
  f.check16 = SP::kOn;
  f.check5 = SP::kOff;
  SP::ApplyFields(f, Measurer());
  EXPECT_TRUE(measured.empty());
  EXPECT_EQ(Item(t).width, 10);
  f.combo2 = 0;  // "_sans"
  f.check16 = SP::kOff;
  f.check5 = SP::kOn;
  SP::ApplyFields(f, Measurer());
  EXPECT_TRUE(measured.empty());
  EXPECT_EQ(Item(t).width, 0);
  EXPECT_EQ(Item(t).height, 0);

  // A measurer that cannot measure now leaves the box the dialog gave.
  f.combo2 = 6;  // "IPAGothic"
  f.check5 = SP::kOff;
  SP::ApplyFields(f, [](const StoreItem&) { return std::optional<SP::TextBox>(); });
  EXPECT_EQ(Item(t).font, "IPAGothic");
  EXPECT_EQ(Item(t).width, 10);
}

TEST_F(StorePropertyTest, TypedIdRenumbersFromItSkippingTakenOnes) {
  const int32_t a = AddItem("png", "/a.png"), s = AddItem("wav", "/s.wav"), c = AddItem("png", "/c.png");
  const int32_t taken = AddItem("png", "/taken.png");
  GUICore::ChangeStoreItemID(taken, 51);
  Select({a, s, c});
  SP::Fields f = Filled();
  EXPECT_EQ(f.text3, "(複数)");
  EXPECT_EQ(f.frame, SP::Frame::None);
  EXPECT_FALSE(f.check1Visible);
  EXPECT_FALSE(f.check15Visible);
  f.text1 = "50";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(50).name, "/a.png");
  EXPECT_EQ(Item(52).name, "/s.wav");
  EXPECT_EQ(Item(53).name, "/c.png");
  // The renumbered items are the selection of the rebuilt list.
  const auto& list = FileListModule::Current();
  for (int32_t id : {50, 52, 53}) EXPECT_EQ(list.rows.at(FileListModule::GetJpegListIndex(id)).selected, -1);
  EXPECT_EQ(list.rows.at(FileListModule::GetJpegListIndex(51)).selected, 0);
  // One undo step gives every item its old ID back.
  GUICore::StoreUndo();
  EXPECT_EQ(Item(1).name, "/a.png");
  EXPECT_EQ(Item(2).name, "/s.wav");
  EXPECT_EQ(Item(3).name, "/c.png");
}

TEST_F(StorePropertyTest, OwnIdChangesNothingTakenIdGivesNextFreeAndBeyondLimitIsIgnored) {
  const int32_t a = AddItem("png", "/a.png");
  AddItem("png", "/b.png");
  Select({a});
  SP::Fields f = Filled();
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_FALSE(GUICore::CanStoreUndo());
  f.text1 = "10000";
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(1).name, "/a.png");
  f.text1 = "2";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(3).name, "/a.png");
  // No free ID from the typed one up to the limit: no change, no undo step.
  GUICore::ChangeStoreItemID(2, 9999);
  GUICore::ClearStoreUndo();
  f.text1 = "9999";
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(StorePropertyTest, FoldersKeepTheirIdsAndStaySelected) {
  const int32_t folder = AddItem("folder"), a = AddItem("png", "/a.png");
  Select({folder, a});
  SP::Fields f = Filled();
  EXPECT_EQ(f.kind, 0);
  f.text1 = "7";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(-1).kind, StoreItemKind::Folder);
  EXPECT_EQ(Item(7).name, "/a.png");
  const auto& list = FileListModule::Current();
  EXPECT_EQ(list.rows.at(FileListModule::GetJpegListIndex(-1)).selected, -1);

  Select({folder});
  SP::Fields g = Filled();
  EXPECT_FALSE(g.idVisible);
  EXPECT_FALSE(g.text1Enabled);
  EXPECT_EQ(g.text26, "フォルダ1");
  g.text26 = "素材";
  EXPECT_TRUE(SP::ApplyFields(g, Measurer()));
  EXPECT_EQ(Item(-1).name, "素材");
}

TEST_F(StorePropertyTest, VideoStartFrameIsAtLeastOne) {
  const int32_t v = AddItem("flv", "/v.flv");
  Select({v});
  for (const char* text : {"0", "abc", "-3"}) {
    SP::Fields f = Filled();
    f.text18 = text;
    SP::ApplyFields(f, Measurer());
    EXPECT_EQ(Item(v).param, 1) << text;
  }
  SP::Fields f = Filled();
  f.text18 = "25";
  f.check17 = SP::kOn;
  SP::ApplyFields(f, Measurer());
  EXPECT_EQ(Item(v).param, 25);
  EXPECT_EQ(Item(v).flags, 1);
}

TEST_F(StorePropertyTest, AVideoIsBrowsedForAmongVideoFiles) {
  Select({AddItem("flv", "/v.flv")});
  EXPECT_TRUE(Filled().command6Enabled);
  EXPECT_EQ(SP::BrowseFilter(SP::KindName(6), 8), std::string("ビデオファイル (*.flv)\0*.flv\0", 36));
}

TEST_F(StorePropertyTest, NumbersThatDoNotFitAreRefusedAndNothingWraps) {
  const int32_t s = AddItem("sprite"), v = AddItem("kvg", "/v.kvg");
  Select({s});
  SP::Fields f = Filled();
  f.text9 = "4294967396";  // would wrap to 100
  EXPECT_EQ(SP::CheckNumbers(f).value_or(SP::NumberProblem{}).box, "Text9");
  EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(s).width, 320);
  f.text9 = "2147483647";
  f.text12 = "-2147483649";
  EXPECT_EQ(SP::CheckNumbers(f)->box, "Text12");
  f.text12 = "-2147483648";
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(s).width, 2147483647);
  EXPECT_EQ(Item(s).refX, INT32_MIN);

  f.text1 = "99999999999";
  EXPECT_EQ(SP::CheckNumbers(f)->box, "Text1");
  Select({v});
  SP::Fields g = Filled();
  g.text16 = "1e12";
  EXPECT_EQ(SP::CheckNumbers(g)->box, "Text16");
  EXPECT_FALSE(SP::ApplyFields(g, Measurer()));
  EXPECT_EQ(Item(v).param, 0);
}

TEST_F(StorePropertyTest, NothingIsWrittenWhileABuildRuns) {
  const int32_t a = AddItem("png", "/a.png");
  Select({a});
  SP::Fields f = Filled();
  f.text20 = "name";
  f.text1 = "9";
  {
    GUICore::BuildLock build;
    EXPECT_FALSE(SP::ApplyFields(f, Measurer()));
  }
  EXPECT_EQ(Item(a).option, "");
  EXPECT_EQ(Item(9).id, 0);
  EXPECT_TRUE(SP::ApplyFields(f, Measurer()));
  EXPECT_EQ(Item(9).option, "name");
}

}  // namespace
}  // namespace tesmiro
