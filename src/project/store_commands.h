#pragma once
// The file list's commands: materials added from paths (files and dropped
// folders), from the add-file dialog and as new folders, texts and sprites;
// the selected materials deleted, duplicated, opened, and turned into events
// of the shown timeline. Each command that changes the store is one store
// undo step; adding events is one event undo step.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/file_dialogs.h"
#include "project/records.h"

namespace tesmiro::StoreCommands {

// What an add of files left out: one line per path, naming it and why.
using LeftOut = std::vector<std::string>;

// Adds the paths at the insert position (row, mode), which moves on past
// every added item. When the first path is a folder, only that folder's
// plain files are added (sorted by name, hidden files and subfolders left
// out), into a new open folder named after it (mode 0) or into the folder
// on the insert row (mode 1); a folder that cannot be listed adds nothing.
// Then the rows are rebuilt, the rows of the paths (added or already there)
// end selected with the cursor on the last, and the cursor's item is shown.
// True when the store grew. No undo step. What was not added, but for a full
// store (told at once), goes to `leftOut`.
bool ListJpegStoreAddFiles(const std::vector<std::string>& paths, int32_t& row, int32_t& mode,
                           LeftOut* leftOut = nullptr);

// Deletes the items of the selected rows (a folder with its subtree, a
// sprite with its timeline); the cursor row, clamped to the shorter list,
// ends selected. True when anything was deleted. No undo step.
bool ListJpegStoreDelete();

// The commands as the menus and keys run them, each one undo step. The add
// commands use the list's insert position (FileListModule::Current()). What
// an add leaves out goes to `leftOut`; without one, a "警告" names it at once.
bool AddFilesAtInsertPosition(const std::vector<std::string>& paths, LeftOut* leftOut = nullptr);
bool DeleteSelected();

// The line of a dropped link that names no file of this machine.
std::string LinkLeftOut(const std::string& link);
// The "警告" that names what an add left out; nothing when it left out nothing.
void ReportLeftOut(const LeftOut& leftOut);
// A "警告" of the header and the lines (the first 20 and how many more);
// nothing without lines.
void WarnWithList(const std::string& header, const std::vector<std::string>& lines);

// Filters of the add-file dialog for the SWF version (phone sound formats
// for SWF 4 only).
std::string AddFileFilter(int16_t swfVersion);
// Shows the add-file dialog and adds what was chosen; false when cancelled
// or nothing was added.
bool AddFilesFromDialog();

// The material property exchange of the selected items: fills the dialog,
// shows it and reads it back; true when an item changed. Until the dialog
// exists the command goes on with the new item's defaults.
using PropertyExchange = std::function<bool()>;

// A new folder ("folder"), text ("txt") or sprite ("sprite") before the
// item of the cursor row, selected and current, then its property dialog;
// one undo step. Result the new item's ID (after the dialog), 0 when
// nothing was added.
int32_t AddNewItem(const std::string& kindKey, const PropertyExchange& properties);

// Copies the selected items (folders with their contents, sprites with
// their timelines) to the insert position and shows the cursor's item; one
// undo step. False when nothing was copied.
bool ListJpegStoreDuplicate(int32_t& row, int32_t& mode);
bool DuplicateSelected();

// The frame count an event of the material runs for when the material says
// so itself: a video's frames, a text effect's in, out and hold frames; 0
// when it does not (the event then gets one frame).
using MaterialFrames = std::function<int32_t(const StoreItem&)>;
// The event made for a material.
EventRecord EventForMaterial(const StoreItem& item, const MaterialFrames& frames);
// One event per selected material (folders skipped), inserted in list order
// at the event list's current row, as one event undo step; the current row
// ends behind the last of them. Result the number of events inserted.
int32_t ListJpegStoreAddEvent(const MaterialFrames& frames);

// Selects every row; false when there is none.
bool SelectAllStore();
// The file of the cursor row's material, for opening it or showing it in
// its folder: where it was found, else as the project names it (`found`
// false). The path is empty when the row holds no file.
struct MaterialFile {
  std::string path;
  bool found = false;
};
MaterialFile CursorMaterialFile();

}  // namespace tesmiro::StoreCommands
