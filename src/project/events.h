#pragma once
// Editing the working event list: events by index, insertion and deletion by
// row position, unique label and sprite names, the event clipboard, record
// comparison and the event undo history.
//
// Index conventions: GetEvent/SetEvent take the 1-based event index;
// InsertEvent, DeleteEvent and CopyEventToClipboard take the 0-based row
// position p and act on event p + 1.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::GUICore {

int32_t EventCount();
// Copy of working event index; ZeroEvent() outside the list.
EventRecord GetEvent(int32_t index);
// Makes a label's name unique (also in the caller's record), then stores it
// when 1 <= index <= count and marks the project modified.
void SetEvent(int32_t index, EventRecord& record);
// Inserts as event p + 1 (p clamped to 0 .. count); result the new index.
int32_t InsertEvent(EventRecord& record, int32_t p);
// Removes event p + 1 when 0 <= p < count.
void DeleteEvent(int32_t p);
// What InsertEvent(records[j], positions[j]) for each j in order would do,
// in one pass over the list (labels renamed in the caller's records too);
// result the index of the last inserted event, 0 when none.
int32_t InsertEvents(std::vector<EventRecord>& records, const std::vector<int32_t>& positions);
// What DeleteEvent(p) for each p of `positions` in order would do, in one pass.
void DeleteEvents(const std::vector<int32_t>& positions);

// The name itself when free; otherwise "base(n)" with the first n from its
// own numeric suffix (or 1) upwards that is not taken. A numeric suffix is
// normalised ("N(07)" gives "N(7)"); a non-numeric one is part of the base.
std::string MakeUniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken);
std::string MakeUniqueEventName(const std::string& name, int32_t index);
std::string MakeUniqueItemName(const std::string& name);

// Byte equality in the project-file encoding, compared in memory.
bool EventsEqual(const EventRecord& a, const EventRecord& b);
bool StoreItemsEqual(const StoreItem& a, const StoreItem& b);

void ClearEventClipboard();
bool EventClipboardHasData();
void CopyEventToClipboard(int32_t p);
// Inserts the clipboard after the first p events as one undo step; result
// the index of the last inserted event, 0 when the clipboard is empty.
int32_t PasteEventClipboard(int32_t p);

void ClearEventUndo();
void BeginEventUndoStep();
void AddEventUndoRecord(int32_t index, const EventRecord& record, int16_t kind);
void CommitEventUndoStep();
bool CanEventUndo();
bool CanEventRedo();
void EventUndo();
void EventRedo();

}  // namespace tesmiro::GUICore
