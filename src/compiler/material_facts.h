#pragma once
// What the windows need to know of a material's file: its picture size,
// video and sound facts for the information panel, and the frame count an
// event of the material runs for.
#include <cstdint>

#include "project/info_panel.h"
#include "project/records.h"

namespace tesmiro::GUICore {

// The facts of the item's file, found as project paths are resolved
// (relative to the project, without regard to case, beside the project).
InfoPanel::MaterialFacts ProbeMaterial(const StoreItem& item);

// A video's frame count, or a text effect's in, out and hold frames; 0 when
// the material does not decide it.
int32_t MaterialEventFrames(const StoreItem& item);

}  // namespace tesmiro::GUICore
