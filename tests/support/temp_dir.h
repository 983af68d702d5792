#pragma once
// A private temporary folder, removed with its contents at the end of a test.
#include <filesystem>

namespace tesmiro::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  bool keep_;
};

}  // namespace tesmiro::testing
