#pragma once
// The automatic backup: while the project has unsaved changes, a timer of
// the main window rewrites "_autobackup.tmp" in the state folder; the next
// start offers to restore it. Layout: "TSMBUP", a record shaped like a store
// item holding the project path and the time of writing, then the project
// body (events always "0A3", paths absolute).
#include <filesystem>
#include <string>

namespace tesmiro::GUICore {

inline constexpr const char* kAutoBackupFile = "_autobackup.tmp";

// "_autobackup.tmp" in the state folder of the model's paths.
std::filesystem::path AutoBackupPath();

// Called by every tick of the backup timer with skip = false, and with
// skip = true by saving and by the shut-down, which only removes the file.
// Unmodified projects remove an old backup and write none. A new backup
// replaces the old one atomically, so that a crash while writing leaves
// the previous one; while a build or preview runs the tick does nothing.
// Failures are silent (the next tick tries again); the caption always gets
// its " +" mark removed again.
void WriteAutoBackup(const std::filesystem::path& backupPath, bool skip);

// Offers the backup for restoring (a Yes/No question) and restores it into
// a new project marked modified. A declined, unreadable or damaged backup
// leaves a new project and the status "プロジェクトの復元に失敗しました".
// A missing file does nothing. Result: whether a project was restored.
bool RestoreAutoBackup(const std::filesystem::path& backupPath);

}  // namespace tesmiro::GUICore
