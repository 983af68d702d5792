#include "script/compiler.h"

#include <new>

#include "script/codegen.h"
#include "script/lexer.h"

namespace tesmiro::script {

CompileResult Compile(std::string_view utf8Source, Target target) {
  CompileResult result;
  if (utf8Source.size() > kMaxSourceBytes) {
    result.error = CompileError{"script too large (more than 16 MB)", 1, 1, ErrorKind::SourceTooLarge};
    return result;
  }
  try {
    result.actions = Generate(utf8Source, target);
  } catch (const ScriptError& e) {
    result.actions.clear();
    LineColumn at = Locate(utf8Source, e.pos);
    result.error = CompileError{e.message, at.line, at.column, e.kind};
  } catch (const std::bad_alloc&) {
    result.actions.clear();
    result.error = CompileError{"out of memory while compiling the script", 1, 1, ErrorKind::OutOfMemory};
  }
  return result;
}

}  // namespace tesmiro::script
