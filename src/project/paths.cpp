#include "project/paths.h"
#include "platform/encoding.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tesmiro::GUICore {

std::string GetFolderPart(std::string_view path) {
  if (path.empty()) return {};
  size_t pos = path.find_last_of("\\/");
  if (pos == std::string_view::npos) return std::string(path);
  if (pos == 0) return path[0] == '/' ? std::string("/") : std::string(path);
  if (path[pos - 1] == ':') return std::string(path.substr(0, pos + 1));
  return std::string(path.substr(0, pos));
}

std::string GetFileNamePart(std::string_view path) {
  size_t pos = path.find_last_of("\\/");
  if (pos == std::string_view::npos) return std::string(path);
  return std::string(path.substr(pos + 1));
}

std::string GetExtensionPart(std::string_view path) {
  for (size_t i = path.size(); i-- > 0;) {
    if (path[i] == '.') return std::string(path.substr(i + 1));
    if (PathModule::IsSeparator(path[i])) return {};
  }
  return {};
}

}  // namespace tesmiro::GUICore

namespace tesmiro::PathModule {
namespace fs = std::filesystem;
using enc::EqualsNoCase;

namespace {

// A path taken apart: its root ("/", "C:\", "\\" or "" for a relative
// path) and its components without "." and "..".
struct SplitPath {
  std::string root;
  std::vector<std::string> parts;
  char sep = '/';
};

bool HasDrive(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

bool IsWindowsStyle(std::string_view p) {
  if (IsWindowsAbsolute(p)) return true;
  return p.find('\\') != std::string_view::npos && p.find('/') == std::string_view::npos;
}

// Adds the components of `p` from `i` on; ".." at the root stays at the
// root, as both platforms canonicalise it.
void AppendParts(SplitPath& s, std::string_view p, size_t i, bool backslashToo) {
  auto isSep = [&](char c) { return c == '/' || (backslashToo && c == '\\'); };
  while (i <= p.size()) {
    size_t j = i;
    while (j < p.size() && !isSep(p[j])) ++j;
    std::string_view part = p.substr(i, j - i);
    if (part == "..") {
      if (!s.parts.empty() && s.parts.back() != "..") s.parts.pop_back();
      else if (s.root.empty()) s.parts.emplace_back("..");
    } else if (!part.empty() && part != ".") {
      s.parts.emplace_back(part);
    }
    i = j + 1;
  }
}

// A Windows path splits on both separators; a path of this machine only on
// "/", since "\" is an ordinary character in its file names.
SplitPath Split(std::string_view p, char sep) {
  SplitPath s;
  s.sep = sep;
  bool windows = sep == '\\';
  size_t i = 0;
  if (windows && HasDrive(p)) {
    s.root = std::string(p.substr(0, 2)) + sep;
    i = 2;
  } else if (windows && p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    s.root = "\\\\";
    i = 2;
  } else if (!p.empty() && (p[0] == '/' || (windows && p[0] == '\\'))) {
    s.root = std::string(1, sep);
    i = 1;
  }
  AppendParts(s, p, i, windows);
  return s;
}

std::string Join(const SplitPath& s) {
  std::string out = s.root;
  for (size_t i = 0; i < s.parts.size(); ++i) {
    if (i > 0) out += s.sep;
    out += s.parts[i];
  }
  return out;
}

bool ExistsOnDisk(const std::string& p) {
  std::error_code ec;
  return fs::exists(fs::path(p), ec);
}

// Walks the components of an absolute path of this machine, taking each
// one as it is spelled on disk. nullopt when one of them is not there.
std::optional<std::string> FindOnDisk(const SplitPath& s) {
  if (s.root.empty()) return std::nullopt;
  std::string cur = s.root;
  for (const std::string& part : s.parts) {
    auto found = FindInFolder(cur, part);
    if (!found) return std::nullopt;
    cur = std::move(*found);
  }
  return cur;
}

}  // namespace

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsWindowsAbsolute(std::string_view path) {
  if (HasDrive(path)) return true;
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string ResolveRelativePath(std::string_view path, std::string_view base) {
  if (path.empty() || path[0] != '.') return std::string(path);
  if (base.empty()) return std::string(path);
  if (IsWindowsStyle(base)) {
    std::string joined(base);
    if (!IsSeparator(joined.back())) joined += '\\';
    joined += path;
    return Join(Split(joined, '\\'));
  }
  SplitPath s = Split(base, '/');
  if (s.root.empty()) return std::string(path);
  AppendParts(s, path, 0, true);
  std::string exact = Join(s);
  if (ExistsOnDisk(exact)) return exact;
  if (auto found = FindOnDisk(s)) return *found;
  return std::string(path);
}

std::string MakeRelativePath(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty() || from[0] != '/' || to[0] != '/') return std::string(to);
  std::error_code ec;
  fs::path fromPath{std::string(from)}, toPath{std::string(to)};
  if (!fs::exists(fromPath, ec) || !fs::exists(toPath, ec)) return std::string(to);
  SplitPath f = Split(from, '/');
  if (!fs::is_directory(fromPath, ec) && !f.parts.empty()) f.parts.pop_back();
  SplitPath t = Split(to, '/');
  size_t common = 0;
  while (common < f.parts.size() && common < t.parts.size() && f.parts[common] == t.parts[common]) ++common;
  // A name holding "\" here could not be read back from a "\"-separated path.
  for (size_t i = common; i < t.parts.size(); ++i)
    if (t.parts[i].find('\\') != std::string::npos) return std::string(to);
  size_t ups = f.parts.size() - common;
  std::string out = ups == 0 ? "." : "..";
  for (size_t i = 1; i < ups; ++i) out += "\\..";
  for (size_t i = common; i < t.parts.size(); ++i) out += "\\" + t.parts[i];
  return out;
}

std::string GetExactPathCase(std::string_view path) {
  if (path.empty() || path[0] != '/') return std::string(path);
  auto found = FindOnDisk(Split(path, '/'));
  return found ? *found : std::string();
}

std::optional<std::string> LocateFile(std::string_view stored, std::string_view projectFolder) {
  if (stored.empty()) return std::nullopt;
  auto isFile = [](const std::string& p) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(p), ec);
  };
  if (stored[0] == '.') {
    std::string r = ResolveRelativePath(stored, projectFolder);
    if (!r.empty() && r[0] == '/' && isFile(r)) return r;
  } else if (stored[0] == '/') {
    std::string exact(stored);
    if (isFile(exact)) return exact;
    std::string disk = GetExactPathCase(stored);
    if (!disk.empty() && isFile(disk)) return disk;
  }
  if (projectFolder.empty() || IsWindowsStyle(projectFolder)) return std::nullopt;
  std::string name = GUICore::GetFileNamePart(stored);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  auto beside = FindInFolder(projectFolder, name);
  if (beside && isFile(*beside)) return beside;
  return std::nullopt;
}

std::optional<std::string> FindInFolder(std::string_view folder, std::string_view name) {
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  std::string dir(folder);
  std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  std::string exact = prefix + std::string(name);
  if (ExistsOnDisk(exact)) return exact;
  std::error_code ec;
  fs::directory_iterator it(fs::path(dir.empty() ? std::string(".") : dir), ec), end;
  std::optional<std::string> best;
  for (; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualsNoCase(entry, name) && (!best || entry < *best)) best = entry;
  }
  if (!best) return std::nullopt;
  return prefix + *best;
}

}  // namespace tesmiro::PathModule
