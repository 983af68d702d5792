#pragma once
// Whole-file reading and atomic replacement.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace tesmiro::fileio {

// The largest file the whole-file readers take unless told otherwise.
inline constexpr uint64_t kMaxReadBytes = uint64_t{1} << 31;

// The whole file, or why not (missing, no regular file, unreadable, or
// larger than `maxBytes`). Anything but a regular file (a folder, a FIFO, a
// device) is refused at once, never waited on.
Result<std::vector<uint8_t>> ReadAll(const std::filesystem::path& path, uint64_t maxBytes = kMaxReadBytes);

// Bytes read from a file, in memory that is not zero-filled first and that,
// for a large file, lies in huge pages where the system lends them: a
// freshly started program pays a page fault for every 4 KB it touches, which
// made reading a large project cost more than parsing it. The file is read,
// never mapped: a mapped file that another user truncates kills the reader.
class FileBytes {
 public:
  FileBytes() = default;
  // Room for `capacity` bytes, of undefined value, all of them in size().
  explicit FileBytes(size_t capacity);
  ~FileBytes();
  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* begin() const { return data_; }
  const uint8_t* end() const { return data_ + size_; }
  operator std::span<const uint8_t>() const { return {data_, size_}; }
  // Keeps the first `n` bytes; never grows.
  void resize(size_t n) { size_ = std::min(n, size_); }

 private:
  void release();

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;  // the length of the mapping that holds the bytes; 0 when allocated with new[]
};

// As ReadAll, into FileBytes: for the large files read while the user waits.
Result<FileBytes> ReadAllBytes(const std::filesystem::path& path, uint64_t maxBytes = kMaxReadBytes);

// Asks for huge pages for the memory from `data` on, `bytes` long, that a
// reader is about to fill for the first time (the records parsed from a
// large file), as FileBytes has them. Only advice: where the system refuses,
// or the memory holds no whole huge page, nothing changes.
void PreferHugePages(void* data, size_t bytes);
// The first `n` bytes of a regular file (fewer when it is shorter), refused
// as ReadAll refuses.
Result<std::vector<uint8_t>> ReadHead(const std::filesystem::path& path, size_t n);

// Why a file operation failed, for the user, in Japanese: the common
// reasons in words, the rest by the error's number.
std::string ReasonText(int errnum);
// "ファイル [path] を書き込めません：reason", the message of every failed write.
std::string WriteFailureText(const std::filesystem::path& path, const std::string& reason);

// The file a write to `path` replaces, with no link left in its path:
// every symbolic link in it, a folder's as well as the file's, is followed
// (relative links against their own folder) to what it names; the file
// need not exist yet. In a sticky folder that everyone may write to
// (/tmp), a link is followed only when it belongs to the user or to the
// folder's owner, as the kernel does when it opens a path: anyone could
// have planted it.
Result<std::filesystem::path> WriteTarget(const std::filesystem::path& path);

// A new file that replaces another when it is complete. It is made in the
// folder of the write target of `path` without a name where the file system
// allows, so that an interrupted write leaves nothing behind, and gets its
// name only just before it is renamed over the target; elsewhere it is
// created exclusively under a fresh name (so a planted file or link is never
// written through). Named temporaries of the same target that an
// interrupted run of the user's left are removed when the next one is made.
// It takes the old file's permission bits, and is removed unless committed.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::filesystem::path& path);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // False once anything failed; `error()` then tells the user why.
  bool ok() const { return fd_ >= 0 && error_.empty(); }
  const std::string& error() const { return error_; }
  int fd() const { return fd_; }
  const std::filesystem::path& target() const { return target_; }

  bool write(std::span<const uint8_t> data);
  // Flushes to disk and renames over the target.
  bool commit();
  // Records a failure (an errno value) met by a caller that writes through fd().
  void fail(int errnum);

 private:
  void failWith(const std::string& reason);
  bool nameTemporary();

  std::filesystem::path shown_;   // the path the user chose, for messages
  std::filesystem::path target_;  // the file that is replaced
  std::filesystem::path temp_;    // empty while the file has no name
  int fd_ = -1;
  bool committed_ = false;
  std::string error_;
};

// Writes a temporary file beside `path`, flushes it and renames it over the
// old one (through a symbolic link, to the file it names, keeping its
// permission bits). On failure the old file is untouched, the temporary
// removed, and the message (in Japanese, for the user) comes back.
Result<void> WriteAtomic(const std::filesystem::path& path, std::span<const uint8_t> data);

// For tests of the named temporaries that file systems without unnamed ones
// get: while an instance lives, replacements are made under a name.
class ScopedNamedTemporaries {
 public:
  ScopedNamedTemporaries();
  ~ScopedNamedTemporaries();
  ScopedNamedTemporaries(const ScopedNamedTemporaries&) = delete;
  ScopedNamedTemporaries& operator=(const ScopedNamedTemporaries&) = delete;

 private:
  bool previous_;
};

bool Exists(const std::filesystem::path& path);

}  // namespace tesmiro::fileio
