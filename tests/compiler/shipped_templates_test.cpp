#include "compiler/text_effects.h"
#include "compiler_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace GUICore;

TEST_F(CompilerTest, ShippedTemplatesLoadAndSpreadOverAnyLength) {
  State().paths.resources = std::filesystem::path(TESMIRO_SOURCE_ROOT) / "resources";
  int found = 0;
  for (int half : {0, 1}) {
    const auto folder = State().paths.resources / "effect" / (half == 0 ? "in" : "out");
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().stem().string();
      ++found;
      const EffectTemplateInfo info = ReadEffectTemplate(name, half);
      EXPECT_EQ(info.author, "Tesmiro") << name;
      EXPECT_FALSE(info.comment.empty()) << name;
      std::vector<EventRecord> list;
      ApplyEffectTemplate(name, half, 17, 30001, 40, 50, -256, 1, {}, list);
      int32_t frames = 0;
      for (const EventRecord& e : list) frames += e.frameCount;
      EXPECT_EQ(frames, 17) << name;
      EXPECT_EQ(list.front().itemId, 30001) << name;
      // In-templates end on the letter's place, out-templates start there.
      EXPECT_EQ(half == 0 ? list.front().endX : list.front().startX, 40) << name;
    }
  }
  EXPECT_EQ(found, 9);
  const EffectTemplateInfo drop = ReadEffectTemplate("落下", 0);
  ASSERT_EQ(drop.count, 2);
  EXPECT_EQ(drop.names[0], "height");
  EXPECT_EQ(drop.defaults[1], 3.0f);
}

}  // namespace
}  // namespace tesmiro::testing
