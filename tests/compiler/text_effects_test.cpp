#include <fstream>

#include "compiler/left_out.h"
#include "compiler/movie_compiler.h"
#include "compiler/text_effects.h"
#include "compiler_test_util.h"
#include "project/gui_core.h"
#include "project/project_file.h"
#include "support/unreadable.h"
#include "support/user_text.h"

namespace tesmiro::testing {
namespace {

using namespace GUICore;

class TextEffectTest : public CompilerTest {
 protected:
  // Saves a template whose main timeline holds `events` as effect/<half>/<name>.tsm.
  void SaveTemplate(const std::string& half, const std::string& name, const std::vector<EventRecord>& events) {
    const auto saved = State().paths;
    std::filesystem::create_directories(dir / "effect" / half);
    State().timelines.assign(1, Timeline{});
    State().events = OneBased<EventRecord>(events);
    ASSERT_TRUE(SaveProject((dir / "effect" / half / (name + ".tsm")).string()));
    State().events.clear();
    State().timelines.assign(1, Timeline{});
    State().paths = saved;
  }
  static EventRecord Letter(int32_t frames, int32_t x0, int32_t x1) {
    EventRecord e = InitEventRecord();
    e.itemId = 1;
    e.frameCount = frames;
    e.startX = x0;
    e.endX = x1;
    return e;
  }
};

TEST_F(TextEffectTest, OptionStringRoundTripsWithLongestNamesFirst) {
  TextEffectSettings s;
  s.inTemplate = "fly";
  s.inFrames = 30;
  s.inInterval = 5;
  s.inOrder = 2;
  s.holdFrames = 12;
  s.inParams = {{"a", 1.5f}, {"speed", 2.0f}, {"bb", -3.0f}};
  s.outParams = {{"x", 0.25f}};
  const std::string text = BuildTextEffectOption(s);
  EXPECT_EQ(text, "@fly;30;5;2;なし;0;0;0;12;0:speed=2;0:bb=-3;0:a=1.5;1:x=0.25");
  TextEffectSettings back;
  ASSERT_TRUE(ParseTextEffectOption(text, back));
  EXPECT_EQ(back.inTemplate, "fly");
  EXPECT_EQ(back.holdFrames, 12);
  ASSERT_EQ(back.inParams.size(), 3u);
  EXPECT_EQ(back.inParams[0].name, "speed");
  EXPECT_EQ(back.outParams[0].value, 0.25f);
  EXPECT_FALSE(ParseTextEffectOption("fly;1", back));
  // Fields without ":" or "=" are skipped, not misread.
  ASSERT_TRUE(ParseTextEffectOption("@a;1;2;3;b;4;5;6;7;junk;0:k=1", back));
  EXPECT_EQ(back.inParams.size(), 1u);
}

TEST(LetterOrderTest, EveryOrder) {
  EXPECT_EQ(LetterOrder(0, 5), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(LetterOrder(1, 5), (std::vector<int32_t>{5, 4, 3, 2, 1}));
  EXPECT_EQ(LetterOrder(2, 5), (std::vector<int32_t>{3, 2, 4, 1, 5}));
  EXPECT_EQ(LetterOrder(3, 5), (std::vector<int32_t>{5, 1, 4, 2, 3}));
  auto random = LetterOrder(4, 7);
  std::sort(random.begin(), random.end());
  EXPECT_EQ(random, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(LetterOrder(4, 7), LetterOrder(4, 7));
}

TEST_F(TextEffectTest, MissingTemplateShowsOrErasesTheLetter) {
  std::vector<EventRecord> list;
  ApplyEffectTemplate("なし", 0, 7, 20001, 10, 20, -256, 3, {}, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].itemId, 20001);
  EXPECT_EQ(list[0].startX, 10);
  EXPECT_EQ(list[1].kind, static_cast<int16_t>(ActionKind::DoNothing));
  EXPECT_EQ(list[1].frameCount, 7);
  EXPECT_EQ(list[2].frameCount, 0);  // the letter stays where it arrived
  list.clear();
  ApplyEffectTemplate("missing", 1, 4, 20001, 10, 20, -255, 3, {}, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].kind, static_cast<int16_t>(ActionKind::EraseImages));
  EXPECT_EQ(list[2].text1, "-255");
}

TEST_F(TextEffectTest, RetimingAddsUpExactlyAndOnlyLetterEventsSurvive) {
  EventRecord param = InitEventRecord();
  param.kind = static_cast<int16_t>(ActionKind::Script);
  param.text1 = "param";
  param.text2 = "__speed = 4; // how fast\r\n\t__size=2;\r\nother";
  EventRecord author = InitEventRecord();
  author.kind = static_cast<int16_t>(ActionKind::Label);
  author.text1 = "Author:me";
  EventRecord other = Letter(3, 0, 0);
  other.itemId = 2;  // a second item never reaches the letter
  EventRecord scripted = Letter(3, 0, 100);
  scripted.text2 = "x = _parent.__speed * __lettercount + _root.__lettertotal;";
  SaveTemplate("in", "fly", {param, author, Letter(4, 0, 100), other, scripted});

  const EffectTemplateInfo info = ReadEffectTemplate("fly", 0);
  ASSERT_EQ(info.count, 2);
  EXPECT_EQ(info.names[0], "speed");
  EXPECT_EQ(info.defaults[0], 4.0f);
  EXPECT_EQ(info.descriptions[0], "how fast");
  EXPECT_EQ(info.comment, "");

  std::vector<EventRecord> list;
  ApplyEffectTemplate("fly", 0, 25, 30000, 50, 60, -250, 9, {{"speed", 7.0f}}, list);
  int32_t sum = 0;
  for (const EventRecord& e : list) {
    EXPECT_NE(e.itemId, 2);
    sum += e.frameCount;
  }
  EXPECT_EQ(sum, 25);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0].itemId, 30000);
  EXPECT_EQ(list[0].endX, 50);  // the in-template ends on the letter's place
  EXPECT_EQ(list[1].text2, "x = 7 * 6 + 9;");
}

