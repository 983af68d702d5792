#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace tesmiro::fileio {
namespace {

namespace fs = std::filesystem;

// More links than this in a row is a loop (the kernel's own limit is 40).
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;

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
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Failure{Named(path) + "がありません"};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Failure{Named(path) + "を読み込めません：" + ReasonText(errno)};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Failure{Named(path) + "がありません"};
  }
  return fd;
}

// Up to `n` bytes from the start of `fd`; fewer only at the end of the file.
Result<std::vector<uint8_t>> ReadUpTo(int fd, const fs::path& path, size_t n) {
  std::vector<uint8_t> data(n);
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

}  // namespace

Result<std::vector<uint8_t>> ReadAll(const fs::path& path, uint64_t maxBytes) {
  const Result<int> fd = OpenRegular(path);
  if (!fd) return Failure{fd.message()};
  struct stat st {};
  const bool sized = ::fstat(*fd, &st) == 0;
  Result<std::vector<uint8_t>> data = Failure{Named(path) + "を読み込めません"};
  if (sized && static_cast<uint64_t>(st.st_size) > maxBytes)
    data = Failure{Named(path) + "が大きすぎます"};
  else if (sized)
    data = ReadUpTo(*fd, path, static_cast<size_t>(st.st_size));
  ::close(*fd);
  // A file that shrank meanwhile is not whole.
  if (data && data->size() != static_cast<size_t>(st.st_size)) return Failure{Named(path) + "を読み込めません"};
  return data;
}

Result<std::vector<uint8_t>> ReadHead(const fs::path& path, size_t n) {
  const Result<int> fd = OpenRegular(path);
  if (!fd) return Failure{fd.message()};
  Result<std::vector<uint8_t>> data = ReadUpTo(*fd, path, n);
  ::close(*fd);
  return data;
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
    default: return std::strerror(errnum);
  }
}

std::string WriteFailureText(const fs::path& path, const std::string& reason) {
  return Named(path) + "を書き込めません：" + reason;
}

Result<fs::path> WriteTarget(const fs::path& path) {
  fs::path p = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat link {};
    if (::lstat(p.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return p;
    struct stat folder {};
    const bool shared = ::stat(FolderOf(p).c_str(), &folder) == 0 &&
                        (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    if (shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid)
      return Failure{WriteFailureText(path, "共有フォルダにある他のユーザーのシンボリックリンクです")};
    std::error_code ec;
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) return p;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p;
}

ReplacementFile::ReplacementFile(const fs::path& path) : shown_(path) {
  Result<fs::path> target = WriteTarget(path);
  if (!target) {
    error_ = target.message();
    return;
  }
  target_ = *std::move(target);
  const fs::path dir = FolderOf(target_);
  std::random_device rd;
  for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
    std::string name(".");
    name += target_.filename().string();
    name += '.';
    name += std::to_string(rd() % 100000000);
    name += ".tmp";
    temp_ = dir / name;
    // O_EXCL with O_CREAT never follows a link planted under the name.
    fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    fail(errno);
    temp_.clear();
    return;
  }
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
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

bool ReplacementFile::commit() {
  if (!ok()) return false;
  if (::fsync(fd_) != 0) {
    fail(errno);
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    fail(errno);
    return false;
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    fail(errno);
    return false;
  }
  committed_ = true;
  return true;
}

bool WriteAtomic(const fs::path& path, std::span<const uint8_t> data, std::string* error) {
  ReplacementFile file(path);
  if (file.write(data) && file.commit()) return true;
  if (error) *error = file.error();
  return false;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace tesmiro::fileio
