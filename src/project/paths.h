#pragma once
// Path helpers for the paths a project stores. Those paths may have been
// written on Windows ("C:\proj\a.jpg", ".\img\a.jpg") or on this machine
// ("/home/u/proj/a.jpg"), so both "\" and "/" separate components; strings
// are UTF-8 here, so a CP932 trail byte 0x5C can no longer pose as "\".
#include <optional>
#include <string>
#include <string_view>

namespace tesmiro::GUICore {

// The folder part: "C:\a\b.tsm" gives "C:\a", "C:\a.tsm" gives "C:\",
// "/a/b.tsm" gives "/a", "/a.tsm" gives "/"; a path without a separator
// (or whose only separator is a leading "\") comes back unchanged.
std::string GetFolderPart(std::string_view path);
// The text after the last separator; the whole path when there is none.
std::string GetFileNamePart(std::string_view path);
// The text after the last "." of the file name part; "" when there is none.
std::string GetExtensionPart(std::string_view path);

}  // namespace tesmiro::GUICore

namespace tesmiro::PathModule {

bool IsSeparator(char c);
// "C:\..." or "C:/..." or "\\server\...": a path that only means something on Windows.
bool IsWindowsAbsolute(std::string_view path);

// A path beginning with "." is joined to `base` and made canonical.
// Against a folder of this machine the result is looked up on disk, without
// regard to case when the exact spelling is missing; a path that cannot be
// found or formed keeps its original text (never ""). Against a Windows
// folder ("C:\proj") the result is formed lexically with "\". Any other
// path comes back unchanged.
std::string ResolveRelativePath(std::string_view path, std::string_view base);

// `to` relative to the project file (or folder) `from`, written with "\" and
// beginning with "." or "..", as project files spell relative paths. When
// either does not exist, or `to` is not a path of this machine, `to` comes
// back unchanged.
std::string MakeRelativePath(std::string_view from, std::string_view to);

// The path with every component spelled as on disk (found without regard to
// case), or "" when a component is missing. A path that is not absolute on
// this machine (relative, "C:\...", "\\server\...") comes back unchanged.
std::string GetExactPathCase(std::string_view path);

// The file of this machine that a stored material path stands for, or
// nullopt: relative paths are resolved against the project folder, missing
// paths are found without regard to case, and a missing absolute path
// (Windows or not) is also looked for by its file name beside the project.
std::optional<std::string> LocateFile(std::string_view stored, std::string_view projectFolder);

// The entry `name` inside `folder` as a full path: the exact spelling when
// it exists, else the (alphabetically first) entry whose name matches
// without regard to ASCII case; nullopt when there is none.
std::optional<std::string> FindInFolder(std::string_view folder, std::string_view name);

}  // namespace tesmiro::PathModule
