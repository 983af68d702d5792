#pragma once
// The event property dialog's preview button: the one edited event as a
// movie of its own, played in the preview window.
#include <cstdint>

#include "project/records.h"

namespace tesmiro::GUICore {

inline constexpr const char* kEventPreviewMovie = "_eventpreview.swf";

enum class EventPreviewResult {
  Shown,
  Busy,    // a build runs: nothing was written or shown
  Failed,  // the movie could not be written (reported)
};

// Closes the preview window, writes "_eventpreview.swf" into the scratch
// folder with the stage of the shown timeline (a sprite's own size, no
// loading screen) and hands it to the preview window at that size. The
// project's settings are the same afterwards on every path.
EventPreviewResult RunEventPreview(const EventRecord& event);

}  // namespace tesmiro::GUICore
