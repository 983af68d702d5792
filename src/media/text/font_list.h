#pragma once
// The names of the installed outline fonts, offered for text materials.
#include <string>
#include <vector>

namespace tesmiro::text {

// Every family name of every scalable font fontconfig knows, each once,
// sorted by byte comparison. Names beginning with "@" (vertical writing)
// only when `withVertical`.
std::vector<std::string> EnumTrueTypeFont(bool withVertical);

}  // namespace tesmiro::text
