#pragma once
// A project built in memory for the compiler tests, and a reader for the
// movies they write.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compiler/core_setup.h"
#include "platform/file_io.h"
#include "project/model.h"
#include "support/recording_ui.h"
#include "support/swf_tags.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro::testing {

// The top-level tags of a written (uncompressed) movie; sprites keep their body.
using Tag = SwfTag;
inline std::vector<Tag> ReadTags(const std::vector<uint8_t>& movie, int* frameCount = nullptr) {
  return MovieTags(movie, frameCount);
}

// The core as the program installs it (the script compiler included, so
// scripted events compile to their actions), in a fresh state, with the
// program's folders in a temporary folder.
class CompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::ResetCoreState();
    core_.emplace(core::Host{AppPaths::InFolder(dir.path()), ui::Services{&ui, &ui, &ui}, nullptr});
    GUICore::State().timelines.assign(1, Timeline{});
  }
  void TearDown() override {
    core_.reset();
    core::ResetCoreState();
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
  std::optional<core::Installation> core_;
};

}  // namespace tesmiro::testing
