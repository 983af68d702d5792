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

// Why a script does not compile. Syntax covers every mistake in the script
// itself; the others are limits of the movie's format or of the compiler
// that a correct script can meet, and the user must be told which.
enum class ErrorKind : uint8_t {
  Syntax,
  ActionTooLong,   // a record, or a block's code, over 65,535 bytes
  JumpTooFar,      // a branch over more than 32,767 bytes of code
  SourceTooLarge,  // over kMaxSourceBytes
  InvalidUtf8,     // bytes that are no UTF-8 character
  TooDeep,         // nested deeper than the compiler goes
  TooManyActions,  // an ifFrameLoaded body over 255 actions
  NotShiftJis,     // a string SWF 4 cannot hold
  OutOfMemory,
};

struct CompileError {
  std::string message;  // for developers; users are told by kind
  int line = 0;         // 1-based, within the given source
  int column = 0;       // 1-based, in characters
  ErrorKind kind = ErrorKind::Syntax;
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
