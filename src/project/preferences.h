#pragma once
// The user's preferences: one field per key of the settings file
// "tesmiro.ini" (config folder), read once at start-up and written back at a
// normal exit. Window positions and sizes are twips of the screen (15 per
// pixel here); splitter positions are pixels.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/result.h"
#include "project/event_colors.h"

namespace tesmiro {

class IniFile;

struct Preferences {
  // [Tesmiro] — window geometry. Missing keys keep what the caller put here
  // before loading (the windows' current values).
  int16_t windowState = 0;  // 0 normal, 1 minimised, 2 maximised
  float left = 0, top = 0, width = 0, height = 0;  // outer rectangle, twips
  float columnSplit = 0, infoPanelSplit = 0, scriptPanelSplit = 0;  // pixels
  int32_t epLeft = 0, epTop = 0, epWidth = 0, epHeight = 0;  // event property dialog
  int32_t pwLeft = 0, pwTop = 0;  // preview window
  int32_t fwLeft = 0, fwTop = 0;  // material property dialog
  int32_t posFilelistWindow = 0;  // 1: material dialog at fwLeft/fwTop; 0: at the mouse
  int32_t seLeft = 0, seTop = 0, seWidth = 0, seHeight = 0;  // script editor window
  int16_t dispScriptEditor = 0;  // boolean: check of View > script editor
  int32_t twLeft = 0, twTop = 0, twWidth = 0, twHeight = 0;  // trace window

  int32_t mouseWheelScroll = 1;  // rows per wheel notch, 1 to 16
  int32_t filelistHistoryMax = 50;
  int32_t filelistMultiSelect = 0;
  int32_t alwaysEventSync = 0;
  int32_t sortFileList = 1;  // kept for the file's sake; nothing reads it
  int32_t pictEventPreview = 0;  // bit 0 preview pane expanded, bit 1 live preview
  int32_t doubleClickProperty = 0;
  int32_t dispEventProperty = 0;
  int32_t posEventDialog = 1;
  int32_t windowTopward = 63;
  int32_t useVerticalFont = 0;
  int32_t dockScriptEditor = 0;
  int32_t previewFilePath = 0;
  float autoBackUpInterval = 1;  // minutes
  int32_t dispSpriteTab = 0;
  int32_t previewUseIE = 0;
  int32_t previewSAPlayer = 0;
  int32_t saveHTML = 0;
  std::string saPlayerFileName;
  int32_t previewStreamSound = 1;
  int32_t previewAttachSprite = 0;
  int32_t previewSelectedPlayer = 0;
  // The recent projects live in GUICore::RecentFiles().

  // [EventList]; the colour table lives in EventListModule::EventColors().
  std::string iconFilePath;
  int32_t eventListIcon = 1;
};

namespace Prefs {

inline constexpr const char* kPreferenceFile = "tesmiro.ini";
inline constexpr int32_t kMaxBackupIntervalMs = 24 * 60 * 60 * 1000;

// The live preferences of the program.
Preferences& Current();
void ResetState();

// Reads every key over `p` (missing keys keep p's values, except the keys
// with a fixed default, which take it), the recent projects into
// GUICore::RecentFiles() and the colour sets into the event colour table.
// Left, Top, Width and Height are read only for a normal window state.
void Load(const IniFile& ini, Preferences& p);
// Writes every key in the program's order (a new file lists them so); the
// keys whose values the file's encoding cannot hold are left as they were
// and come back.
std::vector<std::string> Save(IniFile& ini, const Preferences& p);

// The settings file of the config folder: missing gives the values as they
// are; one that is there but cannot be read too, and the user is told at
// once why, and that the settings will not be saved: SaveFile then leaves
// that file alone without a second message. Save keeps every other line of
// the file; when it cannot be written (the old file stays), or some value
// could not be written into it, the user is told why, and the message also
// comes back.
void LoadFile(const std::filesystem::path& path, Preferences& p);
Result<void> SaveFile(const std::filesystem::path& path, const Preferences& p);

// The backup timer's interval in milliseconds for an interval in minutes:
// 0 (off) for 0, negative or not a number; at most 24 hours.
int32_t BackupIntervalMs(double minutes);

}  // namespace Prefs
}  // namespace tesmiro
