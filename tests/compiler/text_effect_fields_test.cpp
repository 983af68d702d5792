// The text-effect dialog's rules: template lists, filling from a settings
// string, reading the fields back, spin arrows, and the preview build with
// its temporary changes to the store and the settings.
#include "compiler/text_effect_fields.h"

#include <fstream>

#include "compiler_test_util.h"
#include "project/build_lock.h"
#include "project/project_file.h"
#include "project/store.h"
#include "project/store_item_swap.h"

namespace tesmiro::testing {
namespace {

using namespace GUICore;
namespace fs = std::filesystem;

class TextEffectFieldsTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    State().paths.userData = dir / "user";
    State().paths.resources = dir / "shipped";
  }

  // A template at `file` whose "param" script declares the lines.
  void SaveTemplate(const fs::path& file, const std::string& paramScript, const std::string& author = "") {
    const auto saved = State().paths;
    fs::create_directories(file.parent_path());
    std::vector<EventRecord> events;
    EventRecord param = InitEventRecord();
    param.kind = static_cast<int16_t>(ActionKind::Script);
    param.text1 = "param";
    param.text2 = paramScript;
    events.push_back(param);
    if (!author.empty()) {
      EventRecord a = InitEventRecord();
      a.kind = static_cast<int16_t>(ActionKind::DoNothing);
      a.text1 = "author:" + author;
      events.push_back(a);
    }
    EventRecord letter = InitEventRecord();
    letter.itemId = 1;
    letter.frameCount = 4;
    events.push_back(letter);
    State().timelines.assign(1, Timeline{});
    State().events = OneBased<EventRecord>(events);
    ASSERT_TRUE(SaveProject(file.string()));
    State().events.clear();
    State().timelines.assign(1, Timeline{});
    State().paths = saved;
  }
  fs::path In(const std::string& root, const std::string& file) { return dir / root / "effect" / "in" / file; }
  static void WriteFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  // The fields a swap could change.
  static std::vector<std::string> Snapshot() {
    std::vector<std::string> out;
    for (const StoreItem& i : State().store.items())
      out.push_back(std::to_string(i.id) + "|" + i.name + "|" + i.option + "|" + std::to_string(i.flags) + "|" +
                    std::to_string(i.width) + "|" + std::to_string(i.height) + "|" + i.font);
    return out;
  }
};

TEST_F(TextEffectFieldsTest, TemplatesOfBothFoldersSortedOnceWhateverTheirCase) {
  SaveTemplate(In("user", "Wave.TSM"), "__a=1;", "me");
  SaveTemplate(In("user", "zoom.tsm"), "");
  SaveTemplate(In("shipped", "wave.tsm"), "__b=2;", "shipped");
  SaveTemplate(In("shipped", "Alpha.tsm"), "");
  SaveTemplate(In("shipped", "b.Tsm"), "");
  SaveTemplate(In("shipped", "なし.tsm"), "");
  fs::create_directories(In("shipped", "folder.tsm"));
  WriteFile(In("shipped", "notes.txt"), "x");
  WriteFile(In("shipped", ".tsm"), "x");

  EXPECT_EQ(ListEffectTemplates(0), (std::vector<std::string>{"なし", "Alpha", "b", "Wave", "zoom"}));
  EXPECT_EQ(ListEffectTemplates(1), (std::vector<std::string>{"なし"}));

  // Each listed name reads its template, the user's own first; a name
  // stored in another case still finds it.
  EXPECT_EQ(ReadEffectTemplate("Wave", 0).author, "me");
  EXPECT_EQ(ReadEffectTemplate("WAVE", 0).author, "me");
  EXPECT_EQ(ReadEffectTemplate("b", 0).count, 0);
  EXPECT_TRUE(EffectTemplatePath("b", 0).has_value());
}

