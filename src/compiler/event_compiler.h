#pragma once
// The event compiler: one event of a timeline becomes writer calls at the
// writer's current frame.
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "project/records.h"

namespace tesmiro::GUICore {

// What a build compiles for: a movie; one-event previews (every placement
// frame advances, sounds left out); the event dialog's live preview (sounds
// left out).
enum class EmitMode : int16_t { Movie = 0, EventPreview = 1, LivePreview = 2 };

// Compiles one event. `index` is its 1-based position in the working event
// list; a negative value -k forces material kind k and places the event's
// item ID itself as the character (the previews' own characters).
// The writer's messages are told before it returns.
void CompileEvent(const std::filesystem::path& outPath, const EventRecord& event, EmitMode mode, int32_t index);

// Tells the user, in the order they happened, what the writer recorded to be
// told at once (parts left out, scripts that did not compile) and takes them
// off its list; the listed diagnostics stay for the end of the build.
void ShowWriterMessages();

// Why the writer could not write the movie at `path`, for the user: its file
// errors as they are, and what it refused when it finished the movie (past
// the last frame, too large), each after the file's name.
std::string MovieFailureText(const std::filesystem::path& path);

float EaseRatio(int32_t easing, int32_t frame, int32_t total);

// Position on the event's path at ratio r, in twips.
void BuildMotionFrames(int16_t guideMode, const std::vector<GuideAnchor>& anchors, int32_t startX,
                       int32_t startY, int32_t endX, int32_t endY, float r, float& x, float& y);

void InterpolateFilterState(FilterState& result, const FilterState& start, const FilterState& end, float r);
void EncodeFilterValues(FilterParams& result, const FilterParams& start, const FilterParams& end, float r);

// The nearest label from the event at `index` in `direction` (+1, -1), ""
// when there is none.
std::string ResolveRelativeLabel(int32_t index, int32_t direction);

// Font key of a text item: font name, "0" edit text / "1" static text,
// "Bo" bold, "It" italic.
std::string FontKey(const StoreItem& item);
// The texts of every text item with that key, in store order.
std::string CollectTextsForFont(const std::string& key);

// The event compiler's module state.
struct EventCompilerState {
  int16_t musicSyncActive = 0;  // boolean
  // Items whose definition the movie being written left out (a missing or
  // unusable file): their events and button states place nothing.
  std::unordered_set<int32_t> leftOut;
};
EventCompilerState& CompilerState();

}  // namespace tesmiro::GUICore
