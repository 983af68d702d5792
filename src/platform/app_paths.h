#pragma once
// Where the program's files live. Made once at start-up and handed down;
// tests point every role into a temporary folder.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/scoped_install.h"

namespace tesmiro {

struct ScratchLock;

struct AppPaths {
  std::filesystem::path resources;  // shipped templates, splash picture, help (read-only)
  std::filesystem::path config;     // tesmiro.ini, _default.tsm, template.txt
  std::filesystem::path userData;   // the user's own effect templates
  std::filesystem::path state;      // _autobackup.tmp
  std::filesystem::path scratch;    // previews and temporary files of this run
  // Held while any copy of these paths lives, so that no other run takes
  // the scratch folder for one that a killed run left.
  std::shared_ptr<ScratchLock> scratchLock;

  // The usual locations for an executable at `exe`: portable mode when a
  // writable tesmiro.ini stands beside it, else the XDG folders.
  static AppPaths ForExecutable(const std::filesystem::path& exe);
  // Every role in one folder (portable mode, and tests).
  static AppPaths InFolder(const std::filesystem::path& folder);

  // Effect templates are searched in the user's folder first, then in the
  // shipped resources.
  std::vector<std::filesystem::path> effectRoots() const { return {userData / "effect", resources / "effect"}; }

  // Stands for `scratch` when no folder could be made for it (neither under
  // TMPDIR nor under /tmp): nothing can be created below it, so a preview
  // fails with a message instead of landing in the working folder.
  static inline const std::filesystem::path kNoScratch{"/dev/null/tesmiro"};
  // What the user is told then, at start-up and at each preview.
  static constexpr const char* kNoScratchText =
      "一時ファイル用のフォルダを作成できません（TMPDIR と /tmp）。\nプレビューは表示できません。";

  // Removes the scratch folders under TMPDIR and /tmp that runs of the
  // user's which are gone left behind (killed, or stopped by a crash or a
  // power loss). Only our own folders by name and owner, no link, whose
  // lock the run that made them took and no longer holds, and only where
  // that run was on this machine (the lock file names its host, boot and
  // machine id): never a running program's, on this machine or another
  // that shares the folder. A lock of an earlier boot counts as this
  // machine's when its machine id says so, or, where there is none to
  // compare, when the folder lies on a file system of this machine's own;
  // so does one of an earlier version, which holds the pid alone.
  static void RemoveLeftScratch();

  // Creates the writable folders. What could not be made, as messages for
  // the user (empty when all is well); the program goes on without them.
  std::vector<std::string> ensure() const;
};

// What tells this machine, its boot and its file systems apart, for the
// locks of scratch folders; tests stand in their own with
// ScopedMachineFacts.
struct MachineFacts {
  std::filesystem::path bootIdFile{"/proc/sys/kernel/random/boot_id"};
  std::filesystem::path machineIdFile{"/etc/machine-id"};
  // The kind of the file system that holds the open file (statfs's
  // f_type), 0 when it cannot be told; unset, the system is asked.
  std::function<uint32_t(int fd)> fileSystemKind;
};

class ScopedMachineFacts : private ScopedValue<MachineFacts> {
 public:
  explicit ScopedMachineFacts(MachineFacts facts);
};

}  // namespace tesmiro
