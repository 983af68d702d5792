#pragma once
// Small movies for the player tests, written byte by byte here rather than
// by the program's own writer: a coloured square, one script per frame.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tesmiro::testing {

struct TestMovie {
  int version = 6;
  int width = 120;
  int height = 80;
  float frameRate = 24;
  uint32_t background = 0xFFFFFF;  // 0xRRGGBB
  // A square from (20, 20) to (60, 60) in this colour (0xRRGGBB), placed
  // on the first frame.
  std::optional<uint32_t> square;
  // A text box from (10, 10) to (110, 50) in the device font "_ゴシック",
  // 24 pixels high, black, showing this text (SWF 6 and later).
  std::optional<std::string> deviceText;
  // One entry per frame: its ActionScript ("" for none).
  std::vector<std::string> frames{""};
  bool reporter = true;  // the preview builders' frame reporter
};

// Writes the movie; false (with the reason in `error`) when a script does
// not compile or the file cannot be written.
bool WriteTestMovie(const TestMovie& movie, const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace tesmiro::testing
