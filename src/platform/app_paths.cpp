#include "platform/app_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/file_io.h"

namespace tesmiro {
namespace fs = std::filesystem;

// The lock file of a scratch folder, open and locked for the life of the
// run that made the folder. Closing it (as the system does when the run
// dies) releases the lock.
struct ScratchLock {
  int fd = -1;
  ~ScratchLock() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

constexpr const char* kScratchPrefix = "tesmiro-";
constexpr const char* kScratchLockFile = ".running";

// The folders that scratch folders are made in, in the order tried.
std::vector<fs::path> ScratchBases() {
  std::vector<fs::path> bases;
  if (const char* t = std::getenv("TMPDIR"); t && *t) bases.emplace_back(t);
  bases.emplace_back("/tmp");
  return bases;
}

bool IsScratchName(std::string_view name) {
  // mkdtemp replaces the six X by letters and digits.
  if (name.size() != std::string_view(kScratchPrefix).size() + 6 || !name.starts_with(kScratchPrefix)) return false;
  return std::all_of(name.end() - 6, name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

// The host name and boot id, one line each, that a lock file holds after
// the pid. Where several machines share the temporary folder and each keeps
// its locks to itself (NFS with nolock or local_lock), another machine's
// lock looks free: only the system that made a folder can tell from its
// lock whether the run has ended. The boot id tells it from a machine of
// the same name; the folders of its own earlier boots stay too.
std::string ThisSystem() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  std::string boot;
  if (const auto id = fileio::ReadHead("/proc/sys/kernel/random/boot_id", 64)) boot.assign(id->begin(), id->end());
  while (!boot.empty() && boot.back() == '\n') boot.pop_back();
  return std::string(host) + "\n" + boot + "\n";
}

// The lock is taken before the file gets its content, so a lock that can
// be taken on a file with content was let go by a run that has ended; an
// empty one belongs to a run that is still starting.
std::shared_ptr<ScratchLock> LockScratch(const fs::path& folder) {
  auto lock = std::make_shared<ScratchLock>();
  lock->fd = ::open((folder / kScratchLockFile).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock->fd < 0) return nullptr;
  if (::flock(lock->fd, LOCK_EX) != 0) {
    ::unlink((folder / kScratchLockFile).c_str());
    return nullptr;
  }
  // Should this fail, the file stays empty and the folder is never taken
  // for a left one.
  const std::string owner = std::to_string(::getpid()) + "\n" + ThisSystem();
  [[maybe_unused]] const ssize_t written = ::write(lock->fd, owner.data(), owner.size());
  return lock;
}

// Whether the lock file `lock`, taken, names `system` after its pid. One
// without (an earlier version's) may be another machine's.
bool MadeBy(int lock, const std::string& system) {
  char content[512];
  const ssize_t n = ::pread(lock, content, sizeof content, 0);
  if (n <= 0) return false;
  const std::string_view text(content, static_cast<size_t>(n));
  const size_t pidEnd = text.find('\n');
  return pidEnd != std::string_view::npos && text.substr(pidEnd + 1) == system;
}

// Whether the folder `name` in `base` is a scratch folder of the user's,
// made on `system`, whose run has ended. Then `heldLock` keeps its lock
// taken until the folder is gone, so that no other start removing left
// folders at the same time is in the way.
bool LeftBehind(int base, const char* name, const std::string& system, int& heldLock) {
  struct stat seen {};
  if (::fstatat(base, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) || seen.st_uid != ::geteuid())
    return false;
  const int folder = ::openat(base, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return false;
  struct stat opened {};
  const bool same = ::fstat(folder, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino;
  const int lock = same ? ::openat(folder, kScratchLockFile, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC) : -1;
  ::close(folder);
  if (lock < 0) return false;
  struct stat file {};
  if (::flock(lock, LOCK_EX | LOCK_NB) == 0 && ::fstat(lock, &file) == 0 && S_ISREG(file.st_mode) &&
      file.st_uid == ::geteuid() && MadeBy(lock, system)) {
    heldLock = lock;
    return true;
  }
  ::close(lock);
  return false;
}

fs::path EnvOr(const char* var, const fs::path& fallback) {
  const char* v = std::getenv(var);
  if (v && *v && fs::path(v).is_absolute()) return fs::path(v);
  return fallback;
}

fs::path Home() {
  const char* h = std::getenv("HOME");
  return h && *h ? fs::path(h) : fs::path("/tmp");
}

// A private folder under TMPDIR, or under /tmp when TMPDIR names no usable
// folder, locked for this run.
void MakeScratch(AppPaths& paths) {
  for (const fs::path& base : ScratchBases()) {
    std::string tmpl = (base / (std::string(kScratchPrefix) + "XXXXXX")).string();
    if (char* made = ::mkdtemp(tmpl.data())) {
      paths.scratch = fs::path(made);
      // Without its lock the folder is used all the same; only a later run
      // will not remove it should this one be killed.
      paths.scratchLock = LockScratch(paths.scratch);
      return;
    }
  }
  paths.scratch = AppPaths::kNoScratch;
}

}  // namespace

AppPaths AppPaths::InFolder(const fs::path& folder) {
  return AppPaths{folder, folder, folder, folder, folder, nullptr};
}

void AppPaths::RemoveLeftScratch() {
  const std::string system = ThisSystem();
  for (const fs::path& base : ScratchBases()) {
    DIR* listing = ::opendir(base.c_str());
    if (!listing) continue;
    while (const dirent* entry = ::readdir(listing)) {
      int lock = -1;
      if (!IsScratchName(entry->d_name) || !LeftBehind(::dirfd(listing), entry->d_name, system, lock)) continue;
      std::error_code ec;
      fs::remove_all(base / entry->d_name, ec);
      ::close(lock);
    }
    ::closedir(listing);
  }
}

AppPaths AppPaths::ForExecutable(const fs::path& exe) {
  std::error_code ec;
  fs::path dir = exe.parent_path();
  fs::path ini = dir / "tesmiro.ini";
  if (fs::is_regular_file(ini, ec) && ::access(ini.c_str(), W_OK) == 0) return InFolder(dir);

  AppPaths p;
  // Installed: <prefix>/share/tesmiro; in the build tree the build links
  // the source tree's resources/ beside the executable.
  fs::path share = dir.parent_path() / "share" / "tesmiro";
  p.resources = fs::is_directory(share, ec) ? share : dir / "resources";
  p.config = EnvOr("XDG_CONFIG_HOME", Home() / ".config") / "tesmiro";
  p.userData = EnvOr("XDG_DATA_HOME", Home() / ".local" / "share") / "tesmiro";
  p.state = EnvOr("XDG_STATE_HOME", Home() / ".local" / "state") / "tesmiro";
  MakeScratch(p);
  return p;
}

std::vector<std::string> AppPaths::ensure() const {
  struct Role {
    const fs::path* folder;
    const char* name;
    const char* consequence;
  };
  const Role roles[] = {{&config, "設定用のフォルダ", "\n既定の設定で続けます。設定は保存されません。"},
                        {&userData, "ユーザー用のフォルダ", ""},
                        {&state, "自動バックアップ用のフォルダ", "\n自動バックアップは保存されません。"}};
  std::vector<std::string> problems;
  for (const Role& role : roles) {
    std::error_code ec;
    fs::create_directories(*role.folder, ec);
    if (!ec && fs::is_directory(*role.folder, ec)) continue;
    const std::string reason = fileio::ReasonText(ec ? ec.value() : ENOTDIR);
    problems.push_back(std::string(role.name) + " [" + role.folder->string() + "] を作成できません：" + reason +
                       role.consequence);
  }
  if (scratch == kNoScratch) problems.emplace_back(kNoScratchText);
  return problems;
}

}  // namespace tesmiro
