#include "platform/app_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

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

MachineFacts& Facts() {
  static MachineFacts facts;
  return facts;
}

// File systems on this machine's own disks or memory, whose locks no other
// machine keeps to itself (statfs's f_type).
constexpr uint32_t kLocalFileSystems[] = {
    0xEF53,      // ext2, ext3, ext4
    0x58465342,  // xfs
    0x9123683E,  // btrfs
    0x01021994,  // tmpfs
    0x858458F6,  // ramfs
    0x794C7630,  // overlayfs
    0xF2F52010,  // f2fs
    0x2FC12FC1,  // zfs
    0xCA451A4E,  // bcachefs
    0x52654973,  // reiserfs
    0x3153464A,  // jfs
    0x4D44,      // vfat
    0x2011BAB0,  // exfat
};

bool OnLocalFileSystem(int fd) {
  uint32_t kind = 0;
  if (Facts().fileSystemKind) {
    kind = Facts().fileSystemKind(fd);
  } else if (struct statfs st {}; ::fstatfs(fd, &st) == 0) {
    kind = static_cast<uint32_t>(st.f_type);
  }
  return std::find(std::begin(kLocalFileSystems), std::end(kLocalFileSystems), kind) != std::end(kLocalFileSystems);
}

std::string FirstLine(const fs::path& file) {
  std::string line;
  if (const auto head = fileio::ReadHead(file, 64)) line.assign(head->begin(), head->end());
  return line.substr(0, line.find('\n'));
}

bool IsMachineId(std::string_view id) {
  return id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// What a lock file holds after the pid, one line each. Where several
// machines share the temporary folder and each keeps its locks to itself
// (NFS with nolock or local_lock), another machine's lock looks free: only
// the machine that made a folder can tell from its lock whether the run has
// ended. Host names can repeat and boot ids change at each boot; the machine
// id (empty where there is none, or it is not yet made) stays for good.
struct System {
  std::string host;
  std::string boot;
  std::string machine;
};

System ThisSystem() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  System self{host, FirstLine(Facts().bootIdFile), FirstLine(Facts().machineIdFile)};
  if (!IsMachineId(self.machine)) self.machine.clear();
  return self;
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
  const System self = ThisSystem();
  const std::string owner = std::to_string(::getpid()) + "\n" + self.host + "\n" + self.boot + "\n" + self.machine + "\n";
  [[maybe_unused]] const ssize_t written = ::write(lock->fd, owner.data(), owner.size());
  return lock;
}

// Whether a lock file that nobody holds, with `text`, was let go by a run
// on this machine, `self`. An earlier version wrote the pid alone, and
// before the machine id the host name and boot id; without machine ids to
// compare, the lock of a host of this name since another boot, like one of
// a pid alone, counts as this machine's only on a file system of its own
// (`local`), as two machines may share a name.
bool EndedHere(std::string_view text, const System& self, bool local) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;  // not written whole: not ours
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  if (lines.empty() || lines[0].empty() ||
      !std::all_of(lines[0].begin(), lines[0].end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  if (lines.size() == 1) return local;
  if ((lines.size() != 3 && lines.size() != 4) || lines[1] != self.host) return false;
  const std::string_view machine = lines.size() == 4 ? lines[3] : std::string_view();
  const bool machinesKnown = !machine.empty() && !self.machine.empty();
  if (machinesKnown && machine != self.machine) return false;
  if (!self.boot.empty() && lines[2] == self.boot) return true;
  return machinesKnown || local;
}

// Whether the folder `name` in `base` is a scratch folder of the user's,
// made on `self`, whose run has ended. Then `heldLock` keeps its lock
// taken until the folder is gone, so that no other start removing left
// folders at the same time is in the way.
bool LeftBehind(int base, const char* name, const System& self, int& heldLock) {
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
  char text[512];
  ssize_t n = 0;
  if (::flock(lock, LOCK_EX | LOCK_NB) == 0 && ::fstat(lock, &file) == 0 && S_ISREG(file.st_mode) &&
      file.st_uid == ::geteuid() && (n = ::pread(lock, text, sizeof text, 0)) > 0 &&
      EndedHere(std::string_view(text, static_cast<size_t>(n)), self, OnLocalFileSystem(lock))) {
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

ScopedMachineFacts::ScopedMachineFacts(MachineFacts facts) : ScopedValue(Facts(), std::move(facts)) {}

void AppPaths::RemoveLeftScratch() {
  const System self = ThisSystem();
  for (const fs::path& base : ScratchBases()) {
    DIR* listing = ::opendir(base.c_str());
    if (!listing) continue;
    while (const dirent* entry = ::readdir(listing)) {
      int lock = -1;
      if (!IsScratchName(entry->d_name) || !LeftBehind(::dirfd(listing), entry->d_name, self, lock)) continue;
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
