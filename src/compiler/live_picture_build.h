#pragma once
// The movie behind the event property dialog's live picture: the draw
// position and the move target as two events, written with the stage of the
// shown timeline (a sprite's own size) into the picture file of the preview
// folder. The caller reloads the picture only when the bytes changed.
#include <cstdint>
#include <filesystem>
#include <string>

#include "project/live_picture_records.h"
#include "project/records.h"
#include "swf/filter_state.h"

namespace tesmiro::LivePicture {

inline constexpr const char* kPictureFile = "_picttemp.tmp";

struct BuildRequest {
  PictureFields fields;
  FilterState startFilters;  // of the draw position
  FilterState endFilters;  // of the move target
  int operatedImage = 0;  // 0 draw position, 1 move target
  bool onlyOperated = false;  // "ｱｸﾃｨﾌﾞ"
  bool withMovie = false;  // "下": the whole preview movie underneath
  bool playing = false;  // the movie underneath plays (else it holds)
  int32_t frame = 1;  // of the movie underneath
  bool useCache = true;  // start from the definitions of the last build
  ProjectSettings stage;  // the movie settings with the shown timeline's stage
  std::filesystem::path path;  // the picture file
};

enum class BuildStatus {
  Changed,  // the picture file holds new bytes
  Unchanged,  // the same bytes as before: no reload needed
  Busy,  // a build runs, which owns the writer: nothing written
  Failed,  // the file could not be written
};

struct BuildOutcome {
  BuildStatus status = BuildStatus::Failed;
  PreviewRecords records;
  EventRecord operated;  // the record the handles act on
  uint32_t background = 0xFFFFFF;  // 0x00RRGGBB, of the stage
  int32_t timerInterval = 0;  // the playback tick, 0 = off
  // What the picture left out, in one line; empty when nothing.
  std::string leftOut;
};

// The project's settings are the same afterwards on every path.
BuildOutcome BuildLivePicture(const BuildRequest& request);

}  // namespace tesmiro::LivePicture
