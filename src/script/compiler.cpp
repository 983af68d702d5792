#include "script/compiler.h"

#include <new>

#include "script/codegen.h"
#include "script/parser.h"

namespace tesmiro::script {

CompileResult Compile(std::string_view utf8Source, Target target) {
  CompileResult result;
  if (utf8Source.size() > kMaxSourceBytes) {
    result.error = CompileError{"script too large (more than 16 MB)", 1, 1};
    return result;
  }
  try {
    Ast ast;
    const Node* program = Parse(utf8Source, ast);
    result.actions = Generate(program, target, utf8Source.size());
  } catch (const ScriptError& e) {
    result.actions.clear();
    result.error = CompileError{e.message, e.pos.line, e.pos.column};
  } catch (const std::bad_alloc&) {
    result.actions.clear();
    result.error = CompileError{"out of memory while compiling the script", 1, 1};
  }
  return result;
}

}  // namespace tesmiro::script
