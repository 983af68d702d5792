// Damaged project files: a valid file with seeded random damage must either
// be refused or give a project whose cross-references hold.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "project/project_file.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

using testing::TsmBuilder;

TsmBuilder Sample() {
  TsmBuilder b;
  b.header().settings(640, 480, 30.0f, "C 8R");
  b.i32(6);
  b.item(-1, -1, "f", 3).item(1, 1, ".\\\x95\x5C.jpg").item(2, 4, "s", 1).item(-2, -1, "g", 0);
  b.item(3, 3, "\x83\x5C", 0, 0, "_font").item(4, 5, "C:\\v.kvg", 1, 1);
  b.i32(1);
  b.i32(0).i32(2).event("0A3", 1, "a", "b", 5, {{0, 0}, {1, 1}}).event("0A3", 0, "label");
  b.i32(2).i32(1).event("0A3", 3, "", "trace(1);", -4);
  return b;
}

void ExpectConsistent(const TSMModule::ProjectData& d) {
  std::set<int32_t> ids;
  const int32_t n = d.store.count();
  ASSERT_LE(n, 9999);
  for (int32_t i = 1; i <= n; ++i) {
    const StoreItem& it = d.store.at(i);
    EXPECT_TRUE(ids.insert(it.id).second);
    EXPECT_NE(it.id, 0);
    EXPECT_LE(it.id, 9999);
    if (it.isFolder()) {
      EXPECT_GE(it.param, 0);
      EXPECT_LE(i + it.param, n);
    }
    if (it.kind == StoreItemKind::Sprite) {
      ASSERT_GE(it.param, 1);
      ASSERT_LT(static_cast<size_t>(it.param), d.timelines.size());
      EXPECT_EQ(d.timelines[static_cast<size_t>(it.param)].owner, it.id);
    }
  }
  ASSERT_FALSE(d.timelines.empty());
  for (const Timeline& t : d.timelines)
    for (const EventRecord& e : t.events) {
      EXPECT_GE(e.depth, -256);
      EXPECT_LE(e.depth, 256);
    }
}

TEST(ProjectReaderDamage, RefusesOrRepairsEveryMutation) {
  const TsmBuilder sample = Sample();
  {
    const auto d = TSMModule::ParseProjectFile(sample.bytes, "/nonexistent");
    ASSERT_TRUE(d) << d.message();
    ExpectConsistent(*d);
  }
  std::mt19937 rng(12345);
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> bytes = sample.bytes;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits && !bytes.empty(); ++k) {
      size_t at = rng() % bytes.size();
      switch (rng() % 5) {
        case 0: bytes[at] = static_cast<uint8_t>(rng()); break;
        case 1: bytes[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: bytes.resize(at); break;
        case 3: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
        case 4:  // a large or negative count where a count may stand
          for (size_t j = 0; j < 4 && at + j < bytes.size(); ++j) bytes[at + j] = (j == 3) ? 0x7F : 0xFF;
          break;
      }
    }
    const auto d = TSMModule::ParseProjectFile(bytes, "/nonexistent");
    if (d) {
      ++accepted;
      ExpectConsistent(*d);
    } else {
      EXPECT_FALSE(d.message().empty());
    }
    if (::testing::Test::HasFailure()) FAIL() << "round " << round;
  }
  // Value-only damage (positions, colours, names) still loads.
  EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace tesmiro
