#pragma once
// The open and save dialogs as the core asks for them. The window layer
// installs the native dialogs behind FileDialogService; the core fills a
// FileDialogRecord the way the program always has (filter as description
// NUL pattern NUL pairs, a suggested name, flags) and gets the chosen name
// back in the record's file string.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::DialogModule {

// Flags of the record; the helpers set the style flags themselves.
inline constexpr uint32_t kOverwritePrompt = 0x2;
inline constexpr uint32_t kHideReadOnly = 0x4;
inline constexpr uint32_t kAllowMultiSelect = 0x200;
inline constexpr uint32_t kExplorer = 0x80000;

struct FileDialogRecord {
  std::string filter;      // "画像 (*.jpg)" NUL "*.jpg;*.jpeg" NUL ...
  std::string title;       // "" = the platform's own
  std::string initialDir;
  std::string defaultExt;  // without the dot
  // In: the suggested name (trailing NULs of a padded buffer are ignored).
  // Out: the chosen path; for several files the folder, then each name,
  // NUL-separated (see SelectedFiles).
  std::string file;
  uint32_t flags = 0;
};

struct FilterEntry {
  std::string description;
  std::vector<std::string> patterns;  // "*.jpg", "*.jpeg"
};

// The native dialogs. Each gives nothing (nullopt) when cancelled.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // Full paths of the chosen files (one unless multiSelect, never none).
  virtual std::optional<std::vector<std::string>> openFile(const std::string& title,
                                                           const std::vector<FilterEntry>& filters,
                                                           const std::string& initialDir, const std::string& suggested,
                                                           bool multiSelect) = 0;
  // The chosen path; the service asks before an existing file is replaced.
  virtual std::optional<std::string> saveFile(const std::string& title, const std::vector<FilterEntry>& filters,
                                              const std::string& initialDir, const std::string& suggested) = 0;
};

// Installed by the window layer (null: every dialog is cancelled).
void InstallFileDialogs(FileDialogService* service);
FileDialogService* CurrentFileDialogs();

// Installs a service for its lifetime; the previous one comes back after.
class ScopedFileDialogs {
 public:
  explicit ScopedFileDialogs(FileDialogService* service) : previous_(CurrentFileDialogs()) {
    InstallFileDialogs(service);
  }
  ~ScopedFileDialogs() { InstallFileDialogs(previous_); }
  ScopedFileDialogs(const ScopedFileDialogs&) = delete;
  ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

 private:
  FileDialogService* previous_;
};

// Closes the event property dialog and the script editor, shows the save
// dialog (overwrite prompt), appends the default extension to a name
// without one, and gives back the chosen name, or nothing when cancelled.
// `record.file` is left holding what the dialog gave back (the suggestion
// when cancelled).
std::optional<std::string> SaveFileDialog(FileDialogRecord& record);

// Closes the event property dialog, the script editor and the preview
// window and shows the open dialog; the caller's kAllowMultiSelect flag is
// kept. The chosen file string (see SelectedFiles), also left in
// `record.file`, or nothing when cancelled.
std::optional<std::string> OpenFileDialog(FileDialogRecord& record);

std::vector<FilterEntry> ParseFilter(std::string_view filter);

// The full paths that an open dialog's file string names: a single path,
// or the folder followed by NUL-separated names.
std::vector<std::string> SelectedFiles(std::string_view file);

}  // namespace tesmiro::DialogModule
