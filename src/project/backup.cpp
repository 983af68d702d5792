#include "project/backup.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/paths.h"
#include "project/project_file.h"
#include "project/record_bytes.h"
#include "project/store_item_swap.h"
#include "project/timelines.h"

namespace tesmiro::GUICore {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRestoreFailedText = "プロジェクトの復元に失敗しました";
// More programs than this at once are not expected; the next one goes
// without a lock.
constexpr int kMaxBackups = 99;

// A lock file open with its lock taken; closing it lets the lock go.
class HeldLock {
 public:
  HeldLock() = default;
  explicit HeldLock(int fd) : fd_(fd) {}
  HeldLock(HeldLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  HeldLock& operator=(HeldLock&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~HeldLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

LockCall lockCall = ::flock;

// Unlockable: the folder's file system takes no locks (a network one
// without a lock service), so nothing tells whose a backup is.
enum class Taken { Held, Busy, Unlockable, Impossible };

// Lock files are never removed, so that two programs locking one name
// always lock the same file. A network file system carries the lock out
// as a write lock, which needs the file open for writing; on a read-only
// mount only reading is allowed, and local locks work with that.
Taken TakeLock(const fs::path& path, HeldLock& lock) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EROFS || errno == EACCES))
    fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Taken::Impossible;
  if (lockCall(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Taken::Busy : Taken::Unlockable;
  }
  lock = HeldLock(fd);
  return Taken::Held;
}

std::string Numbered(int number, const char* extension) {
  return number == 1 ? std::string("_autobackup") + extension
                     : "_autobackup-" + std::to_string(number) + extension;
}
fs::path BackupFile(const fs::path& folder, int number) { return folder / Numbered(number, ".tmp"); }
fs::path LockFile(const fs::path& folder, int number) { return folder / Numbered(number, ".lock"); }

// The number of a backup's file name; 0 for any other file.
int NumberOf(const std::string& name) {
  if (name == kAutoBackupFile) return 1;
  const std::string prefix = "_autobackup-", suffix = ".tmp";
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) return 0;
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 2 || digits[0] == '0' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  const int number = std::stoi(digits);
  return number >= 2 && number <= kMaxBackups ? number : 0;
}

struct Backup {
  int number = 0;  // 0: none
  HeldLock lock;
};

// The backups of the state folder this program answers for.
struct Backups {
  fs::path folder;
  Backup own;
  // Offered at the start though another program left them: they go when
  // this program's own backup is written or removed.
  std::vector<Backup> adopted;
  bool offering = false;
  bool failing = false;  // the last write failed, and the user was told
  // No lock works in the folder, learnt from the first that failed: no
  // more are tried, and every backup counts as an ended program's.
  bool unlockable = false;
};

Backups& Current() {
  static Backups backups;
  return backups;
}

// Whether the lock is still on the file under the lock's name: when the
// state folder was removed while the program ran, another program could
// take the name anew.
bool StillLocked(const Backups& b) {
  struct stat held {}, named {};
  return ::fstat(b.own.lock.fd(), &held) == 0 && ::stat(LockFile(b.folder, b.own.number).c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

Backups& BackupsOf(const fs::path& folder) {
  Backups& b = Current();
  if (b.offering) return b;
  if (b.folder != folder) {
    b = Backups{};
    b.folder = folder;
  } else if (b.own.lock.fd() >= 0 && !StillLocked(b)) {  // without a lock the number stays
    b.own = Backup{};
    b.adopted.clear();
  }
  return b;
}

// While the start offers backups, ticks leave them be.
class Offering {
 public:
  explicit Offering(Backups& b) : b_(b) { b_.offering = true; }
  ~Offering() { b_.offering = false; }
  Offering(const Offering&) = delete;
  Offering& operator=(const Offering&) = delete;

 private:
  Backups& b_;
};

// A lock that failed otherwise than by being held: told once.
Taken Learnt(Backups& b, Taken taken) {
  if (taken == Taken::Unlockable && !b.unlockable) {
    b.unlockable = true;
    ui::Current().messages->status("フォルダ [" + b.folder.string() +
                                   "] ではファイルをロックできないため、複数のウィンドウの自動バックアップを区別できません");
  }
  return taken;
}

Taken Lock(Backups& b, int number, HeldLock& lock) {
  return b.unlockable ? Taken::Unlockable : Learnt(b, TakeLock(LockFile(b.folder, number), lock));
}

// The lowest number no running program holds; with `leaveLeft`, also none
// whose backup a program that ended left. Without locks every backup may
// be one that is left, so none is taken over.
void TakeOwn(Backups& b, bool leaveLeft) {
  if (b.own.number > 0 || b.folder.empty()) return;
  for (int number = 1; number <= kMaxBackups; ++number) {
    HeldLock lock;
    const Taken taken = Lock(b, number, lock);
    if (taken == Taken::Impossible) return;
    if (taken == Taken::Busy ||
        ((leaveLeft || taken == Taken::Unlockable) && fileio::Exists(BackupFile(b.folder, number))))
      continue;
    b.own = Backup{number, std::move(lock)};
    return;
  }
}

void RemoveAdopted(Backups& b) {
  for (const Backup& left : b.adopted) {
    std::error_code ec;
    fs::remove(BackupFile(b.folder, left.number), ec);
  }
  b.adopted.clear();
}

void TellWrite(Backups& b, const std::string& failure) {
  if (failure.empty() && b.failing) ui::Current().messages->status("自動バックアップを保存しました");
  if (!failure.empty() && !b.failing) ui::Current().messages->status("自動バックアップを保存できません。" + failure);
  b.failing = !failure.empty();
}

std::string NowText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
  return buf;
}

enum class Offered { Missing, Restored, Declined, Failed };

void NewProjectWithoutPath() {
  State().projectPath.clear();
  NewProject();
}

Offered Unreadable(const std::string& reason) {
  ui::Current().messages->message("エラー", "自動バックアップを読み込めません。\n" + reason, ui::Icon::Critical);
  NewProjectWithoutPath();
  ui::Current().messages->status(kRestoreFailedText);
  return Offered::Failed;
}

std::string Damaged(const fs::path& backupPath) { return "ファイル [" + backupPath.string() + "] は壊れています。"; }

Offered Offer(const fs::path& backupPath) {
  if (!FileExists(backupPath.string())) return Offered::Missing;
  auto bytes = fileio::ReadAllBytes(backupPath);
  if (!bytes) return Unreadable(bytes.message());
  ByteReader r(*bytes);
  if (r.str(TSMModule::kBackupMagic.size()) != TSMModule::kBackupMagic) return Unreadable(Damaged(backupPath));
  StoreItem info = TSMModule::ReadStoreItem(r);
  if (!r.ok()) return Unreadable(Damaged(backupPath));

  std::string name = info.name.empty() ? std::string("(新規)") : GetFileNamePart(info.name);
  ui::Answer answer = ui::Current().messages->message(
      "Tesmiro", "前回終了時に編集中だったプロジェクト\n [ " + name + " ] (" + info.font + ")\nを復元しますか？",
      ui::Icon::Question, ui::Buttons::YesNo);
  if (answer != ui::Answer::Yes) {
    NewProjectWithoutPath();
    return Offered::Declined;
  }

  Result<TSMModule::ProjectData> data =
      TSMModule::ReadProjectBody(r, TSMModule::EventLayout::V0A3, GetFolderPart(backupPath.string()));
  if (!data) return Unreadable(Damaged(backupPath));

  NewProject();
  State().projectPath = info.name;
  SetCaption(info.name.empty() ? std::string(kNewProjectCaption) : "[ " + name + " ] - Tesmiro");
  InstallProject(std::move(*data));
  SetModified(true);
  ui::Current().messages->status("プロジェクトを復元しました：" + GetFileNamePart(info.name));
  return Offered::Restored;
}

}  // namespace

std::filesystem::path AutoBackupPath() {
  Backups& b = BackupsOf(State().paths.state);
  TakeOwn(b, true);
  return BackupFile(b.folder, std::max(b.own.number, 1));
}

void WriteAutoBackup(const std::filesystem::path& backupPath, bool skip) {
  Backups& b = BackupsOf(State().paths.state);
  // What the start is offering stays until the user has answered.
  if (b.offering) return;
  std::error_code ec;
  if (skip || !HasUnsavedChanges()) {
    std::filesystem::remove(backupPath, ec);
    RemoveAdopted(b);
    return;
  }
  // The build reads the model between its progress lines, and a dialog may
  // have a store item stood in for; the next tick catches up.
  if (BuildInProgress() || StoreItemSwapped()) return;

  Model& m = State();
  const std::string caption = Caption();
  SetCaption(caption + " +");
  SelectTimelineData(m.shownTimeline, false);

  StoreItem info;  // the record's other fields stay zero and empty
  info.name = m.projectPath;
  info.font = NowText();
  // Written as it is encoded, a chunk at a time. A project that cannot be
  // encoded keeps the previous backup, which is older but still loads.
  fileio::ReplacementFile file(backupPath);
  ByteWriter w;
  w.setSink(TSMModule::ProjectFileSink(file), size_t{1} << 20);
  TESMIRO_GCC12_COPY_WARNINGS_OFF
  w.bytes(TSMModule::kBackupMagic);
  TESMIRO_GCC12_COPY_WARNINGS_ON
  Result<void> encoded = WriteStoreItem(w, info);
  if (encoded) encoded = TSMModule::WriteProjectBody(w, m.settings, m.store, m.timelines, nullptr);
  const bool written = encoded && file.commit();
  SetCaption(caption);
  if (written) RemoveAdopted(b);
  TellWrite(b, written ? std::string() : !file.ok() ? file.error() : encoded.message());
}

bool RestoreAutoBackups() {
  Backups& b = BackupsOf(State().paths.state);
  TakeOwn(b, false);
  if (b.folder.empty()) return false;
  // Held while offered, so that no other start offers them too or takes
  // their names. A lock file that cannot be made (a read-only folder) is
  // held by nobody either, nor is any where locks do not work.
  std::vector<Backup> ownerless;
  std::error_code ec;
  for (fs::directory_iterator it(b.folder, ec), end; !ec && it != end; it.increment(ec)) {
    const int number = NumberOf(it->path().filename().string());
    if (number == 0) continue;
    HeldLock lock;
    const Taken taken = number == b.own.number ? Taken::Held : Lock(b, number, lock);
    std::error_code absent;
    if (taken == Taken::Held || taken == Taken::Unlockable ||
        (taken == Taken::Impossible && !fs::exists(LockFile(b.folder, number), absent)))
      ownerless.push_back(Backup{number, std::move(lock)});
  }
  std::sort(ownerless.begin(), ownerless.end(), [](const Backup& x, const Backup& y) { return x.number < y.number; });

  const Offering offering(b);
  for (Backup& left : ownerless) {
    const Offered offered = Offer(BackupFile(b.folder, left.number));
    if (left.number != b.own.number) b.adopted.push_back(std::move(left));
    if (offered == Offered::Restored) return true;
  }
  return false;
}

bool RestoreAutoBackup(const std::filesystem::path& backupPath) {
  const Offering offering(BackupsOf(State().paths.state));
  return Offer(backupPath) == Offered::Restored;
}

ScopedLockCall::ScopedLockCall(LockCall call) : ScopedValue(lockCall, call) {}

}  // namespace tesmiro::GUICore
