// The exchanges of the project properties, options, import and search
// dialogs with what they edit.
#include "project/dialog_fields.h"

#include <gtest/gtest.h>

#include "project/model_fixture.h"
#include "project/project_file.h"
#include "project/store.h"

namespace tesmiro {
namespace {

using GUICore::ProjectField;

class DialogFieldsTest : public testing::ModelTest {};

TEST_F(DialogFieldsTest, OptionLettersRoundTrip) {
  ProjectSettings s;
  s.options = "C 7RXY";
  GUICore::ProjectDialogFields f = GUICore::ProjectFieldsFrom(s);
  EXPECT_EQ(f.compress, 1);
  EXPECT_EQ(f.version, 2);
  EXPECT_EQ(f.relativePaths, 1);
  ASSERT_FALSE(GUICore::ApplyProjectFields(f, 1, s));
  EXPECT_EQ(s.options, "CD7RXY");  // letter 2 follows the preference, 5 on are kept

  f.compress = 0;
  f.relativePaths = 0;
  f.version = 1;  // SWF6 is a blank
  ASSERT_FALSE(GUICore::ApplyProjectFields(f, 0, s));
  EXPECT_EQ(s.options, "    XY");

  for (const char* letters : {"  4 ", "  8", "  Z ", ""}) {
    s.options = letters;
    const int32_t expected = letters[0] == '\0' || letters[2] == 'Z' ? 1 : letters[2] == '4' ? 0 : 3;
    EXPECT_EQ(GUICore::ProjectFieldsFrom(s).version, expected) << letters;
  }
  EXPECT_EQ(GUICore::VersionHint(0), "FLASH4 相当\r\n携帯電話向けはこちらを使用してください");
}

TEST_F(DialogFieldsTest, SizesAndRatesThatTheHeaderCannotHoldAreRefused) {
  ProjectSettings s;
  const ProjectSettings before = s;
  auto with = [](const char* w, const char* h, const char* r) {
    GUICore::ProjectDialogFields f = GUICore::ProjectFieldsFrom(ProjectSettings{});
    f.width = w;
    f.height = h;
    f.frameRate = r;
    return f;
  };
  const struct {
    const char *w, *h, *r;
    ProjectField field;
  } refused[] = {{"0", "320", "12", ProjectField::Width},       {"-5", "320", "12", ProjectField::Width},
                 {"abc", "320", "12", ProjectField::Width},     {"99999999", "320", "12", ProjectField::Width},
                 {"320", "0", "12", ProjectField::Height},      {"320", "26843546", "12", ProjectField::Height},
                 {"320", "320", "0", ProjectField::FrameRate},  {"320", "320", "-1", ProjectField::FrameRate},
                 {"320", "320", "256", ProjectField::FrameRate}, {"320", "320", "0.001", ProjectField::FrameRate}};
  for (const auto& c : refused) {
    auto error = GUICore::ApplyProjectFields(with(c.w, c.h, c.r), 0, s);
    ASSERT_TRUE(error) << c.w << " " << c.h << " " << c.r;
    EXPECT_EQ(error->field, c.field);
    EXPECT_EQ(s.width, before.width);
    EXPECT_EQ(s.frameRate, before.frameRate);
  }
  ASSERT_FALSE(GUICore::ApplyProjectFields(with("640px", "26843545", "0.5"), 0, s));
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.height, GUICore::kMaxStageSize);
  EXPECT_FLOAT_EQ(s.frameRate, 0.5f);
}

TEST_F(DialogFieldsTest, SwitchesKeepTheirStoredValuesWhileTheBoxIsUnchanged) {
  ProjectSettings s;
  s.soundSync = -1;  // not "on" for the build, shown unticked
  s.preloader = 1;
  GUICore::ProjectDialogFields f = GUICore::ProjectFieldsFrom(s);
  EXPECT_EQ(f.soundSync, 0);
  EXPECT_EQ(f.preloader, 1);
  ASSERT_FALSE(GUICore::ApplyProjectFields(f, 0, s));
  EXPECT_EQ(s.soundSync, -1);
  f.soundSync = 1;
  f.preloader = 0;
  ASSERT_FALSE(GUICore::ApplyProjectFields(f, 0, s));
  EXPECT_EQ(s.soundSync, 1);
  EXPECT_EQ(s.preloader, 0);
}

TEST_F(DialogFieldsTest, OkMarksTheProjectModifiedOnlyWhenSomethingChanged) {
  GUICore::ProjectDialogFields f = GUICore::ProjectFieldsFrom(GUICore::State().settings);
  EXPECT_TRUE(GUICore::CommitProjectDialog(f, 0));
  EXPECT_FALSE(GUICore::HasUnsavedChanges());

  f.width = "0";
  EXPECT_FALSE(GUICore::CommitProjectDialog(f, 0));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(GUICore::State().settings.width, 320);
  EXPECT_FALSE(GUICore::HasUnsavedChanges());

  f.width = "550";
  f.background = {0, 128, 255};
  EXPECT_TRUE(GUICore::CommitProjectDialog(f, 0));
  EXPECT_EQ(GUICore::State().settings.width, 550);
  EXPECT_EQ(GUICore::State().settings.backgroundGreen, 128);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(DialogFieldsTest, DefaultsAreConfirmedOnlyAfterTheWriteAndTheSettingsComeBack) {
  GUICore::ProjectDialogFields f = GUICore::ProjectFieldsFrom(GUICore::State().settings);
  f.width = "640";
  f.frameRate = "30";
  ASSERT_TRUE(GUICore::StoreDefaultProject(f, 0));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, GUICore::kDefaultStoredText);
  EXPECT_EQ(GUICore::State().settings.width, 320);  // the open project is unchanged
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  GUICore::NewProject();
  EXPECT_EQ(GUICore::State().settings.width, 640);
  EXPECT_FLOAT_EQ(GUICore::State().settings.frameRate, 30.0f);

  // A config "folder" that is a file: the write fails and says so.
  ui.messages.clear();
  const auto blocked = dir.path() / "blocked";
  WriteFile(blocked, "x");
  GUICore::State().paths.config = blocked;
  f.width = "800";
  EXPECT_FALSE(GUICore::StoreDefaultProject(f, 0));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(GUICore::State().settings.width, 640);

  // A refused value writes nothing at all.
  ui.messages.clear();
  GUICore::State().paths.config = dir.path();
  f.height = "-1";
  EXPECT_FALSE(GUICore::StoreDefaultProject(f, 0));
  GUICore::NewProject();
  EXPECT_EQ(GUICore::State().settings.width, 640);
}

TEST_F(DialogFieldsTest, OptionNumbersReadAsTheirLeadingNumberAndWheelRowsAreClamped) {
  GUICore::OptionValues v;
  v.windowTopward = 63 | 256;
  GUICore::OptionDialogFields f = GUICore::OptionFieldsFrom(v);
  EXPECT_EQ(f.topward, (std::array<int32_t, 3>{1, 1, 1}));
  EXPECT_EQ(f.historyMax, "50");
  f.topward[1] = 0;
  GUICore::ApplyOptionFields(f, v);
  EXPECT_EQ(v.windowTopward, 59);  // ticked states kept, bits from 8 up dropped

  const struct {
    const char* text;
    int32_t rows;
  } wheel[] = {{"0", 1}, {"99", 16}, {"abc", 1}, {"1e999", 1}, {"1e9", 16}, {"-3", 1}, {"7 rows", 7}, {"&H0C", 12}};
  for (const auto& c : wheel) {
    f.wheelRows = c.text;
    GUICore::ApplyOptionFields(f, v);
    EXPECT_EQ(v.mouseWheelScroll, c.rows) << c.text;
  }
  f.historyMax = "abc";
  GUICore::ApplyOptionFields(f, v);
  EXPECT_EQ(v.filelistHistoryMax, 0);
  f.historyMax = "1e30";
  GUICore::ApplyOptionFields(f, v);
  EXPECT_EQ(v.filelistHistoryMax, INT32_MAX);
}

TEST_F(DialogFieldsTest, ImportIdsAreProposedBelowTheRange) {
  const int32_t a = AddItem("sprite");
  GUICore::ChangeStoreItemID(a, 8999);
  const int32_t b = AddItem("sprite");
  GUICore::ChangeStoreItemID(b, 4000);
  EXPECT_EQ(GUICore::NextImportID(5000, false), 8999);
  EXPECT_EQ(GUICore::ImportAfterCaption(8999), "ID：9000 以降に追加");
  EXPECT_EQ(GUICore::NextImportID(5000, true), 4000);
  EXPECT_EQ(GUICore::NextImportID(0, true), 8999);  // 0 searches below 9000

  const int32_t c = AddItem("sprite");
  GUICore::ChangeStoreItemID(c, 9999);
  EXPECT_EQ(GUICore::NextImportID(12000, true), 8999);  // 10000 would be no ID: searched again
  EXPECT_EQ(GUICore::ImportAfterCaption(5), "ID：0006 以降に追加");

  GUICore::ImportDialogFields f;
  f.rangeStart = "5000";
  f.overwrite = 1;
  f.addValue = "12";
  EXPECT_EQ(GUICore::UpdateImportIds(f), "ID：4001 以降に追加");
  EXPECT_EQ(f.addValue, "4000");
  f.addValue = "7000";
  GUICore::UpdateImportIds(f);
  EXPECT_EQ(f.addValue, "7000");

  f.rangeStart = "0";
  f.idMode = 1;
  f.skipEvents = 1;
  f.asSprite = 1;
  f.reuseFiles = 1;
  f.spriteId = "77";
  GUICore::ImportRequest r = GUICore::MakeImportRequest(f);
  EXPECT_EQ(r.rangeStart, 0);
  EXPECT_EQ(r.idBase, 8999);
  EXPECT_EQ(r.flags, 7);
  EXPECT_EQ(r.spriteId, 77);
  f.overwrite = 0;
  f.idMode = 2;
  r = GUICore::MakeImportRequest(f);
  EXPECT_EQ(r.rangeStart, GUICore::kImportNoRange);
  EXPECT_EQ(r.idBase, 7000);

  EXPECT_EQ(GUICore::ImportSpriteName("/home/u/intro.tsm"), "intro_tsm");
  EXPECT_EQ(GUICore::ImportSpriteName("C:\\p\\a.b.tsm"), "a_b_tsm");
}

TEST_F(DialogFieldsTest, SearchWithAnEmptyTextDoesNothing) {
  AddItem("sprite");
  EXPECT_FALSE(GUICore::SearchItem({"", true, true}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(GUICore::SearchItem({"nothing like it", true, true}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "検索結果がありません");
}

}  // namespace
}  // namespace tesmiro