// The letters stand still, and the list names the template with the reason.
TEST_F(TextEffectTest, ATemplateThatCannotBeReadIsNamedWithItsReason) {
  std::filesystem::create_directories(dir / "effect" / "in");
  std::ofstream(dir / "effect" / "in" / "壊れた効果.tsm", std::ios::binary) << "TSM0A3 cut short";
  SaveTemplate("in", "読めない効果", {Letter(4, 0, 100)});
  ClearLeftOut();
  std::vector<EventRecord> list;
  ApplyEffectTemplate("壊れた効果", 0, 5, 30000, 0, 0, -256, 1, {}, list);
  {
    ScopedUnreadable unreadable(dir / "effect" / "in" / "読めない効果.tsm");
    ApplyEffectTemplate("読めない効果", 0, 5, 30000, 0, 0, -255, 1, {}, list);
  }
  const std::vector<std::string> lines = LeftOutLines();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "テキスト効果のテンプレート [壊れた効果] は不正なTesmiroプロジェクトファイルです。",
                       "テキスト効果のテンプレート [読めない効果] を読み込めません：アクセスが拒否されました",
                   }));
  for (const std::string& line : lines) EXPECT_JAPANESE(line);
  EXPECT_EQ(list.size(), 6u);  // each letter shown, held and left in place
}

TEST_F(TextEffectTest, TemplateNamesCannotLeaveTheirFolder) {
  std::filesystem::create_directories(dir / "effect" / "in");
  EXPECT_FALSE(EffectTemplatePath("../../secret", 0));
  EXPECT_FALSE(EffectTemplatePath("a/b", 0));
  EXPECT_FALSE(EffectTemplatePath("a\\b", 1));
  EXPECT_FALSE(EffectTemplatePath("なし", 0));
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

using namespace GUICore;

TEST_F(CompilerTest, TextsShareOneEmbeddedFontAndEffectsBecomeSprites) {
  auto& m = State();
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.font = "DejaVu Sans";
  text.size = 24;
  text.id = 1;
  text.name = "AB";
  m.store.push_back(text);
  text.id = 2;
  text.name = "BCA";
  text.flags = 0x2000;
  TextEffectSettings effect;
  effect.inFrames = 12;
  effect.inInterval = 2;
  effect.outFrames = 6;
  text.option = BuildTextEffectOption(effect);
  m.store.push_back(text);
  m.events.push_back(Place(1, 1));
  m.events.push_back(Place(2, 1, 1));
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  const auto tags = ReadTags(Movie());
  EXPECT_EQ(CountCode(tags, 48), 1);  // DefineFont2, shared
  EXPECT_EQ(CountCode(tags, 33), 1 + 3);  // the plain text and one per distinct letter
  EXPECT_EQ(CountCode(tags, 39), 3 + 1);  // a sprite per letter and the effect sprite
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tesmiro::testing
