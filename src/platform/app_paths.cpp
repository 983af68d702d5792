#include "platform/app_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

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
  return h && *h ? fs::path(h) : fs::temp_directory_path();
}

fs::path MakeScratch() {
  std::string tmpl = (fs::temp_directory_path() / "tesmiro-XXXXXX").string();
  if (char* made = ::mkdtemp(tmpl.data())) return fs::path(made);
  return fs::temp_directory_path();
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

bool AppPaths::ensure() const {
  std::error_code ec;
  for (const fs::path* d : {&config, &userData, &state, &scratch}) {
    fs::create_directories(*d, ec);
    if (!fs::is_directory(*d, ec)) return false;
  }
  return true;
}

}  // namespace tesmiro
