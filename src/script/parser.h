#pragma once
// Recursive-descent parser of ActionScript 1/2 frame and handler scripts.
#include <string_view>

#include "script/ast.h"

namespace tesmiro::script {

// The program's statements as kids of one Block node. Throws ScriptError.
Node* Parse(std::string_view source, Ast& ast);

// How deep the tree may grow: the code generator recurses along it.
inline constexpr int kMaxTreeDepth = 500;

}  // namespace tesmiro::script
