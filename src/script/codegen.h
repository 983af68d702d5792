#pragma once
// Turns a parsed script into AVM1 action records for one target.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "script/ast.h"
#include "script/compiler.h"

namespace tesmiro::script {

// Throws ScriptError with the position of the construct at fault.
// `sizeHint` is a guess at the output size, to grow the buffer once.
std::vector<uint8_t> Generate(const Node* program, Target target, std::size_t sizeHint);

}  // namespace tesmiro::script
