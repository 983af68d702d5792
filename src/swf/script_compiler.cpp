#include "swf/script_compiler.h"

namespace tesmiro::swf {
namespace {
ScriptCompiler* gCompiler = nullptr;
}

ScriptCompiler* CurrentScriptCompiler() { return gCompiler; }
void InstallScriptCompiler(ScriptCompiler* compiler) { gCompiler = compiler; }

}  // namespace tesmiro::swf
