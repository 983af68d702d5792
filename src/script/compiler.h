#pragma once
// Our ActionScript 1/2 compiler: source text in, AVM1 action records out.
// Pure and deterministic: no global state, no user interface, no files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::script {

// Target 4 writes only SWF 4 actions (strings in code page 932); target 6
// serves SWF 6, 7 and 8 movies (typed pushes, functions, objects; UTF-8).
enum class Target { Swf4 = 4, Swf6 = 6 };

struct CompileError {
  std::string message;
  int line = 0;    // 1-based, within the given source
  int column = 0;  // 1-based, in characters
};

struct CompileResult {
  std::vector<uint8_t> actions;  // action records without the closing 0x00
  std::optional<CompileError> error;
  bool ok() const { return !error.has_value(); }
};

// Sources larger than this are refused rather than risking memory.
inline constexpr std::size_t kMaxSourceBytes = 16u * 1024u * 1024u;

CompileResult Compile(std::string_view utf8Source, Target target);

}  // namespace tesmiro::script
