#pragma once
// Merging another project file into the open one: its store items are
// appended under new IDs, its sprite timelines appended, and the events of
// its main timeline appended to the working list, made into a new sprite,
// or left out. Every store-item reference in the imported records follows
// the new IDs.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"
#include "project/records.h"

namespace tesmiro::GUICore {

// Option bits of ImportProject.
inline constexpr int32_t kImportSkipMainEvents = 1;
inline constexpr int32_t kImportMainAsSprite = 2;  // wins over kImportSkipMainEvents
inline constexpr int32_t kImportReuseDuplicates = 4;

// Imported IDs below `idLimit` are shifted by `idOffset` (and further up, or
// down for folders, until free); IDs at or above it keep their value and
// replace the store item that has it. The final IDs are worked out before
// anything changes: when one would exceed 9999, or the store would
// overflow, nothing is imported and the result is a message saying so.
// A failure carries the reader's text (the caller puts "ファイル [" name
// "] " in front) or that message. After an import, one "警告" names the
// materials whose files are neither at their stored path nor beside the
// imported project.
Result<void> ImportProject(const std::string& path, int32_t idOffset, int32_t idLimit, int32_t options,
                          const std::string& spriteName, int32_t spriteId);

// Replaces `id` by the new ID of the first imported item whose old ID it
// is; any other ID stays.
void RemapID(int32_t& id, const std::vector<int32_t>& oldIds, const std::vector<StoreItem>& imported);

}  // namespace tesmiro::GUICore