TEST_F(TextEffectFieldsTest, StoredValuesCarryOverToParametersOfTheSameName) {
  SaveTemplate(In("user", "fly.tsm"), "__speed=3; // how fast\n__height=10; // how high");
  SaveTemplate(dir / "user" / "effect" / "out" / "fade.tsm", "__alpha=50;");
  const auto inList = ListEffectTemplates(0), outList = ListEffectTemplates(1);

  TextEffectDialogState d;
  d.setParam("@fly;30;2;1;fade;10;0;12;5;0:height=99;0:gone=1;1:alpha=7", inList, outList);
  EXPECT_EQ(d.fields().frames, (std::array<std::string, 3>{"30", "10", "5"}));
  EXPECT_EQ(FrameTotalText(d.fields().frames), "45");
  EXPECT_EQ(d.fields().names[0], "fly");
  EXPECT_EQ(d.fields().orders[0], 1);
  EXPECT_EQ(d.fields().orders[1], 4);  // 12 And 7
  EXPECT_EQ(d.paramText(0, 1), "3");   // not stored: the template's default
  EXPECT_EQ(d.paramDescription(0, 1), "how fast");
  EXPECT_EQ(d.paramText(0, 2), "99");  // stored under its name
  EXPECT_EQ(d.paramText(0, 3), "");
  EXPECT_EQ(d.paramText(1, 1), "7");

  d.setParamText(0, 1, "4.5");
  const TextEffectSettings s = d.readControls();
  ASSERT_EQ(s.inParams.size(), 2u);  // "gone" is not declared any more
  EXPECT_EQ(s.inParams[0].name, "speed");
  EXPECT_EQ(s.inParams[0].value, 4.5f);
  EXPECT_EQ(s.inParams[1].value, 99.0f);
  EXPECT_EQ(BuildTextEffectOption(s), "@fly;30;2;1;fade;10;0;4;5;0:height=99;0:speed=4.5;1:alpha=7");

  // Choosing the template again starts from its defaults.
  d.chooseTemplate(0, "fly");
  EXPECT_EQ(d.paramText(0, 2), "10");
}

TEST_F(TextEffectFieldsTest, BadStringsNamesOrdersAndCountsAreCorrected) {
  TextEffectDialogState d;
  d.setParam("", {"なし"}, {"なし"});
  EXPECT_EQ(d.fields().names, (std::array<std::string, 2>{"なし", "なし"}));
  EXPECT_EQ(d.fields().frames, (std::array<std::string, 3>{"0", "0", "0"}));
  EXPECT_EQ(FrameTotalText(d.fields().frames), "0");

  d.setParam("@gone;1;1;5;GONE;1;1;7;0", {"なし"}, {"なし"});
  EXPECT_EQ(d.fields().names, (std::array<std::string, 2>{"gone", "GONE"})) << "kept, though not found";
  EXPECT_EQ(d.fields().orders, (std::array<int32_t, 2>{0, 0}));
  EXPECT_EQ(OrderListIndex(4), 4);
  EXPECT_EQ(OrderListIndex(-1), 0);
  EXPECT_EQ(OrderListIndex(9), 1);

  d.fields().frames = {"-3", "2", "-2"};
  d.fields().intervals = {"-1", "x"};
  const TextEffectSettings s = d.readControls();
  EXPECT_EQ(s.inFrames, 0);
  EXPECT_EQ(s.holdFrames, 0);
  EXPECT_EQ(s.inInterval, 0);
  EXPECT_EQ(s.outInterval, 0);
  EXPECT_EQ(d.fields().frames, (std::array<std::string, 3>{"0", "2", "0"}));
  EXPECT_EQ(d.fields().intervals[0], "0");

  EXPECT_EQ(SpinText("0", 1), "0");
  EXPECT_EQ(SpinText("-4", 1), "0");
  EXPECT_EQ(SpinText("5", 1), "4");
  EXPECT_EQ(SpinText("2.7", -1), "3");
  EXPECT_EQ(SpinText("2147483647", -1), "2147483647");
  EXPECT_EQ(TemplateKindLine(1), "種別：ﾌﾚｰﾑｱｳﾄ");
}

