#pragma once
// What the SWF writer needs of the action compiler: scripts in, action
// records out. The writer never parses a script itself; the ActionCompiler
// module installs the real implementation at start-up.
#include <cstdint>
#include <string>
#include <vector>

namespace tesmiro::swf {

class ScriptCompiler {
 public:
  virtual ~ScriptCompiler() = default;

  // Action records of a frame script for a movie of `swfVersion`, without the
  // closing 0x00. Empty when the script gives no actions or does not compile;
  // the compiler has then recorded the error in the writer's diagnostics,
  // with `lineBase` added to the line.
  virtual std::vector<uint8_t> compileScript(const std::string& script, int32_t lineBase,
                                             int swfVersion) = 0;

  // A script that begins with a #file include becomes that file's text; ""
  // (with the error in the writer's diagnostics) when the file cannot be read.
  virtual std::string expandFileInclude(const std::string& script) = 0;

  // Cut the next handler block off `script` and compile it. `flags`
  // (clip events) or `condition` (button) get the block's bits ORed in;
  // `line` counts the lines before the next block. Empty on failure.
  virtual std::vector<uint8_t> compileClipEventHandler(std::string& script, int32_t& flags, int32_t& line,
                                                       int32_t& keyCode, int swfVersion) = 0;
  virtual std::vector<uint8_t> compileButtonHandler(std::string& script, int32_t& condition,
                                                    int32_t& line, int swfVersion) = 0;
};

// The compiler the writer uses; null until one is installed, and then every
// scripted action gives no bytes.
ScriptCompiler* CurrentScriptCompiler();
void InstallScriptCompiler(ScriptCompiler* compiler);

// Installs a compiler for its lifetime; the previous one comes back after.
class ScopedScriptCompiler {
 public:
  explicit ScopedScriptCompiler(ScriptCompiler* compiler) : previous_(CurrentScriptCompiler()) {
    InstallScriptCompiler(compiler);
  }
  ~ScopedScriptCompiler() { InstallScriptCompiler(previous_); }
  ScopedScriptCompiler(const ScopedScriptCompiler&) = delete;
  ScopedScriptCompiler& operator=(const ScopedScriptCompiler&) = delete;

 private:
  ScriptCompiler* previous_;
};

}  // namespace tesmiro::swf
