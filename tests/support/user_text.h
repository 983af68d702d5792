#pragma once
// What a user reads in a box, the status line or on the stage is Japanese:
// the only Latin words in it are file names and extensions, the names of the
// formats and of the product, and the few words the program's own texts
// have always carried ("Line" of a script error, "No File", "KB").
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::testing {

// The Latin words of `text` that none of those explain. `names` are the file
// names and paths the text may quote (whole, as they appear); `allowed` adds
// words a caller expects on purpose.
std::vector<std::string> ForeignWords(std::string_view text,
                                      const std::vector<std::string>& names = {},
                                      const std::vector<std::string>& allowed = {});

}  // namespace tesmiro::testing

// EXPECT_JAPANESE(text, names...) fails with the words it found.
#define EXPECT_JAPANESE(text, ...)                                                                  \
  EXPECT_EQ(::tesmiro::testing::ForeignWords((text), ##__VA_ARGS__), std::vector<std::string>{}) \
      << "Latin words in a user's text: \"" << (text) << "\""
