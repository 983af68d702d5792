#include "platform/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace tesmiro::fileio {

std::optional<std::vector<uint8_t>> ReadAll(const std::filesystem::path& path, uint64_t maxBytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > maxBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size)))
    return std::nullopt;
  return data;
}

bool WriteAtomic(const std::filesystem::path& path, std::span<const uint8_t> data, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = "ファイル [" + path.string() + "] を書き込めません：" + what;
    return false;
  };
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  std::random_device rd;
  std::filesystem::path tmp =
      dir / ("." + path.filename().string() + "." + std::to_string(rd() % 1000000) + ".tmp");
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return fail(std::strerror(errno));
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::string msg = std::strerror(errno);
      ::close(fd);
      ::unlink(tmp.c_str());
      return fail(msg);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    std::string msg = std::strerror(errno);
    ::unlink(tmp.c_str());
    return fail(msg);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    std::string msg = std::strerror(errno);
    ::unlink(tmp.c_str());
    return fail(msg);
  }
  return true;
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace tesmiro::fileio
