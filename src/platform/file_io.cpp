#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

namespace tesmiro::fileio {
namespace {

namespace fs = std::filesystem;

// More links than this in a row is a loop (the kernel's own limit is 40).
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;
constexpr const char* kTempSuffix = ".tmp";

bool gUnnamedTemporaries = true;

std::string Named(const fs::path& path) { return "ファイル [" + path.string() + "] "; }

fs::path FolderOf(const fs::path& path) {
  fs::path dir = path.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

// The file is looked at before it is opened and again after: a FIFO or a
// device is never read (and, opened without blocking, never waited on, even
// when it takes the file's place in between).
Result<int> OpenRegular(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    // Only a name that leads nowhere is missing; a folder that may not be
    // searched, a loop of links or a name too long is there to be mended.
    if (errno == ENOENT || errno == ENOTDIR) return Failure{Named(path) + "がありません"};
    return Failure{Named(path) + "を読み込めません：" + ReasonText(errno)};
  }
  if (!S_ISREG(st.st_mode)) return Failure{Named(path) + "がありません"};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Failure{Named(path) + "を読み込めません：" + ReasonText(errno)};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Failure{Named(path) + "がありません"};
  }
  return fd;
}

// Up to `n` bytes from the start of `fd` into a buffer of `n` bytes; fewer
// only at the end of the file.
template <class Buffer>
Result<Buffer> ReadUpTo(int fd, const fs::path& path, size_t n) {
  Buffer data(n);
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::read(fd, data.data() + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure{Named(path) + "を読み込めません：" + ReasonText(errno)};
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  data.resize(done);
  return data;
}

template <class Buffer>
Result<Buffer> ReadWhole(const fs::path& path, uint64_t maxBytes) {
  const Result<int> fd = OpenRegular(path);
  if (!fd) return Failure{fd.message()};
  struct stat st {};
  const bool sized = ::fstat(*fd, &st) == 0;
  Result<Buffer> data = Failure{Named(path) + "を読み込めません"};
  if (sized && static_cast<uint64_t>(st.st_size) > maxBytes)
    data = Failure{Named(path) + "が大きすぎます"};
  else if (sized)
    data = ReadUpTo<Buffer>(*fd, path, static_cast<size_t>(st.st_size));
  ::close(*fd);
  // A file that shrank meanwhile is not whole.
  if (data && data->size() != static_cast<size_t>(st.st_size)) return Failure{Named(path) + "を読み込めません"};
  return data;
}

constexpr size_t kHugePageBytes = size_t{2} << 20;

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

std::string TempPrefix(const std::string& target) { return "." + target + "."; }

bool IsTemporaryOf(std::string_view name, const std::string& target) {
  const std::string prefix = TempPrefix(target);
  const std::string_view suffix = kTempSuffix;
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) return false;
  const std::string_view number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

fs::path FreshTempName(const fs::path& dir, const std::string& target) {
  thread_local std::mt19937 random{std::random_device{}()};
  return dir / (TempPrefix(target) + std::to_string(random() % 100000000) + kTempSuffix);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Every writer holds its temporary locked until it is renamed or removed, so
// one that can be locked was left by an interrupted run. Only the user's own
// regular files under this target's temporary names are touched.
void RemoveStaleTemporaries(const fs::path& dir, const std::string& target) {
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return;
  const int dirFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    const char* name = entry->d_name;
    if (!IsTemporaryOf(name, target)) continue;
    struct stat seen {};
    if (::fstatat(dirFd, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
        seen.st_uid != ::geteuid())
      continue;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) continue;
    struct stat held {}, now {};
    if (::fstat(fd, &held) == 0 && SameFile(held, seen) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(now, held))
      ::unlinkat(dirFd, name, 0);
    ::close(fd);
  }
  ::closedir(folder);
}

// A file without a name in `dir`, or -1 where the file system has none (or
// /proc, through which it gets its name, is missing).
int OpenUnnamed(const fs::path& dir) {
  if (!gUnnamedTemporaries || ::access("/proc/self/fd", X_OK) != 0) return -1;
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd >= 0) ::flock(fd, LOCK_EX);
  return fd;
}

// A new file under a fresh temporary name in `dir`, locked; -1 with errno.
int CreateNamed(const fs::path& dir, const std::string& target, fs::path& name) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = FreshTempName(dir, target);
    // O_EXCL with O_CREAT never follows a link planted under the name.
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) break;
    // Another writer's clean-up may have removed it before the lock held.
    struct stat st {};
    if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &st) == 0 && st.st_nlink > 0)) return fd;
    ::close(fd);
  }
  name.clear();
  return -1;
}

}  // namespace

