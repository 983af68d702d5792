#include "support/temp_dir.h"

#include <stdlib.h>

#include <string>

namespace tesmiro::testing {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "tesmiro-test-XXXXXX").string();
  if (char* made = ::mkdtemp(tmpl.data())) path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

}  // namespace tesmiro::testing
