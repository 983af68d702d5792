#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <map>
#include <string>

namespace tesmiro::testing {

namespace {

// TESMIRO_TEST_KEEP=<folder> keeps every test's files, each in a folder
// named after the test, so that two builds' outputs can be compared file by
// file (a restructuring must not change one byte the suite writes).
std::filesystem::path KeptFolder() {
  const char* keep = std::getenv("TESMIRO_TEST_KEEP");
  if (!keep || !*keep) return {};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-tests";
  for (char& c : name)
    if (c == '/') c = '_';
  // The whole-program shuffled runs go beside the single tests, which may
  // run at the same time.
  if (::testing::GTEST_FLAG(shuffle)) name = "shuffled." + name;
  static std::map<std::string, int> made;
  const std::filesystem::path path = std::filesystem::path(keep) / (name + "." + std::to_string(made[name]++));
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  std::filesystem::create_directories(path, ec);
  return ec ? std::filesystem::path() : path;
}

}  // namespace

TempDir::TempDir() : keep_(false) {
  path_ = KeptFolder();
  if (!path_.empty()) {
    keep_ = true;
    return;
  }
  std::string tmpl = (std::filesystem::temp_directory_path() / "tesmiro-test-XXXXXX").string();
  if (char* made = ::mkdtemp(tmpl.data())) path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty() && !keep_) std::filesystem::remove_all(path_, ec);
}

}  // namespace tesmiro::testing