Result<std::vector<uint8_t>> ReadAll(const fs::path& path, uint64_t maxBytes) {
  return ReadWhole<std::vector<uint8_t>>(path, maxBytes);
}

Result<FileBytes> ReadAllBytes(const fs::path& path, uint64_t maxBytes) { return ReadWhole<FileBytes>(path, maxBytes); }

Result<std::vector<uint8_t>> ReadHead(const fs::path& path, size_t n) {
  const Result<int> fd = OpenRegular(path);
  if (!fd) return Failure{fd.message()};
  Result<std::vector<uint8_t>> data = ReadUpTo<std::vector<uint8_t>>(*fd, path, n);
  ::close(*fd);
  return data;
}

FileBytes::FileBytes(size_t capacity) : size_(capacity) {
  if (capacity >= kHugePageBytes) {
    // Longer by one huge page, so that the bytes can start on a boundary of
    // one; what lies outside is given back at once.
    const size_t length = RoundUp(capacity, kHugePageBytes);
    void* mapped = ::mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped != MAP_FAILED) {
      auto* first = static_cast<uint8_t*>(mapped);
      auto* start = reinterpret_cast<uint8_t*>(RoundUp(reinterpret_cast<uintptr_t>(first), kHugePageBytes));
      if (start != first) ::munmap(first, static_cast<size_t>(start - first));
      const size_t tail = kHugePageBytes - static_cast<size_t>(start - first);
      if (tail != 0) ::munmap(start + length, tail);
      PreferHugePages(start, length);
      data_ = start;
      mapped_ = length;
      return;
    }
  }
  data_ = new uint8_t[capacity];
}

