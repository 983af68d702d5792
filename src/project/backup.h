#pragma once
// The automatic backup: while the project has unsaved changes, a timer of
// the main window rewrites the program's backup in the state folder; the next
// start offers to restore it. Layout: "TSMBUP", a record shaped like a store
// item holding the project path and the time of writing, then the project
// body (events always "0A3", paths absolute).
//
// Each running program owns a backup of its own: "_autobackup.tmp" while no
// other running program has it, else "_autobackup-2.tmp" and so on. A lock
// file beside it ("_autobackup.lock", "_autobackup-2.lock", ...), locked for
// the program's life, tells whose it is; the system lets the lock go when a
// program dies, so that the backup it left is offered by the next start.
//
// Where the folder's file system takes no locks (a network one without a
// lock service), whose backup is whose cannot be told, which the status
// line says once: a program then owns the lowest number with no backup,
// the start offers every backup, and none goes that the user was not asked
// about.
#include <filesystem>
#include <string>

#include "platform/scoped_install.h"

namespace tesmiro::GUICore {

inline constexpr const char* kAutoBackupFile = "_autobackup.tmp";

// This program's backup in the state folder of the model's paths. The first
// call takes the lowest number no running program holds and no backup left
// by an ended one occupies (that one stays for a start to offer); the lock
// stays while the state folder does. Where no lock can be had (the folder
// missing or read-only) the plain name, whose write then fails and says so.
std::filesystem::path AutoBackupPath();

// Called by every tick of the backup timer with skip = false, and with
// skip = true by saving and by the shut-down, which only removes the file.
// Unmodified projects remove an old backup and write none. A new backup
// replaces the old one atomically, so that a crash while writing leaves
// the previous one; while a build or preview runs, or the start offers
// backups, the tick does nothing. The backups of ended programs that the
// start offered go with this program's own once it is written or removed.
// A failed write is told on the status line once, until a write works
// again, which is told too; the caption always gets its " +" mark removed.
void WriteAutoBackup(const std::filesystem::path& backupPath, bool skip);

// The start-up's offer: every backup in the state folder whose program is
// not running (this program's own included) is offered in turn, one
// question each, until one is restored; those not asked then stay for the
// next start. Result: whether a project was restored.
bool RestoreAutoBackups();

// Offers the backup for restoring (a Yes/No question) and restores it into
// a new project marked modified. Declined, it leaves a new project and no
// status text. One that cannot be read or is damaged is told in a message
// box and leaves a new project and the status "プロジェクトの復元に失敗しました".
// A missing file does nothing. Result: whether a project was restored.
bool RestoreAutoBackup(const std::filesystem::path& backupPath);

// For tests: `call` stands in for flock(2) on the lock files while the
// handle lives, so that a lock can fail as on a network file system.
using LockCall = int (*)(int fd, int operation);
class ScopedLockCall : private ScopedValue<LockCall> {
 public:
  explicit ScopedLockCall(LockCall call);
};

}  // namespace tesmiro::GUICore
