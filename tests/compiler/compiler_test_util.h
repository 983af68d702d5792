#pragma once
// A project built in memory for the compiler tests, and a reader for the
// movies they write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "project/model.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro::testing {

// One tag of a written movie.
struct Tag {
  int code;
  std::vector<uint8_t> body;
};

// The tags of an uncompressed movie, top level only; sprites keep their body.
inline std::vector<Tag> ReadTags(const std::vector<uint8_t>& movie, int* frameCount = nullptr) {
  std::vector<Tag> tags;
  ByteReader r(movie);
  r.skip(8);
  const int nbits = r.peek() >> 3;
  r.skip(static_cast<size_t>((5 + 4 * nbits + 7) / 8) + 2);
  const int frames = r.u16();
  if (frameCount) *frameCount = frames;
  while (r.has(2)) {
    const uint16_t head = r.u16();
    uint32_t len = head & 63;
    if (len == 63) len = r.u32();
    auto body = r.bytes(len);
    if (!r.ok()) break;
    tags.push_back({head >> 6, std::vector<uint8_t>(body.begin(), body.end())});
    if ((head >> 6) == 0) break;
  }
  return tags;
}

inline int CountCode(const std::vector<Tag>& tags, int code) {
  int n = 0;
  for (const Tag& t : tags) n += t.code == code;
  return n;
}

class CompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GUICore::ResetState();
    SWFMakeCore::ResetState();
    GUICore::State().paths = AppPaths::InFolder(dir.path());
    GUICore::State().timelines.assign(1, Timeline{});
  }
  void TearDown() override {
    GUICore::ResetState();
    SWFMakeCore::ResetState();
  }

  // A sprite item with its own (empty) timeline; returns the timeline index.
  int32_t AddSprite(int32_t id, const std::string& name) {
    auto& m = GUICore::State();
    StoreItem item;
    item.id = id;
    item.kind = StoreItemKind::Sprite;
    item.name = name;
    item.param = static_cast<int32_t>(m.timelines.size());
    Timeline t;
    t.owner = id;
    m.timelines.push_back(t);
    m.store.push_back(item);
    return item.param;
  }
  static EventRecord Place(int32_t itemId, int32_t frames, int32_t depth = 0) {
    EventRecord e;
    e.itemId = itemId;
    e.frameCount = frames;
    e.depth = depth;
    return e;
  }
  static EventRecord Action(ActionKind kind, const std::string& text1 = "", int32_t frames = 1) {
    EventRecord e;
    e.itemId = 0;
    e.kind = static_cast<int16_t>(kind);
    e.text1 = text1;
    e.frameCount = frames;
    return e;
  }
  std::vector<uint8_t> Movie(const std::string& name = "out.swf") { return *fileio::ReadAll(dir / name); }

  TempDir dir;
  RecordingUi ui;
};

}  // namespace tesmiro::testing
