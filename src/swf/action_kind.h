#pragma once
// What an action event does: kept in the project file as a 16-bit number.
#include <cstdint>

namespace tesmiro {

enum class ActionKind : int16_t {
  Label = 0,
  JumpToLabel = 1,
  GetURL = 2,
  Play = 3,
  Stop = 4,
  NextFrame = 5,
  PreviousFrame = 6,
  JumpToFrame = 7,
  StopSounds = 8,
  EraseImages = 9,
  StartMusicSync = 10,
  StopMusicSync = 11,
  DoNothing = 12,
  Script = 13,
  Rollback = 14,
};

}  // namespace tesmiro
