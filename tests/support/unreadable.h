#pragma once
// A file or folder this thread cannot read while the guard lives. Its mode
// goes to none; root, whom modes do not stop, takes another file-system user
// and group for the thread, which drops the override, and the folders above
// the path are made passable for them, so that the path still leads to it
// (a refusal to read it, not a missing file). Everything comes back after.
#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace tesmiro::testing {

class ScopedUnreadable {
 public:
  explicit ScopedUnreadable(std::filesystem::path path) : path_(std::move(path)) {
    namespace fs = std::filesystem;
    previous_ = fs::status(path_).permissions();
    fs::permissions(path_, fs::perms::none);
    if (::geteuid() != 0) return;
    for (fs::path folder = path_.parent_path(); !folder.empty(); folder = folder.parent_path()) {
      const fs::perms mode = fs::status(folder).permissions();
      if ((mode & fs::perms::others_exec) == fs::perms::none) {
        fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
        passable_.emplace_back(folder, mode);
      }
      if (folder == folder.root_path()) break;
    }
    ::setfsgid(kOtherUser);
    ::setfsuid(kOtherUser);
  }
  ~ScopedUnreadable() {
    if (::geteuid() == 0) {
      ::setfsuid(0);
      ::setfsgid(0);
    }
    std::error_code ec;
    for (const auto& [folder, mode] : passable_) std::filesystem::permissions(folder, mode, ec);
    std::filesystem::permissions(path_, previous_, ec);
  }
  ScopedUnreadable(const ScopedUnreadable&) = delete;
  ScopedUnreadable& operator=(const ScopedUnreadable&) = delete;

 private:
  static constexpr uid_t kOtherUser = 65534;
  std::filesystem::path path_;
  std::filesystem::perms previous_{};
  std::vector<std::pair<std::filesystem::path, std::filesystem::perms>> passable_;
};

}  // namespace tesmiro::testing
