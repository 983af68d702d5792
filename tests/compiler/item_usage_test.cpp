// A vector item is defined whole where events show it and as paths only
// where a mask event uses it (also through a button state), looking at every
// timeline; a build answers that from one pass over the events and must
// answer as the per-item question outside a build does.
#include <fstream>
#include <set>

#include "compiler/movie_compiler.h"
#include "project/store.h"
#include "compiler_test_util.h"

namespace tesmiro {
namespace {

class ItemUsageTest : public testing::CompilerTest {
 protected:
  void AddSquares(std::initializer_list<int32_t> ids) {
    const auto path = dir / "square.kvg";
    std::ofstream(path, std::ios::binary)
        << "KVG030\r\n20\r\n20\r\n1\r\n"
           "3,#TRUE#,20,0,-16777216,1,-16776961,0,0,0,1,1,-16777216,#FALSE#,0,#FALSE#,0\r\n0\r\n"
           "0,0,0\r\n0,400,0\r\n0,400,400\r\n0,0,400\r\n";
    for (int32_t id : ids) {
      StoreItem item = NewStoreItem(StoreItemKind::VectorImage);
      item.id = id;
      item.name = path.string();
      GUICore::State().store.push_back(item);
    }
  }

  // Character IDs of the shapes defined at the top of the movie.
  std::set<int> Shapes() {
    std::set<int> ids;
    for (const auto& tag : testing::ReadTags(Movie())) {
      if (tag.code == 32 && tag.body.size() >= 2) ids.insert(tag.body[0] | tag.body[1] << 8);
    }
    return ids;
  }
};

TEST_F(ItemUsageTest, MaskUseIsFoundInEveryTimelineAndThroughButtonStates) {
  AddSquares({1, 2, 3, 4, 5});
  auto& m = GUICore::State();
  const int32_t t = AddSprite(10, "holder");
  EventRecord mask = Place(2, 1);
  mask.maskFlag = 1;
  m.timelines[static_cast<size_t>(t)].events.push_back(mask);  // 2: mask in a sprite only
  m.timelines[static_cast<size_t>(t)].events.push_back(Place(5, 1));  // 5: shown there ...

  m.events.push_back(Place(1, 1));  // 1: shown
  EventRecord button = Place(4, 1);
  button.maskFlag = 1;
  button.buttonFlag = 1;
  button.hitItemId = 3;  // 3: a mask through the button's hit state
  m.events.push_back(button);
  EventRecord mask5 = Place(5, 1);
  mask5.maskFlag = 1;
  m.events.push_back(mask5);  // ... and a mask here

  const int16_t expected[] = {1, 2, 2, 2, 3};
  for (int32_t id = 1; id <= 5; ++id) {
    EXPECT_EQ(GUICore::GetStoreItemUsage(GUICore::GetStoreItemByID(id)), expected[id - 1]) << "item " << id;
  }
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", true), GUICore::BuildResult::Done);
  // Whole shapes at 2 x ID, paths for masks at 2 x ID - 1.
  EXPECT_EQ(Shapes(), (std::set<int>{2, 3, 5, 7, 9, 10}));
}

}  // namespace
}  // namespace tesmiro