void PreferHugePages(void* data, size_t bytes) {
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = RoundUp(begin, kHugePageBytes);
  const uintptr_t last = (begin + bytes) / kHugePageBytes * kHugePageBytes;
  if (bytes != 0 && first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

FileBytes::~FileBytes() { release(); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

void FileBytes::release() {
  if (mapped_ != 0)
    ::munmap(data_, mapped_);
  else
    delete[] data_;
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}

std::string ReasonText(int errnum) {
  switch (errnum) {
    case ENOENT: return "フォルダがありません";
    case ENOTDIR: return "フォルダではありません";
    case EACCES:
    case EPERM: return "アクセスが拒否されました";
    case ENOSPC:
    case EDQUOT: return "ディスクの空き容量が足りません";
    case EROFS: return "読み取り専用のファイルシステムです";
    case EFBIG: return "ファイルが大きすぎます";
    case EISDIR: return "ファイルではなくフォルダです";
    case ELOOP: return "シンボリックリンクが循環しています";
    case ENAMETOOLONG: return "ファイル名かパスが長すぎます";
    case EIO: return "入出力エラーが発生しました";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    // The system's own words are English: the number at least lets the
    // cause be looked up.
    default: return "エラーが発生しました（エラー番号 " + std::to_string(errnum) + "）";
  }
}

std::string WriteFailureText(const fs::path& path, const std::string& reason) {
  return Named(path) + "を書き込めません：" + reason;
}

Result<fs::path> WriteTarget(const fs::path& path) {
  // Walked element by element, as the kernel walks it: a link anywhere in
  // the path, a folder's as much as the file's, is checked before it is
  // followed, and its target's elements are walked in its place.
  std::vector<fs::path> ahead;  // the elements still to walk, the next one last
  for (const fs::path& element : path.relative_path()) ahead.push_back(element);
  std::reverse(ahead.begin(), ahead.end());
  fs::path walked = path.root_path();  // real folders only, so ".." takes the kernel's parent
  int links = 0;
  while (!ahead.empty()) {
    const fs::path element = std::move(ahead.back());
    ahead.pop_back();
    if (element.empty() || element == ".") continue;
    if (element == "..") {
      if (walked.has_relative_path() && walked.filename() != "..")
        walked = walked.parent_path();
      else if (!walked.has_root_directory())
        walked /= element;
      continue;
    }
    const fs::path next = walked / element;
    struct stat link {};
    if (::lstat(next.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
      walked = next;
      // Below what is no folder the write fails, for the reason the
      // kernel gives it.
      if (!ahead.empty() && !S_ISDIR(link.st_mode)) {
        for (auto it = ahead.rbegin(); it != ahead.rend(); ++it) walked /= *it;
        break;
      }
      continue;
    }
    if (++links > kMaxLinks) return Failure{WriteFailureText(path, ReasonText(ELOOP))};
    struct stat folder {};
    const bool shared = ::stat(FolderOf(next).c_str(), &folder) == 0 &&
                        (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    if (shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid)
      return Failure{WriteFailureText(path, "共有フォルダにある他のユーザーのシンボリックリンクです")};
    std::error_code ec;
    const fs::path target = fs::read_symlink(next, ec);
    if (ec) return Failure{WriteFailureText(path, ReasonText(ec.value()))};
    for (auto it = target.end(); it != target.begin();) ahead.push_back(*--it);
    if (target.has_root_directory()) {
      ahead.pop_back();
      walked = target.root_path();
    }
  }
  return walked;
}

ReplacementFile::ReplacementFile(const fs::path& path) : shown_(path) {
  Result<fs::path> target = WriteTarget(path);
  if (!target) {
    error_ = target.message();
    return;
  }
  target_ = *std::move(target);
  const fs::path dir = FolderOf(target_);
  const std::string name = target_.filename().string();
  RemoveStaleTemporaries(dir, name);
  fd_ = OpenUnnamed(dir);
  if (fd_ < 0) fd_ = CreateNamed(dir, name, temp_);
  if (fd_ < 0) {
    fail(errno);
    return;
  }
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
}

ReplacementFile::~ReplacementFile() {
  // Removed while still locked, so no other writer mistakes it for stale.
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
  if (fd_ >= 0) ::close(fd_);
}

void ReplacementFile::fail(int errnum) { failWith(ReasonText(errnum)); }

void ReplacementFile::failWith(const std::string& reason) {
  if (error_.empty()) error_ = WriteFailureText(shown_, reason);
}

bool ReplacementFile::write(std::span<const uint8_t> data) {
  if (!ok()) return false;
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// An unnamed file is linked under a fresh temporary name and that name
// renamed over the target: a link cannot replace a file.
bool ReplacementFile::nameTemporary() {
  if (!temp_.empty()) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const fs::path name = FreshTempName(FolderOf(target_), target_.filename().string());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp_ = name;
      return true;
    }
    if (errno != EEXIST) break;
  }
  fail(errno);
  return false;
}

bool ReplacementFile::commit() {
  if (!ok()) return false;
  if (::fsync(fd_) != 0) {
    fail(errno);
    return false;
  }
  if (!nameTemporary()) return false;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    fail(errno);
    return false;
  }
  committed_ = true;
  // The bytes are on disk since the fsync; closing releases the lock.
  ::close(fd_);
  fd_ = -1;
  return true;
}

Result<void> WriteAtomic(const fs::path& path, std::span<const uint8_t> data) {
  ReplacementFile file(path);
  if (file.write(data) && file.commit()) return {};
  return Failure{file.error()};
}

ScopedNamedTemporaries::ScopedNamedTemporaries() : previous_(gUnnamedTemporaries) { gUnnamedTemporaries = false; }
ScopedNamedTemporaries::~ScopedNamedTemporaries() { gUnnamedTemporaries = previous_; }

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace tesmiro::fileio