// A template the folders no longer hold keeps its name and its stored
// values: the string comes back as it was, so that OK without a change
// changes nothing. Chosen away and back, it has them still.
TEST_F(TextEffectFieldsTest, AMissingTemplateKeepsItsNameAndValues) {
  SaveTemplate(In("user", "fly.tsm"), "__speed=3;");
  const auto inList = ListEffectTemplates(0), outList = ListEffectTemplates(1);
  const std::string stored = "@lost;4;1;2;gone;3;0;1;2;0:size=2.5;0:a=1;1:alpha=7";
  TextEffectDialogState d;
  d.setParam(stored, inList, outList);
  EXPECT_EQ(d.fields().names, (std::array<std::string, 2>{"lost", "gone"}));
  EXPECT_EQ(d.missingTemplate(0), "lost");
  EXPECT_EQ(d.templateInfo(0).count, 0) << "nothing to edit";
  EXPECT_EQ(BuildTextEffectOption(d.readControls()), stored);

  d.chooseTemplate(0, "fly");
  EXPECT_EQ(BuildTextEffectOption(d.readControls()), "@fly;4;1;2;gone;3;0;1;2;0:speed=3;1:alpha=7");
  d.chooseTemplate(0, "lost");
  EXPECT_EQ(BuildTextEffectOption(d.readControls()), stored);

  d.setParam("@fly;1;0;0;なし;0;0;0;0", inList, outList);
  EXPECT_EQ(d.missingTemplate(0), "");
  EXPECT_EQ(d.missingTemplate(1), "");
  EXPECT_EQ(MissingTemplateEntry("lost"), "lost（見つかりません）");
}

TEST_F(TextEffectFieldsTest, TheStoreAndTheSettingsComeBackAfterThePreview) {
  StoreItem stored = NewStoreItem(StoreItemKind::Text);
  stored.id = 5;
  stored.name = "old";
  stored.font = "DejaVu Sans";
  stored.size = 20;
  State().store.push_back(stored);
  State().settings.preloader = 1;
  const auto storeBefore = Snapshot();

  StoreItem shown = stored;
  shown.name = "AB";
  {
    const ScopedStoreItemSwap swap(shown);
    EXPECT_TRUE(swap.swapped());
    EXPECT_EQ(GetStoreItemByID(5).name, "AB");
  }
  EXPECT_EQ(GetStoreItemByID(5).name, "old");

  TextEffectSettings fx;
  fx.inFrames = 6;
  fx.outFrames = 4;
  fx.holdFrames = 2;
  ASSERT_TRUE(BuildTextEffectPreview(shown, fx, dir / "_texteffect.swf"));
  int frames = 0;
  const auto tags = ReadTags(Movie("_texteffect.swf"), &frames);
  EXPECT_EQ(frames, 12);
  EXPECT_GE(CountCode(tags, 39), 3);  // a sprite per letter and the effect sprite
  EXPECT_EQ(Snapshot(), storeBefore);
  EXPECT_EQ(State().settings.preloader, 1);

  // A movie that cannot be written, and several items at once (no ID):
  // nothing is left changed either way.
  EXPECT_FALSE(BuildTextEffectPreview(shown, fx, dir / "no" / "such" / "folder" / "x.swf"));
  EXPECT_EQ(Snapshot(), storeBefore);
  EXPECT_EQ(State().settings.preloader, 1);
  StoreItem several = shown;
  several.id = 0;
  EXPECT_FALSE(ScopedStoreItemSwap(several).swapped());
  ASSERT_TRUE(BuildTextEffectPreview(several, fx, dir / "several.swf"));
  EXPECT_GE(CountCode(ReadTags(Movie("several.swf")), 39), 3);
  EXPECT_EQ(Snapshot(), storeBefore);

  // Not while another build runs.
  fs::remove(dir / "_texteffect.swf");
  BuildLock running;
  EXPECT_FALSE(BuildTextEffectPreview(shown, fx, dir / "_texteffect.swf"));
  EXPECT_FALSE(fs::exists(dir / "_texteffect.swf"));
}

}  // namespace
}  // namespace tesmiro::testing
