#pragma once
// The commands of the event list that change its events: stepping frame
// counts, depths and erase targets of the selected events, copy, cut, paste
// and delete, inserting an action event, selecting all. Each records at most one undo step, and none while a build runs.
// They yield to nothing: no step stays open across an event loop.
//
// The system clipboard is the window's: Copy and Cut return its text (the
// detail column of each row taken, with CR LF after each).
#include <cstdint>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::EventCommands {

// Frame counts of the selected events + step (materials at least 0;
// do-nothing actions at least 1, rollbacks always negative, both keeping the
// count in their first text too). Only the events that change are stored,
// recorded and redrawn. True when any changed.
bool StepValue(int32_t step);
// Depths of the selected material events + step (within -256..256), and
// every number of the selected erase actions' target lists. As StepValue.
bool StepTargets(int32_t step);
// An erase action's target list stepped: numbers outside -256..256 drop out;
// "" when none is left (the caller keeps the old list then).
std::string StepTargetList(const std::string& list, int32_t step);

// Copies the selected events into the event clipboard; the clipboard text.
std::string Copy();
// Copies (cut only) and deletes the selected events as one undo step; the
// current row moves to the row after them and is selected. Cut returns the
// clipboard text; the clipboard is emptied even when nothing is selected.
std::string Cut();
void Delete();
// Inserts the event clipboard at the current row as one undo step; false
// when it is empty.
bool Paste();
// The action event "to be chosen" inserted at the current row (one undo
// step); it becomes the current row.
bool AddAction();
EventRecord NewActionEvent();
// Every row but the end row selected.
void SelectAll();
// Inserts the records one after the other from row p as one undo step (the
// file list adds events for materials this way); the row after the last.
int32_t InsertEvents(std::vector<EventRecord> records, int32_t p);

}  // namespace tesmiro::EventCommands
