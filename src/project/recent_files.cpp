#include "project/recent_files.h"

#include "platform/gcc_quirks.h"
#include "project/ini_file.h"

namespace tesmiro::GUICore {
namespace {

constexpr const char* kSection = "Tesmiro";
constexpr const char* kKeyPrefix = "MostRecentUsedFiles";

RecentFilesState g_state;

}  // namespace

RecentFilesState& RecentFiles() { return g_state; }
void ResetRecentFiles() { g_state = RecentFilesState{}; }

std::string RecentFile(int i) {
  return i >= 1 && i <= kRecentFileCount ? g_state.entries[static_cast<size_t>(i - 1)] : std::string();
}

void AddRecentFile(const std::string& path) {
  auto& e = g_state.entries;
  int p = kRecentFileCount;
  for (int i = kRecentFileCount; i >= 1; --i)
    if (e[static_cast<size_t>(i - 1)] == path) p = i;
  for (int i = p - 1; i >= 1; --i) e[static_cast<size_t>(i)] = e[static_cast<size_t>(i - 1)];
  e[0] = path;
  if (g_state.changed) g_state.changed();
}

std::vector<RecentMenuEntry> BuildRecentFilesMenu() {
  std::vector<RecentMenuEntry> menu;
  for (const std::string& path : g_state.entries) {
    if (path.empty()) continue;
    // Byte offsets of the characters, so that no character is cut in two.
    std::vector<size_t> starts;
    for (size_t i = 0; i < path.size(); ++i)
      if ((static_cast<unsigned char>(path[i]) & 0xC0) != 0x80) starts.push_back(i);
    std::string shown = path;
    if (starts.size() > 32) shown = path.substr(0, starts[3]) + "..." + path.substr(starts[starts.size() - 30]);
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    menu.push_back({"&" + std::to_string(menu.size() + 1) + "  " + shown, path});
    TESMIRO_GCC12_COPY_WARNINGS_ON
  }
  return menu;
}

void LoadRecentFiles(const IniFile& ini) {
  for (int i = 1; i <= kRecentFileCount; ++i)
    g_state.entries[static_cast<size_t>(i - 1)] = ini.get(kSection, kKeyPrefix + std::to_string(i)).value_or("");
  if (g_state.changed) g_state.changed();
}

std::vector<std::string> SaveRecentFiles(IniFile& ini) {
  std::vector<std::string> refused;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string key = kKeyPrefix + std::to_string(i);
    if (!ini.set(kSection, key, g_state.entries[static_cast<size_t>(i - 1)])) refused.push_back(key);
  }
  return refused;
}

}  // namespace tesmiro::GUICore
