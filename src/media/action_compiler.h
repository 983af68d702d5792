#pragma once
// The script preprocessor between the events' ActionScript text and the
// compiler: #file includes, handler blocks ("on (...)", "onClipEvent (...)")
// cut apart and their headers turned into SWF event bits, line numbers kept
// for the whole script, and every error recorded for the caller to show as
// kErrorTitle.
//
// Script text counts lines by CR LF. Text arriving with LF alone (files from
// Linux, pasted text) is brought to CR LF at the entry points, so blocks
// split and lines count the same either way.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "script/compiler.h"
#include "swf/script_compiler.h"

namespace tesmiro::ActionCompiler {

// Where "#file" includes are looked for: beside the open project, then in
// the program's folder. The application sets them; tests point them into a
// temporary folder.
struct Settings {
  std::string projectPath;              // the open project file; "" when none
  std::filesystem::path programFolder;  // the program's own folder
};

using CompileFunction = std::function<script::CompileResult(std::string_view, script::Target)>;

// The title under which callers show the errors.
inline constexpr char kErrorTitle[] = "スクリプトエラー";

struct State {
  Settings settings;
  int32_t errorLine = 0;     // 1-based line of the last error in the whole script; 0 = none
  CompileFunction compile;   // empty: script::Compile
  // Errors not yet shown, in order. Compiles through the Binding hand theirs
  // to the SWF writer's diagnostics instead.
  std::vector<std::string> errors;
};

State& ModuleState();
void ResetState();

// A frame script: its action records (without the closing 0x00) in `bytes`
// and their count, or 0 when it gives none or does not compile (the error,
// with `lineBase` added to the compiler's line, is in `errors`). SWF 4
// movies compile for target 4, all later versions for target 6.
int32_t CompileScript(const std::string& script, std::vector<uint8_t>& bytes, int32_t lineBase,
                      int swfVersion);

// Cut the next handler block off `script` and compile it. The header's
// event bits are ORed into `flags` (clip events, with the key of keyPress
// in `keyCode`) or `condition` (button, key code × 512). `line` counts the
// lines of the whole script before the block and is advanced past it, also
// when the block fails, so later blocks report their own lines. 0 when the
// block gives no actions.
int32_t CompileClipEventHandler(std::string& script, std::vector<uint8_t>& bytes, int32_t& flags,
                                int32_t& line, int32_t& keyCode, int swfVersion);
int32_t CompileButtonHandler(std::string& script, std::vector<uint8_t>& bytes, int32_t& condition,
                             int32_t& line, int swfVersion);

// A script beginning with `#file "path"` becomes that file's text (CR LF
// line ends); "" with an error recorded when the file cannot be read. Any
// other script comes back unchanged except for its line ends.
std::string ExpandFileInclude(const std::string& script);

int32_t GetScriptErrorLine();

// The first block of a handler script (up to a line holding only "-"); the
// script keeps the rest, leading blanks removed.
std::string CutHandlerBlock(std::string& script);

// The next header token in lower case, removed from `text` (blanks before
// it are skipped); "" when none matches. Names match as prefixes, without a
// word boundary.
std::string NextToken(std::string& text);

// The key after keyPress: `"<left>"`-style names or one 7-bit character in
// double quotes; 0 when invalid.
int32_t ParseKeyCode(std::string& text);

// CR LF pairs in `text` before the first occurrence of `part`.
int32_t LineOfText(std::string_view text, std::string_view part);
int32_t CountLineBreaks(std::string_view text);
// Removes leading spaces and CR LF pairs (tabs and lone CR or LF stay).
void SkipBlanks(std::string& text);
// Every LF not preceded by CR becomes CR LF.
std::string NormalizeLineBreaks(std::string_view text);

// The SWF writer's view of this module.
class Binding final : public swf::ScriptCompiler {
 public:
  std::vector<uint8_t> compileScript(const std::string& script, int32_t lineBase, int swfVersion) override;
  std::string expandFileInclude(const std::string& script) override;
  std::vector<uint8_t> compileClipEventHandler(std::string& script, int32_t& flags, int32_t& line,
                                               int32_t& keyCode, int swfVersion) override;
  std::vector<uint8_t> compileButtonHandler(std::string& script, int32_t& condition, int32_t& line,
                                            int swfVersion) override;
};

// Makes this module the SWF writer's script compiler.
void InstallBinding();
// The binding object itself (for a scoped installation).
swf::ScriptCompiler* BindingInstance();

}  // namespace tesmiro::ActionCompiler
