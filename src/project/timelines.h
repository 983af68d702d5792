#pragma once
// Timelines, sprite tabs and the working event list. The event list edits a
// working copy of one timeline; it is written back on every switch and
// before anything reads all timelines (save, backup, build).
#include <cstdint>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::GUICore {

// Appends a timeline with no events; result its index.
int32_t NewTimeline(int32_t owner);
// Appends a copy of the source's events under a new owner; result its index
// (0 when the source does not exist: nothing is appended).
int32_t CloneTimeline(int32_t owner, int32_t source);
// Removes timeline index >= 1 with its sprite tab, showing the main timeline
// first when a sprite timeline is shown. The main timeline is never removed.
// The caller relinks the sprites (RelinkSpriteTimelines).
void DeleteTimeline(int32_t index);
// Switches the event list to a timeline (by index, or with byId by the
// sprite item's ID) with all view work: tabs, rows, header.
void ShowTimeline(int32_t target, bool byId);
// The data switch alone: write the working list back, switch, reload.
// Switching moves the lists, so the shown timeline's events live in the
// working list alone; writing back onto the shown timeline itself (before
// saving) leaves a copy in the timeline, for readers of every timeline.
void SelectTimelineData(int32_t target, bool byId);
// Drops that copy once the working list has changed: nobody reads it then.
void ReleaseShownTimelineCopy();
// The head line over the event list for the shown timeline.
void UpdateTimelineHeader();
std::string TimelineHeaderText();
uint32_t TimelineHeaderColor();

// Copy of a timeline; an empty main timeline when out of range.
Timeline GetTimeline(int32_t index);
int32_t TimelineCount();  // main timeline included
// Highest timeline index owned by the sprite, 0 when none.
int32_t FindTimelineOfSprite(int32_t spriteId);
// Index of the timeline with the in-memory identity, -1 when none exists.
int32_t FindTimelineByKey(uint64_t key);

// One entry of the sprite menu.
struct SpriteMenuEntry {
  std::string caption;  // "&" + timeline index padded to 5 + name + " (ID:" id ")"
  int32_t timeline = 0;
  int32_t spriteId = 0;
};
// Fills the sprite menu (entries from 1 in store order). False and no
// entries when there is no sprite timeline; position gets the entry of the
// shown timeline (unchanged when none).
bool BuildSpriteMenu(std::vector<SpriteMenuEntry>& entries, int32_t& position);

// Tab operations the main window uses: remove a tab (never tab 0).
void CloseSpriteTab(int32_t tabIndex);

}  // namespace tesmiro::GUICore
