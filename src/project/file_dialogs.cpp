#include "project/file_dialogs.h"

#include "project/paths.h"
#include "project/window_services.h"

namespace tesmiro::DialogModule {
namespace {

FileDialogService* g_service = nullptr;

std::string WithoutTrailingNuls(std::string_view s) {
  size_t end = s.find_last_not_of('\0');
  return end == std::string_view::npos ? std::string() : std::string(s.substr(0, end + 1));
}

std::vector<std::string> SplitOn(std::string_view s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find(sep, start);
    if (end == std::string_view::npos) end = s.size();
    parts.emplace_back(s.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

void InstallFileDialogs(FileDialogService* service) { g_service = service; }
FileDialogService* CurrentFileDialogs() { return g_service; }

std::optional<std::string> SaveFileDialog(FileDialogRecord& record) {
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  record.flags = kExplorer | kOverwritePrompt;
  std::string suggested = WithoutTrailingNuls(record.file);
  // A NUL inside the suggestion ends it, as it ends a C string buffer.
  suggested = suggested.substr(0, suggested.find('\0'));
  std::optional<std::string> chosen =
      g_service ? g_service->saveFile(record.title, ParseFilter(record.filter), record.initialDir, suggested)
                : std::nullopt;
  if (!chosen) {
    record.file = suggested;
    return std::nullopt;
  }
  if (!chosen->empty() && !record.defaultExt.empty() && GUICore::GetExtensionPart(*chosen).empty())
    *chosen += "." + record.defaultExt;
  record.file = *chosen;
  return chosen;
}

std::optional<std::string> OpenFileDialog(FileDialogRecord& record) {
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();
  record.flags |= kExplorer | kHideReadOnly;
  const bool multi = (record.flags & kAllowMultiSelect) != 0;
  std::string suggested = WithoutTrailingNuls(record.file);
  const std::optional<std::vector<std::string>> chosen =
      g_service ? g_service->openFile(record.title, ParseFilter(record.filter), record.initialDir, suggested, multi)
                : std::nullopt;
  if (!chosen || chosen->empty()) {
    record.file = suggested;
    return std::nullopt;
  }
  if (chosen->size() == 1) {
    record.file = chosen->front();
    return record.file;
  }
  // Several files: the folder of the first, then each name.
  std::string folder = GUICore::GetFolderPart(chosen->front());
  std::string out = folder;
  for (const std::string& path : *chosen) {
    out += '\0';
    out += GUICore::GetFolderPart(path) == folder ? GUICore::GetFileNamePart(path) : path;
  }
  record.file = out;
  return out;
}

std::vector<FilterEntry> ParseFilter(std::string_view filter) {
  std::vector<std::string> parts = SplitOn(WithoutTrailingNuls(filter), '\0');
  std::vector<FilterEntry> entries;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    FilterEntry e;
    e.description = parts[i];
    for (std::string& p : SplitOn(parts[i + 1], ';'))
      if (!p.empty()) e.patterns.push_back(std::move(p));
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<std::string> SelectedFiles(std::string_view file) {
  std::vector<std::string> parts = SplitOn(WithoutTrailingNuls(file), '\0');
  if (parts.size() == 1) return parts[0].empty() ? std::vector<std::string>{} : parts;
  std::vector<std::string> paths;
  const std::string& folder = parts[0];
  std::string sep = !folder.empty() && PathModule::IsSeparator(folder.back()) ? "" : "/";
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    // A name that is already a full path (another folder) stays whole.
    paths.push_back(parts[i][0] == '/' ? parts[i] : folder + sep + parts[i]);
  }
  return paths;
}

}  // namespace tesmiro::DialogModule
