#include "support/checkers.h"

#include <cstdlib>
#include <filesystem>

namespace tesmiro::testing {
namespace fs = std::filesystem;

namespace {

std::string MissingNode() {
  return std::system("node --version > /dev/null 2>&1") == 0 ? "" : "node is not installed";
}

std::string MissingPackages(std::initializer_list<const char*> packages) {
  const fs::path modules = fs::path(TESMIRO_SOURCE_ROOT) / "node_modules";
  for (const char* p : packages)
    if (!fs::exists(modules / p / "package.json")) return (modules / p).string() + " is missing (run 'npm ci')";
  return "";
}

std::string Chromium() {
  const char* custom = std::getenv("TESMIRO_CHROMIUM");
  return custom && *custom ? custom : "/usr/bin/chromium";
}

}  // namespace

bool InCi() {
  const char* ci = std::getenv("TESMIRO_CI");
  return ci && *ci && std::string(ci) != "0";
}

std::string MissingSwfParser() {
  std::string missing = MissingNode();
  return missing.empty() ? MissingPackages({"swf-parser"}) : missing;
}

std::string MissingRuffle() {
  std::string missing = MissingNode();
  if (missing.empty()) missing = MissingPackages({"@ruffle-rs/ruffle", "playwright-core"});
  if (missing.empty() && !fs::exists(Chromium())) missing = Chromium() + " is missing (chromium)";
  return missing;
}

std::string MissingImageMagick() {
  for (const char* tool : {"convert", "identify"})
    if (std::system((std::string(tool) + " -version 2>/dev/null | grep -q 'Version: ImageMagick'").c_str()) != 0)
      return std::string("ImageMagick's ") + tool + " is not installed (imagemagick)";
  return "";
}

}  // namespace tesmiro::testing
