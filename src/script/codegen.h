#pragma once
// Turns a script into AVM1 action records for one target, parsing it as it
// goes: a large script is never held as one whole tree.
#include <cstdint>
#include <string_view>
#include <vector>

#include "script/compiler.h"

namespace tesmiro::script {

// Throws ScriptError with the position of the construct at fault.
std::vector<uint8_t> Generate(std::string_view source, Target target);

}  // namespace tesmiro::script
