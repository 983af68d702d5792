#include "platform/app_paths.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_io.h"

namespace tesmiro {
namespace fs = std::filesystem;

namespace {

fs::path EnvOr(const char* var, const fs::path& fallback) {
  const char* v = std::getenv(var);
  if (v && *v && fs::path(v).is_absolute()) return fs::path(v);
  return fallback;
}

fs::path Home() {
  const char* h = std::getenv("HOME");
  return h && *h ? fs::path(h) : fs::path("/tmp");
}

// A private folder under TMPDIR, or under /tmp when TMPDIR names no usable
// folder.
fs::path MakeScratch() {
  std::vector<fs::path> bases;
  if (const char* t = std::getenv("TMPDIR"); t && *t) bases.emplace_back(t);
  bases.emplace_back("/tmp");
  for (const fs::path& base : bases) {
    std::string tmpl = (base / "tesmiro-XXXXXX").string();
    if (char* made = ::mkdtemp(tmpl.data())) return fs::path(made);
  }
  return AppPaths::kNoScratch;
}

}  // namespace

AppPaths AppPaths::InFolder(const fs::path& folder) {
  return AppPaths{folder, folder, folder, folder, folder};
}

AppPaths AppPaths::ForExecutable(const fs::path& exe) {
  std::error_code ec;
  fs::path dir = exe.parent_path();
  fs::path ini = dir / "tesmiro.ini";
  if (fs::is_regular_file(ini, ec) && ::access(ini.c_str(), W_OK) == 0) return InFolder(dir);

  AppPaths p;
  // Installed: <prefix>/share/tesmiro; in the build tree the build links
  // the source tree's resources/ beside the executable.
  fs::path share = dir.parent_path() / "share" / "tesmiro";
  p.resources = fs::is_directory(share, ec) ? share : dir / "resources";
  p.config = EnvOr("XDG_CONFIG_HOME", Home() / ".config") / "tesmiro";
  p.userData = EnvOr("XDG_DATA_HOME", Home() / ".local" / "share") / "tesmiro";
  p.state = EnvOr("XDG_STATE_HOME", Home() / ".local" / "state") / "tesmiro";
  p.scratch = MakeScratch();
  return p;
}

std::vector<std::string> AppPaths::ensure() const {
  struct Role {
    const fs::path* folder;
    const char* name;
    const char* consequence;
  };
  const Role roles[] = {{&config, "設定用のフォルダ", "\n既定の設定で続けます。設定は保存されません。"},
                        {&userData, "ユーザー用のフォルダ", ""},
                        {&state, "自動バックアップ用のフォルダ", "\n自動バックアップは保存されません。"}};
  std::vector<std::string> problems;
  for (const Role& role : roles) {
    std::error_code ec;
    fs::create_directories(*role.folder, ec);
    if (!ec && fs::is_directory(*role.folder, ec)) continue;
    const std::string reason = fileio::ReasonText(ec ? ec.value() : ENOTDIR);
    problems.push_back(std::string(role.name) + " [" + role.folder->string() + "] を作成できません：" + reason +
                       role.consequence);
  }
  if (scratch == kNoScratch) problems.emplace_back(kNoScratchText);
  return problems;
}

}  // namespace tesmiro
