#pragma once
// The movie compiler: the whole project becomes one SWF file.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compiler/event_compiler.h"
#include "platform/result.h"
#include "project/build_lock.h"
#include "project/records.h"

namespace tesmiro::GUICore {

enum class BuildResult { Done, Cancelled, Failed };

// Builds the movie of the working event list (the caller shows the main
// timeline first) into outPath. With attachUnusedSprites every sprite is
// defined and exported, placed or not. A failure has been reported to the
// user; a cancelled build leaves no file behind.
BuildResult MakeSWF(const std::filesystem::path& outPath, bool attachUnusedSprites);
// The same for a caller that already holds the build lock over more than the
// build (a preview).
BuildResult MakeSWF(const std::filesystem::path& outPath, bool attachUnusedSprites, const BuildLock& held);

// Compresses a finished movie in place (signature "CWS"). When it cannot,
// the movie stays untouched and the user is told, with the same message
// given back.
Result<void> CompressSWF(const std::filesystem::path& path);

// Writes one store item's definition and appends it to the file; nothing
// for an item already defined in this build (Mark -1).
void EmitStoreItem(const std::filesystem::path& outPath, const StoreItem& item, EmitMode mode);

// Per store index (0..N): 0 unused, 1 used material, 4 used sprite.
enum ItemUse : uint8_t { kUnused = 0, kUsedMaterial = 1, kUsedSprite = 4 };
void MarkUsedItems(const OneBased<EventRecord>& events, std::vector<uint8_t>& usage, bool attachUnused);

// Bit 1: used as a normal object somewhere; bit 2: used as a mask.
int16_t GetStoreItemUsage(const StoreItem& item);
bool EventRefsContain(const EventRecord& event, int32_t itemId);
bool EventUsesItem(const EventRecord& event, int32_t itemId);
bool SpriteContainsItem(int32_t itemId, int32_t timelineIndex, bool includeWorkingList);

// The build's module state: the cancel flag the cancel button sets.
struct BuildState {
  int16_t cancelBuild = 0;  // boolean, -1 cancel requested
};
BuildState& Build();

}  // namespace tesmiro::GUICore

namespace tesmiro::GUICore {

struct MovieFileResult {
  BuildResult result = BuildResult::Failed;
  // The finished file's size when the "C" option compressed it.
  std::optional<uintmax_t> compressedBytes;
  // The line that reports it ("圧縮 (12KB)"); the window shows it below the
  // build's own result line.
  std::string compressedLine() const;
};

// File > Make SWF after the path was chosen: shows the main timeline, builds,
// then compresses when the "C" option is set (for SWF 4 a warning instead)
// and writes the HTML page when asked. Neither happens after a cancelled or
// failed build.
MovieFileResult MakeMovieFile(const std::filesystem::path& outPath, bool saveHtml);

}  // namespace tesmiro::GUICore
