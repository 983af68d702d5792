#pragma once
// The five most recently opened project files, kept in the settings file
// under [Tesmiro] MostRecentUsedFiles1 to MostRecentUsedFiles5.
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tesmiro {
class IniFile;
}

namespace tesmiro::GUICore {

inline constexpr int kRecentFileCount = 5;

struct RecentFilesState {
  std::array<std::string, kRecentFileCount> entries;  // entries[0] is entry 1, the most recent
  // Called after every change so that the window rebuilds its menu.
  std::function<void()> changed;
};

RecentFilesState& RecentFiles();
void ResetRecentFiles();

// Sets the change hook for its lifetime; the previous one comes back after.
class ScopedRecentFilesHook {
 public:
  explicit ScopedRecentFilesHook(std::function<void()> changed) : previous_(std::move(RecentFiles().changed)) {
    RecentFiles().changed = std::move(changed);
  }
  ~ScopedRecentFilesHook() { RecentFiles().changed = std::move(previous_); }
  ScopedRecentFilesHook(const ScopedRecentFilesHook&) = delete;
  ScopedRecentFilesHook& operator=(const ScopedRecentFilesHook&) = delete;

 private:
  std::function<void()> previous_;
};

// Entry i (1 to 5); "" outside.
std::string RecentFile(int i);

// Puts the path at the top: an entry already holding it (exact comparison)
// moves up, the others shift down, and a new path drops the fifth.
void AddRecentFile(const std::string& path);

// The recent-projects menu: one entry per non-empty path, in order, with
// the caption "&k  path" (a path longer than 32 characters shortened to its
// first 3, "..." and its last 30). Empty when there is none.
struct RecentMenuEntry {
  std::string caption;
  std::string path;
};
std::vector<RecentMenuEntry> BuildRecentFilesMenu();

void LoadRecentFiles(const IniFile& ini);
// The keys the file's encoding could not take come back.
std::vector<std::string> SaveRecentFiles(IniFile& ini);

}  // namespace tesmiro::GUICore
