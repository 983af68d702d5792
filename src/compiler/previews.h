#pragma once
// Preview movies: the whole movie or the selected events for the preview
// window, the browser or a player, and the small movies around one or two
// events for the event property dialog.
#include <cstdint>
#include <filesystem>
#include <string>

#include "compiler/movie_compiler.h"
#include "project/records.h"
#include "project/window_services.h"

namespace tesmiro::GUICore {

// The preview preferences the main window keeps.
struct PreviewOptions {
  int32_t previewFilePath = 0;    // 1 = preview files beside the saved project
  int32_t previewStreamSound = 0;  // 1 = start a running stream in a selected-events preview
  int32_t previewAttachSprite = 0;  // 1 = also define unplaced sprites there
  int32_t previewSelectedPlayer = 0;  // 0 window, 1 browser, 2 player
};
PreviewOptions& Previews();

inline constexpr const char* kPreviewMovie = "_preview.swf";
inline constexpr const char* kPreviewPage = "_preview.html";
inline constexpr const char* kPreviewSpriteName = "_SprPictPreview";
inline constexpr int32_t kPreviewSpriteCharacter = 50000;

// Folder of the preview files: the saved project's folder when asked for and
// still there, else the program's scratch folder.
std::filesystem::path GetPreviewFolder();

// True, once the user was told, when `folder` is the stand-in for a
// scratch folder that could not be made: previews have nowhere to go.
bool PreviewFolderMissing(const std::filesystem::path& folder);

// Where a preview is shown: the window services' own.
using ui::PreviewTarget;

// The whole movie (or the shown sprite), or the selected events only, for
// each target; the number is the menu's.
enum class PreviewMode : int32_t {
  Window = 1,
  Browser = 2,
  Player = 3,
  SelectedInWindow = 4,
  SelectedInBrowser = 5,
  SelectedInPlayer = 6,
};

// Builds "_preview.html" and the movie `name` in the preview folder and
// hands them to the window layer. Settings, working list and shown timeline
// are as before when it returns, on every path.
BuildResult RunPreview(PreviewMode mode, const std::string& name);

// The builders below share the one SWF writer with Make SWF: each refuses
// (false) while a build runs, which would otherwise write into its movie.

// The event property dialog's live picture: event A and event B, with the
// definitions kept in the writer's cache for the next call when useCache is
// set; with the placeholder the whole preview movie is loaded underneath and
// held at (frame > 0) or played from (frame < 0) that frame.
bool BuildEventPreviewSWF(const EventRecord& a, const EventRecord& b, const std::filesystem::path& path,
                          bool useCache, bool placeholder, int32_t frame);

// The text-effect dialog's preview: the text item's effect over `frames`
// frames, centred on the stage.
bool BuildTextEffectPreviewSWF(const StoreItem& item, int32_t frames, const std::filesystem::path& path);

// One event, each of its frames advancing, in the scratch folder.
bool BuildSingleEventPreviewSWF(const EventRecord& event, const std::string& name);

// Why the last of these builders could not write its movie at `path`: the
// writer's messages about the file ("ファイル [...] を書き込めません：..."),
// one a line, else a line that says it could not.
std::string PreviewWriteFailureText(const std::filesystem::path& path);

}  // namespace tesmiro::GUICore
